// The list-window pattern: the statement builder (search bound as a value,
// the lists' filters), the title-click sort cycle, the totals line and
// IdWhere from the rows read, the search debounce, keys and period menu.
#include "core/ListWindow.h"
#include "billing/FvLista.h"
#include "core/DateTimePicker.h"
#include "core/DialogPL.h"
#include "core/ListStatement.h"
#include "core/Query.h"
#include "tests/billing/BillingFixture.h"

#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

// One sort case: the captions clicked in turn and the order clause after them.
struct SortCase
{
    const char* name;
    std::vector<const char*> clicks; // field names of the clicked columns
    const char* order;
};

class ListWindowSortTest : public ::testing::TestWithParam<SortCase>
{
};

TEST_P(ListWindowSortTest, TitleClicksGiveTheOrderClause)
{
    TListStatement st(FvListaConfig());
    // The list starts with two clicks on its first column (issue date descending).
    st.TitleClick(QStringLiteral("FV_DATAWYSTAWIENIA"));
    st.TitleClick(QStringLiteral("FV_DATAWYSTAWIENIA"));
    for (const char* c : GetParam().clicks)
        st.TitleClick(QLatin1String(c));
    EXPECT_EQ(st.OrderClause(), QLatin1String(GetParam().order));
}

INSTANTIATE_TEST_SUITE_P(
    Cycle, ListWindowSortTest,
    ::testing::Values(
        SortCase{"Initial", {}, " order by FV_DATAWYSTAWIENIA DESC, FV_NUMER DESC, FV_User"},
        SortCase{"GrossOnce", {"FV_SUMABRUTTO"}, " order by FV_SUMABRUTTO ASC, FV_NUMER ASC, FV_User"},
        SortCase{"GrossTwice",
                 {"FV_SUMABRUTTO", "FV_SUMABRUTTO"},
                 " order by FV_SUMABRUTTO DESC, FV_NUMER DESC, FV_User"},
        SortCase{"GrossThrice", {"FV_SUMABRUTTO", "FV_SUMABRUTTO", "FV_SUMABRUTTO"}, ""},
        SortCase{"GrossFourTimes",
                 {"FV_SUMABRUTTO", "FV_SUMABRUTTO", "FV_SUMABRUTTO", "FV_SUMABRUTTO"},
                 " order by FV_SUMABRUTTO ASC, FV_NUMER ASC, FV_User"},
        SortCase{"NumberSortsByYearMonthSequence",
                 {"FV_NUMERTXT"},
                 " order by FV_Year ASC, FV_Month ASC, FV_NUMER ASC, FV_NUMER ASC, FV_User"},
        SortCase{"NumberTwiceIsDescending",
                 {"FV_NUMERTXT", "FV_NUMERTXT"},
                 " order by FV_Year DESC, FV_Month DESC, FV_NUMER DESC, FV_NUMER DESC, FV_User"},
        SortCase{"NumberThenBuyerKeepsMonthAndSequence",
                 {"FV_NUMERTXT", "FV_User"},
                 " order by FV_User ASC, FV_Month ASC, FV_NUMER ASC, FV_NUMER ASC, FV_User"}),
    [](const ::testing::TestParamInfo<SortCase>& i) { return std::string(i.param.name); });

TEST(ListWindowAmounts, FormatsTwoDecimalsCommaAndGroupedThousands)
{
    const std::pair<Amount4, const char*> cases[] = {
        {Amount4{}, "0,00 zł"},
        {Amount4::fromRaw(1234567891), "123 456,79 zł"},
        {Amount4::fromRaw(-55000), "-5,50 zł"},
        {Amount4::fromRaw(10000000000), "1 000 000,00 zł"},
        {Amount4::fromRaw(49), "0,00 zł"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(FormatListAmount(value), QString::fromUtf8(text)) << text;
}

TEST(ListWindowStatement, SearchAndDatesAreBoundValuesInTextOrder)
{
    TListStatement st(FvListaConfig());
    st.SearchText = QStringLiteral("O'Brien 100%");
    st.Filters = [](TListCondition& c) {
        c.AddDateFrom(QStringLiteral("FV_DATAWYSTAWIENIA"), QDate(2025, 3, 1));
    };
    const TListSql sql = st.Build();
    EXPECT_FALSE(sql.Sql.contains(QStringLiteral("O'Brien")));
    ASSERT_EQ(sql.Args.size(), 10u); // nine searched columns and the date
    EXPECT_EQ(sql.Args.front().textValue(), QStringLiteral("%O'Brien 100%%"));
    EXPECT_EQ(sql.Args.back().textValue(), QStringLiteral("2025-03-01"));
    EXPECT_TRUE(sql.Sql.contains(QStringLiteral("FV_DATAWYSTAWIENIA >= :p10")));
}

TEST(ListWindowStatement, MainGridListTakesOnlyNumbers)
{
    const std::pair<const char*, const char*> cases[] = {
        {" in (1,2,3)", "(FV_INDEXUSER in (1,2,3))"},
        {"", "(FV_INDEXUSER in (0))"},
        {" in (1) or 1=1", "(FV_INDEXUSER in (0))"},
    };
    for (const auto& [list, expected] : cases) {
        TListCondition c;
        c.AddMainUsers(QStringLiteral("FV_INDEXUSER"), QLatin1String(list));
        EXPECT_TRUE(c.Text().contains(QLatin1String(expected))) << list << " -> " << c.Text().toStdString();
    }
}

class ListWindowTest : public BillingTest
{
protected:
    void SetUp() override
    {
        BillingTest::SetUp();
        if (HasFatalFailure()) return;
        TMD::SetTestHook([](const TMD::Shown&) { return mrYes; });
        TMD::ClearRecorded();
        user = AddUser(1, 7);
        list = std::make_unique<TFormFvLista>();
        list->DateFrom->SetChecked(false);
    }
    void TearDown() override
    {
        list.reset();
        TMD::ClearTestHook();
        BillingTest::TearDown();
    }
    int invoice(const char* number, const char* gross, const char* surname = "Kowalski")
    {
        const int fv = AddDoc('F', user, A(gross), QDate::currentDate().addDays(14),
                              QString::fromUtf8(number), QDate::currentDate());
        S()->ExecQuery(QStringLiteral("update Fv set FV_NAZWISKO=:p1, FV_IMIE=:p2 where FV_INDEX=:p3"),
                       {QString::fromUtf8(surname), QStringLiteral("Jan"), fv});
        return fv;
    }
    QStringList numbers() const
    {
        QStringList out;
        TQuery* q = list->Query();
        for (int r = 0; r < q->RecordCount(); ++r)
            out << q->CellText(r, q->FieldByName(QStringLiteral("FV_NUMERTXT"))->Index());
        return out;
    }
    void search(const QString& text)
    {
        list->Edit1->setText(text);
        list->TimerSzukajTimer();
    }

    int user = 0;
    std::unique_ptr<TFormFvLista> list;
};

TEST_F(ListWindowTest, EmptySelectionTotalsAndIdWhere)
{
    list->show();
    EXPECT_EQ(list->LabelSuma->text(), QStringLiteral("Pozycji 0 ; Do rozliczenia 0,00 zł z 0,00 zł"));
    EXPECT_EQ(list->IdWhere(), QStringLiteral(" WHERE (1=1) AND FV_INDEX in (0) "));
}

TEST_F(ListWindowTest, TotalsAndIdWhereComeFromTheRowsRead)
{
    const int a = invoice("1/01/2025", "1234.50");
    const int b = invoice("2/01/2025", "100.25");
    list->show();
    EXPECT_EQ(list->LabelSuma->text(),
              QStringLiteral("Pozycji 2 ; Do rozliczenia 1 334,75 zł z 1 334,75 zł"));
    const QString where = list->IdWhere();
    EXPECT_TRUE(where.contains(QString::number(a))) << where.toStdString();
    EXPECT_TRUE(where.contains(QString::number(b)));
    EXPECT_TRUE(where.endsWith(QStringLiteral(",0) ")));
}

TEST_F(ListWindowTest, PastedApostropheAndPercentSearchAsPlainText)
{
    invoice("1/01/2025", "10", "O'Brien 100%");
    invoice("2/01/2025", "10", "Nowak");
    list->show();
    search(QStringLiteral("O'Brien 100%"));
    EXPECT_EQ(numbers(), QStringList{QStringLiteral("1/01/2025")});
    EXPECT_TRUE(TMD::Recorded().isEmpty());
    search(QStringLiteral("2/01"));
    EXPECT_EQ(numbers(), QStringList{QStringLiteral("2/01/2025")});
    search(QString());
    EXPECT_EQ(numbers().size(), 2);
}

TEST_F(ListWindowTest, TypingReReadsOnceAfterTheDebounceAndClearIsQuick)
{
    invoice("1/01/2025", "10", "Nowak");
    list->show();
    list->Edit1->setText(QStringLiteral("xyz"));
    EXPECT_EQ(list->TimerSzukaj->interval(), 300);
    EXPECT_TRUE(list->ClearBtn->isEnabled());
    EXPECT_EQ(numbers().size(), 1); // not yet
    for (int i = 0; i < 100 && numbers().size() != 0; ++i)
        QTest::qWait(50); // a busy machine fires the timer late
    EXPECT_EQ(numbers().size(), 0);
    QTest::mouseClick(list->ClearBtn, Qt::LeftButton);
    EXPECT_EQ(list->TimerSzukaj->interval(), 10);
    EXPECT_FALSE(list->ClearBtn->isEnabled());
    for (int i = 0; i < 100 && numbers().size() != 1; ++i)
        QTest::qWait(50); // a busy machine fires the timer late
    EXPECT_EQ(numbers().size(), 1);
}

TEST_F(ListWindowTest, KeysOfTheSearchBoxAndTheGrid)
{
    list->show();
    list->Edit1->setFocus();
    QTest::keyClicks(list->Edit1, QStringLiteral("a'b"));
    EXPECT_EQ(list->Edit1->text(), QStringLiteral("ab"));
    list->DBGrid1->setFocus();
    QTest::keyClicks(list->DBGrid1, QStringLiteral("c'"));
    EXPECT_EQ(list->Edit1->text(), QStringLiteral("abc"));
    QTest::keyClick(list->DBGrid1, Qt::Key_Backspace);
    EXPECT_EQ(list->Edit1->text(), QString());
}

TEST_F(ListWindowTest, CurrentMonthChecksBothPickersFromTheServer)
{
    invoice("1/01/2025", "10");
    list->show();
    ASSERT_FALSE(list->DateTo->Checked());
    list->SetPeriod(0);
    const QDate today = QDate::currentDate();
    EXPECT_TRUE(list->DateFrom->Checked());
    EXPECT_TRUE(list->DateTo->Checked());
    EXPECT_EQ(list->DateFrom->Date(), QDate(today.year(), today.month(), 1));
    EXPECT_EQ(list->DateTo->Date(), today);
    EXPECT_EQ(numbers().size(), 1);
    list->SetPeriod(1);
    EXPECT_EQ(list->DateTo->Date(), QDate(today.year(), today.month(), 1).addDays(-1));
    EXPECT_EQ(numbers().size(), 0);
}

TEST_F(ListWindowTest, SortedTitleIsMarkedRedAndTheCycleReReads)
{
    invoice("1/01/2025", "10");
    invoice("2/01/2025", "30");
    list->show();
    QAbstractItemModel* m = list->DBGrid1->model();
    EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Data wyst.-"));
    EXPECT_EQ(m->headerData(0, Qt::Horizontal, Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    QTest::mouseClick(list->DBGrid1->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(list->DBGrid1->horizontalHeader()->sectionViewportPosition(3) + 5, 5));
    EXPECT_EQ(m->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Kwota brutto+"));
    EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Data wyst."));
    EXPECT_EQ(numbers(), (QStringList{QStringLiteral("1/01/2025"), QStringLiteral("2/01/2025")}));
    list->TitleClick(3);
    EXPECT_EQ(numbers(), (QStringList{QStringLiteral("2/01/2025"), QStringLiteral("1/01/2025")}));
    list->TitleClick(3);
    EXPECT_EQ(m->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Kwota brutto"));
    EXPECT_FALSE(list->Query()->SQLText().contains(QStringLiteral("order by")));
}

TEST_F(ListWindowTest, CloseRemembersTheRowAndTheNextShowReturnsToIt)
{
    invoice("1/01/2025", "10");
    const int second = invoice("2/01/2025", "20");
    list->show();
    ASSERT_TRUE(list->Query()->Locate(QStringLiteral("FV_INDEX"), TArg(second)));
    QTest::mouseClick(list->ZamknijBtn, Qt::LeftButton);
    EXPECT_EQ(list->LastIndex, second);
    EXPECT_FALSE(list->Query()->Active());
    list->show();
    EXPECT_EQ(list->CurrentKey(), second);
    const QString dir = TestOutputDir(QStringLiteral("lists"));
    QDir().mkpath(dir);
    list->grab().save(QDir(dir).filePath(QStringLiteral("faktury_lista.png")));
}

} // namespace
