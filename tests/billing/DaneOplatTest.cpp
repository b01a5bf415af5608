// The payment views that the lists and the unpaid-documents text read.
#include "core/Query.h"
#include "tests/billing/BillingFixture.h"

TEST_F(BillingTest, PaymentsListViewCarriesSubscriberAndPeriod)
{
    const int u = AddUser(1, 314);
    const int o = AddOplata(u, A("12.50"), QDate(2025, 3, 7));
    auto q = S()->OpenQuery(QStringLiteral("select * from vOplatyLista where O_INDEX=:p1"), {o});
    ASSERT_EQ(q->RecordCount(), 1);
    EXPECT_EQ(q->FieldByName("U_NazwiskoImie")->AsString(), QStringLiteral("Kowalski Jan"));
    EXPECT_EQ(q->FieldByName("U_NRKLIENTA")->AsInteger(), 314);
    EXPECT_EQ(q->FieldByName("O_Year")->AsInteger(), 2025);
    EXPECT_EQ(q->FieldByName("O_Month")->AsInteger(), 3);
    EXPECT_EQ(q->FieldByName("O_KWOTA")->AsCurrency(), A("12.50"));
}

TEST_F(BillingTest, UnsettledDocumentsViewTakesOpenDocumentsOnly)
{
    const int u = AddUser();
    AddDoc('F', u, A("10"), QDate(2025, 1, 10), QStringLiteral("F1"), QDate(2025, 1, 3));
    AddDoc('F', u, A("0"), QDate(2025, 1, 10), QStringLiteral("F0"), QDate(2025, 1, 1));
    AddDoc('P', u, A("20"), QDate(2025, 1, 10), QStringLiteral("P1"), QDate(2025, 1, 2));
    AddDoc('K', u, A("-5"), QDate(2025, 1, 10), QStringLiteral("K1"), QDate(2025, 1, 4));
    EXPECT_EQ(S()->GetQueryValuesAsList(
                  QStringLiteral("select concat(FV_Typ, ' ', FV_NUMERTXT, ' ', FV_KWOTADOROZLICZENIA) from "
                                 "vListaNierozliczonychDokumentow where FV_INDEXUSER=:p1"),
                  {u}),
              (QStringList{"PZ P1 20.00", "FV F1 10.00", "FK K1 -5.00"}));
}
