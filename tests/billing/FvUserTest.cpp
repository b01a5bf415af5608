// One subscriber's invoices and corrections, and the payment demands: the
// subscriber label, the totals, the red rows, the correction delete that
// repairs the invoice's pointer, the remembered panel height and the payment call.
#include "billing/FvUser.h"
#include "billing/FvLista.h"
#include "billing/ListyAkcje.h"
#include "billing/ListyDruk.h"
#include "billing/PzUser.h"
#include "billing/UserDokumentyPanel.h"
#include "core/DialogPL.h"
#include "core/Query.h"
#include "core/QueryModel.h"
#include "core/Session.h"
#include "tests/billing/BillingFixture.h"

#include <QDir>
#include <QLabel>
#include <QSplitter>
#include <QTableView>
#include <QTest>

namespace {

class FvUserTest : public BillingTest
{
protected:
    void SetUp() override
    {
        BillingTest::SetUp();
        if (HasFatalFailure()) return;
        TMD::SetTestHook([](const TMD::Shown&) { return mrYes; });
        TMD::ClearRecorded();
        user = AddUser(1, 7);
    }
    void TearDown() override
    {
        ListHooks().paymentCall = nullptr;
        TMD::ClearTestHook();
        BillingTest::TearDown();
    }
    QStringList shown() const
    {
        QStringList out;
        for (const TMD::Shown& s : TMD::Recorded())
            out << s.text;
        return out;
    }
    int user = 0;
};

TEST_F(FvUserTest, ShowsTheSubscribersDocumentsWithLabelAndTotals)
{
    const QDate today = QDate::currentDate();
    AddDoc('F', user, A("1234.5"), today.addDays(10), QStringLiteral("1/01/2025"), today);
    const int other = AddUser(1, 8);
    AddDoc('F', other, A("99"), today.addDays(10), QStringLiteral("2/01/2025"), today);
    AddDoc('K', user, A("-34.5"), today.addDays(10), QStringLiteral("K/1/2025"), today);
    TFormFvUser w;
    w.UserIndex = user;
    w.show();
    EXPECT_EQ(w.StatusLabel->text(), QStringLiteral("0007 Kowalski Jan"));
    EXPECT_EQ(w.Faktury->Query->RecordCount(), 1);
    EXPECT_EQ(w.Korekty->Query->RecordCount(), 1);
    EXPECT_EQ(w.Faktury->Title->toolTip(), QStringLiteral("Suma wystawionych FV: 1234,50 zł  "));
    EXPECT_EQ(w.Korekty->Title->toolTip(), QStringLiteral("Suma wystawionych Korekt: -34,50 zł  "));
    QTest::mouseClick(w.Faktury->Title, Qt::LeftButton);
    EXPECT_EQ(shown(), QStringList{QStringLiteral("Suma wystawionych FV: 1234,50 zł  ")});
    // Not due yet but open: red here, not in the invoice list.
    EXPECT_EQ(w.Faktury->Model->data(w.Faktury->Model->index(0, 1), Qt::ForegroundRole).value<QColor>(),
              QColor(Qt::red));
    TFormFvLista list;
    list.show();
    EXPECT_FALSE(
        list.DBGrid1->model()->data(list.DBGrid1->model()->index(0, 1), Qt::ForegroundRole).isValid());
    const QString dir = TestOutputDir(QStringLiteral("lists"));
    QDir().mkpath(dir);
    w.grab().save(QDir(dir).filePath(QStringLiteral("faktury_uzytkownika.png")));
    w.hide();
    EXPECT_EQ(w.UserIndex, 0);
}

TEST_F(FvUserTest, DeletingACorrectionPointsTheInvoiceToTheOneLeft)
{
    const int fv = AddDoc('F', user, A("100"), QDate(2025, 1, 15));
    const int k1 = AddDoc('K', user, A("-10"), QDate(2025, 1, 15));
    const int k2 = AddDoc('K', user, A("-20"), QDate(2025, 1, 15));
    S()->ExecQuery(QStringLiteral("update Fvk set FVK_INDEXKORYGOWANEJ=:p1"), {fv});
    S()->ExecQuery(QStringLiteral("update Fv set FV_INDEXKOREKTA=:p1 where FV_INDEX=:p2"), {k2, fv});
    ASSERT_TRUE(DeleteListedDocument('K', k2, user, QStringLiteral("Usunięcie korekty ID=")));
    EXPECT_EQ(Int(QStringLiteral("select FV_INDEXKOREKTA from Fv where FV_INDEX=:p1"), {fv}), k1);
    ASSERT_TRUE(DeleteListedDocument('K', k1, user, QStringLiteral("Usunięcie korekty ID=")));
    EXPECT_EQ(Int(QStringLiteral("select FV_INDEXKOREKTA from Fv where FV_INDEX=:p1"), {fv}), 0);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Fvk")), 0);
}

TEST_F(FvUserTest, PanelHeightIsKeptPerOperator)
{
    TFormFvUser w;
    w.UserIndex = user;
    w.show();
    EXPECT_EQ(w.Splitter->sizes()[1], 250);
    w.Splitter->setSizes({w.Splitter->height() - w.Splitter->handleWidth() - 180, 180});
    ASSERT_EQ(w.Splitter->sizes()[1], 180);
    w.hide();
    w.UserIndex = user;
    w.show();
    EXPECT_EQ(w.Splitter->sizes()[1], 180);
    w.hide();
    const int me = OperatorId;
    OperatorId = me + 1;
    w.show();
    EXPECT_EQ(w.Splitter->sizes()[1], 250);
    w.hide();
    OperatorId = me;
}

TEST_F(FvUserTest, PaymentCallIsForTheWindowsSubscriber)
{
    std::vector<int> called;
    ListHooks().paymentCall = [&called](int u) { called.push_back(u); };
    TFormFvUser w;
    w.UserIndex = user;
    w.show();
    S()->ExecQuery(QStringLiteral("update Userdb set U_MAXZALEGLOSCFV=0 where U_INDEX=:p1"), {user});
    w.Wezwanie();
    EXPECT_EQ(shown(), QStringList{QStringLiteral("Brak przeterminowanych faktur")});
    S()->ExecQuery(QStringLiteral("update Userdb set U_MAXZALEGLOSCFV=12 where U_INDEX=:p1"), {user});
    w.Wezwanie();
    EXPECT_EQ(called, std::vector<int>{user});
}

TEST_F(FvUserTest, PzUserShowsTheSubscribersDemands)
{
    S()->ExecQuery(
        QStringLiteral("insert into Pz (PZ_INDEXUSER, PZ_NUMERTXT, PZ_DATAWYSTAWIENIA, PZ_SUMABRUTTO, "
                       "PZ_KWOTADOROZLICZENIA, PZ_DATAPLATNOSCI) values (:p1, :p2, CURDATE(), 10, 10, "
                       "CURDATE() + interval 5 day)"),
        {user, QStringLiteral("5/01/2025")});
    TFormPzUser w;
    w.UserIndex = user;
    w.show();
    EXPECT_EQ(w.StatusLabel->text(), QStringLiteral("0007 Kowalski Jan"));
    EXPECT_EQ(w.Polecenia->Query->RecordCount(), 1);
    EXPECT_EQ(w.Polecenia->Title->toolTip(), QStringLiteral("Suma wystawionych PZ: 10,00 zł  "));
    const QString dir = TestOutputDir(QStringLiteral("lists"));
    QDir().mkpath(dir);
    w.grab().save(QDir(dir).filePath(QStringLiteral("pz_uzytkownika.png")));
}

} // namespace
