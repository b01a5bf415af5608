#include "billing/Przeliczenia.h"

#include "core/DedicatedSession.h"
#include "core/Funkcje.h"
#include "core/Query.h"
#include "core/VatRates.h"

#include <QDate>

namespace {

// The three document tables differ only by their prefixes.
struct TDocTable
{
    const char* table;
    const char* prefix; // "FV", "FVK", "PZ"
};

QString col(const TDocTable& t, const char* name)
{
    return QString::fromLatin1(t.prefix) + QLatin1Char('_') + QString::fromLatin1(name);
}

struct TGroupSums
{
    Amount4 net[VatGroupCount];
    Amount4 gross[VatGroupCount];
    Amount4 discount;
};

// Writes the group sums, totals and discount sum; returns the gross total.
Amount4 groupSumsAssignments(const TDocTable& t, const TGroupSums& s, QString& set, TArgs& args)
{
    Amount4 totalNet, totalGross;
    for (int g = 0; g < VatGroupCount; ++g) {
        const QString sfx = VatGroupSuffix(g);
        set += QStringLiteral("%1=:p, %2=:p, %3=:p, ")
                   .arg(col(t, "SUMANETTO") + sfx, col(t, "SUMAVAT") + sfx, col(t, "SUMABRUTTO") + sfx);
        args.push_back(s.net[g]);
        args.push_back(s.gross[g] - s.net[g]);
        args.push_back(s.gross[g]);
        totalNet += s.net[g];
        totalGross += s.gross[g];
    }
    set += QStringLiteral("%1=:p, %2=:p, %3=:p, %4=:p")
               .arg(col(t, "SUMANETTO"), col(t, "SUMAVAT"), col(t, "SUMABRUTTO"), col(t, "RABATSUMA"));
    args.push_back(totalNet);
    args.push_back(totalGross - totalNet);
    args.push_back(totalGross);
    args.push_back(s.discount);
    return totalGross;
}

// The paid-on-issue rule of a new document.
Amount4 paidOnIssue(TQuery& head, const TDocTable& t, Amount4 grossSum)
{
    const QDate issue = head.FieldByName(col(t, "DATAWYSTAWIENIA"))->AsDate();
    const QDate due = head.FieldByName(col(t, "DATAPLATNOSCI"))->AsDate();
    const QString form = head.FieldByName(col(t, "FORMAPLATNOSCI"))->AsString();
    return issue == due && IsCashPaymentForm(form) ? grossSum : Amount4{};
}

// Paid amount, amount to pay and open amount, written with the sums.
void amountChainAssignments(const TDocTable& t, Amount4 grossSum, Amount4 paid, Amount4 settled, QString& set,
                            TArgs& args)
{
    const Amount4 toPay = grossSum - paid;
    set += QStringLiteral(", %1=:p, %2=:p, %3=:p")
               .arg(col(t, "KWOTAWPLACONA"), col(t, "KWOTADOZAPLATY"), col(t, "KWOTADOROZLICZENIA"));
    args.push_back(paid);
    args.push_back(toPay);
    args.push_back(toPay - settled);
}

void writeHeader(const TDocTable& t, const QString& set, TArgs args, int index)
{
    args.push_back(index);
    GlobalSession()->ExecQuery(QStringLiteral("update %1 set %2 where %3=:p")
                                   .arg(QString::fromLatin1(t.table), set, col(t, "INDEX")),
                               args);
}

Amount4 currency(TQuery& q, int i)
{
    return q.Fields(i)->AsCurrency();
}

} // namespace

bool IsCashPaymentForm(const QString& form)
{
    return form.startsWith(QLatin1String("got"));
}

TLineValues ComputeLineValues(Amount4 grossPrice, Amount4 quantity, Amount4 discountPercent,
                              const QString& rateText)
{
    TLineValues v;
    v.factor = VatRateFactor(rateText);
    const long double p = grossPrice.toLongDouble();
    const long double q = quantity.toLongDouble();
    const long double d = discountPercent.toLongDouble();
    const long double f = v.factor.toLongDouble();
    v.netPrice = Amount4::fromLongDouble(p / f);
    v.grossValue = Amount4::fromLongDouble(p * q * (1.0L - d / 100.0L));
    v.netValue = Amount4::fromLongDouble(v.grossValue.toLongDouble() / f);
    v.vat = v.grossValue - v.netValue;
    v.discountAmount = Amount4::fromLongDouble(p * q * (d / 100.0L));
    return v;
}

void PrzeliczFVP(int fvpIndex)
{
    TDedicatedSession* s = GlobalSession();
    auto q =
        s->OpenQuery(QStringLiteral("select FVP_CENABRUTTO, FVP_ILOSC, FVP_RABAT, FVP_STAWKAVAT_TXT from "
                                    "FvPozycje where FVP_INDEX=:p1"),
                     {fvpIndex});
    if (q->IsEmpty()) return;
    const TLineValues v =
        ComputeLineValues(currency(*q, 0), currency(*q, 1), currency(*q, 2), q->Fields(3)->AsString());
    s->ExecQuery(
        QStringLiteral("update FvPozycje set FVP_STAWKAVAT=:p1, FVP_CENANETTO=:p2, FVP_WARTOSCBRUTTO=:p3, "
                       "FVP_WARTOSCNETTO=:p4, FVP_KWOTAVAT=:p5, FVP_RABATKWOTA=:p6 where FVP_INDEX=:p7"),
        {v.factor, v.netPrice, v.grossValue, v.netValue, v.vat, v.discountAmount, fvpIndex});
}

void PrzeliczFVKP(int fvkpIndex)
{
    TDedicatedSession* s = GlobalSession();
    auto q = s->OpenQuery(QStringLiteral("select FVKP_CENABRUTTO_PO, FVKP_ILOSC_PO, FVKP_RABAT_PO, "
                                         "FVKP_STAWKAVAT_TXT_PO from FvkPozycje where FVKP_INDEX=:p1"),
                          {fvkpIndex});
    if (q->IsEmpty()) return;
    const TLineValues v =
        ComputeLineValues(currency(*q, 0), currency(*q, 1), currency(*q, 2), q->Fields(3)->AsString());
    s->ExecQuery(QStringLiteral("update FvkPozycje set FVKP_STAWKAVAT_PO=:p1, FVKP_CENANETTO_PO=:p2, "
                                "FVKP_WARTOSCBRUTTO_PO=:p3, FVKP_WARTOSCNETTO_PO=:p4, FVKP_KWOTAVAT_PO=:p5, "
                                "FVKP_RABATKWOTA_PO=:p6 where FVKP_INDEX=:p7"),
                 {v.factor, v.netPrice, v.grossValue, v.netValue, v.vat, v.discountAmount, fvkpIndex});
}

void PrzeliczPZP(int pzpIndex)
{
    TDedicatedSession* s = GlobalSession();
    auto q = s->OpenQuery(
        QStringLiteral("select PZP_CENABRUTTO, PZP_ILOSC, PZP_RABAT from PzPozycje where PZP_INDEX=:p1"),
        {pzpIndex});
    if (q->IsEmpty()) return;
    const double p = q->Fields(0)->AsFloat();
    const double n = q->Fields(1)->AsFloat();
    const double d = q->Fields(2)->AsFloat();
    s->ExecQuery(
        QStringLiteral("update PzPozycje set PZP_WARTOSCBRUTTO=:p1, PZP_RABATKWOTA=:p2 where PZP_INDEX=:p3"),
        {p * n * (1 - d / 100), p * n * (d / 100), pzpIndex});
}

void PrzeliczUFV(int ufvIndex)
{
    TDedicatedSession* s = GlobalSession();
    auto q =
        s->OpenQuery(QStringLiteral("select UFV_CENABRUTTO, UFV_ILOSC, UFV_RABAT, UFV_STAWKAVAT_TXT from "
                                    "UserFvPozycje where UFV_INDEX=:p1"),
                     {ufvIndex});
    if (q->IsEmpty()) return;
    const TLineValues v =
        ComputeLineValues(currency(*q, 0), currency(*q, 1), currency(*q, 2), q->Fields(3)->AsString());
    s->ExecQuery(QStringLiteral(
                     "update UserFvPozycje set UFV_STAWKAVAT=:p1, UFV_CENANETTO=:p2, UFV_WARTOSCBRUTTO=:p3, "
                     "UFV_WARTOSCNETTO=:p4, UFV_KWOTAVAT=:p5, UFV_RABATKWOTA=:p6 where UFV_INDEX=:p7"),
                 {v.factor, v.netPrice, v.grossValue, v.netValue, v.vat, v.discountAmount, ufvIndex});
}

void PrzeliczFVPDokumentu(int fvIndex)
{
    PrzeliczFVPWhere(QStringLiteral("FVP_INDEXFAKTURA=:p"), {fvIndex});
}

void PrzeliczFVPWhere(const QString& condition, const TArgs& args)
{
    const QStringList& t = VatRateTexts();
    TArgs all{t.value(0), Amount4::fromRaw(12300), t.value(1), Amount4::fromRaw(10800),
              t.value(3), Amount4::fromRaw(10500)};
    all.insert(all.end(), args.begin(), args.end());
    GlobalSession()->ExecQuery(
        QStringLiteral(
            "update FvPozycje set FVP_STAWKAVAT=if(FVP_STAWKAVAT_TXT=:p1, :p2, if(FVP_STAWKAVAT_TXT=:p3, "
            ":p4, if(FVP_STAWKAVAT_TXT=:p5, :p6, 1))), FVP_CENANETTO=FVP_CENABRUTTO/FVP_STAWKAVAT, "
            "FVP_WARTOSCBRUTTO=FVP_CENABRUTTO * FVP_ILOSC * (1 - FVP_RABAT/100), "
            "FVP_WARTOSCNETTO=FVP_WARTOSCBRUTTO/FVP_STAWKAVAT, "
            "FVP_KWOTAVAT=FVP_WARTOSCBRUTTO-FVP_WARTOSCNETTO, "
            "FVP_RABATKWOTA=FVP_CENABRUTTO * FVP_ILOSC * (FVP_RABAT/100) where ") +
            condition,
        all);
}

// Net and gross per VAT group, then the discount: the leading columns of a sums query.
static TGroupSums readGroupSums(TQuery& q)
{
    TGroupSums s;
    for (int g = 0; g < VatGroupCount; ++g) {
        s.net[g] = currency(q, 2 * g);
        s.gross[g] = currency(q, 2 * g + 1);
    }
    s.discount = currency(q, 2 * VatGroupCount);
    return s;
}

void PrzeliczPolaFv(int fvIndex, bool isNew)
{
    static const TDocTable t{"Fv", "FV"};
    // One pass over the lines: net and gross per group label, and the discounts.
    QString sums;
    TArgs args;
    for (int g = 0; g < VatGroupCount; ++g) {
        sums += QStringLiteral("coalesce(sum(if(FVP_STAWKAVAT_TXT=:p, FVP_WARTOSCNETTO, 0)),0), "
                               "coalesce(sum(if(FVP_STAWKAVAT_TXT=:p, FVP_WARTOSCBRUTTO, 0)),0), ");
        args.push_back(VatRateTexts().value(g));
        args.push_back(VatRateTexts().value(g));
    }
    args.push_back(fvIndex);
    auto q = GlobalSession()->OpenQuery(
        QStringLiteral(
            "select %1coalesce(sum(FVP_RABATKWOTA),0), FV_DATAWYSTAWIENIA, FV_DATAPLATNOSCI, "
            "FV_FORMAPLATNOSCI, FV_KWOTAWPLACONA, FV_KWOTAROZLICZONA from Fv left join FvPozycje on "
            "FVP_INDEXFAKTURA=FV_INDEX where FV_INDEX=:p group by FV_INDEX")
            .arg(sums),
        args);
    if (q->IsEmpty()) return;
    const TGroupSums s = readGroupSums(*q);
    QString set;
    TArgs out;
    const Amount4 gross = groupSumsAssignments(t, s, set, out);
    const Amount4 paid =
        isNew ? paidOnIssue(*q, t, gross) : q->FieldByName(QStringLiteral("FV_KWOTAWPLACONA"))->AsCurrency();
    amountChainAssignments(t, gross, paid, q->FieldByName(QStringLiteral("FV_KWOTAROZLICZONA"))->AsCurrency(),
                           set, out);
    writeHeader(t, set, out, fvIndex);
}

void PrzeliczPolaFvk(int fvkIndex)
{
    static const TDocTable t{"Fvk", "FVK"};
    // A line whose rate changes moves between groups: its before-values leave
    // the old rate's group and its after-values enter the new rate's group.
    QString sums;
    TArgs args;
    for (int g = 0; g < VatGroupCount; ++g) {
        sums += QStringLiteral("coalesce(sum(if(FVKP_STAWKAVAT_TXT_PO=:p, FVKP_WARTOSCNETTO_PO, 0)) - "
                               "sum(if(FVKP_STAWKAVAT_TXT=:p, FVKP_WARTOSCNETTO, 0)),0), "
                               "coalesce(sum(if(FVKP_STAWKAVAT_TXT_PO=:p, FVKP_WARTOSCBRUTTO_PO, 0)) - "
                               "sum(if(FVKP_STAWKAVAT_TXT=:p, FVKP_WARTOSCBRUTTO, 0)),0), ");
        for (int i = 0; i < 4; ++i)
            args.push_back(VatRateTexts().value(g));
    }
    args.push_back(fvkIndex);
    auto q = GlobalSession()->OpenQuery(
        QStringLiteral(
            "select %1coalesce(sum(FVKP_RABATKWOTA_PO - FVKP_RABATKWOTA),0), FVK_KWOTAWPLACONA, "
            "FVK_KWOTAROZLICZONA from Fvk left join FvkPozycje on FVKP_INDEXFAKTURA=FVK_INDEX where "
            "FVK_INDEX=:p group by FVK_INDEX")
            .arg(sums),
        args);
    if (q->IsEmpty()) return;
    const TGroupSums s = readGroupSums(*q);
    QString set;
    TArgs out;
    const Amount4 gross = groupSumsAssignments(t, s, set, out);
    const Amount4 settled = q->FieldByName(QStringLiteral("FVK_KWOTAROZLICZONA"))->AsCurrency();
    // Clamped before the chain, so that amount to pay and open amount agree.
    const Amount4 paid = ClampPaidAmount(
        'K', q->FieldByName(QStringLiteral("FVK_KWOTAWPLACONA"))->AsCurrency(), gross, settled);
    amountChainAssignments(t, gross, paid, settled, set, out);
    writeHeader(t, set, out, fvkIndex);
}

void PrzeliczPolaPz(int pzIndex, bool isNew)
{
    static const TDocTable t{"Pz", "PZ"};
    auto q = GlobalSession()->OpenQuery(
        QStringLiteral(
            "select coalesce(sum(PZP_WARTOSCBRUTTO),0), coalesce(sum(PZP_RABATKWOTA),0), "
            "PZ_DATAWYSTAWIENIA, PZ_DATAPLATNOSCI, PZ_FORMAPLATNOSCI, PZ_KWOTAWPLACONA, "
            "PZ_KWOTAROZLICZONA from Pz left join PzPozycje on PZP_INDEXPZ=PZ_INDEX where PZ_INDEX=:p1 "
            "group by PZ_INDEX"),
        {pzIndex});
    if (q->IsEmpty()) return;
    const Amount4 gross = currency(*q, 0);
    const Amount4 settled = q->FieldByName(QStringLiteral("PZ_KWOTAROZLICZONA"))->AsCurrency();
    Amount4 paid =
        isNew ? paidOnIssue(*q, t, gross) : q->FieldByName(QStringLiteral("PZ_KWOTAWPLACONA"))->AsCurrency();
    paid = ClampPaidAmount('P', paid, gross, settled);
    QString set = QStringLiteral("PZ_SUMABRUTTO=:p, PZ_RABATSUMA=:p");
    TArgs out{gross, currency(*q, 1)};
    amountChainAssignments(t, gross, paid, settled, set, out);
    writeHeader(t, set, out, pzIndex);
}

Amount4 ClampPaidAmount(char kind, Amount4 paid, Amount4 grossSum, Amount4 settled)
{
    const Amount4 zero;
    if (kind == 'K' && grossSum <= zero) {
        if (paid < grossSum) paid = grossSum;
        if (paid > zero) paid = zero;
        if (paid < grossSum - settled) paid = grossSum - settled;
        return paid;
    }
    if (grossSum < zero) return paid;
    if (paid > grossSum) paid = grossSum;
    if (paid < zero) paid = zero;
    if (paid > grossSum - settled) paid = grossSum - settled;
    return paid;
}
