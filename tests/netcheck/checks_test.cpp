// Runs the network check cases under tests/cases/netcheck: one row per
// check, fields separated by tabs. An interface is written ADDRESS/MASK, an
// optional /GATEWAY text after it, and further addresses after "+"; the
// interfaces of a list are separated by blanks. Numbers are dotted quads.
//   bin TEXT NUMBER                   gatewayToBin
//   overlap NET/MASK NET/MASK yes|no  NetworkParams::contains of a network
//   inside NET/MASK NUMBER yes|no     NetworkParams::contains of an address
//   gateway INTERFACE NUMBER yes|no   checkGatewayIfNet
//   check INTERFACES NETWORK          checkNetIfList
#include <LibCommonCfg/netcheck.h>

#include "support/cases.h"

#include <gtest/gtest.h>

using namespace LibCommonCfg;

namespace {

unsigned int number(const QByteArray& dotted)
{
    unsigned int result = 0;
    for (const QByteArray& part : dotted.split('.'))
        result = (result << 8) | part.toUInt();
    return result;
}

IpParams ipOf(const QByteArray& text)
{
    const QList<QByteArray> parts = text.split('/');
    IpParams ip;
    ip.address = QString::fromLatin1(parts.value(0));
    ip.netmask = QString::fromLatin1(parts.value(1));
    ip.gateway = QString::fromLatin1(parts.value(2));
    return ip;
}

NetIf netIfOf(const QByteArray& text)
{
    NetIf netIf;
    const QList<QByteArray> addresses = text.split('+');
    netIf.ip = ipOf(addresses.first());
    for (int i = 1; i < addresses.size(); ++i)
        netIf.extraIps.append(ipOf(addresses.at(i)));
    return netIf;
}

NetworkParams networkOf(const QByteArray& text)
{
    return NetworkParams{ipOf(text).address, ipOf(text).netmask};
}

LCC_CASE_TEST(NetCase, "netcheck", "bin", "overlap", "inside", "gateway", "check")
{
    for (const auto& line : c.lines) {
        const QList<QByteArray> f = line.second.split('\t');
        SCOPED_TRACE(line.first.toStdString() + " " + line.second.toStdString());
        if (line.first == "bin") {
            EXPECT_EQ(gatewayToBin(QString::fromLatin1(f.value(0))), number(f.value(1)));
        } else if (line.first == "overlap") {
            EXPECT_EQ(networkOf(f.value(0)).contains(networkOf(f.value(1))), f.value(2) == "yes");
        } else if (line.first == "inside") {
            EXPECT_EQ(networkOf(f.value(0)).contains(number(f.value(1))), f.value(2) == "yes");
        } else if (line.first == "gateway") {
            EXPECT_EQ(checkGatewayIfNet(netIfOf(f.value(0)), number(f.value(1))), f.value(2) == "yes");
        } else if (line.first == "check") {
            QList<NetIf> list;
            for (const QByteArray& text : f.value(0).split(' ')) {
                if (!text.isEmpty())
                    list.append(netIfOf(text));
            }
            const QString network = checkNetIfList(list);
            EXPECT_EQ(network.toStdString(), f.value(1).toStdString());
            EXPECT_FALSE(network.isNull());
        }
    }
}

} // namespace

TEST(NetCheck, RecordsCompareByTheirTexts)
{
    const IpParams a = ipOf("10.0.0.1/255.0.0.0");
    EXPECT_TRUE(a == ipOf("10.0.0.1/255.0.0.0/") && !(a != ipOf("10.0.0.1/255.0.0.0/"))); // null equals empty
    for (const char* other : {"10.0.0.2/255.0.0.0", "10.0.0.1/255.255.0.0", "10.0.0.1/255.0.0.0/10.0.0.254"})
        EXPECT_TRUE(!(a == ipOf(other)) && a != ipOf(other)) << other;
}
