// The upgrade path: repeated runs, an old database, interrupted runs.
#include "tests/schema/SchemaFixture.h"

#include "core/DbIni.h"
#include "core/Query.h"
#include "core/SchemaSteps.h"
#include "core/SchemaUpgrade.h"

namespace {

const QString kOldShape = QStringLiteral(ORLIX_SOURCE_DIR "/tests/data/schema/old_shape.sql");

bool isViewStatement(const QString& sql)
{
    return sql.startsWith(QLatin1String("CREATE OR REPLACE VIEW")) ||
           sql.startsWith(QLatin1String("DROP VIEW"));
}

} // namespace

TEST_F(SchemaTest, SecondForcedRunChangesNothingButTheViews)
{
    FirstStart();
    ASSERT_FALSE(HasFatalFailure());
    UpgradeSchema(nullptr);
    const QStringList columns = Columns(), tables = Tables(), indexes = Indexes(), views = ViewDefinitions(),
                      triggers = Triggers();

    SchemaStatementLog().clear();
    UpgradeSchema(nullptr);
    QStringList other;
    for (const QString& sql : SchemaStatementLog())
        if (!isViewStatement(sql)) other << sql;
    EXPECT_EQ(other, QStringList());
    EXPECT_EQ(Columns(), columns);
    EXPECT_EQ(Tables(), tables);
    EXPECT_EQ(Indexes(), indexes);
    EXPECT_EQ(ViewDefinitions(), views);
    EXPECT_EQ(Triggers(), triggers);
}

// The upgrade of an early database ends with the tables and columns of a new one.
TEST_F(SchemaTest, OldShapeUpgradedMatchesAFirstStart)
{
    FirstStart();
    ASSERT_FALSE(HasFatalFailure());
    const QStringList freshTables = Tables();
    const QStringList freshColumns = Columns();
    // Start again on the old database in the same test database.
    S()->ExecQuery(QStringLiteral("DROP DATABASE `%1`").arg(DatabaseName()));
    S()->ExecQuery(QStringLiteral("CREATE DATABASE `%1` COLLATE utf8mb3_polish_ci").arg(DatabaseName()));
    S()->ExecQuery(QStringLiteral("USE `%1`").arg(DatabaseName()));
    UpgradeFrom(kOldShape);
    ASSERT_FALSE(HasFatalFailure());

    EXPECT_EQ(Tables(), freshTables);
    EXPECT_EQ(Columns(), freshColumns);
    QStringList views = Views(), expected = kUpgradeViews;
    std::sort(views.begin(), views.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(views, expected);
    EXPECT_EQ(ReadIniString(0, QStringLiteral("VerQv_VerView"), QString()), QStringLiteral("v6.14001"));
}

TEST_F(SchemaTest, OldShapeUpgradeCarriesTheDataOver)
{
    UpgradeFrom(kOldShape);
    ASSERT_FALSE(HasFatalFailure());
    // Values of replaced columns move to their successors.
    EXPECT_EQ(Value(QStringLiteral("select UM_DATAZAWARCIA from Umowy where UM_INDEX=1")),
              QStringLiteral("2020-02-28"));
    EXPECT_EQ(Value(QStringLiteral("select U_KOR_NAZWA from Userdb where U_INDEX=1")),
              QStringLiteral("Anna Kowalska, ul. Krótka 2, 00-002 Warszawa"));
    EXPECT_EQ(Value(QStringLiteral("select O_DATADODANIA from Oplaty where O_INDEX=1")),
              QStringLiteral("2021-05-10"));
    EXPECT_EQ(
        S()->GetQueryValuesAsList(QStringLiteral("select concat(OR_DATAROZLICZENIA, ' ', OR_SPOZNIENIE) from "
                                                 "OplatyRozliczenia order by OR_INDEX")),
        (QStringList{"2021-05-10 9", "2021-05-10 0"}));
    // Existing rows take the defaults of the new columns.
    EXPECT_EQ(
        S()->GetQueryValuesAsList(QStringLiteral("select concat_ws(' ', U_PODMIOT, U_USL_INTERNET, U_USL_TV, "
                                                 "U_USL_TELEFON, U_USL_RADIO) from Userdb order by U_INDEX")),
        (QStringList{"1 1 0 0 0", "1 1 0 0 0"}));
    EXPECT_EQ(Value(QStringLiteral(
                  "select concat(MIKROTIK_BLOKOWANIUP, '/', MIKROTIK_TYPKOLEJKIGLOWNEJ) from MTRouter")),
              QStringLiteral("16/sfq"));
    EXPECT_EQ(Value(QStringLiteral("select ZS_DATAREJESTRACJI from ZleceniaSerwisowe")),
              QStringLiteral("2021-04-01"));
    EXPECT_EQ(Value(QStringLiteral("select M_UWAGI from Mac")), QStringLiteral("antena na dachu"));
    // The first run of the node group drops the stored device-grid layouts, foreign nodes and interface
    // groups.
    EXPECT_EQ(S()->GetQueryValuesAsList(QStringLiteral("select MB_NAZWA from MagazynBlob")),
              QStringList{"logo.zip"});
    EXPECT_EQ(S()->GetQueryValuesAsList(QStringLiteral("select W_IDENTYFIKATOR from Wezly")),
              QStringList{"W1"});
    EXPECT_EQ(Count(QStringLiteral("select count(*) from GrupyInterfejsow")), 0);
    EXPECT_TRUE(S()->IsQueryEmpty(QStringLiteral("SHOW INDEX FROM Umowy WHERE Key_name='UM_NUMER'")));
    // Settings: the portal folder is one path now; a stored 0 stays.
    EXPECT_EQ(ReadIniString(0, QStringLiteral("vOVE_Kat"), QString()), QStringLiteral("klienci/dane"));
    for (const char* k : {"vOVE_Kat1", "vOVE_Kat2", "vOVE_Kat3"})
        EXPECT_EQ(ReadIniString(0, QString::fromLatin1(k), QStringLiteral("?")), QString()) << k;
    EXPECT_EQ(ReadIniInteger(0, QStringLiteral("MikroTikPrzebudowa_4_23"), -1), 0);
    // Statistics hold sums of money with their decimals.
    S()->ExecQuery(QStringLiteral("insert into Stat set ST_NAZWA=:p1, ST_WARTOSC=:p2"),
                   {QStringLiteral("saldo"), QStringLiteral("1234.56")});
    EXPECT_EQ(Value(QStringLiteral("select ST_WARTOSC from Stat where ST_NAZWA='saldo'")),
              QStringLiteral("1234.56"));
    EXPECT_EQ(Value(QStringLiteral("select ST_WARTOSC from Stat where ST_NAZWA='uzytkownicyall'")),
              QStringLiteral("2.00"));
}

// A run that stopped after a group's guard column: the next run completes the group.
TEST_F(SchemaTest, InterruptedGroupsCompleteAtTheNextRun)
{
    FirstStart();
    ASSERT_FALSE(HasFatalFailure());
    const QStringList columns = Columns(), indexes = Indexes();
    // Group 18 (guard UM_CZYANEKS), group 24 (an index), group 43 (a type change after its guard),
    // group 30 (outer group, guard column added last) and a KSeF column.
    S()->ExecQuery(QStringLiteral("ALTER TABLE Umowy DROP COLUMN UM_ANEKSOPIS"));
    S()->ExecQuery(QStringLiteral("ALTER TABLE MTRouter DROP COLUMN MIKROTIK_WYSLIJPPPOE"));
    S()->ExecQuery(QStringLiteral("ALTER TABLE Mac DROP INDEX M_MAC2"));
    S()->ExecQuery(QStringLiteral("ALTER TABLE Stat MODIFY ST_WARTOSC VARCHAR(200) NOT NULL"));
    S()->ExecQuery(QStringLiteral("ALTER TABLE Wezly DROP COLUMN W_EX_KRS"));
    S()->ExecQuery(QStringLiteral("ALTER TABLE Fvk DROP COLUMN FVK_KOR_JST"));
    UpgradeSchema(nullptr);
    EXPECT_EQ(Columns(), columns);
    // The index comes back under the name the upgrade gives it.
    EXPECT_TRUE(SchemaIndexOnColumn(QStringLiteral("Mac"), QStringLiteral("M_MAC2")));
    EXPECT_EQ(Indexes().size(), indexes.size());
}

TEST_F(SchemaTest, ViewsAreDroppedButTablesStartingWithVStay)
{
    FirstStart();
    ASSERT_FALSE(HasFatalFailure());
    S()->ExecQuery(QStringLiteral("CREATE TABLE vTabela (x int) ENGINE = InnoDB"));
    S()->ExecQuery(QStringLiteral("INSERT INTO vTabela VALUES (7)"));
    S()->ExecQuery(QStringLiteral("CREATE OR REPLACE VIEW vSiis AS select * from Wezly limit 1"));
    UpgradeSchema(nullptr);
    EXPECT_EQ(Value(QStringLiteral("select x from vTabela")), QStringLiteral("7"));
    EXPECT_FALSE(Views().contains(QStringLiteral("vSiis")));
    EXPECT_EQ(Views().size(), kUpgradeViews.size());
}

TEST_F(SchemaTest, PortalFolderPartsMergeIntoOnePath)
{
    LoadSchema();
    ASSERT_FALSE(HasFatalFailure());
    struct Case
    {
        const char *k1, *k2, *k3, *merged;
    };
    const Case cases[] = {
        {"a", "", "c", "a/c"}, {"a", "b", "c", "a/b/c"}, {"a", "", "", "a"}, {"", "b", "c", "old"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.merged);
        WriteIniString(0, QStringLiteral("vOVE_Kat"), QStringLiteral("old"));
        WriteIniString(0, QStringLiteral("vOVE_Kat1"), QString::fromUtf8(c.k1));
        WriteIniString(0, QStringLiteral("vOVE_Kat2"), QString::fromUtf8(c.k2));
        WriteIniString(0, QStringLiteral("vOVE_Kat3"), QString::fromUtf8(c.k3));
        UpgradeSchema(nullptr);
        EXPECT_EQ(ReadIniString(0, QStringLiteral("vOVE_Kat"), QString()), QString::fromUtf8(c.merged));
        // Nothing is merged when the first part is empty: the parts stay as they were.
        const bool merged = *c.k1 != 0;
        EXPECT_EQ(ReadIniString(0, QStringLiteral("vOVE_Kat3"), QString()),
                  merged ? QString() : QString::fromUtf8(c.k3));
    }
}
