// Receipts (UPO), downloads by KSeF number, the readable page of an invoice,
// the statuses of a batch session and the cleanup of test-environment rows.
#include "ksef/KsefOperacje.h"

#include "core/ActivityLog.h"
#include "core/DbError.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Funkcje.h"
#include "core/Query.h"
#include "core/Session.h"
#include "core/StartupProgress.h"
#include "ksef/KsefBackend.h"
#include "ksef/KsefClient.h"
#include "ksef/KsefError.h"
#include "ksef/KsefHtml.h"
#include "ksef/KsefStan.h"
#include "ksef/KsefStream.h"
#include "ksef/KsefTabele.h"
#include "ksef/KsefWspolne.h"

#include <QFile>
#include <QFileInfo>

namespace {

void fetchUpo(const TKsefDocKind& kind, int index, QString& text)
{
    const TKsefWarningGuard warnings;
    TDedicatedSession* s = GlobalSession();
    if (!KsefRowExists(kind, index)) return;
    QString session, reference, number;
    {
        auto q = s->OpenQuery(QStringLiteral("select %1, %2, %3 from %4 where %5=:p1")
                                  .arg(kind.Col("NRREFSESJI"), kind.Col("NRREFFAKTURY"), kind.Col("NRKSEF"),
                                       kind.Table(), kind.Col("IDFAKTURY")),
                              {index});
        session = q->Fields(0)->AsString();
        reference = q->Fields(1)->AsString();
        number = q->Fields(2)->AsString();
    }
    // A document only registered offline has nothing KSeF could confirm yet.
    if (session.isEmpty() || reference.isEmpty()) {
        text = QStringLiteral("Faktura nie została jeszcze wysłana do KSeF");
        return;
    }
    const QString numberText =
        s->GetQueryValueAsString(QStringLiteral("select %1 from %2 where %3=:p1")
                                     .arg(kind.Doc("NUMERTXT"), kind.DocumentTable(), kind.Doc("INDEX")),
                                 {index});
    const QString path = ExportFolder + QString::fromLatin1(kind.UpoStem) +
                         QString(numberText).replace(QLatin1Char('/'), QLatin1Char('_')) +
                         QStringLiteral(".xml");
    QString ignored;
    KsefOpenSession(ignored);
    try {
        KsefOpenClient().DownloadUpo(session, reference, path);
    } catch (...) {
        KsefCloseSession(ignored);
        throw;
    }
    KsefCloseSession(ignored);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw EKsefError(QStringLiteral("Nie można odczytać pliku UPO: ") + path);
    KsefInsertLog({{"KSEF_IDENTYFIKATOR", QStringLiteral("UPO")},
                   {"KSEF_NRKSEF", number},
                   {"KSEF_NRREFSESJI", session},
                   {"KSEF_NRREFFAKTURY", reference},
                   {"KSEF_PLIK", QFileInfo(path).fileName()},
                   {"KSEF_DANE", DecodeWebText(f.readAll())},
                   {"KSEF_ILOSC", 1},
                   {"KSEF_STATUS", QStringLiteral("Pobrano: 1")}});
    text = QStringLiteral("Zapisano UPO: ") + path;
}

// Writes the status of one batch item into the document's KSeF row.
void storeBatchItem(const TKsefDocKind& kind, int index, const QString& session, const QString& reference,
                    const QString& description, const QString& number, const QString& link)
{
    TDedicatedSession* s = GlobalSession();
    const TKsefState& st = KsefState();
    auto q = s->OpenQuery(QStringLiteral("select %1 from %2 where %3=:p1")
                              .arg(kind.Col("NRKSEF"), kind.Table(), kind.Col("IDFAKTURY")),
                          {index});
    if (q->IsEmpty()) {
        s->ExecQuery(
            QStringLiteral("insert into %1(%2, %3, %4, %5, %6, %7, %8, %9) values (:p1, :p2, :p3, :p4, :p5, "
                           ":p6, :p7, :p8)")
                .arg(kind.Table(), kind.Col("IDFAKTURY"), kind.Col("NRREFSESJI"), kind.Col("NRREFFAKTURY"),
                     kind.Col("STATUS"), kind.Col("NRKSEF"), kind.Col("LINKOFFLINE"), kind.Col("OPERATORID"),
                     kind.Col("TYPBRAMKI")),
            {index, session, reference, description, number, link, OperatorId, st.Gateway});
        return;
    }
    // A numbered document is final: a later failed attempt (a duplicate in a
    // package sent again) must not take its number or its references away.
    if (!q->Fields(0)->AsString().trimmed().isEmpty() && number.isEmpty()) return;
    QStringList sets{kind.Col("NRREFSESJI"), kind.Col("NRREFFAKTURY"), kind.Col("STATUS"),
                     kind.Col("OPERATORID"), kind.Col("TYPBRAMKI")};
    TArgs args{session, reference, description, OperatorId, st.Gateway};
    if (!number.isEmpty()) {
        sets << kind.Col("NRKSEF");
        args.push_back(number);
    }
    // Without the file no link can be made; the one stored stays.
    if (!link.isEmpty()) {
        sets << kind.Col("LINKOFFLINE");
        args.push_back(link);
    }
    for (int i = 0; i < sets.size(); ++i)
        sets[i] += QStringLiteral("=:p%1").arg(i + 1);
    args.push_back(index);
    s->ExecQuery(QStringLiteral("update %1 set %2 where %3=:p%4")
                     .arg(kind.Table(), sets.join(QStringLiteral(", ")), kind.Col("IDFAKTURY"))
                     .arg(sets.size() + 1),
                 args);
}

} // namespace

void KsefGetFvUpo(int fvIndex, QString& text)
{
    fetchUpo(KsefInvoiceKind(), fvIndex, text);
}

void KsefGetFvkUpo(int fvkIndex, QString& text)
{
    fetchUpo(KsefCorrectionKind(), fvkIndex, text);
}

void KsefDownloadInvoice(const QString& ksefNumber, QString& result)
{
    const TKsefWarningGuard warnings;
    const QString number = ksefNumber.trimmed();
    if (number.isEmpty()) return;
    const QString notFound =
        QStringLiteral("Faktura o numerze ") + number + QStringLiteral(" nie istnieje w KSeF");
    // The number names a file: nothing that could lead out of the folder.
    if (number.contains(QLatin1Char('/')) || number.contains(QLatin1Char('\\')) ||
        number.startsWith(QLatin1Char('.'))) {
        result = notFound;
        return;
    }
    const QString file = ExportFolder + number + QStringLiteral(".xml");
    try {
        TKsefClient& client = KsefOpenClient();
        auto stream = KsefFactory().OpenFileStream(file, ksmCreate);
        const TKsefTokens tokens = client.CurrentTokens();
        try {
            client.DownloadInvoice(number, *stream, tokens.AccessToken.Token);
        } catch (...) {
            stream.reset();
            QFile::remove(file);
            throw;
        }
        result = file;
    } catch (const EKsefError& e) {
        // KSeF's "no such invoice" keeps its text; any other failure says what it was.
        result = e.HttpStatus() == 404 || e.ServiceCode() == 21164 ? notFound : e.Message();
    }
}

void KsefXmlToHtml(const QString& xmlFile, QString& htmlFile)
{
    htmlFile.clear();
    const QString page = xmlFile + QStringLiteral(".html");
    TKsefState& st = KsefState();
    st.Xslt.reset();
    st.Xslt = KsefFactory().CreateXslTransformation(QStringLiteral("TlgMSXMLXSLTransformation"));
    try {
        auto document = KsefFactory().LoadXmlDocument(QStringLiteral("TlgMSXMLReader"), xmlFile);
        auto output = KsefFactory().OpenFileStream(page, ksmCreate);
        st.Xslt->Transform(*document, *output);
        output.reset();
        document.reset();
        htmlFile = page;
    } catch (const EKsefError& e) {
        TMD::MessageDlg(
            QStringLiteral("Błąd podzas transformacji XSLT (%1): %2").arg(e.ClassName(), e.Message()),
            mtError, mbOK);
    }
}

void KsefReadSessionStatuses(const QString& sessionRef, char kind, QString& text)
{
    const TKsefWarningGuard warnings;
    StartStopwatch();
    struct LogTime
    {
        ~LogTime()
        {
            try {
                LogElapsedTime(QStringLiteral("OdczytajStatusFakturSesji"));
            } catch (...) {
                // The timing log must not hide the reading's own error.
            }
        }
    } logTime;
    text = QStringLiteral("0");
    const TKsefDocKind& k = KsefDocKind(kind);
    TKsefState& st = KsefState();
    TKsefClient& client = KsefOpenClient();
    // A package is read only after KSeF has processed it (150 until then).
    KsefPoll(st.Waits.SessionPauses, st.Waits.SessionBudgetMs, [&] {
        const int code = client.SessionStatus(sessionRef).Status.Code;
        return code < 101 || code >= 200;
    });

    TDedicatedSession* s = GlobalSession();
    TTransactionGuard tx(s);
    QStringList log;
    QString token;
    int count = 0;
    do {
        const TKsefSessionInvoices page = client.SessionInvoices(sessionRef, token, 500);
        token = page.ContinuationToken;
        for (int i = 0; i < page.Invoices.size(); ++i) {
            const TKsefInvoiceStatus& item = page.Invoices.at(i);
            const QString code = QString::number(item.Status.Code);
            const QString index = DigitsOnly(item.InvoiceFileName);
            QString link;
            if (!index.isEmpty()) {
                if (k.Kind == 'F')
                    KsefInvoiceLink(index.toInt(), link);
                else
                    KsefCorrectionLink(index.toInt(), link);
            }
            const QString number = code == QLatin1String("200") ? item.KsefNumber : QString();
            if (i < 100)
                log << QStringLiteral("Nr wiersza: ") + QString::number(item.OrdinalNumber)
                    << QStringLiteral("Kod opdpowiedzi: ") + code
                    << QStringLiteral("Nr ref. sesji: ") + sessionRef
                    << QStringLiteral("Nr ref. faktury: ") + item.ReferenceNumber
                    << QStringLiteral("Index faktury: ") + index
                    << QStringLiteral("Status: ") + item.Status.Description
                    << QStringLiteral("Nr KSeF faktury: ") + number << QStringLiteral("Link: ") + link
                    << QStringLiteral("---");
            if (!index.isEmpty())
                storeBatchItem(k, index.toInt(), sessionRef, item.ReferenceNumber, item.Status.Description,
                               number, link);
            ++count;
        }
    } while (!token.isEmpty());
    KsefInsertLog({{"KSEF_IDENTYFIKATOR", QStringLiteral("STATUS")},
                   {"KSEF_NRREFSESJI", sessionRef},
                   {"KSEF_DANE", QString()},
                   {"KSEF_ILOSC", count},
                   {"KSEF_STATUS", QStringLiteral("Pobrano: %1").arg(count)}});
    tx.commit();
    text = QString::number(count);
    KsefSaveText(ExportFolder + QStringLiteral("Sesja_") + sessionRef + QStringLiteral("_status.log"),
                 (log.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
}

bool KsefClearTestData(TStartupProgress* splash)
{
    if (splash) splash->StepProgress(QStringLiteral("Czyszczenie testowego KSeF"));
    const QString key = QStringLiteral("KsefCzyszczenie");
    try {
        TDedicatedSession* s = GlobalSession();
        // One table after the other, without a transaction: what was cleaned stays cleaned.
        s->ExecQuery(QStringLiteral("delete from Ksef where KSEF_TYPBRAMKI<>0"));
        s->ExecQuery(QStringLiteral("delete from FvKsef where FV_KSEF_TYPBRAMKI<>0"));
        s->ExecQuery(QStringLiteral("delete from FvkKsef where FVK_KSEF_TYPBRAMKI<>0"));
        s->ExecQuery(QStringLiteral("delete from FvKsefPobrane where FV_KSEF_TYPBRAMKI<>0"));
        WriteIniString(0, key, QDate::currentDate().toString(Qt::ISODate));
        return true;
    } catch (const EDatabaseError&) {
        // Yesterday, so the next start tries again.
        try {
            WriteIniString(0, key, QDate::currentDate().addDays(-1).toString(Qt::ISODate));
        } catch (const EDatabaseError&) {
            // The database is gone altogether; the next start tries again anyway.
        }
        return false;
    }
}

bool KsefClearTestDataDue(const QDate& today)
{
    const QDate last = QDate::fromString(
        ReadIniString(0, QStringLiteral("KsefCzyszczenie"), QStringLiteral("2026-01-31")), Qt::ISODate);
    return today > QDate(2026, 1, 31) && (!last.isValid() || today > last);
}
