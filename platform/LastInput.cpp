#include "platform/LastInput.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <atomic>

namespace {

QElapsedTimer& inputClock()
{
    static QElapsedTimer t = [] {
        QElapsedTimer e;
        e.start();
        return e;
    }();
    return t;
}

std::atomic<qint64> g_lastInput{0};
std::atomic<bool> g_installed{false};

class TInputWatch : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        switch (e->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TabletPress:
            g_lastInput.store(inputClock().elapsed(), std::memory_order_relaxed);
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, e);
    }
};

void installAtStart()
{
    InstallLastInputWatch();
}

} // namespace

// Every program of the system gets the watch as soon as its application object exists.
Q_COREAPP_STARTUP_FUNCTION(installAtStart)

void InstallLastInputWatch()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || g_installed.exchange(true)) return;
    g_lastInput.store(inputClock().elapsed());
    app->installEventFilter(new TInputWatch(app));
}

qint64 MsSinceLastInput()
{
    InstallLastInputWatch();
    return inputClock().elapsed() - g_lastInput.load(std::memory_order_relaxed);
}
