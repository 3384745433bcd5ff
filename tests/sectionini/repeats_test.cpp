// Repeated sections and keys in large files: the first occurrence wins, the
// names compare equal when they differ only in ASCII letter case, and the
// bytes 0xC0-0xFF (Cyrillic letters on the device) never fold.
#include <LibCommonCfg/cinifile.h>

#include "support/files.h"

#include <gtest/gtest.h>

#include <string>

namespace {

QByteArray readAndWrite(CIniFile& doc, const QByteArray& in)
{
    lcctest::ScratchDir dir;
    EXPECT_EQ(doc.Read(dir.write("in.ini", in).c_str()), 0);
    const std::string out = dir.path("out.ini");
    EXPECT_EQ(doc.Write(out.c_str()), 0);
    return lcctest::ScratchDir::read(out);
}

} // namespace

TEST(CIniRepeats, AsciiCaseFoldsHighBytesDoNot)
{
    const QByteArray in = "[Alpha]\n"
                          "k=1\n"
                          "K=2\n" // repeat of k
                          "kEy=3\n"
                          "[ALPHA]\n" // repeat of Alpha: dropped whole
                          "x=9\n"
                          "[\xC0z]\n" // capital A in cp1251
                          "v=1\n"
                          "\xC9=1\n" // capital I short
                          "\xE9=2\n" // small i short: another key
                          "\xD7=3\n" // 0xD7/0xF7: no case pair in ASCII
                          "\xF7=4\n"
                          "\xC9=5\n"  // true repeat of 0xC9
                          "[\xE0z]\n" // small a: another section
                          "v=2\n"
                          "[\xE0Z]\n" // ASCII letter differs in case: repeat
                          "v=3\n"
                          "[alpha]\n" // late repeat of Alpha
                          "k=7\n"
                          "[Beta]\n"
                          "KEY=b\n"
                          "key=c\n";
    const QByteArray expected = "[Alpha] \r\n"
                                "   k=1 \r\n"
                                "   kEy=3 \r\n"
                                "\r\n"
                                "[\xC0z] \r\n"
                                "   v=1 \r\n"
                                "   \xC9=1 \r\n"
                                "   \xE9=2 \r\n"
                                "   \xD7=3 \r\n"
                                "   \xF7=4 \r\n"
                                "\r\n"
                                "[\xE0z] \r\n"
                                "   v=2 \r\n"
                                "\r\n"
                                "[Beta] \r\n"
                                "   KEY=b \r\n"
                                "\r\n";
    CIniFile doc;
    EXPECT_EQ(readAndWrite(doc, in), expected);
    ASSERT_EQ(doc.GetSectionNum(), 4);
    EXPECT_STREQ(doc.GetSectionName(1), "\xC0z");
    EXPECT_STREQ(doc.GetSectionName(2), "\xE0z");
    EXPECT_EQ(doc.GetKeyNum(1), 5);
    EXPECT_STREQ(doc.GetKeyValue(2, 0), "2");
}

TEST(CIniRepeats, ManySectionsAndKeys)
{
    // Sections s0..s(N-1) of K keys; then every section again under its
    // upper-case name with other values, and inside each section every key
    // again in upper case. Section names also differ in a high byte, which
    // must keep both variants.
    const int sections = 3000;
    const int keys = 6;
    QByteArray in;
    QByteArray expected;
    for (int s = 0; s < sections; ++s) {
        const QByteArray name = "sect" + QByteArray::number(s);
        for (const char high : {'\xC1', '\xE1'}) {
            in += "[" + name + high + "]\n";
            expected += "[" + name + high + "] \r\n";
            for (int k = 0; k < keys; ++k) {
                const QByteArray key = "key" + QByteArray::number(k);
                const QByteArray value = QByteArray::number(s * 100 + k) + high;
                in += key + "=" + value + "\n";
                in += key.toUpper() + "=late\n";
                expected += "   " + key + "=" + value + " \r\n";
            }
            expected += "\r\n";
        }
    }
    for (int s = 0; s < sections; ++s) {
        in += "[SECT" + QByteArray::number(s) + "\xC1]\nkey0=dropped\nnew=dropped\n";
        in += "[Sect" + QByteArray::number(s) + "\xE1]\nkey9=dropped\n";
    }

    CIniFile doc;
    const QByteArray out = readAndWrite(doc, in);
    ASSERT_EQ(doc.GetSectionNum(), 2 * sections);
    for (int i = 0; i < doc.GetSectionNum(); i += 997) {
        EXPECT_EQ(doc.GetKeyNum(i), keys) << i;
        EXPECT_EQ(std::string(doc.GetKeyValue(i, 0)),
                  std::to_string((i / 2) * 100) + ((i % 2) ? '\xE1' : '\xC1'));
    }
    EXPECT_STREQ(doc.Get("SECT2999\xC1", "KEY5"), "299905\xC1");
    EXPECT_EQ(doc.Get("sect10\xC1", "new"), nullptr);
    EXPECT_EQ(out.size(), expected.size());
    EXPECT_TRUE(out == expected);
}

TEST(CIniRepeats, KeyNamesStartAfreshInEverySection)
{
    // A section large enough to make the reader's name table grow, then
    // sections that reuse its key names: each section checks its own keys
    // only, and a repeat inside a later section is still dropped.
    QByteArray in = "[big]\n";
    for (int k = 0; k < 200; ++k)
        in += "k" + QByteArray::number(k) + "=" + QByteArray::number(k) + "\n";
    in += "[next]\nk0=a\nK150=b\nk0=repeat\nk199=c\n[BIG]\nk0=dropped\n[last]\nK150=d\nk150=repeat\n";

    CIniFile doc;
    readAndWrite(doc, in);
    ASSERT_EQ(doc.GetSectionNum(), 3);
    EXPECT_EQ(doc.GetKeyNum(0), 200);
    EXPECT_STREQ(doc.Get("big", "k150"), "150");
    EXPECT_EQ(doc.GetKeyNum(1), 3);
    EXPECT_STREQ(doc.Get("next", "k0"), "a");
    EXPECT_STREQ(doc.Get("next", "k150"), "b");
    EXPECT_STREQ(doc.Get("next", "k199"), "c");
    EXPECT_EQ(doc.GetKeyNum(2), 1);
    EXPECT_STREQ(doc.Get("last", "k150"), "d");
}
