#include "platform/SystemSound.h"

#include <QApplication>

void PlayDefaultSound()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;
    QMetaObject::invokeMethod(
        app, [] { QApplication::beep(); }, Qt::QueuedConnection);
}
