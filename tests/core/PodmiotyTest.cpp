#include "core/Podmioty.h"

#include "core/DbIni.h"
#include "core/Query.h"
#include "core/SchemaUpgrade.h"
#include "core/Session.h"
#include "tests/support/TestDb.h"

#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>

namespace {

// A second connection: it sees the real settings, never this session's overlay.
struct OtherWorkstation
{
    explicit OtherWorkstation(const QString& database)
        : db(QStringLiteral("other"), TestServerParams(database))
    {
        db.Open();
        TDatabase::Register(&db);
        session.reset(TDedicatedSession::CreateOnDatabase(QStringLiteral("other")));
    }
    ~OtherWorkstation()
    {
        session.reset();
        TDatabase::Unregister(&db);
    }
    QString setting(const QString& key)
    {
        return session->GetQueryValueAsString(
            QStringLiteral(
                "select I_VALUE from INI where I_FILENAME='app' and I_OPERATOR=0 and I_SECTION='Var' and "
                "I_IDENT=:p1"),
            {key});
    }
    TDatabase db;
    std::unique_ptr<TDedicatedSession> session;
};

} // namespace

class PodmiotyTest : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        LoadSchema();
        // Podmioty comes with the upgrade, which imports the TERYT structure
        // from the program folder through the data source entry.
        SetProgramFolder(QStringLiteral(ORLIX_BIN_DIR));
        ASSERT_TRUE(m_odbcDir.isValid());
        QFile ini(m_odbcDir.filePath(QStringLiteral("odbc.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        const TConnectionParams p = TestServerParams(DatabaseName());
        ini.write(QStringLiteral(
                      "[ORLIX4SQL]\nDriver=MariaDB Unicode\nSOCKET=%1\nDATABASE=%2\nUSER=%3\nPASSWORD=%4\n")
                      .arg(p.socket, p.database, p.user, p.password)
                      .toUtf8());
        ini.close();
        m_savedOdbcIni = qgetenv("ODBCINI");
        qputenv("ODBCINI", ini.fileName().toUtf8());
        UpgradeSchema(nullptr);
        CurrentPodmiotId = 0;
        OperatorRightsLevel = 1;
        WriteIniString(0, QStringLiteral("U_Nazwa1"), QStringLiteral("Firma Jeden"));
        WriteIniString(0, QStringLiteral("U_NIP"), QStringLiteral("5260250274"));
        WriteIniString(0, QStringLiteral("LimitKwoty"), QStringLiteral("1234,5"));
        WriteIniInteger(0, QStringLiteral("DrukujZwolnienieVat"), 0);
        addCompany(2, QStringLiteral("F2"), QStringLiteral("Firma Dwa"), QStringLiteral("1234563218"), 1);
    }
    void TearDown() override
    {
        CurrentPodmiotId = 0;
        OperatorRightsLevel = 1;
        if (m_savedOdbcIni.isEmpty())
            qunsetenv("ODBCINI");
        else
            qputenv("ODBCINI", m_savedOdbcIni);
        SetProgramFolder(QString());
        DbTest::TearDown();
    }
    void addCompany(int id, const QString& shortName, const QString& name, const QString& nip, int zw)
    {
        S()->ExecQuery(
            QStringLiteral("insert into Podmioty set P_INDEX=:p1, P_SKROT=:p2, P_NAZWA1=:p3, P_NIP=:p4, "
                           "P_DRUKUJZWOLNIENIEVAT=:p5, P_NAZWA2='', P_CZYAKTYWNY=1, P_LIMITKWOTY=99.5"),
            {id, shortName, name, nip, zw});
    }
    QString podmiot(int id, const char* column)
    {
        return S()->GetQueryValueAsString(
            QStringLiteral("select %1 from Podmioty where P_INDEX=:p1").arg(QLatin1String(column)), {id});
    }
    QTemporaryDir m_odbcDir;
    QByteArray m_savedOdbcIni;
};

TEST_F(PodmiotyTest, SecondSwitchToTheSameCompanyDoesNothing)
{
    EXPECT_TRUE(SetCurrentPodmiot(1));
    EXPECT_EQ(CurrentPodmiotId, 1);
    S()->ExecQuery(QStringLiteral("update Podmioty set P_NAZWA1='zmieniona' where P_INDEX=1"));
    EXPECT_FALSE(SetCurrentPodmiot(1));
    EXPECT_EQ(podmiot(1, "P_NAZWA1"), QStringLiteral("zmieniona"));
}

TEST_F(PodmiotyTest, CompanyOneIsWrittenFromTheRealSettings)
{
    ASSERT_TRUE(SetCurrentPodmiot(1));
    EXPECT_EQ(podmiot(1, "P_NAZWA1"), QStringLiteral("Firma Jeden"));
    EXPECT_EQ(podmiot(1, "P_NIP"), QStringLiteral("5260250274"));
    // Unset keys take their listed defaults.
    EXPECT_EQ(podmiot(1, "P_NAZWA2"), QStringLiteral("Proszę wpisać swoją nazwę firmy"));
    EXPECT_EQ(podmiot(1, "P_SUBNUMERBANKU"), QStringLiteral("00000000"));
    EXPECT_EQ(podmiot(1, "P_KODUS"), QStringLiteral("0000"));
    EXPECT_EQ(podmiot(1, "P_CZYAKTYWNY"), QStringLiteral("1"));
    // The setting keeps the decimal comma; the column gets the whole amount.
    EXPECT_EQ(podmiot(1, "P_LIMITKWOTY"), QStringLiteral("1234,5"));
    EXPECT_FALSE(S()->InTransaction());
}

TEST_F(PodmiotyTest, OverlayShowsTheCompanyOnlyToThisConnection)
{
    OtherWorkstation other(DatabaseName());
    ASSERT_TRUE(SetCurrentPodmiot(1));
    ASSERT_TRUE(SetCurrentPodmiot(2));
    EXPECT_EQ(CurrentPodmiotId, 2);
    EXPECT_EQ(ReadIniString(0, QStringLiteral("U_Nazwa1"), QString()), QStringLiteral("Firma Dwa"));
    EXPECT_EQ(ReadIniString(0, QStringLiteral("U_NIP"), QString()), QStringLiteral("1234563218"));
    EXPECT_EQ(ReadIniInteger(0, QStringLiteral("DrukujZwolnienieVat"), -1), 1);
    EXPECT_EQ(ReadIniString(0, QStringLiteral("LimitKwoty"), QString()), QStringLiteral("99,5"));
    EXPECT_EQ(other.setting(QStringLiteral("U_Nazwa1")), QStringLiteral("Firma Jeden"));

    // A setting written while company 2 is current lives in the copy only.
    WriteIniString(0, QStringLiteral("U_Www"), QStringLiteral("www.dwa.pl"));
    EXPECT_TRUE(other.setting(QStringLiteral("U_Www")).isEmpty());

    ASSERT_TRUE(SetCurrentPodmiot(1));
    EXPECT_EQ(ReadIniString(0, QStringLiteral("U_Nazwa1"), QString()), QStringLiteral("Firma Jeden"));
    EXPECT_TRUE(ReadIniString(0, QStringLiteral("U_Www"), QString()).isEmpty());
    EXPECT_EQ(podmiot(1, "P_NAZWA1"), QStringLiteral("Firma Jeden"));
    EXPECT_EQ(podmiot(2, "P_NAZWA1"), QStringLiteral("Firma Dwa"));
}

TEST_F(PodmiotyTest, OperatorAboveLevelOneGetsTheCompanyToo)
{
    OperatorRightsLevel = 3;
    ASSERT_TRUE(SetCurrentPodmiot(2));
    EXPECT_EQ(ReadIniString(0, QStringLiteral("U_Nazwa1"), QString()), QStringLiteral("Firma Dwa"));
    EXPECT_EQ(ReadIniString(0, QStringLiteral("U_NIP"), QString()), QStringLiteral("1234563218"));
    EXPECT_EQ(ReadIniInteger(0, QStringLiteral("DrukujZwolnienieVat"), -1), 1);
    // The global-write rule still holds for everything else.
    WriteIniString(0, QStringLiteral("U_Www"), QStringLiteral("www.dwa.pl"));
    EXPECT_TRUE(ReadIniString(0, QStringLiteral("U_Www"), QString()).isEmpty());
    OtherWorkstation other(DatabaseName());
    EXPECT_EQ(other.setting(QStringLiteral("U_Nazwa1")), QStringLiteral("Firma Jeden"));
}

TEST_F(PodmiotyTest, CompanyWithoutARowEmptiesTheSellerData)
{
    ASSERT_TRUE(SetCurrentPodmiot(7));
    EXPECT_TRUE(ReadIniString(0, QStringLiteral("U_Nazwa1"), QStringLiteral("x")).isEmpty());
    EXPECT_TRUE(ReadIniString(0, QStringLiteral("U_Nazwa2"), QStringLiteral("x")).isEmpty());
    EXPECT_TRUE(ReadIniString(0, QStringLiteral("U_Sub_NrBanku"), QStringLiteral("x")).isEmpty());
    EXPECT_EQ(ReadIniInteger(0, QStringLiteral("DrukujZwolnienieVat"), -1), 0);
}

TEST_F(PodmiotyTest, CallersTransactionStaysOpen)
{
    S()->StartTransaction();
    ASSERT_TRUE(SetCurrentPodmiot(2));
    EXPECT_TRUE(S()->InTransaction());
    ASSERT_TRUE(SetCurrentPodmiot(1));
    EXPECT_TRUE(S()->InTransaction());
    S()->Rollback();
    // Row 1 was written inside the caller's transaction, so it went with the rollback.
    EXPECT_TRUE(podmiot(1, "P_NAZWA1").isEmpty());
}

TEST_F(PodmiotyTest, FailedSwitchKeepsTheCurrentCompanyAndLosesNoSettings)
{
    ASSERT_TRUE(SetCurrentPodmiot(1));
    S()->ExecQuery(QStringLiteral("rename table Podmioty to Podmioty_x"));
    EXPECT_THROW(SetCurrentPodmiot(2), EDatabaseError);
    EXPECT_EQ(CurrentPodmiotId, 1);
    EXPECT_FALSE(S()->InTransaction());
    // No half-made copy is left to swallow what is written next.
    WriteIniString(0, QStringLiteral("U_Www"), QStringLiteral("www.jeden.pl"));
    OtherWorkstation other(DatabaseName());
    EXPECT_EQ(other.setting(QStringLiteral("U_Www")), QStringLiteral("www.jeden.pl"));
    S()->ExecQuery(QStringLiteral("rename table Podmioty_x to Podmioty"));
}

TEST_F(PodmiotyTest, FailedSwitchAwayFromAnotherCompanyAppliesNone)
{
    ASSERT_TRUE(SetCurrentPodmiot(2));
    S()->ExecQuery(QStringLiteral("rename table Podmioty to Podmioty_x"));
    EXPECT_THROW(SetCurrentPodmiot(3), EDatabaseError);
    S()->ExecQuery(QStringLiteral("rename table Podmioty_x to Podmioty"));
    // Company 2's copy went with the attempt, so 2 is no longer current and can be chosen again.
    EXPECT_EQ(CurrentPodmiotId, 0);
    EXPECT_EQ(ReadIniString(0, QStringLiteral("U_Nazwa1"), QString()), QStringLiteral("Firma Jeden"));
    EXPECT_TRUE(SetCurrentPodmiot(2));
    EXPECT_EQ(ReadIniString(0, QStringLiteral("U_Nazwa1"), QString()), QStringLiteral("Firma Dwa"));
}

TEST_F(PodmiotyTest, NonPositiveIdChangesNothing)
{
    ASSERT_TRUE(SetCurrentPodmiot(2));
    EXPECT_TRUE(SetCurrentPodmiot(-1));
    EXPECT_EQ(CurrentPodmiotId, 2);
    EXPECT_EQ(ReadIniString(0, QStringLiteral("U_Nazwa1"), QString()), QStringLiteral("Firma Dwa"));
}

TEST_F(PodmiotyTest, ComboKeepsThePositionWhileTheListIsLongEnough)
{
    addCompany(3, QStringLiteral("F3"), QStringLiteral("Firma Trzy"), QString(), 0);
    addCompany(4, QStringLiteral("F4"), QStringLiteral("Firma Cztery"), QString(), 0);
    SetCurrentPodmiot(1);
    S()->ExecQuery(QStringLiteral("update Podmioty set P_SKROT='F1' where P_INDEX=1"));
    QComboBox combo;
    FillPodmiotyCombo(&combo);
    ASSERT_EQ(combo.count(), 4);
    EXPECT_EQ(combo.itemText(0), QStringLiteral("F1"));
    combo.setCurrentIndex(2);
    S()->ExecQuery(QStringLiteral("update Podmioty set P_CZYAKTYWNY=0 where P_INDEX=2"));
    FillPodmiotyCombo(&combo);
    ASSERT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.currentIndex(), 2);
    EXPECT_EQ(combo.currentText(), QStringLiteral("F4"));
    S()->ExecQuery(QStringLiteral("update Podmioty set P_CZYAKTYWNY=0 where P_INDEX>2"));
    FillPodmiotyCombo(&combo);
    ASSERT_EQ(combo.count(), 1);
    EXPECT_EQ(combo.currentIndex(), 0);
}
