// Arbitrary address texts, one per input line, for the network checks:
// nothing may crash or overflow, and the checks must agree with the numeric
// form. An interface always reaches an address of its own network, and a
// reported overlap is a network text of four octets.
#include <LibCommonCfg/netcheck.h>

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdlib>

using namespace LibCommonCfg;

namespace {

bool isDottedQuad(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (const QString& part : parts) {
        bool ok = false;
        if (part.toUInt(&ok, 10) > 255u || !ok || QString::number(part.toUInt()) != part)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const QStringList texts = text.split(QLatin1Char('\n'));

    // Lines taken three at a time as address, mask and gateway; each group
    // of up to three addresses forms one interface.
    QList<NetIf> list;
    for (int i = 0; i < texts.size(); i += 3) {
        IpParams ip;
        ip.address = texts.at(i);
        ip.netmask = i + 1 < texts.size() ? texts.at(i + 1) : QString();
        ip.gateway = i + 2 < texts.size() ? texts.at(i + 2) : QString();
        if ((i / 3) % 3 == 0 || list.isEmpty()) {
            NetIf netIf;
            netIf.ip = ip;
            list.append(netIf);
        } else {
            list.last().extraIps.append(ip);
        }

        const unsigned int address = gatewayToBin(ip.address);
        gatewayToBin(ip.gateway);
        NetIf single;
        single.ip = ip;
        if (checkGatewayIfNet(single, address) != !ip.address.isEmpty())
            std::abort();
        // One address alone never overlaps; the same one twice always does.
        if (!checkNetIfList(QList<NetIf>{single}).isEmpty())
            std::abort();
        const QString twice = checkNetIfList(QList<NetIf>{single, single});
        if (ip.address.isEmpty() ? !twice.isEmpty() : !isDottedQuad(twice))
            std::abort();
    }

    for (const NetIf& netIf : list)
        checkGatewayIfNet(netIf, gatewayToBin(netIf.ip.gateway));
    const QString overlap = checkNetIfList(list);
    if (overlap.isNull() || (!overlap.isEmpty() && !isDottedQuad(overlap)))
        std::abort();
    return 0;
}
