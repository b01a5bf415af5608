#include "billing/DuplikatyKont.h"

#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"

QStringList DuplicateUserAccountLines()
{
    TDedicatedSession* s = GlobalSession();
    const QString own = ReadIniString(0, QStringLiteral("U_NrKonta"), QString());
    const TArgs args{QStringLiteral("   - "), QStringLiteral(" szt."), own, QString()};
    QStringList lines = s->GetQueryValuesAsList(
        QStringLiteral(
            "select concat(U_NRRACHUNKU1, :p0, count(U_NRRACHUNKU1), :p1) from Userdb where U_NRRACHUNKU1 "
            "<> :p2 and U_NRRACHUNKU1 <> :p3 group by U_NRRACHUNKU1 having count(U_NRRACHUNKU1) > 1"),
        args, true, false);
    lines += s->GetQueryValuesAsList(
        QStringLiteral(
            "select concat(U_NRRACHUNKU2, :p0, count(U_NRRACHUNKU2), :p1) from Userdb where U_NRRACHUNKU2 "
            "<> :p2 and U_NRRACHUNKU2 <> :p3 group by U_NRRACHUNKU2 having count(U_NRRACHUNKU2) > 1"),
        args, true, false);
    return lines;
}

bool CheckDuplicateUserAccounts()
{
    const QStringList lines = DuplicateUserAccountLines();
    if (lines.isEmpty()) return false;
    QString text =
        QStringLiteral("Znaleziono u klientów zdublowane numery kont bankowych, co może prowadzić do "
                       "nieprawidłowego zaksięgowania wpłat na te konta.\r\nProszę skorygować wpisy dla "
                       "niżej pokazanych numerów kont:\r\n\r\n");
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    text += QStringLiteral("\r\nCzy mimo to chcesz kontynuować import?");
    return TMD::MessageDlg(text, mtWarning, mbYes | mbNo) != mrYes;
}
