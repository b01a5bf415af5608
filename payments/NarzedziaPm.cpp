#include "payments/NarzedziaPm.h"

#include "billing/RachunkiBankowe.h"
#include "core/ActivityLog.h"
#include "core/DedicatedSession.h"
#include "core/Funkcje.h"
#include "core/Funkcje2.h"
#include "core/Podmioty.h"
#include "core/Query.h"
#include "payments/KsiegowaniePm.h"

#include <QDateTime>

namespace {

// The main grid's condition; every subscriber when the grid has set none.
QString userWhere()
{
    return MainUserWhere.trimmed().isEmpty() ? QStringLiteral(" where 1=1 ") : MainUserWhere;
}

void tick(const TPmToolProgress& progress, int done, int total)
{
    if (progress && done % 10 == 0) progress(done, total);
}

} // namespace

int GenerateSubAccounts(bool onlyEmpty, const TPmToolProgress& progress)
{
    TDedicatedSession* s = GlobalSession();
    auto q =
        s->OpenQuery(QStringLiteral("select U_NRKLIENTA, U_NRRACHUNKU1, U_INDEX, U_PODMIOT from Userdb ") +
                     userWhere() + (onlyEmpty ? QStringLiteral(" and U_NRRACHUNKU1='' ") : QString()) +
                     QStringLiteral(" order by U_PODMIOT"));
    const int total = q->RecordCount();
    int written = 0, done = 0;
    const QString now = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    for (q->First(); !q->Eof(); q->Next()) {
        const QString account = MakeVirtualAccountNrb(q->Fields(0)->AsInteger());
        // "Błąd" or a short number must not overwrite a subscriber's account.
        if (IsValidNrb(account)) {
            s->ExecQuery(QStringLiteral(
                             "update Userdb set U_NRRACHUNKU1=:p1, U_DATAMODYFIKACJI=:p2 where U_INDEX=:p3"),
                         {account, now, q->Fields(2)->AsInteger()});
            ++written;
        }
        tick(progress, ++done, total);
    }
    SetCurrentPodmiot(1);
    return written;
}

int FormatSubAccounts(const TPmToolProgress& progress)
{
    TDedicatedSession* s = GlobalSession();
    auto q = s->OpenQuery(
        QStringLiteral("select U_NRKLIENTA, U_NRRACHUNKU1, U_NRRACHUNKU2, U_INDEX from Userdb ") +
        userWhere());
    const int total = q->RecordCount();
    int written = 0, done = 0;
    for (q->First(); !q->Eof(); q->Next()) {
        const int user = q->Fields(3)->AsInteger();
        for (int col = 1; col <= 2; ++col) {
            const QString formatted = FormatNrb(q->Fields(col)->AsString());
            if (formatted.trimmed().isEmpty()) continue;
            s->ExecQuery(QStringLiteral("update Userdb set U_NRRACHUNKU%1=:p1 where U_INDEX=:p2").arg(col),
                         {formatted, user});
            ++written;
        }
        tick(progress, ++done, total);
    }
    return written;
}

int SwapSubAccounts()
{
    TDedicatedSession* s = GlobalSession();
    s->ExecQuery(
        QStringLiteral("create temporary table if not exists Temp (`TEMP_INDEX` INT NOT NULL, `TEMP_P1` "
                       "VARCHAR(100) NOT NULL, KEY (TEMP_INDEX) )"));
    s->ExecQuery(QStringLiteral("delete from Temp where 1"));
    s->ExecQuery(
        QStringLiteral("insert into Temp (TEMP_INDEX, TEMP_P1) select U_INDEX, U_NRRACHUNKU1 from Userdb ") +
        userWhere());
    s->ExecQuery(
        QStringLiteral("update Userdb set U_NRRACHUNKU1=U_NRRACHUNKU2, U_NRRACHUNKU2=(select TEMP_P1 from "
                       "Temp where TEMP_INDEX=U_INDEX) ") +
        userWhere());
    s->ExecQuery(QStringLiteral("delete from Temp where 1"));
    return s->GetQueryValueAsInteger(QStringLiteral("select count(*) from Userdb ") + userWhere());
}

int DeleteSubAccounts()
{
    TDedicatedSession* s = GlobalSession();
    s->ExecQuery(QStringLiteral("update Userdb set U_NRRACHUNKU1=:p1, U_NRRACHUNKU2=:p2 ") + userWhere(),
                 {QString(), QString()});
    LogEvent(QStringLiteral("Usunięcie numerów subkont użytkowników"));
    return s->GetQueryValueAsInteger(QStringLiteral("select count(*) from Userdb ") + userWhere());
}

void CorrectPmAccount(int pmIndex, const QString& account)
{
    TDedicatedSession* s = GlobalSession();
    s->ExecQuery(
        QStringLiteral("update PlatnosciMasowe set PM_INDEXUSER=0, PM_NUMERRACHUNKU=:p1 where PM_INDEX=:p2"),
        {account, pmIndex});
    s->ExecQuery(
        QStringLiteral("update PlatnosciMasowe set PM_INDEXUSER=coalesce((select U_INDEX from Userdb where "
                       "U_NRRACHUNKU1 = PM_NUMERRACHUNKU or U_NRRACHUNKU2 = PM_NUMERRACHUNKU order by "
                       "U_INDEX desc LIMIT 1), 0) where PM_INDEXUSER=0 and Length(PM_NUMERRACHUNKU)>0"));
}

bool UnassignPmRow(int pmIndex)
{
    if (PmRowPosted(pmIndex)) return false;
    GlobalSession()->ExecQuery(QStringLiteral("update PlatnosciMasowe set PM_INDEXUSER=0 where PM_INDEX=:p1"),
                               {pmIndex});
    return true;
}

void DeletePmImport(int registerIndex)
{
    TDedicatedSession* s = GlobalSession();
    const QString path = s->GetQueryValueAsString(
        QStringLiteral("select PMMD5_SCIEZKA from PmMD5 where PMMD5_INDEX=:p1"), {registerIndex});
    LogEvent(QStringLiteral("Usunięcie pozycji listy importów płatności masowych ID=%1 %2")
                 .arg(registerIndex)
                 .arg(path));
    s->ExecQuery(QStringLiteral("delete from PmMD5 where PMMD5_INDEX=:p1"), {registerIndex});
}
