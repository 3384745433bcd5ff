#include <LibCommonCfg/inifile.h>

#include "inidoc/converters.h"

namespace LibCommonCfg {

namespace {

using internal::parse01;
using internal::parseHex;
using internal::parseOnOff;
using internal::store01;
using internal::storeHex;
using internal::storeOnOff;

QList<IniFile::MappingEntry> builtInList()
{
    const IniFile::MappingEntry hex{nullptr, nullptr, parseHex, storeHex};
    const IniFile::MappingEntry flag01{nullptr, nullptr, parse01, store01};
    const IniFile::MappingEntry onOff{nullptr, nullptr, parseOnOff, storeOnOff};
    const auto rec = [](const IniFile::MappingEntry& kind, const char* group, const char* key) {
        IniFile::MappingEntry entry = kind;
        entry.group = group;
        entry.key = key;
        return entry;
    };
    return {
        IniFile::MappingEntry{nullptr, nullptr, {}, {}}, // no conversion: the fallback
        rec(hex, "", "linemask"),
        rec(hex, "line", "flags"),
        rec(hex, "main", "moddate"),
        rec(flag01, "main", "modem"),
        rec(flag01, "achan", "need_arc"),
        rec(flag01, "achan", "invertphase"),
        rec(flag01, "achan", "typeust"),
        rec(onOff, "dchan", "nstate"),
        rec(flag01, "dchan", "event"),
        rec(flag01, "calcchan", "wrt"),
        rec(flag01, "calcchan", "event"),
        rec(flag01, "calcchan", "kzauto"),
        rec(flag01, "calcchan", "transfkz"),
        rec(flag01, "main", "Debug"),
        rec(flag01, "MAIN", "UseTagsWithTime"),
    };
}

} // namespace

const QList<IniFile::MappingEntry> IniFile::defaultConvMap = builtInList();

} // namespace LibCommonCfg
