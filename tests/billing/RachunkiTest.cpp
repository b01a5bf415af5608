// Bank account numbers, subscribers' virtual sub-accounts and the check for
// virtual accounts shared by several subscribers.
#include "billing/DuplikatyKont.h"
#include "billing/RachunkiBankowe.h"
#include "core/DialogPL.h"
#include "core/Podmioty.h"
#include "tests/billing/BillingFixture.h"

TEST(Nrb, CheckDigitsAndGroups)
{
    struct Case
    {
        const char *basic, *nrb;
    } cases[] = {
        {"000000000000000000000000", "04 0000 0000 0000 0000 0000 0000"},
        {"1234 5678 0000 0000 0000 0042", "56 1234 5678 0000 0000 0000 0042"},
        {"109010140000071219812874", "61 1090 1014 0000 0712 1981 2874"}, // a published example account
        {"10901014000007121981287", ""},                                  // 23 digits
        {"1090101400000712198128745", ""},                                // 25 digits
        {"", ""},
        {"10901014000007121981287X", "Błąd"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompleteNrb(QString::fromUtf8(c.basic)), QString::fromUtf8(c.nrb)) << c.basic;
}

TEST(Nrb, ValidOnlyInTheGroupedFormWithRightCheckDigits)
{
    struct Case
    {
        const char* text;
        bool valid;
    } cases[] = {
        {"61 1090 1014 0000 0712 1981 2874", true},   {"56 1234 5678 0000 0000 0000 0042", true},
        {"61109010140000071219812874", false},        // no blanks
        {"61 1090 1014 0000 0712 1981  2874", false}, // a double blank
        {"62 1090 1014 0000 0712 1981 2874", false},  // wrong check digits
        {"61 1090 1014 0000 0712 1981 287", false},   {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsValidNrb(QString::fromLatin1(c.text)), c.valid) << c.text;
}

namespace {

class RachunkiTest : public BillingTest
{
protected:
    void SetUp() override
    {
        BillingTest::SetUp();
        AddPodmiot(1, QStringLiteral("FIR"));
    }
    void Accounts(int user, const QString& first, const QString& second)
    {
        S()->ExecQuery(
            QStringLiteral("update Userdb set U_NRRACHUNKU1=:p1, U_NRRACHUNKU2=:p2 where U_INDEX=:p3"),
            {first, second, user});
    }
};

} // namespace

TEST_F(RachunkiTest, VirtualAccountFromTheCompanySettings)
{
    SetGlobal(QStringLiteral("U_Sub_NrBanku"), QStringLiteral("12345678"));
    SetGlobal(QStringLiteral("U_Sub_NrKlienta"), QStringLiteral("0000"));
    SetGlobal(QStringLiteral("U_Sub_Prefix"), QStringLiteral("0000"));
    AddUser(1, 42);
    EXPECT_EQ(MakeVirtualAccountNrb(42), QStringLiteral("56 1234 5678 0000 0000 0000 0042"));
    EXPECT_EQ(CurrentPodmiotId, 1);
    // A number longer than fits beside the prefix gives an empty text, not an error.
    SetGlobal(QStringLiteral("U_Sub_Prefix"), QStringLiteral("00000"));
    AddUser(1, 12345678);
    EXPECT_EQ(MakeVirtualAccountNrb(12345678), QString());
}

TEST_F(RachunkiTest, VirtualAccountOfAnotherCompanyUsesItsOwnSettings)
{
    SetGlobal(QStringLiteral("U_Sub_NrBanku"), QStringLiteral("12345678"));
    AddPodmiot(2, QStringLiteral("ABC"));
    S()->ExecQuery(QStringLiteral("update Podmioty set P_SUBNUMERBANKU='10901014', P_SUBNUMERKLIENTA='0000', "
                                  "P_SUBPREFIX='0712' where P_INDEX=2"));
    AddUser(2, 19812874);
    EXPECT_EQ(MakeVirtualAccountNrb(19812874), QStringLiteral("61 1090 1014 0000 0712 1981 2874"));
    EXPECT_EQ(CurrentPodmiotId, 1);
    EXPECT_EQ(
        S()->GetQueryValueAsString(QStringLiteral("select I_VALUE from INI where I_IDENT='U_Sub_NrBanku'")),
        QStringLiteral("12345678")); // the real settings again
}

TEST_F(RachunkiTest, DuplicateAccountsListedPerColumn)
{
    const QString own = QStringLiteral("11 1111 1111 1111 1111 1111 1111");
    const QString shared = QStringLiteral("56 1234 5678 0000 0000 0000 0042");
    const QString other = QStringLiteral("04 0000 0000 0000 0000 0000 0000");
    SetGlobal(QStringLiteral("U_NrKonta"), own);
    for (int i = 0; i < 3; ++i)
        Accounts(AddUser(), shared, QString()); // three share the first number, none has a second one
    Accounts(AddUser(), own, own);              // the company's own account is no duplicate
    Accounts(AddUser(), own, own);
    Accounts(AddUser(), other, QString()); // once first ...
    Accounts(AddUser(), QString(), other); // ... and once second is no duplicate either
    EXPECT_EQ(DuplicateUserAccountLines(), QStringList{shared + QStringLiteral("   - 3 szt.")});
}

TEST_F(RachunkiTest, ImportStopsUnlessTheOperatorGoesOn)
{
    const QString shared = QStringLiteral("56 1234 5678 0000 0000 0000 0042");
    TMD::ClearRecorded();
    TMD::SetTestHook([](const TMD::Shown&) { return int(mrNo); });
    EXPECT_FALSE(CheckDuplicateUserAccounts()); // no duplicates: no question
    EXPECT_TRUE(TMD::Recorded().empty());
    Accounts(AddUser(), QString(), shared);
    Accounts(AddUser(), QString(), shared);
    EXPECT_TRUE(CheckDuplicateUserAccounts());
    ASSERT_EQ(TMD::Recorded().size(), 1);
    EXPECT_EQ(TMD::Recorded().front().text,
              QStringLiteral(
                  "Znaleziono u klientów zdublowane numery kont bankowych, co może prowadzić do "
                  "nieprawidłowego zaksięgowania wpłat na te konta.\r\nProszę skorygować wpisy dla niżej "
                  "pokazanych numerów kont:\r\n\r\n") +
                  shared + QStringLiteral("   - 2 szt.\r\n\r\nCzy mimo to chcesz kontynuować import?"));
    TMD::SetTestHook([](const TMD::Shown&) { return int(mrYes); });
    EXPECT_FALSE(CheckDuplicateUserAccounts());
    TMD::ClearTestHook();
}
