#ifndef LIBCOMMONCFG_COMMON_ASCIICASE_H
#define LIBCOMMONCFG_COMMON_ASCIICASE_H

namespace LibCommonCfg {
namespace internal {

// The device's section and key names compare without regard to case in the
// ASCII letters only; every other byte (Cyrillic letters included) compares
// as itself, whatever the process locale says.
inline char foldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Orders two zero-terminated names as the device's runtime does: byte by
// byte after folding, each byte taken as unsigned, so the result is
// negative, zero or positive as with strcmp. Upper-case letters therefore
// sort as their lower-case forms, after "[", "_" and the other bytes
// between the two cases.
inline int compareFolded(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        const int ca = static_cast<unsigned char>(foldAscii(*a));
        const int cb = static_cast<unsigned char>(foldAscii(*b));
        if (ca != cb || ca == 0)
            return ca - cb;
    }
}

// True when two zero-terminated names are the same name to the device.
inline bool sameFolded(const char* a, const char* b)
{
    return compareFolded(a, b) == 0;
}

} // namespace internal
} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_COMMON_ASCIICASE_H
