#include "core/NetworkHelpers.h"

#include "core/DbError.h"
#include "core/Funkcje.h"

#include <QStringList>

namespace {

bool isHex(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
}

QString hexDigits(const QString& text)
{
    QString out;
    for (QChar c : text.toUpper())
        if (isHex(c)) out.append(c);
    return out;
}

// A whole number of digits only, within 0..max.
bool wholeNumber(const QString& s, int max)
{
    if (s.isEmpty() || s.size() > 9) return false;
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return s.toInt() <= max;
}

// The standard integer conversion: digits that fit a signed 32-bit number.
qint32 toInt32(const QString& digits)
{
    bool ok = false;
    const qint32 v = digits.toInt(&ok);
    if (!ok) throw ConvertError(digits);
    return v;
}

} // namespace

void SplitIpOctets(const QString& text, int& a, int& b, int& c, int& d)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    int* out[] = {&a, &b, &c, &d};
    for (int i = 0; i < 4; ++i) {
        *out[i] = 0;
        if (i >= parts.size()) continue;
        bool ok = false;
        const qint64 v = DigitsOnly(parts[i]).toLongLong(&ok);
        if (ok && v <= 255) *out[i] = int(v);
    }
}

QString BandwidthTextToNumber(const QString& text)
{
    QString kept;
    for (QChar c : text) {
        if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('k') ||
            c == QLatin1Char('M'))
            kept.append(c);
    }
    for (int i = 0; i < kept.size(); ++i) {
        if (kept[i] != QLatin1Char('k') && kept[i] != QLatin1Char('M')) continue;
        const qint32 v = toInt32(kept.left(i));
        // 32-bit product as the number column holds it: 2048M wraps to a negative value.
        const qint64 product = qint64(v) * (kept[i] == QLatin1Char('k') ? 1024 : 1048576);
        return QString::number(qint32(quint32(quint64(product))));
    }
    return kept;
}

QString BandwidthNumberToText(const QString& text)
{
    if (text.isEmpty()) return QString();
    const qint32 n = toInt32(DigitsOnly(text));
    if (n / 1048576 > 0) return QString::number(n / 1048576) + QLatin1Char('M');
    if (n / 1024 > 0) return QString::number(n / 1024) + QLatin1Char('k');
    return QString::number(n);
}

QString FormatMacAddress(const QString& text, const QString& separator, int letters)
{
    QString hex = hexDigits(text);
    if (hex.size() != 12 || separator.size() >= 2) return text;
    if (letters == 0) hex = hex.toLower();
    QStringList groups;
    const int width = separator == QLatin1String(".") ? 4 : 2;
    for (int i = 0; i < 12; i += width)
        groups << hex.mid(i, width);
    return groups.join(separator);
}

bool IsValidIpAddress(const QString& text)
{
    if (text == QLatin1String("0.0.0.0") || text.size() < 7 || !text.contains(QLatin1Char('.'))) return false;
    // Three parts end at a dot; the fourth at the first colon after them (the port is not examined).
    QStringList parts;
    qsizetype from = 0;
    for (int i = 0; i < 3; ++i) {
        const qsizetype dot = text.indexOf(QLatin1Char('.'), from);
        if (dot < 0) return false;
        parts << text.mid(from, dot - from);
        from = dot + 1;
    }
    const qsizetype colon = text.indexOf(QLatin1Char(':'), from);
    parts << (colon < 0 ? text.mid(from) : text.mid(from, colon - from));
    for (const QString& p : parts)
        if (!wholeNumber(p, 255)) return false;
    return true;
}

bool IsValidMacAddress(const QString& text)
{
    return text.isEmpty() || hexDigits(text).size() == 12;
}
