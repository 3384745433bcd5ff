#include <LibCommonCfg/inifile.h>

#include "inidoc/convmatch.h"

namespace LibCommonCfg {

void IniFile::pushConvMap(const QList<MappingEntry>& convList)
{
    convStack.append(convMap);
    convMap = convList;
}

void IniFile::popConvMap()
{
    if (convStack.isEmpty()) {
        convMap = defaultConvMap;
        return;
    }
    convMap = convStack.takeLast();
}

IniFile::MappingEntry& IniFile::getConv(const QString& group, const QString& key)
{
    if (convMap.isEmpty()) {
        // A list without records has no fallback of its own; hand out a
        // fresh no-conversion record so that a caller's changes to it never
        // outlive the call.
        thread_local MappingEntry none;
        none = MappingEntry{nullptr, nullptr, {}, {}};
        return none;
    }
    for (MappingEntry& entry : convMap) {
        if (entry.group == nullptr)
            continue;
        if (internal::convKeyMatches(key.constData(), key.size(), entry.key) &&
            internal::convGroupMatches(group.constData(), group.size(), entry.group))
            return entry;
    }
    return convMap.first();
}

QVariant IniFile::parse(const QString& group, const QString& key, const QString& text)
{
    const MappingEntry& entry = getConv(group, key);
    if (entry.group == nullptr)
        return QVariant(text);
    return entry.fromText(text);
}

QString IniFile::store(const QString& group, const QString& key, const QVariant& value)
{
    const MappingEntry& entry = getConv(group, key);
    if (entry.group == nullptr)
        return value.toString();
    return entry.toText(value);
}

} // namespace LibCommonCfg
