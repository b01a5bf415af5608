// The payments list: its search over amounts and payment dates, the date
// filter by payment date, edit and delete through the rules (settlement,
// bank statement rows, log lines), the MT940 export and the summary.
#include "billing/OplatyLista.h"
#include "billing/ListyAkcje.h"
#include "billing/OplatyMt940.h"
#include "billing/Rozliczenia.h"
#include "core/DateTimePicker.h"
#include "core/DialogPL.h"
#include "core/Query.h"
#include "core/Session.h"
#include "printouts/DrukZestawienieOplat.h"
#include "tests/billing/BillingFixture.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

namespace {

class OplatyListaTest : public BillingTest
{
protected:
    void SetUp() override
    {
        BillingTest::SetUp();
        if (HasFatalFailure()) return;
        TMD::SetTestHook([](const TMD::Shown&) { return mrYes; });
        TMD::ClearRecorded();
        user = AddUser(1, 12);
        S()->ExecQuery(QStringLiteral("update Userdb set U_NAZWISKO=:p1, U_IMIE=:p2 where U_INDEX=:p3"),
                       {QStringLiteral("Żółć"), QStringLiteral("Łukasz"), user});
    }
    void TearDown() override
    {
        list.reset();
        TMD::ClearTestHook();
        BillingTest::TearDown();
    }
    int payment(const char* amount, const QDate& paid, const char* number, const QDate& added = QDate())
    {
        const int o = AddOplata(user, A(amount), paid);
        const QString text = QString::fromUtf8(number);
        S()->ExecQuery(
            QStringLiteral(
                "update Oplaty set O_NUMERTXT=:p1, O_NUMER=:p2, O_DATADODANIA=:p3 where O_INDEX=:p4"),
            {text, text.section(QLatin1Char('/'), 1, 1).toInt(),
             (added.isValid() ? added : paid).toString(Qt::ISODate), o});
        return o;
    }
    void openList()
    {
        list = std::make_unique<TFormOplatyLista>();
        list->DateFrom->SetChecked(false);
        list->DateTo->SetChecked(false);
        list->show();
    }
    int logged(const QString& pattern)
    {
        return Int(QStringLiteral("select count(*) from Log where LOG_OPIS like :p1"), {pattern});
    }

    int user = 0;
    std::unique_ptr<TFormOplatyLista> list;
};

TEST_F(OplatyListaTest, Mt940OfTwoPaymentsMatchesTheGoldenFile)
{
    payment("100.50", QDate(2025, 3, 5), "KP/1/2025");
    payment("49.50", QDate(2025, 3, 5), "KP/2/2025");
    openList();
    list->TitleClick(2); // by number, ascending
    QTemporaryDir dir;
    const QString path = WriteMt940File(
        Mt940Lines(*list->OpenCurrentStatement(), QDateTime(QDate(2025, 3, 10), QTime(9, 15, 0))),
        dir.path() + QLatin1Char('/'));
    QFile out(path), golden(QStringLiteral(ORLIX_SOURCE_DIR "/tests/data/mt940/oplaty_mt940.txt"));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLatin1(out.readAll()), QString::fromLatin1(golden.readAll()));
    EXPECT_TRUE(path.endsWith(QStringLiteral("/Oplaty_mt940.txt")));
}

TEST_F(OplatyListaTest, Mt940OfAnEmptyListHasTheHeaderAndAZeroBalance)
{
    openList();
    const QStringList lines =
        Mt940Lines(*list->OpenCurrentStatement(), QDateTime(QDate(2025, 3, 10), QTime(9, 15, 0)));
    EXPECT_EQ(lines, (QStringList{QStringLiteral(":20:1"), QStringLiteral(":28C:2025-03-10 09:15:00"),
                                  QStringLiteral(":60F:D250310PLN000000000000,00"),
                                  QStringLiteral(":62F:D250310PLN000000000000,00"), QStringLiteral("-")}));
}

TEST(OplatyListaAmounts, Mt940AmountFormat)
{
    const std::pair<Amount4, const char*> cases[] = {{Amount4::fromInt(150), "000000000150,00"},
                                                     {Amount4::fromRaw(1005000), "000000000100,50"},
                                                     {Amount4::fromRaw(-495000), "-000000000049,50"},
                                                     {Amount4{}, "000000000000,00"}};
    for (const auto& [amount, text] : cases)
        EXPECT_EQ(Mt940Amount(amount), QLatin1String(text));
}

TEST_F(OplatyListaTest, SummaryTitleAndTheListsStatement)
{
    EXPECT_EQ(TFormDrukZestawienieOplat::TitleFor(QDateTime(QDate(2025, 3, 5), QTime(14, 22, 11))),
              QStringLiteral("OPLATY_20250305142211"));
    payment("10", QDate(2025, 3, 5), "KP/1/2025");
    openList();
    list->CheckBoxDataWplaty->click();
    list->DateFrom->SetChecked(true);
    list->DateFrom->SetDate(QDate(2025, 3, 1));
    list->FillPaymentsSummary();
    TFormDrukZestawienieOplat* form = FormDrukZestawienieOplat();
    EXPECT_EQ(form->TotalText, QStringLiteral("RAZEM:   Pozycji 1  na kwotę 10,00 zł"));
    EXPECT_EQ(form->RangeText, QStringLiteral(" OD 2025-03-01  DO --- "));
    EXPECT_EQ(form->DateField, QStringLiteral("O_DATAWPLATY"));
    EXPECT_EQ(form->Sql, list->CurrentStatement().Sql);
}

TEST_F(OplatyListaTest, SearchFindsPaymentDatesAndAmountsAsText)
{
    payment("10", QDate(2025, 3, 5), "KP/1/2025");
    payment("20", QDate(2025, 3, 31), "KP/2/2025");
    payment("30", QDate(2025, 4, 1), "KP/3/2025");
    openList();
    list->Edit1->setText(QStringLiteral("2025-03"));
    list->TimerSzukajTimer();
    EXPECT_EQ(list->Query()->RecordCount(), 2);
    list->Edit1->setText(QStringLiteral("30.00"));
    list->TimerSzukajTimer();
    EXPECT_EQ(list->Query()->RecordCount(), 1);
}

TEST_F(OplatyListaTest, DatesApplyToTheDateAddedOrThePaymentDate)
{
    payment("10", QDate(2025, 3, 5), "KP/1/2025", QDate(2025, 4, 2));
    openList();
    list->DateFrom->SetChecked(true);
    list->DateFrom->SetDate(QDate(2025, 4, 1));
    EXPECT_EQ(list->Query()->RecordCount(), 1);
    list->CheckBoxDataWplaty->click();
    EXPECT_EQ(list->Query()->RecordCount(), 0);
}

TEST_F(OplatyListaTest, EditedDownToSixtyKeepsSixtySettledAndNothingOpen)
{
    const int fv = AddDoc('F', user, A("100"), QDate(2025, 3, 20));
    const int o = payment("100", QDate(2025, 3, 5), "KP/1/2025");
    ASSERT_TRUE(SettleOplata(o, user));
    ASSERT_TRUE(EditListedPayment(o, [&] {
        S()->ExecQuery(QStringLiteral("update Oplaty set O_KWOTA=60 where O_INDEX=:p1"), {o});
        return true;
    }));
    EXPECT_EQ(OplataOpen(o), A("0"));
    EXPECT_EQ(Money(QStringLiteral(
                        "select sum(OR_KWOTAROZLICZONA) from OplatyRozliczenia where OR_INDEXOPLATY=:p1"),
                    {o}),
              A("60"));
    EXPECT_EQ(DocOpen('F', fv), A("40"));
    EXPECT_EQ(logged(QStringLiteral("%Edycja wpłaty ID=") + QString::number(o) +
                     QStringLiteral(" dla użytkownika nr 12 na kwotę 60%")),
              1);
}

TEST_F(OplatyListaTest, CancelledEditRollsBackAndSaysSo)
{
    const int o = payment("100", QDate(2025, 3, 5), "KP/1/2025");
    EXPECT_FALSE(EditListedPayment(o, [&] {
        S()->ExecQuery(QStringLiteral("update Oplaty set O_KWOTA=60 where O_INDEX=:p1"), {o});
        return false;
    }));
    EXPECT_EQ(Money(QStringLiteral("select O_KWOTA from Oplaty where O_INDEX=:p1"), {o}), A("100"));
    EXPECT_EQ(
        logged(QStringLiteral("%Anulowana edycja wpłaty ID=") + QString::number(o) + QStringLiteral(" %")),
        1);
}

TEST_F(OplatyListaTest, DeleteFreesTheBankRowOnlyForAPostedPayment)
{
    const int fv = AddDoc('F', user, A("100"), QDate(2025, 3, 20));
    const int posted = payment("70", QDate(2025, 3, 5), "KP/1/2025");
    const int byHand = payment("30", QDate(2025, 3, 6), "KP/2/2025");
    ASSERT_TRUE(SettleUserOplaty(user));
    ASSERT_EQ(DocOpen('F', fv), A("0"));
    S()->ExecQuery(
        QStringLiteral("insert into PlatnosciMasowe (PM_INDEXOPLATA, PM_DATAKSIEGOWANIA) values (:p1, :p2)"),
        {posted, QStringLiteral("2025-03-05")});
    const int pm = Int(QStringLiteral("select last_insert_id()"));
    S()->ExecQuery(QStringLiteral("update Oplaty set O_INDEX_PM=:p1 where O_INDEX=:p2"), {pm, posted});

    ASSERT_TRUE(DeleteListedPayment(posted));
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Oplaty where O_INDEX=:p1"), {posted}), 0);
    EXPECT_EQ(
        Int(QStringLiteral("select count(*) from OplatyRozliczenia where OR_INDEXOPLATY=:p1"), {posted}), 0);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from PlatnosciMasowe where PM_INDEXOPLATA=:p1"), {posted}),
              0);
    EXPECT_EQ(DocOpen('F', fv), A("70"));
    EXPECT_EQ(logged(QStringLiteral("%Odksięgowanie rozliczenia powiązanej pozycji płatności masowych ID=") +
                     QString::number(pm) + QStringLiteral(" dla użytkownika nr 12%")),
              1);

    ASSERT_TRUE(DeleteListedPayment(byHand));
    EXPECT_EQ(DocOpen('F', fv), A("100"));
    EXPECT_EQ(logged(QStringLiteral("%Odksięgowanie rozliczenia%")), 1);
    EXPECT_EQ(logged(QStringLiteral("%Usunięcie wpłaty ID=%")), 2);
}

TEST_F(OplatyListaTest, WindowTotalsAndPicture)
{
    payment("100.50", QDate(2025, 3, 5), "KP/1/2025");
    payment("1000", QDate(2025, 3, 6), "KP/2/2025");
    openList();
    EXPECT_EQ(list->LabelSuma->text(), QStringLiteral("Pozycji 2  na kwotę 1 100,50 zł"));
    const QString dir = TestOutputDir(QStringLiteral("lists"));
    QDir().mkpath(dir);
    list->grab().save(QDir(dir).filePath(QStringLiteral("oplaty_lista.png")));
}

} // namespace
