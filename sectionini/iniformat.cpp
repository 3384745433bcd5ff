#include <LibCommonCfg/cinifile.h>

#include "sectionini/chain.h"
#include "sectionini/crt.h"

#include <cstring>
#include <memory>
#include <string>
#include <unordered_set>

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

// Names of sections and keys compare case-insensitively in the ASCII letters
// only; this key lets a hash set answer "seen before?" in constant time. The
// key is a type private to the reader, so that every container template the
// set needs is private too and none leaks into the exported symbols, in
// unoptimised builds as well.
struct FoldedName {
    std::string text;
    bool operator==(const FoldedName& other) const { return text == other.text; }
};

FoldedName foldedName(const char* name)
{
    FoldedName folded;
    // assign() is a member the standard library instantiates itself; the
    // constructor from a pointer would instantiate a template here.
    folded.text.assign(name);
    for (char& c : folded.text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

struct NameHash {
    std::size_t operator()(const FoldedName& name) const { return std::hash<std::string>()(name.text); }
};
using NameSet = std::unordered_set<FoldedName, NameHash>;

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
    if (!file.open(fileName ? fileName : this->fileName, "rt"))
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
            if (!sectNames.insert(foldedName(sect)).second) {
                // A repeated section is dropped up to the next accepted header.
                accepting = false;
                continue;
            }
            CSectList* node = new CSectList(sect, comment);
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
            if (!accepting || !current || !keyNames.insert(foldedName(key)).second)
                continue;
            appendKey(new CKeyList(key, value, comment));
        }
    }
    return 0;
}

int CIniFile::Write(const char* fileName)
{
    CrtTextFile file;
    if (!file.open(fileName ? fileName : this->fileName, "wt"))
        return 1;
    for (CSectList* sect = firstSect; sect; sect = sect->next) {
        if (sect->name)
            file.print("[%s] ", sect->name);
        if (sect->comment)
            file.print(";%s", sect->comment);
        file.print("\n");
        for (CKeyList* key = sect->firstKey; key; key = key->next) {
            if (key->name)
                file.print("   %s=%s ", key->name, key->value);
            if (key->comment)
                file.print(";%s", key->comment);
            file.print("\n");
        }
        file.print("\n");
    }
    return 0;
}
