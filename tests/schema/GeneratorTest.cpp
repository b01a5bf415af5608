// The synthetic ISP of the benchmarks: same seed, same rows; rows that hang
// together the way the program expects.
//
// The bench library is not linked into test executables, so its unit is
// compiled in here.
#include "bench/common/Generator.h"

#include "tests/schema/SchemaFixture.h"

namespace {

const char* const kChecksum =
    "select md5(concat_ws('|', (select group_concat(concat_ws(',', U_INDEX, U_NRKLIENTA, U_NAZWISKO, U_IMIE, "
    "U_ADR_ULICA, U_ADR_NRDOMU, U_ADR_MIEJSCOWOSC, U_DATAAKTYWACJI, U_DATADEAKTYWACJI, U_KWOTAABONAMENTU, "
    "U_PESEL, "
    "U_EMAIL, U_TEL1, U_GRUPA1, U_GRUPA2) order by U_INDEX) from Userdb), (select "
    "group_concat(concat_ws(',', "
    "M_INDEXUSER, M_MAC, M_IP, M_PUBIP, M_INDEXMIEJSCEPODLACZENIA, M_LOGIN) order by M_INDEX) from Mac), "
    "(select "
    "group_concat(concat_ws(',', UFV_INDEXUSER, UFV_NAZWAUSLUGI, UFV_WARTOSCBRUTTO) order by UFV_INDEX) from "
    "UserFvPozycje)))";

} // namespace

class GeneratorTest : public SchemaTest
{
protected:
    void SetUp() override
    {
        SchemaTest::SetUp();
        if (HasFatalFailure()) return;
        FirstStart();
    }
    TGeneratorOptions options()
    {
        TGeneratorOptions o;
        o.subscribers = 300;
        o.seed = 7;
        return o;
    }
};

TEST_F(GeneratorTest, SameSeedWritesTheSameRows)
{
    const TGeneratorResult r = GenerateIsp(S(), options());
    EXPECT_EQ(r.subscribers, 300);
    const QString first = Value(QString::fromLatin1(kChecksum));
    for (const char* t : {"Userdb", "Mac", "UserFvPozycje", "Umowy", "Wezly", "Infrastruktura", "MTRouter",
                          "Grupy", "GrupyInf", "Taryfy", "Uslugi", "Podmioty", "Mac_hist"})
        S()->ExecQuery(QStringLiteral("TRUNCATE TABLE `%1`").arg(QLatin1String(t)));
    GenerateIsp(S(), options());
    EXPECT_EQ(Value(QString::fromLatin1(kChecksum)), first);

    // A database that already holds subscribers is left alone.
    EXPECT_THROW(GenerateIsp(S(), options()), EDatabaseError);
    EXPECT_EQ(Count(QStringLiteral("select count(*) from Userdb")), 300);
}

TEST_F(GeneratorTest, RowsHangTogether)
{
    GenerateIsp(S(), options());
    // Addresses are unique per device, links point at existing rows.
    EXPECT_EQ(Count(QStringLiteral("select count(*) - count(distinct M_IP) from Mac")), 0);
    EXPECT_EQ(Count(QStringLiteral("select count(*) - count(distinct M_MAC) from Mac")), 0);
    EXPECT_EQ(Count(QStringLiteral(
                  "select count(*) from Mac left join Userdb on U_INDEX=M_INDEXUSER where U_INDEX is "
                  "null")),
              0);
    EXPECT_EQ(Count(QStringLiteral("select count(*) from Mac left join Infrastruktura on "
                                   "INF_INDEX=M_INDEXMIEJSCEPODLACZENIA where INF_INDEX is null")),
              0);
    EXPECT_EQ(Count(QStringLiteral(
                  "select count(*) from Infrastruktura i left join Wezly on W_INDEX=INF_INDEXWEZLA "
                  "where W_INDEX is null")),
              0);
    EXPECT_EQ(Count(QStringLiteral("select count(*) from Userdb where not exists (select 1 from Mac where "
                                   "M_INDEXUSER=U_INDEX) or not exists (select 1 from UserFvPozycje where "
                                   "UFV_INDEXUSER=U_INDEX)")),
              0);
    // The subscription is the gross sum of the recurring (not one-off) items.
    EXPECT_EQ(Count(QStringLiteral(
                  "select count(*) from Userdb where U_KWOTAABONAMENTU <> (select sum(UFV_WARTOSCBRUTTO) "
                  "from UserFvPozycje where UFV_INDEXUSER=U_INDEX and UFV_CZYJEDNORAZOWA=0)")),
              0);
    // Gross = net + VAT on every item; the octets match the address text.
    EXPECT_EQ(Count(QStringLiteral(
                  "select count(*) from UserFvPozycje where UFV_WARTOSCBRUTTO <> UFV_WARTOSCNETTO + "
                  "UFV_KWOTAVAT")),
              0);
    EXPECT_EQ(Count(QStringLiteral(
                  "select count(*) from Mac where M_IP <> concat_ws('.', M_IP1, M_IP2, M_IP3, M_IP4)")),
              0);
    // Fibre subscribers hang on fibre access devices.
    EXPECT_EQ(Count(QStringLiteral(
                  "select count(*) from vMac where TL_NAZWA='światłowodowe' and INF_NAZWA not like "
                  "'OLT%'")),
              0);
    // Polish names and towns, the views read them.
    EXPECT_GT(
        Count(QStringLiteral("select count(*) from vUserdb where vU_ADR_Adres like '%Ł%' or U_NAZWISKO like "
                             "'%ś%' or U_NAZWISKO like '%ń%'")),
        0);
    EXPECT_GT(Count(QStringLiteral("select count(*) from vUserdb where vU_Aktywny='1'")), 200);
}
