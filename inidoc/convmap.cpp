#include <LibCommonCfg/inifile.h>

#include <cstring>

namespace LibCommonCfg {

namespace {

bool groupMatches(const QString& group, const char* prefix)
{
    // Prefixes are ASCII; an empty prefix applies to every group, the empty
    // (or null) group of keys outside any section included.
    // (A null QString does not start with ""; test the empty prefix apart.)
    const int length = int(std::strlen(prefix));
    return length == 0 || group.startsWith(QLatin1String(prefix, length), Qt::CaseSensitive);
}

bool keyMatches(const QString& key, const char* name)
{
    return name != nullptr && key == QLatin1String(name, int(std::strlen(name)));
}

} // namespace

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
        // The key tells most records apart at once; test it before the prefix.
        if (keyMatches(key, entry.key) && groupMatches(group, entry.group))
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
