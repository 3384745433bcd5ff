#include <LibCommonCfg/setupfile.h>

namespace LibCommonCfg {

namespace {

// The first interface has unnumbered keys, the second the number 2.
QString keyAt(const char* base, int position)
{
    QString key = QLatin1String(base);
    if (position > 0)
        key += QString::number(position + 1, 10);
    return key;
}

} // namespace

bool SetupFile::getIfList(int count, QList<NetIf>& list)
{
    for (int i = 0; i < count; ++i) {
        NetIf netIf;
        netIf.ip.address = getString(keyAt("IPADDR", i));
        netIf.ip.netmask = getString(keyAt("NETMASK", i));
        netIf.ip.gateway = getString(keyAt("GATEWAY", i));
        list.append(netIf);
    }
    return true;
}

bool SetupFile::setIfList(QList<NetIf>& list)
{
    for (int i = 0; i < list.size(); ++i) {
        const IpParams& ip = list.at(i).ip;
        setString(keyAt("IPADDR", i), ip.address);
        setString(keyAt("NETMASK", i), ip.netmask);
        setString(keyAt("GATEWAY", i), ip.gateway);
    }
    return true;
}

} // namespace LibCommonCfg
