#ifndef LIBCOMMONCFG_NETCHECK_H
#define LIBCOMMONCFG_NETCHECK_H

#include <LibCommonCfg/libcommoncfg_export.h>

#include <QList>
#include <QString>

namespace LibCommonCfg {

/// One address of an interface, as dotted-quad texts.
struct LIBCOMMONCFG_EXPORT IpParams {
    QString address; ///< The interface's address, e.g. "192.168.1.10".
    QString netmask; ///< Its network mask, e.g. "255.255.255.0".
    QString gateway; ///< The gateway reached through it; may be empty.

    /// All three texts equal.
    bool operator==(const IpParams& other) const;
    /// Any of the three texts differs.
    bool operator!=(const IpParams& other) const;
};

/// One network interface of the device. `aux1` and `aux2` belong to the
/// caller and are only copied along.
struct LIBCOMMONCFG_EXPORT NetIf {
    QString aux1;             ///< Caller's data, copied along.
    QString aux2;             ///< Caller's data, copied along.
    IpParams ip;              ///< The main address of the interface.
    QList<IpParams> extraIps; ///< Further addresses on the same interface.
};

/// One IPv4 network: the network number and the mask as given.
struct LIBCOMMONCFG_EXPORT NetworkParams {
    QString network; ///< The network number, e.g. "10.20.0.0".
    QString netmask; ///< The mask, e.g. "255.255.0.0".

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
