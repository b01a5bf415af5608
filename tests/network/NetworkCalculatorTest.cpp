// The network information of the dictionaries window, case by case.
#include "network/NetworkCalculator.h"

#include <gtest/gtest.h>

TEST(NetworkCalculator, InformationValues)
{
    struct Case
    {
        const char *address, *prefix;
        const char *net, *range, *cls, *count, *mask, *binary;
    } cases[] = {
        {"192.168.1.0", "24", "192.168.1.0/24", "192.168.1.0 - 192.168.1.255", "C", "256", "255.255.255.0",
         "11111111.11111111.11111111.00000000"},
        // A host address inside the network gives the network's own range.
        {"10.20.30.40", "8", "10.0.0.0/8", "10.0.0.0 - 10.255.255.255", "A", "16777216", "255.0.0.0",
         "11111111.00000000.00000000.00000000"},
        {"172.16.5.77", " 30 ", "172.16.5.76/30", "172.16.5.76 - 172.16.5.79", "B", "4", "255.255.255.252",
         "11111111.11111111.11111111.11111100"},
        {"8.8.8.8", "32", "8.8.8.8/32", "8.8.8.8 - 8.8.8.8", "A", "1", "255.255.255.255",
         "11111111.11111111.11111111.11111111"},
        {"0.0.0.0", "0", "0.0.0.0/0", "0.0.0.0 - 255.255.255.255", "A", "4294967296", "0.0.0.0",
         "00000000.00000000.00000000.00000000"},
        {"224.0.0.1", "4", "224.0.0.0/4", "224.0.0.0 - 239.255.255.255", "D", "268435456", "240.0.0.0",
         "11110000.00000000.00000000.00000000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NetworkInfoValues(QLatin1String(c.address), QLatin1String(c.prefix)),
                  (QStringList{QLatin1String(c.net), QLatin1String(c.range), QLatin1String(c.cls),
                               QLatin1String(c.count), QLatin1String(c.mask), QLatin1String(c.binary)}))
            << c.address << "/" << c.prefix;
}

TEST(NetworkCalculator, MissingOrWrongInputGivesEmptyLabels)
{
    const std::pair<const char*, const char*> cases[] = {
        {"192.168.1.0", ""},   {"", "24"},
        {"192.168.1.0", "33"}, {"192.168.1.0", "-1"},
        {"192.168.1", "24"},   {"192.168.1.256", "24"},
        {"a.b.c.d", "24"},     {"192.168.1.0", "2x"},
        {"1.2.3.4.5", "24"},   {"192.168.1.0/24", "24"},
    };
    for (const auto& [address, prefix] : cases)
        EXPECT_EQ(NetworkInfoValues(QLatin1String(address), QLatin1String(prefix)), QStringList(6, QString()))
            << address << "/" << prefix;
    EXPECT_EQ(NetworkInfoCaptions().size(), 6);
}
