// A bank statement of the synthetic ISP read, matched and posted:
//   bench-bank-import [--subscribers N] [--records R] [--database NAME]
//   [--socket PATH] [--user U] [--password P]
// The database (default "orlix6_bank_<N>") is generated once with two months
// of documents and reused. The statement is a RAW file paying open documents
// by sub-account: exact, partial and over-payments, a few per cent to unknown
// accounts. Beside the import, the same rows go in by bare INSERTs plus one
// set-based matching UPDATE (rolled back): the anchor the import is measured
// against.
#include "bench/common/BenchSupport.h"
#include "bench/common/Generator.h"
#include "billing/RachunkiBankowe.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Funkcje.h"
#include "core/Query.h"
#include "core/Session.h"
#include "payments/ImportPm.h"
#include "payments/KsiegowaniePm.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: bench-bank-import [--subscribers N] [--records R] [--database NAME] [--socket PATH] "
                 "[--user U] [--password P]\n");
    return 2;
}

struct TRecord
{
    QString account;
    qint64 grosz = 0;
    QString payer;
};

std::vector<TRecord> makeRecords(TDedicatedSession* s, int count)
{
    auto q = s->OpenQuery(QStringLiteral(
        "select U_NRRACHUNKU1, concat(U_NAZWISKO, ' ', U_IMIE), sum(d) from Userdb join (select FV_INDEXUSER "
        "as k, "
        "FV_KWOTADOROZLICZENIA as d from Fv where FV_KWOTADOROZLICZENIA>0 union all select PZ_INDEXUSER, "
        "PZ_KWOTADOROZLICZENIA from Pz where PZ_KWOTADOROZLICZENIA>0) o on o.k=U_INDEX where "
        "U_NRRACHUNKU1<>'' "
        "group by U_INDEX order by U_INDEX"));
    std::vector<TRecord> out;
    if (q->IsEmpty()) return out;
    TBenchRandom rnd(20250630);
    out.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        q->SetRecNo(1 + (i % q->RecordCount()));
        TRecord r;
        r.account = q->Fields(0)->AsString();
        r.payer = q->Fields(1)->AsString();
        const qint64 open = q->Fields(2)->AsCurrency().raw / 100;
        const int kind = rnd.below(100);
        if (kind < 50)
            r.grosz = open;
        else if (kind < 75)
            r.grosz = qMax<qint64>(100, open / 2);
        else if (kind < 96)
            r.grosz = open + 1000 + rnd.below(5000);
        else {
            r.account = CompleteNrb(QStringLiteral("1050102500009999") + rnd.digits(8));
            r.grosz = 5000;
        }
        out.push_back(r);
    }
    return out;
}

QByteArray rawFile(const std::vector<TRecord>& records)
{
    QByteArray out;
    for (const TRecord& r : records)
        out += StringToCp1250(QStringLiteral("20250630|%1|%2|%3|Opłata abonamentowa\r\n")
                                  .arg(r.account)
                                  .arg(r.grosz)
                                  .arg(r.payer));
    return out;
}

// The same rows by bare multi-row INSERTs and one matching UPDATE; rolled back.
double anchor(TDedicatedSession* s, const std::vector<TRecord>& records)
{
    QElapsedTimer t;
    t.start();
    TTransactionGuard guard(s);
    TBulkInsert ins(s, QStringLiteral("PlatnosciMasowe"),
                    {"PM_DATABANK", "PM_KWOTA", "PM_ADRESWPLACAJACEGO", "PM_NUMERRACHUNKU", "PM_TYTUL",
                     "PM_DATAIMPORTU", "PM_INDEXUSER", "PM_INDEXOPLATA", "PM_DATAKSIEGOWANIA"},
                    200);
    for (const TRecord& r : records)
        ins.add({QStringLiteral("2025-06-30"), Amount4::fromRaw(r.grosz * 100), r.payer, r.account,
                 QStringLiteral("Opłata abonamentowa"), QStringLiteral("2025-06-30"), 0, 0,
                 QStringLiteral("0000-00-00")});
    ins.flush();
    // The program's own matching statement: the anchor matches as the import does.
    MatchPmRowsToUsers();
    const double secs = t.elapsed() / 1000.0;
    guard.rollback();
    return secs;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int subscribers = 20000;
    int records = 10000;
    QString database;
    TBenchServer server;
    std::vector<TBenchOption> table = {
        {QStringLiteral("--subscribers"), [&](const QString& v) { subscribers = v.toInt(); }},
        {QStringLiteral("--records"), [&](const QString& v) { records = v.toInt(); }},
        {QStringLiteral("--database"), [&](const QString& v) { database = v; }}};
    server.AddOptions(table);
    if (!ParseBenchArgs(app.arguments(), table) || subscribers <= 0 || records <= 0) return usage();

    TConnectionParams params = server.Params(false);
    params.database = database.isEmpty() ? QStringLiteral("orlix6_bank_%1").arg(subscribers) : database;
    try {
        BenchEnsureDatabase(params);
        TBenchDatabase db(params);
        if (!db.Open()) return 1;
        TDedicatedSession* s = db.Session();
        OperatorId = 1;
        if (BenchDatabaseEmpty(s) && !BenchGenerateWithHistory(s, subscribers, 2)) return 1;
        std::printf("database: %s\n", qPrintable(params.database));
        WriteIniString(0, QStringLiteral("U_Sub_NrBanku"), QStringLiteral("10501025"));
        WriteIniString(0, QStringLiteral("U_Sub_NrKlienta"), QStringLiteral("0000"));
        WriteIniString(0, QStringLiteral("U_Sub_Prefix"), QStringLiteral("0000"));
        // A rerun reads its statement again.
        s->ExecQuery(QStringLiteral("delete from PmMD5"));

        const std::vector<TRecord> recs = makeRecords(s, records);
        QTemporaryDir dir;
        PrivateFolder = dir.filePath(QStringLiteral("priv")) + QLatin1Char('/');
        const QString path = dir.filePath(QStringLiteral("wyciag.txt"));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(rawFile(recs)) < 0) return 1;
        f.close();

        const double bare = anchor(s, recs);

        QElapsedTimer t;
        t.start();
        s->StartTransaction();
        const int before = s->GetQueryValueAsInteger(
            QStringLiteral("select coalesce(max(PM_INDEX), 0) from PlatnosciMasowe"));
        TPmImportRequest rq;
        rq.path = path;
        rq.format = QStringLiteral("RAW");
        const TPmImportResult r = ImportStatementFile(rq);
        const double importMatch = t.elapsed() / 1000.0;
        const int matched = s->GetQueryValueAsInteger(
            QStringLiteral("select count(*) from PlatnosciMasowe where PM_INDEX>:p1 and PM_INDEXUSER<>0"),
            {before});
        QElapsedTimer p;
        p.start();
        const int posted = PostAllPm();
        s->Commit();
        const double post = p.elapsed() / 1000.0;
        const double total = t.elapsed() / 1000.0;

        std::printf("subscribers: %d\n", subscribers);
        std::printf("records: %d\n", r.read);
        std::printf("matched: %d\n", matched);
        std::printf("posted: %d\n", posted);
        std::printf("anchor_s: %.2f\n", bare);
        std::printf("import_match_s: %.2f\n", importMatch);
        std::printf("import_match_ratio: %.2f\n", bare > 0 ? importMatch / bare : 0.0);
        std::printf("post_s: %.2f\n", post);
        std::printf("total_s: %.2f\n", total);
    } catch (const EDatabaseError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.Message()));
        return 1;
    }
    return 0;
}
