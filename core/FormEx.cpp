#include "core/FormEx.h"

#include "core/DataModule.h"
#include "core/DbError.h"
#include "core/DialogPL.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>

namespace {

struct IdleRegistration
{
    QWidget* form;
    std::function<void()> handler;
    QMetaObject::Connection destroyedConnection;
};

QList<IdleRegistration> g_idle;
QPointer<QTimer> g_idleTimer;
bool g_idleRunning = false;

TWindowErrorReporter g_reporter;
TFormStyleHook g_styleHook;

int findIdle(const QWidget* form)
{
    for (int i = 0; i < g_idle.size(); ++i)
        if (g_idle[i].form == form) return i;
    return -1;
}

// Qt offers no "queue went idle" signal that fires at a sane rate (aboutToBlock fires
// after every mouse move), so the idle routines run from a 100 ms timer instead; it only
// ticks while some window is registered.
void armIdleTimer()
{
    if (g_idleTimer || !QCoreApplication::instance()) return;
    g_idleTimer = new QTimer(QCoreApplication::instance());
    g_idleTimer->setInterval(100);
    QObject::connect(g_idleTimer, &QTimer::timeout, [] { RunIdleHandlers(); });
}

void updateIdleTimer()
{
    armIdleTimer();
    if (!g_idleTimer) return;
    if (g_idle.isEmpty())
        g_idleTimer->stop();
    else if (!g_idleTimer->isActive())
        g_idleTimer->start();
}

// The text to report for the exception being handled; false for the silent abort.
bool messageOfCurrentException(QString& message)
{
    try {
        throw;
    } catch (const EAbort&) {
        return false;
    } catch (const EDatabaseError& e) {
        message = e.Message();
    } catch (const std::exception& e) {
        message = QString::fromUtf8(e.what());
    } catch (...) {
        message = QStringLiteral("Wystąpił nieznany błąd.");
    }
    return true;
}

// Called from inside a catch block. A lost connection is not a window's
// error: the session is dead and every later save would fail, so it ends the
// program the way the application's handler does.
void reportCurrentException()
{
    try {
        throw;
    } catch (const EDatabaseError& e) {
        if (IsConnectionLostError(e)) return TData::ApplicationException(e);
    } catch (...) {
    }
    QString message;
    if (messageOfCurrentException(message)) ReportWindowError(message);
}

} // namespace

// ---------------------------------------------------------------------------
// Idle dispatcher

void RegisterIdleHandler(QWidget* form, std::function<void()> handler)
{
    if (!form) return;
    const int i = findIdle(form);
    if (i >= 0) {
        g_idle[i].handler = std::move(handler);
        return;
    }
    IdleRegistration reg{form, std::move(handler), {}};
    reg.destroyedConnection =
        QObject::connect(form, &QObject::destroyed, [form] { UnregisterIdleHandler(form); });
    g_idle.append(std::move(reg));
    updateIdleTimer();
}

void UnregisterIdleHandler(QWidget* form)
{
    const int i = findIdle(form);
    if (i < 0) return;
    QObject::disconnect(g_idle[i].destroyedConnection);
    g_idle.removeAt(i);
    updateIdleTimer();
}

void RunIdleHandlers()
{
    // A routine that opens a modal window spins a nested loop; the pass must not restart inside it.
    if (g_idleRunning) return;
    struct Running
    {
        Running() { g_idleRunning = true; }
        ~Running() { g_idleRunning = false; }
    } running;
    // Routines may register, unregister or delete windows during the pass: walk the forms
    // present at entry and look each one up again before calling it.
    QList<QWidget*> forms;
    forms.reserve(g_idle.size());
    for (const IdleRegistration& r : g_idle)
        forms.append(r.form);
    for (QWidget* form : forms) {
        const int i = findIdle(form);
        if (i < 0 || !g_idle[i].handler) continue;
        const std::function<void()> handler = g_idle[i].handler;
        try {
            handler();
        } catch (...) {
            reportCurrentException();
        }
    }
}

// ---------------------------------------------------------------------------
// Error reporting

void SetFormStyleHook(TFormStyleHook hook)
{
    g_styleHook = std::move(hook);
}

void SetWindowErrorReporter(TWindowErrorReporter reporter)
{
    g_reporter = std::move(reporter);
}

void ReportWindowError(const QString& message)
{
    if (g_reporter) {
        const TWindowErrorReporter reporter = g_reporter;
        reporter(message);
        return;
    }
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    std::fflush(stderr);
    TMD::MessageDlg(message, mtError, mbOK);
}

// ---------------------------------------------------------------------------
// TFormEx

TFormEx::TFormEx(QWidget* parent) : QDialog(parent)
{
    RegisterIdleHandler(this, [this] { IdleUpdate(); });
}

TFormEx::~TFormEx()
{
    UnregisterIdleHandler(this);
}

void TFormEx::SetDropShadow(bool on)
{
    // The window manager draws the decoration; the flag is kept for the callers that ask.
    m_dropShadow = on;
}

void TFormEx::SetAlphaBlend(bool on)
{
    if (m_alphaBlend == on) return;
    m_alphaBlend = on;
    applyOpacity();
}

void TFormEx::SetAlphaBlendValue(int v)
{
    v = std::clamp(v, 0, 255);
    if (m_alphaValue == v) return;
    m_alphaValue = v;
    applyOpacity();
}

void TFormEx::applyOpacity()
{
    setWindowOpacity(m_alphaBlend ? m_alphaValue / 255.0 : 1.0);
}

void TFormEx::HideWithFade()
{
    m_fading = true;
    // Cleared also when hiding throws; the window may be gone after processing events.
    struct ClearFlag
    {
        QPointer<TFormEx> form;
        ~ClearFlag()
        {
            if (form) form->m_fading = false;
        }
    } clearFlag{this};

    const unsigned total = BlendingHideTime;
    if (!isVisible() || total == 0 || total / 1000 > 59) {
        hide();
        SetAlphaBlend(false);
        return;
    }

    SetAlphaBlendValue(255);
    SetAlphaBlend(true);
    repaint();
    QElapsedTimer clock;
    clock.start();
    for (qint64 elapsed = clock.elapsed(); elapsed < total; elapsed = clock.elapsed()) {
        const double remaining = double(total - elapsed);
        SetAlphaBlendValue(int(std::lround(remaining / total * 255.0)));
        // Lets the platform take the new opacity; user input waits until the window is gone.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (!clearFlag.form) return;
        QThread::msleep(1);
    }
    hide();
    SetAlphaBlend(false);
}

void TFormEx::RunGuarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (...) {
        reportCurrentException();
    }
}

bool TFormEx::event(QEvent* e)
{
    // A failure in the window's own handlers (a save, a key command) must reach the
    // operator, not vanish: a swallowed error makes a failed save look done.
    try {
        if (e->type() == QEvent::Show && !m_styled) {
            m_styled = true;
            if (g_styleHook) g_styleHook(this);
        }
        return QDialog::event(e);
    } catch (...) {
        reportCurrentException();
        return true;
    }
}
