#include "core/Amount4.h"

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

Amount4 Amount4::fromLongDouble(long double v)
{
    return Amount4{roundHalfEven(v * static_cast<long double>(Scale))};
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
                if (whole > (INT64_MAX - d) / 10 / Scale) return false;
                whole = whole * 10 + d;
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
    qint64 r = whole * Scale + frac;
    if (roundDigit > 5 || (roundDigit == 5 && (restNonZero || (r % 2) != 0))) ++r;
    out.raw = negative ? -r : r;
    return true;
}

QString Amount4::toSqlText() const
{
    const qint64 a = raw < 0 ? -raw : raw;
    return QStringLiteral("%1%2.%3")
        .arg(raw < 0 ? QStringLiteral("-") : QString())
        .arg(a / Scale)
        .arg(a % Scale, 4, 10, QLatin1Char('0'));
}

Amount4 Amount4::roundedTo(int places) const
{
    if (places >= 4) return *this;
    if (places < 0) places = 0;
    qint64 unit = 1;
    for (int i = places; i < 4; ++i)
        unit *= 10;
    const qint64 a = raw < 0 ? -raw : raw;
    const qint64 r = (a + unit / 2) / unit * unit;
    return Amount4{raw < 0 ? -r : r};
}
