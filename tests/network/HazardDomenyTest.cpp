// The gambling-domain register: reading the register document, the refresh
// rules against a loopback web server, addresses from a loopback resolver,
// and the router list the MikroTik build makes of it.
#include "network/HazardDomeny.h"
#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/Query.h"
#include "core/Session.h"
#include "network/MikrotikKonfig.h"
#include "tests/network/MikrotikFixture.h"
#include "tests/network/RouterStubs.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>

namespace {

QByteArray entry(const char* lp, const char* domain, const char* date = "2017-07-01T00:00:00")
{
    return QByteArray("  <PozycjaRejestru Lp=\"") + lp + "\">\r\n    <AdresDomeny>" + domain +
           "</AdresDomeny>\r\n    <DataWpisu>" + date +
           "</DataWpisu>\r\n    <DataWykreslenia />\r\n"
           "  </PozycjaRejestru>\r\n";
}

QByteArray registerXml(const QByteArray& entries)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Rejestr "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\r\n" +
           entries + "</Rejestr>\r\n";
}

QByteArray modificationXml(const char* when)
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<DataModyfikacji "
                      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                      "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\">") +
           when + "</DataModyfikacji>\r\n";
}

} // namespace

TEST(HazardDomenyRegister, EntriesAreReadByElementNames)
{
    // The second entry is on one line with its elements swapped, the third has no number:
    // neither shifts the entries after it.
    const QByteArray xml =
        registerXml(entry("1", "www.example.com") +
                    "<PozycjaRejestru "
                    "Lp=\"2\"><DataWpisu>2018-02-03T04:05:06</DataWpisu><AdresDomeny>bet.pl</AdresDomeny>"
                    "</PozycjaRejestru>\r\n" +
                    "<PozycjaRejestru><AdresDomeny>bez-numeru.pl</AdresDomeny></PozycjaRejestru>\r\n" +
                    entry("4", "kasyno.com.pl"));
    const std::vector<THazardEntry> e = ParseHazardRegister(xml);
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[0].Lp, 1);
    EXPECT_EQ(e[0].Domain, QStringLiteral("www.example.com"));
    EXPECT_EQ(e[0].Entered, QStringLiteral("2017-07-01 00:00:00"));
    EXPECT_EQ(e[1].Lp, 2);
    EXPECT_EQ(e[1].Domain, QStringLiteral("bet.pl"));
    EXPECT_EQ(e[1].Entered, QStringLiteral("2018-02-03 04:05:06"));
    EXPECT_EQ(e[2].Lp, 4);
    EXPECT_EQ(e[2].Domain, QStringLiteral("kasyno.com.pl"));
    EXPECT_TRUE(ParseHazardRegister("").empty());
    EXPECT_TRUE(ParseHazardRegister("not xml at all").empty());

    const std::pair<const char*, const char*> bases[] = {
        {"www.example.com", "example.com"},
        {"example.com", "example.com"},
        {"a.b.kasyno.com.pl", "com.pl"},
        {"localhost", "localhost"},
        {"", ""},
    };
    for (const auto& [in, out] : bases)
        EXPECT_EQ(HazardBaseDomain(QLatin1String(in)), QLatin1String(out)) << in;
}

class HazardDomeny : public MikrotikDbTest
{
protected:
    void SetUp() override
    {
        MikrotikDbTest::SetUp();
        if (HasFatalFailure()) return;
        QDir().mkpath(m_web.path() + QStringLiteral("/api/Register"));
        m_http = std::make_unique<THttpStub>(m_web.path());
        WriteIniString(0, QStringLiteral("RejestrHazardowyAdres"), m_http->Url() + QLatin1Char('/'));
    }
    void serve(const QByteArray& registerBody, const QByteArray& modified)
    {
        for (const auto& [name, body] :
             {std::pair{QStringLiteral("/api/Register/index.html"), registerBody},
              std::pair{QStringLiteral("/api/Register/ModificationDate"), modified}}) {
            QFile f(m_web.path() + name);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(body);
        }
    }
    QStringList rows()
    {
        return S()->GetQueryValuesAsList(QStringLiteral("select concat(HD_INDEX, ' ', HD_ADRESDOMENY, ' [', "
                                                        "HD_IP, ']') from HazardDomeny order by HD_INDEX"));
    }
    void ageUpdateRow(int hours)
    {
        S()->ExecQuery(QStringLiteral("update HazardDomeny set HD_DATAWPISU=now() - interval :p1 hour where "
                                      "HD_ADRESDOMENY='Aktualizacja'"),
                       {hours});
    }
    QTemporaryDir m_web;
    std::unique_ptr<THttpStub> m_http;
};

TEST_F(HazardDomeny, RefreshKeepsOneRowPerDomainAndAnUpdateRow)
{
    serve(registerXml(entry("1", "www.example.com") + entry("2", "example.com") + entry("3", "bet.pl")),
          modificationXml("2024-05-06T10:00:00"));
    UpdateHazardDomains();
    EXPECT_EQ(rows(), (QStringList{"0 Aktualizacja []", "1 example.com []", "3 bet.pl []"}));
    EXPECT_TRUE(QFile::exists(PrivateFolder + QStringLiteral("DomenyHazard.txt")));

    // Within three hours nothing changes, even with a changed register.
    serve(registerXml(entry("7", "nowa.pl")), modificationXml("2099-01-01T00:00:00"));
    UpdateHazardDomains();
    EXPECT_EQ(rows().size(), 3);
    EXPECT_FALSE(QFile::exists(PrivateFolder + QStringLiteral("domeny_dm.txt")));

    // Older than three hours but the register not changed since: nothing either.
    ageUpdateRow(4);
    serve(registerXml(entry("7", "nowa.pl")), modificationXml("2001-01-01T00:00:00"));
    UpdateHazardDomains();
    EXPECT_EQ(rows().size(), 3);
    EXPECT_TRUE(QFile::exists(PrivateFolder + QStringLiteral("domeny_dm.txt")));

    // Changed and old enough: refreshed.
    serve(registerXml(entry("7", "nowa.pl")), modificationXml("2099-01-01T00:00:00"));
    UpdateHazardDomains();
    EXPECT_EQ(rows(), (QStringList{"0 Aktualizacja []", "7 nowa.pl []"}));
}

TEST_F(HazardDomeny, UnreachableOrEmptyRegisterLeavesTheTable)
{
    serve(registerXml(entry("1", "bet.pl")), modificationXml("2024-05-06T10:00:00"));
    UpdateHazardDomains();
    ageUpdateRow(4);
    serve(registerXml(QByteArray()), modificationXml("2099-01-01T00:00:00"));
    UpdateHazardDomains();
    EXPECT_EQ(rows(), (QStringList{"0 Aktualizacja []", "1 bet.pl []"}));

    // Nobody listening: the modification date falls back to 2017-01-01.
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost, 0);
    WriteIniString(0, QStringLiteral("RejestrHazardowyAdres"),
                   QStringLiteral("http://127.0.0.1:%1").arg(closed.serverPort()));
    closed.close();
    EXPECT_EQ(GetRegisterModificationDate(), QDateTime(QDate(2017, 1, 1), QTime(0, 0)));
    UpdateHazardDomains();
    EXPECT_EQ(rows().size(), 2);
}

TEST_F(HazardDomeny, AddressesFromTheResolverAndTheRouterList)
{
    TDnsStub dns({QStringLiteral("bet.pl,10.1.2.3"), QStringLiteral("example.com,10.9.9.9")});
    WriteIniString(0, QStringLiteral("DnsSerwerAdres"), QStringLiteral("127.0.0.1"));
    WriteIniInteger(0, QStringLiteral("DnsSerwerPort"), dns.Port());
    EXPECT_EQ(ResolveHostAddress(QStringLiteral("bet.pl")), QStringLiteral("10.1.2.3"));
    EXPECT_EQ(ResolveHostAddress(QStringLiteral("nieznana.pl")), QStringLiteral("0.0.0.0"));

    WriteIniBool(0, QStringLiteral("DomenyHazardoweIP"), true);
    serve(registerXml(entry("1", "www.bet.pl") + entry("2", "nieznana.pl") + entry("3", "example.com")),
          modificationXml("2024-05-06T10:00:00"));
    UpdateHazardDomains();
    // An unresolved domain stays, by name.
    EXPECT_EQ(rows(), (QStringList{"0 Aktualizacja []", "1 bet.pl [10.1.2.3]", "2 nieznana.pl []",
                                   "3 example.com [10.9.9.9]"}));

    const int router = AddRouter(QStringLiteral("R1"), 21, {{QStringLiteral("MIKROTIK_WYSLIJHAZARD"), 1}});
    SelectRouter(router);
    const TMikrotikSections s = BuildMikrotikSections(MikrotikRouterFromRow(*Data->QMTRouter), false);
    EXPECT_EQ(s.Hazard,
              (QStringList{
                  "/ip firewall address-list remove [/ip firewall address-list find list=\"hazard\"]",
                  "/ip firewall address-list add address=10.1.2.3 list=hazard comment=orlix4sql_1",
                  "/ip firewall address-list add address=10.9.9.9 list=hazard comment=orlix4sql_3",
                  "/ip firewall address-list add address=nieznana.pl list=hazard comment=orlix4sql_2",
              }));

    // Without the list the register is emptied; the removal line stays.
    S()->ExecQuery(QStringLiteral("update MTRouter set MIKROTIK_WYSLIJHAZARD=0"));
    SelectRouter(router);
    const TMikrotikSections off = BuildMikrotikSections(MikrotikRouterFromRow(*Data->QMTRouter), false);
    EXPECT_EQ(off.Hazard.size(), 1);
    EXPECT_TRUE(rows().isEmpty());
}
