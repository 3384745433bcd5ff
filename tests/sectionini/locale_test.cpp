// The engine under a host program that switched to a non-C locale: names
// still fold only in the ASCII letters, numbers follow the locale's
// decimal point.
#include <LibCommonCfg/cinifile.h>

#include "support/files.h"
#include "testlocale.h"

#include <gtest/gtest.h>

#include <cctype>

TEST(CIniLocale, Cp1251Locale)
{
    Cp1251Locale locale;
    LCC_REQUIRE_CP1251_LOCALE(locale);
    // The locale really folds these bytes...
    ASSERT_EQ(std::tolower(0xC0), 0xE0);
    ASSERT_EQ(std::toupper(0xFF), 0xDF);

    // ...the engine does not.
    CIniFile doc;
    doc.Set("\xC0", "\xDF", "upper");
    doc.Set("\xE0", "\xFF", "lower");
    doc.Set("\xE0", "\xDF", "mixed");
    EXPECT_EQ(doc.GetSectionNum(), 2);
    EXPECT_STREQ(doc.Get("\xC0", "\xDF"), "upper");
    EXPECT_EQ(doc.Get("\xC0", "\xFF"), nullptr);
    EXPECT_STREQ(doc.Get("\xE0", "\xFF"), "lower");
    EXPECT_STREQ(doc.Get("\xE0", "\xDF"), "mixed");
    EXPECT_EQ(doc.GetKeyNum(1), 2);

    lcctest::ScratchDir dir;
    const std::string file = dir.write("ru.ini", "[\xC0\xC1] ; \xEA\xE0\xED\xE0\xEB\n"
                                                 "\xC8\xEC\xFF=1\n"
                                                 "\xE8\xEC\xFF=2\n"
                                                 "[\xE0\xE1]\n"
                                                 "x=3\n"
                                                 "[aB]\nx=4\n[Ab]\nx=5\n");
    CIniFile read;
    ASSERT_EQ(read.Read(file.c_str()), 0);
    EXPECT_EQ(read.GetSectionNum(), 3);
    EXPECT_EQ(read.GetKeyNum(0), 2);
    EXPECT_STREQ(read.Get("\xE0\xE1", "x"), "3");
    EXPECT_STREQ(read.Get("AB", "x"), "4");
    EXPECT_STREQ(read.GetSectionComment(0), "\xEA\xE0\xED\xE0\xEB");

    // Decimal numbers follow the locale's decimal point.
    doc.Set("n", "comma", "2,5");
    doc.Set("n", "dot", "2.5");
    double value = 0;
    doc.GetDouble(const_cast<char*>("n"), const_cast<char*>("comma"), &value, -1);
    EXPECT_EQ(value, 2.5);
    doc.GetDouble(const_cast<char*>("n"), const_cast<char*>("dot"), &value, -1);
    EXPECT_EQ(value, 2.0);
}
