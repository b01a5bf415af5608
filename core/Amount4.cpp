#include "core/Amount4.h"

#include <cmath>

Amount4 Amount4::fromDouble(double v)
{
    // Round half away from zero at the fourth decimal, as the currency type does.
    return Amount4{static_cast<qint64>(std::llround(v * double(Scale)))};
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
    int roundDigit = -1;
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
    if (roundDigit >= 5) ++r;
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
