// Each layout reads its small statement of tests/data/bank as worked out by
// hand from the layout's rules; every read leaves a result file for review.
#include "payments/FormatyPm.h"
#include "billing/RachunkiBankowe.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Query.h"
#include "tests/payments/PmFixture.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace {

const char* const G = "61 1090 1014 0000 0712 1981 2874";

struct LayoutCase
{
    const char* format;
    QString file; // under tests/data/bank
    const char* status;
    int read;
    std::vector<QString> rows; // date|amount|account|payer|title; "@" is today
};

QString resultText(TDedicatedSession* s, const LayoutCase& c, const TPmImportResult& r)
{
    QString out =
        QStringLiteral("format: %1\nfile: %2\nstatus: %3\nread: %4\nimported: %5\n")
            .arg(QString::fromUtf8(c.format), QFileInfo(c.file).fileName(),
                 s->GetQueryValueAsString(
                     QStringLiteral("select PMMD5_STATUS from PmMD5 where PMMD5_INDEX=:p1"), {r.registerId}))
            .arg(r.read)
            .arg(r.imported);
    auto q = s->OpenQuery(
        QStringLiteral("select concat_ws('|', PM_DATABANK, PM_KWOTA, PM_NUMERRACHUNKU, "
                       "PM_ADRESWPLACAJACEGO, PM_TYTUL) from PlatnosciMasowe order by PM_INDEX"));
    for (q->First(); !q->Eof(); q->Next())
        out += q->Fields(0)->AsString() + QLatin1Char('\n');
    return out;
}

} // namespace

class PmLayoutTest : public PmTest
{
protected:
    // Reads each case's file under its layout into an empty table and compares
    // the rows; leaves test-output/bank/<file>.result.txt.
    void CheckLayouts(const std::vector<LayoutCase>& cases);
    const QString g = QString::fromLatin1(G);
    const QString today = QDate::currentDate().toString(Qt::ISODate);
};

void PmLayoutTest::CheckLayouts(const std::vector<LayoutCase>& cases)
{
    const QString out = TestOutputDir(QStringLiteral("bank"));
    for (const LayoutCase& c : cases) {
        S()->ExecQuery(QStringLiteral("delete from PlatnosciMasowe"));
        const QString src = QStringLiteral(ORLIX_SOURCE_DIR "/tests/data/bank/") + c.file;
        const TPmImportResult r = Import(src, QString::fromUtf8(c.format));
        const QString text = resultText(S(), c, r);
        // A file read under several layouts leaves one result per layout.
        QString name = QFileInfo(src).completeBaseName();
        if (std::count_if(cases.begin(), cases.end(),
                          [&c](const LayoutCase& o) { return o.file == c.file; }) > 1)
            name +=
                QLatin1Char('-') + QString::fromUtf8(c.format).toLower().replace(
                                       QRegularExpression(QStringLiteral("[^a-z0-9]+")), QStringLiteral("_"));
        QFile f(out + QLatin1Char('/') + name + QStringLiteral(".result.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text.toUtf8());
        f.close();
        EXPECT_EQ(r.read, c.read) << c.format;
        QStringList rows = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(5);
        QStringList expected;
        for (const QString& e : c.rows)
            expected.append(e);
        EXPECT_EQ(rows, expected) << c.format;
        EXPECT_TRUE(text.contains(QStringLiteral("status: ") + QString::fromUtf8(c.status))) << c.format;
    }
}

TEST_F(PmLayoutTest, EveryPlainLayoutReadsItsStatement)
{
    const QString short_ = QStringLiteral("NIEPEŁNY NR RACHUNKU!");
    const std::vector<LayoutCase> cases = {
        {"Alior Bank", "alior_bank.txt", "OK", 1, {"2024-05-31|150.00|" + g + "|Jan Łukasik|Abonament maj"}},
        {"Alior Bank (3)",
         "alior_bank_3.txt",
         "OK",
         2,
         {"2024-05-31|150.00|" + g + "|Jan Łukasik|Abonament", "2024-06-01|1.00|" + short_ + "|Anna|Tytuł"}},
        {"Alior Bank (4)",
         "alior_bank_4.txt",
         "OK",
         1,
         {"2024-05-31|150.00|" + SubAccount(7) + "|Jan Łukasik|Abonament"}},
        {"Alior Bank (5)",
         "alior_bank_5.txt",
         "OK",
         2,
         {"2024-05-31|150.00|" + g + "|Jan Łukasik|Abonament", today + "|1.50|" + g + "|Anna Żak|Bez daty"}},
        {"BS (6)",
         "bs_6.txt",
         "OK",
         1,
         {today + "|150.00|" + g + "|Jan Łukasik, ul. Polna 1Kraków|Opłata za maj"}},
        {"RAW",
         "raw.txt",
         "OK",
         2,
         {"2024-05-31|150.00|" + g + "|Jan Łukasik|Abonament maj",
          "2024-05-31|150.00|" + short_ + "|Anna|Krótki"}},
        {"BS (13)",
         "bs_13.txt",
         "OK",
         2,
         {"2024-05-31|150.00|" + g + "|Jan Łukasik ul. Polna1|Opłata za maj2024",
          today + "|1.50|" + g + "|ABCD|T1T2T3T4"}},
        {"BS (5)", "bs_5.txt", "OK", 1, {"2024-05-31|150.00|" + g + "|Jan Łukasik|Abonament"}},
        {"PBS Bank", "pbs_bank.txt", "OK", 1, {"2024-05-31|1234.56|" + g + "|Jan Łukasik|Abonament"}},
        {"Fortis Bank", "fortis_bank.txt", "OK", 1, {"2024-05-31|150.00|" + g + "|Jan Łukasik|Abonament"}},
        {"BS",
         "bs.txt",
         "OK",
         2,
         {"2024-05-31|150.00|" + g + "|Jan Łukasik|Abonament", "2024-06-01|1234.56|" + g + "|Anna|Tytuł"}},
        {"BZWBK", "bzwbk.txt", "OK", 1, {"2024-05-31|150.00|" + g + "|Jan Łukasik|Abonament"}},
        {"BZWBK (2)", "bzwbk_2.txt", "OK", 1, {"2024-05-31|150.00|" + g + "|Jan Łukasik|Abonament"}},
        {"BZWBK (3)", "bzwbk_3.txt", "OK", 1, {"2024-05-31|150.00|" + g + "|Jan Łukasik|Abonament"}},
        {"BZWBK (4)", "bzwbk_4.txt", "OK", 1, {"2024-05-31|150.00|" + g + "|Jan Łukasik|Abonament"}},
        {"BS (3)",
         "bs_3.txt",
         "OK",
         3,
         {"0000-00-00|10.00|" + g + "|Przednagłówkiem|abc",
          "2024-05-31|150.00|" + g + "|Jan Łukasik, ul. Polna1|Opłatazamaj",
          "2024-05-31|20.00|" + g + "|AnnaŻak|T"}},
    };
    CheckLayouts(cases);
}

TEST_F(PmLayoutTest, EveryTransferRecordLayoutReadsItsStatement)
{
    const QString pko = CompleteNrb(QStringLiteral("1090 1014 0000 0712 1981 2874"));
    const QString plain = "2024-05-31|150.00|" + g + "|Jan Łukasik|Abonament";
    CheckLayouts({
        {"BS (10)",
         "bs_10.txt",
         "OK",
         1,
         {"2024-05-31|123.45|" + g + "|Jan Łukasik  ul. Polna 1|Abonament maj"}},
        {"BS (11)",
         "bs_11.txt",
         "OK",
         2,
         {"2024-05-31|150.00|" + g + "|Jan Łukasik  ul. Polna 1|Abonament",
          "2024-06-01|1.50|" + g + "|Anna Żak|Tytuł"}},
        {"BZWBK (5)", "bzwbk_5.txt", "OK", 1, {plain}},
        {"Deutsche Bank", "deutsche_bank.txt", "OK", 1, {plain}},
        {"Getin Bank", "getin_bank.txt", "OK", 1, {plain}},
        {"Bank Pocztowy",
         "bank_pocztowy.txt",
         "OK",
         2,
         {"2024-05-31|150.00|" + g + "|ul. Polna 1 Kraków|Abonament",
          "2024-06-01|20.50|" + g + "|Anna Żak|Tytuł"}},
        {"BS (8)", "bs_8.txt", "OK", 1, {plain}},
        {"Raiffeisen", "raiffeisen.txt", "OK", 2, {plain, "2024-06-02|2.50|" + g + "|Anna Żak|Tytuł"}},
        {"PKO Bank Polski",
         "pko_bank_polski.txt",
         "OK",
         2,
         {"2024-05-31|150.00|" + pko + "|Jan Łukasik|Abonament"}},
        {"BGŻ", "bgz.txt", "OK", 1, {"2024-05-31|150.00|" + g + "|ul. Polna 1  Kraków|Abonament"}},
        {"BGŻ (2)", "bgz_2.txt", "OK", 1, {plain}},
        {"BGŻ (3)", "bgz_3.txt", "OK", 1, {plain}},
    });
}

TEST_F(PmLayoutTest, EveryQuotedLayoutReadsItsStatement)
{
    const QString s7 = SubAccount(7);
    const QString plain = "2024-05-31|150.00|" + g + "|Jan Łukasik|Abonament";
    CheckLayouts({
        {"BS (15)",
         "bs_15.txt",
         "OK",
         2,
         {"2024-05-31|150.00|" + g + "|Jan Łukasik  ul. Polna 1|Abonament",
          "2024-06-01|1.50|" + g + "|Anna Żak|Tytuł"}},
        // The first line is passed over unread; a sub-account of eight digits rebuilds to ''.
        {"ING (4)",
         "ing_4.txt",
         "OK",
         2,
         {"2024-05-31|150.00|" + s7 + "|Jan Łukasik|Abonament", "2024-06-01|20.50||Anna Żak|Tytuł"}},
        {"BS (14)",
         "bs_14.txt",
         "OK",
         2,
         {"2024-05-31|150.00|" + g + "|Jan Łukasik|Opłata za maj '24",
          "2024-06-01|1234.56|" + g + "|Żaneta Kowalska|Tytuł"}},
        {"Millenium (csv)",
         "millenium_csv.txt",
         "OK",
         1,
         {"2024-05-31|150.00|" + g + "|Jan Łukasik Kraków|Abonament"}},
        {"Bank Pekao",
         "bank_pekao.txt",
         "OK",
         1,
         {"2024-05-31|150.00|" + s7 + "|Jan Łukasik ul. Polna 1 Kraków|Opłata za maj 2024"}},
        {"Alior Bank (2)",
         "alior_bank_2.txt",
         "OK",
         2,
         {"2024-05-30|5.00|" + g + "|Anna Żak|Wpłata",
          "2024-05-31|1234.56|" + g + "|Jan Łukasik|Abonament maj"}},
        {"BPS",
         "bps.txt",
         "OK",
         3,
         {"2024-05-31|1234.56|" + g + "|Jan Łukasik  Kraków|Abonament",
          "2024-05-31|1234.56|" + g + "|Anna Żak|Tytuł", "2024-06-01|5.00|" + g + "|Ewa|Drobne"}},
        {"BPH", "bph.txt", "OK", 1, {"2024-05-31|150.00|" + s7 + "|Jan Łukasik|Abonament"}},
        // One file, two readings: rebuilt from the first twelve characters, or grouped as it stands.
        {"Kredyt Bank", "kredyt_bank.txt", "OK", 1, {"2024-05-31|150.00|" + s7 + "|Jan Łukasik|Abonament"}},
        {"Kredyt Bank (2)",
         "kredyt_bank_2.txt",
         "OK",
         1,
         {"2024-05-31|150.00|00 0000 0000 0700 0000 0000 0000|Jan Łukasik|Abonament"}},
        {"ING (3)",
         "ing_3.txt",
         "OK",
         1,
         {"2024-05-31|150.00|" + g + "|Jan Łukasik ul. Polna 1 Kraków PL|Opłata za maj 2024"}},
        {"ING",
         "ing.txt",
         "OK",
         1,
         {"2024-05-31|150.00|" + g + "|Jan Łukasik ul. Polna 1 Kraków PL|Opłata za maj 2024"}},
        {"Millenium (S3)",
         "millenium_s3.txt",
         "OK",
         1,
         {"2024-05-31|150.00|" + g + "|Jan Łukasik Kraków|Abonament"}},
        {"Millenium (S4)",
         "millenium_s4.txt",
         "OK",
         1,
         {"2024-05-31|150.00|" + g + "|Jan Łukasik|Abonament maj"}},
        {"BS (2)", "bs_2.txt", "OK", 1, {"2024-05-31|150.00|" + g + "|Jan Łukasik Kraków|Opłata za maj"}},
        {"BS (4)", "bs_4.txt", "OK", 1, {plain}},
    });
}

TEST_F(PmLayoutTest, EveryStatementLayoutReadsItsStatement)
{
    const QString s7 = SubAccount(7);
    const QString may = "2024-05-31|150.00|" + g + "|Jan Łukasik|Opłata za maj 2024";
    CheckLayouts({
        {"BS (12)",
         "bs_12.txt",
         "OK",
         3,
         {"2024-05-31|150.00|" + g + "|Jan Łukasik ul. Polna 1 Kraków|Abonament maj",
          "2024-06-01|20.50|" + g + "|Anna Żak  |Tytuł"}},
        {"BS (9)",
         "bs_9.txt",
         "OK",
         3,
         {"2024-05-31|15000.00|" + g + "|Jan Łukasik, Kraków|Opłata za maj 2024",
          "2024-06-01|1.50|" + g + "|Anna Żak|Tytuł"}},
        {"ING (2)", "ing_2.txt", "OK", 2, {may}},
        {"Bank Pocztowy (2)", "bank_pocztowy_2.txt", "OK", 2, {may}},
        {"BZWBK (6)", "bzwbk_6.txt", "OK", 4, {may, "2024-06-01|20.50|" + g + "|Anna Żak|Tytuł"}},
        {"mBank", "mbank.txt", "OK", 2, {"2024-05-31|150.00|" + s7 + "| JAN ŁUKASIK KRAKÓW|ABONAMENT MAJ"}},
        {"BS (7)",
         "bs_7.txt",
         "OK",
         3,
         {"2024-05-31|150.00|" + g + "|Jan Łukasik<|Abonament<",
          "2024-05-31|20.50|" + g + "|Anna Żak<|Tytuł<"}},
        {"BRE Bank", "bre_bank.txt", "OK", 2, {"2024-05-31|150.00|" + s7 + "|JAN ŁUKASIK;|ABONAMENT;"}},
    });
}

TEST_F(PmTest, PlainLayoutRulesThatEndOrEmptyARead)
{
    struct Case
    {
        const char* format;
        QByteArray content;
        bool ok;
        int read;
    } cases[] = {
        {"BS (13)", QByteArray("61109010140000071219812874,15000,c,d,,f,g,h,i,A,B,C,D,T1,T2,T3,T4,r\r\n"),
         true, 0},
        {"Fortis Bank", QByteArray("a\r\nb\r\nc\r\n61109010140000071219812874;150,00;20240531;x;y\r\n"),
         false, 1},
        {"RAW", QByteArray("20240531|61109010140000071219812874|2147483648|x|y\r\n"), false, 1},
    };
    int n = 0;
    for (const Case& c : cases) {
        const TPmImportResult r =
            Import(WriteFile(QStringLiteral("r%1.txt").arg(++n), c.content), QString::fromUtf8(c.format));
        EXPECT_EQ(r.ok, c.ok) << c.format;
        EXPECT_EQ(r.read, c.read) << c.format;
        EXPECT_EQ(Int(QStringLiteral("select count(*) from PlatnosciMasowe")), 0) << c.format;
    }
}

TEST(PmAmountRules, StatementAmountWindows)
{
    struct Case
    {
        QString (*rule)(const QString&);
        const char* text;
        const char* digits;
    } cases[] = {
        {PmAmountNtoN, "CN123,45NTRFNONREF", "12345"},
        {PmAmountNtoN, ":61:1701190119CN0,01NTRFNONREF//MB17", "001"},
        // The funds code after the amount: nothing is collected before "NTRFN".
        {PmAmountNtoN, "CR15,21NTRFNONREF", ""},
        {PmAmountCtoEnd, "C000000015000,00NTRF", "00000001500000"},
        {PmAmountCtoEnd, "D000000000999,00NTRF", ""},
        {PmAmountCtoS, "C000000015000,00S940", "00000001500000"},
        {PmAmountCtoS, "C1234S99C56S7", "123456"},
        {PmAmountCtoS, "D000000000020,00S940", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.rule(QString::fromLatin1(c.text)), QString::fromLatin1(c.digits)) << c.text;
}

TEST_F(PmTest, StatementReadsThatFailOrStoreNoDate)
{
    const QByteArray g = QByteArray(G).replace(" ", "");
    QByteArray bs12 = ":60F:F240531PLN0,00\r\n:61:2405310531CN150,00NTRF\r\n<23za:" + g + "\r\n";
    for (int i = 0; i < 9; ++i)
        bs12 += "<30-\r\n";
    bs12 += ":61:2405310531CN20,00NTRF\r\n<23za:" + g + "\r\n";
    for (int i = 0; i < 7; ++i)
        bs12 += "<30-\r\n";
    struct Case
    {
        const char* rule;
        const char* format;
        QByteArray content;
        bool ok;
        int read;
        int rows;
        bool message;
    } cases[] = {
        {"the last record has eight lines after it", "BS (12)", bs12, false, 1, 0, true},
        {"a day that does not exist, silently", "BS (4)",
         "\"2024-02-30\",\"150,00\",\"T\",\"P\",\"x\",\"" + g + "\"\r\n", false, 1, 0, false},
        {"a record whose amount window has no digits", "mBank",
         ":61:2405310531CR15,21NTRFNONREF\r\n:86:911 X; ID IPH: XX000000000001; \r\n:64:C\r\n", false, 1, 0,
         true},
        {"the Fortis amount with a comma", "Fortis Bank", "a\r\nb\r\nc\r\n" + g + ";150,00;20240531;x;y\r\n",
         false, 1, 0, true},
        {"the Fortis amount in grosz", "Fortis Bank", "a\r\nb\r\nc\r\n" + g + ";15000;20240531;x;y\r\n", true,
         1, 1, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        S()->ExecQuery(QStringLiteral("delete from PlatnosciMasowe"));
        TMD::ClearRecorded();
        const TPmImportResult r =
            Import(WriteFile(QStringLiteral("f%1.txt").arg(++n), c.content), QString::fromUtf8(c.format));
        EXPECT_EQ(r.ok, c.ok) << c.rule;
        EXPECT_EQ(r.read, c.read) << c.rule;
        EXPECT_EQ(Int(QStringLiteral("select count(*) from PlatnosciMasowe")), c.rows) << c.rule;
        EXPECT_EQ(Shown().contains(QStringLiteral("   Odczyt pliku importu nie powiodl sie.   ")), c.message)
            << c.rule;
        EXPECT_EQ(
            Text(QStringLiteral("select PMMD5_STATUS from PmMD5 where PMMD5_INDEX=:p1"), {r.registerId}),
            c.ok ? QStringLiteral("OK") : QStringLiteral("Błąd importu"))
            << c.rule;
    }
}

TEST_F(PmTest, BreBankDateTagPastFiftyCharactersLeavesRowsUndated)
{
    const QByteArray text =
        ":25:PL61109010140000071219812874\r\n:28C:00001/01\r\n:NS:22WYCIAG\r\n:20:ST240531\r\n"
        ":61:2405310531CN150,00NTRF\r\n:86:911 X; ID IPH: XX000000000007; OD: A; TYT.: B;\r\n"
        ":64:C\r\n";
    const TPmImportResult r = Import(WriteFile(QStringLiteral("bre.txt"), text), QStringLiteral("BRE Bank"));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(Text(QStringLiteral("select concat_ws('|', PM_DATABANK, PM_KWOTA, PM_NUMERRACHUNKU) from "
                                  "PlatnosciMasowe")),
              QStringLiteral("0000-00-00|150.00|") + SubAccount(7));
}

TEST_F(PmTest, OnlyFailedImportsShownKeepsBs15AndPekaoRowsOut)
{
    for (const char* format : {"BS (15)", "Bank Pekao"}) {
        TPmImportRequest rq;
        rq.path = QStringLiteral(ORLIX_SOURCE_DIR "/tests/data/bank/") +
                  (QByteArray(format) == "BS (15)" ? QStringLiteral("bs_15.txt")
                                                   : QStringLiteral("bank_pekao.txt"));
        rq.format = QString::fromUtf8(format);
        rq.onlyFailedImportsShown = true;
        QString label;
        rq.showMessage = [&label](const QString& m) { label = m; };
        const TPmImportResult r = ImportStatementFile(rq);
        EXPECT_TRUE(r.ok) << format;
        EXPECT_GT(r.read, 0) << format;
        EXPECT_EQ(r.imported, 0) << format;
        EXPECT_EQ(label, QStringLiteral("Rekordów odczytanych: %1   Zaimportowanych rekordów: 0").arg(r.read))
            << format;
        EXPECT_EQ(
            Text(QStringLiteral("select PMMD5_STATUS from PmMD5 where PMMD5_INDEX=:p1"), {r.registerId}),
            QStringLiteral("OK"));
    }
    EXPECT_EQ(Int(QStringLiteral("select count(*) from PlatnosciMasowe")), 0);
}

TEST_F(PmLayoutTest, ThirdPartyStatementsReadAsTheRulesSay)
{
    for (int c = 1; c <= 3; ++c)
        AddUser(c, SubAccount(c));
    auto sample = [](const char* name) {
        return QStringLiteral("../../../../shared/samples/mt940/") + QLatin1String(name);
    };
    const QString nowak = QStringLiteral("| JAN NOWAK  UL. NIJAKA 1 M 2 31-234 KRAKOW|PRZELEW SRODKOW   ");
    const QString breNowak =
        QStringLiteral("|JAN NOWAK  UL. NIJAKA 1 M 2 31-234 KRAKOW;|PRZELEW SRODKOW   ;");
    std::vector<LayoutCase> cases = {
        {"mBank",
         sample("mbank_mt940.sta"),
         "OK",
         3,
         {"2017-01-19|0.01|" + SubAccount(1) + nowak, "2017-01-19|0.01|" + SubAccount(2) + nowak,
          "2017-01-19|0.01|" + SubAccount(3) + nowak}},
        {"mBank",
         sample("mbank_mt942.sta"),
         "OK",
         3,
         {"2017-01-19|0.01|" + SubAccount(1) + nowak, "2017-01-19|0.01|" + SubAccount(2) + nowak}},
        {"mBank",
         sample("mbank_with_newline_in_tnr.sta"),
         "OK",
         2,
         {"2017-02-01|45.00|" + CompleteNrb(QStringLiteral("105010250000000002052409")) +
              "| AAAAAA AAAAAA  UL.AAAAAAAAAAA 27 M.32 31-000 AAAAAA|_FAKTURA VAT NR FVD-0000/02/2017  A "
              "AAAAA AAAAAA "
              "UL. AAAAAAAAAAA 220/22  ",
          "2017-02-01|44.00|" + CompleteNrb(QStringLiteral("105010250000000002052402")) +
              "| AAAAA AAAAAAAAA  UL.AAAAAAA AAAAAAAAAAAAA 22 31-000 AAAAAA|AAAAAA AA AAAAAAAA   "}},
        {"mBank", sample("MT940_multiple_accounts.txt"), "Błąd importu", 42, {}},
        {"BRE Bank",
         sample("mbank_mt940.sta"),
         "OK",
         3,
         {"2017-01-19|0.01|" + SubAccount(1) + breNowak, "2017-01-19|0.01|" + SubAccount(2) + breNowak,
          "2017-01-19|0.01|" + SubAccount(3) + breNowak}},
        // MultiCash debits: every record read, none stored.
        {"BS (12)", sample("bph_sta.txt"), "OK", 4, {}},
        {"BS (9)", sample("bph_sta.txt"), "OK", 4, {}},
        {"BS (7)", sample("bph_sta.txt"), "OK", 4, {}},
        {"mBank", sample("bph_sta.txt"), "OK", 4, {}},
        {"BRE Bank", sample("bph_sta.txt"), "OK", 4, {}},
    };
    CheckLayouts(cases);
    // The IPH sub-accounts of the first statement belong to customers 1-3.
    S()->ExecQuery(QStringLiteral("delete from PlatnosciMasowe"));
    S()->ExecQuery(QStringLiteral("delete from PmMD5"));
    Import(QStringLiteral(ORLIX_SOURCE_DIR "/tests/data/bank/") + cases[0].file, QStringLiteral("mBank"));
    EXPECT_EQ(
        Int(QStringLiteral("select count(distinct PM_INDEXUSER) from PlatnosciMasowe where PM_INDEXUSER>0")),
        3);
}
