// Document sums per VAT group, corrections as differences, payment demands.
#include "billing/Przeliczenia.h"
#include "core/Query.h"
#include "core/VatRates.h"
#include "tests/billing/BillingFixture.h"

namespace {

class SumyTest : public BillingTest
{
protected:
    int NewFv(const QDate& issue = QDate(2025, 5, 14), const QDate& due = QDate(2025, 5, 28),
              const QString& form = QStringLiteral("przelew"))
    {
        const int fv = AddDoc('F', AddUser(), Amount4{}, due, QStringLiteral("1/5/2025"), issue);
        S()->ExecQuery(QStringLiteral("update Fv set FV_FORMAPLATNOSCI=:p1 where FV_INDEX=:p2"), {form, fv});
        return fv;
    }
    int AddFvLine(int fv, const char* price, const char* qty, const char* discount, const QString& rate)
    {
        S()->ExecQuery(
            QStringLiteral("insert into FvPozycje (FVP_INDEXFAKTURA, FVP_NAZWAUSLUGI, FVP_CENABRUTTO, "
                           "FVP_ILOSC, FVP_RABAT, FVP_STAWKAVAT_TXT) values (:p1, 'x', :p2, :p3, :p4, :p5)"),
            {fv, A(price), A(qty), A(discount), rate});
        const int line = Int(QStringLiteral("select last_insert_id()"));
        PrzeliczFVP(line);
        return line;
    }
    // A correction of fv with each invoice line copied before = after.
    int CorrectionOf(int fv)
    {
        S()->ExecQuery(
            QStringLiteral("insert into Fvk (FVK_INDEXUSER, FVK_INDEXKORYGOWANEJ, FVK_DATAWYSTAWIENIA) "
                           "select FV_INDEXUSER, FV_INDEX, '2025-06-01' from Fv where FV_INDEX=:p1"),
            {fv});
        const int k = Int(QStringLiteral("select last_insert_id()"));
        S()->ExecQuery(
            QStringLiteral(
                "insert into FvkPozycje (FVKP_INDEXFAKTURA, FVKP_INDEXPOZYCJIKORYGOWANEJ, FVKP_ILOSC, "
                "FVKP_CENANETTO, FVKP_CENABRUTTO, FVKP_WARTOSCNETTO, FVKP_WARTOSCBRUTTO, FVKP_KWOTAVAT, "
                "FVKP_STAWKAVAT, FVKP_RABAT, FVKP_RABATKWOTA, FVKP_STAWKAVAT_TXT, FVKP_ILOSC_PO, "
                "FVKP_CENANETTO_PO, FVKP_CENABRUTTO_PO, FVKP_WARTOSCNETTO_PO, FVKP_WARTOSCBRUTTO_PO, "
                "FVKP_KWOTAVAT_PO, FVKP_STAWKAVAT_PO, FVKP_RABAT_PO, FVKP_RABATKWOTA_PO, "
                "FVKP_STAWKAVAT_TXT_PO) select :p1, FVP_INDEX, FVP_ILOSC, FVP_CENANETTO, FVP_CENABRUTTO, "
                "FVP_WARTOSCNETTO, FVP_WARTOSCBRUTTO, FVP_KWOTAVAT, FVP_STAWKAVAT, FVP_RABAT, "
                "FVP_RABATKWOTA, FVP_STAWKAVAT_TXT, FVP_ILOSC, FVP_CENANETTO, FVP_CENABRUTTO, "
                "FVP_WARTOSCNETTO, FVP_WARTOSCBRUTTO, FVP_KWOTAVAT, FVP_STAWKAVAT, FVP_RABAT, "
                "FVP_RABATKWOTA, FVP_STAWKAVAT_TXT from FvPozycje where FVP_INDEXFAKTURA=:p2 order by "
                "FVP_INDEX"),
            {k, fv});
        return k;
    }
    Amount4 Col(const QString& table, const QString& column, const QString& key, int index)
    {
        return Money(QStringLiteral("select %1 from %2 where %3=:p1").arg(column, table, key), {index});
    }
    Amount4 Fv(const char* column, int fv) { return Col("Fv", QString::fromLatin1(column), "FV_INDEX", fv); }
    Amount4 Fvk(const char* column, int k) { return Col("Fvk", QString::fromLatin1(column), "FVK_INDEX", k); }
};

} // namespace

TEST_F(SumyTest, StoredLineKeepsTypedGrossAndRoundsToTheColumns)
{
    const int fv = NewFv();
    const int line = AddFvLine(fv, "100", "1", "0", "23%");
    auto q = S()->OpenQuery(QStringLiteral("select * from FvPozycje where FVP_INDEX=:p1"), {line});
    EXPECT_EQ(q->FieldByName("FVP_CENABRUTTO")->AsCurrency(), A("100"));
    EXPECT_EQ(q->FieldByName("FVP_CENANETTO")->AsCurrency(), A("81.30"));
    EXPECT_EQ(q->FieldByName("FVP_WARTOSCNETTO")->AsCurrency(), A("81.30"));
    EXPECT_EQ(q->FieldByName("FVP_KWOTAVAT")->AsCurrency(), A("18.70"));
    EXPECT_EQ(q->FieldByName("FVP_STAWKAVAT")->AsCurrency(), A("1.23"));
}

TEST_F(SumyTest, GroupVatIsGrossSumMinusStoredNetValues)
{
    const int fv = NewFv();
    AddFvLine(fv, "10", "1", "0", "8%"); // net 9.2593 stored as 9.26
    AddFvLine(fv, "10", "1", "0", "8%");
    AddFvLine(fv, "100", "1", "0", "23%");
    AddFvLine(fv, "40", "1", "0", "zw");
    AddFvLine(fv, "7", "1", "0", "np");
    AddFvLine(fv, "3", "1", "0", "0%");
    AddFvLine(fv, "21", "1", "0", "5%");
    // A label of no group: in no sum, but its discount counts.
    AddFvLine(fv, "20", "1", "10", "7%");
    PrzeliczPolaFv(fv, false);
    EXPECT_EQ(Fv("FV_SUMABRUTTO_B", fv), A("20"));
    EXPECT_EQ(Fv("FV_SUMANETTO_B", fv), A("18.52"));
    EXPECT_EQ(Fv("FV_SUMAVAT_B", fv), A("1.48")); // 20 - 2 x 9.26
    EXPECT_EQ(Fv("FV_SUMANETTO_A", fv), A("81.30"));
    EXPECT_EQ(Fv("FV_SUMAVAT_A", fv), A("18.70"));
    EXPECT_EQ(Fv("FV_SUMABRUTTO_G", fv), A("40"));
    EXPECT_EQ(Fv("FV_SUMAVAT_G", fv), A("0"));
    EXPECT_EQ(Fv("FV_SUMABRUTTO_NP", fv), A("7"));
    EXPECT_EQ(Fv("FV_SUMABRUTTO_C", fv), A("3"));
    EXPECT_EQ(Fv("FV_SUMANETTO_D", fv), A("20"));
    EXPECT_EQ(Fv("FV_SUMAVAT_D", fv), A("1"));
    EXPECT_EQ(Fv("FV_SUMABRUTTO", fv), A("191"));
    EXPECT_EQ(Fv("FV_SUMANETTO", fv), A("169.82"));
    EXPECT_EQ(Fv("FV_SUMAVAT", fv), A("21.18"));
    EXPECT_EQ(Fv("FV_RABATSUMA", fv), A("2"));
    // Amount chain: nothing paid on issue, nothing settled.
    EXPECT_EQ(Fv("FV_KWOTADOZAPLATY", fv), A("191"));
    EXPECT_EQ(Fv("FV_KWOTADOROZLICZENIA", fv), A("191"));
}

TEST_F(SumyTest, VatOfAGroupIsNotTheRateAppliedToItsNetSum)
{
    const int fv = NewFv();
    for (int i = 0; i < 3; ++i)
        AddFvLine(fv, "0.10", "1", "0", "23%"); // each net 0.0813 stored 0.08, VAT 0.02
    PrzeliczPolaFv(fv, false);
    EXPECT_EQ(Fv("FV_SUMANETTO_A", fv), A("0.24"));
    EXPECT_EQ(Fv("FV_SUMAVAT_A", fv), A("0.06")); // 23 % of 0.24 would give 0.0552
}

TEST_F(SumyTest, NewInvoicePaidOnIssueOnlyForCashDueTheSameDay)
{
    struct Case
    {
        const char* form;
        int termDays;
        const char* paid;
    } cases[] = {{"gotówka", 0, "50"}, {"gotówka", 7, "0"}, {"przelew", 0, "0"}, {"Gotówka", 0, "0"}};
    for (const Case& c : cases) {
        const QDate issue(2025, 5, 14);
        const int fv = NewFv(issue, issue.addDays(c.termDays), QString::fromUtf8(c.form));
        AddFvLine(fv, "50", "1", "0", "23%");
        PrzeliczPolaFv(fv, true);
        EXPECT_EQ(Fv("FV_KWOTAWPLACONA", fv), A(c.paid)) << c.form << " " << c.termDays;
        EXPECT_EQ(Fv("FV_KWOTADOZAPLATY", fv), A("50") - A(c.paid));
        EXPECT_EQ(Fv("FV_KWOTADOROZLICZENIA", fv), A("50") - A(c.paid));
    }
}

TEST_F(SumyTest, SettledPartStaysOutOfTheOpenAmount)
{
    const int fv = NewFv();
    AddFvLine(fv, "80", "1", "0", "23%");
    S()->ExecQuery(QStringLiteral("update Fv set FV_KWOTAROZLICZONA=30 where FV_INDEX=:p1"), {fv});
    PrzeliczPolaFv(fv, false);
    EXPECT_EQ(Fv("FV_KWOTADOZAPLATY", fv), A("80"));
    EXPECT_EQ(Fv("FV_KWOTADOROZLICZENIA", fv), A("50"));
}

TEST_F(SumyTest, CorrectionWithAfterEqualBeforeHasAllSumsZero)
{
    const int fv = NewFv();
    AddFvLine(fv, "123", "1", "0", "23%");
    AddFvLine(fv, "10", "2", "0", "8%");
    const int k = CorrectionOf(fv);
    PrzeliczPolaFvk(k);
    for (const char* c : {"FVK_SUMABRUTTO", "FVK_SUMANETTO", "FVK_SUMAVAT", "FVK_SUMABRUTTO_A",
                          "FVK_SUMABRUTTO_B", "FVK_RABATSUMA", "FVK_KWOTADOROZLICZENIA"})
        EXPECT_EQ(Fvk(c, k), Amount4{}) << c;
}

TEST_F(SumyTest, ZeroCorrectionNegatesTheInvoice)
{
    const int fv = NewFv();
    AddFvLine(fv, "123", "1", "0", "23%");
    PrzeliczPolaFv(fv, false);
    const int k = CorrectionOf(fv);
    S()->ExecQuery(QStringLiteral("update FvkPozycje set FVKP_ILOSC_PO=0 where FVKP_INDEXFAKTURA=:p1"), {k});
    const int line =
        Int(QStringLiteral("select FVKP_INDEX from FvkPozycje where FVKP_INDEXFAKTURA=:p1"), {k});
    PrzeliczFVKP(line);
    PrzeliczPolaFvk(k);
    EXPECT_EQ(Fvk("FVK_SUMANETTO_A", k), A("-100"));
    EXPECT_EQ(Fvk("FVK_SUMAVAT_A", k), A("-23"));
    EXPECT_EQ(Fvk("FVK_SUMABRUTTO_A", k), A("-123"));
    EXPECT_EQ(Fvk("FVK_SUMABRUTTO", k), -Fv("FV_SUMABRUTTO", fv));
    EXPECT_EQ(Fvk("FVK_KWOTADOZAPLATY", k), A("-123"));
    EXPECT_EQ(Fvk("FVK_KWOTADOROZLICZENIA", k), A("-123"));
}

// The before-values leave the old rate's group and the after-values enter the
// new rate's group; the whole difference in the old group would report 123.00
// of sales at 23 % that never were corrected that way.
TEST_F(SumyTest, RateChangeMovesTheLineBetweenGroups)
{
    const int fv = NewFv();
    AddFvLine(fv, "123", "1", "0", "23%"); // net 100.00, VAT 23.00
    const int k = CorrectionOf(fv);
    const int line =
        Int(QStringLiteral("select FVKP_INDEX from FvkPozycje where FVKP_INDEXFAKTURA=:p1"), {k});
    S()->ExecQuery(QStringLiteral("update FvkPozycje set FVKP_STAWKAVAT_TXT_PO='8%' where FVKP_INDEX=:p1"),
                   {line});
    PrzeliczFVKP(line); // after: gross 123.00, net 113.89, VAT 9.11
    PrzeliczPolaFvk(k);
    EXPECT_EQ(Fvk("FVK_SUMABRUTTO_A", k), A("-123"));
    EXPECT_EQ(Fvk("FVK_SUMANETTO_A", k), A("-100"));
    EXPECT_EQ(Fvk("FVK_SUMAVAT_A", k), A("-23"));
    EXPECT_EQ(Fvk("FVK_SUMABRUTTO_B", k), A("123"));
    EXPECT_EQ(Fvk("FVK_SUMANETTO_B", k), A("113.89"));
    EXPECT_EQ(Fvk("FVK_SUMAVAT_B", k), A("9.11"));
    EXPECT_EQ(Fvk("FVK_SUMABRUTTO", k), A("0"));
    EXPECT_EQ(Fvk("FVK_SUMANETTO", k), A("13.89"));
    EXPECT_EQ(Fvk("FVK_SUMAVAT", k), A("-13.89"));
}

TEST_F(SumyTest, HalfQuantityCorrectionGivesMinusHalfTheLine)
{
    const int fv = NewFv();
    AddFvLine(fv, "123", "1", "0", "23%");
    const int k = CorrectionOf(fv);
    const int line =
        Int(QStringLiteral("select FVKP_INDEX from FvkPozycje where FVKP_INDEXFAKTURA=:p1"), {k});
    S()->ExecQuery(QStringLiteral("update FvkPozycje set FVKP_ILOSC_PO=0.5 where FVKP_INDEX=:p1"), {line});
    PrzeliczFVKP(line);
    PrzeliczPolaFvk(k);
    EXPECT_EQ(Fvk("FVK_SUMABRUTTO_A", k), A("-61.50"));
    EXPECT_EQ(Fvk("FVK_SUMANETTO_A", k), A("-50"));
}

TEST_F(SumyTest, CorrectionPaidAmountIsClampedBeforeTheChain)
{
    const int fv = NewFv();
    AddFvLine(fv, "100", "1", "0", "zw");
    const int k = CorrectionOf(fv);
    const int line =
        Int(QStringLiteral("select FVKP_INDEX from FvkPozycje where FVKP_INDEXFAKTURA=:p1"), {k});
    S()->ExecQuery(QStringLiteral("update FvkPozycje set FVKP_ILOSC_PO=0.7 where FVKP_INDEX=:p1"), {line});
    S()->ExecQuery(QStringLiteral("update Fvk set FVK_KWOTAWPLACONA=-50 where FVK_INDEX=:p1"), {k});
    PrzeliczFVKP(line);
    PrzeliczPolaFvk(k);
    EXPECT_EQ(Fvk("FVK_SUMABRUTTO", k), A("-30"));
    EXPECT_EQ(Fvk("FVK_KWOTAWPLACONA", k), A("-30"));
    EXPECT_EQ(Fvk("FVK_KWOTADOZAPLATY", k), A("0"));
    EXPECT_EQ(Fvk("FVK_KWOTADOROZLICZENIA", k), A("0"));
}

TEST_F(SumyTest, PaymentDemandLinesAndSums)
{
    const int pz = AddDoc('P', AddUser(), Amount4{}, QDate(2025, 5, 28));
    S()->ExecQuery(
        QStringLiteral("insert into PzPozycje (PZP_INDEXPZ, PZP_CENABRUTTO, PZP_ILOSC, PZP_RABAT) values "
                       "(:p1, 12.50, 2, 10), (:p2, 5, 1, 0)"),
        {pz, pz});
    const auto lines = S()->GetQueryValuesAsList(
        QStringLiteral("select PZP_INDEX from PzPozycje where PZP_INDEXPZ=:p1 order by PZP_INDEX"), {pz});
    for (const QString& l : lines)
        PrzeliczPZP(l.toInt());
    EXPECT_EQ(Money(QStringLiteral("select PZP_WARTOSCBRUTTO from PzPozycje where PZP_INDEX=:p1"),
                    {lines[0].toInt()}),
              A("22.50"));
    EXPECT_EQ(
        Money(QStringLiteral("select PZP_RABATKWOTA from PzPozycje where PZP_INDEX=:p1"), {lines[0].toInt()}),
        A("2.50"));
    PrzeliczPolaPz(pz, false);
    EXPECT_EQ(Money(QStringLiteral("select PZ_SUMABRUTTO from Pz where PZ_INDEX=:p1"), {pz}), A("27.50"));
    EXPECT_EQ(Money(QStringLiteral("select PZ_RABATSUMA from Pz where PZ_INDEX=:p1"), {pz}), A("2.50"));
    EXPECT_EQ(DocOpen('P', pz), A("27.50"));
}

TEST_F(SumyTest, SetBasedLineRuleMatchesTheLineRuleAfterStoring)
{
    const int fv = NewFv();
    const struct
    {
        const char *price, *qty, *discount, *rate;
    } lines[] = {{"100", "1", "0", "23%"},
                 {"19.99", "3", "5", "8%"},
                 {"7.77", "2.5", "0", "5%"},
                 {"50", "1", "10", "zw"},
                 {"12", "1", "0", "0%"}};
    for (const auto& l : lines)
        AddFvLine(fv, l.price, l.qty, l.discount, QString::fromLatin1(l.rate));
    const QString cols =
        QStringLiteral("select group_concat(concat_ws('|', FVP_STAWKAVAT, FVP_CENANETTO, "
                       "FVP_WARTOSCBRUTTO, FVP_WARTOSCNETTO, FVP_KWOTAVAT, FVP_RABATKWOTA) order by "
                       "FVP_INDEX separator ';') from FvPozycje where FVP_INDEXFAKTURA=:p1");
    const QString perLine = Text(cols, {fv});
    S()->ExecQuery(
        QStringLiteral("update FvPozycje set FVP_CENANETTO=0, FVP_WARTOSCBRUTTO=0, FVP_WARTOSCNETTO=0, "
                       "FVP_KWOTAVAT=0, FVP_RABATKWOTA=0, FVP_STAWKAVAT=0 where FVP_INDEXFAKTURA=:p1"),
        {fv});
    PrzeliczFVPDokumentu(fv);
    EXPECT_EQ(Text(cols, {fv}), perLine);
}
