#include "core/Logowanie.h"

#include "core/DbIni.h"
#include "tests/core/LoginFixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

const QString kWrong = QStringLiteral("Hasło nie jest poprawne dla tego użytkownika");
const QString kFailed =
    QStringLiteral("Podano nieprawidłowe dane logowania, lub nie masz uprawnień do używania programu.");
const QString kAdapter = QStringLiteral(" (00-1A-2B-3C-4D-5E)");

void typePassword(TFormLogowanie& dlg, const QString& password)
{
    dlg.Haslo->clear();
    QTest::keyClicks(dlg.Haslo, password);
    QTest::keyClick(dlg.Haslo, Qt::Key_Return);
}

} // namespace

class LogowanieTest : public LoginFixture
{
};

TEST_F(LogowanieTest, AdminWithTheBasePasswordLogsIn)
{
    TFormLogowanie dlg;
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Orlix6 KSeF"));
    EXPECT_EQ(dlg.LoginOperatora->text(), QStringLiteral("admin")); // no last login yet
    EXPECT_EQ(dlg.focusWidget(), dlg.Haslo);
    // Enter in the login moves on to the password.
    dlg.LoginOperatora->setFocus();
    QTest::keyClick(dlg.LoginOperatora, Qt::Key_Return);
    EXPECT_EQ(dlg.focusWidget(), dlg.Haslo);
    EXPECT_TRUE(LoginAbandoned);

    typePassword(dlg, QStringLiteral("mewra"));

    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), int(QDialog::Accepted));
    EXPECT_TRUE(LoginSucceeded);
    EXPECT_FALSE(LoginAbandoned);
    EXPECT_FALSE(ServiceSession);
    EXPECT_TRUE(DefaultPasswordInUse);
    EXPECT_EQ(OperatorId, 1);
    EXPECT_EQ(OperatorLogin, QStringLiteral("admin"));
    EXPECT_EQ(OperatorRightsLevel, 1);
    EXPECT_TRUE(OperatorStatsAllowed);
    EXPECT_TRUE(dlg.Haslo->text().isEmpty());
    EXPECT_EQ(ReadLastLogin(), QStringLiteral("admin"));
    EXPECT_TRUE(TMD::Recorded().isEmpty()) << shownTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(newestLog(), QStringLiteral("admin : Logowanie do systemu") + kAdapter);
    EXPECT_EQ(S()->GetQueryValueAsInteger(
                  QStringLiteral("select count(*) from LogTemp where LT_NAZWA='tLogowanie'")),
              1);
}

TEST_F(LogowanieTest, ThreeWrongPasswordsEndTheStartWithCodeZero)
{
    TFormLogowanie dlg;
    QWidget mainWindow;
    bool hooked = false;
    bool openAfterTwo = false;
    QTimer::singleShot(0, &dlg, [&] {
        typePassword(dlg, QStringLiteral("zle1"));
        typePassword(dlg, QStringLiteral("zle2"));
        openAfterTwo = dlg.isVisible();
        typePassword(dlg, QStringLiteral("zle3"));
    });
    const int rc = RunLoginAndMessageLoop(&dlg, &mainWindow, [&] { hooked = true; });

    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(openAfterTwo);
    EXPECT_TRUE(hooked); // the message hook step runs also after a failed login
    EXPECT_FALSE(mainWindow.isVisible());
    EXPECT_FALSE(LoginSucceeded);
    EXPECT_EQ(OperatorId, 0);
    EXPECT_EQ(shownTexts(), (QStringList{kWrong, kWrong, kFailed}));
    EXPECT_EQ(TMD::Recorded().last().kind, mtWarning);
    EXPECT_EQ(newestLog(), QStringLiteral(" : Nieudane logowanie do systemu dla admin") + kAdapter);
    EXPECT_FALSE(Data->QOperator->Active());
}

TEST_F(LogowanieTest, CancelBeforeAnyTryEndsQuietlyWithCodeZero)
{
    TFormLogowanie dlg;
    QWidget mainWindow;
    bool hooked = false;
    const int logs = logCount();
    QTimer::singleShot(0, &dlg, [&] { QTest::keyClick(&dlg, Qt::Key_Escape); });
    const int rc = RunLoginAndMessageLoop(&dlg, &mainWindow, [&] { hooked = true; });
    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(hooked);
    EXPECT_FALSE(LoginSucceeded);
    EXPECT_TRUE(LoginAbandoned);
    EXPECT_TRUE(TMD::Recorded().isEmpty());
    EXPECT_EQ(logCount(), logs);
}

TEST_F(LogowanieTest, EveryShowingGetsThreeTries)
{
    TFormLogowanie dlg;
    // First login: one wrong try, then the right one.
    dlg.show();
    typePassword(dlg, QStringLiteral("zle"));
    typePassword(dlg, QStringLiteral("mewra"));
    ASSERT_TRUE(LoginSucceeded);
    ASSERT_FALSE(dlg.isVisible());

    // After a logout: "Anuluj" straight away is no failed try and shows nothing.
    TMD::ClearRecorded();
    const int logs = logCount();
    dlg.show();
    QTest::mouseClick(dlg.AnulujBtn, Qt::LeftButton);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_TRUE(TMD::Recorded().isEmpty()) << shownTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(logCount(), logs);

    // And the next showing has its three tries again.
    dlg.show();
    typePassword(dlg, QStringLiteral("zle1"));
    typePassword(dlg, QStringLiteral("zle2"));
    EXPECT_TRUE(dlg.isVisible());
    typePassword(dlg, QStringLiteral("zle3"));
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(shownTexts(), (QStringList{kWrong, kWrong, kFailed}));
}

TEST_F(LogowanieTest, EmptyPasswordIsAskedFor)
{
    TFormLogowanie dlg;
    dlg.show();
    dlg.Haslo->setText(QStringLiteral("   "));
    QTest::mouseClick(dlg.ZalogujBtn, Qt::LeftButton);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("Proszę wpisać hasło")});
    EXPECT_EQ(TMD::Recorded()[0].kind, mtError);
    EXPECT_EQ(dlg.Attempts, 2);
    EXPECT_FALSE(dlg.LoginPressed);
    // "Anuluj" after a failed try ends like a failed login.
    QTest::mouseClick(dlg.AnulujBtn, Qt::LeftButton);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(TMD::Recorded().last().text, kFailed);
    EXPECT_EQ(newestLog(), QStringLiteral(" : Nieudane logowanie do systemu dla admin") + kAdapter);
}

TEST_F(LogowanieTest, InactiveOperatorIsRefusedLikeAWrongPassword)
{
    addOperator(QStringLiteral("jkowal"), QStringLiteral("tajne1"), QStringLiteral("N"), 3);
    WriteLastLogin(QStringLiteral("jkowal"));
    TFormLogowanie dlg;
    dlg.show();
    EXPECT_EQ(dlg.LoginOperatora->text(), QStringLiteral("jkowal"));
    typePassword(dlg, QStringLiteral("tajne1"));
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(shownTexts(), QStringList{kWrong});
    EXPECT_FALSE(LoginSucceeded);
}

TEST_F(LogowanieTest, ServicePasswordOpensTheServiceSession)
{
    TFormLogowanie dlg;
    dlg.show();
    typePassword(dlg, CurrentServicePassword());
    EXPECT_TRUE(LoginSucceeded);
    EXPECT_TRUE(ServiceSession);
    EXPECT_EQ(OperatorId, 9999);
    EXPECT_EQ(OperatorLogin, QStringLiteral("superadmin"));
    EXPECT_EQ(OperatorRightsLevel, 0);
    EXPECT_EQ(newestLog(), QStringLiteral("superadmin : Użycie hasła serwisowego") + kAdapter);
    EXPECT_TRUE(ReadLastLogin().isEmpty());
}

TEST_F(LogowanieTest, DoubleClickShowsAndHidesThePassword)
{
    TFormLogowanie dlg;
    dlg.show();
    ASSERT_EQ(dlg.Haslo->echoMode(), QLineEdit::Password);
    QTest::mouseDClick(dlg.Haslo, Qt::LeftButton);
    EXPECT_EQ(dlg.Haslo->echoMode(), QLineEdit::Normal);
    QTest::mouseDClick(dlg.Haslo, Qt::LeftButton);
    EXPECT_EQ(dlg.Haslo->echoMode(), QLineEdit::Password);
}

TEST_F(LogowanieTest, MainWindowLayoutUnlessTheWorkstationAskedForAReset)
{
    HostId = QStringLiteral("00-11-22-33-44-55");
    OperatorId = 1;
    TDbIni ini(HostId, OperatorId);
    ini.WriteInteger(QStringLiteral("TFormGlowny"), QStringLiteral("SzerokoscOkna"), 700);
    ini.WriteInteger(QStringLiteral("TFormGlowny"), QStringLiteral("WysokoscOkna"), 500);
    ini.WriteInteger(QStringLiteral("TFormGlowny"), QStringLiteral("PozycjaXOkna"), 40);
    ini.WriteBool(QStringLiteral("TFormGlowny"), QStringLiteral("Zmaksymalizowane"), false);
    const struct
    {
        const char* resetSiatek;
        bool applied;
    } cases[] = {{"", true}, {"AA-BB-CC-DD-EE-FF", true}, {"00-11-22-33-44-55", false}};
    for (const auto& c : cases) {
        WriteIniString(OperatorId, QStringLiteral("ResetSiatek"), QString::fromLatin1(c.resetSiatek));
        QWidget w;
        w.resize(300, 200);
        RestoreMainWindowLayout(&w);
        if (c.applied) {
            EXPECT_EQ(w.size(), QSize(700, 500)) << c.resetSiatek;
            EXPECT_EQ(w.pos(), QPoint(40, 30)) << c.resetSiatek; // the top falls back to 30
            EXPECT_FALSE(w.windowState() & Qt::WindowMaximized);
        } else {
            EXPECT_EQ(w.size(), QSize(300, 200)) << c.resetSiatek;
        }
    }
    HostId = QStringLiteral("00-00-00-00-00-00");
}
