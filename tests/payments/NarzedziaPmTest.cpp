#include "payments/NarzedziaPm.h"
#include "billing/RachunkiBankowe.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Funkcje2.h"
#include "payments/KsiegowaniePm.h"
#include "tests/payments/PmFixture.h"

namespace {

class PmToolsTest : public PmTest
{
protected:
    void TearDown() override
    {
        MainUserWhere.clear();
        PmTest::TearDown();
    }
    QString Accounts(int user)
    {
        return Text(
            QStringLiteral("select concat(U_NRRACHUNKU1, '|', U_NRRACHUNKU2) from Userdb where U_INDEX=:p1"),
            {user});
    }
};

} // namespace

TEST_F(PmToolsTest, SwappingTwiceRestoresOnlyTheShownSubscribers)
{
    const int a = AddUser(1, QStringLiteral("A1"), QStringLiteral("A2"));
    const int b = AddUser(2, QStringLiteral("B1"), QStringLiteral("B2"));
    MainUserWhere = QStringLiteral(" WHERE U_INDEX in (%1) ").arg(a);
    EXPECT_EQ(SwapSubAccounts(), 1);
    EXPECT_EQ(Accounts(a), QStringLiteral("A2|A1"));
    EXPECT_EQ(Accounts(b), QStringLiteral("B1|B2"));
    SwapSubAccounts();
    EXPECT_EQ(Accounts(a), QStringLiteral("A1|A2"));
}

TEST_F(PmToolsTest, GeneratorWritesOnlyValidGroupedSubAccounts)
{
    const int empty = AddUser(12, QString());
    const int kept = AddUser(13, QStringLiteral("stare"));
    MainUserWhere = QStringLiteral(" WHERE U_INDEX > 0 ");
    EXPECT_EQ(GenerateSubAccounts(true), 1);
    EXPECT_EQ(Accounts(empty), SubAccount(12) + QLatin1Char('|'));
    EXPECT_TRUE(IsValidNrb(SubAccount(12)));
    EXPECT_EQ(Accounts(kept), QStringLiteral("stare|")) << "only empty ones under \"Wygeneruj jeśli puste\"";
    // A bank number of seven digits makes no valid number: nothing is overwritten with "Błąd" or ''.
    WriteIniString(0, QStringLiteral("U_Sub_NrBanku"), QStringLiteral("1050102"));
    EXPECT_EQ(GenerateSubAccounts(false), 0);
    EXPECT_EQ(Accounts(kept), QStringLiteral("stare|"));
    WriteIniString(0, QStringLiteral("U_Sub_NrBanku"), QStringLiteral("10501025"));
    EXPECT_EQ(GenerateSubAccounts(false), 2);
    EXPECT_EQ(Accounts(kept), SubAccount(13) + QLatin1Char('|'));
}

TEST_F(PmToolsTest, FormattingAndDeletingSubAccounts)
{
    const int a = AddUser(1, QStringLiteral("61109010140000071219812874"), QString());
    MainUserWhere = QStringLiteral(" WHERE U_INDEX=%1 ").arg(a);
    EXPECT_EQ(FormatSubAccounts(), 1);
    EXPECT_EQ(Accounts(a), QStringLiteral("61 1090 1014 0000 0712 1981 2874|"));
    EXPECT_EQ(DeleteSubAccounts(), 1);
    EXPECT_EQ(Accounts(a), QStringLiteral("|"));
}

TEST_F(PmToolsTest, RowMatchingToolsAndTheRegister)
{
    const int u = AddUser(7, SubAccount(7));
    const TPmImportResult r =
        Import(WriteFile(QStringLiteral("r.txt"), RawLine("20250301", SubAccount(8), "100", "a", "b")));
    ASSERT_TRUE(r.ok);
    const int pm = Int(QStringLiteral("select PM_INDEX from PlatnosciMasowe"));
    EXPECT_EQ(Int(QStringLiteral("select PM_INDEXUSER from PlatnosciMasowe")), 0);
    CorrectPmAccount(pm, SubAccount(7));
    EXPECT_EQ(Int(QStringLiteral("select PM_INDEXUSER from PlatnosciMasowe")), u);
    EXPECT_TRUE(UnassignPmRow(pm));
    EXPECT_EQ(Int(QStringLiteral("select PM_INDEXUSER from PlatnosciMasowe")), 0);
    MatchPmRowsToUsers();
    EXPECT_EQ(Int(QStringLiteral("select PM_INDEXUSER from PlatnosciMasowe")), u);
    ASSERT_TRUE(PostPmRow(pm));
    EXPECT_FALSE(UnassignPmRow(pm)) << "a posted row keeps its subscriber";
    EXPECT_EQ(Int(QStringLiteral("select PM_INDEXUSER from PlatnosciMasowe")), u);
    const QString path = Text(QStringLiteral("select PMMD5_SCIEZKA from PmMD5"));
    EXPECT_FALSE(PmImportRefusal(path, QStringLiteral("RAW")).isEmpty());
    DeletePmImport(r.registerId);
    EXPECT_EQ(PmImportRefusal(path, QStringLiteral("RAW")), QString()) << "the file may be read again";
}
