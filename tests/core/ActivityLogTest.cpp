#include "core/ActivityLog.h"

#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Funkcje2.h"
#include "core/Query.h"
#include "core/Session.h"
#include "platform/LastInput.h"
#include "platform/NetworkAdapter.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kMac = QStringLiteral("00-1A-2B-3C-4D-5E");

class ActivityLogTest : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        LoadSchema();
        SetAdapterSource([] {
            return std::vector<TAdapterInfo>{{QStringLiteral("00:1a:2b:3c:4d:5e"), true, false}};
        });
        m_op = OperatorId;
        m_login = OperatorLogin;
        m_level = OperatorRightsLevel;
    }
    void TearDown() override
    {
        SetAdapterSource(nullptr);
        OperatorId = m_op;
        OperatorLogin = m_login;
        OperatorRightsLevel = m_level;
        DbTest::TearDown();
    }
    struct LogRow
    {
        int op;
        int level;
        QDateTime at;
        QString text;
    };
    std::vector<LogRow> logRows()
    {
        std::vector<LogRow> rows;
        auto q = S()->OpenQuery(QStringLiteral("select * from Log order by LOG_INDEX"));
        for (; !q->Eof(); q->Next())
            rows.push_back({q->FieldByName(QStringLiteral("LOG_OPERATOR"))->AsInteger(),
                            q->FieldByName(QStringLiteral("LOG_OPERATORUPRAWNIENIA"))->AsInteger(),
                            q->FieldByName(QStringLiteral("LOG_DATA"))->AsQDateTime(),
                            q->FieldByName(QStringLiteral("LOG_OPIS"))->AsString()});
        return rows;
    }
    QStringList logTemp(const QString& name)
    {
        return S()->GetQueryValuesAsList(
            QStringLiteral("select LT_WARTOSC from LogTemp where LT_NAZWA=:p1 order by LT_INDEX"), {name});
    }

private:
    int m_op = 0;
    QString m_login;
    int m_level = 1;
};

TEST_F(ActivityLogTest, LogEventWritesLoginMessageAndAdapter)
{
    OperatorId = 1;
    OperatorLogin = QStringLiteral("admin");
    OperatorRightsLevel = 1;
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    LogEvent(QStringLiteral("Logowanie do systemu"));
    const auto rows = logRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text, QStringLiteral("admin : Logowanie do systemu (") + kMac + QStringLiteral(")"));
    EXPECT_EQ(rows[0].op, 1);
    EXPECT_EQ(rows[0].level, 1);
    EXPECT_GE(rows[0].at, before);
    EXPECT_LE(rows[0].at, QDateTime::currentDateTime().addSecs(1));
}

TEST_F(ActivityLogTest, LogEventBeforeLoginHasNoLogin)
{
    OperatorId = 0;
    OperatorLogin.clear();
    OperatorRightsLevel = 0;
    LogEvent(QStringLiteral("Start programu"));
    const auto rows = logRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text, QStringLiteral(" : Start programu (") + kMac + QStringLiteral(")"));
    EXPECT_EQ(rows[0].op, 0);
    EXPECT_EQ(rows[0].level, 0);
}

TEST_F(ActivityLogTest, LogEventCutsLongTextsAndTakesQuotesAsText)
{
    OperatorLogin = QStringLiteral("admin");
    LogEvent(QStringLiteral("Usunięto 'x'); drop table Log; -- ") + QString(300, QLatin1Char('y')));
    const auto rows = logRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text.size(), 255);
    EXPECT_TRUE(rows[0].text.startsWith(QStringLiteral("admin : Usunięto 'x'); drop table Log; -- yyy")));
}

TEST_F(ActivityLogTest, LogEventNeverRaises)
{
    S()->ExecQuery(QStringLiteral("drop table Log"));
    EXPECT_NO_THROW(LogEvent(QStringLiteral("bez tabeli")));
}

TEST_F(ActivityLogTest, LogEventDetailedFollowsTheSetting)
{
    OperatorLogin = QStringLiteral("admin");
    LogEventDetailed(QStringLiteral("szczegół 1"));
    EXPECT_TRUE(logRows().empty()) << "unset: nothing written";
    WriteIniBool(0, QStringLiteral("SzczegoloweLogi"), true);
    LogEventDetailed(QStringLiteral("szczegół 2"));
    WriteIniBool(0, QStringLiteral("SzczegoloweLogi"), false);
    LogEventDetailed(QStringLiteral("szczegół 3"));
    const auto rows = logRows();
    ASSERT_EQ(rows.size(), 1u) << "read on every call";
    EXPECT_TRUE(rows[0].text.contains(QStringLiteral("szczegół 2")));
}

TEST_F(ActivityLogTest, LogTempBelongsToTheConnection)
{
    LogTempInsert(QStringLiteral("Start"), QStringLiteral("12 ms"));
    LogTempInsert(QStringLiteral("Start"), QStringLiteral("15 ms"));
    EXPECT_EQ(logTemp(QStringLiteral("Start")), QStringList({"12 ms", "15 ms"}));
    TDedicatedSession other(QStringLiteral("inny"));
    EXPECT_THROW(other.GetQueryValueAsInteger(QStringLiteral("select count(*) from LogTemp")), EDatabaseError)
        << "another connection has no such table";
}

TEST_F(ActivityLogTest, LogTempInsertPassesDatabaseErrorsOn)
{
    // A table of that name but another shape already on the connection: the insert fails and says so.
    S()->ExecQuery(QStringLiteral("create temporary table LogTemp (X int)"));
    EXPECT_THROW(LogTempInsert(QStringLiteral("a"), QStringLiteral("b")), EDatabaseError);
}

TEST(ActivityLogFormat, ElapsedTimeText)
{
    const struct
    {
        qint64 ms;
        const char* text;
    } cases[] = {{0, "0 ms"},        {2999, "2999 ms"},  {3000, "3000 ms"},    {3001, "3,00 s"},
                 {3500, "3,50 s"},   {3505, "3,51 s"},   {3504, "3,50 s"},     {120000, "120,00 s"},
                 {120001, "2,00 m"}, {150000, "2,50 m"}, {3600000, "60,00 m"}, {7230000, "120,50 m"}};
    for (const auto& c : cases)
        EXPECT_EQ(ElapsedTimeText(c.ms), QString::fromLatin1(c.text)) << c.ms;
}

TEST(ActivityLogFormat, IdleTimeText)
{
    const struct
    {
        qint64 ms;
        const char* text;
    } cases[] = {{1, "1 ms"},         {3000, "3000 ms"},           {3001, "3,0 s"},     {3050, "3,1 s"},
                 {120000, "120,0 s"}, {150000, "2,5 m"},           {3600000, "60,0 m"}, {3600001, "1,0 h"},
                 {5400000, "1,5 h"},  {36000000000LL, "10000,0 h"}};
    for (const auto& c : cases)
        EXPECT_EQ(IdleTimeText(c.ms), QString::fromLatin1(c.text)) << c.ms;
}

TEST_F(ActivityLogTest, LogElapsedTimeGivesRunningTotals)
{
    SetStopwatchStartTime(QDateTime::currentDateTime().addMSecs(-3500));
    LogElapsedTime(QStringLiteral("Krok"));
    SetStopwatchStartTime(QDateTime::currentDateTime().addMSecs(-150000));
    LogElapsedTime(QStringLiteral("Krok"));
    EXPECT_EQ(logTemp(QStringLiteral("Krok")), QStringList({"3,50 s", "2,50 m"}));

    StartStopwatch();
    const QDateTime start = StopwatchStartTime();
    WaitProcessingMessages(30);
    LogElapsedTime(QStringLiteral("Bieg"));
    LogElapsedTime(QStringLiteral("Bieg"));
    EXPECT_EQ(StopwatchStartTime(), start) << "the stopwatch is not reset";
    const QStringList runs = logTemp(QStringLiteral("Bieg"));
    ASSERT_EQ(runs.size(), 2);
    EXPECT_GE(runs[0].chopped(3).toInt(), 30);
    EXPECT_GE(runs[1].chopped(3).toInt(), runs[0].chopped(3).toInt());
}

TEST_F(ActivityLogTest, LogIdleTime)
{
    SetIdleStopwatchStart(QDateTime());
    EXPECT_EQ(LogIdleTime(), 0) << "never started: the interval is beyond the bound";
    SetIdleStopwatchStart(QDateTime::currentDateTime().addSecs(60));
    EXPECT_EQ(LogIdleTime(), 0) << "not above 0";
    LogTempInsert(QStringLiteral("x"), QStringLiteral("y")); // the table exists from here
    EXPECT_TRUE(logTemp(QStringLiteral("Nieaktywnosc")).isEmpty());

    SetIdleStopwatchStart(QDateTime::currentDateTime().addMSecs(-95400));
    EXPECT_EQ(LogIdleTime(), 95) << "whole seconds, the fraction cut off";
    SetIdleStopwatchStart(QDateTime::currentDateTime().addMSecs(-5400000));
    EXPECT_EQ(LogIdleTime(), 5400);
    EXPECT_EQ(logTemp(QStringLiteral("Nieaktywnosc")), QStringList({"95,4 s", "1,5 h"}));

    StartIdleStopwatch();
    EXPECT_LE(qAbs(IdleStopwatchStart().msecsTo(QDateTime::currentDateTime())), 1000);
}

TEST(ActivityLogIdle, GetIdleSecondsCountsFromTheLastInput)
{
    QLineEdit edit;
    edit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
    WaitProcessingMessages(1100);
    EXPECT_GE(GetIdleSeconds(), 1) << "no input for more than a second";
    QTest::keyClick(&edit, Qt::Key_A);
    EXPECT_EQ(GetIdleSeconds(), 0);
    EXPECT_LT(MsSinceLastInput(), 500);
}

TEST(ActivityLogAssertion, LineFormatAndFileErrors)
{
    QTemporaryDir dir;
    const QString was = PrivateFolder;
    PrivateFolder = dir.path() + QStringLiteral("/priv/");
    EXPECT_EQ(AssertionLogFile(), dir.path() + QStringLiteral("/priv/QV_error.log"));
    LogAssertionError(QStringLiteral("Brak rekordu"), QStringLiteral("Glowny.cpp"), 812, 0x4A3F0C);
    LogAssertionError(QStringLiteral("Drugi"), QStringLiteral("User.cpp"), 7, 0);
    QFile f(AssertionLogFile());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << "appended";
    EXPECT_TRUE(QRegularExpression(
                    QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d Glowny\\.cpp: Brak rekordu "
                                   "w linii 812, adres błędu: \\$4A3F0C$"))
                    .match(lines[0])
                    .hasMatch())
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral(" User.cpp: Drugi w linii 7, adres błędu: $0")));

    // A private "folder" that is a file: the line cannot be written, and says so.
    QFile blocker(dir.path() + QStringLiteral("/plik"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    PrivateFolder = dir.path() + QStringLiteral("/plik/");
    EXPECT_THROW(LogAssertionError(QStringLiteral("x"), QStringLiteral("y"), 1, 1), EInOutError);
    PrivateFolder = was;
}

} // namespace
