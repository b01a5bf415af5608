#include "tests/support/TestDb.h"

#include "core/Query.h"
#include "core/SchemaUpgrade.h"
#include "core/WorkerThreads.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <unistd.h>

TConnectionParams TestServerParams(const QString& database)
{
    TConnectionParams p;
    p.socket = qEnvironmentVariable("ORLIX_TEST_SOCKET");
    p.user = qEnvironmentVariable("ORLIX_TEST_USER", QStringLiteral("root"));
    p.password = qEnvironmentVariable("ORLIX_TEST_PASSWORD");
    p.database = database;
    return p;
}

namespace {

std::atomic<int> g_counter{0};

QString schemaScriptPath()
{
    return QStringLiteral(ORLIX_SOURCE_DIR "/sql/orlix6.sql");
}

// Runs a script through the command-line client against one database.
void runClient(const QString& database, const QString& path)
{
    const TConnectionParams p = TestServerParams();
    QProcess proc;
    QStringList args{QStringLiteral("--no-defaults"), QStringLiteral("--default-character-set=utf8mb3"),
                     QStringLiteral("--socket=") + p.socket, QStringLiteral("-u") + p.user, database};
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MYSQL_PWD"), p.password);
    proc.setProcessEnvironment(env);
    proc.setStandardInputFile(path);
    proc.start(QStringLiteral("mariadb"), args);
    ASSERT_TRUE(proc.waitForFinished(120000)) << "mariadb client did not finish";
    ASSERT_EQ(proc.exitCode(), 0) << proc.readAllStandardError().toStdString();
}

} // namespace

void DbTest::SetUp()
{
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("ORLIX_TEST_SOCKET"))
        << "No test database server: run the tests through scripts/test.sh";
    m_dbName = QStringLiteral("t_%1_%2").arg(getpid()).arg(++g_counter);
    {
        TDatabase admin(QStringLiteral("admin"), TestServerParams());
        admin.Open();
        TDedicatedSession::RawResult* dummy = nullptr;
        (void)dummy;
        TDatabase::Register(&admin);
        {
            std::unique_ptr<TDedicatedSession> s(
                TDedicatedSession::CreateOnDatabase(QStringLiteral("admin")));
            s->ExecQuery(QStringLiteral("DROP DATABASE IF EXISTS `%1`").arg(m_dbName));
            s->ExecQuery(
                QStringLiteral("CREATE DATABASE `%1` CHARACTER SET utf8mb3 COLLATE utf8mb3_polish_ci")
                    .arg(m_dbName));
        }
        TDatabase::Unregister(&admin);
    }
    ReleaseGlobalSession();
    DefaultDatabaseName = QStringLiteral("ORLIX4SQL");
    m_db = std::make_unique<TDatabase>(DefaultDatabaseName, TestServerParams(m_dbName));
    m_db->Open();
    TDatabase::Register(m_db.get());
}

void DbTest::TearDown()
{
    // No worker of the test may go on into the next one or past the database.
    StopAndJoinWorkers();
    ReleaseGlobalSession();
    if (m_db) {
        // A test may have registered its own connection under the same name.
        TDatabase::Register(m_db.get());
        try {
            TDedicatedSession* s = TDedicatedSession::CreateOnDatabase(DefaultDatabaseName);
            std::unique_ptr<TDedicatedSession> guard(s);
            if (s->InTransaction()) s->Rollback();
            s->ExecQuery(QStringLiteral("DROP DATABASE IF EXISTS `%1`").arg(m_dbName));
        } catch (...) {
            // a test that killed its connection leaves the database behind; the server is thrown away
        }
        TDatabase::Unregister(m_db.get());
        m_db.reset();
    }
}

void DbTest::RunScript(const QString& path)
{
    runClient(m_dbName, path);
}

void DbTest::LoadSchema()
{
    // The template database is built once per script content; every test then
    // copies its tables, which is far quicker than running the script again.
    QFile f(schemaScriptPath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << "missing " << schemaScriptPath().toStdString();
    const QString hash =
        QString::fromLatin1(QCryptographicHash::hash(f.readAll(), QCryptographicHash::Md5).toHex().left(12));
    const QString tpl = QStringLiteral("tpl_") + hash;
    TDedicatedSession* s = GlobalSession();
    s->GetQueryValueAsInteger(QStringLiteral("SELECT GET_LOCK(:p1, 300)"), {tpl});
    struct Unlock
    {
        TDedicatedSession* s;
        QString n;
        ~Unlock() { s->ExecQuery(QStringLiteral("DO RELEASE_LOCK(:p1)"), {n}); }
    } unlock{s, tpl};
    const bool ready = !s->IsQueryEmpty(
        QStringLiteral(
            "SELECT 1 FROM information_schema.TABLES WHERE TABLE_SCHEMA=:p1 AND TABLE_NAME='zz_ready'"),
        {tpl});
    if (!ready) {
        s->ExecQuery(QStringLiteral("DROP DATABASE IF EXISTS `%1`").arg(tpl));
        s->ExecQuery(
            QStringLiteral("CREATE DATABASE `%1` CHARACTER SET utf8mb3 COLLATE utf8mb3_polish_ci").arg(tpl));
        runClient(tpl, schemaScriptPath());
        if (::testing::Test::HasFatalFailure()) return;
        s->ExecQuery(QStringLiteral("CREATE TABLE `%1`.zz_ready (x int)").arg(tpl));
    }
    const QStringList tables = s->GetQueryValuesAsList(
        QStringLiteral("SELECT TABLE_NAME FROM information_schema.TABLES WHERE TABLE_SCHEMA=:p1 "
                       "AND TABLE_TYPE='BASE TABLE' AND TABLE_NAME<>'zz_ready'"),
        {tpl});
    for (const QString& t : tables) {
        s->ExecQuery(QStringLiteral("CREATE TABLE `%1` LIKE `%2`.`%1`").arg(t, tpl));
        s->ExecQuery(QStringLiteral("INSERT INTO `%1` SELECT * FROM `%2`.`%1`").arg(t, tpl));
    }
}

QString TestOutputDir(const QString& sub)
{
    const QString dir = QStringLiteral(ORLIX_TEST_OUTPUT_DIR "/") + sub;
    QDir().mkpath(dir);
    return dir;
}

void DbTest::LoadUpgradedSchema()
{
    LoadSchema();
    if (::testing::Test::HasFatalFailure()) return;
    RunScript(QStringLiteral(ORLIX_SOURCE_DIR "/sql/TerytStruktura.sql"));
    if (::testing::Test::HasFatalFailure()) return;
    UpgradeSchema(nullptr);
}

bool PointTestDataSource(const QString& database, std::unique_ptr<QTemporaryDir>& dir, QByteArray& saved)
{
    dir = std::make_unique<QTemporaryDir>();
    const QString ini = dir->filePath(QStringLiteral("odbc.ini"));
    QFile f(ini);
    if (!f.open(QIODevice::WriteOnly)) return false;
    const TConnectionParams p = TestServerParams(database);
    f.write(
        QStringLiteral("[ORLIX4SQL]\nDriver=MariaDB Unicode\nSOCKET=%1\nDATABASE=%2\nUSER=%3\nPASSWORD=%4\n")
            .arg(p.socket, p.database, p.user, p.password)
            .toUtf8());
    f.close();
    saved = qgetenv("ODBCINI");
    qputenv("ODBCINI", ini.toUtf8());
    return true;
}

void RestoreOdbcIni(const QByteArray& saved)
{
    if (saved.isEmpty())
        qunsetenv("ODBCINI");
    else
        qputenv("ODBCINI", saved);
}

SecondConnection::SecondConnection(const QString& database, const QString& alias)
    : db(alias, TestServerParams(database))
{
    db.Open();
    TDatabase::Register(&db);
    session.reset(TDedicatedSession::CreateOnDatabase(alias));
}

SecondConnection::~SecondConnection()
{
    session.reset();
    TDatabase::Unregister(&db);
}

void KillServerSession(unsigned long threadId)
{
    SecondConnection killer(QString(), QStringLiteral("killer"));
    killer.session->ExecQuery(QStringLiteral("KILL CONNECTION :p1"), {qint64(threadId)});
}
