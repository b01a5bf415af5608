// Invoice printouts to PDF on a generated ISP:
//   bench-printing [--invoices N] [--subscribers N] [--database NAME] [--socket PATH] [--out DIR]
//   [--regenerate]
// Default: 1,000 invoices, each printed on its own as the lists and the bulk
// output print them (one run, one PDF file), from a base of 300 subscribers
// with 6 months of billing history, generated on the first run and reused.
#include "bench/common/BenchSupport.h"
#include "bench/common/Generator.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Query.h"
#include "core/Session.h"
#include "core/VatRates.h"
#include "platform/PdfPrinter.h"
#include "printouts/DrukFv.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

namespace {
int usage()
{
    std::fprintf(stderr,
                 "usage: bench-printing [--invoices N] [--subscribers N] [--database NAME] [--socket PATH] "
                 "[--out DIR] [--regenerate]\n");
    return 2;
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int invoices = 1000, subscribers = 300;
    QString database, out;
    bool regenerate = false;
    TBenchServer server;
    std::vector<TBenchOption> table = {
        {QStringLiteral("--regenerate"), [&](const QString&) { regenerate = true; }, true},
        {QStringLiteral("--invoices"), [&](const QString& v) { invoices = v.toInt(); }},
        {QStringLiteral("--subscribers"), [&](const QString& v) { subscribers = v.toInt(); }},
        {QStringLiteral("--database"), [&](const QString& v) { database = v; }},
        {QStringLiteral("--out"), [&](const QString& v) { out = v; }}}; // keep the PDFs there
    server.AddOptions(table, false);
    if (!ParseBenchArgs(app.arguments(), table)) return usage();
    if (invoices <= 0 || subscribers <= 0) return usage();

    TConnectionParams params = server.Params(true);
    params.database =
        database.isEmpty() ? QStringLiteral("orlix6_bench_printing_%1").arg(subscribers) : database;

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
        if (!ready) {
            if (!BenchGenerateWithHistory(s, subscribers,
                                          std::max(1, (invoices + subscribers - 1) / subscribers + 1)))
                return 1;
            for (const auto& [k, v] : std::vector<std::pair<const char*, const char*>>{
                     {"U_Nazwa1", "Światłowodowa Sieć Łódź"},
                     {"U_Nazwa2", "Sp. z o.o."},
                     {"U_Ulica", "ul. Żeromskiego"},
                     {"U_NrDomu", "15"},
                     {"U_KodPocztowy", "90-001"},
                     {"U_Miejscowosc", "Łódź"},
                     {"U_NIP", "7251234567"},
                     {"U_NazwaBanku", "Bank Pekao S.A."},
                     {"U_NrKonta", "12 1240 1037 1111 0010 1234 5678"}})
                WriteIniString(0, QString::fromLatin1(k), QString::fromUtf8(v));
        }
        const int available = s->GetQueryValueAsInteger(QStringLiteral("select count(*) from Fv"));
        std::printf("invoices_in_database: %d\n", available);

        PrivateFolder = outDir.path() + QStringLiteral("/priv/");
        ExportFolder = out.isEmpty() ? outDir.path() + QStringLiteral("/export/")
                                     : QDir(out).absolutePath() + QLatin1Char('/');
        QDir().mkpath(PrivateFolder);
        QDir().mkpath(ExportFolder);

        const QStringList ids = s->GetQueryValuesAsList(
            QStringLiteral("select FV_INDEX from Fv order by FV_INDEX limit :p1"), {invoices});
        TFormDrukFv* form = FormDrukFv();
        QElapsedTimer t;
        t.start();
        qint64 bytes = 0;
        int printed = 0;
        for (const QString& id : ids) {
            form->PrinterName = ProgramPdfPrinterName;
            form->QFv()->SetSQL(QStringLiteral("select * from vFvLista where FV_INDEX=") + id);
            form->PrintDirect();
            bytes += QFileInfo(form->LastPdfFile).size();
            ++printed;
        }
        const double seconds = t.nsecsElapsed() / 1e9;
        std::printf("invoices_printed: %d\n", printed);
        std::printf("seconds: %.2f\n", seconds);
        std::printf("ms_per_invoice: %.2f\n", printed ? seconds * 1000.0 / printed : 0.0);
        std::printf("average_pdf_kb: %.1f\n", printed ? bytes / 1024.0 / printed : 0.0);
        std::printf("invoices_per_second: %.1f\n", seconds > 0 ? printed / seconds : 0.0);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    return 0;
}
