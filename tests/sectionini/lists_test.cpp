// The in-memory model of the section/key engine: chains in order of
// creation, lookup that folds the ASCII letters only, indices over named
// nodes only, the null/empty rules of the strings, and calls that find
// nothing to act on.
#include <LibCommonCfg/cinifile.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string text(const char* p)
{
    return p ? p : "<null>";
}

// Every node in chain order: "name(comment){key=value;comment ...}", "-"
// for a null name.
std::string dump(const CIniFile& doc)
{
    std::string out;
    for (const CSectList* s = doc.firstSect; s; s = s->next) {
        out += (s->name ? s->name : "-") + ("(" + text(s->comment) + "){");
        for (const CKeyList* k = s->firstKey; k; k = k->next)
            out += (k->name ? k->name : "-") + ("=" + text(k->value) + ";" + text(k->comment) + " ");
        out += "}";
    }
    return out;
}

// The same through the index accessors, which see the named nodes only;
// an index out of range on either side finds nothing.
std::string indexed(CIniFile& doc)
{
    std::string out;
    const int sects = doc.GetSectionNum();
    for (int s : {-1, sects}) {
        EXPECT_EQ(doc.GetSect(s), nullptr);
        EXPECT_EQ(doc.GetSectionName(s), nullptr);
        EXPECT_EQ(doc.GetSectionComment(s), nullptr);
        EXPECT_EQ(doc.GetKeyNum(s), 0);
        EXPECT_EQ(doc.GetKeyName(s, 0), nullptr);
    }
    for (int s = 0; s < sects; ++s) {
        const int keys = doc.GetKeyNum(s);
        EXPECT_EQ(doc.GetSect(s)->GetKeyNum(), keys);
        for (int k : {-1, keys}) {
            EXPECT_EQ(doc.GetSect(s)->Get(k), nullptr);
            EXPECT_EQ(doc.GetKeyName(s, k), nullptr);
            EXPECT_EQ(doc.GetKeyValue(s, k), nullptr);
            EXPECT_EQ(doc.GetKeyComment(s, k), nullptr);
        }
        out += text(doc.GetSectionName(s)) + "(" + text(doc.GetSectionComment(s)) + "){";
        for (int k = 0; k < keys; ++k) {
            EXPECT_EQ(doc.GetKey(s, k), doc.GetSect(s)->Get(k));
            out += text(doc.GetKeyName(s, k)) + "=" + text(doc.GetKeyValue(s, k)) + ";" +
                   text(doc.GetKeyComment(s, k)) + " ";
        }
        out += "}";
    }
    return out;
}

char* mut(const char* t)
{
    return const_cast<char*>(t);
}

} // namespace

TEST(CIniLists, EmptyDocumentAndFileName)
{
    CIniFile doc;
    EXPECT_EQ(indexed(doc), "");
    EXPECT_EQ(doc.fileName, nullptr);
    EXPECT_FALSE(doc.FindSection(mut("Main")));
    char marker = 0;
    char* comment = &marker;
    EXPECT_EQ(doc.Get("Main", "Rate", &comment), nullptr);
    EXPECT_EQ(comment, &marker);

    char buffer[] = "buf.ini"; // the name is a copy, not the caller's buffer
    CIniFile named(buffer);
    buffer[0] = 'X';
    named.Set("s", "k", "v");
    named.Clear();
    EXPECT_EQ(dump(named), "");
    EXPECT_STREQ(named.fileName, "buf.ini");
    named.SetFileName("third.ini");
    EXPECT_STREQ(named.fileName, "third.ini");
    EXPECT_STREQ(CIniFile(std::string("other.ini")).fileName, "other.ini");
    EXPECT_EQ(CIniFile(static_cast<const char*>(nullptr)).fileName, nullptr);
}

TEST(CIniLists, SetAndGetFoldAsciiLettersOnly)
{
    CIniFile doc;
    doc.Set("Main", "Rate", "5");
    doc.Set("MAIN", "rate", "7"); // the same key: the first spelling stays
    char value[] = "abc";         // stored strings are copies
    doc.Set("Main", "Name", value);
    value[0] = 'X';
    doc.Set("Main", "Empty", "");
    doc.Set("Main", "Null", nullptr);
    doc.Set("Main", "\xC0", "upper");
    doc.Set("Main", "\xE0", "lower");
    doc.Set("Main", "a[", "1");
    const std::string keys =
        "Rate=7;<null> Name=abc;<null> Empty=;<null> Null=<null>;<null> \xC0=upper;<null> "
        "\xE0=lower;<null> a[=1;<null> ";
    EXPECT_EQ(dump(doc), "Main(<null>){" + keys + "}");
    EXPECT_EQ(indexed(doc), dump(doc));
    EXPECT_STREQ(doc.Get("main", "RATE"), "7");
    EXPECT_STREQ(doc.Get("main", "\xC0"), "upper");
    EXPECT_STREQ(doc.Get("main", "\xE0"), "lower");
    EXPECT_STREQ(doc.Get("Main", "A["), "1");
    EXPECT_EQ(doc.Get("Main", "A{"), nullptr);

    // The comment is reported only when the key is found.
    char marker = 0;
    char* comment = &marker;
    EXPECT_STREQ(doc.Get("Main", "Rate", &comment), "7");
    EXPECT_EQ(comment, nullptr);
    doc.GetSect("main")->SetComment("RATE", "why");
    EXPECT_STREQ(doc.Get("MAIN", "Rate", &comment), "7");
    EXPECT_STREQ(comment, "why");
    comment = &marker;
    EXPECT_EQ(doc.Get("Main", "missing", &comment), nullptr);
    EXPECT_EQ(doc.Get("missing", "Rate", &comment), nullptr);
    EXPECT_EQ(comment, &marker);
    doc.GetSect("Main")->SetComment("new", "c"); // creates nothing
    doc.GetSect("Main")->SetComment("Name", "n");
    doc.GetSect("Main")->SetComment("Name", nullptr);
    EXPECT_EQ(dump(doc), "Main(<null>){Rate=7;why " + keys.substr(keys.find("Name")) + "}");
}

TEST(CIniLists, IndicesAndLookupsSkipCommentNodes)
{
    // As Read makes it of ";top", "[A]", "; note", "x=1", "; between",
    // "y=2", "[B]".
    CIniFile doc;
    doc.firstSect = new CSectList(nullptr, "top");
    CSectList* a = doc.CreateSect("A");
    a->firstKey = new CKeyList(nullptr, nullptr, "note");
    a->SetVal("x", "1");
    a->firstKey->next->next = new CKeyList(nullptr, nullptr, "between");
    a->SetVal("y", "2");
    doc.CreateSect("B");
    EXPECT_EQ(indexed(doc), "A(<null>){x=1;<null> y=2;<null> }B(<null>){}");
    EXPECT_EQ(doc.GetSect("b"), doc.GetSect(1));
    EXPECT_TRUE(doc.FindSection(mut("b")));
    EXPECT_FALSE(doc.FindSection(mut("top")));
    EXPECT_EQ(a->Get("Y"), doc.GetKey(0, 1));
    EXPECT_STREQ(a->GetVal(mut("X")), "1");
    EXPECT_EQ(a->GetVal(mut("none")), nullptr);

    // New keys go behind the comment lines; deletion steps over them.
    a->SetVal("z", "3");
    EXPECT_EQ(
        dump(doc),
        "-(top){}A(<null>){-=<null>;note x=1;<null> -=<null>;between y=2;<null> z=3;<null> }B(<null>){}");
    doc.DeleteSection("b");
    doc.DeleteSection("missing");
    doc.DeleteKey(mut("A"), "Y");
    a->DeleteKey("missing");
    EXPECT_EQ(dump(doc), "-(top){}A(<null>){-=<null>;note x=1;<null> -=<null>;between z=3;<null> }");
    doc.DeleteKey(mut("a"), "X");
    a->DeleteKey("z");
    EXPECT_EQ(dump(doc), "-(top){}A(<null>){-=<null>;note -=<null>;between }");
}

TEST(CIniLists, CreateSwapRenameDelete)
{
    CIniFile doc;
    doc.firstSect = new CSectList("A", "first");
    doc.Set("A", "x", "1");
    doc.Set("B", "y", "2");
    CSectList* c = doc.CreateSect("C");
    EXPECT_EQ(doc.CreateSect("c"), c);
    EXPECT_EQ(doc.CreateSect("a"), doc.firstSect);
    EXPECT_EQ(dump(doc), "A(first){x=1;<null> }B(<null>){y=2;<null> }C(<null>){}");

    // Swapping exchanges the names only.
    doc.SwapSection(mut("a"), mut("B"));
    doc.SwapSection(mut("A"), mut("missing"));
    doc.SwapSection(mut("missing"), mut("A"));
    EXPECT_EQ(dump(doc), "B(first){x=1;<null> }A(<null>){y=2;<null> }C(<null>){}");

    // Renaming does not check the other names; lookups find the first.
    doc.ChangeSectionName(mut("missing"), mut("Z"));
    doc.ChangeSectionName(mut("c"), mut("a"));
    EXPECT_EQ(indexed(doc), "B(first){x=1;<null> }A(<null>){y=2;<null> }a(<null>){}");
    EXPECT_EQ(doc.GetSect("A"), doc.GetSect(1));

    // Deletion unlinks the first match only, inside the chain and at its head.
    doc.DeleteSection("a");
    EXPECT_EQ(dump(doc), "B(first){x=1;<null> }a(<null>){}");
    doc.Set("a", "k", "v");
    doc.DeleteSection("B");
    doc.DeleteKey(mut("missing"), "k");
    EXPECT_EQ(dump(doc), "a(<null>){k=v;<null> }");
    doc.DeleteKey(mut("A"), "k");
    doc.DeleteKey(mut("A"), "k");
    EXPECT_EQ(dump(doc), "a(<null>){}");
    doc.DeleteSection("A");
    EXPECT_EQ(doc.firstSect, nullptr);
    doc.Set("D", "k", "v");
    EXPECT_EQ(dump(doc), "D(<null>){k=v;<null> }");
}

TEST(CIniLists, NullArgumentsDoNothing)
{
    CIniFile doc;
    doc.Set("A", "x", "1");
    EXPECT_EQ(doc.CreateSect(nullptr), nullptr);
    doc.Set(nullptr, "k", "v");
    doc.Set("A", nullptr, "v");
    EXPECT_EQ(doc.Get(nullptr, "x"), nullptr);
    EXPECT_EQ(doc.Get("A", nullptr), nullptr);
    doc.DeleteSection(nullptr);
    doc.DeleteKey(mut("A"), nullptr);
    doc.SwapSection(nullptr, mut("A"));
    doc.ChangeSectionName(mut("A"), nullptr);
    doc.ChangeSectionName(nullptr, mut("B"));
    doc.GetInt(mut("A"), mut("x"), nullptr, 0);
    doc.GetDouble(mut("A"), mut("x"), nullptr, 0);
    doc.GetSect("A")->SetVal(nullptr, "v");
    doc.GetSect("A")->SetComment(nullptr, "c");
    EXPECT_EQ(dump(doc), "A(<null>){x=1;<null> }");
    char* part = nullptr;
    EXPECT_EQ(doc.ParseLine(nullptr, &part, &part, &part, &part), 1);
    EXPECT_EQ(CIniFile::TruncateSpace(nullptr, &part), 1);
}
