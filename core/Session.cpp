#include "core/Session.h"

#include <QCoreApplication>
#include <QDir>

int OperatorId = 0;
QString OperatorLogin;
int OperatorRightsLevel = 0; // 1 once the main window exists
bool OperatorStatsAllowed = false;
bool LoginSucceeded = false;

const QString ProgramVersion = QStringLiteral("v6.14");
const QString ProgramBuildSuffix = QStringLiteral("001");

QString PrivateFolder;
QString ExportFolder;
QString ArchiveFolder;

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
