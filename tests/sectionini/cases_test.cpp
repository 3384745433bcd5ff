// Runs the cases under tests/cases/sectionini. After its "# " line a case
// holds rows, and maybe the files `in` and `out`:
//   line TEXT => R|sect|comment|key|value   ParseLine ("<null>": a null part)
//   trim TEXT => R|start offset|text        TruncateSpace (-1: start untouched)
//   int TEXT => N, real TEXT => X   GetInt, GetDouble of a key holding TEXT
//                         ("<null>": a null value; defaults -1 and -1.5)
//   set SECT|KEY|VALUE    Set after reading `in` (without |VALUE: a null value)
//   once WHY              the written file is not read back the same
//   locale                the case runs in the Russian Windows-1251 locale
//                         built for the tests (its decimal point is ",")
// With `out`, the bytes of `in` (if any) are read into a document that held
// something, the `set` rows applied, and Write must give `out`; unless the
// case says `once`, reading `out` and writing it again must give `out` again.
#include <LibCommonCfg/cinifile.h>

#include "support/cases.h"
#include "support/files.h"

#include <gtest/gtest.h>

#include <cctype>
#include <clocale>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {

QByteArray part(const char* text)
{
    return text ? QByteArray(text) : QByteArray("<null>");
}

// The engine splits a zero-terminated line of its own in place.
std::vector<char> lineBuffer(const QByteArray& text)
{
    return std::vector<char>(text.constData(), text.constData() + text.size() + 1);
}

QByteArray parsed(const QByteArray& line)
{
    std::vector<char> buffer = lineBuffer(line);
    char* stale = buffer.data(); // every part must be set, a null one too
    char *sect = stale, *comment = stale, *key = stale, *value = stale;
    CIniFile doc;
    const int result = doc.ParseLine(buffer.data(), &sect, &comment, &key, &value);
    // A caller may ask for some parts only.
    std::vector<char> again = lineBuffer(line);
    char* keyOnly = stale;
    EXPECT_EQ(doc.ParseLine(again.data(), nullptr, nullptr, &keyOnly, nullptr), result);
    EXPECT_EQ(part(keyOnly).toStdString(), part(key).toStdString());
    return QByteArray::number(result) + '|' + part(sect) + '|' + part(comment) + '|' + part(key) + '|' +
           part(value);
}

QByteArray trimmed(const QByteArray& text)
{
    std::vector<char> buffer = lineBuffer(text);
    char marker = 0;
    char* start = &marker;
    const int result = CIniFile::TruncateSpace(buffer.data(), &start);
    const int offset = start == &marker ? -1 : static_cast<int>(start - buffer.data());
    return QByteArray::number(result) + '|' + QByteArray::number(offset) + '|' +
           QByteArray(buffer.data() + (offset < 0 ? 0 : offset));
}

// The number GetInt or GetDouble makes of a key holding the text.
QByteArray number(const QByteArray& word, const QByteArray& text)
{
    CIniFile doc;
    doc.Set("n", "k", text == "<null>" ? nullptr : text.constData());
    int integer = 12345;
    double real = 12345;
    doc.GetInt(const_cast<char*>("n"), const_cast<char*>("k"), &integer, -1);
    doc.GetDouble(const_cast<char*>("n"), const_cast<char*>("k"), &real, -1.5);
    return word == "int" ? QByteArray::number(integer) : QByteArray::number(real, 'g', 17);
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

LCC_CASE_TEST(SectionIniCase, "sectionini", "line", "trim", "int", "real", "set", "once", "locale")
{
    ASSERT_TRUE(c.has("line") || c.has("trim") || c.has("int") || c.has("real") || c.hasFile("out"))
        << "the case checks nothing";
    std::optional<CLocaleAtTheEnd> restore;
    if (c.has("locale")) {
        restore.emplace();
        setenv("LOCPATH", LCC_TEST_LOCALE_DIR, 1);
        ASSERT_NE(std::setlocale(LC_ALL, "ru_RU.CP1251"), nullptr)
            << "no ru_RU.CP1251 in " LCC_TEST_LOCALE_DIR " (built at configure time)";
        ASSERT_EQ(std::tolower(0xC0), 0xE0) << "a locale that folds no Cyrillic letters proves nothing";
    }
    for (const auto& row : c.lines) {
        const QByteArray& word = row.first;
        const int arrow = row.second.lastIndexOf(" => ");
        const QByteArray text = row.second.left(arrow);
        const QByteArray got = word == "line"                    ? parsed(text)
                               : word == "trim"                  ? trimmed(text)
                               : word == "int" || word == "real" ? number(word, text)
                                                                 : QByteArray("-");
        if (got != "-") {
            ASSERT_GE(arrow, 0) << "no \" => \" in " << word.constData() << ' ' << row.second.constData();
            EXPECT_EQ(got.toStdString(), row.second.mid(arrow + 4).toStdString())
                << word.constData() << ' ' << text.constData();
        }
    }
    if (!c.hasFile("out")) {
        ASSERT_FALSE(c.hasFile("in")) << "`in` without `out`";
        return;
    }

    lcctest::ScratchDir dir;
    CIniFile doc;
    doc.Set("before", "k", "v");
    if (c.hasFile("in")) {
        ASSERT_EQ(doc.Read(dir.write("in", c.file("in")).c_str()), 0);
    } else {
        doc.Clear();
    }
    for (const QByteArray& row : c.all("set")) {
        const QList<QByteArray> f = row.split('|');
        doc.Set(f.value(0).constData(), f.value(1).constData(), f.size() > 2 ? f[2].constData() : nullptr);
    }
    const QByteArray out = written(doc, dir, "out");
    EXPECT_EQ(out.toStdString(), c.file("out").toStdString());
    if (c.has("once"))
        return;
    CIniFile again;
    ASSERT_EQ(again.Read(dir.path("out").c_str()), 0);
    EXPECT_EQ(written(again, dir, "again").toStdString(), out.toStdString());
}

} // namespace
