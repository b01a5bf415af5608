#include "core/SchemaUpgrade.h"

#include "core/DbIni.h"
#include "core/SchemaSteps.h"
#include "core/Session.h"
#include "core/SqlScripts.h"
#include "core/StartupProgress.h"

namespace {

const char* const kInnoDb = " ENGINE = InnoDB COLLATE utf8_polish_ci";
const QString kAutoStamp =
    QStringLiteral("TIMESTAMP NULL default CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP");

void step(TStartupProgress* splash, const QString& text)
{
    if (splash) splash->StepProgress(text);
}

void createTable(const QString& name, const QString& sql, const TArgs& args = {})
{
    if (SchemaTableExists(name)) return;
    SchemaExec(sql, args);
}

// "CREATE TABLE IF NOT EXISTS `name` (columns) ENGINE = InnoDB ..." from a column list.
QString innoDb(const QString& name, const QString& columns)
{
    return QStringLiteral("CREATE TABLE IF NOT EXISTS `%1` (%2)").arg(name, columns) + QLatin1String(kInnoDb);
}

void createTeryt()
{
    if (SchemaTableExists(QStringLiteral("ulic"))) return;
    // The script ships with the program; there is no download server to fetch it from.
    const QString script = ProgramFolder() + QStringLiteral("TerytStruktura.sql");
    SchemaStatementLog().append(QStringLiteral("-- ") + script);
    ImportSqlFile(script);
}

// The tables later versions added, in their first form; the column groups
// bring them up to date afterwards.
void createUpgradeTables()
{
    createTable(QStringLiteral("UserdbAdd"),
                innoDb(QStringLiteral("UserdbAdd"),
                       QStringLiteral(
                           "`UADD_INDEX` INT NOT NULL AUTO_INCREMENT, `UADD_INDEXUSER` INT NOT NULL, "
                           "`vU_DataOstatniejWplaty` VARCHAR(10) NOT NULL, `U_GrNazwaAll` VARCHAR(255) NOT "
                           "NULL, `UADD_DATAMODYFIKACJI` %1, PRIMARY KEY (`UADD_INDEX`), INDEX "
                           "(`UADD_INDEXUSER`)")
                           .arg(kAutoStamp)));
    createTable(QStringLiteral("Stat"),
                innoDb(QStringLiteral("Stat"),
                       QStringLiteral("`ST_INDEX` INT NOT NULL AUTO_INCREMENT, `ST_NAZWA` "
                                      "VARCHAR(100) NOT NULL, `ST_WARTOSC` VARCHAR(200) NOT "
                                      "NULL, `ST_DATAMODYFIKACJI` %1, PRIMARY KEY (`ST_INDEX`)")
                           .arg(kAutoStamp)));
    createTable(
        QStringLiteral("MTconf"),
        innoDb(QStringLiteral("MTconf"),
               QStringLiteral("`MC_INDEX` INT NOT NULL AUTO_INCREMENT, `MC_ID` VARCHAR(50) NOT NULL, "
                              "`MC_SEKCJA` VARCHAR(50) NOT NULL, `MC_P1` VARCHAR(255) NOT NULL, PRIMARY KEY "
                              "(`MC_INDEX`), INDEX (`MC_P1`)")));
    createTable(QStringLiteral("Oplaty_hist"),
                innoDb(QStringLiteral("Oplaty_hist"),
                       QStringLiteral(
                           "`O_INDEX` INT NOT NULL AUTO_INCREMENT, `O_INDEXOLD` INT NOT NULL, `O_NUMER` INT "
                           "NOT NULL, `O_NUMERTXT` VARCHAR(100) NOT NULL, `O_INDEXUSER` INT NOT NULL, "
                           "`O_UWAGI` VARCHAR(250) NOT NULL, `O_FORMAPLATNOSCI` VARCHAR(50) NOT NULL, "
                           "`O_INDEX_PM` INT NOT NULL, `O_KWOTA` DECIMAL(16,2) NOT NULL default 0, "
                           "`O_DATAWPLATY` DATE NOT NULL, `O_DATADODANIA` DATE NOT NULL, `O_OPERATORID` INT "
                           "NOT NULL, `O_AKCJA` VARCHAR(1) NOT NULL, `O_DATAMODYFIKACJI` %1, PRIMARY KEY "
                           "(`O_INDEX`), INDEX (`O_INDEXUSER`), INDEX (`O_DATAWPLATY`), INDEX "
                           "(`O_INDEXOLD`)")
                           .arg(kAutoStamp)));
    createTable(
        QStringLiteral("Multiszablon"),
        innoDb(QStringLiteral("Multiszablon"),
               QStringLiteral("`MS_INDEX` INT NOT NULL AUTO_INCREMENT, `MS_NAZWA` VARCHAR(255) NOT NULL, "
                              "`MS_OPERATORID` INT NOT NULL, `MS_DATAMODYFIKACJI` %1, PRIMARY KEY "
                              "(`MS_INDEX`), INDEX (`MS_NAZWA`)")
                   .arg(kAutoStamp)));
    createTable(QStringLiteral("MultiszablonPozycje"),
                innoDb(QStringLiteral("MultiszablonPozycje"),
                       QStringLiteral(
                           "`MSP_INDEX` INT NOT NULL AUTO_INCREMENT, `MSP_RODZAJPOZ` VARCHAR(50) NOT NULL, "
                           "`MSP_ILOSC` INT NOT NULL default 0, `MSP_INDEXSZABLONU` INT NOT NULL, "
                           "`MSP_INDEXPOZ` INT NOT NULL, `MSP_OPERATORID` INT NOT NULL, "
                           "`MSP_DATAMODYFIKACJI` %1, PRIMARY KEY (`MSP_INDEX`), INDEX "
                           "(`MSP_INDEXSZABLONU`)")
                           .arg(kAutoStamp)));
    createTable(QStringLiteral("HazardDomeny"),
                innoDb(QStringLiteral("HazardDomeny"),
                       QStringLiteral(
                           "`HD_INDEX` INT NOT NULL AUTO_INCREMENT, `HD_ADRESDOMENY` VARCHAR(255) NOT NULL, "
                           "`HD_DATAWPISU` DATETIME NOT NULL, `HD_DATAMODYFIKACJI` %1, PRIMARY KEY "
                           "(`HD_INDEX`), INDEX (`HD_ADRESDOMENY`)")
                           .arg(kAutoStamp)));
    createTable(QStringLiteral("Nota"),
                innoDb(QStringLiteral("Nota"),
                       QStringLiteral(
                           "`NO_INDEX` INT NOT NULL AUTO_INCREMENT, `NO_INDEXUSER` INT NOT NULL, "
                           "`NO_DATAWYSTAWIENIA` DATE NOT NULL, `NO_OPROCENTOWANIE` DECIMAL(16,2) NOT NULL "
                           "default 0, `NO_WYSTAWIL` VARCHAR(50) NOT NULL, `NO_DATAPLATNOSCI` DATE NOT NULL, "
                           "`NO_OPERATORID` INT NOT NULL, `NO_FORMAPLATNOSCI` VARCHAR(50) NOT NULL, "
                           "`NO_UWAGI` VARCHAR(250) NOT NULL, `NO_KWOTADOZAPLATY` DECIMAL(16,2) NOT NULL "
                           "default 0, `NO_KWOTAWPLACONA` DECIMAL(16,2) NOT NULL default 0, `NO_WYSLANA` "
                           "INT NOT NULL, `NO_NUMER` INT NOT NULL, `NO_NUMERTXT` VARCHAR(50) NOT NULL, "
                           "`NO_DATAMODYFIKACJI` %1, PRIMARY KEY (`NO_INDEX`), INDEX (`NO_INDEXUSER`), "
                           "INDEX (`NO_DATAWYSTAWIENIA`)")
                           .arg(kAutoStamp)));
    createTable(
        QStringLiteral("NotaPozycje"),
        innoDb(QStringLiteral("NotaPozycje"),
               QStringLiteral("`NOP_INDEX` INT NOT NULL AUTO_INCREMENT, `NOP_INDEXNOTA` INT NOT NULL, "
                              "`NOP_INDEXDOC` INT NOT NULL, `NOP_KWOTAROZLICZONA` DECIMAL(16,2) NOT NULL "
                              "default 0, `NOP_KWOTAODSETEK` DECIMAL(16,2) NOT NULL default 0, "
                              "`NOP_SPOZNIENIE` INT NOT NULL, `NOP_DATAPLATNOSCI` DATE NOT NULL, "
                              "`NOP_DATAROZLICZENIA` DATE NOT NULL, `NOP_NUMERDOCTXT` VARCHAR(100) NOT NULL, "
                              "`NOP_DATAMODYFIKACJI` %1, PRIMARY KEY (`NOP_INDEX`), INDEX (`NOP_INDEXNOTA`), "
                              "INDEX (`NOP_INDEXDOC`)")
                   .arg(kAutoStamp)));
    createTable(
        QStringLiteral("Podmioty"),
        innoDb(
            QStringLiteral("Podmioty"),
            QStringLiteral(
                "`P_INDEX` INT NOT NULL AUTO_INCREMENT, `P_SKROT` VARCHAR(3) NOT NULL, `P_NAZWA1` "
                "VARCHAR(255) NOT "
                "NULL, `P_NAZWA2` VARCHAR(255) NOT NULL, `P_ULICA` VARCHAR(100) NOT NULL, `P_NRDOMU` "
                "VARCHAR(50) NOT "
                "NULL, `P_NRLOKALU` VARCHAR(50) NOT NULL, `P_KODPOCZTOWY` VARCHAR(6) NOT NULL, "
                "`P_MIEJSCOWOSC` "
                "VARCHAR(100) NOT NULL, `P_POCZTA` VARCHAR(100) NOT NULL, `P_NIP` VARCHAR(50) NOT NULL, "
                "`P_REGON` "
                "VARCHAR(50) NOT NULL, `P_KODUS` VARCHAR(50) NOT NULL, `P_TELEFONEMAIL` VARCHAR(255) NOT "
                "NULL, "
                "`P_WWW` VARCHAR(255) NOT NULL, `P_IBOKWWW` VARCHAR(255) NOT NULL, `P_WOJEWODZTWO` "
                "VARCHAR(50) NOT "
                "NULL, `P_POWIAT` VARCHAR(50) NOT NULL, `P_GMINA` VARCHAR(50) NOT NULL, `P_SYMBOL` "
                "VARCHAR(3) NOT "
                "NULL, `P_EMAILJPK` VARCHAR(50) NOT NULL, `P_BANK` VARCHAR(150) NOT NULL, `P_NRKONTA` "
                "VARCHAR(50) "
                "NOT NULL, `P_BANKSUBKONTA` VARCHAR(150) NOT NULL, `P_SUBNUMERBANKU` VARCHAR(50) NOT NULL, "
                "`P_SUBNUMERKLIENTA` VARCHAR(50) NOT NULL, `P_SUBPREFIX` VARCHAR(50) NOT NULL, `P_NAZWASKR1` "
                "VARCHAR(50) NOT NULL, `P_NAZWASKR2` VARCHAR(50) NOT NULL, `P_CZYAKTYWNY` INT NOT NULL, "
                "`P_OPERATORID` INT NOT NULL, `P_DATAMODYFIKACJI` %1, PRIMARY KEY (`P_INDEX`), INDEX "
                "(`P_SKROT`)")
                .arg(kAutoStamp)));
    createTable(
        QStringLiteral("PaDodane"),
        QStringLiteral(
            "CREATE TABLE IF NOT EXISTS `PaDodane`(PA_INDEX INT NOT NULL AUTO_INCREMENT , PA_TERC INT NOT "
            "NULL, "
            "PA_RODZAJZASIEGU INT NOT NULL, PA_SIMC INT NOT NULL, PA_NR_PORZADKOWY VARCHAR(32) NOT NULL, "
            "PA_ULIC INT NOT NULL, PA_SZEROKOSC_GEO DECIMAL(8,6) NOT NULL, PA_PODMIOT INT NOT NULL, "
            "PA_DLUGOSC_GEO DECIMAL(8,6) NOT NULL, PA_MEDIUM VARCHAR(30) NOT NULL, PA_TECHNOLOGIA "
            "VARCHAR(30) "
            "NOT NULL, PA_IDZASIEGU VARCHAR(100) NOT NULL, PA_RODZAJUSLUGI_H INT NOT NULL, PA_RODZAJUSLUGI_D "
            "INT NOT NULL, PA_UPLINK INT NOT NULL, PA_DOWNLINK INT NOT NULL, PA_OPERATORID INT NOT NULL "
            ",PA_DATAMODYFIKACJI TIMESTAMP NULL default CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,  "
            "PRIMARY KEY (PA_INDEX), INDEX (PA_TERC), INDEX (PA_SIMC), INDEX (PA_ULIC), INDEX (PA_PODMIOT), "
            "INDEX (PA_MEDIUM), INDEX (PA_RODZAJUSLUGI_H), INDEX (PA_RODZAJUSLUGI_D), INDEX "
            "(PA_TECHNOLOGIA), "
            "INDEX (PA_RODZAJZASIEGU), INDEX (PA_IDZASIEGU)) ENGINE = InnoDB COLLATE utf8_polish_ci"));
    createTable(
        QStringLiteral("pa"),
        QStringLiteral(
            "CREATE TABLE IF NOT EXISTS  `pa` (`id` int(11) NOT NULL, `terc` int(11) NOT NULL, `simc` "
            "int(11) "
            "NOT NULL, `ulic` int(11) NOT NULL, `nr_porzadkowy` varchar(20) COLLATE utf8_polish_ci NOT NULL, "
            " "
            "`szerokosc_geo` decimal(17,15) NOT NULL, `dlugosc_geo` decimal(17,15) NOT NULL, `woj_txt` "
            "varchar(2) NOT NULL, PRIMARY KEY (`id`), KEY `simc` (`simc`), KEY `ulic` (`ulic`), KEY `terc` "
            "(`terc`), KEY `nr_porzadkowy` (`nr_porzadkowy`), KEY `woj_txt` (`woj_txt`)  ) ENGINE=MyISAM "
            "DEFAULT CHARSET=utf8 COLLATE=utf8_polish_ci; "));
    createTeryt();
    createTable(
        QStringLiteral("pa_woj"),
        QStringLiteral("create table pa_woj as select distinct concat(nazwa,:p1, woj, :p2) as woj_nazwa from "
                       "terc where length(pow)=0 and (select distinct terc from pa where lpad(terc, 7, :p3) "
                       "like concat(woj, :p4) limit 1 )> 0 "),
        {QStringLiteral(" ("), QStringLiteral(")"), QStringLiteral("0"), QStringLiteral("_____")});
    for (const char* t : {"PaDodaneTauron", "PaDodaneFiberhost", "PaDodaneNexera"}) {
        const QString name = QString::fromLatin1(t);
        createTable(name, QStringLiteral("CREATE TABLE IF NOT EXISTS `%1` like PaDodane ").arg(name));
    }
    createTable(
        QStringLiteral("StatSaldo"),
        innoDb(QStringLiteral("StatSaldo"),
               QStringLiteral("`SLD_INDEX` INT NOT NULL AUTO_INCREMENT, `SLD_USERID` INT(11) NOT NULL, "
                              "`SLD_SALDO` DECIMAL(16,2) NOT NULL, `SLD_DATADODANIA` TIMESTAMP NULL default "
                              "CURRENT_TIMESTAMP, PRIMARY KEY (`SLD_INDEX`), KEY (`SLD_USERID`), KEY "
                              "(`SLD_DATADODANIA`)")));
    createTable(
        QStringLiteral("SaldoZO"),
        innoDb(QStringLiteral("SaldoZO"),
               QStringLiteral("`SZO_INDEX` INT NOT NULL AUTO_INCREMENT, `SZO_USERID` INT(11) NOT NULL, "
                              "`SZO_SALDO` DECIMAL(16,2) NOT NULL, `SZO_SALDO1` DECIMAL(16,2) NOT NULL, "
                              "`SZO_SALDO2` DECIMAL(16,2) NOT NULL, `SZO_DATADODANIA` TIMESTAMP NULL default "
                              "CURRENT_TIMESTAMP, PRIMARY KEY (`SZO_INDEX`), KEY (`SZO_USERID`)")));
    for (const char* p : {"FV", "FVK"}) {
        const QString x = QString::fromLatin1(p);
        const QString name = x == QLatin1String("FV") ? QStringLiteral("FvKsef") : QStringLiteral("FvkKsef");
        createTable(name, innoDb(name, QStringLiteral(
                                           "`%1_KSEF_INDEX` INT NOT NULL AUTO_INCREMENT, "
                                           "`%1_KSEF_IDFAKTURY` INT NOT NULL, `%1_KSEF_NRREFSESJI` "
                                           "VARCHAR(100) NOT NULL, `%1_KSEF_NRREFFAKTURY` VARCHAR(100) NOT "
                                           "NULL, `%1_KSEF_STATUS` VARCHAR(100) NOT NULL, `%1_KSEF_NRKSEF` "
                                           "VARCHAR(100) NOT NULL, `%1_KSEF_OPERATORID` INT NOT NULL, "
                                           "`%1_KSEF_DATAMODYFIKACJI` %2, PRIMARY KEY (`%1_KSEF_INDEX`), "
                                           "INDEX (`%1_KSEF_IDFAKTURY`), INDEX (`%1_KSEF_NRKSEF`), INDEX "
                                           "(`%1_KSEF_NRREFSESJI`)")
                                           .arg(x, kAutoStamp)));
    }
    createTable(QStringLiteral("Ksef"),
                innoDb(QStringLiteral("Ksef"),
                       QStringLiteral(
                           "`KSEF_INDEX` INT NOT NULL AUTO_INCREMENT, `KSEF_IDENTYFIKATOR` VARCHAR(100) NOT "
                           "NULL, `KSEF_DANE` LONGTEXT NOT NULL, `KSEF_ILOSC` INT NULL, `KSEF_NRREFSESJI` "
                           "VARCHAR(100) NOT NULL, `KSEF_NRREFFAKTURY` VARCHAR(100) NOT NULL, "
                           "`KSEF_STATUS` VARCHAR(100) NOT NULL, `KSEF_PLIK` VARCHAR(100) NOT NULL, "
                           "`KSEF_NRKSEF` VARCHAR(100) NOT NULL, `KSEF_OPERATORID` INT NOT NULL, "
                           "`KSEF_DATAMODYFIKACJI` %1, PRIMARY KEY (`KSEF_INDEX`), INDEX "
                           "(`KSEF_IDENTYFIKATOR`), INDEX (`KSEF_PLIK`), INDEX (`KSEF_NRREFSESJI`)")
                           .arg(kAutoStamp)));
    createTable(QStringLiteral("FvKsefPobrane"),
                QStringLiteral("CREATE TABLE IF NOT EXISTS `FvKsefPobrane` LIKE Fv"));
    createTable(QStringLiteral("MagazynBlob2"),
                QStringLiteral("CREATE TABLE IF NOT EXISTS `MagazynBlob2` LIKE MagazynBlob"));
    createTable(
        QStringLiteral("OplatyVove"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS  `OplatyVove` (`O_INDEX` int(11) NOT NULL AUTO_INCREMENT, "
                       "`O_INDEXUSER` int(11) NOT NULL, `O_KWOTA` decimal(16,2) NOT NULL DEFAULT 0.00, "
                       "`O_DATAWPLATY` date NOT NULL, `O_OPERATORID` int(11) NOT NULL, `O_DATAMODYFIKACJI` "
                       "timestamp NULL DEFAULT current_timestamp() ON UPDATE current_timestamp(), "
                       "`O_DATADODANIA` date NOT NULL,  PRIMARY KEY (O_INDEX), INDEX (O_INDEXUSER), INDEX "
                       "(O_DATAWPLATY)) ENGINE = InnoDB COLLATE utf8_polish_ci"));
}

// Re-applied at every upgrade after group 59: the column types these two must keep.
void reapplyColumnTypes()
{
    for (const TSchemaStep& s :
         {SchemaChange(QStringLiteral("PaDodaneTauron"), QStringLiteral("PA_IDCPPC"),
                       QStringLiteral("VARCHAR(15) NOT NULL"), QStringLiteral("varchar(15)|no|null|")),
          SchemaChange(QStringLiteral("Mac"), QStringLiteral("M_UWAGI"),
                       QStringLiteral("VARCHAR(255) NOT NULL"), QStringLiteral("varchar(255)|no|null|"))}) {
        if (SchemaStepHasWork(s)) SchemaExec(s.sql, s.args);
    }
}

void runColumnGroups()
{
    for (const TSchemaGroup& g : SchemaColumnGroups()) {
        RunSchemaGroup(g);
        if (g.number == 59) reapplyColumnTypes();
    }
}

// The customer-portal folder was kept in three parts; it is one path now.
void mergePortalFolder()
{
    const QString k1 = ReadIniString(0, QStringLiteral("vOVE_Kat1"), QString());
    if (k1.isEmpty()) return;
    QString path = k1;
    const QString k2 = ReadIniString(0, QStringLiteral("vOVE_Kat2"), QString());
    if (!k2.isEmpty()) path += QLatin1Char('/') + k2;
    const QString k3 = ReadIniString(0, QStringLiteral("vOVE_Kat3"), QString());
    if (!k3.isEmpty()) path += QLatin1Char('/') + k3;
    WriteIniString(0, QStringLiteral("vOVE_Kat"), path);
    WriteIniString(0, QStringLiteral("vOVE_Kat1"), QString());
    WriteIniString(0, QStringLiteral("vOVE_Kat2"), QString());
    WriteIniString(0, QStringLiteral("vOVE_Kat3"), QString());
}

std::vector<TSchemaGroup> buildKsefGroups()
{
    auto add = [](const char* table, const char* column, const QString& definition) {
        return SchemaAdd(QString::fromLatin1(table), QString::fromLatin1(column), definition);
    };
    // Statements that each run while they have work to do.
    auto list = [](std::vector<TSchemaStep> steps) {
        TSchemaGroup g;
        g.steps = std::move(steps);
        return g;
    };
    auto single = [](TSchemaStep s) {
        TSchemaGroup g;
        g.table = s.table;
        g.guardColumn = s.object;
        g.steps.push_back(std::move(s));
        return g;
    };
    const QString vc255 = QStringLiteral("VARCHAR(255) NOT NULL");
    const QString vc20 = QStringLiteral("VARCHAR(20) NOT NULL");
    const QString vc50 = QStringLiteral("VARCHAR(50) NOT NULL");
    const QString int0 = QStringLiteral("INT NOT NULL default 0");
    const QString int2 = QStringLiteral("INT NOT NULL default 2");
    const QString int8 = QStringLiteral("INT NOT NULL default 8");
    const QString lt = QStringLiteral("LONGTEXT NOT NULL");

    std::vector<TSchemaStep> each = {add("FvKsef", "FV_KSEF_LINKOFFLINE", vc255),
                                     add("FvKsef", "FV_KSEF_LINKCERTOFFLINE", vc255),
                                     add("FvkKsef", "FVK_KSEF_LINKOFFLINE", vc255),
                                     add("FvkKsef", "FVK_KSEF_LINKCERTOFFLINE", vc255),
                                     add("Fvk", "FVK_CZYKORDANYCHNABYWCY", int0),
                                     add("Ksef", "KSEF_IDFAKTURY", QStringLiteral("INT NOT NULL")),
                                     add("Umowy", "UM_TRESC2", lt),
                                     add("Szablony", "SZ_TRESC2", lt),
                                     add("WyslaneEmail", "EMW_INDEXUSER", int0),
                                     add("Ksef", "KSEF_TYPBRAMKI", int2),
                                     add("Userdb", "U_NIP2", vc20),
                                     add("Fv", "FV_NIP2", vc20),
                                     add("Fvk", "FVK_NIP2", vc20),
                                     add("FvkKsef", "FVK_KSEF_TYPBRAMKI", int2),
                                     add("FvKsef", "FV_KSEF_TYPBRAMKI", int2)};
    // The correspondence recipient of invoices and corrections.
    for (const char* tp : {"Fv:FV", "Fvk:FVK"}) {
        const QStringList parts = QString::fromLatin1(tp).split(QLatin1Char(':'));
        const QString t = parts[0], p = parts[1];
        const std::pair<const char*, QString> cols[] = {
            {"_KOR_NAZWA", QStringLiteral("VARCHAR(200) NOT NULL")},
            {"_KOR_ULICA", QStringLiteral("VARCHAR(80) NOT NULL")},
            {"_KOR_MIEJSCOWOSC", QStringLiteral("VARCHAR(80) NOT NULL")},
            {"_KOR_POCZTA", QStringLiteral("VARCHAR(80) NOT NULL")},
            {"_KOR_KOD", QStringLiteral("VARCHAR(6) NOT NULL")},
            {"_KOR_NRDOMU", vc20},
            {"_KOR_NRLOKALU", vc20},
            {"_CZYADRESDOKORESP", int0},
            {"_KOR_ROLA", int8},
            {"_KOR_JST", int2}};
        for (const auto& [suffix, def] : cols)
            each.push_back(SchemaAdd(t, p + QLatin1String(suffix), def));
    }
    for (const std::pair<const char*, QString>& c : std::initializer_list<std::pair<const char*, QString>>{
             {"FV_KOR_NAZWA", QStringLiteral("VARCHAR(200) NOT NULL")},
             {"FV_KOR_ULICA", QStringLiteral("VARCHAR(80) NOT NULL")},
             {"FV_KOR_MIEJSCOWOSC", QStringLiteral("VARCHAR(80) NOT NULL")},
             {"FV_KOR_POCZTA", QStringLiteral("VARCHAR(80) NOT NULL")},
             {"FV_KOR_KOD", QStringLiteral("VARCHAR(6) NOT NULL")},
             {"FV_KOR_NRDOMU", vc20},
             {"FV_KOR_NRLOKALU", vc20},
             {"FV_CZYADRESDOKORESP", int0},
             {"FV_NRKSEF", QStringLiteral("VARCHAR(100) NOT NULL")},
             {"FV_KSEF_TYPBRAMKI", QStringLiteral("INT NOT NULL")},
             {"FV_NIP2", vc20},
             {"FV_KOR_ROLA", int8},
             {"FV_KOR_JST", int2},
             {"FV_KSEF_ZAZNACZONA", int0},
             {"FV_KSEF_ARCHIWALNA", int0},
             {"FV_KSEF_KOSZTOWA", int0},
             {"FV_KSEF_ZAPLACONA", int0},
             {"FV_KSEF_ZAKSIEGOWANA", int0}})
        each.push_back(add("FvKsefPobrane", c.first, c.second));
    each.push_back(add("Userdb", "U_KOR_ROLA", int8));
    each.push_back(add("Userdb", "U_KOR_JST", int2));

    // A KOD II link signed with an RSA key runs to about 470 characters: at 255
    // the server would cut it silently and the printed code would not verify.
    for (const char* tc : {"FvKsef:FV_KSEF_LINKOFFLINE", "FvKsef:FV_KSEF_LINKCERTOFFLINE",
                           "FvkKsef:FVK_KSEF_LINKOFFLINE", "FvkKsef:FVK_KSEF_LINKCERTOFFLINE"}) {
        const QStringList parts = QString::fromLatin1(tc).split(QLatin1Char(':'));
        each.push_back(SchemaModify(parts[0], parts[1], QStringLiteral("VARCHAR(1000) NOT NULL"),
                                    QStringLiteral("varchar(1000)|no|null|")));
    }

    std::vector<TSchemaGroup> groups;
    groups.push_back(list(std::move(each)));

    TSchemaGroup g;
    g.table = QStringLiteral("MagazynBlob2");
    g.guardColumn = QStringLiteral("MB_INDEXUSER");
    g.steps = {add("MagazynBlob2", "MB_INDEXUSER", QStringLiteral("INT NOT NULL")),
               SchemaAddIndex(QStringLiteral("MagazynBlob2"), {QStringLiteral("MB_INDEXUSER")}),
               SchemaAddIndex(QStringLiteral("FvKsefPobrane"), {QStringLiteral("FV_NRKSEF")})};
    groups.push_back(g);
    g.guardColumn = QStringLiteral("MB_INDEXDOC");
    g.steps = {add("MagazynBlob2", "MB_INDEXDOC", QStringLiteral("INT NOT NULL")),
               add("MagazynBlob2", "MB_TYPDOC", QStringLiteral("VARCHAR(10) NOT NULL")),
               SchemaAddIndex(QStringLiteral("MagazynBlob2"), {QStringLiteral("MB_INDEXDOC")})};
    groups.push_back(g);
    // A version stored the stamp of MagazynBlob2 under a wrong prefix.
    groups.push_back(
        single(SchemaWhenPresent(QStringLiteral("MagazynBlob2"), QStringLiteral("MS_DATAMODYFIKACJI"),
                                 QStringLiteral("ALTER TABLE MagazynBlob2 DROP MS_DATAMODYFIKACJI"))));
    groups.push_back(single(add("FvKsefPobrane", "FV_UWAGI", vc255)));
    groups.push_back(single(add("Umowy", "UM_CZYNAIBOKU", int0)));
    g.table = QStringLiteral("OplatyVove");
    g.guardColumn = QStringLiteral("O_CZYZAKSIEGOWANA");
    g.steps = {add("OplatyVove", "O_CZYZAKSIEGOWANA", int0),
               add("OplatyVove", "O_INDEXOPLATA", QStringLiteral("INT NOT NULL")),
               add("OplatyVove", "O_DATAKSIEGOWANIA", QStringLiteral("DATE NOT NULL")),
               add("OplatyVove", "O_OPISPLATNOSCI", vc255),
               add("OplatyVove", "O_PODMIOT", QStringLiteral("INT NOT NULL"))};
    groups.push_back(g);
    g.table = QStringLiteral("Multiszablon");
    g.guardColumn = QStringLiteral("MS_NAZWA");
    g.steps = {
        SchemaWhenPresent(QStringLiteral("Multiszablon"), QStringLiteral("MS_DATAMODYFIKACJI"),
                          QStringLiteral("ALTER TABLE Multiszablon MODIFY MS_NAZWA VARCHAR(254) NOT NULL")),
        SchemaWhenPresent(QStringLiteral("Multiszablon"), QStringLiteral("MS_DATAMODYFIKACJI"),
                          QStringLiteral("ALTER TABLE Multiszablon DROP MS_DATAMODYFIKACJI"))};
    groups.push_back(g);
    groups.push_back(
        list({add("Umowy", "UM_KLIENTTXT", vc255), add("Umowy", "UM_ODBIORCATXT", vc255),
              add("Skrypty", "SKR_BLOKOWANIUP", QStringLiteral("VARCHAR(50) NOT NULL default '32k'")),
              add("Skrypty", "SKR_BLOKOWANIDOWN", QStringLiteral("VARCHAR(50) NOT NULL default '32k'")),
              add("Fv", "FV_KOR_IDWEW", vc50), add("Fvk", "FVK_KOR_IDWEW", vc50),
              add("Userdb", "U_KOR_IDWEW", vc50), add("FvKsefPobrane", "FV_KOR_IDWEW", vc50)}));
    // FvKsefPobrane copies Fv as it was when the table was made; on a database
    // older than the company and tax-file columns the download would then write
    // to columns that do not exist.
    groups.push_back(list({add("FvKsefPobrane", "FV_PODMIOT", QStringLiteral("INT NOT NULL default 1")),
                           add("FvKsefPobrane", "FV_GTU_MPP", int0), add("FvKsefPobrane", "FV_GTU_EE", int0),
                           add("FvKsefPobrane", "FV_GTU_SW", int0), add("FvKsefPobrane", "FV_GTU_TP", int0),
                           add("FvKsefPobrane", "FV_GTU_FP", int0)}));
    return groups;
}

} // namespace

void UpgradeKsefSchema(TStartupProgress* splash)
{
    step(splash, QStringLiteral("Przygotowanie tabel do KSeF"));
    static const std::vector<TSchemaGroup> groups = buildKsefGroups();
    for (const TSchemaGroup& g : groups)
        RunSchemaGroup(g);
}

void UpgradeSchema(TStartupProgress* splash)
{
    TDedicatedSession* s = GlobalSession();
    if (!s || !s->Database() || !s->Database()->Connected())
        throw EDatabaseError(QStringLiteral("Schema upgrade without an open database connection"));
    SchemaStatementLog().clear();
    if (splash) splash->SetProgressMax(splash->GetProgressMax() + 8);
    step(splash, QStringLiteral("Przygotowywanie struktury tabel"));
    DropViews();
    createUpgradeTables();
    step(splash, QStringLiteral("Dodawanie nowych pól do tabel"));
    runColumnGroups();
    mergePortalFolder();
    UpgradeKsefSchema(splash);
    RebuildViews(splash);
    // Written last: only a complete run may stamp the database.
    WriteIniString(0, QStringLiteral("VerQv_VerView"), ProgramVersion + ProgramBuildSuffix);
}
