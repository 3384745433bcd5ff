// The line grammar of the commented INI text: what one line splits into.
#include <LibCommonCfg/cinifile.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Parsed {
    int result;
    std::string text; // "sect|comment|key|value", "<>" for a null part
};

std::string part(const char* p)
{
    return p ? std::string(p) : std::string("<>");
}

Parsed parse(std::string line)
{
    CIniFile doc;
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    char* sect = buffer.data(); // stale values must be cleared
    char* comment = sect;
    char* key = sect;
    char* value = sect;
    const int result = doc.ParseLine(buffer.data(), &sect, &comment, &key, &value);
    for (char* p : {sect, comment, key, value}) {
        if (p) {
            EXPECT_GE(p, buffer.data()) << line;
            EXPECT_LT(p, buffer.data() + buffer.size()) << line;
        }
    }
    return {result, part(sect) + "|" + part(comment) + "|" + part(key) + "|" + part(value)};
}

} // namespace

TEST(CIniParseLine, LineKinds)
{
    const struct {
        const char* line;
        int result;
        const char* parts;
    } cases[] = {
        // Section headers.
        {"[Main]", 0, "Main|<>|<>|<>"},
        {"  \t[Main] ; main section ", 0, "Main|main section|<>|<>"},
        {"[ Main ]", 0, " Main |<>|<>|<>"},
        {"[]", 0, "|<>|<>|<>"},
        {"[Main", 1, "<>|<>|<>|<>"},
        {"[a;b=c]x;y", 0, "a;b=c|y|<>|<>"},
        {"[Main] dropped ;c;d", 0, "Main|c;d|<>|<>"},
        {"[Main] ;   ", 0, "Main|<>|<>|<>"},
        {"[Main] text", 0, "Main|<>|<>|<>"},
        {"[[x]]", 0, "[x|<>|<>|<>"},
        // Comment lines.
        {";top", 0, "<>|top|<>|<>"},
        {"  ;  note \r", 0, "<>|note|<>|<>"},
        {";", 1, "<>|<>|<>|<>"},
        {" ; \t ", 1, "<>|<>|<>|<>"},
        {";;x", 0, "<>|;x|<>|<>"},
        // Key lines.
        {"Rate = 5 ; per second", 0, "<>|per second|Rate|5"},
        {"key=", 0, "<>|<>|key|"},
        {"key = ;c", 0, "<>|c|key|"},
        {"key=v;", 0, "<>|<>|key|v"},
        {"a=b=c", 0, "<>|<>|a|b=c"},
        {"a;b=c", 0, "<>|<>|a;b|c"},
        {"a[b]=c", 0, "<>|<>|a[b]|c"},
        {"  two words = x y  \r", 0, "<>|<>|two words|x y"},
        {"k=x;y;z", 0, "<>|y;z|k|x"},
        {"0x10=abc", 0, "<>|<>|0x10|abc"},
        {"0=zero", 0, "<>|<>|0|zero"},
        {"\x01k\x1f=\x7fv\x7f", 0, "<>|<>|k|\x7fv\x7f"},
        {"\xC0\xFF=\xA0", 0, "<>|<>|\xC0\xFF|\xA0"},
        // Ignored lines.
        {"", 1, "<>|<>|<>|<>"},
        {" \t\r\n", 1, "<>|<>|<>|<>"},
        {"=5", 1, "<>|<>|<>|<>"},
        {"  = 5", 1, "<>|<>|<>|<>"},
        {"key", 1, "<>|<>|<>|<>"},
        {"]", 1, "<>|<>|<>|<>"},
        {"[", 1, "<>|<>|<>|<>"},
    };
    for (const auto& c : cases) {
        const Parsed got = parse(c.line);
        EXPECT_EQ(got.result, c.result) << '"' << c.line << '"';
        EXPECT_EQ(got.text, c.parts) << '"' << c.line << '"';
    }
}

TEST(CIniParseLine, TruncateSpaceTrimsBytesOneToThirtyTwo)
{
    // A start of -1: nothing but blanks, the text and the start pointer stay
    // as they were. Bytes 127 and above are never blanks.
    const struct {
        const char* text;
        int result;
        int start;
        const char* trimmed;
    } cases[] = {{"\x01\x09 \r\nab c\x1f\x20\x0b", 0, 5, "ab c"},
                 {"\x7f\xa0x\xff", 0, 0, "\x7f\xa0x\xff"},
                 {"x", 0, 0, "x"},
                 {" \t \r", 1, -1, " \t \r"},
                 {"", 1, -1, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<char> text(c.text, c.text + std::strlen(c.text) + 1);
        char marker = 0;
        char* start = &marker;
        EXPECT_EQ(CIniFile::TruncateSpace(text.data(), &start), c.result);
        if (c.start < 0) {
            EXPECT_EQ(start, &marker);
            EXPECT_STREQ(text.data(), c.trimmed);
        } else {
            EXPECT_EQ(start, text.data() + c.start);
            EXPECT_STREQ(start, c.trimmed);
        }
    }
    char* start = nullptr;
    EXPECT_EQ(CIniFile::TruncateSpace(nullptr, &start), 1);
}

TEST(CIniParseLine, NullArguments)
{
    CIniFile doc;
    char* sect = nullptr;
    char* comment = nullptr;
    char* key = nullptr;
    char* value = nullptr;
    EXPECT_EQ(doc.ParseLine(nullptr, &sect, &comment, &key, &value), 1);
    char line[] = "k=v;c";
    EXPECT_EQ(doc.ParseLine(line, nullptr, nullptr, &key, nullptr), 0);
    EXPECT_STREQ(key, "k");
}
