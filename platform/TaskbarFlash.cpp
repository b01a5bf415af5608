#include "platform/TaskbarFlash.h"

#include <QApplication>
#include <QWidget>

void FlashTaskbarEntry(std::function<QWidget*()> window, int ms)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || !window) return;
    QMetaObject::invokeMethod(
        app,
        [window = std::move(window), ms] {
            if (QWidget* w = window()) QApplication::alert(w->window(), ms);
        },
        Qt::QueuedConnection);
}
