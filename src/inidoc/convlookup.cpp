#include "inidoc/convlookup.h"

#include <cstring>

namespace LibCommonCfg {
namespace internal {

void GroupConvs::reset(QList<IniFile::MappingEntry>& list, const QChar* group, int length)
{
    matching.resize(0);
    first = nullptr;
    if (list.isEmpty())
        return;
    for (IniFile::MappingEntry& entry : list) {
        if (entry.group != nullptr && entry.key != nullptr && groupMatches(group, length, entry.group))
            matching.append({&entry, int(std::strlen(entry.key))});
    }
    first = &list.first();
}

} // namespace internal
} // namespace LibCommonCfg
