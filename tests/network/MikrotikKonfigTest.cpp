// The RouterOS lines of a MikroTik build: every line, order and rule, on a
// small ISP, plus the quoting of values RouterOS would read as syntax.
#include "network/MikrotikKonfig.h"
#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/Query.h"
#include "tests/network/MikrotikIsp.h"

namespace {

const QString kQ = QStringLiteral("/queue simple add max-limit=");

QString joined(const QStringList& l)
{
    return l.join(QLatin1Char('\n'));
}

} // namespace

TEST(MikrotikRouterOsValue, QuotesOnlyWhatRouterOsReadsSpecially)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"ether2", "ether2"},
        {"00:1A:2B:3C:4D:5E", "00:1A:2B:3C:4D:5E"},
        {"10.0.0.2", "10.0.0.2"},
        {"a b;c", "\"a b;c\""},
        {"x\"y", "\"x\\\"y\""},
        {"p$ass", "\"p\\$ass\""},
        {"[/system reboot]", "\"[/system reboot]\""},
        {"x comment=orlix4sql_1", "\"x comment=orlix4sql_1\""},
        {"back\\slash", "\"back\\\\slash\""},
        {"why?", "\"why\\?\""},
        {"line\nbreak", "\"line\\nbreak\""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(RouterOsValue(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;
}

class MikrotikBuild : public MikrotikIspTest
{
protected:
    void SetUp() override
    {
        MikrotikIspTest::SetUp();
        if (HasFatalFailure()) return;
        MakeIsp(21);
    }
    TMikrotikSections build(bool full = false)
    {
        SelectRouter(Router);
        return BuildMikrotikSections(MikrotikRouterFromRow(*Data->QMTRouter), full);
    }

public:
    void exec(const QString& sql, const TArgs& args = {}) { S()->ExecQuery(sql, args); }
};

TEST_F(MikrotikBuild, LinesOfEverySection)
{
    const TMikrotikSections s = build();
    EXPECT_EQ(s.Arp, (QStringList{
                         "/ip arp add address=10.0.0.2 mac-address=00:1A:2B:3C:4D:5E interface=ether2 "
                         "comment=orlix4sql_15",
                         "/ip arp add address=10.0.0.3 mac-address=00:1A:2B:3C:4D:5F interface=ether2 "
                         "comment=orlix4sql_16",
                         "/ip arp add address=10.0.0.4 mac-address=00:1A:2B:3C:4D:60 interface=ether2 "
                         "comment=orlix4sql_17",
                         "/ip arp add address=10.0.0.6 mac-address=00:1A:2B:3C:4D:62 interface=ether2 "
                         "comment=orlix4sql_19",
                         "/ip arp add address=10.0.1.1 mac-address=4C:5E:0C:11:22:33 interface=ether2 "
                         "comment=orlix4sql_INF_3",
                     }));
    EXPECT_EQ(s.Dhcp.first(),
              QStringLiteral("/ip dhcp-server lease add address=10.0.0.2 mac-address=00:1A:2B:3C:4D:5E "
                             "server=ether2 comment=orlix4sql_15"));
    EXPECT_EQ(s.Queue,
              (QStringList{
                  "/queue simple add max-limit=1M/10M name=global priority=7/7 queue=sfq/sfq target=ether2 "
                  "total-queue=sfq comment=orlix4sql_0",
                  // Two devices on the subscriber's bandwidth: one queue named after the second.
                  "/queue simple add max-limit=1048576/10485760 parent=global "
                  "target=10.0.0.2/32,10.0.0.3/32 name=1_16 comment=orlix4sql_1_16",
                  // Blocked: the router's limits.
                  "/queue simple add max-limit=64k/128k parent=global target=10.0.0.4/32 name=2_17 "
                  "comment=orlix4sql_2_17",
                  // Bandwidth of the device itself.
                  "/queue simple add max-limit=524288/5242880 parent=global target=10.0.0.5/32 name=3_18 "
                  "comment=orlix4sql_3_18",
                  "/queue simple add max-limit=64k/128k parent=global target=10.0.0.6/32 name=4_19 "
                  "comment=orlix4sql_4_19",
                  "/queue simple add max-limit=104857600/104857600 parent=global target=10.0.1.1/32 "
                  "name=INF_3 comment=orlix4sql_INF_3",
              }));
    // Night factor 150 for a subscriber without arrears; blocked ones keep the block limits day and night.
    EXPECT_EQ(s.QueuesNight,
              (QStringList{
                  "/queue simple set max-limit=1572864/15728640 parent=global "
                  "target=10.0.0.2/32,10.0.0.3/32 name=1_16 comment=orlix4sql_1_16",
                  "/queue simple set max-limit=64k/128k parent=global target=10.0.0.4/32 name=2_17 "
                  "comment=orlix4sql_2_17",
                  // Own bandwidth without night texts: no night limit.
                  "/queue simple set max-limit=0/0 parent=global target=10.0.0.5/32 "
                  "name=3_18 comment=orlix4sql_3_18",
                  "/queue simple set max-limit=64k/128k parent=global target=10.0.0.6/32 name=4_19 "
                  "comment=orlix4sql_4_19",
              }));
    EXPECT_EQ(s.QueuesDay.at(1), QStringLiteral("/queue simple set max-limit=64k/128k parent=global "
                                                "target=10.0.0.4/32 name=2_17 comment=orlix4sql_2_17"));
    // Blocked and notified: only "blokuj"; suspended: only "zawieszone".
    EXPECT_EQ(s.Lists,
              (QStringList{
                  "/ip firewall address-list add address=10.0.0.4 list=blokuj comment=orlix4sql_17",
                  "/ip firewall address-list add address=10.0.0.5 list=powiadamiaj comment=orlix4sql_18",
                  "/ip firewall address-list add address=10.0.0.6 list=zawieszone comment=orlix4sql_19",
              }));
    EXPECT_EQ(s.Pppoe, (QStringList{"/ppp secret add caller-id=00:1A:2B:3C:4D:61 remote-address=10.0.0.5 "
                                    "name=wisniewska password=k0t3k profile=abonent service=pppoe "
                                    "comment=orlix4sql_18"}));
    EXPECT_EQ(s.Nat, (QStringList{
                         "/ip firewall nat add action=src-nat chain=srcnat src-address=10.0.0.4 "
                         "to-addresses=193.0.2.10 comment=orlix4sql_17",
                         "/ip firewall nat add action=dst-nat chain=dstnat dst-address=193.0.2.10 "
                         "to-addresses=10.0.0.4 comment=orlix4sql_17",
                     }));
    EXPECT_EQ(s.Address,
              (QStringList{"/ip address add address=193.0.2.10/32 interface=ether1 comment=orlix4sql_17"}));
    EXPECT_EQ(
        s.Hazard,
        (QStringList{"/ip firewall address-list remove [/ip firewall address-list find list=\"hazard\"]"}));
}

TEST_F(MikrotikBuild, FullBuildHeadsEverySectionWithItsRemoval)
{
    const TMikrotikSections s = build(true);
    EXPECT_EQ(s.Arp.first(),
              QStringLiteral(":foreach i in=[/ip arp find] do={:if (\".\" . [:find [/ip arp get $i "
                             "comment] \"orlix4sql\"] . \".\"!=\"..\") do={/ip arp remove $i}}"));
    EXPECT_EQ(s.Queue.first(),
              QStringLiteral(
                  ":foreach i in=[/queue simple find] do={:if (\".\" . [:find [/queue simple get $i comment] "
                  "\"orlix4sql\"] . \".\"!=\"..\") do={/queue simple remove $i}}"));
    EXPECT_EQ(
        s.Lists.mid(0, 3),
        (QStringList{"/ip firewall address-list remove [/ip firewall address-list find list=\"zawieszone\"]",
                     "/ip firewall address-list remove [/ip firewall address-list find list=\"powiadamiaj\"]",
                     "/ip firewall address-list remove [/ip firewall address-list find list=\"blokuj\"]"}));
    // After the upgrade: every object of four kinds goes first, whatever the kind of send.
    WriteIniInteger(0, QStringLiteral("MikroTikPrzebudowa_4_23"), 1);
    const TMikrotikSections r = build(false);
    EXPECT_EQ(r.Queue.first(),
              QStringLiteral(":foreach i in=[/queue simple find] do={/queue simple remove $i;}"));
    EXPECT_EQ(r.Dhcp.first(), QStringLiteral("/ip dhcp-server lease remove [/ip dhcp-server lease find]"));
    EXPECT_EQ(r.Arp.first(), QStringLiteral("/ip arp remove [/ip arp find]"));
    EXPECT_EQ(r.Pppoe.first(), QStringLiteral("/ppp secret remove [/ppp secret find]"));
}

TEST_F(MikrotikBuild, RulesThatChangeSingleLines)
{
    struct Case
    {
        const char* rule;
        std::function<void(MikrotikBuild&)> change;
        QStringList TMikrotikSections::*list;
        const char* expected; // a line the list must hold
        const char* absent;   // text no line of the list may hold
    };
    const Case cases[] = {
        {"no uplink capacity, no parent queue",
         [](MikrotikBuild& t) {
             t.exec(QStringLiteral("update MTRouter set MIKROTIK_LACZEUPTXT='0', MIKROTIK_LACZEDOWNTXT='0'"));
         },
         &TMikrotikSections::Queue,
         "/queue simple add max-limit=1048576/10485760 target=10.0.0.2/32,10.0.0.3/32 name=1_16 "
         "comment=orlix4sql_1_16",
         "global"},
        {"one capacity 0 still makes the parent",
         [](MikrotikBuild& t) { t.exec(QStringLiteral("update MTRouter set MIKROTIK_LACZEUPTXT='0'")); },
         &TMikrotikSections::Queue,
         "/queue simple add max-limit=0/10M name=global priority=7/7 queue=sfq/sfq target=ether2 "
         "total-queue=sfq "
         "comment=orlix4sql_0",
         nullptr},
        {"arrears: night equals day",
         [](MikrotikBuild& t) { t.exec(QStringLiteral("update Userdb set U_BLOKUJ=0 where U_INDEX=2")); },
         &TMikrotikSections::QueuesNight,
         "/queue simple set max-limit=2097152/20971520 parent=global target=10.0.0.4/32 name=2_17 "
         "comment=orlix4sql_2_17",
         nullptr},
        {"unlimited blocked subscribers keep their bandwidth",
         [](MikrotikBuild&) { WriteIniBool(0, QStringLiteral("NieOgraniczajPasmaMT"), true); },
         &TMikrotikSections::Queue,
         "/queue simple add max-limit=2097152/20971520 parent=global target=10.0.0.4/32 name=2_17 "
         "comment=orlix4sql_2_17",
         "64k/128k"},
        {"the block list entry stays without limits",
         [](MikrotikBuild&) { WriteIniBool(0, QStringLiteral("NieOgraniczajPasmaMT"), true); },
         &TMikrotikSections::Lists,
         "/ip firewall address-list add address=10.0.0.4 list=blokuj comment=orlix4sql_17", nullptr},
        {"a device without an address adds no target",
         [](MikrotikBuild& t) { t.exec(QStringLiteral("update Mac set M_IP='' where M_INDEX=16")); },
         &TMikrotikSections::Queue,
         "/queue simple add max-limit=1048576/10485760 parent=global target=10.0.0.2/32 name=1_16 "
         "comment=orlix4sql_1_16",
         "/32,"},
        {"a MAC of 16 characters is written as 0",
         [](MikrotikBuild& t) {
             t.exec(QStringLiteral("update Mac set M_MAC='00:1A:2B:3C:4D:5' where M_INDEX=15"));
         },
         &TMikrotikSections::Arp,
         "/ip arp add address=10.0.0.2 mac-address=0 interface=ether2 comment=orlix4sql_15", nullptr},
        {"no caller-id without the MAC switch",
         [](MikrotikBuild& t) { t.exec(QStringLiteral("update MTRouter set MIKROTIK_WYSLIJMACDOPPPOE=0")); },
         &TMikrotikSections::Pppoe,
         "/ppp secret add remote-address=10.0.0.5 name=wisniewska password=k0t3k profile=abonent "
         "service=pppoe "
         "comment=orlix4sql_18",
         "caller-id"},
        {"a login and password RouterOS would misread are quoted",
         [](MikrotikBuild& t) {
             t.exec(QStringLiteral("update Mac set M_LOGIN=:p1, M_HASLO=:p2 where M_INDEX=18"),
                    {QStringLiteral("a b;c"), QStringLiteral("x\"y comment=1")});
         },
         &TMikrotikSections::Pppoe,
         "/ppp secret add caller-id=00:1A:2B:3C:4D:61 remote-address=10.0.0.5 name=\"a b;c\" "
         "password=\"x\\\"y comment=1\" profile=abonent service=pppoe comment=orlix4sql_18",
         nullptr},
        {"suspended infrastructure is left out",
         [](MikrotikBuild& t) { t.exec(QStringLiteral("update Infrastruktura set INF_CZYZAWIESZONE=1")); },
         &TMikrotikSections::Arp,
         "/ip arp add address=10.0.0.6 mac-address=00:1A:2B:3C:4D:62 interface=ether2 "
         "comment=orlix4sql_19",
         "INF_3"},
        {"upload and download corrections",
         [](MikrotikBuild& t) {
             t.exec(QStringLiteral("update MTRouter set MIKROTIK_KORPASMAUP=50, MIKROTIK_KORPASMADOWN=75"));
         },
         &TMikrotikSections::Queue,
         "/queue simple add max-limit=262144/3932160 parent=global target=10.0.0.5/32 name=3_18 "
         "comment=orlix4sql_3_18",
         nullptr},
    };
    for (const Case& c : cases) {
        c.change(*this);
        const TMikrotikSections s = build();
        const QStringList& lines = s.*(c.list);
        EXPECT_TRUE(lines.contains(QString::fromUtf8(c.expected))) << c.rule << "\n"
                                                                   << joined(lines).toStdString();
        if (c.absent) {
            EXPECT_FALSE(joined(lines).contains(QString::fromUtf8(c.absent))) << c.rule;
        }
        // Each rule on the fixture as made.
        TearDown();
        SetUp();
    }
}
