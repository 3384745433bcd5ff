// show and get on the flat KEY=VALUE files, the network setup file and the
// time-zone file, as the device reads them.
#include "commands.h"
#include "flatlayout.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace commoncfg {

int showFlat(const DeviceFile& file, const CommonOptions& options)
{
    const FlatLayout layout(file.bytes, file.kind);
    if (!layout.mismatch().isEmpty())
        return fail(ExitError, file.path,
                    QStringLiteral("cannot tell which line holds which key (%1)").arg(layout.mismatch()));
    QJsonObject keys;
    QStringList problems;
    for (const QString& key : layout.keys()) {
        const KeyReading reading = layout.read(key);
        if (reading.state != KeyReading::Agreed) {
            problems << QStringLiteral("%1: %2").arg(key, reading.problem);
            continue;
        }
        if (options.json)
            keys.insert(key, reading.place.value);
        else
            out() << key << '=' << reading.place.value << '\n';
    }
    if (options.json) {
        const QJsonObject root{{QStringLiteral("file"), file.path},
                               {QStringLiteral("format"), kindName(file.kind)},
                               {QStringLiteral("keys"), keys}};
        out() << QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
    }
    for (const QString& problem : problems)
        fail(ExitFinding, file.path, problem);
    return problems.isEmpty() ? ExitOk : ExitFinding;
}

int getFlat(const DeviceFile& file, const QString& key)
{
    const FlatLayout layout(file.bytes, file.kind);
    if (!layout.mismatch().isEmpty())
        return fail(ExitError, file.path,
                    QStringLiteral("cannot tell which line holds which key (%1)").arg(layout.mismatch()));
    const KeyReading reading = layout.read(key);
    if (reading.state == KeyReading::Absent)
        return fail(ExitFinding, file.path, QStringLiteral("%1: no such key").arg(key));
    if (reading.state == KeyReading::Disputed)
        return fail(ExitFinding, file.path, QStringLiteral("%1: %2").arg(key, reading.problem));
    out() << reading.place.value << '\n';
    return ExitOk;
}

} // namespace commoncfg
