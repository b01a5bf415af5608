// Each layout reads its small statement of tests/data/bank as worked out by
// hand from the layout's rules; every read leaves a result file for review.
#include "payments/FormatyPm.h"
#include "billing/RachunkiBankowe.h"
#include "core/DedicatedSession.h"
#include "core/Query.h"
#include "tests/payments/PmFixture.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const char* const G = "61 1090 1014 0000 0712 1981 2874";

struct LayoutCase
{
    const char* format;
    const char* file;
    const char* status;
    int read;
    std::vector<QString> rows; // date|amount|account|payer|title; "@" is today
};

QString resultText(TDedicatedSession* s, const LayoutCase& c, const TPmImportResult& r)
{
    QString out =
        QStringLiteral("format: %1\nfile: %2\nstatus: %3\nread: %4\nimported: %5\n")
            .arg(QString::fromUtf8(c.format), QString::fromLatin1(c.file),
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

TEST_F(PmTest, EveryPlainLayoutReadsItsStatement)
{
    const QString g = QString::fromLatin1(G);
    const QString today = QDate::currentDate().toString(Qt::ISODate);
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
    const QString out = TestOutputDir(QStringLiteral("bank"));
    for (const LayoutCase& c : cases) {
        S()->ExecQuery(QStringLiteral("delete from PlatnosciMasowe"));
        const QString src =
            QStringLiteral(ORLIX_SOURCE_DIR "/tests/data/bank/") + QString::fromLatin1(c.file);
        const TPmImportResult r = Import(src, QString::fromUtf8(c.format));
        const QString text = resultText(S(), c, r);
        QFile f(out + QLatin1Char('/') + QFileInfo(src).completeBaseName() + QStringLiteral(".result.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text.toUtf8());
        f.close();
        EXPECT_EQ(r.read, c.read) << c.format;
        QStringList rows = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(5);
        QStringList expected;
        for (const QString& e : c.rows)
            expected.append(e);
        EXPECT_EQ(rows, expected) << c.format;
        EXPECT_TRUE(text.contains(QStringLiteral("status: ") + QString::fromLatin1(c.status))) << c.format;
    }
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
