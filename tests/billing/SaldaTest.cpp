// Balances, days overdue, the block and notice flags, the cache and the
// balance thread on its own connection.
#include "billing/Salda.h"
#include "billing/Rozliczenia.h"
#include "billing/SaldoBazy.h"
#include "core/DedicatedSession.h"
#include "core/Query.h"
#include "tests/billing/BillingFixture.h"

#include <QTemporaryDir>

namespace {

class SaldaTest : public BillingTest
{
protected:
    void SetUp() override
    {
        BillingTest::SetUp();
        SetGlobal(QStringLiteral("Blokady"), QStringLiteral("14"));
        SetGlobal(QStringLiteral("Powiadomienia"), QStringLiteral("7"));
        u = AddUser();
    }
    QString U(const char* columns, int user = 0)
    {
        return Text(QStringLiteral("select concat_ws(' ', %1) from Userdb where U_INDEX=:p1")
                        .arg(QLatin1String(columns)),
                    {user ? user : u});
    }
    Amount4 Saldo(int user = 0)
    {
        return Money(QStringLiteral("select U_SALDO from Userdb where U_INDEX=:p1"), {user ? user : u});
    }
    int u = 0;
};

} // namespace

TEST_F(SaldaTest, BlockAndNoticeFlags)
{
    const QDate today = QDate::currentDate();
    struct Case
    {
        const char* name;
        int daysOverdue, delay, notice;
        int exemption; // days from today; 99 = none
        int block, notify;
    } cases[] = {
        {"6 days: nothing yet", 6, 0, 0, 99, 0, 0},
        {"7 days: notice", 7, 0, 0, 99, 0, 1},
        {"13 days: notice", 13, 0, 0, 99, 0, 1},
        {"14 days: block and notice", 14, 0, 0, 99, 1, 1},
        {"own delay 10 moves both: 16 days", 16, 10, 0, 99, 0, 0},
        {"own delay 10: notice at 17", 17, 10, 0, 99, 0, 1},
        {"own delay 10: block at 24", 24, 10, 0, 99, 1, 1},
        {"own notice 3 moves only the notice: 4 days", 4, 0, 3, 99, 0, 1},
        {"own notice 3: block still at 14", 13, 0, 3, 99, 0, 1},
        {"exempt up to today", 30, 0, 0, 0, 0, 0},
        {"exempt up to tomorrow", 30, 0, 0, 1, 0, 0},
        {"exemption ended yesterday", 30, 0, 0, -1, 1, 1},
    };
    for (const Case& c : cases) {
        const int user = AddUser();
        AddDoc('F', user, A("50"), today.addDays(-c.daysOverdue));
        const QString exemption = c.exemption == 99 ? QStringLiteral("0000-00-00")
                                                    : today.addDays(c.exemption).toString(Qt::ISODate);
        S()->ExecQuery(
            QStringLiteral("update Userdb set U_OPOZNIENIEBLOKADY=:p1, U_WYPRZEDZENIEPOWIADOMIEN=:p2, "
                           "U_DATAWYKLUCZENIAZBLOKAD=:p3 where U_INDEX=:p4"),
            {c.delay, c.notice, exemption, user});
        RecalcUserSaldo(user);
        EXPECT_EQ(U("U_BLOKUJ, U_POWIADAMIAJ", user), QStringLiteral("%1 %2").arg(c.block).arg(c.notify))
            << c.name;
        EXPECT_EQ(Int(QStringLiteral("select U_MAXZALEGLOSC from Userdb where U_INDEX=:p1"), {user}),
                  c.daysOverdue)
            << c.name;
        // A past exemption is cleared; today's and later ones stay.
        const QString kept = c.exemption == 99 || c.exemption < 0 ? QStringLiteral("0000-00-00") : exemption;
        EXPECT_EQ(U("U_DATAWYKLUCZENIAZBLOKAD", user), kept) << c.name;
    }
}

TEST_F(SaldaTest, DaysOverduePerKindAndNoneWithoutOpenDocuments)
{
    RecalcUserSaldo(u);
    EXPECT_EQ(U("U_MAXZALEGLOSCFV, U_MAXZALEGLOSCFVK, U_MAXZALEGLOSCPZ, U_BLOKUJ, U_POWIADAMIAJ"),
              QStringLiteral("-9999 -9999 -9999 0 0"));
    EXPECT_TRUE(S()->OpenQuery(QStringLiteral("select U_MAXZALEGLOSC from Userdb where U_INDEX=:p1"), {u})
                    ->Fields(0)
                    ->IsNull());
    const QDate today = QDate::currentDate();
    AddDoc('F', u, A("10"), today.addDays(-3));
    AddDoc('F', u, A("10"), today.addDays(-20));
    AddDoc('P', u, A("10"), today.addDays(5));    // not yet due: negative days
    AddDoc('K', u, A("-10"), today.addDays(-40)); // a lowering correction is not a debt
    RecalcUserSaldo(u);
    EXPECT_EQ(U("U_MAXZALEGLOSCFV, U_MAXZALEGLOSCFVK, U_MAXZALEGLOSCPZ, U_MAXZALEGLOSC"),
              QStringLiteral("20 -9999 -5 20"));
}

TEST_F(SaldaTest, BalanceAndOverdueDebt)
{
    const QDate today = QDate::currentDate();
    AddDoc('F', u, A("50"), today.addDays(-1));
    AddDoc('P', u, A("30"), today.addDays(1));
    AddDoc('K', u, A("-12.50"), today.addDays(-1)); // raises the balance by its absolute value
    AddOplata(u, A("20"), today);
    RecalcUserSaldo(u);
    EXPECT_EQ(Saldo(), A("-47.50"));
    EXPECT_EQ(Money(QStringLiteral("select U_SALDOZALEGLE from Userdb where U_INDEX=:p1"), {u}), A("37.50"));
    // No active recurring item: no ratio.
    EXPECT_EQ(Money(QStringLiteral("select U_SALDOZALEGLEWSP from Userdb where U_INDEX=:p1"), {u}), A("0"));
}

// A payout counts once, through its own term, whatever its open amount says:
// 100.00 paid, 80.00 of it settled, 20.00 refunded is a balance of 0.00.
TEST_F(SaldaTest, PayoutCountsOnce)
{
    const int fv = AddDoc('F', u, A("80"), QDate(2025, 1, 10));
    const int o = AddOplata(u, A("100"), QDate(2025, 1, 12));
    ASSERT_TRUE(SettleOplata(o, u));
    EXPECT_EQ(DocOpen('F', fv), A("0"));
    const int payout = AddOplata(u, A("-20"), QDate(2025, 1, 20), A("0")); // as the payment dialog enters it
    RecalcUserSaldo(u);
    EXPECT_EQ(Saldo(), A("0"));
    // Editing the payout or re-settling the subscriber sets its open amount to its amount.
    S()->ExecQuery(QStringLiteral("update Oplaty set O_KWOTADOROZLICZENIA=O_KWOTA where O_INDEX=:p1"),
                   {payout});
    RecalcUserSaldo(u);
    EXPECT_EQ(Saldo(), A("0"));
}

TEST_F(SaldaTest, SubscriptionCostAndContractEnd)
{
    const QString zero = QStringLiteral("0000-00-00");
    const QDate today = QDate::currentDate();
    struct Item
    {
        const char *gross, *cost;
        QDate start, end;
        int active, oneOff;
    } items[] = {
        {"50", "20", QDate(), QDate(), 1, 0},                       // open-ended
        {"30", "10", today.addMonths(-2), today.addDays(-1), 1, 0}, // ended yesterday
        {"10", "1", today.addMonths(-1), today.addMonths(1), 1, 1}, // one-off
        {"5", "1", QDate(), QDate(), 0, 0},                         // suspended
        {"25", "4", today.addMonths(-1), today, 1, 0},              // ends today
        {"7", "1", today.addDays(1), QDate(), 1, 0},                // starts tomorrow
    };
    for (const Item& i : items)
        S()->ExecQuery(
            QStringLiteral("insert into UserFvPozycje (UFV_INDEXUSER, UFV_WARTOSCBRUTTO, UFV_KOSZTBRUTTO, "
                           "UFV_DATASTART, UFV_DATAEND, UFV_CZYAKTYWNA, UFV_CZYJEDNORAZOWA) values (:p1, "
                           ":p2, :p3, :p4, :p5, :p6, :p7)"),
            {u, A(i.gross), A(i.cost), i.start.isValid() ? i.start.toString(Qt::ISODate) : zero,
             i.end.isValid() ? i.end.toString(Qt::ISODate) : zero, i.active, i.oneOff});
    S()->ExecQuery(
        QStringLiteral("insert into Umowy (UM_INDEXUSER, UM_NUMER, UM_DATAZAWARCIA, UM_DATAKONIEC, "
                       "UM_CZYANEKS) values (:p1, 1, '2023-01-01', '2025-01-01', 0), (:p2, 2, "
                       "'2024-06-01', '2026-06-01', 0), (:p3, 3, '2024-06-01', '2027-06-01', 2)"),
        {u, u, u});
    AddDoc('F', u, A("75"), today.addDays(-1));
    RecalcUserSaldo(u);
    EXPECT_EQ(Money(QStringLiteral("select U_KWOTAABONAMENTU from Userdb where U_INDEX=:p1"), {u}), A("75"));
    EXPECT_EQ(Money(QStringLiteral("select U_KOSZT from Userdb where U_INDEX=:p1"), {u}), A("24"));
    EXPECT_EQ(Money(QStringLiteral("select U_SALDOZALEGLEWSP from Userdb where U_INDEX=:p1"), {u}), A("1"));
    EXPECT_EQ(U("U_DATAKONCAUMOWY"), QStringLiteral("2026-06-01"));
}

TEST_F(SaldaTest, CacheOfLatestPaymentAndGroupNames)
{
    S()->ExecQuery(
        QStringLiteral("insert into Grupy (GR_INDEX, GR_NAZWA) values (1, 'Zachód'), (2, 'Blok A')"));
    S()->ExecQuery(QStringLiteral("update Userdb set U_GRUPA1=1, U_GRUPA3=2 where U_INDEX=:p1"), {u});
    const int quiet = AddUser();
    S()->ExecQuery(
        QStringLiteral("insert into Oplaty (O_INDEXUSER, O_KWOTA, O_KWOTADOROZLICZENIA, O_DATAWPLATY, "
                       "O_DATADODANIA) values (:p1, 10, 10, '2025-03-01', '2025-03-01'), (:p2, 40, 40, "
                       "'2025-03-05', '2025-03-09'), (:p3, 30, 30, '2025-03-05', '2025-03-06')"),
        {u, u, u});
    RecalcUserSaldoAndCache(0);
    const QString row =
        QStringLiteral("select concat_ws('|', vU_DataOstatniejWplaty, vU_KwotaOstatniejWplaty, "
                       "U_GrNazwaAll) from UserdbAdd where UADD_INDEXUSER=:p1");
    EXPECT_EQ(Text(row, {u}), QStringLiteral("2025-03-05|40.00|Blok A, Zachód"));
    EXPECT_EQ(Text(row, {quiet}), QStringLiteral("|0.00|"));
    // One subscriber: only its row follows the new payment.
    AddOplata(u, A("12.34"), QDate(2025, 4, 1));
    AddOplata(quiet, A("1"), QDate(2025, 4, 1));
    RecalcUserSaldoAndCache(u);
    EXPECT_EQ(Text(row, {u}), QStringLiteral("2025-04-01|12.34|Blok A, Zachód"));
    EXPECT_EQ(Text(row, {quiet}), QStringLiteral("|0.00|"));
    EXPECT_EQ(Saldo(u), A("92.34"));
}

TEST_F(SaldaTest, FullRunInsideATransactionEmptiesTheCacheWithoutCommitting)
{
    AddOplata(u, A("5"), QDate(2025, 4, 1));
    S()->StartTransaction();
    RecalcUserSaldoAndCache(0); // TRUNCATE would commit the open transaction
    S()->Rollback();
    EXPECT_EQ(Int(QStringLiteral("select count(*) from UserdbAdd")), 0);
    EXPECT_EQ(Saldo(), A("0"));
}

TEST_F(SaldaTest, RecalcSaldoBazyTotalsContractsPerCompany)
{
    AddPodmiot(2, QStringLiteral("ABC"));
    const int u2 = AddUser(2);
    const int u3 = AddUser(2);
    for (const auto& [user, gross] : {std::pair{u, "50"}, {u2, "30"}, {u3, "20.5"}})
        S()->ExecQuery(
            QStringLiteral("insert into UserFvPozycje (UFV_INDEXUSER, UFV_WARTOSCBRUTTO, UFV_CZYAKTYWNA) "
                           "values (:p1, :p2, 1)"),
            {user, A(gross)});
    RecalcSaldoBazy();
    EXPECT_EQ(Money(QStringLiteral("select P_KWOTAKONTRAKTOW from Podmioty where P_INDEX=2")), A("50.50"));
    EXPECT_EQ(Int(QStringLiteral("select count(*) from UserdbAdd")), 3);
}

TEST_F(SaldaTest, ThreadComputesTheSameOnItsOwnConnection)
{
    QTemporaryDir priv;
    const QString savedPriv = DefaultSessionPrivateDir;
    DefaultSessionPrivateDir = priv.path() + QStringLiteral("/orlix_priv");
    const QDate today = QDate::currentDate();
    for (int i = 0; i < 5; ++i) {
        const int user = AddUser();
        AddDoc('F', user, A("40"), today.addDays(-5 * i));
        AddOplata(user, A("15"), today.addDays(-i));
    }
    RecalcUserSaldoAndCache(0);
    const QString state = QStringLiteral(
        "select group_concat(concat_ws(' ', U_INDEX, U_SALDO, U_SALDOZALEGLE, U_MAXZALEGLOSC, U_BLOKUJ, "
        "U_POWIADAMIAJ, vU_DataOstatniejWplaty, vU_KwotaOstatniejWplaty) order by U_INDEX) from Userdb left "
        "join "
        "UserdbAdd on UADD_INDEXUSER=U_INDEX");
    const QString expected = Text(state);
    S()->ExecQuery(
        QStringLiteral("update Userdb set U_SALDO=0, U_SALDOZALEGLE=0, U_MAXZALEGLOSC=NULL, U_BLOKUJ=0, "
                       "U_POWIADAMIAJ=0"));
    S()->ExecQuery(QStringLiteral("delete from UserdbAdd"));
    // A window's transaction holds an uncommitted payment: the thread neither waits for it nor sees it.
    S()->StartTransaction();
    AddOplata(u, A("999"), today);
    TSaldoBazy::Create(0);
    EXPECT_TRUE(TSaldoBazy::WaitAll(20000));
    S()->Rollback();
    EXPECT_EQ(TSaldoBazy::Running(), 0);
    EXPECT_EQ(Text(state), expected);
    // One subscriber.
    AddOplata(u, A("7"), today);
    TSaldoBazy::Create(u);
    EXPECT_TRUE(TSaldoBazy::WaitAll(20000));
    EXPECT_EQ(Saldo(), A("7"));
    EXPECT_EQ(
        Money(QStringLiteral("select vU_KwotaOstatniejWplaty from UserdbAdd where UADD_INDEXUSER=:p1"), {u}),
        A("7"));
    DefaultSessionPrivateDir = savedPriv;
}

// The full run reads each table once for all subscribers; every column it
// writes must equal what the statement for one subscriber writes.
TEST_F(SaldaTest, FullRunEqualsOneSubscriberAtATime)
{
    const QDate today = QDate::currentDate();
    const QString zero = QStringLiteral("0000-00-00");
    std::vector<int> users{u};
    for (int i = 1; i < 24; ++i) {
        const int user = AddUser();
        users.push_back(user);
        if (i % 3 != 0) AddDoc('F', user, A("49.99"), today.addDays(-i * 2));
        if (i % 4 == 1) AddDoc('F', user, A("20"), today.addDays(i));
        if (i % 5 == 2) AddDoc('P', user, A("30"), today.addDays(-i));
        if (i % 6 == 3) AddDoc('K', user, A("-15"), today.addDays(-3));
        if (i % 7 == 4) AddDoc('K', user, A("7.5"), today.addDays(-i * 3));
        if (i % 8 == 5) AddDoc('F', user, A("11"), QDate()); // no due date
        if (i % 2 == 0) AddOplata(user, A("35"), today.addDays(-i));
        if (i % 9 == 1) AddOplata(user, A("-12"), today, A("0"));
        if (i % 10 == 3) AddOplata(user, A("-8"), today);
        if (i % 3 == 0)
            S()->ExecQuery(
                QStringLiteral(
                    "insert into UserFvPozycje (UFV_INDEXUSER, UFV_WARTOSCBRUTTO, UFV_KOSZTBRUTTO, "
                    "UFV_DATASTART, UFV_DATAEND, UFV_CZYAKTYWNA, UFV_CZYJEDNORAZOWA) values (:p1, "
                    "60, 22, :p2, :p3, 1, :p4)"),
                {user, zero, i % 9 == 0 ? today.addDays(-1).toString(Qt::ISODate) : zero, i % 12 == 0});
        if (i % 4 == 0) {
            S()->ExecQuery(
                QStringLiteral("insert into Umowy (UM_INDEXUSER, UM_NUMER, UM_DATAZAWARCIA, UM_DATAKONIEC, "
                               "UM_CZYANEKS, UM_CZYNIEAKTYWNA) values (:p1, 1, '2024-01-01', '2026-01-01', "
                               "0, 0), (:p2, 2, '2024-01-01', '2027-01-01', 1, :p3), (:p4, 0, '2025-01-01', "
                               "'2029-01-01', 0, 0)"),
                {user, user, i % 8 == 0, user});
        }
        S()->ExecQuery(
            QStringLiteral("update Userdb set U_OPOZNIENIEBLOKADY=:p1, U_WYPRZEDZENIEPOWIADOMIEN=:p2, "
                           "U_DATAWYKLUCZENIAZBLOKAD=:p3 where U_INDEX=:p4"),
            {i % 5, i % 3, i % 7 == 0 ? today.addDays(i % 2 ? 1 : -1).toString(Qt::ISODate) : zero, user});
    }
    const QString state = QStringLiteral(
        "select group_concat(concat_ws('|', U_INDEX, U_SALDO, U_SALDOZALEGLE, U_SALDOZALEGLEWSP, "
        "U_MAXZALEGLOSCFV, "
        "U_MAXZALEGLOSCFVK, U_MAXZALEGLOSCPZ, coalesce(U_MAXZALEGLOSC, 'null'), U_BLOKUJ, U_POWIADAMIAJ, "
        "U_DATAWYKLUCZENIAZBLOKAD, U_DATAKONCAUMOWY, U_KWOTAABONAMENTU, U_KOSZT) order by U_INDEX separator "
        "'\\n') "
        "from Userdb");
    const QString before = Text(state);
    const TSaldoSettings st = ReadSaldoSettings();
    for (int user : users)
        RunSaldoStatement(S(), user, st);
    const QString oneByOne = Text(state);
    EXPECT_NE(oneByOne, before);
    S()->ExecQuery(
        QStringLiteral("update Userdb set U_SALDO=1, U_SALDOZALEGLE=1, U_SALDOZALEGLEWSP=1, "
                       "U_MAXZALEGLOSCFV=1, U_MAXZALEGLOSCFVK=1, U_MAXZALEGLOSCPZ=1, U_MAXZALEGLOSC=1, "
                       "U_BLOKUJ=7, U_POWIADAMIAJ=7, U_DATAKONCAUMOWY='2000-01-01', U_KWOTAABONAMENTU=1, "
                       "U_KOSZT=1"));
    // The exemption dates were cleared by the first pass: put them back.
    for (int i = 1; i < 24; ++i)
        if (i % 7 == 0)
            S()->ExecQuery(QStringLiteral("update Userdb set U_DATAWYKLUCZENIAZBLOKAD=:p1 where U_INDEX=:p2"),
                           {today.addDays(i % 2 ? 1 : -1).toString(Qt::ISODate), users[size_t(i)]});
    RecalcUserSaldo(0);
    const QStringList all = Text(state).split(QLatin1Char('\n'));
    const QStringList single = oneByOne.split(QLatin1Char('\n'));
    ASSERT_EQ(all.size(), single.size());
    for (int i = 0; i < all.size(); ++i)
        EXPECT_EQ(all[i], single[i]);
}
