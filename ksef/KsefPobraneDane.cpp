#include "ksef/KsefPobraneDane.h"

#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Funkcje2.h"
#include "core/Query.h"
#include "core/Session.h"
#include "ksef/KsefBackend.h"
#include "ksef/KsefClient.h"
#include "ksef/KsefOperacje.h"
#include "ksef/KsefStan.h"
#include "ksef/KsefStream.h"
#include "ksef/KsefTabele.h"
#include "ksef/KsefWspolne.h"

#include <QDate>
#include <QFileInfo>
#include <QStringList>

namespace {

constexpr int kPageSize = 250;
constexpr int kExportPolls = 5;

QString amountText(const QString& text)
{
    return QString(text).replace(QLatin1Char(','), QLatin1Char('.'));
}

// Inserts the page's invoices not stored yet; the run log gets 14 lines each.
int storePage(const TKsefInvoiceQueryResult& r, QStringList& runLog)
{
    TDedicatedSession* s = GlobalSession();
    const TKsefState& st = KsefState();
    int inserted = 0;
    for (const TKsefInvoiceMetadata& m : r.Invoices) {
        const QString net = amountText(m.NetAmount);
        const QString gross = amountText(m.GrossAmount);
        const QString vat = amountText(m.VatAmount);
        runLog << m.KsefNumber << m.InvoiceNumber << m.IssueDate << m.InvoicingDate << m.AcquisitionDate
               << m.PermanentStorageDate << m.SellerNip << m.SellerName << net << gross << m.Currency << vat
               << QString::number(st.CompanyId) << QStringLiteral("---");
        if (!s->IsQueryEmpty(QStringLiteral("select 1 from FvKsefPobrane where FV_NRKSEF=:p1"),
                             {m.KsefNumber}))
            continue;
        QString date = KsefReceivedDate(m.InvoicingDate);
        // A text KSeF did not date as expected: the issue date rather than a zero date.
        if (!QDate::fromString(date, Qt::ISODate).isValid()) date = KsefReceivedDate(m.IssueDate);
        s->ExecQuery(
            QStringLiteral("insert into FvKsefPobrane (FV_NRKSEF, FV_NUMERTXT, FV_DATAWYSTAWIENIA, "
                           "FV_NAZWISKO, FV_NIP, FV_SUMANETTO, FV_SUMABRUTTO, FV_SUMAVAT, "
                           "FV_KSEF_TYPBRAMKI, FV_PODMIOT) values (:p1, :p2, :p3, :p4, :p5, :p6, :p7, "
                           ":p8, :p9, :p10)"),
            {m.KsefNumber, m.InvoiceNumber, date, m.SellerName, m.SellerNip, net, gross, vat, st.Gateway,
             st.CompanyId});
        ++inserted;
    }
    return inserted;
}

} // namespace

TKsefPeriod KsefFetchPeriod(const QDateTime& now)
{
    QDateTime from = now.addDays(-30);
    const QDateTime start(KsefStartDay(), QTime(0, 0));
    if (start > from) from = start;
    return {from, now};
}

TKsefInvoiceQueryFilters KsefQueryFilters(int subjectType, const QDateTime& from, const QDateTime& to)
{
    TKsefInvoiceQueryFilters f;
    f.SubjectType = subjectType;
    f.DateRange.DateType = kdtIssue;
    f.DateRange.From = from;
    f.DateRange.To = to;
    f.DateRange.RestrictToPermanentStorageHwmDate = true;
    return f;
}

QString KsefReceivedDate(const QString& text)
{
    QString t = text.trimmed();
    if (t.size() == 18) t.prepend(QLatin1Char('0'));
    const bool yearFirst =
        t.size() >= 4 && t.at(0).isDigit() && t.at(1).isDigit() && t.at(2).isDigit() && t.at(3).isDigit();
    if (yearFirst) return t.left(10);
    return t.mid(6, 4) + QLatin1Char('-') + t.mid(3, 2) + QLatin1Char('-') + t.mid(0, 2);
}

TKsefReceivedWaits& KsefReceivedWaits()
{
    static TKsefReceivedWaits waits;
    return waits;
}

int KsefQueryReceivedInvoices(const QDateTime& from, const QDateTime& to)
{
    const TKsefWarningGuard warnings;
    TKsefClient& client = KsefOpenClient();
    TTransactionGuard transaction(GlobalSession());
    QStringList runLog;
    int inserted = 0;
    for (int type : {int(kstSeller), int(kstBuyer)}) {
        if (type == kstBuyer) WaitProcessingMessages(KsefReceivedWaits().BetweenTypesMs);
        // Each subject type is paged to its own end: one running out of
        // invoices must not stop the other.
        for (int page = 0;; ++page) {
            const TKsefInvoiceQueryResult r =
                client.QueryInvoices(KsefQueryFilters(type, from, to), page, kPageSize, 1);
            KsefSaveText(PrivateFolder + QStringLiteral("_listafakturRAW%1.txt").arg(type), r.RawResponse);
            runLog << QStringLiteral("Invoices.Count = %1").arg(r.Invoices.size());
            inserted += storePage(r, runLog);
            if (!r.HasMore || r.Invoices.isEmpty()) break;
        }
    }
    transaction.commit();
    KsefSaveText(PrivateFolder + QStringLiteral("_listafaktur.txt"),
                 runLog.join(QStringLiteral("\r\n")).toUtf8() + "\r\n");
    return inserted;
}

int KsefDownloadReceivedPackages(const QDateTime& from, const QDateTime& to)
{
    const TKsefWarningGuard warnings;
    TKsefClient& client = KsefOpenClient();
    int parts = 0;
    for (int type : {int(kstSeller), int(kstBuyer)}) {
        if (type == kstBuyer) WaitProcessingMessages(KsefReceivedWaits().BetweenTypesMs);
        const QString reference = client.StartInvoiceExport(KsefQueryFilters(type, from, to));
        for (int poll = 0; poll < kExportPolls; ++poll) {
            WaitProcessingMessages(KsefReceivedWaits().ExportPollMs);
            const TKsefExportStatus status = client.InvoiceExportStatus(reference);
            if (status.Status.Code != 200) continue;
            if (!status.Package.Parts.isEmpty()) {
                parts += int(status.Package.Parts.size());
                auto stream = KsefFactory().OpenFileStream(
                    ExportFolder + QStringLiteral("_Paczka%1.zip").arg(type), ksmCreate);
                client.DownloadExportPart(status, *stream);
            }
            break;
        }
    }
    return parts;
}

QString KsefPackagesMessage(int parts, const TKsefPeriod& period)
{
    QString text = QStringLiteral("Pobranych paczek: %1\r\nza okres: (%2 - %3)")
                       .arg(parts)
                       .arg(period.From.toString(QStringLiteral("yyyy-MM-dd")),
                            period.To.toString(QStringLiteral("yyyy-MM-dd")));
    if (parts >= 1) text += QStringLiteral("\r\ndo katalogu: ") + ExportFolder;
    return text;
}

namespace {

// Opens the client for the company and runs Work in a session; false without a certificate.
bool forCompany(int companyId, const std::function<void()>& work)
{
    QString text;
    KsefInit(1, companyId, text);
    if (text == QLatin1String("Brak cert")) return false;
    KsefInSession(work);
    return true;
}

} // namespace

bool KsefFetchReceived(int companyId, const QDateTime& now)
{
    GlobalSession()->ExecQuery(QStringLiteral("delete from FvKsefPobrane where FV_DATAWYSTAWIENIA<:p1 "),
                               {QStringLiteral("2025-01-01")});
    const TKsefPeriod period = KsefFetchPeriod(now);
    int n = 0;
    if (!forCompany(companyId, [&] { n = KsefQueryReceivedInvoices(period.From, period.To); })) return false;
    TMD::MessageDlg(QStringLiteral("Pobranych faktur: %1").arg(n), mtInformation, mbOK);
    return true;
}

bool KsefFetchReceivedPackages(int companyId, const QDateTime& now)
{
    const TKsefPeriod period = KsefFetchPeriod(now);
    int n = 0;
    if (!forCompany(companyId, [&] { n = KsefDownloadReceivedPackages(period.From, period.To); }))
        return false;
    TMD::MessageDlg(KsefPackagesMessage(n, period), mtInformation, mbOK);
    return true;
}

QString KsefInvoicePage(const QString& ksefNumber)
{
    QString text;
    KsefInitMain(1, text);
    QString page;
    KsefInSession([&] {
        QString file;
        KsefDownloadInvoice(ksefNumber, file);
        if (!file.isEmpty() && QFileInfo(file).isFile()) KsefXmlToHtml(file, page);
    });
    return page;
}

int KsefCompanyByShortName(const QString& shortName)
{
    return GlobalSession()->GetQueryValueAsInteger(
        QStringLiteral("select P_INDEX from Podmioty where P_SKROT=:p1"), {shortName});
}
