// The runtime services under the section/key engine: a comparison that
// folds the ASCII letters only, and a text file read as the bytes stand.
#include "sectionini/crt.h"

#include "support/files.h"

#include <gtest/gtest.h>

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

TEST(CrtTextFile, ReadsBytesAsTheyStandAndRefusesWhatIsNoFile)
{
    lcctest::ScratchDir dir;
    CrtTextFile file;
    char buffer[4];
    EXPECT_FALSE(file.open(nullptr));
    EXPECT_FALSE(file.open(dir.path("").c_str()));
    EXPECT_FALSE(file.open(dir.path("missing").c_str()));
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(file.getLine(buffer, sizeof buffer), nullptr);

    const std::string name = dir.write("in.txt", QByteArray("ab\r\ncd\n\nlast", 13));
    ASSERT_TRUE(file.open(name.c_str()));
    ASSERT_TRUE(file.open(name.c_str())); // reopening closes the first
    EXPECT_EQ(file.getLine(buffer, 0), nullptr);
    EXPECT_EQ(file.getLine(nullptr, 4), nullptr);
    for (const char* piece : {"ab\r", "\n", "cd\n", "\n", "las", "t"}) {
        ASSERT_NE(file.getLine(buffer, sizeof buffer), nullptr) << piece;
        EXPECT_STREQ(buffer, piece);
    }
    EXPECT_EQ(file.getLine(buffer, sizeof buffer), nullptr);
    file.close();
    EXPECT_FALSE(file.isOpen());
}
