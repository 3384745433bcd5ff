// Splitting one line of a section/key file in place: whatever the bytes,
// every result must point into the line itself (the parser only writes zero
// bytes into it and hands back addresses inside it), and the pieces must
// have the shapes the file format gives them. Any violation aborts.
#include <LibCommonCfg/cinifile.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

bool isBlank(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 1 && byte <= 32;
}

// A heap copy of the input with a terminating zero byte, so that ASan sees
// any read past the end of the line.
std::unique_ptr<char[]> copyLine(const std::uint8_t* data, std::size_t size)
{
    std::unique_ptr<char[]> line(new char[size + 1]);
    if (size > 0)
        std::memcpy(line.get(), data, size);
    line[size] = '\0';
    return line;
}

// `p` is null or points at a byte of the line, its terminating zero included.
void expectInside(const char* p, const char* line, std::size_t length)
{
    if (p && (p < line || p > line + length))
        std::abort();
}

// A trimmed piece: not empty, no blank at either end.
void expectTrimmed(const char* text)
{
    const std::size_t length = std::strlen(text);
    if (length == 0 || isBlank(text[0]) || isBlank(text[length - 1]))
        std::abort();
}

void checkTruncateSpace(const std::uint8_t* data, std::size_t size)
{
    std::unique_ptr<char[]> text = copyLine(data, size);
    const std::size_t length = std::strlen(text.get());
    bool onlyBlanks = true;
    for (std::size_t i = 0; i < length; ++i)
        onlyBlanks = onlyBlanks && isBlank(text[i]);

    char sentinel = 0;
    char* start = &sentinel;
    const int result = CIniFile::TruncateSpace(text.get(), &start);
    if (onlyBlanks) {
        // A blank text reports 1 and leaves the caller's pointer alone.
        if (result != 1 || start != &sentinel)
            std::abort();
        return;
    }
    if (result != 0)
        std::abort();
    expectInside(start, text.get(), length);
    expectTrimmed(start);
}

void checkParseLine(const std::uint8_t* data, std::size_t size)
{
    static CIniFile doc;
    std::unique_ptr<char[]> line = copyLine(data, size);
    const std::size_t length = std::strlen(line.get());

    char* sect = line.get();
    char* comment = line.get();
    char* key = line.get();
    char* value = line.get();
    const int result = doc.ParseLine(line.get(), &sect, &comment, &key, &value);
    for (const char* p : {sect, comment, key, value})
        expectInside(p, line.get(), length);

    if (result == 1) {
        // An ignored line yields nothing at all.
        if (sect || comment || key || value)
            std::abort();
        return;
    }
    if (result != 0 || (!sect && !comment && !key))
        std::abort();
    // A header carries no key; a key line always has a value (maybe empty).
    if ((sect && (key || value)) || (!key != !value))
        std::abort();
    if (sect && std::strchr(sect, ']'))
        std::abort();
    if (comment)
        expectTrimmed(comment);
    if (key) {
        expectTrimmed(key);
        if (std::strchr(key, '=') || key[0] == '[' || key[0] == ';')
            std::abort();
        if (std::strchr(value, ';') ||
            (value[0] != '\0' && (isBlank(value[0]) || isBlank(value[std::strlen(value) - 1]))))
            std::abort();
    }

    // Callers may leave out the results they do not want.
    std::unique_ptr<char[]> again = copyLine(data, size);
    if (doc.ParseLine(again.get(), nullptr, nullptr, nullptr, nullptr) != result)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    checkParseLine(data, size);
    checkTruncateSpace(data, size);
    return 0;
}
