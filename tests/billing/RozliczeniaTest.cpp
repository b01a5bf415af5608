// The settlement engine: payments spread over documents and documents paid
// from payments, withdrawals, corrections that lower an invoice, payouts.
#include "billing/Rozliczenia.h"
#include "billing/Salda.h"
#include "core/Query.h"
#include "tests/billing/BillingFixture.h"

namespace {

class RozliczeniaTest : public BillingTest
{
protected:
    void SetUp() override
    {
        BillingTest::SetUp();
        u = AddUser();
    }
    // The links of a payment, oldest first: "kind doc amount lateness due settled".
    QStringList Links(int oplata)
    {
        return S()->GetQueryValuesAsList(
            QStringLiteral(
                "select concat_ws(' ', OR_RODZAJDOC, OR_INDEXDOC, OR_KWOTAROZLICZONA, OR_SPOZNIENIE, "
                "OR_DATAPLATNOSCIDOC, OR_DATAROZLICZENIA) from OplatyRozliczenia where OR_INDEXOPLATY=:p1 "
                "order by OR_INDEX"),
            {oplata});
    }
    QString L(char kind, int doc, const char* amount, int late, const char* due, const char* settled)
    {
        return QStringLiteral("%1 %2 %3 %4 %5 %6")
            .arg(QLatin1Char(kind))
            .arg(doc)
            .arg(QString::fromLatin1(amount))
            .arg(late)
            .arg(QString::fromLatin1(due), QString::fromLatin1(settled));
    }
    Amount4 Settled(char kind, int doc)
    {
        const QString t = kind == 'F' ? "Fv" : kind == 'K' ? "Fvk" : "Pz";
        const QString x = kind == 'F' ? "FV" : kind == 'K' ? "FVK" : "PZ";
        return Money(QStringLiteral("select %2_KWOTAROZLICZONA from %1 where %2_INDEX=:p1").arg(t, x), {doc});
    }
    Amount4 Saldo() { return Money(QStringLiteral("select U_SALDO from Userdb where U_INDEX=:p1"), {u}); }
    int u = 0;
};

} // namespace

TEST(Lateness, WholeDaysAfterTheDueDateNeverNegative)
{
    EXPECT_EQ(SettlementLateness(QStringLiteral("2025-01-10"), QStringLiteral("2025-02-15")), 36);
    EXPECT_EQ(SettlementLateness(QStringLiteral("2025-02-10"), QStringLiteral("2025-02-15")), 5);
    EXPECT_EQ(SettlementLateness(QStringLiteral("2025-02-15"), QStringLiteral("2025-02-15")), 0);
    EXPECT_EQ(SettlementLateness(QStringLiteral("2025-03-01"), QStringLiteral("2025-02-15")), 0);
}

TEST_F(RozliczeniaTest, PaymentPaysTheMostOverdueFirst)
{
    const int f1 = AddDoc('F', u, A("60"), QDate(2025, 1, 10), QStringLiteral("FV/1/1/2025"));
    const int f2 = AddDoc('F', u, A("60"), QDate(2025, 2, 10), QStringLiteral("FV/9/1/2025"));
    const int o = AddOplata(u, A("100"), QDate(2025, 2, 15));
    ASSERT_TRUE(SettleOplata(o, u));
    EXPECT_EQ(Links(o), (QStringList{L('F', f1, "60.00", 36, "2025-01-10", "2025-02-15"),
                                     L('F', f2, "40.00", 5, "2025-02-10", "2025-02-15")}));
    EXPECT_EQ(OplataOpen(o), A("0"));
    EXPECT_EQ(DocOpen('F', f1), A("0"));
    EXPECT_EQ(Settled('F', f1), A("60"));
    EXPECT_EQ(DocOpen('F', f2), A("20"));
    EXPECT_EQ(Settled('F', f2), A("40"));
    EXPECT_EQ(
        Text(QStringLiteral("select OR_NUMERDOCTXT from OplatyRozliczenia where OR_INDEXDOC=:p1"), {f1}),
        QStringLiteral("FV/1/1/2025"));
    EXPECT_EQ(
        Text(QStringLiteral("select OR_DATADODANIA from OplatyRozliczenia where OR_INDEXDOC=:p1"), {f1}),
        QDate::currentDate().toString(Qt::ISODate));
    EXPECT_EQ(Saldo(), A("-20")); // recomputed after settling
}

TEST_F(RozliczeniaTest, EquallyOverdueKindsAreServedInvoiceFirst)
{
    const int pz = AddDoc('P', u, A("40"), QDate(2025, 1, 10));
    const int fv = AddDoc('F', u, A("40"), QDate(2025, 1, 10));
    const int o = AddOplata(u, A("50"), QDate(2025, 1, 20));
    ASSERT_TRUE(SettleOplata(o, u));
    EXPECT_EQ(Links(o), (QStringList{L('F', fv, "40.00", 10, "2025-01-10", "2025-01-20"),
                                     L('P', pz, "10.00", 10, "2025-01-10", "2025-01-20")}));
}

TEST_F(RozliczeniaTest, OlderDemandBeforeNewerInvoice)
{
    const int fv = AddDoc('F', u, A("40"), QDate(2025, 2, 10));
    const int pz = AddDoc('P', u, A("40"), QDate(2025, 1, 10));
    const int o = AddOplata(u, A("50"), QDate(2025, 1, 5)); // before both due dates
    ASSERT_TRUE(SettleOplata(o, u));
    EXPECT_EQ(Links(o), (QStringList{L('P', pz, "40.00", 0, "2025-01-10", "2025-01-05"),
                                     L('F', fv, "10.00", 0, "2025-02-10", "2025-01-05")}));
}

TEST_F(RozliczeniaTest, DocumentWithoutDueDateIsLinkedWithToday)
{
    const int fv = AddDoc('F', u, A("40"), QDate());
    const QDate paid = QDate::currentDate().addDays(-3);
    const int o = AddOplata(u, A("40"), paid);
    ASSERT_TRUE(SettleOplata(o, u));
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    EXPECT_EQ(Links(o), QStringList{L('F', fv, "40.00", 0, today.toLatin1().constData(),
                                      paid.toString(Qt::ISODate).toLatin1().constData())});
}

// A document without a due date is the most overdue of all (the balance
// counts it so): a payment reaches it before any dated one, of any kind.
TEST_F(RozliczeniaTest, DocumentWithoutDueDateIsPaidFirst)
{
    struct Case
    {
        const char* name;
        char undatedKind;
        char datedKind;
    } cases[] = {{"undated invoice before an overdue invoice", 'F', 'F'},
                 {"undated demand before an overdue invoice", 'P', 'F'},
                 {"undated correction before an overdue demand", 'K', 'P'}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int user = AddUser();
        const int dated = AddDoc(c.datedKind, user, A("50"), QDate(2025, 1, 10));
        const int undated = AddDoc(c.undatedKind, user, A("50"), QDate());
        const int o = AddOplata(user, A("50"), QDate(2025, 2, 15));
        ASSERT_TRUE(SettleOplata(o, user));
        EXPECT_EQ(DocOpen(c.undatedKind, undated), A("0"));
        EXPECT_EQ(DocOpen(c.datedKind, dated), A("50"));
        EXPECT_EQ(OplataOpen(o), A("0"));
    }
}

TEST_F(RozliczeniaTest, PaymentWithoutOpenDocumentsStaysCredit)
{
    const int o = AddOplata(u, A("100"), QDate(2025, 2, 15));
    ASSERT_TRUE(SettleOplata(o, u));
    EXPECT_TRUE(Links(o).isEmpty());
    EXPECT_EQ(OplataOpen(o), A("100"));
    EXPECT_EQ(Saldo(), A("100"));
}

TEST_F(RozliczeniaTest, OverpaymentPaysTheNextDocumentOldestPaymentFirst)
{
    AddDoc('F', u, A("60"), QDate(2025, 1, 10));
    const int o1 = AddOplata(u, A("70"), QDate(2025, 1, 12));
    ASSERT_TRUE(SettleOplata(o1, u));
    const int o2 = AddOplata(u, A("50"), QDate(2025, 1, 20));
    EXPECT_EQ(OplataOpen(o1), A("10"));
    const int f2 = AddDoc('F', u, A("30"), QDate(2025, 2, 10));
    ASSERT_TRUE(SettleDocument(QStringLiteral("F"), f2));
    EXPECT_EQ(Links(o1).last(), L('F', f2, "10.00", 0, "2025-02-10", "2025-01-12"));
    EXPECT_EQ(Links(o2), QStringList{L('F', f2, "20.00", 0, "2025-02-10", "2025-01-20")});
    EXPECT_EQ(OplataOpen(o1), A("0"));
    EXPECT_EQ(OplataOpen(o2), A("30"));
    EXPECT_EQ(DocOpen('F', f2), A("0"));
    EXPECT_EQ(Settled('F', f2), A("30"));
}

TEST_F(RozliczeniaTest, SettleDocumentNeedsADueDateOnlyWhenThereIsAPaymentToLink)
{
    const int fv = AddDoc('F', u, A("40"), QDate());
    EXPECT_TRUE(SettleDocument(QStringLiteral("F"), fv)); // nothing to link
    const int o = AddOplata(u, A("40"), QDate(2025, 1, 2));
    EXPECT_FALSE(SettleDocument(QStringLiteral("F"), fv));
    EXPECT_TRUE(Links(o).isEmpty());
    EXPECT_EQ(OplataOpen(o), A("40"));
}

TEST_F(RozliczeniaTest, LoweredPaymentGivesBackFromItsNewestLinks)
{
    const int f1 = AddDoc('F', u, A("50"), QDate(2025, 1, 10));
    const int f2 = AddDoc('F', u, A("30"), QDate(2025, 2, 10));
    const int o = AddOplata(u, A("100"), QDate(2025, 2, 15));
    ASSERT_TRUE(SettleOplata(o, u));
    EXPECT_EQ(OplataOpen(o), A("20"));
    // The payment dialog lowers it to 30.00: open = 30 - 80.
    S()->ExecQuery(QStringLiteral("update Oplaty set O_KWOTA=30, O_KWOTADOROZLICZENIA=-50 where O_INDEX=:p1"),
                   {o});
    ASSERT_TRUE(SettleOplata(o, u));
    EXPECT_EQ(Links(o), QStringList{L('F', f1, "30.00", 36, "2025-01-10", "2025-02-15")});
    EXPECT_EQ(OplataOpen(o), A("0"));
    EXPECT_EQ(DocOpen('F', f1), A("20"));
    EXPECT_EQ(Settled('F', f1), A("30"));
    EXPECT_EQ(DocOpen('F', f2), A("30"));
    EXPECT_EQ(Settled('F', f2), A("0"));
    EXPECT_EQ(Int(QStringLiteral("select count(*) from OplatyRozliczenia where OR_KWOTAROZLICZONA=0")), 0);
    EXPECT_EQ(Saldo(), A("-50"));
}

TEST_F(RozliczeniaTest, UnsettleDocumentReturnsTheMoneyToItsPayments)
{
    const int fv = AddDoc('F', u, A("80"), QDate(2025, 1, 10));
    const int o1 = AddOplata(u, A("50"), QDate(2025, 1, 11));
    const int o2 = AddOplata(u, A("50"), QDate(2025, 1, 12));
    ASSERT_TRUE(SettleDocument(QStringLiteral("F"), fv));
    EXPECT_EQ(OplataOpen(o2), A("20"));
    ASSERT_TRUE(UnsettleDocument(QStringLiteral("F"), fv));
    EXPECT_EQ(DocOpen('F', fv), A("80"));
    EXPECT_EQ(Settled('F', fv), A("0"));
    EXPECT_EQ(OplataOpen(o1), A("50"));
    EXPECT_EQ(OplataOpen(o2), A("50"));
    EXPECT_EQ(Int(QStringLiteral("select count(*) from OplatyRozliczenia")), 0);
}

TEST_F(RozliczeniaTest, CorrectionLoweringAPaidInvoiceLeavesCredit)
{
    const int fv = AddDoc('F', u, A("100"), QDate(2025, 1, 10));
    const int o = AddOplata(u, A("100"), QDate(2025, 1, 15));
    ASSERT_TRUE(SettleOplata(o, u));
    const int k = AddDoc('K', u, A("-30"), QDate(2025, 2, 1));
    S()->ExecQuery(QStringLiteral("update Fvk set FVK_INDEXKORYGOWANEJ=:p1 where FVK_INDEX=:p2"), {fv, k});
    ASSERT_TRUE(SettleDocument(QStringLiteral("K"), k));
    EXPECT_EQ(Links(o), QStringList{L('F', fv, "70.00", 5, "2025-01-10", "2025-01-15")});
    EXPECT_EQ(DocOpen('F', fv), A("0"));
    EXPECT_EQ(DocOpen('K', k), A("0"));
    EXPECT_EQ(Settled('K', k), A("-30"));
    EXPECT_EQ(OplataOpen(o), A("30"));
    EXPECT_EQ(Saldo(), A("30"));
    // Withdrawing the correction's settlement gives the invoice its full amount back.
    ASSERT_TRUE(UnsettleDocument(QStringLiteral("K"), k));
    EXPECT_EQ(DocOpen('K', k), A("-30"));
    EXPECT_EQ(Settled('K', k), A("0"));
    EXPECT_EQ(Links(o), QStringList{L('F', fv, "100.00", 5, "2025-01-10", "2025-01-15")});
    EXPECT_EQ(DocOpen('F', fv), A("0"));
    EXPECT_EQ(OplataOpen(o), A("0"));
}

TEST_F(RozliczeniaTest, SettleUserOplatyOldestPaymentFirst)
{
    const int f1 = AddDoc('F', u, A("30"), QDate(2025, 1, 10));
    const int f2 = AddDoc('P', u, A("30"), QDate(2025, 2, 10));
    const int late = AddOplata(u, A("40"), QDate(2025, 3, 1));
    const int early = AddOplata(u, A("40"), QDate(2025, 1, 5));
    ASSERT_TRUE(SettleUserOplaty(u));
    EXPECT_EQ(Links(early), (QStringList{L('F', f1, "30.00", 0, "2025-01-10", "2025-01-05"),
                                         L('P', f2, "10.00", 0, "2025-02-10", "2025-01-05")}));
    EXPECT_EQ(Links(late), QStringList{L('P', f2, "20.00", 19, "2025-02-10", "2025-03-01")});
    EXPECT_EQ(OplataOpen(late), A("20"));
    EXPECT_EQ(Saldo(), A("20"));
}

// A payout (refund) whose open amount equals its amount, as editing or
// re-settling leaves it: it must neither pay nor unpay a document.
TEST_F(RozliczeniaTest, PayoutsStayOutOfSettlement)
{
    const int fv = AddDoc('F', u, A("50"), QDate(2025, 1, 10));
    const int payout = AddOplata(u, A("-20"), QDate(2025, 1, 5));
    ASSERT_TRUE(SettleDocument(QStringLiteral("F"), fv));
    ASSERT_TRUE(SettleUserOplaty(u));
    ASSERT_TRUE(SettleOplata(payout, u));
    EXPECT_TRUE(Links(payout).isEmpty());
    EXPECT_EQ(DocOpen('F', fv), A("50"));
    EXPECT_EQ(OplataOpen(payout), A("-20"));
}

TEST_F(RozliczeniaTest, PayDocumentWritesAPaymentOfTheSubscribersCompany)
{
    AddPodmiot(1, QStringLiteral("FIR"));
    AddPodmiot(2, QStringLiteral("ABC"));
    SetGlobal(QStringLiteral("NumeracjaMiesieczna"), QStringLiteral("1"));
    const int u2 = AddUser(2);
    // Company 1 has numbered payments this month already; company 2 has not.
    S()->ExecQuery(QStringLiteral("insert into Oplaty (O_INDEXUSER, O_NUMER, O_DATAWPLATY, O_PODMIOT) values "
                                  "(:p1, 5, '2025-03-02', 1)"),
                   {u});
    const int fv = AddDoc('F', u2, A("80"), QDate(2025, 3, 1), QStringLiteral("FV/3/ABC/2/2025"));
    ASSERT_TRUE(PayDocument(QStringLiteral("F"), fv, QStringLiteral("gotówka"), QStringLiteral("2025-03-04"),
                            A("50")));
    auto q = S()->OpenQuery(QStringLiteral("select * from Oplaty where O_INDEXUSER=:p1"), {u2});
    ASSERT_EQ(q->RecordCount(), 1);
    EXPECT_EQ(q->FieldByName("O_PODMIOT")->AsInteger(), 2);
    EXPECT_EQ(q->FieldByName("O_NUMER")->AsInteger(), 1);
    EXPECT_EQ(q->FieldByName("O_NUMERTXT")->AsString(), QStringLiteral("1/ABC/3/2025"));
    EXPECT_EQ(q->FieldByName("O_UWAGI")->AsString(),
              QStringLiteral("Rozliczenie wskazanego dokumentu FV/3/ABC/2/2025"));
    EXPECT_EQ(q->FieldByName("O_KWOTA")->AsCurrency(), A("50"));
    EXPECT_EQ(q->FieldByName("O_KWOTADOROZLICZENIA")->AsCurrency(), A("0"));
    EXPECT_EQ(q->FieldByName("O_FORMAPLATNOSCI")->AsString(), QStringLiteral("gotówka"));
    const int o = q->FieldByName("O_INDEX")->AsInteger();
    EXPECT_EQ(Text(QStringLiteral("select concat_ws(' ', OR_RODZAJDOC, OR_KWOTAROZLICZONA, OR_SPOZNIENIE, "
                                  "OR_DATADODANIA) from OplatyRozliczenia where OR_INDEXOPLATY=:p1"),
                   {o}),
              QStringLiteral("F 50.00 3 2025-03-04"));
    EXPECT_EQ(DocOpen('F', fv), A("30"));
    EXPECT_EQ(Settled('F', fv), A("50"));
}

TEST_F(RozliczeniaTest, PayDocumentRefusesBeforeWritingAnything)
{
    const int fv = AddDoc('F', u, A("80"), QDate(2025, 3, 1));
    const int undated = AddDoc('F', u, A("80"), QDate());
    struct Case
    {
        const char* name;
        int doc;
        const char* date;
        const char* amount;
    } cases[] = {{"amount above the open amount", fv, "2025-03-04", "80.01"},
                 {"payment date not a date", fv, "2025-02-30", "10"},
                 {"document without a due date", undated, "2025-03-04", "10"}};
    for (const Case& c : cases) {
        EXPECT_FALSE(PayDocument(QStringLiteral("F"), c.doc, QStringLiteral("przelew"),
                                 QString::fromLatin1(c.date), A(c.amount)))
            << c.name;
        EXPECT_EQ(Int(QStringLiteral("select count(*) from Oplaty")), 0) << c.name;
        EXPECT_EQ(Int(QStringLiteral("select count(*) from OplatyRozliczenia")), 0) << c.name;
    }
    EXPECT_EQ(DocOpen('F', fv), A("80"));
}

// A statement failing halfway through an operation (after the links were
// written) raises and leaves nothing of the operation behind.
TEST_F(RozliczeniaTest, FailingStatementRaisesAndLeavesNoHalfAppliedAmounts)
{
    const int o = AddOplata(u, A("100"), QDate(2025, 2, 15));
    const int fv = AddDoc('F', u, A("60"), QDate(2025, 1, 10));
    S()->ExecQueryNoParamCheck(
        QStringLiteral("CREATE TRIGGER oplaty_fail BEFORE UPDATE ON Oplaty FOR EACH ROW "
                       "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'refused'"));
    EXPECT_THROW(SettleOplata(o, u), EDatabaseError);
    EXPECT_THROW(SettleDocument(QStringLiteral("F"), fv), EDatabaseError);
    EXPECT_FALSE(S()->InTransaction());
    EXPECT_EQ(Int(QStringLiteral("select count(*) from OplatyRozliczenia")), 0);
    EXPECT_EQ(OplataOpen(o), A("100"));
    EXPECT_EQ(DocOpen('F', fv), A("60"));

    // Inside a caller's transaction the caller's own writes stay until its guard decides.
    S()->ExecQuery(QStringLiteral("DROP TRIGGER oplaty_fail"));
    S()->ExecQuery(QStringLiteral("drop table OplatyRozliczenia"));
    {
        TTransactionGuard caller(S());
        S()->ExecQuery(QStringLiteral("update Userdb set U_UWAGI='x' where U_INDEX=:p1"), {u});
        EXPECT_THROW(SettleOplata(o, u), EDatabaseError);
        EXPECT_TRUE(S()->InTransaction());
        EXPECT_EQ(Text(QStringLiteral("select U_UWAGI from Userdb where U_INDEX=:p1"), {u}),
                  QStringLiteral("x"));
    }
    EXPECT_EQ(OplataOpen(o), A("100"));
}

// SettleUserOplaty spreads all open payments over one picture of the open
// documents; the result must be what settling them one by one gives.
TEST_F(RozliczeniaTest, SettlingAllPaymentsAtOnceEqualsOneByOne)
{
    struct Doc
    {
        char kind;
        const char* amount;
        QDate due;
    } docs[] = {{'F', "59.99", QDate(2025, 1, 14)},
                {'P', "30", QDate(2025, 1, 14)},
                {'F', "59.99", QDate(2025, 2, 14)},
                {'K', "12.30", QDate(2025, 2, 1)},
                {'F', "80", QDate(2025, 3, 14)},
                {'P', "30", QDate(2025, 3, 20)},
                {'F', "61", QDate()},
                {'K', "-10", QDate(2025, 3, 1)}};
    struct Pay
    {
        const char* amount;
        QDate paid;
    } pays[] = {{"20", QDate(2025, 1, 2)},   {"100", QDate(2025, 1, 20)}, {"45.55", QDate(2025, 2, 3)},
                {"-15", QDate(2025, 2, 5)},  {"80", QDate(2025, 3, 1)},   {"150", QDate(2025, 3, 30)},
                {"19.99", QDate(2025, 4, 1)}};
    auto build = [&](int user) {
        std::vector<int> order;
        for (const Doc& d : docs)
            AddDoc(d.kind, user, A(d.amount), d.due);
        for (const Pay& p : pays)
            order.push_back(AddOplata(user, A(p.amount), p.paid));
        return order;
    };
    const int one = AddUser();
    const int all = AddUser();
    for (int o : build(one))
        ASSERT_TRUE(SettleOplata(o, one));
    build(all);
    ASSERT_TRUE(SettleUserOplaty(all));
    // The same links in the same order, naming documents by their place in the subscriber's list.
    const QString links = QStringLiteral(
        "select group_concat(concat_ws(' ', OR_RODZAJDOC, OR_INDEXDOC - case OR_RODZAJDOC when 'F' then "
        "(select "
        "min(FV_INDEX) from Fv where FV_INDEXUSER=:p1) when 'K' then (select min(FVK_INDEX) from Fvk where "
        "FVK_INDEXUSER=:p2) else (select min(PZ_INDEX) from Pz where PZ_INDEXUSER=:p3) end, OR_INDEXOPLATY - "
        "(select "
        "min(O_INDEX) from Oplaty where O_INDEXUSER=:p4), OR_KWOTAROZLICZONA, OR_SPOZNIENIE) order by "
        "OR_INDEX "
        "separator '; ') from OplatyRozliczenia join Oplaty on O_INDEX=OR_INDEXOPLATY where O_INDEXUSER=:p5");
    EXPECT_EQ(Text(links, {all, all, all, all, all}), Text(links, {one, one, one, one, one}));
    EXPECT_FALSE(Text(links, {all, all, all, all, all}).isEmpty());
    const QString state = QStringLiteral(
        "select concat_ws(' ', U_SALDO, (select group_concat(O_KWOTADOROZLICZENIA order by O_INDEX) from "
        "Oplaty where "
        "O_INDEXUSER=U_INDEX), (select group_concat(FV_KWOTADOROZLICZENIA order by FV_INDEX) from Fv where "
        "FV_INDEXUSER=U_INDEX), (select group_concat(PZ_KWOTADOROZLICZENIA order by PZ_INDEX) from Pz where "
        "PZ_INDEXUSER=U_INDEX)) from Userdb where U_INDEX=:p1");
    EXPECT_EQ(Text(state, {all}), Text(state, {one}));
}
