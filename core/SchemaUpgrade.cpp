#include "core/SchemaUpgrade.h"

#include "core/DbIni.h"
#include "core/Session.h"

// Placeholder until the full upgrade lands: only the version stamp.
void UpgradeSchema(TFormLogo*)
{
    WriteIniString(0, QStringLiteral("VerQv_VerView"), ProgramVersion + ProgramBuildSuffix);
}

void RebuildViews() {}

void CreateHistoryTriggers() {}
