#pragma once
// The login dialog: shown at start and after a logout; three tries.
#include "core/FormEx.h"
#include "core/Operatorzy.h"

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

class TFormLogowanie : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormLogowanie(QWidget* parent = nullptr);

    QLineEdit* LoginOperatora = nullptr;
    QLineEdit* Haslo = nullptr;
    QPushButton* ZalogujBtn = nullptr;
    QPushButton* AnulujBtn = nullptr;
    QLabel* Label1 = nullptr;
    QTimer* TimerOnTop = nullptr;

    // "Zaloguj" was pressed since the last refused close.
    bool LoginPressed = false;
    // The try in progress (1..3).
    int Attempts = 1;

    void done(int r) override;

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildUi();
    void zalogujClick();
    void anulujClick();
    void timerOnTopTick();
    // What the dialog does once it is hidden: session, log, layout, the wait.
    void afterHide();

    QString m_typedLogin;
    TLoginOutcome m_outcome;
};

extern TFormLogowanie* FormLogowanie;

// The main window's stored size and place for this workstation and operator,
// unless the workstation's "ResetSiatek" names this workstation.
void RestoreMainWindowLayout(QWidget* mainWindow);

// The program's steps after the splash: the login, the message hook and the
// message loop. A login that fails or is cancelled closes the datasets and
// ends with exit code 0 without entering the loop; the hook is installed
// either way. Returns the exit code.
int RunLoginAndMessageLoop(TFormLogowanie* login, QWidget* mainWindow,
                           const std::function<void()>& installMessageHook);
