// Numbers and number texts of documents and payments, the gap and duplicate
// checks, and two issuers taking numbers at the same moment.
#include "billing/Numeracja.h"
#include "core/DedicatedSession.h"
#include "core/Podmioty.h"
#include "core/Query.h"
#include "tests/billing/BillingFixture.h"
#include "tests/support/OtherWorkstation.h"

#include <QThread>
#include <algorithm>
#include <atomic>
#include <set>
#include <thread>

namespace {

class NumeracjaTest : public BillingTest
{
protected:
    void SetUp() override
    {
        BillingTest::SetUp();
        AddPodmiot(1, QStringLiteral("FIR"));
        AddPodmiot(2, QStringLiteral("ABC"));
        AddPodmiot(3, QStringLiteral("XYZ"));
    }
    // An invoice row numbered n in a company on a date.
    int Fv(int number, const QDate& date, int podmiot = 1, TDedicatedSession* s = nullptr)
    {
        if (!s) s = S();
        s->ExecQuery(
            QStringLiteral("insert into Fv (FV_INDEXUSER, FV_NUMER, FV_NUMERTXT, FV_DATAWYSTAWIENIA, "
                           "FV_PODMIOT) values (1, :p1, :p2, :p3, :p4)"),
            {number, QString::number(number), date.toString(Qt::ISODate), podmiot});
        return s->GetQueryValueAsInteger(QStringLiteral("select last_insert_id()"));
    }
    int Next(char kind, const QDate& date, int podmiot = 1)
    {
        TNumberReservation r(kind, date, podmiot);
        return r.Number();
    }
};

} // namespace

TEST_F(NumeracjaTest, NumberTexts)
{
    SetGlobal(QStringLiteral("MaskaFvPoczatek"), QStringLiteral("FV/"));
    SetGlobal(QStringLiteral("MaskaFvkPoczatek"), QStringLiteral("KOR/"));
    SetGlobal(QStringLiteral("MaskaFvkKoniec"), QStringLiteral("/K"));
    const QDate may14(2025, 5, 14);
    struct Case
    {
        const char* name;
        char kind;
        int number, podmiot;
        bool monthly, shortNameForOne;
        const char* text;
    } cases[] = {
        {"prefix, company 2, monthly", 'F', 7, 2, true, false, "FV/7/ABC/5/2025"},
        {"company 1 without its short name", 'F', 7, 1, true, false, "FV/7/5/2025"},
        {"company 1 with SkrotFirmyWNumeracji", 'F', 7, 1, true, true, "FV/7/FIR/5/2025"},
        {"yearly", 'F', 12, 3, false, false, "FV/12/XYZ/2025"},
        {"correction masks", 'K', 3, 1, true, false, "KOR/3/K/5/2025"},
        {"payment demand: no masks, no short name of company 1", 'P', 4, 1, true, true, "4/5/2025"},
        {"payment demand of company 2", 'P', 4, 2, true, false, "4/ABC/5/2025"},
        {"company without a row: an empty part", 'F', 7, 9, true, false, "FV/7//5/2025"},
    };
    for (const Case& c : cases) {
        SetGlobal(QStringLiteral("NumeracjaMiesieczna"), c.monthly ? "1" : "0");
        SetGlobal(QStringLiteral("SkrotFirmyWNumeracji"), c.shortNameForOne ? "1" : "0");
        EXPECT_EQ(DocumentNumberText(c.kind, c.number, c.podmiot, may14), QString::fromLatin1(c.text))
            << c.name;
    }
}

TEST_F(NumeracjaTest, PaymentNumberTexts)
{
    SetGlobal(QStringLiteral("NumeracjaMiesieczna"), QStringLiteral("1"));
    EXPECT_EQ(OplataNumberText(12, 1, QDate(2025, 3, 3)), QStringLiteral("12/3/2025"));
    EXPECT_EQ(OplataNumberText(7, 2, QDate(2025, 3, 3)), QStringLiteral("7/ABC/3/2025"));
    SetGlobal(QStringLiteral("NumeracjaMiesieczna"), QStringLiteral("0"));
    EXPECT_EQ(OplataNumberText(12, 1, QDate(2025, 3, 3)), QStringLiteral("12/2025"));
}

TEST_F(NumeracjaTest, SequencePerCompanyAndMonth)
{
    Fv(5, QDate(2025, 5, 2));
    Fv(6, QDate(2025, 5, 31));
    Fv(40, QDate(2025, 4, 30));
    Fv(9, QDate(2025, 5, 10), 2);
    EXPECT_EQ(Next('F', QDate(2025, 5, 14)), 7);
    EXPECT_EQ(Next('F', QDate(2025, 5, 14), 2), 10);
    EXPECT_EQ(Next('F', QDate(2025, 6, 1)), 1);  // first of a month
    EXPECT_EQ(Next('K', QDate(2025, 5, 14)), 1); // kinds are separate
    EXPECT_EQ(Next('P', QDate(2025, 5, 14)), 1);
}

TEST_F(NumeracjaTest, YearlySequenceStartsAgainEachYear)
{
    SetGlobal(QStringLiteral("NumeracjaMiesieczna"), QStringLiteral("0"));
    Fv(500, QDate(2024, 12, 31));
    Fv(3, QDate(2025, 1, 20));
    EXPECT_EQ(Next('F', QDate(2025, 1, 1)), 4);
    EXPECT_EQ(Next('F', QDate(2025, 11, 30)), 4);
    EXPECT_EQ(Next('F', QDate(2026, 1, 1)), 1);
}

TEST_F(NumeracjaTest, PaymentsNumberedPerCompany)
{
    S()->ExecQuery(QStringLiteral("insert into Oplaty (O_INDEXUSER, O_NUMER, O_DATAWPLATY, O_PODMIOT) values "
                                  "(1, 4, '2025-03-01', 1), (1, 11, '2025-03-05', 2)"));
    EXPECT_EQ(Next('O', QDate(2025, 3, 20)), 5);
    EXPECT_EQ(Next('O', QDate(2025, 3, 20), 2), 12);
    EXPECT_EQ(Next('O', QDate(2025, 4, 1)), 1);
}

TEST_F(NumeracjaTest, NumberTextInUseByAnotherDocumentOfTheKind)
{
    const int a = Fv(1, QDate(2025, 5, 2));
    const int b = Fv(2, QDate(2025, 5, 2), 2);
    EXPECT_FALSE(NumberTextInUse('F', QStringLiteral("1"), a));
    EXPECT_TRUE(NumberTextInUse('F', QStringLiteral("1"), b)); // of any company
    EXPECT_FALSE(NumberTextInUse('K', QStringLiteral("1"), 0));
}

TEST_F(NumeracjaTest, TodaysGap)
{
    const QDate today = QDate::currentDate();
    EXPECT_EQ(FindTodayNumberGap('F', 1), 0); // nothing dated today
    Fv(3, today);
    Fv(4, today);
    Fv(6, today);
    Fv(5, today.addDays(-1)); // yesterday's numbers are not looked at
    EXPECT_EQ(FindTodayNumberGap('F', 1), 5);
    Fv(5, today);
    EXPECT_EQ(FindTodayNumberGap('F', 1), 7);
    EXPECT_EQ(FindTodayNumberGap('K', 1), 0);
    // Without a company argument: the current company.
    CurrentPodmiotId = 1;
    EXPECT_EQ(FindTodayNumberGap('F'), 7);
}

TEST_F(NumeracjaTest, DuplicatesOfTheCompany)
{
    const QDate today = QDate::currentDate();
    EXPECT_EQ(DuplicateNumberCount('F', QStringLiteral("3"), 1), 0);
    Fv(3, today.addMonths(-1));
    EXPECT_EQ(DuplicateNumberCount('F', QStringLiteral("3"), 1), 0); // none dated today
    Fv(1, today);
    EXPECT_EQ(DuplicateNumberCount('F', QStringLiteral("1"), 1), 0);
    Fv(1, today.addDays(-1));
    Fv(1, today, 2);
    EXPECT_EQ(DuplicateNumberCount('F', QStringLiteral("1"), 1), 1);
    EXPECT_EQ(DuplicateNumberCount('F', QStringLiteral("1"), 2), 0);
}

// Workstation A has a new invoice open in its editor (row written, not
// committed); workstation B opens a new invoice of the same company and month.
TEST_F(NumeracjaTest, UncommittedNumberIsNotGivenToAnotherWorkstation)
{
    TOtherWorkstation a(QStringLiteral("wsA"), DatabaseName());
    TOtherWorkstation b(QStringLiteral("wsB"), DatabaseName());
    const QDate may(2025, 5, 14);
    Fv(1, may);
    b.session->StartTransaction();
    b.session->GetQueryValueAsInteger(QStringLiteral("select count(*) from Fv")); // B's snapshot is taken now
    a.session->StartTransaction();
    int first = 0;
    {
        TNumberReservation r('F', may, 1, a.session.get());
        first = r.Number();
        Fv(first, may, 1, a.session.get());
    }
    EXPECT_EQ(first, 2);
    // The unprotected highest-number query would give B the same number.
    EXPECT_EQ(b.session->GetQueryValueAsInteger(
                  QStringLiteral(
                      "select max(FV_NUMER) from Fv where year(FV_DATAWYSTAWIENIA) = year(:p1) and "
                      "month(FV_DATAWYSTAWIENIA) = month(:p2) and FV_NUMER is not null and FV_PODMIOT=:p3"),
                  {may.toString(Qt::ISODate), may.toString(Qt::ISODate), 1}) +
                  1,
              first);
    int second = 0;
    {
        TNumberReservation r('F', may, 1, b.session.get());
        second = r.Number();
        Fv(second, may, 1, b.session.get());
    }
    EXPECT_EQ(second, 3);
    a.session->Commit();
    // A's commit is not yet visible to B's snapshot; the next number still counts it.
    TNumberReservation r('F', may, 1, b.session.get());
    EXPECT_EQ(r.Number(), 4);
    r.Release();
    b.session->Commit();
}

TEST_F(NumeracjaTest, RolledBackNumberIsFreeAgain)
{
    TOtherWorkstation a(QStringLiteral("wsA"), DatabaseName());
    const QDate may(2025, 5, 14);
    a.session->StartTransaction();
    {
        TNumberReservation r('F', may, 1, a.session.get());
        EXPECT_EQ(r.Number(), 1);
        Fv(r.Number(), may, 1, a.session.get());
    }
    a.session->Rollback();
    EXPECT_EQ(Next('F', may), 1);
}

// Two workstations issue invoices of one company and month at the same time,
// each in its own transaction, some of them cancelled: every committed invoice
// has its own number.
TEST_F(NumeracjaTest, ConcurrentIssuersNeverShareANumber)
{
    const QDate may(2025, 5, 14);
    std::atomic<bool> failed{false};
    auto issuer = [&](const QString& name, int seed) {
        try {
            TOtherWorkstation ws(name, DatabaseName());
            TDedicatedSession* s = ws.session.get();
            for (int i = 0; i < 25; ++i) {
                s->StartTransaction();
                {
                    TNumberReservation r('F', may, 1, s);
                    s->ExecQuery(QStringLiteral("insert into Fv (FV_INDEXUSER, FV_NUMER, FV_DATAWYSTAWIENIA, "
                                                "FV_PODMIOT) values (:p1, :p2, :p3, 1)"),
                                 {seed, r.Number(), may.toString(Qt::ISODate)});
                }
                // The operator edits lines while the number stays reserved by the open transaction.
                QThread::usleep(200 + (i * 37 + seed * 91) % 900);
                if ((i + seed) % 5 == 0)
                    s->Rollback();
                else
                    s->Commit();
            }
        } catch (const EDatabaseError& e) {
            ADD_FAILURE() << e.Message().toStdString();
            failed = true;
        }
    };
    std::thread t1(issuer, QStringLiteral("ws1"), 1);
    std::thread t2(issuer, QStringLiteral("ws2"), 2);
    t1.join();
    t2.join();
    ASSERT_FALSE(failed);
    const QStringList numbers =
        S()->GetQueryValuesAsList(QStringLiteral("select FV_NUMER from Fv order by FV_NUMER"));
    EXPECT_EQ(numbers.size(), 40);
    std::set<int> distinct;
    for (const QString& n : numbers)
        distinct.insert(n.toInt());
    EXPECT_EQ(distinct.size(), size_t(numbers.size()));
}
