#ifndef LIBCOMMONCFG_SECTIONINI_CRT_H
#define LIBCOMMONCFG_SECTIONINI_CRT_H

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

// The few runtime services the section/key engine needs, with the behaviour
// of the device's Windows runtime on every platform, so that the engine
// reads and writes the same bytes everywhere. Not exported.

// For the reader's inner loop: a hot helper kept inline, a cold one kept out.
#if defined(__GNUC__)
#define LCC_CRT_INLINE __attribute__((always_inline)) inline
#define LCC_CRT_NOINLINE __attribute__((noinline))
#else
#define LCC_CRT_INLINE inline
#define LCC_CRT_NOINLINE
#endif

namespace LibCommonCfg {
namespace internal {

// Heap copy of the `length` bytes at `text` and a zero byte after them, one
// malloc() block of exactly that size (released with free()), or null when
// memory runs out.
inline char* crtCopy(const char* text, std::size_t length)
{
    char* copy = static_cast<char*>(std::malloc(length + 1));
    if (copy) {
        std::memcpy(copy, text, length);
        copy[length] = '\0';
    }
    return copy;
}

// Heap copy of `text` (released with free()), or null when `text` is null or
// memory runs out.
inline char* crtStrdup(const char* text)
{
    return text ? crtCopy(text, std::strlen(text)) : nullptr;
}

// Compares like strcmp, folding only the ASCII letters A-Z onto a-z; every
// other byte compares as itself, as an unsigned value, whatever the process
// locale says about it.
int crtStricmp(const char* a, const char* b);

// One line of a text file as the engine sees it: the bytes [begin, end).
struct CrtLine {
    const char* begin = nullptr;
    const char* end = nullptr;
};

// A text file read as the device's runtime reads one: bytes as they stand in
// the file, so a CR LF line end reaches the reader as CR LF (which the engine
// trims as a blank) and a bare LF as LF. A directory is never opened.
class CrtTextFile {
public:
    CrtTextFile() = default;
    ~CrtTextFile();
    CrtTextFile(const CrtTextFile&) = delete;
    CrtTextFile& operator=(const CrtTextFile&) = delete;

    // Returns false when the file cannot be opened for reading.
    bool open(const char* fileName);
    void close();

    // The next line as the device gets it with fgets into a buffer of `size`
    // bytes and strlen: fgets takes at most size - 1 bytes, up to and
    // including the next LF; of those, the bytes before the first NUL count,
    // without the LF that ends them. The file is read in large blocks rather
    // than by fgets, so `line` points into this object's buffer and stays
    // valid until the next call. Returns false at the end of the file and on
    // a read error; the bytes of a line that an error breaks off are dropped,
    // as fgets drops them.
    bool getLine(CrtLine& line, std::size_t size)
    {
        // Most lines lie whole, with their LF and no NUL byte, among the
        // bytes already read.
        const std::size_t have = static_cast<std::size_t>(m_end - m_next);
        if (have != 0 && size >= 2) {
            const std::size_t span = have < size - 1 ? have : size - 1;
            char* lf = static_cast<char*>(std::memchr(m_next, '\n', span));
            if (lf && m_nul > lf) {
                line.begin = m_next;
                line.end = lf;
                m_next = lf + 1;
                return true;
            }
        }
        return getAnyLine(line, size);
    }

private:
    bool getAnyLine(CrtLine& line, std::size_t size);
    void refill(std::size_t size);

    std::FILE* m_file = nullptr;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_capacity = 0;
    // The bytes read but not yet handed out.
    char* m_next = nullptr;
    char* m_end = nullptr;
    // The first NUL byte at or after the place the last search began, or
    // m_end when there is none.
    char* m_nul = nullptr;
    bool m_atEnd = false;
    bool m_failed = false;
};

} // namespace internal
} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_SECTIONINI_CRT_H
