#include "core/VatRates.h"

namespace {

const QStringList kSince2015{QStringLiteral("23%"), QStringLiteral("8%"), QStringLiteral("0%"),
                             QStringLiteral("5%"),  QStringLiteral("zw"), QStringLiteral("np")};

QStringList g_texts = kSince2015;
QString g_total = QStringLiteral("RAZEM");

} // namespace

void SetVatRateTexts(const QDate& date)
{
    if (date >= QDate(2015, 1, 1) && date <= QDate(2099, 12, 31)) g_texts = kSince2015;
    g_total = QStringLiteral("RAZEM");
}

const QStringList& VatRateTexts()
{
    return g_texts;
}

const QString& VatTotalLabel()
{
    return g_total;
}

QStringList VatGroupTexts()
{
    QStringList all = g_texts;
    all << g_total;
    return all;
}

QString VatGroupSuffix(int group)
{
    static const char* const suffixes[VatGroupCount] = {"_A", "_B", "_C", "_D", "_G", "_NP"};
    return group >= 0 && group < VatGroupCount ? QString::fromLatin1(suffixes[group]) : QString();
}

int VatGroupOfRateText(const QString& rateText)
{
    for (int g = 0; g < VatGroupCount && g < g_texts.size(); ++g)
        if (g_texts.at(g) == rateText) return g;
    return -1;
}
