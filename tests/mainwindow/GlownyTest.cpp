// The main window driven as an operator does: search, filters, title sort,
// keys of the grid, ticks, the card, and what its show and close leave behind.
#include "mainwindow/Glowny.h"

#include "billing/FvWystaw.h"
#include "billing/PzWystaw.h"
#include "billing/SaldoBazy.h"
#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/Funkcje2.h"
#include "core/Operatorzy.h"
#include "core/Podmioty.h"
#include "core/ProgramExit.h"
#include "core/Query.h"
#include "core/Session.h"
#include "mainwindow/User.h"
#include "payments/ImportPlatnosciMasowych.h"
#include "platform/NetworkAdapter.h"
#include "registers/UmowyLista.h"
#include "registers/ZleceniaLista.h"
#include "tests/support/DeskSession.h"
#include "tests/support/TestDb.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>

namespace {

void touch(const QString& path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
}

} // namespace

class GlownyTest : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        LoadUpgradedSchema();
        ASSERT_TRUE(m_dir.isValid());
        PrepareDesk(m_dir.path());
        m_session.emplace(AdminSignedIn());
        Data = new TData();

        S()->ExecQuery(
            QStringLiteral("insert into Grupy (GR_INDEX, GR_NAZWA) values (1, 'Bloki'), (2, 'Domy')"));
        struct Row
        {
            int id;
            const char* nazwisko;
            const char* imie;
            int grupa;
            int poczekalnia;
            const char* saldo;
        };
        const Row rows[] = {{1, "Kowalski", "Jan", 1, 0, "10.00"},
                            {2, "Nowak", "Ewa", 2, 0, "-5.00"},
                            {3, "Adamski", "Piotr", 1, 0, "30.00"},
                            {4, "Zieliński", "Adam", 0, 1, "0.00"},
                            {5, "Wiśniewska", "Ola", 0, 0, "20.00"}};
        for (const Row& r : rows)
            S()->ExecQuery(
                QStringLiteral("insert into Userdb (U_INDEX, U_NRKLIENTA, U_NAZWISKO, U_IMIE, U_GRUPA1, "
                               "U_POCZEKALNIA, U_SALDO, U_DATAAKTYWACJI, U_ADR_MIEJSCOWOSC) values (:p1, "
                               ":p2, :p3, :p4, :p5, :p6, :p7, '2020-01-01', 'Kraków')"),
                {r.id, 100 + r.id, r.nazwisko, r.imie, r.grupa, r.poczekalnia, r.saldo});
    }
    void TearDown() override
    {
        delete m_form;
        m_form = nullptr;
        FormGlowny = nullptr;
        TFormGlowny::OpenUserCard = nullptr;
        delete Data;
        Data = nullptr;
        LeaveDesk();
        m_session.reset();
        DbTest::TearDown();
    }

    TFormGlowny& form()
    {
        if (!m_form) {
            m_form = new TFormGlowny();
            FormGlowny = m_form;
            m_form->show();
            QTest::qWait(20);
        }
        return *m_form;
    }
    int rows() { return form().DBGrid1->model() ? form().DBGrid1->model()->rowCount() : -1; }
    // The class of the modal window a command opens (closed again at once); empty when none.
    static QString ModalOpenedBy(const std::function<void()>& open)
    {
        QString shown;
        QTimer::singleShot(0, [&shown] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            shown = QString::fromLatin1(dialog->metaObject()->className());
            dialog->reject();
        });
        open();
        return shown;
    }
    // Lets the 300 ms search delay run out.
    // The search runs when the typing delay has passed; a slow (sanitizer) build may take longer.
    void waitSearch()
    {
        QTest::qWait(350);
        EXPECT_TRUE(QTest::qWaitFor([this] { return !form().TimerSzukajUser->isActive(); }, 10000));
        QTest::qWait(20);
    }
    QPoint titlePoint(int column)
    {
        QHeaderView* h = form().DBGrid1->horizontalHeader();
        return QPoint(h->sectionViewportPosition(column) + h->sectionSize(column) / 2, h->height() / 2);
    }
    int currentId() { return Data->QUserdb->FieldByName(QStringLiteral("U_INDEX"))->AsInteger(); }

    QTemporaryDir m_dir;
    std::optional<TScopedSession> m_session;
    TFormGlowny* m_form = nullptr;
};

TEST_F(GlownyTest, OpensOnTheSubscriberTabWithTheGrid)
{
    TFormGlowny& f = form();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Orlix6 KSeF (v6.14) "));
    EXPECT_EQ(f.PageControl1->currentIndex(), 0);
    EXPECT_EQ(f.PageControl1->tabText(0), QStringLiteral("Użytkownicy"));
    ASSERT_EQ(f.DBGrid1->model()->columnCount(), 25);
    EXPECT_EQ(f.DBGrid1->model()->headerData(1, Qt::Horizontal).toString(),
              QStringLiteral("Nazwisko / Nazwa firmy"));
    EXPECT_EQ(rows(), 4) << "the waiting room is not shown";
    EXPECT_EQ(MainUserIdList.count(QLatin1Char(',')), 4) << MainUserIdList.toStdString();
    EXPECT_TRUE(MainUserIdList.endsWith(QStringLiteral(",0) ")));
    EXPECT_EQ(f.GrupyUserListView->topLevelItemCount(), 2);
    EXPECT_EQ(f.SpeedButtonEx9->text(), QStringLiteral("Poczekalnia (1)"));
    EXPECT_EQ(f.StatusPanels[2]->text(), QStringLiteral("admin (1)"));
    EXPECT_EQ(f.StatusPanels[0]->text(), QStringLiteral("  Użytkownicy: 4"));
    EXPECT_FALSE(TFormGlowny::Closing);
    EXPECT_TRUE(QDir(ExportFolder).exists());
    EXPECT_EQ(ExportFolder, ProgramFolder() + QStringLiteral("orlix_eksporty/"));
    EXPECT_TRUE(QDir(PrivateFolder).exists());
}

TEST_F(GlownyTest, ShowWithoutLoginOpensNothing)
{
    LoginSucceeded = false;
    TFormGlowny& f = form();
    EXPECT_FALSE(Data->QUserdb->Active());
    EXPECT_FALSE(f.TimerPoStarcie->isActive());
    EXPECT_FALSE(f.TimerRefresh->isActive());
}

TEST_F(GlownyTest, SearchBoxAndTypingInTheGrid)
{
    TFormGlowny& f = form();
    QTest::keyClicks(f.Edit1, QStringLiteral("Kowal"));
    EXPECT_EQ(rows(), 4) << "nothing happens before the delay";
    waitSearch();
    EXPECT_EQ(rows(), 1);
    EXPECT_TRUE(f.SpeedButtonEx2->isEnabled());

    f.Edit1->clear();
    waitSearch();
    EXPECT_EQ(rows(), 4);
    f.DBGrid1->setFocus();
    QTest::keyClicks(f.DBGrid1, QStringLiteral("Nowak"));
    EXPECT_EQ(f.Edit1->text(), QStringLiteral("Nowak"));
    waitSearch();
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(currentId(), 2);
    QTest::keyClick(f.DBGrid1, Qt::Key_Escape);
    EXPECT_TRUE(f.Edit1->text().isEmpty());
    EXPECT_TRUE(f.isVisible()) << "Escape does not close the desk";
    waitSearch();
    EXPECT_EQ(rows(), 4);

    f.CheckBox8->setChecked(true); // exclude mode
    QTest::keyClicks(f.Edit1, QStringLiteral("Kowal"));
    waitSearch();
    EXPECT_EQ(rows(), 3);
}

TEST_F(GlownyTest, StateGroupsAndWaitingRoom)
{
    TFormGlowny& f = form();
    QTest::mouseClick(f.RadioGroup1->findChildren<QRadioButton*>().at(3), Qt::LeftButton);
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(currentId(), 4);
    f.SpeedButtonEx9->click(); // "Poczekalnia" pressed while showing it: back to the active ones
    EXPECT_EQ(f.RadioGroup1Index(), 1);
    EXPECT_EQ(rows(), 4);

    // A click on a group's name ticks it.
    QTreeWidgetItem* bloki = f.GrupyUserListView->topLevelItem(0);
    ASSERT_EQ(bloki->text(0), QStringLiteral("Bloki"));
    const QRect r = f.GrupyUserListView->visualItemRect(bloki);
    QTest::mouseClick(f.GrupyUserListView->viewport(), Qt::LeftButton, {},
                      QPoint(r.right() - 20, r.center().y()));
    QTest::qWait(20);
    EXPECT_EQ(bloki->checkState(0), Qt::Checked);
    EXPECT_EQ(rows(), 2);
    // The column title switches to exclusion.
    QHeaderView* h = f.GrupyUserListView->header();
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(20, h->height() / 2));
    EXPECT_EQ(f.GrupyUserListView->headerItem()->text(0), QStringLiteral("Wyklucz użytkowników z grupy"));
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(f.GrupyUserListView->palette().color(QPalette::Text), QColor(Qt::red));
}

TEST_F(GlownyTest, TitleClickCyclesTheSort)
{
    TFormGlowny& f = form();
    QHeaderView* h = f.DBGrid1->horizontalHeader();
    const int saldo = 7;
    ASSERT_EQ(f.DBGrid1->model()->headerData(saldo, Qt::Horizontal).toString(), QStringLiteral("Saldo"));
    const struct
    {
        const char* title;
        const char* order;
        int firstId;
    } steps[] = {{"Saldo+", " order by U_SALDO ASC, U_NAZWISKO ASC, U_IMIE ASC ", 2},
                 {"Saldo-", " order by U_SALDO DESC, U_NAZWISKO ASC, U_IMIE ASC ", 3},
                 {"Saldo", "", -1}};
    // Stored state says ascending by customer number: start from there.
    EXPECT_EQ(f.UserSort.Order, 1);
    for (const auto& s : steps) {
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, titlePoint(saldo));
        EXPECT_EQ(f.DBGrid1->model()->headerData(saldo, Qt::Horizontal).toString(),
                  QString::fromUtf8(s.title));
        EXPECT_EQ(MainUserOrderBy, QString::fromLatin1(s.order));
        if (s.firstId > 0) {
            Data->QUserdb->First();
            EXPECT_EQ(currentId(), s.firstId) << s.title;
        }
    }
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, titlePoint(saldo));
    EXPECT_EQ(f.DBGrid1->model()->headerData(saldo, Qt::Horizontal, Qt::ForegroundRole).value<QColor>(),
              QColor(Qt::red));
}

TEST_F(GlownyTest, EnterAndDoubleClickOpenTheCard)
{
    TFormGlowny& f = form();
    QList<int> opened;
    TFormGlowny::OpenUserCard = [&opened](int id) { opened << id; };
    f.DBGrid1->setFocus();
    QTest::keyClick(f.DBGrid1, Qt::Key_Down);
    const int id = currentId();
    QTest::keyClick(f.DBGrid1, Qt::Key_Return);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], id);
    EXPECT_TRUE(f.Edit1->text().isEmpty()) << "Enter is not typed into the search";

    const QRect cell = f.DBGrid1->visualRect(f.DBGrid1->model()->index(2, 1));
    QTest::mouseDClick(f.DBGrid1->viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[1], currentId());
}

TEST_F(GlownyTest, CtrlClickTicksAndUnticks)
{
    TFormGlowny& f = form();
    const QRect cell = f.DBGrid1->visualRect(f.DBGrid1->model()->index(1, 2));
    QTest::mouseClick(f.DBGrid1->viewport(), Qt::LeftButton, Qt::ControlModifier, cell.center());
    EXPECT_EQ(f.Label4->text(), QStringLiteral("1"));
    const int id = currentId();
    EXPECT_EQ(S()->GetQueryValueAsInteger(
                  QStringLiteral("select U_ZAZNACZONY_TEMP from Userdb where U_INDEX=:p1"), {id}),
              1);
    QTest::mouseClick(f.DBGrid1->viewport(), Qt::LeftButton, Qt::ControlModifier, cell.center());
    EXPECT_EQ(f.Label4->text(), QStringLiteral("0"));
    EXPECT_EQ(currentId(), id);
}

TEST_F(GlownyTest, CommandsOfLaterWorkSaySo)
{
    TFormGlowny& f = form();
    QAction* a = f.MenuAction(QStringLiteral("Listy/Noty odsetkowe - lista"));
    ASSERT_NE(a, nullptr);
    a->trigger();
    ASSERT_EQ(TMD::Recorded().size(), 1);
    EXPECT_EQ(TMD::Recorded()[0].text,
              QStringLiteral(
                  "Funkcja \"Noty odsetkowe - lista\" nie jest jeszcze dostępna w tej wersji programu."));
    EXPECT_NE(f.MenuAction(QStringLiteral("&Plik/Zakończ")), nullptr);
    EXPECT_NE(f.MenuAction(QStringLiteral("&Opcje/Funkcje pomocnicze/Techniczne/Zakończ transakcję")),
              nullptr);
}

// The contract and order lists open from the menu "Listy" and the side buttons.
TEST_F(GlownyTest, ContractAndOrderListsOpenFromMenuAndSideButtons)
{
    TFormGlowny& f = form();
    const struct
    {
        std::function<void()> press;
        QDialog* list;
    } cases[] = {
        {[&] { f.MenuAction(QStringLiteral("Listy/Umowy - lista"))->trigger(); }, FormUmowyLista()},
        {[&] { f.MenuAction(QStringLiteral("Listy/Zlecenia serwisowe - lista"))->trigger(); },
         FormZleceniaLista()},
        {[&] { QTest::mouseClick(f.SpeedButtonEx29, Qt::LeftButton); }, FormZleceniaLista()},
    };
    for (const auto& c : cases) {
        bool shown = false;
        QTimer::singleShot(0, c.list, [&shown, list = c.list] {
            shown = list->isVisible();
            list->reject();
        });
        c.press();
        EXPECT_TRUE(shown) << c.list->windowTitle().toStdString();
    }
    EXPECT_TRUE(TMD::Recorded().isEmpty());
}

// "Wystaw fakturę" and "Wystaw PZ" (button and menu) open their editors on a
// new document of the current subscriber; cancelling leaves nothing behind.
TEST_F(GlownyTest, IssueButtonsOpenTheEditorForTheCurrentSubscriber)
{
    TFormGlowny& f = form();
    f.DBGrid1->setFocus();
    QTest::keyClick(f.DBGrid1, Qt::Key_Down);
    const int id = currentId();
    ASSERT_NE(f.SpeedButtonEx21, nullptr);
    ASSERT_NE(f.SpeedButtonEx23, nullptr);
    QAction* menuPz = f.MenuAction(QStringLiteral("&Baza użytkowników/Wystaw polecenie zapłaty"));
    ASSERT_NE(menuPz, nullptr);
    OperatorRightsLevel = 3;
    struct Case
    {
        const char* rule;
        std::function<void()> press;
        QDialog* editor;
        const char* caption;
        const char* table;
        const char* owner;
    } cases[] = {
        {"invoice button", [&] { QTest::mouseClick(f.SpeedButtonEx21, Qt::LeftButton); }, FormFvWystaw(),
         "Wystawianie nowej faktury", "Fv", "FV_INDEXUSER"},
        {"demand button", [&] { QTest::mouseClick(f.SpeedButtonEx23, Qt::LeftButton); }, FormPzWystaw(),
         "Wystawianie nowego polecenia zapłaty", "Pz", "PZ_INDEXUSER"},
        {"demand menu item", [&] { menuPz->trigger(); }, FormPzWystaw(),
         "Wystawianie nowego polecenia zapłaty", "Pz", "PZ_INDEXUSER"},
    };
    for (const Case& c : cases) {
        QString caption;
        int owner = 0;
        QTimer::singleShot(0, c.editor, [&] {
            caption = c.editor->windowTitle();
            owner = S()->GetQueryValueAsInteger(QStringLiteral("select %1 from %2 order by 1 desc limit 1")
                                                    .arg(QLatin1String(c.owner), QLatin1String(c.table)));
            c.editor->reject();
        });
        c.press();
        EXPECT_EQ(caption, QString::fromUtf8(c.caption)) << c.rule;
        EXPECT_EQ(owner, id) << c.rule;
        EXPECT_EQ(S()->GetQueryValueAsInteger(
                      QStringLiteral("select count(*) from %1").arg(QLatin1String(c.table))),
                  0)
            << c.rule;
        EXPECT_EQ(currentId(), id) << c.rule;
    }
}

TEST_F(GlownyTest, CloseCleansThePrivateFolderAndKeepsTheState)
{
    TFormGlowny& f = form();
    QHeaderView* h = f.DBGrid1->horizontalHeader();
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, titlePoint(7));
    f.CheckBox2->setChecked(true);
    f.CheckBox2->setChecked(false);
    f.CheckBox6->setChecked(true);
    for (const char* name : {"plik", "a.xml", "b.BAT", "c.txt", "d.pdf", "e.jpg"})
        touch(PrivateFolder + QLatin1String(name));
    f.close();
    QStringList left = QDir(PrivateFolder).entryList(QDir::Files);
    EXPECT_EQ(left, QStringList{QStringLiteral("d.pdf")});
    EXPECT_FALSE(Data->QUserdb->Active());
    EXPECT_EQ(S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from Log where LOG_OPIS like :p1"),
                                          {QStringLiteral("%Wylogowanie z systemu operatora admin (ID1)%")}),
              1);

    // The next show restores the sort and the filters.
    delete m_form;
    m_form = nullptr;
    TFormGlowny& again = form();
    EXPECT_EQ(again.UserSort.Fields[0], QStringLiteral("U_SALDO"));
    EXPECT_EQ(again.UserSort.Order, 1);
    EXPECT_TRUE(again.CheckBox6->isChecked());
    EXPECT_EQ(MainUserOrderBy, QStringLiteral(" order by U_SALDO ASC, U_NAZWISKO ASC, U_IMIE ASC "));
}

TEST_F(GlownyTest, DefaultPasswordIsAskedForOnceAfterTheShow)
{
    DefaultPasswordInUse = true;
    int asked = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&asked] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            ++asked;
            w->close();
        }
    });
    poll.start(20);
    form();
    QTest::qWait(400);
    DefaultPasswordInUse = false;
    EXPECT_EQ(asked, 1);
}

TEST_F(GlownyTest, Screenshot)
{
    for (int i = 6; i < 40; ++i)
        S()->ExecQuery(
            QStringLiteral("insert into Userdb (U_INDEX, U_NRKLIENTA, U_NAZWISKO, U_IMIE, U_ADR_ULICA, "
                           "U_ADR_NRDOMU, U_ADR_MIEJSCOWOSC, U_TEL1, U_SALDO, U_SALDOZALEGLE, "
                           "U_KWOTAABONAMENTU, U_DATAAKTYWACJI, U_POWIADAMIAJ, U_BLOKUJ, U_CZYFIRMA, "
                           "U_ZAZNACZONY_TEMP, U_GRUPA1) values (:p1, :p2, :p3, :p4, :p5, :p6, :p7, :p8, "
                           ":p9, :p10, :p11, '2021-03-01', :p12, :p13, :p14, :p15, :p16)"),
            {i, 1000 + i, QStringLiteral("Nazwisko%1").arg(i), QStringLiteral("Imię"),
             QStringLiteral("Długa"), QString::number(i),
             i % 3 ? QStringLiteral("Kraków") : QStringLiteral("Wieliczka"),
             QStringLiteral("600 100 %1").arg(i, 3, 10, QLatin1Char('0')),
             QString::number(i % 5 == 0 ? 79.99 : -10.5 * (i % 4)), QString::number(i % 5 == 0 ? 79.99 : 0),
             QStringLiteral("79.99"), int(i % 7 == 0), int(i % 11 == 0), int(i % 6 == 0), int(i % 9 == 0),
             1 + i % 2});
    TFormGlowny& f = form();
    f.resize(1366, 768);
    QTest::qWait(50);
    const QString dir = TestOutputDir(QStringLiteral("mainwindow"));
    EXPECT_TRUE(f.grab().save(dir + QStringLiteral("/glowny.png")));
}

// A window's own handler that meets a lost connection ends the program with
// code 10 after the critical box, as an error no code caught does; the program
// must not go on with a dead session. Run in a child process: it really ends.
TEST_F(GlownyTest, LostConnectionInAButtonHandlerEndsTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TFormGlowny& f = form();
    auto killThenRefresh = [&f] {
        // The box's text goes to the error stream, where the parent reads it.
        TMD::SetTestHook([](const TMD::Shown& s) {
            std::fprintf(stderr, "BOX[%s]\n", s.text.toUtf8().constData());
            return mrOk;
        });
        SetProgramTerminator(nullptr);
        KillServerSession(GlobalSession()->Database()->ServerThreadId());
        QTest::mouseClick(f.SpeedButtonEx1, Qt::LeftButton);
        std::fprintf(stderr, "the program went on\n");
        std::_Exit(0);
    };
    EXPECT_EXIT(killThenRefresh(), ::testing::ExitedWithCode(10),
                "BOX\\[      BŁĄD KRYTYCZNY!.*Utracono połączenie z bazą danych z powodu poniższego błędu:.*"
                "Aplikacja zostanie teraz zamknięta, niezapisane zmiany zostaną utracone\\.");
}

// The second refresh timer re-reads the signed-in operator: a level lowered at
// another workstation takes effect, a deactivation signs the operator out.
TEST_F(GlownyTest, SecondRefreshTimerRechecksTheOperator)
{
    TFormGlowny& f = form();
    f.activateWindow();
    QTest::qWait(20);
    ASSERT_TRUE(f.isActiveWindow());
    std::vector<int> codes;
    SetProgramTerminator([&codes](int code) { codes.push_back(code); });
    SecondConnection other(DatabaseName());
    other.session->ExecQuery(QStringLiteral("update Operator set OP_POZIOMUPRAWNIEN=4 where OP_INDEX=1"));
    f.TimerRefresh2->setInterval(10);
    EXPECT_TRUE(QTest::qWaitFor([] { return OperatorRightsLevel == 4; }, 10000));
    EXPECT_TRUE(codes.empty());
    EXPECT_EQ(OperatorRightsLevel, 4);
    EXPECT_EQ(f.StatusPanels[2]->text(), QStringLiteral("admin (4)"));

    other.session->ExecQuery(QStringLiteral("update Operator set OP_AKTYWNY='N' where OP_INDEX=1"));
    EXPECT_TRUE(QTest::qWaitFor([&codes] { return !codes.empty(); }, 10000));
    f.TimerRefresh2->stop();
    SetProgramTerminator(nullptr);
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.front(), 11);
}

// The window's own commands check the rights before they open anything.
TEST_F(GlownyTest, OwnCommandsCheckRightsBeforeAnythingElse)
{
    TFormGlowny& f = form();
    struct Case
    {
        const char* rule;
        QPushButton* button;
        int level;
        QString shown;
    } cases[] = {
        {"PZ refused below level 3", f.SpeedButtonEx23, 4, RightDeniedMessage(3)},
        {"invoicing refused below level 1", f.SpeedButtonEx20, 2, RightDeniedMessage(1)},
        {"bulk payments refused below level 2", f.SpeedButtonPm, 3, RightDeniedMessage(2)},
    };
    for (const Case& c : cases) {
        TMD::ClearRecorded();
        OperatorRightsLevel = c.level;
        QTest::mouseClick(c.button, Qt::LeftButton);
        ASSERT_EQ(TMD::Recorded().size(), 1) << c.rule;
        EXPECT_EQ(TMD::Recorded()[0].text, c.shown) << c.rule;
    }

    // At level 1 the button and the menu command open the invoicing run's window.
    OperatorRightsLevel = 1;
    const std::function<void()> opens[] = {
        [&f] { QTest::mouseClick(f.SpeedButtonEx20, Qt::LeftButton); },
        [&f] { f.MenuAction(QStringLiteral("&Narzędzia/Automatyczne generowanie faktur"))->trigger(); }};
    for (const auto& open : opens) {
        TMD::ClearRecorded();
        const QString shown = ModalOpenedBy(open);
        EXPECT_EQ(shown, QStringLiteral("TFormFvAutomat"));
        EXPECT_TRUE(TMD::Recorded().isEmpty());
    }

    // At level 2 "Płatności masowe" (button and menu) opens the bank import
    // window under its lock, which is free again once the window closes.
    OperatorRightsLevel = 2;
    const std::function<void()> payments[] = {
        [&f] { QTest::mouseClick(f.SpeedButtonPm, Qt::LeftButton); },
        [&f] { f.MenuAction(QStringLiteral("&Narzędzia/Płatności masowe"))->trigger(); }};
    for (const auto& open : payments) {
        TMD::ClearRecorded();
        QString shown;
        int lockFree = -1;
        const QString db = DatabaseName();
        QTimer::singleShot(0, [&shown, &lockFree, &db] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            shown = QString::fromLatin1(dialog->metaObject()->className());
            SecondConnection other(db);
            lockFree = other.session->GetQueryValueAsInteger(QStringLiteral("select IS_FREE_LOCK(:p1)"),
                                                             {PmAutomatLockName()});
            dialog->reject();
        });
        open();
        EXPECT_EQ(shown, QStringLiteral("TFormImportPlatnosciMasowych"));
        EXPECT_EQ(lockFree, 0) << "the window is open under the lock";
        EXPECT_TRUE(TMD::Recorded().isEmpty()) << TMD::Recorded().value(0).text.toStdString();
        EXPECT_EQ(
            S()->GetQueryValueAsInteger(QStringLiteral("select IS_FREE_LOCK(:p1)"), {PmAutomatLockName()}),
            1);
    }
}

// The document lists open from their menu items, side buttons and the grid's
// context menu after the rights check of each.
TEST_F(GlownyTest, DocumentListsOpenTheirWindowsAfterTheRightsCheck)
{
    TFormGlowny& f = form();
    const auto gridAction = [&f](const char* caption) {
        for (QAction* a : f.DBGrid1->actions())
            if (a->text() == QString::fromUtf8(caption)) return a;
        return static_cast<QAction*>(nullptr);
    };
    struct Case
    {
        const char* rule;
        std::function<void()> press;
        int level;
        const char* window;
    };
    ASSERT_NE(gridAction("Pokaz faktury"), nullptr);
    ASSERT_NE(gridAction("Pokaż PZ"), nullptr);
    const Case cases[] = {
        {"invoice list button", [&] { QTest::mouseClick(f.SpeedButtonListaFaktur, Qt::LeftButton); }, 2,
         "TFormFvLista"},
        {"invoice list menu", [&] { f.MenuAction(QStringLiteral("Listy/Faktury - lista"))->trigger(); }, 2,
         "TFormFvLista"},
        {"correction list menu", [&] { f.MenuAction(QStringLiteral("Listy/Korekty - lista"))->trigger(); }, 3,
         "TFormFvKorektaLista"},
        {"demand list button", [&] { QTest::mouseClick(f.SpeedButtonListaPz, Qt::LeftButton); }, 2,
         "TFormPzLista"},
        {"demand list menu",
         [&] { f.MenuAction(QStringLiteral("Listy/Polecenia zapłaty - lista"))->trigger(); }, 2,
         "TFormPzLista"},
        {"payments button", [&] { QTest::mouseClick(f.SpeedButtonListaWplat, Qt::LeftButton); }, 2,
         "TFormOplatyLista"},
        {"payments menu", [&] { f.MenuAction(QStringLiteral("Listy/Opłaty (KP) - lista"))->trigger(); }, 2,
         "TFormOplatyLista"},
        {"subscriber's invoices", [&] { gridAction("Pokaz faktury")->trigger(); }, 3, "TFormFvUser"},
        {"subscriber's demands", [&] { gridAction("Pokaż PZ")->trigger(); }, 3, "TFormPzUser"},
    };
    for (const Case& c : cases) {
        OperatorRightsLevel = c.level + 1;
        TMD::ClearRecorded();
        c.press();
        ASSERT_EQ(TMD::Recorded().size(), 1) << c.rule;
        EXPECT_EQ(TMD::Recorded()[0].text, RightDeniedMessage(c.level)) << c.rule;

        OperatorRightsLevel = c.level;
        TMD::ClearRecorded();
        QString shown;
        QTimer::singleShot(0, [&shown] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            shown = QString::fromLatin1(dialog->metaObject()->className());
            dialog->reject();
        });
        c.press();
        EXPECT_EQ(shown, QString::fromUtf8(c.window)) << c.rule;
        EXPECT_TRUE(TMD::Recorded().isEmpty()) << c.rule;
    }
}

// "Wydruk faktur" opens the bulk output window, "Kopia elektroniczna (EJ)" its check.
TEST_F(GlownyTest, BulkOutputAndElectronicCopyCommandsOpenTheirWindows)
{
    TFormGlowny& f = form();
    QPushButton* bulk = nullptr;
    for (QPushButton* b : f.findChildren<QPushButton*>())
        if (b->text() == QStringLiteral("Wydruk faktur")) bulk = b;
    ASSERT_NE(bulk, nullptr);
    QAction* ej = f.MenuAction(QStringLiteral("&Narzędzia/Kopia elektroniczna (EJ)"));
    ASSERT_NE(ej, nullptr);
    const std::pair<std::function<void()>, const char*> opens[] = {
        {[bulk] { QTest::mouseClick(bulk, Qt::LeftButton); }, "TFormWydrukDokumentow"},
        {[ej] { ej->trigger(); }, "TFormKopiaElektronicznaWeryfikacja"}};
    for (const auto& [open, expected] : opens) {
        TMD::ClearRecorded();
        const QString shown = ModalOpenedBy(open);
        EXPECT_EQ(shown, QString::fromLatin1(expected));
        EXPECT_TRUE(TMD::Recorded().isEmpty());
    }
}

TEST_F(GlownyTest, GamblingDomainsAskFirst)
{
    TFormGlowny& f = form();
    QAction* a = f.MenuAction(QStringLiteral("&Opcje/Uaktualnij listę domen hazardowych"));
    ASSERT_NE(a, nullptr);
    const QString question =
        QStringLiteral("Czy chcesz pobrać aktualną listę domen blokowanych na podstawie Ustawy Hazardowej?");
    TMD::SetTestHook([](const TMD::Shown&) { return mrNo; });
    a->trigger();
    ASSERT_EQ(TMD::Recorded().size(), 1);
    EXPECT_EQ(TMD::Recorded()[0].text, question);
    EXPECT_EQ(TMD::Recorded()[0].kind, mtConfirmation);

    // The register asked on a loopback port nobody listens on: nothing leaves the machine.
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost, 0);
    WriteIniString(0, QStringLiteral("RejestrHazardowyAdres"),
                   QStringLiteral("http://127.0.0.1:%1").arg(closed.serverPort()));
    closed.close();
    TMD::ClearRecorded();
    TMD::SetTestHook([](const TMD::Shown&) { return mrYes; });
    a->trigger();
    ASSERT_EQ(TMD::Recorded().size(), 2);
    EXPECT_EQ(TMD::Recorded()[0].text, question);
    EXPECT_EQ(TMD::Recorded()[1].text, QStringLiteral("Zakończono aktualizację listy domen"));
}

TEST_F(GlownyTest, VersionPanelDoubleClickOpensTheTimingLog)
{
    TFormGlowny& f = form();
    ASSERT_NE(f.ThemedPanel20, nullptr);
    QString opened;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&opened] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            opened = QString::fromLatin1(w->metaObject()->className());
            w->close();
        }
    });
    poll.start(20);
    QTest::mouseDClick(f.ThemedPanel20, Qt::LeftButton);
    poll.stop();
    EXPECT_EQ(opened, QStringLiteral("TFormLogTemp"));
}

// A group added in the dictionaries shows in the filter list at once and the
// operator's checks stay; the card's last look renames the order-list button.
TEST_F(GlownyTest, GroupEditsAndTheCardUpdateTheMainWindow)
{
    TFormGlowny& f = form();
    ASSERT_EQ(f.GrupyUserListView->topLevelItemCount(), 2);
    f.GrupyUserListView->topLevelItem(0)->setCheckState(0, Qt::Checked); // "Bloki"
    TQuery* g = Data->QGrupy.get();
    g->RequestLive = true;
    g->Open();
    g->Append();
    g->FieldByName(QStringLiteral("GR_NAZWA"))->SetAsString(QStringLiteral("Altany"));
    g->Post();
    QStringList names;
    QStringList checked;
    for (int i = 0; i < f.GrupyUserListView->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = f.GrupyUserListView->topLevelItem(i);
        names << item->text(0);
        if (item->checkState(0) == Qt::Checked) checked << item->text(0);
    }
    EXPECT_EQ(names,
              (QStringList{QStringLiteral("Altany"), QStringLiteral("Bloki"), QStringLiteral("Domy")}));
    EXPECT_EQ(checked, QStringList{QStringLiteral("Bloki")});

    ASSERT_TRUE(TFormUser::OrdersListCaptionChanged);
    TFormUser::OrdersListCaptionChanged(QStringLiteral("Lista zleceń (3)"));
    EXPECT_EQ(f.SpeedButtonEx29->text(), QStringLiteral("Lista zleceń (3)"));
}

// The steps after the show: company 1 is made current afresh, the address
// register is checked with its log line, and a subscriber table that lost its
// indexes is reported.
TEST_F(GlownyTest, PostStartStepsCheckCompanyRegisterAndIndexes)
{
    auto q = S()->OpenQuery(
        QStringLiteral("select distinct INDEX_NAME from information_schema.STATISTICS where "
                       "TABLE_SCHEMA=database() and TABLE_NAME='Userdb' and INDEX_NAME<>'PRIMARY'"));
    QStringList indexes;
    for (q->First(); !q->Eof(); q->Next())
        indexes << q->Fields(0)->AsString();
    for (const QString& index : indexes)
        S()->ExecQuery(QStringLiteral("alter table Userdb drop index `%1`").arg(index));
    CurrentPodmiotId = 0;

    form();
    QTest::qWait(150);
    EXPECT_EQ(CurrentPodmiotId, 1);
    const auto logged = [this](const QString& text) {
        return S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from Log where LOG_OPIS like :p1"),
                                           {QStringLiteral("%") + text + QStringLiteral("%")});
    };
    EXPECT_EQ(logged(QStringLiteral("Podłączenie bazy TERYT/SIDUSIS - ")), 1);
    EXPECT_EQ(logged(QStringLiteral("W tabelach prawdopodobnie brakuje indexów!")), 1);
    QStringList warnings;
    for (const TMD::Shown& s : TMD::Recorded())
        if (s.kind == mtWarning) warnings << s.text;
    EXPECT_EQ(warnings,
              QStringList{QStringLiteral("W tabelach prawdopodobnie brakuje indexów!\r\nAplikacja może "
                                         "działać wolniej.\r\nNależy zdefiniować brakujące indexy.")});
}

// Saved settings take effect at once: a new export folder is used and made.
TEST_F(GlownyTest, WorkstationSettingsTakeEffectAtOnce)
{
    form();
    const QString folder = m_dir.path() + QStringLiteral("/eksport");
    WriteIniString(OperatorId, QStringLiteral("KatalogEksportow"), folder);
    ApplyWorkstationSettings();
    EXPECT_TRUE(TSaldoBazy::WaitAll(20000));
    EXPECT_EQ(ExportFolder, folder + QLatin1Char('/'));
    EXPECT_TRUE(QDir(folder).exists());
}

// The settings, about, archive, restore and script commands open their
// windows or ask their first question.
TEST_F(GlownyTest, SettingsAboutArchiveAndScriptCommandsOpenTheirWindows)
{
    TFormGlowny& f = form();
    WriteIniString(0, QStringLiteral("U_Nazwa1"), QStringLiteral("Firma testowa"));
    const struct
    {
        const char* path;
        const char* window;
    } windows[] = {{"&Opcje/Konfiguracja", "TFormKonfiguracja"}, {"Po&moc/O programie", "TFormOProgramie"}};
    for (const auto& w : windows) {
        QString shown;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&shown] {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                shown = QString::fromLatin1(d->metaObject()->className());
                d->reject();
            }
        });
        poll.start(20);
        QAction* a = f.MenuAction(QString::fromUtf8(w.path));
        ASSERT_NE(a, nullptr) << w.path;
        a->trigger();
        poll.stop();
        EXPECT_EQ(shown, QString::fromLatin1(w.window)) << w.path;
    }

    // The file commands ask for their file first; cancelling ends them.
    QStringList titles;
    TFormGlowny::ChooseOpenFile = [&titles](const QString& title, const QString&) {
        titles << title;
        return QString();
    };
    f.MenuAction(QStringLiteral("&Plik/Dearchiwizacja"))->trigger();
    f.MenuAction(QStringLiteral("&Plik/Wczytaj i wykonaj plik SQL/Przez mysql"))->trigger();
    TFormGlowny::ChooseOpenFile = nullptr;
    EXPECT_EQ(titles, (QStringList{QStringLiteral("Plik ze spakowanym archiwum bazy"),
                                   QStringLiteral("Wybierz plik SQL")}));

    TMD::ClearRecorded();
    TMD::SetTestHook([](const TMD::Shown&) { return mrNo; });
    f.MenuAction(QStringLiteral("&Plik/Archiwizacja"))->trigger();
    ASSERT_EQ(TMD::Recorded().size(), 1);
    EXPECT_TRUE(
        TMD::Recorded()[0].text.startsWith(QStringLiteral("Czy chcesz wykonać archiwizację bazy MySQL\r\n")));
    EXPECT_NE(f.Shape6, nullptr);
}

TEST_F(GlownyTest, EditAndAddOpenTheSubscriberEditor)
{
    TFormGlowny& f = form();
    f.DBGrid1->setFocus();
    QTest::keyClick(f.DBGrid1, Qt::Key_Down);
    const int id = currentId();
    const QString before = S()->GetQueryValueAsString(
        QStringLiteral("select concat_ws('|', U_NAZWISKO, U_DATAMODYFIKACJI) from Userdb where U_INDEX=:p1"),
        {id});
    struct TCase
    {
        const char* Menu;
        const char* Caption;
    };
    for (const TCase& c : {TCase{"&Baza użytkowników/Edytuj", "Edycja danych użytkownika"},
                           TCase{"&Baza użytkowników/Dodaj", "Dodawanie nowego użytkownika"}}) {
        QString shown;
        QTimer::singleShot(0, [&shown] {
            QWidget* w = QApplication::activeModalWidget();
            shown = w ? w->windowTitle() : QString();
            // Esc leaves everything as it was.
            if (w) QTest::keyClick(w, Qt::Key_Escape);
        });
        QAction* a = f.MenuAction(QString::fromUtf8(c.Menu));
        ASSERT_TRUE(a) << c.Menu;
        a->trigger();
        EXPECT_EQ(shown, QString::fromUtf8(c.Caption)) << c.Menu;
    }
    EXPECT_EQ(S()->GetQueryValueAsString(
                  QStringLiteral(
                      "select concat_ws('|', U_NAZWISKO, U_DATAMODYFIKACJI) from Userdb where U_INDEX=:p1"),
                  {id}),
              before);
    EXPECT_EQ(S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from Userdb")), 5);
    EXPECT_TRUE(TMD::Recorded().isEmpty());
}
