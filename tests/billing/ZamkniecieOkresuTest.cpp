// Period closing: the opening documents keep every balance, their numbers
// start at 1, and an error leaves the database as it was.
#include "billing/ZamkniecieOkresu.h"
#include "billing/Salda.h"
#include "core/DbIni.h"
#include "core/Query.h"
#include "tests/billing/FvAutomatFixture.h"

namespace {

const QDate kClosing(2025, 1, 31);

class ClosePeriodTest : public FvAutomatTestBase
{
protected:
    TClosePeriodCallbacks Answers(bool yes = true)
    {
        TClosePeriodCallbacks cb;
        cb.ask = [this, yes](const QString& t, bool) {
            questions << t;
            return yes;
        };
        cb.info = [this](const QString& t) { infos << t; };
        cb.error = [this](const QString& t) { errors << t; };
        cb.refreshUsers = [this] { ++refreshed; };
        return cb;
    }
    Amount4 Saldo(int user) const
    {
        return Money(QStringLiteral("select U_SALDO from Userdb where U_INDEX=:p1"), {user});
    }
    QString Footprint() const
    {
        return Text(QStringLiteral(
            "select concat_ws('|', (select count(*) from Fv), (select count(*) from Pz), (select count(*) "
            "from "
            "PzPozycje), (select count(*) from Oplaty), (select coalesce(sum(O_KWOTADOROZLICZENIA),0) from "
            "Oplaty), "
            "(select count(*) from OplatyRozliczenia), (select coalesce(sum(U_SALDO),0) from Userdb))"));
    }
    QStringList infos;
    int refreshed = 0;
};

TEST_F(ClosePeriodTest, DebtBecomesAnOpeningDemandAndKeepsTheBalance)
{
    const int u = Billed(1);
    AddDoc('F', u, A("100.00"), QDate(2025, 1, 19), QStringLiteral("FV/1"), QDate(2025, 1, 5));
    RecalcSaldoBazy();
    ASSERT_EQ(Saldo(u), A("-100.00"));
    ASSERT_TRUE(ClosePeriod(kClosing, Answers()));
    EXPECT_EQ(Count(QStringLiteral("Fv")), 0);
    const QDate today = QDate::currentDate();
    EXPECT_EQ(
        Text(QStringLiteral(
            "select concat_ws('|', PZ_INDEXUSER, PZ_DATAWYSTAWIENIA, PZ_DATAPLATNOSCI, "
            "PZ_NUMERTXT, PZ_SUMABRUTTO, PZ_KWOTADOROZLICZENIA, PZ_UWAGI, PZ_NAZWISKO) from Pz")),
        QStringLiteral("%1|2025-01-31|%2|1/1/2025|100.00|100.00|Bilans zamknięcia okresu z dnia %3|Kowalski")
            .arg(u)
            .arg(today.addDays(14).toString(Qt::ISODate), today.toString(Qt::ISODate)));
    EXPECT_EQ(
        Text(QStringLiteral("select concat_ws('|', PZP_NAZWAUSLUGI, PZP_ILOSC, PZP_JEDNMIARY, PZP_SYMBOL, "
                            "PZP_WARTOSCBRUTTO) from PzPozycje join Pz on PZ_INDEX=PZP_INDEXPZ")),
        QStringLiteral("Bilans zamknięcia okresu do dnia 2025-01-31|1.000|szt.|BZO|100.00"));
    EXPECT_EQ(Saldo(u), A("-100.00"));
    EXPECT_EQ(ReadIniString(0, QStringLiteral("ZamkniecieOkresu"), QStringLiteral("Brak")),
              QStringLiteral("2025-01-31"));
    EXPECT_EQ(infos, QStringList{QStringLiteral("Zamknięto poprawnie okres dla daty 2025-01-31")});
    EXPECT_EQ(refreshed, 1);
}

TEST_F(ClosePeriodTest, CreditBecomesAnOpeningPaymentSettledAgainstLaterDocuments)
{
    const int u = Billed(1);
    AddOplata(u, A("50.00"), QDate(2025, 1, 10));
    const int later =
        AddDoc('F', u, A("30.00"), QDate(2025, 2, 20), QStringLiteral("FV/2"), QDate(2025, 2, 5));
    RecalcSaldoBazy();
    ASSERT_EQ(Saldo(u), A("20.00"));
    ASSERT_TRUE(ClosePeriod(kClosing, Answers()));
    EXPECT_EQ(
        Text(QStringLiteral("select concat_ws('|', O_DATAWPLATY, O_KWOTA, O_NUMERTXT, O_UWAGI) from Oplaty")),
        QStringLiteral("2025-01-31|50.00|1/1/2025|Bilans zamknięcia okresu do dnia 2025-01-31 z dnia ") +
            QDate::currentDate().toString(Qt::ISODate));
    EXPECT_EQ(Money(QStringLiteral("select O_KWOTADOROZLICZENIA from Oplaty")), A("20.00"));
    EXPECT_EQ(DocOpen('F', later), A("0.00"));
    EXPECT_EQ(Saldo(u), A("20.00"));
}

TEST_F(ClosePeriodTest, OpeningDocumentsAreNumberedFromOne)
{
    SetGlobal(QStringLiteral("NumeracjaMiesieczna"), QStringLiteral("0"));
    std::vector<int> debtors;
    for (int i = 0; i < 3; ++i) {
        debtors.push_back(Billed(1));
        AddDoc('F', debtors.back(), A("10.00"), QDate(2025, 1, 10), QStringLiteral("FV/x"),
               QDate(2025, 1, 3));
    }
    const int even = Billed(1);
    AddDoc('F', even, A("10.00"), QDate(2025, 1, 10), QStringLiteral("FV/y"), QDate(2025, 1, 3));
    AddOplata(even, A("10.00"), QDate(2025, 1, 4));
    S()->ExecQuery(QStringLiteral("update Fv set FV_KWOTADOROZLICZENIA=0 where FV_INDEXUSER=:p1"), {even});
    S()->ExecQuery(QStringLiteral("update Oplaty set O_KWOTADOROZLICZENIA=0 where O_INDEXUSER=:p1"), {even});
    ASSERT_TRUE(ClosePeriod(kClosing, Answers()));
    EXPECT_EQ(
        Text(QStringLiteral("select group_concat(concat(PZ_INDEXUSER, ':', PZ_NUMERTXT) order by PZ_INDEX) "
                            "from Pz")),
        QStringLiteral("%1:1/2025,%2:2/2025,%3:3/2025").arg(debtors[0]).arg(debtors[1]).arg(debtors[2]));
    EXPECT_EQ(Count(QStringLiteral("Oplaty")), 0);
}

TEST_F(ClosePeriodTest, AnErrorOrANoChangesNothing)
{
    const int u = Billed(1);
    const int v = Billed(1);
    AddDoc('F', u, A("100.00"), QDate(2025, 1, 19), QStringLiteral("FV/1"), QDate(2025, 1, 5));
    AddOplata(v, A("50.00"), QDate(2025, 1, 10));
    AddDoc('F', v, A("30.00"), QDate(2025, 2, 20), QStringLiteral("FV/2"), QDate(2025, 2, 5));
    RecalcSaldoBazy();
    SetGlobal(QStringLiteral("ZamkniecieOkresu"), QStringLiteral("2024-12-31"));
    const QString before = Footprint();
    EXPECT_FALSE(ClosePeriod(kClosing, Answers(false)));
    EXPECT_EQ(questions.size(), 1);
    EXPECT_EQ(Footprint(), before);
    for (int failAt : {4, 6, 7, 8, 10, 11}) {
        SCOPED_TRACE(failAt);
        errors.clear();
        TClosePeriodCallbacks cb = Answers();
        cb.step = [failAt](int n) {
            if (n == failAt) throw EDatabaseError(QStringLiteral("awaria"));
        };
        EXPECT_FALSE(ClosePeriod(kClosing, cb));
        EXPECT_EQ(errors, QStringList{ClosePeriodErrorText});
        EXPECT_EQ(Footprint(), before);
        EXPECT_EQ(ReadIniString(0, QStringLiteral("ZamkniecieOkresu"), QString()),
                  QStringLiteral("2024-12-31"));
    }
    // The working tables are gone: a closing after a failed one works.
    EXPECT_TRUE(ClosePeriod(kClosing, Answers()));
}

} // namespace
