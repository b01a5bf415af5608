#pragma once
// The PDF printer of setting DrukarkaPDF. On Windows a printer driver saved
// every job as a PDF named after the job's title in the export folder; here a
// print to that name writes ExportFolder + title + ".pdf" with Qt's PDF
// writer. Any other name is a system printer (CUPS) chosen by its name; an
// empty or unknown name falls back to the default printer.
#include <QString>
#include <memory>

#include <QPrinter>

// The name the program's own PDF printer is listed under in printer choices.
extern const QString ProgramPdfPrinterName; // "Orlix PDF"

// Makes the program's PDF printer (and the operator's DrukarkaPDF name, when
// set) known to the printer lists; cheap to call again.
void RegisterPdfPrinter();

// The operator's PDF printer setting (DrukarkaPDF, this operator and workstation).
QString PdfPrinterSetting();

// True for the program's own PDF printer and for the name DrukarkaPDF holds
// (letter case ignored, as printer names are looked up).
bool IsPdfPrinter(const QString& printerName);

// ExportFolder + title + ".pdf"; characters no file name may hold (a slash
// among them) become "_".
QString PdfFileForTitle(const QString& title);

// One print job's device: a PDF file for the PDF printer, else the system
// printer of that name (the default printer when it is empty or not
// installed). A4 portrait, no margins of its own (the report places
// everything), document name = title.
struct TPrintTarget
{
    std::unique_ptr<QPrinter> printer;
    bool isPdf = false;
    QString pdfFile;     // the file written for the PDF printer
    QString printerName; // the printer actually used ("" = no printer at all)
};
TPrintTarget OpenPrintTarget(const QString& printerName, const QString& title);

// Installed system printers, for the printer choice (case-insensitive whole name);
// -1 when the name is empty or not installed.
int FindPrinterIndex(const QString& printerName);
