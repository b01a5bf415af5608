// The FA (3) files of invoices and corrections, written from documents stored
// in a test database: every file must pass the official schema and carry the
// values of its document.
#include "core/DbIni.h"
#include "core/Podmioty.h"
#include "core/Query.h"
#include "core/SchemaUpgrade.h"
#include "core/Session.h"
#include "ksef/FakturaKorektaXml.h"
#include "ksef/FakturaXml.h"
#include "tests/fa3/Fa3TestSupport.h"
#include "tests/support/TestDb.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTimeZone>
#include <algorithm>
#include <functional>
#include <stdexcept>
#include <time.h>

namespace {

using TCols = std::vector<std::pair<QString, TArg>>;
using TChecks = std::vector<std::pair<QString, QString>>;

const QString kName = QStringLiteral("Kowalski & Syn, sp. j. <Oddział>");
const QString kKsefNumber = QStringLiteral("9999999999-20230908-8BEF280C8D35-4D");

// Defaults overridden or extended by the given columns.
TCols merged(TCols base, const TCols& over)
{
    for (const auto& [name, value] : over) {
        auto it = std::find_if(base.begin(), base.end(), [&](const auto& p) { return p.first == name; });
        if (it != base.end())
            it->second = value;
        else
            base.emplace_back(name, value);
    }
    return base;
}

// The creation time differs between two runs; everything else must not.
QByteArray withoutCreationTime(QByteArray xml)
{
    static const QRegularExpression re(QStringLiteral("<DataWytworzeniaFa>[^<]*</DataWytworzeniaFa>"));
    return QString::fromUtf8(xml).replace(re, QStringLiteral("<DataWytworzeniaFa/>")).toUtf8();
}

// Layout changes show up as a difference to the reviewed file under tests/data/fa3/.
void expectGolden(const QByteArray& xml, const QString& name)
{
    const QString path = QStringLiteral(ORLIX_SOURCE_DIR "/tests/data/fa3/") + name;
    EXPECT_EQ(QString::fromUtf8(withoutCreationTime(xml)), QString::fromUtf8(ReadFileBytes(path)))
        << path.toStdString();
}

} // namespace

class Fa3WriterTest : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        LoadSchema();
        // The upgrade reads the address register tables, which come from their own script.
        if (!HasFatalFailure()) RunScript(QStringLiteral(ORLIX_SOURCE_DIR "/sql/TerytStruktura.sql"));
        if (HasFatalFailure()) return;
        UpgradeSchema(nullptr);
        CurrentPodmiotId = 0;
        m_savedExport = ExportFolder;
        // One folder per test: the test cases run in parallel processes and reuse document numbers.
        UseExportFolder(TestOutputDir(
            QStringLiteral("fa3/") +
            QString::fromUtf8(::testing::UnitTest::GetInstance()->current_test_info()->name())));
        const std::pair<const char*, const char*> seller[] = {
            {"U_NIP", "526-000-12-46"},
            {"U_Nazwa1", "Orlix Net"},
            {"U_Nazwa2", "Sp. z o.o."},
            {"U_Ulica", "ul. Polna"},
            {"U_NrDomu", "1"},
            {"U_NrLokalu", ""},
            {"U_KodPocztowy", "00-001"},
            {"U_Miejscowosc", "Warszawa"},
            {"U_NrKonta", "11 1020 3040 0000 0102 0304 0506"},
            {"U_NazwaBanku", "Bank Główny"},
            {"U_NazwaBankuSubkonta", "Bank Subkont, Oddział 2"},
        };
        for (const auto& [key, value] : seller)
            WriteIniString(0, QString::fromLatin1(key), QString::fromUtf8(value));
    }
    void TearDown() override
    {
        ExportFolder = m_savedExport;
        CurrentPodmiotId = 0;
        DbTest::TearDown();
    }

    void UseExportFolder(const QString& dir)
    {
        QDir().mkpath(dir);
        ExportFolder = dir + QLatin1Char('/');
    }

    int Insert(const QString& table, const TCols& cols)
    {
        QStringList names, marks;
        TArgs args;
        for (const auto& [name, value] : cols) {
            names << name;
            marks << QStringLiteral(":p%1").arg(marks.size() + 1);
            args.push_back(value);
        }
        S()->ExecQuery(
            QStringLiteral("insert into %1 (%2) values (%3)").arg(table, names.join(','), marks.join(',')),
            args);
        return int(S()->LastInsertId());
    }

    int AddUser(int clientNumber, const QString& subAccount = QString())
    {
        return Insert(QStringLiteral("Userdb"),
                      {{"U_NRKLIENTA", clientNumber},
                       {"U_NRRACHUNKU1", subAccount},
                       {"U_NAZWISKO", QStringLiteral("Abonent %1").arg(clientNumber)}});
    }

    int AddFv(int user, const QString& number, const QString& gross, const TCols& over = {})
    {
        const TCols base = {{"FV_INDEXUSER", user},
                            {"FV_NUMER", 1},
                            {"FV_NUMERTXT", number},
                            {"FV_PODMIOT", 1},
                            {"FV_DATAWYSTAWIENIA", "2026-02-15"},
                            {"FV_DATAPLATNOSCI", "2026-03-01"},
                            {"FV_FORMAPLATNOSCI", "przelew"},
                            {"FV_NAZWISKO", "Firma"},
                            {"FV_IMIE", ""},
                            {"FV_NIP", "123-456-32-18"},
                            {"FV_ADR_ULICA", "ul. Długa"},
                            {"FV_ADR_NRDOMU", "5"},
                            {"FV_ADR_NRLOKALU", "2"},
                            {"FV_ADR_KOD", "00-950"},
                            {"FV_ADR_MIEJSCOWOSC", "Warszawa"},
                            {"FV_SUMABRUTTO", gross},
                            {"FV_KWOTADOZAPLATY", gross},
                            {"FV_KWOTADOROZLICZENIA", gross}};
        return Insert(QStringLiteral("Fv"), merged(base, over));
    }

    void AddFvLine(int fv, const QString& name, const QString& qty, const QString& price, const QString& net,
                   const QString& gross, const QString& rate, const QString& unit = QStringLiteral("szt."))
    {
        Insert(QStringLiteral("FvPozycje"), {{"FVP_INDEXFAKTURA", fv},
                                             {"FVP_NAZWAUSLUGI", name},
                                             {"FVP_JEDNMIARY", unit},
                                             {"FVP_ILOSC", qty},
                                             {"FVP_CENANETTO", price},
                                             {"FVP_WARTOSCNETTO", net},
                                             {"FVP_WARTOSCBRUTTO", gross},
                                             {"FVP_STAWKAVAT_TXT", rate}});
    }

    void SetKsefNumber(int fv, const QString& number)
    {
        Insert(QStringLiteral("FvKsef"), {{"FV_KSEF_IDFAKTURY", fv}, {"FV_KSEF_NRKSEF", number}});
    }

    int AddFvk(int user, int corrected, const QString& number, const QString& gross, const TCols& over = {})
    {
        const TCols base = {{"FVK_INDEXUSER", user},
                            {"FVK_NUMER", 1},
                            {"FVK_NUMERTXT", number},
                            {"FVK_PODMIOT", 1},
                            {"FVK_INDEXKORYGOWANEJ", corrected},
                            {"FVK_DATAWYSTAWIENIA", "2026-03-10"},
                            {"FVK_DATAPLATNOSCI", "2026-03-24"},
                            {"FVK_FORMAPLATNOSCI", "przelew"},
                            {"FVK_POWODKOREKTY", "Pomyłka w wartości sprzedaży"},
                            {"FVK_NAZWISKO", kName},
                            {"FVK_NIP", "123-456-32-18"},
                            {"FVK_ADR_ULICA", "ul. Długa"},
                            {"FVK_ADR_NRDOMU", "5"},
                            {"FVK_ADR_KOD", "00-950"},
                            {"FVK_ADR_MIEJSCOWOSC", "Warszawa"},
                            {"FVK_SUMABRUTTO", gross},
                            {"FVK_KWOTADOROZLICZENIA", gross}};
        return Insert(QStringLiteral("Fvk"), merged(base, over));
    }

    struct TLineValues
    {
        QString name, unit, qty, price, gross, net, rate;
    };
    void AddFvkLine(int fvk, const TLineValues& before, const TLineValues& after)
    {
        Insert(QStringLiteral("FvkPozycje"), {{"FVKP_INDEXFAKTURA", fvk},
                                              {"FVKP_NAZWAUSLUGI", before.name},
                                              {"FVKP_NAZWAUSLUGI_PO", after.name},
                                              {"FVKP_JEDNMIARY", before.unit},
                                              {"FVKP_JEDNMIARY_PO", after.unit},
                                              {"FVKP_ILOSC", before.qty},
                                              {"FVKP_ILOSC_PO", after.qty},
                                              {"FVKP_CENANETTO", before.price},
                                              {"FVKP_CENANETTO_PO", after.price},
                                              {"FVKP_CENABRUTTO", before.gross},
                                              {"FVKP_CENABRUTTO_PO", after.gross},
                                              {"FVKP_WARTOSCNETTO", before.net},
                                              {"FVKP_WARTOSCNETTO_PO", after.net},
                                              {"FVKP_STAWKAVAT_TXT", before.rate},
                                              {"FVKP_STAWKAVAT_TXT_PO", after.rate}});
    }

    // Validates the file and checks its values; returns the file's bytes.
    QByteArray CheckFile(const QString& path, const TChecks& checks)
    {
        const QByteArray xml = ReadFileBytes(path);
        EXPECT_FALSE(xml.isEmpty()) << path.toStdString();
        EXPECT_EQ(Fa3SchemaErrors(xml), QString()) << path.toStdString();
        const TXmlDoc doc(xml);
        EXPECT_TRUE(doc.Ok());
        for (const auto& [xpath, expected] : checks)
            EXPECT_EQ(doc.Eval(xpath), expected) << xpath.toStdString() << " in " << path.toStdString();
        return xml;
    }

    QString m_savedExport;
};

TEST_F(Fa3WriterTest, InvoicesPassTheSchemaAndCarryTheirValues)
{
    struct TCase
    {
        const char* title;
        std::function<int()> make;
        TChecks checks;
    };
    const std::vector<TCase> cases = {
        {"company buyer with NIP, every VAT group, transfer to the sub-account",
         [&] {
             const int u = AddUser(1001, QStringLiteral("61 1090 1014 0000 0712 1981 2874"));
             const int fv = AddFv(u, QStringLiteral("FV/1/02/2026"), QStringLiteral("15000.00"),
                                  {{"FV_NAZWISKO", kName},
                                   {"FV_FORMAPLATNOSCI", "przelew 14 dni"},
                                   {"FV_GTU_FP", 1},
                                   {"FV_SUMANETTO_A", "12000.00"},
                                   {"FV_SUMAVAT_A", "2760.00"},
                                   {"FV_SUMANETTO_B", "100.00"},
                                   {"FV_SUMAVAT_B", "8.00"},
                                   {"FV_SUMANETTO_D", "20.00"},
                                   {"FV_SUMAVAT_D", "1.00"},
                                   {"FV_SUMANETTO_C", "11.00"},
                                   {"FV_SUMANETTO_G", "50.00"},
                                   {"FV_SUMANETTO_NP", "50.00"}});
             AddFvLine(fv, QStringLiteral("Abonament 300/50 Mb/s, pakiet \"Premium\""), "12", "1000.00",
                       "12000.00", "14760.00", "23%", "mies.");
             AddFvLine(fv, QStringLiteral("Instalacja, dojazd"), "1", "100.00", "100.00", "108.00", "8%");
             AddFvLine(fv, QStringLiteral("Książka"), "1", "20.00", "20.00", "21.00", "5%");
             AddFvLine(fv, QStringLiteral("Usługa krajowa 0%"), "1", "11.00", "11.00", "11.00", "0%");
             AddFvLine(fv, QStringLiteral("Szkolenie"), "1", "50.00", "50.00", "50.00", "zw");
             AddFvLine(fv, QStringLiteral("Usługa poza krajem"), "2.500", "20.00", "50.00", "50.00", "np");
             return fv;
         },
         {{"string(//f:KodFormularza)", "FA"},
          {"string(//f:KodFormularza/@kodSystemowy)", "FA (3)"},
          {"string(//f:KodFormularza/@wersjaSchemy)", "1-0E"},
          {"string(//f:WariantFormularza)", "3"},
          {"string(//f:SystemInfo)", "OrlixISP"},
          {"string(/f:Faktura/f:Podmiot1/f:DaneIdentyfikacyjne/f:NIP)", "5260001246"},
          {"string(/f:Faktura/f:Podmiot1/f:DaneIdentyfikacyjne/f:Nazwa)", "Orlix Net Sp. z o.o."},
          {"string(/f:Faktura/f:Podmiot1/f:Adres/f:AdresL1)", "ul. Polna 1"},
          {"string(/f:Faktura/f:Podmiot1/f:Adres/f:AdresL2)", "00-001 Warszawa"},
          {"string(//f:Podmiot2/f:DaneIdentyfikacyjne/f:NIP)", "1234563218"},
          {"string(//f:Podmiot2/f:DaneIdentyfikacyjne/f:Nazwa)", kName},
          {"string(//f:Podmiot2/f:Adres/f:KodKraju)", "PL"},
          {"string(//f:Podmiot2/f:Adres/f:AdresL1)", "ul. Długa 5/2"},
          {"string(//f:Podmiot2/f:Adres/f:AdresL2)", "00-950 Warszawa"},
          {"string(//f:Podmiot2/f:NrKlienta)", "1001"},
          {"string(//f:Podmiot2/f:JST)", "2"},
          {"string(//f:Podmiot2/f:GV)", "2"},
          {"count(//f:Podmiot3)", "0"},
          {"string(//f:Fa/f:KodWaluty)", "PLN"},
          {"string(//f:Fa/f:P_1)", "2026-02-15"},
          {"string(//f:Fa/f:P_2)", "FV/1/02/2026"},
          {"string(//f:Fa/f:P_6)", "2026-02-15"},
          {"string(//f:P_13_1)", "12000"},
          {"string(//f:P_14_1)", "2760"},
          {"string(//f:P_13_2)", "100"},
          {"string(//f:P_14_2)", "8"},
          {"string(//f:P_13_3)", "20"},
          {"string(//f:P_14_3)", "1"},
          {"string(//f:P_13_6_1)", "11"},
          {"string(//f:P_13_7)", "50"},
          {"string(//f:P_15)", "15000"},
          {"string(//f:P_18A)", "2"},
          {"string(//f:RodzajFaktury)", "VAT"},
          {"string(//f:FP)", "1"},
          {"count(//f:FaWiersz)", "6"},
          {"string(//f:FaWiersz[1]/f:NrWierszaFa)", "1"},
          {"string(//f:FaWiersz[6]/f:NrWierszaFa)", "6"},
          {"string(//f:FaWiersz[1]/f:P_7)", "Abonament 300/50 Mb/s, pakiet \"Premium\""},
          {"string(//f:FaWiersz[2]/f:P_7)", "Instalacja, dojazd"},
          {"string(//f:FaWiersz[1]/f:P_8A)", "mies."},
          {"string(//f:FaWiersz[1]/f:P_8B)", "12"},
          {"string(//f:FaWiersz[1]/f:P_9A)", "1000"},
          {"string(//f:FaWiersz[1]/f:P_11)", "12000"},
          {"string(//f:FaWiersz[1]/f:P_11A)", "14760"},
          {"string(//f:FaWiersz[1]/f:P_12)", "23"},
          {"string(//f:FaWiersz[2]/f:P_12)", "8"},
          {"string(//f:FaWiersz[3]/f:P_12)", "5"},
          {"string(//f:FaWiersz[4]/f:P_12)", "0 KR"},
          {"string(//f:FaWiersz[5]/f:P_12)", "zw"},
          {"count(//f:FaWiersz[6]/f:P_12)", "0"},
          {"string(//f:FaWiersz[6]/f:P_8B)", "2.5"},
          {"count(//f:Zaplacono)", "0"},
          {"string(//f:TerminPlatnosci/f:Termin)", "2026-03-01"},
          {"string(//f:FormaPlatnosci)", "6"},
          {"string(//f:RachunekBankowy/f:NrRB)", "PL61109010140000071219812874"},
          {"string(//f:RachunekBankowy/f:NazwaBanku)", "Bank Subkont, Oddział 2"}}},

        {"buyer with PL prefix above 15000",
         [&] {
             const int u = AddUser(1002, QStringLiteral("61109010140000071219812874"));
             const int fv = AddFv(u, QStringLiteral("FV/2/02/2026"), QStringLiteral("15000.01"),
                                  {{"FV_NIP", "PL1234567890"},
                                   {"FV_FORMAPLATNOSCI", "karta kredytowa"},
                                   {"FV_SUMANETTO_A", "12195.13"},
                                   {"FV_SUMAVAT_A", "2804.88"}});
             AddFvLine(fv, QStringLiteral("Budowa przyłącza"), "1", "12195.13", "12195.13", "15000.01",
                       "23%");
             return fv;
         },
         {{"string(//f:Podmiot2/f:DaneIdentyfikacyjne/f:KodUE)", "PL"},
          {"string(//f:Podmiot2/f:DaneIdentyfikacyjne/f:NrVatUE)", "1234567890"},
          {"count(//f:Podmiot2/f:DaneIdentyfikacyjne/f:NIP)", "0"},
          {"string(//f:Podmiot2/f:Adres/f:KodKraju)", "PL"},
          {"string(//f:P_13_1)", "12195.13"},
          {"string(//f:P_14_1)", "2804.88"},
          {"count(//f:P_13_2 | //f:P_13_3 | //f:P_13_6_1 | //f:P_13_7)", "0"},
          {"string(//f:P_15)", "15000.01"},
          {"string(//f:P_18A)", "1"},
          {"count(//f:FP)", "0"},
          {"string(//f:FormaPlatnosci)", "2"}}},

        {"EU buyer, only a not-taxed line",
         [&] {
             const int u = AddUser(1003);
             const int fv = AddFv(u, QStringLiteral("FV/3/02/2026"), QStringLiteral("200.00"),
                                  {{"FV_NIP", "DE 123456789"},
                                   {"FV_NAZWISKO", "Müller & Söhne GmbH"},
                                   {"FV_ADR_ULICA", "Hauptstraße"},
                                   {"FV_ADR_NRDOMU", "7"},
                                   {"FV_ADR_NRLOKALU", ""},
                                   {"FV_ADR_KOD", "10115"},
                                   {"FV_ADR_MIEJSCOWOSC", "Berlin"},
                                   {"FV_FORMAPLATNOSCI", "Przelew"},
                                   {"FV_SUMANETTO_NP", "200.00"}});
             AddFvLine(fv, QStringLiteral("Transmisja danych"), "1", "200.00", "200.00", "200.00", "np");
             return fv;
         },
         {{"string(//f:Podmiot2/f:DaneIdentyfikacyjne/f:KodUE)", "DE"},
          {"string(//f:Podmiot2/f:DaneIdentyfikacyjne/f:NrVatUE)", "123456789"},
          {"string(//f:Podmiot2/f:DaneIdentyfikacyjne/f:Nazwa)", "Müller & Söhne GmbH"},
          {"string(//f:Podmiot2/f:Adres/f:KodKraju)", "DE"},
          {"string(//f:Podmiot2/f:Adres/f:AdresL1)", "Hauptstraße 7"},
          {"string(//f:Podmiot2/f:NrKlienta)", "1003"},
          {"count(//f:P_13_1 | //f:P_13_2 | //f:P_13_3 | //f:P_13_6_1 | //f:P_13_7)", "0"},
          {"string(//f:P_15)", "200"},
          {"count(//f:FaWiersz/f:P_12)", "0"},
          {"string(//f:FormaPlatnosci)", "1"},
          // No sub-account: the company account and bank, whatever the sub-account bank says.
          {"string(//f:NrRB)", "PL11102030400000010203040506"},
          {"string(//f:NazwaBanku)", "Bank Główny"}}},

        {"consumer without identifier, paid in cash",
         [&] {
             const int u = AddUser(1004);
             const int fv = AddFv(u, QStringLiteral("FV/4/02/2026"), QStringLiteral("100.00"),
                                  {{"FV_NIP", "-"},
                                   {"FV_NAZWISKO", "Nowak"},
                                   {"FV_IMIE", "Anna"},
                                   {"FV_ADR_ULICA", ""},
                                   {"FV_ADR_NRDOMU", "12"},
                                   {"FV_ADR_NRLOKALU", ""},
                                   {"FV_ADR_KOD", "05-123"},
                                   {"FV_ADR_MIEJSCOWOSC", "Wólka"},
                                   {"FV_FORMAPLATNOSCI", "gotówka"},
                                   {"FV_KWOTADOROZLICZENIA", "0.00"},
                                   {"FV_SUMANETTO_A", "81.30"},
                                   {"FV_SUMAVAT_A", "18.70"}});
             AddFvLine(fv, QStringLiteral("Abonament"), "1", "81.30", "81.30", "100.00", "23%");
             return fv;
         },
         {{"string(//f:Podmiot2/f:DaneIdentyfikacyjne/f:BrakID)", "1"},
          {"string(//f:Podmiot2/f:DaneIdentyfikacyjne/f:Nazwa)", "Nowak Anna"},
          {"string(//f:Podmiot2/f:Adres/f:KodKraju)", "PL"},
          {"normalize-space(//f:Podmiot2/f:Adres/f:AdresL1)", "12"},
          {"string(//f:P_13_1)", "81.3"},
          {"string(//f:P_15)", "100"},
          {"string(//f:FaWiersz/f:P_11A)", "100"},
          {"string(//f:Zaplacono)", "1"},
          {"string(//f:DataZaplaty)", "2026-02-15"},
          {"string(//f:TerminPlatnosci/f:Termin)", "2026-03-01"},
          {"string(//f:FormaPlatnosci)", "1"}}},

        {"no lines, no identifier, no address, no subscriber row, no payment form",
         [&] {
             return AddFv(9999, QStringLiteral("FV/5/02/2026"), QStringLiteral("-12.92"),
                          {{"FV_NIP", ""},
                           {"FV_NAZWISKO", "Klient"},
                           {"FV_ADR_ULICA", ""},
                           {"FV_ADR_NRDOMU", ""},
                           {"FV_ADR_NRLOKALU", ""},
                           {"FV_ADR_KOD", ""},
                           {"FV_ADR_MIEJSCOWOSC", ""},
                           {"FV_FORMAPLATNOSCI", ""},
                           {"FV_SUMANETTO_A", "-10.50"},
                           {"FV_SUMAVAT_A", "-2.42"}});
         },
         {{"string(//f:Podmiot2/f:DaneIdentyfikacyjne/f:BrakID)", "1"},
          {"count(//f:Podmiot2/f:Adres)", "0"},
          {"count(//f:Podmiot2/f:NrKlienta)", "0"},
          {"string(//f:P_13_1)", "-10.5"},
          {"string(//f:P_14_1)", "-2.42"},
          {"count(//f:FaWiersz)", "0"},
          {"name(//f:Fa/f:RodzajFaktury/following-sibling::*[1])", "Platnosc"},
          {"count(//f:FormaPlatnosci)", "0"},
          {"string(//f:NrRB)", "PL11102030400000010203040506"}}},

        {"local authority with its unit as the other party",
         [&] {
             const int u = AddUser(1006);
             const int fv = AddFv(u, QStringLiteral("FV/6/02/2026"), QStringLiteral("123.00"),
                                  {{"FV_NAZWISKO", "Gmina Wólka"},
                                   {"FV_CZYADRESDOKORESP", 1},
                                   {"FV_NIP2", "987-654-32-10"},
                                   {"FV_KOR_NAZWA", "Szkoła Podstawowa nr 1, Wólka"},
                                   {"FV_KOR_ULICA", "ul. Szkolna"},
                                   {"FV_KOR_NRDOMU", "3"},
                                   {"FV_KOR_NRLOKALU", "1"},
                                   {"FV_KOR_KOD", "05-123"},
                                   {"FV_KOR_MIEJSCOWOSC", "Wólka"},
                                   {"FV_KOR_ROLA", 8},
                                   {"FV_KOR_JST", 1},
                                   {"FV_SUMANETTO_A", "100.00"},
                                   {"FV_SUMAVAT_A", "23.00"}});
             AddFvLine(fv, QStringLiteral("Internet"), "1", "100.00", "100.00", "123.00", "23%");
             return fv;
         },
         {{"string(//f:Podmiot2/f:JST)", "1"},
          {"string(//f:Podmiot3/f:DaneIdentyfikacyjne/f:NIP)", "9876543210"},
          {"string(//f:Podmiot3/f:DaneIdentyfikacyjne/f:Nazwa)", "Szkoła Podstawowa nr 1, Wólka"},
          {"string(//f:Podmiot3/f:Adres/f:KodKraju)", "PL"},
          {"string(//f:Podmiot3/f:Adres/f:AdresL1)", "ul. Szkolna 3/1"},
          {"string(//f:Podmiot3/f:Adres/f:AdresL2)", "05-123 Wólka"},
          {"string(//f:Podmiot3/f:Rola)", "8"}}},

        {"other party with an internal identifier",
         [&] {
             const int u = AddUser(1007);
             return AddFv(u, QStringLiteral("FV/7/02/2026"), QStringLiteral("10.00"),
                          {{"FV_CZYADRESDOKORESP", 1},
                           {"FV_NIP2", "DE999999999"},
                           {"FV_KOR_IDWEW", "9876543210-00001"},
                           {"FV_KOR_NAZWA", "Oddział"},
                           {"FV_KOR_ULICA", "ul. Boczna"},
                           {"FV_KOR_NRDOMU", "1"},
                           {"FV_KOR_ROLA", 2},
                           {"FV_KOR_JST", 2}});
         },
         {{"string(//f:Podmiot3/f:DaneIdentyfikacyjne/f:IDWew)", "9876543210-00001"},
          {"count(//f:Podmiot3/f:DaneIdentyfikacyjne/f:KodUE)", "0"},
          {"string(//f:Podmiot3/f:Adres/f:KodKraju)", "PL"},
          {"string(//f:Podmiot3/f:Rola)", "2"},
          {"string(//f:Podmiot2/f:JST)", "2"}}},

        {"correspondence address without a tax number gives no other party",
         [&] {
             const int u = AddUser(1008);
             return AddFv(
                 u, QStringLiteral("FV/8/02/2026"), QStringLiteral("10.00"),
                 {{"FV_CZYADRESDOKORESP", 1}, {"FV_NIP2", ""}, {"FV_KOR_NAZWA", "Adres"}, {"FV_KOR_JST", 1}});
         },
         {{"count(//f:Podmiot3)", "0"}, {"string(//f:Podmiot2/f:JST)", "2"}}},

        {"buyer outside the EU",
         [&] {
             const int u = AddUser(1009);
             return AddFv(
                 u, QStringLiteral("FV/9/02/2026"), QStringLiteral("10.00"),
                 {{"FV_NIP", "UA1234567890"}, {"FV_ADR_MIEJSCOWOSC", "Lwów"}, {"FV_ADR_KOD", "79000"}});
         },
         {{"string(//f:Podmiot2/f:DaneIdentyfikacyjne/f:KodKraju)", "UA"},
          {"string(//f:Podmiot2/f:DaneIdentyfikacyjne/f:NrID)", "1234567890"},
          {"string(//f:Podmiot2/f:Adres/f:KodKraju)", "UA"}}},

        {"invoice of the second company",
         [&] {
             Insert(QStringLiteral("Podmioty"), {{"P_INDEX", 2},
                                                 {"P_SKROT", "DF"},
                                                 {"P_CZYAKTYWNY", 1},
                                                 {"P_NIP", "777-000-11-12"},
                                                 {"P_NAZWA1", "Druga Firma"},
                                                 {"P_NAZWA2", "S.A."},
                                                 {"P_ULICA", "Rynek"},
                                                 {"P_NRDOMU", "3"},
                                                 {"P_KODPOCZTOWY", "30-001"},
                                                 {"P_MIEJSCOWOSC", "Kraków"},
                                                 {"P_NRKONTA", "22 1050 0000 1111 2222 3333 4444"},
                                                 {"P_BANK", "Bank Krakowski"}});
             const int u = AddUser(1010);
             return AddFv(u, QStringLiteral("FV/1/DF/02/2026"), QStringLiteral("10.00"), {{"FV_PODMIOT", 2}});
         },
         {{"string(/f:Faktura/f:Podmiot1/f:DaneIdentyfikacyjne/f:NIP)", "7770001112"},
          {"string(/f:Faktura/f:Podmiot1/f:DaneIdentyfikacyjne/f:Nazwa)", "Druga Firma S.A."},
          {"string(/f:Faktura/f:Podmiot1/f:Adres/f:AdresL2)", "30-001 Kraków"},
          {"string(//f:NrRB)", "PL22105000001111222233334444"},
          {"string(//f:NazwaBanku)", "Bank Krakowski"}}},

        {"back to the first company after the second",
         [&] {
             const int u = AddUser(1011);
             return AddFv(u, QStringLiteral("FV/10/02/2026"), QStringLiteral("10.00"));
         },
         {{"string(/f:Faktura/f:Podmiot1/f:DaneIdentyfikacyjne/f:NIP)", "5260001246"},
          {"string(//f:NrRB)", "PL11102030400000010203040506"}}},
    };

    for (const TCase& c : cases) {
        SCOPED_TRACE(c.title);
        const int fv = c.make();
        const QString path = WriteKsefFvXml(fv);
        EXPECT_EQ(path, ExportFolder + QStringLiteral("KSeF_FV_%1.xml").arg(fv));
        const QByteArray xml = CheckFile(path, c.checks);
        EXPECT_EQ(CurrentPodmiotId,
                  S()->GetQueryValueAsInteger(QStringLiteral("select FV_PODMIOT from Fv where FV_INDEX=:p1"),
                                              {fv}));
        if (fv == 1) {
            // The name reaches the file escaped, and commas of texts stay commas.
            EXPECT_TRUE(xml.contains("<Nazwa>Kowalski &amp; Syn, sp. j. &lt;Oddział&gt;</Nazwa>"));
            EXPECT_TRUE(xml.contains("Instalacja, dojazd"));
            expectGolden(xml, QStringLiteral("KSeF_FV_every_group.xml"));
        }
    }
}

TEST_F(Fa3WriterTest, CorrectionsPassTheSchemaAndCiteTheInvoiceAsItWasSent)
{
    UseExportFolder(TestOutputDir(QStringLiteral("fa3/corrections")));
    // The corrected invoices.
    const int u1 = AddUser(2001, QStringLiteral("61109010140000071219812874"));
    const int fv1 =
        AddFv(u1, QStringLiteral("FV/11/02/2026"), QStringLiteral("1599.00"),
              {{"FV_NAZWISKO", kName}, {"FV_SUMANETTO_A", "1300.00"}, {"FV_SUMAVAT_A", "299.00"}});
    AddFvLine(fv1, QStringLiteral("Abonament"), "12", "100.00", "1200.00", "1476.00", "23%");
    AddFvLine(fv1, QStringLiteral("Router"), "1", "50.00", "50.00", "61.50", "23%");
    AddFvLine(fv1, QStringLiteral("Instalacja"), "1", "50.00", "50.00", "61.50", "23%");
    SetKsefNumber(fv1, kKsefNumber);
    const QString fv1File = WriteKsefFvXml(fv1);
    const int u2 = AddUser(2002);
    const int fv2 = AddFv(u2, QStringLiteral("FV/12/02/2026"), QStringLiteral("246.00"),
                          {{"FV_NIP", "-"}, {"FV_NAZWISKO", "Nowak"}, {"FV_IMIE", "Anna"}});

    const TLineValues abon{"Abonament", "szt.", "12.000", "100.00", "123.00", "1200.00", "23%"};
    const TLineValues router{"Router", "szt.", "1.000", "50.00", "61.50", "50.00", "23%"};
    const TLineValues inst{"Instalacja", "szt.", "1.000", "50.00", "61.50", "50.00", "23%"};

    struct TCase
    {
        const char* title;
        std::function<int()> make;
        bool buyer;
        TChecks checks;
    };
    const std::vector<TCase> cases = {
        {"quantity of one of three lines",
         [&] {
             const int k = AddFvk(u1, fv1, QStringLiteral("FK/1/03/2026"), QStringLiteral("-738.00"),
                                  {{"FVK_SUMANETTO_A", "-600.00"}, {"FVK_SUMAVAT_A", "-138.00"}});
             AddFvkLine(k, router, router);
             TLineValues half = abon;
             half.qty = QStringLiteral("6.000");
             half.net = QStringLiteral("600.00");
             AddFvkLine(k, abon, half);
             AddFvkLine(k, inst, inst);
             return k;
         },
         false,
         {{"string(//f:RodzajFaktury)", "KOR"},
          {"string(//f:Fa/f:P_2)", "FK/1/03/2026"},
          {"string(//f:Fa/f:P_6)", "2026-03-10"},
          {"string(//f:P_13_1)", "-600"},
          {"string(//f:P_14_1)", "-138"},
          {"string(//f:P_13_2)", "0"},
          {"string(//f:P_14_2)", "0"},
          {"string(//f:P_13_3)", "0"},
          {"string(//f:P_14_3)", "0"},
          {"string(//f:P_13_6_1)", "0"},
          {"string(//f:P_13_7)", "0"},
          {"string(//f:P_15)", "-738"},
          {"string(//f:PrzyczynaKorekty)", "Pomyłka w wartości sprzedaży"},
          {"string(//f:TypKorekty)", "2"},
          {"string(//f:DataWystFaKorygowanej)", "2026-02-15"},
          {"string(//f:NrFaKorygowanej)", "FV/11/02/2026"},
          {"string(//f:NrKSeF)", "1"},
          {"string(//f:NrKSeFFaKorygowanej)", kKsefNumber},
          {"count(//f:NrKSeFN)", "0"},
          {"count(//f:FP)", "0"},
          {"count(//f:FaWiersz)", "2"},
          {"string(//f:FaWiersz[1]/f:NrWierszaFa)", "1"},
          {"string(//f:FaWiersz[2]/f:NrWierszaFa)", "1"},
          {"string(//f:FaWiersz[1]/f:UU_ID)", "F1P2"},
          {"string(//f:FaWiersz[1]/f:P_8B)", "12"},
          {"string(//f:FaWiersz[2]/f:P_8B)", "6"},
          {"string(//f:FaWiersz[2]/f:P_11)", "600"},
          {"string(//f:FaWiersz[1]/f:StanPrzed)", "1"},
          {"count(//f:FaWiersz[2]/f:StanPrzed)", "0"},
          {"name(//f:FaWiersz[1]/*[last()])", "StanPrzed"},
          {"count(//f:FaWiersz/f:P_11A)", "0"},
          {"count(//f:Podmiot3)", "0"},
          {"count(//f:Podmiot2K)", "0"},
          {"string(//f:FormaPlatnosci)", "6"},
          {"string(//f:NrRB)", "PL61109010140000071219812874"}}},

        {"rate of a line, and a line whose gross price alone changed",
         [&] {
             const int k = AddFvk(u2, fv2, QStringLiteral("FK/2/03/2026"), QStringLiteral("-30.00"),
                                  {{"FVK_NIP", "-"},
                                   {"FVK_NAZWISKO", "Nowak"},
                                   {"FVK_IMIE", "Anna"},
                                   {"FVK_CZYADRESDOKORESP", 1},
                                   {"FVK_NIP2", ""},
                                   {"FVK_KOR_NAZWA", "Jan Nowak"},
                                   {"FVK_KOR_ULICA", "ul. Krótka"},
                                   {"FVK_KOR_NRDOMU", "9"},
                                   {"FVK_KOR_ROLA", 2},
                                   {"FVK_SUMANETTO_A", "-200.00"},
                                   {"FVK_SUMAVAT_A", "-46.00"},
                                   {"FVK_SUMANETTO_B", "200.00"},
                                   {"FVK_SUMAVAT_B", "16.00"}});
             TLineValues reduced = abon;
             reduced.rate = QStringLiteral("8%");
             reduced.gross = QStringLiteral("108.00");
             AddFvkLine(k, abon, reduced);
             TLineValues grossOnly = router;
             grossOnly.gross = QStringLiteral("61.49");
             AddFvkLine(k, router, grossOnly);
             return k;
         },
         false,
         {{"string(//f:NrFaKorygowanej)", "FV/12/02/2026"},
          {"string(//f:NrKSeFN)", "1"},
          {"count(//f:NrKSeF)", "0"},
          {"string(//f:P_13_2)", "200"},
          {"string(//f:P_14_2)", "16"},
          {"count(//f:FaWiersz)", "4"},
          {"string(//f:FaWiersz[1]/f:P_12)", "23"},
          {"string(//f:FaWiersz[2]/f:P_12)", "8"},
          {"string(//f:FaWiersz[3]/f:NrWierszaFa)", "2"},
          {"string(//f:FaWiersz[4]/f:NrWierszaFa)", "2"},
          {"string(//f:FaWiersz[3]/f:P_9A)", "50"},
          {"string(//f:FaWiersz[4]/f:P_9A)", "50"},
          // The line correction names the correspondence recipient even without its number.
          {"string(//f:Podmiot3/f:DaneIdentyfikacyjne/f:BrakID)", "1"},
          {"string(//f:Podmiot3/f:Adres/f:KodKraju)", "PL"},
          {"string(//f:Podmiot3/f:Rola)", "2"},
          {"string(//f:Podmiot2/f:JST)", "2"}}},

        {"all lines unchanged",
         [&] {
             const int k = AddFvk(u1, fv1, QStringLiteral("FK/3/03/2026"), QStringLiteral("0.00"));
             AddFvkLine(k, abon, abon);
             AddFvkLine(k, router, router);
             return k;
         },
         false,
         {{"count(//f:FaWiersz)", "0"}, {"string(//f:P_15)", "0"}, {"string(//f:Zaplacono)", "1"}}},

        {"buyer data",
         [&] {
             return AddFvk(u2, fv2, QStringLiteral("FK/4/03/2026"), QStringLiteral("0.00"),
                           {{"FVK_CZYKORDANYCHNABYWCY", 1},
                            {"FVK_POWODKOREKTY", "Korekta danych nabywcy"},
                            {"FVK_NIP", "PL1234567890"},
                            {"FVK_NAZWISKO", kName},
                            {"FVK_IMIE", ""},
                            {"FVK_CZYADRESDOKORESP", 1},
                            {"FVK_NIP2", ""}});
         },
         true,
         {{"string(//f:Podmiot2/f:DaneIdentyfikacyjne/f:KodUE)", "PL"},
          {"string(//f:Podmiot2/f:DaneIdentyfikacyjne/f:Nazwa)", kName},
          {"count(//f:Podmiot3)", "0"},
          {"string(//f:Fa/f:P_2)", "FK/4/03/2026"},
          {"count(//f:Fa/f:P_6)", "0"},
          {"count(//f:P_13_1 | //f:P_14_1 | //f:P_13_7)", "0"},
          {"string(//f:P_15)", "0"},
          {"string(//f:RodzajFaktury)", "KOR"},
          {"string(//f:PrzyczynaKorekty)", "Korekta danych nabywcy"},
          {"string(//f:NrFaKorygowanej)", "FV/12/02/2026"},
          {"string(//f:Podmiot2K/f:DaneIdentyfikacyjne/f:BrakID)", "1"},
          {"string(//f:Podmiot2K/f:DaneIdentyfikacyjne/f:Nazwa)", "Nowak Anna"},
          {"string(//f:Podmiot2K/f:Adres/f:AdresL1)", "ul. Długa 5/2"},
          {"string(//f:Podmiot2K/f:IDNabywcy)", "2002"},
          {"name(//f:Fa/*[last()])", "Podmiot2K"},
          {"count(//f:FaWiersz | //f:Platnosc)", "0"}}},

        {"lines of a correction whose invoice is gone",
         [&] {
             return AddFvk(
                 u1, 999, QStringLiteral("FK/5/03/2026"), QStringLiteral("0.00"),
                 {{"FVK_NUMERTXTKORYGOWANEJ", "FV/99/01/2026"}, {"FVK_DATAKORYGOWANEJ", "2026-01-20"}});
         },
         false,
         {{"string(//f:DataWystFaKorygowanej)", "2026-01-20"},
          {"string(//f:NrFaKorygowanej)", "FV/99/01/2026"},
          {"string(//f:NrKSeFN)", "1"}}},

        {"buyer data of a correction whose invoice is gone",
         [&] {
             return AddFvk(
                 u1, 999, QStringLiteral("FK/6/03/2026"), QStringLiteral("0.00"),
                 {{"FVK_NUMERTXTKORYGOWANEJ", "FV/99/01/2026"}, {"FVK_DATAKORYGOWANEJ", "2026-01-20"}});
         },
         true,
         {{"string(//f:Podmiot2K/f:DaneIdentyfikacyjne/f:BrakID)", "1"},
          {"count(//f:Podmiot2K/f:DaneIdentyfikacyjne/f:Nazwa | //f:Podmiot2K/f:Adres | "
           "//f:Podmiot2K/f:IDNabywcy)",
           "0"}}},
    };

    for (const TCase& c : cases) {
        SCOPED_TRACE(c.title);
        const int k = c.make();
        const QString path = c.buyer ? WriteKsefFvkBuyerXml(k) : WriteKsefFvkXml(k);
        EXPECT_EQ(path, ExportFolder + QStringLiteral("KSeF_FVK_%1.xml").arg(k));
        const QByteArray xml = CheckFile(path, c.checks);
        if (k == 1) expectGolden(xml, QStringLiteral("KSeF_FVK_quantity.xml"));
    }

    // The correction cites the very number text the invoice's own file carries.
    const TXmlDoc invoice(ReadFileBytes(fv1File));
    const TXmlDoc correction(ReadFileBytes(ExportFolder + QStringLiteral("KSeF_FVK_1.xml")));
    EXPECT_EQ(correction.Eval(QStringLiteral("string(//f:NrFaKorygowanej)")),
              invoice.Eval(QStringLiteral("string(//f:Fa/f:P_2)")));
}

TEST_F(Fa3WriterTest, MissingDocumentsGiveZeroAndNoFile)
{
    UseExportFolder(TestOutputDir(QStringLiteral("fa3/missing")));
    QFile::remove(ExportFolder + QStringLiteral("KSeF_FV_77.xml"));
    QFile::remove(ExportFolder + QStringLiteral("KSeF_FVK_77.xml"));
    CurrentPodmiotId = 5;
    EXPECT_EQ(WriteKsefFvXml(77), QStringLiteral("0"));
    EXPECT_EQ(WriteKsefFvkXml(77), QStringLiteral("0"));
    EXPECT_EQ(WriteKsefFvkBuyerXml(77), QStringLiteral("0"));
    QString out;
    WriteKsefFvXml(77, out);
    EXPECT_EQ(out, QStringLiteral("0"));
    EXPECT_FALSE(QFile::exists(ExportFolder + QStringLiteral("KSeF_FV_77.xml")));
    EXPECT_FALSE(QFile::exists(ExportFolder + QStringLiteral("KSeF_FVK_77.xml")));
    EXPECT_EQ(CurrentPodmiotId, 5); // the company is left alone
}

TEST_F(Fa3WriterTest, SecondCallOverwritesWithTheSameBytesAndLogsItsTimes)
{
    UseExportFolder(TestOutputDir(QStringLiteral("fa3/repeat")));
    const int fv = AddFv(AddUser(3001), QStringLiteral("FV/1/03/2026"), QStringLiteral("123.00"),
                         {{"FV_SUMANETTO_A", "100.00"}, {"FV_SUMAVAT_A", "23.00"}});
    AddFvLine(fv, QStringLiteral("Abonament"), "1", "100.00", "100.00", "123.00", "23%");
    const QString path = WriteKsefFvXml(fv);
    const QByteArray first = ReadFileBytes(path);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("garbage that a shorter file must not keep");
    f.close();
    EXPECT_EQ(WriteKsefFvXml(fv), path);
    EXPECT_EQ(withoutCreationTime(ReadFileBytes(path)), withoutCreationTime(first));
    EXPECT_EQ(Fa3SchemaErrors(ReadFileBytes(path)), QString());

    const QStringList rows = S()->GetQueryValuesAsList(
        QStringLiteral("select LT_NAZWA from LogTemp where LT_NAZWA like 'KSeF%' order by LT_INDEX"));
    const QStringList one = {"KSeF_1)", "KSeF_2)", "KSeF_3)", "KSeF_4)", "KSeF_5)", "KSeF_End)"};
    EXPECT_EQ(rows, one + one);
}

TEST_F(Fa3WriterTest, CreationTimeIsUtc)
{
    UseExportFolder(TestOutputDir(QStringLiteral("fa3/utc")));
    // A zone far from UTC: a local time written with "Z" would be hours off.
    const QByteArray savedTz = qgetenv("TZ");
    qputenv("TZ", "XYZ-5:45");
    tzset();
    const int fv = AddFv(AddUser(4001), QStringLiteral("FV/1/04/2026"), QStringLiteral("1.00"));
    const QString path = WriteKsefFvXml(fv);
    if (savedTz.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", savedTz);
    tzset();
    const QString text = TXmlDoc(ReadFileBytes(path)).Eval(QStringLiteral("string(//f:DataWytworzeniaFa)"));
    ASSERT_TRUE(text.endsWith(QLatin1Char('Z'))) << text.toStdString();
    const QDateTime local = QDateTime::fromString(text.chopped(1), QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
    const QDateTime written(local.date(), local.time(), QTimeZone::utc());
    ASSERT_TRUE(written.isValid()) << text.toStdString();
    EXPECT_LE(std::abs(written.secsTo(QDateTime::currentDateTimeUtc())), 120) << text.toStdString();
}

TEST_F(Fa3WriterTest, MissingExportFolderRaisesAndStillLogsTheEnd)
{
    ExportFolder = TestOutputDir(QStringLiteral("fa3")) + QStringLiteral("/no-such-folder/");
    QDir(ExportFolder).removeRecursively();
    const int fv = AddFv(AddUser(5001), QStringLiteral("FV/1/05/2026"), QStringLiteral("1.00"));
    EXPECT_THROW(WriteKsefFvXml(fv), std::exception);
    EXPECT_FALSE(QDir(ExportFolder).exists());
    EXPECT_EQ(S()->GetQueryValueAsString(
                  QStringLiteral("select LT_NAZWA from LogTemp order by LT_INDEX desc limit 1")),
              QStringLiteral("KSeF_End)"));
}
