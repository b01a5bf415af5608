#pragma once
// Drawing the user's attention to a window through its taskbar entry (the
// window manager's urgency hint). Safe from any thread: the request is carried
// out by the user-interface thread.
#include <functional>

class QWidget;

// Flashes the window that Window() returns (looked up on the user-interface
// thread, so it may be gone by then) for Ms milliseconds.
void FlashTaskbarEntry(std::function<QWidget*()> window, int ms);
