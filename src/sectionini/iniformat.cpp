#include <LibCommonCfg/cinifile.h>

#include "common/savefile.h"
#include "sectionini/chain.h"
#include "sectionini/crt.h"
#include "sectionini/nameset.h"

#include <cstring>
#include <memory>

using namespace LibCommonCfg::internal;

namespace {

// Every control byte, TAB, CR and LF included, and the space.
bool isBlank(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 1 && byte <= 32;
}

// One read of the line buffer: 4095 bytes and the terminating zero.
constexpr int lineBufferSize = 4096;

} // namespace

int CIniFile::TruncateSpace(char* text, char** start)
{
    if (!text)
        return 1;
    char* first = text;
    while (isBlank(*first))
        ++first;
    if (*first == '\0')
        return 1;
    char* last = first + std::strlen(first) - 1;
    while (isBlank(*last))
        --last;
    last[1] = '\0';
    if (start)
        *start = first;
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

    char* p = line;
    while (isBlank(*p))
        ++p;

    if (*p == '[') {
        char* close = std::strchr(p + 1, ']');
        if (!close)
            return 1;
        *close = '\0';
        *out[0] = p + 1;
        char* semicolon = std::strchr(close + 1, ';');
        char* text = nullptr;
        if (semicolon && TruncateSpace(semicolon + 1, &text) == 0)
            *out[1] = text;
        return 0;
    }

    if (*p == ';') {
        char* text = nullptr;
        if (TruncateSpace(p + 1, &text) != 0)
            return 1;
        *out[1] = text;
        return 0;
    }

    // A key line; a key beginning with "0" is a key like any other.
    char* equals = std::strchr(p, '=');
    if (!equals)
        return 1;
    *equals = '\0';
    char* name = nullptr;
    if (TruncateSpace(p, &name) != 0)
        return 1;
    char* semicolon = std::strchr(equals + 1, ';');
    if (semicolon)
        *semicolon = '\0';
    char* text = equals; // the zero byte just written: an empty value
    TruncateSpace(equals + 1, &text);
    *out[2] = name;
    *out[3] = text;
    char* note = nullptr;
    if (semicolon && TruncateSpace(semicolon + 1, &note) == 0)
        *out[1] = note;
    return 0;
}

int CIniFile::Read(const char* fileName)
{
    CrtTextFile file;
    if (!file.open(fileName ? fileName : this->fileName))
        return 1;
    std::unique_ptr<char[]> buffer(new char[lineBufferSize]);
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

    while (file.getLine(buffer.get(), lineBufferSize)) {
        char* line = buffer.get();
        // A NUL byte inside the line ends it here; the rest is not looked at.
        const std::size_t length = std::strlen(line);
        if (length > 0 && line[length - 1] == '\n')
            line[length - 1] = '\0';

        char *sect, *comment, *key, *value;
        if (ParseLine(line, &sect, &comment, &key, &value) != 0)
            continue;

        if (sect) {
            if (sectNames.seen(sect)) {
                // A repeated section is dropped up to the next accepted header.
                accepting = false;
                continue;
            }
            CSectList* node = new CSectList(sect, comment);
            sectNames.remember(node->name);
            appendSect(node);
            current = node;
            lastKey = nullptr;
            keyNames.clear();
            accepting = true;
        } else if (!key) {
            if (!accepting)
                continue;
            if (current)
                appendKey(new CKeyList(nullptr, nullptr, comment));
            else
                appendSect(new CSectList(nullptr, comment));
        } else {
            if (!accepting || !current || keyNames.seen(key))
                continue;
            CKeyList* node = new CKeyList(key, value, comment);
            keyNames.remember(node->name);
            appendKey(node);
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
