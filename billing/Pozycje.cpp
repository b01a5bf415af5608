#include "billing/Pozycje.h"

#include "core/Funkcje.h"
#include "core/Query.h"

#include <cmath>

namespace {

const Amount4 kMaxDiscount = Amount4::fromRaw(999900); // 99.99

} // namespace

Amount4 ParseAmountText(const QString& text)
{
    Amount4 a;
    QString t = text.trimmed();
    t.remove(QLatin1Char(' '));
    t.remove(QChar(0x00A0));
    if (!Amount4::tryParse(t, a)) return Amount4{};
    return a;
}

QString AmountEditText(Amount4 value, int places)
{
    QString t = value.roundedTo(places).toSqlText(); // "-12.3400"
    if (t.contains(QLatin1Char('.'))) {
        while (t.endsWith(QLatin1Char('0')))
            t.chop(1);
        if (t.endsWith(QLatin1Char('.'))) t.chop(1);
    }
    t.replace(QLatin1Char('.'), QLatin1Char(','));
    return t == QLatin1String("-0") ? QStringLiteral("0") : t;
}

QString MoneyEditText(Amount4 value)
{
    QString t = value.roundedTo(2).toSqlText();
    t.chop(2);
    return t.replace(QLatin1Char('.'), QLatin1Char(','));
}

QString MoneyText(Amount4 value)
{
    const Amount4 r = value.roundedTo(2);
    const qint64 cents = (r.raw < 0 ? -r.raw : r.raw) / 100;
    QString whole = QString::number(cents / 100);
    for (int i = whole.size() - 3; i > 0; i -= 3)
        whole.insert(i, QLatin1Char(' '));
    return QStringLiteral("%1%2,%3 zł")
        .arg(r.raw < 0 ? QStringLiteral("-") : QString(), whole)
        .arg(cents % 100, 2, 10, QLatin1Char('0'));
}

QString CheckLineInput(const TLineInput& input)
{
    if (input.name.trimmed().isEmpty()) return QStringLiteral("Proszę uzupełnić pole z nazwą pozycji");
    if (ParseAmountText(input.quantity) <= Amount4{})
        return QStringLiteral("Ilość musi być wieksza niż zero");
    if (ParseAmountText(input.price).isZero()) return QStringLiteral("Cena musi być różna od zera");
    const Amount4 discount = ParseAmountText(input.discount);
    if (discount < Amount4{} || discount >= Amount4::fromInt(100))
        return QStringLiteral("Nieprawidłowa wartość rabatu");
    return QString();
}

QString ClampDiscountText(const QString& discount)
{
    if (ParseAmountText(discount) > kMaxDiscount) return QStringLiteral("99,99");
    return discount;
}

Amount4 PriceAfterDiscount(Amount4 price, Amount4 discount)
{
    return Amount4::fromLongDouble(price.toLongDouble() * (1.0L - discount.toLongDouble() / 100.0L));
}

bool TemplateItemSuspended(Amount4 price, Amount4 quantity)
{
    if (price.isZero()) return true;
    // Whole number, half to even: 0.4 and 0.5 both give 0.
    return std::nearbyint(quantity.toDouble()) == 0.0;
}

const QStringList& GtuCodeTexts()
{
    static const QStringList codes = [] {
        QStringList l;
        for (int i = 0; i <= 13; ++i)
            l << QString::number(i);
        return l;
    }();
    return codes;
}

const QStringList& ServiceGroupTexts()
{
    static const QStringList groups{QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"),
                                    QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5"),
                                    QStringLiteral("10")};
    return groups;
}

QColor OneOffServiceColor()
{
    return BlendColors(QColor(255, 128, 64), QColor(Qt::white), 1, 2);
}

void CopyServiceToRow(const TQuery& services, TQuery& target, char kind, int userIndex)
{
    auto from = [&](const char* name) { return services.FieldByName(QString::fromLatin1(name)); };
    auto to = [&](const char* name) { return target.FieldByName(QString::fromLatin1(name)); };
    auto text = [&](const char* dst, const char* src) { to(dst)->SetAsString(from(src)->AsString()); };
    auto money = [&](const char* dst, const char* src) { to(dst)->SetAsCurrency(from(src)->AsCurrency()); };
    auto integer = [&](const char* dst, const char* src) { to(dst)->SetAsInteger(from(src)->AsInteger()); };
    switch (kind) {
    case 'F':
        text("FVP_NAZWAUSLUGI", "USL_NAZWAUSLUGI");
        text("FVP_JEDNMIARY", "USL_JEDNMIARY");
        text("FVP_SYMBOL", "USL_SYMBOL");
        money("FVP_CENABRUTTO", "USL_CENABRUTTO");
        text("FVP_STAWKAVAT_TXT", "USL_STAWKAVAT_TXT");
        money("FVP_RABAT", "USL_RABAT");
        integer("FVP_GTU", "USL_GTU");
        break;
    case 'P':
        text("PZP_NAZWAUSLUGI", "USL_NAZWAUSLUGI");
        text("PZP_JEDNMIARY", "USL_JEDNMIARY");
        text("PZP_SYMBOL", "USL_SYMBOL");
        money("PZP_CENABRUTTO", "USL_CENABRUTTO");
        money("PZP_RABAT", "USL_RABAT");
        break;
    case 'S':
        to("UFV_INDEXUSER")->SetAsInteger(userIndex);
        text("UFV_NAZWAUSLUGI", "USL_NAZWAUSLUGI");
        text("UFV_JEDNMIARY", "USL_JEDNMIARY");
        text("UFV_SYMBOL", "USL_SYMBOL");
        money("UFV_CENABRUTTO", "USL_CENABRUTTO");
        text("UFV_STAWKAVAT_TXT", "USL_STAWKAVAT_TXT");
        money("UFV_RABAT", "USL_RABAT");
        integer("UFV_CZYJEDNORAZOWA", "USL_CZYJEDNORAZOWA");
        integer("UFV_GTU", "USL_GTU");
        integer("UFV_GRUPAUSLUG", "USL_GRUPAUSLUG");
        money("UFV_KOSZTBRUTTO", "USL_KOSZTBRUTTO");
        break;
    default:
        // A correction line keeps its own after-values: the picker changes nothing there.
        break;
    }
}
