// The dispatch of the one message box: the test hook, the trace file, then
// whatever shows the box (the windows library's presenter).
#include "core/DialogPL.h"

#include <QFile>

#include <cstdio>
#include <mutex>

namespace {

TMD::Hook g_hook;
TMD::Presenter g_presenter;
QList<TMD::Shown> g_recorded;
std::mutex g_recordMutex; // workers may ask questions too

// Scripts and tests run the program under xvfb; this file is their trace of what it said.
void appendToLog(const QString& caption, const QString& msg)
{
    const QByteArray path = qgetenv("ORLIX_MSGBOX_LOG");
    if (path.isEmpty()) return;
    QFile f(QString::fromLocal8Bit(path));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) return;
    f.write(QStringLiteral("[%1] %2\n").arg(caption, TMD::WithLineBreaks(msg)).toUtf8());
}

} // namespace

int TMD::DefaultAnswer(Style style)
{
    switch (style) {
    case Style::Ok:
    case Style::OkCancel:
        return mrOk;
    case Style::YesNo:
    case Style::YesNoCancel:
        return mrYes;
    case Style::RetryCancel:
        return mrRetry;
    case Style::AbortRetryIgnore:
        return mrAbort;
    }
    return mrOk;
}

// Closed without a button: Escape, the window's close.
int TMD::CloseAnswer(Style style)
{
    switch (style) {
    case Style::OkCancel:
    case Style::RetryCancel:
    case Style::YesNoCancel:
        return mrCancel;
    case Style::YesNo:
        return mrNo;
    case Style::AbortRetryIgnore:
        return mrAbort;
    case Style::Ok:
        return mrOk;
    }
    return mrOk;
}

QString TMD::WithLineBreaks(const QString& msg)
{
    QString text = msg;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString TMD::CaptionFor(unsigned char kind)
{
    switch (kind) {
    case mtWarning:
        return QStringLiteral("Ostrzeżenie");
    case mtError:
        return QStringLiteral("Błąd");
    case mtInformation:
        return QStringLiteral("Informacja");
    case mtConfirmation:
        return QStringLiteral("Potwierdź");
    default:
        return QStringLiteral("Wiadomość");
    }
}

TMD::Style TMD::StyleFor(TMsgDlgButtons b)
{
    auto has = [b](TMsgDlgButtons bits) { return (b & bits) == bits; };
    if (has(mbOK | mbCancel)) return Style::OkCancel;
    if (has(mbRetry | mbCancel)) return Style::RetryCancel;
    if (has(mbYes | mbNo | mbCancel)) return Style::YesNoCancel;
    if (has(mbYes | mbNo)) return Style::YesNo;
    if (has(mbAbort | mbRetry | mbIgnore)) return Style::AbortRetryIgnore;
    return Style::Ok;
}

int TMD::MessageDlg(const QString& msg, unsigned char kind, TMsgDlgButtons buttons, int /*helpContext*/)
{
    const QString caption = CaptionFor(kind);
    const Style style = StyleFor(buttons);
    appendToLog(caption, msg);

    if (g_hook) {
        const Shown shown{msg, caption, kind, buttons};
        {
            std::lock_guard lock(g_recordMutex);
            g_recorded.append(shown);
        }
        const Hook hook = g_hook; // the hook may clear itself
        const int answer = hook(shown);
        return answer != mrNone ? answer : DefaultAnswer(style);
    }

    if (g_presenter) return g_presenter(msg, caption, kind, style);
    return ToErrorStream(msg, caption, style);
}

int TMD::ToErrorStream(const QString& msg, const QString& caption, Style style)
{
    std::fprintf(stderr, "%s: %s\n", caption.toLocal8Bit().constData(),
                 WithLineBreaks(msg).toLocal8Bit().constData());
    std::fflush(stderr);
    return DefaultAnswer(style);
}

void TMD::SetPresenter(Presenter presenter)
{
    g_presenter = std::move(presenter);
}

void TMD::SetTestHook(Hook hook)
{
    g_hook = std::move(hook);
}

void TMD::ClearTestHook()
{
    g_hook = nullptr;
}

const QList<TMD::Shown>& TMD::Recorded()
{
    return g_recorded;
}

void TMD::ClearRecorded()
{
    std::lock_guard lock(g_recordMutex);
    g_recorded.clear();
}

void ShowNotAvailable(const QString& caption)
{
    TMD::MessageDlg(
        QStringLiteral("Funkcja \"%1\" nie jest jeszcze dostępna w tej wersji programu.").arg(caption),
        mtInformation, mbOK);
}
