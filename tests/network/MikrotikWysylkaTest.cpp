// A MikroTik send against a loopback router: the full script byte for byte,
// a differential that has nothing to send, a changed device, a refused
// upload that must leave the stored configuration alone, and the menu command.
#include "network/MikrotikWysylka.h"
#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/Query.h"
#include "core/Session.h"
#include "network/MikrotikKonfig.h"
#include "platform/FtpClient.h"
#include "tests/network/MikrotikIsp.h"
#include "tests/network/RouterStubs.h"

#include <QDate>
#include <QFile>

namespace {

QByteArray golden(const char* name)
{
    QFile f(QStringLiteral(ORLIX_SOURCE_DIR "/tests/data/mikrotik/") + QLatin1String(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("missing golden file");
}

} // namespace

class MikrotikSend : public MikrotikIspTest
{
protected:
    void SetUp() override
    {
        MikrotikIspTest::SetUp();
        if (HasFatalFailure()) return;
        OperatorRightsLevel = 1;
        m_savedHooks = MikrotikSendHooks();
        MikrotikSendHooks().statusText = [this](const QString& t) { m_status << t; };
    }
    void TearDown() override
    {
        MikrotikSendHooks() = m_savedHooks;
        SharedFtpClient().Disconnect();
        MikrotikIspTest::TearDown();
    }
    void send(bool full)
    {
        SelectRouter(Router);
        SendMikrotikConfig(full);
    }
    QStringList stored()
    {
        return S()->GetQueryValuesAsList(
            QStringLiteral("select MC_P1 from MTconf where MC_INDEXMT=:p1 order by MC_INDEX"), {Router});
    }
    void pointAt(const TFtpRouterStub& router)
    {
        S()->ExecQuery(QStringLiteral("update MTRouter set MIKROTIK_PORT=:p1"),
                       {QString::number(router.Port())});
    }
    QStringList m_status;
    TMikrotikSendHooks m_savedHooks;
};

TEST_F(MikrotikSend, FullScriptArrivesAsTheGoldenFiles)
{
    TFtpRouterStub router(QStringLiteral("full"), QStringLiteral("admin"), QStringLiteral("tajne"),
                          QStringLiteral("  Script file loaded and executed successfully"));
    MakeIsp(router.Port());
    S()->ExecQuery(QStringLiteral("update MTRouter set MIKROTIK_SKRYPTADD=:p1"),
                   {QStringLiteral("/system note set note=\"Orlix\"\r\n")});
    send(true);
    EXPECT_EQ(router.File(QStringLiteral("config.auto.rsc")), golden("full.auto.rsc"));
    EXPECT_EQ(router.File(QStringLiteral("config.queuesD.rsc")), golden("queuesD.rsc"));
    EXPECT_EQ(router.File(QStringLiteral("config.queuesN.rsc")), golden("queuesN.rsc"));
    EXPECT_TRUE(router.Has(QStringLiteral("config.auto.log")));
    ASSERT_FALSE(m_status.isEmpty());
    EXPECT_TRUE(m_status.last().startsWith(QStringLiteral("Wysłano konfiguracje MT: ") +
                                           QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))))
        << m_status.last().toStdString();
    // Stored without the removal headers, closed by the end row.
    const QStringList lines = stored();
    EXPECT_FALSE(lines.join(QLatin1Char('\n')).contains(QStringLiteral(":foreach")));
    EXPECT_EQ(lines.last(), QStringLiteral("#END#"));
    EXPECT_FALSE(ReadIniString(0, QStringLiteral("OstatniaWysylkaMikroTik"), QString()).isEmpty());
}

TEST_F(MikrotikSend, UnchangedDifferentialSendsNothing)
{
    TFtpRouterStub router(QStringLiteral("skip"), QStringLiteral("admin"), QStringLiteral("tajne"));
    MakeIsp(router.Port());
    send(true);
    QFile::remove(router.Root() + QStringLiteral("/config.auto.rsc"));
    WriteIniString(0, QStringLiteral("OstatniaWysylkaMikroTik"), QString());
    m_status.clear();
    send(false);
    EXPECT_FALSE(router.Has(QStringLiteral("config.auto.rsc")));
    ASSERT_FALSE(m_status.isEmpty());
    EXPECT_TRUE(m_status.last().startsWith(QStringLiteral("Pominięta konfiguracja MT: ") +
                                           QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))))
        << m_status.last().toStdString();
    EXPECT_FALSE(ReadIniString(0, QStringLiteral("OstatniaWysylkaMikroTik"), QString()).isEmpty());
}

TEST_F(MikrotikSend, ChangedMacTravelsAsRemovalThenNewLine)
{
    TFtpRouterStub router(QStringLiteral("diff"), QStringLiteral("admin"), QStringLiteral("tajne"));
    MakeIsp(router.Port());
    send(true);
    S()->ExecQuery(QStringLiteral("update Mac set M_MAC='00:1A:2B:3C:4D:99' where M_INDEX=15"));
    send(false);
    EXPECT_EQ(QString::fromLatin1(router.File(QStringLiteral("config.auto.rsc"))),
              QStringLiteral(
                  "/ip arp remove [/ip arp find comment=orlix4sql_15]\r\n"
                  "/ip arp add address=10.0.0.2 mac-address=00:1A:2B:3C:4D:99 interface=ether2 "
                  "comment=orlix4sql_15\r\n"
                  "/ip dhcp-server lease remove [find dynamic]\r\n"
                  "/ip dhcp-server lease remove [/ip dhcp-server lease find comment=orlix4sql_15]\r\n"
                  "/ip dhcp-server lease add address=10.0.0.2 mac-address=00:1A:2B:3C:4D:99 "
                  "server=ether2 comment=orlix4sql_15\r\n"
                  "/ip firewall address-list remove [/ip firewall address-list find list=\"hazard\"]\r\n"));

    // A public address taken away: one NAT removal for the two rules, one address removal.
    S()->ExecQuery(QStringLiteral("update Mac set M_PUBIP='' where M_INDEX=17"));
    send(false);
    const QString script = QString::fromLatin1(router.File(QStringLiteral("config.auto.rsc")));
    EXPECT_EQ(script.count(QStringLiteral(":if ([/ip firewall nat find comment=orlix4sql_17] != \"\" )")), 1)
        << script.toStdString();
    EXPECT_TRUE(
        script.contains(QStringLiteral("/ip address remove [/ip address find comment=orlix4sql_17]")));

    // A new subscriber queue under the parent: the parent, when new too, comes first.
    S()->ExecQuery(QStringLiteral("update MTRouter set MIKROTIK_LACZEUPTXT='2M'"));
    S()->ExecQuery(QStringLiteral("update Mac set M_IP='10.0.0.9' where M_INDEX=18"));
    send(false);
    const QString next = QString::fromLatin1(router.File(QStringLiteral("config.auto.rsc")));
    const qsizetype parent = next.indexOf(QStringLiteral("name=global"));
    const qsizetype child = next.indexOf(QStringLiteral("target=10.0.0.9/32"));
    EXPECT_TRUE(parent >= 0 && child > parent) << next.toStdString();
}

TEST_F(MikrotikSend, DifferentialSendsStoreWhatAFullSendWould)
{
    TFtpRouterStub router(QStringLiteral("store"), QStringLiteral("admin"), QStringLiteral("tajne"));
    MakeIsp(router.Port());
    send(true);
    // A changed line, a vanished device and a new public address, one send each.
    S()->ExecQuery(QStringLiteral("update Mac set M_MAC='00:1A:2B:3C:4D:99' where M_INDEX=15"));
    send(false);
    S()->ExecQuery(QStringLiteral("update Mac set M_CZYDODACDOMT=0 where M_INDEX=18"));
    send(false);
    S()->ExecQuery(QStringLiteral("update Mac set M_PUBIP='' where M_INDEX=17"));
    send(false);
    QStringList afterDiffs = stored();
    send(true);
    QStringList afterFull = stored();
    afterDiffs.sort();
    afterFull.sort();
    EXPECT_EQ(afterDiffs, afterFull);
    // Nothing left to send: the stored lines are what the router has.
    QFile::remove(router.Root() + QStringLiteral("/config.auto.rsc"));
    S()->ExecQuery(QStringLiteral("update Mac set M_MAC='00:1A:2B:3C:4D:98' where M_INDEX=15"));
    send(false);
    S()->ExecQuery(QStringLiteral("update Mac set M_MAC='00:1A:2B:3C:4D:99' where M_INDEX=15"));
    send(false);
    EXPECT_TRUE(QString::fromLatin1(router.File(QStringLiteral("config.auto.rsc")))
                    .contains(QStringLiteral("mac-address=00:1A:2B:3C:4D:99")))
        << "a line back to an earlier value travels again";
}

TEST_F(MikrotikSend, RefusedUploadLeavesTheStoredConfiguration)
{
    TFtpRouterStub router(QStringLiteral("ok"), QStringLiteral("admin"), QStringLiteral("tajne"));
    TFtpRouterStub refusing(QStringLiteral("refused"), QStringLiteral("admin"), QStringLiteral("tajne"),
                            QString(), true);
    MakeIsp(router.Port());
    send(true);
    const QStringList before = stored();
    const QString last = QStringLiteral("2001-01-01 00:00:00");
    WriteIniString(0, QStringLiteral("OstatniaWysylkaMikroTik"), last);

    S()->ExecQuery(QStringLiteral("update Mac set M_MAC='00:1A:2B:3C:4D:99' where M_INDEX=15"));
    pointAt(refusing);
    send(false);
    EXPECT_EQ(stored(), before);
    ASSERT_FALSE(m_status.isEmpty());
    EXPECT_TRUE(m_status.last().startsWith(QStringLiteral("Błąd przy połączeniu 127.0.0.1 ")))
        << m_status.last().toStdString();
    EXPECT_EQ(ReadIniString(0, QStringLiteral("OstatniaWysylkaMikroTik"), QString()), last);
    EXPECT_EQ(
        S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from Log where LOG_OPIS like :p1"),
                                    {QStringLiteral("%Centrum MikroTik - Błąd przy połączeniu 127.0.0.1 %")}),
        1);

    // The change the router never got travels with the next send.
    pointAt(router);
    send(false);
    EXPECT_TRUE(QString::fromLatin1(router.File(QStringLiteral("config.auto.rsc")))
                    .contains(QStringLiteral("mac-address=00:1A:2B:3C:4D:99")));
    EXPECT_NE(stored(), before);
}

TEST_F(MikrotikSend, QuotedLoginKeepsItsLineAndId)
{
    TFtpRouterStub router(QStringLiteral("quoted"), QStringLiteral("admin"), QStringLiteral("tajne"));
    MakeIsp(router.Port());
    S()->ExecQuery(QStringLiteral("update Mac set M_LOGIN=:p1, M_HASLO=:p2 where M_INDEX=18"),
                   {QStringLiteral("a b;c"), QStringLiteral("x\"y comment=orlix4sql_1")});
    send(true);
    EXPECT_TRUE(QString::fromLatin1(router.File(QStringLiteral("config.auto.rsc")))
                    .contains(QStringLiteral(
                        " name=\"a b;c\" password=\"x\\\"y comment=orlix4sql_1\" profile=abonent "
                        "service=pppoe comment=orlix4sql_18\r\n")));
    EXPECT_EQ(S()->GetQueryValueAsString(QStringLiteral("select MC_ID from MTconf where MC_SEKCJA='pppoe'")),
              QStringLiteral("orlix4sql_18"));
    // Compared unchanged next time: nothing to send.
    QFile::remove(router.Root() + QStringLiteral("/config.auto.rsc"));
    send(false);
    EXPECT_FALSE(router.Has(QStringLiteral("config.auto.rsc")));
    // A changed password removes the account by its own id.
    S()->ExecQuery(QStringLiteral("update Mac set M_HASLO='nowe' where M_INDEX=18"));
    send(false);
    EXPECT_TRUE(
        QString::fromLatin1(router.File(QStringLiteral("config.auto.rsc")))
            .startsWith(QStringLiteral("/ip dhcp-server lease remove [find dynamic]\r\n"
                                       "/ppp secret remove [/ppp secret find comment=orlix4sql_18]\r\n")));
}

TEST_F(MikrotikSend, FirstDifferentialSendsEverythingWithoutHeaders)
{
    TFtpRouterStub router(QStringLiteral("first"), QStringLiteral("admin"), QStringLiteral("tajne"));
    MakeIsp(router.Port());
    send(false);
    const QString script = QString::fromLatin1(router.File(QStringLiteral("config.auto.rsc")));
    EXPECT_FALSE(script.contains(QStringLiteral(":foreach")));
    EXPECT_TRUE(script.contains(QStringLiteral("comment=orlix4sql_INF_3")));
    EXPECT_FALSE(stored().isEmpty());
}

TEST_F(MikrotikSend, MenuCommandsAndTheRebuildSetting)
{
    TFtpRouterStub router(QStringLiteral("menu"), QStringLiteral("admin"), QStringLiteral("tajne"));
    MakeIsp(router.Port());
    WriteIniInteger(0, QStringLiteral("MikroTikPrzebudowa_4_23"), 1);
    TMD::SetTestHook([](const TMD::Shown&) { return mrYes; });
    struct Step
    {
        const char* question;
        bool rebuildLines;
        int settingAfter;
    } steps[] = {
        {"Czy chcesz wysłać pełną konfigurację MikroTik?", true, 2},
        {"Czy chcesz wysłać pełną konfigurację MikroTik?", false, 0},
        {"Czy chcesz wysłać różnicową konfigurację MikroTik?", false, 0},
    };
    for (const Step& s : steps) {
        TMD::ClearRecorded();
        QFile::remove(router.Root() + QStringLiteral("/config.auto.rsc"));
        if (s.settingAfter == 0 && !s.rebuildLines)
            S()->ExecQuery(QStringLiteral("update Mac set M_MAC='00:1A:2B:3C:4D:98' where M_INDEX=16"));
        MikrotikSendCommand(false);
        ASSERT_FALSE(TMD::Recorded().isEmpty());
        EXPECT_EQ(TMD::Recorded().first().text, QString::fromUtf8(s.question));
        EXPECT_EQ(QString::fromLatin1(router.File(QStringLiteral("config.auto.rsc")))
                      .contains(QStringLiteral("/ip arp remove [/ip arp find]\r\n")),
                  s.rebuildLines)
            << s.question;
        EXPECT_EQ(ReadIniInteger(0, QStringLiteral("MikroTikPrzebudowa_4_23"), -1), s.settingAfter);
    }
    // An inactive router is left alone.
    S()->ExecQuery(QStringLiteral("update MTRouter set MIKROTIK_CZYAKTYWNY=0"));
    QFile::remove(router.Root() + QStringLiteral("/config.auto.rsc"));
    MikrotikSendCommand(true);
    EXPECT_FALSE(router.Has(QStringLiteral("config.auto.rsc")));
}
