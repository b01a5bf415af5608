// The window of the automatic run driven as an operator drives it.
#include "billing/FvAutomat.h"
#include "core/DateTimePicker.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/Funkcje2.h"
#include "tests/billing/FvAutomatFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

class FvAutomatWindowTest : public FvAutomatTestBase
{
protected:
    void SetUp() override
    {
        FvAutomatTestBase::SetUp();
        if (HasFatalFailure()) return;
        TMD::SetTestHook([](const TMD::Shown&) { return mrYes; });
        TMD::ClearRecorded();
        S()->ExecQuery(
            QStringLiteral("insert into FormyPlatnosci (FP_NAZWA) values ('gotówka'), ('przelew')"));
        MainUserWhere = QStringLiteral(" WHERE U_INDEX > 0 ");
        MainUserOrderBy = QStringLiteral(" order by U_INDEX");
    }
    void TearDown() override
    {
        TMD::ClearTestHook();
        TMD::ClearRecorded();
        MainUserWhere.clear();
        MainUserOrderBy.clear();
        FvAutomatTestBase::TearDown();
    }
};

TEST_F(FvAutomatWindowTest, InputsRulesAndTheRun)
{
    WriteIniString(0, QStringLiteral("TFormFvAutomatDni"), QStringLiteral("7"));
    WriteIniInteger(0, QStringLiteral("TFormFvAutomatRadioGroup1"), 1);
    const int u = Billed(1);
    Item(u, QStringLiteral("Internet"), "61.50");

    TFormFvAutomat w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const QDate today = QDate::currentDate();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Automatyczne generowanie dokumentów"));
    EXPECT_EQ(w.DateTimePicker1->Date(), today);
    EXPECT_EQ(w.DateTimePicker1->DateEdit()->maximumDate(), today);
    EXPECT_EQ(w.DateTimePicker2->Date(), today.addDays(7));
    EXPECT_EQ(w.Label4->text(), QStringLiteral("7 dni"));
    EXPECT_EQ(w.ComboBox1->currentText(), QStringLiteral("przelew"));
    EXPECT_EQ(w.ComboBox2->currentText(), QStringLiteral("FIR"));
    EXPECT_EQ(w.ComboBox3->currentText(), QStringLiteral("wszystkie"));
    EXPECT_TRUE(w.CheckBox2->isChecked());
    EXPECT_EQ(w.RadioGroup1Index(), 1);
    EXPECT_FALSE(w.Gauge1->isVisible());

    // Typing does not change the combos; Enter moves on from the payment form.
    w.ComboBox3->setFocus();
    QTest::keyClick(w.ComboBox3, Qt::Key_Down);
    QTest::keyClick(w.ComboBox2, Qt::Key_Down);
    EXPECT_EQ(w.ComboBox3->currentIndex(), 0);
    EXPECT_EQ(w.ComboBox2->currentIndex(), 0);
    w.ComboBox1->setFocus();
    QTest::keyClick(w.ComboBox1, Qt::Key_Return);
    EXPECT_FALSE(w.ComboBox1->hasFocus());

    // The dates keep their order and the day count follows.
    w.DateTimePicker1->SetDate(today.addDays(-20));
    EXPECT_EQ(w.Label4->text(), QStringLiteral("27 dni"));
    w.DateTimePicker2->SetDate(today.addDays(-30));
    EXPECT_EQ(w.DateTimePicker1->Date(), today.addDays(-30));
    EXPECT_EQ(w.Label4->text(), QStringLiteral("0 dni"));
    w.DateTimePicker2->SetDate(today.addDays(-16));
    w.DateTimePicker1->SetDate(today.addDays(-2));
    EXPECT_EQ(w.DateTimePicker2->Date(), today.addDays(-2));
    w.DateTimePicker2->SetDate(today.addDays(12));

    // The suffix controls follow the box.
    QTest::mouseClick(w.CheckBox2, Qt::LeftButton);
    EXPECT_FALSE(w.RadioGroup1->isEnabled());
    EXPECT_FALSE(w.Edit1->isEnabled());
    QTest::mouseClick(w.CheckBox2, Qt::LeftButton);
    EXPECT_TRUE(w.Edit1->isEnabled());
    w.RadioButtons[2]->setChecked(true);
    QTest::keyClicks(w.Edit1, QStringLiteral("abonament"));
    w.ComboBox1->setCurrentText(QStringLiteral("gotówka"));
    QTest::mouseClick(w.CheckBox1, Qt::LeftButton);

    const QString dir = TestOutputDir(QStringLiteral("fvautomat"));
    ASSERT_TRUE(QDir().mkpath(dir));
    EXPECT_TRUE(w.grab().save(QDir(dir).filePath(QStringLiteral("fvautomat.png"))));

    QTest::mouseClick(w.OkBtn, Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    ASSERT_EQ(Count(QStringLiteral("Fv")), 1);
    EXPECT_EQ(
        Text(QStringLiteral("select concat_ws('|', FV_DATAWYSTAWIENIA, FV_DATAPLATNOSCI, FV_FORMAPLATNOSCI, "
                            "FV_GTU_EE) from Fv")),
        QStringLiteral("%1|%2|gotówka|1")
            .arg(today.addDays(-2).toString(Qt::ISODate), today.addDays(12).toString(Qt::ISODate)));
    EXPECT_EQ(Text(QStringLiteral("select FVP_NAZWAUSLUGI from FvPozycje")),
              QStringLiteral("Internet abonament"));
    ASSERT_GE(TMD::Recorded().size(), 2);
    EXPECT_TRUE(TMD::Recorded().last().text.startsWith(QStringLiteral("Wygenerowano i rozliczono 1 faktur")));

    // What was typed comes back next time.
    const TFvAutomatRemembered r = ReadFvAutomatRemembered();
    EXPECT_EQ(r.days, 14);
    EXPECT_EQ(r.paymentForm, QStringLiteral("gotówka"));
    EXPECT_EQ(r.suffixKind, 2);
    EXPECT_EQ(r.suffixText, QStringLiteral("abonament"));
    EXPECT_TRUE(r.gtuEE);
    w.show();
    EXPECT_EQ(w.Label4->text(), QStringLiteral("14 dni"));
    EXPECT_EQ(w.Edit1->text(), QStringLiteral("abonament"));
    EXPECT_EQ(w.ComboBox1->currentText(), QStringLiteral("gotówka"));
    QTest::mouseClick(w.CancelBtn, Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(Count(QStringLiteral("Fv")), 1);
}

} // namespace
