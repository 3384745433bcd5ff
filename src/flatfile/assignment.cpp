#include "flatfile/assignment.h"

#include "common/devicecodec.h"

#include <array>

namespace LibCommonCfg {
namespace internal {

namespace {

enum : uchar { KeyChar = 1, Blank = 2 };

// What the expression sees in ASCII, where alone it sees anything: without
// Unicode properties "[\w.]" is ASCII letters, digits, "_" and ".", and
// "\s" is ASCII white space, vertical tab included.
constexpr std::array<uchar, 256> asciiClasses()
{
    std::array<uchar, 256> classes{};
    for (int c = 0; c < 128; ++c) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
            c == '.')
            classes[c] = KeyChar;
        else if (c == ' ' || (c >= '\t' && c <= '\r'))
            classes[c] = Blank;
    }
    return classes;
}
constexpr std::array<uchar, 256> kClasses = asciiClasses();

bool isSurrogate(ushort c)
{
    return (c & 0xF800) == 0xD800;
}

// The bytes whose characters QString::trimmed trims. The table of characters
// is constant, so it is ready before this is made.
const std::array<bool, 256> kDeviceSpaces = [] {
    std::array<bool, 256> spaces{};
    for (int byte = 0; byte < 256; ++byte)
        spaces[byte] = QChar::isSpace(kDeviceChars[byte]);
    return spaces;
}();

// Text as UTF-16 units.
struct Utf16Units {
    static ushort unit(QChar c) { return c.unicode(); }
    static uchar classOf(QChar c) { return c.unicode() < 128 ? kClasses[c.unicode()] : 0; }
    static bool isSpace(QChar c) { return c.isSpace(); }
    static constexpr bool mayBreakPairs = true;
};

// Windows-1251 bytes: the table decodes ASCII to itself and nothing else to
// ASCII, so a byte is the expression's ASCII character, or none of them;
// only trimming needs the character. No byte decodes to a surrogate.
struct DeviceBytes {
    static uchar unit(char b) { return uchar(b); }
    static uchar classOf(char b) { return kClasses[uchar(b)]; }
    static bool isSpace(char b) { return kDeviceSpaces[uchar(b)]; }
    static constexpr bool mayBreakPairs = false;
};

// The expression matches nothing at all in text holding half a surrogate
// pair, wherever the half stands.
bool wellFormed(const QChar* text, const QChar* end)
{
    for (; text != end; ++text) {
        if (!text->isSurrogate())
            continue;
        if (text->isLowSurrogate() || text + 1 == end || !text[1].isLowSurrogate())
            return false;
        ++text;
    }
    return true;
}

template <class Units, class Unit> Assignment match(const Unit* const text, const int length)
{
    const Unit* const stop = text + length;
    // Half a surrogate pair anywhere undoes a match. Keys and blanks are
    // ASCII: before the "=" only the other characters need a look.
    bool surrogates = false;

    // The key is the first run of key characters that blanks and "=" follow:
    // a run followed by anything else cannot end a key anywhere within it.
    const Unit* key = nullptr;
    const Unit* keyEnd = nullptr;
    const Unit* p = text;
    while (p != stop) {
        if (Units::classOf(*p) != KeyChar) {
            if constexpr (Units::mayBreakPairs)
                surrogates |= isSurrogate(Units::unit(*p));
            ++p;
            continue;
        }
        const Unit* const begin = p;
        while (++p != stop && Units::classOf(*p) == KeyChar) {
        }
        const Unit* const end = p;
        while (p != stop && Units::classOf(*p) == Blank)
            ++p;
        if (p != stop && Units::unit(*p) == '=') {
            key = begin;
            keyEnd = end;
            break;
        }
    }
    if (key == nullptr)
        return {};

    // "\s*(.*)": the value starts after the blanks, line feeds among them,
    // and "." stops at the next line feed.
    const Unit* begin = p + 1;
    while (begin != stop && Units::classOf(*begin) == Blank)
        ++begin;
    const Unit* end = begin;
    while (end != stop && Units::unit(*end) != '\n')
        ++end;
    if constexpr (Units::mayBreakPairs) {
        for (const Unit* q = p + 1; q != stop && !surrogates; ++q)
            surrogates = isSurrogate(Units::unit(*q));
        if (surrogates && !wellFormed(text, stop))
            return {};
    }

    // Trimmed as QString::trimmed trims, which is wider than "\s".
    while (begin != end && Units::isSpace(*begin))
        ++begin;
    while (end != begin && Units::isSpace(end[-1]))
        --end;
    Assignment result;
    result.found = true;
    result.keyBegin = int(key - text);
    result.keyLength = int(keyEnd - key);
    result.valueBegin = int(begin - text);
    result.valueLength = int(end - begin);
    return result;
}

} // namespace

Assignment matchAssignment(const QString& line)
{
    return match<Utf16Units>(line.constData(), line.size());
}

Assignment matchAssignment(const char* bytes, int length)
{
    return match<DeviceBytes>(bytes, length);
}

} // namespace internal
} // namespace LibCommonCfg
