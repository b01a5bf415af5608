#include "core/KwotaSlownie.h"

#include <cmath>

namespace {

const char16_t* const kUnits[20] = {u"",           u"jeden",        u"dwa",         u"trzy",
                                    u"cztery",     u"pięć",         u"sześć",       u"siedem",
                                    u"osiem",      u"dziewięć",     u"dziesięć",    u"jedenaście",
                                    u"dwanaście",  u"trzynaście",   u"czternaście", u"piętnaście",
                                    u"szesnaście", u"siedemnaście", u"osiemnaście", u"dziewiętnaście"};
const char16_t* const kTens[10] = {u"",
                                   u"",
                                   u"dwadzieścia",
                                   u"trzydzieści",
                                   u"czterdzieści",
                                   u"pięćdziesiąt",
                                   u"sześćdziesiąt",
                                   u"siedemdziesiąt",
                                   u"osiemdziesiąt",
                                   u"dziewięćdziesiąt"};
const char16_t* const kHundreds[10] = {u"",        u"sto",      u"dwieście",  u"trzysta",  u"czterysta",
                                       u"pięćset", u"sześćset", u"siedemset", u"osiemset", u"dziewięćset"};

// Word forms of a scale: after 1, after 2-4, otherwise.
struct Scale
{
    qint64 value;
    const char16_t* one;
    const char16_t* few;
    const char16_t* many;
};
const Scale kScales[] = {
    {1000000000000LL, u"bilion", u"biliony", u"bilionów"},
    {1000000000LL, u"miliard", u"miliardy", u"miliardów"},
    {1000000LL, u"milion", u"miliony", u"milionów"},
    {1000LL, u"tysiąc", u"tysiące", u"tysięcy"},
};

QString scaleWord(qint64 k, const Scale& s)
{
    if (k % 100 >= 10 && k % 100 <= 19) return QString::fromUtf16(s.many);
    const qint64 last = k % 10;
    if (last == 1) return QString::fromUtf16(k == 1 ? s.one : s.many); // 21, 31, 101 ... tysięcy
    if (last >= 2 && last <= 4) return QString::fromUtf16(s.few);
    return QString::fromUtf16(s.many);
}

QString words(const char16_t* w)
{
    return QString::fromUtf16(w) + QLatin1Char(' ');
}

} // namespace

QString GroupInWords(int n)
{
    // Only 0..999 has words; anything else keeps its last three digits, so
    // no value reads outside the tables.
    n = n < 0 ? int(-(qint64(n) % 1000)) : n % 1000;
    const int units = n % 10, tens = n / 10 % 10, hundreds = n / 100 % 10;
    QString out;
    if (hundreds != 0) out += words(kHundreds[hundreds]);
    if (tens >= 2) out += words(kTens[tens]);
    const int t = tens * 10 + units;
    if (t >= 1 && t <= 19)
        out += words(kUnits[t]);
    else if (t >= 20 && units != 0)
        out += words(kUnits[units]);
    return out;
}

namespace {

QString numberInWords(quint64 n)
{
    QString out;
    for (const Scale& s : kScales) {
        const quint64 unit = quint64(s.value);
        const quint64 k = n / unit % 1000;
        // Amounts beyond the largest scale keep its word for the whole leading part.
        const quint64 lead = (&s == &kScales[0]) ? n / unit : k;
        if (lead == 0) continue;
        if (lead >= 1000)
            out += numberInWords(lead);
        else
            out += GroupInWords(int(lead));
        out += scaleWord(qint64(lead), s) + QLatin1Char(' ');
    }
    out += GroupInWords(int(n % 1000));
    return out;
}

} // namespace

QString NumberInWords(qint64 n)
{
    // The magnitude as unsigned: even the most negative number has one.
    if (n < 0) return QStringLiteral("minus ") + numberInWords(0 - quint64(n));
    return numberInWords(quint64(n));
}

QString ZlotyWordForm(qint64 z)
{
    if (z == 0) return QString();
    if (z == 1) return QStringLiteral("złoty");
    if (z % 100 >= 10 && z % 100 <= 19) return QStringLiteral("złotych");
    const qint64 last = z % 10;
    return (last >= 2 && last <= 4) ? QStringLiteral("złote") : QStringLiteral("złotych");
}

QString GroszWordForm(int g)
{
    if (g == 1) return QStringLiteral("grosz");
    if (g >= 10 && g <= 19) return QStringLiteral("groszy");
    const int last = g % 10;
    return (last >= 2 && last <= 4) ? QStringLiteral("grosze") : QStringLiteral("groszy");
}

namespace {

QString spell(bool negative, qint64 z, int g)
{
    if (g == 100) {
        ++z;
        g = 0;
    }
    QString out = negative ? QStringLiteral("minus ") : QString();
    if (z != 0)
        out += NumberInWords(z) + ZlotyWordForm(z) + QLatin1Char(' ');
    else
        out += QStringLiteral("zero złotych ");
    if (g != 0)
        out += NumberInWords(g) + GroszWordForm(g);
    else
        out += QStringLiteral(" zero groszy");
    return out;
}

} // namespace

QString AmountInWords(double amount)
{
    const double a = std::fabs(amount);
    // No words for what no amount can be (NaN, infinity, past 2^63 zł):
    // an empty text rather than a number made up by an overflow.
    if (!(a < 9223372036854775807.0)) return QString();
    const double whole = std::trunc(a);
    return spell(amount < 0, qint64(whole), int(std::round((a - whole) * 100)));
}

QString AmountInWords(Amount4 amount)
{
    const quint64 a = amount.raw < 0 ? 0 - quint64(amount.raw) : quint64(amount.raw);
    const quint64 frac = a % quint64(Amount4::Scale); // ten-thousandths
    return spell(amount.raw < 0, qint64(a / quint64(Amount4::Scale)), int((frac + 50) / 100));
}
