// Drovik, the post-install configurator, run offscreen from a folder whose
// path holds a blank; its scripts run against the test run's database server.
#include "platform/OdbcDataSource.h"
#include "tests/tools/ToolTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QStringList Scripts{"postinstall1.sh", "postinstall2.sh", "odbc.sh"};

class DrovikTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("ORLIX_TEST_SOCKET"))
            << "No test database server: run the tests through scripts/test.sh";
        m_root = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/Drovik test XXXXXX"));
        ASSERT_TRUE(m_root->isValid());
        m_folder = m_root->path() + QStringLiteral("/program folder");
        m_exe = CopyBuiltTool(QStringLiteral("Drovik"), m_folder);
        ASSERT_TRUE(QFileInfo(m_exe).isExecutable()) << "no built Drovik in " ORLIX_BIN_DIR;
    }

    TToolRun RunDrovik()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return RunTool(m_exe, {}, env, 60000);
    }

    QString Path(const QString& name) const { return m_folder + QLatin1Char('/') + name; }

    std::unique_ptr<QTemporaryDir> m_root;
    QString m_folder;
    QString m_exe;
};

TEST_F(DrovikTest, DrovikWritesItsScriptsAnewWithQuotedPaths)
{
    // An older script is replaced, not appended to.
    QFile stale(Path(QStringLiteral("postinstall1.sh")));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("echo stale\r\n");
    stale.close();

    const TToolRun run = RunDrovik();
    ASSERT_TRUE(run.Finished);
    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();

    for (const QString& name : Scripts) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray text = FileBytes(Path(name));
        ASSERT_FALSE(text.isNull());
        EXPECT_TRUE(text.startsWith("#!/bin/sh\n"));
        EXPECT_FALSE(text.contains('\r'));
        EXPECT_FALSE(text.contains("stale"));
        EXPECT_TRUE(QFileInfo(Path(name)).isExecutable());
        // No password in a script; the paths with their blank are single words.
        EXPECT_FALSE(text.contains("qalmunex"));
        EXPECT_FALSE(text.contains(" -p"));
        const TToolRun syntax = RunTool(QStringLiteral("sh"), {QStringLiteral("-n"), Path(name)},
                                        QProcessEnvironment::systemEnvironment(), 30000);
        EXPECT_EQ(syntax.ExitCode, 0) << syntax.Err.toStdString();
    }
    EXPECT_TRUE(
        FileBytes(Path(QStringLiteral("postinstall1.sh"))).contains("'" + Path("my.cnf").toUtf8() + "'"));
    EXPECT_TRUE(
        FileBytes(Path(QStringLiteral("postinstall2.sh"))).contains("'" + Path("odbc.sh").toUtf8() + "'"));
}

TEST_F(DrovikTest, DrovikReportsAScriptItCannotWrite)
{
    // A folder in the way of the second script.
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("postinstall2.sh"))));
    const TToolRun run = RunDrovik();
    ASSERT_TRUE(run.Finished);
    EXPECT_NE(run.ExitCode, 0);
    const QString err = QString::fromUtf8(run.Err);
    EXPECT_TRUE(err.contains(QStringLiteral("Nie można zapisać pliku"))) << err.toStdString();
    EXPECT_TRUE(err.contains(Path(QStringLiteral("postinstall2.sh")))) << err.toStdString();
    // What was written before stays.
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("postinstall1.sh"))).isExecutable());
}

// The system's database name on the test server: only this test uses it
// (every other test works in a database of its own, t_<pid>_<n>).
TToolRun serverStatement(const QString& sql)
{
    return RunTool(QStringLiteral("mariadb"),
                   {QStringLiteral("--no-defaults"),
                    QStringLiteral("--socket=") + qEnvironmentVariable("ORLIX_TEST_SOCKET"),
                    QStringLiteral("-uroot"), QStringLiteral("-N"), QStringLiteral("-e"), sql},
                   QProcessEnvironment::systemEnvironment(), 60000);
}

TEST_F(DrovikTest, DrovikScriptsCreateDatabaseAndDataSourceAndRunAgain)
{
    ASSERT_EQ(RunDrovik().ExitCode, 0);
    ASSERT_EQ(serverStatement(QStringLiteral("DROP DATABASE IF EXISTS `ORLIX4SQL`")).ExitCode, 0);

    QFile cnf(Path(QStringLiteral("my.cnf")));
    ASSERT_TRUE(cnf.open(QIODevice::WriteOnly));
    cnf.write("[mysqld]\ncharacter-set-server = utf8mb3\n");
    cnf.close();
    const QString confDir = m_root->path() + QStringLiteral("/conf dir");
    const QString odbcIni = m_root->path() + QStringLiteral("/odbc dir/odbc.ini");
    QDir().mkpath(QFileInfo(odbcIni).path());

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MYSQL_UNIX_PORT"), qEnvironmentVariable("ORLIX_TEST_SOCKET"));
    env.insert(QStringLiteral("ODBCINI"), odbcIni);
    env.insert(QStringLiteral("MARIADB_CONF_DIR"), confDir);
    env.remove(QStringLiteral("MYSQL_PWD"));

    // No server configuration folder: nothing to copy, no failure.
    TToolRun r = RunTool(Path(QStringLiteral("postinstall1.sh")), {}, env, 30000);
    EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(confDir));
    ASSERT_TRUE(QDir().mkpath(confDir));

    QByteArray firstIni;
    for (int pass = 1; pass <= 2; ++pass) {
        SCOPED_TRACE(pass == 1 ? "first run" : "second run");
        r = RunTool(Path(QStringLiteral("postinstall1.sh")), {}, env, 30000);
        EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
        EXPECT_EQ(FileBytes(confDir + QStringLiteral("/60-orlix6.cnf")),
                  FileBytes(Path(QStringLiteral("my.cnf"))));

        r = RunTool(Path(QStringLiteral("postinstall2.sh")), {}, env, 60000);
        ASSERT_TRUE(r.Finished);
        EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();

        const TToolRun collation = serverStatement(QStringLiteral(
            "SELECT DEFAULT_COLLATION_NAME FROM information_schema.SCHEMATA WHERE SCHEMA_NAME='ORLIX4SQL'"));
        EXPECT_TRUE(collation.Out.trimmed() == "utf8mb3_polish_ci" ||
                    collation.Out.trimmed() == "utf8_polish_ci")
            << collation.Out.toStdString() << collation.Err.toStdString();

        const QByteArray savedIni = qgetenv("ODBCINI");
        qputenv("ODBCINI", odbcIni.toUtf8());
        const TOdbcEntry e = ReadOdbcDataSource(QStringLiteral("ORLIX4SQL"));
        if (savedIni.isNull())
            qunsetenv("ODBCINI");
        else
            qputenv("ODBCINI", savedIni);
        EXPECT_TRUE(e.exists);
        EXPECT_EQ(e.value(QStringLiteral("Driver")), QStringLiteral("MariaDB Unicode"));
        EXPECT_EQ(e.value(QStringLiteral("Database")), QStringLiteral("ORLIX4SQL"));
        EXPECT_EQ(e.value(QStringLiteral("Socket")), qEnvironmentVariable("ORLIX_TEST_SOCKET"));
        // The second run leaves the data source as it was.
        if (pass == 1)
            firstIni = FileBytes(odbcIni);
        else
            EXPECT_EQ(FileBytes(odbcIni), firstIni);
    }
    serverStatement(QStringLiteral("DROP DATABASE IF EXISTS `ORLIX4SQL`"));
}

} // namespace
