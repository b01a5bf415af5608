#include "billing/OplatyDane.h"

#include "billing/Numeracja.h"
#include "billing/Rozliczenia.h"
#include "billing/Salda.h"
#include "core/ActivityLog.h"
#include "core/DbError.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Query.h"
#include "core/Session.h"

#include <QDateTime>

namespace {
// Amounts in log lines as the database shows them ("100.00").
QString logAmount(Amount4 a)
{
    return QString::number(double(a.raw) / double(Amount4::Scale), 'f', 2);
}
} // namespace

Amount4 ProposedOplataAmount(Amount4 saldo, Amount4 abonament)
{
    return saldo.raw >= 0 ? abonament : saldo.abs();
}

QString CheckOplataClose(Amount4 amount, Amount4 saldo)
{
    if (amount.isZero()) return QStringLiteral("Wpłata musi mieć wartość wiekszą od zera.");
    if (amount.raw < 0 && saldo < amount.abs())
        return QStringLiteral("Wypłata przekracza wartość aktualnej nadpłaty na koncie klienta.");
    return QString();
}

QDate OplataDateNotInFuture(const QDate& date, const QDate& today)
{
    return date > today ? today : date;
}

QString OplataLogTail(const TOplataDane& o)
{
    return QStringLiteral("%1 dla użytkownika nr %2 na kwotę %3")
        .arg(o.Index)
        .arg(OplataCustomerNumber(o.UserIndex), logAmount(o.Kwota));
}

QString OplataCustomerNumber(int userIndex)
{
    return GlobalSession()->GetQueryValueAsString(
        QStringLiteral("select U_NRKLIENTA from vUserdb where U_INDEX=:p1"), {userIndex});
}

TOplataUser ReadOplataUser(int userIndex)
{
    TOplataUser u;
    auto q = GlobalSession()->OpenQuery(
        QStringLiteral(
            "select U_SALDO, U_SALDOZALEGLE, U_KWOTAABONAMENTU, U_PODMIOT, concat(U_NAZWISKO, :p1, "
            "U_IMIE) from Userdb where U_INDEX=:p2"),
        {QStringLiteral(" "), userIndex});
    if (q->IsEmpty()) return u;
    u.saldo = q->Fields(0)->AsCurrency();
    u.saldoZalegle = q->Fields(1)->AsCurrency();
    u.abonament = q->Fields(2)->AsCurrency();
    u.podmiot = q->Fields(3)->AsInteger();
    u.name = q->Fields(4)->AsString();
    return u;
}

void TOplataDane::InsertNew(int userIndex, const QString& lastForm, const QDate& lastDate)
{
    const TOplataUser u = ReadOplataUser(userIndex);
    UserIndex = userIndex;
    Podmiot = u.podmiot > 0 ? u.podmiot : 1;
    Kwota = ProposedOplataAmount(u.saldo, u.abonament);
    DoRozliczenia = Kwota;
    DataDodania = QDate::currentDate();
    DataWplaty = lastDate.isValid() ? lastDate : DataDodania;
    Forma = lastForm.isEmpty() ? QStringLiteral("gotówka") : lastForm;
    Uwagi = ReadIniString(0, QStringLiteral("StandardowyOpisWplaty"), QStringLiteral("Opłata za internet"));
    IndexPm = 0;
    // The number is written under its reservation, so no other workstation takes it.
    TNumberReservation number('O', DataWplaty, Podmiot);
    Numer = number.Number();
    NumerTxt = OplataNumberText(Numer, Podmiot, DataWplaty);
    const TExecResult r = GlobalSession()->ExecQuery(
        QStringLiteral(
            "insert into Oplaty (O_INDEXUSER, O_NUMER, O_NUMERTXT, O_KWOTA, O_KWOTADOROZLICZENIA, "
            "O_DATAWPLATY, O_DATADODANIA, O_FORMAPLATNOSCI, O_INDEX_PM, O_UWAGI, O_PODMIOT, "
            "O_OPERATORID, O_DATAMODYFIKACJI) values (:p1, :p2, :p3, :p4, :p5, :p6, :p7, :p8, 0, :p9, "
            ":p10, :p11, NOW())"),
        {UserIndex, Numer, NumerTxt, Kwota, DoRozliczenia, DataWplaty.toString(Qt::ISODate),
         DataDodania.toString(Qt::ISODate), Forma, Uwagi, Podmiot, OperatorId});
    Index = int(r.InsertId);
}

void TOplataDane::Load(int oplataIndex)
{
    auto q = GlobalSession()->OpenQuery(
        QStringLiteral("select O_INDEX, O_INDEXUSER, O_PODMIOT, O_NUMER, O_INDEX_PM, O_KWOTA, "
                       "O_KWOTADOROZLICZENIA, O_DATAWPLATY, O_DATADODANIA, O_FORMAPLATNOSCI, O_UWAGI, "
                       "O_NUMERTXT from Oplaty where O_INDEX=:p1"),
        {oplataIndex});
    *this = TOplataDane();
    if (q->IsEmpty()) return;
    Index = q->Fields(0)->AsInteger();
    UserIndex = q->Fields(1)->AsInteger();
    Podmiot = q->Fields(2)->AsInteger();
    Numer = q->Fields(3)->AsInteger();
    IndexPm = q->Fields(4)->AsInteger();
    Kwota = q->Fields(5)->AsCurrency();
    DoRozliczenia = q->Fields(6)->AsCurrency();
    DataWplaty = q->Fields(7)->AsDate();
    DataDodania = q->Fields(8)->AsDate();
    Forma = q->Fields(9)->AsString();
    Uwagi = q->Fields(10)->AsString();
    NumerTxt = q->Fields(11)->AsString();
}

void TOplataDane::rebuildText()
{
    if (!DataWplaty.isValid()) return; // a date that does not decode leaves the text
    NumerTxt = OplataNumberText(Numer, Podmiot, DataWplaty);
}

void TOplataDane::SetNumber(int number)
{
    Numer = number;
    rebuildText();
}

void TOplataDane::SetDate(const QDate& date)
{
    if (!date.isValid()) return;
    const QDate d = OplataDateNotInFuture(date, QDate::currentDate());
    const bool otherPeriod = !DataWplaty.isValid() || d.year() != DataWplaty.year() ||
                             (MonthlyNumbering() && d.month() != DataWplaty.month());
    DataWplaty = d;
    if (otherPeriod) {
        // The new period's number is written at once while it is reserved.
        TNumberReservation number('O', d, Podmiot);
        Numer = number.Number();
        rebuildText();
        Write();
        return;
    }
    rebuildText();
}

bool TOplataDane::NumberTaken() const
{
    return NumberTextInUse('O', NumerTxt, Index);
}

void TOplataDane::Write()
{
    const TExecResult r = GlobalSession()->ExecQuery(
        QStringLiteral("update Oplaty set O_NUMER=:p1, O_NUMERTXT=:p2, O_KWOTA=:p3, O_DATAWPLATY=:p4, "
                       "O_FORMAPLATNOSCI=:p5, O_UWAGI=:p6, O_OPERATORID=:p7, O_DATAMODYFIKACJI=NOW() where "
                       "O_INDEX=:p8"),
        {Numer, NumerTxt, Kwota, DataWplaty.toString(Qt::ISODate), Forma, Uwagi, OperatorId, Index});
    if (r.RowsAffected == 0 &&
        GlobalSession()->IsQueryEmpty(QStringLiteral("select (1) from Oplaty where O_INDEX=:p1"), {Index}))
        throw EDatabaseError(QStringLiteral("Wpłata została usunięta na innym stanowisku."));
}

bool SettleNewOplata(const TOplataDane& o)
{
    TDedicatedSession* s = GlobalSession();
    // A payout pays nothing: it keeps no open amount.
    s->ExecQuery(QStringLiteral("update Oplaty set O_KWOTADOROZLICZENIA=:p1 where O_INDEX=:p2"),
                 {o.Kwota.raw > 0 ? o.Kwota : Amount4{}, o.Index});
    LogEvent(QStringLiteral("Dodanie i poczatek rozliczania wpłaty ID=") + OplataLogTail(o));
    return SettleOplata(o.Index, o.UserIndex);
}

bool SettleEditedOplata(const TOplataDane& o, const QDate& oldDate)
{
    TDedicatedSession* s = GlobalSession();
    const Amount4 linked = s->OpenQuery(QStringLiteral("select coalesce(sum(OR_KWOTAROZLICZONA), 0) from "
                                                       "OplatyRozliczenia where OR_INDEXOPLATY=:p1"),
                                        {o.Index})
                               ->Fields(0)
                               ->AsCurrency();
    s->ExecQuery(QStringLiteral("update Oplaty set O_KWOTADOROZLICZENIA=O_KWOTA-:p1 where O_INDEX=:p2"),
                 {linked, o.Index});
    if (oldDate.isValid() && oldDate != o.DataWplaty)
        s->ExecQuery(
            QStringLiteral("update OplatyRozliczenia set OR_DATAROZLICZENIA=:p1, OR_SPOZNIENIE=if(:p1<="
                           "OR_DATAPLATNOSCIDOC, 0, datediff(:p1, OR_DATAPLATNOSCIDOC)) where "
                           "OR_INDEXOPLATY=:p2 and OR_DATAROZLICZENIA=:p3"),
            {o.DataWplaty.toString(Qt::ISODate), o.DataWplaty.toString(Qt::ISODate),
             o.DataWplaty.toString(Qt::ISODate), o.Index, oldDate.toString(Qt::ISODate)});
    LogEvent(QStringLiteral("Edycja wpłaty ID:") + OplataLogTail(o));
    bool settled = false;
    try {
        settled = SettleOplata(o.Index, o.UserIndex);
    } catch (const EDatabaseError&) {
        // Told as a refusal: the caller rolls the whole edit back.
        settled = false;
    }
    if (!settled) return false;
    RecalcUserSaldoAndCache(o.UserIndex);
    return true;
}

bool DeleteOplataRows(int oplataIndex)
{
    TDedicatedSession* s = GlobalSession();
    TOplataDane o;
    o.Load(oplataIndex);
    if (o.Index == 0) return false;
    const QString nr = OplataCustomerNumber(o.UserIndex);
    const QString tail =
        QStringLiteral("%1 dla użytkownika nr %2 na kwotę %3").arg(o.Index).arg(nr, logAmount(o.Kwota));
    TTransactionGuard guard(s);
    s->ExecQuery(
        QStringLiteral("update Oplaty set O_KWOTADOROZLICZENIA = O_KWOTADOROZLICZENIA - O_KWOTA where "
                       "O_INDEX=:p1"),
        {o.Index});
    if (!SettleOplata(o.Index, o.UserIndex)) {
        guard.rollback();
        LogEvent(QStringLiteral("Nieudana próba usunięcia wpłaty ID:") + tail);
        return false;
    }
    if (o.IndexPm != 0)
        LogEvent(QStringLiteral("Odksięgowanie rozliczenia powiązanej pozycji płatności masowych ID=%1 dla "
                                "użytkownika nr %2")
                     .arg(o.IndexPm)
                     .arg(nr));
    s->ExecQuery(
        QStringLiteral("update PlatnosciMasowe set PM_INDEXOPLATA=null, PM_DATAKSIEGOWANIA=null where "
                       "PM_INDEXOPLATA=:p1"),
        {o.Index});
    LogEvent(QStringLiteral("Usunięcie wpłaty ID:") + tail);
    s->ExecQuery(QStringLiteral("delete from Oplaty where O_INDEX=:p1"), {o.Index});
    s->ExecQuery(QStringLiteral("delete from OplatyRozliczenia where OR_INDEXOPLATY=:p1"), {o.Index});
    guard.commit();
    return true;
}

bool ResettleUserOplaty(int userIndex)
{
    TDedicatedSession* s = GlobalSession();
    TTransactionGuard guard(s);
    s->ExecQuery(QStringLiteral("update Oplaty set O_KWOTADOROZLICZENIA = O_KWOTA where O_INDEXUSER=:p1"),
                 {userIndex});
    s->ExecQuery(QStringLiteral("delete from OplatyRozliczenia where OR_INDEXOPLATY in (select O_INDEX from "
                                "Oplaty where O_INDEXUSER=:p1)"),
                 {userIndex});
    for (const char* p : {"FV", "FVK", "PZ"}) {
        const QString x = QString::fromLatin1(p);
        const QString table = x == QLatin1String("FV")    ? QStringLiteral("Fv")
                              : x == QLatin1String("FVK") ? QStringLiteral("Fvk")
                                                          : QStringLiteral("Pz");
        s->ExecQuery(
            QStringLiteral("update %1 set %2_KWOTADOZAPLATY=%2_SUMABRUTTO-%2_KWOTAWPLACONA, "
                           "%2_KWOTADOROZLICZENIA=%2_SUMABRUTTO-%2_KWOTAWPLACONA, %2_KWOTAROZLICZONA=0 "
                           "where %2_INDEXUSER=:p1")
                .arg(table, x),
            {userIndex});
    }
    RecalcUserSaldo(userIndex);
    for (const QString& k : s->GetQueryValuesAsList(
             QStringLiteral("select FVK_INDEX from Fvk where FVK_INDEXUSER=:p1 and FVK_SUMABRUTTO<0 order by "
                            "FVK_INDEX asc"),
             {userIndex}))
        SettleDocument(QStringLiteral("K"), k.toInt());
    auto q = s->OpenQuery(
        QStringLiteral("select O_INDEX, O_KWOTA from Oplaty where O_INDEXUSER=:p1 order by O_DATAWPLATY asc"),
        {userIndex});
    for (q->First(); !q->Eof(); q->Next()) {
        if (!SettleOplata(q->Fields(0)->AsInteger(), userIndex)) {
            guard.rollback();
            LogEvent(
                QStringLiteral("Nieudana próba ponownego rozksięgowania wpłaty ID:%1 dla użytkownika ID: %2 "
                               "na kwotę %3")
                    .arg(q->Fields(0)->AsInteger())
                    .arg(userIndex)
                    .arg(logAmount(q->Fields(1)->AsCurrency())));
            RecalcUserSaldo(userIndex);
            return false;
        }
    }
    guard.commit();
    LogEvent(QStringLiteral("Wycofanie i ponowne rozksięgowanie wszystkich wpłat dla użytkownika ID: ") +
             QString::number(userIndex));
    RecalcUserSaldo(userIndex);
    return true;
}

bool ResettleOplata(int oplataIndex, int userIndex)
{
    TDedicatedSession* s = GlobalSession();
    TOplataDane o;
    o.Load(oplataIndex);
    const QString tail = QStringLiteral("%1 dla użytkownika nr %2 na kwotę %3")
                             .arg(oplataIndex)
                             .arg(OplataCustomerNumber(userIndex), logAmount(o.Kwota));
    TTransactionGuard guard(s);
    s->ExecQuery(
        QStringLiteral("update Oplaty set O_KWOTADOROZLICZENIA = O_KWOTADOROZLICZENIA - O_KWOTA where "
                       "O_INDEX=:p1"),
        {oplataIndex});
    if (!SettleOplata(oplataIndex, userIndex)) {
        guard.rollback();
        LogEvent(QStringLiteral("Nieudana próba wycofania i ponownego rozksięgowania wpłaty ID:") + tail);
        RecalcUserSaldoAndCache(userIndex);
        return false;
    }
    LogEvent(QStringLiteral("Wycofanie i ponowne rozksięgowanie wpłaty ID:") + tail);
    s->ExecQuery(QStringLiteral("delete from OplatyRozliczenia where OR_INDEXOPLATY=:p1"), {oplataIndex});
    s->ExecQuery(QStringLiteral("update Oplaty set O_KWOTADOROZLICZENIA = O_KWOTA where O_INDEX=:p1"),
                 {oplataIndex});
    const bool ok = SettleOplata(oplataIndex, userIndex);
    if (ok) guard.commit();
    RecalcUserSaldoAndCache(userIndex);
    return ok;
}
