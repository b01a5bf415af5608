// Amounts past what Amount4 holds are refused with the operator's text, never
// wrapped round to a negative amount.
#include "core/Amount4.h"
#include "core/Amount4Range.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace {

const Amount4 kMax = Amount4::fromRaw(std::numeric_limits<qint64>::max());
const Amount4 kMin = Amount4::fromRaw(std::numeric_limits<qint64>::min());

} // namespace

TEST(Amount4Range, OverflowIsRefusedWithAPolishMessage)
{
    struct Case
    {
        const char* rule;
        std::function<Amount4()> make;
    } cases[] = {
        {"a double past the range", [] { return Amount4::fromDouble(1e15); }},
        {"a negative double past the range", [] { return Amount4::fromDouble(-1e15); }},
        {"not a number", [] { return Amount4::fromDouble(std::nan("")); }},
        {"infinity", [] { return Amount4::fromLongDouble(std::numeric_limits<long double>::infinity()); }},
        {"whole złote past the range", [] { return Amount4::fromInt(1000000000000000LL); }},
        {"a sum past the top", [] { return kMax + Amount4::fromRaw(1); }},
        {"a difference past the bottom", [] { return kMin - Amount4::fromRaw(1); }},
        {"adding in place",
         [] {
             Amount4 a = kMax;
             a += Amount4::fromInt(1);
             return a;
         }},
        {"the negative of the lowest", [] { return -kMin; }},
        {"the absolute value of the lowest", [] { return kMin.abs(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        try {
            const Amount4 a = c.make();
            ADD_FAILURE() << "accepted as " << a.raw;
        } catch (const EAmountRange& e) {
            EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith(QStringLiteral("Kwota jest zbyt duża")));
        }
    }
}

TEST(Amount4Range, TheLargestAmountsStillWork)
{
    EXPECT_EQ(Amount4::fromDouble(-9.2e14).raw, -9200000000000000000LL);
    EXPECT_EQ(Amount4::fromInt(922337203685477LL).raw, 9223372036854770000LL);
    EXPECT_EQ((kMax - Amount4::fromRaw(1) + Amount4::fromRaw(1)).raw, kMax.raw);
    EXPECT_EQ(kMax.toSqlText(), QStringLiteral("922337203685477.5807"));
    EXPECT_EQ(kMin.toSqlText(), QStringLiteral("-922337203685477.5808"));
}

TEST(Amount4Range, TextPastTheRangeDoesNotParse)
{
    struct Case
    {
        const char* text;
        bool ok;
        qint64 raw;
    } cases[] = {
        {"922337203685477.5807", true, std::numeric_limits<qint64>::max()},
        {"-922337203685477.5807", true, -std::numeric_limits<qint64>::max()},
        {"922337203685477.5808", false, 0},    // one past the top
        {"922337203685479", false, 0},         // used to come out negative
        {"922337203685477.58075", false, 0},   // rounding up past the top
        {"99999999999999999999999", false, 0}, // past 64 bits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Amount4 a = Amount4::fromRaw(123);
        EXPECT_EQ(Amount4::tryParse(QString::fromLatin1(c.text), a), c.ok);
        if (c.ok) {
            EXPECT_EQ(a.raw, c.raw);
        }
    }
}
