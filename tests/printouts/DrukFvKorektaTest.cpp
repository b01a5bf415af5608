// The corrective invoice printout read back from its PDF: the reference to
// the corrected invoice, each line before and after, negative VAT rows, and
// the transfer form only where the correction's own rules want it.
#include "printouts/DrukFvKorekta.h"
#include "core/Query.h"
#include "core/Session.h"
#include "printouts/DrukFvDane.h"
#include "tests/printouts/DrukFvFixture.h"

#include <QFile>
#include <QRegularExpression>

namespace {

class DrukFvKorektaTest : public DrukFvTest
{
protected:
    // The subscriber's invoice FV/7/2024 of 2024-03-01: one line of 123.00 at 23 %.
    int invoice(int* user, int variant, const char* saldo)
    {
        *user = AddSubscriber(QStringLiteral("Kowalski"), QStringLiteral("Jan"), 42);
        S()->ExecQuery(
            QStringLiteral("update Userdb set U_RODZAJWYDRUKUFV=:p1, U_SALDO=:p2 where U_INDEX=:p3"),
            {variant, M(saldo), *user});
        return AddInvoice(
            *user, QStringLiteral("FV/7/2024"),
            {{QStringLiteral("Abonament internet"), M("123.00"), {}, QStringLiteral("23%"), {}}},
            QDate(2024, 3, 1));
    }
    QString print(int k)
    {
        return PrintPdf(QStringLiteral("select * from vFvkLista where FVK_INDEX=%1").arg(k),
                        FormDrukFvKorekta());
    }
};

} // namespace

TEST_F(DrukFvKorektaTest, ZeroCorrectionPrintsBothRowsTheReferenceAndNegativeVat)
{
    int u = 0;
    const int fv = invoice(&u, 1, "-123.00");
    const int k = AddCorrection(fv, true, QStringLiteral("FK/3/2024"));
    const QString pdf = print(k);
    EXPECT_EQ(pdf, ExportFolder + QStringLiteral("K_FK_3_2024.pdf"));
    ASSERT_TRUE(QFile::exists(pdf));
    RenderPng(pdf);

    const QString text = flat(PdfText(pdf));
    for (const char* t :
         {"KOREKTA nr FK/3/2024", "do faktury FV/7/2024 z dnia 2024-03-01", "Przed korektą", "Po korekcie",
          "Powód korekty: Omyłkowo naliczone należności", "Wartość korekty: -123,00 zł",
          "Pozostało do rozliczenia:", "Adres do korespondencji", "JST:", "Rola:", "Nazwa zleceniodawcy"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(t))) << t << "\n" << text.toStdString();
    // The row before carries the invoice's values, the row after zeros; both numbered without a dot.
    EXPECT_TRUE(text.contains(QStringLiteral("1 Abonament internet"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("1. Abonament")));
    EXPECT_TRUE(text.contains(QStringLiteral("Razem PLN -100,00 -23,00 -123,00")));
    EXPECT_TRUE(text.contains(QStringLiteral("23% -100,00 -23,00 -123,00")));
    EXPECT_FALSE(text.contains(QStringLiteral("vOVE")));

    const QStringList codes = PdfCodes(pdf);
    EXPECT_TRUE(codes.contains(QStringLiteral("CODE-93:FK/3/2024")))
        << codes.join(QLatin1Char('|')).toStdString();
    // The account under the transfer form is Code 93 on a correction.
    EXPECT_TRUE(codes.contains(QStringLiteral("CODE-93:12124010371111001012345678")))
        << codes.join(QLatin1Char('|')).toStdString();
}

TEST_F(DrukFvKorektaTest, HalfQuantityAfterShowsBothQuantities)
{
    int u = 0;
    const int fv = invoice(&u, 2, "0");
    const int k = AddCorrection(fv, false, QStringLiteral("FK/4/2024"));
    S()->ExecQuery(QStringLiteral("update FvkPozycje set FVKP_ILOSC_PO=0.5 where FVKP_INDEXFAKTURA=:p1"),
                   {k});
    RecalcCorrection(k);
    const QString pdf = print(k);
    RenderPng(pdf);
    const QString text = flat(PdfText(pdf));
    EXPECT_TRUE(text.contains(QStringLiteral("Razem PLN -50,00 -11,50 -61,50"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("0,5"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Nazwa zleceniodawcy")));
}

TEST_F(DrukFvKorektaTest, DebtorOfVariantZeroGetsNoTransferForm)
{
    // The invoice would take the default variant 1 here; a correction does not.
    SetGlobal(QStringLiteral("RodzajWydrukuPrzelewu"), QStringLiteral("1"));
    int u = 0;
    const int fv = invoice(&u, 0, "-200.00");
    const int k = AddCorrection(fv, true, QStringLiteral("FK/5/2024"));
    const QString text = flat(PdfText(print(k)));
    EXPECT_TRUE(text.contains(QStringLiteral("KOREKTA nr FK/5/2024")));
    EXPECT_FALSE(text.contains(QStringLiteral("Nazwa zleceniodawcy")));
}

TEST(DrukFvKorektaReguly, TransferFormOnlyForOwnVariantOneDebtors)
{
    struct Case
    {
        int variant;
        bool hide;
        const char* brutto;
        const char* saldo;
        int px;
    } cases[] = {
        {1, false, "-123", "-50", 529},                             // owes money: the balance form
        {0, false, "-123", "-50", 0},                               // the default variant is not asked
        {2, false, "-123", "-50", 0},   {1, false, "-123", "0", 0}, // settled
        {1, true, "-123", "-50", 0}, // hidden balance: a lowering correction asks for nothing
        {1, true, "30", "-50", 529}, // hidden balance: a raising correction is paid by the form
        {1, true, "30", "10", 0},    // overpaid subscriber
    };
    for (const Case& c : cases)
        EXPECT_EQ(FvkTransferBandPx(c.variant, c.hide, M(c.brutto), M(c.saldo)), c.px)
            << c.variant << " " << c.hide << " " << c.brutto << " " << c.saldo;
    const TFvTransfer t = FvTransferValues(true, M("30"), M("-50"), QStringLiteral("FK/1/2024"),
                                           QStringLiteral("0042"), QStringLiteral("KOREKTA nr "));
    EXPECT_EQ(t.title, QStringLiteral("Zapłata za: KOREKTA nr FK/1/2024"));
}

TEST(DrukFvKorektaReguly, CorrespondenceBlock)
{
    const QString adr2 = QStringLiteral("Polna 5  00-950 Warszawa");
    struct Case
    {
        const char* czy;
        const char* kor;
        const char* nip2;
        const char* expected;
    } cases[] = {
        {"1", "Biuro\r\nLeśna 1", "", "Biuro\r\nLeśna 1"},
        {"1", "Biuro", "NIP 123", "Biuro\r\nNIP 123"},
        {"1", "  ", "", "Polna 5  00-950 Warszawa\r\nJST:1   Rola:8"}, // blank address: the buyer's
        {"0", "Biuro", "NIP 123", "Polna 5  00-950 Warszawa\r\nJST:1   Rola:8"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FvkCorrespondenceBlock(QString::fromLatin1(c.czy), QString::fromUtf8(c.kor), adr2,
                                         QString::fromLatin1(c.nip2), QStringLiteral("1"),
                                         QStringLiteral("8")),
                  QString::fromUtf8(c.expected))
            << c.kor;
}
