#pragma once
// The caption of the window in front. Other programs' windows cannot be read
// portably, so this is the program's own active window: empty while another
// program is in front, which is what the callers ask ("is our window in front?").
#include <QString>

QString ForegroundWindowCaption();
