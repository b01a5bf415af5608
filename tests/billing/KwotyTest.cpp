// Amounts in ten-thousandths, VAT labels and the line value rule.
#include "billing/Przeliczenia.h"
#include "core/VatRates.h"
#include "tests/billing/BillingFixture.h"

#include <gtest/gtest.h>

TEST(Amount4Rounding, RealNumbersRoundHalfToEvenAtTheFourthDecimal)
{
    struct Case
    {
        long double value;
        qint64 raw;
    } cases[] = {
        {0.00005L, 0},   // tie, 0 is even
        {0.00015L, 2},   // tie, up to the even 2
        {0.00025L, 2},   // tie, down to the even 2
        {-0.00015L, -2}, // ties are symmetric
        {-0.00025L, -2}, {100.0L / 1.23L, 813008}, {1.23456L, 12346},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Amount4::fromLongDouble(c.value).raw, c.raw) << double(c.value);
}

TEST(Amount4Rounding, ParsedTextsRoundTheFifthDecimalHalfToEven)
{
    struct Case
    {
        const char* text;
        qint64 raw;
    } cases[] = {{"1.00005", 10000},     {"1.00015", 10002}, {"1.000150001", 10002},
                 {"1.000050001", 10001}, {"-2,50", -25000},  {"7", 70000}};
    for (const Case& c : cases) {
        Amount4 a;
        ASSERT_TRUE(Amount4::tryParse(QString::fromLatin1(c.text), a)) << c.text;
        EXPECT_EQ(a.raw, c.raw) << c.text;
    }
}

TEST(Amount4Rounding, StoredScaleRoundsHalfAwayFromZeroAsTheServerDoes)
{
    EXPECT_EQ(Amount4::fromRaw(813008).roundedTo(2).raw, 813000);
    EXPECT_EQ(Amount4::fromRaw(186992).roundedTo(2).raw, 187000);
    EXPECT_EQ(Amount4::fromRaw(12350).roundedTo(2).raw, 12400);
    EXPECT_EQ(Amount4::fromRaw(-12350).roundedTo(2).raw, -12400);
}

TEST(VatGroups, LabelsFromTwentyFifteenAndTotalAlways)
{
    SetVatRateTexts(QDate(2025, 5, 14));
    EXPECT_EQ(VatGroupTexts(), (QStringList{"23%", "8%", "0%", "5%", "zw", "np", "RAZEM"}));
    // Outside the range the labels stay as they are and "RAZEM" is set.
    SetVatRateTexts(QDate(2014, 12, 31));
    EXPECT_EQ(VatGroupTexts(), (QStringList{"23%", "8%", "0%", "5%", "zw", "np", "RAZEM"}));
    EXPECT_EQ(VatGroupOfRateText(QStringLiteral("zw")), 4);
    EXPECT_EQ(VatGroupOfRateText(QStringLiteral("7%")), -1);
    EXPECT_EQ(VatGroupSuffix(5), QStringLiteral("_NP"));
}

TEST(LineValueRule, GrossBasedValuesBeforeTheColumnsRounding)
{
    SetVatRateTexts(QDate(2025, 5, 14));
    struct Case
    {
        const char* name;
        const char *price, *quantity, *discount, *rate;
        const char *factor, *netPrice, *gross, *net, *vat, *discountAmount;
    } cases[] = {
        {"gross 100 at 23%", "100", "1", "0", "23%", "1.23", "81.3008", "100", "81.3008", "18.6992", "0"},
        {"8% takes 1.08", "10", "2", "0", "8%", "1.08", "9.2593", "20", "18.5185", "1.4815", "0"},
        {"0% keeps net = gross", "50", "1", "0", "0%", "1", "50", "50", "50", "0", "0"},
        {"exempt keeps net = gross", "50", "1", "0", "zw", "1", "50", "50", "50", "0", "0"},
        {"not subject keeps net = gross", "50", "1", "0", "np", "1", "50", "50", "50", "0", "0"},
        {"discount 50 on 10 x 3", "10", "3", "50", "zw", "1", "10", "15", "15", "0", "15"},
        {"fractional quantity", "12.34", "1.5", "0", "5%", "1.05", "11.7524", "18.51", "17.6286", "0.8814",
         "0"},
    };
    for (const Case& c : cases) {
        const TLineValues v =
            ComputeLineValues(A(c.price), A(c.quantity), A(c.discount), QString::fromLatin1(c.rate));
        EXPECT_EQ(v.factor, A(c.factor)) << c.name;
        EXPECT_EQ(v.netPrice, A(c.netPrice)) << c.name;
        EXPECT_EQ(v.grossValue, A(c.gross)) << c.name;
        EXPECT_EQ(v.netValue, A(c.net)) << c.name;
        EXPECT_EQ(v.vat, A(c.vat)) << c.name;
        EXPECT_EQ(v.discountAmount, A(c.discountAmount)) << c.name;
    }
}

TEST(PaidAmountClamp, InvoicesAndCorrectionsByTheSignOfTheSum)
{
    struct Case
    {
        char kind;
        const char *paid, *sum, *settled, *expected;
    } cases[] = {
        {'F', "150", "100", "0", "100"}, // above the sum
        {'F', "-5", "100", "0", "0"},    // below zero
        {'F', "90", "100", "20", "80"},  // above what is not yet settled
        {'F', "-5", "-10", "0", "-5"},   // a negative sum is not clamped
        {'P', "30", "22.5", "0", "22.5"},
        {'K', "-50", "-30", "0", "-30"},   // a lowering correction: below the sum
        {'K', "5", "-30", "0", "0"},       // above zero
        {'K', "-30", "-30", "-10", "-20"}, // below sum - settled
        {'K', "40", "30", "0", "30"},      // a raising correction clamps as an invoice
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClampPaidAmount(c.kind, A(c.paid), A(c.sum), A(c.settled)), A(c.expected))
            << c.kind << " " << c.paid << " " << c.sum << " " << c.settled;
}
