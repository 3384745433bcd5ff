#include <LibCommonCfg/inifile.h>

namespace LibCommonCfg {

namespace {

// Record texts are Latin-1 (the built-in ones ASCII), compared char by char
// without measuring them first: every key read or written is looked up in
// the whole list, so this is on the hot path of loading and saving.
bool groupMatches(const QString& group, const char* prefix)
{
    // An empty prefix applies to every group, the empty (or null) group of
    // keys outside any section included.
    const QChar* text = group.constData();
    const int length = group.size();
    int i = 0;
    for (; prefix[i] != '\0'; ++i) {
        if (i == length || text[i].unicode() != static_cast<unsigned char>(prefix[i]))
            return false;
    }
    return true;
}

bool keyMatches(const QString& key, const char* name)
{
    if (name == nullptr)
        return false;
    const QChar* text = key.constData();
    const int length = key.size();
    int i = 0;
    for (; name[i] != '\0'; ++i) {
        if (i == length || text[i].unicode() != static_cast<unsigned char>(name[i]))
            return false;
    }
    return i == length;
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
