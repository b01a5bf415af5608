#pragma once
// The time since the last keyboard or mouse input. The desktop-wide
// last-input tick has no portable counterpart, so the program watches the
// input it receives itself: an application-wide event filter, installed when
// the application object is created.
#include <QtGlobal>

// Installs the watch (once; later calls do nothing). Needs the application object.
void InstallLastInputWatch();
// Milliseconds since the last input event, or since the watch was installed
// when there was none yet.
qint64 MsSinceLastInput();
