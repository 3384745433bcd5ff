// The runtime services under the section/key engine, which must behave the
// same on every platform and in every locale.
#include "sectionini/crt.h"

#include "support/files.h"
#include "testlocale.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

using namespace LibCommonCfg::internal;

namespace {

int sign(int value)
{
    return (value > 0) - (value < 0);
}

void expectOrder(const char* a, const char* b, int expected)
{
    EXPECT_EQ(sign(crtStricmp(a, b)), expected) << '"' << a << "\" vs \"" << b << '"';
    EXPECT_EQ(sign(crtStricmp(b, a)), -expected) << '"' << b << "\" vs \"" << a << '"';
}

void checkComparison()
{
    expectOrder("", "", 0);
    expectOrder("Main", "mAIN", 0);
    expectOrder("ABCDEFGHIJKLMNOPQRSTUVWXYZ", "abcdefghijklmnopqrstuvwxyz", 0);
    expectOrder("a", "b", -1);
    expectOrder("B", "a", 1);
    expectOrder("ab", "AbC", -1);
    expectOrder("", "a", -1);
    // "[" lies between the two cases of the letters; as lower case it sorts before them.
    expectOrder("[", "A", -1);
    expectOrder("@", "`", -1);
    expectOrder("_", "a", -1);
    // Bytes above 127 compare as unsigned values and never fold.
    expectOrder("\x80", "a", 1);
    expectOrder("\xFF", "\x01", 1);
    for (int upper = 0xC0; upper <= 0xDF; ++upper) {
        const char a[2] = {static_cast<char>(upper), '\0'};
        const char b[2] = {static_cast<char>(upper + 0x20), '\0'};
        expectOrder(a, b, -1);
        expectOrder(a, a, 0);
    }
    expectOrder("\xC0\xC1\xC2", "\xC0\xC1\xC2", 0);
    expectOrder("x\xC0", "X\xE0", -1);
}

} // namespace

TEST(CrtStrings, DuplicateIsASeparateCopy)
{
    EXPECT_EQ(crtStrdup(nullptr), nullptr);
    const char text[] = "a\x01\x7f\x80\xff";
    char* copy = crtStrdup(text);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, text);
    EXPECT_EQ(std::memcmp(copy, text, sizeof text), 0);
    std::free(copy);
    char* empty = crtStrdup("");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty[0], '\0');
    std::free(empty);
}

TEST(CrtStrings, CompareFoldsAsciiLettersOnly)
{
    checkComparison();
    Cp1251Locale locale;
    LCC_REQUIRE_CP1251_LOCALE(locale);
    checkComparison();
}

TEST(CrtTextFile, ReadsBytesAsTheyStand)
{
    lcctest::ScratchDir dir;
    const std::string name = dir.write("in.txt", QByteArray("ab\r\ncd\n\nlast", 13));
    CrtTextFile file;
    ASSERT_TRUE(file.open(name.c_str()));
    char buffer[4];
    for (const char* piece : {"ab\r", "\n", "cd\n", "\n", "las", "t"}) {
        ASSERT_NE(file.getLine(buffer, sizeof buffer), nullptr) << piece;
        EXPECT_STREQ(buffer, piece);
    }
    EXPECT_EQ(file.getLine(buffer, sizeof buffer), nullptr);
    file.close();
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(file.getLine(buffer, sizeof buffer), nullptr);
}

TEST(CrtTextFile, RefusesWhatIsNoFile)
{
    lcctest::ScratchDir dir;
    CrtTextFile file;
    EXPECT_FALSE(file.open(nullptr));
    EXPECT_FALSE(file.open(dir.path("").c_str()));
    EXPECT_FALSE(file.open(dir.path("missing").c_str()));
    EXPECT_FALSE(file.isOpen());
    const std::string empty = dir.write("empty", QByteArray());
    EXPECT_TRUE(file.open(empty.c_str()));
    EXPECT_TRUE(file.isOpen());
    // Reopening closes the first file.
    EXPECT_TRUE(file.open(empty.c_str()));
    char buffer[8];
    EXPECT_EQ(file.getLine(buffer, 0), nullptr);
    EXPECT_EQ(file.getLine(nullptr, 8), nullptr);
    EXPECT_EQ(file.getLine(buffer, sizeof buffer), nullptr);
}
