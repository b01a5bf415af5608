// The monthly automatic invoicing run on a synthetic ISP:
//   bench-invoicing-run [--subscribers N] [--months M] [--database NAME]
//   [--socket PATH] [--user U] [--password P]
// The database (default "orlix6_invoicing_<N>_<M>") is generated once with M
// months of history and reused; the run answers "No" at the end, so it leaves
// the data as it found them. Beside the run, the same documents and lines are
// made by bare INSERT ... SELECT statements plus one UPDATE of every balance
// (rolled back): the anchor the run is measured against.
#include "bench/common/BenchSupport.h"
#include "bench/common/Generator.h"
#include "bench/common/GeneratorBilling.h"
#include "billing/FvAutomatDane.h"
#include "core/DedicatedSession.h"
#include "core/Query.h"
#include "core/Session.h"
#include "core/VatRates.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <cstdio>
#include <map>

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: bench-invoicing-run [--subscribers N] [--months M] [--database NAME] [--socket "
                 "PATH] [--user U] [--password P]\n");
    return 2;
}

// The documents and lines of the run, by plain statements: no numbering,
// totals or settlement. Returns seconds.
double bareAnchor(TDedicatedSession* s, const QDate& issue)
{
    const QString d = issue.toString(Qt::ISODate);
    const QString items =
        QStringLiteral("UFV_CZYAKTYWNA<>0 and (UFV_DATASTART<=:p or UFV_DATASTART='0000-00-00') "
                       "and (UFV_DATAEND>=:p or UFV_DATAEND='0000-00-00')");
    const QString users =
        QStringLiteral("from Userdb where U_PODMIOT=1 and %1 and (select sum(UFV_WARTOSCBRUTTO) "
                       "from UserFvPozycje where UFV_INDEXUSER=U_INDEX and %2) > 0 order by U_INDEX");
    QElapsedTimer t;
    t.start();
    TTransactionGuard guard(s);
    const int fv = s->GetQueryValueAsInteger(QStringLiteral("select coalesce(max(FV_INDEX),0) from Fv"));
    const int pz = s->GetQueryValueAsInteger(QStringLiteral("select coalesce(max(PZ_INDEX),0) from Pz"));
    s->ExecQuery(QStringLiteral("insert into Fv (FV_INDEXUSER, FV_IMIE, FV_NAZWISKO, FV_DATAWYSTAWIENIA, "
                                "FV_NUMERTXT) select U_INDEX, U_IMIE, U_NAZWISKO, :p, 'x' ") +
                     users.arg(QStringLiteral("U_AUTOMATYCZNEFAKTURY=1"), items),
                 {d, d, d});
    s->ExecQuery(
        QStringLiteral(
            "insert into FvPozycje (FVP_INDEXFAKTURA, FVP_NAZWAUSLUGI, FVP_ILOSC, "
            "FVP_STAWKAVAT_TXT, FVP_CENABRUTTO, FVP_WARTOSCBRUTTO) select FV_INDEX, UFV_NAZWAUSLUGI, "
            "UFV_ILOSC, UFV_STAWKAVAT_TXT, UFV_CENABRUTTO, UFV_WARTOSCBRUTTO from Fv join "
            "UserFvPozycje on UFV_INDEXUSER=FV_INDEXUSER where FV_INDEX > :p and ") +
            items,
        {fv, d, d});
    s->ExecQuery(QStringLiteral("insert into Pz (PZ_INDEXUSER, PZ_IMIE, PZ_NAZWISKO, PZ_DATAWYSTAWIENIA, "
                                "PZ_NUMERTXT) select U_INDEX, U_IMIE, U_NAZWISKO, :p, 'x' ") +
                     users.arg(QStringLiteral("U_AUTOMATYCZNEFAKTURY in (2, 3)"), items),
                 {d, d, d});
    s->ExecQuery(
        QStringLiteral("insert into PzPozycje (PZP_INDEXPZ, PZP_NAZWAUSLUGI, PZP_ILOSC, PZP_CENABRUTTO, "
                       "PZP_WARTOSCBRUTTO) select PZ_INDEX, UFV_NAZWAUSLUGI, UFV_ILOSC, UFV_CENABRUTTO, "
                       "UFV_WARTOSCBRUTTO from Pz join UserFvPozycje on UFV_INDEXUSER=PZ_INDEXUSER where "
                       "PZ_INDEX > :p and ") +
            items,
        {pz, d, d});
    s->ExecQuery(
        QStringLiteral("update Userdb left join (select FV_INDEXUSER as k, sum(FVP_WARTOSCBRUTTO) as b "
                       "from Fv join FvPozycje on FVP_INDEXFAKTURA=FV_INDEX where FV_INDEX > :p1 group by "
                       "FV_INDEXUSER union all select PZ_INDEXUSER, sum(PZP_WARTOSCBRUTTO) from Pz join "
                       "PzPozycje on PZP_INDEXPZ=PZ_INDEX where PZ_INDEX > :p2 group by PZ_INDEXUSER) n on "
                       "n.k=U_INDEX set U_SALDO=U_SALDO-coalesce(n.b,0)"),
        {fv, pz});
    return t.elapsed() / 1000.0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int subscribers = 20000;
    int months = 2;
    QString database;
    TBenchServer server;
    std::vector<TBenchOption> table = {
        {QStringLiteral("--subscribers"), [&](const QString& v) { subscribers = v.toInt(); }},
        {QStringLiteral("--months"), [&](const QString& v) { months = v.toInt(); }},
        {QStringLiteral("--database"), [&](const QString& v) { database = v; }}};
    server.AddOptions(table);
    if (!ParseBenchArgs(app.arguments(), table) || subscribers <= 0 || months < 1) return usage();

    TConnectionParams params = server.Params(false);
    params.database =
        database.isEmpty() ? QStringLiteral("orlix6_invoicing_%1_%2").arg(subscribers).arg(months) : database;
    try {
        BenchEnsureDatabase(params);
        TBenchDatabase db(params);
        if (!db.Open()) return 1;
        TDedicatedSession* s = db.Session();
        OperatorId = 1;
        if (BenchDatabaseEmpty(s) && !BenchGenerateWithHistory(s, subscribers, months)) return 1;
        std::printf("database: %s\n", qPrintable(params.database));

        const QDate issue = QDate::currentDate();
        const QString podmiot =
            s->GetQueryValueAsString(QStringLiteral("select P_SKROT from Podmioty where P_INDEX=1"));
        TFvAutomatInput in = BenchRunInput(issue, podmiot);
        // The main grid's selection as the program hands it over: every shown key.
        in.userWhere =
            QStringLiteral(" WHERE U_INDEX in (%1,0) ")
                .arg(s->GetQueryValuesAsList(QStringLiteral("select U_INDEX from Userdb order by U_INDEX"))
                         .join(QLatin1Char(',')));

        std::map<int, qint64> at; // nanoseconds when each step began
        QElapsedTimer clock;
        TFvAutomatCallbacks cb;
        cb.ask = [](const QString& text) { return !text.startsWith(QStringLiteral("Wygenerowano")); };
        cb.error = [](const QString& text) { throw EDatabaseError(text); };
        cb.step = [&](int n) { at[n] = clock.nsecsElapsed(); };
        clock.start();
        const TFvAutomatResult r = RunFvAutomat(in, cb);
        const qint64 end = clock.nsecsElapsed();
        const double bare = bareAnchor(s, issue);

        const auto secs = [](qint64 ns) { return ns / 1e9; };
        const double run = secs(end - at[11]);
        std::printf("subscribers: %d\n", subscribers);
        std::printf("history_months: %d\n", months);
        std::printf("invoices: %d\n", r.invoices);
        std::printf("payment_demands: %d\n", r.demands);
        std::printf("lines: %d\n", r.lines);
        std::printf("documents_settled: %d\n", r.settled);
        std::printf("balances_before_s: %.2f\n", secs(at[11] - at[10]));
        std::printf("run_s: %.2f\n", run);
        std::printf("run_settlement_s: %.2f\n", secs(at[31] - at[30]));
        std::printf("bare_anchor_s: %.2f\n", bare);
        std::printf("run_vs_bare: %.2f\n", bare > 0 ? run / bare : 0.0);
    } catch (const EDatabaseError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.Message()));
        return 1;
    }
    return 0;
}
