// diff: two device files of one kind compared by what the device reads from
// them: typed values for an INI file (a mask written "0x3F" in one and
// "0x3f" in the other is the same), texts for a flat file; groups and keys
// added, removed and changed, in the order of the files.
#include "commands.h"
#include "flatlayout.h"
#include "valueforms.h"

#include "inidoc/compositekey.h"

#include <LibCommonCfg/inifile.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>

namespace commoncfg {

namespace {

// What the device reads from a file: "group/key" (or KEY) to the value as the
// tool prints it and as JSON, in file order.
struct Reading {
    QStringList groups;
    QStringList keys;
    QHash<QString, QString> text;
    QHash<QString, QJsonValue> json;
};

Reading readingOf(const DeviceFile& file)
{
    Reading reading;
    if (file.kind == FileKind::Ini) {
        const LibCommonCfg::IniFile document(file.bytes);
        for (const QString& key : document.allKeys()) {
            const LibCommonCfg::internal::KeyParts parts = LibCommonCfg::internal::splitKey(key);
            if (!reading.groups.contains(parts.group))
                reading.groups << parts.group;
            const QVariant value = document.valueFromGroup(parts.group, parts.name);
            reading.keys << key;
            reading.text.insert(key, renderValue(value));
            reading.json.insert(key, jsonValue(value));
        }
        return reading;
    }
    const FlatLayout layout(file.bytes, file.kind);
    for (const QString& key : layout.keys()) {
        const QString value = layout.read(key).place.value;
        reading.keys << key;
        reading.text.insert(key, value);
        reading.json.insert(key, value);
    }
    return reading;
}

bool inGroupOf(const QString& key, const QStringList& groups)
{
    return groups.contains(LibCommonCfg::internal::groupOf(key));
}

} // namespace

int diffFiles(const DeviceFile& a, const DeviceFile& b, const CommonOptions& options)
{
    if (a.kind != b.kind)
        return fail(ExitError, QString(),
                    QStringLiteral("%1 (%2) and %3 (%4) are files of two kinds, which do not compare")
                        .arg(a.path, kindName(a.kind), b.path, kindName(b.kind)));
    const Reading old = readingOf(a);
    const Reading now = readingOf(b);

    QStringList removedGroups, addedGroups;
    for (const QString& group : old.groups) {
        if (!now.groups.contains(group))
            removedGroups << group;
    }
    for (const QString& group : now.groups) {
        if (!old.groups.contains(group))
            addedGroups << group;
    }
    // Keys of a group that came or went are told with their group.
    QJsonArray removed, added, changed;
    QStringList lines;
    for (const QString& group : removedGroups)
        lines << QStringLiteral("removed group [%1]").arg(group);
    for (const QString& group : addedGroups)
        lines << QStringLiteral("added group [%1]").arg(group);
    for (const QString& key : old.keys) {
        if (now.text.contains(key) || inGroupOf(key, removedGroups))
            continue;
        lines << QStringLiteral("removed %1 = %2").arg(key, old.text.value(key));
        removed.append(
            QJsonObject{{QStringLiteral("key"), key}, {QStringLiteral("value"), old.json.value(key)}});
    }
    for (const QString& key : now.keys) {
        if (old.text.contains(key) || inGroupOf(key, addedGroups))
            continue;
        lines << QStringLiteral("added %1 = %2").arg(key, now.text.value(key));
        added.append(
            QJsonObject{{QStringLiteral("key"), key}, {QStringLiteral("value"), now.json.value(key)}});
    }
    for (const QString& key : old.keys) {
        if (!now.text.contains(key) || old.json.value(key) == now.json.value(key))
            continue;
        lines << QStringLiteral("changed %1: %2 -> %3").arg(key, old.text.value(key), now.text.value(key));
        changed.append(QJsonObject{{QStringLiteral("key"), key},
                                   {QStringLiteral("a"), old.json.value(key)},
                                   {QStringLiteral("b"), now.json.value(key)}});
    }

    if (options.json) {
        QJsonObject root{{QStringLiteral("a"), a.path},
                         {QStringLiteral("b"), b.path},
                         {QStringLiteral("format"), kindName(a.kind)},
                         {QStringLiteral("keys"), QJsonObject{{QStringLiteral("removed"), removed},
                                                              {QStringLiteral("added"), added},
                                                              {QStringLiteral("changed"), changed}}}};
        if (a.kind == FileKind::Ini)
            root.insert(QStringLiteral("groups"),
                        QJsonObject{{QStringLiteral("removed"), QJsonArray::fromStringList(removedGroups)},
                                    {QStringLiteral("added"), QJsonArray::fromStringList(addedGroups)}});
        out() << QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
    } else {
        for (const QString& line : lines)
            out() << line << '\n';
    }
    return lines.isEmpty() ? ExitOk : ExitFinding;
}

} // namespace commoncfg
