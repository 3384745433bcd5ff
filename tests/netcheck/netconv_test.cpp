// The private conversions behind the checks.
#include "netcheck/netconv.h"

#include <gtest/gtest.h>

using namespace LibCommonCfg;
using namespace LibCommonCfg::internal;

TEST(NetConv, NumberToDottedAndNetworkOfAnAddress)
{
    EXPECT_EQ(binToDotted(0u), "0.0.0.0");
    EXPECT_EQ(binToDotted(0xffffffffu), "255.255.255.255");
    EXPECT_EQ(binToDotted(0x0a010203u), "10.1.2.3");
    EXPECT_EQ(binToDotted(gatewayToBin("2.256.0.0")), "3.0.0.0");

    const NetworkParams net = networkOf("10.1.2.3", "255.255.0.0");
    EXPECT_EQ(net.network, "10.1.0.0");
    EXPECT_EQ(net.netmask, "255.255.0.0");
    const NetworkParams odd = networkOf("10.1.2.3", " 255.255.0.0");
    EXPECT_EQ(odd.network, "10.1.0.0");
    EXPECT_EQ(odd.netmask, " 255.255.0.0"); // kept as given
    EXPECT_EQ(networkOf("10.1.2.3", "").network, "0.0.0.0");
    const NetworkParams none = networkOf("", "255.255.0.0");
    EXPECT_TRUE(none.network.isNull());
    EXPECT_TRUE(none.netmask.isNull());
}
