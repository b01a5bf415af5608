// The database tools: the archive (dump, zip), its restore and SQL scripts
// through the client, on the test server and with a stand-in dump tool that
// records how it was called.
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/ProgramExit.h"
#include "core/Session.h"
#include "core/SqlScripts.h"
#include "platform/ZipArchive.h"
#include "tests/support/DeskSession.h"
#include "tests/support/TestDb.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <optional>

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class ArchiveDatabaseTest : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        LoadUpgradedSchema();
        ASSERT_TRUE(m_dir.isValid());
        PrepareDesk(m_dir.path());
        m_session.emplace(AdminSignedIn(), DeskFolders(m_dir.path()));
        m_savedPath = qgetenv("PATH");
        m_savedOdbc = qgetenv("ODBCINI");
        SetProgramTerminator([this](int code) { m_exitCodes.push_back(code); });
        pointDataSource(TestServerParams(DatabaseName()));
    }
    void TearDown() override
    {
        SetProgramTerminator(nullptr);
        ArchiveClock = [] { return QDateTime::currentDateTime(); };
        qputenv("PATH", m_savedPath);
        RestoreOdbcIni(m_savedOdbc);
        LeaveDesk();
        m_session.reset();
        DbTest::TearDown();
    }

    // The data source the tools read their connection from.
    void pointDataSource(const TConnectionParams& p)
    {
        const QString ini = m_dir.filePath(QStringLiteral("odbc.ini"));
        writeFile(ini, QStringLiteral("[ORLIX4SQL]\nDriver=MariaDB Unicode\nSOCKET=%1\nDATABASE=%2\nUSER=%3\n"
                                      "PASSWORD=%4\n")
                           .arg(p.socket, p.database, p.user, p.password)
                           .toUtf8());
        qputenv("ODBCINI", ini.toUtf8());
    }
    // A "mariadb-dump" first on PATH: records its arguments and the password
    // it got through the environment, and writes a dump of dumpBytes bytes.
    QString fakeDump(int dumpBytes, int exitCode = 0)
    {
        const QString bin = m_dir.filePath(QStringLiteral("bin"));
        QDir().mkpath(bin);
        const QString record = m_dir.filePath(QStringLiteral("dump-args.txt"));
        const QString script = bin + QStringLiteral("/mariadb-dump");
        writeFile(script,
                  QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1'\necho \"MYSQL_PWD=$MYSQL_PWD\" >> "
                                 "'%1'\nfor a in \"$@\"; do case \"$a\" in --result-file=*) "
                                 "out=\"${a#--result-file=}\";; esac; done\nhead -c %2 /dev/urandom | "
                                 "base64 | head -c %2 > \"$out\"\n%3exit %4\n")
                      .arg(record)
                      .arg(dumpBytes)
                      .arg(exitCode
                               ? QStringLiteral("echo 'mariadb-dump: Got error: 1045: Access denied' >&2\n")
                               : QString())
                      .arg(exitCode)
                      .toUtf8());
        QFile::setPermissions(script,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("PATH", bin.toUtf8() + ':' + m_savedPath);
        return record;
    }
    // Whether the activity log has a line with this text.
    bool logged(const QString& text)
    {
        for (const QString& line :
             S()->GetQueryValuesAsList(QStringLiteral("select LOG_OPIS from Log order by LOG_INDEX")))
            if (line.contains(QStringLiteral(" : ") + text + QStringLiteral(" ("))) return true;
        return false;
    }

    QTemporaryDir m_dir;
    std::optional<TScopedSession> m_session;
    QByteArray m_savedPath, m_savedOdbc;
    std::vector<int> m_exitCodes;
};

TEST_F(ArchiveDatabaseTest, AutomaticNameZipsTheDumpAndNeverPassesThePassword)
{
    TConnectionParams p = TestServerParams(QStringLiteral("orlix"));
    p.user = QStringLiteral("archiwista");
    p.password = QStringLiteral("Tajne-haslo1");
    pointDataSource(p);
    const QString record = fakeDump(8000);
    ArchiveClock = [] { return QDateTime(QDate(2026, 3, 5), QTime(14, 7, 9)); };

    EXPECT_EQ(ArchiveDatabase(), kArchiveOk);
    const QString dump = ArchiveFolder + QStringLiteral("orlix_20260305140709.sql");
    EXPECT_TRUE(QFileInfo::exists(dump + QStringLiteral(".zip")));
    EXPECT_FALSE(QFileInfo::exists(dump));
    EXPECT_EQ(TZipArchiver::EntryNames(dump + QStringLiteral(".zip")),
              QStringList{QStringLiteral("orlix_20260305140709.sql")});
    EXPECT_TRUE(logged(QStringLiteral("Archiwum: ") + dump + QStringLiteral(" ... OK")));

    const QStringList args = QString::fromUtf8(readFile(record)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_TRUE(args.contains(QStringLiteral("MYSQL_PWD=Tajne-haslo1")));
    for (const QString& a : args) {
        if (!a.startsWith(QStringLiteral("MYSQL_PWD="))) {
            EXPECT_FALSE(a.contains(p.password)) << a.toStdString();
        }
    }
    EXPECT_TRUE(args.contains(QStringLiteral("--single-transaction")));
    EXPECT_TRUE(args.contains(QStringLiteral("--user=archiwista")));
    for (const char* t : {"simc", "terc", "ulic", "wmrodz", "pa"})
        EXPECT_TRUE(args.contains(QStringLiteral("--ignore-table=orlix.") + QLatin1String(t))) << t;
    // The stored command shows the password masked.
    const QString stored = ReadIniString(OperatorId, QStringLiteral("OstatnieArchiwumCmd"), QString());
    EXPECT_TRUE(stored.endsWith(QStringLiteral(" -p***")));
    EXPECT_FALSE(stored.contains(p.password));
}

TEST_F(ArchiveDatabaseTest, ResultCodesOfTheSteps)
{
    // Zip sizes: under 3 kB (rounded to whole kB) is no archive.
    struct SizeCase
    {
        int bytes;
        int kb;
        int code;
    } sizes[] = {{2400, 2, kArchiveTooSmall},
                 {2500, 2, kArchiveTooSmall},
                 {2600, 3, kArchiveOk},
                 {3500, 4, kArchiveOk}};
    for (const SizeCase& c : sizes) {
        const QString zip = m_dir.filePath(QStringLiteral("%1.zip").arg(c.bytes));
        writeFile(zip, QByteArray(c.bytes, 'x'));
        EXPECT_EQ(FileSizeKB(zip), c.kb) << c.bytes;
        EXPECT_EQ(ArchiveCodeForZip(zip), c.code) << c.bytes;
    }
    EXPECT_EQ(FileSizeKB(m_dir.filePath(QStringLiteral("brak.zip"))), -1);

    // A dump that zips small gives code 1 and keeps nothing but the log.
    fakeDump(10);
    EXPECT_EQ(ArchiveDatabase(), kArchiveTooSmall);
    EXPECT_TRUE(logged(ArchiveCodeText(kArchiveTooSmall)));

    // No user: 7, the command is stored all the same.
    WriteIniString(OperatorId, QStringLiteral("OstatnieArchiwumCmd"), QString());
    TConnectionParams p = TestServerParams(DatabaseName());
    p.user.clear();
    pointDataSource(p);
    EXPECT_EQ(ArchiveDatabase(), kArchiveNoUser);
    EXPECT_FALSE(ReadIniString(OperatorId, QStringLiteral("OstatnieArchiwumCmd"), QString()).isEmpty());
    EXPECT_TRUE(logged(QStringLiteral("Brak poświadczeń")));

    // A dump tool that fails: its message, no dump left behind.
    pointDataSource(TestServerParams(DatabaseName()));
    fakeDump(8000, 2);
    ArchiveClock = [] { return QDateTime(QDate(2026, 3, 5), QTime(14, 7, 9)); };
    EXPECT_EQ(ArchiveDatabase(), kArchiveToolFailed);
    EXPECT_TRUE(LastArchiveToolMessage().contains(QStringLiteral("Access denied")));
    EXPECT_FALSE(QFileInfo::exists(ArchiveFolder + DatabaseName() + QStringLiteral("_20260305140709.sql")));
}

// The real tools against the test server: a wrong password is refused and
// said so; a script line that fails gives the client's message.
TEST_F(ArchiveDatabaseTest, ToolMessagesOfARefusedLoginAndAFailingScript)
{
    const QString user = QStringLiteral("arch_") + DatabaseName().right(12);
    S()->ExecQueryNoParamCheck(
        QStringLiteral("CREATE USER IF NOT EXISTS '%1'@'localhost' IDENTIFIED BY 'dobre'").arg(user));
    S()->ExecQueryNoParamCheck(
        QStringLiteral("GRANT ALL ON `%1`.* TO '%2'@'localhost'").arg(DatabaseName(), user));
    TConnectionParams p = TestServerParams(DatabaseName());
    p.user = user;
    p.password = QStringLiteral("zle");
    pointDataSource(p);
    EXPECT_EQ(ArchiveDatabase(), kArchiveToolFailed);
    EXPECT_TRUE(LastArchiveToolMessage().contains(QStringLiteral("Access denied")))
        << LastArchiveToolMessage().toStdString();

    p.password = QStringLiteral("dobre");
    pointDataSource(p);
    const QString script = m_dir.filePath(QStringLiteral("skrypt.sql"));
    writeFile(script, "CREATE TABLE SkryptTest (a int);\nINSERT INTO NieMaTakiej VALUES (1);\n");
    QString message;
    int exitCode = 0;
    EXPECT_EQ(ImportSqlFile(script, &exitCode, &message), 2);
    EXPECT_NE(exitCode, 0);
    EXPECT_TRUE(message.contains(QStringLiteral("NieMaTakiej"))) << message.toStdString();
    EXPECT_FALSE(S()->IsQueryEmpty(QStringLiteral("show tables like 'SkryptTest'")));
    S()->ExecQueryNoParamCheck(QStringLiteral("DROP USER '%1'@'localhost'").arg(user));
}

TEST_F(ArchiveDatabaseTest, OnlyTheExactTerytScriptNameAsksAboutTheTables)
{
    TMD::SetTestHook([](const TMD::Shown&) { return mrNo; });
    struct Case
    {
        const char* name;
        int result;
        bool asked;
    } cases[] = {{"TERYT.sql", 9, true}, {"teryt.sql", 0, false}};
    for (const Case& c : cases) {
        TMD::ClearRecorded();
        // Each in a folder of its own: the two names may be one file on some file systems.
        const QString folder = m_dir.filePath(QString::fromLatin1(c.name) + QStringLiteral(".d"));
        QDir().mkpath(folder);
        const QString path = folder + QLatin1Char('/') + QLatin1String(c.name);
        writeFile(path, "SELECT 1;\n");
        EXPECT_EQ(ImportSqlFile(path), c.result) << c.name;
        EXPECT_EQ(!TMD::Recorded().isEmpty(), c.asked) << c.name;
    }
}

// An archive of a small database (a subscriber, an invoice, the TERYT tables
// left out) and its restore over changed data.
TEST_F(ArchiveDatabaseTest, ArchiveAndRestoreRoundTrip)
{
    S()->ExecQuery(
        QStringLiteral("insert into Userdb (U_INDEX, U_NRKLIENTA, U_NAZWISKO, U_IMIE) values (7, 107, "
                       "'Wiśniewska', 'Żaneta')"));
    S()->ExecQuery(
        QStringLiteral("insert into Fv (FV_INDEX, FV_INDEXUSER, FV_NUMER, FV_NUMERTXT) values (1, 7, 1, "
                       "'FV 1/03/2026')"));
    S()->ExecQuery(QStringLiteral("insert into terc (id, woj, nazwa) values (1, '12', 'MAŁOPOLSKIE')"));
    WriteIniString(0, QStringLiteral("VerQv_VerView"), QStringLiteral("6"));

    const QString dump = ArchiveFolder + QStringLiteral("backup.sql");
    ASSERT_EQ(ArchiveDatabase(dump), kArchiveOk) << LastArchiveToolMessage().toStdString();
    const QString zip = dump + QStringLiteral(".zip");
    ASSERT_TRUE(QFileInfo::exists(zip));
    const QString kept = TestOutputDir(QStringLiteral("archive")) + QStringLiteral("/backup.sql.zip");
    QFile::remove(kept);
    QFile::copy(zip, kept);

    S()->ExecQuery(QStringLiteral("delete from Userdb"));
    S()->ExecQuery(QStringLiteral("update Fv set FV_NUMERTXT='zmieniony'"));
    TMD::ClearRecorded();
    EXPECT_EQ(RestoreDatabaseArchive(zip), 0);
    EXPECT_EQ(S()->GetQueryValueAsString(QStringLiteral("select U_NAZWISKO from Userdb where U_INDEX=7")),
              QStringLiteral("Wiśniewska"));
    EXPECT_EQ(S()->GetQueryValueAsString(QStringLiteral("select FV_NUMERTXT from Fv where FV_INDEX=1")),
              QStringLiteral("FV 1/03/2026"));
    // The address registers are not in the archive and stay as they were.
    EXPECT_EQ(S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from terc")), 1);
    EXPECT_EQ(ReadIniString(0, QStringLiteral("VerQv_VerView"), QString()), QStringLiteral("0"));
    EXPECT_FALSE(ReadIniBool(0, QStringLiteral("Triggery_") + ProgramVersion, true));
    EXPECT_EQ(m_exitCodes, std::vector<int>{0});
    EXPECT_FALSE(QFileInfo::exists(PrivateFolder + QStringLiteral("backup.sql")));
    ASSERT_FALSE(TMD::Recorded().isEmpty());
    EXPECT_EQ(TMD::Recorded().back().text,
              QStringLiteral("Dearchiwizacja zakończona\r\nKonieczne jest ponowne uruchomienie programu"));
    const QString cmd = ReadIniString(OperatorId, QStringLiteral("OstatniaDearchiwizacjaCmd"), QString());
    EXPECT_TRUE(cmd.contains(QStringLiteral("-p***")));
}

TEST_F(ArchiveDatabaseTest, FailedRestoreSaysSoAndKeepsTheSchemaVersion)
{
    WriteIniString(0, QStringLiteral("VerQv_VerView"), QStringLiteral("6"));
    const QString script = m_dir.filePath(QStringLiteral("zly.sql"));
    writeFile(script, "INSERT INTO NieMaTakiej VALUES (1);\n");
    TZipArchiver zipper;
    zipper.CreateArchive(script + QStringLiteral(".zip"), {script});
    TMD::ClearRecorded();
    EXPECT_EQ(RestoreDatabaseArchive(script + QStringLiteral(".zip")), 2);
    ASSERT_EQ(TMD::Recorded().size(), 1);
    EXPECT_TRUE(TMD::Recorded()[0].text.startsWith(QStringLiteral("Dearchiwizacja nie powiodła się:\r\n")));
    EXPECT_TRUE(TMD::Recorded()[0].text.contains(QStringLiteral("NieMaTakiej")));
    EXPECT_EQ(ReadIniString(0, QStringLiteral("VerQv_VerView"), QString()), QStringLiteral("6"));
    EXPECT_TRUE(m_exitCodes.empty());
    EXPECT_FALSE(QFileInfo::exists(PrivateFolder + QStringLiteral("zly.sql")));
}

TEST_F(ArchiveDatabaseTest, SmallFileHelpers)
{
    const QString file = m_dir.filePath(QStringLiteral("nowy/folder/plik.txt"));
    SaveTextToFile(QStringLiteral("a\nb\r\nc"), file);
    EXPECT_EQ(readFile(file), QByteArray("a\r\nb\r\nc"));
    EXPECT_EQ(GetShortFolderPath(file), m_dir.filePath(QStringLiteral("nowy/folder/")));
}
