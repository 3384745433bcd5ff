// Dotted-quad conversion, network overlap and the gateway and interface checks.
#include <LibCommonCfg/netcheck.h>

#include <gtest/gtest.h>

using namespace LibCommonCfg;

namespace {

unsigned int quad(unsigned a, unsigned b, unsigned c, unsigned d)
{
    return (a << 24) | (b << 16) | (c << 8) | d;
}

NetIf netIf(const QString& address, const QString& netmask, QList<IpParams> extra = {})
{
    NetIf result;
    result.ip.address = address;
    result.ip.netmask = netmask;
    result.extraIps = extra;
    return result;
}

IpParams ip(const QString& address, const QString& netmask)
{
    IpParams result;
    result.address = address;
    result.netmask = netmask;
    return result;
}

} // namespace

TEST(NetCheck, DottedTextToNumber)
{
    EXPECT_EQ(gatewayToBin("192.168.1.10"), quad(192, 168, 1, 10));
    EXPECT_EQ(gatewayToBin(""), 0u);
    EXPECT_EQ(gatewayToBin(QString()), 0u);
    EXPECT_EQ(gatewayToBin("10.1"), 10u * 256u + 1u);
    EXPECT_EQ(gatewayToBin("1.2.3.x"), quad(1, 2, 3, 0));
    // 256 spills into the octet above, where it is ORed with the 1 already there.
    EXPECT_EQ(gatewayToBin("1.256.0.0"), quad(1, 0, 0, 0));
    EXPECT_EQ(gatewayToBin("2.256.0.0"), quad(3, 0, 0, 0));
    EXPECT_EQ(gatewayToBin("0.0.1.256"), quad(0, 0, 1, 0));
    EXPECT_EQ(gatewayToBin("0.0.0.65537"), quad(0, 1, 0, 1));
    EXPECT_EQ(gatewayToBin("255.255.255.255"), 0xffffffffu);
    EXPECT_EQ(gatewayToBin("0.0.0.0"), 0u);
    EXPECT_EQ(gatewayToBin(" 10 .1..3"), quad(10, 1, 0, 3));
    EXPECT_EQ(gatewayToBin("-1.2.3.4"), quad(0, 2, 3, 4));
    // Five parts: the first is shifted by 32 bits, taken as 0, so it lands in the low octet.
    EXPECT_EQ(gatewayToBin("7.1.2.3.4"), quad(1, 2, 3, 4) | 7u);
}

TEST(NetCheck, RecordsCompareByTheirTexts)
{
    IpParams a = ip("10.0.0.1", "255.0.0.0");
    IpParams b = a;
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a != b);
    b.gateway = QLatin1String("");
    EXPECT_TRUE(a == b); // null equals empty
    b.gateway = "10.0.0.254";
    EXPECT_TRUE(a != b);
    b = a;
    b.address = "10.0.0.2";
    EXPECT_FALSE(a == b);
    b = a;
    b.netmask = "255.255.0.0";
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(NetIf().ip.address.isNull());
    EXPECT_TRUE(NetIf().aux1.isNull());
    EXPECT_TRUE(NetIf().extraIps.isEmpty());
}

TEST(NetCheck, NetworksOverlap)
{
    const NetworkParams wide{"10.0.0.0", "255.0.0.0"};
    const NetworkParams narrow{"10.1.0.0", "255.255.0.0"};
    const NetworkParams other{"10.2.0.0", "255.255.0.0"};
    EXPECT_TRUE(wide.contains(narrow));
    EXPECT_TRUE(narrow.contains(wide));
    EXPECT_FALSE(narrow.contains(other));
    EXPECT_FALSE(other.contains(narrow));
    EXPECT_TRUE(narrow.contains(narrow));
    EXPECT_TRUE((NetworkParams{"192.168.1.0", ""}).contains(other)); // empty mask: everything

    EXPECT_TRUE(narrow.contains(quad(10, 1, 200, 3)));
    EXPECT_FALSE(narrow.contains(quad(10, 2, 0, 1)));
    EXPECT_TRUE((NetworkParams{"0.0.0.0", "0.0.0.0"}).contains(quad(8, 8, 8, 8)));
    const NetworkParams host{"192.168.1.5", "255.255.255.255"};
    EXPECT_TRUE(host.contains(quad(192, 168, 1, 5)));
    EXPECT_FALSE(host.contains(quad(192, 168, 1, 6)));
}

TEST(NetCheck, GatewayReachableFromTheInterface)
{
    const unsigned int gw = gatewayToBin("192.168.1.1");
    EXPECT_TRUE(checkGatewayIfNet(netIf("192.168.1.5", "255.255.255.0"), gw));
    EXPECT_FALSE(checkGatewayIfNet(netIf("192.168.2.5", "255.255.255.0"), gw));
    EXPECT_FALSE(checkGatewayIfNet(netIf("", "255.255.255.0"), gw));
    EXPECT_FALSE(checkGatewayIfNet(netIf("", ""), 0u));
    EXPECT_TRUE(checkGatewayIfNet(netIf("10.0.0.1", "0.0.0.0"), gw));
    EXPECT_FALSE(checkGatewayIfNet(netIf("10.0.0.1", "255.255.255.255"), gw));
    EXPECT_TRUE(checkGatewayIfNet(netIf("10.0.0.1", "255.255.255.255"), gatewayToBin("10.0.0.1")));

    // The first extra address counts, the second does not.
    const NetIf multi = netIf("10.0.0.1", "255.255.255.0",
                              {ip("172.16.0.1", "255.255.0.0"), ip("192.168.1.2", "255.255.255.0")});
    EXPECT_TRUE(checkGatewayIfNet(multi, gatewayToBin("172.16.5.5")));
    EXPECT_FALSE(checkGatewayIfNet(multi, gw));
    EXPECT_TRUE(checkGatewayIfNet(multi, gatewayToBin("10.0.0.254")));
    EXPECT_FALSE(checkGatewayIfNet(
        netIf("10.0.0.1", "255.255.255.0", {ip("", ""), ip("192.168.1.2", "255.255.255.0")}), gw));
    // The gateway text of the record is not what is checked.
    NetIf withText = netIf("10.0.0.1", "255.255.255.0");
    withText.ip.gateway = "10.0.0.254";
    EXPECT_FALSE(checkGatewayIfNet(withText, gw));
}

TEST(NetCheck, OverlappingInterfaceNetworks)
{
    EXPECT_EQ(checkNetIfList({netIf("192.168.1.5", "255.255.255.0"), netIf("192.168.1.7", "255.255.255.0")}),
              "192.168.1.0");
    EXPECT_EQ(checkNetIfList({netIf("10.0.0.1", "255.0.0.0"), netIf("10.1.0.1", "255.255.0.0")}), "10.1.0.0");
    EXPECT_EQ(checkNetIfList({netIf("10.1.0.1", "255.255.0.0"), netIf("10.0.0.1", "255.0.0.0")}), "10.1.0.0");
    EXPECT_EQ(checkNetIfList({netIf("10.0.0.1", "255.255.255.0", {ip("10.0.0.9", "255.255.255.0")})}),
              "10.0.0.0");
    EXPECT_EQ(checkNetIfList({netIf("192.168.3.4", "255.255.255.0"), netIf("10.0.0.1", "")}), "192.168.3.0");
    EXPECT_EQ(checkNetIfList({netIf("10.0.0.1", "255.255.255.255"), netIf("10.0.0.1", "255.255.255.255")}),
              "10.0.0.1");
    EXPECT_EQ(checkNetIfList({netIf("10.0.0.1", "0.0.0.0"), netIf("192.168.1.1", "255.255.255.0")}),
              "192.168.1.0");
    // The first overlapping pair in list order is reported.
    EXPECT_EQ(checkNetIfList({netIf("10.0.0.1", "255.255.255.0"), netIf("172.16.0.1", "255.255.0.0"),
                              netIf("172.16.9.1", "255.255.255.0"), netIf("10.0.0.2", "255.255.255.0")}),
              "172.16.9.0");
}

TEST(NetCheck, SeparateOrEmptyNetworksGiveAnEmptyText)
{
    const QString three =
        checkNetIfList({netIf("192.168.1.5", "255.255.255.0"), netIf("192.168.2.5", "255.255.255.0"),
                        netIf("10.0.0.1", "255.0.0.0", {ip("172.16.0.1", "255.255.0.0")})});
    EXPECT_TRUE(three.isEmpty());
    EXPECT_FALSE(three.isNull());
    EXPECT_FALSE(checkNetIfList({}).isNull());
    EXPECT_TRUE(checkNetIfList({}).isEmpty());
    EXPECT_EQ(
        checkNetIfList({netIf("", ""), netIf("", "255.0.0.0", {ip("", "")}), netIf(QString(), QString())}),
        "");
    EXPECT_EQ(checkNetIfList({netIf("", ""), netIf("10.0.0.1", "255.0.0.0"), netIf("", "")}), "");
    // Malformed parts count as 0: 10.x.0.1 lies in 10.0.0.0/8.
    EXPECT_EQ(checkNetIfList({netIf("10.x.0.1", "255.255.0.0"), netIf("10.0.5.5", "255.0.0.0")}), "10.0.0.0");
}
