#ifndef LIBCOMMONCFG_NETCHECK_H
#define LIBCOMMONCFG_NETCHECK_H

#include <LibCommonCfg/libcommoncfg_export.h>

#include <QList>
#include <QString>

namespace LibCommonCfg {

/// One address of an interface, as dotted-quad texts.
struct LIBCOMMONCFG_EXPORT IpParams {
    QString address;
    QString netmask;
    QString gateway;

    bool operator==(const IpParams& other) const;
    bool operator!=(const IpParams& other) const;
};

/// One network interface of the device. `aux1` and `aux2` belong to the
/// caller and are only copied along.
struct LIBCOMMONCFG_EXPORT NetIf {
    QString aux1;
    QString aux2;
    IpParams ip;
    QList<IpParams> extraIps;
};

/// One IPv4 network: the network number and the mask as given.
struct LIBCOMMONCFG_EXPORT NetworkParams {
    QString network;
    QString netmask;

    /// The two networks overlap (each mask applied to both sides).
    bool contains(const NetworkParams& other) const;
    /// The address (numeric form) lies in this network.
    bool contains(unsigned int address) const;
};

/// Dotted text to a number, first part in the most significant byte. Parts
/// that are empty or not decimal count as 0; nothing is range-checked.
LIBCOMMONCFG_EXPORT unsigned int gatewayToBin(const QString& address);
/// The gateway (numeric form) lies in the network of the interface's main
/// address or of its first extra address.
LIBCOMMONCFG_EXPORT bool checkGatewayIfNet(const NetIf& netIf, unsigned int gateway);
/// Empty when no two networks of the interfaces overlap, else the network
/// text of the narrower network of the first overlapping pair.
LIBCOMMONCFG_EXPORT QString checkNetIfList(const QList<NetIf>& list);

} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_NETCHECK_H
