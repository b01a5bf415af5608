#include "payments/KsiegowaniePm.h"

#include "billing/AutoFv.h"
#include "billing/Numeracja.h"
#include "billing/Rozliczenia.h"
#include "billing/Salda.h"
#include "core/ActivityLog.h"
#include "core/DedicatedSession.h"
#include "core/Query.h"
#include "core/SchemaUpgrade.h"
#include "core/Session.h"

#include <QDate>
#include <set>

int LastPmCustomerNumber = 0;

namespace {

const QString kZeroDate = QStringLiteral("0000-00-00");

// Above this many subscribers one set-based recomputation of all is cheaper.
constexpr size_t kRecalcAllFrom = 200;

QString periodKey(bool monthly, const QDate& date)
{
    return monthly ? date.toString(QStringLiteral("yyyy-MM")) : date.toString(QStringLiteral("yyyy"));
}

bool posted(const TQuery& q)
{
    return q.FieldByName(QStringLiteral("PM_DATAKSIEGOWANIA"))->AsDate().isValid();
}

} // namespace

TPmPostingNumbers::TPmPostingNumbers() : m_monthly(MonthlyNumbering()) {}
TPmPostingNumbers::~TPmPostingNumbers() = default;

TPmPostingNumbers::Entry& TPmPostingNumbers::entry(int podmiot, const QDate& date)
{
    Entry& e = m_entries[{podmiot, periodKey(m_monthly, date)}];
    if (!e.reservation) e.reservation = std::make_unique<TNumberReservation>('O', date, podmiot);
    return e;
}

int TPmPostingNumbers::Peek(int podmiot, const QDate& date)
{
    Entry& e = entry(podmiot, date);
    return e.reservation->Number() + e.used;
}

void TPmPostingNumbers::Used(int podmiot, const QDate& date)
{
    ++entry(podmiot, date).used;
}

bool PostPmRow(int pmIndex, TPmPostingNumbers* numbers)
{
    TDedicatedSession* s = GlobalSession();
    // The row with its subscriber's company and invoicing mode, in one read.
    auto row = s->OpenQuery(QStringLiteral("select PlatnosciMasowe.*, U_PODMIOT, U_AUTOMATYCZNEFAKTURY from "
                                           "PlatnosciMasowe left join Userdb on U_INDEX=PM_INDEXUSER where "
                                           "PM_INDEX=:p1"),
                            {pmIndex});
    if (row->IsEmpty() || posted(*row)) return false;
    const int user = row->FieldByName(QStringLiteral("PM_INDEXUSER"))->AsInteger();
    if (user == 0) return false;
    const int podmiot = row->FieldByName(QStringLiteral("U_PODMIOT"))->AsInteger();
    const bool invoicedPerPayment =
        row->FieldByName(QStringLiteral("U_AUTOMATYCZNEFAKTURY"))->AsInteger() == 3;
    const QDate bankDate = row->FieldByName(QStringLiteral("PM_DATABANK"))->AsDate();
    if (!bankDate.isValid()) return false;
    const Amount4 amount = row->FieldByName(QStringLiteral("PM_KWOTA"))->AsCurrency();
    const QString remark = QStringLiteral("PM_automat: %1").arg(pmIndex);

    TTransactionGuard guard(s);
    // The payment is numbered in the period of its date, the bank date.
    std::unique_ptr<TNumberReservation> own;
    int number = 0;
    if (numbers) {
        number = numbers->Peek(podmiot, bankDate);
    } else {
        own = std::make_unique<TNumberReservation>('O', bankDate, podmiot);
        number = own->Number();
    }
    const TExecResult ins = s->ExecQuery(
        QStringLiteral(
            "insert Oplaty(O_INDEXUSER, O_DATAWPLATY, O_UWAGI, O_OPERATORID, O_FORMAPLATNOSCI, O_KWOTA, "
            "O_INDEX_PM, O_KWOTADOROZLICZENIA, O_NUMER, O_NUMERTXT, O_DATADODANIA, O_PODMIOT) values "
            "( :p1, :p2, :p3, :p4, :p5, :p6, :p7, :p8, :p9, :p10, :p11, :p12)"),
        {user, bankDate.toString(Qt::ISODate), remark, OperatorId, QStringLiteral("przelew"), amount, pmIndex,
         amount, number, OplataNumberText(number, podmiot, bankDate),
         QDate::currentDate().toString(Qt::ISODate), podmiot});
    const int oplata = int(ins.InsertId);
    if (!SettleOplataKind(oplata, user, QStringLiteral("PM"))) {
        guard.rollback();
        return false;
    }
    s->ExecQuery(
        QStringLiteral("update PlatnosciMasowe set PM_DATAKSIEGOWANIA=CURDATE(), PM_INDEXOPLATA=:p0, "
                       "PM_NAAKTYWNEGO=(select %1 from Userdb where U_INDEX=:p1), PM_PODMIOT=:p2 "
                       "where PM_INDEX=:p3")
            .arg(UserActiveSql()),
        {oplata, user, podmiot, pmIndex});
    if (invoicedPerPayment) IssueAutoFv(user, remark, amount);
    guard.commit();
    if (numbers) numbers->Used(podmiot, bankDate);
    return true;
}

int PostAllPm(const std::function<void(int, int)>& progress)
{
    TDedicatedSession* s = GlobalSession();
    auto rows =
        s->OpenQuery(QStringLiteral("select PM_INDEX, PM_INDEXUSER, U_NRKLIENTA from PlatnosciMasowe "
                                    "left join Userdb on U_INDEX=PM_INDEXUSER where PM_INDEXUSER<>0 and "
                                    "PM_DATAKSIEGOWANIA = :p1 order by PM_INDEXUSER, PM_DATABANK"),
                     {kZeroDate});
    const int total = rows->RecordCount();
    int left = total;
    int count = 0;
    std::set<int> users;
    TPmPostingNumbers numbers;
    const TSaldoSettings saldo = ReadSaldoSettings();
    for (rows->First(); !rows->Eof(); rows->Next()) {
        const int pm = rows->Fields(0)->AsInteger();
        const int user = rows->Fields(1)->AsInteger();
        LastPmCustomerNumber = rows->Fields(2)->AsInteger();
        if (PostPmRow(pm, &numbers)) {
            ++count;
            users.insert(user);
        }
        // The subscriber's next row settles against fresh days overdue.
        if (rows->RecNo() < total && rows->CellText(rows->RecNo(), 1).toInt() == user)
            RunSaldoStatement(s, user, saldo);
        --left;
        if (progress) progress(left, total);
    }
    if (users.size() >= kRecalcAllFrom) {
        RecalcUserSaldoAndCache(0);
    } else {
        for (const int u : users)
            RecalcUserSaldoAndCache(u);
    }
    return count;
}

bool UnpostPmRow(int pmIndex)
{
    TDedicatedSession* s = GlobalSession();
    auto row = s->OpenQuery(QStringLiteral("select * from PlatnosciMasowe where PM_INDEX=:p1"), {pmIndex});
    if (row->IsEmpty() || !posted(*row)) return false;
    const int oplata = row->FieldByName(QStringLiteral("PM_INDEXOPLATA"))->AsInteger();
    const int user = row->FieldByName(QStringLiteral("PM_INDEXUSER"))->AsInteger();
    TTransactionGuard guard(s);
    if (oplata) {
        // The payment's open amount becomes minus its linked sum, so settling it withdraws every link.
        s->ExecQuery(
            QStringLiteral(
                "update Oplaty set O_KWOTADOROZLICZENIA=O_KWOTADOROZLICZENIA-O_KWOTA where O_INDEX=:p1"),
            {oplata});
        if (!SettleOplata(oplata, user)) {
            guard.rollback();
            return false;
        }
        s->ExecQuery(QStringLiteral("delete from OplatyRozliczenia where OR_INDEXOPLATY=:p1"), {oplata});
        s->ExecQuery(QStringLiteral("delete from Oplaty where O_INDEX=:p1"), {oplata});
    }
    s->ExecQuery(
        QStringLiteral(
            "update PlatnosciMasowe set PM_DATAKSIEGOWANIA=:p1, PM_INDEXOPLATA=0 where PM_INDEX=:p2"),
        {kZeroDate, pmIndex});
    LogEvent(QStringLiteral("Odksięgowanie wpłaty ID=%1 dla pozycji płatności masowych ID=%2")
                 .arg(oplata)
                 .arg(pmIndex));
    guard.commit();
    if (user) RecalcUserSaldoAndCache(user);
    return true;
}

int UnpostPmByImportDate(const QString& importDate)
{
    TDedicatedSession* s = GlobalSession();
    auto rows = s->OpenQuery(QStringLiteral("select * from PlatnosciMasowe where PM_DATAIMPORTU=:p1 and "
                                            "PM_DATAKSIEGOWANIA<>:p2 order by PM_INDEX desc"),
                             {importDate, kZeroDate});
    int count = 0;
    for (rows->First(); !rows->Eof(); rows->Next()) {
        const int pm = rows->FieldByName(QStringLiteral("PM_INDEX"))->AsInteger();
        const int user = rows->FieldByName(QStringLiteral("PM_INDEXUSER"))->AsInteger();
        if (UnpostPmRow(pm)) ++count;
        if (user) {
            SettleUserOplaty(user);
            RecalcUserSaldoAndCache(user);
        }
    }
    return count;
}

bool PmRowPosted(int pmIndex)
{
    auto row = GlobalSession()->OpenQuery(
        QStringLiteral("select PM_DATAKSIEGOWANIA from PlatnosciMasowe where PM_INDEX=:p1"), {pmIndex});
    return !row->IsEmpty() && posted(*row);
}

bool DeletePmRow(int pmIndex)
{
    TDedicatedSession* s = GlobalSession();
    auto row =
        s->OpenQuery(QStringLiteral("select PM_DATAKSIEGOWANIA, PM_KWOTA, U_NRKLIENTA from PlatnosciMasowe "
                                    "left join Userdb on U_INDEX=PM_INDEXUSER where PM_INDEX=:p1"),
                     {pmIndex});
    if (row->IsEmpty()) return false;
    // A posted row's payment would be left without its bank line.
    if (posted(*row)) return false;
    LogEvent(QStringLiteral("Usunięcie pozycji płatności masowych ID=%1 dla użytkownika nr %2 na kwotę %3")
                 .arg(pmIndex)
                 .arg(row->Fields(2)->AsInteger())
                 .arg(row->Fields(1)->AsString()));
    s->ExecQuery(QStringLiteral("delete from PlatnosciMasowe where PM_INDEX=:p1"), {pmIndex});
    return true;
}

void MarkPmPostedByHand(int pmIndex)
{
    GlobalSession()->ExecQuery(
        QStringLiteral(
            "update PlatnosciMasowe set PM_DATAKSIEGOWANIA=CURDATE(), PM_INDEXOPLATA=0 where PM_INDEX=:p1"),
        {pmIndex});
}

int DeleteUnpostedPm()
{
    return int(
        GlobalSession()
            ->ExecQuery(QStringLiteral("delete from PlatnosciMasowe where PM_DATAKSIEGOWANIA='0000-00-00'"))
            .RowsAffected);
}
