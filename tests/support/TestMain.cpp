// One main for every test executable: a QApplication on the offscreen
// platform, so window tests and plain tests share the same set-up.
#include "mainwindow/Glowny.h"
#include "mainwindow/InstallHooks.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallProgramHooks();
    // Window tests show the main window on databases without a seller name;
    // the test of that rule sets the hook itself.
    TFormGlowny::AskForCompanyName = nullptr;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
