// Runs the cases under tests/cases/sectionini. The file `in`, when a case
// has one, is read into a document that held something; the case's rows then
// run in order on it, and with `out`, Write must give `out` and, unless the
// case says `once`, reading `out` and writing it again must give `out` again.
// Row fields are split at "|", "<null>" is a null string, "=> R" is what the
// row must give, and I the index of a node among the named ones (-1: none):
//   line TEXT => R|sect|comment|key|value   ParseLine
//   trim TEXT => R|start offset|text        TruncateSpace (-1: start untouched)
//   int SECT|KEY => N, real SECT|KEY => X   GetInt, GetDouble (defaults -1
//                         and -1.5)
//   set SECT|KEY[|VALUE]  Set (without |VALUE: a null value)
//   create NAME => I      CreateSect
//   sect NAME => I        GetSect, which FindSection must agree with
//   key SECT|KEY => I|V   the section's Get and GetVal
//   get SECT|KEY => V|C   Get with its comment ("~": left untouched)
//   delete SECT[|KEY]     DeleteSection or DeleteKey
//   swap A|B, rename OLD|NEW, comment SECT|KEY|TEXT (the section's
//                         SetComment), clear
//   dump => NODES         every node in chain order,
//                         "name(comment){key=value;comment ...}" ("-": no
//                         name); the index accessors must show the named
//                         ones alike, and find nothing out of range
//   read NAME => R, write NAME => R   Read, Write of the scratch file NAME
//                         ("<null>": none given, so the document's own name)
//   name NAME             SetFileName to the scratch file NAME
//   file NAME => BYTES    the bytes of the scratch file NAME ("<unreadable>")
//   once                  the written file is not read back the same
//   locale                the case runs in the Russian Windows-1251 locale
//                         built for the tests (its decimal point is ",")
#include <LibCommonCfg/cinifile.h>

#include "support/cases.h"
#include "support/files.h"

#include <gtest/gtest.h>

#include <cctype>
#include <clocale>
#include <cstdlib>
#include <optional>
#include <random>
#include <set>
#include <string>

namespace {

QByteArray part(const char* text)
{
    return text ? QByteArray(text) : QByteArray("<null>");
}

// ParseLine and TruncateSpace split a zero-terminated line of their own in
// place.
QByteArray parsed(QByteArray line)
{
    QByteArray again = line;
    char* stale = line.data(); // every part must be set, a null one too
    char *sect = stale, *comment = stale, *key = stale, *value = stale;
    CIniFile doc;
    const int result = doc.ParseLine(line.data(), &sect, &comment, &key, &value);
    // A caller may ask for some parts only.
    char* keyOnly = stale;
    EXPECT_EQ(doc.ParseLine(again.data(), nullptr, nullptr, &keyOnly, nullptr), result);
    EXPECT_EQ(part(keyOnly).toStdString(), part(key).toStdString());
    return QByteArray::number(result) + '|' + part(sect) + '|' + part(comment) + '|' + part(key) + '|' +
           part(value);
}

QByteArray trimmed(QByteArray text)
{
    char* buffer = text.data();
    char marker = 0;
    char* start = &marker;
    const int result = CIniFile::TruncateSpace(buffer, &start);
    const int offset = start == &marker ? -1 : static_cast<int>(start - buffer);
    return QByteArray::number(result) + '|' + QByteArray::number(offset) + '|' +
           QByteArray(buffer + (offset < 0 ? 0 : offset));
}

// The index of `node` among the nodes `at` gives for 0, 1, ...; -1 for none.
template <typename At> QByteArray indexOf(const void* node, At at)
{
    int i = 0;
    while (at(i) && at(i) != node)
        ++i;
    return QByteArray::number(node && at(i) ? i : -1);
}

QByteArray chain(const CIniFile& doc, bool namedOnly)
{
    QByteArray out;
    for (const CSectList* s = doc.firstSect; s; s = s->next) {
        if (namedOnly && !s->name)
            continue;
        out += (s->name ? s->name : "-") + ("(" + part(s->comment) + "){");
        for (const CKeyList* k = s->firstKey; k; k = k->next) {
            if (!namedOnly || k->name)
                out += (k->name ? k->name : "-") + ("=" + part(k->value) + ";" + part(k->comment) + " ");
        }
        out += "}";
    }
    return out;
}

// The named nodes through the index accessors, which find nothing out of
// range.
QByteArray indexed(CIniFile& doc)
{
    QByteArray out;
    const int sects = doc.GetSectionNum();
    EXPECT_TRUE(!doc.GetSect(-1) && !doc.GetSect(sects) && !doc.GetSectionName(sects) &&
                !doc.GetSectionComment(-1) && doc.GetKeyNum(-1) == 0 && doc.GetKeyNum(sects) == 0 &&
                !doc.GetKeyName(sects, 0))
        << "a section out of range";
    for (int s = 0; s < sects; ++s) {
        CSectList* sect = doc.GetSect(s);
        const int keys = doc.GetKeyNum(s);
        EXPECT_TRUE(sect->GetKeyNum() == keys && !sect->Get(-1) && !sect->Get(keys) &&
                    !doc.GetKeyName(s, keys) && !doc.GetKeyValue(s, -1) && !doc.GetKeyComment(s, keys))
            << "a key out of range in section " << s;
        out += part(doc.GetSectionName(s)) + "(" + part(doc.GetSectionComment(s)) + "){";
        for (int k = 0; k < keys; ++k) {
            EXPECT_EQ(doc.GetKey(s, k), sect->Get(k));
            out += part(doc.GetKeyName(s, k)) + "=" + part(doc.GetKeyValue(s, k)) + ";" +
                   part(doc.GetKeyComment(s, k)) + " ";
        }
        out += "}";
    }
    return out;
}

// What a row does to the document and gives, if anything.
std::optional<QByteArray> apply(CIniFile& doc, const lcctest::ScratchDir& dir, const QByteArray& word,
                                const QByteArray& text)
{
    if (word == "line")
        return parsed(text);
    if (word == "trim")
        return trimmed(text);
    QList<QByteArray> f = text.split('|');
    char* a[3] = {};
    for (int i = 0; i < f.size() && i < 3; ++i)
        a[i] = f[i] == "<null>" ? nullptr : f[i].data();
    CSectList* sect = doc.GetSect(a[0]);
    const auto sectAt = [&doc](int i) { return doc.GetSect(i); };
    const std::string path = a[0] && *a[0] ? dir.path(a[0]) : std::string();
    std::optional<QByteArray> got;
    char marker = 0;
    char* comment = &marker;
    if (word == "set") {
        doc.Set(a[0], a[1], a[2]);
    } else if (word == "int" || word == "real") {
        int integer = 12345;
        double real = 12345;
        doc.GetInt(a[0], a[1], &integer, -1);
        doc.GetDouble(a[0], a[1], &real, -1.5);
        got = word == "int" ? QByteArray::number(integer) : QByteArray::number(real, 'g', 17);
    } else if (word == "create") {
        got = indexOf(doc.CreateSect(a[0]), sectAt);
    } else if (word == "sect") {
        got = indexOf(sect, sectAt);
        EXPECT_EQ(doc.FindSection(a[0]), sect != nullptr) << "FindSection " << text.constData();
    } else if (word == "key" && sect) {
        got =
            indexOf(sect->Get(a[1]), [sect](int i) { return sect->Get(i); }) + '|' + part(sect->GetVal(a[1]));
    } else if (word == "get") {
        got = part(doc.Get(a[0], a[1], &comment));
        *got += '|' + (comment == &marker ? QByteArray("~") : part(comment));
    } else if (word == "delete") {
        f.size() > 1 ? doc.DeleteKey(a[0], a[1]) : doc.DeleteSection(a[0]);
    } else if (word == "swap") {
        doc.SwapSection(a[0], a[1]);
    } else if (word == "rename") {
        doc.ChangeSectionName(a[0], a[1]);
    } else if (word == "comment" && sect) {
        sect->SetComment(a[1], a[2]);
    } else if (word == "read" || word == "write") {
        got = QByteArray::number(word == "read" ? doc.Read(a[0] ? path.c_str() : nullptr)
                                                : doc.Write(a[0] ? path.c_str() : nullptr));
    } else if (word == "name") {
        doc.SetFileName(path);
    } else if (word == "file") {
        got = lcctest::ScratchDir::read(path);
    } else if (word == "clear") {
        doc.Clear();
    } else if (word == "dump") {
        got = chain(doc, false);
        EXPECT_EQ(indexed(doc).toStdString(), chain(doc, true).toStdString()) << "through the indices";
    } else if (word != "once" && word != "locale") {
        ADD_FAILURE() << "no section " << text.constData();
    }
    for (QByteArray& field : f)
        field.fill('X'); // what the engine keeps must be its own copies
    return got;
}

struct CLocaleAtTheEnd {
    ~CLocaleAtTheEnd() { std::setlocale(LC_ALL, "C"); }
};

QByteArray written(CIniFile& doc, const lcctest::ScratchDir& dir, const char* name)
{
    const std::string file = dir.path(name);
    EXPECT_EQ(doc.Write(file.c_str()), 0);
    return lcctest::ScratchDir::read(file);
}

LCC_CASE_TEST(SectionIniCase, "sectionini", "line", "trim", "int", "real", "set", "create", "sect", "key",
              "get", "delete", "swap", "rename", "comment", "clear", "dump", "read", "write", "name", "file",
              "once", "locale")
{
    std::optional<CLocaleAtTheEnd> restore;
    if (c.has("locale")) {
        restore.emplace();
        setenv("LOCPATH", LCC_TEST_LOCALE_DIR, 1);
        ASSERT_NE(std::setlocale(LC_ALL, "ru_RU.CP1251"), nullptr)
            << "no ru_RU.CP1251 in " LCC_TEST_LOCALE_DIR " (built at configure time)";
        ASSERT_EQ(std::tolower(0xC0), 0xE0) << "a locale that folds no Cyrillic letters proves nothing";
    }
    lcctest::ScratchDir dir;
    CIniFile doc;
    doc.Set("before", "k", "v");
    if (c.hasFile("in")) {
        ASSERT_EQ(doc.Read(dir.write("in", c.file("in")).c_str()), 0);
    } else {
        doc.Clear();
    }
    int checks = c.hasFile("out");
    for (const auto& row : c.lines) {
        const QByteArray line = ' ' + row.second;
        const int arrow = line.lastIndexOf(" => ");
        const std::optional<QByteArray> got =
            apply(doc, dir, row.first, line.mid(1, arrow < 0 ? -1 : arrow - 1));
        SCOPED_TRACE(row.first.toStdString() + row.second.toStdString());
        ASSERT_EQ(got.has_value(), arrow >= 0) << "\" => \" where a row gives something, and only there";
        checks += got.has_value();
        EXPECT_EQ(got.value_or("").toStdString(), got ? line.mid(arrow + 4).toStdString() : "");
    }
    ASSERT_GT(checks, 0) << "the case checks nothing";
    if (!c.hasFile("out"))
        return;
    const QByteArray out = written(doc, dir, "out");
    EXPECT_EQ(out.toStdString(), c.file("out").toStdString());
    if (c.has("once"))
        return;
    CIniFile again;
    ASSERT_EQ(again.Read(dir.path("out").c_str()), 0);
    EXPECT_EQ(written(again, dir, "again").toStdString(), out.toStdString());
}

// What no row can say: a null line, nowhere to put a number, a key without
// a name given to the section itself, the file name's copy, and nodes a
// program makes itself with some strings only, as comment lines are.
TEST(CIniLists, WhatNoRowCanSay)
{
    char buffer[] = "buf.ini";
    CIniFile doc(buffer);
    buffer[0] = 'X';
    EXPECT_STREQ(doc.fileName, "buf.ini");
    EXPECT_EQ(CIniFile(static_cast<const char*>(nullptr)).fileName, nullptr);
    EXPECT_STREQ(CIniFile(std::string("other.ini")).fileName, "other.ini");
    doc.Set("A", "x", "1");
    doc.GetInt(const_cast<char*>("A"), const_cast<char*>("x"), nullptr, 0);
    doc.GetDouble(const_cast<char*>("A"), const_cast<char*>("x"), nullptr, 0);
    doc.GetSect("A")->SetVal(nullptr, "v");
    EXPECT_EQ(doc.GetKeyNum(0), 1);
    char* part = nullptr;
    EXPECT_EQ(doc.ParseLine(nullptr, &part, &part, &part, &part), 1);
    EXPECT_EQ(CIniFile::TruncateSpace(nullptr, &part), 1);
    EXPECT_STREQ(CKeyList(nullptr, nullptr, "note").comment, "note");
    EXPECT_STREQ(CKeyList(nullptr, "v", nullptr).value, "v");
    EXPECT_STREQ(CSectList(nullptr, "top").comment, "top");
}

// Read keeps the first of every section, and inside a section the first of
// every key, among names equal but for the case of the ASCII letters; the
// bytes 0xC0-0xFF (Cyrillic letters on the device) never fold, and comment
// lines go with the section they stand in. Checked on generated files, some
// with sections and keys enough to make the reader's name tables grow many
// times.
TEST(CIniRepeats, FirstOfEveryFoldedNameWins)
{
    for (unsigned seed = 1977; seed < 1977 + 16; ++seed) {
        std::mt19937 gen(seed);
        const unsigned sects = 1 + gen() % 3000, keys = 1 + gen() % 600, headerEvery = 1 + gen() % 400;
        const unsigned lines = seed < 1977 + 12 ? 1 + gen() % 300 : 30000;
        std::string in, expected; // what chain() must show after Read
        std::set<std::string> sectsSeen, keysSeen;
        bool open = false, keeping = false;
        for (unsigned i = 0; i < lines; ++i) {
            static const char* const tails[] = {"", "\xC1", "\xE1"};
            const bool header = gen() % headerEvery == 0;
            const unsigned pick = gen() % (header ? sects : keys);
            const std::string number = std::to_string(i),
                              folded = (header ? "sect" : "key") + std::to_string(pick) + tails[gen() % 3];
            std::string name = folded;
            for (char& ch : name)
                ch = gen() % 2 && ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch;
            if (header) {
                in += "[" + name + "]\n";
                keeping = sectsSeen.insert(folded).second;
                if (keeping) {
                    expected += (open ? "}" : "") + name + "(<null>){";
                    open = true;
                    keysSeen.clear();
                }
            } else if (gen() % 10 == 0) {
                in += ";n" + number + "\n";
                expected += !open ? "-(n" + number + "){}" : keeping ? "-=<null>;n" + number + " " : "";
            } else {
                in += name + "=" + number + "\n";
                if (keeping && keysSeen.insert(folded).second)
                    expected += name + "=" + number + ";<null> ";
            }
        }
        expected += open ? "}" : "";
        lcctest::ScratchDir dir;
        CIniFile doc;
        ASSERT_EQ(doc.Read(dir.write("in.ini", QByteArray::fromStdString(in)).c_str()), 0);
        EXPECT_EQ(chain(doc, false).toStdString(), expected)
            << "seed " << seed << (in.size() < 3000 ? ", input:\n" + in : std::string());
    }
}

} // namespace
