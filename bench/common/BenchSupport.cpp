#include "bench/common/BenchSupport.h"

#include "bench/common/Generator.h"
#include "bench/common/GeneratorBilling.h"
#include "core/OdbcConnection.h"
#include "core/Session.h"
#include "platform/OdbcDataSource.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>

bool PointDataSourceAt(const TConnectionParams& p, QTemporaryDir& dir)
{
    const QString ini = dir.filePath(QStringLiteral("odbc.ini"));
    QFile f(ini);
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write(QStringLiteral(
                "[ORLIX4SQL]\nDriver=%1\nSOCKET=%2\nSERVER=%3\nPORT=%4\nDATABASE=%5\nUSER=%6\nPASSWORD=%7\n")
                .arg(OdbcDriverName, p.socket, p.host, p.port ? QString::number(p.port) : QString(),
                     p.database, p.user, p.password)
                .toUtf8());
    f.close();
    qputenv("ODBCINI", ini.toUtf8());
    return true;
}

bool ParseBenchArgs(const QStringList& args, const std::vector<TBenchOption>& options)
{
    auto find = [&options](const QString& name) -> const TBenchOption* {
        for (const TBenchOption& o : options)
            if (o.Name == name) return &o;
        return nullptr;
    };
    for (int i = 1; i < args.size(); ++i) {
        const TBenchOption* o = find(args[i]);
        if (o && o->Switch) {
            o->Set(QString());
            continue;
        }
        if (i + 1 >= args.size()) return false;
        const QString& v = args[++i];
        if (!o) return false;
        o->Set(v);
    }
    return true;
}

void TBenchServer::AddOptions(std::vector<TBenchOption>& options, bool withLogin)
{
    options.push_back({QStringLiteral("--socket"), [this](const QString& v) { Socket = v; }});
    if (!withLogin) return;
    options.push_back({QStringLiteral("--user"), [this](const QString& v) { User = v; }});
    options.push_back({QStringLiteral("--password"), [this](const QString& v) { Password = v; }});
}

TConnectionParams TBenchServer::Params(bool useEntry, bool* fromEntry) const
{
    TConnectionParams p;
    const bool entry = useEntry && Socket.isEmpty() && qEnvironmentVariableIsEmpty("ORLIX_TEST_SOCKET");
    if (entry) {
        p = ConnectionParamsFromEntry(ReadOdbcDataSource(QStringLiteral("ORLIX4SQL")));
    } else {
        p.socket = !Socket.isEmpty()
                       ? Socket
                       : qEnvironmentVariable("ORLIX_TEST_SOCKET",
                                              QDir::homePath() +
                                                  QStringLiteral("/.local/share/orlix6/mariadb/mysqld.sock"));
        p.user = qEnvironmentVariable("ORLIX_TEST_USER", QStringLiteral("root"));
        p.password = qEnvironmentVariable("ORLIX_TEST_PASSWORD");
    }
    if (User) p.user = *User;
    if (Password) p.password = *Password;
    if (fromEntry) *fromEntry = entry;
    return p;
}

void BenchAdminExec(const TConnectionParams& params, const QStringList& sql)
{
    TConnectionParams server = params;
    server.database.clear();
    TDatabase admin(QStringLiteral("bench-admin"), server);
    admin.Open();
    TDatabase::Register(&admin);
    {
        std::unique_ptr<TDedicatedSession> s(
            TDedicatedSession::CreateOnDatabase(QStringLiteral("bench-admin")));
        for (const QString& q : sql)
            s->ExecQuery(q);
    }
    TDatabase::Unregister(&admin);
}

namespace {
QString databaseName(const TConnectionParams& params)
{
    return QString(params.database).remove(QLatin1Char('`'));
}
} // namespace

bool BenchMayDrop(const QString& database)
{
    return database.startsWith(QLatin1String("orlix6_bench"));
}

namespace {
// A mistyped --database or data source must never cost an office its data.
QString dropStatement(const TConnectionParams& params)
{
    const QString name = databaseName(params);
    if (!BenchMayDrop(name))
        throw EDatabaseError(
            QStringLiteral(
                "refusing to drop database \"%1\": a bench drops only databases named orlix6_bench*")
                .arg(name));
    return QStringLiteral("DROP DATABASE IF EXISTS `%1`").arg(name);
}
} // namespace

void BenchEnsureDatabase(const TConnectionParams& params, bool dropFirst)
{
    QStringList sql;
    if (dropFirst) sql << dropStatement(params);
    sql << QStringLiteral("CREATE DATABASE IF NOT EXISTS `%1` COLLATE utf8mb3_polish_ci")
               .arg(databaseName(params));
    BenchAdminExec(params, sql);
}

void BenchDropDatabase(const TConnectionParams& params)
{
    BenchAdminExec(params, {dropStatement(params)});
}

TBenchDatabase::TBenchDatabase(const TConnectionParams& params)
    : m_params(params), m_db(DefaultDatabaseName, params)
{
}

TBenchDatabase::~TBenchDatabase()
{
    Close();
}

bool TBenchDatabase::Open(bool writeEntry)
{
    if (writeEntry && !PointDataSourceAt(m_params, m_odbcDir)) {
        std::fprintf(stderr, "cannot write a data source entry\n");
        return false;
    }
    m_db.Open();
    TDatabase::Register(&m_db);
    m_open = true;
    return true;
}

void TBenchDatabase::Close()
{
    if (!m_open) return;
    ReleaseGlobalSession();
    TDatabase::Unregister(&m_db);
    m_db.Close();
    m_open = false;
}

void TBenchDatabase::MakeEmpty()
{
    Close();
    BenchEnsureDatabase(m_params, true);
    m_db.Open();
    TDatabase::Register(&m_db);
    m_open = true;
}

bool BenchGenerateWithHistory(TDedicatedSession* s, int subscribers, int months)
{
    if (!BenchDatabaseEmpty(s)) {
        std::fprintf(stderr, "the database holds other data: name another one or give --regenerate\n");
        return false;
    }
    BenchCreateSchema(ProgramFolder());
    TGeneratorOptions g;
    g.subscribers = subscribers;
    g.today = QDate::currentDate().toString(Qt::ISODate);
    const TGeneratorResult r = GenerateIsp(s, g);
    TBillingHistoryOptions b;
    b.months = months;
    b.today = g.today;
    const TBillingHistoryResult h = GenerateBillingHistory(b);
    std::printf("generate_isp_s: %.2f\n", r.seconds);
    std::printf("generate_history_s: %.2f\n", h.seconds);
    return true;
}

double MsSince(const QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e6;
}

double MedianOf(std::vector<double> v)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
