#include "mainwindow/InstallHooks.h"

#include "billing/FvAutomat.h"
#include "billing/FvKorektaLista.h"
#include "billing/FvLista.h"
#include "billing/FvUser.h"
#include "billing/ListyDruk.h"
#include "billing/OplatyDodaj.h"
#include "billing/OplatyLista.h"
#include "billing/PzLista.h"
#include "billing/PzUser.h"
#include "billing/SaldoBazy.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/Funkcje2.h"
#include "core/KonfiguracjaKlucze.h"
#include "core/ProgramHooks.h"
#include "core/Session.h"
#include "core/ZmienneTekstowe.h"
#include "ksef/Ksef.h"
#include "ksef/KsefPobrane.h"
#include "mainwindow/DefinicjeHooks.h"
#include "mainwindow/Glowny.h"
#include "mainwindow/Konfiguracja.h"
#include "mainwindow/User.h"
#include "mainwindow/UserDodaj.h"
#include "network/MikrotikWysylka.h"
#include "payments/ImportPlatnosciMasowych.h"
#include "platform/PlatformContext.h"
#include "printouts/DrukFvKorekta.h"
#include "printouts/DrukKP.h"
#include "printouts/DrukPz.h"
#include "printouts/KopiaElektronicznaWeryfikacja.h"
#include "printouts/WydrukDokumentow.h"

#include <QLabel>

void InstallProgramHooks()
{
    InstallMessageBox();

    TProgramHooks& hooks = ProgramHooks();
    hooks.startBalanceRecount = [] { TSaldoBazy::Create(0); };
    hooks.mainWindow = []() -> QWidget* { return FormGlowny; };
    hooks.showStepInStatus = ShowStepInMainWindow;
    hooks.archiveLamp = [](int lamp, const QString& hint) {
        if (FormGlowny) FormGlowny->ShowArchiveLamp(lamp, hint);
    };
    hooks.archiveStatus = [](const QString& text) {
        if (!FormGlowny || !FormGlowny->StatusPanels[3]) return;
        FormGlowny->StatusPanels[3]->setText(text);
        FormGlowny->StatusPanels[3]->repaint();
    };
    TFormGlowny::OpenInvoicingRun = [] { FormFvAutomat()->exec(); };
    TFormGlowny::AskForCompanyName = [] {
        if (CompanyNameMissing()) ShowKonfiguracja(kPageDaneFirmy);
    };
    PickTextVariable = TFormZmienneTekstowe::Pick;
    TFormGlowny::OpenNewUser = AddNewUser;
    TFormGlowny::OpenUserEditor = EditUser;
    TFormUser::OpenUserEditor = EditUser;
    TFormGlowny::OpenBulkPayments = [] { OpenImportPlatnosciMasowych(); };
    TFormGlowny::ListOpeners = {[] { FormFvLista()->exec(); },      [] { FormFvKorektaLista()->exec(); },
                                [] { FormPzLista()->exec(); },      [] { FormOplatyLista()->exec(); },
                                [](int user) { ShowFvUser(user); }, [](int user) { ShowPzUser(user); }};
    ListHooks().showUserCard = ShowUserCard;
    ListHooks().printCorrection = [](int fvk, const QString& printer, bool pdf) {
        PrintFvkDocument(fvk, printer, pdf);
    };
    ListHooks().printDemand = [](int pz, const QString& printer, bool pdf) {
        PrintPzDocument(pz, printer, pdf);
    };
    ListHooks().printCashReceipt = [](int o, const QString& printer, bool pdf) {
        PrintKpDocument(o, printer, pdf);
    };
    ListHooks().editPayment = EditOplata;
    TFormGlowny::OpenBulkOutput = [] { FormWydrukDokumentow()->exec(); };
    TFormGlowny::OpenElectronicCopyCheck = [] { FormKopiaElektronicznaWeryfikacja()->exec(); };
    TFormGlowny::OpenKsef = [] { FormKsef()->exec(); };
    TFormGlowny::OpenKsefReceived = [] { FormKsefPobrane()->exec(); };
    TFormKsef::OpenReceived = TFormGlowny::OpenKsefReceived;
    // MikroTik sends report in the status bar's fourth panel.
    MikrotikSendHooks().statusText = [](const QString& text) {
        if (!FormGlowny || !FormGlowny->StatusPanels[3]) return;
        FormGlowny->StatusPanels[3]->setText(text);
        FormGlowny->StatusPanels[3]->repaint();
    };

    TPlatformContext& platform = PlatformContext();
    platform.privateFolder = [] { return PrivateFolder; };
    platform.exportFolder = [] { return ExportFolder; };
    platform.pdfPrinterSetting = [] {
        return ReadIniString(OperatorId, QStringLiteral("DrukarkaPDF"), QString());
    };
}
