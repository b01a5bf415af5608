#include "tests/schema/SchemaFixture.h"

#include "core/Query.h"
#include "core/SchemaSteps.h"
#include "core/SchemaUpgrade.h"
#include "core/Session.h"

const QStringList kCatalogueTables = {"INI",
                                      "Operator",
                                      "Log",
                                      "MagazynBlob",
                                      "MagazynBlob2",
                                      "Stat",
                                      "StatSaldo",
                                      "Szablony",
                                      "Multiszablon",
                                      "MultiszablonPozycje",
                                      "Podmioty",
                                      "UserdbAdd",
                                      "WyslaneEmail",
                                      "Userdb",
                                      "UserUwagi",
                                      "Umowy",
                                      "ZleceniaSerwisowe",
                                      "UserFvPozycje",
                                      "Grupy",
                                      "GrupyInf",
                                      "FormyPlatnosci",
                                      "TypLacza",
                                      "TypUrzadzenia",
                                      "RodzajUrzadzenia",
                                      "Autoryzacja",
                                      "Profil",
                                      "Interface",
                                      "Wan",
                                      "Uslugi",
                                      "Taryfy",
                                      "ListaSieci",
                                      "Fv",
                                      "FvPozycje",
                                      "Fvk",
                                      "FvkPozycje",
                                      "Pz",
                                      "PzPozycje",
                                      "Nota",
                                      "NotaPozycje",
                                      "Oplaty",
                                      "OplatyRozliczenia",
                                      "SaldoZO",
                                      "Oplaty_hist",
                                      "PlatnosciMasowe",
                                      "PmMD5",
                                      "OplatyVove",
                                      "FvKsef",
                                      "FvkKsef",
                                      "Ksef",
                                      "FvKsefPobrane",
                                      "Wezly",
                                      "GrupyInterfejsow",
                                      "Infrastruktura",
                                      "Infrastruktura_hist",
                                      "InfraNotatki",
                                      "Mac",
                                      "Mac_hist",
                                      "MTRouter",
                                      "MTconf",
                                      "IntruxRouter",
                                      "Skrypty",
                                      "HazardDomeny",
                                      "PingInfra",
                                      "terc",
                                      "simc",
                                      "ulic",
                                      "wmrodz",
                                      "pa",
                                      "pa_woj",
                                      "PaDodane",
                                      "PaDodaneTauron",
                                      "PaDodaneFiberhost",
                                      "PaDodaneNexera"};

const QStringList kUpgradeViews = {"vUmowyLista",
                                   "vFvLista",
                                   "vFvkLista",
                                   "vPzLista",
                                   "vListaNierozliczonychDokumentow",
                                   "vListaDokumentow",
                                   "vOplatyLista",
                                   "vOplatyVove",
                                   "vUserdb",
                                   "vWezly",
                                   "vPaDodane",
                                   "vFvKsefPobrane",
                                   "vPodmioty",
                                   "vZleceniaLista",
                                   "vMac",
                                   "vMac_hist",
                                   "vInfrastruktura",
                                   "vNotyLista",
                                   "vKsef",
                                   "vPaDodaneTauron",
                                   "vPaDodaneNexera",
                                   "vPaDodaneFiberhost"};

void SchemaTest::SetUp()
{
    DbTest::SetUp();
    if (HasFatalFailure()) return;
    SetProgramFolder(QStringLiteral(ORLIX_BIN_DIR));
    SchemaStatementLog().clear();
    // ImportSqlFile takes its connection from the data source entry: point one at this test's database.
    ASSERT_TRUE(PointTestDataSource(DatabaseName(), m_odbcDir, m_savedOdbcIni));
}

void SchemaTest::TearDown()
{
    RestoreOdbcIni(m_savedOdbcIni);
    DbTest::TearDown();
}

void SchemaTest::FirstStart(bool realScript)
{
    if (realScript)
        RunScript(QStringLiteral(ORLIX_SOURCE_DIR "/sql/orlix6.sql"));
    else
        LoadSchema();
    if (HasFatalFailure()) return;
    UpgradeSchema(nullptr);
    CreateHistoryTriggers();
}

void SchemaTest::UpgradeFrom(const QString& script)
{
    RunScript(script);
    if (HasFatalFailure()) return;
    UpgradeSchema(nullptr);
    CreateHistoryTriggers();
}

QString SchemaTest::schemaOrCurrent(const QString& schema) const
{
    return schema.isEmpty() ? DatabaseName() : schema;
}

QStringList SchemaTest::Columns(const QString& schema) const
{
    return S()->GetQueryValuesAsList(
        QStringLiteral(
            "select concat_ws(' | ', c.TABLE_NAME, COLUMN_NAME, COLUMN_TYPE, IS_NULLABLE, "
            "coalesce(COLUMN_DEFAULT, '-'), EXTRA, coalesce(COLLATION_NAME, '-')) from "
            "information_schema.COLUMNS c join information_schema.TABLES t on "
            "t.TABLE_SCHEMA=c.TABLE_SCHEMA and t.TABLE_NAME=c.TABLE_NAME where c.TABLE_SCHEMA=:p1 and "
            "t.TABLE_TYPE='BASE TABLE' order by c.TABLE_NAME, COLUMN_NAME"),
        {schemaOrCurrent(schema)});
}

QStringList SchemaTest::Tables(const QString& schema) const
{
    return S()->GetQueryValuesAsList(
        QStringLiteral(
            "select concat_ws(' | ', TABLE_NAME, ENGINE, TABLE_COLLATION) from information_schema.TABLES "
            "where TABLE_SCHEMA=:p1 and TABLE_TYPE='BASE TABLE' order by TABLE_NAME"),
        {schemaOrCurrent(schema)});
}

QStringList SchemaTest::Indexes(const QString& schema) const
{
    return S()->GetQueryValuesAsList(
        QStringLiteral(
            "select concat_ws(' | ', TABLE_NAME, INDEX_NAME, NON_UNIQUE, group_concat(COLUMN_NAME order by "
            "SEQ_IN_INDEX)) from information_schema.STATISTICS where TABLE_SCHEMA=:p1 group by "
            "TABLE_NAME, INDEX_NAME, NON_UNIQUE order by TABLE_NAME, INDEX_NAME"),
        {schemaOrCurrent(schema)});
}

QStringList SchemaTest::Views(const QString& schema) const
{
    return S()->GetQueryValuesAsList(QStringLiteral("select TABLE_NAME from information_schema.VIEWS where "
                                                    "TABLE_SCHEMA=:p1 order by TABLE_NAME"),
                                     {schemaOrCurrent(schema)});
}

QStringList SchemaTest::ViewDefinitions() const
{
    return S()->GetQueryValuesAsList(
        QStringLiteral("select concat(TABLE_NAME, ': ', VIEW_DEFINITION) from "
                       "information_schema.VIEWS where TABLE_SCHEMA=:p1 order by "
                       "TABLE_NAME"),
        {DatabaseName()});
}

QStringList SchemaTest::Triggers() const
{
    return S()->GetQueryValuesAsList(
        QStringLiteral(
            "select concat_ws(' | ', TRIGGER_NAME, ACTION_TIMING, EVENT_MANIPULATION, EVENT_OBJECT_TABLE) "
            "from information_schema.TRIGGERS where TRIGGER_SCHEMA=:p1 order by TRIGGER_NAME"),
        {DatabaseName()});
}

QString SchemaTest::Value(const QString& sql, const TArgs& args) const
{
    auto q = S()->OpenQuery(sql, args);
    if (q->IsEmpty() || q->Fields(0)->IsNull()) return QStringLiteral("NULL");
    return QString::fromUtf8(q->Fields(0)->AsBytes());
}

int SchemaTest::Count(const QString& sql, const TArgs& args) const
{
    return S()->GetQueryValueAsInteger(sql, args);
}
