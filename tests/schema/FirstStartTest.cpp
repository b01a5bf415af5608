// A first start on an empty database: base script, upgrade, views, triggers.
#include "tests/schema/SchemaFixture.h"

#include "core/DbIni.h"
#include "core/Query.h"
#include "core/SchemaSteps.h"
#include "core/SchemaUpgrade.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <cstdio>

TEST_F(SchemaTest, FirstStartCreatesTheCatalogueViewsAndTriggers)
{
    QElapsedTimer timer;
    timer.start();
    FirstStart(/*realScript=*/true);
    ASSERT_FALSE(HasFatalFailure());
    const qint64 ms = timer.elapsed();
    std::printf("first start (script + upgrade + views + triggers): %.2f s\n", ms / 1000.0);
    EXPECT_LT(ms, 20000);

    QStringList tables;
    for (const QString& line : Tables())
        tables << line.section(QStringLiteral(" | "), 0, 0);
    QStringList expected = kCatalogueTables;
    std::sort(expected.begin(), expected.end());
    std::sort(tables.begin(), tables.end());
    EXPECT_EQ(tables.size(), 73);
    EXPECT_EQ(tables, expected);

    QStringList views = Views();
    QStringList expectedViews = kUpgradeViews;
    std::sort(views.begin(), views.end());
    std::sort(expectedViews.begin(), expectedViews.end());
    EXPECT_EQ(views, expectedViews);

    EXPECT_EQ(Triggers(),
              (QStringList{"Infrastruktura_hist_ondelete_trigger | BEFORE | DELETE | Infrastruktura",
                           "Infrastruktura_hist_onupdate_trigger | BEFORE | UPDATE | Infrastruktura",
                           "Mac_hist_ondelete_trigger | BEFORE | DELETE | Mac",
                           "Mac_hist_onupdate_trigger | BEFORE | UPDATE | Mac",
                           "Oplaty_hist_ondelete_trigger | BEFORE | DELETE | Oplaty",
                           "Oplaty_hist_onupdate_trigger | BEFORE | UPDATE | Oplaty"}));

    EXPECT_EQ(ReadIniString(0, QStringLiteral("VerQv_VerView"), QStringLiteral("0")),
              QStringLiteral("v6.14001"));
    EXPECT_EQ(ReadIniInteger(0, QStringLiteral("MikroTikPrzebudowa_4_23"), -1), 1);
}

TEST_F(SchemaTest, EveryTableIsInnoDbWithThePolishCollationButTheAddressPoints)
{
    FirstStart();
    ASSERT_FALSE(HasFatalFailure());
    for (const QString& line : Tables()) {
        const QString name = line.section(QStringLiteral(" | "), 0, 0);
        const QString engine =
            name == QLatin1String("pa") ? QStringLiteral("MyISAM") : QStringLiteral("InnoDB");
        EXPECT_EQ(line, name + QStringLiteral(" | ") + engine + QStringLiteral(" | utf8mb3_polish_ci"));
    }
    auto q = S()->OpenQuery(QStringLiteral("SHOW CREATE TABLE Userdb"));
    const QString text = q->Fields(1)->AsString();
    EXPECT_TRUE(text.contains(QLatin1String("ENGINE=InnoDB"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QLatin1String("utf8mb3_polish_ci"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QLatin1String("FOREIGN KEY")));
    EXPECT_EQ(Count(QStringLiteral("select count(*) from information_schema.REFERENTIAL_CONSTRAINTS where "
                                   "CONSTRAINT_SCHEMA=:p1"),
                    {DatabaseName()}),
              0);
    // Every text column compares with the Polish rules.
    EXPECT_EQ(
        S()->GetQueryValuesAsList(
            QStringLiteral("select concat(TABLE_NAME, '.', COLUMN_NAME, ' ', COLLATION_NAME) from "
                           "information_schema.COLUMNS where TABLE_SCHEMA=:p1 and COLLATION_NAME is not null "
                           "and COLLATION_NAME<>'utf8mb3_polish_ci'"),
            {DatabaseName()}),
        QStringList());
}

TEST_F(SchemaTest, FirstRowsHoldTheAdministratorAndThePaymentForms)
{
    LoadSchema();
    ASSERT_FALSE(HasFatalFailure());
    auto op = S()->OpenQuery(QStringLiteral("select * from Operator"));
    ASSERT_EQ(op->RecordCount(), 1);
    EXPECT_EQ(op->FieldByName(QStringLiteral("OP_LOGIN"))->AsString(), QStringLiteral("admin"));
    EXPECT_EQ(op->FieldByName(QStringLiteral("OP_AKTYWNY"))->AsString(), QStringLiteral("A"));
    EXPECT_EQ(op->FieldByName(QStringLiteral("OP_POZIOMUPRAWNIEN"))->AsInteger(), 1);
    // MD5 of "mewra", NUL, "admin", NUL and the 13-byte salt, computed here independently.
    QByteArray bytes = QByteArray("mewra") + '\0' + QByteArray("admin") + '\0' +
                       QByteArray::fromHex("419C0B725ED3286610A73F845B");
    EXPECT_EQ(op->FieldByName(QStringLiteral("OP_HASLO"))->AsString(),
              QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex()));
    EXPECT_EQ(S()->GetQueryValuesAsList(
                  QStringLiteral("select concat(FP_NAZWA, '/', FP_ILOSCDNI) from FormyPlatnosci "
                                 "order by FP_INDEX")),
              (QStringList{"gotówka/0", "przelew/14", "przedpłata/0", "przelew 7 dni/7", "przelew 14 dni/14",
                           "przelew 21 dni/21"}));
    EXPECT_EQ(Count(QStringLiteral("select count(*) from Autoryzacja where AUT_NAZWA='pppoe'")), 1);
}

// With the empty SQL mode an insert that names one column stores the zero
// value (or the declared default) of every other column: nothing is refused.
TEST_F(SchemaTest, InsertNamingOneColumnStoresZeroValuesEverywhereElse)
{
    FirstStart();
    ASSERT_FALSE(HasFatalFailure());
    struct Case
    {
        const char* table;
        const char* insert;
    };
    const Case cases[] = {{"Userdb", "insert into Userdb set U_NAZWISKO='x'"},
                          {"Fv", "insert into Fv set FV_NUMERTXT='x'"},
                          {"Mac", "insert into Mac set M_IP='x'"},
                          {"Oplaty", "insert into Oplaty set O_NUMERTXT='x'"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        S()->ExecQuery(QString::fromLatin1(c.insert));
        auto row = S()->OpenQuery(QStringLiteral("select * from `%1`").arg(QLatin1String(c.table)));
        ASSERT_EQ(row->RecordCount(), 1);
        auto cols =
            S()->OpenQuery(QStringLiteral("select COLUMN_NAME, DATA_TYPE, COLUMN_DEFAULT, IS_NULLABLE, "
                                          "NUMERIC_SCALE, EXTRA from information_schema.COLUMNS where "
                                          "TABLE_SCHEMA=:p1 and TABLE_NAME=:p2"),
                           {DatabaseName(), QString::fromLatin1(c.table)});
        for (cols->First(); !cols->Eof(); cols->Next()) {
            const QString name = cols->Fields(0)->AsString();
            const QString type = cols->Fields(1)->AsString();
            const QString extra = cols->Fields(5)->AsString();
            if (extra.contains(QLatin1String("auto_increment")) ||
                name.endsWith(QLatin1String("DATAMODYFIKACJI")) ||
                QString::fromLatin1(c.insert).contains(name + QLatin1Char('=')))
                continue;
            TField* f = row->FieldByName(name);
            QString expected;
            if (!cols->Fields(2)->IsNull() && cols->Fields(2)->AsString() != QLatin1String("NULL")) {
                expected = cols->Fields(2)->AsString();
                expected.remove(QLatin1Char('\''));
                if (type == QLatin1String("decimal"))
                    expected = QString::number(expected.toDouble(), 'f', cols->Fields(4)->AsInteger());
            } else if (cols->Fields(3)->AsString() == QLatin1String("YES")) {
                EXPECT_TRUE(f->IsNull()) << name.toStdString();
                continue;
            } else if (type == QLatin1String("date")) {
                expected = QStringLiteral("0000-00-00");
            } else if (type == QLatin1String("datetime")) {
                expected = QStringLiteral("0000-00-00 00:00:00");
            } else if (type == QLatin1String("decimal")) {
                expected = QString::number(0.0, 'f', cols->Fields(4)->AsInteger());
            } else if (type.contains(QLatin1String("int"))) {
                expected = QStringLiteral("0");
            } else {
                expected = QString();
            }
            EXPECT_FALSE(f->IsNull()) << name.toStdString();
            EXPECT_EQ(QString::fromUtf8(f->AsBytes()), expected) << name.toStdString();
        }
    }
}

TEST_F(SchemaTest, TerytTablesTakeTheRegisterImportRows)
{
    FirstStart();
    ASSERT_FALSE(HasFatalFailure());
    S()->ExecQuery(
        QStringLiteral("insert terc(id, woj, pow, gmi, rodz, nazwa, nazdod, stan_na) values ('1', '14', '', "
                       "'', '', 'MAZOWIECKIE', 'województwo', '2024-01-01'),('2', '14', '65', '', '', "
                       "'Warszawa', 'miasto stołeczne, na prawach powiatu', '2024-01-01')"));
    S()->ExecQuery(
        QStringLiteral("insert simc(id, woj, pow, gmi, rodz_gmi, rm, mz, nazwa, sym, sympod, stan_na) values "
                       "('1', '14', '65', '01', '1', '96', '1', 'Warszawa', '0918123', '0918123', "
                       "'2024-01-01')"));
    S()->ExecQuery(
        QStringLiteral("insert ulic(id, woj, pow, gmi, rodz_gmi, sym, sym_ul, stan_na, nazwa) values ('1', "
                       "'14', '65', '01', '1', '0918123', '04142', '2024-01-01', 'ul. Marszałkowska')"));
    S()->ExecQuery(QStringLiteral(
        "insert wmrodz(id, rm, nazwa_rm, stan_na) values ('1', '96', 'miasto', '2024-01-01')"));
    // Codes keep their leading zeros.
    EXPECT_EQ(Value(QStringLiteral("select concat(u.sym_ul, ' - ', u.nazwa) from ulic as u where u.sym=:p1"),
                    {QStringLiteral("0918123")}),
              QStringLiteral("04142 - ul. Marszałkowska"));
    EXPECT_EQ(Value(QStringLiteral("select nazwa from terc where length(pow)=0 and woj like :p1 limit 1"),
                    {QStringLiteral("14")}),
              QStringLiteral("MAZOWIECKIE"));
}

TEST_F(SchemaTest, SettingsStoreKeepsOneRowPerKey)
{
    LoadSchema();
    ASSERT_FALSE(HasFatalFailure());
    WriteIniString(0, QStringLiteral("Klucz"), QStringLiteral("1"));
    WriteIniString(0, QStringLiteral("Klucz"), QStringLiteral("2"));
    EXPECT_EQ(ReadIniString(0, QStringLiteral("Klucz"), QString()), QStringLiteral("2"));
    EXPECT_EQ(Count(QStringLiteral("select count(*) from INI where I_IDENT='Klucz'")), 1);
    // Two workstations inserting the same new key at once: the second row is refused.
    EXPECT_THROW(
        S()->ExecQuery(QStringLiteral("insert into INI (I_FILENAME, I_OPERATOR, I_SECTION, I_IDENT, I_VALUE) "
                                      "values ('app', 0, 'Var', 'Klucz', '3')")),
        EDatabaseError);
}
