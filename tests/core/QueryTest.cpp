#include "core/Query.h"
#include "core/DedicatedSession.h"
#include "tests/support/TestDb.h"

#include <QSignalSpy>
#include <QTemporaryDir>

class QueryTest : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        S()->ExecQuery(
            QStringLiteral("CREATE TABLE GR (GR_INDEX int NOT NULL AUTO_INCREMENT PRIMARY KEY, "
                           "GR_NAZWA varchar(50) NOT NULL, GR_OPIS varchar(50) NOT NULL DEFAULT 'opis', "
                           "GR_KWOTA decimal(16,2) NOT NULL DEFAULT 0) ENGINE=InnoDB"));
        S()->ExecQuery(QStringLiteral("CREATE TABLE D (D_INDEX int NOT NULL AUTO_INCREMENT PRIMARY KEY, "
                                      "D_GR int NOT NULL, D_TXT varchar(20) NOT NULL) ENGINE=InnoDB"));
        for (const char* n : {"alfa", "beta", "gamma"})
            S()->ExecQuery(QStringLiteral("insert into GR set GR_NAZWA=:p1"), {n});
        S()->ExecQuery(QStringLiteral("insert into D (D_GR, D_TXT) values (1,'a1'),(1,'a2'),(2,'b1')"));
    }
};

TEST_F(QueryTest, NavigatesAndReadsFields)
{
    auto q = S()->OpenQuery(QStringLiteral("select * from GR order by GR_INDEX"));
    EXPECT_EQ(q->RecordCount(), 3);
    EXPECT_TRUE(q->Bof());
    QStringList names;
    for (q->First(); !q->Eof(); q->Next())
        names << q->FieldByName(QStringLiteral("gr_nazwa"))->AsString();
    EXPECT_EQ(names, (QStringList{"alfa", "beta", "gamma"}));
    q->Last();
    EXPECT_EQ(q->RecNo(), 3);
    q->Prior();
    EXPECT_EQ(q->FieldByName(QStringLiteral("GR_INDEX"))->AsInteger(), 2);
    EXPECT_TRUE(q->Locate(QStringLiteral("GR_NAZWA"), TArg(QStringLiteral("GAMMA")), {true, false}));
    EXPECT_EQ(q->RecNo(), 3);
    EXPECT_FALSE(q->Locate(QStringLiteral("GR_NAZWA"), TArg(QStringLiteral("GAMMA"))));
    EXPECT_THROW(q->FieldByName(QStringLiteral("nope")), EDatabaseError);
}

TEST_F(QueryTest, LiveEditsAreWrittenBackByKey)
{
    auto q = S()->OpenLiveQuery(QStringLiteral("select * from GR order by GR_INDEX"));
    q->SetRecNo(2);
    q->Edit();
    q->FieldByName(QStringLiteral("GR_NAZWA"))->SetAsString(QStringLiteral("Beta'2"));
    q->Post();
    EXPECT_EQ(S()->GetQueryValueAsString(QStringLiteral("select GR_NAZWA from GR where GR_INDEX=2")),
              QStringLiteral("Beta'2"));
    EXPECT_EQ(q->FieldByName(QStringLiteral("GR_NAZWA"))->AsString(), QStringLiteral("Beta'2"));

    int afterInsert = 0, beforePost = 0;
    q->AfterInsert = [&](TQuery& ds) {
        ++afterInsert;
        ds.FieldByName(QStringLiteral("GR_NAZWA"))->SetAsString(QStringLiteral("nowa"));
    };
    q->BeforePost = [&](TQuery&) { ++beforePost; };
    q->Append();
    q->Post();
    EXPECT_EQ(afterInsert, 1);
    EXPECT_EQ(beforePost, 1);
    // The key and the server's defaults are read back.
    EXPECT_EQ(q->FieldByName(QStringLiteral("GR_INDEX"))->AsInteger(), 4);
    EXPECT_EQ(q->FieldByName(QStringLiteral("GR_OPIS"))->AsString(), QStringLiteral("opis"));
    EXPECT_EQ(q->RecordCount(), 4);

    q->Locate(QStringLiteral("GR_INDEX"), TArg(1));
    q->Delete();
    EXPECT_EQ(q->RecordCount(), 3);
    EXPECT_TRUE(S()->IsQueryEmpty(QStringLiteral("select 1 from GR where GR_INDEX=1")));

    q->Edit();
    q->FieldByName(QStringLiteral("GR_NAZWA"))->SetAsString(QStringLiteral("cancelled"));
    q->Cancel();
    EXPECT_TRUE(S()->IsQueryEmpty(QStringLiteral("select 1 from GR where GR_NAZWA='cancelled'")));
}

TEST_F(QueryTest, ExecQueryReportsFoundRowsAndInsertIdOfItsOwnStatement)
{
    const TExecResult inserted = S()->ExecQuery(QStringLiteral("insert into GR set GR_NAZWA='delta'"));
    EXPECT_EQ(inserted.RowsAffected, 1);
    EXPECT_EQ(inserted.InsertId, 4);
    // Rows that already hold the value count too: a zero means no such row.
    EXPECT_EQ(S()->ExecQuery(QStringLiteral("update GR set GR_OPIS='opis' where GR_INDEX<=2")).RowsAffected,
              2);
    EXPECT_EQ(S()->ExecQuery(QStringLiteral("update GR set GR_OPIS='x' where GR_INDEX=99")).RowsAffected, 0);
}

// Another workstation deletes the row or changes its key while this one has
// it open: the write by key finds nothing and says so, instead of the edit
// vanishing without a word; nothing is written and the edit stays in the buffer.
TEST_F(QueryTest, WriteToARowGoneUnderAnotherWorkstationIsRefused)
{
    struct Case
    {
        const char* name;
        const char* other; // what the second workstation does to row 2
        bool deleteIt;     // this workstation deletes instead of editing
    };
    const Case cases[] = {
        {"deleted, then edited", "delete from GR where GR_INDEX=2", false},
        {"key changed, then edited", "update GR set GR_INDEX=20 where GR_INDEX=2", false},
        {"deleted, then deleted", "delete from GR where GR_INDEX=2", true},
    };
    QTemporaryDir tmp;
    DefaultSessionPrivateDir = tmp.path() + QStringLiteral("/orlix_priv/");
    TDedicatedSession other(QStringLiteral("DedicatedSession"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        S()->ExecQuery(QStringLiteral("delete from GR"));
        for (int i = 1; i <= 3; ++i)
            S()->ExecQuery(QStringLiteral("insert into GR set GR_INDEX=:p1, GR_NAZWA=:p2"),
                           {i, QStringLiteral("n%1").arg(i)});
        auto q = S()->OpenLiveQuery(QStringLiteral("select * from GR order by GR_INDEX"));
        ASSERT_TRUE(q->Locate(QStringLiteral("GR_INDEX"), TArg(2)));
        other.ExecQuery(QLatin1String(c.other));
        try {
            if (c.deleteIt) {
                q->Delete();
            } else {
                q->Edit();
                q->FieldByName(QStringLiteral("GR_NAZWA"))->SetAsString(QStringLiteral("nowa"));
                q->Post();
            }
            ADD_FAILURE() << "no error";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(),
                      QStringLiteral("Rekord został zmieniony lub usunięty przez inne stanowisko. "
                                     "Odśwież dane i spróbuj ponownie."));
        }
        EXPECT_EQ(q->RecordCount(), 3);
        if (!c.deleteIt) {
            EXPECT_EQ(q->State(), dsEdit);
            EXPECT_EQ(q->FieldByName(QStringLiteral("GR_NAZWA"))->AsString(), QStringLiteral("nowa"));
            q->Cancel();
        }
        EXPECT_EQ(
            S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from GR where GR_NAZWA='nowa'")), 0);
        EXPECT_EQ(S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from GR")),
                  QString::fromLatin1(c.other).startsWith(QLatin1String("delete")) ? 2 : 3);
    }
}

TEST_F(QueryTest, ReadOnlyResultRefusesEdits)
{
    auto q = S()->OpenQuery(QStringLiteral("select * from GR"));
    EXPECT_THROW(q->Edit(), EDatabaseError);
}

TEST_F(QueryTest, RefreshQueryKeepsTheRecordOrFallsBackToFirst)
{
    TQuery q;
    q.SetSQL(QStringLiteral("select * from GR order by GR_INDEX"));
    RefreshQuery(&q, QStringLiteral("GR_INDEX")); // closed: nothing happens
    EXPECT_FALSE(q.Active());
    q.Open();
    q.SetRecNo(2);
    S()->ExecQuery(QStringLiteral("insert into GR set GR_INDEX=0, GR_NAZWA='aaa0'"));
    RefreshQuery(&q, QStringLiteral("GR_INDEX"));
    EXPECT_EQ(q.FieldByName(QStringLiteral("GR_INDEX"))->AsInteger(), 2);
    S()->ExecQuery(QStringLiteral("delete from GR where GR_INDEX=2"));
    RefreshQuery(&q, QStringLiteral("GR_INDEX"));
    EXPECT_EQ(q.RecNo(), 1);
}

TEST_F(QueryTest, RefreshQueryToLastInsertLandsOnTheNewRow)
{
    TQuery q;
    q.SetSQL(QStringLiteral("select * from GR order by GR_NAZWA"));
    q.Open();
    S()->ExecQuery(QStringLiteral("insert into GR set GR_NAZWA='aaaa'"));
    RefreshQueryToLastInsert(&q, QStringLiteral("GR_INDEX"));
    EXPECT_EQ(q.FieldByName(QStringLiteral("GR_NAZWA"))->AsString(), QStringLiteral("aaaa"));
}

TEST_F(QueryTest, DetailFollowsItsMaster)
{
    TQuery master;
    master.SetSQL(QStringLiteral("select GR_INDEX from GR order by GR_INDEX"));
    TQuery detail;
    detail.SetSQL(QStringLiteral("select * from D where D_GR = :GR_INDEX order by D_INDEX"));
    detail.SetMasterSource(&master);
    master.Open();
    detail.Open();
    EXPECT_EQ(detail.RecordCount(), 2);
    master.Next();
    EXPECT_EQ(detail.RecordCount(), 1);
    EXPECT_EQ(detail.FieldByName(QStringLiteral("D_TXT"))->AsString(), QStringLiteral("b1"));
    master.Next();
    EXPECT_EQ(detail.RecordCount(), 0);
}

TEST_F(QueryTest, ControlsHearOneMoveAfterABulkWalk)
{
    auto q = S()->OpenQuery(QStringLiteral("select * from GR"));
    QSignalSpy spy(q.get(), &TQuery::CurrentChanged);
    q->DisableControls();
    for (q->First(); !q->Eof(); q->Next()) {
    }
    EXPECT_EQ(spy.count(), 0);
    q->EnableControls();
    EXPECT_EQ(spy.count(), 1);
}

// Every byte value, quotes, backslashes and bytes that are no UTF-8 must come
// back as they went in, through insert, edit and a field bound as a parameter.
TEST_F(QueryTest, BlobBytesSurvivePostAndBinding)
{
    S()->ExecQuery(QStringLiteral("CREATE TABLE B (B_INDEX int NOT NULL AUTO_INCREMENT PRIMARY KEY, "
                                  "B_PLIK mediumblob) ENGINE=InnoDB"));
    QByteArray bytes;
    for (int round = 0; round < 3; ++round)
        for (int i = 0; i < 256; ++i)
            bytes.append(char(i));
    bytes.append("'\\\"\xff\xfe\x00 end", 11);

    auto q = S()->OpenLiveQuery(QStringLiteral("select * from B"));
    q->Append();
    q->FieldByName(QStringLiteral("B_PLIK"))->SetValue(QVariant(bytes));
    q->Post();
    EXPECT_EQ(q->FieldByName(QStringLiteral("B_PLIK"))->AsBytes(), bytes);
    auto back = S()->OpenQuery(QStringLiteral("select B_PLIK, length(B_PLIK) from B"));
    EXPECT_EQ(back->Fields(0)->AsBytes(), bytes);
    EXPECT_EQ(back->Fields(1)->AsInteger(), bytes.size());

    const QByteArray edited = QByteArray("\x80\x81") + bytes;
    q->Edit();
    q->FieldByName(QStringLiteral("B_PLIK"))->SetValue(QVariant(edited));
    q->Post();
    EXPECT_EQ(S()->OpenQuery(QStringLiteral("select B_PLIK from B"))->Fields(0)->AsBytes(), edited);

    // The bytes read stay valid after their dataset is gone.
    const QByteArray kept = S()->OpenQuery(QStringLiteral("select B_PLIK from B"))->Fields(0)->AsBytes();
    S()->OpenQuery(QStringLiteral("select repeat('z', 100000) from B")); // reuses the freed buffers
    EXPECT_EQ(kept, edited);

    // A blob field passed as an argument matches the stored bytes exactly.
    auto same = S()->OpenQuery(QStringLiteral("select count(*) from B where B_PLIK=:p1"),
                               {TArg(*q->FieldByName(QStringLiteral("B_PLIK")))});
    EXPECT_EQ(same->Fields(0)->AsInteger(), 1);
}
