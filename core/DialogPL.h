#pragma once
// The one message box of the program: warnings, errors, notices, questions.
#include <QString>
#include <QStringList>
#include <functional>

// Button bits of the button set.
enum TMsgDlgBtn : unsigned
{
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
    mbAll = 1u << 7,
    mbNoToAll = 1u << 8,
    mbYesToAll = 1u << 9,
    mbHelp = 1u << 10
};
using TMsgDlgButtons = unsigned;

// Message kinds.
enum : unsigned char
{
    mtWarning = 0,
    mtError = 1,
    mtInformation = 2,
    mtConfirmation = 3,
    mtCustom = 4
};

// Results, as the system's callers test them.
enum : int
{
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7
};

class TMD
{
public:
    // Shows the box task-modal and on top; returns the button pressed (see results).
    static int MessageDlg(const QString& msg, unsigned char kind, TMsgDlgButtons buttons,
                          int helpContext = 0);

    // Caption and the button style chosen for a kind and button set (also what the box shows).
    static QString CaptionFor(unsigned char kind);
    enum class Style
    {
        Ok,
        OkCancel,
        AbortRetryIgnore,
        YesNoCancel,
        YesNo,
        RetryCancel
    };
    static Style StyleFor(TMsgDlgButtons buttons);
    // The answer of the first button of a style, and of closing the box without one.
    static int DefaultAnswer(Style style);
    static int CloseAnswer(Style style);
    // The text with its line breaks as "\n".
    static QString WithLineBreaks(const QString& msg);

    // What shows the box: the windows install one (InstallMessageBox). Without
    // it the text goes to the error stream and the first button answers.
    using Presenter =
        std::function<int(const QString& msg, const QString& caption, unsigned char kind, Style style)>;
    static void SetPresenter(Presenter presenter);
    // That fallback: the text to the error stream; the first button's answer.
    static int ToErrorStream(const QString& msg, const QString& caption, Style style);

    // Test hook: while installed, no box is shown; every call is recorded and
    // the hook's answer is returned (mrOk/mrYes/... ; 0 = the default button).
    struct Shown
    {
        QString text;
        QString caption;
        unsigned char kind;
        TMsgDlgButtons buttons;
    };
    using Hook = std::function<int(const Shown&)>;
    static void SetTestHook(Hook hook);
    static void ClearTestHook();
    static const QList<Shown>& Recorded();
    static void ClearRecorded();
};

// "Funkcja "X" nie jest jeszcze dostępna w tej wersji programu.": a command
// whose window comes with later work.
void ShowNotAvailable(const QString& caption);

// Makes TMD::MessageDlg show the Qt message box (the library of core's windows).
void InstallMessageBox();
