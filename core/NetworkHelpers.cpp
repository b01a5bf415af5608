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
    if (s.isEmpty() || s.size() > 5) return false;
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return s.toInt() <= max;
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
        const QString number = kept.left(i);
        bool ok = false;
        const qint64 v = number.toLongLong(&ok);
        if (!ok)
            throw EDatabaseError(QStringLiteral("'%1' is not a valid integer value").arg(number),
                                 QStringLiteral("EConvertError"));
        return QString::number(v * (kept[i] == QLatin1Char('k') ? 1024 : 1048576));
    }
    return kept;
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
    if (text == QLatin1String("0.0.0.0") || text.size() < 7) return false;
    QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4) return false;
    const qsizetype colon = parts[3].indexOf(QLatin1Char(':'));
    if (colon >= 0) {
        if (!wholeNumber(parts[3].mid(colon + 1), 65535)) return false;
        parts[3] = parts[3].left(colon);
    }
    for (const QString& p : parts)
        if (!wholeNumber(p, 255)) return false;
    return true;
}

bool IsValidMacAddress(const QString& text)
{
    return text.isEmpty() || hexDigits(text).size() == 12;
}
