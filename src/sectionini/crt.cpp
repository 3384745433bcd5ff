#include "sectionini/crt.h"

#include "common/asciicase.h"

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
    return compareFolded(a, b);
}

CrtTextFile::~CrtTextFile()
{
    close();
}

bool CrtTextFile::open(const char* fileName)
{
    close();
    if (!fileName)
        return false;
#ifdef _WIN32
    m_file = std::fopen(fileName, "rt");
#else
    m_file = std::fopen(fileName, "rb");
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

} // namespace internal
} // namespace LibCommonCfg
