// The column groups of the schema upgrade, in the order the versions added
// them. Column definitions here and in sql/orlix6.sql must stay identical:
// a database brought up by these groups has to end with the columns of a new
// one (the schema tests compare the two).
#include "core/DbIni.h"
#include "core/SchemaSteps.h"

namespace {

using S = TSchemaStep;

const QString kInt = QStringLiteral("INT NOT NULL");
const QString kInt0 = QStringLiteral("INT NOT NULL default 0");
const QString kInt1 = QStringLiteral("INT NOT NULL default 1");
const QString kDate = QStringLiteral("DATE NOT NULL");
const QString kMoney0 = QStringLiteral("DECIMAL(16,2) NOT NULL default 0");

QString vc(int n)
{
    return QStringLiteral("VARCHAR(%1) NOT NULL").arg(n);
}

TSchemaGroup group(int number, const char* table, const char* guard, std::vector<S> steps)
{
    TSchemaGroup g;
    g.number = number;
    g.table = QString::fromLatin1(table);
    g.guardColumn = QString::fromLatin1(guard);
    g.steps = std::move(steps);
    return g;
}

S add(const char* table, const char* column, const QString& definition, TArgs args = {})
{
    return SchemaAdd(QString::fromLatin1(table), QString::fromLatin1(column), definition, std::move(args));
}

S modify(const char* table, const char* column, const char* definition, const char* shape)
{
    return SchemaModify(QString::fromLatin1(table), QString::fromLatin1(column),
                        QString::fromLatin1(definition), QString::fromLatin1(shape));
}

S change(const char* table, const char* column, const char* definition, const char* shape)
{
    return SchemaChange(QString::fromLatin1(table), QString::fromLatin1(column),
                        QString::fromLatin1(definition), QString::fromLatin1(shape));
}

S dropColumn(const char* table, const char* column)
{
    return SchemaDropColumn(QString::fromLatin1(table), QString::fromLatin1(column));
}

S index(const char* table, QStringList columns)
{
    return SchemaAddIndex(QString::fromLatin1(table), columns);
}

std::vector<TSchemaGroup> buildGroups()
{
    std::vector<TSchemaGroup> g;
    // The first change of UM_NUMER is undone by group 4; it belongs to the group's first run only.
    S numerUnsigned =
        SchemaFirstRun(QStringLiteral("ALTER TABLE `Umowy` MODIFY `UM_NUMER` INT UNSIGNED NOT NULL"));
    g.push_back(group(
        1, "Umowy", "UM_NUMERTXT",
        {numerUnsigned, add("Umowy", "UM_NUMERTXT", vc(50)), add("PmMD5", "PMMD5_ILOSCODCZYTANYCH", kInt),
         add("PmMD5", "PMMD5_ILOSCZAIMPORTOWANYCH", kInt), add("Uslugi", "USL_OPERATORID", kInt),
         add("Uslugi", "USL_DATAMODYFIKACJI",
             QStringLiteral("TIMESTAMP NULL default CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP"))}));
    g.push_back(
        group(2, "MTRouter", "MIKROTIK_LACZEUPTXT",
              {add("MTRouter", "MIKROTIK_LACZEUPTXT", QStringLiteral("VARCHAR(50) NOT NULL default '1M'")),
               add("MTRouter", "MIKROTIK_LACZEDOWNTXT", QStringLiteral("VARCHAR(50) NOT NULL default '10M'")),
               modify("MTRouter", "MIKROTIK_BLOKOWANIUP", "VARCHAR(50) NOT NULL default '64k'",
                      "varchar(50)|no|64k|"),
               modify("MTRouter", "MIKROTIK_BLOKOWANIDOWN", "VARCHAR(50) NOT NULL default '128k'",
                      "varchar(50)|no|128k|")}));
    g.push_back(group(3, "Umowy", "UM_DATAZAWARCIA",
                      {add("Umowy", "UM_DATAZAWARCIA", kDate),
                       SchemaWhenPresent(QStringLiteral("Umowy"), QStringLiteral("UM_DATAZWARCIA"),
                                         QStringLiteral("update Umowy set UM_DATAZAWARCIA=UM_DATAZWARCIA")),
                       dropColumn("Umowy", "UM_DATAZWARCIA")}));
    g.push_back(
        group(4, "Umowy", "UM_TRESC",
              {add("Umowy", "UM_TRESC", QStringLiteral("TEXT NOT NULL")), add("Umowy", "UM_TYTUL", vc(255)),
               modify("Umowy", "UM_NUMER", "INT NOT NULL", "int(11)|no|null|"),
               SchemaDropIndex(QStringLiteral("Umowy"), QStringLiteral("UM_NUMER")),
               modify("Szablony", "SZ_TRESC", "LONGTEXT NOT NULL", "longtext|no|null|")}));
    g.push_back(group(5, "Umowy", "UM_CZYNIEAKTYWNA", {add("Umowy", "UM_CZYNIEAKTYWNA", kInt0)}));
    g.push_back(group(6, "ZleceniaSerwisowe", "ZS_NUMERTXT",
                      {add("ZleceniaSerwisowe", "ZS_NUMERTXT", vc(50)),
                       modify("ZleceniaSerwisowe", "ZS_NUMER", "INT NOT NULL", "int(11)|no|null|"),
                       modify("ZleceniaSerwisowe", "ZS_ZAKRES", "MEDIUMTEXT NOT NULL", "mediumtext|no|null|"),
                       modify("ZleceniaSerwisowe", "ZS_UWAGI", "MEDIUMTEXT NOT NULL", "mediumtext|no|null|"),
                       modify("ZleceniaSerwisowe", "ZS_DATAREJESTRACJI", "DATE NOT NULL", "date|no|null|"),
                       modify("ZleceniaSerwisowe", "ZS_DATAZAKONCZENIA", "DATE NOT NULL", "date|no|null|")}));
    g.push_back(group(7, "Operator", "OP_TELEFON",
                      {add("Operator", "OP_TELEFON", vc(70)), dropColumn("Operator", "OP_NAZWA")}));
    g.push_back(group(8, "Userdb", "U_POCZEKALNIA", {add("Userdb", "U_POCZEKALNIA", kInt0)}));
    g.push_back(group(9, "Uslugi", "USL_RABAT",
                      {add("ZleceniaSerwisowe", "ZS_PRZYJAL", kInt), add("Uslugi", "USL_RABAT", kMoney0),
                       add("PmMD5", "PMMD5_LOGIMPORTU", QStringLiteral("LONGTEXT NOT NULL"))}));
    g.push_back(group(10, "Operator", "OP_EMAIL", {add("Operator", "OP_EMAIL", vc(70))}));
    g.push_back(
        group(11, "Infrastruktura", "INF_POMINPING", {add("Infrastruktura", "INF_POMINPING", kInt0)}));
    g.push_back(group(12, "UserFvPozycje", "UFV_CZYJEDNORAZOWA",
                      {add("UserFvPozycje", "UFV_CZYJEDNORAZOWA", kInt0)}));
    g.push_back(group(
        13, "Oplaty", "O_DATADODANIA",
        {add("Oplaty", "O_DATADODANIA", kDate),
         SchemaFirstRun(QStringLiteral("update Oplaty set O_DATADODANIA=O_DATAWPLATY")),
         SchemaFirstRun(QStringLiteral("update OplatyRozliczenia set OR_DATAROZLICZENIA=OR_DATADODANIA, "
                                       "OR_SPOZNIENIE=if(OR_DATAROZLICZENIA<=OR_DATAPLATNOSCIDOC, 0, "
                                       "datediff(OR_DATAROZLICZENIA, OR_DATAPLATNOSCIDOC))"))}));
    g.push_back(
        group(14, "ZleceniaSerwisowe", "ZS_ZAZNACZONE", {add("ZleceniaSerwisowe", "ZS_ZAZNACZONE", kInt0)}));
    g.push_back(
        group(15, "Userdb", "U_KOR_NAZWA",
              {add("Userdb", "U_KOR_NAZWA", vc(200)), add("Userdb", "U_KOR_ULICA", vc(80)),
               add("Userdb", "U_KOR_MIEJSCOWOSC", vc(80)), add("Userdb", "U_KOR_POCZTA", vc(80)),
               add("Userdb", "U_KOR_KOD", vc(6)), add("Userdb", "U_KOR_NRDOMU", vc(20)),
               add("Userdb", "U_KOR_NRLOKALU", vc(20)),
               SchemaWhenPresent(QStringLiteral("Userdb"), QStringLiteral("U_KOR_ADRESPELNY"),
                                 QStringLiteral("update Userdb set `U_KOR_NAZWA` = `U_KOR_ADRESPELNY`")),
               SchemaWhenPresent(QStringLiteral("Userdb"), QStringLiteral("U_KOR_ADRESPELNY"),
                                 QStringLiteral("ALTER TABLE Userdb DROP `U_KOR_ADRESPELNY`"))}));
    g.push_back(
        group(16, "Mac_hist", "M_INDEXTYPURZADZENIA",
              {add("Mac_hist", "M_INDEXTYPURZADZENIA", kInt), add("Mac_hist", "M_INDEXTYPLACZA", kInt),
               add("Mac_hist", "M_INDEXRODZAJ", kInt), add("Mac_hist", "M_INDEXMIEJSCEPODLACZENIA", kInt)}));
    // The router's stored lines are removed and compared by MC_INDEXMT: without
    // an index every send reads the lines of all routers.
    g.push_back(group(17, "MTconf", "MC_INDEXMT",
                      {add("MTconf", "MC_INDEXMT", kInt), index("MTconf", {QStringLiteral("MC_INDEXMT")}),
                       index("Userdb", {QStringLiteral("U_NRRACHUNKU1"), QStringLiteral("U_NRRACHUNKU2")})}));
    g.push_back(group(
        18, "Umowy", "UM_CZYANEKS",
        {add("Umowy", "UM_CZYANEKS", kInt0), add("Umowy", "UM_ANEKSOPIS", vc(255)),
         add("MTRouter", "MIKROTIK_WYSLIJARP", kInt1), add("MTRouter", "MIKROTIK_WYSLIJDHCP", kInt1),
         add("MTRouter", "MIKROTIK_WYSLIJKOLEJKI", kInt1), add("MTRouter", "MIKROTIK_WYSLIJPPPOE", kInt0)}));
    g.push_back(group(19, "FvkPozycje", "FVKP_STAWKAVAT_TXT_PO",
                      {add("FvkPozycje", "FVKP_STAWKAVAT_TXT_PO", vc(30)),
                       add("FvkPozycje", "FVKP_STAWKAVAT_TXT", vc(30))}));
    g.push_back(group(20, "MTRouter", "MIKROTIK_WYSLIJMACDOPPPOE",
                      {add("MTRouter", "MIKROTIK_WYSLIJMACDOPPPOE", kInt0)}));
    {
        std::vector<S> steps;
        for (const char* c : {"FVKP_STAWKAVAT", "FVKP_RABAT", "FVKP_RABATKWOTA", "FVKP_STAWKAVAT_PO",
                              "FVKP_RABAT_PO", "FVKP_RABATKWOTA_PO"})
            steps.push_back(
                modify("FvkPozycje", c, "DECIMAL(16,2) NOT NULL default 0", "decimal(16,2)|no|0.00|"));
        steps.push_back(add("FvkPozycje", "FVKP_INDEXPOZYCJIKORYGOWANEJ", kInt0));
        steps.push_back(add("Fvk", "FVK_DATAKORYGOWANEJ", kDate));
        g.push_back(group(21, "FvkPozycje", "FVKP_INDEXPOZYCJIKORYGOWANEJ", std::move(steps)));
    }
    g.push_back(
        group(22, "Skrypty", "SKR_CZYPOMINNIEAKTYWNE",
              {add("Skrypty", "SKR_CZYPOMINNIEAKTYWNE", kInt0), add("Skrypty", "SKR_CZYAKTYWNY", kInt0),
               modify("Skrypty", "SKR_PLIKWYNIKOWY", "VARCHAR(255) NOT NULL", "varchar(255)|no|null|")}));
    g.push_back(
        group(23, "IntruxRouter", "INTRUX_CZYAKTYWNY",
              {add("IntruxRouter", "INTRUX_CZYAKTYWNY", kInt1), add("MTRouter", "MIKROTIK_CZYAKTYWNY", kInt1),
               add("Userdb", "U_CZYPOMINNADRUKIBOK", kInt0),
               modify("WyslaneEmail", "EMW_TRESC", "MEDIUMTEXT NOT NULL", "mediumtext|no|null|")}));
    g.push_back(
        group(24, "ListaSieci", "SIEC_CZYAKTYWNA",
              {add("ListaSieci", "SIEC_CZYAKTYWNA", kInt1),
               modify("WyslaneEmail", "EMW_TRESC", "MEDIUMTEXT NOT NULL", "mediumtext|no|null|"),
               index("Mac", {QStringLiteral("M_IP")}), index("Mac", {QStringLiteral("M_MAC")}),
               index("Mac", {QStringLiteral("M_MAC2")}), index("Infrastruktura", {QStringLiteral("INF_IP")}),
               index("Infrastruktura", {QStringLiteral("INF_MAC")}),
               index("Infrastruktura", {QStringLiteral("INF_MAC2")})}));
    g.push_back(group(25, "Fv", "FV_UWAGI",
                      {add("Fv", "FV_UWAGI", vc(255)), add("Mac", "M_DODAJDOSMOKEPING", kInt0)}));
    g.push_back(group(26, "ZleceniaSerwisowe", "ZS_TERMINARZDATA",
                      {add("ZleceniaSerwisowe", "ZS_TERMINARZDATA", kDate)}));
    g.push_back(group(27, "Infrastruktura", "INF_ILOSCDOSTEPNYCHPORTOW",
                      {add("Infrastruktura", "INF_ILOSCDOSTEPNYCHPORTOW", kInt0)}));
    g.push_back(
        group(28, "Mac", "M_PORTPODLACZENIADOINFRA", {add("Mac", "M_PORTPODLACZENIADOINFRA", kInt0)}));
    g.push_back(group(29, "Infrastruktura", "INF_MIEJSCEPODLACZENIA",
                      {add("Infrastruktura", "INF_MIEJSCEPODLACZENIA", kInt0),
                       index("Infrastruktura", {QStringLiteral("INF_MIEJSCEPODLACZENIA")})}));
    g.push_back(group(30, "Userdb", "U_GEOLOK_SZEROKOSC",
                      {add("Mac", "M_NRONU", kInt0),
                       add("Wezly", "W_TYPREKORDU", QStringLiteral("VARCHAR(10) NOT NULL default :p1"),
                           {QStringLiteral("WW")}),
                       add("Wezly", "W_EX_NAZWAPODMIOTU", vc(250)),
                       add("Wezly", "W_INDEXPODMIOTUOBCEGO", kInt),
                       add("Wezly", "W_EX_REGON", vc(50)),
                       add("Wezly", "W_EX_NIP", vc(50)),
                       add("Wezly", "W_EX_KRS", vc(50)),
                       add("Wezly", "W_EX_RPT", vc(50)),
                       add("Wezly", "W_EX_WOJEWODZTWO", vc(100)),
                       add("Wezly", "W_EX_POWIAT", vc(100)),
                       add("Wezly", "W_EX_GMINA", vc(100)),
                       add("Wezly", "W_EX_KONTAKTIMIE", vc(100)),
                       add("Wezly", "W_EX_KONTAKTNAZWISKO", vc(100)),
                       add("Wezly", "W_EX_EMAIL", vc(100)),
                       add("Wezly", "W_EX_TELEFON", vc(100)),
                       add("Wezly", "W_PODSTAWAKORZYSTANIA", vc(100)),
                       add("Userdb", "U_ODKIEDYWYKLUCZONYZBLOKAD", kDate),
                       add("UserFvPozycje", "UFV_OPIS", vc(255)),
                       add("Mac", "M_CZYURZADZENIEKLIENTA", kInt0),
                       add("Infrastruktura", "INF_PORTPODLACZENIADOINFRA", kInt0),
                       add("Infrastruktura", "INF_NUMERPOZWOLENIA", vc(100)),
                       add("Wezly", "W_NUMERPOZWOLENIA", vc(100)),
                       add("IntruxRouter", "INTRUX_CZYPLIKMONITORINGU", kInt0),
                       add("Infrastruktura", "INF_CZYINTRUXMONITORING", kInt0),
                       add("Userdb", "U_CZYFIRMA", kInt0),
                       add("Userdb", "U_GEOLOK_DLUGOSC", QStringLiteral("DECIMAL(16,4) NOT NULL")),
                       add("Userdb", "U_GEOLOK_SZEROKOSC", QStringLiteral("DECIMAL(16,4) NOT NULL"))}));
    // Group 31 has a guard column that MTRouter never gets: it runs at every upgrade.
    g.push_back(
        group(31, "MTRouter", "INF_ZAPASOWE",
              {add("Uslugi", "USL_CZYJEDNORAZOWA", kInt0), dropColumn("PingInfra", "PI_DATAMODYFIKACJI"),
               add("PingInfra", "PI_MODYFIKACJA", QStringLiteral("DATETIME NOT NULL")),
               add("PingInfra", "PI_ODKIEDYDOWN", QStringLiteral("DATETIME NOT NULL")),
               add("Infrastruktura", "INF_DODAJDOMONITORINGU", kInt0),
               add("Infrastruktura", "INF_MONITORINGPOWIADOMUP", kInt0),
               add("Infrastruktura", "INF_MONITORINGSMS", kInt0),
               add("MTRouter", "MIKROTIK_MASKAPUBIP", vc(10)), add("Infrastruktura", "INF_ZAPASOWE", kInt0),
               modify("PingInfra", "PI_MODYFIKACJA",
                      "TIMESTAMP NULL default CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP",
                      "timestamp|yes|current_timestamp()|on update current_timestamp()"),
               SchemaCall([] {
                   if (ReadIniInteger(0, QStringLiteral("MikroTikPrzebudowa_4_23"), -1) == -1)
                       WriteIniInteger(0, QStringLiteral("MikroTikPrzebudowa_4_23"), 1);
               })}));
    g.push_back(group(32, "Userdb", "U_CZYPOMINACWYDRUKSALDA",
                      {modify("Userdb", "U_GEOLOK_DLUGOSC", "DECIMAL(16,7) NOT NULL default 0",
                              "decimal(16,7)|no|0.0000000|"),
                       modify("Userdb", "U_GEOLOK_SZEROKOSC", "DECIMAL(16,7) NOT NULL default 0",
                              "decimal(16,7)|no|0.0000000|"),
                       add("Userdb", "U_CZYPOMINACWYDRUKSALDA", kInt0)}));
    g.push_back(
        group(33, "PlatnosciMasowe", "PM_NAAKTYWNEGO",
              {dropColumn("Userdb", "U_IDPOMOCNICZE1"),
               index("PlatnosciMasowe", {QStringLiteral("PM_DATAIMPORTU")}),
               index("PlatnosciMasowe", {QStringLiteral("PM_DATAKSIEGOWANIA")}),
               index("PlatnosciMasowe", {QStringLiteral("PM_DATABANK")}),
               index("PmMD5", {QStringLiteral("PMMD5_DATAIMPORTU")}), dropColumn("Userdb", "U_IDPOMOCNICZE2"),
               add("PlatnosciMasowe", "PM_NAAKTYWNEGO", kInt1)}));
    g.push_back(
        group(34, "MTRouter", "MIKROTIK_WYSLIJHAZARD",
              {add("HazardDomeny", "HD_IP", vc(20)), add("MTRouter", "MIKROTIK_WYSLIJHAZARD", kInt0)}));
    g.push_back(group(35, "MTconf", "MC_P2",
                      {modify("MTconf", "MC_P1", "VARCHAR(1000) NOT NULL", "varchar(1000)|no|null|"),
                       add("MTconf", "MC_P2", vc(255))}));
    g.push_back(group(36, "Userdb", "U_ZMIENNATXT3",
                      {add("Userdb", "U_ZMIENNATXT1", vc(255)), add("Userdb", "U_ZMIENNATXT2", vc(255)),
                       add("Userdb", "U_ZMIENNATXT3", vc(255))}));
    g.push_back(group(37, "Operator", "OP_CZYSTATYSTYKI", {add("Operator", "OP_CZYSTATYSTYKI", kInt1)}));
    g.push_back(group(38, "Userdb", "U_ZMIENNATXT7",
                      {add("Userdb", "U_ZMIENNATXT4", vc(255)), add("Userdb", "U_ZMIENNATXT5", vc(255)),
                       add("Userdb", "U_ZMIENNATXT6", vc(255)), add("Userdb", "U_ZMIENNATXT7", vc(255))}));
    g.push_back(group(39, "IntruxRouter", "INTRUX_CZYPASMODLAKAZDEGOIP",
                      {add("NotaPozycje", "NOP_DATADOC", kDate),
                       add("Nota", "NO_TERMINDNI", kInt),
                       add("MTRouter", "MIKROTIK_TYPKOLEJKIGLOWNEJ",
                           QStringLiteral("VARCHAR(255) NOT NULL default :p1"), {QStringLiteral("sfq")}),
                       add("Userdb", "U_PODMIOT", kInt1),
                       add("Fv", "FV_PODMIOT", kInt1),
                       add("Fvk", "FVK_PODMIOT", kInt1),
                       add("Pz", "PZ_PODMIOT", kInt1),
                       add("Oplaty", "O_PODMIOT", kInt1),
                       add("Umowy", "UM_PODMIOT", kInt1),
                       add("PlatnosciMasowe", "PM_PODMIOT", kInt1),
                       add("Podmioty", "P_DRUKUJZWOLNIENIEVAT", kInt0),
                       add("UserFvPozycje", "UFV_GTU", kInt0),
                       add("FvPozycje", "FVP_GTU", kInt0),
                       add("Uslugi", "USL_GTU", kInt0),
                       add("FvkPozycje", "FVKP_GTU", kInt0),
                       add("Fv", "FV_GTU_MPP", kInt0),
                       add("Fv", "FV_GTU_EE", kInt0),
                       add("Fv", "FV_GTU_SW", kInt0),
                       add("Fv", "FV_GTU_TP", kInt0),
                       add("Fvk", "FVK_GTU_MPP", kInt0),
                       add("Fvk", "FVK_GTU_EE", kInt0),
                       add("Fvk", "FVK_GTU_SW", kInt0),
                       add("Fvk", "FVK_GTU_TP", kInt0),
                       add("Fv", "FV_GTU_FP", kInt0),
                       add("Fvk", "FVK_GTU_FP", kInt0),
                       add("IntruxRouter", "INTRUX_CZYPASMODLAKAZDEGOIP", kInt0)}));
    g.push_back(group(40, "Wezly", "W_EX_WWWCENNIK", {add("Wezly", "W_EX_WWWCENNIK", vc(100))}));
    g.push_back(
        group(41, "UserFvPozycje", "UFV_GRUPAUSLUG", {add("UserFvPozycje", "UFV_GRUPAUSLUG", kInt0)}));
    g.push_back(group(42, "Uslugi", "USL_GRUPAUSLUG", {add("Uslugi", "USL_GRUPAUSLUG", kInt0)}));
    // The statistics keep sums of money: two decimals, not the whole-number DECIMAL(0)
    // that cut 1234.56 to 1235.
    g.push_back(group(43, "Userdb", "U_ZAZNACZONY_TEMP",
                      {index("Stat", {QStringLiteral("ST_NAZWA")}),
                       index("Stat", {QStringLiteral("ST_DATAMODYFIKACJI")}),
                       add("Userdb", "U_ZAZNACZONY_TEMP", kInt0),
                       change("Stat", "ST_WARTOSC", "DECIMAL(16,2) NOT NULL", "decimal(16,2)|no|null|")}));
    g.push_back(group(44, "Stat", "ST_DATA",
                      {add("Stat", "ST_DATA", QStringLiteral("DATE NOT NULL default 0")),
                       index("Stat", {QStringLiteral("ST_DATA")})}));
    g.push_back(group(45, "MTRouter", "MIKROTIK_SKRYPTADD",
                      {modify("Wezly", "W_EX_WWWCENNIK", "VARCHAR(150) NOT NULL", "varchar(150)|no|null|"),
                       add("MTRouter", "MIKROTIK_SKRYPTADD", QStringLiteral("TEXT NOT NULL"))}));
    g.push_back(
        group(46, "Wezly", "W_POL_NRPROJEKTOWUE",
              {add("Wezly", "W_EX_CZYPOZAPL", kInt0),
               add("Wezly", "W_GEO_SZEROKOSC", QStringLiteral("DECIMAL(16,7) NOT NULL default 0")),
               add("Wezly", "W_GEO_DLUGOSC", QStringLiteral("DECIMAL(16,7) NOT NULL default 0")),
               add("Wezly", "W_USLUGITRANSMISJI", vc(200)),
               add("Wezly", "W_CZYODUZYMZNACZENIU", kInt0),
               add("Wezly", "W_NRPROJEKTOWUE", vc(250)),
               add("Wezly", "W_CZYZWIEKSZENIEINTERFACEOW", kInt0),
               add("Wezly", "W_INTERFACEETHERNET", vc(200)),
               add("Wezly", "W_CZYUDOSTETHERNET", kInt0),
               add("Wezly", "W_PE_TYP", vc(100)),
               add("Wezly", "W_PE_CZYPDU", kInt0),
               add("Wezly", "W_PE_RODZAJUSLUGPDU", vc(200)),
               add("Wezly", "W_MEDIUMTRANSMISYJNEWEZLA", vc(200)),
               add("Wezly", "W_CZYUSLUGIBSA", kInt0),
               add("Wezly", "W_TECHNOLOGIADOSTEPOWA", vc(200)),
               add("Wezly", "W_POL_PUNKTYZALAMANIA", vc(250)),
               add("Wezly", "W_POL_WLOKNAILOSC", kInt0),
               add("Wezly", "W_POL_WLOKNAZAJETE", kInt0),
               add("Wezly", "W_POL_WLOKNADOUDOSTEPNIENIA", kInt0),
               add("Wezly", "W_POL_NRPROJEKTOWUE", vc(250)),
               change("Wezly", "W_POL_PRZEPUSTOWOSC", "VARCHAR(100) NOT NULL", "varchar(100)|no|null|"),
               SchemaFirstRun(QStringLiteral("DELETE FROM `MagazynBlob` WHERE `MB_NAZWA` LIKE :p1"),
                              {QStringLiteral("TFormGlownyDBGrid2%")}),
               SchemaFirstRun(QStringLiteral("DELETE FROM `Wezly` WHERE `W_WLASNOSCSTRUKTURY` LIKE :p1"),
                              {QStringLiteral("Węzeł obcy")}),
               SchemaFirstRun(QStringLiteral("DELETE FROM `GrupyInterfejsow` where 1"))}));
    g.push_back(group(47, "Userdb", "U_USL_RADIO",
                      {add("Userdb", "U_USL_INTERNET", kInt1), add("Userdb", "U_USL_TV", kInt0),
                       add("Userdb", "U_USL_TELEFON", kInt0), add("Userdb", "U_USL_RADIO", kInt0)}));
    g.push_back(
        group(48, "Infrastruktura", "INF_CZYPASYWNE",
              {modify("Wezly", "W_POL_PUNKTYZALAMANIA", "VARCHAR(999) NOT NULL", "varchar(999)|no|null|"),
               add("Infrastruktura", "INF_CZYPASYWNE", kInt0)}));
    g.push_back(group(49, "UserdbAdd", "vU_KwotaOstatniejWplaty",
                      {add("UserdbAdd", "vU_KwotaOstatniejWplaty", kMoney0)}));
    g.push_back(group(50, "Infrastruktura", "INF_PIT_MEDIUM_PO",
                      {add("Infrastruktura", "INF_PIT_MEDIUM_PO", vc(200))}));
    g.push_back(group(51, "Infrastruktura", "INF_PIT_TECHNOLOGIA_PO",
                      {add("Infrastruktura", "INF_PIT_TECHNOLOGIA_PO", vc(200))}));
    g.push_back(
        group(52, "UserFvPozycje", "UFV_KOSZTBRUTTO", {add("UserFvPozycje", "UFV_KOSZTBRUTTO", kMoney0)}));
    g.push_back(group(53, "Userdb", "U_KOSZT", {add("Userdb", "U_KOSZT", kMoney0)}));
    g.push_back(group(54, "Mac", "M_CZYHTTPS", {add("Mac", "M_CZYHTTPS", kInt0)}));
    g.push_back(group(55, "Infrastruktura", "INF_CZYHTTPS", {add("Infrastruktura", "INF_CZYHTTPS", kInt0)}));
    g.push_back(
        group(56, "PaDodaneTauron", "PA_POWIAT",
              {add("PaDodaneTauron", "PA_IDCPPC", kInt0), add("PaDodaneTauron", "PA_POWIAT", vc(50))}));
    g.push_back(
        group(57, "PaDodaneTauron", "PA_ULICA",
              {add("PaDodaneTauron", "PA_GMINA", vc(100)), add("PaDodaneTauron", "PA_MIEJSCOWOSC", vc(100)),
               add("PaDodaneTauron", "PA_ULICA", vc(100))}));
    g.push_back(group(58, "PaDodaneTauron", "PA_UWAGI", {add("PaDodaneTauron", "PA_UWAGI", vc(100))}));
    g.push_back(group(59, "UserdbAdd", "UADD_TAURONBSA", {add("UserdbAdd", "UADD_TAURONBSA", vc(100))}));
    g.push_back(group(60, "Uslugi", "USL_KOSZTBRUTTO", {add("Uslugi", "USL_KOSZTBRUTTO", kMoney0)}));
    g.push_back(
        group(61, "Wezly", "W_POL_INDEXPODLKABLOWEJ", {add("Wezly", "W_POL_INDEXPODLKABLOWEJ", kInt0)}));
    g.push_back(group(62, "Wezly", "W_POL_INDEXPODLBEZPRZ", {add("Wezly", "W_POL_INDEXPODLBEZPRZ", kInt0)}));
    g.push_back(group(63, "Userdb", "U_WSPGEORECZNIE", {add("Userdb", "U_WSPGEORECZNIE", kInt0)}));
    g.push_back(group(64, "Podmioty", "P_LIMITKWOTY", {add("Podmioty", "P_LIMITKWOTY", kMoney0)}));
    g.push_back(group(65, "Podmioty", "P_KWOTAKONTRAKTOW", {add("Podmioty", "P_KWOTAKONTRAKTOW", kMoney0)}));
    g.push_back(group(66, "PaDodane", "PA_USLUGABSA",
                      {add("PaDodane", "PA_USLUGABSA", kInt0), add("PaDodane", "PA_OPERATORBSA", vc(20))}));
    const QString operatorBsa = QStringLiteral("VARCHAR(20) NOT NULL default :p1");
    g.push_back(group(67, "PaDodaneTauron", "PA_USLUGABSA",
                      {add("PaDodaneTauron", "PA_USLUGABSA", kInt1),
                       add("PaDodaneTauron", "PA_OPERATORBSA", operatorBsa, {QStringLiteral("10235")})}));
    g.push_back(group(68, "PaDodaneNexera", "PA_USLUGABSA",
                      {add("PaDodaneNexera", "PA_USLUGABSA", kInt1),
                       add("PaDodaneNexera", "PA_OPERATORBSA", operatorBsa, {QStringLiteral("12808")})}));
    g.push_back(group(69, "PaDodaneFiberhost", "PA_USLUGABSA",
                      {add("PaDodaneFiberhost", "PA_USLUGABSA", kInt1),
                       add("PaDodaneFiberhost", "PA_OPERATORBSA", operatorBsa, {QStringLiteral("2221")})}));
    g.push_back(group(70, "IntruxRouter", "INTRUX_CZYOGRANICZAWARYJ",
                      {add("IntruxRouter", "INTRUX_PASMOAWARIADOWN", vc(20)),
                       add("IntruxRouter", "INTRUX_PASMOAWARIAUP", vc(20)),
                       add("IntruxRouter", "INTRUX_POLACZENIAAWARIA", kInt0),
                       add("IntruxRouter", "INTRUX_CZYOGRANICZAWARYJ", kInt0)}));
    return g;
}

} // namespace

const std::vector<TSchemaGroup>& SchemaColumnGroups()
{
    static const std::vector<TSchemaGroup> groups = buildGroups();
    return groups;
}
