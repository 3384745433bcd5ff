#ifndef LIBCOMMONCFG_INIDOC_CONVMATCH_H
#define LIBCOMMONCFG_INIDOC_CONVMATCH_H

#include <QChar>

namespace LibCommonCfg {
namespace internal {

// How a conversion record names what it applies to. Record texts are
// Latin-1 (the built-in ones ASCII), compared char by char without measuring
// them first: this is on the hot path of loading and saving.

/// Whether the group begins with the record's group prefix. An empty prefix
/// applies to every group, the empty (or null) group of keys outside any
/// section included.
inline bool convGroupMatches(const QChar* group, int length, const char* prefix)
{
    for (int i = 0; prefix[i] != '\0'; ++i) {
        if (i == length || group[i].unicode() != static_cast<unsigned char>(prefix[i]))
            return false;
    }
    return true;
}

/// Whether the key is exactly the record's key name; a record without one
/// names no key.
inline bool convKeyMatches(const QChar* key, int length, const char* name)
{
    if (name == nullptr)
        return false;
    int i = 0;
    for (; name[i] != '\0'; ++i) {
        if (i == length || key[i].unicode() != static_cast<unsigned char>(name[i]))
            return false;
    }
    return i == length;
}

} // namespace internal
} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_INIDOC_CONVMATCH_H
