#include "core/Funkcje.h"

#include "platform/CodePage.h"

#include <QDate>
#include <QDateTime>
#include <algorithm>
#include <cmath>
#include <limits>

EDatabaseError ConvertError(const QString& text)
{
    return EDatabaseError(QStringLiteral("'%1' nie jest poprawną liczbą całkowitą").arg(text),
                          QStringLiteral("EConvertError"));
}

// ---------------------------------------------------------------- lists

void SplitIntoStrings(const QString& separator, const QString& text, QStringList& strings)
{
    if (text.isEmpty()) return;
    if (separator.isEmpty()) {
        strings.append(text);
        return;
    }
    qsizetype from = 0;
    while (true) {
        const qsizetype at = text.indexOf(separator, from, Qt::CaseSensitive);
        if (at < 0) {
            strings.append(text.mid(from));
            return;
        }
        strings.append(text.mid(from, at - from));
        from = at + separator.size();
    }
}

QStringList SplitToStringList(const QString& separator, const QString& text)
{
    QStringList out;
    SplitIntoStrings(separator, text, out);
    return out;
}

QString JoinStringList(const QString& separator, const QStringList& list)
{
    return list.join(separator);
}

// ---------------------------------------------------------------- filters

namespace {

QString withoutChars(const QString& text, QStringView drop)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (!drop.contains(c)) out.append(c);
    return out;
}

// Trim as the system trims: blanks and control characters at both ends.
QString trimControls(const QString& text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text.at(b).unicode() <= 32)
        ++b;
    while (e > b && text.at(e - 1).unicode() <= 32)
        --e;
    return text.mid(b, e - b);
}

} // namespace

QString RemoveDoubleQuotes(const QString& text)
{
    return withoutChars(text, u"\"");
}

QString CommasToPoints(const QString& text)
{
    QString out = text;
    return out.replace(QLatin1Char(','), QLatin1Char('.'));
}

bool SameTextNoCase(const QString& a, const QString& b)
{
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        ushort x = a.at(i).unicode(), y = b.at(i).unicode();
        if (x >= 'a' && x <= 'z') x -= 32;
        if (y >= 'a' && y <= 'z') y -= 32;
        if (x != y) return false;
    }
    return true;
}

QString ReplaceAll(const QString& text, const QString& oldPattern, const QString& newPattern)
{
    if (oldPattern.isEmpty()) return text;
    QString out = text;
    return out.replace(oldPattern, newPattern, Qt::CaseSensitive);
}

QString DecimalCommaToPoint(const QString& text)
{
    return ReplaceAll(text, QStringLiteral(","), QStringLiteral("."));
}

QString DecimalPointToComma(const QString& text)
{
    return ReplaceAll(text, QStringLiteral("."), QStringLiteral(","));
}

QString RemoveLineBreaks(const QString& text)
{
    return withoutChars(text, u"\r\n");
}

QString RemoveAngleBrackets(const QString& text)
{
    return withoutChars(text, u"<>");
}

QString RemoveSpaces(const QString& text)
{
    return withoutChars(text, u" ");
}

QString DigitsOnly(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) out.append(c);
    return out;
}

QString SafeFileNameText(const QString& text)
{
    return withoutChars(trimControls(text), u"_&?\"\\/'<>");
}

QString XmlEscape(const QString& text)
{
    const QString t = trimControls(text);
    QString out;
    out.reserve(t.size() + 16);
    for (QChar c : t) {
        switch (c.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString StripPolishLetters(const QString& text)
{
    static const QString from = QStringLiteral("ąćęłńóśźżĄĆĘŁŃÓŚŹŻ");
    static const QString to = QStringLiteral("acelnoszzACELNOSZZ");
    QString out = text;
    for (QChar& c : out) {
        const qsizetype i = from.indexOf(c);
        if (i >= 0) c = to.at(i);
    }
    return out;
}

QString ToIdentifierText(const QString& text)
{
    static const QString punct = QStringLiteral(". )(,;'\"/&+-=:");
    QString out;
    const QString t = StripPolishLetters(text);
    out.reserve(t.size());
    for (QChar c : t) {
        if (punct.contains(c))
            out.append(QLatin1Char('_'));
        else if (c.unicode() < 128)
            out.append(c);
    }
    return out;
}

QString EscapeLikeText(const QString& text)
{
    QString out;
    out.reserve(text.size() + 4);
    for (QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            out.append(QLatin1Char('\\'));
        out.append(c);
    }
    return out;
}

// ---------------------------------------------------------------- code page 1250

QByteArray Cp1250ToUtf8(const QByteArray& text)
{
    // No length bound: callers convert whole files (receipts, registers), and
    // a silently empty result would write an empty file.
    return IconvConvert(Cp1250Charset, "UTF-8", text, false);
}

QByteArray Utf8ToCp1250(const QByteArray& text)
{
    return IconvConvert("UTF-8", Cp1250Charset, text, true);
}

QString Cp1250ToString(const QByteArray& text)
{
    return QString::fromUtf8(IconvConvert(Cp1250Charset, "UTF-8", text, true));
}

QByteArray StringToCp1250(const QString& text)
{
    return Utf8ToCp1250(text.toUtf8());
}

QString DecodeWebText(const QByteArray& utf8Text)
{
    QString t = Cp1250ToString(Utf8ToCp1250(utf8Text));
    t = ReplaceAll(t, QStringLiteral("&#039;"), QStringLiteral("'"));
    const QString seven(7, QLatin1Char(' '));
    t = ReplaceAll(t, seven, QStringLiteral(" "));
    t = ReplaceAll(t, seven, QStringLiteral(" "));
    return t;
}

// ---------------------------------------------------------------- numbers

Amount4 VatRateFactor(const QString& rateText)
{
    const QString digits = DigitsOnly(rateText);
    qint64 n = 0;
    if (!digits.isEmpty()) {
        bool ok = false;
        n = digits.toLongLong(&ok);
        if (!ok || n > std::numeric_limits<qint32>::max()) throw ConvertError(digits);
    }
    // 1 + N/100 in ten-thousandths.
    return Amount4::fromRaw(Amount4::Scale + n * (Amount4::Scale / 100));
}

bool IsValidNip(const QString& nip)
{
    if (nip.isEmpty()) return true;
    const QString d = DigitsOnly(nip);
    if (d.size() != 10) return false;
    static const int weights[9] = {6, 5, 7, 2, 3, 4, 5, 6, 7};
    int sum = 0;
    for (int i = 0; i < 9; ++i)
        sum += weights[i] * d.at(i).digitValue();
    return sum % 11 == d.at(9).digitValue();
}

QString FormatNrb(const QString& account)
{
    const QString d = DigitsOnly(account);
    QString out = d.mid(0, 2);
    for (int start = 2; start < 26; start += 4)
        out += QLatin1Char(' ') + d.mid(start, 4);
    return out;
}

namespace {

QString phoneDigits(const QString& phone)
{
    QString d = DigitsOnly(phone);
    int zeros = 0;
    while (zeros < 5 && zeros < d.size() && d.at(zeros) == QLatin1Char('0'))
        ++zeros;
    d.remove(0, zeros);
    return d.isEmpty() ? QStringLiteral("0") : d;
}

bool isMobile(const QString& d)
{
    static const int landline[] = {12, 13, 14, 15, 16, 17, 18, 22, 23, 24, 25, 29, 32, 33, 34, 41, 42,
                                   43, 44, 46, 48, 52, 54, 55, 56, 58, 59, 61, 62, 63, 65, 67, 68, 71,
                                   74, 75, 76, 77, 81, 82, 83, 84, 85, 86, 87, 89, 91, 94, 95};
    if (d.size() != 9) return false;
    const int area = d.left(2).toInt();
    for (int a : landline)
        if (a == area) return false;
    return true;
}

} // namespace

QString PickMobilePhone(const QString& phone1, const QString& phone2)
{
    QString a = phoneDigits(phone1), b = phoneDigits(phone2);
    if (a.size() <= 8 && b.size() <= 8) return QString();
    for (QString* p : {&a, &b})
        if (p->size() == 11 && p->startsWith(QLatin1String("48"))) p->remove(0, 2);
    if (isMobile(a)) return QStringLiteral("+48") + a;
    if (isMobile(b)) return QStringLiteral("+48") + b;
    return QString();
}

QColor BlendColors(const QColor& color1, const QColor& color2, double weight1, double weight2)
{
    if (weight1 < 0) weight1 = 0;
    if (weight2 < 0) weight2 = 0;
    if (weight1 == 0 && weight2 == 0) {
        weight1 = weight2 = 0.5;
    } else {
        const double sum = weight1 + weight2;
        weight1 /= sum;
        weight2 /= sum;
    }
    const QColor a = color1.toRgb(), b = color2.toRgb();
    // Halves go to the even integer (the default rounding mode).
    auto mix = [&](int x, int y) {
        return int(std::clamp(std::nearbyint(x * weight1 + y * weight2), 0.0, 255.0));
    };
    return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()));
}

int CurrentDayOfMonth()
{
    return QDate::currentDate().day();
}

double DpiScale = 1.0;

int ScaleByDpi(int value)
{
    return int(std::trunc(value * DpiScale));
}

bool IsDaylightSavingTime()
{
    return QDateTime::currentDateTime().isDaylightTime();
}
