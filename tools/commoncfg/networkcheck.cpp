// check-network: the interface list of a setup file, the overlap check over
// all of its networks and the gateway check of each interface.
#include "commands.h"
#include "textchecks.h"

#include <LibCommonCfg/libcommoncfg.h>

#include <QStringList>

namespace commoncfg {

namespace {

// Interface positions 0, 1, 2... stand under "IPADDR", "IPADDR2",
// "IPADDR3"...; count the consecutive positions that have an address key.
int countInterfaces(const LibCommonCfg::SetupFile& setup)
{
    constexpr int kMaxInterfaces = 64;
    int count = 0;
    while (count < kMaxInterfaces) {
        const QString key = count == 0 ? QStringLiteral("IPADDR") : QStringLiteral("IPADDR%1").arg(count + 1);
        if (!setup.hasKey(key))
            break;
        ++count;
    }
    return count;
}

QString shown(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("-") : text;
}

} // namespace

int checkNetwork(const DeviceFile& file, const CommonOptions& options)
{
    if (file.kind != FileKind::Setup)
        return fail(ExitError, file.path, QStringLiteral("not a network setup file (no IPADDR keys)"));
    LibCommonCfg::SetupFile setup;
    setup.load(file.bytes);
    const int count = options.interfaces >= 0 ? options.interfaces : countInterfaces(setup);
    QList<LibCommonCfg::NetIf> interfaces;
    setup.getIfList(count, interfaces);

    QStringList findings;
    if (interfaces.isEmpty())
        findings << QStringLiteral("no interfaces found");
    for (int i = 0; i < interfaces.size(); ++i) {
        const LibCommonCfg::IpParams& ip = interfaces.at(i).ip;
        const QString name = QStringLiteral("interface %1").arg(i + 1);
        out() << name << ": address " << shown(ip.address) << ", mask " << shown(ip.netmask) << ", gateway "
              << shown(ip.gateway) << '\n';
        const QList<QPair<QString, QString>> fields{{QStringLiteral("address"), ip.address},
                                                    {QStringLiteral("mask"), ip.netmask},
                                                    {QStringLiteral("gateway"), ip.gateway}};
        bool wellFormed = true;
        for (const auto& field : fields) {
            if (!field.second.isEmpty() && !isDottedQuad(field.second)) {
                findings << QStringLiteral("%1: %2 \"%3\" is not a dotted-quad IPv4 address")
                                .arg(name, field.first, field.second);
                wellFormed = false;
            }
        }
        if (ip.address.isEmpty()) {
            findings << QStringLiteral("%1: no address").arg(name);
            continue;
        }
        if (ip.netmask.isEmpty())
            findings << QStringLiteral("%1: no mask, its network covers every address").arg(name);
        if (wellFormed && !ip.gateway.isEmpty() &&
            !LibCommonCfg::checkGatewayIfNet(interfaces.at(i), LibCommonCfg::gatewayToBin(ip.gateway)))
            findings
                << QStringLiteral("%1: gateway %2 is not on the interface's network").arg(name, ip.gateway);
    }
    const QString overlap = LibCommonCfg::checkNetIfList(interfaces);
    if (!overlap.isEmpty())
        findings << QStringLiteral("networks of two interfaces overlap in %1").arg(overlap);

    if (findings.isEmpty()) {
        out() << "network settings are sound\n";
        return ExitOk;
    }
    out() << "findings:\n";
    for (const QString& finding : findings)
        out() << "  " << finding << '\n';
    return ExitFinding;
}

} // namespace commoncfg
