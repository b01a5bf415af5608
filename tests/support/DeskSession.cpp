#include "tests/support/DeskSession.h"

#include "core/DialogPL.h"
#include "platform/NetworkAdapter.h"

#include <QDir>
#include <vector>

TOperatorSession AdminSignedIn()
{
    TOperatorSession s;
    s.Id = 1;
    s.Login = QStringLiteral("admin");
    s.RightsLevel = 1;
    s.StatsAllowed = true;
    s.LoginSucceeded = true;
    return s;
}

void PrepareDesk(const QString& programFolder)
{
    SetProgramFolder(programFolder);
    SetAdapterSource([] {
        return std::vector<TAdapterInfo>{{QStringLiteral("00:1a:2b:3c:4d:5e"), true, false}};
    });
    TMD::SetTestHook([](const TMD::Shown&) { return mrOk; });
    TMD::ClearRecorded();
}

TProgramFolders DeskFolders(const QString& base)
{
    TProgramFolders folders;
    folders.Private = base + QStringLiteral("/orlix_priv/");
    folders.Export = base + QStringLiteral("/eksport/");
    folders.Archive = base + QStringLiteral("/archiwum/");
    for (const QString& f : {folders.Private, folders.Export, folders.Archive})
        QDir().mkpath(f);
    return folders;
}

void LeaveDesk()
{
    TMD::ClearTestHook();
    TMD::ClearRecorded();
    SetAdapterSource({});
    SetProgramFolder(QString());
}
