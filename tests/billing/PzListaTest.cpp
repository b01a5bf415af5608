// The payment demand list: edit settles again as a demand and logs it; the
// cash filter and the search combine; the window draws finished.
#include "billing/PzLista.h"
#include "billing/ListyAkcje.h"
#include "core/DateTimePicker.h"
#include "core/DialogPL.h"
#include "core/Query.h"
#include "tests/billing/BillingFixture.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {

class PzListaTest : public BillingTest
{
protected:
    void SetUp() override
    {
        BillingTest::SetUp();
        if (HasFatalFailure()) return;
        TMD::SetTestHook([](const TMD::Shown&) { return mrYes; });
        user = AddUser(1, 4);
    }
    void TearDown() override
    {
        TMD::ClearTestHook();
        BillingTest::TearDown();
    }
    int user = 0;
};

TEST_F(PzListaTest, EditSettlesAgainAsADemandAndLogsIt)
{
    const int pz = AddDoc('P', user, A("50"), QDate(2025, 1, 15));
    const int o = AddOplata(user, A("50"), QDate(2025, 1, 10));
    EXPECT_EQ(DocumentEditRefusal('P', pz), QString());
    ASSERT_TRUE(EditListedDocument(
        'P', pz, user, [] { return true; }, QStringLiteral("Edycja polecenia zapłaty ID=")));
    EXPECT_EQ(DocOpen('P', pz), A("0"));
    EXPECT_EQ(OplataOpen(o), A("0"));
    EXPECT_EQ(Text(QStringLiteral("select OR_RODZAJDOC from OplatyRozliczenia where OR_INDEXDOC=:p1"), {pz}),
              QStringLiteral("P"));
    EXPECT_EQ(
        Int(QStringLiteral("select count(*) from Log where LOG_OPIS like :p1"),
            {QStringLiteral("%Edycja polecenia zapłaty ID=") + QString::number(pz) + QStringLiteral(" %")}),
        1);
    // Cancelled: nothing of the withdrawal stays.
    EXPECT_FALSE(EditListedDocument(
        'P', pz, user, [] { return false; }, QStringLiteral("x")));
    EXPECT_EQ(DocOpen('P', pz), A("0"));
}

TEST_F(PzListaTest, CashFilterAndSearchCombine)
{
    const QDate today = QDate::currentDate();
    const int a = AddDoc('P', user, A("10"), today, QStringLiteral("1/01/2025"), today);
    const int b = AddDoc('P', user, A("20"), today, QStringLiteral("2/01/2025"), today);
    AddDoc('P', user, A("30"), today, QStringLiteral("3/01/2025"), today);
    S()->ExecQuery(QStringLiteral("update Pz set PZ_FORMAPLATNOSCI=:p1 where PZ_INDEX in (:p2, :p3)"),
                   {QStringLiteral("gotówka"), a, b});
    TFormPzLista list;
    list.show();
    EXPECT_EQ(list.Query()->RecordCount(), 3);
    QTest::mouseClick(list.CheckBoxGotowkowe, Qt::LeftButton);
    EXPECT_EQ(list.Query()->RecordCount(), 2);
    list.Edit1->setText(QStringLiteral("2/01"));
    list.TimerSzukajTimer();
    EXPECT_EQ(list.Query()->RecordCount(), 1);
    EXPECT_EQ(list.CurrentKey(), b);
    EXPECT_EQ(list.LabelSuma->text(), QStringLiteral("Pozycji 1 ; Do rozliczenia 20,00 zł z 20,00 zł"));
    const QString dir = TestOutputDir(QStringLiteral("lists"));
    QDir().mkpath(dir);
    list.grab().save(QDir(dir).filePath(QStringLiteral("pz_lista.png")));
}

} // namespace
