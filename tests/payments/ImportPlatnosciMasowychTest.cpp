#include "payments/ImportPlatnosciMasowych.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Query.h"
#include "core/Session.h"
#include "payments/ZmienPrzypisaniePM.h"
#include "tests/payments/PmFixture.h"
#include "tests/support/OtherWorkstation.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

class PmWindowTest : public PmTest
{
protected:
    void SetUp() override
    {
        PmTest::SetUp();
        if (HasFatalFailure()) return;
        LoadDatabaseUniqueId();
        form = std::make_unique<TFormImportPlatnosciMasowych>();
    }
    void TearDown() override
    {
        form.reset();
        PmTest::TearDown();
    }
    void ImportFile(const QByteArray& content, const QString& name = QStringLiteral("w.txt"))
    {
        form->EditSciezka->setText(WriteFile(name, content));
        form->ComboFormat->setCurrentText(QStringLiteral("RAW"));
        QTest::mouseClick(form->ButtonImportuj, Qt::LeftButton);
    }
    std::unique_ptr<TFormImportPlatnosciMasowych> form;
};

} // namespace

TEST_F(PmWindowTest, CancelLeavesNothingAndSaveCommits)
{
    AddUser(7, SubAccount(7));
    form->show();
    ASSERT_TRUE(S()->InTransaction()) << "the window holds one transaction from show";
    ImportFile(RawLine("20250301", SubAccount(7), "10000", "a", "b") +
               RawLine("20250301", SubAccount(9), "5000", "a", "b"));
    EXPECT_EQ(form->LabelCounter->text(), QStringLiteral("Niezaksiegowanych: 2  (150,00 zł)"));
    EXPECT_EQ(form->LabelMessage->text(),
              QStringLiteral("Rekordów odczytanych: 2   Zaimportowanych rekordów: 2"));
    EXPECT_EQ(form->GridPm->model()->rowCount(), 2);
    EXPECT_EQ(form->GridImports->model()->rowCount(), 1);
    QTest::mouseClick(form->ButtonAnuluj, Qt::LeftButton);
    EXPECT_FALSE(S()->InTransaction());
    EXPECT_EQ(Int(QStringLiteral("select count(*) from PlatnosciMasowe")), 0);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from PmMD5")), 0);

    form->show();
    ImportFile(RawLine("20250301", SubAccount(7), "10000", "a", "b"), QStringLiteral("x.txt"));
    TMD::SetTestHook([](const TMD::Shown&) { return mrYes; });
    QTest::mouseClick(form->ButtonZaksiegujWszystkie, Qt::LeftButton);
    QTest::mouseClick(form->ButtonZapisz, Qt::LeftButton);
    EXPECT_FALSE(S()->InTransaction());
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Oplaty")), 1);
    EXPECT_EQ(ReadIniString(OperatorId, QStringLiteral("PMFormat"), QString()), QStringLiteral("RAW"));
    EXPECT_EQ(ReadIniString(OperatorId, QStringLiteral("PMRozszerzenie"), QString()), QStringLiteral(".txt"));
}

TEST_F(PmWindowTest, SameFileTwiceIsRefusedAndDeletingAPostedRowNeedsUnposting)
{
    AddUser(7, SubAccount(7));
    form->show();
    const QByteArray content = RawLine("20250301", SubAccount(7), "10000", "a", "b");
    ImportFile(content);
    TMD::ClearRecorded();
    ImportFile(content);
    ASSERT_EQ(Shown().size(), 1);
    EXPECT_TRUE(
        Shown().at(0).startsWith(QStringLiteral("Wskazany plik już wcześniej został zaimportowany.")));
    QTest::mouseClick(form->ButtonZaksieguj, Qt::LeftButton);
    form->CheckNiezaksiegowane->setChecked(false);
    ASSERT_EQ(form->GridPm->model()->rowCount(), 1);
    // Yes to deleting, No to unposting: the row and its payment stay.
    TMD::ClearRecorded();
    TMD::SetTestHook(
        [](const TMD::Shown& s) { return s.text.startsWith(QStringLiteral("Czy usunąć")) ? mrYes : mrNo; });
    QTest::mouseClick(form->ButtonUsun, Qt::LeftButton);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from PlatnosciMasowe")), 1);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Oplaty")), 1);
    EXPECT_TRUE(Shown().contains(
        QStringLiteral("Dla pozycji już zaksięgowanej ta operacja jest niemożliwa do wykonania")));
    TMD::SetTestHook([](const TMD::Shown&) { return mrYes; });
    QTest::mouseClick(form->ButtonUsun, Qt::LeftButton);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from PlatnosciMasowe")), 0);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Oplaty")), 0);
    form->reject();
}

TEST_F(PmWindowTest, AmountTitleCyclesAscendingDescendingNone)
{
    form->show();
    ImportFile(RawLine("20250301", SubAccount(7), "300", "a", "b") +
               RawLine("20250302", SubAccount(7), "100", "a", "b") +
               RawLine("20250303", SubAccount(7), "200", "a", "b"));
    const int kwota = 2;
    auto amounts = [&] {
        QStringList out;
        for (int r = 0; r < 3; ++r)
            out.append(form->GridPm->model()->index(r, kwota).data().toString());
        return out;
    };
    const QStringList byBankDesc = amounts();
    QHeaderView* h = form->GridPm->horizontalHeader();
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(kwota) + 5, 5));
    EXPECT_EQ(form->GridPm->model()->headerData(kwota, Qt::Horizontal).toString(), QStringLiteral("Kwota+"));
    EXPECT_EQ(amounts(), (QStringList{"1", "2", "3"}));
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(kwota) + 5, 5));
    EXPECT_EQ(amounts(), (QStringList{"3", "2", "1"}));
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(kwota) + 5, 5));
    EXPECT_EQ(form->GridPm->model()->headerData(kwota, Qt::Horizontal).toString(), QStringLiteral("Kwota"));
    EXPECT_EQ(form->SortState, 0);
    (void)byBankDesc;
    form->reject();
}

TEST_F(PmWindowTest, SecondWorkstationIsRefusedByTheLock)
{
    TOtherWorkstation other(QStringLiteral("ws2"), DatabaseName());
    ASSERT_EQ(other.session->GetQueryValueAsInteger(QStringLiteral("select GET_LOCK(:p1, 0)"),
                                                    {PmAutomatLockName()}),
              1);
    OpenImportPlatnosciMasowych();
    EXPECT_EQ(Shown(), QStringList{QStringLiteral(
                           "Obecnie możliwość rozliczania PM jest zablokowana przez inne stanowisko.")});
    EXPECT_FALSE(S()->InTransaction());
}

TEST_F(PmWindowTest, CorrectionDialogTakesOnlyAValidGroupedNumber)
{
    TFormZmienPrzypisaniePM dlg;
    dlg.show();
    dlg.Edit->setText(QString(SubAccount(7)).remove(QLatin1Char(' ')));
    QTest::mouseClick(dlg.ButtonZapisz, Qt::LeftButton);
    EXPECT_EQ(Shown(), QStringList{QStringLiteral("Błędny numer rachunku")});
    EXPECT_TRUE(dlg.isVisible());
    dlg.Edit->setText(SubAccount(7));
    QTest::mouseClick(dlg.ButtonZapisz, Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}
