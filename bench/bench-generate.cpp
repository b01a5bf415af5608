// Fills a database with a synthetic ISP: bench-generate [--subscribers N]
//   [--database NAME] [--socket PATH] [--user U] [--password P] [--seed S]
//   [--months M] (M months of billing history: documents, payments, settlement)
// Without a socket the connection comes from ORLIX_TEST_SOCKET (database
// "orlix6_bench", made anew at every run), else from the data source entry.
// An empty database first gets the schema, as a first start of the program
// would create it; the time that takes is the first figure.
#include "bench/common/Generator.h"
#include "bench/common/GeneratorBilling.h"

#include "core/DedicatedSession.h"
#include "core/Session.h"

#include "bench/common/BenchSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: bench-generate [--subscribers N] [--database NAME] [--socket PATH] [--user U] "
                 "[--password P] [--seed S] [--months M]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TGeneratorOptions options;
    options.subscribers = 1000;
    QString database;
    int months = 0;
    TBenchServer server;
    std::vector<TBenchOption> table = {
        {QStringLiteral("--subscribers"), [&](const QString& v) { options.subscribers = v.toInt(); }},
        {QStringLiteral("--database"), [&](const QString& v) { database = v; }},
        {QStringLiteral("--seed"), [&](const QString& v) { options.seed = v.toULongLong(); }},
        {QStringLiteral("--months"), [&](const QString& v) { months = v.toInt(); }}};
    server.AddOptions(table);
    if (!ParseBenchArgs(app.arguments(), table)) return usage();
    if (options.subscribers < 0) return usage();
    const bool ownDatabase = database.isEmpty();

    bool fromDataSource = false;
    TConnectionParams params = server.Params(true, &fromDataSource);
    if (!fromDataSource) params.database = QStringLiteral("orlix6_bench");
    if (!database.isEmpty()) params.database = database;
    if (params.database.isEmpty()) {
        std::fprintf(stderr, "no database: give --database or a data source ORLIX4SQL\n");
        return 2;
    }

    try {
        // The bench's own database starts empty at every run; a named one is never dropped.
        BenchEnsureDatabase(params, !fromDataSource && ownDatabase);
        TBenchDatabase db(params);
        // The program's own entry serves as it is unless something else was asked for.
        if (!db.Open(!fromDataSource || !ownDatabase || server.User || server.Password)) return 1;
        TDedicatedSession* s = db.Session();

        if (BenchDatabaseEmpty(s)) {
            QElapsedTimer t;
            t.start();
            BenchCreateSchema(ProgramFolder());
            std::printf("first_start_schema_s: %.2f\n", t.elapsed() / 1000.0);
        }
        const TGeneratorResult r = GenerateIsp(s, options);
        std::printf("database: %s\n", qPrintable(params.database));
        std::printf("subscribers: %lld\n", r.subscribers);
        std::printf("invoice_items: %lld\n", r.invoiceItems);
        std::printf("devices: %lld\n", r.devices);
        std::printf("contracts: %lld\n", r.contracts);
        std::printf("nodes: %lld\n", r.nodes);
        std::printf("infrastructure_devices: %lld\n", r.infrastructure);
        std::printf("routers: %lld\n", r.routers);
        std::printf("groups: %lld\n", r.groups);
        std::printf("tariffs: %lld\n", r.tariffs);
        std::printf("services: %lld\n", r.services);
        std::printf("generate_s: %.2f\n", r.seconds);
        std::printf("subscribers_per_s: %.0f\n", r.seconds > 0 ? r.subscribers / r.seconds : 0.0);
        if (months > 0) {
            TBillingHistoryOptions b;
            b.months = months;
            b.seed = options.seed;
            b.today = options.today;
            const TBillingHistoryResult h = GenerateBillingHistory(b);
            std::printf("billing_months: %d\n", months);
            std::printf("invoices: %lld\n", h.invoices);
            std::printf("payment_demands: %lld\n", h.demands);
            std::printf("corrections: %lld\n", h.corrections);
            std::printf("payments: %lld\n", h.payments);
            std::printf("payouts: %lld\n", h.payouts);
            std::printf("billing_history_s: %.2f\n", h.seconds);
        }
    } catch (const EDatabaseError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.Message()));
        return 1;
    }
    return 0;
}
