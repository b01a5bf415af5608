// The subscriber card's service-order and contract tabs: adding by a double
// click on the empty grid, the commands on the current row with their
// refusals, the routes of a contract's print and the row colours.
#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/Query.h"
#include "core/SpeedButtonEx.h"
#include "mainwindow/User.h"
#include "registers/UmowaDodaj.h"
#include "registers/UmowyDane.h"
#include "registers/ZlecenieDodaj.h"
#include "tests/support/ContractFixture.h"

#include <QApplication>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {

class UserCardUmowy : public ContractDbTest
{
protected:
    void SetUp() override
    {
        ContractDbTest::SetUp();
        if (HasFatalFailure()) return;
        m_data = std::make_unique<TData>();
        Data = m_data.get();
        m_user = AddSubscriber(QStringLiteral("Kowalski"), QStringLiteral("Jan"), 123);
        SetGlobal(QStringLiteral("SMSOtwarcieZleceniaSerwisant"), QStringLiteral("0"));
        Data->QUserdb->SetSQL(QStringLiteral("select * from vUserdb order by U_INDEX"));
        Data->QUserdb->Open();
        m_card = std::make_unique<TFormUser>();
        m_card->UserIndex = m_user;
        m_card->show();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        m_card.reset();
        TFormUser::OrdersListCaptionChanged = nullptr;
        m_data.reset();
        Data = nullptr;
        ContractDbTest::TearDown();
    }
    TSpeedButtonEx* button(QWidget* page, const char* name)
    {
        return page->findChild<TSpeedButtonEx*>(QString::fromLatin1(name));
    }
    void openTab(QWidget* page)
    {
        m_card->PageControl1->setCurrentWidget(page);
        QApplication::processEvents();
    }
    std::unique_ptr<TData> m_data;
    std::unique_ptr<TFormUser> m_card;
    int m_user = 0;
};

} // namespace

TEST_F(UserCardUmowy, DoubleClickOnTheEmptyOrderGridAddsAnOrderShownWithItsScope)
{
    openTab(m_card->Pages.Zlecenia);
    TCardGrid* grid = m_card->Pages.GridZlecenia;
    ASSERT_EQ(grid->model()->rowCount(), 0);
    TFormZlecenieDodaj* editor = FormZlecenieDodaj();
    ASSERT_TRUE(InModal(
        editor,
        [grid] {
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton);
            return true;
        },
        [editor] {
            editor->MemoZakres->setPlainText(QStringLiteral("Montaż anteny"));
            QTest::mouseClick(editor->BitBtnZapisz, Qt::LeftButton);
        }));
    EXPECT_EQ(grid->model()->rowCount(), 1);
    auto* scope = m_card->Pages.Zlecenia->findChild<QGroupBox*>();
    ASSERT_NE(scope, nullptr);
    EXPECT_EQ(scope->title(), QStringLiteral("Zakres zlecenia"));
    EXPECT_EQ(scope->findChild<QPlainTextEdit*>()->toPlainText(), QStringLiteral("Montaż anteny"));

    // Without a technician the e-mail stops before anything is printed.
    TMD::ClearRecorded();
    QTest::mouseClick(button(m_card->Pages.Zlecenia, "SpeedButtonEx50"), Qt::LeftButton);
    EXPECT_EQ(Messages(), QStringList{QStringLiteral("Nie przypisano serwisanta wykonującego zlecenie")});
}

TEST_F(UserCardUmowy, ContractCommandsTakeTheirRouteAndRefusals)
{
    const int templ = AddTemplate();
    const int annex = AddDocument(m_user, 2, QStringLiteral("2/3/2024"), QDate(2024, 3, 15), ukAneks, templ);
    m_card->RefreshAll();
    openTab(m_card->Pages.Umowy);
    TCardGrid* grid = m_card->Pages.GridUmowy;
    ASSERT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(grid->model()->index(0, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::darkGreen))
        << "an annex shows green";

    WriteIniString(OperatorId, QStringLiteral("DrukarkaPDF"), QString());
    QTest::mouseClick(button(m_card->Pages.Umowy, "SpeedButtonEx10"), Qt::LeftButton);
    EXPECT_EQ(Messages(), QStringList{QStringLiteral(
                              "Proszę wskazać w konfiguracji drukarkę PDFów zainstalowaną w systemie")});

    InsertRow(S(), "MagazynBlob", {{"MB_PRIV", 0}, {"MB_NAZWA", QStringLiteral("UmowaID%1").arg(annex)}});
    TMD::ClearRecorded();
    QTest::mouseClick(button(m_card->Pages.Umowy, "SpeedButtonEx16"), Qt::LeftButton);
    ASSERT_EQ(Messages().size(), 1);
    EXPECT_TRUE(
        Messages().first().startsWith(QStringLiteral("Ta umowa ma zapisany wydruk z poprzedniej wersji")));

    // A double click edits the document; "Anuluj" leaves it as it was.
    bool opened = false;
    ASSERT_TRUE(InModal(
        FormUmowaDodaj(),
        [grid] {
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                               grid->visualRect(grid->model()->index(0, 0)).center());
            return true;
        },
        [&opened] {
            opened = true;
            EXPECT_EQ(FormUmowaDodaj()->windowTitle(), QStringLiteral("Edycja umowy"));
            QTest::mouseClick(FormUmowaDodaj()->BitBtnAnuluj, Qt::LeftButton);
        }));
    EXPECT_TRUE(opened);
    EXPECT_FALSE(S()->InTransaction());
}
