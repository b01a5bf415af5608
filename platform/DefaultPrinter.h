#pragma once
// The default printer: the printer a printout goes to when it names none.
// Printouts switch it around a print job (the paper or the PDF printer of the
// settings). The switch holds for this program only: the desktop's own
// default stays as the user chose it, and the PDF printer, which writes files
// itself, is no CUPS queue the desktop could choose.
#include <QString>
#include <QStringList>

// The program's choice when one was made, else the CUPS default (empty when none).
QString DefaultPrinterName();
// Chooses the default for this program; false when no printer of that name
// is known (a CUPS queue or a printer the program registered).
bool SelectDefaultPrinter(const QString& name);
// Printers the program provides itself (the PDF printer), known besides the CUPS queues.
void RegisterProgramPrinter(const QString& name);
QStringList KnownPrinterNames();
// The default printer's entry: name, driver (make and model) and location,
// separated by commas; empty when there is no default printer.
QString DefaultPrinterEntry();
