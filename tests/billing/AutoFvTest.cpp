// The paid invoice for a posted payment and the unpaid-documents block.
#include "billing/AutoFv.h"
#include "billing/FvAutomatDane.h"
#include "billing/Numeracja.h"
#include "core/Query.h"
#include "printouts/DrukFvDane.h"
#include "tests/billing/FvAutomatFixture.h"
#include "tests/support/OtherWorkstation.h"

namespace {

class IssueAutoFvTest : public FvAutomatTestBase
{
};

TEST_F(IssueAutoFvTest, OneLinePaidAtIssue)
{
    SetGlobal(QStringLiteral("MaskaFvPoczatek"), QStringLiteral("FV/"));
    const int u = Billed(3, 2);
    Item(u, QStringLiteral("Internet"), "50.00");
    Item(u, QStringLiteral("Telewizja"), "30.00", QStringLiteral("8%"));
    const QDate today = QDate::currentDate();
    const QString number = IssueAutoFv(u, QStringLiteral("PM_automat: 17"), A("61.50"));
    EXPECT_EQ(number, QStringLiteral("FV/1/ABC/%1/%2").arg(today.month()).arg(today.year()));
    const int fv = Int(QStringLiteral("select FV_INDEX from Fv where FV_NUMERTXT=:p1"), {number});
    EXPECT_EQ(Text(QStringLiteral(
                       "select group_concat(concat_ws(' ', FVP_NAZWAUSLUGI, FVP_ILOSC, FVP_WARTOSCBRUTTO, "
                       "FVP_WARTOSCNETTO, FVP_KWOTAVAT)) from FvPozycje where FVP_INDEXFAKTURA=:p1"),
                   {fv}),
              QStringLiteral("Internet 1.000 61.50 50.00 11.50"));
    EXPECT_EQ(Text(QStringLiteral(
                       "select concat_ws(' ', FV_PODMIOT, FV_SUMABRUTTO, FV_SUMANETTO_A, FV_SUMAVAT_A, "
                       "FV_KWOTAWPLACONA, FV_KWOTADOZAPLATY, FV_KWOTADOROZLICZENIA, FV_GTU_EE, FV_UWAGI, "
                       "FV_DATAWYSTAWIENIA=CURDATE(), FV_DATAPLATNOSCI=CURDATE(), FV_FORMAPLATNOSCI) from "
                       "Fv where FV_INDEX=:p1"),
                   {fv}),
              QStringLiteral("2 61.50 50.00 11.50 61.50 0.00 0.00 1 PM_automat: 17 1 1 przelew"));
}

TEST_F(IssueAutoFvTest, IndividualTermAndNoValidItem)
{
    const int u = Billed(3);
    S()->ExecQuery(QStringLiteral("update Userdb set U_CZYINDYWTERMINPLATNOSCI=1, U_INDYWTERMINPLATNOSCI=14, "
                                  "U_INDYWTERMINPLATNOSCIFORMA='karta', U_CZYFIRMA=1 where U_INDEX=:p1"),
                   {u});
    const int item = Item(u, QStringLiteral("Internet"), "50.00");
    S()->ExecQuery(QStringLiteral("update UserFvPozycje set UFV_DATAEND='2020-01-01' where UFV_INDEX=:p1"),
                   {item});
    const QString number = IssueAutoFv(u, QStringLiteral("VOVE_automat: 3"), A("61.50"));
    const int fv = Int(QStringLiteral("select FV_INDEX from Fv where FV_NUMERTXT=:p1"), {number});
    ASSERT_GT(fv, 0);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from FvPozycje where FVP_INDEXFAKTURA=:p1"), {fv}), 0);
    EXPECT_EQ(Text(QStringLiteral("select concat_ws(' ', FV_SUMABRUTTO, FV_KWOTAWPLACONA, FV_GTU_EE, "
                                  "datediff(FV_DATAPLATNOSCI, CURDATE()), FV_FORMAPLATNOSCI) from Fv where "
                                  "FV_INDEX=:p1"),
                   {fv}),
              QStringLiteral("0.00 0.00 0 14 karta"));
    EXPECT_EQ(IssueAutoFv(999999, QStringLiteral("PM_automat: 4"), A("10.00")), QStringLiteral("0"));
}

TEST_F(IssueAutoFvTest, BusyLockIsAnErrorAndWritesNothing)
{
    const int u = Billed(3);
    Item(u, QStringLiteral("Internet"), "50.00");
    TOtherWorkstation run(QStringLiteral("ws2"), DatabaseName());
    ASSERT_EQ(
        run.session->GetQueryValueAsInteger(QStringLiteral("select GET_LOCK(:p1, 1)"), {FvAutomatLockName()}),
        1);
    EXPECT_THROW(IssueAutoFv(u, QStringLiteral("PM_automat: 1"), A("61.50")), EDatabaseError);
    EXPECT_EQ(Count(QStringLiteral("Fv")), 0);
    EXPECT_EQ(Count(QStringLiteral("FvPozycje")), 0);
    run.session->ExecQuery(QStringLiteral("do RELEASE_LOCK(:p1)"), {FvAutomatLockName()});
    // The lock is let go after an invoice, so the next one gets it.
    IssueAutoFv(u, QStringLiteral("PM_automat: 1"), A("61.50"));
    EXPECT_EQ(run.session->GetQueryValueAsInteger(QStringLiteral("select IS_FREE_LOCK(:p1)"),
                                                  {FvAutomatLockName()}),
              1);
}

TEST_F(IssueAutoFvTest, AnEditorElsewhereContinuesAfterTheUncommittedNumber)
{
    const int u = Billed(3);
    Item(u, QStringLiteral("Internet"), "50.00");
    TTransactionGuard posting(S());
    IssueAutoFv(u, QStringLiteral("PM_automat: 1"), A("61.50"));
    TOtherWorkstation editor(QStringLiteral("ws2"), DatabaseName());
    TNumberReservation next('F', QDate::currentDate(), 1, editor.session.get());
    EXPECT_EQ(next.Number(), 2);
}

class UnpaidDocumentsTest : public FvAutomatTestBase
{
};

TEST_F(UnpaidDocumentsTest, NothingDueGivesNothing)
{
    const int u = Billed(1);
    EXPECT_EQ(MakeUnpaidDocumentsText(u), QString());
    AddDoc('F', u, A("10.00"), QDate(2025, 1, 1), QStringLiteral("FV/1"));
    AddOplata(u, A("10.00"), QDate(2025, 1, 1));
    S()->ExecQuery(QStringLiteral("update Fv set FV_KWOTADOROZLICZENIA=0"));
    EXPECT_EQ(MakeUnpaidDocumentsText(u), QString());
    EXPECT_EQ(MakeUnpaidDocumentsRtf(u), QString());
}

TEST_F(UnpaidDocumentsTest, OneOverdueInvoiceIsEightLines)
{
    const int u = Billed(1);
    const QDate due = QDate::currentDate().addDays(-10);
    AddDoc('F', u, A("123.45"), due, QStringLiteral("FV/7/2025"), due.addDays(-14));
    const QString text = MakeUnpaidDocumentsText(u);
    ASSERT_TRUE(text.endsWith(QStringLiteral("\r\n")));
    const QStringList lines = text.chopped(2).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 8);
    const QString rule(106, QLatin1Char('-'));
    EXPECT_EQ(lines[0], rule);
    EXPECT_EQ(lines[1], QStringLiteral("   Lista nierozliczonych dokumentów na dzień ") +
                            QDate::currentDate().toString(Qt::ISODate));
    const auto sp = [](int n) { return QString(n, QLatin1Char(' ')); };
    EXPECT_EQ(lines[3], sp(1) + QStringLiteral("Data wystawienia") + sp(3) + QStringLiteral("Nr dokumentu") +
                            sp(18) + QStringLiteral("Kwota") + sp(8) + QStringLiteral("Termin") + sp(6) +
                            QStringLiteral("Do rozliczenia") + sp(3) + QStringLiteral("Po terminie"));
    EXPECT_EQ(lines[5], sp(4) + due.addDays(-14).toString(Qt::ISODate) + sp(6) +
                            QStringLiteral("FV FV/7/2025") + sp(13) + sp(5) + QStringLiteral("123.45") +
                            sp(6) + due.toString(Qt::ISODate) + sp(8) + QStringLiteral("123.45") + sp(10) +
                            QStringLiteral("10 dni"));
    EXPECT_EQ(lines[7], QStringLiteral("   RAZEM DO ROZLICZENIA: 123,45 zł"));
    // The printout's block is this one.
    EXPECT_EQ(UnpaidDocumentsMemoText(u), text);
    const QStringList rtf = MakeUnpaidDocumentsRtf(u).chopped(2).split(QStringLiteral("\r\n"));
    ASSERT_EQ(rtf.size(), 8);
    EXPECT_EQ(rtf[0], rule + QStringLiteral("\\par "));
    EXPECT_EQ(rtf[7], lines[7]);
}

} // namespace
