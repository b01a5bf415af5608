// The local database archive on a generated ISP:
//   bench-archive [--subscribers N] [--months M] [--database NAME] [--socket PATH] [--regenerate]
// Default: 2,000 subscribers with 12 months of billing history, generated on
// the first run and reused. Prints the time of ArchiveDatabase (dump through
// mariadb-dump, zip with libzip, lamp and log), the time of the same dump to a
// file plus "zip -q" run by hand in the same run, and their ratio.
#include "bench/common/BenchSupport.h"
#include "bench/common/Generator.h"
#include "core/DedicatedSession.h"
#include "core/Session.h"
#include "core/SqlScripts.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: bench-archive [--subscribers N] [--months M] [--database NAME] [--socket PATH] "
                 "[--regenerate]\n");
    return 2;
}

// The same dump and a plain "zip -q", each a process of its own.
bool bareArchive(const TConnectionParams& p, const QString& folder)
{
    const QString dump = folder + QStringLiteral("/bare.sql");
    QStringList args{QStringLiteral("--no-defaults"), QStringLiteral("--default-character-set=utf8"),
                     QStringLiteral("-q"), QStringLiteral("--single-transaction")};
    args << MysqlConnectionArgs(p) << p.database;
    for (const char* t : {"simc", "terc", "ulic", "wmrodz", "pa"})
        args << QStringLiteral("--ignore-table=") + p.database + QLatin1Char('.') + QLatin1String(t);
    args << QStringLiteral("--result-file=") + dump;
    QProcess d;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MYSQL_PWD"), p.password);
    d.setProcessEnvironment(env);
    d.start(MysqlDumpProgram(), args);
    if (!d.waitForFinished(-1) || d.exitCode() != 0) return false;
    QProcess z;
    z.setWorkingDirectory(folder);
    z.start(QStringLiteral("zip"),
            {QStringLiteral("-q"), QStringLiteral("bare.sql.zip"), QStringLiteral("bare.sql")});
    return z.waitForFinished(-1) && z.exitCode() == 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int subscribers = 2000, months = 12;
    QString database;
    bool regenerate = false;
    TBenchServer server;
    std::vector<TBenchOption> table = {
        {QStringLiteral("--regenerate"), [&](const QString&) { regenerate = true; }, true},
        {QStringLiteral("--subscribers"), [&](const QString& v) { subscribers = v.toInt(); }},
        {QStringLiteral("--months"), [&](const QString& v) { months = v.toInt(); }},
        {QStringLiteral("--database"), [&](const QString& v) { database = v; }}};
    server.AddOptions(table, false);
    if (!ParseBenchArgs(app.arguments(), table)) return usage();
    if (subscribers <= 0 || months <= 0) return usage();
    if (MysqlDumpProgram().isEmpty()) {
        std::fprintf(stderr, "mariadb-dump not found on PATH\n");
        return 1;
    }

    TConnectionParams params = server.Params(true);
    params.database = database.isEmpty()
                          ? QStringLiteral("orlix6_bench_archive_%1_%2").arg(subscribers).arg(months)
                          : database;
    QTemporaryDir outDir;
    try {
        BenchEnsureDatabase(params, regenerate);
        TBenchDatabase db(params);
        if (!db.Open()) return 1;
        TDedicatedSession* s = db.Session();
        OperatorId = 1;
        OperatorRightsLevel = 0;
        std::printf("database: %s\n", qPrintable(params.database));
        if (BenchDatabaseEmpty(s) && !BenchGenerateWithHistory(s, subscribers, months)) return 1;
        std::printf("subscribers: %d\ninvoices: %d\n",
                    s->GetQueryValueAsInteger(QStringLiteral("select count(*) from Userdb")),
                    s->GetQueryValueAsInteger(QStringLiteral("select count(*) from Fv")));
        ArchiveFolder = outDir.path() + QStringLiteral("/archiwum/");
        QDir().mkpath(ArchiveFolder);

        QElapsedTimer t;
        t.start();
        const int code = ArchiveDatabase(ArchiveFolder + QStringLiteral("bench.sql"));
        const double archive = t.nsecsElapsed() / 1e9;
        if (code != kArchiveOk) {
            std::fprintf(stderr, "ArchiveDatabase: %d %s\n", code, qPrintable(ArchiveCodeText(code)));
            return 1;
        }
        t.restart();
        if (!bareArchive(params, outDir.path())) {
            std::fprintf(stderr, "bare mariadb-dump + zip failed\n");
            return 1;
        }
        const double bare = t.nsecsElapsed() / 1e9;
        std::printf("zip_bytes: %lld\nbare_zip_bytes: %lld\n",
                    qint64(QFileInfo(ArchiveFolder + QStringLiteral("bench.sql.zip")).size()),
                    qint64(QFileInfo(outDir.path() + QStringLiteral("/bare.sql.zip")).size()));
        std::printf("archive_seconds: %.3f\nbare_seconds: %.3f\nratio: %.2f\n", archive, bare,
                    bare > 0 ? archive / bare : 0.0);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
