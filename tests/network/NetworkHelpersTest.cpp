// Address and bandwidth helpers, case by case.
#include "core/NetworkHelpers.h"
#include "core/DbError.h"

#include <gtest/gtest.h>

TEST(NetworkHelpers, SplitIpOctets)
{
    struct Case
    {
        const char* text;
        int a, b, c, d;
    } cases[] = {
        {"10.1.2.3", 10, 1, 2, 3}, {"10.0.0.300", 10, 0, 0, 0},    {"192.168.1", 192, 168, 1, 0},
        {"", 0, 0, 0, 0},          {"a1.b2.c3.d4", 1, 2, 3, 4},    {"1.2.3.4.5", 1, 2, 3, 4},
        {"x.y.z.w", 0, 0, 0, 0},   {"10.0.0.1:80", 10, 0, 0, 180}, {"99999999999999999999.1.1.1", 0, 1, 1, 1},
    };
    for (const Case& c : cases) {
        int o[4] = {-1, -1, -1, -1};
        SplitIpOctets(QLatin1String(c.text), o[0], o[1], o[2], o[3]);
        EXPECT_EQ((std::array<int, 4>{o[0], o[1], o[2], o[3]}), (std::array<int, 4>{c.a, c.b, c.c, c.d}))
            << c.text;
    }
}

TEST(NetworkHelpers, BandwidthTextToNumber)
{
    const std::pair<const char*, const char*> cases[] = {
        {"512k", "524288"},   {"10M", "10485760"},    {"2048", "2048"}, {"", ""},        {"1 M", "1048576"},
        {"1.5M", "15728640"}, {"10Mb/s", "10485760"}, {"abc", ""},      {"2k4", "2048"}, {"m", ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(BandwidthTextToNumber(QLatin1String(in)), QLatin1String(out)) << in;
    for (const char* bad : {"k", "M", "x M"})
        EXPECT_THROW(BandwidthTextToNumber(QLatin1String(bad)), EDatabaseError) << bad;
}

TEST(NetworkHelpers, FormatMacAddress)
{
    struct Case
    {
        const char* text;
        const char* separator;
        int letters;
        const char* expected;
    } cases[] = {
        {"AABBCCDDEEFF", ":", 0, "aa:bb:cc:dd:ee:ff"},
        {"aa-bb-cc-dd-ee-ff", ":", 1, "AA:BB:CC:DD:EE:FF"},
        {"aabb.ccdd.eeff", "-", 0, "aa-bb-cc-dd-ee-ff"},
        {"AABBCCDDEEFF", ".", 0, "aabb.ccdd.eeff"},
        {"AABBCCDDEEFF", "", 1, "AABBCCDDEEFF"},
        {"AABBCCDDEE", ":", 0, "AABBCCDDEE"},
        {"AABBCCDDEEFF00", ":", 0, "AABBCCDDEEFF00"},
        {"AABBCCDDEEFF", "::", 0, "AABBCCDDEEFF"},
        {"", ":", 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatMacAddress(QLatin1String(c.text), QLatin1String(c.separator), c.letters),
                  QLatin1String(c.expected))
            << c.text << " " << c.separator;
}

TEST(NetworkHelpers, AddressValidity)
{
    const std::pair<const char*, bool> ips[] = {
        {"10.0.0.1", true},        {"255.255.255.255", true},
        {"10.0.0.1:8080", true},   {"0.0.0.0", false},
        {"10.0.0.256", false},     {"10.0.0", false},
        {"10.0.0.1.5", false},     {"1.2.3.", false},
        {"a.b.c.d", false},        {"", false},
        {"1.1.1.1:", false},       {"-1.0.0.1", false},
        {"010.000.000.001", true},
    };
    for (const auto& [ip, ok] : ips)
        EXPECT_EQ(IsValidIpAddress(QLatin1String(ip)), ok) << ip;
    const std::pair<const char*, bool> macs[] = {
        {"", true},
        {"aa:bb:cc:dd:ee:ff", true},
        {"AABB.CCDD.EEFF", true},
        {"aa:bb:cc:dd:ee", false},
        {"aa:bb:cc:dd:ee:ff:00", false},
        {"gg:hh:ii:jj:kk:ll", false},
        {"0.0.0.0", false},
    };
    for (const auto& [mac, ok] : macs)
        EXPECT_EQ(IsValidMacAddress(QLatin1String(mac)), ok) << mac;
}
