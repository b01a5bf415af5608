// The subscriber grid's statement: search words, groups, state, filters,
// range and sort, the published selection, and the title-click cycle.
#include "mainwindow/GlownyUserQuery.h"

#include "core/Query.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

namespace {

const QDate kToday(2025, 6, 30);

TUserFilter SortedBy(std::initializer_list<const char*> clicks)
{
    TUserFilter f;
    for (const char* field : clicks)
        UserGridTitleClick(f.Sort, 0, QLatin1String(field));
    return f;
}

} // namespace

TEST(UserQueryText, OrderLimitAndSelectionParts)
{
    struct Case
    {
        const char* rule;
        TUserFilter filter;
        const char* order;
        const char* limit;
    };
    TUserFilter range;
    range.Range = true;
    range.RangeFirst = QStringLiteral("11");
    range.RangeCount = QStringLiteral("10");
    TUserFilter badFirst = range;
    badFirst.RangeFirst = QStringLiteral("x");
    TUserFilter badCount = range;
    badCount.RangeCount = QString();
    TUserFilter injected;
    injected.Sort.Order = 1;
    injected.Sort.Fields = {QStringLiteral("U_SALDO; drop table Userdb"), QString(), QString(), QString()};
    const Case cases[] = {
        {"fresh start is unsorted", TUserFilter{}, "", ""},
        {"a plain column adds the name order", SortedBy({"U_SALDO"}),
         " order by U_SALDO ASC, U_NAZWISKO ASC, U_IMIE ASC ", ""},
        {"second click descends", SortedBy({"U_SALDO", "U_SALDO"}),
         " order by U_SALDO DESC, U_NAZWISKO ASC, U_IMIE ASC ", ""},
        {"third click unsorts", SortedBy({"U_SALDO", "U_SALDO", "U_SALDO"}), "", ""},
        {"name column sorts by its parts", SortedBy({"vU_NazwiskoImie"}),
         " order by U_NAZWISKO ASC, U_IMIE ASC", ""},
        {"name column cycles", SortedBy({"vU_NazwiskoImie", "vU_NazwiskoImie"}),
         " order by U_NAZWISKO DESC, U_IMIE DESC", ""},
        {"street column cycles", SortedBy({"vU_ADR_UlicaNr", "vU_ADR_UlicaNr"}),
         " order by U_ADR_ULICA DESC, U_ADR_NRDOMU DESC, U_ADR_NRLOKALU DESC, U_NAZWISKO ASC, U_IMIE ASC ",
         ""},
        {"bandwidth column cycles", SortedBy({"vU_DownUpAll", "vU_DownUpAll"}),
         " order by U_PASMODOWNLOADDZIEN DESC, U_PASMOUPLOADDZIEN DESC, U_PASMODOWNLOADNOC DESC, "
         "U_PASMOUPLOADNOC "
         "DESC, U_NAZWISKO ASC, U_IMIE ASC ",
         ""},
        {"later fields stay after a composite column", SortedBy({"vU_NazwiskoImie", "U_SALDO"}),
         " order by U_SALDO ASC, U_IMIE ASC, U_NAZWISKO ASC, U_IMIE ASC ", ""},
        {"a sort field that is no column name is left out", injected, "", ""},
        {"range from row 11, ten rows", range, "", " LIMIT 10,10"},
        {"unreadable first row", badFirst, "", " LIMIT 1,10"},
        {"unreadable row count", badCount, "", " LIMIT 10, 1"},
    };
    for (const Case& c : cases) {
        const TUserQuery q = BuildUserQuery(c.filter, kToday);
        EXPECT_EQ(q.Order, QString::fromLatin1(c.order)) << c.rule;
        EXPECT_EQ(q.Limit, QString::fromLatin1(c.limit)) << c.rule;
        EXPECT_TRUE(q.Sql.endsWith(q.Where + q.Order + q.Limit)) << c.rule;
    }
}

TEST(UserQueryText, TitleSignsFollowTheCycle)
{
    TUserSort s;
    const char* expected[] = {"+", "-", "", "+"};
    for (const char* sign : expected) {
        UserGridTitleClick(s, 7, QStringLiteral("U_SALDO"));
        EXPECT_EQ(SortSign(s.Order), QLatin1String(sign));
        EXPECT_EQ(s.Column, 7);
    }
    UserGridTitleClick(s, 0, QStringLiteral("U_NRKLIENTA"));
    EXPECT_EQ(SortSign(s.Order), QStringLiteral("+")) << "another column starts ascending";
}

TEST(UserQueryText, WhereClauses)
{
    struct Case
    {
        const char* rule;
        std::function<void(TUserFilter&)> set;
        const char* contains;
        int args;
    };
    const Case cases[] = {
        {"waiting room is hidden unless asked for", [](TUserFilter&) {}, " AND (U_POCZEKALNIA <> 1)\r\n", 0},
        {"waiting room only", [](TUserFilter& f) { f.State = 3; }, " AND (U_POCZEKALNIA = 1)\r\n", 0},
        {"active on today's date", [](TUserFilter& f) { f.State = 1; },
         " AND (((U_DATAAKTYWACJI<>'0000-00-00') AND ( U_DATAAKTYWACJI <=:p1 )) AND (( U_DATADEAKTYWACJI = 0 "
         ") OR "
         "(U_DATADEAKTYWACJI >:p2)))\r\n",
         2},
        {"groups shown",
         [](TUserFilter& f) {
             f.GroupIds = {3, 7};
         },
         " AND(   (U_GRUPA1=3\r\n OR U_GRUPA1=7) \r\n OR  (U_GRUPA2=3\r\n OR U_GRUPA2=7) ", 0},
        {"groups excluded",
         [](TUserFilter& f) {
             f.GroupIds = {3, 7};
             f.GroupShowMode = false;
         },
         " (U_GRUPA10<>3\r\n AND U_GRUPA10<>7)   )\r\n", 0},
        {"arrears of the blocked",
         [](TUserFilter& f) {
             f.Zalegle = true;
             f.ZalegleKind = 1;
         },
         " AND ( U_SALDOZALEGLE > 0 ) \r\n AND ( U_BLOKUJ > 0 ) \r\n", 0},
        {"not a company",
         [](TUserFilter& f) {
             f.Firma = true;
             f.FirmaNegacja = true;
         },
         " AND ( U_CZYFIRMA = 0 ) \r\n", 0},
        {"company short name is a value",
         [](TUserFilter& f) {
             f.Podmiot = true;
             f.PodmiotSkrot = QStringLiteral("A'B");
         },
         "where P_SKROT=:p1 limit 1", 1},
        {"geo set by hand",
         [](TUserFilter& f) {
             f.Geo = true;
             f.GeoKind = 2;
         },
         " AND U_WSPGEORECZNIE=1 \r\n", 0},
        {"one word in 51 expressions", [](TUserFilter& f) { f.Search = QStringLiteral("kot"); },
         " AND (  ( (U_IMIE  LIKE :p1) \r\n OR (U_NAZWISKO  LIKE :p2)\r\n", 51},
        {"excluded words",
         [](TUserFilter& f) {
             f.Search = QStringLiteral("kot pies");
             f.ExcludeWords = true;
         },
         " AND ( (U_IMIE NOT LIKE :p52) \r\n AND (U_NAZWISKO NOT LIKE :p53)\r\n", 102},
        {"dates are searched as text", [](TUserFilter& f) { f.Search = QStringLiteral("2025-"); },
         " OR (DATE_FORMAT(U_DATADODANIA, '%Y-%m-%d')  LIKE :p44)\r\n", 51},
        {"only the sorted column",
         [](TUserFilter& f) {
             f.Search = QStringLiteral("kot");
             f.SortedColumnOnly = true;
             f.SortedColumnField = QStringLiteral("U_TEL1");
             f.Sort.Order = 1;
         },
         " AND (  ( (U_TEL1  LIKE :p1))\r\n ) ", 1},
        {"wholesale orders", [](TUserFilter& f) { f.Search = QStringLiteral("a tauron.show"); },
         " where (length(UADD_TAURONBSA)>5  )  AND (U_POCZEKALNIA <> 1)", 0},
    };
    for (const Case& c : cases) {
        TUserFilter f;
        c.set(f);
        const TUserQuery q = BuildUserQuery(f, kToday);
        EXPECT_TRUE(q.Where.contains(QString::fromUtf8(c.contains))) << c.rule << "\n"
                                                                     << q.Where.toStdString();
        EXPECT_EQ(int(q.Args.size()), c.args) << c.rule;
    }
}

TEST(UserQueryText, SearchTextIsBoundAndItsWildcardsAreLiteral)
{
    const struct
    {
        const char* text;
        const char* pattern;
    } cases[] = {
        {"O'Brien", "%O'Brien%"},       {"50%", "%50\\%%"}, {"a_b", "%a\\_b%"}, {"c:\\x", "%c:\\\\x%"},
        {"\"jan kowal", "%jan kowal%"}, // a phrase: one word with its blank
    };
    for (const auto& c : cases) {
        TUserFilter f;
        f.Search = QString::fromUtf8(c.text);
        const TUserQuery q = BuildUserQuery(f, kToday);
        ASSERT_EQ(q.Args.size(), 51u) << c.text;
        EXPECT_EQ(q.Args.front().textValue(), QString::fromUtf8(c.pattern)) << c.text;
        EXPECT_FALSE(q.Sql.contains(QString::fromUtf8(c.text)))
            << "the text never reaches the SQL: " << c.text;
    }
    TUserFilter two;
    two.Search = QStringLiteral("a  b"); // two blanks: an empty word matching anything not null
    const TUserQuery q = BuildUserQuery(two, kToday);
    ASSERT_EQ(q.Args.size(), 153u);
    EXPECT_EQ(q.Args[51].textValue(), QStringLiteral("%%"));
}

TEST(UserQueryText, SelectionOfAnEmptyResultHoldsOnlyZero)
{
    EXPECT_EQ(UserIdListText({}), QStringLiteral(" in (0) "));
    EXPECT_EQ(UserWhereText(UserIdListText({})), QStringLiteral(" WHERE U_INDEX in (0) "));
    EXPECT_EQ(UserIdListText({QStringLiteral("5"), QStringLiteral("2")}), QStringLiteral(" in (5,2,0) "));
}

TEST(UserRowLook, Colours)
{
    const QColor window(255, 255, 255);
    struct Case
    {
        const char* rule;
        TUserRowData row;
        QColor background;
        QColor font;
    };
    TUserRowData active;
    active.DataAktywacji = QDate(2020, 1, 1);
    TUserRowData notify = active;
    notify.Powiadamiaj = true;
    TUserRowData block = notify;
    block.Blokuj = true;
    TUserRowData ticked = active;
    ticked.Zaznacz = true;
    TUserRowData ended = active;
    ended.DataDeaktywacji = kToday;
    TUserRowData reminder = notify;
    reminder.TerminarzData = kToday;
    TUserRowData waitingNew;
    waitingNew.Poczekalnia = true;
    waitingNew.DataDodania = kToday.addDays(-2);
    TUserRowData waitingLong = waitingNew;
    waitingLong.DataDodania = kToday.addDays(-49); // e = 50: half orange
    const Case cases[] = {
        {"plain active row", active, QColor(), QColor()},
        {"notified: half yellow", notify, QColor(255, 238, 178), QColor()},
        {"blocked: yellow", block, QColor(255, 221, 102), QColor()},
        {"ticked on the card: red", ticked, QColor(), QColor(255, 0, 0)},
        {"deactivated today: silver", ended, QColor(), QColor(192, 192, 192)},
        {"no activation date: silver", TUserRowData{}, QColor(), QColor(192, 192, 192)},
        {"reminder due on a notified row", reminder, QColor(212, 206, 85), QColor()},
        {"three days in the waiting room: white", waitingNew, QColor(255, 255, 255), QColor()},
        {"fifty days: half orange", waitingLong, QColor(255, 192, 160), QColor()},
    };
    for (const Case& c : cases) {
        const TUserRowLook look = UserRowLook(c.row, kToday, window);
        EXPECT_EQ(look.Background, c.background) << c.rule << " " << look.Background.name().toStdString();
        EXPECT_EQ(look.Font, c.font) << c.rule << " " << look.Font.name().toStdString();
    }
}

// ---------------------------------------------------------------- on real rows

class UserQueryDb : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        LoadUpgradedSchema();
        S()->ExecQuery(
            QStringLiteral("insert into Grupy (GR_INDEX, GR_NAZWA) values (1, 'Bloki'), (2, 'Domy')"));
        struct Row
        {
            int id;
            const char* nazwisko;
            const char* imie;
            const char* miasto;
            const char* notatka;
            int grupa;
            int poczekalnia;
        };
        const Row rows[] = {
            {1, "Kowalski", "Jan", "Kraków", "", 1, 0},
            {2, "O'Brien", "Anna", "Gdańsk", "", 2, 0},
            {3, "Nowak", "Ewa", "Poznań", "rabat 50%", 0, 0},
            {4, "Nowak", "Piotr", "Poznań", "rabat 500", 1, 0},
            {5, "Zieliński", "Adam", "Kraków", "", 0, 1},
        };
        for (const Row& r : rows)
            S()->ExecQuery(
                QStringLiteral("insert into Userdb (U_INDEX, U_NRKLIENTA, U_NAZWISKO, U_IMIE, "
                               "U_ADR_MIEJSCOWOSC, U_NOTATKA, U_GRUPA1, U_POCZEKALNIA, U_DATAAKTYWACJI) "
                               "values (:p1, :p2, :p3, :p4, :p5, :p6, :p7, :p8, '2020-01-01')"),
                {r.id, 100 + r.id, r.nazwisko, r.imie, r.miasto, r.notatka, r.grupa, r.poczekalnia});
    }

    QList<int> shown(const TUserFilter& f)
    {
        TQuery q;
        ApplyUserQuery(q, BuildUserQuery(f, QDate::currentDate()));
        q.Open();
        QList<int> ids;
        for (const QString& id : DistinctKeys(q, QStringLiteral("U_INDEX")))
            ids << id.toInt();
        std::sort(ids.begin(), ids.end());
        return ids;
    }
};

TEST_F(UserQueryDb, FiltersOnRealRows)
{
    struct Case
    {
        const char* rule;
        std::function<void(TUserFilter&)> set;
        QList<int> ids;
    };
    const Case cases[] = {
        {"everybody but the waiting room", [](TUserFilter&) {}, {1, 2, 3, 4}},
        {"an apostrophe searches literally",
         [](TUserFilter& f) { f.Search = QStringLiteral("O'Brien"); },
         {2}},
        {"a percent sign searches literally", [](TUserFilter& f) { f.Search = QStringLiteral("50%"); }, {3}},
        {"an underscore searches literally", [](TUserFilter& f) { f.Search = QStringLiteral("N_wak"); }, {}},
        {"two words must both match", [](TUserFilter& f) { f.Search = QStringLiteral("Nowak Piotr"); }, {4}},
        {"words matched in different columns",
         [](TUserFilter& f) { f.Search = QStringLiteral("Jan Kraków"); },
         {1}},
        {"excluded word",
         [](TUserFilter& f) {
             f.Search = QStringLiteral("Nowak");
             f.ExcludeWords = true;
         },
         {1, 2}},
        {"a phrase keeps its blank", [](TUserFilter& f) { f.Search = QStringLiteral("\"rabat 50"); }, {3, 4}},
        {"waiting room", [](TUserFilter& f) { f.State = 3; }, {5}},
        {"group shown", [](TUserFilter& f) { f.GroupIds = {1}; }, {1, 4}},
        {"group excluded",
         [](TUserFilter& f) {
             f.GroupIds = {1, 2};
             f.GroupShowMode = false;
         },
         {3}},
        {"range of two from the second row",
         [](TUserFilter& f) {
             UserGridTitleClick(f.Sort, 0, QStringLiteral("U_NRKLIENTA"));
             f.Range = true;
             f.RangeFirst = QStringLiteral("2");
             f.RangeCount = QStringLiteral("2");
         },
         {2, 3}},
        {"company short name with an apostrophe finds nothing, safely",
         [](TUserFilter& f) {
             f.Podmiot = true;
             f.PodmiotSkrot = QStringLiteral("x' or '1'='1");
         },
         {}},
    };
    for (const Case& c : cases) {
        TUserFilter f;
        c.set(f);
        EXPECT_EQ(shown(f), c.ids) << c.rule;
    }
}

TEST_F(UserQueryDb, EmptyResultPublishesOnlyZero)
{
    TUserFilter f;
    f.Search = QStringLiteral("nikogo takiego");
    TQuery q;
    ApplyUserQuery(q, BuildUserQuery(f, QDate::currentDate()));
    q.Open();
    EXPECT_EQ(q.RecordCount(), 0);
    const QString list = UserIdListText(DistinctKeys(q, QStringLiteral("U_INDEX")));
    EXPECT_EQ(list, QStringLiteral(" in (0) "));
    EXPECT_EQ(UserWhereText(list), QStringLiteral(" WHERE U_INDEX in (0) "));
}

TEST_F(UserQueryDb, RowsAreNumberedAndTicksToggle)
{
    TUserFilter f;
    UserGridTitleClick(f.Sort, 0, QStringLiteral("U_NRKLIENTA"));
    TQuery q;
    ApplyUserQuery(q, BuildUserQuery(f, QDate::currentDate()));
    q.Open();
    ASSERT_EQ(q.RecordCount(), 4);
    EXPECT_EQ(q.FieldByName(QStringLiteral("U_INDEX"))->AsInteger(), 1);

    ToggleUserTick(2, false);
    ToggleUserTick(3, false);
    EXPECT_EQ(CountTickedUsers(), 2);
    ToggleUserTick(2, true);
    EXPECT_EQ(CountTickedUsers(), 1) << "a ticked row is unticked";
    TickUsers(UserWhereText(UserIdListText({QStringLiteral("1"), QStringLiteral("4")})), true);
    EXPECT_EQ(CountTickedUsers(), 3);
    TickUsers(UserWhereText(UserIdListText({QStringLiteral("3")})), false);
    EXPECT_EQ(CountTickedUsers(), 2);
    ClearAllUserTicks();
    EXPECT_EQ(CountTickedUsers(), 0);
}
