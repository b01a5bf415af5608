// The sales register and the JPK file of a year on a generated ISP:
//   bench-jpk [--subscribers N] [--months M] [--database NAME] [--socket PATH] [--regenerate]
// Default: 20,000 subscribers with 12 months of billing history, generated on
// the first run and reused. Prints the register's time from the button to a
// preview whose page count is known, the JPK_V7M(3) writer's time, the time
// of the same rows fetched with bare Connector/C in the same run, the two
// ratios against it, and the time to print every register page to PDF.
#include "bench/common/BenchSupport.h"
#include "bench/common/Generator.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Session.h"
#include "core/VatRates.h"
#include "ksef/Jpk.h"
#include "ksef/JpkCommon.h"
#include "platform/PdfPrinter.h"
#include "printouts/PodgladRaportu.h"
#include "registers/DrukEwidencjaSprzedazy.h"
#include "registers/EwidencjaDane.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <mysql.h>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: bench-jpk [--subscribers N] [--months M] [--database NAME] [--socket PATH] "
                         "[--regenerate]\n");
    return 2;
}

double secondsSince(const QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e9;
}

// The statement with its period spelled out, for a client that binds nothing.
QString literal(QString sql, const QDate& from, const QDate& to)
{
    return sql
        .replace(QStringLiteral(":p1"), QLatin1Char('\'') + from.toString(Qt::ISODate) + QLatin1Char('\''))
        .replace(QStringLiteral(":p2"), QLatin1Char('\'') + to.toString(Qt::ISODate) + QLatin1Char('\''));
}

// Fetches every row of the statements with the client library alone and
// touches every cell; returns the rows.
qint64 bareFetch(const TConnectionParams& p, const QStringList& statements)
{
    MYSQL* m = mysql_init(nullptr);
    const QByteArray host = p.host.toUtf8(), user = p.user.toUtf8(), pass = p.password.toUtf8(),
                     db = p.database.toUtf8(), sock = p.socket.toUtf8();
    if (!mysql_real_connect(m, host.isEmpty() ? nullptr : host.constData(), user.constData(),
                            pass.constData(), db.constData(), p.port,
                            sock.isEmpty() ? nullptr : sock.constData(), 0))
        throw std::runtime_error(mysql_error(m));
    mysql_set_character_set(m, "utf8");
    qint64 rows = 0, bytes = 0;
    for (const QString& sql : statements) {
        const QByteArray q = sql.toUtf8();
        if (mysql_real_query(m, q.constData(), q.size()) != 0) throw std::runtime_error(mysql_error(m));
        MYSQL_RES* res = mysql_store_result(m);
        const unsigned n = mysql_num_fields(res);
        while (MYSQL_ROW row = mysql_fetch_row(res)) {
            const unsigned long* len = mysql_fetch_lengths(res);
            for (unsigned i = 0; i < n; ++i)
                bytes += row[i] ? qint64(len[i]) : 0;
            ++rows;
        }
        mysql_free_result(res);
    }
    mysql_close(m);
    return bytes >= 0 ? rows : 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int subscribers = 20000, months = 12;
    QString database;
    bool regenerate = false;
    TBenchServer server;
    std::vector<TBenchOption> table = {
        {QStringLiteral("--regenerate"), [&](const QString&) { regenerate = true; }, true},
        {QStringLiteral("--subscribers"), [&](const QString& v) { subscribers = v.toInt(); }},
        {QStringLiteral("--months"), [&](const QString& v) { months = v.toInt(); }},
        {QStringLiteral("--database"), [&](const QString& v) { database = v; }}};
    server.AddOptions(table, false);
    if (!ParseBenchArgs(app.arguments(), table)) return usage();
    if (subscribers <= 0 || months <= 0) return usage();

    TConnectionParams params = server.Params(true);
    params.database =
        database.isEmpty() ? QStringLiteral("orlix6_bench_jpk_%1_%2").arg(subscribers).arg(months) : database;
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
        if (BenchDatabaseEmpty(s) && !BenchGenerateWithHistory(s, subscribers, months)) return 1;
        for (const auto& [k, v] :
             std::vector<std::pair<const char*, const char*>>{{"U_Nazwa1", "Sieć Łódź"},
                                                              {"U_Nazwa2", "Sp. z o.o."},
                                                              {"U_KodUS", "1471"},
                                                              {"U_NIP", "7251234567"},
                                                              {"U_EmailJPK", "jpk@siec.pl"}})
            WriteIniString(0, QString::fromLatin1(k), QString::fromUtf8(v));

        PrivateFolder = outDir.path() + QStringLiteral("/priv/");
        ExportFolder = outDir.path() + QStringLiteral("/export/");
        QDir().mkpath(PrivateFolder);
        QDir().mkpath(ExportFolder);

        const QDate to =
            QDate::fromString(s->GetQueryValueAsString(QStringLiteral("select max(FV_DATAWYSTAWIENIA) "
                                                                      "from Fv")),
                              Qt::ISODate);
        const QDate from = QDate(to.year(), to.month(), 1).addMonths(-(months - 1));
        std::printf("period: %s - %s\n", qPrintable(from.toString(Qt::ISODate)),
                    qPrintable(to.toString(Qt::ISODate)));
        std::printf(
            "invoices: %d\ncorrections: %d\n",
            s->GetQueryValueAsInteger(QStringLiteral("select count(*) from Fv where FV_DATAWYSTAWIENIA "
                                                     "between :p1 and :p2"),
                                      {from.toString(Qt::ISODate), to.toString(Qt::ISODate)}),
            s->GetQueryValueAsInteger(QStringLiteral("select count(*) from Fvk where FVK_DATAWYSTAWIENIA "
                                                     "between :p1 and :p2"),
                                      {from.toString(Qt::ISODate), to.toString(Qt::ISODate)}));

        // The same rows with the client library alone.
        Jpk::TPeriod period;
        period.From = from;
        period.To = to;
        QElapsedTimer t;
        t.start();
        const qint64 bareRows =
            bareFetch(params, {literal(Jpk::DocumentsSql(Jpk::TKind::Invoice, period), from, to),
                               literal(Jpk::DocumentsSql(Jpk::TKind::Correction, period), from, to)});
        const double bare = secondsSince(t);

        // The register: from the button to the preview with its page count.
        TFormDrukEwidencjaSprzedazy form;
        form.DateFrom = from;
        form.DateTo = to;
        form.Komentarz = QStringLiteral("Faktury za internet");
        t.restart();
        TRegisterRequest r;
        r.DateFrom = from;
        r.DateTo = to;
        RegisterIsEmpty(r);
        TFormPodgladRaportu* preview = form.PrintPreview();
        QApplication::processEvents();
        const double registerPreview = secondsSince(t);
        const int pages = form.LastDocument ? form.LastDocument->pageCount() : 0;
        preview->close();
        QApplication::processEvents();

        QString file;
        t.restart();
        if (from.year() >= 2026)
            WriteJpkV7M3(QString(), 0, file, from, to);
        else
            WriteJpkV7M2(QString(), 0, file, from, to);
        const double jpk = secondsSince(t);

        t.restart();
        form.PrinterName = ProgramPdfPrinterName;
        form.PrintDirect();
        const double pdf = secondsSince(t);

        std::printf("bare_rows: %lld\n", bareRows);
        std::printf("register_pages: %d\n", pages);
        std::printf("register_preview_s: %.2f\n", registerPreview);
        std::printf("%s_s: %.2f\n", from.year() >= 2026 ? "jpk_v7m3" : "jpk_v7m2", jpk);
        std::printf("jpk_file_mb: %.1f\n", QFileInfo(file).size() / 1048576.0);
        std::printf("bare_select_s: %.2f\n", bare);
        std::printf("register_vs_bare: %.2f\n", bare > 0 ? registerPreview / bare : 0.0);
        std::printf("jpk_vs_bare: %.2f\n", bare > 0 ? jpk / bare : 0.0);
        std::printf("register_pdf_s: %.2f\n", pdf);
        std::printf("register_pdf_mb: %.1f\n", QFileInfo(form.LastPdfFile).size() / 1048576.0);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    return 0;
}
