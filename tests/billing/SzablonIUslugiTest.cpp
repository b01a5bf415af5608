// The template item dialog as the subscriber card uses it, and the service
// picker copying a catalogue service into the row being filled.
#include "billing/DodajUslugeZListy.h"
#include "billing/UserFvDodajPozycje.h"
#include "core/DataModule.h"
#include "core/DateTimePicker.h"
#include "core/DialogPL.h"
#include "core/Query.h"
#include "tests/billing/BillingFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

class SzablonIUslugiTest : public BillingTest
{
protected:
    void SetUp() override
    {
        BillingTest::SetUp();
        if (HasFatalFailure()) return;
        m_data = std::make_unique<TData>();
        Data = m_data.get();
        TMD::SetTestHook([](const TMD::Shown&) { return mrOk; });
        TMD::ClearRecorded();
    }
    void TearDown() override
    {
        m_data.reset();
        Data = nullptr;
        TMD::ClearTestHook();
        BillingTest::TearDown();
    }
    static void retype(QLineEdit* e, const QString& text)
    {
        e->clear();
        e->setFocus();
        QTest::keyClicks(e, text);
    }
    // What the card does: the subscriber and a new item into the dialog's sets.
    void openNewItem(TFormUserFvDodajPozycje& dlg, int user)
    {
        dlg.QUser()->SetSQL(QStringLiteral("SELECT vUserdb.* FROM vUserdb where U_INDEX=:p1"));
        dlg.QUser()->BindArgs({user});
        dlg.QUser()->Open();
        dlg.QItem()->SetSQL(QStringLiteral("select * from UserFvPozycje where UFV_INDEX=0"));
        dlg.QItem()->Open();
        dlg.QItem()->Insert();
    }
    int addService(const QString& name, const char* price, int oneOff)
    {
        S()->ExecQuery(QStringLiteral("insert into Uslugi set USL_NAZWAUSLUGI=:p1, USL_JEDNMIARY='mies.', "
                                      "USL_SYMBOL='61.10', USL_CENABRUTTO=:p2, USL_STAWKAVAT_TXT='8%', "
                                      "USL_RABAT=5, USL_CZYJEDNORAZOWA=:p3, USL_GTU=6, USL_GRUPAUSLUG=3, "
                                      "USL_KOSZTBRUTTO=12.5"),
                       {name, A(price), oneOff});
        return int(S()->LastInsertId());
    }
    std::unique_ptr<TData> m_data;
};

} // namespace

TEST_F(SzablonIUslugiTest, TemplateItemSuspendedWithoutPriceOrWholeQuantity)
{
    const int user = AddUser();
    struct
    {
        const char* rule;
        const char* quantity;
        const char* price;
        bool tickStart;
        int active;
    } cases[] = {
        {"price 0 is stored suspended", "1", "0", false, 0},
        {"quantity 0,4 rounds to 0: suspended", "0,4", "10", false, 0},
        {"a priced whole item stays active", "2", "10", true, 1},
        {"a negative price stays active", "1", "-10", false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rule);
        TFormUserFvDodajPozycje dlg;
        openNewItem(dlg, user);
        QTimer::singleShot(0, &dlg, [&] {
            retype(dlg.Nazwa, QStringLiteral("Abonament"));
            retype(dlg.Ilosc, QString::fromLatin1(c.quantity));
            retype(dlg.CenaBrutto, QString::fromLatin1(c.price));
            if (c.tickStart) QTest::mouseClick(dlg.AktywnaOd->CheckBox(), Qt::LeftButton);
            QTest::mouseClick(dlg.ZapiszBtn, Qt::LeftButton);
        });
        ASSERT_EQ(dlg.exec(), int(QDialog::Accepted));
        EXPECT_FALSE(dlg.Jednorazowa->isEnabled()); // the subscriber is not invoiced automatically
        dlg.QItem()->Post();
        const int id = int(S()->LastInsertId());
        EXPECT_EQ(Int(QStringLiteral("select UFV_CZYAKTYWNA from UserFvPozycje where UFV_INDEX=:p1"), {id}),
                  c.active);
        EXPECT_EQ(Int(QStringLiteral("select UFV_INDEXUSER from UserFvPozycje where UFV_INDEX=:p1"), {id}),
                  user);
        EXPECT_EQ(Text(QStringLiteral("select UFV_JEDNMIARY from UserFvPozycje where UFV_INDEX=:p1"), {id}),
                  QStringLiteral("szt."));
        EXPECT_EQ(
            Text(QStringLiteral("select UFV_STAWKAVAT_TXT from UserFvPozycje where UFV_INDEX=:p1"), {id}),
            QStringLiteral("23%"));
        // An unticked "Aktywna od" stores no start date.
        EXPECT_EQ(
            Text(QStringLiteral("select ifnull(cast(UFV_DATASTART as char), '') from UserFvPozycje where "
                                "UFV_INDEX=:p1"),
                 {id}),
            c.tickStart ? QDate::currentDate().toString(Qt::ISODate) : QStringLiteral("0000-00-00"));
    }
}

TEST_F(SzablonIUslugiTest, PickerCopiesTheServiceIntoTheCallingRow)
{
    const int user = AddUser();
    S()->ExecQuery(QStringLiteral("update Userdb set U_AUTOMATYCZNEFAKTURY=1 where U_INDEX=:p1"), {user});
    addService(QStringLiteral("Telewizja pakiet"), "45.90", 1);

    TFormUserFvDodajPozycje dlg;
    openNewItem(dlg, user);
    bool oneOffEnabled = false;
    QTimer::singleShot(0, &dlg, [&] {
        oneOffEnabled = dlg.Jednorazowa->isEnabled();
        TFormDodajUslugeZListy* picker = FormDodajUslugeZListy();
        QTimer::singleShot(0, picker, [picker] {
            picker->DBGrid1->selectRow(0);
            QTest::mouseClick(picker->OkBtn, Qt::LeftButton);
        });
        QTest::mouseClick(dlg.ZListyBtn, Qt::LeftButton);
        retype(dlg.Ilosc, QStringLiteral("1"));
        QTest::mouseClick(dlg.ZapiszBtn, Qt::LeftButton);
    });
    ASSERT_EQ(dlg.exec(), int(QDialog::Accepted));
    EXPECT_TRUE(oneOffEnabled);
    dlg.QItem()->Post();
    const int id = int(S()->LastInsertId());
    EXPECT_EQ(Text(QStringLiteral(
                       "select concat_ws('|', UFV_INDEXUSER, UFV_NAZWAUSLUGI, UFV_JEDNMIARY, UFV_SYMBOL, "
                       "UFV_CENABRUTTO, UFV_STAWKAVAT_TXT, UFV_RABAT, UFV_CZYJEDNORAZOWA, UFV_GTU, "
                       "UFV_GRUPAUSLUG, UFV_KOSZTBRUTTO, UFV_CZYAKTYWNA) from UserFvPozycje where "
                       "UFV_INDEX=:p1"),
                   {id}),
              QStringLiteral("%1|Telewizja pakiet|mies.|61.10|45.90|8%|5.00|1|6|3|12.50|1").arg(user));
}

TEST_F(SzablonIUslugiTest, PickerCopyByKind)
{
    const int user = AddUser();
    addService(QStringLiteral("Instalacja"), "199", 0);
    Data->QUslugi->Open();
    const int fv = AddDoc('F', user, A("0"), QDate::currentDate());
    const int pz = AddDoc('P', user, A("0"), QDate::currentDate());
    struct
    {
        char kind;
        const char* sql;
        const char* select;
        int parent;
        const char* copied;
    } cases[] = {
        {'F', "select * from FvPozycje where FVP_INDEXFAKTURA=:p1",
         "select concat_ws('|', FVP_NAZWAUSLUGI, FVP_JEDNMIARY, FVP_SYMBOL, FVP_CENABRUTTO, "
         "FVP_STAWKAVAT_TXT, "
         "FVP_RABAT, FVP_GTU) from FvPozycje where FVP_INDEX=:p1",
         fv, "Instalacja|mies.|61.10|199.00|8%|5.00|6"},
        {'P', "select * from PzPozycje where PZP_INDEXPZ=:p1",
         "select concat_ws('|', PZP_NAZWAUSLUGI, PZP_JEDNMIARY, PZP_SYMBOL, PZP_CENABRUTTO, PZP_RABAT) from "
         "PzPozycje where PZP_INDEX=:p1",
         pz, "Instalacja|mies.|61.10|199.00|5.00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        TQuery row;
        row.RequestLive = true;
        row.SetSQL(QString::fromLatin1(c.sql));
        row.BindArgs({c.parent});
        row.Open();
        row.Append();
        TFormDodajUslugeZListy* picker = FormDodajUslugeZListy();
        picker->TargetKind = QString(QLatin1Char(c.kind));
        picker->Target = &row;
        QTimer::singleShot(0, picker, [picker] {
            QApplication::processEvents();
            QTableView* grid = picker->DBGrid1;
            const QPoint at = grid->visualRect(grid->model()->index(0, 0)).center();
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
            if (picker->isVisible()) QTest::keyClick(picker, Qt::Key_Escape);
        });
        EXPECT_EQ(picker->exec(), int(QDialog::Accepted));
        row.Post();
        EXPECT_EQ(Text(QString::fromLatin1(c.select), {int(S()->LastInsertId())}),
                  QString::fromLatin1(c.copied));
    }
}

TEST_F(SzablonIUslugiTest, PickerOnAnEmptyCatalogueStaysOpen)
{
    TFormDodajUslugeZListy* picker = FormDodajUslugeZListy();
    picker->TargetKind = QStringLiteral("F");
    picker->Target = nullptr;
    bool openAfterOk = false;
    QTimer::singleShot(0, picker, [&] {
        QTest::mouseDClick(picker->DBGrid1->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
        QTest::mouseClick(picker->OkBtn, Qt::LeftButton);
        openAfterOk = picker->isVisible();
        if (openAfterOk) QTest::keyClick(picker, Qt::Key_Escape);
    });
    EXPECT_EQ(picker->exec(), int(QDialog::Rejected));
    EXPECT_TRUE(openAfterOk);
}
