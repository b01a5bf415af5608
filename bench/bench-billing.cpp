// The money engine on a generated ISP with 12 months of history:
//   bench-billing [--subscribers N] [--database NAME] [--socket PATH] [--regenerate]
// Default: 2,000 subscribers (a quick run); --subscribers 20000 for the full size.
// The database ("orlix6_bench_billing_<N>" unless named) is generated on the
// first run and reused afterwards. Every measurement that changes data runs
// inside a transaction that is rolled back, so runs can be repeated.
#include "bench/common/Generator.h"
#include "billing/Numeracja.h"
#include "billing/Przeliczenia.h"
#include "billing/Rozliczenia.h"
#include "billing/Salda.h"
#include "core/DedicatedSession.h"
#include "core/Query.h"
#include "core/Session.h"
#include "core/VatRates.h"

#include "bench/common/BenchSupport.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: bench-billing [--subscribers N] [--database NAME] [--socket PATH] [--regenerate]\n");
    return 2;
}

// The same columns the balance statement writes, from the row itself: what a
// set-based UPDATE of those rows costs without computing anything.
const QString kBareUpdate = QStringLiteral(
    "update Userdb set U_SALDO=-U_SALDO, U_MAXZALEGLOSCFV=-U_MAXZALEGLOSCFV, "
    "U_MAXZALEGLOSCFVK=-U_MAXZALEGLOSCFVK, "
    "U_MAXZALEGLOSCPZ=-U_MAXZALEGLOSCPZ, U_MAXZALEGLOSC=-U_MAXZALEGLOSC, U_BLOKUJ=1-U_BLOKUJ, "
    "U_POWIADAMIAJ=1-U_POWIADAMIAJ, U_SALDOZALEGLE=-U_SALDOZALEGLE, "
    "U_DATAWYKLUCZENIAZBLOKAD=U_DATAWYKLUCZENIAZBLOKAD, "
    "U_DATAKONCAUMOWY=U_DATAKONCAUMOWY, U_KWOTAABONAMENTU=-U_KWOTAABONAMENTU, U_KOSZT=-U_KOSZT, "
    "U_SALDOZALEGLEWSP=-U_SALDOZALEGLEWSP");

// A subscriber with `count` open invoices, one a month, issued through the billing functions.
int subscriberWithOpenInvoices(TDedicatedSession* s, int count, Amount4& total)
{
    TTransactionGuard t(s);
    s->ExecQuery(
        QStringLiteral("insert into Userdb (U_NRKLIENTA, U_NAZWISKO, U_IMIE, U_PODMIOT, "
                       "U_DATAWYKLUCZENIAZBLOKAD) values (999999, 'Zaległy', 'Jan', 1, '0000-00-00')"));
    const int u = s->GetQueryValueAsInteger(QStringLiteral("select last_insert_id()"));
    const QDate start = QDate::currentDate().addMonths(-count);
    for (int i = 0; i < count; ++i) {
        const QDate issue(start.addMonths(i).year(), start.addMonths(i).month(), 1);
        TNumberReservation nr('F', issue, 1, s);
        s->ExecQuery(QStringLiteral(
                         "insert into Fv (FV_INDEXUSER, FV_NUMER, FV_NUMERTXT, FV_PODMIOT, "
                         "FV_DATAWYSTAWIENIA, FV_DATAPLATNOSCI, FV_FORMAPLATNOSCI) values (:p1, :p2, :p3, 1, "
                         ":p4, :p5, 'przelew')"),
                     {u, nr.Number(), DocumentNumberText('F', nr.Number(), 1, issue),
                      issue.toString(Qt::ISODate), issue.addDays(14).toString(Qt::ISODate)});
        const int fv = s->GetQueryValueAsInteger(QStringLiteral("select last_insert_id()"));
        nr.Release();
        s->ExecQuery(
            QStringLiteral("insert into FvPozycje (FVP_INDEXFAKTURA, FVP_NAZWAUSLUGI, FVP_ILOSC, "
                           "FVP_CENABRUTTO, FVP_STAWKAVAT_TXT) values (:p1, 'Abonament', 1, :p2, '23%')"),
            {fv, Amount4::fromInt(59 + i)});
        PrzeliczFVPDokumentu(fv);
        PrzeliczPolaFv(fv, true);
        total += Amount4::fromInt(59 + i);
    }
    RecalcUserSaldo(u);
    t.commit();
    return u;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int subscribers = 2000;
    QString database;
    bool regenerate = false;
    TBenchServer server;
    std::vector<TBenchOption> table = {
        {QStringLiteral("--regenerate"), [&](const QString&) { regenerate = true; }, true},
        {QStringLiteral("--subscribers"), [&](const QString& v) { subscribers = v.toInt(); }},
        {QStringLiteral("--database"), [&](const QString& v) { database = v; }}};
    server.AddOptions(table, false);
    if (!ParseBenchArgs(app.arguments(), table)) return usage();
    if (subscribers <= 0) return usage();

    TConnectionParams params = server.Params(true);
    params.database =
        database.isEmpty() ? QStringLiteral("orlix6_bench_billing_%1").arg(subscribers) : database;

    try {
        BenchEnsureDatabase(params, regenerate);
        TBenchDatabase db(params);
        if (!db.Open()) return 1;
        TDedicatedSession* s = db.Session();
        OperatorId = 1;
        SetVatRateTexts(QDate::currentDate());

        std::printf("database: %s\n", qPrintable(params.database));
        const bool ready =
            !BenchDatabaseEmpty(s) &&
            s->GetQueryValueAsInteger(QStringLiteral("select count(*) from Userdb")) >= subscribers &&
            !s->IsQueryEmpty(QStringLiteral("select 1 from Oplaty limit 1"));
        if (!ready && !BenchGenerateWithHistory(s, subscribers, 12)) return 1;
        std::printf("subscribers: %d\n",
                    s->GetQueryValueAsInteger(QStringLiteral("select count(*) from Userdb")));
        std::printf("invoices: %d\n", s->GetQueryValueAsInteger(QStringLiteral("select count(*) from Fv")));
        std::printf("payment_demands: %d\n",
                    s->GetQueryValueAsInteger(QStringLiteral("select count(*) from Pz")));
        std::printf("corrections: %d\n",
                    s->GetQueryValueAsInteger(QStringLiteral("select count(*) from Fvk")));
        std::printf("payments: %d\n",
                    s->GetQueryValueAsInteger(QStringLiteral("select count(*) from Oplaty")));
        std::printf("settlement_links: %d\n",
                    s->GetQueryValueAsInteger(QStringLiteral("select count(*) from OplatyRozliczenia")));

        // Balances of the whole base against one bare UPDATE of the same rows, taken in turns.
        {
            std::vector<double> full, balance, bare;
            TTransactionGuard t(s);
            for (int i = 0; i < 5; ++i) {
                QElapsedTimer w;
                w.start();
                s->ExecQuery(kBareUpdate);
                bare.push_back(MsSince(w));
                w.restart();
                RecalcUserSaldo(0);
                balance.push_back(MsSince(w));
                w.restart();
                RecalcSaldoBazy();
                full.push_back(MsSince(w));
            }
            std::printf("RecalcSaldoBazy_ms: %.1f\n", MedianOf(full));
            std::printf("RecalcUserSaldo_all_ms: %.1f\n", MedianOf(balance));
            std::printf("bare_update_same_rows_ms: %.1f\n", MedianOf(bare));
            std::printf("RecalcSaldoBazy_vs_bare_update: %.2f\n", MedianOf(full) / MedianOf(bare));
            std::printf("RecalcUserSaldo_all_vs_bare_update: %.2f\n", MedianOf(balance) / MedianOf(bare));
        }

        // One new payment of a subscriber with 24 open documents (it pays all of them).
        {
            Amount4 total;
            const int u = subscriberWithOpenInvoices(s, 24, total);
            std::vector<double> times;
            int links = 0;
            for (int i = 0; i < 15; ++i) {
                TTransactionGuard t(s);
                s->ExecQuery(QStringLiteral("insert into Oplaty (O_INDEXUSER, O_KWOTA, O_KWOTADOROZLICZENIA, "
                                            "O_DATAWPLATY, O_DATADODANIA, O_PODMIOT) values (:p1, :p2, :p3, "
                                            "CURDATE(), CURDATE(), 1)"),
                             {u, total, total});
                const int o = s->GetQueryValueAsInteger(QStringLiteral("select last_insert_id()"));
                QElapsedTimer w;
                w.start();
                if (!SettleOplata(o, u)) {
                    std::fprintf(stderr, "SettleOplata failed\n");
                    return 1;
                }
                times.push_back(MsSince(w));
                links = s->GetQueryValueAsInteger(
                    QStringLiteral("select count(*) from OplatyRozliczenia where OR_INDEXOPLATY=:p1"), {o});
            }
            std::printf("settle_payment_24_open_documents_ms: %.2f\n", MedianOf(times));
            std::printf("settle_payment_24_open_documents_max_ms: %.2f\n",
                        *std::max_element(times.begin(), times.end()));
            std::printf("settle_payment_24_open_documents_links: %d\n", links);
            TTransactionGuard t(s);
            s->ExecQuery(
                QStringLiteral("delete FvPozycje from FvPozycje join Fv on FVP_INDEXFAKTURA=FV_INDEX where "
                               "FV_INDEXUSER=:p1"),
                {u});
            s->ExecQuery(QStringLiteral("delete from Fv where FV_INDEXUSER=:p1"), {u});
            s->ExecQuery(QStringLiteral("delete from Userdb where U_INDEX=:p1"), {u});
            t.commit();
        }

        // SettleUserOplaty for every subscriber, after every link was withdrawn.
        {
            TTransactionGuard t(s);
            s->ExecQuery(QStringLiteral("delete from OplatyRozliczenia"));
            s->ExecQuery(QStringLiteral("update Oplaty set O_KWOTADOROZLICZENIA=O_KWOTA where O_KWOTA>0"));
            for (const char* x : {"FV:Fv", "FVK:Fvk", "PZ:Pz"}) {
                const QStringList p = QString::fromLatin1(x).split(QLatin1Char(':'));
                s->ExecQuery(QStringLiteral("update %2 set %1_KWOTADOROZLICZENIA=%1_KWOTADOZAPLATY, "
                                            "%1_KWOTAROZLICZONA=0")
                                 .arg(p[0], p[1]));
            }
            RecalcUserSaldo(0);
            const QStringList users = s->GetQueryValuesAsList(QStringLiteral("select U_INDEX from Userdb"));
            QElapsedTimer w;
            w.start();
            int failed = 0;
            for (const QString& u : users)
                if (!SettleUserOplaty(u.toInt())) ++failed;
            const double ms = MsSince(w);
            std::printf("SettleUserOplaty_all_subscribers_s: %.2f\n", ms / 1000.0);
            std::printf("SettleUserOplaty_per_subscriber_ms: %.2f\n",
                        users.isEmpty() ? 0.0 : ms / users.size());
            std::printf("SettleUserOplaty_links_written: %d\n",
                        s->GetQueryValueAsInteger(QStringLiteral("select count(*) from OplatyRozliczenia")));
            std::printf("SettleUserOplaty_failed: %d\n", failed);
        }
    } catch (const EDatabaseError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.Message()));
        return 1;
    }
    return 0;
}
