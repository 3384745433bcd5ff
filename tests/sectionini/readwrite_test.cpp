// The commented INI text on disk: what Read keeps and drops, the exact bytes
// Write produces (CR LF line ends, as on the device), and round trips.
#include <LibCommonCfg/cinifile.h>

#include "support/files.h"

#include <gtest/gtest.h>

#include <string>

namespace {

QByteArray writeOut(CIniFile& doc, const lcctest::ScratchDir& dir, const char* name = "out.ini")
{
    const std::string file = dir.path(name);
    EXPECT_EQ(doc.Write(file.c_str()), 0);
    return lcctest::ScratchDir::read(file);
}

// Reads the bytes as a file and writes the document back.
QByteArray rewrite(const QByteArray& in)
{
    lcctest::ScratchDir dir;
    CIniFile doc;
    EXPECT_EQ(doc.Read(dir.write("in.ini", in).c_str()), 0);
    return writeOut(doc, dir);
}

} // namespace

TEST(CIniReadWrite, WorkedExample)
{
    const QByteArray in = ";top\n"
                          "\n"
                          "[Main] ; main section\n"
                          "Rate = 5 ; per second\n"
                          "; note\n"
                          "Name=abc\n"
                          "[Main]\n"
                          "Rate=9\n";
    const QByteArray expected = ";top\r\n"
                                "\r\n"
                                "[Main] ;main section\r\n"
                                "   Rate=5 ;per second\r\n"
                                ";note\r\n"
                                "   Name=abc \r\n"
                                "\r\n";
    lcctest::ScratchDir dir;
    CIniFile doc;
    ASSERT_EQ(doc.Read(dir.write("in.ini", in).c_str()), 0);
    EXPECT_EQ(doc.GetSectionNum(), 1);
    EXPECT_STREQ(doc.Get("main", "rate"), "5");
    EXPECT_STREQ(doc.GetSectionComment(0), "main section");
    EXPECT_STREQ(doc.GetKeyComment(0, 0), "per second");
    EXPECT_EQ(doc.GetKeyComment(0, 1), nullptr);
    ASSERT_NE(doc.firstSect, nullptr);
    EXPECT_EQ(doc.firstSect->name, nullptr);
    EXPECT_STREQ(doc.firstSect->comment, "top");
    EXPECT_EQ(doc.firstSect->firstKey, nullptr);

    const QByteArray out = writeOut(doc, dir);
    EXPECT_EQ(out, expected);
    EXPECT_EQ(rewrite(out), expected);
    // The same lines with CR LF ends read the same.
    QByteArray crlf = in;
    crlf.replace("\n", "\r\n");
    EXPECT_EQ(rewrite(crlf), expected);
}

TEST(CIniReadWrite, WhatReadKeepsAndDrops)
{
    const QByteArray in = "orphan=1\n"     // key before the first section: dropped
                          ";x\n"           // comment before it: kept
                          "[ Main ]\n"     // blanks kept in the name
                          "key=\n"         // empty value
                          "k2 = ;c\n"      // empty value with comment
                          "=5\n"           // no key
                          "noequals\n"     // no "="
                          "a=b=c\n"        // value with "="
                          "a;b=c\n"        // key with ";"
                          "KEY=second\n"   // repeated key: first wins
                          "0x10=hex key\n" // a key beginning with "0" is a key
                          "[Main\n"        // no "]": ignored
                          "[]\n"           // empty section name
                          "[ main ]\n"     // repeated section: dropped whole
                          "dropped=1\n"
                          "; dropped note\n"
                          "[Other]\n"
                          "0=zero\n"
                          "[OTHER] ; again\n"
                          "x=1\n";
    lcctest::ScratchDir dir;
    CIniFile doc;
    ASSERT_EQ(doc.Read(dir.write("in.ini", in).c_str()), 0);
    ASSERT_EQ(doc.GetSectionNum(), 3);
    EXPECT_STREQ(doc.GetSectionName(0), " Main ");
    EXPECT_STREQ(doc.GetSectionName(1), "");
    EXPECT_STREQ(doc.GetSectionName(2), "Other");
    EXPECT_EQ(doc.GetKeyNum(0), 5);
    EXPECT_STREQ(doc.Get(" MAIN ", "key"), "");
    char* comment = nullptr;
    EXPECT_STREQ(doc.Get(" Main ", "k2", &comment), "");
    EXPECT_STREQ(comment, "c");
    EXPECT_STREQ(doc.Get(" Main ", "a"), "b=c");
    EXPECT_STREQ(doc.Get(" Main ", "a;b"), "c");
    EXPECT_STREQ(doc.Get(" Main ", "0x10"), "hex key");
    EXPECT_EQ(doc.Get(" Main ", "orphan"), nullptr);
    EXPECT_STREQ(doc.Get("Other", "0"), "zero");
    EXPECT_EQ(doc.Get("Other", "x"), nullptr);
    EXPECT_EQ(doc.GetKeyNum(2), 1);

    EXPECT_EQ(writeOut(doc, dir), QByteArray(";x\r\n"
                                             "\r\n"
                                             "[ Main ] \r\n"
                                             "   key= \r\n"
                                             "   k2= ;c\r\n"
                                             "   a=b=c \r\n"
                                             "   a;b=c \r\n"
                                             "   0x10=hex key \r\n"
                                             "\r\n"
                                             "[] \r\n"
                                             "\r\n"
                                             "[Other] \r\n"
                                             "   0=zero \r\n"
                                             "\r\n"));
}

TEST(CIniReadWrite, WriteFormatsEveryNodeKind)
{
    CIniFile doc;
    doc.firstSect = new CSectList(nullptr, "head");
    doc.Set("S", "k", "x;y");
    doc.Set("S", "n", nullptr);
    doc.Set("S", "pct", "100%s%%");
    doc.GetSect("S")->SetComment("pct", "50%");
    doc.GetSect("S")->SetVal("e", "");
    doc.GetSect("S")->SetVal("lf", "a\nb\r\n");
    doc.CreateSect("Empty");
    CSectList* c = doc.CreateSect("C");
    c->firstKey = new CKeyList(nullptr, nullptr, "only a note");
    c->firstKey->next = new CKeyList(nullptr, "invisible", nullptr);

    lcctest::ScratchDir dir;
    const QByteArray out = writeOut(doc, dir);
    EXPECT_EQ(out, QByteArray(";head\r\n"
                              "\r\n"
                              "[S] \r\n"
                              "   k=x;y \r\n"
                              "   n=(null) \r\n"
                              "   pct=100%s%% ;50%\r\n"
                              "   e= \r\n"
                              "   lf=a\r\nb\r\r\n \r\n"
                              "\r\n"
                              "[Empty] \r\n"
                              "\r\n"
                              "[C] \r\n"
                              ";only a note\r\n"
                              "\r\n"
                              "\r\n"));
    // Nothing is escaped: "x;y" comes back as value and comment.
    CIniFile back;
    ASSERT_EQ(back.Read(dir.path("out.ini").c_str()), 0);
    char* comment = nullptr;
    EXPECT_STREQ(back.Get("S", "k", &comment), "x");
    EXPECT_STREQ(comment, "y");
    EXPECT_STREQ(back.Get("S", "n"), "(null)");
    EXPECT_STREQ(back.Get("S", "pct"), "100%s%%");
}

TEST(CIniReadWrite, FileNamesAndFailures)
{
    lcctest::ScratchDir dir;
    const std::string good = dir.write("good.ini", "[A]\nk=1\n");
    const std::string missing = dir.path("missing.ini");

    CIniFile doc;
    doc.Set("Keep", "k", "v");
    EXPECT_EQ(doc.Read(missing.c_str()), 1);
    EXPECT_STREQ(doc.Get("Keep", "k"), "v");
    // Neither a name nor a default name: nothing to open.
    EXPECT_EQ(doc.Read(nullptr), 1);
    EXPECT_EQ(doc.Write(nullptr), 1);
    EXPECT_STREQ(doc.Get("Keep", "k"), "v");

    // Read replaces the whole document.
    EXPECT_EQ(doc.Read(good.c_str()), 0);
    EXPECT_EQ(doc.GetSectionNum(), 1);
    EXPECT_EQ(doc.Get("Keep", "k"), nullptr);
    EXPECT_STREQ(doc.Get("A", "k"), "1");

    // The document's own name serves when none is given.
    CIniFile named(good);
    EXPECT_EQ(named.Read(), 0);
    EXPECT_STREQ(named.Get("A", "k"), "1");
    named.SetFileName(dir.path("copy.ini"));
    named.Set("A", "k", "2");
    EXPECT_EQ(named.Write(), 0);
    EXPECT_EQ(lcctest::ScratchDir::read(dir.path("copy.ini")), QByteArray("[A] \r\n   k=2 \r\n\r\n"));
    EXPECT_EQ(lcctest::ScratchDir::read(good), QByteArray("[A]\nk=1\n"));

    // Write truncates; an empty document gives an empty file.
    CIniFile empty;
    EXPECT_EQ(empty.Write(dir.path("copy.ini").c_str()), 0);
    EXPECT_EQ(lcctest::ScratchDir::read(dir.path("copy.ini")), QByteArray());

    // An empty file, or blank lines only, gives an empty document.
    for (const char* bytes : {"", "\n\n", " \t\r\n\r\n\n"}) {
        CIniFile blank;
        blank.Set("x", "y", "z");
        EXPECT_EQ(blank.Read(dir.write("blank.ini", bytes).c_str()), 0);
        EXPECT_EQ(blank.firstSect, nullptr);
    }
}

TEST(CIniReadWrite, DeviceFileRoundTrip)
{
    CIniFile doc;
    const std::string file = LCC_TEST_DATA_DIR "/device.ini";
    ASSERT_EQ(doc.Read(file.c_str()), 0);
    const QByteArray original = lcctest::ScratchDir::read(file);
    ASSERT_GT(original.count('\n'), 300);

    EXPECT_EQ(doc.GetSectionNum(), 31);
    EXPECT_STREQ(doc.GetSectionName(0), "main");
    EXPECT_STREQ(doc.GetSectionComment(0), "device identity");
    EXPECT_STREQ(doc.Get("main", "moddate"), "0x5f3a12c0");
    EXPECT_STREQ(doc.Get("ACHAN1", "name"), "U phase A");
    EXPECT_STREQ(doc.Get("achan16", "scale"), "2.5");
    EXPECT_STREQ(doc.Get("dchan8", "invert"), "1");
    EXPECT_STREQ(doc.Get("calcchan4", "formula"), "achan1*achan2=P");
    char* comment = nullptr;
    EXPECT_STREQ(doc.Get("net", "gateway", &comment), "192.168.1.1");
    EXPECT_STREQ(comment, "default route");
    double scale = 0;
    doc.GetDouble(const_cast<char*>("achan16"), const_cast<char*>("scale"), &scale, -1);
    EXPECT_EQ(scale, 2.5);

    lcctest::ScratchDir dir;
    const QByteArray first = writeOut(doc, dir, "first.ini");
    CIniFile again;
    ASSERT_EQ(again.Read(dir.path("first.ini").c_str()), 0);
    const QByteArray second = writeOut(again, dir, "second.ini");
    EXPECT_EQ(first, second);
    EXPECT_GT(first.count('\n'), 300);
    // Every line end is CR LF, and no CR stands anywhere else.
    EXPECT_EQ(first.count('\n'), first.count("\r\n"));
    EXPECT_EQ(first.count('\r'), first.count("\r\n"));
    EXPECT_EQ(again.GetSectionNum(), doc.GetSectionNum());
    for (int s = 0; s < doc.GetSectionNum(); ++s) {
        ASSERT_EQ(again.GetKeyNum(s), doc.GetKeyNum(s)) << s;
        for (int k = 0; k < doc.GetKeyNum(s); ++k) {
            EXPECT_STREQ(again.GetKeyName(s, k), doc.GetKeyName(s, k));
            EXPECT_STREQ(again.GetKeyValue(s, k), doc.GetKeyValue(s, k));
            EXPECT_STREQ(again.GetKeyComment(s, k), doc.GetKeyComment(s, k));
        }
    }
}
