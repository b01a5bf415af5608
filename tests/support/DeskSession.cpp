#include "tests/support/DeskSession.h"

#include "core/DialogPL.h"
#include "platform/NetworkAdapter.h"

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

void LeaveDesk()
{
    TMD::ClearTestHook();
    TMD::ClearRecorded();
    SetAdapterSource({});
    SetProgramFolder(QString());
}
