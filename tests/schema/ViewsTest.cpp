// Worked values of the views: what the lists and printouts read.
#include "tests/schema/SchemaFixture.h"

#include "core/Query.h"

#include <QDate>

namespace {

QString day(int offset)
{
    return QDate::currentDate().addDays(offset).toString(QStringLiteral("yyyy-MM-dd"));
}

} // namespace

class ViewsTest : public SchemaTest
{
protected:
    void SetUp() override
    {
        SchemaTest::SetUp();
        if (HasFatalFailure()) return;
        FirstStart();
    }
};

TEST_F(ViewsTest, SubscriberIsActiveFromActivationUntilDeactivation)
{
    struct Case
    {
        const char* name;
        QString activation, deactivation;
        const char* active;
    };
    const Case cases[] = {
        {"activated today, no deactivation", day(0), QStringLiteral("0000-00-00"), "1"},
        {"deactivated today", day(-30), day(0), "0"},
        {"deactivated tomorrow", day(-30), day(1), "1"},
        {"activation tomorrow", day(1), QStringLiteral("0000-00-00"), "0"},
        {"never activated", QStringLiteral("0000-00-00"), QStringLiteral("0000-00-00"), "0"},
        {"never activated, deactivation later", QStringLiteral("0000-00-00"), day(10), "0"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        S()->ExecQuery(
            QStringLiteral(
                "insert into Userdb set U_NAZWISKO=:p1, U_DATAAKTYWACJI=:p2, U_DATADEAKTYWACJI=:p3"),
            {QString::fromUtf8(c.name), c.activation, c.deactivation});
        EXPECT_EQ(Value(QStringLiteral("select vU_Aktywny from vUserdb where U_NAZWISKO=:p1"),
                        {QString::fromUtf8(c.name)}),
                  QString::fromLatin1(c.active));
    }
}

TEST_F(ViewsTest, DocumentPdfNamesReplaceSlashes)
{
    S()->ExecQuery(QStringLiteral("insert into Fv set FV_NUMERTXT='12/05/2024'"));
    S()->ExecQuery(QStringLiteral("insert into Fvk set FVK_NUMERTXT='K3/05/2024'"));
    S()->ExecQuery(QStringLiteral("insert into Pz set PZ_NUMERTXT='7/2024'"));
    EXPECT_EQ(Value(QStringLiteral("select FV_NumerPdf from vFvLista")), QStringLiteral("F_12_05_2024.pdf"));
    EXPECT_EQ(Value(QStringLiteral("select FVK_NumerPdf from vFvkLista")),
              QStringLiteral("K_K3_05_2024.pdf"));
    EXPECT_EQ(Value(QStringLiteral("select PZ_NumerPdf from vPzLista")), QStringLiteral("P_7_2024.pdf"));
}

TEST_F(ViewsTest, OverdueDaysCountOnlyWhileSomethingIsOpen)
{
    S()->ExecQuery(QStringLiteral("insert into Fv set FV_NUMERTXT='otwarta', FV_DATAWYSTAWIENIA=:p1, "
                                  "FV_DATAPLATNOSCI=:p2, FV_KWOTADOROZLICZENIA=10"),
                   {day(-2), day(5)});
    S()->ExecQuery(QStringLiteral("insert into Fv set FV_NUMERTXT='zalegla', FV_DATAWYSTAWIENIA=:p1, "
                                  "FV_DATAPLATNOSCI=:p2, FV_KWOTADOROZLICZENIA=10"),
                   {day(-20), day(-3)});
    S()->ExecQuery(QStringLiteral("insert into Fv set FV_NUMERTXT='zaplacona', FV_DATAWYSTAWIENIA=:p1, "
                                  "FV_DATAPLATNOSCI=:p1, FV_KWOTADOROZLICZENIA=0"),
                   {day(-20), day(-20)});
    auto overdue = [&](const char* number) {
        return Value(QStringLiteral("select FV_PoTerminie from vFvLista where FV_NUMERTXT=:p1"),
                     {QString::fromLatin1(number)});
    };
    EXPECT_EQ(overdue("otwarta").toDouble(), -5);
    EXPECT_EQ(overdue("zalegla").toDouble(), 3);
    EXPECT_EQ(overdue("zaplacona"), QStringLiteral("NULL"));
}

TEST_F(ViewsTest, OpenDocumentsListTakesNegativeCorrectionsWithoutOverdueDays)
{
    S()->ExecQuery(
        QStringLiteral("insert into Fv set FV_INDEXUSER=1, FV_NUMERTXT='F1', FV_DATAWYSTAWIENIA=:p1, "
                       "FV_DATAPLATNOSCI=:p1, FV_KWOTADOROZLICZENIA=50"),
        {day(-10), day(-10)});
    S()->ExecQuery(
        QStringLiteral("insert into Fv set FV_INDEXUSER=1, FV_NUMERTXT='F2', FV_KWOTADOROZLICZENIA=0"));
    S()->ExecQuery(
        QStringLiteral("insert into Fvk set FVK_INDEXUSER=1, FVK_NUMERTXT='K1', FVK_DATAWYSTAWIENIA=:p1, "
                       "FVK_DATAPLATNOSCI=:p1, FVK_KWOTADOROZLICZENIA=-20"),
        {day(-5), day(-5)});
    S()->ExecQuery(
        QStringLiteral("insert into Pz set PZ_INDEXUSER=1, PZ_NUMERTXT='P1', PZ_DATAWYSTAWIENIA=:p1, "
                       "PZ_DATAPLATNOSCI=:p1, PZ_KWOTADOROZLICZENIA=5"),
        {day(-1), day(-1)});
    EXPECT_EQ(S()->GetQueryValuesAsList(
                  QStringLiteral("select concat_ws(' ', FV_Typ, FV_NUMERTXT, "
                                 "FV_KWOTADOROZLICZENIA, coalesce(FV_PoTerminie, 'NULL')) from "
                                 "vListaNierozliczonychDokumentow")),
              (QStringList{"FV F1 50.00 10.0000", "FK K1 -20.00 NULL", "PZ P1 5.00 1.0000"}));
    EXPECT_EQ(Count(QStringLiteral("select count(*) from vListaDokumentow")), 4);
}

TEST_F(ViewsTest, SubscriberTextsFollowTheAddressRules)
{
    S()->ExecQuery(QStringLiteral(
        "insert into Userdb set U_NRKLIENTA=12345, U_NAZWISKO='Brzęczyszczykiewicz-Nowak', "
        "U_IMIE='Grzegorz', "
        "U_ADR_ULICA='ul. Długa', U_ADR_NRDOMU='5', U_ADR_NRLOKALU='3', U_ADR_KOD='05-092', "
        "U_ADR_MIEJSCOWOSC='Łomianki Dolne', U_ADR_POCZTA='Łomianki', U_CZYADRESDOKORESP=1, "
        "U_KOR_NAZWA='Biuro', "
        "U_KOR_ULICA='ul. Krótka', U_KOR_NRDOMU='1', U_KOR_KOD='00-001', U_KOR_MIEJSCOWOSC='Warszawa', "
        "U_KOR_POCZTA='Warszawa', U_PASMODOWNLOADDZIENTXT='10M', U_PASMOUPLOADDZIENTXT='1M'"));
    auto v = [&](const char* column) {
        return Value(QStringLiteral("select %1 from vUserdb").arg(QLatin1String(column)));
    };
    EXPECT_EQ(v("vU_NazwiskoImie"), QStringLiteral("Brzęczyszczykiewicz-Nowak Grzegorz"));
    EXPECT_EQ(v("vU_ADR_UlicaNr"), QStringLiteral("ul. Długa 5/3"));
    EXPECT_EQ(v("vU_ADR_UlicaPelny"), QStringLiteral("Łomianki Dolne, ul. Długa"));
    EXPECT_EQ(v("vU_ADR_UlicaNrPelny"), QStringLiteral("Łomianki Dolne, ul. Długa 5/3"));
    EXPECT_EQ(v("vU_ADR_Adres"), QStringLiteral("Łomianki Dolne, ul. Długa 5/3  05-092 ŁOMIANKI"));
    EXPECT_EQ(v("vU_ADR_Adres2"),
              QStringLiteral(
                  "Brzęczyszczykiewicz-Nowak Grzegorz\r\nŁomianki Dolne, ul. Długa 5/3\r\n05-092 ŁOMIANKI"));
    EXPECT_EQ(v("vU_KOR_Adres2"), QStringLiteral("Biuro ul. Krótka 1  00-001 WARSZAWA"));
    EXPECT_EQ(v("vU_KOR_Adres"), QStringLiteral("Biuro\r\nul. Krótka 1\r\n00-001 WARSZAWA"));
    EXPECT_EQ(v("vU_LOK_Adres"), QString());
    EXPECT_EQ(v("vU_DownUpAll"), QStringLiteral("10M/1M (-/-)"));
    // At most 25 - 5 characters of the joined names, then the customer number.
    EXPECT_EQ(v("vU_NazwaSkroconaID"), QStringLiteral("Brzęczyszczykiewicz-_12345"));
    EXPECT_EQ(v("vU_Aktywny"), QStringLiteral("0"));
    EXPECT_EQ(v("vU_WspolrzedneGeoStan"), QStringLiteral("-"));

    S()->ExecQuery(QStringLiteral("insert into Userdb set U_NAZWISKO='Bez pasma'"));
    EXPECT_EQ(Value(QStringLiteral("select vU_DownUpAll from vUserdb where U_NAZWISKO='Bez pasma'")),
              QStringLiteral("-/- (-/-)"));
}

TEST_F(ViewsTest, ContractKindsAndCoverageTexts)
{
    for (int kind = 0; kind <= 3; ++kind)
        S()->ExecQuery(QStringLiteral("insert into Umowy set UM_NUMER=:p1, UM_CZYANEKS=:p2"),
                       {kind + 1, kind});
    EXPECT_EQ(
        S()->GetQueryValuesAsList(QStringLiteral("select UM_CzyAneksTyp from vUmowyLista order by UM_NUMER")),
        (QStringList{"UM", "AN", "PZO", "INF"}));

    S()->ExecQuery(QStringLiteral("insert into PaDodane set PA_ULIC=99999, PA_DOWNLINK=300, PA_UPLINK=50, "
                                  "PA_RODZAJZASIEGU=0"));
    S()->ExecQuery(QStringLiteral("insert into PaDodane set PA_ULIC=1234, PA_DOWNLINK=100, PA_UPLINK=10, "
                                  "PA_RODZAJZASIEGU=1"));
    EXPECT_EQ(S()->GetQueryValuesAsList(
                  QStringLiteral("select concat_ws(' ', PA_ULICA, PA_PASMO, PA_RODZAJZASIEGU) "
                                 "from vPaDodane order by PA_INDEX")),
              (QStringList{"brak 300/50Mb/s \"rzeczywisty\"", "0 100/10Mb/s \"teoretyczny\""}));
}

TEST_F(ViewsTest, NodeCountsSubscribersOfItsWorkingDevices)
{
    S()->ExecQuery(
        QStringLiteral("insert into Wezly set W_INDEX=1, W_IDENTYFIKATOR='W1', W_TYPREKORDU='PE'"));
    S()->ExecQuery(
        QStringLiteral("insert into Infrastruktura set INF_INDEX=10, INF_NAZWA='AP1', INF_INDEXWEZLA=1"));
    S()->ExecQuery(
        QStringLiteral("insert into Infrastruktura set INF_INDEX=11, INF_NAZWA='AP2', INF_INDEXWEZLA=1, "
                       "INF_MIEJSCEPODLACZENIA=10"));
    S()->ExecQuery(
        QStringLiteral("insert into Mac (M_INDEXUSER, M_INDEXMIEJSCEPODLACZENIA, M_CZYZAWIESZONE) values "
                       "(1, 10, 0), (1, 11, 0), (2, 11, 0), (3, 11, 1)"));
    EXPECT_EQ(Value(QStringLiteral("select concat(W_IluUserow, ' ', W_NazwaPE) from vWezly")),
              QStringLiteral("2 PE_W1"));
    EXPECT_EQ(Value(QStringLiteral(
                  "select concat(INF_IluUserow, ' ', INF_MiejscePodlaczeniaTxt) from vInfrastruktura "
                  "where INF_INDEX=11")),
              QStringLiteral("3 AP1"));
}
