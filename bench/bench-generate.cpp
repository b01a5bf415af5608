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
#include "platform/OdbcDataSource.h"

#include "bench/common/BenchSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
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
    QString database, socket, user, password;
    int months = 0;
    bool userGiven = false, passwordGiven = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (i + 1 >= args.size()) return usage();
        const QString v = args[++i];
        if (a == QLatin1String("--subscribers"))
            options.subscribers = v.toInt();
        else if (a == QLatin1String("--database"))
            database = v;
        else if (a == QLatin1String("--socket"))
            socket = v;
        else if (a == QLatin1String("--user"))
            user = v, userGiven = true;
        else if (a == QLatin1String("--password"))
            password = v, passwordGiven = true;
        else if (a == QLatin1String("--seed"))
            options.seed = v.toULongLong();
        else if (a == QLatin1String("--months"))
            months = v.toInt();
        else
            return usage();
    }
    if (options.subscribers < 0) return usage();
    const bool ownDatabase = database.isEmpty();

    TConnectionParams params;
    const bool fromDataSource = socket.isEmpty() && qEnvironmentVariableIsEmpty("ORLIX_TEST_SOCKET");
    if (fromDataSource) {
        params = ConnectionParamsFromEntry(ReadOdbcDataSource(QStringLiteral("ORLIX4SQL")));
    } else {
        params.socket = socket.isEmpty() ? qEnvironmentVariable("ORLIX_TEST_SOCKET") : socket;
        params.user = qEnvironmentVariable("ORLIX_TEST_USER", QStringLiteral("root"));
        params.password = qEnvironmentVariable("ORLIX_TEST_PASSWORD");
        params.database = QStringLiteral("orlix6_bench");
    }
    if (!database.isEmpty()) params.database = database;
    if (userGiven) params.user = user;
    if (passwordGiven) params.password = password;
    if (params.database.isEmpty()) {
        std::fprintf(stderr, "no database: give --database or a data source ORLIX4SQL\n");
        return 2;
    }

    QTemporaryDir odbcDir;
    try {
        {
            // The database itself may not exist yet.
            TConnectionParams server = params;
            server.database.clear();
            TDatabase admin(QStringLiteral("bench-admin"), server);
            admin.Open();
            TDatabase::Register(&admin);
            std::unique_ptr<TDedicatedSession> s(
                TDedicatedSession::CreateOnDatabase(QStringLiteral("bench-admin")));
            const QString name = QString(params.database).remove(QLatin1Char('`'));
            // The bench's own database starts empty at every run; a named one is never dropped.
            if (!fromDataSource && ownDatabase)
                s->ExecQuery(QStringLiteral("DROP DATABASE IF EXISTS `%1`").arg(name));
            s->ExecQuery(
                QStringLiteral("CREATE DATABASE IF NOT EXISTS `%1` COLLATE utf8mb3_polish_ci").arg(name));
            TDatabase::Unregister(&admin);
        }
        if (!fromDataSource || database.size() || userGiven || passwordGiven) {
            if (!PointDataSourceAt(params, odbcDir)) {
                std::fprintf(stderr, "cannot write a data source entry\n");
                return 1;
            }
        }
        TDatabase db(DefaultDatabaseName, params);
        db.Open();
        TDatabase::Register(&db);
        TDedicatedSession* s = GlobalSession();

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
        ReleaseGlobalSession();
        TDatabase::Unregister(&db);
    } catch (const EDatabaseError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.Message()));
        return 1;
    }
    return 0;
}
