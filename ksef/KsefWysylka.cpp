// Online sending of invoices and corrections, status readings, session checks
// and batch packages.
#include "ksef/KsefOperacje.h"

#include "core/DedicatedSession.h"
#include "core/MagazynBlob.h"
#include "core/Query.h"
#include "core/Session.h"
#include "ksef/KsefBackend.h"
#include "ksef/KsefClient.h"
#include "ksef/KsefError.h"
#include "ksef/KsefHttp.h"
#include "ksef/KsefStan.h"
#include "ksef/KsefStream.h"
#include "ksef/KsefTabele.h"
#include "ksef/KsefWspolne.h"

#include <QFileInfo>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

void sendDocument(const TKsefDocKind& kind, int index, QString& text)
{
    const TKsefWarningGuard warnings;
    TKsefState& st = KsefState();
    TDedicatedSession* s = GlobalSession();
    st.OnlineSession.clear();
    if (KsefIssuedBeforeStart(KsefDocIssueDate(kind, index))) return;
    // Only a number makes a document final: one refused by KSeF may go again.
    const QString number =
        s->GetQueryValueAsString(QStringLiteral("select %1 from %2 where %3=:p1 and %1<>''")
                                     .arg(kind.Col("NRKSEF"), kind.Table(), kind.Col("IDFAKTURY")),
                                 {index});
    if (!number.trimmed().isEmpty()) return;

    // A document registered offline goes as the very file its links were made from.
    const bool offline = !s->IsQueryEmpty(
        QStringLiteral("select 1 from %1 where %2=:p1 and %3=:p2 and %4=:p3")
            .arg(kind.Table(), kind.Col("IDFAKTURY"), kind.Col("STATUS"), kind.Col("NRREFSESJI")),
        {index, KsefStatusOffline, QString()});
    QString path;
    if (offline) {
        FetchFileBlob(0, kind.FileName(index));
        path = PrivateFolder + kind.FileName(index);
    } else {
        path = KsefWriteDocXml(kind, index);
    }
    if (path == QLatin1String("0") || !QFileInfo(path).isFile()) {
        text = KsefTextSendFailed;
        return;
    }

    TKsefClient& client = KsefOpenClient();
    const QString session = client.OpenOnlineSession();
    st.OnlineSession = session;
    QString reference;
    try {
        reference = client.SendInvoice(path, offline);
    } catch (...) {
        try {
            client.CloseOnlineSession(session);
        } catch (const EKsefError&) {
            // The send's own error is the one to report.
        }
        throw;
    }
    client.CloseOnlineSession(session);

    QString link;
    if (kind.Kind == 'F')
        KsefInvoiceLink(index, link);
    else
        KsefCorrectionLink(index, link);
    if (reference.isEmpty()) {
        text = KsefTextSendFailed;
        return;
    }
    if (!KsefRowExists(kind, index)) {
        s->ExecQuery(QStringLiteral("insert into %1(%2, %3, %4, %5, %6) values (:p1, :p2, :p3, :p4, :p5)")
                         .arg(kind.Table(), kind.Col("IDFAKTURY"), kind.Col("NRREFSESJI"),
                              kind.Col("NRREFFAKTURY"), kind.Col("TYPBRAMKI"), kind.Col("LINKOFFLINE")),
                     {index, session, reference, st.Gateway, link});
    } else if (kind.Kind == 'F') {
        // The links of an offline registration stay: they describe the file sent.
        s->ExecQuery(QStringLiteral("update %1 set %2=:p1, %3=:p2, %4=:p3 where %5=:p4")
                         .arg(kind.Table(), kind.Col("NRREFSESJI"), kind.Col("NRREFFAKTURY"),
                              kind.Col("STATUS"), kind.Col("IDFAKTURY")),
                     {session, reference, QString(), index});
    } else {
        s->ExecQuery(
            QStringLiteral("update %1 set %2=:p1, %3=:p2 where %4=:p3")
                .arg(kind.Table(), kind.Col("NRREFSESJI"), kind.Col("NRREFFAKTURY"), kind.Col("IDFAKTURY")),
            {session, reference, index});
    }
    text = QStringLiteral("Faktura wysłana do KSeF pod Nr referenc.: ") + reference;
}

} // namespace

QString KsefStatusDetailsText(const QString& details)
{
    if (details.size() <= 120) return details;
    const QString indent(9, QLatin1Char(' '));
    return QStringLiteral("Info: ") + details.left(85) + kCrLf + indent + details.mid(85, 85) + kCrLf +
           indent + details.mid(170);
}

namespace {

void checkStatus(const TKsefDocKind& kind, int index, QString& text)
{
    const TKsefWarningGuard warnings;
    TKsefState& st = KsefState();
    TDedicatedSession* s = GlobalSession();
    if (KsefIssuedBeforeStart(KsefDocIssueDate(kind, index))) {
        text = KsefTextBeforeStart;
        return;
    }
    QString session, reference, number;
    {
        auto q = s->OpenQuery(QStringLiteral("select %1, %2, %3 from %4 where %5=:p1")
                                  .arg(kind.Col("NRREFSESJI"), kind.Col("NRREFFAKTURY"), kind.Col("NRKSEF"),
                                       kind.Table(), kind.Col("IDFAKTURY")),
                              {index});
        if (!q->IsEmpty()) {
            session = q->Fields(0)->AsString();
            reference = q->Fields(1)->AsString();
            number = q->Fields(2)->AsString();
        }
    }
    if (reference.isEmpty()) {
        text = QStringLiteral("Faktura nie została jeszcze wysłana do KSeF");
        return;
    }
    if (!number.trimmed().isEmpty()) {
        text = QStringLiteral("Faktura została już prawidłowo wysłana do KSeF i ma nadany numer");
        if (kind.Kind == 'F') text += QStringLiteral(":") + kCrLf + number;
        return;
    }
    TKsefClient& client = KsefOpenClient();
    // KSeF answers 100/150 while it processes the invoice.
    TKsefInvoiceStatus r;
    KsefPoll(st.Waits.StatusPauses, st.Waits.StatusBudgetMs, [&] {
        r = client.InvoiceStatus(session, reference);
        return r.Status.Code >= 200 || r.Status.Code < 100;
    });
    {
        TTransactionGuard tx(s);
        s->ExecQuery(QStringLiteral("update %1 set %2=:p1 where %3=:p2")
                         .arg(kind.Table(), kind.Col("STATUS"), kind.Col("IDFAKTURY")),
                     {r.Status.Description, index});
        if (r.Status.Code == 200)
            s->ExecQuery(QStringLiteral("update %1 set %2=:p1 where %3=:p2")
                             .arg(kind.Table(), kind.Col("NRKSEF"), kind.Col("IDFAKTURY")),
                         {r.KsefNumber, index});
        tx.commit();
    }
    text = QStringLiteral("Pobrano status: ") + QString::number(r.Status.Code) + kCrLf +
           QStringLiteral("Opis statusu: ") + r.Status.Description + kCrLf + QStringLiteral("KsefNumber: ") +
           r.KsefNumber + kCrLf + KsefStatusDetailsText(r.Status.DetailsStr());
}

// Transfer time allowed for one part: a minute plus what 100 kB/s needs.
int partTimeoutSeconds(qint64 bytes)
{
    return static_cast<int>(qMax<qint64>(120, 60 + bytes / 100000));
}

} // namespace

void KsefSendFv(int fvIndex, QString& text)
{
    sendDocument(KsefInvoiceKind(), fvIndex, text);
}

void KsefSendFvk(int fvkIndex, QString& text)
{
    sendDocument(KsefCorrectionKind(), fvkIndex, text);
}

void KsefCheckFvStatus(int fvIndex, QString& text)
{
    checkStatus(KsefInvoiceKind(), fvIndex, text);
}

void KsefCheckFvkStatus(int fvkIndex, QString& text)
{
    checkStatus(KsefCorrectionKind(), fvkIndex, text);
}

void KsefCheckSession(const QString& sessionRef, QString& text)
{
    const TKsefWarningGuard warnings;
    text = QStringLiteral("Brak sesji do sprawdzenia");
    if (sessionRef.isEmpty()) return;
    const TKsefSessionStatus r = KsefOpenClient().SessionStatus(sessionRef);
    text = QStringLiteral("Sesja: ") + sessionRef + kCrLf + QStringLiteral("Status: ") + r.Status.Description;
    KsefListSessionInvoices(sessionRef);
}

void KsefListSessionInvoices(const QString& sessionRef)
{
    const TKsefWarningGuard warnings;
    TKsefClient& client = KsefOpenClient();
    QString token;
    int count = 0;
    QByteArray raw;
    do {
        const TKsefSessionInvoices page = client.SessionInvoices(sessionRef, token, 50);
        count += page.Invoices.size();
        token = page.ContinuationToken;
        raw += page.RawResponse;
    } while (!token.isEmpty());
    KsefInsertLog({{"KSEF_IDENTYFIKATOR", QStringLiteral("STATUS")},
                   {"KSEF_NRREFSESJI", sessionRef},
                   {"KSEF_DANE", QString::fromUtf8(raw)},
                   {"KSEF_ILOSC", count}});
    KsefSaveText(PrivateFolder + QStringLiteral("Sesja_") + sessionRef + QStringLiteral(".txt"), raw);
}

void KsefSendPackage(const QString& zipFile, char kind, QString& text)
{
    const TKsefWarningGuard warnings;
    text = QStringLiteral("0");
    TKsefState& st = KsefState();
    TKsefClient& client = KsefOpenClient();
    const QString output = PrivateFolder + QFileInfo(zipFile).fileName() + QStringLiteral(".out");
    st.Batch = client.PrepareBatch(zipFile, output, st.BatchPartBytes);
    st.BatchOpening = client.OpenBatchSession(st.Batch, false);
    st.BatchSession = st.BatchOpening.ReferenceNumber;

    // Each part goes to the address KSeF gave for its ordinal number, whatever
    // the order of the list; a part of 100 MB needs far more than the usual time.
    struct RestoreTimeouts
    {
        TKsefHttpClient* http;
        ~RestoreTimeouts()
        {
            if (http) http->SetTimeouts(15, 300);
        }
    } restore{client.HttpClient()};
    for (const TKsefBatchPart& part : st.Batch.Parts) {
        const TKsefPartUploadRequest* request = nullptr;
        for (const TKsefPartUploadRequest& r : st.BatchOpening.PartUploadRequests)
            if (r.OrdinalNumber == part.OrdinalNumber) request = &r;
        if (!request)
            throw EKsefError(QStringLiteral("KSeF nie podał adresu wysyłki części %1 paczki %2")
                                 .arg(part.OrdinalNumber)
                                 .arg(zipFile));
        if (restore.http) restore.http->SetTimeouts(15, partTimeoutSeconds(part.FileSize));
        auto stream = KsefFactory().OpenFileStream(part.FileName, 0);
        client.UploadBatchPart(*request, *stream);
    }
    client.CloseBatchSession(st.BatchSession);

    KsefSaveText(zipFile + QStringLiteral(".sesja"), st.BatchSession.toUtf8());
    const QString identifier = kind == 'F'   ? QStringLiteral("WYSYŁKA FV")
                               : kind == 'K' ? QStringLiteral("WYSYŁKA KOR")
                                             : QString(QLatin1Char(kind));
    KsefInsertLog({{"KSEF_IDENTYFIKATOR", identifier},
                   {"KSEF_NRREFSESJI", st.BatchSession},
                   {"KSEF_PLIK", QFileInfo(zipFile).fileName()},
                   {"KSEF_DANE", QString::fromUtf8(st.BatchOpening.RawResponse)},
                   {"KSEF_STATUS", QStringLiteral("Wysłano")}});
    text = st.BatchSession;
}
