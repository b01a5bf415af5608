// Opening the data module's shared datasets on a database of generated
// subscribers, as the program does after login: the operator list, the two
// main grids over all subscribers and devices, then the start timer's pass.
//   bench-datasets [--subscribers N] [--rounds R] [--database NAME] [--socket PATH]
//                  [--user U] [--password P] [--keep]
// Without a socket the connection comes from ORLIX_TEST_SOCKET or the private
// local server. The database is made anew (schema + N subscribers) unless it
// already holds exactly N subscribers.
#include "bench/common/Generator.h"

#include "core/DataModule.h"
#include "core/DedicatedSession.h"
#include "core/Query.h"
#include "core/Session.h"

#include "bench/common/BenchSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: bench-datasets [--subscribers N] [--rounds R] [--database NAME] [--socket PATH] "
                 "[--user U] [--password P] [--keep]\n");
    return 2;
}

// The order the program opens them in: the operator list at start-up, the
// main grids when the main window shows, then the start timer's pass.
const char* const kOpenOrder[] = {"QOperator",
                                  "QUserdb",
                                  "QInfra",
                                  "QMac",
                                  "QZlecenia",
                                  "QUmowy",
                                  "QIntruxRouter",
                                  "QMTRouter",
                                  "QFormyPlatnosci",
                                  "QTypLacza",
                                  "QTypUrzadzenia",
                                  "QRodzajUrzadzenia",
                                  "QAutoryzacja",
                                  "QProfil",
                                  "QInterface",
                                  "QTaryfy",
                                  "QWan",
                                  "QGrupy",
                                  "QGrupyInf",
                                  "QUslugi",
                                  "QListaSieci",
                                  "QSzablony",
                                  "QUserFvPozycje",
                                  "QFv",
                                  "QFvPozycje",
                                  "QFvk",
                                  "QFvkPozycje",
                                  "QPz",
                                  "QPzPozycje",
                                  "QOplaty",
                                  "QInfraNotatki",
                                  "QWezly",
                                  "QGrupyInterfejsow",
                                  "QGrupyInterfejsowLookup",
                                  "QPm",
                                  "QSkrypty",
                                  "QOperatorLookup",
                                  "QInfraLookup",
                                  "QPodmioty",
                                  "QOplatyRozliczenia",
                                  "QMultiszablon",
                                  "QMultiszablonPozycje",
                                  "QMagazynBlob",
                                  "QMagazynBlob2"};
static_assert(std::size(kOpenOrder) == 44);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TGeneratorOptions options;
    options.subscribers = 2000;
    int rounds = 5;
    bool keep = false;
    QString database = QStringLiteral("orlix6_bench_datasets");
    TBenchServer server;
    std::vector<TBenchOption> table = {
        {QStringLiteral("--keep"), [&](const QString&) { keep = true; }, true},
        {QStringLiteral("--subscribers"), [&](const QString& v) { options.subscribers = v.toInt(); }},
        {QStringLiteral("--rounds"), [&](const QString& v) { rounds = std::max(1, v.toInt()); }},
        {QStringLiteral("--database"), [&](const QString& v) { database = v; }}};
    server.AddOptions(table);
    if (!ParseBenchArgs(app.arguments(), table)) return usage();
    if (options.subscribers < 0) return usage();

    TConnectionParams params = server.Params(false);
    params.database = database;

    try {
        BenchEnsureDatabase(params);
        {
            TBenchDatabase db(params);
            if (!db.Open()) return 1;
            TDedicatedSession* s = db.Session();
            const bool ready = !BenchDatabaseEmpty(s) &&
                               s->GetQueryValueAsInteger(QStringLiteral("select count(*) from Userdb")) ==
                                   options.subscribers;
            if (!ready) {
                db.MakeEmpty();
                s = db.Session();
                QElapsedTimer t;
                t.start();
                BenchCreateSchema(ProgramFolder());
                const TGeneratorResult r = GenerateIsp(s, options);
                std::printf(
                    "database %s made: %lld subscribers, %lld devices, %lld invoice items in %.1f s\n",
                    qPrintable(database), r.subscribers, r.devices, r.invoiceItems, t.elapsed() / 1000.0);
            }

            TData data;
            Data = &data;
            // The main grids as the main window opens them, without filters.
            data.QUserdb->SetSQL(
                QStringLiteral("SELECT (@i=@i + 1)  as RowCount, vUserdb.* FROM (select @i= 0) "
                               "Trc, vUserdb  WHERE (1=1) order by U_NRKLIENTA"));
            data.QInfra->SetSQL(
                QStringLiteral("select vInfrastruktura.* , PingInfra.* from vInfrastruktura left "
                               "join PingInfra on PI_INDEXINFRA=INF_INDEX order by INF_NAZWA"));
            std::vector<qint64> totals;
            std::vector<std::pair<QString, qint64>> bestRound;
            for (int round = 0; round < rounds; ++round) {
                data.CloseDatasets();
                std::vector<std::pair<QString, qint64>> each;
                QElapsedTimer all;
                all.start();
                for (const char* name : kOpenOrder) {
                    QElapsedTimer one;
                    one.start();
                    data.DatasetByName(QLatin1String(name))->Open();
                    each.emplace_back(QLatin1String(name), one.nsecsElapsed());
                }
                const qint64 total = all.nsecsElapsed();
                if (totals.empty() || total < *std::min_element(totals.begin(), totals.end()))
                    bestRound = each;
                totals.push_back(total);
            }
            std::sort(bestRound.begin(), bestRound.end(),
                      [](const auto& a, const auto& b) { return a.second > b.second; });
            std::sort(totals.begin(), totals.end());
            std::printf("subscribers: %d, rows in the subscriber grid: %d, device grid: %d\n",
                        options.subscribers, data.QUserdb->RecordCount(), data.QInfra->RecordCount());
            std::printf("slowest datasets (best round):");
            const size_t shown = std::min<size_t>(5, bestRound.size());
            for (size_t i = 0; i < shown; ++i)
                std::printf(" %s %.1f ms%s", qPrintable(bestRound[i].first), bestRound[i].second / 1e6,
                            i + 1 < shown ? "," : "\n");
            std::printf("rounds: %d, best %.1f ms, worst %.1f ms\n", rounds, totals.front() / 1e6,
                        totals.back() / 1e6);
            // The figure is the median round.
            std::printf("open_all_datasets_ms: %.1f\n",
                        MedianOf(std::vector<double>(totals.begin(), totals.end())) / 1e6);
            data.CloseDatasets();
            Data = nullptr;
        }
        if (!keep) BenchDropDatabase(params);
    } catch (const EDatabaseError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.Message()));
        return 1;
    }
    return 0;
}
