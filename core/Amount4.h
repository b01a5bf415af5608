#pragma once
// Money as a signed count of 1/10000 of a złoty: exact sums, no double drift.
#include <QString>
#include <cstdint>

struct Amount4
{
    qint64 raw = 0; // value * 10000

    static constexpr qint64 Scale = 10000;
    static constexpr Amount4 fromRaw(qint64 r) { return Amount4{r}; }
    static Amount4 fromDouble(double v);
    // Parses "-123.45", "123,4567", "12"; false on anything else.
    static bool tryParse(const QString& text, Amount4& out);

    double toDouble() const { return double(raw) / double(Scale); }
    // "123.4500": the SQL literal form, always with a point.
    QString toSqlText() const;

    Amount4 operator+(Amount4 o) const { return {raw + o.raw}; }
    Amount4 operator-(Amount4 o) const { return {raw - o.raw}; }
    Amount4 operator-() const { return {-raw}; }
    Amount4& operator+=(Amount4 o) { raw += o.raw; return *this; }
    Amount4& operator-=(Amount4 o) { raw -= o.raw; return *this; }
    auto operator<=>(const Amount4&) const = default;
};
