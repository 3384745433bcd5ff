#include <LibCommonCfg/netcheck.h>

#include "netcheck/netconv.h"

#include <QStringList>

namespace LibCommonCfg {

bool IpParams::operator==(const IpParams& other) const
{
    return address == other.address && netmask == other.netmask && gateway == other.gateway;
}

bool IpParams::operator!=(const IpParams& other) const
{
    return !(*this == other);
}

unsigned int gatewayToBin(const QString& address)
{
    const QStringList parts = address.split(QLatin1Char('.'), Qt::KeepEmptyParts, Qt::CaseSensitive);
    const int n = parts.size();
    quint32 result = 0;
    for (int i = 0; i < n; ++i) {
        bool ok = false;
        quint32 value = parts.at(i).toUInt(&ok, 10);
        if (!ok)
            value = 0;
        // More than four parts wrap around instead of shifting out of range.
        const unsigned shift = static_cast<unsigned>(8 * (n - 1 - i)) % 32u;
        result |= value << shift;
    }
    return result;
}

namespace internal {

QString binToDotted(unsigned int address)
{
    return QString::number((address >> 24) & 0xffu) + QLatin1Char('.') +
           QString::number((address >> 16) & 0xffu) + QLatin1Char('.') +
           QString::number((address >> 8) & 0xffu) + QLatin1Char('.') + QString::number(address & 0xffu);
}

NetworkParams networkOf(const QString& address, const QString& netmask)
{
    NetworkParams result;
    if (address.isEmpty())
        return result;
    result.network = binToDotted(gatewayToBin(address) & gatewayToBin(netmask));
    result.netmask = netmask;
    return result;
}

} // namespace internal

using internal::networkOf;

bool NetworkParams::contains(const NetworkParams& other) const
{
    const quint32 m1 = gatewayToBin(netmask);
    const quint32 m2 = gatewayToBin(other.netmask);
    return (gatewayToBin(network) & m1 & m2) == (gatewayToBin(other.network) & m1 & m2);
}

bool NetworkParams::contains(unsigned int address) const
{
    const quint32 m = gatewayToBin(netmask);
    return (m & address) == (gatewayToBin(network) & m);
}

bool checkGatewayIfNet(const NetIf& netIf, unsigned int gateway)
{
    if (netIf.ip.address.isEmpty())
        return false;
    if (networkOf(netIf.ip.address, netIf.ip.netmask).contains(gateway))
        return true;
    // Only the first extra address counts for the gateway.
    if (!netIf.extraIps.isEmpty() && !netIf.extraIps.first().address.isEmpty()) {
        const IpParams& extra = netIf.extraIps.first();
        return networkOf(extra.address, extra.netmask).contains(gateway);
    }
    return false;
}

QString checkNetIfList(const QList<NetIf>& list)
{
    QList<NetworkParams> seen;
    for (const NetIf& netIf : list) {
        QList<IpParams> addresses;
        addresses.append(netIf.ip);
        addresses.append(netIf.extraIps);
        for (const IpParams& ip : addresses) {
            const NetworkParams candidate = networkOf(ip.address, ip.netmask);
            if (candidate.network.isEmpty())
                continue;
            for (const NetworkParams& earlier : seen) {
                if (!earlier.contains(candidate))
                    continue;
                // The narrower network is the one with the greater mask.
                if (gatewayToBin(earlier.netmask) > gatewayToBin(candidate.netmask))
                    return earlier.network;
                return candidate.network;
            }
            seen.append(candidate);
        }
    }
    return QString(QLatin1String(""));
}

} // namespace LibCommonCfg
