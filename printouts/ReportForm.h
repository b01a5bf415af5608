#pragma once
// What every report form shares: the printer choice and the two entry points,
// the report title, the seller header, the correspondence address, the
// balance lines, the logo and banner pictures and the number formats.
#include "core/Amount4.h"
#include "printouts/ReportEngine.h"

#include <QDate>
#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class TFormPodgladRaportu;

// ---- number formats
// "###,##0.00": two decimals, a comma, thousands grouped with a blank.
QString FormatMoney(Amount4 value);
// The general number format: no trailing zeros ("12,5", "0", "-3").
QString FormatGeneral(Amount4 value);
// "###,##0.###": up to three decimals.
QString FormatQuantity(Amount4 value);
// "### ##0.00%".
QString FormatPercent(Amount4 value);

// ---- report titles
// The current date and time as 14 digits (yyyyMMddhhmmss).
QString ReportTitleNow();
// Number with every "/" replaced by "_".
QString TitleNumber(const QString& number);
// Prefix + number for one row; Several + now for any other count.
QString DocumentReportTitle(int rowCount, const QString& prefix, const QString& number,
                            const QString& several);

// ---- seller header: the ten lines from the company settings (scope 0).
struct TSellerHeader
{
    QString lines[10];
};
// Lines 7 and 8 depend on the subscriber's first account (the virtual sub-account).
TSellerHeader ReadSellerHeader(const QString& subscriberAccount);
// Line 3 alone (street, house, "/" flat).
QString SellerStreetLine();

// The correspondence address rule of a subscriber or a document.
QString CorrespondenceAddress(const QString& czyAdresDoKoresp, const QString& korAdres,
                              const QString& adres2);

// ---- balance lines
struct TBalanceLines
{
    QString first;
    QString second; // empty when nothing is overdue
    bool secondHighlighted = false;
};
// Invoice: "###,##0.00 " for the first line, else "###,###,##0.00 " (the same text here).
TBalanceLines MakeBalanceLines(Amount4 saldo, Amount4 saldoZalegle, const QDate& today);

// The issuer line's operator name ("" for an unknown operator).
QString OperatorFullName(int operatorId);

// "mojelogo.jpg" / "mojbaner.jpg" of the private folder; a null image when
// missing or unreadable. Read once and kept while the file stays the same.
QImage LoadReportPicture(const QString& fileName);

// ---- the report printer: one run's pages and its state for the preview
class TReportPrinter : public QObject
{
    Q_OBJECT
public:
    explicit TReportPrinter(QObject* parent = nullptr) : QObject(parent) {}
    std::shared_ptr<TReportDocument> Document;
    QString Title;
    QString PrinterName; // as the form chose it ("" = default printer)
    bool Busy = false;   // pages are being produced
    int Progress = 0;
    int PageCount() const { return Document ? Document->pageCount() : 0; }
    // Prints every page on PrinterName (the PDF printer writes its file);
    // Copies times. False when the printer refused the job.
    bool Print(int copies = 1);
    // The file the PDF printer wrote in the last Print ("" for a paper printer).
    QString PdfFile;
    // Called once when the preview showing this run closes.
    std::function<void()> OnPreviewClosed;
    void SetProgress(int percent);
    void SetBusy(bool busy);

signals:
    void PageAvailable();
    void ProgressChanged(int percent);
};

// The base of the report forms. A form builds its report from its queries
// in BuildReport; callers set PrinterName and the form's SQL and options
// and call PrintDirect or PrintPreview.
class TReportForm : public QObject
{
    Q_OBJECT
public:
    explicit TReportForm(QObject* parent = nullptr) : QObject(parent) {}
    ~TReportForm() override;

    QString PrinterName;
    // The printer choice of the last call: position among the installed
    // printers, -1 = the default printer.
    int PrinterIndex = -1;

    // Builds the report and prints it without a preview.
    void PrintDirect();
    // Builds the report and opens the preview window (modeless).
    TFormPodgladRaportu* PrintPreview();

    // The last run (tests and callers that need the file written).
    std::shared_ptr<TReportDocument> LastDocument;
    QString LastPdfFile;

protected:
    virtual std::shared_ptr<TReportDocument> BuildReport() = 0;
    // After the preview closed: close the queries, clear one-run options.
    virtual void AfterPreview() {}

private:
    void choosePrinter();
};
