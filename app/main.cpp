// Orlix6 KSeF: start-up and shutdown of the main program.
#include "core/ActivityLog.h"
#include "core/Application.h"
#include "core/DataModule.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/FormEx.h"
#include "core/FormLogo.h"
#include "core/Logowanie.h"
#include "core/ProgramExit.h"
#include "core/Session.h"
#include "mainwindow/FormStyle.h"
#include "mainwindow/Glowny.h"
#include "platform/OdbcDataSource.h"
#include "platform/PdfPrinter.h"
#include "printouts/NaprawaOkienkaPostepuDrukowania.h"

#include <QLabel>
#include <QProgressBar>

namespace {

int runProgram()
{
    FormLogo = new TFormLogo();
    CreateOdbcDataSource(QStringLiteral("ORLIX4SQL"));
    FormLogo->CzynnoscLabel->clear();
    FormLogo->Gauge1->setVisible(false);
    FormLogo->show();
    FormLogo->CzynnoscLabel->setVisible(true);
    FormLogo->Gauge1->setVisible(true);
    FormLogo->repaint();
    FormLogo->SetStepText(QStringLiteral("Łączenie do bazy danych..."));
    FormLogo->repaint();

    Data = new TData();
    Data->DataCreate();
    // The font of "czcionka.ini" is known now: every window shown from here on gets it.
    InstallFormStyle();
    // "Orlix PDF" is offered beside the system's printers.
    RegisterPdfPrinter();
    // From here on a window's failed handler also leaves a trace in the activity log.
    SetWindowErrorReporter([](const QString& message) {
        LogEvent(message.left(200));
        TMD::MessageDlg(message, mtError, mbOK);
    });

    FormGlowny = new TFormGlowny();
    // From the main window's creation on, a failed assertion is only written down.
    InstallAssertionLog(true);
    Data->RunStartupSequence(FormLogo);

    // The windows that live for the whole run are created here as their units
    // arrive; the steps keep their texts (there is no step 10).
    const char* steps[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "11", "12", "13", "14", "15", "16", "Gotowe"};
    for (const char* s : steps) {
        FormLogo->StepProgress(QStringLiteral("Uruchamianie aplikacji ... ") + QLatin1String(s));
        if (qstrcmp(s, "1") == 0) FormLogowanie = new TFormLogowanie();
    }
    FormLogo->HideWithFade();

    // A failed or cancelled login ends here with exit code 0, after the
    // message hook step and without the message loop.
    return RunLoginAndMessageLoop(FormLogowanie, FormGlowny, [] {
        InstallPrintProgressFix();
    });
}

} // namespace

int main(int argc, char* argv[])
{
    TOrlixApplication app(argc, argv);
    SetProgramFormats();
    try {
        return runProgram();
    } catch (const EProgramExit& e) {
        return e.code;
    } catch (const std::exception& e) {
        // An error that escaped a start-up step: shown, then exit code 1.
        const auto* db = dynamic_cast<const EDatabaseError*>(&e);
        TMD::MessageDlg(db ? db->Message() : QString::fromUtf8(e.what()), mtError, mbOK);
        return 1;
    }
}
