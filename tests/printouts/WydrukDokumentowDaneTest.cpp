// The criteria of the bulk run as SQL: every operator value is bound, and a
// number range that is no number stops the run with a message.
#include "printouts/WydrukDokumentowDane.h"
#include "tests/printouts/BulkFixture.h"

class WydrukDokumentowDaneTest : public BulkTest
{
};

TEST_F(WydrukDokumentowDaneTest, CriteriaSelectTheDocumentsTheySay)
{
    const int mailed = AddSubscriber(QStringLiteral("Nowak"), QStringLiteral("Jan"), 501);
    const int paper = AddSubscriber(QStringLiteral("Kowal"), QStringLiteral("Ewa"), 502);
    S()->ExecQuery(
        QStringLiteral("update Userdb set U_EMAIL='jan@example.com', U_CZYKORESPSERYJNA=1, U_CZYFIRMA=1 "
                       "where U_INDEX=:p1"),
        {mailed});
    AddInvoices(mailed, 10, QDate(2025, 3, 1));
    AddInvoices(paper, 5, QDate(2025, 4, 1));
    struct TCase
    {
        const char* rule;
        std::function<void(TBulkCriteria&)> set;
        int expected;
    };
    const TCase cases[] = {
        {"all of company 1", [](TBulkCriteria&) {}, 15},
        {"another company", [](TBulkCriteria& c) { c.Company = 2; }, 0},
        {"mailed subscribers", [](TBulkCriteria& c) { c.Mark = 1; }, 10},
        {"not mailed", [](TBulkCriteria& c) { c.Mark = 2; }, 5},
        {"from April", [](TBulkCriteria& c) { c.FromOn = true, c.From = QDate(2025, 4, 1); }, 5},
        {"to March", [](TBulkCriteria& c) { c.ToOn = true, c.To = QDate(2025, 3, 31); }, 10},
        {"numbers 2 to 4",
         [](TBulkCriteria& c) {
             c.NumbersOn = true, c.NumberFrom = QStringLiteral("2"), c.NumberTo = QStringLiteral("4");
         },
         6},
        {"range ignored while unchecked",
         [](TBulkCriteria& c) { c.NumberFrom = QStringLiteral("2"), c.NumberTo = QStringLiteral("4"); }, 15},
        {"company-marked subscribers", [](TBulkCriteria& c) { c.CompanyMarked = true; }, 10},
        {"negated mark", [](TBulkCriteria& c) { c.CompanyMarked = c.CompanyMarkNegated = true; }, 5},
        {"main grid subset",
         [&](TBulkCriteria& c) {
             c.MainGridOnly = true, c.MainUserIds = QStringLiteral(" in (%1,0) ").arg(paper);
         },
         5},
    };
    for (const TCase& c : cases) {
        TBulkCriteria criteria = AllOf(bkInvoice);
        c.set(criteria);
        EXPECT_EQ(CountBulkDocuments(S(), BuildBulkSql(criteria)), c.expected) << c.rule;
    }
}

TEST_F(WydrukDokumentowDaneTest, NumberRangeIsBoundAndANonNumberIsRefused)
{
    for (const char* bad : {"1,5", "x", "1'; drop table Fv; --", "-"}) {
        TBulkCriteria c = AllOf(bkInvoice);
        c.NumbersOn = true;
        c.NumberFrom = QString::fromUtf8(bad);
        c.NumberTo = QStringLiteral("100");
        try {
            BuildBulkSql(c);
            ADD_FAILURE() << bad << " accepted";
        } catch (const EBulkCriteriaError& e) {
            EXPECT_TRUE(e.Message().contains(QString::fromUtf8(bad))) << e.Message().toStdString();
        }
    }
    TBulkCriteria c = AllOf(bkCorrection);
    c.NumbersOn = true;
    c.NumberFrom = QStringLiteral("1");
    c.NumberTo = QStringLiteral("100");
    const TBulkSql sql = BuildBulkSql(c);
    EXPECT_FALSE(sql.Filter.contains(QStringLiteral("100")));
    EXPECT_EQ(CountBulkDocuments(S(), sql), 0);
    EXPECT_EQ(BulkPdfFileName(bkCorrection, QStringLiteral("12/05/2024")),
              QStringLiteral("K_12_05_2024.pdf"));
}
