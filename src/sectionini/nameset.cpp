#include "sectionini/nameset.h"

#include "common/asciicase.h"

namespace LibCommonCfg {
namespace internal {

bool NameSet::sameName(const char* owned, const char* name, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i) {
        if (foldAscii(owned[i]) != foldAscii(name[i]))
            return false;
    }
    return true;
}

void NameSet::grow()
{
    std::vector<Slot> old(table.size() < 16 ? 16 : 2 * table.size(), Slot{0, nullptr, 0, 0});
    old.swap(table);
    const std::uint32_t live = generation;
    generation = 1;
    used = 0;
    mask = table.size() - 1;
    limit = table.size() / 2;
    for (const Slot& slot : old) {
        if (slot.generation != live)
            continue;
        std::size_t i = static_cast<std::size_t>(slot.hash) & mask;
        while (table[i].generation == generation)
            i = (i + 1) & mask;
        table[i] = {slot.hash, slot.name, slot.length, generation};
        ++used;
    }
}

} // namespace internal
} // namespace LibCommonCfg
