#include <LibCommonCfg/cinifile.h>

#include "common/savefile.h"
#include "sectionini/chain.h"
#include "sectionini/crt.h"
#include "sectionini/nameset.h"

#include <cstring>

using namespace LibCommonCfg::internal;

namespace {

// Every control byte, TAB, CR and LF included, and the space.
bool isBlank(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 1 && byte <= 32;
}

// The device reads a line through a buffer of 4096 bytes: 4095 bytes and
// the terminating zero.
constexpr std::size_t lineBufferSize = 4096;

// A piece of a line; `begin` is null when the line has no such piece.
struct Piece {
    const char* begin;
    const char* end;

    std::size_t size() const { return static_cast<std::size_t>(end - begin); }
};

constexpr Piece none = {nullptr, nullptr};

// What a line holds; splitLine sets the pieces its kind has, and the comment.
// The places where ParseLine ends a piece with a zero byte are kept as well,
// since it writes them into the caller's line.
struct Line {
    enum Kind { Ignored, Header, Comment, Key } kind;
    Piece sect, comment, key, value;
    const char* equals;    // a key line's "=", also when its name is blank
    const char* semicolon; // the ";" ending a key line's value
};

const char* find(const char* begin, const char* end, char c)
{
    return begin < end ? static_cast<const char*>(std::memchr(begin, c, static_cast<std::size_t>(end - begin)))
                       : nullptr;
}

// The bytes of [begin, end) without the blanks around them; false when only
// blanks are left.
bool trimmed(const char* begin, const char* end, Piece& piece)
{
    while (begin < end && isBlank(*begin))
        ++begin;
    if (begin == end)
        return false;
    while (isBlank(end[-1]))
        --end;
    piece.begin = begin;
    piece.end = end;
    return true;
}

// Splits the bytes [begin, end) of one line, which hold no zero byte. This
// is the one grammar of a line; Read and ParseLine both go through it, and
// Read's loop wants it inline.
LCC_CRT_INLINE void splitLine(const char* begin, const char* end, Line& line)
{
    line.kind = Line::Ignored;
    line.comment = none;
    line.equals = nullptr;
    const char* p = begin;
    while (p < end && isBlank(*p))
        ++p;
    if (p == end)
        return;

    if (*p == '[') {
        const char* close = find(p + 1, end, ']');
        if (!close)
            return;
        line.kind = Line::Header;
        line.sect = {p + 1, close};
        if (const char* semicolon = find(close + 1, end, ';'))
            trimmed(semicolon + 1, end, line.comment);
        return;
    }

    if (*p == ';') {
        if (trimmed(p + 1, end, line.comment))
            line.kind = Line::Comment;
        return;
    }

    // A key line; a key beginning with "0" is a key like any other.
    const char* equals = find(p, end, '=');
    if (!equals)
        return;
    line.equals = equals;
    if (p == equals) // the name is blank: p is past the leading blanks
        return;
    line.kind = Line::Key;
    const char* nameEnd = equals;
    while (isBlank(nameEnd[-1]))
        --nameEnd;
    line.key = {p, nameEnd};
    const char* semicolon = find(equals + 1, end, ';');
    line.semicolon = semicolon;
    const char* valueEnd = semicolon ? semicolon : end;
    if (!trimmed(equals + 1, valueEnd, line.value))
        line.value = {valueEnd, valueEnd}; // an empty value, not a missing one
    if (semicolon)
        trimmed(semicolon + 1, end, line.comment);
}

char* copyOf(const Piece& piece)
{
    return piece.begin ? crtCopy(piece.begin, piece.size()) : nullptr;
}

} // namespace

int CIniFile::TruncateSpace(char* text, char** start)
{
    if (!text)
        return 1;
    Piece piece = none;
    if (!trimmed(text, text + std::strlen(text), piece))
        return 1;
    text[piece.end - text] = '\0';
    if (start)
        *start = text + (piece.begin - text);
    return 0;
}

int CIniFile::ParseLine(char* line, char** sect, char** comment, char** key, char** value)
{
    char* unused[4];
    char** const out[4] = {sect ? sect : &unused[0], comment ? comment : &unused[1], key ? key : &unused[2],
                           value ? value : &unused[3]};
    for (char** result : out)
        *result = nullptr;
    if (!line)
        return 1;

    Line parts{};
    splitLine(line, line + std::strlen(line), parts);
    // The pieces are handed back as zero-terminated strings inside `line`.
    const auto at = [line](const char* p) { return line + (p - line); };
    const auto terminate = [&](const Piece& piece) { *at(piece.end) = '\0'; };
    if (parts.equals)
        *at(parts.equals) = '\0';
    switch (parts.kind) {
    case Line::Ignored:
        return 1;
    case Line::Header:
        terminate(parts.sect);
        *out[0] = at(parts.sect.begin);
        break;
    case Line::Comment:
        break;
    case Line::Key:
        terminate(parts.key);
        if (parts.semicolon)
            *at(parts.semicolon) = '\0';
        *out[2] = at(parts.key.begin);
        if (parts.value.size() != 0) {
            terminate(parts.value);
            *out[3] = at(parts.value.begin);
        } else {
            *out[3] = at(parts.equals); // the zero byte just written there
        }
        break;
    }
    if (parts.comment.begin) {
        terminate(parts.comment);
        *out[1] = at(parts.comment.begin);
    }
    return 0;
}

int CIniFile::Read(const char* fileName)
{
    CrtTextFile file;
    if (!file.open(fileName ? fileName : this->fileName))
        return 1;
    Clear();

    // Tails of the chains, so that every line is appended in constant time.
    CSectList* lastSect = nullptr;
    CSectList* current = nullptr;
    CKeyList* lastKey = nullptr;
    bool accepting = true;
    // Names already read, so that repeats are found without walking the chains.
    NameSet sectNames;
    NameSet keyNames;

    const auto appendSect = [&](CSectList* node) {
        if (lastSect)
            lastSect->next = node;
        else
            firstSect = node;
        lastSect = node;
    };
    const auto appendKey = [&](CKeyList* node) {
        if (lastKey)
            lastKey->next = node;
        else
            current->firstKey = node;
        lastKey = node;
    };
    // The nodes are made empty and given their strings here, each copied
    // once at its size straight from the file's bytes.
    const auto newSect = [](const Piece& name, const Piece& comment) {
        CSectList* node = new CSectList(nullptr, nullptr);
        node->name = copyOf(name);
        node->comment = copyOf(comment);
        return node;
    };
    const auto newKey = [](const Piece& name, const Piece& value, const Piece& comment) {
        CKeyList* node = new CKeyList(nullptr, nullptr, nullptr);
        node->name = copyOf(name);
        node->value = copyOf(value);
        node->comment = copyOf(comment);
        return node;
    };

    CrtLine text;
    while (file.getLine(text, lineBufferSize)) {
        Line line;
        splitLine(text.begin, text.end, line);
        switch (line.kind) {
        case Line::Ignored:
            break;
        case Line::Header: {
            if (sectNames.seen(line.sect.begin, line.sect.size())) {
                // A repeated section is dropped up to the next accepted header.
                accepting = false;
                break;
            }
            CSectList* node = newSect(line.sect, line.comment);
            sectNames.remember(node->name);
            appendSect(node);
            current = node;
            lastKey = nullptr;
            keyNames.clear();
            accepting = true;
            break;
        }
        case Line::Comment:
            if (!accepting)
                break;
            if (current)
                appendKey(newKey(none, none, line.comment));
            else
                appendSect(newSect(none, line.comment));
            break;
        case Line::Key: {
            if (!accepting || !current || keyNames.seen(line.key.begin, line.key.size()))
                break;
            CKeyList* node = newKey(line.key, line.value, line.comment);
            keyNames.remember(node->name);
            appendKey(node);
            break;
        }
        }
    }
    return 0;
}

namespace {

// The text of a document as the device's runtime writes a text file: every
// "\n" (those inside names, values and comments too) as CR LF, and a null
// string as "(null)".
class DeviceText {
public:
    DeviceText& operator<<(const char* text)
    {
        if (text == nullptr)
            text = "(null)";
        for (const char* lf = std::strchr(text, '\n'); lf != nullptr; lf = std::strchr(text, '\n')) {
            bytes.append(text, static_cast<int>(lf - text)).append("\r\n", 2);
            text = lf + 1;
        }
        bytes.append(text);
        return *this;
    }

    QByteArray bytes;
};

} // namespace

int CIniFile::Write(const char* fileName)
{
    const char* name = fileName ? fileName : this->fileName;
    if (name == nullptr || *name == '\0')
        return 1;
    DeviceText text;
    for (CSectList* sect = firstSect; sect; sect = sect->next) {
        if (sect->name)
            text << "[" << sect->name << "] ";
        if (sect->comment)
            text << ";" << sect->comment;
        text << "\n";
        for (CKeyList* key = sect->firstKey; key; key = key->next) {
            if (key->name)
                text << "   " << key->name << "=" << key->value << " ";
            if (key->comment)
                text << ";" << key->comment;
            text << "\n";
        }
        text << "\n";
    }
    // A file that could be opened counts as written, as it always has; but a
    // failed write now leaves the old file as it was instead of cut short.
    SaveOptions options;
    options.whenUnsafe = WhenUnsafe::WriteInPlace;
    bool opened = false;
    options.opened = &opened;
    saveFile(QByteArray(name), text.bytes, options);
    return opened ? 0 : 1;
}
