// History triggers: which changes leave a history row.
#include "tests/schema/SchemaFixture.h"

#include "core/Query.h"
#include "core/SchemaUpgrade.h"

class TriggersTest : public SchemaTest
{
protected:
    void SetUp() override
    {
        SchemaTest::SetUp();
        if (HasFatalFailure()) return;
        FirstStart();
        if (HasFatalFailure()) return;
        S()->ExecQuery(QStringLiteral("insert into Mac set M_INDEX=5, M_INDEXUSER=1, M_IP='10.0.0.5', "
                                      "M_MAC='00:11:22:33:44:55', M_UWAGI='a', M_PASMODOWNLOADDZIEN=1"));
        S()->ExecQuery(
            QStringLiteral("insert into Infrastruktura set INF_INDEX=7, INF_NAZWA='AP', INF_IP='10.1.0.1'"));
        S()->ExecQuery(QStringLiteral("insert into Oplaty set O_INDEX=9, O_INDEXUSER=1, O_KWOTA=50, "
                                      "O_KWOTADOROZLICZENIA=50, O_DATAWPLATY='2024-05-12'"));
    }
};

TEST_F(TriggersTest, OnlyTrackedColumnsWriteHistory)
{
    struct Case
    {
        const char* change;
        const char* historyCount;
        int rows;
    };
    const Case cases[] = {
        {"update Mac set M_UWAGI='b' where M_INDEX=5", "select count(*) from Mac_hist", 0},
        {"update Mac set M_PASMODOWNLOADDZIEN=2 where M_INDEX=5", "select count(*) from Mac_hist", 0},
        {"update Mac set M_IP='10.0.0.6' where M_INDEX=5", "select count(*) from Mac_hist", 1},
        {"update Oplaty set O_KWOTADOROZLICZENIA=0 where O_INDEX=9", "select count(*) from Oplaty_hist", 0},
        {"update Oplaty set O_KWOTA=60 where O_INDEX=9", "select count(*) from Oplaty_hist", 1},
        {"update Infrastruktura set INF_UWAGI='x' where INF_INDEX=7",
         "select count(*) from Infrastruktura_hist", 0},
        // A port set where there was none is a change too.
        {"update Infrastruktura set INF_PORT=8291 where INF_INDEX=7",
         "select count(*) from Infrastruktura_hist", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        S()->ExecQuery(QStringLiteral("delete from Mac_hist"));
        S()->ExecQuery(QStringLiteral("delete from Oplaty_hist"));
        S()->ExecQuery(QStringLiteral("delete from Infrastruktura_hist"));
        S()->ExecQuery(QString::fromLatin1(c.change));
        EXPECT_EQ(Count(QString::fromLatin1(c.historyCount)), c.rows);
    }
}

TEST_F(TriggersTest, UpdateAndDeleteKeepTheOldValues)
{
    S()->ExecQuery(QStringLiteral("update Mac set M_IP='10.0.0.6' where M_INDEX=5"));
    S()->ExecQuery(QStringLiteral("delete from Mac where M_INDEX=5"));
    EXPECT_EQ(S()->GetQueryValuesAsList(
                  QStringLiteral("select concat_ws(' ', M_AKCJA, M_INDEXOLD, M_INDEXUSER, M_IP, "
                                 "M_MAC) from Mac_hist order by M_INDEX")),
              (QStringList{"U 5 1 10.0.0.5 00:11:22:33:44:55", "D 5 1 10.0.0.6 00:11:22:33:44:55"}));
    // History rows carry the time of the change.
    EXPECT_EQ(Count(QStringLiteral(
                  "select count(*) from Mac_hist where M_DATAMODYFIKACJI > NOW() - INTERVAL 1 HOUR")),
              2);

    S()->ExecQuery(QStringLiteral("delete from Oplaty where O_INDEX=9"));
    EXPECT_EQ(Value(QStringLiteral("select concat_ws(' ', O_AKCJA, O_INDEXOLD, O_KWOTA, O_DATAWPLATY) from "
                                   "Oplaty_hist")),
              QStringLiteral("D 9 50.00 2024-05-12"));
    S()->ExecQuery(QStringLiteral("delete from Infrastruktura where INF_INDEX=7"));
    EXPECT_EQ(Value(QStringLiteral("select concat_ws(' ', INF_AKCJA, INF_INDEXOLD, INF_NAZWA, INF_IP) from "
                                   "Infrastruktura_hist")),
              QStringLiteral("D 7 AP 10.1.0.1"));
}

TEST_F(TriggersTest, CreatingThemAgainReplacesThem)
{
    CreateHistoryTriggers();
    EXPECT_EQ(Triggers().size(), 6);
    S()->ExecQuery(QStringLiteral("delete from Mac where M_INDEX=5"));
    EXPECT_EQ(Count(QStringLiteral("select count(*) from Mac_hist")), 1);
}
