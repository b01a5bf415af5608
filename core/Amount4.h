#pragma once
// Money as a signed count of 1/10000 of a złoty: exact sums, no double drift.
#include "core/Amount4Range.h"
#include <QString>
#include <cstdint>

struct Amount4
{
    qint64 raw = 0; // value * 10000

    static constexpr qint64 Scale = 10000;
    static constexpr Amount4 fromRaw(qint64 r) { return Amount4{r}; }
    // Real numbers become amounts by rounding half to even at the fourth decimal.
    static Amount4 fromDouble(double v);
    // An expression of amounts is evaluated in extended precision and rounded
    // once, when its result is stored: this is that one rounding.
    static Amount4 fromLongDouble(long double v);
    static constexpr Amount4 fromInt(qint64 whole)
    {
        if (whole > INT64_MAX / Scale || whole < INT64_MIN / Scale) throw EAmountRange();
        return Amount4{whole * Scale};
    }
    // Parses "-123.45", "123,4567", "12"; false on anything else. Digits past
    // the fourth decimal round half to even.
    static bool tryParse(const QString& text, Amount4& out);

    double toDouble() const { return double(raw) / double(Scale); }
    long double toLongDouble() const
    {
        return static_cast<long double>(raw) / static_cast<long double>(Scale);
    }
    // "123.4500": the SQL literal form, always with a point.
    QString toSqlText() const;
    // What a decimal column with this many places keeps of the amount: MariaDB
    // rounds half away from zero when it stores a longer decimal.
    Amount4 roundedTo(int places) const;

    bool isZero() const { return raw == 0; }
    Amount4 abs() const { return raw < 0 ? -*this : *this; }

    Amount4 operator+(Amount4 o) const
    {
        Amount4 r;
        if (__builtin_add_overflow(raw, o.raw, &r.raw)) throw EAmountRange();
        return r;
    }
    Amount4 operator-(Amount4 o) const
    {
        Amount4 r;
        if (__builtin_sub_overflow(raw, o.raw, &r.raw)) throw EAmountRange();
        return r;
    }
    Amount4 operator-() const { return Amount4{} - *this; }
    Amount4& operator+=(Amount4 o) { return *this = *this + o; }
    Amount4& operator-=(Amount4 o) { return *this = *this - o; }
    auto operator<=>(const Amount4&) const = default;
};
