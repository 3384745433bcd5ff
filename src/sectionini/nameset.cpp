#include "sectionini/nameset.h"

#include "common/asciicase.h"

namespace LibCommonCfg {
namespace internal {

namespace {

std::uint64_t foldedHash(const char* name, std::size_t length)
{
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a
    for (const char* end = name + length; name != end; ++name) {
        hash ^= static_cast<unsigned char>(foldAscii(*name));
        hash *= 1099511628211ull;
    }
    return hash;
}

// Both names are `length` bytes long.
bool sameName(const char* owned, const char* name, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i) {
        if (foldAscii(owned[i]) != foldAscii(name[i]))
            return false;
    }
    return true;
}

} // namespace

bool NameSet::seen(const char* name, std::size_t length)
{
    if (2 * (used + 1) > table.size())
        grow();
    pendingHash = foldedHash(name, length);
    pendingLength = static_cast<std::uint32_t>(length);
    const std::size_t mask = table.size() - 1;
    for (std::size_t i = static_cast<std::size_t>(pendingHash) & mask;; i = (i + 1) & mask) {
        const Slot& slot = table[i];
        if (slot.generation != generation) {
            pending = i;
            return false;
        }
        if (slot.hash == pendingHash && slot.length == pendingLength && sameName(slot.name, name, length))
            return true;
    }
}

void NameSet::remember(const char* owned)
{
    if (owned == nullptr) // the node could not copy it
        return;
    table[pending] = {pendingHash, owned, pendingLength, generation};
    ++used;
}

void NameSet::clear()
{
    ++generation;
    used = 0;
}

void NameSet::grow()
{
    std::vector<Slot> old(table.size() < 16 ? 16 : 2 * table.size(), Slot{0, nullptr, 0, 0});
    old.swap(table);
    const std::uint32_t live = generation;
    generation = 1;
    used = 0;
    const std::size_t mask = table.size() - 1;
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
