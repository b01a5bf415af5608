#pragma once
// The desk a window test works at: who is signed in, the program folder, the
// workstation's network adapter and message boxes answered without showing.
#include "core/Session.h"

#include <QString>

// The administrator signed in at level 1, as after a login at the desk.
TOperatorSession AdminSignedIn();

// One network adapter (the workstation id comes from its address), the
// program folder pointed at programFolder, message boxes answered with OK and
// their record cleared.
void PrepareDesk(const QString& programFolder);
// Undoes PrepareDesk.
void LeaveDesk();
// The private, export and archive folders of a desk under base, created.
TProgramFolders DeskFolders(const QString& base);
