// Router logs read back by FTP, the state indicator's poll, the device check
// and a script sent to one device, against a loopback router.
#include "network/MikrotikLogi.h"
#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/Query.h"
#include "core/WorkerThreads.h"
#include "platform/FtpClient.h"
#include "tests/network/MikrotikFixture.h"
#include "tests/network/RouterStubs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>

namespace {

const char* const kSuccess = "Script file loaded and executed successfully";

// A loopback port nothing listens on.
int closedPort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    return s.serverPort();
}

struct TShown
{
    int calls = 0;
    QColor color;
    QString hint;
};

// Runs queued calls until the indicator was set once.
TShown waitForIndicator(TShown& shown)
{
    QElapsedTimer t;
    t.start();
    while (shown.calls == 0 && t.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return shown;
}

} // namespace

TEST(MikrotikLog, StateOfTheLogText)
{
    const std::pair<QString, TMikrotikLogState> cases[] = {
        {QStringLiteral("xx") + QLatin1String(kSuccess), TMikrotikLogState::Ok},
        {QStringLiteral("\r\n") + QLatin1String(kSuccess) + QStringLiteral("\r\n"), TMikrotikLogState::Ok},
        {QLatin1String(kSuccess), TMikrotikLogState::NotOk},
        {QStringLiteral("xx") + QLatin1String(kSuccess).left(40), TMikrotikLogState::NotOk},
        {QString(), TMikrotikLogState::NotOk},
    };
    for (const auto& [text, state] : cases)
        EXPECT_EQ(MikrotikLogState(text), state) << text.toStdString();

    struct
    {
        TMikrotikLogState state;
        QColor color;
        const char* hint;
    } looks[] = {
        {TMikrotikLogState::Ok, QColor(0, 255, 0), "Konfiguracja OK"},
        {TMikrotikLogState::NotOk, QColor(192, 192, 192), "Błąd lub aplikowanie konfiguracji"},
        {TMikrotikLogState::Error, QColor(255, 0, 0), "Błąd procedury!"},
    };
    for (const auto& l : looks) {
        const TIndicatorLook look = MikrotikIndicatorLook(l.state);
        EXPECT_EQ(look.Color, l.color);
        EXPECT_EQ(look.Hint, QString::fromUtf8(l.hint));
    }
}

TEST(MikrotikLog, PortRule)
{
    const std::pair<const char*, int> cases[] = {{"0", 21},        {"", 21},   {"abc", 21},  {"2121", 2121},
                                                 {" 8021 ", 8021}, {"-5", 21}, {"70000", 21}};
    for (const auto& [text, port] : cases)
        EXPECT_EQ(FtpPortFromText(QLatin1String(text)), port) << text;
}

class MikrotikLogDbTest : public MikrotikDbTest
{
protected:
    void TearDown() override
    {
        WaitMikrotikStatusPoll();
        MikrotikIndicatorHooks() = {};
        MikrotikPollTimeoutMs = 1000;
        MikrotikDbTest::TearDown();
    }
    TShown installIndicator(bool active)
    {
        m_shown = {};
        MikrotikIndicatorHooks().barActive = [active] { return active; };
        MikrotikIndicatorHooks().show = [this](const QColor& c, const QString& h) {
            ++m_shown.calls;
            m_shown.color = c;
            m_shown.hint = h;
        };
        return m_shown;
    }
    TShown m_shown;
};

TEST_F(MikrotikLogDbTest, OperatorLogAndItsErrorLine)
{
    TFtpRouterStub router(QStringLiteral("log"), QStringLiteral("admin"), QStringLiteral("tajne"));
    QFile f(router.Root() + QStringLiteral("/config.auto.log"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("  Script file loaded and executed successfully\r\n");
    f.close();
    SelectRouter(AddRouter(QStringLiteral("R1"), router.Port()));
    QString text = QStringLiteral("stare");
    GetMikrotikLog(text);
    EXPECT_EQ(text, QStringLiteral("  Script file loaded and executed successfully\r\n"));

    // Nobody listening: the error line names the host, then the reason on the next line.
    SelectRouter(AddRouter(QStringLiteral("R2"), closedPort()));
    GetMikrotikLog(text);
    EXPECT_TRUE(
        text.startsWith(QStringLiteral("Bład lub brak pliku log na MikroTiku (prawdopodobnie trwa jeszcze "
                                       "aplikowanie konfiguracji)  127.0.0.1\r\n")))
        << text.toStdString();

    // A router without an address: the text stays as it was.
    S()->ExecQuery(QStringLiteral("update MTRouter set MIKROTIK_IP=''"));
    text = QStringLiteral("bez zmian");
    SelectRouter(1);
    GetMikrotikLog(text);
    EXPECT_EQ(text, QStringLiteral("bez zmian"));
}

TEST_F(MikrotikLogDbTest, PollColoursTheIndicatorByTheRoutersLog)
{
    TFtpRouterStub router(QStringLiteral("poll"), QStringLiteral("admin"), QStringLiteral("tajne"));
    const int good = AddRouter(QStringLiteral("R1"), router.Port());
    QFile f(router.Root() + QStringLiteral("/config.auto.log"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("xxScript file loaded and executed successfully");
    f.close();

    struct
    {
        const char* name;
        int port; // 0: the stand-in
        bool barActive;
        bool emptyAddress;
        QColor color;
        const char* hint; // nullptr: hint kept
    } cases[] = {
        {"log with the sentence at its third character", 0, true, false, QColor(0, 255, 0),
         "Konfiguracja OK"},
        {"no server", -1, true, false, QColor(255, 0, 0), "Błąd procedury!"},
        {"bar hidden or switched off", 0, false, false, QColor(192, 192, 192), nullptr},
        {"router without an address", 0, true, true, QColor(192, 192, 192), nullptr},
    };
    const int dead = closedPort();
    // Colours are under test here, not the router's speed on a busy test machine.
    MikrotikPollTimeoutMs = 10000;
    for (const auto& c : cases) {
        S()->ExecQuery(
            QStringLiteral("update MTRouter set MIKROTIK_PORT=:p1, MIKROTIK_IP=:p2 where MIKROTIK_INDEX=:p3"),
            {QString::number(c.port < 0 ? dead : router.Port()),
             c.emptyAddress ? QString() : QStringLiteral("127.0.0.1"), good});
        SelectRouter(good);
        installIndicator(c.barActive);
        ASSERT_TRUE(StartMikrotikStatusPoll()) << c.name;
        const TShown shown = waitForIndicator(m_shown);
        WaitMikrotikStatusPoll();
        EXPECT_EQ(shown.calls, 1) << c.name;
        EXPECT_EQ(shown.color, c.color) << c.name;
        EXPECT_EQ(shown.hint, c.hint ? QString::fromUtf8(c.hint) : QString()) << c.name;
    }

    // The program's end stops and joins a poll still under way, like every worker.
    ASSERT_TRUE(StartMikrotikStatusPoll());
    StopAndJoinWorkers();
    EXPECT_EQ(RunningWorkers(), 0);
    EXPECT_TRUE(StartMikrotikStatusPoll()) << "a joined poll still counted as running";
    WaitMikrotikStatusPoll();
}

TEST_F(MikrotikLogDbTest, ScriptToOneDeviceAnswersItsLog)
{
    TFtpRouterStub device(QStringLiteral("device"), QStringLiteral("serwis"), QStringLiteral("p@ss word"),
                          QStringLiteral("  Script file loaded and executed successfully"));
    QString answer;
    SendMikrotikScriptTo(QStringLiteral("127.0.0.1"), QString::number(device.Port()),
                         QStringLiteral("serwis"), QStringLiteral("p@ss word"),
                         QStringLiteral("/system identity set name=ąę\r\n"), answer);
    EXPECT_EQ(answer, QStringLiteral("  Script file loaded and executed successfully"));
    // The script arrives in code page 1250.
    EXPECT_EQ(device.File(QStringLiteral("config.auto.rsc")),
              QByteArray("/system identity set name=\xb9\xea\r\n"));

    // A wrong password: the error line, and the activity log says so.
    SendMikrotikScriptTo(QStringLiteral("127.0.0.1"), QString::number(device.Port()),
                         QStringLiteral("serwis"), QStringLiteral("zle"), QStringLiteral("/beep\r\n"),
                         answer);
    EXPECT_TRUE(answer.startsWith(QStringLiteral("Błąd!  127.0.0.1 "))) << answer.toStdString();
    EXPECT_EQ(
        S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from Log where LOG_OPIS like :p1"),
                                    {QStringLiteral("%Błąd wysyłki na FTP(MT) lub brak potwierdzenia%")}),
        1);

    // Without a login nothing is sent and the answer stays.
    answer = QStringLiteral("bez zmian");
    SendMikrotikScriptTo(QStringLiteral("127.0.0.1"), QString::number(device.Port()), QString(), QString(),
                         QStringLiteral("/beep"), answer);
    EXPECT_EQ(answer, QStringLiteral("bez zmian"));

    // The default account of the settings.
    WriteIniString(0, QStringLiteral("MtLoginDomyslny"), QStringLiteral("serwis"));
    WriteIniString(0, QStringLiteral("MtHasloDomyslne"), QStringLiteral("p@ss word"));
    WriteIniString(0, QStringLiteral("MtPortDomyslny"), QString::number(device.Port()));
    SendMikrotikScript(QStringLiteral("127.0.0.1"), QStringLiteral("/beep\r\n"), answer);
    EXPECT_EQ(answer, QStringLiteral("  Script file loaded and executed successfully"));
}

TEST_F(MikrotikLogDbTest, DeviceCheckReportsWhatWouldBreakLines)
{
    const int router = AddRouter(QStringLiteral("Brzeg"), 21);
    const int iface =
        Insert(QStringLiteral("Interface"), {{QStringLiteral("INTERFACE_NAZWA"), QStringLiteral("ether2")}});
    const int u1 = AddSubscriber();
    const int u2 = AddSubscriber();
    AddDevice(u1, router, QStringLiteral("10.0.0.2"), QStringLiteral("00:1A:2B:3C:4D:5E"),
              {{QStringLiteral("M_INDEXINTERFACE"), iface}});
    AddDevice(u2, router, QStringLiteral("10.0.0.3"), QStringLiteral("00:1A:2B:3C:4D:5F"),
              {{QStringLiteral("M_INDEXINTERFACE"), iface}});

    QString report;
    CheckMikrotikDevices(router, report);
    EXPECT_EQ(report,
              QStringLiteral("Interfejsy: OK\r\n\r\nBrak IP: OK\r\n\r\nBrak MAC: OK\r\n\r\nDublety MAC: "
                             "OK\r\n\r\nDublety IP: OK\r\n\r\n"));
    EXPECT_LE(report.size(), 100);

    // A duplicate MAC and a device without an address on an active subscriber's devices.
    AddDevice(u2, router, QStringLiteral("10.0.0.4"), QStringLiteral("00:1A:2B:3C:4D:5E"),
              {{QStringLiteral("M_INDEXINTERFACE"), iface}});
    AddDevice(u2, router, QStringLiteral("0.0.0.0"), QStringLiteral("AA:BB:CC:DD:EE:FF"),
              {{QStringLiteral("M_INDEXINTERFACE"), iface}});
    // A device of a deactivated subscriber does not count.
    const int gone = AddSubscriber({{QStringLiteral("U_DATADEAKTYWACJI"), QStringLiteral("2021-01-01")}});
    AddDevice(gone, router, QStringLiteral("10.0.0.3"), QString(),
              {{QStringLiteral("M_INDEXINTERFACE"), iface}});
    CheckMikrotikDevices(router, report);
    EXPECT_TRUE(report.contains(QStringLiteral("Brzeg: Zdublowane adresy \"MAC\"\r\n00:1A:2B:3C:4D:5E\r\n")))
        << report.toStdString();
    EXPECT_TRUE(
        report.contains(QStringLiteral("Brzeg: Urzadzenia bez przypisanego \"IP\"\r\nAA:BB:CC:DD:EE:FF\r\n")))
        << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("Dublety IP: OK"))) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("Brak MAC: OK"))) << report.toStdString();
    EXPECT_GT(report.size(), 100);

    WriteIniBool(0, QStringLiteral("MTSprawdzajKonfiguracje"), false);
    CheckMikrotikDevices(router, report);
    EXPECT_EQ(report, QStringLiteral("Pominięto"));
}
