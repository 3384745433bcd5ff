// The in-memory model of the section/key engine: chains in order of
// creation, case-insensitive lookup in the ASCII letters, indices over named
// nodes only, and the null/empty rules of the strings.
#include <LibCommonCfg/cinifile.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Section names in chain order, with "-" for an unnamed node.
std::string chain(const CIniFile& doc)
{
    std::string out;
    for (const CSectList* s = doc.firstSect; s; s = s->next)
        out += std::string(s->name ? s->name : "-") + "(" + (s->comment ? s->comment : "") + ")";
    return out;
}

std::string keys(const CSectList* sect)
{
    std::string out;
    for (const CKeyList* k = sect->firstKey; k; k = k->next)
        out += std::string(k->name ? k->name : "-") + "=" + (k->value ? k->value : "<null>") + ";" +
               (k->comment ? k->comment : "") + " ";
    return out;
}

char* mut(const char* text)
{
    return const_cast<char*>(text);
}

} // namespace

TEST(CIniLists, EmptyDocument)
{
    CIniFile doc;
    EXPECT_EQ(doc.firstSect, nullptr);
    EXPECT_EQ(doc.fileName, nullptr);
    EXPECT_EQ(doc.GetSectionNum(), 0);
    EXPECT_EQ(doc.GetSect(0), nullptr);
    EXPECT_EQ(doc.GetSect("Main"), nullptr);
    EXPECT_EQ(doc.GetKeyNum(0), 0);
    EXPECT_EQ(doc.GetKey(0, 0), nullptr);
    EXPECT_FALSE(doc.FindSection(mut("Main")));
    char marker = 0;
    char* comment = &marker;
    EXPECT_EQ(doc.Get("Main", "Rate", &comment), nullptr);
    EXPECT_EQ(comment, &marker);
    int i = 5;
    doc.GetInt(mut("Main"), mut("Rate"), &i, -3);
    EXPECT_EQ(i, -3);
    double d = 0;
    doc.GetDouble(mut("Main"), mut("Rate"), &d, 1.25);
    EXPECT_EQ(d, 1.25);
}

TEST(CIniLists, FileNames)
{
    CIniFile a("dev.ini");
    ASSERT_NE(a.fileName, nullptr);
    EXPECT_STREQ(a.fileName, "dev.ini");
    CIniFile b(std::string("other.ini"));
    EXPECT_STREQ(b.fileName, "other.ini");
    b.SetFileName("third.ini");
    EXPECT_STREQ(b.fileName, "third.ini");
    CIniFile c(static_cast<const char*>(nullptr));
    EXPECT_EQ(c.fileName, nullptr);

    // The name is a copy, not the caller's buffer.
    char buffer[] = "buf.ini";
    CIniFile d(buffer);
    buffer[0] = 'X';
    EXPECT_STREQ(d.fileName, "buf.ini");
    d.Set("s", "k", "v");
    d.Clear();
    EXPECT_EQ(d.GetSectionNum(), 0);
    EXPECT_EQ(d.firstSect, nullptr);
    EXPECT_STREQ(d.fileName, "buf.ini");
}

TEST(CIniLists, SetFindsCaseInsensitivelyAndKeepsFirstSpelling)
{
    CIniFile doc;
    doc.Set("Main", "Rate", "5");
    ASSERT_EQ(doc.GetSectionNum(), 1);
    EXPECT_EQ(doc.GetKeyNum(0), 1);
    doc.Set("MAIN", "rate", "7");
    EXPECT_EQ(doc.GetSectionNum(), 1);
    EXPECT_EQ(doc.GetKeyNum(0), 1);
    EXPECT_STREQ(doc.GetSectionName(0), "Main");
    EXPECT_STREQ(doc.GetKeyName(0, 0), "Rate");
    EXPECT_STREQ(doc.GetKeyValue(0, 0), "7");
    EXPECT_STREQ(doc.Get("main", "RATE"), "7");

    // Stored strings are copies.
    char value[] = "abc";
    doc.Set("Main", "Name", value);
    value[0] = 'X';
    EXPECT_STREQ(doc.Get("Main", "Name"), "abc");

    // Null and empty values are different states.
    doc.Set("Main", "Empty", "");
    doc.Set("Main", "Null", nullptr);
    ASSERT_NE(doc.Get("Main", "Empty"), nullptr);
    EXPECT_STREQ(doc.Get("Main", "Empty"), "");
    EXPECT_EQ(doc.Get("Main", "Null"), nullptr);
    EXPECT_EQ(doc.GetKeyNum(0), 4);
    EXPECT_EQ(keys(doc.GetSect(0)), "Rate=7; Name=abc; Empty=; Null=<null>; ");

    // Only the ASCII letters fold.
    doc.Set("Main", "\xC0", "upper");
    doc.Set("Main", "\xE0", "lower");
    EXPECT_STREQ(doc.Get("main", "\xC0"), "upper");
    EXPECT_STREQ(doc.Get("main", "\xE0"), "lower");
    doc.Set("Main", "a[", "1");
    EXPECT_EQ(doc.Get("Main", "A{"), nullptr);
    EXPECT_STREQ(doc.Get("Main", "A["), "1");
}

TEST(CIniLists, GetReportsCommentOnlyWhenKeyFound)
{
    CIniFile doc;
    doc.Set("s", "k", "v");
    char marker = 0;
    char* comment = &marker;
    EXPECT_STREQ(doc.Get("s", "k", &comment), "v");
    EXPECT_EQ(comment, nullptr); // found, without comment

    doc.GetSect("s")->SetComment("K", "why");
    comment = &marker;
    EXPECT_STREQ(doc.Get("S", "k", &comment), "v");
    EXPECT_STREQ(comment, "why");

    comment = &marker;
    EXPECT_EQ(doc.Get("s", "missing", &comment), nullptr);
    EXPECT_EQ(comment, &marker);
    EXPECT_EQ(doc.Get("missing", "k", &comment), nullptr);
    EXPECT_EQ(comment, &marker);
    EXPECT_STREQ(doc.Get("s", "k", nullptr), "v");

    // A comment on a missing key creates nothing.
    doc.GetSect("s")->SetComment("new", "c");
    EXPECT_EQ(doc.GetKeyNum(0), 1);
    EXPECT_EQ(doc.GetSect("s")->Get("new"), nullptr);
    doc.GetSect("s")->SetComment("k", nullptr);
    EXPECT_EQ(doc.GetKeyComment(0, 0), nullptr);
}

TEST(CIniLists, IndicesSkipUnnamedNodesAndRejectOutOfRange)
{
    CIniFile doc;
    // Hand-built like a file whose first line is a comment line.
    doc.firstSect = new CSectList(nullptr, "top");
    CSectList* a = doc.CreateSect("A");
    a->firstKey = new CKeyList(nullptr, nullptr, "note");
    a->SetVal("x", "1");
    a->firstKey->next->next = new CKeyList(nullptr, nullptr, "between");
    a->SetVal("y", "2");
    doc.CreateSect("B");

    EXPECT_EQ(chain(doc), "-(top)A()B()");
    EXPECT_EQ(doc.GetSectionNum(), 2);
    EXPECT_STREQ(doc.GetSectionName(0), "A");
    EXPECT_STREQ(doc.GetSectionName(1), "B");
    EXPECT_EQ(doc.GetSectionName(2), nullptr);
    EXPECT_EQ(doc.GetSect(-1), nullptr);
    EXPECT_EQ(doc.GetSect(2), nullptr);
    EXPECT_EQ(doc.GetSectionComment(0), nullptr);
    EXPECT_EQ(doc.GetSectionComment(-1), nullptr);

    EXPECT_EQ(a->GetKeyNum(), 2);
    EXPECT_EQ(doc.GetKeyNum(0), 2);
    EXPECT_EQ(doc.GetKeyNum(1), 0);
    EXPECT_EQ(doc.GetKeyNum(2), 0);
    EXPECT_EQ(doc.GetKeyNum(-1), 0);
    EXPECT_STREQ(doc.GetKeyName(0, 0), "x");
    EXPECT_STREQ(doc.GetKeyValue(0, 1), "2");
    EXPECT_EQ(doc.GetKey(0, 2), nullptr);
    EXPECT_EQ(doc.GetKey(0, -1), nullptr);
    EXPECT_EQ(doc.GetKey(-1, 0), nullptr);
    EXPECT_EQ(doc.GetKeyName(1, 0), nullptr);
    EXPECT_EQ(doc.GetKeyValue(5, 0), nullptr);
    EXPECT_EQ(doc.GetKeyComment(0, 5), nullptr);
    EXPECT_EQ(a->Get(0), a->firstKey->next);
    EXPECT_EQ(a->Get(-1), nullptr);
    EXPECT_EQ(a->Get(2), nullptr);

    // SetVal appends new keys behind the comment lines.
    a->SetVal("z", "3");
    EXPECT_EQ(keys(a), "-=<null>;note x=1; -=<null>;between y=2; z=3; ");
    EXPECT_STREQ(a->GetVal(mut("Z")), "3");
    EXPECT_EQ(a->GetVal(mut("none")), nullptr);

    // Deleting by name steps over the comment nodes, never compares against them.
    doc.DeleteSection("b");
    doc.DeleteSection("missing");
    EXPECT_EQ(chain(doc), "-(top)A()");
    doc.DeleteKey(mut("A"), "X");
    doc.DeleteKey(mut("A"), "y");
    doc.DeleteKey(mut("A"), "z");
    a->DeleteKey("missing");
    EXPECT_EQ(keys(a), "-=<null>;note -=<null>;between ");
}

TEST(CIniLists, CreateSectAppendsOrReturnsExisting)
{
    CIniFile doc;
    CSectList* a = doc.CreateSect("A");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->comment, nullptr);
    EXPECT_EQ(a->firstKey, nullptr);
    a->SetVal("k", "v");
    doc.Set("B", "k", "w");
    doc.CreateSect("C");
    EXPECT_EQ(doc.CreateSect("a"), a);
    EXPECT_STREQ(a->name, "A");
    EXPECT_EQ(a->GetKeyNum(), 1);
    EXPECT_EQ(chain(doc), "A()B()C()");
    EXPECT_EQ(doc.GetSect("b"), doc.GetSect(1));
    EXPECT_TRUE(doc.FindSection(mut("c")));
    EXPECT_FALSE(doc.FindSection(mut("D")));
}

TEST(CIniLists, SwapExchangesNamesOnly)
{
    CIniFile doc;
    doc.firstSect = new CSectList("A", "first");
    doc.Set("A", "x", "1");
    doc.Set("B", "y", "2");
    CSectList* first = doc.GetSect(0);
    CSectList* second = doc.GetSect(1);
    doc.SwapSection(mut("a"), mut("B"));
    EXPECT_EQ(doc.GetSect(0), first);
    EXPECT_STREQ(doc.GetSectionName(0), "B");
    EXPECT_STREQ(doc.GetSectionName(1), "A");
    EXPECT_STREQ(doc.Get("B", "x"), "1");
    EXPECT_STREQ(doc.Get("A", "y"), "2");
    EXPECT_EQ(doc.Get("A", "x"), nullptr);
    EXPECT_EQ(doc.GetSect("A"), second);
    EXPECT_EQ(chain(doc), "B(first)A()");

    doc.SwapSection(mut("A"), mut("missing"));
    doc.SwapSection(mut("missing"), mut("A"));
    EXPECT_STREQ(doc.GetSectionName(0), "B");
    EXPECT_STREQ(doc.GetSectionName(1), "A");
}

TEST(CIniLists, RenameDoesNotCheckForDuplicates)
{
    CIniFile doc;
    doc.Set("A", "x", "1");
    doc.Set("B", "y", "2");
    doc.ChangeSectionName(mut("missing"), mut("Z"));
    EXPECT_EQ(chain(doc), "A()B()");
    doc.ChangeSectionName(mut("b"), mut("a"));
    EXPECT_EQ(chain(doc), "A()a()");
    EXPECT_EQ(doc.GetSectionNum(), 2);
    // Lookups find the first of two equal names.
    EXPECT_STREQ(doc.Get("A", "x"), "1");
    EXPECT_EQ(doc.Get("a", "y"), nullptr);
    EXPECT_STREQ(doc.GetKeyValue(1, 0), "2");
    doc.DeleteSection("A");
    EXPECT_EQ(chain(doc), "a()");
    EXPECT_STREQ(doc.Get("A", "y"), "2");
}

TEST(CIniLists, DeletionUnlinksFirstMatchOnly)
{
    CIniFile doc;
    doc.Set("A", "x", "1");
    doc.Set("A", "y", "2");
    doc.Set("A", "z", "3");
    doc.Set("B", "k", "4");
    doc.Set("C", "k", "5");

    doc.DeleteKey(mut("a"), "Y");
    EXPECT_EQ(keys(doc.GetSect("A")), "x=1; z=3; ");
    doc.DeleteKey(mut("A"), "x");
    EXPECT_EQ(keys(doc.GetSect("A")), "z=3; ");
    doc.DeleteKey(mut("A"), "z");
    EXPECT_EQ(doc.GetSect("A")->firstKey, nullptr);
    doc.DeleteKey(mut("A"), "z");
    doc.DeleteKey(mut("missing"), "k");
    EXPECT_STREQ(doc.Get("B", "k"), "4");
    doc.GetSect("B")->DeleteKey("nothing");
    EXPECT_EQ(doc.GetKeyNum(1), 1);

    doc.DeleteSection("B");
    EXPECT_EQ(chain(doc), "A()C()");
    doc.DeleteSection("missing");
    doc.DeleteSection("A");
    EXPECT_EQ(chain(doc), "C()");
    doc.DeleteSection("C");
    EXPECT_EQ(doc.firstSect, nullptr);
    doc.Set("D", "k", "v");
    EXPECT_EQ(chain(doc), "D()");
}

TEST(CIniLists, NumbersAreConvertedWithoutReportingFailures)
{
    // Numbers convert as far as they read, ints clamped to their range; a
    // null value counts as missing.
    const struct {
        const char* text;
        int number;
    } ints[] = {{"0x10", 0},
                {"abc", 0},
                {"12abc", 12},
                {"  -42", -42},
                {"+7", 7},
                {"", 0},
                {"99999999999", 2147483647},
                {"-99999999999", -2147483647 - 1},
                {nullptr, -1}};
    const struct {
        const char* text;
        double number;
    } doubles[] = {{"1.5e3x", 1500.0}, {"2,5", 2.0}, {"abc", 0.0}, {"12abc", 12.0}, {nullptr, -1.5}};
    CIniFile doc;
    for (const auto& c : ints) {
        SCOPED_TRACE(c.text ? c.text : "<null>");
        doc.Set("n", "k", c.text);
        int out = 12345;
        doc.GetInt(mut("n"), mut("k"), &out, -1);
        EXPECT_EQ(out, c.number);
    }
    for (const auto& c : doubles) {
        SCOPED_TRACE(c.text ? c.text : "<null>");
        doc.Set("n", "k", c.text);
        double out = 12345;
        doc.GetDouble(mut("n"), mut("k"), &out, -1.5);
        EXPECT_EQ(out, c.number);
    }
    int i = 12345;
    doc.GetInt(mut("n"), mut("missing"), &i, -1);
    EXPECT_EQ(i, -1);
    double d = 12345;
    doc.GetDouble(mut("n"), mut("missing"), &d, -1.5);
    EXPECT_EQ(d, -1.5);
}

TEST(CIniLists, NullArgumentsDoNothing)
{
    CIniFile doc;
    doc.Set("A", "x", "1");
    EXPECT_EQ(doc.GetSect(static_cast<const char*>(nullptr)), nullptr);
    EXPECT_FALSE(doc.FindSection(nullptr));
    EXPECT_EQ(doc.CreateSect(nullptr), nullptr);
    doc.Set(nullptr, "k", "v");
    doc.Set("A", nullptr, "v");
    EXPECT_EQ(doc.Get(nullptr, "x"), nullptr);
    EXPECT_EQ(doc.Get("A", nullptr), nullptr);
    doc.DeleteSection(nullptr);
    doc.DeleteKey(nullptr, "x");
    doc.DeleteKey(mut("A"), nullptr);
    doc.SwapSection(nullptr, mut("A"));
    doc.ChangeSectionName(mut("A"), nullptr);
    doc.ChangeSectionName(nullptr, mut("B"));
    doc.GetInt(mut("A"), mut("x"), nullptr, 0);
    doc.GetDouble(mut("A"), mut("x"), nullptr, 0);
    CSectList* a = doc.GetSect("A");
    EXPECT_EQ(a->Get(static_cast<const char*>(nullptr)), nullptr);
    EXPECT_EQ(a->GetVal(nullptr), nullptr);
    a->SetVal(nullptr, "v");
    a->SetComment(nullptr, "c");
    a->DeleteKey(nullptr);
    EXPECT_EQ(chain(doc), "A()");
    EXPECT_EQ(keys(a), "x=1; ");
}
