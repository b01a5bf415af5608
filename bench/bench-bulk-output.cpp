// The bulk output window's run over a generated ISP:
//   bench-bulk-output [--invoices N] [--subscribers N] [--database NAME] [--socket PATH] [--regenerate]
// Default: 1,000 invoices of company 1 (300 subscribers with billing history,
// generated on the first run and reused), printed to the PDF printer one job
// per invoice and each PDF mailed to its subscriber through a loopback SMTP
// server this program starts; then the same invoices printed only, side by side.
#include "bench/common/BenchSupport.h"
#include "bench/common/Generator.h"
#include "core/DateTimePicker.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Session.h"
#include "core/VatRates.h"
#include "platform/PdfPrinter.h"
#include "platform/PlatformContext.h"
#include "printouts/SmtpClient.h"
#include "printouts/WydrukDokumentow.h"
#include "tests/printouts/smtp/SmtpTestServer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: bench-bulk-output [--invoices N] [--subscribers N] [--database NAME] "
                         "[--socket PATH] [--regenerate]\n");
    return 2;
}

// One run of the window: seconds taken.
double Run(TFormWydrukDokumentow* form, int after)
{
    form->RadioGroup1->button(boPdfPrinter)->click();
    form->RadioGroup4->button(after)->click();
    QElapsedTimer t;
    t.start();
    form->RunBulkOutput();
    return t.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int invoices = 1000, subscribers = 300;
    QString database;
    bool regenerate = false;
    TBenchServer server;
    std::vector<TBenchOption> table = {
        {QStringLiteral("--regenerate"), [&](const QString&) { regenerate = true; }, true},
        {QStringLiteral("--invoices"), [&](const QString& v) { invoices = v.toInt(); }},
        {QStringLiteral("--subscribers"), [&](const QString& v) { subscribers = v.toInt(); }},
        {QStringLiteral("--database"), [&](const QString& v) { database = v; }}};
    server.AddOptions(table, false);
    if (!ParseBenchArgs(app.arguments(), table)) return usage();
    if (invoices <= 0 || subscribers <= 0) return usage();

    TConnectionParams params = server.Params(true);
    params.database = database.isEmpty() ? QStringLiteral("orlix6_bench_bulk_%1").arg(subscribers) : database;
    QTemporaryDir outDir;
    try {
        BenchEnsureDatabase(params, regenerate);
        TBenchDatabase db(params);
        if (!db.Open()) return 1;
        TDedicatedSession* s = db.Session();
        OperatorId = 1;
        OperatorRightsLevel = 0;
        SetVatRateTexts(QDate::currentDate());
        std::printf("database: %s\n", qPrintable(params.database));
        const bool ready = !BenchDatabaseEmpty(s) &&
                           s->GetQueryValueAsInteger(QStringLiteral("select count(*) from Fv")) >= invoices;
        if (!ready && !BenchGenerateWithHistory(s, subscribers,
                                                std::max(1, (invoices + subscribers - 1) / subscribers + 1)))
            return 1;
        for (const auto& [k, v] : std::vector<std::pair<const char*, const char*>>{
                 {"U_Nazwa1", "Światłowodowa Sieć Łódź"},
                 {"U_Ulica", "ul. Żeromskiego"},
                 {"U_NrDomu", "15"},
                 {"U_KodPocztowy", "90-001"},
                 {"U_Miejscowosc", "Łódź"},
                 {"U_NIP", "7251234567"},
                 {"U_NrKonta", "12 1240 1037 1111 0010 1234 5678"}})
            WriteIniString(0, QString::fromLatin1(k), QString::fromUtf8(v));
        // Exactly the first N invoices belong to company 1; every subscriber has an address.
        s->ExecQuery(
            QStringLiteral("update Fv set FV_PODMIOT=if(FV_INDEX<=(select m from (select FV_INDEX as m from "
                           "Fv order by FV_INDEX limit 1 offset :p1) x), 1, 2)"),
            {invoices - 1});
        s->ExecQuery(QStringLiteral("update Userdb set U_EMAIL=concat(:p1, U_INDEX, :p2)"),
                     {QStringLiteral("abonent"), QStringLiteral("@orlix.test")});

        // The program sends only over TLS after a login, so the stand-in offers both.
        TSmtpTestServer smtp;
        if (!smtp.Started()) {
            std::fprintf(stderr, "error: the SMTP stand-in did not start: %s\n",
                         qPrintable(smtp.StartError()));
            return 1;
        }
        WriteIniString(0, QString::fromLatin1(MailCertificateSetting), smtp.CertificatePath());
        WriteIniString(0, QStringLiteral("PocztaOrlixSerwer"), QStringLiteral("127.0.0.1"));
        WriteIniInteger(0, QStringLiteral("PocztaOrlixPort"), smtp.Port());
        WriteIniString(0, QStringLiteral("PocztaOrlixUser"), TSmtpTestServer::User);
        WriteIniString(0, QStringLiteral("PocztaOrlixHaslo"), TSmtpTestServer::Password);
        WriteIniString(0, QStringLiteral("PocztaOrlixFromAdres"), QStringLiteral("biuro@orlix.test"));
        WriteIniInteger(0, QStringLiteral("RodzajWysylaniaMaili"), 1);
        WriteIniString(OperatorId, QStringLiteral("DrukarkaPDF"), ProgramPdfPrinterName);

        PrivateFolder = outDir.path() + QStringLiteral("/priv/");
        ExportFolder = outDir.path() + QStringLiteral("/export/");
        QDir().mkpath(PrivateFolder);
        QDir().mkpath(ExportFolder);
        // The PDF printer writes where the program's export folder is.
        PlatformContext().exportFolder = [] { return ExportFolder; };
        PlatformContext().privateFolder = [] { return PrivateFolder; };
        TMD::SetTestHook([](const TMD::Shown& m) {
            std::fprintf(stderr, "message: %s\n", qPrintable(m.text));
            return int(mrOk);
        });

        auto* form = new TFormWydrukDokumentow();
        form->show();
        form->DateTimePicker1->SetChecked(false);
        form->DateTimePicker2->SetChecked(false);
        const double withMail = Run(form, 1);
        const TBulkRun mailed = form->LastRun;
        const double printOnly = Run(form, 0);
        const TBulkRun printed = form->LastRun;
        delete form;

        if (!mailed.Problems.isEmpty())
            std::fprintf(stderr, "first problem: %s\n", qPrintable(mailed.Problems[0]));
        std::printf("invoices: %d\n", mailed.FoundCount);
        std::printf("printed: %d\n", mailed.DoneCount);
        std::printf("mails_sent: %d\n", mailed.SentCount);
        std::printf("skipped_files: %d\n", mailed.SkippedFiles);
        std::printf("seconds_print_and_mail: %.2f\n", withMail);
        std::printf("invoices_per_s: %.1f\n", withMail > 0 ? mailed.DoneCount / withMail : 0.0);
        std::printf("seconds_print_only: %.2f\n", printOnly);
        std::printf("print_only_per_s: %.1f\n", printOnly > 0 ? printed.DoneCount / printOnly : 0.0);
        std::printf("mail_cost_ratio: %.2f\n", printOnly > 0 ? withMail / printOnly : 0.0);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    return 0;
}
