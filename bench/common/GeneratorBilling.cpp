#include "bench/common/GeneratorBilling.h"

#include "bench/common/Generator.h"
#include "billing/FvAutomatDane.h"
#include "billing/Numeracja.h"
#include "billing/Przeliczenia.h"
#include "billing/Rozliczenia.h"
#include "billing/Salda.h"
#include "core/Query.h"
#include "core/Session.h"
#include "core/VatRates.h"

#include <QDate>
#include <QElapsedTimer>
#include <map>
#include <memory>
#include <queue>

namespace {

enum class TProfile
{
    Punctual,
    Late,
    Partial,
    OverPayer,
    NonPayer
};

TProfile profileOf(int user, std::uint64_t seed)
{
    TBenchRandom r(seed ^ (std::uint64_t(user) * 0x9E3779B97F4A7C15ull));
    const int p = r.below(100);
    if (p < 60) return TProfile::Punctual;
    if (p < 75) return TProfile::Late;
    if (p < 85) return TProfile::Partial;
    if (p < 94) return TProfile::OverPayer;
    return TProfile::NonPayer;
}

struct TEvent
{
    QDate date;
    qint64 seq;
    int kind; // 0 correction, 1 payment
    int user;
    int podmiot;
    int doc;
    Amount4 amount;
    QString title;
    bool operator>(const TEvent& o) const { return date != o.date ? date > o.date : seq > o.seq; }
};

QString iso(const QDate& d)
{
    return d.toString(Qt::ISODate);
}

// Numbers of one kind, company and month handed out in a row under one reservation.
class TNumberBlocks
{
public:
    std::pair<int, QString> next(char kind, int podmiot, const QDate& date)
    {
        const QString key = QStringLiteral("%1.%2.%3")
                                .arg(QLatin1Char(kind))
                                .arg(podmiot)
                                .arg(MonthlyNumbering() ? date.toString(QStringLiteral("yyyy-MM"))
                                                        : date.toString(QStringLiteral("yyyy")));
        auto it = m_blocks.find(key);
        if (it == m_blocks.end()) {
            TBlock b;
            b.reservation = std::make_unique<TNumberReservation>(kind, date, podmiot);
            b.next = b.reservation->Number();
            // A payment's text follows the payment demand's rule: number, company code, period.
            b.text = DocumentNumberText(kind == 'O' ? 'P' : kind, QStringLiteral("\x01"), podmiot, date);
            it = m_blocks.emplace(key, std::move(b)).first;
        }
        const int n = it->second.next++;
        QString text = it->second.text;
        text.replace(QLatin1Char('\x01'), QString::number(n));
        return {n, text};
    }
    void releaseAll() { m_blocks.clear(); }

private:
    struct TBlock
    {
        std::unique_ptr<TNumberReservation> reservation;
        int next = 1;
        QString text;
    };
    std::map<QString, TBlock> m_blocks;
};

} // namespace

TFvAutomatInput BenchRunInput(const QDate& issue, const QString& podmiot)
{
    TFvAutomatInput in;
    in.issueDate = issue;
    in.dueDate = issue.addDays(14);
    in.paymentForm = QStringLiteral("przelew");
    in.podmiot = podmiot;
    in.addSuffix = true;
    in.suffixKind = 0;
    // Every subscriber, as the main grid shows them unfiltered.
    in.userWhere = QStringLiteral(" WHERE U_INDEX > 0 ");
    in.userOrderBy = QStringLiteral(" order by U_NAZWISKO, U_IMIE, U_INDEX");
    return in;
}

TBillingHistoryResult GenerateBillingHistory(const TBillingHistoryOptions& o)
{
    QElapsedTimer timer;
    timer.start();
    TBillingHistoryResult r;
    TDedicatedSession* s = GlobalSession();
    TBenchRandom rnd(o.seed ^ 0xB111);
    const QDate today = QDate::fromString(o.today, Qt::ISODate);
    SetVatRateTexts(today);
    if (OperatorId == 0) OperatorId = 1;
    const QDate first = QDate(today.year(), today.month(), 1).addMonths(-(std::max(1, o.months) - 1));
    std::priority_queue<TEvent, std::vector<TEvent>, std::greater<TEvent>> events;
    qint64 seq = 0;
    TNumberBlocks numbers;
    const QString wystawil = QStringLiteral("Jan Administrator");

    auto schedulePayment = [&](int user, int podmiot, const QDate& due, Amount4 gross,
                               const QString& number) {
        if (gross <= Amount4{}) return;
        TEvent e{QDate(), ++seq, 1, user, podmiot, 0, gross, QStringLiteral("Opłata za ") + number};
        switch (profileOf(user, o.seed)) {
        case TProfile::Punctual:
            e.date = due.addDays(-rnd.below(6));
            break;
        case TProfile::Late:
            e.date = due.addDays(rnd.between(5, 45));
            break;
        case TProfile::Partial:
            e.date = due.addDays(rnd.between(-3, 10));
            e.amount = Amount4::fromRaw(gross.raw * rnd.between(50, 90) / 100 / 100 * 100);
            break;
        case TProfile::OverPayer:
            e.date = due.addDays(-rnd.below(8));
            e.amount = Amount4::fromInt((gross.raw / Amount4::Scale / 10 + 1 + rnd.below(3)) * 10);
            break;
        case TProfile::NonPayer:
            if (rnd.chance(50)) return;
            e.date = due.addDays(rnd.between(30, 90));
            break;
        }
        if (e.date > today) return;
        events.push(e);
    };

    auto correct = [&](const TEvent& e) {
        const auto [number, text] = numbers.next('K', e.podmiot, e.date);
        s->ExecQuery(
            QStringLiteral(
                "insert into Fvk (FVK_INDEXUSER, FVK_IMIE, FVK_NAZWISKO, FVK_ADR_ULICA, FVK_ADR_MIEJSCOWOSC, "
                "FVK_ADR_KOD, FVK_ADR_NRDOMU, FVK_ADR_NRLOKALU, FVK_NIP, FVK_NIP2, FVK_PODMIOT, "
                "FVK_INDEXKORYGOWANEJ, FVK_NUMERTXTKORYGOWANEJ, FVK_DATAKORYGOWANEJ, FVK_DATAWYSTAWIENIA, "
                "FVK_DATAPLATNOSCI, FVK_FORMAPLATNOSCI, FVK_WYSTAWIL, FVK_OPERATORID, FVK_NUMER, "
                "FVK_NUMERTXT, FVK_POWODKOREKTY, FVK_OPISVAT_A, FVK_OPISVAT_B, FVK_OPISVAT_C, "
                "FVK_OPISVAT_D, FVK_OPISVAT_G, FVK_OPISVAT_NP, FVK_OPISVAT, FVK_DATAMODYFIKACJI) select "
                "FV_INDEXUSER, FV_IMIE, FV_NAZWISKO, FV_ADR_ULICA, FV_ADR_MIEJSCOWOSC, FV_ADR_KOD, "
                "FV_ADR_NRDOMU, FV_ADR_NRLOKALU, FV_NIP, FV_NIP2, FV_PODMIOT, FV_INDEX, FV_NUMERTXT, "
                "FV_DATAWYSTAWIENIA, :p1, :p2, FV_FORMAPLATNOSCI, :p3, :p4, :p5, :p6, :p7, FV_OPISVAT_A, "
                "FV_OPISVAT_B, FV_OPISVAT_C, FV_OPISVAT_D, FV_OPISVAT_G, FV_OPISVAT_NP, FV_OPISVAT, now() "
                "from Fv where FV_INDEX=:p8"),
            {iso(e.date), iso(e.date.addDays(14)), wystawil, OperatorId, number, text,
             rnd.chance(50) ? QStringLiteral("Omyłkowo naliczone należności")
                            : QStringLiteral("Zmiana rabatu"),
             e.doc});
        const int k = s->GetQueryValueAsInteger(QStringLiteral("select last_insert_id()"));
        const bool zeroAfter = rnd.chance(50);
        s->ExecQuery(
            QStringLiteral(
                "insert into FvkPozycje (FVKP_INDEXFAKTURA, FVKP_INDEXPOZYCJIKORYGOWANEJ, FVKP_NAZWAUSLUGI, "
                "FVKP_NAZWAUSLUGI_PO, FVKP_JEDNMIARY, FVKP_JEDNMIARY_PO, FVKP_SYMBOL, FVKP_SYMBOL_PO, "
                "FVKP_ILOSC, FVKP_ILOSC_PO, FVKP_CENANETTO, FVKP_CENABRUTTO, FVKP_CENABRUTTO_PO, "
                "FVKP_WARTOSCNETTO, FVKP_WARTOSCBRUTTO, FVKP_KWOTAVAT, FVKP_STAWKAVAT, FVKP_RABAT, "
                "FVKP_RABAT_PO, FVKP_RABATKWOTA, FVKP_STAWKAVAT_TXT, FVKP_STAWKAVAT_TXT_PO) select :p1, "
                "FVP_INDEX, FVP_NAZWAUSLUGI, FVP_NAZWAUSLUGI, FVP_JEDNMIARY, FVP_JEDNMIARY, FVP_SYMBOL, "
                "FVP_SYMBOL, FVP_ILOSC, if(:p2, 0, FVP_ILOSC), FVP_CENANETTO, FVP_CENABRUTTO, "
                "FVP_CENABRUTTO, "
                "FVP_WARTOSCNETTO, FVP_WARTOSCBRUTTO, FVP_KWOTAVAT, FVP_STAWKAVAT, FVP_RABAT, if(:p3, "
                "FVP_RABAT, 50), FVP_RABATKWOTA, FVP_STAWKAVAT_TXT, FVP_STAWKAVAT_TXT from FvPozycje where "
                "FVP_INDEXFAKTURA=:p4"),
            {k, zeroAfter, zeroAfter, e.doc});
        for (const QString& line : s->GetQueryValuesAsList(
                 QStringLiteral("select FVKP_INDEX from FvkPozycje where FVKP_INDEXFAKTURA=:p1"), {k}))
            PrzeliczFVKP(line.toInt());
        PrzeliczPolaFvk(k);
        SettleDocument(QStringLiteral("K"), k);
        s->ExecQuery(QStringLiteral("update Fv set FV_INDEXKOREKTA=:p1 where FV_INDEX=:p2"), {k, e.doc});
        ++r.corrections;
    };

    auto pay = [&](const TEvent& e) {
        const auto [number, text] = numbers.next('O', e.podmiot, e.date);
        s->ExecQuery(QStringLiteral(
                         "insert Oplaty(O_INDEXUSER, O_UWAGI, O_KWOTA, O_DATAWPLATY, O_FORMAPLATNOSCI, "
                         "O_KWOTADOROZLICZENIA, O_OPERATORID, O_NUMER, O_NUMERTXT, O_DATADODANIA, O_PODMIOT, "
                         "O_DATAMODYFIKACJI) values (:p1, :p2, :p3, :p4, :p5, :p6, :p7, :p8, :p9, :p10, "
                         ":p11, now())"),
                     {e.user, e.title, e.amount, iso(e.date), QStringLiteral("przelew"), e.amount, OperatorId,
                      number, text, iso(e.date.addDays(rnd.below(3))), e.podmiot});
        SettleOplata(s->GetQueryValueAsInteger(QStringLiteral("select last_insert_id()")), e.user);
        ++r.payments;
    };

    // Everything dated before `until`, in date order, one transaction per month of events.
    auto runEvents = [&](const QDate& until) {
        while (!events.empty() && events.top().date < until) {
            const int month = events.top().date.year() * 12 + events.top().date.month();
            TTransactionGuard t(s);
            while (!events.empty() && events.top().date < until &&
                   events.top().date.year() * 12 + events.top().date.month() == month) {
                const TEvent e = events.top();
                events.pop();
                if (e.kind == 0)
                    correct(e);
                else
                    pay(e);
            }
            numbers.releaseAll();
            t.commit();
        }
    };

    for (int m = 0; m < std::max(1, o.months); ++m) {
        const QDate issue = first.addMonths(m);
        runEvents(issue);
        // Each company's recurring documents come from the monthly run, as the office issues them.
        for (const QString& podmiot : s->GetQueryValuesAsList(
                 QStringLiteral("select P_SKROT from Podmioty where P_CZYAKTYWNY=1 order by P_INDEX"))) {
            TFvAutomatCallbacks cb;
            cb.ask = [](const QString&) { return true; };
            cb.error = [](const QString& text) { throw EDatabaseError(text); };
            const TFvAutomatResult run = RunFvAutomat(BenchRunInput(issue, podmiot), cb);
            r.invoices += run.invoices;
            r.demands += run.demands;
            // Payments (and a few corrections) follow the documents the run made.
            auto docs = s->OpenQuery(
                QStringLiteral(
                    "select 0, FV_INDEX, FV_INDEXUSER, FV_PODMIOT, FV_DATAPLATNOSCI, FV_SUMABRUTTO, "
                    "FV_NUMERTXT "
                    "from Fv where FV_INDEX >= :p1 and FV_INDEX <= :p2 and FV_DATAWYSTAWIENIA=:p3 union all "
                    "select 1, PZ_INDEX, PZ_INDEXUSER, PZ_PODMIOT, PZ_DATAPLATNOSCI, PZ_SUMABRUTTO, "
                    "PZ_NUMERTXT "
                    "from Pz where PZ_INDEX >= :p4 and PZ_INDEX <= :p5 and PZ_DATAWYSTAWIENIA=:p6 order by "
                    "1, 2"),
                {run.f1, run.f2, iso(issue), run.p1, run.p2, iso(issue)});
            for (docs->First(); !docs->Eof(); docs->Next()) {
                const int doc = docs->Fields(1)->AsInteger();
                const int u = docs->Fields(2)->AsInteger();
                const int podmiotId = docs->Fields(3)->AsInteger();
                if (docs->Fields(0)->AsInteger() == 0 && rnd.chance(2))
                    events.push({issue.addDays(rnd.between(3, 10)), ++seq, 0, u, podmiotId, doc, {}, {}});
                schedulePayment(u, podmiotId, docs->Fields(4)->AsDate(), docs->Fields(5)->AsCurrency(),
                                docs->Fields(6)->AsString());
            }
        }
    }
    runEvents(today.addDays(1));

    // Over-payers with much credit get part of it back (a payout, open amount 0 as the payment dialog enters
    // it).
    {
        TTransactionGuard t(s);
        auto rich = s->OpenQuery(
            QStringLiteral("select U_INDEX, U_PODMIOT, U_SALDO from Userdb where U_SALDO > 100"));
        for (rich->First(); !rich->Eof(); rich->Next()) {
            const int u = rich->Fields(0)->AsInteger();
            if (profileOf(u, o.seed) != TProfile::OverPayer) continue;
            const int podmiot = rich->Fields(1)->AsInteger();
            const auto [number, text] = numbers.next('O', podmiot, today);
            const Amount4 back = -Amount4::fromInt(rich->Fields(2)->AsCurrency().raw / Amount4::Scale / 2);
            s->ExecQuery(
                QStringLiteral("insert Oplaty(O_INDEXUSER, O_UWAGI, O_KWOTA, O_DATAWPLATY, O_FORMAPLATNOSCI, "
                               "O_KWOTADOROZLICZENIA, O_OPERATORID, O_NUMER, O_NUMERTXT, O_DATADODANIA, "
                               "O_PODMIOT, O_DATAMODYFIKACJI) values (:p1, :p2, :p3, :p4, :p5, 0, :p6, :p7, "
                               ":p8, :p9, :p10, now())"),
                {u, QStringLiteral("Zwrot nadpłaty"), back, iso(today), QStringLiteral("przelew"), OperatorId,
                 number, text, iso(today), podmiot});
            ++r.payouts;
        }
        numbers.releaseAll();
        RecalcSaldoBazy();
        t.commit();
    }
    r.seconds = timer.elapsed() / 1000.0;
    return r;
}
