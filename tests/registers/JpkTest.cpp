// The JPK files: every file a case writes must pass the tax office's schema
// (offline copies) and hold the texts the case names.
#include "ksef/Jpk.h"
#include "core/Amount4.h"
#include "core/DbIni.h"
#include "core/Session.h"
#include "ksef/JpkCommon.h"
#include "tests/registers/RegistersFixture.h"
#include "tests/support/XmlSchemaCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>

namespace {

using TWriter = void (*)(const QString&, int, QString&, const QDate&, const QDate&);

TWriter writerOf(const QString& kind)
{
    if (kind == QLatin1String("V7M3")) return WriteJpkV7M3;
    if (kind == QLatin1String("V7M2")) return WriteJpkV7M2;
    if (kind == QLatin1String("V7K2")) return WriteJpkV7K2;
    if (kind == QLatin1String("FA4")) return WriteJpkFa4;
    return WriteJpkVat3;
}

struct TJpkCase
{
    const char* Name;
    const char* Kind; // V7M3, V7M2, V7K2, FA4, VAT3
    std::vector<TDocSpec> Docs;
    std::vector<QString> Present;
    std::vector<QString> Absent;
    QDate From = QDate(2026, 3, 1), To = QDate(2026, 3, 31);
    int Podmiot = 1;
    const char* FileName = nullptr; // expected file name, when the case pins it
};

void PrintTo(const TJpkCase& c, std::ostream* os)
{
    *os << c.Name;
}

TDocSpec doc(std::array<const char*, 9> sums, char kind = 'F')
{
    TDocSpec d;
    d.Kind = kind;
    d.Sums = sums;
    return d;
}

template <class F> TDocSpec with(TDocSpec d, F f)
{
    f(d);
    return d;
}

const QString crlf = QStringLiteral("\r\n");

std::vector<TJpkCase> cases()
{
    std::vector<TJpkCase> c;
    c.push_back(
        {"V7M3EmptyPeriod",
         "V7M3",
         {},
         {QStringLiteral("<PozycjeSzczegolowe>\r\n<P_38>0</P_38>\r\n<P_51>0</P_51>\r\n</PozycjeSzczegolowe>"),
          QStringLiteral("<SprzedazCtrl><LiczbaWierszySprzedazy>0</LiczbaWierszySprzedazy><PodatekNalezny>0"
                         "</PodatekNalezny></SprzedazCtrl>"),
          QStringLiteral("<NazwaSystemu>Orlix6KSeF_v6.14_Orlix4SQL</NazwaSystemu>"),
          QStringLiteral("<Rok>2026</Rok>\r\n<Miesiac>3</Miesiac>"), QStringLiteral("</Ewidencja></JPK>")},
         {QStringLiteral("<SprzedazWiersz>"), QStringLiteral("<P_10>")},
         QDate(2026, 3, 1),
         QDate(2026, 3, 31),
         1,
         "JPK_V7M3_Orlix6KSeF_Orlix4SQL.xml"});
    c.push_back(
        {"V7M3EveryVatGroup",
         "V7M3",
         {doc({"10", "20", "30", "100", "5", "100", "8", "100", "23"}),
          doc({"0", "0", "0", "100", "5", "0", "0", "0", "0"}),
          doc({"0", "0", "50", "0", "0", "0", "0", "0", "0"}),
          doc({"0", "0", "0", "10", "0", "0", "0", "0", "0"})},
         {QStringLiteral(
              "<K_10>10</K_10>\r\n<K_11>20</K_11>\r\n<K_13>30</K_13>\r\n<K_15>100</K_15>\r\n<K_16>5"
              "</K_16>\r\n<K_17>100</K_17>\r\n<K_18>8</K_18>\r\n<K_19>100</K_19>\r\n<K_20>23</K_20>"),
          QStringLiteral("<BFK>1</BFK>\r\n<K_15>100</K_15>\r\n<K_16>5</K_16>\r\n</SprzedazWiersz>"),
          QStringLiteral("<BFK>1</BFK>\r\n<K_13>50</K_13>\r\n</SprzedazWiersz>"),
          QStringLiteral("<K_15>10</K_15>\r\n<K_16>0</K_16>\r\n</SprzedazWiersz>"),
          QStringLiteral(
              "<P_10>10</P_10>\r\n<P_11>20</P_11>\r\n<P_13>80</P_13>\r\n<P_15>210</P_15>\r\n<P_16>10"
              "</P_16>\r\n<P_17>100</P_17>\r\n<P_18>8</P_18>\r\n<P_19>100</P_19>\r\n<P_20>23</P_20>"
              "\r\n<P_37>520</P_37>\r\n<P_38>41</P_38>\r\n<P_51>41</P_51>\r\n</PozycjeSzczegolowe>"),
          QStringLiteral(
              "<LiczbaWierszySprzedazy>4</LiczbaWierszySprzedazy><PodatekNalezny>41</PodatekNalezny>")},
         {}});
    c.push_back(
        {"V7M3ProceduresAndGtu",
         "V7M3",
         {with(doc({"0", "0", "0", "0", "0", "0", "0", "100", "23"}),
               [](TDocSpec& d) {
                   d.Fp = d.Ee = d.Tp = 1;
                   d.Gtu = {12, 3, 12};
               }),
          with(doc({"0", "0", "0", "0", "0", "0", "0", "10", "2.3"}), [](TDocSpec& d) { d.Gtu = {3}; })},
         {QStringLiteral("<BFK>1</BFK>\r\n<TypDokumentu>FP</TypDokumentu>\r\n<GTU_03>1</GTU_03>\r\n<GTU_12>1"
                         "</GTU_12>\r\n<WSTO_EE>1</WSTO_EE>\r\n<TP>1</TP>\r\n<K_19>100</K_19>"),
          QStringLiteral("<BFK>1</BFK>\r\n<GTU_03>1</GTU_03>\r\n<K_19>10</K_19>\r\n<K_20>2.3</K_20>"),
          QStringLiteral("<P_19>10</P_19>\r\n<P_20>2</P_20>\r\n<P_37>10</P_37>\r\n<P_38>2</P_38>"),
          QStringLiteral(
              "<LiczbaWierszySprzedazy>2</LiczbaWierszySprzedazy><PodatekNalezny>2.3</PodatekNalezny>")},
         {}});
    c.push_back({"V7M3KsefMarkers",
                 "V7M3",
                 {with(doc({"0", "0", "0", "0", "0", "0", "0", "100", "23"}),
                       [](TDocSpec& d) {
                           d.NrKsef = QStringLiteral("5261040828-20260310-0100001AF629-AF");
                           d.KsefStatus = QStringLiteral("OFFLINE");
                       }),
                  with(doc({"0", "0", "0", "0", "0", "0", "0", "100", "23"}),
                       [](TDocSpec& d) { d.KsefStatus = QStringLiteral("OFFLINE"); }),
                  doc({"0", "0", "0", "0", "0", "0", "0", "100", "23"})},
                 {QStringLiteral(
                      "<DataSprzedazy>2026-03-10</DataSprzedazy><NrKSeF>5261040828-20260310-0100001AF629-AF"
                      "</NrKSeF>\r\n"),
                  QStringLiteral("<DataSprzedazy>2026-03-10</DataSprzedazy><OFF>1</OFF>\r\n"),
                  QStringLiteral("<DataSprzedazy>2026-03-10</DataSprzedazy><BFK>1</BFK>\r\n")},
                 {}});
    c.push_back(
        {"V7M3CorrectionsOutweighInvoices",
         "V7M3",
         {doc({"0", "0", "0", "0", "0", "0", "0", "100", "23"}),
          doc({"0", "0", "0", "0", "0", "0", "0", "-300", "-69"}, 'K')},
         {QStringLiteral(
              "<P_19>-200</P_19>\r\n<P_20>-46</P_20>\r\n<P_37>-200</P_37>\r\n<P_38>0</P_38>\r\n<P_51>0"
              "</P_51>\r\n<P_53>46</P_53>\r\n<P_62>46</P_62>\r\n"),
          QStringLiteral(
              "<BFK>1</BFK>\r\n<K_10>0</K_10>\r\n<K_11>0</K_11>\r\n<K_13>0</K_13>\r\n<K_15>0</K_15>\r\n"
              "<K_16>0</K_16>\r\n<K_17>0</K_17>\r\n<K_18>0</K_18>\r\n<K_19>-300</K_19>\r\n<K_20>-69"
              "</K_20>"),
          QStringLiteral("<LpSprzedazy>2</LpSprzedazy>"),
          QStringLiteral("<PodatekNalezny>-46</PodatekNalezny>")},
         {}});
    c.push_back(
        {"V7M3HalvesRoundAwayFromZero",
         "V7M3",
         {doc({"0.4", "0.5", "0", "0", "0", "0", "0", "0", "0"}),
          doc({"0", "0", "-0.5", "0", "0", "0", "0", "0", "0"}, 'K')},
         {QStringLiteral("<PozycjeSzczegolowe>\r\n<P_11>1</P_11>\r\n<P_13>-1</P_13>\r\n<P_38>0</P_38>"),
          QStringLiteral("<K_10>0.4</K_10>\r\n<K_11>0.5</K_11>\r\n</SprzedazWiersz>")},
         {QStringLiteral("<P_10>")}});
    c.push_back(
        {"V7M3OtherCompanyFile",
         "V7M3",
         {with(doc({"0", "0", "0", "0", "0", "0", "0", "100", "23"}), [](TDocSpec& d) { d.Podmiot = 2; }),
          doc({"0", "0", "0", "0", "0", "0", "0", "300", "69"})},
         {QStringLiteral(
              "<LiczbaWierszySprzedazy>1</LiczbaWierszySprzedazy><PodatekNalezny>23</PodatekNalezny>"),
          QStringLiteral("<PelnaNazwa>ABC sp. j.</PelnaNazwa>"),
          QStringLiteral("<Email>abc@siec.pl</Email>")},
         {},
         QDate(2026, 3, 1),
         QDate(2026, 3, 31),
         2,
         "JPK_V7M3_Orlix6KSeF_Orlix4SQL_ABC.xml"});
    c.push_back({"V7M3TextsEscaped",
                 "V7M3",
                 {with(doc({"0", "0", "0", "0", "0", "0", "0", "100", "23"}),
                       [](TDocSpec& d) {
                           d.Nazwisko = QStringLiteral("Alfa & Syn");
                           d.Imie.clear();
                           d.Number = QStringLiteral("FV/1<2>&3");
                       }),
                  with(doc({"0", "0", "0", "0", "0", "0", "0", "100", "23"}),
                       [](TDocSpec& d) { d.Nip = QStringLiteral("-"); })},
                 {QStringLiteral("<NrKontrahenta>5260001246</NrKontrahenta><NazwaKontrahenta>Alfa &amp; Syn"
                                 "</NazwaKontrahenta><DowodSprzedazy>FV/1&lt;2&gt;&amp;3</DowodSprzedazy>"),
                  QStringLiteral("<NrKontrahenta>brak</NrKontrahenta>"),
                  QStringLiteral("<PelnaNazwa>Sieć &amp; Spółka sp. z o.o.</PelnaNazwa>")},
                 {}});
    c.push_back({"V7M2CleansNamesWithoutKsefOrFp",
                 "V7M2",
                 {with(doc({"0", "0", "0", "0", "0", "0", "0", "100", "23"}),
                       [](TDocSpec& d) {
                           d.Date = QStringLiteral("2025-03-10");
                           d.Nazwisko = QStringLiteral("Alfa & Co/PL");
                           d.Imie.clear();
                           d.Fp = 1;
                           d.NrKsef = QStringLiteral("5261040828-20250310-0100001AF629-AF");
                       })},
                 {QStringLiteral("<NazwaKontrahenta>Alfa  CoPL</NazwaKontrahenta>"),
                  QStringLiteral("<DataSprzedazy>2025-03-10</DataSprzedazy>\r\n<K_19>100</K_19>"),
                  QStringLiteral("<PelnaNazwa>Sieć  Spółka sp. z o.o.</PelnaNazwa>"),
                  QStringLiteral("<P_38>0</P_38>"), QStringLiteral("<PodatekNalezny>0</PodatekNalezny>"),
                  QStringLiteral("kodSystemowy=\"VAT-7 (22)\"")},
                 {QStringLiteral("TypDokumentu"), QStringLiteral("NrKSeF"), QStringLiteral("<BFK>")},
                 QDate(2025, 3, 1),
                 QDate(2025, 3, 31),
                 1,
                 "JPK_V7M_Orlix6KSeF_Orlix4SQL.xml"});
    auto on = [](const char* date, std::array<const char*, 9> sums) {
        return with(doc(sums), [&](TDocSpec& d) { d.Date = QLatin1String(date); });
    };
    c.push_back(
        {"V7K2QuarterInItsLastMonth",
         "V7K2",
         {on("2024-01-15", {"0", "0", "0", "0", "0", "0", "0", "100", "23"}),
          on("2024-03-31", {"0", "0", "0", "0", "0", "0", "0", "200", "46"}),
          on("2024-04-01", {"0", "0", "0", "0", "0", "0", "0", "900", "207"})},
         {QStringLiteral("<Rok>2024</Rok>\r\n<Miesiac>3</Miesiac>\r\n</Naglowek>"),
          QStringLiteral(
              ">VAT-7K</KodFormularzaDekl>\r\n<WariantFormularzaDekl>16</WariantFormularzaDekl>\r\n"
              "<Kwartal>1</Kwartal>\r\n</Naglowek>"),
          QStringLiteral("<P_19>300</P_19>\r\n<P_20>69</P_20>"),
          QStringLiteral(
              "<LiczbaWierszySprzedazy>1</LiczbaWierszySprzedazy><PodatekNalezny>46</PodatekNalezny>")},
         {},
         QDate(2024, 3, 1),
         QDate(2024, 3, 31),
         1,
         "JPK_V7K_Orlix6KSeF_Orlix4SQL.xml"});
    c.push_back({"V7K2NoDeclarationMidQuarter",
                 "V7K2",
                 {on("2024-02-29", {"0", "0", "0", "0", "0", "0", "0", "100", "23"})},
                 {QStringLiteral("</Podmiot1>\r\n<Ewidencja>"), QStringLiteral("<Miesiac>2</Miesiac>")},
                 {QStringLiteral("<Deklaracja>"), QStringLiteral("Kwartal")},
                 QDate(2024, 2, 1),
                 QDate(2024, 2, 29)});
    auto addressed = [](char kind, std::array<const char*, 9> sums) {
        return with(doc(sums, kind), [](TDocSpec& d) {
            d.Ulica = QStringLiteral("Mała <b>");
            d.NrLokalu.clear();
        });
    };
    c.push_back(
        {"Vat3RegisterWithFpAndAddresses",
         "VAT3",
         {with(addressed('F', {"0", "0", "0", "0", "0", "0", "0", "5000", "1150"}),
               [](TDocSpec& d) { d.Fp = 1; }),
          addressed('K', {"0", "0", "0", "0", "0", "1000", "84.5", "0", "0"})},
         {QStringLiteral("<tns:AdresKontrahenta>Mała &lt;b&gt; 5 00-001 Warszawa</tns:AdresKontrahenta>"),
          QStringLiteral("<tns:AdresKontrahenta>Mała b 5 00-001 Warszawa</tns:AdresKontrahenta>"),
          QStringLiteral("<tns:K_10>0</tns:K_10><tns:K_11>0</tns:K_11>"),
          QStringLiteral("<tns:SprzedazCtrl><tns:LiczbaWierszySprzedazy>2</tns:LiczbaWierszySprzedazy>"
                         "<tns:PodatekNalezny>1234.50</tns:PodatekNalezny></tns:SprzedazCtrl></tns:JPK>\r\n"),
          QStringLiteral("<tns:Email>biuro@siec.pl</tns:Email>")},
         {QStringLiteral("\n<")},
         QDate(2026, 3, 1),
         QDate(2026, 3, 31),
         1,
         "JPK_VAT_Orlix6KSeF_Orlix4SQL_.xml"});
    c.push_back({"Vat3HalfZlotyTax",
                 "VAT3",
                 {doc({"0", "0", "0", "0", "0", "0", "0", "2.17", "0.5"})},
                 {QStringLiteral("<tns:PodatekNalezny>.50</tns:PodatekNalezny>")},
                 {}});
    c.push_back({"Vat3EmptyPeriod",
                 "VAT3",
                 {},
                 {QStringLiteral("</tns:Podmiot1></tns:JPK>\r\n")},
                 {QStringLiteral("SprzedazCtrl")}});
    c.push_back(
        {"Fa4InvoicesWithLines",
         "FA4",
         {with(doc({"0", "0", "0", "0", "0", "0", "0", "100", "23"}),
               [](TDocSpec& d) {
                   d.Nazwisko = QStringLiteral("Alfa & Syn");
                   d.Imie.clear();
               }),
          with(doc({"0", "0", "50", "0", "0", "0", "0", "0", "0"}),
               [](TDocSpec& d) { d.Nip = QStringLiteral("-"); }),
          doc({"7", "0", "0", "0", "0", "0", "0", "0", "0"}),
          doc({"0", "3.5", "0", "0", "0", "0", "0", "0", "0"}),
          doc({"0", "0", "0", "0", "0", "0", "0", "-100", "-23"}, 'K')},
         {QStringLiteral("<tns:P_3A>Alfa  Syn</tns:P_3A>"),
          QStringLiteral("<tns:P_3B>Długa 5/3, 00-001 Warszawa</tns:P_3B>"),
          QStringLiteral("<tns:P_3C>Sieć  Spółka sp. z o.o.</tns:P_3C>"),
          QStringLiteral("<tns:P_3D>Polna 7, 00-950 Warszawa</tns:P_3D>"),
          QStringLiteral("<tns:P_13_1>100</tns:P_13_1>\r\n        <tns:P_14_1>23</tns:P_14_1>\r\n        "
                         "<tns:P_15>123</tns:P_15>"),
          QStringLiteral(
              "<tns:P_4B>5261040828</tns:P_4B>\r\n        <tns:P_6>2026-03-10</tns:P_6>\r\n        "
              "<tns:P_13_6>50</tns:P_13_6>\r\n        <tns:P_15>50</tns:P_15>"),
          QStringLiteral("<tns:P_13_7>7</tns:P_13_7>"), QStringLiteral("<tns:P_13_5>3.5</tns:P_13_5>"),
          QStringLiteral("<tns:P_7>Internet, pakiet 100/20</tns:P_7>"),
          QStringLiteral("<tns:LiczbaFaktur>4</tns:LiczbaFaktur>\r\n        <tns:WartoscFaktur>183.50"
                         "</tns:WartoscFaktur>"),
          QStringLiteral("<tns:LiczbaWierszyFaktur>4</tns:LiczbaWierszyFaktur>\r\n        "
                         "<tns:WartoscWierszyFaktur>183.50</tns:WartoscWierszyFaktur>")},
         {QStringLiteral("KOR/"), QStringLiteral("<tns:P_14_3>")},
         QDate(2026, 3, 1),
         QDate(2026, 3, 31),
         1,
         "JPK_FA4_Orlix6KSeF_Orlix4SQL.xml"});
    return c;
}

class JpkFiles : public RegistersTest, public ::testing::WithParamInterface<TJpkCase>
{
};

TEST_P(JpkFiles, ValidAgainstTheSchemaAndHoldsTheCaseTexts)
{
    const TJpkCase& c = GetParam();
    AddPodmiot(2, QStringLiteral("ABC"));
    for (const TDocSpec& d : c.Docs)
        AddDoc(d);
    QString fileName;
    writerOf(QLatin1String(c.Kind))(QString(), c.Podmiot, fileName, c.From, c.To);
    ASSERT_NE(fileName, QStringLiteral("0"));
    if (c.FileName) {
        EXPECT_EQ(QFileInfo(fileName).fileName(), QLatin1String(c.FileName));
    }
    // Keep each case's file for inspection.
    const QString kept = OutDir() + QLatin1Char('/') + QLatin1String(c.Name) + QStringLiteral(".xml");
    QFile::remove(kept);
    ASSERT_TRUE(QFile::rename(fileName, kept));
    const QByteArray xml = ReadFile(kept);
    EXPECT_EQ(SchemaErrors(xml, JpkSchema(QLatin1String(c.Kind))), QString()) << kept.toStdString();
    const QString text = QString::fromUtf8(xml);
    for (const QString& p : c.Present)
        EXPECT_TRUE(text.contains(p)) << "missing: " << p.toStdString();
    for (const QString& a : c.Absent)
        EXPECT_FALSE(text.contains(a)) << "unexpected: " << a.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cases, JpkFiles, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<TJpkCase>& i) {
                             return std::string(i.param.Name);
                         });

// ---------------------------------------------------------------- refusals

struct TRefusal
{
    const char* Name;
    const char* Kind;
    const char* Key;   // setting changed (scope 0)
    const char* Value; // its value
    const char* Named; // what the message must name
    QDate From = QDate(2026, 3, 1);
};

void PrintTo(const TRefusal& r, std::ostream* os)
{
    *os << r.Name;
}

class JpkRefusals : public RegistersTest, public ::testing::WithParamInterface<TRefusal>
{
};

TEST_P(JpkRefusals, RefusedBeforeWritingWithTheSettingOrPeriodNamed)
{
    const TRefusal& r = GetParam();
    WriteIniString(0, QLatin1String(r.Key), QString::fromUtf8(r.Value));
    AddDoc(with(doc({"0", "0", "0", "0", "0", "0", "0", "100", "23"}),
                [&](TDocSpec& d) { d.Date = r.From.toString(Qt::ISODate); }));
    QString fileName;
    try {
        writerOf(QLatin1String(r.Kind))(QString(), 1, fileName, r.From, r.From.addMonths(1).addDays(-1));
        FAIL() << "not refused";
    } catch (const EJpkRefused& e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String(r.Named))) << e.Message().toStdString();
    }
    EXPECT_EQ(fileName, QStringLiteral("0"));
    EXPECT_TRUE(QDir(ExportDir()).entryList(QDir::Files).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JpkRefusals,
    ::testing::Values(TRefusal{"OfficeCodeUnset", "V7M3", "U_KodUS", "0000", "U_KodUS"},
                      TRefusal{"OfficeCodeUnsetFa4", "FA4", "U_KodUS", "0000", "U_KodUS"},
                      TRefusal{"NipShort", "V7M2", "U_NIP", "526-104-08", "U_NIP", QDate(2025, 3, 1)},
                      TRefusal{"NipShortVat3", "VAT3", "U_NIP", "52610408", "U_NIP"},
                      TRefusal{"NoEmail", "V7K2", "U_EmailJPK", "", "U_EmailJPK", QDate(2024, 3, 1)},
                      TRefusal{"V7M3Before2026", "V7M3", "U_KodUS", "1471", "2025-12-01",
                               QDate(2025, 12, 1)}),
    [](const ::testing::TestParamInfo<TRefusal>& i) { return std::string(i.param.Name); });

TEST_F(RegistersTest, JpkFa4WithoutInvoicesRefusedNamingThePeriod)
{
    AddDoc(doc({"0", "0", "0", "0", "0", "0", "0", "-100", "-23"}, 'K'));
    QString fileName;
    try {
        WriteJpkFa4(QString(), 1, fileName, QDate(2026, 3, 1), QDate(2026, 3, 31));
        FAIL() << "not refused";
    } catch (const EJpkRefused& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("2026-03-01 - 2026-03-31")))
            << e.Message().toStdString();
    }
    EXPECT_EQ(fileName, QStringLiteral("0"));
}

TEST_F(RegistersTest, JpkUnwritableExportFolderLeavesNoFileAndRaises)
{
    AddDoc(doc({"0", "0", "0", "0", "0", "0", "0", "100", "23"}));
    ExportFolder = ExportDir() + QStringLiteral("/missing/folder/");
    QString fileName;
    EXPECT_THROW(WriteJpkV7M3(QString(), 1, fileName, QDate(2026, 3, 1), QDate(2026, 3, 31)), std::exception);
    EXPECT_EQ(fileName, QStringLiteral("0"));
    EXPECT_FALSE(QDir(ExportDir() + QStringLiteral("/missing")).exists());
    EXPECT_TRUE(QDir(ExportDir()).entryList(QDir::Files).isEmpty());
}

TEST_F(RegistersTest, JpkSubscriberListLimitsRowsAndSumsAndRejectsOtherText)
{
    const int kept = AddUser();
    TDocSpec mine = doc({"0", "0", "0", "0", "0", "0", "0", "100", "23"});
    mine.User = kept;
    AddDoc(mine);
    AddDoc(doc({"0", "0", "0", "0", "0", "0", "0", "500", "115"}));
    QString fileName;
    WriteJpkV7M3(QStringLiteral(" in (%1,0) ").arg(kept), 1, fileName, QDate(2026, 3, 1), QDate(2026, 3, 31));
    const QString text = QString::fromUtf8(ReadFile(fileName));
    EXPECT_TRUE(text.contains(QStringLiteral("<P_19>100</P_19>"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("<LiczbaWierszySprzedazy>1<")));
    EXPECT_THROW(
        WriteJpkV7M3(QStringLiteral(" in (1) or 1=1"), 1, fileName, QDate(2026, 3, 1), QDate(2026, 3, 31)),
        std::invalid_argument);
    EXPECT_EQ(fileName, QStringLiteral("0"));
}

// The check is not vacuous: the element order and the P_38 rule the older
// description of the file gave are rejected by the same schema.
TEST_F(RegistersTest, JpkSchemaRejectsProceduresBeforeGtuAndAMissingP38)
{
    TDocSpec d = doc({"0", "0", "0", "0", "0", "0", "0", "-100", "-23"});
    d.Ee = 1;
    d.Gtu = {3};
    AddDoc(d);
    QString fileName;
    WriteJpkV7M3(QString(), 1, fileName, QDate(2026, 3, 1), QDate(2026, 3, 31));
    const QString xml = QString::fromUtf8(ReadFile(fileName));
    ASSERT_EQ(SchemaErrors(xml.toUtf8(), JpkSchema(QStringLiteral("V7M3"))), QString());
    QString swapped = xml;
    swapped.replace(QStringLiteral("<GTU_03>1</GTU_03>\r\n<WSTO_EE>1</WSTO_EE>"),
                    QStringLiteral("<WSTO_EE>1</WSTO_EE>\r\n<GTU_03>1</GTU_03>"));
    ASSERT_NE(swapped, xml);
    EXPECT_NE(SchemaErrors(swapped.toUtf8(), JpkSchema(QStringLiteral("V7M3"))), QString());
    QString noP38 = xml;
    noP38.remove(QStringLiteral("<P_38>0</P_38>\r\n"));
    ASSERT_NE(noP38, xml);
    EXPECT_NE(SchemaErrors(noP38.toUtf8(), JpkSchema(QStringLiteral("V7M3"))), QString());
}

// ---------------------------------------------------------------- formats

TEST(JpkFormats, NumbersAndWholeZloty)
{
    struct
    {
        const char* Value;
        const char* General;
        const char* Fixed;
        qint64 Zl;
    } const rows[] = {{"100", "100", "100.00", 100},
                      {"100.5", "100.5", "100.50", 101},
                      {"-12.34", "-12.34", "-12.34", -12},
                      {"0", "0", ".00", 0},
                      {"0.4", "0.4", ".40", 0},
                      {"0.5", "0.5", ".50", 1},
                      {"-0.5", "-0.5", "-.50", -1},
                      {"1234.5", "1234.5", "1234.50", 1235}};
    for (const auto& r : rows) {
        Amount4 a;
        ASSERT_TRUE(Amount4::tryParse(QLatin1String(r.Value), a));
        EXPECT_EQ(Jpk::Number(a), QLatin1String(r.General)) << r.Value;
        EXPECT_EQ(Jpk::Fixed2(a), QLatin1String(r.Fixed)) << r.Value;
        EXPECT_EQ(Jpk::RoundZl(a), r.Zl) << r.Value;
    }
}

TEST(JpkFormats, CreationTimeIsUtc)
{
    const QString now = Jpk::NowUtc();
    EXPECT_TRUE(now.endsWith(QLatin1Char('Z')));
    const QDateTime t = QDateTime::fromString(now, Qt::ISODate);
    EXPECT_LE(std::abs(t.secsTo(QDateTime::currentDateTimeUtc())), 5) << now.toStdString();
}

} // namespace
