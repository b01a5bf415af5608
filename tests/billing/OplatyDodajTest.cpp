// Payments at the desk as the operator makes them: the payment dialog shown
// by AddOplata and EditOplata inside one transaction, the payout and zero
// refusals, numbering on a date change, and what editing, deleting and
// re-settling do to the links between payments and documents.
#include "billing/OplatyDodaj.h"
#include "billing/Numeracja.h"
#include "billing/OplatyDane.h"
#include "billing/Rozliczenia.h"
#include "core/DateTimePicker.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Query.h"
#include "core/Session.h"
#include "tests/billing/BillingFixture.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

class OplatyDodajTest : public BillingTest
{
protected:
    void SetUp() override
    {
        BillingTest::SetUp();
        if (HasFatalFailure()) return;
        OperatorRightsLevel = 0;
        WriteIniBool(OperatorId, QStringLiteral("AutomatycznyWydrukKP"), false);
        TMD::SetTestHook(
            [this](const TMD::Shown&) { return answers.isEmpty() ? mrOk : answers.takeFirst(); });
        TMD::ClearRecorded();
        dlg = FormOplatyDodaj();
        dlg->LastPaymentForm.clear();
        dlg->LastPaymentDate = QDate();
    }
    void TearDown() override
    {
        TMD::ClearTestHook();
        TMD::ClearRecorded();
        BillingTest::TearDown();
    }

    // Runs Steps on the dialog once it shows; "Anuluj" closes it when the steps left it open.
    void onDialog(const std::function<void()>& steps)
    {
        QTimer::singleShot(0, dlg, [this, steps] {
            shownAmount = dlg->Kwota->text();
            shownForm = dlg->FormaPlatnosci->currentText();
            shownDate = dlg->DataWplaty->Date();
            steps();
            if (dlg->isVisible()) QTest::mouseClick(dlg->AnulujBtn, Qt::LeftButton);
        });
    }
    void typeAmount(const QString& amount)
    {
        dlg->Kwota->setText(amount);
        QTest::mouseClick(dlg->ZapiszBtn, Qt::LeftButton);
    }
    int payments(int user)
    {
        return Int(QStringLiteral("select count(*) from Oplaty where O_INDEXUSER=:p1"), {user});
    }
    int lastPayment(int user)
    {
        return Int(QStringLiteral("select max(O_INDEX) from Oplaty where O_INDEXUSER=:p1"), {user});
    }
    QStringList shown() const
    {
        QStringList out;
        for (const TMD::Shown& s : TMD::Recorded())
            out << s.text;
        return out;
    }

    TFormOplatyDodaj* dlg = nullptr;
    QList<int> answers;
    QString shownAmount, shownForm;
    QDate shownDate;
};

} // namespace

TEST(OplatyDodajReguly, ProposedAmountAndCloseCheck)
{
    EXPECT_EQ(ProposedOplataAmount(A("-150.00"), A("59.00")), A("150.00")); // the debt
    EXPECT_EQ(ProposedOplataAmount(A("20.00"), A("59.00")), A("59.00"));    // the subscription
    EXPECT_EQ(ProposedOplataAmount(A("0"), A("59.00")), A("59.00"));
    struct Case
    {
        const char* amount;
        const char* saldo;
        const char* refusal;
    } cases[] = {
        {"0", "0", "Wpłata musi mieć wartość wiekszą od zera."},
        {"-50", "30", "Wypłata przekracza wartość aktualnej nadpłaty na koncie klienta."},
        {"-50", "50", ""},
        {"-50", "-10", "Wypłata przekracza wartość aktualnej nadpłaty na koncie klienta."},
        {"10", "-100", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckOplataClose(A(c.amount), A(c.saldo)), QString::fromUtf8(c.refusal)) << c.amount;
    const QDate today(2026, 3, 10);
    EXPECT_EQ(OplataDateNotInFuture(QDate(2026, 3, 11), today), today);
    EXPECT_EQ(OplataDateNotInFuture(QDate(2026, 3, 1), today), QDate(2026, 3, 1));
}

TEST_F(OplatyDodajTest, DebtIsProposedAndTheNewPaymentPaysTheInvoice)
{
    const int u = AddUser(1, 7);
    const int fv = AddDoc('F', u, A("150.00"), QDate(2025, 1, 15));
    S()->ExecQuery(QStringLiteral("update Userdb set U_SALDO=-150, U_KWOTAABONAMENTU=59 where U_INDEX=:p1"),
                   {u});
    const QString dir = TestOutputDir(QStringLiteral("billing"));
    QDir().mkpath(dir);
    onDialog([&] {
        EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Dodawanie nowej wpłaty"));
        EXPECT_TRUE(dlg->grab().save(QDir(dir).filePath(QStringLiteral("oplaty_dodaj.png"))));
        QTest::mouseClick(dlg->ZapiszBtn, Qt::LeftButton);
    });
    ::AddOplata(u);
    EXPECT_FALSE(S()->InTransaction());
    EXPECT_EQ(shownAmount, QStringLiteral("150,00"));
    EXPECT_EQ(shownForm, QStringLiteral("gotówka"));
    const int o = lastPayment(u);
    ASSERT_GT(o, 0);
    EXPECT_EQ(Money(QStringLiteral("select O_KWOTA from Oplaty where O_INDEX=:p1"), {o}), A("150.00"));
    EXPECT_EQ(OplataOpen(o), A("0"));
    EXPECT_EQ(DocOpen('F', fv), A("0"));
    EXPECT_EQ(Text(QStringLiteral("select O_NUMERTXT from Oplaty where O_INDEX=:p1"), {o}),
              OplataNumberText(1, 1, QDate::currentDate()));
    EXPECT_EQ(Text(QStringLiteral("select O_UWAGI from Oplaty where O_INDEX=:p1"), {o}),
              QStringLiteral("Opłata za internet"));
}

TEST_F(OplatyDodajTest, SecondNewPaymentKeepsTheFirstOnesFormAndDate)
{
    S()->ExecQuery(QStringLiteral("insert into FormyPlatnosci (FP_NAZWA) values ('gotówka'), ('przelew')"));
    const int u = AddUser(1, 8);
    const QDate first = QDate::currentDate().addDays(-1);
    onDialog([&] {
        dlg->FormaPlatnosci->setCurrentIndex(dlg->FormaPlatnosci->findText(QStringLiteral("przelew")));
        dlg->DataWplaty->SetDate(first);
        typeAmount(QStringLiteral("20"));
    });
    ::AddOplata(u);
    onDialog([&] { typeAmount(QStringLiteral("30")); });
    ::AddOplata(u);
    EXPECT_EQ(shownForm, QStringLiteral("przelew"));
    EXPECT_EQ(shownDate, first);
    EXPECT_EQ(
        Int(QStringLiteral("select count(*) from Oplaty where O_INDEXUSER=:p1 and O_FORMAPLATNOSCI='przelew' "
                           "and O_DATAWPLATY=:p2"),
            {u, first.toString(Qt::ISODate)}),
        2);
}

TEST_F(OplatyDodajTest, ZeroAndTooLargePayoutAreRefusedAndTheDialogStays)
{
    const int u = AddUser(1, 9);
    S()->ExecQuery(QStringLiteral("update Userdb set U_SALDO=30 where U_INDEX=:p1"), {u});
    bool openAfterZero = false, openAfterPayout = false;
    onDialog([&] {
        typeAmount(QStringLiteral("0"));
        openAfterZero = dlg->isVisible();
        typeAmount(QStringLiteral("-50"));
        openAfterPayout = dlg->isVisible();
    });
    ::AddOplata(u);
    EXPECT_TRUE(openAfterZero);
    EXPECT_TRUE(openAfterPayout);
    EXPECT_EQ(
        shown(),
        (QStringList{QStringLiteral("Wpłata musi mieć wartość wiekszą od zera."),
                     QStringLiteral("Wypłata przekracza wartość aktualnej nadpłaty na koncie klienta.")}));
    // Cancelled: the row the dialog inserted is gone, and so is its number.
    EXPECT_EQ(payments(u), 0);
    EXPECT_FALSE(S()->InTransaction());

    S()->ExecQuery(QStringLiteral("update Userdb set U_SALDO=50 where U_INDEX=:p1"), {u});
    onDialog([&] { typeAmount(QStringLiteral("-50")); });
    ::AddOplata(u);
    const int o = lastPayment(u);
    ASSERT_GT(o, 0);
    EXPECT_EQ(Money(QStringLiteral("select O_KWOTA from Oplaty where O_INDEX=:p1"), {o}), A("-50"));
    EXPECT_EQ(OplataOpen(o), A("0"));
    EXPECT_EQ(Text(QStringLiteral("select O_NUMERTXT from Oplaty where O_INDEX=:p1"), {o}),
              OplataNumberText(1, 1, QDate::currentDate()));
}

TEST_F(OplatyDodajTest, MonthChangeRenumbersAndFutureDateGoesBackToToday)
{
    const int u = AddUser(1, 10);
    const QDate today = QDate::currentDate();
    const QDate lastMonth = today.addMonths(-1);
    // Two payments already numbered in last month.
    for (int n : {1, 2})
        S()->ExecQuery(
            QStringLiteral("insert into Oplaty (O_INDEXUSER, O_NUMER, O_NUMERTXT, O_KWOTA, O_DATAWPLATY, "
                           "O_PODMIOT) values (:p1, :p2, :p3, 10, :p4, 1)"),
            {u, n, OplataNumberText(n, 1, lastMonth), lastMonth.toString(Qt::ISODate)});
    TTransactionGuard guard(S());
    TOplataDane o;
    o.InsertNew(u, QString(), QDate());
    EXPECT_EQ(o.Numer, 1);
    o.SetDate(lastMonth);
    EXPECT_EQ(o.Numer, 3);
    EXPECT_EQ(o.NumerTxt, OplataNumberText(3, 1, lastMonth));
    EXPECT_EQ(Text(QStringLiteral("select O_NUMERTXT from Oplaty where O_INDEX=:p1"), {o.Index}),
              OplataNumberText(3, 1, lastMonth));
    EXPECT_FALSE(o.NumberTaken());
    o.SetNumber(2);
    EXPECT_TRUE(o.NumberTaken()); // shown red
    o.SetDate(today.addDays(3));
    EXPECT_EQ(o.DataWplaty, today);
    EXPECT_EQ(o.Numer, 1);
}

TEST_F(OplatyDodajTest, LoweredAmountWithdrawsFromTheNewestLinks)
{
    const int u = AddUser(1, 11);
    const int older = AddDoc('F', u, A("40.00"), QDate(2025, 1, 15), QStringLiteral("FV/1/2025"));
    const int newer = AddDoc('F', u, A("40.00"), QDate(2025, 2, 15), QStringLiteral("FV/2/2025"));
    const int o = AddOplata(u, A("100.00"), QDate(2025, 3, 1));
    ASSERT_TRUE(SettleOplata(o, u));
    ASSERT_EQ(OplataOpen(o), A("20.00"));
    onDialog([&] {
        EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Edycja wpłaty"));
        typeAmount(QStringLiteral("30"));
    });
    EditOplata(o);
    EXPECT_FALSE(S()->InTransaction());
    // 80 linked, 30 left: the newer invoice gives back all, the older 10.
    EXPECT_EQ(DocOpen('F', newer), A("40.00"));
    EXPECT_EQ(DocOpen('F', older), A("10.00"));
    EXPECT_EQ(OplataOpen(o), A("0"));
}

TEST_F(OplatyDodajTest, DateChangeMovesTheLinksAndTheirLateness)
{
    const int u = AddUser(1, 12);
    const QDate due = QDate::currentDate().addDays(-30);
    AddDoc('F', u, A("50.00"), due);
    const QDate paid = QDate::currentDate().addDays(-20);
    const int o = AddOplata(u, A("50.00"), paid);
    ASSERT_TRUE(SettleOplata(o, u));
    ASSERT_EQ(
        Int(QStringLiteral("select OR_SPOZNIENIE from OplatyRozliczenia where OR_INDEXOPLATY=:p1"), {o}), 10);
    const QDate moved = QDate::currentDate().addDays(-25);
    onDialog([&] {
        dlg->DataWplaty->SetDate(moved);
        QTest::mouseClick(dlg->ZapiszBtn, Qt::LeftButton);
    });
    EditOplata(o);
    EXPECT_EQ(
        Text(QStringLiteral("select OR_DATAROZLICZENIA from OplatyRozliczenia where OR_INDEXOPLATY=:p1"),
             {o}),
        moved.toString(Qt::ISODate));
    EXPECT_EQ(
        Int(QStringLiteral("select OR_SPOZNIENIE from OplatyRozliczenia where OR_INDEXOPLATY=:p1"), {o}), 5);
}

TEST_F(OplatyDodajTest, FailedSettlementAfterAnEditLeavesThePaymentAsItWas)
{
    const int u = AddUser(1, 13);
    AddDoc('F', u, A("100.00"), QDate(2025, 1, 15));
    const int o = AddOplata(u, A("30.00"), QDate(2025, 3, 1));
    ASSERT_TRUE(SettleOplata(o, u));
    // The raised amount would need a new link, which the server refuses.
    S()->ExecQuery(QStringLiteral("create trigger OrRefuse before insert on OplatyRozliczenia for each row "
                                  "signal sqlstate '45000' set message_text='odmowa'"));
    onDialog([&] { typeAmount(QStringLiteral("100")); });
    EditOplata(o);
    EXPECT_FALSE(S()->InTransaction());
    EXPECT_EQ(Money(QStringLiteral("select O_KWOTA from Oplaty where O_INDEX=:p1"), {o}), A("30.00"));
    EXPECT_EQ(OplataOpen(o), A("0"));
    EXPECT_TRUE(
        shown().join(QLatin1Char('|')).contains(QStringLiteral("Zmiany wpłaty nie zostały zapisane")));
    // The log line carries the operator and the workstation around the text.
    EXPECT_TRUE(
        Text(QStringLiteral("select LOG_OPIS from Log order by LOG_INDEX desc limit 1"))
            .contains(QStringLiteral("Błąd księgowania po edycji wpłaty ID:%1 dla użytkownika nr 13 na kwotę "
                                     "100.00")
                          .arg(o)));
}

TEST_F(OplatyDodajTest, DeletingABankPostedPaymentFreesItsLine)
{
    const int u = AddUser(1, 14);
    const int fv = AddDoc('F', u, A("60.00"), QDate(2025, 1, 15));
    const int o = AddOplata(u, A("60.00"), QDate(2025, 3, 1));
    ASSERT_TRUE(SettleOplata(o, u));
    S()->ExecQuery(
        QStringLiteral("insert into PlatnosciMasowe (PM_INDEXUSER, PM_INDEXOPLATA, PM_KWOTA, PM_DATABANK, "
                       "PM_DATAIMPORTU, PM_DATAKSIEGOWANIA) values (:p1, :p2, 60, '2025-03-01', "
                       "'2025-03-01', '2025-03-01')"),
        {u, o});
    const int pm = Int(QStringLiteral("select last_insert_id()"));
    S()->ExecQuery(QStringLiteral("update Oplaty set O_INDEX_PM=:p1 where O_INDEX=:p2"), {pm, o});
    answers = {mrYes};
    DeleteOplata(o);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Oplaty where O_INDEX=:p1"), {o}), 0);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from OplatyRozliczenia where OR_INDEXOPLATY=:p1"), {o}), 0);
    EXPECT_EQ(
        Int(QStringLiteral("select coalesce(PM_INDEXOPLATA, 0) from PlatnosciMasowe where PM_INDEX=:p1"),
            {pm}),
        0);
    EXPECT_TRUE(Text(QStringLiteral("select coalesce(PM_DATAKSIEGOWANIA, '') from PlatnosciMasowe where "
                                    "PM_INDEX=:p1"),
                     {pm})
                    .startsWith(QStringLiteral("0000"), Qt::CaseInsensitive) ||
                Text(QStringLiteral("select coalesce(PM_DATAKSIEGOWANIA, '') from PlatnosciMasowe where "
                                    "PM_INDEX=:p1"),
                     {pm})
                    .isEmpty());
    EXPECT_EQ(DocOpen('F', fv), A("60.00"));
}

TEST_F(OplatyDodajTest, ResettleAllSpreadsThePaymentsAgainOldestFirst)
{
    const int u = AddUser(1, 15);
    const int a = AddDoc('F', u, A("50.00"), QDate(2025, 1, 15));
    const int b = AddDoc('F', u, A("50.00"), QDate(2025, 2, 15));
    const int o = AddOplata(u, A("70.00"), QDate(2025, 3, 1));
    // A link written by hand to the newer invoice only.
    S()->ExecQuery(QStringLiteral("insert into OplatyRozliczenia (OR_INDEXOPLATY, OR_INDEXDOC, OR_RODZAJDOC, "
                                  "OR_KWOTAROZLICZONA) values (:p1, :p2, 'F', 50)"),
                   {o, b});
    S()->ExecQuery(
        QStringLiteral("update Fv set FV_KWOTADOROZLICZENIA=0, FV_KWOTAROZLICZONA=50 where FV_INDEX=:p1"),
        {b});
    S()->ExecQuery(QStringLiteral("update Oplaty set O_KWOTADOROZLICZENIA=20 where O_INDEX=:p1"), {o});
    EXPECT_TRUE(ResettleUserOplaty(u));
    EXPECT_EQ(DocOpen('F', a), A("0"));
    EXPECT_EQ(DocOpen('F', b), A("30.00"));
    EXPECT_EQ(OplataOpen(o), A("0"));
}
