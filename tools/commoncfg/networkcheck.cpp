// check-network: the interface list of a setup file, the overlap check over
// all of its networks and the gateway check of each interface.
#include "commands.h"
#include "textchecks.h"

#include <LibCommonCfg/libcommoncfg.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace commoncfg {

namespace {

constexpr int kMaxInterfaces = 64;

// Interface positions 0, 1, 2... stand under "IPADDR", "IPADDR2",
// "IPADDR3"...: the count reaches the last position with an address key,
// across gaps in the numbering (a gap is an interface without address).
int countInterfaces(const LibCommonCfg::SetupFile& setup)
{
    int count = 0;
    for (int i = 0; i < kMaxInterfaces; ++i) {
        if (setup.hasKey(i == 0 ? QStringLiteral("IPADDR") : QStringLiteral("IPADDR%1").arg(i + 1)))
            count = i + 1;
    }
    return count;
}

quint32 bitsOf(const QString& dottedQuad)
{
    quint32 bits = 0;
    for (const QString& part : dottedQuad.split(QLatin1Char('.')))
        bits = (bits << 8) | part.toUInt();
    return bits;
}

QString dottedQuad(quint32 bits)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(bits >> 24)
        .arg((bits >> 16) & 255)
        .arg((bits >> 8) & 255)
        .arg(bits & 255);
}

// A mask is ones, then zeros.
bool isContiguous(quint32 mask)
{
    return (~mask & (~mask + 1)) == 0;
}

QString shown(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("-") : text;
}

// An interface whose address and mask are sound, as bits; the others take
// no part in the overlap check.
struct Network {
    int number = 0;
    quint32 address = 0;
    quint32 mask = 0;
};

} // namespace

QStringList networkFindings(const DeviceFile& file, int interfaceCount, QJsonArray* listed)
{
    LibCommonCfg::SetupFile setup;
    setup.load(file.bytes);
    const int count = interfaceCount >= 0 ? interfaceCount : countInterfaces(setup);
    QList<LibCommonCfg::NetIf> interfaces;
    setup.getIfList(count, interfaces);

    QStringList findings;
    QList<Network> networks;
    if (interfaces.isEmpty())
        findings << QStringLiteral("no interfaces found");
    for (int i = 0; i < interfaces.size(); ++i) {
        const LibCommonCfg::IpParams& ip = interfaces.at(i).ip;
        const QString name = QStringLiteral("interface %1").arg(i + 1);
        listed->append(QJsonObject{{QStringLiteral("interface"), i + 1},
                                   {QStringLiteral("address"), ip.address},
                                   {QStringLiteral("netmask"), ip.netmask},
                                   {QStringLiteral("gateway"), ip.gateway}});
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
        else if (wellFormed && !isContiguous(bitsOf(ip.netmask)))
            findings
                << QStringLiteral("%1: mask %2 is not contiguous (ones, then zeros)").arg(name, ip.netmask);
        if (wellFormed && !ip.gateway.isEmpty() &&
            !LibCommonCfg::checkGatewayIfNet(interfaces.at(i), LibCommonCfg::gatewayToBin(ip.gateway)))
            findings
                << QStringLiteral("%1: gateway %2 is not on the interface's network").arg(name, ip.gateway);
        if (wellFormed)
            networks.append({i + 1, bitsOf(ip.address), ip.netmask.isEmpty() ? 0 : bitsOf(ip.netmask)});
    }
    // Two networks overlap when the wider one holds the other: they agree
    // in the bits of the shorter mask.
    bool named = false;
    for (int i = 0; i < networks.size(); ++i) {
        for (int j = i + 1; j < networks.size(); ++j) {
            const Network& a = networks.at(i);
            const Network& b = networks.at(j);
            const quint32 common = a.mask & b.mask;
            if ((a.address & common) != (b.address & common))
                continue;
            findings << QStringLiteral("networks of interfaces %1 and %2 overlap: %3/%4 and %5/%6")
                            .arg(a.number)
                            .arg(b.number)
                            .arg(dottedQuad(a.address & a.mask), dottedQuad(a.mask),
                                 dottedQuad(b.address & b.mask), dottedQuad(b.mask));
            named = true;
        }
    }
    // The library's own check also counts the extra addresses of an
    // interface; what it finds beyond the pairs above is reported as it
    // says it.
    const QString overlap = LibCommonCfg::checkNetIfList(interfaces);
    if (!overlap.isEmpty() && !named)
        findings << QStringLiteral("networks of two interfaces overlap in %1").arg(overlap);
    return findings;
}

int checkNetwork(const DeviceFile& file, const CommonOptions& options)
{
    if (file.kind != FileKind::Setup)
        return fail(ExitError, file.path, QStringLiteral("not a network setup file (no IPADDR keys)"));
    QJsonArray listed;
    const QStringList findings = networkFindings(file, options.interfaces, &listed);
    if (options.json) {
        out() << QString::fromUtf8(
            QJsonDocument(QJsonObject{{QStringLiteral("file"), file.path},
                                      {QStringLiteral("interfaces"), listed},
                                      {QStringLiteral("findings"), QJsonArray::fromStringList(findings)}})
                .toJson(QJsonDocument::Indented));
        return findings.isEmpty() ? ExitOk : ExitFinding;
    }
    for (const QJsonValue each : listed) {
        const QJsonObject ip = each.toObject();
        out() << "interface " << ip.value(QStringLiteral("interface")).toInt() << ": address "
              << shown(ip.value(QStringLiteral("address")).toString()) << ", mask "
              << shown(ip.value(QStringLiteral("netmask")).toString()) << ", gateway "
              << shown(ip.value(QStringLiteral("gateway")).toString()) << '\n';
    }
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
