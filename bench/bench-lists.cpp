// The document and payment lists on a generated ISP:
//   bench-lists [--subscribers N] [--months M] [--database NAME] [--socket PATH] [--regenerate]
// Default: 20,000 subscribers with 12 months of billing history, generated on
// the first run and reused. For each list (invoices, payment demands,
// corrections, payments) it times, through the list's own window code
// (statement, dataset, model under a shown grid, totals line): the opening
// with the default filters (the three months up to the history's end), a
// search refresh and a filter toggle; and the same SELECT fetched with bare
// Connector/C side by side. Prints <list>_<step>_ms, _bare_ms, _ratio and
// the worst ratio.
#include "bench/common/BenchSupport.h"
#include "bench/common/Generator.h"
#include "billing/FvKorektaLista.h"
#include "billing/FvLista.h"
#include "billing/OplatyLista.h"
#include "billing/PzLista.h"
#include "core/DateTimePicker.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Query.h"
#include "core/Session.h"
#include "core/VatRates.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTableView>
#include <algorithm>
#include <cstdio>
#include <mysql.h>

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: bench-lists [--subscribers N] [--months M] [--database NAME] [--socket PATH] "
                 "[--regenerate]\n");
    return 2;
}

// The statement with its bound values written in (numbers and our own texts only).
QString literal(const TListSql& sql)
{
    QString text = sql.Sql;
    for (int i = int(sql.Args.size()); i >= 1; --i) {
        const TArg& a = sql.Args[size_t(i - 1)];
        const QString v = a.kind() == TArg::Kind::Text
                              ? QLatin1Char('\'') +
                                    QString(a.textValue()).replace(QLatin1Char('\''), QStringLiteral("''")) +
                                    QLatin1Char('\'')
                              : QString::number(a.intValue());
        text.replace(QStringLiteral(":p") + QString::number(i), v);
    }
    return text;
}

// Fetches every row with the client library alone, touching every cell.
double bareFetchMs(MYSQL* m, const QString& sql)
{
    QElapsedTimer t;
    t.start();
    const QByteArray q = sql.toUtf8();
    if (mysql_real_query(m, q.constData(), q.size()) != 0) throw std::runtime_error(mysql_error(m));
    MYSQL_RES* res = mysql_store_result(m);
    const unsigned n = mysql_num_fields(res);
    qint64 bytes = 0;
    while (MYSQL_ROW row = mysql_fetch_row(res)) {
        const unsigned long* len = mysql_fetch_lengths(res);
        for (unsigned i = 0; i < n; ++i)
            bytes += row[i] ? qint64(len[i]) : 0;
    }
    mysql_free_result(res);
    return bytes >= 0 ? MsSince(t) : 0;
}

struct TStep
{
    const char* name;
    std::function<void(TListWindow&)> run;
};

double worst = 0;

void measure(const char* list, TListWindow& w, MYSQL* bare, const std::vector<TStep>& steps)
{
    for (const TStep& step : steps) {
        std::vector<double> own, raw;
        for (int round = 0; round < 3; ++round) {
            if (std::string(step.name) == "open") w.hide();
            QElapsedTimer t;
            t.start();
            step.run(w);
            // The grid paints what the model now holds.
            w.DBGrid1->viewport()->repaint();
            own.push_back(MsSince(t));
            raw.push_back(bareFetchMs(bare, literal(w.CurrentStatement())));
        }
        const double a = MedianOf(own), b = MedianOf(raw), r = b > 0 ? a / b : 0;
        worst = std::max(worst, r);
        std::printf("%s_%s_rows: %d\n", list, step.name, w.Query()->RecordCount());
        std::printf("%s_%s_ms: %.1f\n%s_%s_bare_ms: %.1f\n%s_%s_ratio: %.2f\n", list, step.name, a, list,
                    step.name, b, list, step.name, r);
    }
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
    params.database = database.isEmpty()
                          ? QStringLiteral("orlix6_bench_lists_%1_%2").arg(subscribers).arg(months)
                          : database;
    try {
        BenchEnsureDatabase(params, regenerate);
        TBenchDatabase db(params);
        if (!db.Open()) return 1;
        TDedicatedSession* s = db.Session();
        OperatorId = 1;
        OperatorRightsLevel = 0;
        SetVatRateTexts(QDate::currentDate());
        TMD::SetTestHook([](const TMD::Shown& shown) {
            std::fprintf(stderr, "message: %s\n", qPrintable(shown.text));
            return mrOk;
        });
        std::printf("database: %s\n", qPrintable(params.database));
        if (BenchDatabaseEmpty(s) && !BenchGenerateWithHistory(s, subscribers, months)) return 1;
        // The default filters: three months back from the history's last day.
        const QDate to = QDate::fromString(
            s->GetQueryValueAsString(QStringLiteral("select max(FV_DATAWYSTAWIENIA) from Fv")), Qt::ISODate);
        const QDate from = to.addMonths(-3);
        std::printf("period: %s - %s\n", qPrintable(from.toString(Qt::ISODate)),
                    qPrintable(to.toString(Qt::ISODate)));

        MYSQL* bare = mysql_init(nullptr);
        const QByteArray host = params.host.toUtf8(), user = params.user.toUtf8(),
                         pass = params.password.toUtf8(), dbName = params.database.toUtf8(),
                         sock = params.socket.toUtf8();
        if (!mysql_real_connect(bare, host.isEmpty() ? nullptr : host.constData(), user.constData(),
                                pass.constData(), dbName.constData(), params.port,
                                sock.isEmpty() ? nullptr : sock.constData(), 0))
            throw std::runtime_error(mysql_error(bare));
        mysql_set_character_set(bare, "utf8");

        const auto steps = [&](QCheckBox* toggle) {
            return std::vector<TStep>{
                {"open",
                 [&](TListWindow& w) {
                     w.DateFrom->SetDate(from);
                     w.DateTo->SetDate(to);
                     w.show();
                 }},
                {"search",
                 [](TListWindow& w) {
                     w.Edit1->setText(QStringLiteral("Kowal"));
                     w.TimerSzukajTimer();
                 }},
                {"filter", [toggle](TListWindow&) { toggle->click(); }},
            };
        };
        {
            TFormFvLista w;
            measure("fv", w, bare, steps(w.CheckBoxPoTerminie));
        }
        {
            TFormPzLista w;
            measure("pz", w, bare, steps(w.CheckBoxPoTerminie));
        }
        {
            TFormFvKorektaLista w;
            measure("fvk", w, bare, steps(w.CheckBoxPoTerminie));
        }
        {
            TFormOplatyLista w;
            measure("oplaty", w, bare, steps(w.CheckBoxGotowkowe));
        }
        mysql_close(bare);
        std::printf("worst_ratio: %.2f\n", worst);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    return 0;
}
