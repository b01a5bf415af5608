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
        {"10.1.2.3", 10, 1, 2, 3},
        {"10.0.0.300", 10, 0, 0, 0},
        {"192.168.1", 192, 168, 1, 0},
        {"", 0, 0, 0, 0},
        {"a1.b2.c3.d4", 1, 2, 3, 4},
        {"1.2.3.4.5", 1, 2, 3, 4},
        {"x.y.z.w", 0, 0, 0, 0},
        {"10.0.0.1:80", 10, 0, 0, 180},
        {"99999999999999999999.1.1.1", 0, 1, 1, 1},
        {"10.0.300.x5", 10, 0, 0, 5},
        {"10.0.0.1:8080", 10, 0, 0, 0},
        {"10.1", 10, 1, 0, 0},
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
        {"512k", "524288"},
        {"10M", "10485760"},
        {"2048", "2048"},
        {"", ""},
        {"1 M", "1048576"},
        {"1.5M", "15728640"},
        {"10Mb/s", "10485760"},
        {"abc", ""},
        {"2k4", "2048"},
        {"m", ""},
        // 32-bit product: 2047M is the largest whole-megabyte value, 2048M wraps negative.
        {"2047M", "2146435072"},
        {"2048M", "-2147483648"},
        {"10 m", "10"},
        {"1k5", "1024"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(BandwidthTextToNumber(QLatin1String(in)), QLatin1String(out)) << in;
    for (const char* bad : {"k", "M", "x M", "M10", "99999999999k"}) {
        try {
            BandwidthTextToNumber(QLatin1String(bad));
            ADD_FAILURE() << bad;
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.ClassName(), QStringLiteral("EConvertError")) << bad;
            EXPECT_TRUE(e.Message().contains(QStringLiteral("nie jest poprawną liczbą"))) << bad;
        }
    }
}

TEST(NetworkHelpers, BandwidthNumberToText)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},        {"1048576", "1M"},       {"1572864", "1M"}, {"1048575", "1023k"}, {"1536", "1k"},
        {"1024", "1k"},  {"1023", "1023"},        {"0", "0"},        {"10485760", "10M"},  {"5 12k", "512"},
        {"-2048", "2k"}, {"2147483647", "2047M"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(BandwidthNumberToText(QLatin1String(in)), QLatin1String(out)) << in;
    // Round trip of the operator's texts.
    for (const char* t : {"512k", "10M", "1023k", "2047M"})
        EXPECT_EQ(BandwidthNumberToText(BandwidthTextToNumber(QLatin1String(t))), QLatin1String(t)) << t;
    for (const char* bad : {"abc", "M", "2147483648"})
        EXPECT_THROW(BandwidthNumberToText(QLatin1String(bad)), EDatabaseError) << bad;
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
        {"10.1.1.1:", true},       {"-1.0.0.1", false},
        {"010.000.000.001", true}, {"00.00.00.01", true},
        {"1.2.3", false},          {"10.0.0.1:80.5", true},
        {"256.1.1.1", false},      {"10.0.0.1:8291", true},
        {"1.2.3.4.5", false},      {"10.0.0.1 ", false},
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
