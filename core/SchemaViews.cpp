// The read models every list, printout and export reads, re-created at the end
// of every schema upgrade.
#include "core/SchemaSteps.h"
#include "core/SchemaUpgrade.h"
#include "core/StartupProgress.h"

namespace {

// Address texts of one address family (columns <p>ULICA, <p>NRDOMU, ...).
struct TAddr
{
    QString p;          // column prefix, e.g. "U_ADR_"
    QString mainStreet; // street of the row's main address (for line A')

    QString c(const char* name) const { return p + QLatin1String(name); }
    QString noStreet() const { return QStringLiteral("(%1='' or %1=%2)").arg(c("ULICA"), c("MIEJSCOWOSC")); }
    // S: the street, or the town when there is none.
    QString s() const { return QStringLiteral("if(%1<>'', %1, %2)").arg(c("ULICA"), c("MIEJSCOWOSC")); }
    QString nr() const
    {
        return QStringLiteral("if(%1='', concat(' ', %2), concat(' ', %2, '/', %1))")
            .arg(c("NRLOKALU"), c("NRDOMU"));
    }
    QString ulicaNrWith(const QString& street) const
    {
        return QStringLiteral("if(%1='', concat_ws(' ', %2, %3), concat(%2, ' ', %3, '/', %1))")
            .arg(c("NRLOKALU"), street, c("NRDOMU"));
    }
    QString ulicaNr() const { return ulicaNrWith(s()); }
    QString ulicaPelny() const
    {
        return QStringLiteral("if(%1=%2, left(%3, 122), concat(left(%1, 122), if(%4, '', concat(', ', %5))))")
            .arg(c("MIEJSCOWOSC"), c("POCZTA"), s(), noStreet(), c("ULICA"));
    }
    QString ulicaNrPelny() const
    {
        const QString sPrim = QStringLiteral("if(%1, '', %2)").arg(noStreet(), c("ULICA"));
        return QStringLiteral("if(%1=%2, left(%3, 122), concat(left(%1, 122), if(%4, '', ', '), %5))")
            .arg(c("MIEJSCOWOSC"), c("POCZTA"), ulicaNr(), noStreet(), ulicaNrWith(sPrim));
    }
    // Line A of the main address.
    QString lineA() const
    {
        return QStringLiteral("if(%1=%2, concat(%3, %4), concat(%1, if(%5, '', concat(', ', %6)), %4))")
            .arg(c("MIEJSCOWOSC"), c("POCZTA"), s(), nr(), noStreet(), c("ULICA"));
    }
    // Line A' of the location and correspondence addresses.
    QString lineA2() const
    {
        return QStringLiteral(
                   "if(%1=%2, concat(%3, %4), concat(%1, if(%5='' or %1=%6, ', ', concat(', ', %5)), %4))")
            .arg(c("MIEJSCOWOSC"), c("POCZTA"), s(), nr(), c("ULICA"), mainStreet);
    }
    QString postLine() const
    {
        return QStringLiteral("concat(%1, ' ', upper(%2))").arg(c("KOD"), c("POCZTA"));
    }
    QString google() const
    {
        return QStringLiteral("concat_ws(' ', %1, %2, %3, if(%4<>'', concat(%5, '/', %4), %5))")
            .arg(c("KOD"), c("MIEJSCOWOSC"), c("ULICA"), c("NRLOKALU"), c("NRDOMU"));
    }
};

const char* const kCrLf = "'\\r\\n'";
// A cast to char takes the character set's default collation; the schema's is Polish.

QString overdue(const QString& open, const QString& due)
{
    return QStringLiteral("if(%1<>0, datediff(CURDATE(), %2)/1, null)").arg(open, due);
}

QString pdfName(const char* prefix, const QString& number)
{
    return QStringLiteral("concat('%1', replace(%2, '/', '_'), '.pdf')").arg(QLatin1String(prefix), number);
}

// Correspondence recipient of a document, one line (separator a blank) or two.
QString documentKor(const QString& p, const QString& sep)
{
    const TAddr kor{p + QStringLiteral("KOR_"), p + QStringLiteral("ADR_ULICA")};
    return QStringLiteral("if(%1CZYADRESDOKORESP=1, left(concat(%1KOR_NAZWA, %2, %3), 255), '')")
        .arg(p, sep, kor.lineA2());
}

QString documentListColumns(const QString& p)
{
    return QStringLiteral("concat_ws(' ', %1NAZWISKO, %1IMIE) as %1User, %2 as %1PoTerminie")
               .arg(p,
                    overdue(p + QStringLiteral("KWOTADOROZLICZENIA"), p + QStringLiteral("DATAPLATNOSCI"))) +
           QStringLiteral(", %1 as v%2KOR_Adres2, %3 as v%2KOR_Adres")
               .arg(documentKor(p, QStringLiteral("' '")), p, documentKor(p, QLatin1String(kCrLf))) +
           QStringLiteral(", year(%1DATAWYSTAWIENIA)/1 as %1Year, month(%1DATAWYSTAWIENIA)/1 as %1Month")
               .arg(p);
}

QString vFvLista(const QString& table, const QString& p, const char* pdf, const QString& ksefTable)
{
    return QStringLiteral(
               "CREATE OR REPLACE VIEW v%1Lista AS select %1.*, %2DATAWYSTAWIENIA as %2DATASPRZEDAZY, "
               "concat_ws(' ', %2NAZWISKO, %2IMIE) as %2User, %3 as %2PoTerminie, U_EMAIL, ")
               .arg(table, p,
                    overdue(p + QStringLiteral("KWOTADOROZLICZENIA"), p + QStringLiteral("DATAPLATNOSCI"))) +
           QStringLiteral("%1 as v%2KOR_Adres2, %3 as v%2KOR_Adres, ")
               .arg(documentKor(p, QStringLiteral("' '")), p, documentKor(p, QLatin1String(kCrLf))) +
           QStringLiteral(
               "year(%1DATAWYSTAWIENIA)/1 as %1Year, month(%1DATAWYSTAWIENIA)/1 as %1Month, %2 as "
               "%1NumerPdf, U_ADR_POCZTA, U_CZYKORESPSERYJNA, U_INDEX, U_NRKLIENTA, U_TEL1, U_PESEL, U_NIP, "
               "U_PODMIOT, U_NRRACHUNKU1, %3.* from %4 left join Userdb on U_INDEX=%1INDEXUSER left join "
               "%3 on %1KSEF_IDFAKTURY=%1INDEX")
               .arg(p, pdfName(pdf, p + QStringLiteral("NUMERTXT")), ksefTable, table);
}

// One branch of the document unions; the column names come from the first branch.
QString documentBranch(const char* typParam, const QString& p, const QString& table,
                       const QString& overdueExpr, bool withForm, const QString& where)
{
    QString sql =
        QStringLiteral("select %1 as FV_Typ, %2INDEXUSER as FV_INDEXUSER, %2DATAWYSTAWIENIA as "
                       "FV_DATAWYSTAWIENIA, %2DATAPLATNOSCI as FV_DATAPLATNOSCI, %2NUMERTXT as FV_NUMERTXT, "
                       "%2KWOTADOROZLICZENIA as FV_KWOTADOROZLICZENIA, %2SUMABRUTTO as FV_SUMABRUTTO, %3 as "
                       "FV_PoTerminie, %2KWOTAWPLACONA as FV_KWOTAWPLACONA")
            .arg(QLatin1String(typParam), p, overdueExpr);
    if (withForm) sql += QStringLiteral(", %1FORMAPLATNOSCI as FV_FORMAPLATNOSCI").arg(p);
    sql += QStringLiteral(" from %1").arg(table);
    if (!where.isEmpty()) sql += QStringLiteral(" where ") + where;
    return sql;
}

} // namespace

QString UserActiveSql()
{
    return QStringLiteral("if((U_DATAAKTYWACJI<>'0000-00-00' and U_DATAAKTYWACJI>CURDATE()) or "
                          "U_DATAAKTYWACJI='0000-00-00' or (U_DATADEAKTYWACJI<>'0000-00-00' and "
                          "U_DATADEAKTYWACJI<=CURDATE()), '0', '1')");
}

namespace {

QString vUserdb()
{
    const TAddr adr{QStringLiteral("U_ADR_"), QStringLiteral("U_ADR_ULICA")};
    const TAddr lok{QStringLiteral("U_LOK_"), QStringLiteral("U_ADR_ULICA")};
    const TAddr kor{QStringLiteral("U_KOR_"), QStringLiteral("U_ADR_ULICA")};
    const QString crlf = QLatin1String(kCrLf);
    QString sql = QStringLiteral(
        "CREATE OR REPLACE VIEW vUserdb AS select Userdb.*, concat_ws(' ', U_NAZWISKO, U_IMIE) "
        "as vU_NazwiskoImie");
    for (const auto& [a, name] : {std::pair{&adr, "ADR"}, std::pair{&lok, "LOK"}, std::pair{&kor, "KOR"}}) {
        sql += QStringLiteral(", %1 as vU_%4_UlicaNr, %2 as vU_%4_UlicaPelny, %3 as vU_%4_UlicaNrPelny")
                   .arg(a->ulicaNr(), a->ulicaPelny(), a->ulicaNrPelny(), QLatin1String(name));
    }
    sql +=
        QStringLiteral(", left(concat(%1, '  ', %2), 210) as vU_ADR_Adres").arg(adr.lineA(), adr.postLine());
    sql += QStringLiteral(", left(concat(U_NAZWISKO, ' ', U_IMIE, %1, %2, %1, %3), 210) as vU_ADR_Adres2")
               .arg(crlf, adr.lineA(), adr.postLine());
    sql += QStringLiteral(
               ", if(U_CZYINNALOKALIZACJA=1, left(concat(U_LOK_NAZWA, ' ', %1, '  ', %2), 255), '') as "
               "vU_LOK_Adres")
               .arg(lok.lineA2(), lok.postLine());
    sql +=
        QStringLiteral(", if(U_CZYINNALOKALIZACJA=1, left(concat(U_LOK_NAZWA, %3, %1, %3, %2), 255), '') as "
                       "vU_LOK_Adres2")
            .arg(lok.lineA2(), lok.postLine(), crlf);
    sql +=
        QStringLiteral(", if(U_CZYADRESDOKORESP=1, left(concat(U_KOR_NAZWA, ' ', %1, '  ', %2), 255), '') as "
                       "vU_KOR_Adres2")
            .arg(kor.lineA2(), kor.postLine());
    sql += QStringLiteral(", if(U_CZYADRESDOKORESP=1, left(concat(U_KOR_NAZWA, %3, %1, %3, %2), 255), '') as "
                          "vU_KOR_Adres")
               .arg(kor.lineA2(), kor.postLine(), crlf);
    sql += QStringLiteral(
        ", concat(if(U_PASMODOWNLOADDZIENTXT='', '-', U_PASMODOWNLOADDZIENTXT), '/', "
        "if(U_PASMOUPLOADDZIENTXT='', '-', "
        "U_PASMOUPLOADDZIENTXT), ' (', if(U_PASMODOWNLOADNOCTXT='', '-', U_PASMODOWNLOADNOCTXT), '/', "
        "if(U_PASMOUPLOADNOCTXT='', '-', U_PASMOUPLOADNOCTXT), ')') as vU_DownUpAll");
    sql += QStringLiteral(", if(U_AUTOMATYCZNEFAKTURY=0, '', if(U_AUTOMATYCZNEFAKTURY=1, 'FV', "
                          "if(U_AUTOMATYCZNEFAKTURY=2, 'PZ', 'PM'))) as vU_AutomatyczneFaktury");
    sql += QStringLiteral(
        ", if(U_EMAIL<>'', 'T', '') as vU_JestEmail, if(U_CZYKORESPSERYJNA=1, 'T', '') as "
        "vU_KorespondencjaSeryjna, if(U_POWIADAMIAJ=1 and U_BLOKUJ=0, 'T', '') as vU_Powiadamiaj, "
        "if(U_BLOKUJ=1, 'T', '') as vU_Blokuj");
    sql += QStringLiteral(", %1 as vU_LOK_Google, %2 as vU_KOR_Google").arg(lok.google(), kor.google());
    // A cast to char takes the character set's default collation: the casts name the schema's own.
    const QString siis = QStringLiteral("replace(lower(concat_ws('_', left(U_TER_JST, 7), U_TER_SYM, "
                                        "left(U_TER_SYM_UL, 5), if(U_CZYINNALOKALIZACJA=1, U_LOK_NRDOMU, "
                                        "U_ADR_NRDOMU))), '-', '_')");
    sql += QStringLiteral(
               ", %1 as U_SIIS_ID, cast(concat('id_', %1) as char(100)) collate utf8_polish_ci as U_SIIS_ID2")
               .arg(siis);
    sql += QStringLiteral(", %1 as vU_Aktywny").arg(UserActiveSql());
    sql += QStringLiteral(", cast(concat('(', P_SKROT, ') ', P_NAZWA1, ' ', P_NAZWA2) as char(150)) collate "
                          "utf8_polish_ci as vU_Podmiot, "
                          "cast(P_SKROT as char(10)) collate utf8_polish_ci as vU_PodmiotSkrot");
    sql += QStringLiteral(
        ", if(U_GEOLOK_SZEROKOSC<>0 and U_GEOLOK_DLUGOSC<>0, 'OK', '-') as vU_WspolrzedneGeoStan");
    sql += QStringLiteral(", vU_DataOstatniejWplaty, UADD_TAURONBSA, U_GrNazwaAll, vU_KwotaOstatniejWplaty");
    sql += QStringLiteral(", if(vU_KwotaOstatniejWplaty>0, concat(vU_DataOstatniejWplaty, ' (', "
                          "vU_KwotaOstatniejWplaty, ')'), '') as vU_DataOstatniejWplaty2");
    sql += QStringLiteral(
        ", left(concat(left(concat(U_NAZWISKO, U_IMIE), 25-length(U_NRKLIENTA)), '_', U_NRKLIENTA), "
        "255) as vU_NazwaSkroconaID");
    sql += QStringLiteral(" from Userdb left join Podmioty on P_INDEX=U_PODMIOT left join UserdbAdd on "
                          "UADD_INDEXUSER=U_INDEX");
    return sql;
}

QString paDodaneView(const QString& view, const QString& table)
{
    return QStringLiteral("CREATE OR REPLACE VIEW %1 AS select PA_INDEX, PA_IDZASIEGU, cast('0' as "
                          "char(100)) collate utf8_polish_ci as PA_MIEJSCOWOSC, "
                          "cast('0' as char(100)) collate utf8_polish_ci as PA_UWAGI, cast('0' as char(100)) "
                          "collate utf8_polish_ci as PA_GMINA, cast(if(PA_ULIC=99999, "
                          "'brak', '0') as char(100)) collate utf8_polish_ci as PA_ULICA, PA_NR_PORZADKOWY, "
                          "PA_MEDIUM, PA_TECHNOLOGIA, PA_ULIC, PA_SIMC, "
                          "concat(PA_DOWNLINK, '/', PA_UPLINK, 'Mb/s') as PA_PASMO, if(PA_RODZAJZASIEGU=0, "
                          "'\"rzeczywisty\"', "
                          "'\"teoretyczny\"') as PA_RODZAJZASIEGU from %2")
        .arg(view, table);
}

QString infraJoins()
{
    return QStringLiteral(
        " left join Infrastruktura on INF_INDEX=M_INDEXMIEJSCEPODLACZENIA left join TypLacza on "
        "TL_INDEX=M_INDEXTYPLACZA left join TypUrzadzenia on TU_INDEX=M_INDEXTYPURZADZENIA left join "
        "RodzajUrzadzenia on RU_INDEX=M_INDEXRODZAJ");
}

} // namespace

void DropViews()
{
    // Only real views: a table whose name happens to begin with "v" stays.
    const QStringList views = GlobalSession()->GetQueryValuesAsList(
        QStringLiteral(
            "select TABLE_NAME from information_schema.VIEWS where TABLE_SCHEMA=DATABASE() and TABLE_NAME "
            "like :p1"),
        {QStringLiteral("v%")});
    if (views.isEmpty()) return;
    QStringList quoted;
    for (const QString& v : views)
        quoted << QLatin1Char('`') + v + QLatin1Char('`');
    SchemaExec(QStringLiteral("DROP VIEW IF EXISTS ") + quoted.join(QLatin1Char(',')));
}

void RebuildViews(TStartupProgress* splash)
{
    if (splash) splash->StepProgress(QStringLiteral("Dodawanie widoków"));
    SchemaExec(
        QStringLiteral("CREATE OR REPLACE VIEW vUmowyLista AS select Umowy.*, concat_ws(' ', U_NAZWISKO, "
                       "U_IMIE) as UM_User, U_EMAIL, U_INDEX, U_CZYKORESPSERYJNA, if(UM_CZYANEKS=0, :p1, "
                       "if(UM_CZYANEKS=1, :p2, if(UM_CZYANEKS=2, :p3, :p4))) as UM_CzyAneksTyp, "
                       "year(UM_DATAZAWARCIA)/1 as UM_Year, month(UM_DATAZAWARCIA)/1 as UM_Month from Umowy "
                       "left join Userdb on U_INDEX=UM_INDEXUSER"),
        {QStringLiteral("UM"), QStringLiteral("AN"), QStringLiteral("PZO"), QStringLiteral("INF")});
    SchemaExec(vFvLista(QStringLiteral("Fv"), QStringLiteral("FV_"), "F_", QStringLiteral("FvKsef")));
    SchemaExec(vFvLista(QStringLiteral("Fvk"), QStringLiteral("FVK_"), "K_", QStringLiteral("FvkKsef")));
    SchemaExec(QStringLiteral(
                   "CREATE OR REPLACE VIEW vPzLista AS select Pz.*, PZ_DATAWYSTAWIENIA as PZ_DATASPRZEDAZY, "
                   "concat_ws(' ', PZ_NAZWISKO, PZ_IMIE) as PZ_User, %1 as PZ_PoTerminie, U_EMAIL, "
                   "year(PZ_DATAWYSTAWIENIA)/1 as PZ_Year, month(PZ_DATAWYSTAWIENIA)/1 as PZ_Month, %2 as "
                   "PZ_NumerPdf, U_ADR_POCZTA, U_CZYKORESPSERYJNA, U_INDEX, U_NRKLIENTA, U_TEL1, U_PESEL, "
                   "U_NIP, U_PODMIOT from Pz left join Userdb on U_INDEX=PZ_INDEXUSER")
                   .arg(overdue(QStringLiteral("PZ_KWOTADOROZLICZENIA"), QStringLiteral("PZ_DATAPLATNOSCI")),
                        pdfName("P_", QStringLiteral("PZ_NUMERTXT"))));
    const TArgs tags{QStringLiteral("FV"), QStringLiteral("PZ"), QStringLiteral("FK")};
    // Open documents: corrections may be open with a negative amount; their
    // overdue days count only while something is owed.
    SchemaExec(QStringLiteral("CREATE OR REPLACE VIEW vListaNierozliczonychDokumentow AS ") +
                   documentBranch(":p1", QStringLiteral("FV_"), QStringLiteral("Fv"),
                                  QStringLiteral("datediff(CURDATE(), FV_DATAPLATNOSCI)/1"), false,
                                  QStringLiteral("FV_KWOTADOROZLICZENIA>0")) +
                   QStringLiteral(" union all ") +
                   documentBranch(":p2", QStringLiteral("PZ_"), QStringLiteral("Pz"),
                                  QStringLiteral("datediff(CURDATE(), PZ_DATAPLATNOSCI)/1"), false,
                                  QStringLiteral("PZ_KWOTADOROZLICZENIA>0")) +
                   QStringLiteral(" union all ") +
                   documentBranch(":p3", QStringLiteral("FVK_"), QStringLiteral("Fvk"),
                                  QStringLiteral("if(FVK_KWOTADOROZLICZENIA>0, datediff(CURDATE(), "
                                                 "FVK_DATAPLATNOSCI)/1, null)"),
                                  false, QStringLiteral("FVK_KWOTADOROZLICZENIA<>0")) +
                   QStringLiteral(" order by FV_DATAWYSTAWIENIA"),
               tags);
    SchemaExec(QStringLiteral("CREATE OR REPLACE VIEW vListaDokumentow AS ") +
                   documentBranch(
                       ":p1", QStringLiteral("FV_"), QStringLiteral("Fv"),
                       overdue(QStringLiteral("FV_KWOTADOROZLICZENIA"), QStringLiteral("FV_DATAPLATNOSCI")),
                       true, QString()) +
                   QStringLiteral(" union all ") +
                   documentBranch(
                       ":p2", QStringLiteral("PZ_"), QStringLiteral("Pz"),
                       overdue(QStringLiteral("PZ_KWOTADOROZLICZENIA"), QStringLiteral("PZ_DATAPLATNOSCI")),
                       true, QString()) +
                   QStringLiteral(" union all ") +
                   documentBranch(
                       ":p3", QStringLiteral("FVK_"), QStringLiteral("Fvk"),
                       overdue(QStringLiteral("FVK_KWOTADOROZLICZENIA"), QStringLiteral("FVK_DATAPLATNOSCI")),
                       true, QString()),
               tags);
    const QString payments = QStringLiteral("CREATE OR REPLACE VIEW v%1 AS select %2.* , U_IMIE, U_NAZWISKO, "
                                            "U_NIP, concat_ws(' ', U_NAZWISKO, U_IMIE) as "
                                            "U_NazwiskoImie, U_NRKLIENTA, U_PODMIOT, OP_LOGIN, "
                                            "year(O_DATAWPLATY)/1 as O_Year, month(O_DATAWPLATY)/1 as "
                                            "O_Month from %2 left join Userdb on U_INDEX=O_INDEXUSER left "
                                            "join Operator on OP_INDEX=O_OPERATORID");
    SchemaExec(payments.arg(QStringLiteral("OplatyLista"), QStringLiteral("Oplaty")));
    SchemaExec(payments.arg(QStringLiteral("OplatyVove"), QStringLiteral("OplatyVove")));
    SchemaExec(vUserdb());
    SchemaExec(QStringLiteral(
                   "CREATE OR REPLACE VIEW vWezly AS select Wezly.*, (select count(distinct M_INDEXUSER) "
                   "from Mac join Infrastruktura on INF_INDEX=M_INDEXMIEJSCEPODLACZENIA where "
                   "INF_INDEXWEZLA=Wezly.W_INDEX and M_CZYZAWIESZONE=0) as W_IluUserow, "
                   "concat(W_TYPREKORDU, :p1, W_IDENTYFIKATOR) as W_NazwaPE, left(W_TER_SYM, 7) as W_Simc, "
                   "left(W_TER_JST, 7) as W_Terc, left(W_TER_SYM_UL, 5) as W_Ulic from Wezly"),
               {QStringLiteral("_")});
    SchemaExec(paDodaneView(QStringLiteral("vPaDodane"), QStringLiteral("PaDodane")));

    if (splash) splash->StepProgress(QStringLiteral("Dodawanie widoków 2"));
    SchemaExec(QStringLiteral("CREATE OR REPLACE VIEW vFvKsefPobrane AS select FvKsefPobrane.*, ") +
               documentListColumns(QStringLiteral("FV_")) + QStringLiteral(" from FvKsefPobrane"));
    SchemaExec(QStringLiteral(
        "CREATE OR REPLACE VIEW vPodmioty AS select Podmioty.*, cast(concat('(', P_SKROT, ') ', "
        "P_NAZWA1, ' ', P_NAZWA2) as char(150)) collate utf8_polish_ci as P_NazwaPelna from Podmioty"));
    SchemaExec(QStringLiteral(
        "CREATE OR REPLACE VIEW vZleceniaLista AS select ZleceniaSerwisowe.*, vUserdb.*, concat_ws(' ', "
        "U_NAZWISKO, "
        "U_IMIE) as ZS_User, concat_ws(' ', Op1.OP_NAZWISKO, Op1.OP_IMIE) as OP_Nazwa, Op1.OP_TELEFON, "
        "concat_ws(' ', Op2.OP_NAZWISKO, Op2.OP_IMIE) as OP_NazwaPrzyjmujacego, if(U_CZYINNALOKALIZACJA=1, "
        "concat_ws(' ', U_LOK_MIEJSCOWOSC, U_LOK_ULICA, U_LOK_NRDOMU), concat_ws(' ', U_ADR_MIEJSCOWOSC, "
        "U_ADR_ULICA, "
        "U_ADR_NRDOMU)) as ZS_UserAdres, if(ZS_DATAZAKONCZENIA='0000-00-00', datediff(CURDATE(), "
        "ZS_DATAREJESTRACJI)/1, datediff(ZS_DATAZAKONCZENIA, ZS_DATAREJESTRACJI)/1) as ZS_CzasTrwania, "
        "year(ZS_DATAREJESTRACJI)/1 as ZS_Year, month(ZS_DATAREJESTRACJI)/1 as ZS_Month, "
        "substring(ZS_ZAKRES, 1, 150) "
        "as ZS_ZakresTabelka from ZleceniaSerwisowe left join vUserdb on U_INDEX=ZS_INDEXUSER left join "
        "Operator as "
        "Op1 on Op1.OP_INDEX=ZS_WYKONAL left join Operator as Op2 on Op2.OP_INDEX=ZS_PRZYJAL"));
    SchemaExec(QStringLiteral(
                   "CREATE OR REPLACE VIEW vMac AS select Mac.*, TL_NAZWA, RU_NAZWA, TU_NAZWA, INF_NAZWA, "
                   "concat_ws(' ', U_NAZWISKO, U_IMIE) as M_User, U_DATAAKTYWACJI, U_DATADEAKTYWACJI, "
                   "U_NAZWISKO, U_IMIE, AUT_NAZWA, vU_Aktywny, WAN_NAZWA from Mac") +
               infraJoins() +
               QStringLiteral(" left join vUserdb on U_INDEX=M_INDEXUSER left join Autoryzacja on "
                              "AUT_INDEX=M_INDEXAUTORYZACJA left join Wan on WAN_INDEX=M_INDEXWAN"));
    SchemaExec(
        QStringLiteral("CREATE OR REPLACE VIEW vMac_hist AS select Mac_hist.*, TL_NAZWA, RU_NAZWA, TU_NAZWA, "
                       "INF_NAZWA, concat_ws(' ', U_NAZWISKO, U_IMIE) as M_User, U_DATAAKTYWACJI, "
                       "U_DATADEAKTYWACJI, U_NAZWISKO, U_IMIE from Mac_hist") +
        infraJoins() + QStringLiteral(" left join Userdb on U_INDEX=M_INDEXUSER"));
    SchemaExec(QStringLiteral(
        "CREATE OR REPLACE VIEW vInfrastruktura AS select Infrastruktura.*, W_IDENTYFIKATOR as INF_Wezel, "
        "GIF_IDENTYFIKATOR as INF_GrupaInterfejsow, TU_NAZWA as INF_TypUrzadzenia, left(coalesce((select "
        "group_concat(GRI_NAZWA order by GRI_NAZWA separator ', ') from GrupyInf where GRI_INDEX in "
        "(Infrastruktura.INF_GRUPA1, Infrastruktura.INF_GRUPA2, Infrastruktura.INF_GRUPA3, "
        "Infrastruktura.INF_GRUPA4, "
        "Infrastruktura.INF_GRUPA5, Infrastruktura.INF_GRUPA6, Infrastruktura.INF_GRUPA7, "
        "Infrastruktura.INF_GRUPA8, "
        "Infrastruktura.INF_GRUPA9, Infrastruktura.INF_GRUPA10)), ''), 255) as INF_GrNazwaAll, (select "
        "Nadrzedne.INF_NAZWA from Infrastruktura as Nadrzedne where "
        "Nadrzedne.INF_INDEX=Infrastruktura.INF_MIEJSCEPODLACZENIA limit 1) as INF_MiejscePodlaczeniaTxt, "
        "(select "
        "count(distinct M_INDEXUSER) from Mac where M_INDEXMIEJSCEPODLACZENIA=Infrastruktura.INF_INDEX) as "
        "INF_IluUserow from Infrastruktura left join Wezly on W_INDEX=INF_INDEXWEZLA left join "
        "GrupyInterfejsow on "
        "GIF_INDEX=INF_INDEXGRINTERFEJSOW left join TypUrzadzenia on TU_INDEX=INF_INDEXTYPURZADZENIA"));
    SchemaExec(QStringLiteral("CREATE OR REPLACE VIEW vNotyLista AS select Nota.* , vUserdb.*, if "
                              "(NO_KWOTADOZAPLATY>NO_KWOTAWPLACONA, "
                              "datediff(CURDATE(), NO_DATAPLATNOSCI)/1, null) as NO_PoTerminie, "
                              "NO_KWOTADOZAPLATY-NO_KWOTAWPLACONA as "
                              "NO_DoRozliczenia, year(NO_DATAWYSTAWIENIA)/1 as NO_Year, "
                              "month(NO_DATAWYSTAWIENIA)/1 as NO_Month from Nota "
                              "left join vUserdb on U_INDEX=NO_INDEXUSER"));
    SchemaExec(QStringLiteral(
        "CREATE OR REPLACE VIEW vKsef AS select Ksef.*, cast(concat(OP_IMIE, ' ', OP_NAZWISKO) "
        "as char(100)) collate utf8_polish_ci as OP_ImieNazwisko from Ksef left join Operator on "
        "OP_INDEX=KSEF_OPERATORID"));
    SchemaExec(QStringLiteral(
        "CREATE OR REPLACE VIEW vPaDodaneTauron AS select PA_INDEX, PA_IDZASIEGU, PA_MIEJSCOWOSC, PA_UWAGI, "
        "PA_GMINA, "
        "PA_ULIC, PA_SIMC, if(PA_ULIC=99999, 'brak', PA_ULICA) as PA_ULICA, PA_NR_PORZADKOWY, PA_MEDIUM, "
        "PA_TECHNOLOGIA, concat(PA_DOWNLINK, '/', PA_UPLINK, 'Mb/s') as PA_PASMO, if(PA_RODZAJZASIEGU=0, "
        "'\"rzeczywisty\"', '\"teoretyczny\"') as PA_RODZAJZASIEGU from PaDodaneTauron"));
    SchemaExec(paDodaneView(QStringLiteral("vPaDodaneNexera"), QStringLiteral("PaDodaneNexera")));
    // The Fiberhost view is created twice, as it always was; the second run only replaces it.
    SchemaExec(paDodaneView(QStringLiteral("vPaDodaneFiberhost"), QStringLiteral("PaDodaneFiberhost")));
    SchemaExec(paDodaneView(QStringLiteral("vPaDodaneFiberhost"), QStringLiteral("PaDodaneFiberhost")));
}
