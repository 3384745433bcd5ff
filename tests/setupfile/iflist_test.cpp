// Interfaces of a device mapped onto the numbered address keys.
#include <LibCommonCfg/setupfile.h>

#include "support/lines.h"
using lcctest::sortedLines;

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/files.h"

using namespace LibCommonCfg;

using lcctest::readAll;

namespace {

IpParams ip(const QString& address, const QString& netmask, const QString& gateway)
{
    IpParams result;
    result.address = address;
    result.netmask = netmask;
    result.gateway = gateway;
    return result;
}

} // namespace

TEST(SetupFileIfList, DeviceWithThreeInterfacesReadChangedAndSaved)
{
    SetupFile file;
    ASSERT_TRUE(file.load(QStringLiteral(LCC_TEST_DATA_DIR "/network.conf")));
    QList<NetIf> list;
    NetIf first;
    first.aux1 = "kept";
    list.append(first);
    ASSERT_TRUE(file.getIfList(3, list));
    ASSERT_EQ(list.size(), 4);
    EXPECT_EQ(list.at(0).aux1, "kept");
    EXPECT_TRUE(list.at(1).ip == ip("192.168.10.20", "255.255.255.0", "192.168.10.1"));
    EXPECT_TRUE(list.at(2).ip == ip("10.20.0.5", "255.255.0.0", ""));
    EXPECT_FALSE(list.at(2).ip.gateway.isNull());
    EXPECT_TRUE(list.at(3).ip == ip("172.16.1.9", "255.255.255.0", "172.16.1.1"));
    for (int i = 1; i < 4; ++i) {
        EXPECT_TRUE(list.at(i).aux1.isNull());
        EXPECT_TRUE(list.at(i).aux2.isNull());
        EXPECT_TRUE(list.at(i).extraIps.isEmpty());
    }
    list.removeFirst();

    // The service port moves, the second interface gets a gateway; a list of
    // two leaves the third interface's keys alone.
    list[1].ip.gateway = "10.20.0.1";
    list[0].ip.address = "192.168.10.21";
    list[0].extraIps.append(ip("192.168.11.1", "255.255.255.0", "")); // not stored
    list[0].aux2 = "not stored";
    list.removeLast();
    const QList<NetIf> before = list;
    ASSERT_TRUE(file.setIfList(list));
    EXPECT_EQ(list.size(), before.size());
    EXPECT_TRUE(list.at(0).ip == before.at(0).ip);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("network.conf");
    ASSERT_TRUE(file.save(path));
    EXPECT_EQ(sortedLines(readAll(path)),
              sortedLines({"HOSTNAME=meter-07", "IPADDR=192.168.10.21", "NETMASK=255.255.255.0",
                           "GATEWAY=192.168.10.1", "IPADDR2=10.20.0.5", "NETMASK2=255.255.0.0",
                           "GATEWAY2=10.20.0.1", "IPADDR3=172.16.1.9", "NETMASK3=255.255.255.0",
                           "GATEWAY3=172.16.1.1", "IPADDR1=1.1.1.1", "ipaddr=9.9.9.9", "DHCP=N"}));
}

TEST(SetupFileIfList, CountsAndMissingKeys)
{
    SetupFile file;
    file.load(QByteArray("IPADDR=10.0.0.1\nNETMASK=255.0.0.0\nGATEWAY=10.0.0.254\nIPADDR1=1.1.1.1\n"
                         "ipaddr2=2.2.2.2\n"));
    QList<NetIf> list;
    EXPECT_TRUE(file.getIfList(0, list));
    EXPECT_TRUE(file.getIfList(-4, list));
    EXPECT_TRUE(list.isEmpty());

    ASSERT_TRUE(file.getIfList(2, list));
    ASSERT_EQ(list.size(), 2);
    EXPECT_TRUE(list.at(0).ip == ip("10.0.0.1", "255.0.0.0", "10.0.0.254"));
    EXPECT_TRUE(list.at(1).ip.address.isNull()); // neither IPADDR1 nor ipaddr2 is the second interface
    EXPECT_TRUE(list.at(1).ip.netmask.isNull());
    EXPECT_TRUE(list.at(1).ip.gateway.isNull());

    QList<NetIf> twice;
    file.getIfList(1, twice);
    file.getIfList(1, twice);
    ASSERT_EQ(twice.size(), 2);
    EXPECT_TRUE(twice.at(0).ip == twice.at(1).ip);
}

TEST(SetupFileIfList, StoringListsWritesNumberedKeys)
{
    QList<NetIf> list;
    for (int i = 0; i < 11; ++i) {
        NetIf netIf;
        netIf.ip =
            ip(QStringLiteral("10.0.%1.1").arg(i), "255.255.255.0", i == 0 ? QString() : QStringLiteral("x"));
        list.append(netIf);
    }
    SetupFile file;
    ASSERT_TRUE(file.setIfList(list));
    EXPECT_EQ(file.getString("IPADDR"), "10.0.0.1");
    EXPECT_EQ(file.getString("IPADDR2"), "10.0.1.1");
    EXPECT_EQ(file.getString("IPADDR11"), "10.0.10.1");
    EXPECT_FALSE(file.hasKey("IPADDR1"));
    EXPECT_FALSE(file.hasKey("IPADDR12"));
    EXPECT_EQ(file.allKeys().size(), 33);
    EXPECT_TRUE(file.hasKey("GATEWAY"));
    EXPECT_TRUE(file.serialize().contains("\nGATEWAY=\n") || file.serialize().startsWith("GATEWAY=\n"));

    QList<NetIf> back;
    file.getIfList(11, back);
    ASSERT_EQ(back.size(), 11);
    for (int i = 0; i < 11; ++i)
        EXPECT_TRUE(back.at(i).ip == list.at(i).ip) << i;

    const SetupFile before = file;
    QList<NetIf> empty;
    ASSERT_TRUE(file.setIfList(empty));
    EXPECT_TRUE(file == before);
}
