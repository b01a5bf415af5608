// The main window's subscriber grid on generated subscribers: opening the
// grid (statement built from the filters, dataset, shown keys, the model
// under a view) and each search refresh, against the same SELECT through
// bare Connector/C in the same run; then scrolling the whole grid page by page.
// The device grid ("Infrastruktura") is measured the same way on its devices.
//   bench-grid [--subscribers N] [--devices N] [--rounds R] [--database NAME]
//              [--socket PATH] [--user U] [--password P] [--keep]
// Without a socket the connection comes from ORLIX_TEST_SOCKET or the private
// local server. The database is made anew unless it already holds N subscribers.
#include "bench/common/BenchSupport.h"
#include "bench/common/Generator.h"

#include "core/DataModule.h"
#include "core/DedicatedSession.h"
#include "core/Query.h"
#include "core/Session.h"
#include "mainwindow/GlownyInfraGrid.h"
#include "mainwindow/GlownyInfraQuery.h"
#include "mainwindow/GlownyUserGrid.h"
#include "mainwindow/GlownyUserQuery.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTableView>
#include <algorithm>
#include <cstdio>
#include <mysql.h>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: bench-grid [--subscribers N] [--devices N] [--rounds R] [--database NAME] "
                         "[--socket PATH] [--user U] [--password P] [--keep]\n");
    return 2;
}

// The statement with its values written in, as the bare client sends it.
QByteArray Rendered(const QString& sql, const TArgs& args, TDedicatedSession* s)
{
    QString out;
    static const QRegularExpression re(QStringLiteral(":p(\\d+)"));
    qsizetype last = 0;
    for (auto it = re.globalMatch(sql); it.hasNext();) {
        const auto m = it.next();
        out += sql.mid(last, m.capturedStart() - last);
        const TArg& a = args.at(size_t(m.captured(1).toInt() - 1));
        out += QLatin1Char('\'') + QString::fromUtf8(s->Escape(a.textValue())) + QLatin1Char('\'');
        last = m.capturedEnd();
    }
    out += sql.mid(last);
    return out.toUtf8();
}

// The view a grid is measured in: a window's size, the model and its delegate.
void ShowInView(TQueryModel& model, QTableView& view, QAbstractItemDelegate* delegate)
{
    view.resize(1200, 700);
    model.BindToView(&view);
    view.setItemDelegate(delegate);
    view.show();
}

class TBareClient
{
public:
    explicit TBareClient(const TConnectionParams& p)
    {
        m_my = mysql_init(nullptr);
        mysql_options(m_my, MYSQL_SET_CHARSET_NAME, "utf8mb3");
        const QByteArray user = p.user.toUtf8(), pass = p.password.toUtf8(), db = p.database.toUtf8(),
                         sock = p.socket.toUtf8();
        if (!mysql_real_connect(m_my, nullptr, user.constData(), pass.constData(), db.constData(), 0,
                                sock.isEmpty() ? nullptr : sock.constData(), 0))
            throw EDatabaseError(QString::fromUtf8(mysql_error(m_my)));
        run("SET NAMES utf8mb3 COLLATE utf8mb3_polish_ci");
        run("SET sql_mode = ''");
    }
    ~TBareClient() { mysql_close(m_my); }
    // Runs the statement, keeps the whole result on the client and walks it.
    qint64 run(const QByteArray& sql)
    {
        if (mysql_real_query(m_my, sql.constData(), (unsigned long)sql.size()) != 0)
            throw EDatabaseError(QString::fromUtf8(mysql_error(m_my)));
        MYSQL_RES* res = mysql_store_result(m_my);
        if (!res) return 0;
        qint64 rows = 0;
        while (MYSQL_ROW row = mysql_fetch_row(res)) {
            (void)row;
            ++rows;
        }
        mysql_free_result(res);
        return rows;
    }

private:
    MYSQL* m_my = nullptr;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TGeneratorOptions options;
    options.subscribers = 20000;
    options.infrastructure = 5000;
    int rounds = 5;
    bool keep = false;
    QString database = QStringLiteral("orlix6_bench_grid");
    TBenchServer server;
    std::vector<TBenchOption> table = {
        {QStringLiteral("--keep"), [&](const QString&) { keep = true; }, true},
        {QStringLiteral("--subscribers"), [&](const QString& v) { options.subscribers = v.toInt(); }},
        {QStringLiteral("--devices"), [&](const QString& v) { options.infrastructure = v.toInt(); }},
        {QStringLiteral("--rounds"), [&](const QString& v) { rounds = std::max(1, v.toInt()); }},
        {QStringLiteral("--database"), [&](const QString& v) { database = v; }}};
    server.AddOptions(table);
    if (!ParseBenchArgs(app.arguments(), table)) return usage();

    TConnectionParams params = server.Params(false);
    params.database = database;

    try {
        BenchEnsureDatabase(params);
        TBenchDatabase db(params);
        if (!db.Open()) return 1;
        TDedicatedSession* s = db.Session();
        const bool ready =
            !BenchDatabaseEmpty(s) &&
            s->GetQueryValueAsInteger(QStringLiteral("select count(*) from Userdb")) == options.subscribers &&
            s->GetQueryValueAsInteger(QStringLiteral("select count(*) from Infrastruktura")) >=
                options.infrastructure &&
            !s->IsQueryEmpty(QStringLiteral("select 1 from PingInfra"));
        if (!ready) {
            db.MakeEmpty();
            s = db.Session();
            QElapsedTimer t;
            t.start();
            BenchCreateSchema(ProgramFolder());
            const TGeneratorResult r = GenerateIsp(s, options);
            std::printf("database %s made: %lld subscribers, %lld devices in %.1f s\n", qPrintable(database),
                        r.subscribers, r.infrastructure, t.elapsed() / 1000.0);
        }

        TBareClient bare(params);
        TQuery q;
        TUserGridModel model(&q);
        model.SetColumns(UserGridColumns());
        model.SetFormatter(UserGridFormatter());
        QTableView view;
        ShowInView(model, view, new TUserGridDelegate(&model, &view));

        TUserFilter filter;
        UserGridTitleClick(filter.Sort, 1, QStringLiteral("vU_NazwiskoImie"));
        QString idList;
        // What the grid does on every open: the statement from the filters
        // before, the shown keys after; then the view repaints what it shows.
        q.BeforeOpen = [&filter](TQuery& query) {
            ApplyUserQuery(query, BuildUserQuery(filter, QDate::currentDate()));
        };
        q.AfterOpen = [&idList](TQuery& query) {
            idList = UserIdListText(DistinctKeys(query, QStringLiteral("U_INDEX")));
        };

        // One grid refresh (statement, dataset, shown keys, repaint) against
        // the bare client running the same SELECT, median of the rounds.
        auto timed = [&](TQuery& grid, QTableView& gridView, const QString& key, const QByteArray& sql,
                         const char* name) {
            std::vector<double> ours, raw;
            int rows = 0;
            for (int r = 0; r < rounds; ++r) {
                QElapsedTimer t;
                t.start();
                if (grid.Active())
                    RefreshQuery(&grid, key);
                else
                    grid.Open();
                (void)gridView.viewport()->grab();
                ours.push_back(MsSince(t));
                rows = grid.RecordCount();
                t.restart();
                bare.run(sql);
                raw.push_back(MsSince(t));
            }
            const double g = MedianOf(ours), b = MedianOf(raw);
            std::printf("%s_rows: %d\n%s_grid_ms: %.1f\n%s_bare_ms: %.1f\n%s_ratio: %.2f\n", name, rows, name,
                        g, name, b, name, g / b);
            return g / b;
        };
        auto measure = [&](const QString& search, const char* name) {
            filter.Search = search;
            const TUserQuery built = BuildUserQuery(filter, QDate::currentDate());
            return timed(q, view, QStringLiteral("U_INDEX"), Rendered(built.Sql, built.Args, s), name);
        };

        std::printf("subscribers: %d\nrounds: %d\n", options.subscribers, rounds);
        q.Close();
        double worst = measure(QString(), "open");
        const char* const searches[][2] = {{"Kowalski", "search_surname"},
                                           {"Łomianki", "search_town"},
                                           {"Nowak Jan", "search_two_words"},
                                           {"50", "search_digits"},
                                           {"zzqx", "search_nothing"}};
        for (const auto& sr : searches)
            worst = std::max(worst, measure(QString::fromUtf8(sr[0]), sr[1]));
        std::printf("worst_ratio: %.2f\n", worst);

        // Scrolling: the whole unfiltered grid page by page; cells are read
        // from the dataset only for the rows on screen.
        filter.Search.clear();
        RefreshQuery(&q, QStringLiteral("U_INDEX"));
        QScrollBar* bar = view.verticalScrollBar();
        QElapsedTimer t;
        t.start();
        int pages = 0;
        for (int v = 0; v <= bar->maximum(); v += std::max(1, bar->pageStep())) {
            bar->setValue(v);
            (void)view.viewport()->grab();
            ++pages;
        }
        std::printf("scroll_pages: %d\nscroll_page_ms: %.3f\nscroll_rows_per_page: %d\n", pages,
                    t.nsecsElapsed() / 1e6 / std::max(1, pages), bar->pageStep());
        std::printf("shown_keys_chars: %lld\n", (long long)idList.size());
        q.Close();

        // The device grid: all devices with their ping state, sorted by the
        // IP octets as after a click on "IP".
        TQuery infra;
        TUserGridModel infraModel(&infra);
        infraModel.SetColumns(InfraGridColumns());
        QTableView infraView;
        ShowInView(infraModel, infraView, new TInfraGridDelegate(&infraModel, &infraView));
        TInfraFilter infraFilter;
        InfraGridTitleClick(infraFilter.Sort, 0, QStringLiteral("INF_IP"));
        QString infraWhere;
        infra.BeforeOpen = [&infraFilter](TQuery& query) {
            const TInfraQuery built = BuildInfraQuery(infraFilter);
            query.SetSQL(built.Sql);
            query.BindArgs(built.Args);
        };
        infra.AfterOpen = [&infraWhere](TQuery& query) {
            infraWhere = InfraWhereText(DistinctKeys(query, QStringLiteral("INF_INDEX")));
        };
        auto measureInfra = [&](const QString& search, const char* name) {
            infraFilter.Search = search;
            const TInfraQuery built = BuildInfraQuery(infraFilter);
            return timed(infra, infraView, QStringLiteral("INF_INDEX"), Rendered(built.Sql, built.Args, s),
                         name);
        };
        const QString someMac =
            s->GetQueryValueAsString(
                 QStringLiteral("select INF_MAC from Infrastruktura order by INF_INDEX desc limit 1"))
                .remove(QLatin1Char(':'));
        double infraWorst = measureInfra(QString(), "infra_open");
        std::printf("infra_rows: %d\n", infra.RecordCount());
        const std::pair<QString, const char*> infraSearches[] = {
            {QStringLiteral("OLT"), "infra_search_name"},
            {QStringLiteral("172.16.3."), "infra_search_ip"},
            {QStringLiteral("Err"), "infra_search_status"},
            {someMac, "infra_search_mac_digits"},
            {QStringLiteral("zzqx"), "infra_search_nothing"}};
        for (const auto& [text, name] : infraSearches)
            infraWorst = std::max(infraWorst, measureInfra(text, name));
        std::printf("infra_worst_ratio: %.2f\ninfra_shown_keys_chars: %lld\n", infraWorst,
                    (long long)infraWhere.size());
        infra.Close();
        db.Close();
        if (!keep) BenchDropDatabase(params);
    } catch (const EDatabaseError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.Message()));
        return 1;
    }
    return 0;
}
