#include "inidoc/convlookup.h"

#include "inidoc/converters.h"

#include <cstring>

namespace LibCommonCfg {
namespace internal {

namespace {

// The built-in converters are known by the function a record holds.
BuiltIn parsedBy(const IniFile::MappingEntry& record)
{
    using Function = QVariant (*)(const QString&);
    const Function* function = record.fromText.target<Function>();
    if (function == nullptr)
        return BuiltIn::None;
    if (*function == parseHex)
        return BuiltIn::Hex;
    if (*function == parse01)
        return BuiltIn::Flag01;
    if (*function == parseOnOff)
        return BuiltIn::OnOff;
    return BuiltIn::None;
}

BuiltIn storedBy(const IniFile::MappingEntry& record)
{
    using Function = QString (*)(const QVariant&);
    const Function* function = record.toText.target<Function>();
    if (function == nullptr)
        return BuiltIn::None;
    if (*function == storeHex)
        return BuiltIn::Hex;
    if (*function == store01)
        return BuiltIn::Flag01;
    if (*function == storeOnOff)
        return BuiltIn::OnOff;
    return BuiltIn::None;
}

ConvSlot slotOf(IniFile::MappingEntry& record)
{
    return {&record, record.key != nullptr ? int(std::strlen(record.key)) : -1, parsedBy(record),
            storedBy(record)};
}

} // namespace

void GroupConvs::reset(QList<IniFile::MappingEntry>& list, const QChar* group, int length)
{
    matching.resize(0);
    first = ConvSlot{};
    if (list.isEmpty())
        return;
    for (IniFile::MappingEntry& entry : list) {
        if (entry.group != nullptr && entry.key != nullptr && groupMatches(group, length, entry.group))
            matching.append(slotOf(entry));
    }
    first = slotOf(list.first());
}

} // namespace internal
} // namespace LibCommonCfg
