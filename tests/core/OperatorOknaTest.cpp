#include "core/OperatorDodaj.h"
#include "core/OperatorLista.h"
#include "core/OperatorZmienHaslo.h"

#include "tests/core/LoginFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

TEST(OperatorListColours, ByStateAndLevel)
{
    const struct
    {
        const char* active;
        int level;
        unsigned text;
        unsigned background;
    } cases[] = {
        {"N", 1, 0x808080, 0}, {"U", 1, 0xC0C0C0, 0},
        {"A", 1, 0, 0xFF8080}, // red and white 3:3, 127.5 rounds to the even 128
        {"A", 2, 0, 0xFFAAAA}, // 3:6
        {"A", 3, 0, 0xFFB9B9}, // 3:8 (8.4 rounds to 8)
        {"A", 6, 0, 0xFFD9D9}, // 3:17 (16.8 rounds to 17)
    };
    for (const auto& c : cases) {
        const TOperatorRowColours got = OperatorRowColours(QString::fromLatin1(c.active), c.level);
        EXPECT_EQ(got.Text, c.text) << c.active << c.level;
        EXPECT_EQ(got.Background, c.background) << c.active << c.level;
    }
}

class OperatorOknaTest : public LoginFixture
{
protected:
    // Runs what the modal editor should do once it is on screen.
    void whenEditorShows(TFormOperatorLista& list, std::function<void(TFormOperatorDodaj&)> step)
    {
        TFormOperatorDodaj* editor = list.Editor();
        QTimer::singleShot(0, editor, [editor, step] { step(*editor); });
    }
};

TEST_F(OperatorOknaTest, AddedOperatorGetsTheDefaultPasswordAndCanLogIn)
{
    TFormOperatorLista list;
    list.show();
    EXPECT_EQ(list.windowTitle(), QStringLiteral("Lista Operatorów"));
    ASSERT_EQ(list.DBGrid3->model()->rowCount(), 1);
    EXPECT_EQ(list.DBGrid3->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Login"));

    QString caption;
    QStringList errorsWhileOpen;
    whenEditorShows(list, [&](TFormOperatorDodaj& e) {
        caption = e.windowTitle();
        QTest::keyClicks(e.OpLogin, QStringLiteral("jko"));
        QTest::keyClicks(e.OpNazwisko, QStringLiteral("Kowalski"));
        QTest::mouseClick(e.ZapiszBtn, Qt::LeftButton); // login too short: stays open
        errorsWhileOpen = shownTexts();
        EXPECT_TRUE(e.isVisible());
        QTest::keyClicks(e.OpLogin, QStringLiteral("wal"));
        e.OpPoziom->setCurrentIndex(2);
        QTest::mouseClick(e.ZapiszBtn, Qt::LeftButton);
    });
    QTest::mouseClick(list.DodajBtn, Qt::LeftButton);

    EXPECT_EQ(caption, QStringLiteral("Operator - dodawanie"));
    EXPECT_EQ(errorsWhileOpen, QStringList{QStringLiteral("Login musi mieć przynajmniej 4 znaki")});
    const int id =
        S()->GetQueryValueAsInteger(QStringLiteral("select OP_INDEX from Operator where OP_LOGIN='jkowal'"));
    ASSERT_GT(id, 0);
    EXPECT_EQ(operatorValue(id, "OP_HASLO"),
              OperatorPasswordHash(QStringLiteral("mewra"), QStringLiteral("jkowal")));
    EXPECT_EQ(operatorValue(id, "OP_AKTYWNY"), QStringLiteral("A"));
    EXPECT_EQ(operatorValue(id, "OP_POZIOMUPRAWNIEN"), QStringLiteral("3"));
    EXPECT_EQ(operatorValue(id, "OP_CZYSTATYSTYKI"), QStringLiteral("0"));
    EXPECT_EQ(list.DBGrid3->model()->rowCount(), 2);
    EXPECT_TRUE(CheckLogin(QStringLiteral("jkowal"), QStringLiteral("mewra")).Succeeded);
}

TEST_F(OperatorOknaTest, AdminCannotLoseItsFlagLevelOrPassword)
{
    TFormOperatorLista list;
    list.show();
    ASSERT_TRUE(Data->QOperator->Locate(QStringLiteral("OP_LOGIN"), QStringLiteral("admin")));
    bool activeEnabled = true, levelEnabled = true, resetEnabled = true, statsEnabled = true;
    QString caption, passwordLabel;
    whenEditorShows(list, [&](TFormOperatorDodaj& e) {
        caption = e.windowTitle();
        passwordLabel = e.DomyslneHaslo->text();
        activeEnabled = e.OpAktywny->isEnabled();
        levelEnabled = e.OpPoziom->isEnabled();
        resetEnabled = e.ResetBtn->isEnabled();
        statsEnabled = e.OpStatystyki->isEnabled();
        e.OpNazwisko->setText(QStringLiteral("Zmienione"));
        QTest::mouseClick(e.AnulujBtn, Qt::LeftButton);
    });
    QTest::mouseClick(list.EdytujBtn, Qt::LeftButton);
    EXPECT_EQ(caption, QStringLiteral("Operator - edycja"));
    EXPECT_EQ(passwordLabel, QStringLiteral("admin"));
    EXPECT_FALSE(activeEnabled);
    EXPECT_FALSE(levelEnabled);
    EXPECT_FALSE(resetEnabled);
    EXPECT_FALSE(statsEnabled); // only the service session may grant statistics
    EXPECT_EQ(Data->QOperator->State(), dsBrowse);
    EXPECT_EQ(operatorValue(1, "OP_NAZWISKO"), QStringLiteral("Administrator"));
}

TEST_F(OperatorOknaTest, RenamedLoginNeedsTheResetButton)
{
    const int id = addOperator(QStringLiteral("jkowal"), QStringLiteral("tajne1"), QStringLiteral("A"), 3);
    TFormOperatorLista list;
    list.show();
    for (const bool reset : {false, true}) {
        ASSERT_TRUE(Data->QOperator->Locate(QStringLiteral("OP_INDEX"), id));
        const QString newLogin = reset ? QStringLiteral("jkowal3") : QStringLiteral("jkowal2");
        whenEditorShows(list, [&](TFormOperatorDodaj& e) {
            e.OpLogin->setText(newLogin);
            if (reset) QTest::mouseClick(e.ResetBtn, Qt::LeftButton);
            QTest::mouseClick(e.ZapiszBtn, Qt::LeftButton);
        });
        QTest::mouseClick(list.EdytujBtn, Qt::LeftButton);
        EXPECT_EQ(operatorValue(id, "OP_LOGIN"), newLogin);
        EXPECT_EQ(CheckLogin(newLogin, QStringLiteral("tajne1")).Succeeded, false) << reset;
        EXPECT_EQ(CheckLogin(newLogin, QStringLiteral("mewra")).Succeeded, reset) << reset;
    }
}

TEST_F(OperatorOknaTest, DeleteButtonAsksAndMarksTheOperator)
{
    const int id = addOperator(QStringLiteral("jkowal"), QStringLiteral("tajne1"), QStringLiteral("A"), 3);
    TFormOperatorLista list;
    list.show();
    ASSERT_TRUE(Data->QOperator->Locate(QStringLiteral("OP_INDEX"), id));
    m_answer = mrYes;
    QTest::mouseClick(list.UsunBtn, Qt::LeftButton);
    EXPECT_EQ(operatorValue(id, "OP_AKTYWNY"), QStringLiteral("U"));
    EXPECT_EQ(list.DBGrid3->model()->rowCount(), 2);
    // The grid shows the deleted operator in light grey.
    const int row = Data->QOperator->RecNo() - 1;
    const QVariant fg = list.DBGrid3->model()->data(list.DBGrid3->model()->index(row, 0), Qt::ForegroundRole);
    EXPECT_EQ(fg.value<QBrush>().color(), QColor(0xC0, 0xC0, 0xC0));
}

TEST_F(OperatorOknaTest, OwnPasswordChange)
{
    const int id = addOperator(QStringLiteral("jkowal"), QStringLiteral("tajne1"), QStringLiteral("A"), 3);
    LoginDialogLogin = QStringLiteral("jkowal");
    TFormOperatorZmienHaslo dlg;
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Zmień hasło"));
    EXPECT_EQ(dlg.Login->text(), QStringLiteral("jkowal"));

    QTest::keyClicks(dlg.Edit3, QStringLiteral("tajne1"));
    QTest::keyClicks(dlg.Edit1, QStringLiteral("abcd"));
    QTest::keyClicks(dlg.Edit2, QStringLiteral("abcd"));
    QTest::mouseClick(dlg.ZapiszBtn, Qt::LeftButton);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("Nowe hasło jest zbyt krótkie (minimum 5 znaków)!")});

    TMD::ClearRecorded();
    QTest::keyClicks(dlg.Edit1, QStringLiteral("e"));
    QTest::keyClicks(dlg.Edit2, QStringLiteral("e"));
    dlg.OpTelefon->setText(QStringLiteral("600100200"));
    QTest::mouseClick(dlg.ZapiszBtn, Qt::LeftButton);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("Hasło zostało zmienione")});
    EXPECT_TRUE(CheckLogin(QStringLiteral("jkowal"), QStringLiteral("abcde")).Succeeded);
    EXPECT_FALSE(CheckLogin(QStringLiteral("jkowal"), QStringLiteral("tajne1")).Succeeded);
    EXPECT_EQ(operatorValue(id, "OP_TELEFON"), QStringLiteral("600100200"));

    // With no password typed only the contact data are saved; the edits start empty.
    TMD::ClearRecorded();
    dlg.show();
    EXPECT_TRUE(dlg.Edit3->text().isEmpty());
    dlg.OpEmail->setText(QStringLiteral("jan@example.pl"));
    QTest::mouseClick(dlg.ZapiszBtn, Qt::LeftButton);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_TRUE(TMD::Recorded().isEmpty());
    EXPECT_EQ(operatorValue(id, "OP_EMAIL"), QStringLiteral("jan@example.pl"));
    EXPECT_TRUE(CheckLogin(QStringLiteral("jkowal"), QStringLiteral("abcde")).Succeeded);
}
