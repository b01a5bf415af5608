// The invoice editor's rules called directly, without its window: the number
// a move into another month takes, the due date a payment form sets, lines
// from the subscriber's template, and the questions of "Zapisz" answered by
// the callback the window would pass.
#include "billing/FvWystawDane.h"
#include "core/Query.h"
#include "tests/billing/BillingFixture.h"

#include <memory>

namespace {

class FvWystawDaneTest : public BillingTest
{
protected:
    void SetUp() override
    {
        BillingTest::SetUp();
        if (HasFatalFailure()) return;
        d = std::make_unique<TFvWystawDane>();
        d->AskOperator = [this](const QString& question) {
            asked << question;
            return answer(question);
        };
    }
    void TearDown() override
    {
        if (d) d->Hide();
        d.reset();
        BillingTest::TearDown();
    }

    // A new invoice of the subscriber, shown as the editor shows it.
    int openNew(int user)
    {
        d->SelectUser(user);
        d->InsertHeader();
        d->Show();
        return d->FvIndex;
    }
    // An invoice already numbered n in the month of date.
    void addNumbered(int user, int n, const QDate& date)
    {
        const int doc = AddDoc('F', user, A("10"), date, numberText(n, date), date);
        S()->ExecQuery(QStringLiteral("update Fv set FV_NUMER=:p1 where FV_INDEX=:p2"), {n, doc});
    }
    static QString numberText(int number, const QDate& date)
    {
        return QStringLiteral("%1/%2/%3").arg(number).arg(date.month()).arg(date.year());
    }
    QString stored(const char* column) const
    {
        return Text(
            QStringLiteral("select cast(%1 as char) from Fv where FV_INDEX=:p1").arg(QLatin1String(column)),
            {d->FvIndex});
    }

    std::unique_ptr<TFvWystawDane> d;
    QStringList asked;
    std::function<bool(const QString&)> answer = [](const QString&) { return false; };
};

TEST_F(FvWystawDaneTest, MoveIntoAnotherMonthTakesThatMonthsNextNumber)
{
    const QDate today = QDate::currentDate();
    const QDate earlier = today.addMonths(-2);
    const int u = AddUser();
    addNumbered(u, 7, earlier);
    openNew(u);
    ASSERT_EQ(stored("FV_NUMER"), QStringLiteral("1"));

    d->SetIssueDate(earlier);
    EXPECT_EQ(stored("FV_NUMER"), QStringLiteral("8"));
    EXPECT_EQ(stored("FV_NUMERTXT"), numberText(8, earlier));

    // Another day of the same month keeps the number; only the text follows the date.
    const QDate sameMonth = earlier.day() == 1 ? earlier.addDays(1) : earlier.addDays(-1);
    d->SetIssueDate(sameMonth);
    EXPECT_EQ(stored("FV_NUMER"), QStringLiteral("8"));
    EXPECT_EQ(stored("FV_NUMERTXT"), numberText(8, sameMonth));

    // Back into this month: its own next number again.
    d->SetIssueDate(today);
    EXPECT_EQ(stored("FV_NUMER"), QStringLiteral("1"));
    EXPECT_EQ(stored("FV_NUMERTXT"), numberText(1, today));
}

TEST_F(FvWystawDaneTest, PaymentFormSetsTheDueDateFromItsDays)
{
    struct Case
    {
        const char* form;
        int days; // from the issue date; -1: the due date stays as it was
    };
    const Case cases[] = {
        {"przelew 21 dni", 21}, {"przelew 7 dni", 7}, {"gotówka", 0}, {"przelew", 14}, {"nieznana forma", -1},
    };
    const int u = AddUser();
    openNew(u);
    const QDate issue = d->IssueDate();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.form);
        const QDate before = d->DueDate();
        d->SetPaymentForm(QString::fromUtf8(c.form));
        const QDate expected = c.days < 0 ? before : issue.addDays(c.days);
        EXPECT_EQ(d->DueDate(), expected);
        EXPECT_EQ(stored("FV_DATAPLATNOSCI"), expected.toString(Qt::ISODate));
        EXPECT_EQ(stored("FV_FORMAPLATNOSCI"), QString::fromUtf8(c.form));
    }
}

TEST_F(FvWystawDaneTest, TemplateGivesOnlyTheActiveItemsValidToday)
{
    const QDate today = QDate::currentDate();
    const int u = AddUser();
    const int other = AddUser();
    struct Item
    {
        int user;
        const char* name;
        int active;
        QDate start, end; // invalid: the empty date
    };
    const Item items[] = {
        {u, "Abonament", 1, today.addMonths(-1), QDate()},
        {u, "Bez dat", 1, QDate(), QDate()},
        {u, "Wyłączona", 0, QDate(), QDate()},
        {u, "Zakończona", 1, today.addMonths(-2), today.addDays(-1)},
        {u, "Od jutra", 1, today.addDays(1), QDate()},
        {other, "Cudza", 1, QDate(), QDate()},
    };
    auto date = [](const QDate& d) {
        return d.isValid() ? d.toString(Qt::ISODate) : QStringLiteral("0000-00-00");
    };
    for (const Item& i : items)
        S()->ExecQuery(
            QStringLiteral("insert into UserFvPozycje (UFV_INDEXUSER, UFV_NAZWAUSLUGI, UFV_ILOSC, "
                           "UFV_JEDNMIARY, UFV_STAWKAVAT_TXT, UFV_CENABRUTTO, UFV_CZYAKTYWNA, "
                           "UFV_DATASTART, UFV_DATAEND) values (:p1, :p2, 1, :p3, :p4, 50, :p5, :p6, :p7)"),
            {i.user, QString::fromUtf8(i.name), QStringLiteral("szt."), QStringLiteral("23%"), i.active,
             date(i.start), date(i.end)});
    openNew(u);
    d->AddFromTemplate();
    const QStringList names = S()->GetQueryValuesAsList(
        QStringLiteral(
            "select FVP_NAZWAUSLUGI from FvPozycje where FVP_INDEXFAKTURA=:p1 order by FVP_NAZWAUSLUGI"),
        {d->FvIndex});
    EXPECT_EQ(names, (QStringList{QStringLiteral("Abonament"), QStringLiteral("Bez dat")}));
    EXPECT_EQ(d->Gross(), A("100"));
}

TEST_F(FvWystawDaneTest, DuplicateNumberQuestionGoesThroughTheCallback)
{
    const QDate today = QDate::currentDate();
    const QString duplicateQuestion =
        QStringLiteral("Obecnie w numeracji faktur są zdublowane numery dokumentów. Czy zmienić numer "
                       "faktury na najbliższy wolny?");
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "Tak" : "Nie");
        const int u = AddUser();
        openNew(u);
        const QString own = stored("FV_NUMERTXT");
        // Another workstation wrote an invoice with the same number meanwhile.
        addNumbered(u, stored("FV_NUMER").toInt(), today);
        asked.clear();
        answer = [&](const QString& q) { return yes && q == duplicateQuestion; };
        ASSERT_TRUE(d->Save());
        EXPECT_EQ(asked, QStringList{duplicateQuestion});
        if (yes) {
            EXPECT_NE(stored("FV_NUMERTXT"), own);
            EXPECT_EQ(
                Int(QStringLiteral("select count(*) from Fv where FV_NUMERTXT=:p1"), {stored("FV_NUMERTXT")}),
                1);
        } else {
            EXPECT_EQ(stored("FV_NUMERTXT"), own);
        }
        d->Hide();
    }
}

TEST_F(FvWystawDaneTest, WithoutCallbacksSaveAsksNothingAndKeepsTheNumber)
{
    const QDate today = QDate::currentDate();
    const int u = AddUser();
    d->AskOperator = nullptr;
    openNew(u);
    const QString own = stored("FV_NUMERTXT");
    addNumbered(u, stored("FV_NUMER").toInt(), today);
    EXPECT_TRUE(d->Save());
    EXPECT_EQ(stored("FV_NUMERTXT"), own);
}

} // namespace
