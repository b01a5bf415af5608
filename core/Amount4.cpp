#include "core/Amount4.h"

#include "core/Amount4Range.h"

#include <cmath>

namespace {

// Nearest integer, ties to the even neighbour, whatever the FPU mode is.
qint64 roundHalfEven(long double v)
{
    const long double f = std::floor(v);
    const long double diff = v - f;
    qint64 r = static_cast<qint64>(f);
    if (diff > 0.5L)
        ++r;
    else if (diff == 0.5L && (r % 2) != 0)
        ++r;
    return r;
}

} // namespace

Amount4 Amount4::fromDouble(double v)
{
    return fromLongDouble(static_cast<long double>(v));
}

EAmountRange::EAmountRange()
    : std::runtime_error("Kwota jest zbyt duża: największa możliwa kwota to 922 337 203 685 477,58 zł.")
{
}

Amount4 Amount4::fromLongDouble(long double v)
{
    const long double scaled = v * static_cast<long double>(Scale);
    // 2^63 is exact in long double; NaN fails the test too.
    if (!(scaled > -9223372036854775808.0L && scaled < 9223372036854775807.0L)) throw EAmountRange();
    return Amount4{roundHalfEven(scaled)};
}

bool Amount4::tryParse(const QString& text, Amount4& out)
{
    QString t = text.trimmed();
    if (t.isEmpty()) return false;
    bool negative = false;
    int i = 0;
    if (t[0] == QLatin1Char('-') || t[0] == QLatin1Char('+')) {
        negative = t[0] == QLatin1Char('-');
        i = 1;
    }
    qint64 whole = 0, frac = 0;
    int fracDigits = 0;
    bool seenSep = false, anyDigit = false;
    int roundDigit = -1;      // the fifth decimal
    bool restNonZero = false; // any non-zero digit after the fifth
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c.isDigit()) {
            anyDigit = true;
            const int d = c.digitValue();
            if (!seenSep) {
                if (__builtin_mul_overflow(whole, 10, &whole) || __builtin_add_overflow(whole, d, &whole))
                    return false;
            } else if (fracDigits < 4) {
                frac = frac * 10 + d;
                ++fracDigits;
            } else if (roundDigit < 0) {
                roundDigit = d;
            } else if (d != 0) {
                restNonZero = true;
            }
        } else if ((c == QLatin1Char('.') || c == QLatin1Char(',')) && !seenSep) {
            seenSep = true;
        } else {
            return false;
        }
    }
    if (!anyDigit) return false;
    while (fracDigits < 4) {
        frac *= 10;
        ++fracDigits;
    }
    qint64 r = 0;
    if (__builtin_mul_overflow(whole, Scale, &r) || __builtin_add_overflow(r, frac, &r)) return false;
    if ((roundDigit > 5 || (roundDigit == 5 && (restNonZero || (r % 2) != 0))) &&
        __builtin_add_overflow(r, 1, &r))
        return false;
    out.raw = negative ? -r : r;
    return true;
}

QString Amount4::toSqlText() const
{
    const quint64 a = raw < 0 ? 0 - quint64(raw) : quint64(raw);
    return QStringLiteral("%1%2.%3")
        .arg(raw < 0 ? QStringLiteral("-") : QString())
        .arg(a / quint64(Scale))
        .arg(a % quint64(Scale), 4, 10, QLatin1Char('0'));
}

Amount4 Amount4::roundedTo(int places) const
{
    if (places >= 4) return *this;
    if (places < 0) places = 0;
    qint64 unit = 1;
    for (int i = places; i < 4; ++i)
        unit *= 10;
    const quint64 a = raw < 0 ? 0 - quint64(raw) : quint64(raw);
    const quint64 r = (a + quint64(unit / 2)) / quint64(unit) * quint64(unit);
    if (r > quint64(INT64_MAX)) throw EAmountRange();
    return Amount4{raw < 0 ? -qint64(r) : qint64(r)};
}
