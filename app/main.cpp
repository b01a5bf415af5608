// Orlix6 KSeF: start-up and shutdown of the main program.
#include "core/Application.h"
#include "core/DbError.h"
#include "core/DialogPL.h"
#include "core/ProgramExit.h"
#include "core/WorkerThreads.h"
#include "mainwindow/InstallHooks.h"
#include "mainwindow/ProgramStart.h"

int main(int argc, char* argv[])
{
    TOrlixApplication app(argc, argv);
    InstallProgramHooks();
    SetProgramFormats();
    int code = 0;
    try {
        code = RunMainProgram();
    } catch (const EProgramExit& e) {
        code = e.code;
    } catch (const std::exception& e) {
        // An error that escaped a start-up step: shown, then exit code 1.
        const auto* db = dynamic_cast<const EDatabaseError*>(&e);
        TMD::MessageDlg(db ? db->Message() : QString::fromUtf8(e.what()), mtError, mbOK);
        code = 1;
    }
    // A balance run or the layout saver still going is stopped (a run rolls
    // back) and joined while everything it uses still exists.
    StopAndJoinWorkers();
    return code;
}
