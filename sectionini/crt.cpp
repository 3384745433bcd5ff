#include "sectionini/crt.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace LibCommonCfg {
namespace internal {

char* crtStrdup(const char* text)
{
    if (!text)
        return nullptr;
#ifdef _WIN32
    return _strdup(text);
#else
    const std::size_t size = std::strlen(text) + 1;
    char* copy = static_cast<char*>(std::malloc(size));
    if (copy)
        std::memcpy(copy, text, size);
    return copy;
#endif
}

// Not the runtime's own: that one folds by the locale, and the device's
// names are compared in ASCII only.
int crtStricmp(const char* a, const char* b)
{
    const auto fold = [](unsigned char c) -> int { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; };
    const auto* pa = reinterpret_cast<const unsigned char*>(a);
    const auto* pb = reinterpret_cast<const unsigned char*>(b);
    for (;; ++pa, ++pb) {
        const int ca = fold(*pa);
        const int cb = fold(*pb);
        if (ca != cb || ca == 0)
            return ca - cb;
    }
}

CrtTextFile::~CrtTextFile()
{
    close();
}

bool CrtTextFile::open(const char* fileName, const char* mode)
{
    close();
    if (!fileName || !mode)
        return false;
    const bool reading = mode[0] == 'r';
#ifdef _WIN32
    // The runtime's own text mode does the line-end translation.
    m_file = std::fopen(fileName, reading ? "rt" : "wt");
#else
    // Bytes pass unchanged; `put` stores the line ends as the device does.
    m_file = std::fopen(fileName, reading ? "rb" : "wb");
    if (m_file) {
        struct stat info;
        if (fstat(fileno(m_file), &info) != 0 || S_ISDIR(info.st_mode))
            close();
    }
#endif
    return m_file != nullptr;
}

void CrtTextFile::close()
{
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
}

char* CrtTextFile::getLine(char* buffer, int size)
{
    if (!m_file || !buffer || size <= 0)
        return nullptr;
    return std::fgets(buffer, size, m_file);
}

void CrtTextFile::put(const char* bytes, std::size_t length)
{
#ifdef _WIN32
    std::fwrite(bytes, 1, length, m_file);
#else
    const char* run = bytes;
    const char* end = bytes + length;
    for (const char* p = bytes; p < end; ++p) {
        if (*p == '\n') {
            std::fwrite(run, 1, static_cast<std::size_t>(p - run), m_file);
            std::fwrite("\r\n", 1, 2, m_file);
            run = p + 1;
        }
    }
    std::fwrite(run, 1, static_cast<std::size_t>(end - run), m_file);
#endif
}

void CrtTextFile::print(const char* format, ...)
{
    if (!m_file || !format)
        return;
    va_list args;
    va_start(args, format);
    const char* run = format; // start of the literal text not yet written
    for (const char* p = format; *p; ++p) {
        if (*p != '%' || (p[1] != 's' && p[1] != '%'))
            continue;
        put(run, static_cast<std::size_t>(p - run));
        if (p[1] == 's') {
            // va_start stands above; the analyser loses track of it across put().
            // NOLINTNEXTLINE(clang-analyzer-valist.Uninitialized)
            const char* text = va_arg(args, const char*);
            if (!text)
                text = "(null)";
            put(text, std::strlen(text));
        } else {
            put("%", 1);
        }
        ++p;
        run = p + 1;
    }
    put(run, std::strlen(run));
    va_end(args);
}

} // namespace internal
} // namespace LibCommonCfg
