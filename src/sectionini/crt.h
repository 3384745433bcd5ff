#ifndef LIBCOMMONCFG_SECTIONINI_CRT_H
#define LIBCOMMONCFG_SECTIONINI_CRT_H

#include <cstdio>

// The few runtime services the section/key engine needs, with the behaviour
// of the device's Windows runtime on every platform, so that the engine
// reads and writes the same bytes everywhere. Not exported.

namespace LibCommonCfg {
namespace internal {

// Heap copy of `text` (released with free()), or null when `text` is null or
// memory runs out.
char* crtStrdup(const char* text);

// Compares like strcmp, folding only the ASCII letters A-Z onto a-z; every
// other byte compares as itself, as an unsigned value, whatever the process
// locale says about it.
int crtStricmp(const char* a, const char* b);

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
    bool isOpen() const { return m_file != nullptr; }

    // fgets: at most size - 1 bytes, up to and including the next LF, always
    // zero-terminated. Returns null at the end of the file or on an error.
    char* getLine(char* buffer, int size);

private:
    std::FILE* m_file = nullptr;
};

} // namespace internal
} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_SECTIONINI_CRT_H
