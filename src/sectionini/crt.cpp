#include "sectionini/crt.h"

#include "common/asciicase.h"

#include <cstring>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace LibCommonCfg {
namespace internal {

namespace {

// The file is read in blocks of 64 KiB; a block always holds a whole line.
constexpr std::size_t blockSize = 65536;

} // namespace

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
    m_next = m_end = m_nul = m_buffer.get();
    m_atEnd = false;
    m_failed = false;
}

bool CrtTextFile::getAnyLine(CrtLine& line, std::size_t size)
{
    if (!m_file || size < 2)
        return false;
    const std::size_t most = size - 1;
    for (;;) {
        const std::size_t have = static_cast<std::size_t>(m_end - m_next);
        const std::size_t span = have < most ? have : most;
        char* lf = span != 0 ? static_cast<char*>(std::memchr(m_next, '\n', span)) : nullptr;
        char* stop;
        char* after;
        if (lf) {
            stop = lf;
            after = lf + 1;
        } else if (have >= most || (m_atEnd && have != 0)) {
            // A line as long as the buffer, or the last line without its LF.
            stop = after = m_next + span;
        } else if (m_atEnd || m_failed) {
            return false;
        } else {
            refill(size);
            continue;
        }
        if (m_nul < m_next) {
            char* nul = static_cast<char*>(std::memchr(m_next, '\0', have));
            m_nul = nul ? nul : m_end;
        }
        line.begin = m_next;
        line.end = m_nul < stop ? m_nul : stop;
        m_next = after;
        return true;
    }
}

// Keeps the bytes not yet handed out, moved to the front of the buffer, and
// reads as many more as fit.
void CrtTextFile::refill(std::size_t size)
{
    const std::size_t have = static_cast<std::size_t>(m_end - m_next);
    if (m_capacity < size) {
        const std::size_t capacity = size < blockSize ? blockSize : size;
        std::unique_ptr<char[]> buffer(new char[capacity]);
        if (have != 0)
            std::memcpy(buffer.get(), m_next, have);
        m_buffer = std::move(buffer);
        m_capacity = capacity;
    } else if (have != 0) {
        std::memmove(m_buffer.get(), m_next, have);
    }
    m_next = m_buffer.get();
    m_end = m_next + have;
    const std::size_t wanted = m_capacity - have;
    const std::size_t got = std::fread(m_end, 1, wanted, m_file);
    m_end += got;
    if (got < wanted) {
        if (std::ferror(m_file))
            m_failed = true;
        else
            m_atEnd = true;
    }
    char* nul = static_cast<char*>(std::memchr(m_next, '\0', have + got));
    m_nul = nul ? nul : m_end;
}

} // namespace internal
} // namespace LibCommonCfg
