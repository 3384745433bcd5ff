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

} // namespace internal
} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_COMMON_ASCIICASE_H
