#ifndef LIBCOMMONCFG_SECTIONINI_NAMESET_H
#define LIBCOMMONCFG_SECTIONINI_NAMESET_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace LibCommonCfg {
namespace internal {

// The names of sections or keys already read, for the reader to tell a
// repeat in constant time. Names compare as the document compares them:
// case-insensitively in the ASCII letters only. An open-addressing table of
// (hash, length, name) where the names are the copies the nodes already own
// (never longer than a line, so their lengths fit 32 bits), so no name is
// copied again and no entry is allocated on its own. Emptying it (at every
// section header, for the key names) only starts a new generation, so a
// large section followed by many small ones costs no more than their lines.
class NameSet {
public:
    /// True when a name equal to the `length` bytes at `name` (ASCII case
    /// folded) is in the set. Otherwise the place where it belongs is kept
    /// for remember().
    bool seen(const char* name, std::size_t length)
    {
        if (used >= limit)
            grow();
        pendingHash = foldedHash(name, length);
        pendingLength = static_cast<std::uint32_t>(length);
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

    /// Adds the name that the last seen() did not find, as the copy that
    /// its node owns (it outlives the set).
    void remember(const char* owned)
    {
        if (owned == nullptr) // the node could not copy it
            return;
        table[pending] = {pendingHash, owned, pendingLength, generation};
        ++used;
    }

    void clear()
    {
        ++generation;
        used = 0;
    }

    /// A hash of the name's bytes with the ASCII letters folded, taken eight
    /// bytes at a time; it never reads outside the name.
    static std::uint64_t foldedHash(const char* name, std::size_t length)
    {
        constexpr std::uint64_t k = 0x9E3779B97F4A7C15ull;
        std::uint64_t hash = length;
        if (length >= 8) {
            const char* last = name + length - 8;
            for (; name < last; name += 8)
                hash = (hash ^ foldWord(load64(name))) * k;
            hash = (hash ^ foldWord(load64(last))) * k;
        } else if (length >= 4) {
            hash = (hash ^ foldWord(std::uint64_t(load32(name)) << 32 | load32(name + length - 4))) * k;
        } else if (length > 0) {
            const auto byte = [name](std::size_t i) { return std::uint64_t(static_cast<unsigned char>(name[i])); };
            hash = (hash ^ foldWord(byte(0) << 16 | byte(length / 2) << 8 | byte(length - 1))) * k;
        }
        // Names that differ in a few digits only, as "sect1" to "sect9999",
        // must still spread over the low bits that pick the slot.
        hash ^= hash >> 32;
        hash *= 0xFF51AFD7ED558CCDull;
        return hash ^ hash >> 32;
    }

private:
    struct Slot {
        std::uint64_t hash;
        const char* name;
        std::uint32_t length;
        std::uint32_t generation; // the slot is taken only in the current one
    };

    static std::uint64_t load64(const char* p)
    {
        std::uint64_t word;
        std::memcpy(&word, p, sizeof word);
        return word;
    }
    static std::uint32_t load32(const char* p)
    {
        std::uint32_t word;
        std::memcpy(&word, p, sizeof word);
        return word;
    }
    // Each byte of `word` with A-Z turned into a-z; the other bytes, those
    // above 127 too, stay as they are.
    static std::uint64_t foldWord(std::uint64_t word)
    {
        constexpr std::uint64_t ones = 0x0101010101010101ull;
        constexpr std::uint64_t high = 0x8080808080808080ull;
        const std::uint64_t low = word & ~high; // no byte carries into the next below
        const std::uint64_t atLeastA = low + ones * (0x80 - 'A');
        const std::uint64_t aboveZ = low + ones * (0x7F - 'Z');
        const std::uint64_t capital = atLeastA & ~aboveZ & ~word & high;
        return word | capital >> 2;
    }
    // Both names are `length` bytes long.
    static bool sameName(const char* owned, const char* name, std::size_t length);

    void grow();

    std::vector<Slot> table;
    std::size_t mask = 0;  // table.size() - 1, a power of two less one
    std::size_t limit = 0; // the table grows before it is half full
    std::size_t used = 0;
    std::size_t pending = 0;
    std::uint64_t pendingHash = 0;
    std::uint32_t pendingLength = 0;
    std::uint32_t generation = 1;
};

} // namespace internal
} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_SECTIONINI_NAMESET_H
