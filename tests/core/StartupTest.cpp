#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/ProgramExit.h"
#include "core/Query.h"
#include "core/Session.h"
#include "core/WorkerThreads.h"
#include "mainwindow/Glowny.h"
#include "platform/OdbcDataSource.h"
#include "tests/support/TestDb.h"

#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

const QString kNoConnection =
    QStringLiteral("Nie moge połączyć sie z bazą danych!\r\nAplikacja zostanie zamknięta.");
const QString kMissingScript = QStringLiteral(
    "Nie odnaleziono pliku orlix6.sql ze strukturą tabel do utworzenia w bazie danych.\r\nAplikacja zostanie "
    "zamknięta.\r\n");

int exitCodeOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const EProgramExit& e) {
        return e.code;
    }
    return -1;
}

} // namespace

// Each test has its own data source file, program folder and database.
class StartupTest : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        ASSERT_TRUE(m_dir.isValid());
        qputenv("ODBCINI", (m_dir.path() + QStringLiteral("/odbc.ini")).toUtf8());
        SetProgramFolder(m_dir.path());
        QFile::copy(QStringLiteral(ORLIX_SOURCE_DIR "/sql/orlix6.sql"),
                    m_dir.path() + QStringLiteral("/orlix6.sql"));
        QFile::copy(QStringLiteral(ORLIX_SOURCE_DIR "/sql/TerytStruktura.sql"),
                    m_dir.path() + QStringLiteral("/TerytStruktura.sql"));
        writeDataSource(QStringLiteral("Socket=") + TestServerParams().socket);
        TMD::SetTestHook([this](const TMD::Shown&) { return m_answer; });
        TMD::ClearRecorded();
        TFormGlowny::Closing = false;
    }
    void TearDown() override
    {
        m_data.reset();
        TMD::ClearTestHook();
        SetProgramTerminator(nullptr);
        qunsetenv("ODBCINI");
        SetProgramFolder(QString());
        DbTest::TearDown();
    }

    void writeDataSource(const QString& where, const QString& extra = QString())
    {
        QFile f(m_dir.path() + QStringLiteral("/odbc.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        const TConnectionParams p = TestServerParams();
        f.write(QStringLiteral("[ORLIX4SQL]\nServer=localhost\n%1\nDatabase=%2\nUser=%3\nPassword=%4\n%5\n")
                    .arg(where, DatabaseName(), p.user, p.password, extra)
                    .toUtf8());
    }

    TData& data()
    {
        if (!m_data) m_data = std::make_unique<TData>();
        return *m_data;
    }
    QStringList shownTexts() const
    {
        QStringList out;
        for (const auto& s : TMD::Recorded())
            out << s.text;
        return out;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<TData> m_data;
    int m_answer = 0;
};

TEST_F(StartupTest, NoConnectionEndsWithCode11)
{
    writeDataSource(QStringLiteral("Socket=/nonexistent/mysqld.sock"));
    EXPECT_EQ(exitCodeOf([&] { data().DataCreate(); }), 11);
    EXPECT_EQ(shownTexts(), QStringList{kNoConnection});
}

TEST_F(StartupTest, MissingDataSourceEndsWithCode11)
{
    QFile::remove(m_dir.path() + QStringLiteral("/odbc.ini"));
    EXPECT_EQ(exitCodeOf([&] { data().DataCreate(); }), 11);
    EXPECT_EQ(shownTexts(), QStringList{kNoConnection});
}

TEST_F(StartupTest, OnlyAServerClockMoreThanTwoHoursAheadEndsTheProgram)
{
    struct Case
    {
        const char* rule;
        int offsetSeconds;
        int exitCode;
    };
    const Case cases[] = {
        {"1 h 58 min ahead passes", 7080, -1},
        {"2 h 1 min ahead ends", 7260, 11},
        {"workstation 5 h ahead passes", -18000, -1},
    };
    for (const Case& c : cases) {
        writeDataSource(QStringLiteral("Socket=") + TestServerParams().socket,
                        QStringLiteral("InitStmt=SET timestamp=UNIX_TIMESTAMP()+%1").arg(c.offsetSeconds));
        TMD::ClearRecorded();
        EXPECT_EQ(exitCodeOf([&] { data().DataCreate(); }), c.exitCode) << c.rule;
        if (c.exitCode == 11) {
            EXPECT_TRUE(shownTexts().value(0).startsWith(QStringLiteral("Różnica czasu systemowego serwera")))
                << c.rule;
        }
        m_data.reset();
    }
}

TEST_F(StartupTest, FirstStartCreatesTheSchemaAndStampsTheVersion)
{
    data().DataCreate();
    data().RunStartupSequence(nullptr);
    EXPECT_TRUE(data().StartupDone);
    EXPECT_FALSE(S()->IsQueryEmpty(QStringLiteral("SHOW TABLE STATUS LIKE :p1"), {"Userdb"}));
    EXPECT_EQ(ReadIniString(0, QStringLiteral("VerQv_VerView"), QString()), QStringLiteral("v6.14001"));
    EXPECT_TRUE(ReadIniBool(0, QStringLiteral("Triggery_v6.14"), false));
    EXPECT_TRUE(data().QOperator->Active());
    // A second start the same day writes the statistics only once.
    m_data.reset();
    data().DataCreate();
    data().RunStartupSequence(nullptr);
    EXPECT_EQ(S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from Stat")), 9);
    EXPECT_TRUE(shownTexts().isEmpty()) << shownTexts().join(QLatin1Char('|')).toStdString();
}

// A worker (the balance run) opens its connection from the data module's
// database: closing the module stops and joins it before the database goes.
TEST_F(StartupTest, ClosingTheDataModuleEndsItsWorkersFirst)
{
    data().DataCreate();
    std::atomic<bool> opened{false};
    StartWorker([&opened](const std::atomic<bool>& stop) {
        while (!stop)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        try {
            TDedicatedSession s(QStringLiteral("Worker"));
            opened = true;
        } catch (...) {
        }
    });
    m_data.reset();
    const int left = RunningWorkers();
    StopAndJoinWorkers();
    EXPECT_EQ(left, 0);
    EXPECT_TRUE(opened);
}

TEST_F(StartupTest, MissingSchemaScriptEndsWithCode11)
{
    QFile::remove(m_dir.path() + QStringLiteral("/orlix6.sql"));
    data().DataCreate();
    EXPECT_EQ(exitCodeOf([&] { data().RunStartupSequence(nullptr); }), 11);
    EXPECT_EQ(shownTexts(), QStringList{kMissingScript});
}

TEST_F(StartupTest, ScriptThatFailsDoesNotPassForACreatedSchema)
{
    QFile f(m_dir.path() + QStringLiteral("/orlix6.sql"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("this is not sql;\n");
    f.close();
    data().DataCreate();
    EXPECT_EQ(exitCodeOf([&] { data().RunStartupSequence(nullptr); }), 11);
    // The client's own message says which line failed.
    ASSERT_EQ(shownTexts().size(), 1);
    EXPECT_TRUE(shownTexts()[0].startsWith(QStringLiteral("Błąd tworzenia struktury bazy danych:\r\n")));
    EXPECT_TRUE(shownTexts()[0].contains(QStringLiteral("this is not sql")));
    EXPECT_TRUE(shownTexts()[0].endsWith(QStringLiteral("Aplikacja zostanie zamknięta.")));
}

TEST_F(StartupTest, NewerDatabaseAsksAndStopsOnYes)
{
    LoadSchema();
    WriteIniString(0, QStringLiteral("VerQv_VerView"), QStringLiteral("v6.15001"));
    data().DataCreate();
    m_answer = mrYes;
    EXPECT_EQ(exitCodeOf([&] { data().RunStartupSequence(nullptr); }), 11);
    ASSERT_EQ(shownTexts().size(), 2);
    EXPECT_TRUE(shownTexts()[0].startsWith(QStringLiteral("Podłączasz się do bazy starszą wersją programu")));
    EXPECT_EQ(shownTexts()[1], QStringLiteral("Aplikacja zostanie awaryjnie zamknięta."));
    EXPECT_EQ(ReadIniString(0, QStringLiteral("VerQv_VerView"), QString()), QStringLiteral("v6.15001"));
}

TEST_F(StartupTest, NewerDatabaseRunsTheUpgradeOnNo)
{
    LoadSchema();
    WriteIniString(0, QStringLiteral("VerQv_VerView"), QStringLiteral("v6.15001"));
    data().DataCreate();
    m_answer = mrNo;
    data().RunStartupSequence(nullptr);
    EXPECT_TRUE(data().StartupDone);
    EXPECT_EQ(ReadIniString(0, QStringLiteral("VerQv_VerView"), QString()), QStringLiteral("v6.14001"));
}

TEST_F(StartupTest, StatisticsDayIsRecordedOnlyAfterTheCommit)
{
    LoadSchema();
    // An up-to-date database, so that only the statistics meet the missing table.
    WriteIniString(0, QStringLiteral("VerQv_VerView"), QStringLiteral("v6.14001"));
    WriteIniBool(0, QStringLiteral("Triggery_v6.14"), true);
    S()->ExecQuery(QStringLiteral("CREATE TABLE IF NOT EXISTS FvKsef (x int)"));
    S()->ExecQuery(QStringLiteral("CREATE TABLE IF NOT EXISTS UserdbAdd (x int)"));
    S()->ExecQuery(
        QStringLiteral("CREATE TABLE IF NOT EXISTS Stat (ST_INDEX int NOT NULL AUTO_INCREMENT PRIMARY KEY, "
                       "ST_NAZWA varchar(50) NOT NULL, ST_WARTOSC decimal(16,2) NOT NULL)"));
    S()->ExecQuery(QStringLiteral("insert into Userdb set U_NAZWISKO='x', U_SALDO=1234.56"));
    S()->ExecQuery(QStringLiteral("drop table Infrastruktura"));
    data().DataCreate();
    data().RunStartupSequence(nullptr);
    EXPECT_EQ(ReadIniString(0, QStringLiteral("StatData"), QStringLiteral("none")), QStringLiteral("none"));
    EXPECT_EQ(S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from Stat")), 0);
}

TEST_F(StartupTest, StatisticsSumsKeepTheirDecimals)
{
    LoadSchema();
    S()->ExecQuery(QStringLiteral("insert into Userdb set U_NAZWISKO='x', U_SALDO=1234.56"));
    data().DataCreate();
    data().RunStartupSequence(nullptr);
    EXPECT_EQ(S()->GetQueryValueAsFloat(QStringLiteral("select ST_WARTOSC from Stat where ST_NAZWA='saldo'")),
              1234.56);
    EXPECT_EQ(S()->GetQueryValueAsInteger(
                  QStringLiteral("select ST_WARTOSC from Stat where ST_NAZWA='uzytkownicyall'")),
              1);
    EXPECT_EQ(ReadIniString(0, QStringLiteral("StatData"), QString()),
              QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
}

TEST_F(StartupTest, StatisticsDateThatIsNoDateIsReported)
{
    LoadSchema();
    WriteIniString(0, QStringLiteral("StatData"), QStringLiteral("kiedyś"));
    data().DataCreate();
    data().RunStartupSequence(nullptr);
    EXPECT_TRUE(shownTexts().contains(QStringLiteral("Błąd zapisu statystyk")));
    EXPECT_EQ(ReadIniString(0, QStringLiteral("StatData"), QString()),
              QDate::currentDate().addDays(-1).toString(QStringLiteral("yyyy-MM-dd")));
}

TEST_F(StartupTest, LostConnectionEndsWithCode10)
{
    data().DataCreate();
    int code = -1;
    SetProgramTerminator([&](int c) { code = c; });
    // Killed from outside, as an administrator would.
    KillServerSession(GlobalSession()->Database()->ServerThreadId());
    try {
        GlobalSession()->GetQueryValueAsInteger(QStringLiteral("select 1"));
        FAIL() << "the killed connection still answered";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(IsConnectionLostError(e));
        TData::ApplicationException(e);
    }
    EXPECT_EQ(code, 10);
    ASSERT_EQ(TMD::Recorded().size(), 1);
    EXPECT_TRUE(TMD::Recorded()[0].text.startsWith(
        QStringLiteral("      BŁĄD KRYTYCZNY!\r\n\r\nUtracono połączenie")));
}

TEST_F(StartupTest, ErrorStackDecidesAboutTheLostConnection)
{
    struct Case
    {
        const char* rule;
        std::vector<int> codes;
        int exitCode;
    };
    const Case cases[] = {
        {"lost only as the third entry", {1146, 1064, 9218}, 10},
        {"client says gone away", {2006}, 10},
        {"other engine errors go on", {1146, 1064}, -1},
    };
    for (const Case& c : cases) {
        int code = -1;
        SetProgramTerminator([&](int x) { code = x; });
        TFormGlowny::Closing = false;
        TData::ApplicationException(
            EDatabaseError(QStringLiteral("boom"), QStringLiteral("EDBEngineError"), c.codes));
        EXPECT_EQ(code, c.exitCode) << c.rule;
        if (c.exitCode < 0) {
            EXPECT_TRUE(TFormGlowny::Closing) << c.rule;
            EXPECT_EQ(TMD::Recorded().last().text, QStringLiteral("boom")) << c.rule;
        }
    }
}

TEST_F(StartupTest, DataSourceIsWrittenOnlyWhenMissing)
{
    QFile::remove(m_dir.path() + QStringLiteral("/odbc.ini"));
    ASSERT_EQ(CreateOdbcDataSource(QStringLiteral("ORLIX4SQL")), 1);
    TOdbcEntry e = ReadOdbcDataSource(QStringLiteral("ORLIX4SQL"));
    EXPECT_EQ(e.value(QStringLiteral("User")), QStringLiteral("root"));
    EXPECT_EQ(e.value(QStringLiteral("Port")), QStringLiteral("3306"));
    EXPECT_EQ(e.value(QStringLiteral("Driver")),
              OdbcDriverInstalled(OdbcDriverName) ? OdbcDriverName : QString());
    // An existing entry is never changed, whatever it holds.
    QFile f(m_dir.path() + QStringLiteral("/odbc.ini"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[ORLIX4SQL]\nServer=db.example\nPassword=changed\n");
    f.close();
    EXPECT_EQ(CreateOdbcDataSource(QStringLiteral("ORLIX4SQL")), 0);
    e = ReadOdbcDataSource(QStringLiteral("ORLIX4SQL"));
    EXPECT_EQ(e.value(QStringLiteral("Password")), QStringLiteral("changed"));
    EXPECT_EQ(e.value(QStringLiteral("Server")), QStringLiteral("db.example"));
}

TEST_F(StartupTest, DataSourceWithoutAKnownDriverHasNoDriverValue)
{
    QFile::remove(m_dir.path() + QStringLiteral("/odbc.ini"));
    EXPECT_EQ(CreateOdbcDataSource(QStringLiteral("ORLIX4SQL"), false), 1);
    EXPECT_EQ(ReadOdbcDataSource(QStringLiteral("ORLIX4SQL")).value(QStringLiteral("Driver")), QString());
}
