#include "core/Logowanie.h"

#include "core/ActivityLog.h"
#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/FormLogo.h"
#include "core/Funkcje2.h"
#include "core/ProgramHooks.h"
#include "core/Session.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

TFormLogowanie* FormLogowanie = nullptr;

namespace {

void waitForStartup()
{
    while (Data && !Data->StartupDone) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
}

// "#0.00 s" with the decimal comma.
QString secondsText(qint64 ms)
{
    return QString::number(double(ms) / 1000.0, 'f', 2).replace(QLatin1Char('.'), QLatin1Char(',')) +
           QStringLiteral(" s");
}

} // namespace

TFormLogowanie::TFormLogowanie(QWidget* parent) : TFormEx(parent)
{
    setObjectName(QStringLiteral("FormLogowanie"));
    buildUi();
}

void TFormLogowanie::buildUi()
{
    setWindowTitle(QStringLiteral("Orlix6 KSeF"));
    // A dialog frame with a title and no system buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    LoginOperatora = new QLineEdit(this);
    LoginOperatora->setObjectName(QStringLiteral("LoginOperatora"));
    Haslo = new QLineEdit(this);
    Haslo->setObjectName(QStringLiteral("Haslo"));
    Haslo->setEchoMode(QLineEdit::Password);
    Haslo->setStyleSheet(QStringLiteral("lineedit-password-character: 35;")); // '#'
    Haslo->installEventFilter(this);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));

    ZalogujBtn = new QPushButton(QStringLiteral("Zaloguj"), this);
    ZalogujBtn->setObjectName(QStringLiteral("ZalogujBtn"));
    AnulujBtn = new QPushButton(QStringLiteral("Anuluj"), this);
    AnulujBtn->setObjectName(QStringLiteral("AnulujBtn"));
    // Enter is handled per edit below, not by a default button.
    ZalogujBtn->setAutoDefault(false);
    AnulujBtn->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Login"), this), 0, 0);
    grid->addWidget(LoginOperatora, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Hasło"), this), 1, 0);
    grid->addWidget(Haslo, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ZalogujBtn);
    buttons->addWidget(AnulujBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(Label1);
    layout->addLayout(buttons);

    TimerOnTop = new QTimer(this);
    TimerOnTop->setInterval(250);

    connect(LoginOperatora, &QLineEdit::returnPressed, this, [this] { focusNextChild(); });
    connect(Haslo, &QLineEdit::returnPressed, ZalogujBtn, &QPushButton::click);
    connect(ZalogujBtn, &QPushButton::clicked, this, &TFormLogowanie::zalogujClick);
    connect(AnulujBtn, &QPushButton::clicked, this, &TFormLogowanie::anulujClick);
    connect(TimerOnTop, &QTimer::timeout, this, &TFormLogowanie::timerOnTopTick);
}

void TFormLogowanie::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    if (e->spontaneous()) return;
    SetDropShadow(false);
    LoginSucceeded = false;
    LoginAbandoned = true;
    // Every showing gets its three tries, also the login after a logout.
    Attempts = 1;
    LoginPressed = false;
    Label1->clear();
    const QString last = ReadLastLogin();
    LoginOperatora->setText(last.isEmpty() ? AdminLogin : last);
    QWidget* mainWindow = ProgramHooks().mainWindow ? ProgramHooks().mainWindow() : nullptr;
    const bool afterLogout = mainWindow && mainWindow->isVisible();
    if (!LoginOperatora->text().isEmpty() && !afterLogout)
        Haslo->setFocus();
    else
        LoginOperatora->setFocus();
    // Made here so that support can rely on it existing from the first start.
    InstallationSecret();
    try {
        const qint64 ms = SplashShownAt.isValid() ? SplashShownAt.msecsTo(QDateTime::currentDateTime()) : 0;
        LogTempInsert(QStringLiteral("tLogowanie"), secondsText(ms));
    } catch (...) {
        // a timing row is not worth a failed login
    }
    TimerOnTop->setInterval(250);
    TimerOnTop->start();
}

void TFormLogowanie::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        AnulujBtn->click();
        return;
    }
    TFormEx::keyPressEvent(e);
}

bool TFormLogowanie::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == Haslo && e->type() == QEvent::MouseButtonDblClick) {
        Haslo->setEchoMode(Haslo->echoMode() == QLineEdit::Password ? QLineEdit::Normal
                                                                    : QLineEdit::Password);
        return true;
    }
    return TFormEx::eventFilter(watched, e);
}

void TFormLogowanie::timerOnTopTick()
{
    TimerOnTop->setInterval(300000);
    try {
        if (GetForegroundWindowTitle() != windowTitle().trimmed()) BeepAsync();
    } catch (...) {
    }
}

void TFormLogowanie::zalogujClick()
{
    RunGuarded([this] {
        LoginPressed = true;
        LoginAbandoned = false;
        m_typedLogin = LoginOperatora->text();
        LoginDialogLogin = m_typedLogin;
        const QString password = Haslo->text();
        if (m_typedLogin.isEmpty() && password.isEmpty()) return;
        m_outcome = CheckLogin(m_typedLogin, password);
        if (m_outcome.Row.Active != QLatin1String("A")) return;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        WaitProcessingMessages(50);
        ServiceSession = m_outcome.Service;
        if (!m_outcome.Succeeded) return;
        LoginSucceeded = true;
        if (!m_outcome.Service) {
            DefaultPasswordInUse = m_outcome.DefaultPassword;
            WriteLastLogin(m_typedLogin);
            Haslo->clear();
        }
    });
    done(QDialog::Accepted);
}

void TFormLogowanie::anulujClick()
{
    LoginSucceeded = false;
    done(QDialog::Rejected);
}

void TFormLogowanie::done(int r)
{
    if (LoginPressed && !LoginSucceeded && Attempts < 3) {
        LoginPressed = false;
        TMD::MessageDlg(Haslo->text().trimmed().isEmpty()
                            ? QStringLiteral("Proszę wpisać hasło")
                            : QStringLiteral("Hasło nie jest poprawne dla tego użytkownika"),
                        mtError, mbOK);
        ++Attempts;
        Haslo->setFocus();
        return;
    }
    TFormEx::done(r);
    TimerOnTop->stop();
    if (!LoginAbandoned) RunGuarded([this] { afterHide(); });
}

void TFormLogowanie::afterHide()
{
    const QString typed = LoginOperatora->text();
    if (!LoginSucceeded) {
        LogEvent(QStringLiteral("Nieudane logowanie do systemu dla ") + typed);
        TMD::MessageDlg(
            QStringLiteral(
                "Podano nieprawidłowe dane logowania, lub nie masz uprawnień do używania programu."),
            mtWarning, mbOK);
    } else if (ServiceSession) {
        ApplyLoginToSession(m_outcome);
        LogEvent(QStringLiteral("Użycie hasła serwisowego"));
    } else {
        ApplyLoginToSession(m_outcome);
        LogEvent(QStringLiteral("Logowanie do systemu"));
        WriteLastLogin(typed);
    }
    if (ProgramHooks().mainWindow) RestoreMainWindowLayout(ProgramHooks().mainWindow());
    waitForStartup();
    if (!LoginSucceeded) {
        waitForStartup();
        WaitProcessingMessages(1000);
    }
}

void RestoreMainWindowLayout(QWidget* w)
{
    if (!w) return;
    if (ReadIniString(OperatorId, QStringLiteral("ResetSiatek"), QString()) == HostId) return;
    const TDbIni ini(HostId, OperatorId);
    const QString section = QStringLiteral("TFormGlowny");
    const int width = ini.ReadInteger(section, QStringLiteral("SzerokoscOkna"), w->width());
    const int height = ini.ReadInteger(section, QStringLiteral("WysokoscOkna"), w->height());
    const int left = ini.ReadInteger(section, QStringLiteral("PozycjaXOkna"), 30);
    const int top = ini.ReadInteger(section, QStringLiteral("PozycjaYOkna"), 30);
    const bool maximised = ini.ReadBool(section, QStringLiteral("Zmaksymalizowane"), true);
    w->resize(width, height);
    w->move(left, top);
    w->setWindowState(maximised ? (w->windowState() | Qt::WindowMaximized)
                                : (w->windowState() & ~Qt::WindowMaximized));
}

int RunLoginAndMessageLoop(TFormLogowanie* login, QWidget* mainWindow,
                           const std::function<void()>& installMessageHook)
{
    login->exec();
    const bool loggedIn = LoginSucceeded;
    if (!loggedIn && Data) Data->CloseDatasets();
    if (installMessageHook) installMessageHook();
    int rc = 0;
    if (loggedIn) {
        if (mainWindow) mainWindow->show();
        rc = QApplication::exec();
    }
    if (Data) Data->CloseDatasets();
    return rc;
}
