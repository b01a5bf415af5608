#include "billing/Salda.h"

#include "core/ActivityLog.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"

namespace {

// One UPDATE whose assignments run left to right, each later one seeing what
// the earlier ones wrote. Payouts (negative amounts) count once, through
// their own term: whatever their open amount says, they stay out of the
// open-payments term.
const QString kSaldoStatement = QStringLiteral(
    "update Userdb set "
    "U_SALDO=coalesce((select sum(O_KWOTADOROZLICZENIA) from Oplaty where O_INDEXUSER = U_INDEX and "
    "O_KWOTADOROZLICZENIA<>0 and O_KWOTA>=0),0) "
    "-coalesce((select sum(FV_KWOTADOROZLICZENIA) from Fv where FV_INDEXUSER = U_INDEX and "
    "FV_KWOTADOROZLICZENIA<>0),0) "
    "-coalesce((select sum(FVK_KWOTADOROZLICZENIA) from Fvk where FVK_INDEXUSER = U_INDEX and "
    "FVK_KWOTADOROZLICZENIA<>0),0) "
    "-coalesce((select sum(O_KWOTA)*(-1) from Oplaty where O_INDEXUSER = U_INDEX and O_KWOTA<0),0) "
    "-coalesce((select sum(PZ_KWOTADOROZLICZENIA) from Pz where PZ_INDEXUSER = U_INDEX and "
    "PZ_KWOTADOROZLICZENIA<>0),0), "
    "U_MAXZALEGLOSCFV=(select if((select count(*) from Fv where FV_INDEXUSER=U_INDEX and "
    "FV_KWOTADOROZLICZENIA > 0)<>0, "
    "datediff(CURDATE(),(select min(FV_DATAPLATNOSCI) from Fv where FV_INDEXUSER=U_INDEX and "
    "FV_KWOTADOROZLICZENIA > 0)), "
    "-9999)), "
    "U_MAXZALEGLOSCFVK=(select if((select count(*) from Fvk where FVK_INDEXUSER=U_INDEX and "
    "FVK_KWOTADOROZLICZENIA > 0)<>0, "
    "datediff(CURDATE(),(select min(FVK_DATAPLATNOSCI) from Fvk where FVK_INDEXUSER=U_INDEX and "
    "FVK_KWOTADOROZLICZENIA > "
    "0)), -9999)), "
    "U_MAXZALEGLOSCPZ=(select if((select count(*) from Pz where PZ_INDEXUSER=U_INDEX and "
    "PZ_KWOTADOROZLICZENIA > 0)<>0, "
    "datediff(CURDATE(),(select min(PZ_DATAPLATNOSCI) from Pz where PZ_INDEXUSER=U_INDEX and "
    "PZ_KWOTADOROZLICZENIA > 0)), "
    "-9999)), "
    "U_MAXZALEGLOSC=greatest(U_MAXZALEGLOSCPZ, U_MAXZALEGLOSCFV, U_MAXZALEGLOSCFVK), "
    "U_MAXZALEGLOSC=(select if(U_MAXZALEGLOSC=-9999, NULL, U_MAXZALEGLOSC)), "
    "U_BLOKUJ=(select if(U_DATAWYKLUCZENIAZBLOKAD<CURDATE(), (select "
    "if((U_MAXZALEGLOSC-U_OPOZNIENIEBLOKADY)>=:p1, 1, "
    "0)), 0)), "
    "U_POWIADAMIAJ=(select if(U_DATAWYKLUCZENIAZBLOKAD<CURDATE(), "
    "(select if((U_MAXZALEGLOSC-U_OPOZNIENIEBLOKADY+U_WYPRZEDZENIEPOWIADOMIEN+:p2)>=:p3, 1, 0)), 0)), "
    "U_SALDOZALEGLE=coalesce((select sum(FV_KWOTADOROZLICZENIA) from Fv where FV_INDEXUSER=U_INDEX and "
    "FV_KWOTADOROZLICZENIA<>0 and FV_DATAPLATNOSCI<CURDATE()),0) "
    "+coalesce((select sum(FVK_KWOTADOROZLICZENIA) from Fvk where FVK_INDEXUSER=U_INDEX and "
    "FVK_KWOTADOROZLICZENIA<>0 "
    "and FVK_DATAPLATNOSCI<CURDATE()),0) "
    "+coalesce((select sum(PZ_KWOTADOROZLICZENIA) from Pz where PZ_INDEXUSER=U_INDEX and "
    "PZ_KWOTADOROZLICZENIA<>0 and "
    "PZ_DATAPLATNOSCI<CURDATE()),0), "
    "U_DATAWYKLUCZENIAZBLOKAD=if(U_DATAWYKLUCZENIAZBLOKAD<>0 , if(U_DATAWYKLUCZENIAZBLOKAD>=CURDATE(), "
    "U_DATAWYKLUCZENIAZBLOKAD, :p4), :p5), "
    "U_DATAKONCAUMOWY=coalesce((select UM_DATAKONIEC from Umowy where UM_CZYANEKS<2 and UM_INDEXUSER=U_INDEX "
    "and "
    "UM_CZYNIEAKTYWNA<>1 and UM_DATAZAWARCIA=(select max(UM_DATAZAWARCIA) from Umowy where UM_CZYANEKS<2 and "
    "UM_INDEXUSER=U_INDEX and UM_NUMER<>0) order by UM_INDEX DESC LIMIT 1), :p6), "
    "U_KWOTAABONAMENTU=coalesce((select sum(UFV_WARTOSCBRUTTO) from UserFvPozycje where UFV_CZYJEDNORAZOWA "
    "<> 1 and "
    "UFV_INDEXUSER = U_INDEX and (UFV_DATASTART <= CURDATE() or UFV_DATASTART=:p7) and (UFV_DATAEND >= "
    "CURDATE() or "
    "UFV_DATAEND=:p8) and (UFV_CZYAKTYWNA <> 0 or UFV_CZYAKTYWNA is null)), 0), "
    "U_KOSZT=coalesce((select sum(UFV_KOSZTBRUTTO) from UserFvPozycje where UFV_CZYJEDNORAZOWA <> 1 and "
    "UFV_INDEXUSER = U_INDEX and (UFV_DATASTART <= CURDATE() or UFV_DATASTART=:p9) and (UFV_DATAEND >= "
    "CURDATE() or "
    "UFV_DATAEND=:p10) and (UFV_CZYAKTYWNA <> 0 or UFV_CZYAKTYWNA is null)), 0), "
    "U_SALDOZALEGLEWSP=coalesce((U_SALDOZALEGLE/U_KWOTAABONAMENTU),0)");

// The same values for every subscriber at once: each table is read once,
// grouped by subscriber (documents only where something is open), into a
// connection-temporary table; one UPDATE then copies them. Its assignments do
// not depend on each other, as a joined UPDATE needs. Due dates are taken as
// day numbers, the empty date as day 0, which is how datediff counts it in
// the statement for one subscriber. The subscriber indexes are kept out of
// the grouped reads: walking a whole table by subscriber costs a row lookup
// per row, where the open-amount index or one scan is far cheaper.
const QString kSaldoTempCreate = QStringLiteral(
    "CREATE TEMPORARY TABLE SaldoTemp (PRIMARY KEY (S_INDEX)) ENGINE=MEMORY AS SELECT U_INDEX AS S_INDEX, "
    "coalesce(op.otwarte,0) - coalesce(fv.otwarte,0) - coalesce(fk.otwarte,0) + coalesce(wy.wyplaty,0) - "
    "coalesce(pz.otwarte,0) AS S_SALDO, "
    "if(coalesce(fv.ile,0)>0, to_days(CURDATE()) - fv.termin, -9999) AS S_FV, "
    "if(coalesce(fk.ile,0)>0, to_days(CURDATE()) - fk.termin, -9999) AS S_FVK, "
    "if(coalesce(pz.ile,0)>0, to_days(CURDATE()) - pz.termin, -9999) AS S_PZ, "
    "coalesce(fv.zalegle,0) + coalesce(fk.zalegle,0) + coalesce(pz.zalegle,0) AS S_ZALEGLE, "
    "coalesce(ab.abonament,0) AS S_ABONAMENT, coalesce(ab.koszt,0) AS S_KOSZT, "
    "coalesce(ue.UM_DATAKONIEC, :p1) AS S_KONIECUMOWY "
    "FROM Userdb "
    "LEFT JOIN (select O_INDEXUSER as k, sum(O_KWOTADOROZLICZENIA) as otwarte from Oplaty ignore index "
    "(O_INDEXUSER) where "
    "O_KWOTADOROZLICZENIA<>0 and O_KWOTA>=0 group by O_INDEXUSER) op on op.k=U_INDEX "
    "LEFT JOIN (select O_INDEXUSER as k, sum(O_KWOTA) as wyplaty from Oplaty ignore index (O_INDEXUSER) "
    "where "
    "O_KWOTA<0 group by O_INDEXUSER) wy on wy.k=U_INDEX "
    "LEFT JOIN (select FV_INDEXUSER as k, sum(FV_KWOTADOROZLICZENIA) as otwarte, "
    "sum(FV_KWOTADOROZLICZENIA>0) as ile, "
    "min(if(FV_KWOTADOROZLICZENIA>0, if(FV_DATAPLATNOSCI=0, 0, to_days(FV_DATAPLATNOSCI)), NULL)) as termin, "
    "sum(if(FV_DATAPLATNOSCI<CURDATE(), "
    "FV_KWOTADOROZLICZENIA, 0)) as zalegle from Fv ignore index (FV_INDEXUSER) where "
    "FV_KWOTADOROZLICZENIA<>0 group by FV_INDEXUSER) fv "
    "on "
    "fv.k=U_INDEX "
    "LEFT JOIN (select FVK_INDEXUSER as k, sum(FVK_KWOTADOROZLICZENIA) as otwarte, "
    "sum(FVK_KWOTADOROZLICZENIA>0) as "
    "ile, min(if(FVK_KWOTADOROZLICZENIA>0, if(FVK_DATAPLATNOSCI=0, 0, to_days(FVK_DATAPLATNOSCI)), NULL)) as "
    "termin, sum(if(FVK_DATAPLATNOSCI<CURDATE(), "
    "FVK_KWOTADOROZLICZENIA, 0)) as zalegle from Fvk ignore index (FVK_INDEXUSER) where "
    "FVK_KWOTADOROZLICZENIA<>0 group by FVK_INDEXUSER) "
    "fk on "
    "fk.k=U_INDEX "
    "LEFT JOIN (select PZ_INDEXUSER as k, sum(PZ_KWOTADOROZLICZENIA) as otwarte, "
    "sum(PZ_KWOTADOROZLICZENIA>0) as ile, "
    "min(if(PZ_KWOTADOROZLICZENIA>0, if(PZ_DATAPLATNOSCI=0, 0, to_days(PZ_DATAPLATNOSCI)), NULL)) as termin, "
    "sum(if(PZ_DATAPLATNOSCI<CURDATE(), "
    "PZ_KWOTADOROZLICZENIA, 0)) as zalegle from Pz ignore index (PZ_INDEXUSER) where "
    "PZ_KWOTADOROZLICZENIA<>0 group by PZ_INDEXUSER) pz "
    "on "
    "pz.k=U_INDEX "
    "LEFT JOIN (select UFV_INDEXUSER as k, sum(UFV_WARTOSCBRUTTO) as abonament, sum(UFV_KOSZTBRUTTO) as "
    "koszt from "
    "UserFvPozycje where UFV_CZYJEDNORAZOWA <> 1 and (UFV_DATASTART <= CURDATE() or UFV_DATASTART=:p2) and "
    "(UFV_DATAEND >= CURDATE() or UFV_DATAEND=:p3) and (UFV_CZYAKTYWNA <> 0 or UFV_CZYAKTYWNA is null) group "
    "by "
    "UFV_INDEXUSER) ab on ab.k=U_INDEX "
    // The contract: of those concluded last, the newest row.
    "LEFT JOIN (select u.UM_INDEXUSER as k, max(u.UM_INDEX) as ostatnia from Umowy u join (select "
    "UM_INDEXUSER as k, "
    "max(UM_DATAZAWARCIA) as d from Umowy where UM_CZYANEKS<2 and UM_NUMER<>0 group by UM_INDEXUSER) mx on "
    "mx.k=u.UM_INDEXUSER and u.UM_DATAZAWARCIA=mx.d where u.UM_CZYANEKS<2 and u.UM_CZYNIEAKTYWNA<>1 group by "
    "u.UM_INDEXUSER) um on um.k=U_INDEX LEFT JOIN Umowy ue on ue.UM_INDEX=um.ostatnia");

const QString kSaldoTempUpdate = QStringLiteral(
    "update Userdb join SaldoTemp on S_INDEX=U_INDEX set U_SALDO=S_SALDO, U_MAXZALEGLOSCFV=S_FV, "
    "U_MAXZALEGLOSCFVK=S_FVK, U_MAXZALEGLOSCPZ=S_PZ, U_MAXZALEGLOSC=nullif(greatest(S_PZ, S_FV, S_FVK), "
    "-9999), "
    "U_BLOKUJ=if(U_DATAWYKLUCZENIAZBLOKAD<CURDATE(), if((nullif(greatest(S_PZ, S_FV, S_FVK), "
    "-9999)-U_OPOZNIENIEBLOKADY)>=:p1, 1, 0), 0), "
    "U_POWIADAMIAJ=if(U_DATAWYKLUCZENIAZBLOKAD<CURDATE(), if((nullif(greatest(S_PZ, S_FV, S_FVK), "
    "-9999)-U_OPOZNIENIEBLOKADY+U_WYPRZEDZENIEPOWIADOMIEN+:p2)>=:p3, 1, 0), 0), "
    "U_SALDOZALEGLE=S_ZALEGLE, "
    "U_DATAWYKLUCZENIAZBLOKAD=if(U_DATAWYKLUCZENIAZBLOKAD<>0 , if(U_DATAWYKLUCZENIAZBLOKAD>=CURDATE(), "
    "U_DATAWYKLUCZENIAZBLOKAD, :p4), :p5), "
    "U_DATAKONCAUMOWY=S_KONIECUMOWY, U_KWOTAABONAMENTU=S_ABONAMENT, U_KOSZT=S_KOSZT, "
    "U_SALDOZALEGLEWSP=coalesce(S_ZALEGLE/S_ABONAMENT, 0)");

const QString kGroupNames = QStringLiteral(
    "(select left(coalesce(group_concat(GR_NAZWA separator ', '), ''), 255) from Grupy  where "
    "GR_INDEX=U_GRUPA1 or "
    "GR_INDEX=U_GRUPA2 or GR_INDEX=U_GRUPA3 or GR_INDEX=U_GRUPA4 or GR_INDEX=U_GRUPA5 or GR_INDEX=U_GRUPA6 "
    "or "
    "GR_INDEX=U_GRUPA7 or GR_INDEX=U_GRUPA8 or GR_INDEX=U_GRUPA9 or GR_INDEX=U_GRUPA10 order by GR_NAZWA)");

} // namespace

TSaldoSettings ReadSaldoSettings()
{
    TSaldoSettings s;
    s.blokady = ReadIniInteger(0, QStringLiteral("Blokady"), 14);
    s.powiadomienia = ReadIniInteger(0, QStringLiteral("Powiadomienia"), 7);
    return s;
}

void RunSaldoStatement(TDedicatedSession* session, int userIndex, const TSaldoSettings& st)
{
    const QString zero = QStringLiteral("0000-00-00");
    if (userIndex <= 0) {
        // Whether the exemption date is cleared before or after the flags
        // read it makes no difference: a cleared date is past as well.
        session->ExecQuery(QStringLiteral("DROP TEMPORARY TABLE IF EXISTS SaldoTemp"));
        session->ExecQuery(kSaldoTempCreate, {zero, zero, zero});
        session->ExecQuery(kSaldoTempUpdate, {st.blokady, st.powiadomienia, st.blokady, zero, zero});
        session->ExecQuery(QStringLiteral("DROP TEMPORARY TABLE IF EXISTS SaldoTemp"));
        return;
    }
    TArgs args{st.blokady, st.powiadomienia, st.blokady, zero, zero, zero, zero, zero, zero, zero};
    QString sql = kSaldoStatement;
    if (userIndex > 0) {
        sql += QStringLiteral(" where U_INDEX=:p11");
        args.push_back(userIndex);
    }
    session->ExecQuery(sql, args);
}

void RunUserCacheStatements(TDedicatedSession* session, int userIndex, bool allowTruncate)
{
    if (userIndex > 0) {
        session->ExecQuery(
            QStringLiteral(
                "UPDATE UserdbAdd left join Userdb on U_INDEX=UADD_INDEXUSER SET vU_DataOstatniejWplaty = "
                "(select convert(coalesce(max(O_DATAWPLATY), ''), char(10)) from Oplaty where "
                "O_INDEXUSER=UADD_INDEXUSER), U_GrNazwaAll = ") +
                kGroupNames + QStringLiteral(" where UADD_INDEXUSER=:p1 "),
            {userIndex});
        session->ExecQuery(
            QStringLiteral("update UserdbAdd set vU_KwotaOstatniejWplaty = coalesce((select O_KWOTA from "
                           "Oplaty where O_INDEXUSER=:p1 and O_DATAWPLATY=vU_DataOstatniejWplaty order by "
                           "O_DATADODANIA desc limit 1), 0) where UADD_INDEXUSER=:p2"),
            {userIndex, userIndex});
        return;
    }
    if (allowTruncate && !session->InTransaction())
        session->ExecQuery(QStringLiteral("TRUNCATE TABLE UserdbAdd "));
    else
        session->ExecQuery(QStringLiteral("DELETE FROM UserdbAdd where 1=1 "));
    session->ExecQuery(
        QStringLiteral("INSERT INTO UserdbAdd (UADD_INDEXUSER, vU_DataOstatniejWplaty, U_GrNazwaAll) "
                       "SELECT Userdb.U_INDEX, (select convert(coalesce(max(O_DATAWPLATY), ''), char(10)) "
                       "from Oplaty where O_INDEXUSER=U_INDEX), ") +
        kGroupNames + QStringLiteral("  from Userdb "));
    session->ExecQuery(
        QStringLiteral("update UserdbAdd set vU_KwotaOstatniejWplaty = coalesce((select O_KWOTA from "
                       "Oplaty where O_INDEXUSER=UADD_INDEXUSER and O_DATAWPLATY=vU_DataOstatniejWplaty "
                       "order by O_DATADODANIA desc limit 1), 0)"));
}

void RecalcUserSaldo(int userIndex)
{
    RunSaldoStatement(GlobalSession(), userIndex, ReadSaldoSettings());
}

void RecalcUserSaldoAndCache(int userIndex)
{
    RecalcUserSaldo(userIndex);
    RunUserCacheStatements(GlobalSession(), userIndex, true);
}

void RecalcSaldoBazy()
{
    StartStopwatch();
    RecalcUserSaldoAndCache(0);
    GlobalSession()->ExecQueryNoParamCheck(QStringLiteral(
        "update Podmioty set P_KWOTAKONTRAKTOW=(select sum(U_KWOTAABONAMENTU) from Userdb where "
        "U_PODMIOT=P_INDEX)"));
    LogElapsedTime(QStringLiteral("Saldo bazy"));
}
