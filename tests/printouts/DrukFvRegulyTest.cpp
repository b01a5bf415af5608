// The rules behind the invoice printout's texts, without a database where
// none is needed.
#include "core/Session.h"
#include "platform/PdfPrinter.h"
#include "platform/QrCodeFile.h"
#include "printouts/DrukFvDane.h"
#include "printouts/ReportForm.h"

#include "tests/printouts/DrukFvFixture.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(DrukFvReguly, PaymentTermText)
{
    struct Case
    {
        QDate issue, due;
        const char* expected;
    } cases[] = {
        {QDate(2025, 3, 1), QDate(2025, 3, 1), "2025-03-01"},           // same day: the date alone
        {QDate(2025, 3, 1), QDate(2025, 3, 2), "1 dzień = 2025-03-02"}, // one day
        {QDate(2025, 3, 1), QDate(2025, 3, 15), "14 dni = 2025-03-15"},
        {QDate(2025, 3, 10), QDate(2025, 3, 1), "2025-03-01"}, // due before issue
    };
    for (const Case& c : cases)
        EXPECT_EQ(PaymentTermText(c.issue, c.due), QString::fromUtf8(c.expected)) << c.expected;
}

TEST(DrukFvReguly, TransferFormHeightAndValues)
{
    struct Case
    {
        bool hide;
        const char* doZaplaty;
        const char* saldo;
        int px;
    } cases[] = {
        {false, "100", "-50", 440}, // shown balance, subscriber owes
        {false, "100", "0", 0},     // settled: banner alone
        {false, "100", "20", 0},    // overpaid
        {true, "100", "0", 440},    // balance hidden: the invoice's amount
        {true, "0", "-50", 0},      // nothing to pay on the invoice
    };
    for (const Case& c : cases)
        EXPECT_EQ(FvTransferBandPx(c.hide, M(c.doZaplaty), M(c.saldo)), c.px)
            << c.doZaplaty << " " << c.saldo;

    const TFvTransfer hidden =
        FvTransferValues(true, M("-123.45"), M("-10"), QStringLiteral("FV/7/2025"), QStringLiteral("0042"));
    EXPECT_EQ(hidden.amount, M("123.45"));
    EXPECT_EQ(hidden.title, QStringLiteral("Zapłata za: FAKTURA nr FV/7/2025"));
    EXPECT_TRUE(hidden.words.startsWith(QStringLiteral("słownie : sto dwadzieścia trzy")));
    const TFvTransfer shown =
        FvTransferValues(false, M("5"), M("-10"), QStringLiteral("FV/7/2025"), QStringLiteral("0042"));
    EXPECT_EQ(shown.amount, M("10"));
    EXPECT_EQ(shown.title, QStringLiteral("(0042) Zapłata zobowiązań do kwoty salda"));
}

TEST(DrukFvReguly, VatRowsStackFromTheirFixedTop)
{
    // Rates A and C at 96 dpi: rows at 13.4 and 16.9 mm, the rule at 21.1 mm.
    EXPECT_NEAR(FvVatRowTopPx(0) * 0.176, 13.4, 0.05);
    EXPECT_NEAR(FvVatRowTopPx(1) * 0.176, 16.9, 0.05);
    EXPECT_NEAR(FvVatRuleTopPx(2) * 0.176, 21.1, 0.05);
    EXPECT_EQ(FvVatRuleTopPx(0), 80);
}

TEST(DrukFvReguly, NumberFormats)
{
    struct Case
    {
        const char* value;
        const char* money;
        const char* general;
    } cases[] = {
        {"0", "0,00", "0"},
        {"1234567.5", "1 234 567,50", "1234567,5"},
        {"-45.678", "-45,68", "-45,678"},
        {"0.004", "0,00", "0,004"},
        {"-0.001", "0,00", "-0,001"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatMoney(M(c.value)), QString::fromLatin1(c.money)) << c.value;
        EXPECT_EQ(FormatGeneral(M(c.value)), QString::fromLatin1(c.general)) << c.value;
    }
    EXPECT_EQ(FormatQuantity(M("2.5")), QStringLiteral("2,5"));
    EXPECT_EQ(FormatPercent(M("10")), QStringLiteral("10,00%"));
}

TEST(DrukFvReguly, TitlesBalanceLinesAddressesAndVariants)
{
    EXPECT_EQ(DocumentReportTitle(1, QStringLiteral("F_"), QStringLiteral("FV/12/2024"),
                                  QStringLiteral("F_paczka_")),
              QStringLiteral("F_FV_12_2024"));
    for (int rows : {0, 2})
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^F_paczka_\\d{14}$"))
                        .match(DocumentReportTitle(rows, QStringLiteral("F_"), QStringLiteral("X"),
                                                   QStringLiteral("F_paczka_")))
                        .hasMatch());

    const QDate d(2025, 5, 6);
    EXPECT_EQ(MakeBalanceLines(M("0"), M("0"), d).first,
              QStringLiteral("Kwota salda na dzień 2025-05-06 (rozliczony) 0,00 zł"));
    EXPECT_TRUE(MakeBalanceLines(M("0"), M("0"), d).second.isEmpty());
    EXPECT_EQ(MakeBalanceLines(M("12.5"), M("0"), d).first,
              QStringLiteral("Kwota salda na dzień 2025-05-06 (nadpłata) 12,50 zł"));
    const TBalanceLines owe = MakeBalanceLines(M("-1234.5"), M("100"), d);
    EXPECT_EQ(owe.first, QStringLiteral("Kwota salda na dzień 2025-05-06 (do uregulowania) 1 234,50 zł"));
    EXPECT_EQ(owe.second, QStringLiteral("w tym zobowiązań po terminie na kwotę 100,00 zł"));
    EXPECT_TRUE(owe.secondHighlighted);

    EXPECT_EQ(CorrespondenceAddress(QStringLiteral("0"), QStringLiteral("Kor"), QStringLiteral("Main")),
              QStringLiteral("Main"));
    EXPECT_EQ(CorrespondenceAddress(QStringLiteral("1"), QStringLiteral("Kor"), QStringLiteral("Main")),
              QStringLiteral("Kor"));
    EXPECT_EQ(CorrespondenceAddress(QStringLiteral("1"), QStringLiteral("  "), QStringLiteral("Main")),
              QStringLiteral("Main"));
    EXPECT_EQ(FvCorrespondenceBlock(QStringLiteral("1"), QStringLiteral("Gmina X"), QStringLiteral("Main"),
                                    QStringLiteral("NIP 123"), QStringLiteral("2"), QStringLiteral("8")),
              QStringLiteral("Gmina X\r\nNIP 123\r\nJST:2   Rola:8"));

    EXPECT_EQ(PortalLoginLine(true, false, 0, QStringLiteral("jan"), QStringLiteral("tajne")),
              QStringLiteral("vOVE - Login: jan  Hasło: tajne"));
    EXPECT_EQ(PortalLoginLine(true, true, 0, QStringLiteral("jan"), QStringLiteral("tajne")),
              QStringLiteral("vOVE - Login: jan"));
    EXPECT_TRUE(PortalLoginLine(false, false, 0, QStringLiteral("jan"), QString()).isEmpty());
    EXPECT_TRUE(PortalLoginLine(true, false, 1, QStringLiteral("jan"), QString()).isEmpty());

    EXPECT_EQ(FvPrintVariant(0, 3), 3);
    EXPECT_EQ(FvPrintVariant(2, 3), 2);
    EXPECT_EQ(FvUlicaNr(QStringLiteral("Długa"), QStringLiteral("5"), QString()), QStringLiteral("Długa 5"));
    EXPECT_EQ(FvUlicaNr(QStringLiteral("Długa"), QStringLiteral("5"), QStringLiteral("2")),
              QStringLiteral("Długa 5/2"));
    EXPECT_TRUE(FvNipTxt(QString()).isEmpty());
}

TEST(DrukFvReguly, QrBitmapFileDecodesToItsText)
{
    QTemporaryDir dir;
    const QString saved = PrivateFolder;
    PrivateFolder = dir.path() + QLatin1Char('/');
    const QString link = QStringLiteral("https://qr-test.ksef.mf.gov.pl/invoice/7251234567/01-03-2025/Zm9v");
    EXPECT_TRUE(MakeQrCodeFile(link, QStringLiteral("F17")));
    EXPECT_FALSE(MakeQrCodeFile(QString(), QStringLiteral("F18")));
    QProcess p;
    p.start(QStringLiteral("zbarimg"),
            {QStringLiteral("--quiet"), PrivateFolder + QStringLiteral("F17.bmp")});
    p.waitForFinished(30000);
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()).trimmed(), QStringLiteral("QR-Code:") + link);
    PrivateFolder = saved;
}

TEST(DrukFvReguly, PrinterRoutingByName)
{
    const QString saved = ExportFolder;
    ExportFolder = QStringLiteral("/tmp/eksport/");
    EXPECT_TRUE(IsPdfPrinter(QStringLiteral("orlix pdf")));
    EXPECT_FALSE(IsPdfPrinter(QString()));
    EXPECT_EQ(PdfFileForTitle(QStringLiteral("F_FV_1_2025")), QStringLiteral("/tmp/eksport/F_FV_1_2025.pdf"));
    // A title that keeps its slashes still names a file in the export folder.
    EXPECT_EQ(PdfFileForTitle(QStringLiteral("NOTA_N/3/2024")),
              QStringLiteral("/tmp/eksport/NOTA_N_3_2024.pdf"));
    EXPECT_EQ(FindPrinterIndex(QStringLiteral("no such printer here")), -1);
    const TPrintTarget pdf = OpenPrintTarget(QStringLiteral("Orlix PDF"), QStringLiteral("F_X"));
    EXPECT_TRUE(pdf.isPdf);
    EXPECT_EQ(pdf.pdfFile, QStringLiteral("/tmp/eksport/F_X.pdf"));
    // An unknown name is the default printer, never a file.
    const TPrintTarget other = OpenPrintTarget(QStringLiteral("no such printer here"), QStringLiteral("F_X"));
    EXPECT_FALSE(other.isPdf);
    EXPECT_TRUE(other.pdfFile.isEmpty());
    ExportFolder = saved;
}
