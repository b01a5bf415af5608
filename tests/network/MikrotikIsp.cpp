#include "tests/network/MikrotikIsp.h"

namespace {

TColumns dayBandwidth(const char* prefix, qint64 down, const char* downText, qint64 up, const char* upText)
{
    const QString p = QLatin1String(prefix);
    return {{p + QStringLiteral("PASMODOWNLOADDZIEN"), down},
            {p + QStringLiteral("PASMODOWNLOADDZIENTXT"), QString::fromLatin1(downText)},
            {p + QStringLiteral("PASMOUPLOADDZIEN"), up},
            {p + QStringLiteral("PASMOUPLOADDZIENTXT"), QString::fromLatin1(upText)}};
}

TColumns with(TColumns a, const TColumns& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

void MikrotikIspTest::MakeIsp(int port)
{
    Ether2 =
        Insert(QStringLiteral("Interface"), {{QStringLiteral("INTERFACE_NAZWA"), QStringLiteral("ether2")}});
    Dhcp = Insert(QStringLiteral("Autoryzacja"), {{QStringLiteral("AUT_NAZWA"), QStringLiteral("DHCP")}});
    Pppoe = Insert(QStringLiteral("Autoryzacja"), {{QStringLiteral("AUT_NAZWA"), QStringLiteral("PPPoE")}});
    Profile = Insert(QStringLiteral("Profil"), {{QStringLiteral("PROFIL_NAZWA"), QStringLiteral("abonent")}});
    Wan = Insert(QStringLiteral("Wan"), {{QStringLiteral("WAN_NAZWA"), QStringLiteral("ether1")}});
    Router = AddRouter(QStringLiteral("Centrum"), port,
                       {{QStringLiteral("MIKROTIK_CZYBLOKADY"), 1},
                        {QStringLiteral("MIKROTIK_CZYPUBIP"), 1},
                        {QStringLiteral("MIKROTIK_CZYDOLACZINFRA"), 1},
                        {QStringLiteral("MIKROTIK_MASKAPUBIP"), QStringLiteral("32")},
                        {QStringLiteral("MIKROTIK_KORPASMANOCTERMINOWI"), 150},
                        {QStringLiteral("MIKROTIK_WYSLIJPPPOE"), 1},
                        {QStringLiteral("MIKROTIK_WYSLIJMACDOPPPOE"), 1}});
    const TColumns ether2{{QStringLiteral("M_INDEXINTERFACE"), Ether2},
                          {QStringLiteral("M_INDEXAUTORYZACJA"), Dhcp}};

    // Two devices sharing the subscriber's 10M/1M, no arrears.
    Insert(QStringLiteral("Userdb"),
           with({{QStringLiteral("U_INDEX"), 1},
                 {QStringLiteral("U_NAZWISKO"), QStringLiteral("Nowak")},
                 {QStringLiteral("U_DATAAKTYWACJI"), QStringLiteral("2020-01-01")},
                 {QStringLiteral("U_DATADEAKTYWACJI"), QStringLiteral("0000-00-00")}},
                dayBandwidth("U_", 10485760, "10M", 1048576, "1M")));
    AddDevice(1, Router, QStringLiteral("10.0.0.2"), QStringLiteral("00:1a:2b:3c:4d:5e"),
              with(ether2, {{QStringLiteral("M_INDEX"), 15}}));
    AddDevice(1, Router, QStringLiteral("10.0.0.3"), QStringLiteral("00:1A:2B:3C:4D:5F"),
              with(ether2, {{QStringLiteral("M_INDEX"), 16}}));

    // Blocked, in arrears, with a public address.
    Insert(QStringLiteral("Userdb"),
           with({{QStringLiteral("U_INDEX"), 2},
                 {QStringLiteral("U_NAZWISKO"), QStringLiteral("Kowalski")},
                 {QStringLiteral("U_DATAAKTYWACJI"), QStringLiteral("2020-01-01")},
                 {QStringLiteral("U_DATADEAKTYWACJI"), QStringLiteral("0000-00-00")},
                 {QStringLiteral("U_BLOKUJ"), 1},
                 {QStringLiteral("U_POWIADAMIAJ"), 1},
                 {QStringLiteral("U_MAXZALEGLOSC"), 45}},
                dayBandwidth("U_", 20971520, "20M", 2097152, "2M")));
    AddDevice(2, Router, QStringLiteral("10.0.0.4"), QStringLiteral("00:1A:2B:3C:4D:60"),
              with(ether2, {{QStringLiteral("M_INDEX"), 17},
                            {QStringLiteral("M_PUBIP"), QStringLiteral("193.0.2.10")},
                            {QStringLiteral("M_INDEXWAN"), Wan}}));

    // Bandwidth on the device only; a PPPoE account bound to its MAC.
    Insert(QStringLiteral("Userdb"), {{QStringLiteral("U_INDEX"), 3},
                                      {QStringLiteral("U_NAZWISKO"), QStringLiteral("Wiśniewska")},
                                      {QStringLiteral("U_DATAAKTYWACJI"), QStringLiteral("2020-01-01")},
                                      {QStringLiteral("U_DATADEAKTYWACJI"), QStringLiteral("0000-00-00")},
                                      {QStringLiteral("U_POWIADAMIAJ"), 1}});
    AddDevice(3, Router, QStringLiteral("10.0.0.5"), QStringLiteral("00:1A:2B:3C:4D:61"),
              with(dayBandwidth("M_", 5242880, "5M", 524288, "512k"),
                   {{QStringLiteral("M_INDEX"), 18},
                    {QStringLiteral("M_INDEXINTERFACE"), Ether2},
                    {QStringLiteral("M_INDEXAUTORYZACJA"), Pppoe},
                    {QStringLiteral("M_INDEXPROFIL"), Profile},
                    {QStringLiteral("M_LOGIN"), QStringLiteral("wisniewska")},
                    {QStringLiteral("M_HASLO"), QStringLiteral("k0t3k")}}));

    // A suspended device of a blocked subscriber, and a device not yet connected.
    Insert(QStringLiteral("Userdb"),
           with({{QStringLiteral("U_INDEX"), 4},
                 {QStringLiteral("U_NAZWISKO"), QStringLiteral("Zieliński")},
                 {QStringLiteral("U_DATAAKTYWACJI"), QStringLiteral("2020-01-01")},
                 {QStringLiteral("U_DATADEAKTYWACJI"), QStringLiteral("0000-00-00")},
                 {QStringLiteral("U_BLOKUJ"), 1}},
                dayBandwidth("U_", 10485760, "10M", 1048576, "1M")));
    AddDevice(4, Router, QStringLiteral("10.0.0.6"), QStringLiteral("00:1A:2B:3C:4D:62"),
              with(ether2, {{QStringLiteral("M_INDEX"), 19}, {QStringLiteral("M_CZYZAWIESZONE"), 1}}));
    AddDevice(4, Router, QStringLiteral("10.0.0.7"), QStringLiteral("00:1A:2B:3C:4D:63"),
              with(ether2, {{QStringLiteral("M_INDEX"), 20},
                            {QStringLiteral("M_DATAPODLACZENIA"), QStringLiteral("2999-01-01")}}));

    // An access point of the network.
    Insert(QStringLiteral("Infrastruktura"),
           with(dayBandwidth("INF_", 104857600, "100M", 104857600, "100M"),
                {{QStringLiteral("INF_INDEX"), 3},
                 {QStringLiteral("INF_IP"), QStringLiteral("10.0.1.1")},
                 {QStringLiteral("INF_MAC"), QStringLiteral("4C:5E:0C:11:22:33")},
                 {QStringLiteral("INF_INDEXINTERFACE"), Ether2},
                 {QStringLiteral("INF_INDEXAUTORYZACJA"), Dhcp},
                 {QStringLiteral("INF_CZYDODACDOMT"), 1},
                 {QStringLiteral("INF_INDEXMT"), Router},
                 {QStringLiteral("INF_DATADODANIADOBAZY"), QStringLiteral("2020-01-01")}}));
    SelectRouter(Router);
}
