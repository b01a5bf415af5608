// The device grid ("Infrastruktura"): its statement run against devices of a
// real database, the title-click sort, the published selection, the row look,
// and the tab driven as an operator does.
#include "mainwindow/GlownyInfraQuery.h"

#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/Funkcje2.h"
#include "core/Operatorzy.h"
#include "core/Query.h"
#include "core/Session.h"
#include "mainwindow/DefinicjeHooks.h"
#include "mainwindow/Glowny.h"
#include "mainwindow/GlownyInfraTab.h"
#include "mainwindow/GlownyUserQuery.h"
#include "platform/NetworkAdapter.h"
#include "tests/support/DeskSession.h"
#include "tests/support/TestDb.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <optional>

namespace {

TInfraFilter SortedBy(std::initializer_list<const char*> clicks)
{
    TInfraFilter f;
    for (const char* field : clicks)
        InfraGridTitleClick(f.Sort, 0, QLatin1String(field));
    return f;
}

} // namespace

TEST(GlownyInfraQueryText, SortCycleAndPublishedSelection)
{
    const std::pair<TInfraFilter, const char*> cases[] = {
        {TInfraFilter{}, ""},
        {SortedBy({"INF_IP"}), " order by INF_IP1 ASC, INF_IP2 ASC, INF_IP3 ASC, INF_IP4 ASC"},
        {SortedBy({"INF_IP", "INF_IP"}), " order by INF_IP1 DESC, INF_IP2 DESC, INF_IP3 DESC, INF_IP4 DESC"},
        {SortedBy({"INF_IP", "INF_IP", "INF_IP"}), ""},
        {SortedBy({"INF_IP", "INF_NAZWA"}), " order by INF_NAZWA ASC"},
        {SortedBy({"INF_NAZWA", "INF_IP"}), " order by INF_IP1 ASC, INF_IP2 ASC, INF_IP3 ASC, INF_IP4 ASC"},
    };
    for (const auto& [filter, order] : cases) {
        const TInfraQuery q = BuildInfraQuery(filter);
        EXPECT_EQ(q.Order, QLatin1String(order));
        EXPECT_TRUE(q.Sql.endsWith(q.Where + q.Order));
    }
    EXPECT_EQ(InfraWhereText({}), QStringLiteral(" WHERE (1=1) AND INF_INDEX in (0) "));
    EXPECT_EQ(InfraWhereText({QStringLiteral("7"), QStringLiteral("3")}),
              QStringLiteral(" WHERE (1=1) AND INF_INDEX in (7,3,0) "));
}

TEST(GlownyInfraQueryText, RowLookAndPictures)
{
    TInfraRowData err;
    err.Status = QStringLiteral("Err");
    EXPECT_EQ(InfraRowLook(err).Background, QColor(255, 213, 170)); // orange and white, 1:2
    EXPECT_EQ(InfraStatusPicture(err), QStringLiteral("Err"));

    TInfraRowData all;
    all.Zapasowe = all.Zaznaczone = all.Zawieszone = true;
    EXPECT_EQ(InfraRowLook(all).Font, QColor(0xC0, 0xC0, 0xC0)); // the last rule wins
    all.Zawieszone = false;
    EXPECT_EQ(InfraRowLook(all).Font, QColor(255, 0, 0));
    all.Zaznaczone = false;
    EXPECT_EQ(InfraRowLook(all).Font, QColor(0x46, 0xBA, 0x14));
    EXPECT_FALSE(InfraRowLook(TInfraRowData{}).Background.isValid());

    TInfraRowData monitored;
    monitored.Monitoring = true;
    EXPECT_EQ(InfraMonitorIcon(monitored), TInfraMonitorIcon::Monitoring);
    monitored.MonitoringSms = true;
    EXPECT_EQ(InfraMonitorIcon(monitored), TInfraMonitorIcon::MonitoringSms);
    monitored.Zawieszone = true;
    EXPECT_EQ(InfraMonitorIcon(monitored), TInfraMonitorIcon::None) << "a suspended device is not watched";

    TInfraRowData passive;
    passive.Pasywne = true;
    passive.Status = QStringLiteral("Down");
    EXPECT_EQ(InfraStatusPicture(passive), QStringLiteral("Skip"));
    EXPECT_EQ(InfraStatusPicture(TInfraRowData{}), QString());
}

class GlownyInfraQuery : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        LoadUpgradedSchema();
        S()->ExecQuery(QStringLiteral("insert into GrupyInf (GRI_INDEX, GRI_NAZWA) values (1, 'Maszty'), "
                                      "(2, 'Klatki')"));
        S()->ExecQuery(QStringLiteral("insert into Wezly (W_INDEX, W_IDENTYFIKATOR, W_TYPREKORDU) values "
                                      "(5, 'PE-5', 'PE'), (6, 'PE-6', 'WWP')"));
        struct Row
        {
            int id;
            const char *nazwa, *ip, *mac, *funkcja;
            int grupa1, grupa3, wezel, zawieszone, zapasowe;
            const char* status; // nullptr: no ping row
        };
        const Row rows[] = {
            {1, "Router główny", "10.0.0.10", "00:11:22:AA:BB:CC", "router", 1, 0, 5, 0, 0, "Up"},
            {2, "Switch klatka", "10.0.0.9", "", "switch", 0, 2, 6, 0, 0, "Err"},
            {3, "Antena 50%", "10.0.1.1", "00:11:22:33:44:55", "o'brien ap", 0, 0, 0, 1, 0, "Down"},
            {4, "Zapasowy_1", "", "66:77:88:99:AA:BB", "zapas", 2, 1, 5, 0, 1, nullptr},
        };
        for (const Row& r : rows) {
            int o[4] = {0, 0, 0, 0};
            octetsOf(QLatin1String(r.ip), o);
            S()->ExecQuery(
                QStringLiteral(
                    "insert into Infrastruktura (INF_INDEX, INF_NAZWA, INF_IP, INF_IP1, INF_IP2, "
                    "INF_IP3, INF_IP4, INF_MAC, INF_FUNKCJA, INF_GRUPA1, INF_GRUPA3, INF_INDEXWEZLA, "
                    "INF_CZYZAWIESZONE, INF_ZAPASOWE) values (:p1, :p2, :p3, :p4, :p5, :p6, :p7, :p8, "
                    ":p9, :p10, :p11, :p12, :p13, :p14)"),
                {r.id, QString::fromUtf8(r.nazwa), QString::fromLatin1(r.ip), o[0], o[1], o[2], o[3],
                 QString::fromLatin1(r.mac), QString::fromUtf8(r.funkcja), r.grupa1, r.grupa3, r.wezel,
                 r.zawieszone, r.zapasowe});
            if (r.status)
                S()->ExecQuery(
                    QStringLiteral("insert into PingInfra (PI_INDEXINFRA, PI_STATUS) values (:p1, :p2)"),
                    {r.id, QString::fromLatin1(r.status)});
        }
    }
    // INF_INDEX of the rows the statement gives, in its order.
    QList<int> Run(const TInfraFilter& f)
    {
        const TInfraQuery built = BuildInfraQuery(f);
        TQuery q;
        q.SetSQL(built.Sql);
        q.BindArgs(built.Args);
        q.Open();
        QList<int> ids;
        for (q.First(); !q.Eof(); q.Next())
            ids << q.FieldByName(QStringLiteral("INF_INDEX"))->AsInteger();
        if (f.Sort.Order == 0) std::sort(ids.begin(), ids.end());
        return ids;
    }
    static void octetsOf(const QString& ip, int* o)
    {
        const QStringList p = ip.split(QLatin1Char('.'));
        for (int i = 0; i < 4; ++i)
            o[i] = p.value(i).toInt();
    }
};

TEST_F(GlownyInfraQuery, FiltersFindTheRightDevices)
{
    auto with = [](auto change) {
        TInfraFilter f;
        change(f);
        return f;
    };
    struct Case
    {
        const char* rule;
        TInfraFilter filter;
        QList<int> ids;
    };
    const Case cases[] = {
        {"everything", TInfraFilter{}, {1, 2, 3, 4}},
        {"a MAC typed without separators finds it with colons",
         with([](TInfraFilter& f) { f.Search = QStringLiteral("001122aabbcc"); }),
         {1}},
        {"the MAC in lower case", with([](TInfraFilter& f) { f.Search = QStringLiteral("aa:bb"); }), {1, 4}},
        {"a pasted apostrophe searches literally",
         with([](TInfraFilter& f) { f.Search = QStringLiteral("o'brien"); }),
         {3}},
        {"percent is no wildcard", with([](TInfraFilter& f) { f.Search = QStringLiteral("50%"); }), {3}},
        {"underscore is no wildcard", with([](TInfraFilter& f) { f.Search = QStringLiteral("_"); }), {4}},
        {"a lone percent finds only names with one",
         with([](TInfraFilter& f) { f.Search = QStringLiteral("%"); }),
         {3}},
        {"the phrase is not split into words",
         with([](TInfraFilter& f) { f.Search = QStringLiteral("Router switch"); }),
         {}},
        {"the ping state is searched", with([](TInfraFilter& f) { f.Search = QStringLiteral("Err"); }), {2}},
        {"exclude mode keeps devices where nothing contains the phrase",
         with([](TInfraFilter& f) {
             f.Search = QStringLiteral("10.0.0.");
             f.ExcludePhrase = true;
         }),
         {3, 4}},
        {"exclude mode keeps a device without a ping row",
         with([](TInfraFilter& f) {
             f.Search = QStringLiteral("Up");
             f.ExcludePhrase = true;
         }),
         {2, 3, 4}},
        {"group in any slot", with([](TInfraFilter& f) { f.GroupIds = {1}; }), {1, 4}},
        {"groups excluded from every slot",
         with([](TInfraFilter& f) {
             f.GroupIds = {1};
             f.GroupShowMode = false;
         }),
         {2, 3}},
        {"two groups shown",
         with([](TInfraFilter& f) {
             f.GroupIds = {1, 2};
         }),
         {1, 2, 4}},
        {"node shown", with([](TInfraFilter& f) { f.NodeIds = {5}; }), {1, 4}},
        {"nodes excluded",
         with([](TInfraFilter& f) {
             f.NodeIds = {5, 6};
             f.NodeShowMode = false;
         }),
         {3}},
        {"active only", with([](TInfraFilter& f) { f.State = 1; }), {1, 2, 4}},
        {"inactive only", with([](TInfraFilter& f) { f.State = 2; }), {3}},
        {"without IP or MAC", with([](TInfraFilter& f) { f.BezIpLubMac = true; }), {2, 4}},
        {"status Err only",
         with([](TInfraFilter& f) {
             f.ZeStatusem = true;
             f.Status = QStringLiteral("Err");
         }),
         {2}},
        {"spare ones", with([](TInfraFilter& f) { f.Zapasowe = true; }), {4}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Run(c.filter), c.ids) << c.rule;
}

TEST_F(GlownyInfraQuery, IpSortsByOctets)
{
    EXPECT_EQ(Run(SortedBy({"INF_IP"})), (QList<int>{4, 2, 1, 3})); // empty first, .9 before .10
    EXPECT_EQ(Run(SortedBy({"INF_IP", "INF_IP"})), (QList<int>{3, 1, 2, 4}));
}

TEST_F(GlownyInfraQuery, SearchValuesAreBoundNeverSpliced)
{
    TInfraFilter f;
    f.Search = QStringLiteral("x') or 1=1 -- ");
    f.ZeStatusem = true;
    f.Status = QStringLiteral("Up' or '1'='1");
    const TInfraQuery q = BuildInfraQuery(f);
    EXPECT_FALSE(q.Sql.contains(QStringLiteral("1=1 --")));
    EXPECT_FALSE(q.Sql.contains(QStringLiteral("'1'='1")));
    EXPECT_EQ(int(q.Args.size()), 15);
    EXPECT_EQ(Run(f), QList<int>{});
}

// ---------------------------------------------------------------- the tab

class GlownyInfraTab : public GlownyInfraQuery
{
protected:
    void SetUp() override
    {
        GlownyInfraQuery::SetUp();
        ASSERT_TRUE(m_dir.isValid());
        PrepareDesk(m_dir.path());
        m_session.emplace(AdminSignedIn());
        Data = new TData();
        m_form = new TFormGlowny();
        FormGlowny = m_form;
        m_form->show();
        QTest::qWait(20);
        m_tab = qobject_cast<TGlownyInfraTab*>(m_form->TabInfrastruktura);
        ASSERT_TRUE(m_tab);
        m_form->PageControl1->setCurrentWidget(m_tab);
    }
    void TearDown() override
    {
        delete m_form;
        FormGlowny = nullptr;
        EditInfraDevice = nullptr;
        delete Data;
        Data = nullptr;
        LeaveDesk();
        m_session.reset();
        MainInfraWhere.clear();
        DbTest::TearDown();
    }
    int rows() const { return m_tab->DBGrid2->model() ? m_tab->DBGrid2->model()->rowCount() : -1; }
    // Until the typing pause has run its search; a loaded machine may take longer than the pause.
    void waitSearch() const
    {
        QTest::qWait(350);
        EXPECT_TRUE(QTest::qWaitFor([this] { return !m_tab->TimerSzukajInfra->isActive(); }, 10000));
        QTest::qWait(20);
    }

    QTemporaryDir m_dir;
    std::optional<TScopedSession> m_session;
    TFormGlowny* m_form = nullptr;
    TGlownyInfraTab* m_tab = nullptr;
};

TEST_F(GlownyInfraTab, GridColumnsListsAndPublishedSelection)
{
    QAbstractItemModel* m = m_tab->DBGrid2->model();
    ASSERT_TRUE(m);
    QStringList titles;
    for (int c = 0; c < m->columnCount(); ++c)
        titles << m->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(titles,
              (QStringList{"IP", "Użyt.", "Nazwa", "Status", "Ping", "MAC", "Typ", "Funkcja",
                           "Miejsce podłączenia", "Grupa", "Punkt elastycz.", "Publiczne IP", "Terminarz"}));
    EXPECT_EQ(rows(), 4);
    EXPECT_EQ(m_tab->GrupyInfraListView->topLevelItemCount(), 2);
    EXPECT_EQ(m_tab->GrupyInfraListView->topLevelItem(0)->text(0), QStringLiteral("Klatki"));
    EXPECT_EQ(m_tab->WezlyListView->topLevelItemCount(), 2);
    EXPECT_TRUE(MainInfraWhere.startsWith(QStringLiteral(" WHERE (1=1) AND INF_INDEX in (")));
    EXPECT_TRUE(MainInfraWhere.endsWith(QStringLiteral(",0) ")));

    m_tab->Edit2->setText(QStringLiteral("nic takiego"));
    waitSearch();
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(MainInfraWhere, QStringLiteral(" WHERE (1=1) AND INF_INDEX in (0) "));
}

TEST_F(GlownyInfraTab, SavedColumnMaskHidesItsColumnsWhenTheGridIsAttached)
{
    QHeaderView* h = m_tab->DBGrid2->horizontalHeader();
    for (int c = 0; c < h->count(); ++c)
        EXPECT_FALSE(h->isSectionHidden(c)) << "first start shows column " << c;
    WriteIniString(OperatorId, QStringLiteral("KolumnyGrid2"), QStringLiteral("101111111111"));
    m_tab->AttachGrid();
    EXPECT_FALSE(h->isSectionHidden(0));
    EXPECT_TRUE(h->isSectionHidden(1));
    EXPECT_FALSE(h->isSectionHidden(2));
    EXPECT_TRUE(h->isSectionHidden(12)) << "a column missing from the mask stays hidden";
}

TEST_F(GlownyInfraTab, TypedApostropheDroppedPastedOneSearchedLiterally)
{
    m_tab->Edit2->setFocus();
    QTest::keyClicks(m_tab->Edit2, QStringLiteral("o'br"));
    EXPECT_EQ(m_tab->Edit2->text(), QStringLiteral("obr"));
    m_tab->Edit2->setText(QStringLiteral("o'br")); // as a paste leaves it
    waitSearch();
    EXPECT_EQ(rows(), 1);
    QTest::keyClick(m_tab->DBGrid2, Qt::Key_Escape);
    waitSearch();
    EXPECT_EQ(rows(), 4);
}

TEST_F(GlownyInfraTab, StatusFilterTitleSortAndEnter)
{
    m_tab->ComboBox2->setCurrentText(QStringLiteral("Err"));
    EXPECT_EQ(rows(), 4) << "the combo alone does not filter";
    m_tab->CheckBox11->setChecked(true);
    EXPECT_EQ(rows(), 1);
    m_tab->CheckBox11->setChecked(false);

    QHeaderView* h = m_tab->DBGrid2->horizontalHeader();
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                      QPoint(h->sectionViewportPosition(0) + 10, h->height() / 2));
    Data->QInfra->First();
    EXPECT_EQ(Data->QInfra->FieldByName(QStringLiteral("INF_INDEX"))->AsInteger(), 4);
    Data->QInfra->Next();
    EXPECT_EQ(Data->QInfra->FieldByName(QStringLiteral("INF_IP"))->AsString(), QStringLiteral("10.0.0.9"));
    EXPECT_EQ(h->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("IP+"));

    int edited = 0;
    EditInfraDevice = [&edited](int id) { edited = id; };
    m_tab->DBGrid2->setFocus();
    QTest::keyClick(m_tab->DBGrid2, Qt::Key_Return);
    EXPECT_EQ(edited, 2); // the current row, 10.0.0.9
    EditInfraDevice = nullptr;
    QTest::keyClick(m_tab->DBGrid2, Qt::Key_Return);
    EXPECT_EQ(TMD::Recorded().value(0).text,
              QStringLiteral("Funkcja \"Edytuj\" nie jest jeszcze dostępna w tej wersji programu."));
}

TEST_F(GlownyInfraTab, GroupListExcludeModeAndOltItem)
{
    QTreeWidget* groups = m_tab->GrupyInfraListView;
    groups->topLevelItem(1)->setCheckState(0, Qt::Checked); // "Maszty" (1)
    EXPECT_EQ(rows(), 2);
    QHeaderView* h = groups->header();
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(10, h->height() / 2));
    EXPECT_EQ(groups->headerItem()->text(0), QStringLiteral("Wyklucz urządzenia z grupy"));
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(groups->palette().color(QPalette::Text), QColor(Qt::red));

    WriteIniBool(0, QStringLiteral("GponAktywujOpcje"), false);
    emit m_tab->DBGrid2->customContextMenuRequested(QPoint(5, 5));
    EXPECT_FALSE(m_tab->PokazStatusOlt->isEnabled());
    m_tab->PopupMenu2->hide();
    WriteIniBool(0, QStringLiteral("GponAktywujOpcje"), true);
    emit m_tab->DBGrid2->customContextMenuRequested(QPoint(5, 5));
    EXPECT_TRUE(m_tab->PokazStatusOlt->isEnabled());
    m_tab->PopupMenu2->hide();
}

TEST_F(GlownyInfraTab, Screenshot)
{
    for (int i = 10; i < 40; ++i) {
        S()->ExecQuery(
            QStringLiteral("insert into Infrastruktura (INF_INDEX, INF_NAZWA, INF_IP, INF_IP1, INF_IP4, "
                           "INF_MAC, INF_FUNKCJA, INF_DODAJDOMONITORINGU, INF_MONITORINGSMS, "
                           "INF_ZAPASOWE, INF_GRUPA1, INF_TERMINARZDATA) values (:p1, :p2, :p3, 10, :p4, "
                           ":p5, 'AP', :p6, :p7, :p8, 2, :p9)"),
            {i, QStringLiteral("Urządzenie %1").arg(i), QStringLiteral("10.0.0.%1").arg(i), i,
             QStringLiteral("00:11:22:33:44:%1").arg(i), int(i % 3 == 0), int(i % 6 == 0), int(i % 7 == 0),
             i % 8 == 0 ? QStringLiteral("2026-12-01") : QStringLiteral("0000-00-00")});
        S()->ExecQuery(
            QStringLiteral(
                "insert into PingInfra (PI_INDEXINFRA, PI_STATUS, PI_CZAS) values (:p1, :p2, :p3)"),
            {i, InfraStatuses().at(i % 5), i % 4});
    }
    m_tab->RefreshInfra();
    m_form->resize(1366, 768);
    QTest::qWait(50);
    EXPECT_TRUE(m_form->grab().save(TestOutputDir(QStringLiteral("infrastruktura")) +
                                    QStringLiteral("/infrastruktura.png")));
}
