// The invoice list: its filters, the refusals of edit and delete (KSeF,
// corrections), delete and settle through the rules, and the zero-correction
// of the whole selection.
#include "billing/FvLista.h"
#include "billing/ListyAkcje.h"
#include "billing/Rozliczenia.h"
#include "core/DateTimePicker.h"
#include "core/DialogPL.h"
#include "core/Operatorzy.h"
#include "core/Query.h"
#include "core/Session.h"
#include "tests/billing/BillingFixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QTest>

namespace {

class FvListaTest : public BillingTest
{
protected:
    void SetUp() override
    {
        BillingTest::SetUp();
        if (HasFatalFailure()) return;
        TMD::SetTestHook([this](const TMD::Shown&) { return answer; });
        TMD::ClearRecorded();
        user = AddUser(1, 7);
    }
    void TearDown() override
    {
        list.reset();
        TMD::ClearTestHook();
        TMD::ClearRecorded();
        BillingTest::TearDown();
    }
    void ksef(int fv, const QString& number, const QString& status)
    {
        S()->ExecQuery(
            QStringLiteral("insert into FvKsef (FV_KSEF_IDFAKTURY, FV_KSEF_NRKSEF, FV_KSEF_STATUS) values "
                           "(:p1, :p2, :p3)"),
            {fv, number, status});
    }
    QStringList shown() const
    {
        QStringList out;
        for (const TMD::Shown& s : TMD::Recorded())
            out << s.text;
        return out;
    }
    int rows() { return list->Query()->RecordCount(); }

    int answer = mrYes;
    int user = 0;
    std::unique_ptr<TFormFvLista> list;
};

TEST_F(FvListaTest, EditAndDeleteRefusals)
{
    struct Case
    {
        const char* name;
        QString number, status;
        bool corrected;
        QString edit, remove;
    };
    const QString sentEdit = QStringLiteral("Nie można edytować faktury po wysłaniu jej do KSeF");
    const QString sentDelete = QStringLiteral("Nie można usunąć faktury po wysłaniu jej do KSeF");
    const Case cases[] = {
        {"NoKsefRow", {}, {}, false, {}, {}},
        {"StatusWordOnly", {}, QStringLiteral("Błąd"), false, {}, {}},
        {"SixteenCharacterNumber", QStringLiteral("1234567890123456"), QStringLiteral("OK"), false, sentEdit,
         sentDelete},
        // Any number KSeF gave counts, whatever its length.
        {"FifteenCharacters", QStringLiteral("123456789012345"), QStringLiteral("x"), false, sentEdit,
         sentDelete},
        // Registered offline: KSeF gets the stored file later, so the invoice is locked already.
        {"OfflineWithoutNumber", {}, QStringLiteral("OFFLINE"), false, sentEdit, sentDelete},
        {"Corrected",
         {},
         {},
         true,
         QStringLiteral("Nie można edytować faktury, gdyż wybrany dokument był korygowany"),
         QStringLiteral("Nie można usunąć faktury, gdyż wybrany dokument był korygowany")},
    };
    for (const Case& c : cases) {
        const int fv = AddDoc('F', user, A("100"), QDate(2025, 1, 15));
        if (!c.number.isEmpty() || !c.status.isEmpty()) ksef(fv, c.number, c.status);
        if (c.corrected) {
            const int k = AddDoc('K', user, A("-100"), QDate(2025, 1, 15));
            S()->ExecQuery(QStringLiteral("update Fvk set FVK_INDEXKORYGOWANEJ=:p1 where FVK_INDEX=:p2"),
                           {fv, k});
        }
        EXPECT_EQ(DocumentEditRefusal('F', fv), c.edit) << c.name;
        EXPECT_EQ(DocumentDeleteRefusal('F', fv), c.remove) << c.name;
    }
}

TEST_F(FvListaTest, DeleteTakesBackTheSettlementAndTheLines)
{
    const int fv = AddDoc('F', user, A("100"), QDate(2025, 1, 15));
    const int o = AddOplata(user, A("100"), QDate(2025, 1, 10));
    ASSERT_TRUE(SettleOplata(o, user));
    ASSERT_EQ(OplataOpen(o), A("0"));
    S()->ExecQuery(QStringLiteral("insert into FvPozycje (FVP_INDEXFAKTURA) values (:p1)"), {fv});
    ASSERT_TRUE(DeleteListedDocument('F', fv, user, QStringLiteral("Usunięcie faktury ID=")));
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Fv where FV_INDEX=:p1"), {fv}), 0);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from FvPozycje where FVP_INDEXFAKTURA=:p1"), {fv}), 0);
    EXPECT_EQ(OplataOpen(o), A("100"));
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Log where LOG_OPIS like :p1"),
                  {QStringLiteral("%: Usunięcie faktury ID=") + QString::number(fv) + QStringLiteral(" (%")}),
              1);
}

TEST_F(FvListaTest, SettleWithAnAmountLogsTheAmountOrTheFailure)
{
    const int fv = AddDoc('F', user, A("100"), QDate(2025, 1, 15));
    EXPECT_TRUE(SettleListedDocument(
        'F', fv, QStringLiteral("gotówka"), QStringLiteral("2025-01-20"), A("40"), SettleAmountText(A("40")),
        QStringLiteral("Rozliczenie faktury ID="), QStringLiteral("Nieudana próba rozliczenia faktury ID=")));
    EXPECT_EQ(DocOpen('F', fv), A("60"));
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Log where LOG_OPIS like :p1"),
                  {QStringLiteral("%: Rozliczenie faktury ID=") + QString::number(fv) +
                   QStringLiteral(" kwotą 40,00 zł (%")}),
              1);
    // More than is open: refused, nothing written, the failure logged.
    EXPECT_FALSE(SettleListedDocument(
        'F', fv, QStringLiteral("gotówka"), QStringLiteral("2025-01-20"), A("61"), SettleAmountText(A("61")),
        QStringLiteral("Rozliczenie faktury ID="), QStringLiteral("Nieudana próba rozliczenia faktury ID=")));
    EXPECT_EQ(DocOpen('F', fv), A("60"));
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Log where LOG_OPIS like :p1"),
                  {QStringLiteral("%: Nieudana próba rozliczenia faktury ID=") + QString::number(fv) +
                   QStringLiteral(" (%")}),
              1);
}

TEST_F(FvListaTest, FiltersSelectTheirInvoices)
{
    const QDate today = QDate::currentDate();
    const int overdue = AddDoc('F', user, A("10"), today.addDays(-3), QStringLiteral("1/A"), today);
    const int cash = AddDoc('F', user, A("20"), today.addDays(5), QStringLiteral("2/A"), today);
    const int offline = AddDoc('F', user, A("30"), today.addDays(5), QStringLiteral("3/A"), today);
    const int old = AddDoc('F', user, A("40"), today.addDays(5), QStringLiteral("4/A"), today.addMonths(-4));
    S()->ExecQuery(QStringLiteral("update Fv set FV_FORMAPLATNOSCI=:p1 where FV_INDEX=:p2"),
                   {QStringLiteral("gotówka"), cash});
    ksef(offline, QString(), QStringLiteral("OFFLINE"));
    Q_UNUSED(old);
    list = std::make_unique<TFormFvLista>();
    list->show();
    EXPECT_EQ(rows(), 3); // the from-date is three months back
    QTest::mouseClick(list->CheckBoxPoTerminie, Qt::LeftButton);
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(list->CurrentKey(), overdue);
    QTest::mouseClick(list->CheckBoxPoTerminie, Qt::LeftButton);
    QTest::mouseClick(list->CheckBoxGotowkowe, Qt::LeftButton);
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(list->CurrentKey(), cash);
    QTest::mouseClick(list->CheckBoxGotowkowe, Qt::LeftButton);
    QTest::mouseClick(list->CheckBoxOffline, Qt::LeftButton);
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(list->CurrentKey(), offline);
    QTest::mouseClick(list->CheckBoxOffline, Qt::LeftButton);
    list->DateFrom->SetChecked(false);
    EXPECT_EQ(rows(), 4);
}

TEST_F(FvListaTest, ZeroCorrectionOfTheSelectionNeedsCtrlRightsAndConfirmation)
{
    AddDoc('F', user, A("10"), QDate::currentDate(), QStringLiteral("1/A"), QDate::currentDate());
    list = std::make_unique<TFormFvLista>();
    list->show();
    list->KorygujWszystkieNaZero(false);
    EXPECT_TRUE(shown().isEmpty());
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Fvk")), 0);

    const int rights = OperatorRightsLevel;
    OperatorRightsLevel = 4;
    list->KorygujWszystkieNaZero(true);
    ASSERT_EQ(shown().size(), 1);
    EXPECT_EQ(shown().front(), RightDeniedMessage(3));
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Fvk")), 0);

    OperatorRightsLevel = rights;
    TMD::ClearRecorded();
    answer = mrNo;
    list->KorygujWszystkieNaZero(true);
    EXPECT_EQ(shown(), QStringList{QStringLiteral("Czy skorygować na \"0\" wszystkie wybrane faktury (1)?")});
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Fvk")), 0);
}

TEST_F(FvListaTest, ZeroCorrectionSkipsCorrectedInvoicesAndPointsTheOthersToTheirCorrection)
{
    const int a = AddDoc('F', user, A("10"), QDate::currentDate());
    const int b = AddDoc('F', user, A("20"), QDate::currentDate());
    const int k = AddDoc('K', user, A("-20"), QDate::currentDate());
    S()->ExecQuery(QStringLiteral("update Fvk set FVK_INDEXKORYGOWANEJ=:p1 where FVK_INDEX=:p2"), {b, k});
    std::vector<int> edited;
    const int done = ZeroCorrectInvoices({a, b}, [&](int n, int) {
        edited.push_back(n);
        return true;
    });
    EXPECT_EQ(done, 1);
    ASSERT_EQ(edited.size(), 1u);
    EXPECT_EQ(Int(QStringLiteral("select FV_INDEXKOREKTA from Fv where FV_INDEX=:p1"), {a}), edited.front());
    EXPECT_EQ(
        Int(QStringLiteral("select FVK_INDEXKORYGOWANEJ from Fvk where FVK_INDEX=:p1"), {edited.front()}), a);
}

} // namespace
