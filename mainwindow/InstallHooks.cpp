#include "mainwindow/InstallHooks.h"

#include "billing/SaldoBazy.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/Funkcje2.h"
#include "core/ProgramHooks.h"
#include "core/Session.h"
#include "mainwindow/Glowny.h"
#include "platform/PlatformContext.h"

void InstallProgramHooks()
{
    InstallMessageBox();

    TProgramHooks& hooks = ProgramHooks();
    hooks.startBalanceRecount = [] { TSaldoBazy::Create(0); };
    hooks.mainWindow = []() -> QWidget* { return FormGlowny; };
    hooks.showStepInStatus = ShowStepInMainWindow;

    TPlatformContext& platform = PlatformContext();
    platform.privateFolder = [] { return PrivateFolder; };
    platform.exportFolder = [] { return ExportFolder; };
    platform.pdfPrinterSetting = [] {
        return ReadIniString(OperatorId, QStringLiteral("DrukarkaPDF"), QString());
    };
}
