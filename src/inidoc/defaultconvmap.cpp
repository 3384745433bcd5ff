#include <LibCommonCfg/inifile.h>

#include "inidoc/converters.h"
#include "inidoc/defaultconvkinds.h"

namespace LibCommonCfg {

namespace {

using internal::DefaultConv;
using internal::ValueKind;

IniFile::MappingEntry recordOf(const DefaultConv& conv)
{
    switch (conv.kind) {
    case ValueKind::Hex:
        return {conv.group, conv.key, internal::parseHex, internal::storeHex};
    case ValueKind::Flag01:
        return {conv.group, conv.key, internal::parse01, internal::store01};
    case ValueKind::OnOff:
        return {conv.group, conv.key, internal::parseOnOff, internal::storeOnOff};
    case ValueKind::Text:
        break;
    }
    return {conv.group, conv.key, {}, {}}; // no conversion: the fallback
}

QList<IniFile::MappingEntry> builtInList()
{
    QList<IniFile::MappingEntry> list;
    list.reserve(internal::defaultConvCount);
    for (int i = 0; i < internal::defaultConvCount; ++i)
        list.append(recordOf(internal::defaultConvs[i]));
    return list;
}

} // namespace

const QList<IniFile::MappingEntry> IniFile::defaultConvMap = builtInList();

} // namespace LibCommonCfg
