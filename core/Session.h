#pragma once
// Process-wide state of the signed-in operator and the program's folders.
#include <QString>

extern int OperatorId; // 0 before login, 9999 in the service session
extern QString OperatorLogin;
extern int OperatorRightsLevel; // smaller is more; 0 at start, 1 from the main window until a login
extern bool OperatorStatsAllowed;
extern bool LoginSucceeded;

extern const QString ProgramVersion;     // "v6.14"
extern const QString ProgramBuildSuffix; // "001"

// The folder of the executable, with a trailing separator.
QString ProgramFolder();
// Tests and tools may point the program folder elsewhere.
void SetProgramFolder(const QString& folder);
// "orlix_priv" in the program folder, with a trailing separator.
extern QString PrivateFolder;
extern QString ExportFolder;
extern QString ArchiveFolder;
