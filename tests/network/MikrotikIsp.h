#pragma once
// A small ISP on one MikroTik router: the fixture of the build and send tests.
#include "tests/network/MikrotikFixture.h"

class MikrotikIspTest : public MikrotikDbTest
{
protected:
    // The router on the port given, with the dictionaries, four subscribers,
    // their six devices and one infrastructure device.
    void MakeIsp(int port);

    int Router = 0;
    int Ether2 = 0, Pppoe = 0, Dhcp = 0, Profile = 0, Wan = 0;
};
