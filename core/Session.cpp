#include "core/Session.h"

#include "core/Operatorzy.h"

#include <QCoreApplication>
#include <QDir>

namespace {
TOperatorSession g_operator;
TProgramFolders g_folders;
} // namespace

TOperatorSession& CurrentOperator()
{
    return g_operator;
}

TProgramFolders& ProgramFolders()
{
    return g_folders;
}

// The old names, bound once to the two objects.
int& OperatorId = g_operator.Id;
QString& OperatorLogin = g_operator.Login;
int& OperatorRightsLevel = g_operator.RightsLevel;
bool& OperatorStatsAllowed = g_operator.StatsAllowed;
bool& LoginSucceeded = g_operator.LoginSucceeded;
bool& ServiceSession = g_operator.ServiceSession;
bool& DefaultPasswordInUse = g_operator.DefaultPasswordInUse;
bool& LoginAbandoned = g_operator.LoginAbandoned;
QString& LoginDialogLogin = g_operator.LoginDialogLogin;
QString& PrivateFolder = g_folders.Private;
QString& ExportFolder = g_folders.Export;
QString& ArchiveFolder = g_folders.Archive;

const QString ProgramVersion = QStringLiteral("v6.14");
const QString ProgramBuildSuffix = QStringLiteral("001");

namespace {
QString g_programFolder;
}

QString ProgramFolder()
{
    if (g_programFolder.isEmpty()) {
        QString dir =
            QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
        if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
        g_programFolder = dir;
    }
    return g_programFolder;
}

void SetProgramFolder(const QString& folder)
{
    g_programFolder = folder;
    if (!g_programFolder.isEmpty() && !g_programFolder.endsWith(QLatin1Char('/')))
        g_programFolder += QLatin1Char('/');
}

TScopedSession::TScopedSession(const TOperatorSession& signedIn)
    : m_operator(g_operator), m_folders(g_folders)
{
    g_operator = signedIn;
}

TScopedSession::TScopedSession(const TOperatorSession& signedIn, const TProgramFolders& folders)
    : TScopedSession(signedIn)
{
    g_folders = folders;
}

TScopedSession::~TScopedSession()
{
    g_operator = m_operator;
    g_folders = m_folders;
}
