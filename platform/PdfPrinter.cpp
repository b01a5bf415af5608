#include "platform/PdfPrinter.h"

#include "platform/DefaultPrinter.h"
#include "platform/PlatformContext.h"

#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

const QString ProgramPdfPrinterName = QStringLiteral("Orlix PDF");

namespace {

// PDF pages are vectors; the resolution only sets the unit the painter works in.
constexpr int kPdfResolution = 600;

QString settingOrEmpty()
{
    try {
        return PdfPrinterSetting();
    } catch (...) {
        // No database (tools, early start): only the program's own name counts.
        return QString();
    }
}

} // namespace

void RegisterPdfPrinter()
{
    RegisterProgramPrinter(ProgramPdfPrinterName);
    const QString s = settingOrEmpty().trimmed();
    if (!s.isEmpty() && FindPrinterIndex(s) < 0) RegisterProgramPrinter(s);
}

QString PdfPrinterSetting()
{
    return PlatformContext().PdfPrinterSetting();
}

bool IsPdfPrinter(const QString& printerName)
{
    const QString name = printerName.trimmed();
    if (name.isEmpty()) return false;
    if (name.compare(ProgramPdfPrinterName, Qt::CaseInsensitive) == 0) return true;
    const QString s = settingOrEmpty().trimmed();
    return !s.isEmpty() && name.compare(s, Qt::CaseInsensitive) == 0;
}

QString PdfFileForTitle(const QString& title)
{
    // A title may keep the slashes of a document number (interest notes);
    // as a file name they would point into folders that do not exist.
    QString name = title;
    for (QChar& c : name)
        if (QStringLiteral("/\\:*?\"<>|").contains(c) || c.unicode() < 32) c = QLatin1Char('_');
    return PlatformContext().ExportFolder() + name + QStringLiteral(".pdf");
}

int FindPrinterIndex(const QString& printerName)
{
    if (printerName.isEmpty()) return -1;
    const QStringList names = QPrinterInfo::availablePrinterNames();
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(printerName, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

TPrintTarget OpenPrintTarget(const QString& printerName, const QString& title)
{
    TPrintTarget t;
    const QPageLayout a4(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                         QPageLayout::Millimeter);
    // An empty or unknown name means the default printer, which the program
    // may have switched to its PDF printer (SelectDefaultPrinter).
    QString name = printerName;
    if (!IsPdfPrinter(name) && FindPrinterIndex(name) < 0) name = DefaultPrinterName();
    if (IsPdfPrinter(name)) {
        t.isPdf = true;
        t.pdfFile = PdfFileForTitle(title);
        QDir().mkpath(QFileInfo(t.pdfFile).absolutePath());
        t.printer = std::make_unique<QPrinter>(QPrinter::PrinterResolution);
        t.printer->setOutputFormat(QPrinter::PdfFormat);
        t.printer->setOutputFileName(t.pdfFile);
        t.printer->setResolution(kPdfResolution);
        t.printer->setPdfVersion(QPagedPaintDevice::PdfVersion_1_6);
        t.printerName = name;
    } else {
        const int i = FindPrinterIndex(name);
        const QString chosen = i >= 0 ? QPrinterInfo::availablePrinterNames()[i] : QString();
        t.printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        if (!chosen.isEmpty()) t.printer->setPrinterName(chosen);
        t.printerName = t.printer->isValid() ? t.printer->printerName() : QString();
    }
    t.printer->setFullPage(true);
    t.printer->setPageLayout(a4);
    t.printer->setDocName(title);
    t.printer->setCreator(QStringLiteral("Orlix6KSEF"));
    return t;
}
