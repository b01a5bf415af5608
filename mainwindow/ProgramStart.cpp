#include "mainwindow/ProgramStart.h"

#include "core/ActivityLog.h"
#include "core/DataModule.h"
#include "core/DialogPL.h"
#include "core/FormEx.h"
#include "core/FormLogo.h"
#include "core/Logowanie.h"
#include "core/Query.h"
#include "mainwindow/FormStyle.h"
#include "mainwindow/Glowny.h"
#include "mainwindow/User.h"
#include "platform/OdbcDataSource.h"
#include "platform/PdfPrinter.h"
#include "printouts/NaprawaOkienkaPostepuDrukowania.h"

#include <QLabel>
#include <QProgressBar>

int RunMainProgram()
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
    if (Data->Alias != QLatin1String("ORLIX4SQL")) FormLogo->Label1->setText(Data->Alias);
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
    const char* steps[] = {"1", "2",  "3",  "4",  "5",  "6",  "7",  "8",
                           "9", "11", "12", "13", "14", "15", "16", "Gotowe"};
    for (const char* s : steps) {
        FormLogo->StepProgress(QStringLiteral("Uruchamianie aplikacji ... ") + QLatin1String(s));
        if (qstrcmp(s, "1") == 0) {
            FormUser = new TFormUser();
            FormLogowanie = new TFormLogowanie();
        }
    }
    FormLogo->HideWithFade();

    // A failed or cancelled login ends here with exit code 0, after the
    // message hook step and without the message loop.
    return RunLoginAndMessageLoop(FormLogowanie, FormGlowny, [] { InstallPrintProgressFix(); });
}
