#include "core/KwotaSlownie.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

struct AmountCase
{
    const char* rule;
    double amount;
    const char16_t* words;
};

TEST(KwotaSlownie, AmountInWords)
{
    const AmountCase cases[] = {
        {"worked example", 1234.56,
         u"jeden tysiąc dwieście trzydzieści cztery złote pięćdziesiąt sześć groszy"},
        {"one grosz", 0.01, u"zero złotych jeden grosz"},
        {"zero", 0, u"zero złotych  zero groszy"},
        {"whole złoty: two blanks before zero groszy", 21, u"dwadzieścia jeden złotych  zero groszy"},
        {"rounding up to a whole złoty", 0.999, u"jeden złoty  zero groszy"},
        {"minus", -5, u"minus pięć złotych  zero groszy"},
        {"teens take złotych", 112, u"sto dwanaście złotych  zero groszy"},
        {"2-4 take złote", 22, u"dwadzieścia dwa złote  zero groszy"},
        {"one złoty", 1, u"jeden złoty  zero groszy"},
        {"grosze 2-4", 3.02, u"trzy złote dwa grosze"},
        {"grosze teens", 5.13, u"pięć złotych trzynaście groszy"},
        {"grosze 21", 7.21, u"siedem złotych dwadzieścia jeden groszy"},
        {"one thousand", 1000, u"jeden tysiąc złotych  zero groszy"},
        {"2-4 thousand", 2000, u"dwa tysiące złotych  zero groszy"},
        {"21 thousand", 21000, u"dwadzieścia jeden tysięcy złotych  zero groszy"},
        {"teen thousands", 12000, u"dwanaście tysięcy złotych  zero groszy"},
        {"112 thousand", 112000, u"sto dwanaście tysięcy złotych  zero groszy"},
        {"highest six-digit amount", 999999.99,
         u"dziewięćset dziewięćdziesiąt dziewięć tysięcy dziewięćset dziewięćdziesiąt dziewięć złotych "
         u"dziewięćdziesiąt dziewięć groszy"},
        // Millions were dropped before; now spelled like thousands.
        {"two and a half million", 2500000.00, u"dwa miliony pięćset tysięcy złotych  zero groszy"},
        {"one million", 1000000, u"jeden milion złotych  zero groszy"},
        {"million and one", 1000001.01, u"jeden milion jeden złotych jeden grosz"},
        {"five million", 5000000, u"pięć milionów złotych  zero groszy"},
        {"teen millions", 13000000, u"trzynaście milionów złotych  zero groszy"},
        {"22 million", 22000002, u"dwadzieścia dwa miliony dwa złote  zero groszy"},
        {"millions with thousands and units", 3021004.5,
         u"trzy miliony dwadzieścia jeden tysięcy cztery złote pięćdziesiąt groszy"},
        {"a billion", 1000000000, u"jeden miliard złotych  zero groszy"},
        {"billions and millions", 2001000000, u"dwa miliardy jeden milion złotych  zero groszy"},
    };
    for (const AmountCase& c : cases)
        EXPECT_EQ(AmountInWords(c.amount), QString::fromUtf16(c.words)) << c.rule;
}

TEST(KwotaSlownie, MoneyAmountsSpellTheSameAsFloats)
{
    const struct
    {
        const char* text;
        double value;
    } cases[] = {{"1234.56", 1234.56}, {"0.01", 0.01},     {"-5", -5},        {"2500000.00", 2500000.0},
                 {"0.9990", 0.999},    {"0.0049", 0.0049}, {"0.0050", 0.005}, {"123456789.99", 123456789.99}};
    for (const auto& c : cases) {
        Amount4 a;
        ASSERT_TRUE(Amount4::tryParse(QString::fromLatin1(c.text), a)) << c.text;
        EXPECT_EQ(AmountInWords(a), AmountInWords(c.value)) << c.text;
    }
}

TEST(KwotaSlownie, WordForms)
{
    const struct
    {
        qint64 n;
        const char16_t* zloty;
    } zloty[] = {{0, u""},           {1, u"złoty"},     {2, u"złote"},     {4, u"złote"},
                 {5, u"złotych"},    {11, u"złotych"},  {12, u"złotych"},  {21, u"złotych"},
                 {22, u"złote"},     {101, u"złotych"}, {112, u"złotych"}, {1000000, u"złotych"},
                 {2000002, u"złote"}};
    for (const auto& c : zloty)
        EXPECT_EQ(ZlotyWordForm(c.n), QString::fromUtf16(c.zloty)) << c.n;
    const struct
    {
        int n;
        const char16_t* grosz;
    } grosz[] = {{1, u"grosz"},   {2, u"grosze"},  {4, u"grosze"},  {5, u"groszy"},  {10, u"groszy"},
                 {12, u"groszy"}, {19, u"groszy"}, {21, u"groszy"}, {22, u"grosze"}, {99, u"groszy"}};
    for (const auto& c : grosz)
        EXPECT_EQ(GroszWordForm(c.n), QString::fromUtf16(c.grosz)) << c.n;
}

TEST(KwotaSlownie, NumberInWordsEndsWithOneBlank)
{
    EXPECT_EQ(NumberInWords(0), QString());
    EXPECT_EQ(NumberInWords(1000), QStringLiteral("jeden tysiąc "));
    EXPECT_EQ(NumberInWords(101000), QStringLiteral("sto jeden tysięcy "));
    EXPECT_EQ(NumberInWords(10), QStringLiteral("dziesięć "));
    EXPECT_EQ(NumberInWords(320), QStringLiteral("trzysta dwadzieścia "));
    EXPECT_EQ(GroupInWords(0), QString());
    EXPECT_EQ(GroupInWords(905), QStringLiteral("dziewięćset pięć "));
}

// Whatever the amount, the words come from the tables: the ends of the
// 64-bit range, negative numbers and amounts no number can hold.
TEST(KwotaSlownie, EdgeAmountsStayInsideTheTables)
{
    const QString top = QStringLiteral(
        "dziewięćset dwadzieścia dwa biliony trzysta trzydzieści siedem miliardów dwieście trzy miliony "
        "sześćset osiemdziesiąt pięć tysięcy czterysta siedemdziesiąt siedem złotych pięćdziesiąt osiem "
        "groszy");
    EXPECT_EQ(AmountInWords(Amount4::fromRaw(std::numeric_limits<qint64>::max())), top);
    EXPECT_EQ(AmountInWords(Amount4::fromRaw(std::numeric_limits<qint64>::min())),
              QStringLiteral("minus ") + top);
    EXPECT_EQ(AmountInWords(Amount4::fromRaw(-49)), QStringLiteral("minus zero złotych  zero groszy"));
    EXPECT_EQ(AmountInWords(-0.995), QStringLiteral("minus jeden złoty  zero groszy"));
    EXPECT_EQ(AmountInWords(9e18), QStringLiteral("dziewięć milionów bilionów złotych  zero groszy"));
    const double none[] = {1e19,
                           -1e19,
                           1e300,
                           std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN()};
    for (double v : none)
        EXPECT_EQ(AmountInWords(v), QString()) << v;
    EXPECT_EQ(NumberInWords(-5), QStringLiteral("minus pięć "));
    EXPECT_TRUE(NumberInWords(std::numeric_limits<qint64>::min())
                    .startsWith(QStringLiteral("minus dziewięć milionów dwieście dwadzieścia trzy tysiące")));
    EXPECT_EQ(GroupInWords(-7), QStringLiteral("siedem "));
    EXPECT_EQ(GroupInWords(1234), QStringLiteral("dwieście trzydzieści cztery "));
    EXPECT_EQ(GroupInWords(std::numeric_limits<int>::min()), GroupInWords(648));
}

} // namespace
