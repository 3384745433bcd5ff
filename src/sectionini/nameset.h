#ifndef LIBCOMMONCFG_SECTIONINI_NAMESET_H
#define LIBCOMMONCFG_SECTIONINI_NAMESET_H

#include <cstddef>
#include <cstdint>
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
    bool seen(const char* name, std::size_t length);

    /// Adds the name that the last seen() did not find, as the copy that
    /// its node owns (it outlives the set).
    void remember(const char* owned);

    void clear();

private:
    struct Slot {
        std::uint64_t hash;
        const char* name;
        std::uint32_t length;
        std::uint32_t generation; // the slot is taken only in the current one
    };

    void grow();

    std::vector<Slot> table;
    std::size_t used = 0;
    std::size_t pending = 0;
    std::uint64_t pendingHash = 0;
    std::uint32_t pendingLength = 0;
    std::uint32_t generation = 1;
};

} // namespace internal
} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_SECTIONINI_NAMESET_H
