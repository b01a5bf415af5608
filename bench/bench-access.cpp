// Cost of the access layer against bare Connector/C calls, side by side:
// the same scalar statements, the same connection settings, one run.
//   bench-access [--calls N] [--socket PATH] [--user U] [--password P]
// Without options it uses the test server of scripts/test.sh (ORLIX_TEST_SOCKET)
// or the socket of the private local server.
#include "core/DedicatedSession.h"
#include "core/Query.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <cstdio>
#include <mysql.h>

namespace {

QString option(const QStringList& args, const QString& name, const QString& def)
{
    const int i = args.indexOf(name);
    return (i >= 0 && i + 1 < args.size()) ? args.at(i + 1) : def;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int calls = option(args, QStringLiteral("--calls"), QStringLiteral("10000")).toInt();
    TConnectionParams p;
    p.socket = option(
        args, QStringLiteral("--socket"),
        qEnvironmentVariable("ORLIX_TEST_SOCKET",
                             QDir::homePath() + QStringLiteral("/.local/share/orlix6/mariadb/mysqld.sock")));
    p.user = option(args, QStringLiteral("--user"),
                    qEnvironmentVariable("ORLIX_TEST_USER", QStringLiteral("root")));
    p.password = option(args, QStringLiteral("--password"), qEnvironmentVariable("ORLIX_TEST_PASSWORD"));

    try {
        TDatabase db(QStringLiteral("ORLIX4SQL"), p);
        db.Open();
        TDatabase::Register(&db);
        TDedicatedSession* s = GlobalSession();
        s->ExecQuery(QStringLiteral("CREATE DATABASE IF NOT EXISTS orlix6_bench_access"));
        s->ExecQuery(QStringLiteral("USE orlix6_bench_access"));
        s->ExecQuery(
            QStringLiteral("CREATE TABLE IF NOT EXISTS b (B_INDEX int NOT NULL AUTO_INCREMENT PRIMARY KEY, "
                           "B_NUM int NOT NULL) ENGINE=InnoDB"));
        s->ExecQuery(QStringLiteral("TRUNCATE TABLE b"));
        s->ExecQuery(QStringLiteral("INSERT INTO b (B_NUM) SELECT seq FROM seq_1_to_1000"));

        // The bare way: the same statement text with the value put in by hand.
        MYSQL* m = db.Handle();
        auto bare = [&](int i) {
            const QByteArray sql = "select B_NUM from b where B_INDEX = " + QByteArray::number(i % 1000 + 1);
            mysql_real_query(m, sql.constData(), (unsigned long)sql.size());
            MYSQL_RES* r = mysql_store_result(m);
            MYSQL_ROW row = mysql_fetch_row(r);
            const int v = row && row[0] ? atoi(row[0]) : 0;
            mysql_free_result(r);
            return v;
        };
        auto layer = [&](int i) {
            return s->GetQueryValueAsInteger(QStringLiteral("select B_NUM from b where B_INDEX = :p1"),
                                             {i % 1000 + 1});
        };
        // Warm up both, then alternate rounds so neither gets the warmer cache.
        for (int i = 0; i < 500; ++i) {
            bare(i);
            layer(i);
        }
        qint64 bareNs = 0, layerNs = 0;
        long long check = 0;
        const int rounds = 10;
        for (int r = 0; r < rounds; ++r) {
            QElapsedTimer t;
            t.start();
            for (int i = 0; i < calls / rounds; ++i)
                check += bare(i);
            bareNs += t.nsecsElapsed();
            t.restart();
            for (int i = 0; i < calls / rounds; ++i)
                check -= layer(i);
            layerNs += t.nsecsElapsed();
        }
        if (check != 0) {
            std::fprintf(stderr, "results differ\n");
            return 2;
        }
        std::printf("calls: %d\n", calls);
        std::printf("bare_connector_c_us_per_call: %.2f\n", bareNs / 1000.0 / calls);
        std::printf("get_query_value_as_integer_us_per_call: %.2f\n", layerNs / 1000.0 / calls);
        std::printf("ratio: %.3f\n", double(layerNs) / double(bareNs));
        s->ExecQuery(QStringLiteral("DROP DATABASE orlix6_bench_access"));
        ReleaseGlobalSession();
        TDatabase::Unregister(&db);
    } catch (const EDatabaseError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
