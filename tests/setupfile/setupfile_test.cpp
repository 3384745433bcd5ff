// The network setup store beyond what it shares with the time-zone file:
// typed setters, removal, the numbered interface keys, and a client's own
// text saved.
#include <LibCommonCfg/setupfile.h>

#include "support/files.h"
#include "support/lines.h"

#include <gtest/gtest.h>

#include <climits>

using namespace LibCommonCfg;
using lcctest::sortedLines;

namespace {

// A client's own flavour of the file: a header line before the usual lines.
class HeaderedSetupFile final : public SetupFile {
public:
    QByteArray serialize() const override { return "# written by the client\n" + SetupFile::serialize(); }
};

} // namespace

TEST(SetupFile, TypedSettersAndRemoval)
{
    SetupFile file;
    file.setBool("ON", true);
    file.setBool("OFF", false);
    file.setInt("MIN", INT_MIN);
    file.setInt("ZERO", 0);
    file.setInt("NEG", -5);
    EXPECT_EQ(sortedLines(file.serialize()),
              sortedLines({"ON=Y", "OFF=N", "MIN=-2147483648", "ZERO=0", "NEG=-5"}));
    EXPECT_EQ(file.getInt("MIN", 0), INT_MIN);
    EXPECT_TRUE(file.getInt("ABSENT") == 0 && !file.getBool("ABSENT"));
    EXPECT_EQ(file.remove("ON") * 10 + file.remove("ON"), 10);
    EXPECT_FALSE(file.hasKey("ON"));
}

TEST(SetupFile, InterfacesMapOntoNumberedKeys)
{
    SetupFile file;
    ASSERT_TRUE(file.load(QStringLiteral(LCC_TEST_DATA_DIR "/network.conf")));
    QList<NetIf> list{NetIf()};
    list[0].aux1 = "kept";
    ASSERT_TRUE(file.getIfList(3, list));
    EXPECT_TRUE(file.getIfList(-4, list));
    ASSERT_EQ(list.size(), 4);
    EXPECT_EQ(list.at(0).aux1, "kept");
    EXPECT_TRUE((list.at(1).ip == IpParams{"192.168.10.20", "255.255.255.0", "192.168.10.1"}));
    EXPECT_TRUE((list.at(2).ip == IpParams{"10.20.0.5", "255.255.0.0", ""}));
    EXPECT_TRUE((list.at(3).ip == IpParams{"172.16.1.9", "255.255.255.0", "172.16.1.1"}));
    QList<NetIf> none;
    SetupFile().getIfList(1, none);
    EXPECT_TRUE(none.at(0).ip.address.isNull() && none.at(0).ip.netmask.isNull() &&
                none.at(0).ip.gateway.isNull());

    // A list of two leaves the third interface's keys alone; only the main
    // addresses are stored.
    list.removeFirst();
    list.removeLast();
    list[0].ip.address = "192.168.10.21";
    list[0].extraIps.append(IpParams{"192.168.11.1", "255.255.255.0", ""});
    list[1].ip.gateway = "10.20.0.1";
    ASSERT_TRUE(file.setIfList(list));
    EXPECT_EQ(sortedLines(file.serialize()),
              sortedLines({"HOSTNAME=meter-07", "IPADDR=192.168.10.21", "NETMASK=255.255.255.0",
                           "GATEWAY=192.168.10.1", "IPADDR2=10.20.0.5", "NETMASK2=255.255.0.0",
                           "GATEWAY2=10.20.0.1", "IPADDR3=172.16.1.9", "NETMASK3=255.255.255.0",
                           "GATEWAY3=172.16.1.1", "IPADDR1=1.1.1.1", "ipaddr=9.9.9.9", "DHCP=N"}));

    // Eleven interfaces: the eleventh is number 11, and they read back.
    QList<NetIf> many;
    for (int i = 0; i < 11; ++i) {
        many.append(NetIf());
        many[i].ip = IpParams{QStringLiteral("10.0.%1.1").arg(i), "255.0.0.0", i ? "x" : ""};
    }
    SetupFile numbered;
    ASSERT_TRUE(numbered.setIfList(many));
    EXPECT_EQ(numbered.getString("IPADDR11"), "10.0.10.1");
    EXPECT_EQ(numbered.allKeys().size(), 33);
    QList<NetIf> back;
    numbered.getIfList(11, back);
    for (int i = 0; i < 11; ++i)
        EXPECT_TRUE(back.at(i).ip == many.at(i).ip) << i;
}

TEST(SetupFile, SaveWritesWhatADerivedSerializeGives)
{
    lcctest::ScratchDir dir;
    HeaderedSetupFile client;
    client.setString("IPADDR", " 10.0.0.5 ");
    SetupFile& base = client;
    ASSERT_TRUE(base.save(dir.qpath("network")));
    EXPECT_EQ(lcctest::readAll(dir.qpath("network")),
              QByteArray("# written by the client\nIPADDR=10.0.0.5\n"));
}
