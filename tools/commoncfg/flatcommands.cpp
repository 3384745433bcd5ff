// show and get on the flat KEY=VALUE files, the network setup file and the
// time-zone file, as the device reads them.
#include "commands.h"
#include "flatlayout.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace commoncfg {

int showFlat(const DeviceFile& file, const CommonOptions& options)
{
    const FlatLayout layout(file.bytes, file.kind);
    if (!layout.mismatch().isEmpty())
        return fail(ExitError, file.path,
                    QStringLiteral("cannot tell which line holds which key (%1)").arg(layout.mismatch()));
    QJsonArray keys;
    QStringList problems;
    for (const QString& key : layout.keys()) {
        const KeyReading reading = layout.read(key);
        if (reading.state != KeyReading::Agreed) {
            problems << QStringLiteral("%1: %2").arg(key, reading.problem);
            continue;
        }
        if (options.json)
            keys.append(QJsonObject{{QStringLiteral("key"), key},
                                    {QStringLiteral("value"), reading.place.value},
                                    {QStringLiteral("line"), reading.place.line + 1}});
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

int getFlat(const DeviceFile& file, const QString& key, const CommonOptions& options)
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
    printValue(file, key, reading.place.value, reading.place.value, options);
    return ExitOk;
}

void printValue(const DeviceFile& file, const QString& key, const QVariant& value, const QString& text,
                const CommonOptions& options)
{
    if (!options.json) {
        out() << text << '\n';
        return;
    }
    const QJsonObject root{{QStringLiteral("file"), file.path},
                           {QStringLiteral("key"), key},
                           {QStringLiteral("value"), QJsonValue::fromVariant(value)}};
    out() << QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
}

} // namespace commoncfg
