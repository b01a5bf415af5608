#include "billing/ZamkniecieOkresu.h"

#include "billing/Numeracja.h"
#include "billing/Rozliczenia.h"
#include "billing/Salda.h"
#include "core/ActivityLog.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Query.h"
#include "core/Session.h"

const QString ClosePeriodErrorText = QStringLiteral("Błąd podczas zamykania okresu dla dokumentów.");

namespace {

const char* const kWorkTables[][2] = {
    {"OplatyTemp", "Oplaty"}, {"PzTemp", "Pz"}, {"PzPozycjeTemp", "PzPozycje"}};

void dropWorkTables(TDedicatedSession* s)
{
    // Temporary only: a plain DROP would take a live table when the working one is missing.
    for (const auto& t : kWorkTables)
        s->ExecQuery(QStringLiteral("drop temporary table if exists %1").arg(QLatin1String(t[0])));
}

void removePeriod(TDedicatedSession* s, const QString& d)
{
    for (const char* sql :
         {"delete from FvPozycje where FVP_INDEXFAKTURA in (select FV_INDEX from Fv where "
          "FV_DATAWYSTAWIENIA<=:p1)",
          "delete from Fv where FV_DATAWYSTAWIENIA<=:p1",
          "delete from FvkPozycje where FVKP_INDEXFAKTURA in (select FVK_INDEX from Fvk where "
          "FVK_DATAWYSTAWIENIA<=:p1)",
          "delete from Fvk where FVK_DATAWYSTAWIENIA<=:p1",
          "delete from PzPozycje where PZP_INDEXPZ in (select PZ_INDEX from Pz where "
          "PZ_DATAWYSTAWIENIA<=:p1)",
          "delete from Pz where PZ_DATAWYSTAWIENIA<=:p1",
          "delete from OplatyRozliczenia where OR_INDEXOPLATY in (select O_INDEX from Oplaty where "
          "O_DATADODANIA<=:p1)",
          "delete from Oplaty where O_DATADODANIA<=:p1", "delete from PlatnosciMasowe where PM_DATABANK<=:p1",
          "delete from Log where LOG_DATA<=:p2", "delete from StatSaldo where SLD_DATADODANIA<=:p2",
          "delete from WyslaneEmail where EMW_DATAWYSYLKI<=:p2",
          "delete from PmMD5 where PMMD5_DATAIMPORTU<=:p2"})
        s->ExecQuery(QString::fromLatin1(sql), {d});
}

// The opening documents in the working tables, numbered 1, 2, 3 ... in the
// order of the snapshot.
void openingDocuments(TDedicatedSession* s, const QDate& date)
{
    const QString d = date.toString(Qt::ISODate);
    const QDate today = QDate::currentDate();
    const QString t = today.toString(Qt::ISODate);
    s->ExecQuery(
        QStringLiteral("insert PzTemp(PZ_INDEXUSER, PZ_DATAWYSTAWIENIA, PZ_UWAGI, PZ_DATAPLATNOSCI, "
                       "PZ_OPERATORID, PZ_FORMAPLATNOSCI,PZ_KWOTAWPLACONA, PZ_KWOTADOZAPLATY, "
                       "PZ_KWOTAROZLICZONA, PZ_KWOTADOROZLICZENIA) select SZO_USERID, :p1, :p2, :p3, :p4, "
                       ":p5, 0, -SZO_SALDO, 0, -SZO_SALDO from SaldoZO where SZO_SALDO < 0 order by "
                       "SZO_INDEX"),
        {d, QStringLiteral("Bilans zamknięcia okresu z dnia ") + t, today.addDays(14).toString(Qt::ISODate),
         OperatorId, QStringLiteral("przelew")});
    s->ExecQuery(
        QStringLiteral("insert PzPozycjeTemp(PZP_INDEXPZ, PZP_NAZWAUSLUGI, PZP_ILOSC, PZP_JEDNMIARY, "
                       "PZP_SYMBOL, PZP_WARTOSCBRUTTO, PZP_CENABRUTTO) select PZ_INDEX, :p1, 1, :p2, :p3, "
                       "PZ_KWOTADOROZLICZENIA, PZ_KWOTADOROZLICZENIA from PzTemp order by PZ_INDEX"),
        {QStringLiteral("Bilans zamknięcia okresu do dnia ") + d, QStringLiteral("szt."),
         QStringLiteral("BZO")});
    s->ExecQuery(
        QStringLiteral("insert OplatyTemp(O_INDEXUSER, O_DATAWPLATY, O_UWAGI, O_OPERATORID, "
                       "O_FORMAPLATNOSCI, O_KWOTA, O_DATADODANIA) select SZO_USERID, :p1, :p2, :p3, :p4, "
                       "SZO_SALDO, :p5 from SaldoZO where SZO_SALDO > 0 order by SZO_INDEX"),
        {d, QStringLiteral("Bilans zamknięcia okresu do dnia ") + d + QStringLiteral(" z dnia ") + t,
         OperatorId, QStringLiteral("przelew"), t});
}

void numberAndAddress(TDedicatedSession* s, const QDate& date)
{
    // Number + "/" month "/" year (or "/" year), the payment demand's rule for company 1.
    QString suffix = DocumentNumberText('P', QString(), 1, date);
    s->ExecQuery(
        QStringLiteral("update OplatyTemp set O_KWOTADOROZLICZENIA = O_KWOTA, O_NUMER=O_INDEX, O_NUMERTXT "
                       "= concat(O_NUMER, :p1), O_PODMIOT=(select U_PODMIOT from Userdb where "
                       "U_INDEX=O_INDEXUSER)"),
        {suffix});
    s->ExecQuery(QStringLiteral("update PzTemp set PZ_NUMER = PZ_INDEX, PZ_NUMERTXT = concat(PZ_NUMER, :p1)"),
                 {suffix});
    s->ExecQuery(QStringLiteral(
        "update PzTemp join Userdb on U_INDEX=PZ_INDEXUSER set PZ_NAZWISKO=U_NAZWISKO, PZ_IMIE=U_IMIE, "
        "PZ_ADR_ULICA=U_ADR_ULICA, PZ_ADR_NRDOMU=U_ADR_NRDOMU, PZ_ADR_NRLOKALU=U_ADR_NRLOKALU, "
        "PZ_ADR_KOD=U_ADR_KOD, PZ_ADR_MIEJSCOWOSC=U_ADR_MIEJSCOWOSC, PZ_PODMIOT=U_PODMIOT"));
    s->ExecQuery(QStringLiteral("update PzTemp set PZ_SUMABRUTTO = PZ_KWOTADOROZLICZENIA"));
}

void moveIntoLiveTables(TDedicatedSession* s)
{
    const int o = s->GetQueryValueAsInteger(QStringLiteral("select coalesce(max(O_INDEX),0) from Oplaty"));
    const int p = s->GetQueryValueAsInteger(QStringLiteral("select coalesce(max(PZ_INDEX),0) from Pz"));
    const int pp =
        s->GetQueryValueAsInteger(QStringLiteral("select coalesce(max(PZP_INDEX),0) from PzPozycje"));
    // Descending, so that no row meets a key another one still has.
    s->ExecQuery(QStringLiteral("update OplatyTemp set O_INDEX=O_INDEX+:p1 order by O_INDEX desc"), {o});
    s->ExecQuery(QStringLiteral("update PzTemp set PZ_INDEX=PZ_INDEX+:p1 order by PZ_INDEX desc"), {p});
    s->ExecQuery(QStringLiteral("update PzPozycjeTemp set PZP_INDEX=PZP_INDEX+:p1 order by PZP_INDEX desc"),
                 {pp});
    s->ExecQuery(
        QStringLiteral("update PzPozycjeTemp set PZP_INDEXPZ=PZP_INDEXPZ+:p1 order by PZP_INDEXPZ desc"),
        {p});
    s->ExecQuery(QStringLiteral("insert into Oplaty (select * from OplatyTemp)"));
    s->ExecQuery(QStringLiteral("insert into Pz (select * from PzTemp)"));
    s->ExecQuery(QStringLiteral("insert into PzPozycje (select * from PzPozycjeTemp)"));
}

// Only subscribers with an open payment and an open document have anything to settle.
void settleOpenAccounts(TDedicatedSession* s)
{
    const QStringList users = s->GetQueryValuesAsList(QStringLiteral(
        "select distinct O_INDEXUSER from Oplaty where O_KWOTADOROZLICZENIA<>0 and O_KWOTA>=0 and (exists "
        "(select "
        "1 from Fv where FV_INDEXUSER=O_INDEXUSER and FV_KWOTADOROZLICZENIA>0) or exists (select 1 from Fvk "
        "where "
        "FVK_INDEXUSER=O_INDEXUSER and FVK_KWOTADOROZLICZENIA>0) or exists (select 1 from Pz where "
        "PZ_INDEXUSER=O_INDEXUSER and PZ_KWOTADOROZLICZENIA>0)) order by O_INDEXUSER"));
    for (const QString& u : users)
        if (!SettleUserOplaty(u.toInt()))
            throw EDatabaseError(QStringLiteral("Nie udało się rozliczyć wpłat abonenta %1.").arg(u));
}

} // namespace

bool ClosePeriod(const QDate& date, const TClosePeriodCallbacks& cb)
{
    const QString d = date.toString(Qt::ISODate);
    const auto ask = [&](const QString& text, bool warning) { return cb.ask && cb.ask(text, warning); };
    const auto step = [&](int n) {
        if (cb.step) cb.step(n);
    };
    if (!ask(QStringLiteral("Czy chcesz zamknąć okres dla dokumentów do daty ") + d + QStringLiteral(" ?") +
                 QStringLiteral("\r\n") +
                 QStringLiteral(
                     "Operacja jest niodwracalna. Proszę przed zatwierdzeniem wykonać archiwizaję bazy "
                     "oraz zamknąć program na innych stanowiskach.") +
                 QStringLiteral("\r\n") + QStringLiteral("Czy chcesz kontynuować?"),
             false) ||
        !ask(QStringLiteral("Potwierdź zamknięcie okresu dla dokumentów do daty ") + d +
                 QStringLiteral("\r\n") + QStringLiteral("Czy chcesz kontynuować?"),
             true))
        return false;

    TDedicatedSession* s = GlobalSession();
    bool closed = false;
    try {
        step(2);
        dropWorkTables(s);
        for (const auto& t : kWorkTables)
            s->ExecQuery(QStringLiteral("create temporary table %1 like %2")
                             .arg(QLatin1String(t[0]), QLatin1String(t[1])));
        s->ExecQuery(QStringLiteral("truncate SaldoZO"));
        RecalcSaldoBazy();
        {
            TTransactionGuard t(s);
            step(3);
            s->ExecQuery(
                QStringLiteral("insert into SaldoZO (SZO_USERID, SZO_SALDO1) select U_INDEX, U_SALDO from "
                               "Userdb"));
            step(4);
            removePeriod(s, d);
            step(5);
            RecalcSaldoBazy();
            s->ExecQuery(QStringLiteral(
                "update SaldoZO set SZO_SALDO2=(select U_SALDO from Userdb where U_INDEX=SZO_USERID)"));
            s->ExecQuery(QStringLiteral("update SaldoZO set SZO_SALDO=SZO_SALDO1-SZO_SALDO2"));
            s->ExecQuery(QStringLiteral("delete from SaldoZO where SZO_SALDO=0"));
            step(6);
            openingDocuments(s, date);
            step(7);
            numberAndAddress(s, date);
            step(8);
            moveIntoLiveTables(s);
            step(10);
            settleOpenAccounts(s);
            RecalcSaldoBazy();
            step(11);
            t.commit();
        }
        closed = true;
        WriteIniString(0, QStringLiteral("ZamkniecieOkresu"), d);
        LogEvent(QStringLiteral("Zamknięcie okresu dla daty: ") + d);
        if (cb.info) cb.info(QStringLiteral("Zamknięto poprawnie okres dla daty ") + d);
    } catch (const std::exception&) {
        if (!closed && cb.error) cb.error(ClosePeriodErrorText);
    }
    try {
        dropWorkTables(s);
    } catch (...) {
    }
    if (cb.refreshUsers) cb.refreshUsers();
    return closed;
}
