// The till line in the sibling sales program's database: the line's values
// from its gross price, the quoted database name, and a failure that leaves
// the payment and tells the operator.
#include "billing/KasaVendra.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/Funkcje.h"
#include "core/Query.h"
#include "core/Session.h"
#include "tests/support/RowInsert.h"
#include "tests/support/TestDb.h"

namespace {

Amount4 A(const char* text)
{
    Amount4 a;
    Amount4::tryParse(QString::fromLatin1(text), a);
    return a;
}

} // namespace

TEST(GrossLineAmounts, NetValuesFollowFromTheGrossPrice)
{
    const struct
    {
        const char *price, *quantity, *discount, *rate;
        const char *netPrice, *gross, *net, *vat, *discountAmount;
    } cases[] = {
        {"123.00", "1", "0", "23%", "100.0000", "123.0000", "100.0000", "23.0000", "0.0000"},
        {"123.00", "1", "10", "23%", "100.0000", "110.7000", "90.0000", "20.7000", "12.3000"},
        {"50.00", "2", "0", "zw", "50.0000", "100.0000", "100.0000", "0.0000", "0.0000"},
        // 10 / 1.08 = 9.259259...: four places, half to even.
        {"10.00", "3", "0", "8%", "9.2593", "30.0000", "27.7778", "2.2222", "0.0000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.price) + " x" + c.quantity + " -" + c.discount + "% " + c.rate);
        const TGrossLineAmounts a = GrossLineAmounts(A(c.price), A(c.quantity), A(c.discount),
                                                     VatRateFactor(QString::fromLatin1(c.rate)));
        EXPECT_EQ(a.NetPrice.toSqlText(), QString::fromLatin1(c.netPrice));
        EXPECT_EQ(a.GrossValue.toSqlText(), QString::fromLatin1(c.gross));
        EXPECT_EQ(a.NetValue.toSqlText(), QString::fromLatin1(c.net));
        EXPECT_EQ(a.VatAmount.toSqlText(), QString::fromLatin1(c.vat));
        EXPECT_EQ(a.DiscountAmount.toSqlText(), QString::fromLatin1(c.discountAmount));
    }
}

class KasaVendraTest : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        LoadUpgradedSchema();
        ASSERT_FALSE(HasFatalFailure());
        // A name that only works quoted.
        m_sibling = DatabaseName() + QStringLiteral("-vendra");
        S()->ExecQuery(QStringLiteral("create database `%1`").arg(m_sibling));
        S()->ExecQuery(
            QStringLiteral(
                "create table `%1`.FvPozycje (FVP_INDEX int auto_increment primary key, FVP_TYP "
                "char(1), FVP_INDEXFAKTURA int, FVP_NAZWA varchar(255), FVP_CENABRUTTO decimal(16,4), "
                "FVP_STAWKAVAT_TXT varchar(10), FVP_STAWKAVAT decimal(16,4), FVP_ILOSC decimal(16,4), "
                "FVP_RABAT decimal(16,4) not null default 0, FVP_CENANETTO decimal(16,4), "
                "FVP_WARTOSCBRUTTO decimal(16,4), FVP_WARTOSCNETTO decimal(16,4), FVP_KWOTAVAT "
                "decimal(16,4), FVP_RABATKWOTA decimal(16,4), FVP_OPERATORID int, FVP_SYMBOL "
                "varchar(20), FVP_DATADODANIA datetime)")
                .arg(m_sibling));
        WriteIniString(0, QStringLiteral("DodajDoVendraSqlBaza"), m_sibling);
        TMD::SetTestHook([this](const TMD::Shown&) { return m_answer; });
        TMD::ClearRecorded();
    }
    void TearDown() override
    {
        S()->ExecQuery(QStringLiteral("drop database if exists `%1`").arg(m_sibling));
        TMD::ClearTestHook();
        TMD::ClearRecorded();
        DbTest::TearDown();
    }
    QString line(int id)
    {
        return S()->GetQueryValueAsString(
            QStringLiteral("select concat_ws('|', FVP_TYP, FVP_INDEXFAKTURA, FVP_NAZWA, FVP_CENABRUTTO, "
                           "FVP_STAWKAVAT, FVP_CENANETTO, FVP_WARTOSCBRUTTO, FVP_WARTOSCNETTO, FVP_KWOTAVAT, "
                           "FVP_OPERATORID, FVP_SYMBOL) from `%1`.FvPozycje where FVP_INDEX=:p1")
                .arg(m_sibling),
            {id});
    }
    QString m_sibling;
    int m_answer = mrYes;
};

TEST_F(KasaVendraTest, PaymentBecomesACompleteTillLineInTheSiblingDatabase)
{
    const int user = InsertRow(S(), "Userdb",
                               {{"U_NRKLIENTA", 12},
                                {"U_NAZWISKO", "Kowalski"},
                                {"U_IMIE", "Jan"},
                                {"U_ADR_ULICA", "Lipowa"},
                                {"U_ADR_NRDOMU", "1"},
                                {"U_ADR_MIEJSCOWOSC", "Gdańsk"}});
    WriteIniBool(0, QStringLiteral("DodajDoVendraSql"), true);
    OfferVendraTillLine(user, A("123.00"));
    ASSERT_EQ(TMD::Recorded().size(), 1);
    EXPECT_TRUE(TMD::Recorded().first().text.startsWith(QStringLiteral(
        "Czy dodać wpis do kasy detalicznej programu Vendra4SQL:\r\n\r\nUzytkownik: Kowalski Jan  "
        "KWOTA= 123,00 zł")));
    const int id = S()->GetQueryValueAsInteger(
        QStringLiteral("select max(FVP_INDEX) from `%1`.FvPozycje").arg(m_sibling));
    const QString address = S()->GetQueryValueAsString(
        QStringLiteral("select vU_ADR_Adres from vUserdb where U_INDEX=:p1"), {user});
    EXPECT_EQ(line(id), QStringLiteral("*|-1|Orlisx4SQL (automat): Kowalski Jan  %1|123.0000|1.2300|100.0000|"
                                       "123.0000|100.0000|23.0000|9998|QV")
                            .arg(address));

    // No refund and no setting: nothing asked, nothing written.
    TMD::ClearRecorded();
    OfferVendraTillLine(user, A("-10.00"));
    WriteIniBool(0, QStringLiteral("DodajDoVendraSql"), false);
    OfferVendraTillLine(user, A("10.00"));
    EXPECT_TRUE(TMD::Recorded().isEmpty());
    EXPECT_EQ(
        S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from `%1`.FvPozycje").arg(m_sibling)), 1);
}

TEST_F(KasaVendraTest, MissingSiblingDatabaseIsToldAndNothingThrows)
{
    const int user = InsertRow(S(), "Userdb", {{"U_NRKLIENTA", 13}, {"U_NAZWISKO", "Nowak"}});
    WriteIniBool(0, QStringLiteral("DodajDoVendraSql"), true);
    WriteIniString(0, QStringLiteral("DodajDoVendraSqlBaza"),
                   QStringLiteral("nie`istnieje; drop table Oplaty"));
    EXPECT_NO_THROW(OfferVendraTillLine(user, A("20.00")));
    ASSERT_EQ(TMD::Recorded().size(), 2);
    EXPECT_EQ(
        TMD::Recorded().last().text,
        QStringLiteral("Błąd podczas dodawania wpisu do kasy detalicznej Vendray4SQL. Proszę dodać wpłatę "
                       "ręcznie."));
    EXPECT_FALSE(S()->IsQueryEmpty(QStringLiteral("show tables like 'Oplaty'")));
}
