// The runtime services under the section/key engine: a comparison that
// folds the ASCII letters only, and a text file read as the bytes stand and
// cut into lines as the device's runtime cuts them.
#include "sectionini/crt.h"

#include "support/files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

using namespace LibCommonCfg::internal;

TEST(CrtStrings, CompareFoldsAsciiLettersOnly)
{
    // Each pair in order (and equal when folded in full); "[", "_" and "`" lie between the two cases of the
    // letters, and bytes above 127 compare as unsigned values, never folded.
    const char* const less[][2] = {{"a", "b"},       {"a", "B"},         {"ab", "AbC"},    {"", "a"},
                                   {"[", "A"},       {"@", "`"},         {"_", "a"},       {"a", "\x80"},
                                   {"\x01", "\xFF"}, {"x\xC0", "X\xE0"}, {"\xC0", "\xE0"}, {"\xDF", "\xFF"}};
    for (const auto& pair : less) {
        EXPECT_LT(crtStricmp(pair[0], pair[1]), 0) << pair[0] << " < " << pair[1];
        EXPECT_GT(crtStricmp(pair[1], pair[0]), 0) << pair[1] << " > " << pair[0];
    }
    EXPECT_EQ(crtStricmp("ABCDEFGHIJKLMNOPQRSTUVWXYZ\xC0", "abcdefghijklmnopqrstuvwxyz\xC0"), 0);
}

TEST(CrtTextFile, RefusesWhatIsNoFileAndStartsAfreshOnReopening)
{
    lcctest::ScratchDir dir;
    CrtTextFile file;
    CrtLine line;
    EXPECT_FALSE(file.open(nullptr));
    EXPECT_FALSE(file.open(dir.path("").c_str()));
    EXPECT_FALSE(file.open(dir.path("missing").c_str()));
    EXPECT_FALSE(file.isOpen());
    EXPECT_FALSE(file.getLine(line, 4096));

    // Bytes read ahead from one file never come out of the next.
    const std::string first = dir.write("first", "one\ntwo\n");
    const std::string second = dir.write("second", "three");
    ASSERT_TRUE(file.open(first.c_str()));
    ASSERT_TRUE(file.getLine(line, 4096));
    EXPECT_EQ(std::string(line.begin, line.end), "one");
    ASSERT_TRUE(file.open(second.c_str()));
    ASSERT_TRUE(file.getLine(line, 4096));
    EXPECT_EQ(std::string(line.begin, line.end), "three");
    EXPECT_FALSE(file.getLine(line, 4096));
    file.close();
    EXPECT_FALSE(file.isOpen());
    EXPECT_FALSE(file.getLine(line, 4096));
}

// The lines must be what the device makes of the file with fgets into a
// buffer of the same size and strlen, whatever the bytes: lines longer than
// the buffer, lines across the blocks the file is read in, NUL bytes, CR
// alone, a last line with and without its LF.
TEST(CrtTextFile, LinesAreWhatFgetsAndStrlenGive)
{
    lcctest::ScratchDir dir;
    const unsigned seed = 20261207;
    std::mt19937 random(seed);
    for (int round = 0; round < 12; ++round) {
        const std::size_t size = round % 3 == 0 ? 4 : round % 3 == 1 ? 4096 : 70000;
        QByteArray bytes;
        const int target = round < 2 ? round : 150000 + static_cast<int>(random() % 100000);
        while (bytes.size() < target) {
            const unsigned shape = random() % 16;
            const int length = shape == 0 ? static_cast<int>(random() % 9000) : static_cast<int>(random() % 40);
            for (int i = 0; i < length; ++i) {
                const unsigned pick = random() % 64;
                bytes += pick == 0 ? '\0' : pick == 1 ? '\r' : static_cast<char>('a' + pick % 26);
            }
            if (random() % 8 != 0)
                bytes += '\n';
        }
        const std::string name = dir.write("in", bytes);

        std::FILE* reference = std::fopen(name.c_str(), "rb");
        ASSERT_NE(reference, nullptr);
        std::vector<char> buffer(size);
        CrtTextFile file;
        ASSERT_TRUE(file.open(name.c_str()));
        CrtLine line;
        int count = 0;
        while (std::fgets(buffer.data(), static_cast<int>(size), reference)) {
            std::string expected(buffer.data());
            if (!expected.empty() && expected.back() == '\n')
                expected.pop_back();
            ASSERT_TRUE(file.getLine(line, size)) << "seed " << seed << ", round " << round << ", line " << count;
            ASSERT_EQ(std::string(line.begin, line.end), expected)
                << "seed " << seed << ", round " << round << ", line " << count;
            ++count;
        }
        EXPECT_FALSE(file.getLine(line, size)) << "seed " << seed << ", round " << round;
        std::fclose(reference);
    }
}
