// The correction list and the other lists' sort keys: the re-settle run over
// the selection (one transaction per correction), the refusals of a sent
// correction and the number sort of every list.
#include "billing/FvKorektaLista.h"
#include "billing/ListyAkcje.h"
#include "billing/OplatyLista.h"
#include "billing/PzLista.h"
#include "core/DateTimePicker.h"
#include "core/DbError.h"
#include "core/DialogPL.h"
#include "core/ListStatement.h"
#include "core/Query.h"
#include "tests/billing/BillingFixture.h"

#include <QDir>
#include <QLabel>
#include <QTest>

namespace {

TEST(FvKorektaListaSort, EveryListSortsItsNumberByYearMonthAndSequence)
{
    struct Case
    {
        TListConfig config;
        const char* first;
        const char* buyer;
        const char* order;
    };
    const Case cases[] = {
        {PzListaConfig(), "PZ_DATAWYSTAWIENIA", "PZ_User",
         " order by PZ_User ASC, PZ_Month ASC, PZ_NUMER ASC, PZ_NUMER ASC, PZ_User"},
        {FvKorektaListaConfig(), "FVK_DATAWYSTAWIENIA", "FVK_User",
         " order by FVK_User ASC, FVK_Month ASC, FVK_NUMER ASC, FVK_NUMER ASC, FVK_User"},
        {OplatyListaConfig(), "O_DATADODANIA", "U_NazwiskoImie",
         " order by U_NazwiskoImie ASC, O_Month ASC, O_NUMER ASC, O_NUMER ASC, U_NazwiskoImie"},
    };
    for (const Case& c : cases) {
        TListStatement st(c.config);
        st.TitleClick(QLatin1String(c.first));
        st.TitleClick(QLatin1String(c.first));
        EXPECT_EQ(st.OrderClause(),
                  QStringLiteral(" order by %1 DESC, %2 DESC, %3")
                      .arg(QLatin1String(c.first), c.config.NumberKeys[2], c.config.TieBreak));
        st.TitleClick(c.config.NumberField);
        st.TitleClick(QLatin1String(c.buyer));
        EXPECT_EQ(st.OrderClause(), QLatin1String(c.order)) << c.first;
    }
}

class FvKorektaListaTest : public BillingTest
{
protected:
    void SetUp() override
    {
        BillingTest::SetUp();
        if (HasFatalFailure()) return;
        TMD::SetTestHook([](const TMD::Shown&) { return mrYes; });
        user = AddUser(1, 3);
    }
    void TearDown() override
    {
        S()->ExecQuery(QStringLiteral("drop trigger if exists TestFailLink"));
        TMD::ClearTestHook();
        BillingTest::TearDown();
    }
    int user = 0;
};

TEST_F(FvKorektaListaTest, ResettleCommitsEachCorrectionAndAnErrorUndoesOnlyTheCurrentOne)
{
    // Three subscribers, so one correction's settling touches no other's.
    std::vector<int> k;
    for (int i = 0; i < 3; ++i) {
        const int u = AddUser(1, 10 + i);
        k.push_back(AddDoc('K', u, A("100"), QDate(2025, 1, 15)));
        AddOplata(u, A("100"), QDate(2025, 1, 10));
    }
    // The third correction's link cannot be written.
    S()->ExecQueryNoParamCheck(
        QStringLiteral("create trigger TestFailLink before insert on OplatyRozliczenia for "
                       "each row begin if NEW.OR_INDEXDOC = %1 and NEW.OR_RODZAJDOC = 'K' "
                       "then signal sqlstate '45000' set message_text = 'test'; end if; end")
            .arg(k[2]));
    EXPECT_THROW(ResettleCorrections(k), EDatabaseError);
    EXPECT_FALSE(S()->InTransaction());
    EXPECT_EQ(DocOpen('K', k[0]), A("0"));
    EXPECT_EQ(DocOpen('K', k[1]), A("0"));
    EXPECT_EQ(DocOpen('K', k[2]), A("100"));

    S()->ExecQuery(QStringLiteral("drop trigger TestFailLink"));
    EXPECT_EQ(ResettleCorrections(k), 3);
    EXPECT_EQ(DocOpen('K', k[2]), A("0"));
}

TEST_F(FvKorektaListaTest, SentCorrectionIsNeitherEditedNorDeleted)
{
    const int k = AddDoc('K', user, A("-10"), QDate(2025, 1, 15));
    S()->ExecQuery(
        QStringLiteral("insert into FvkKsef (FVK_KSEF_IDFAKTURY, FVK_KSEF_NRKSEF) values (:p1, :p2)"),
        {k, QStringLiteral("5250000000-20250101-ABCDEF-12")});
    EXPECT_EQ(DocumentEditRefusal('K', k),
              QStringLiteral("Nie można edytować faktury po wysłaniu jej do KSeF"));
    EXPECT_EQ(DocumentDeleteRefusal('K', k),
              QStringLiteral("Nie można usunąć faktury po wysłaniu jej do KSeF"));
}

TEST_F(FvKorektaListaTest, WindowListsThreeMonthsUpToTodayAndDrawsFinished)
{
    AddDoc('K', user, A("-10"), QDate(2025, 1, 15), QStringLiteral("K/1/2025"), QDate::currentDate());
    AddDoc('K', user, A("-20"), QDate(2025, 1, 15), QStringLiteral("K/2/2025"),
           QDate::currentDate().addMonths(-4));
    TFormFvKorektaLista list;
    list.show();
    EXPECT_TRUE(list.DateTo->Checked());
    EXPECT_EQ(list.Query()->RecordCount(), 1);
    EXPECT_EQ(list.LabelSuma->text(), QStringLiteral("Pozycji 1 ; Do rozliczenia -10,00 zł z -10,00 zł"));
    const QString dir = TestOutputDir(QStringLiteral("lists"));
    QDir().mkpath(dir);
    list.grab().save(QDir(dir).filePath(QStringLiteral("korekty_lista.png")));
}

} // namespace
