#include "payments/KsiegowaniePm.h"
#include "billing/FvAutomatDane.h"
#include "core/DbError.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Query.h"
#include "tests/payments/PmFixture.h"
#include "tests/support/OtherWorkstation.h"

namespace {

class PmPostingTest : public PmTest
{
protected:
    // A matched unposted bank row; returns PM_INDEX.
    int AddPmRow(int user, Amount4 amount, const QDate& bank, const QString& account = QString())
    {
        const TExecResult r = S()->ExecQuery(
            QStringLiteral(
                "insert into PlatnosciMasowe (PM_INDEXUSER, PM_KWOTA, PM_DATABANK, PM_DATAIMPORTU, "
                "PM_NUMERRACHUNKU, PM_DATAKSIEGOWANIA) values (:p1, :p2, :p3, CURDATE(), :p4, "
                "'0000-00-00')"),
            {user, amount, bank.toString(Qt::ISODate), account});
        return int(r.InsertId);
    }
    QString Posted(int pm)
    {
        return Text(QStringLiteral("select PM_DATAKSIEGOWANIA from PlatnosciMasowe where PM_INDEX=:p1"),
                    {pm});
    }
    int PaymentOf(int pm)
    {
        return Int(QStringLiteral("select PM_INDEXOPLATA from PlatnosciMasowe where PM_INDEX=:p1"), {pm});
    }
    QString NumberText(int pm)
    {
        return Text(QStringLiteral("select O_NUMERTXT from Oplaty where O_INDEX_PM=:p1"), {pm});
    }
    Amount4 DocOpen(int fv)
    {
        return Money(QStringLiteral("select FV_KWOTADOROZLICZENIA from Fv where FV_INDEX=:p1"), {fv});
    }
};

} // namespace

TEST_F(PmPostingTest, SubscribersRowsArePostedOldestFirstAgainstFreshArrears)
{
    const int u = AddUser(7, SubAccount(7));
    const int older = AddInvoice(u, Zl("100"), QDate(2025, 2, 10));
    const int newer = AddInvoice(u, Zl("50"), QDate(2025, 3, 10));
    const int late = AddPmRow(u, Zl("50"), QDate(2025, 3, 5));
    const int early = AddPmRow(u, Zl("100"), QDate(2025, 3, 1));
    const int stranger = AddPmRow(0, Zl("10"), QDate(2025, 3, 1));
    EXPECT_EQ(PostAllPm(), 2);
    EXPECT_EQ(NumberText(early), QStringLiteral("1/3/2025")) << "the older bank date is posted first";
    EXPECT_EQ(NumberText(late), QStringLiteral("2/3/2025"));
    EXPECT_EQ(DocOpen(older), Zl("0"));
    EXPECT_EQ(DocOpen(newer), Zl("0"));
    EXPECT_EQ(Int(QStringLiteral("select OR_INDEXDOC from OplatyRozliczenia where OR_INDEXOPLATY=:p1"),
                  {PaymentOf(early)}),
              older);
    EXPECT_EQ(Int(QStringLiteral("select OR_INDEXDOC from OplatyRozliczenia where OR_INDEXOPLATY=:p1"),
                  {PaymentOf(late)}),
              newer);
    EXPECT_EQ(Posted(stranger), QString()) << "an unmatched row is skipped (the empty date)";
    EXPECT_EQ(
        Text(QStringLiteral("select concat(O_UWAGI, '|', O_FORMAPLATNOSCI, '|', O_DATAWPLATY, '|', O_KWOTA) "
                            "from Oplaty where O_INDEX_PM=:p1"),
             {early}),
        QStringLiteral("PM_automat: %1|przelew|2025-03-01|100.00").arg(early));
    EXPECT_EQ(Posted(early), QDate::currentDate().toString(Qt::ISODate));
    EXPECT_EQ(Money(QStringLiteral("select U_SALDO from Userdb where U_INDEX=:p1"), {u}), Zl("0"))
        << "the balance is recomputed in the posting's transaction";
    EXPECT_FALSE(PostPmRow(stranger));
}

TEST_F(PmPostingTest, PaymentIsNumberedInTheMonthOfItsBankDate)
{
    const int u = AddUser(7, SubAccount(7));
    const int pm = AddPmRow(u, Zl("20"), QDate(2025, 2, 28));
    ASSERT_TRUE(PostPmRow(pm));
    EXPECT_EQ(NumberText(pm), QStringLiteral("1/2/2025"));
    EXPECT_FALSE(PostPmRow(pm)) << "a posted row is not posted twice";
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Oplaty")), 1);
}

TEST_F(PmPostingTest, PostedRowRemembersWhetherItsSubscriberWasActive)
{
    const int active = AddUser(7, SubAccount(7));
    const int inactive = AddUser(8, SubAccount(8), QString(), false);
    const int a = AddPmRow(active, Zl("20"), QDate(2025, 2, 28));
    const int b = AddPmRow(inactive, Zl("20"), QDate(2025, 2, 28));
    ASSERT_TRUE(PostPmRow(a));
    ASSERT_TRUE(PostPmRow(b));
    const QString sql = QStringLiteral("select PM_NAAKTYWNEGO from PlatnosciMasowe where PM_INDEX=:p1");
    EXPECT_EQ(Int(sql, {a}), 1);
    EXPECT_EQ(Int(sql, {b}), 0);
}

TEST_F(PmPostingTest, UnpostingReopensDocumentsAndPostingAgainTakesTheNextNumber)
{
    const int u = AddUser(7, SubAccount(7));
    const int fv = AddInvoice(u, Zl("100"), QDate(2025, 2, 10));
    const int a = AddPmRow(u, Zl("60"), QDate(2025, 3, 1));
    const int b = AddPmRow(u, Zl("40"), QDate(2025, 3, 2));
    ASSERT_EQ(PostAllPm(), 2);
    const int paymentA = PaymentOf(a);
    ASSERT_TRUE(UnpostPmRow(a));
    EXPECT_EQ(Posted(a), QString());
    EXPECT_EQ(PaymentOf(a), 0);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Oplaty where O_INDEX=:p1"), {paymentA}), 0);
    EXPECT_EQ(
        Int(QStringLiteral("select count(*) from OplatyRozliczenia where OR_INDEXOPLATY=:p1"), {paymentA}),
        0);
    EXPECT_EQ(DocOpen(fv), Zl("60"));
    ASSERT_TRUE(PostPmRow(a));
    EXPECT_EQ(NumberText(a), QStringLiteral("3/3/2025"));
    EXPECT_EQ(DocOpen(fv), Zl("0"));
    EXPECT_EQ(NumberText(b), QStringLiteral("2/3/2025"));
}

TEST_F(PmPostingTest, NothingStaysPostedWithoutSaving)
{
    const int u = AddUser(7, SubAccount(7));
    AddPmRow(u, Zl("20"), QDate(2025, 3, 1));
    S()->StartTransaction();
    EXPECT_EQ(PostAllPm(), 1);
    S()->Rollback();
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Oplaty")), 0);
    EXPECT_EQ(
        Int(QStringLiteral("select count(*) from PlatnosciMasowe where PM_DATAKSIEGOWANIA<>'0000-00-00'")),
        0);
}

TEST_F(PmPostingTest, PaidInvoiceFollowsAndItsFailureUndoesTheRowsPosting)
{
    const int u = AddUser(7, SubAccount(7));
    S()->ExecQuery(QStringLiteral("update Userdb set U_AUTOMATYCZNEFAKTURY=3 where U_INDEX=:p1"), {u});
    const int pm = AddPmRow(u, Zl("61.50"), QDate(2025, 3, 1));
    {
        TOtherWorkstation run(QStringLiteral("ws2"), DatabaseName());
        ASSERT_EQ(run.session->GetQueryValueAsInteger(QStringLiteral("select GET_LOCK(:p1, 1)"),
                                                      {FvAutomatLockName()}),
                  1);
        EXPECT_THROW(PostPmRow(pm), EDatabaseError);
        EXPECT_EQ(Posted(pm), QString());
        EXPECT_EQ(Int(QStringLiteral("select count(*) from Oplaty")), 0);
    }
    ASSERT_TRUE(PostPmRow(pm));
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Fv where FV_UWAGI=:p1 and FV_INDEXUSER=:p2"),
                  {QStringLiteral("PM_automat: %1").arg(pm), u}),
              1);
}

TEST_F(PmPostingTest, PostedRowIsNotDeletedUntilUnposted)
{
    const int u = AddUser(7, SubAccount(7));
    const int pm = AddPmRow(u, Zl("20"), QDate(2025, 3, 1));
    ASSERT_TRUE(PostPmRow(pm));
    EXPECT_FALSE(DeletePmRow(pm));
    EXPECT_EQ(Int(QStringLiteral("select count(*) from PlatnosciMasowe")), 1);
    ASSERT_TRUE(UnpostPmRow(pm));
    EXPECT_TRUE(DeletePmRow(pm));
    EXPECT_EQ(Int(QStringLiteral("select count(*) from PlatnosciMasowe")), 0);
}

TEST_F(PmPostingTest, ByHandMarkingBulkUnpostingAndClearingUnposted)
{
    const int u = AddUser(7, SubAccount(7));
    const int fv = AddInvoice(u, Zl("100"), QDate(2025, 2, 10));
    const int hand = AddPmRow(u, Zl("5"), QDate(2025, 3, 1));
    const int a = AddPmRow(u, Zl("30"), QDate(2025, 3, 1));
    const int b = AddPmRow(u, Zl("20"), QDate(2025, 3, 2));
    const int left = AddPmRow(0, Zl("1"), QDate(2025, 3, 2));
    MarkPmPostedByHand(hand);
    EXPECT_EQ(PaymentOf(hand), 0);
    EXPECT_EQ(PostAllPm(), 2);
    EXPECT_EQ(DocOpen(fv), Zl("50"));
    EXPECT_EQ(UnpostPmByImportDate(QDate::currentDate().toString(Qt::ISODate)), 3);
    EXPECT_EQ(DocOpen(fv), Zl("100"));
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Oplaty")), 0);
    (void)a;
    (void)b;
    (void)left;
    EXPECT_EQ(DeleteUnpostedPm(), 4);
}
