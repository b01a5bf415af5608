// The monthly automatic invoicing run: numbers, suffixes, terms, lines and
// totals, settlement, the operator's "No", errors mid-run, the lock, and
// documents other workstations write while it runs.
#include "billing/FvAutomatDane.h"
#include "billing/Przeliczenia.h"
#include "billing/Rozliczenia.h"
#include "core/DbIni.h"
#include "core/Query.h"
#include "tests/billing/FvAutomatFixture.h"
#include "tests/support/OtherWorkstation.h"

namespace {

class FvAutomatTest : public FvAutomatTestBase
{
protected:
    // Everything a run may leave behind, to compare before and after.
    QString Footprint() const
    {
        return Text(QStringLiteral(
            "select concat_ws('|', (select count(*) from Fv), (select count(*) from FvPozycje), (select "
            "count(*) "
            "from Pz), (select count(*) from PzPozycje), (select count(*) from OplatyRozliczenia), (select "
            "coalesce(sum(O_KWOTADOROZLICZENIA),0) from Oplaty), (select sum(UFV_CZYAKTYWNA) from "
            "UserFvPozycje), "
            "(select count(*) from INI where I_IDENT like 'Index%'))"));
    }
    bool LockFree(TDedicatedSession* s) const
    {
        return s->GetQueryValueAsInteger(QStringLiteral("select IS_FREE_LOCK(:p1)"), {FvAutomatLockName()}) ==
               1;
    }
};

TEST_F(FvAutomatTest, ServiceSuffixKinds)
{
    const struct
    {
        bool on;
        int kind;
        QDate date;
        const char* text;
        const char* expected;
    } cases[] = {
        {true, 1, QDate(2024, 2, 10), "", " (1-29.02.2024)"},
        {true, 1, QDate(2025, 2, 10), "", " (1-28.02.2025)"},
        {true, 1, QDate(2025, 4, 1), "", " (1-30.04.2025)"},
        {true, 0, QDate(2025, 3, 10), "", " (marzec)"},
        {true, 0, QDate(2025, 10, 10), "", " (październik)"},
        {true, 2, QDate(2025, 3, 10), "abonament", " abonament"},
        {false, 0, QDate(2025, 3, 10), "", ""},
        {true, -1, QDate(2025, 3, 10), "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FvAutomatServiceSuffix(c.on, c.kind, c.date, QString::fromUtf8(c.text)),
                  QString::fromUtf8(c.expected))
            << c.kind << " " << c.date.toString(Qt::ISODate).toStdString();
}

TEST_F(FvAutomatTest, NumbersFollowTheCompanysLastNumberYearlyAndMonthly)
{
    SetGlobal(QStringLiteral("MaskaFvPoczatek"), QStringLiteral("FV/"));
    const struct
    {
        bool monthly;
        QDate last;
        int lastNumber;
        const char* invoice;
        const char* demand;
    } cases[] = {
        {false, QDate(2025, 1, 5), 6, "FV/7/ABC/2025", "7/ABC/2025"},
        {true, QDate(2025, 3, 2), 11, "FV/12/ABC/3/2025", "12/ABC/3/2025"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.invoice);
        S()->ExecQuery(QStringLiteral("delete from Fv"));
        S()->ExecQuery(QStringLiteral("delete from Pz"));
        S()->ExecQuery(QStringLiteral("delete from Userdb"));
        SetGlobal(QStringLiteral("NumeracjaMiesieczna"),
                  c.monthly ? QStringLiteral("1") : QStringLiteral("0"));
        for (const char* t : {"Fv", "Pz"}) {
            const QString x = QString::fromLatin1(t).toUpper();
            S()->ExecQuery(
                QStringLiteral("insert into %1 (%2_INDEXUSER, %2_NUMER, %2_NUMERTXT, %2_DATAWYSTAWIENIA, "
                               "%2_PODMIOT) values (0, :p1, 'x', :p2, 2)")
                    .arg(QLatin1String(t), x),
                {c.lastNumber, c.last.toString(Qt::ISODate)});
        }
        const int fvUser = Billed(1, 2);
        const int pzUser = Billed(2, 2);
        Item(fvUser, QStringLiteral("Internet"), "50.00");
        Item(pzUser, QStringLiteral("Internet"), "50.00");
        TFvAutomatInput in = Input();
        in.podmiot = QStringLiteral("ABC");
        const TFvAutomatResult r = RunFvAutomat(in, Answers());
        ASSERT_TRUE(r.committed);
        EXPECT_EQ(Text(QStringLiteral("select FV_NUMERTXT from Fv where FV_INDEXUSER=:p1"), {fvUser}),
                  QString::fromLatin1(c.invoice));
        EXPECT_EQ(Int(QStringLiteral("select FV_PODMIOT from Fv where FV_INDEXUSER=:p1"), {fvUser}), 2);
        EXPECT_EQ(Text(QStringLiteral("select PZ_NUMERTXT from Pz where PZ_INDEXUSER=:p1"), {pzUser}),
                  QString::fromLatin1(c.demand));
    }
}

TEST_F(FvAutomatTest, IndividualTermAndCashPaidAtIssue)
{
    const int regular = Billed(1);
    const int term5 = Billed(1);
    const int cash = Billed(1);
    S()->ExecQuery(QStringLiteral("update Userdb set U_CZYINDYWTERMINPLATNOSCI=1, U_INDYWTERMINPLATNOSCI=5, "
                                  "U_INDYWTERMINPLATNOSCIFORMA='karta' where U_INDEX=:p1"),
                   {term5});
    S()->ExecQuery(QStringLiteral("update Userdb set U_CZYINDYWTERMINPLATNOSCI=1, U_INDYWTERMINPLATNOSCI=0, "
                                  "U_INDYWTERMINPLATNOSCIFORMA='gotówka' where U_INDEX=:p1"),
                   {cash});
    for (int u : {regular, term5, cash})
        Item(u, QStringLiteral("Internet"), "61.50");
    const int credit = AddOplata(cash, A("100.00"), QDate(2025, 3, 1));
    ASSERT_TRUE(RunFvAutomat(Input(), Answers()).committed);
    auto row = [&](int u) {
        return Text(
            QStringLiteral("select concat_ws(' ', FV_DATAPLATNOSCI, FV_FORMAPLATNOSCI, FV_KWOTAWPLACONA, "
                           "FV_KWOTADOZAPLATY, FV_KWOTADOROZLICZENIA) from Fv where FV_INDEXUSER=:p1"),
            {u});
    };
    EXPECT_EQ(row(regular), QStringLiteral("2025-03-24 przelew 0.00 61.50 61.50"));
    EXPECT_EQ(row(term5), QStringLiteral("2025-03-15 karta 0.00 61.50 61.50"));
    EXPECT_EQ(row(cash), QStringLiteral("2025-03-10 gotówka 61.50 0.00 0.00"));
    // Paid at issue: the subscriber's credit is left alone.
    EXPECT_EQ(OplataOpen(credit), A("100.00"));
    EXPECT_EQ(Count(QStringLiteral("OplatyRozliczenia")), 0);
}

TEST_F(FvAutomatTest, InvoicesCarryTheCorrespondenceAddressAndTheGtuMarkOfPrivatePersons)
{
    const int person = Billed(1);
    const int company = Billed(1, 1, true);
    S()->ExecQuery(QStringLiteral("update Userdb set U_NIP2='PL123', U_CZYADRESDOKORESP=1, "
                                  "U_KOR_NAZWA='Jan Nowak', U_KOR_ULICA='Polna', U_KOR_NRDOMU='1', "
                                  "U_KOR_NRLOKALU='2', U_KOR_KOD='30-001', U_KOR_MIEJSCOWOSC='Kraków', "
                                  "U_KOR_POCZTA='Kraków', U_KOR_JST=1, U_KOR_ROLA=3 where U_INDEX=:p1"),
                   {person});
    for (int u : {person, company})
        Item(u, QStringLiteral("Internet"), "61.50");
    for (const bool gtu : {true, false}) {
        SCOPED_TRACE(gtu);
        S()->ExecQuery(QStringLiteral("delete from Fv"));
        TFvAutomatInput in = Input();
        in.gtuEE = gtu;
        ASSERT_TRUE(RunFvAutomat(in, Answers()).committed);
        EXPECT_EQ(
            Text(QStringLiteral("select concat_ws('|', FV_NIP2, FV_CZYADRESDOKORESP, FV_KOR_NAZWA, "
                                "FV_KOR_ULICA, FV_KOR_NRDOMU, FV_KOR_NRLOKALU, FV_KOR_KOD, "
                                "FV_KOR_MIEJSCOWOSC, FV_KOR_POCZTA, FV_KOR_JST, FV_KOR_ROLA, FV_GTU_EE) "
                                "from Fv where FV_INDEXUSER=:p1"),
                 {person}),
            QStringLiteral("PL123|1|Jan Nowak|Polna|1|2|30-001|Kraków|Kraków|1|3|") +
                (gtu ? QStringLiteral("1") : QStringLiteral("0")));
        EXPECT_EQ(Int(QStringLiteral("select FV_GTU_EE from Fv where FV_INDEXUSER=:p1"), {company}), 0)
            << "a company's invoice is never marked";
    }
}

TEST_F(FvAutomatTest, LinesAndTotalsFollowTheSetBasedRule)
{
    SetGlobal(QStringLiteral("MaskaFvPoczatek"), QStringLiteral("FV/"));
    const int u = Billed(1);
    Item(u, QStringLiteral("Internet"), "100.00");
    Item(u, QStringLiteral("Telefon"), "10.00", QStringLiteral("8%"));
    Item(u, QStringLiteral("Telefon 2"), "10.00", QStringLiteral("8%"));
    Item(u, QStringLiteral("Eksport"), "40.00", QStringLiteral("0%"));
    Item(u, QStringLiteral("Poczta"), "7.00", QStringLiteral("zw"));
    Item(u, QStringLiteral("Opłata"), "3.00", QStringLiteral("np"));
    Item(u, QStringLiteral("Książka"), "21.00", QStringLiteral("5%"), false, 0, "2", "50");
    Item(u, QStringLiteral("Inne"), "9.99", QStringLiteral("17%"));
    TFvAutomatInput in = Input();
    in.addSuffix = true;
    in.suffixKind = 0;
    ASSERT_TRUE(RunFvAutomat(in, Answers()).committed);
    const int fv = Int(QStringLiteral("select FV_INDEX from Fv where FV_INDEXUSER=:p1"), {u});
    EXPECT_EQ(Text(QStringLiteral("select concat_ws(' ', FVP_CENANETTO, FVP_WARTOSCNETTO, FVP_KWOTAVAT, "
                                  "FVP_WARTOSCBRUTTO) from FvPozycje where FVP_NAZWAUSLUGI=:p1"),
                   {QStringLiteral("Internet (marzec)")}),
              QStringLiteral("81.30 81.30 18.70 100.00"));
    EXPECT_EQ(Money(QStringLiteral("select FV_SUMAVAT_A from Fv where FV_INDEX=:p1"), {fv}), A("18.70"));
    // Every sum column as the editor's own recomputation writes it.
    const QString sums = QStringLiteral(
        "select concat_ws('|', FV_SUMANETTO_A, FV_SUMAVAT_A, FV_SUMABRUTTO_A, FV_SUMANETTO_B, FV_SUMAVAT_B, "
        "FV_SUMABRUTTO_B, FV_SUMANETTO_C, FV_SUMAVAT_C, FV_SUMABRUTTO_C, FV_SUMANETTO_D, FV_SUMAVAT_D, "
        "FV_SUMABRUTTO_D, FV_SUMANETTO_G, FV_SUMAVAT_G, FV_SUMABRUTTO_G, FV_SUMANETTO_NP, FV_SUMAVAT_NP, "
        "FV_SUMABRUTTO_NP, FV_SUMANETTO, FV_SUMAVAT, FV_SUMABRUTTO, FV_RABATSUMA, FV_KWOTADOZAPLATY, "
        "FV_KWOTADOROZLICZENIA) from Fv where FV_INDEX=:p1");
    const QString byRun = Text(sums, {fv});
    const QString lines =
        Text(QStringLiteral("select group_concat(concat_ws(' ', FVP_STAWKAVAT, FVP_CENANETTO, "
                            "FVP_WARTOSCNETTO, FVP_KWOTAVAT, FVP_WARTOSCBRUTTO, FVP_RABATKWOTA) "
                            "order by FVP_INDEX) from FvPozycje where FVP_INDEXFAKTURA=:p1"),
             {fv});
    PrzeliczFVPDokumentu(fv);
    PrzeliczPolaFv(fv, false);
    EXPECT_EQ(Text(sums, {fv}), byRun);
    EXPECT_EQ(
        Text(QStringLiteral("select group_concat(concat_ws(' ', FVP_STAWKAVAT, FVP_CENANETTO, "
                            "FVP_WARTOSCNETTO, FVP_KWOTAVAT, FVP_WARTOSCBRUTTO, FVP_RABATKWOTA) order by "
                            "FVP_INDEX) from FvPozycje where FVP_INDEXFAKTURA=:p1"),
             {fv}),
        lines);
    // The line with a rate of no group counts in no sum.
    EXPECT_EQ(Money(QStringLiteral("select FV_SUMABRUTTO from Fv where FV_INDEX=:p1"), {fv}), A("191.00"));
    EXPECT_EQ(Money(QStringLiteral("select FV_RABATSUMA from Fv where FV_INDEX=:p1"), {fv}), A("21.00"));
}

TEST_F(FvAutomatTest, SettlesOnlyWhereSomethingIsOpenAsOneByOneWould)
{
    const int partly = Billed(1);
    const int fully = Billed(1);
    const int none = Billed(1);
    const int demand = Billed(2);
    for (int u : {partly, fully, none, demand})
        Item(u, QStringLiteral("Internet"), "61.50");
    const int p50 = AddOplata(partly, A("50.00"), QDate(2025, 3, 1));
    const int p100 = AddOplata(fully, A("100.00"), QDate(2025, 3, 1));
    const int p20 = AddOplata(demand, A("20.00"), QDate(2025, 2, 1));
    AddOplata(none, A("30.00"), QDate(2025, 1, 1), Amount4{});
    const TFvAutomatResult r = RunFvAutomat(Input(), Answers());
    ASSERT_TRUE(r.committed);
    EXPECT_EQ(r.settled, 3);
    auto fvOf = [&](int u) {
        return Int(QStringLiteral("select FV_INDEX from Fv where FV_INDEXUSER=:p1"), {u});
    };
    const int pz = Int(QStringLiteral("select PZ_INDEX from Pz where PZ_INDEXUSER=:p1"), {demand});
    EXPECT_EQ(DocOpen('F', fvOf(partly)), A("11.50"));
    EXPECT_EQ(OplataOpen(p50), A("0.00"));
    EXPECT_EQ(DocOpen('F', fvOf(fully)), A("0.00"));
    EXPECT_EQ(OplataOpen(p100), A("38.50"));
    EXPECT_EQ(DocOpen('F', fvOf(none)), A("61.50"));
    EXPECT_EQ(DocOpen('P', pz), A("41.50"));
    EXPECT_EQ(OplataOpen(p20), A("0.00"));
    EXPECT_EQ(
        Text(QStringLiteral("select group_concat(concat_ws(' ', OR_RODZAJDOC, OR_KWOTAROZLICZONA) order by "
                            "OR_INDEX) from OplatyRozliczenia")),
        QStringLiteral("F 50.00,F 61.50,P 20.00"));
    // Settling any of the run's documents once more finds nothing left to do.
    const QString before = Footprint();
    for (int u : {partly, fully, none})
        ASSERT_TRUE(SettleDocument(QStringLiteral("F"), fvOf(u)));
    ASSERT_TRUE(SettleDocument(QStringLiteral("P"), pz));
    EXPECT_EQ(Footprint(), before);
}

TEST_F(FvAutomatTest, NoAtTheEndLeavesNothing)
{
    const int u = Billed(1);
    const int d = Billed(2);
    Item(u, QStringLiteral("Internet"), "61.50");
    Item(u, QStringLiteral("Instalacja"), "100.00", QStringLiteral("23%"), true);
    Item(d, QStringLiteral("Internet"), "40.00");
    AddOplata(u, A("10.00"), QDate(2025, 3, 1));
    const QString before = Footprint();
    const TFvAutomatResult r = RunFvAutomat(Input(), Answers(false));
    // "No" to the first question ends it; answer Yes until the last one.
    EXPECT_FALSE(r.ran);
    int asked = 0;
    TFvAutomatCallbacks cb = Answers();
    cb.ask = [&](const QString& t) {
        questions << t;
        return ++asked < 2;
    };
    const TFvAutomatResult r2 = RunFvAutomat(Input(), cb);
    EXPECT_TRUE(r2.ran);
    EXPECT_FALSE(r2.committed);
    EXPECT_EQ(questions.last(),
              QStringLiteral("Wygenerowano i rozliczono 1 faktur oraz 1 poleceń zapłaty\r\nCzy "
                             "chcesz zapisać wygenerowane dokumenty?"));
    EXPECT_EQ(Footprint(), before);
    EXPECT_TRUE(LockFree(S()));
}

TEST_F(FvAutomatTest, ErrorAtAnyStepRollsBackLogsAndFreesTheLock)
{
    const int u = Billed(1);
    const int d = Billed(3);
    Item(u, QStringLiteral("Internet"), "61.50");
    Item(u, QStringLiteral("Instalacja"), "100.00", QStringLiteral("23%"), true);
    Item(d, QStringLiteral("Internet"), "40.00");
    AddOplata(u, A("10.00"), QDate(2025, 3, 1));
    AddOplata(d, A("10.00"), QDate(2025, 3, 1));
    const QString before = Footprint();
    for (int failAt : {12, 14, 17, 18, 22, 24, 27, 29, 30, 31, 32}) {
        SCOPED_TRACE(failAt);
        TFvAutomatCallbacks cb = Answers();
        cb.step = [failAt](int n) {
            if (n == failAt) throw EDatabaseError(QStringLiteral("awaria"));
        };
        EXPECT_THROW(RunFvAutomat(Input(), cb), EDatabaseError);
        EXPECT_EQ(Footprint(), before);
        EXPECT_TRUE(LockFree(S()));
        EXPECT_TRUE(Text(QStringLiteral("select LOG_OPIS from Log order by LOG_INDEX desc limit 1"))
                        .contains(FvAutomatErrorLogText));
    }
    // The run still works afterwards.
    EXPECT_TRUE(RunFvAutomat(Input(), Answers()).committed);
    EXPECT_EQ(Count(QStringLiteral("Fv")), 1);
}

TEST_F(FvAutomatTest, SecondWorkstationIsRefusedAndChangesNothing)
{
    const int u = Billed(1);
    Item(u, QStringLiteral("Internet"), "61.50");
    TOtherWorkstation other(QStringLiteral("ws2"), DatabaseName());
    ASSERT_EQ(other.session->GetQueryValueAsInteger(QStringLiteral("select GET_LOCK(:p1, 1)"),
                                                    {FvAutomatLockName()}),
              1);
    const QString before = Footprint();
    const TFvAutomatResult r = RunFvAutomat(Input(), Answers());
    EXPECT_FALSE(r.ran);
    EXPECT_EQ(errors, QStringList{FvAutomatBusyText});
    EXPECT_EQ(Footprint(), before);
    EXPECT_FALSE(LockFree(S())); // still the other one's
    other.session->ExecQuery(QStringLiteral("do RELEASE_LOCK(:p1)"), {FvAutomatLockName()});

    // While a run goes on, the other workstation finds the lock taken.
    TFvAutomatCallbacks cb = Answers();
    bool heldDuringRun = false;
    cb.step = [&](int n) {
        if (n == 20) heldDuringRun = !LockFree(other.session.get());
    };
    EXPECT_TRUE(RunFvAutomat(Input(), cb).committed);
    EXPECT_TRUE(heldDuringRun);
    EXPECT_TRUE(LockFree(other.session.get()));
}

TEST_F(FvAutomatTest, DocumentsCommittedElsewhereMidRunAreNotTouched)
{
    SetGlobal(QStringLiteral("MaskaFvPoczatek"), QStringLiteral("FV/"));
    const int a = Billed(1);
    const int b = Billed(1);
    const int d = Billed(2);
    Item(a, QStringLiteral("Internet"), "61.50");
    Item(b, QStringLiteral("Internet"), "30.75");
    Item(d, QStringLiteral("Internet"), "40.00");
    const int other = AddUser(2);
    TOtherWorkstation ws(QStringLiteral("ws2"), DatabaseName());
    auto handMade = [&](const char* table, const char* number) {
        const QString x = QString::fromLatin1(table).toUpper();
        ws.session->ExecQuery(
            QStringLiteral(
                "insert into %1 (%2_INDEXUSER, %2_NUMER, %2_NUMERTXT, %2_DATAWYSTAWIENIA, %2_PODMIOT, "
                "%2_SUMABRUTTO, %2_KWOTADOZAPLATY, %2_KWOTADOROZLICZENIA) values (:p1, 5, :p2, "
                "'2025-03-10', 2, 100, 100, 100)")
                .arg(QLatin1String(table), x),
            {other, QString::fromLatin1(number)});
    };
    TFvAutomatCallbacks cb = Answers();
    cb.step = [&](int n) {
        // Before the headers and between the headers and their numbering.
        if (n == 12) handMade("Fv", "FV/5/ABC/3/2025");
        if (n == 13) handMade("Fv", "FV/6/ABC/3/2025");
        if (n == 22) handMade("Pz", "5/ABC/3/2025");
        if (n == 23) handMade("Pz", "6/ABC/3/2025");
    };
    const TFvAutomatResult r = RunFvAutomat(Input(), cb);
    ASSERT_TRUE(r.committed);
    EXPECT_EQ(r.invoices, 2);
    EXPECT_EQ(r.demands, 1);
    EXPECT_EQ(
        Text(QStringLiteral("select group_concat(concat_ws(' ', FV_NUMERTXT, FV_PODMIOT, FV_SUMABRUTTO, "
                            "FV_KWOTADOROZLICZENIA) order by FV_INDEX) from Fv where FV_INDEXUSER=:p1"),
             {other}),
        QStringLiteral("FV/5/ABC/3/2025 2 100.00 100.00,FV/6/ABC/3/2025 2 100.00 100.00"));
    EXPECT_EQ(Text(QStringLiteral(
                       "select group_concat(concat_ws(' ', PZ_NUMERTXT, PZ_PODMIOT, PZ_SUMABRUTTO) order "
                       "by PZ_INDEX) from Pz where PZ_INDEXUSER=:p1"),
                   {other}),
              QStringLiteral("5/ABC/3/2025 2 100.00,6/ABC/3/2025 2 100.00"));
    // The run's own documents are numbered 1, 2 among themselves.
    EXPECT_EQ(
        Text(QStringLiteral("select group_concat(FV_NUMERTXT order by FV_INDEX) from Fv where FV_PODMIOT=1")),
        QStringLiteral("FV/1/3/2025,FV/2/3/2025"));
    EXPECT_EQ(Text(QStringLiteral("select group_concat(PZ_NUMERTXT) from Pz where PZ_PODMIOT=1")),
              QStringLiteral("1/3/2025"));
}

TEST_F(FvAutomatTest, OnlyOneOffItemsBilledInThisRunAreUsedUp)
{
    const int billed = Billed(1);
    const int negative = Billed(1);
    const int otherGroup = Billed(2);
    const int copied = Item(billed, QStringLiteral("Instalacja"), "100.00", QStringLiteral("23%"), true, 1);
    Item(billed, QStringLiteral("Internet"), "61.50", QStringLiteral("23%"), false, 1);
    const int notBilled = Item(negative, QStringLiteral("Zwrot"), "10.00", QStringLiteral("23%"), true, 1);
    Item(negative, QStringLiteral("Rabat"), "-20.00", QStringLiteral("23%"), false, 1);
    Item(otherGroup, QStringLiteral("Internet"), "40.00", QStringLiteral("23%"), false, 1);
    const int wrongGroup =
        Item(otherGroup, QStringLiteral("Router"), "99.00", QStringLiteral("23%"), true, 2);
    TFvAutomatInput in = Input();
    in.group = 1;
    in.addSuffix = true;
    in.suffixKind = 2;
    in.suffixText = QStringLiteral("marzec");
    ASSERT_TRUE(RunFvAutomat(in, Answers()).committed);
    auto active = [&](int item) {
        return Int(QStringLiteral("select UFV_CZYAKTYWNA from UserFvPozycje where UFV_INDEX=:p1"), {item});
    };
    EXPECT_EQ(active(copied), 0);
    EXPECT_EQ(active(notBilled), 1);
    EXPECT_EQ(active(wrongGroup), 1);
    EXPECT_EQ(Count(QStringLiteral("Fv")), 1);
    EXPECT_EQ(
        Text(QStringLiteral("select group_concat(FVP_NAZWAUSLUGI order by FVP_NAZWAUSLUGI) from FvPozycje")),
        QStringLiteral("Instalacja,Internet marzec"));
    EXPECT_EQ(Text(QStringLiteral("select group_concat(PZP_NAZWAUSLUGI) from PzPozycje")),
              QStringLiteral("Internet marzec"));
}

TEST_F(FvAutomatTest, NothingToBillAndTheFilterWarning)
{
    const int shown = Billed(1);
    const int hidden = Billed(1);
    Item(hidden, QStringLiteral("Internet"), "61.50");
    TFvAutomatInput in = Input();
    in.userWhere = QStringLiteral(" WHERE U_INDEX in (%1) ").arg(shown);
    const TFvAutomatResult r = RunFvAutomat(in, Answers());
    ASSERT_TRUE(r.committed);
    EXPECT_EQ(r.invoices + r.demands, 0);
    ASSERT_EQ(questions.size(), 3);
    EXPECT_EQ(questions[1], QStringLiteral("Obecne filtrowanie bazy wyklucza z automatycznego generowania "
                                           "dokumentów 1 użytkowników,\r\nktórzy wg ustawień pownni mieć je "
                                           "wygenerowane automatycznie. \r\nKontynuować?"));
    EXPECT_TRUE(
        questions[2].startsWith(QStringLiteral("Wygenerowano i rozliczono 0 faktur oraz 0 poleceń zapłaty")));
    EXPECT_EQ(ReadIniInteger(0, QStringLiteral("IndexEndFV"), -7),
              ReadIniInteger(0, QStringLiteral("IndexStartFV"), 0) - 1);
    EXPECT_EQ(ReadIniInteger(0, QStringLiteral("IndexEndPZ"), -7),
              ReadIniInteger(0, QStringLiteral("IndexStartPZ"), 0) - 1);
    EXPECT_EQ(Count(QStringLiteral("Fv")), 0);
    // The remembered inputs.
    EXPECT_EQ(ReadFvAutomatRemembered().days, 14);
}

} // namespace
