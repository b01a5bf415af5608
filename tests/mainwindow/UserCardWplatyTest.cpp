// The subscriber card's money tabs and devices: the template arithmetic, the
// bank-line posting under the import's lock, unposting, the device sort and
// restoring removed devices.
#include "mainwindow/UserCardWplaty.h"
#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/Funkcje.h"
#include "core/Operatorzy.h"
#include "core/Query.h"
#include "core/SchemaUpgrade.h"
#include "core/Session.h"
#include "core/SpeedButtonEx.h"
#include "mainwindow/User.h"
#include "mainwindow/UserCardUrzadzenia.h"
#include "mainwindow/UserRules.h"
#include "payments/ImportPlatnosciMasowych.h"
#include "tests/support/RowInsert.h"
#include "tests/support/TestDb.h"

#include <QApplication>
#include <QDate>
#include <QHeaderView>
#include <QTabWidget>
#include <QTest>

namespace {

Amount4 A(const char* text)
{
    Amount4 a;
    Amount4::tryParse(QString::fromLatin1(text), a);
    return a;
}

} // namespace

TEST(UserCardDeviceSort, ClicksCycleTheOrderAndTheIpSortsByOctets)
{
    std::array<QString, 5> fields{};
    int order = 0, column = 0;
    const auto click = [&](const char* field, int col) {
        EXPECT_TRUE(CardDeviceSortClick(QString::fromLatin1(field), col, fields, order, column));
        return CardDeviceSql(fields, order);
    };
    EXPECT_TRUE(
        click("M_IP", 0).contains(QStringLiteral(" order by M_IP1 ASC, M_IP2 ASC, M_IP3 ASC, M_IP4 ASC")));
    EXPECT_TRUE(click("M_IP", 0).contains(
        QStringLiteral(" order by M_IP1 DESC, M_IP2 DESC, M_IP3 DESC, M_IP4 DESC")));
    EXPECT_FALSE(click("M_IP", 0).contains(QStringLiteral("order by")));
    EXPECT_TRUE(click("M_IP", 0).contains(QStringLiteral("M_IP1 ASC")));
    // Another title after the IP: its field first, the other octets stay behind it.
    EXPECT_TRUE(
        click("M_MAC", 1).contains(QStringLiteral(" order by M_MAC ASC, M_IP2 ASC, M_IP3 ASC, M_IP4 ASC")));
    EXPECT_EQ(column, 1);
    EXPECT_FALSE(CardDeviceSortClick(QStringLiteral("M_UWAGI"), 9, fields, order, column));
    EXPECT_EQ(column, 1) << "an unsortable column changes nothing";
}

class UserCardWplatyTest : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        LoadUpgradedSchema();
        ASSERT_FALSE(HasFatalFailure());
        m_data = std::make_unique<TData>();
        Data = m_data.get();
        OperatorId = 7;
        OperatorRightsLevel = 1;
        CardDeviceSortFields = {};
        CardDeviceSortOrder = 0;
        TMD::SetTestHook([this](const TMD::Shown&) { return m_answer; });
        TMD::ClearRecorded();
        m_user =
            InsertRow(S(), "Userdb",
                      {{"U_NRKLIENTA", 501}, {"U_NAZWISKO", "Zielińska"}, {"U_IMIE", "Ola"}, {"U_SALDO", 0}});
        Data->QUserdb->SetSQL(QStringLiteral("select * from vUserdb order by U_INDEX"));
        Data->QUserdb->Open();
        m_card = std::make_unique<TFormUser>();
    }
    void TearDown() override
    {
        m_card.reset();
        m_data.reset();
        Data = nullptr;
        OperatorId = 0;
        OperatorRightsLevel = 1;
        TMD::ClearTestHook();
        TMD::ClearRecorded();
        DbTest::TearDown();
    }
    void showCard(int tab)
    {
        m_card->UserIndex = m_user;
        m_card->show();
        m_card->PageControl1->setCurrentIndex(tab);
        QApplication::processEvents();
    }
    QStringList messages() const
    {
        QStringList out;
        for (const TMD::Shown& s : TMD::Recorded())
            out << s.text;
        return out;
    }
    int addPm(const char* amount, const QDate& bank)
    {
        return InsertRow(S(), "PlatnosciMasowe",
                         {{"PM_INDEXUSER", m_user},
                          {"PM_KWOTA", A(amount)},
                          {"PM_DATABANK", bank.toString(Qt::ISODate)},
                          {"PM_DATAIMPORTU", QDate::currentDate().toString(Qt::ISODate)},
                          {"PM_DATAKSIEGOWANIA", QStringLiteral("0000-00-00")}});
    }
    QString posted(int pm)
    {
        return S()->GetQueryValueAsString(
            QStringLiteral("select ifnull(cast(PM_DATAKSIEGOWANIA as char), '') from PlatnosciMasowe where "
                           "PM_INDEX=:p1"),
            {pm});
    }

    std::unique_ptr<TData> m_data;
    std::unique_ptr<TFormUser> m_card;
    int m_user = 0;
    int m_answer = mrYes;
};

TEST_F(UserCardWplatyTest, TemplateItemIsStoredWithTheValuesOfItsGrossPrice)
{
    InsertRow(S(), "UserFvPozycje",
              {{"UFV_INDEXUSER", m_user},
               {"UFV_NAZWAUSLUGI", "Internet 300"},
               {"UFV_CENABRUTTO", A("123.00")},
               {"UFV_ILOSC", 1},
               {"UFV_RABAT", 10},
               {"UFV_STAWKAVAT_TXT", "23%"}});
    showCard(1);
    m_card->Wplaty->RecalcTemplateItem();
    EXPECT_EQ(S()->GetQueryValueAsString(
                  QStringLiteral("select concat_ws('|', UFV_STAWKAVAT, UFV_CENANETTO, UFV_WARTOSCBRUTTO, "
                                 "UFV_WARTOSCNETTO, UFV_KWOTAVAT, UFV_RABATKWOTA) from UserFvPozycje where "
                                 "UFV_INDEXUSER=:p1"),
                  {m_user}),
              QStringLiteral("1.23|100.00|110.70|90.00|20.70|12.30"));
    EXPECT_TRUE(messages().isEmpty()) << messages().join(QLatin1Char('|')).toStdString();
}

TEST_F(UserCardWplatyTest, PostingAllWaitsForTheBankLockThenPostsOldestFirst)
{
    const int late = addPm("40.00", QDate(2026, 3, 9));
    const int early = addPm("60.00", QDate(2026, 3, 2));
    showCard(3);
    {
        // Another workstation posting statements holds the lock: nothing is posted here.
        SecondConnection other(DatabaseName());
        ASSERT_EQ(other.session->GetQueryValueAsInteger(QStringLiteral("select GET_LOCK(:p1, 0)"),
                                                        {PmAutomatLockName()}),
                  1);
        QTest::mouseClick(m_card->Wplaty->SpeedButtonEx42, Qt::LeftButton);
        EXPECT_EQ(messages().last(),
                  QStringLiteral("Obecnie możliwość rozliczania PM jest zablokowana przez inne stanowisko."));
        EXPECT_EQ(posted(early), QStringLiteral("0000-00-00"));
        EXPECT_EQ(posted(late), QStringLiteral("0000-00-00"));
        other.session->ExecQuery(QStringLiteral("DO RELEASE_LOCK(:p1)"), {PmAutomatLockName()});
    }
    TMD::ClearRecorded();
    QTest::mouseClick(m_card->Wplaty->SpeedButtonEx42, Qt::LeftButton);
    EXPECT_EQ(messages().value(0),
              QStringLiteral("Czy chcesz zaksięgować wszystkie pozycje płatności masowych użytkownika?"));
    EXPECT_EQ(posted(early), QDate::currentDate().toString(Qt::ISODate));
    EXPECT_EQ(posted(late), QDate::currentDate().toString(Qt::ISODate));
    EXPECT_LT(S()->GetQueryValueAsInteger(QStringLiteral("select PM_INDEXOPLATA from PlatnosciMasowe where "
                                                         "PM_INDEX=:p1"),
                                          {early}),
              S()->GetQueryValueAsInteger(QStringLiteral("select PM_INDEXOPLATA from PlatnosciMasowe where "
                                                         "PM_INDEX=:p1"),
                                          {late}))
        << "the older bank date is posted first";
    EXPECT_EQ(S()->GetQueryValueAsInteger(QStringLiteral("select IS_FREE_LOCK(:p1)"), {PmAutomatLockName()}),
              1);

    // "Odksięguj" on the current (newest) row takes its payment back.
    const int payment = S()->GetQueryValueAsInteger(
        QStringLiteral("select PM_INDEXOPLATA from PlatnosciMasowe where PM_INDEX=:p1"), {late});
    OperatorRightsLevel = 2;
    Data->QPm->Locate(QStringLiteral("PM_INDEX"), late);
    QTest::mouseClick(m_card->Wplaty->SpeedButtonEx43, Qt::LeftButton);
    EXPECT_EQ(posted(late), QStringLiteral("0000-00-00"));
    EXPECT_TRUE(S()->IsQueryEmpty(QStringLiteral("select 1 from Oplaty where O_INDEX=:p1"), {payment}));
    EXPECT_EQ(posted(early), QDate::currentDate().toString(Qt::ISODate));
}

TEST_F(UserCardWplatyTest, DeviceTitleClicksSortTheGridAndMarkTheTitle)
{
    InsertRow(S(), "Mac", {{"M_INDEXUSER", m_user}, {"M_IP", "10.0.0.20"}, {"M_IP4", 20}, {"M_MAC", "AA"}});
    InsertRow(S(), "Mac", {{"M_INDEXUSER", m_user}, {"M_IP", "10.0.0.3"}, {"M_IP4", 3}, {"M_MAC", "BB"}});
    showCard(0);
    const auto ips = [] {
        QStringList out;
        for (Data->QMac->First(); !Data->QMac->Eof(); Data->QMac->Next())
            out << Data->QMac->FieldByName(QStringLiteral("M_IP"))->AsString();
        return out;
    };
    QHeaderView* header = m_card->DBGrid1->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(0) + 5, header->height() / 2));
    EXPECT_EQ(ips(), (QStringList{QStringLiteral("10.0.0.3"), QStringLiteral("10.0.0.20")}))
        << "numerically by octets, not as text";
    EXPECT_EQ(m_card->DBGrid1->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("IP+"));
    m_card->Urzadzenia->SortByColumn(0);
    EXPECT_EQ(ips(), (QStringList{QStringLiteral("10.0.0.20"), QStringLiteral("10.0.0.3")}));
    EXPECT_EQ(m_card->DBGrid1->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("IP-"));
    m_card->Urzadzenia->SortByColumn(0);
    EXPECT_FALSE(Data->QMac->SQLText().contains(QStringLiteral("order by")));
    EXPECT_EQ(m_card->DBGrid1->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("IP"));
}

TEST_F(UserCardWplatyTest, RemovedDeviceComesBackUnderItsKeyUnlessTheKeyIsTaken)
{
    CreateHistoryTriggers();
    const int device = InsertRow(S(), "Mac",
                                 {{"M_INDEXUSER", m_user},
                                  {"M_IP", "10.1.2.3"},
                                  {"M_MAC", "00:1A:2B:3C:4D:5E"},
                                  {"M_LOGIN", "ola"},
                                  {"M_INDEXTYPLACZA", 4}});
    S()->ExecQuery(QStringLiteral("delete from Mac where M_INDEX=:p1"), {device});
    showCard(6);
    ASSERT_TRUE(m_card->Urzadzenia->SpeedButtonEx44->isEnabled()) << "the removed device is listed";
    QTest::mouseClick(m_card->Urzadzenia->SpeedButtonEx44, Qt::LeftButton);
    EXPECT_EQ(messages().value(0),
              QStringLiteral("Dane zostaną zapisane w bazie. Czy potwierdzasz zapisanie nowego urządzenia?"));
    EXPECT_EQ(
        S()->GetQueryValueAsString(QStringLiteral("select concat_ws('|', M_INDEXUSER, M_IP, M_IP1, M_IP4, "
                                                  "M_MAC, M_LOGIN, M_INDEXTYPLACZA) from Mac where "
                                                  "M_INDEX=:p1"),
                                   {device}),
        QStringLiteral("%1|10.1.2.3|10|3|00:1A:2B:3C:4D:5E|ola|4").arg(m_user));

    TMD::ClearRecorded();
    QTest::mouseClick(m_card->Urzadzenia->SpeedButtonEx44, Qt::LeftButton);
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Urządzenie istnieje w bazie. Nie można przywrócić.")});
    EXPECT_EQ(S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from Mac")), 1);
}

TEST_F(UserCardWplatyTest, DeletingABankLineNeedsLevelTwo)
{
    const int pm = addPm("25.00", QDate(2026, 3, 2));
    showCard(3);
    OperatorRightsLevel = 3;
    QTest::mouseClick(m_card->Wplaty->SpeedButtonEx39, Qt::LeftButton);
    EXPECT_EQ(messages(), QStringList{RightDeniedMessage(2)});
    EXPECT_FALSE(S()->IsQueryEmpty(QStringLiteral("select 1 from PlatnosciMasowe where PM_INDEX=:p1"), {pm}));

    OperatorRightsLevel = 2;
    TMD::ClearRecorded();
    QTest::mouseClick(m_card->Wplaty->SpeedButtonEx39, Qt::LeftButton);
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Czy usunąć wybrną pozycję?")});
    EXPECT_TRUE(S()->IsQueryEmpty(QStringLiteral("select 1 from PlatnosciMasowe where PM_INDEX=:p1"), {pm}));
}
