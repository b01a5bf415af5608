#pragma once
// Process-wide state of the signed-in operator and the program's folders.
// Both are one object each; the old names stay as references into them.
#include <QString>

// Who works at this workstation and how the login went.
struct TOperatorSession
{
    int Id = 0; // 0 before login, 9999 in the service session
    QString Login;
    int RightsLevel = 0; // smaller is more; 0 at start, 1 from the main window until a login
    bool StatsAllowed = false;
    bool LoginSucceeded = false;
    bool ServiceSession = false;       // the last successful login used the service password
    bool DefaultPasswordInUse = false; // logged in with "mewra"; the main window asks for a new one
    bool LoginAbandoned = false;       // from the login dialog's show until "Zaloguj" is pressed
    QString LoginDialogLogin;          // the login typed in the last login dialog
};
TOperatorSession& CurrentOperator();

// The folders the program writes to, each with a trailing separator; the
// main window sets them from the settings at start.
struct TProgramFolders
{
    QString Private; // "orlix_priv" in the program folder
    QString Export;
    QString Archive;
};
TProgramFolders& ProgramFolders();

extern int& OperatorId;
extern QString& OperatorLogin;
extern int& OperatorRightsLevel;
extern bool& OperatorStatsAllowed;
extern bool& LoginSucceeded;
extern QString& PrivateFolder;
extern QString& ExportFolder;
extern QString& ArchiveFolder;

extern const QString ProgramVersion;     // "v6.14"
extern const QString ProgramBuildSuffix; // "001"

// The folder of the executable, with a trailing separator.
QString ProgramFolder();
// Tests and tools may point the program folder elsewhere.
void SetProgramFolder(const QString& folder);

// Puts an operator (and, when given, folders) in place for a scope and puts
// back what was there before: tests sign in without leaking into the next.
class TScopedSession
{
public:
    explicit TScopedSession(const TOperatorSession& signedIn);
    TScopedSession(const TOperatorSession& signedIn, const TProgramFolders& folders);
    ~TScopedSession();
    TScopedSession(const TScopedSession&) = delete;
    TScopedSession& operator=(const TScopedSession&) = delete;

private:
    TOperatorSession m_operator;
    TProgramFolders m_folders;
};
