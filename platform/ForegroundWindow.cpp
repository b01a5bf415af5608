#include "platform/ForegroundWindow.h"

#include <QApplication>
#include <QWidget>

QString ForegroundWindowCaption()
{
    QWidget* w = QApplication::activeWindow();
    return w ? w->windowTitle() : QString();
}
