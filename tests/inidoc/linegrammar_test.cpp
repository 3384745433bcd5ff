// The reader's hand-written line classifier against the regular
// expressions that define the grammar.
#include "inidoc/linegrammar.h"
#include "regexlinegrammar.h"

#include <gtest/gtest.h>

using LibCommonCfg::internal::classifyLine;
using LibCommonCfg::internal::IniLine;

namespace {

struct Case {
    QString line;
    IniLine::Kind kind;
    const char* name;
    const char* value;
};

QString utf8(const char* text)
{
    return QString::fromUtf8(text);
}

QString withChar(const char* before, ushort c, const char* after)
{
    return utf8(before) + QChar(c) + utf8(after);
}

} // namespace

TEST(IniLineGrammar, AgreesWithTheRegularExpressions)
{
    const QString pair = QString(QChar(0xD835)) + QChar(0xDC00);
    const Case cases[] = {
        {utf8(""), IniLine::Empty, "", ""},
        {utf8("  \t "), IniLine::Empty, "", ""},
        {utf8("; only a comment"), IniLine::Empty, "", ""},
        {utf8("[main]"), IniLine::Section, "main", ""},
        {utf8("  [main]  ; comment"), IniLine::Section, "main", ""},
        {utf8("[a.b_1]"), IniLine::Section, "a.b_1", ""},
        {utf8("[Main]\r"), IniLine::Section, "Main", ""},
        {utf8("[ main ]"), IniLine::Other, "", ""},
        {utf8("[my-group]"), IniLine::Other, "", ""},
        {utf8("[]"), IniLine::Other, "", ""},
        {utf8("[main"), IniLine::Other, "", ""},
        {utf8("[main]x"), IniLine::Other, "", ""},
        {utf8("[[main]]"), IniLine::Other, "", ""},
        {utf8("[канал]"), IniLine::Other, "", ""},
        {withChar("[a", 0x0B, "b]"), IniLine::Other, "", ""},
        {utf8("[k]=v"), IniLine::Other, "", ""},
        {utf8("a=1"), IniLine::Key, "a", "1"},
        {utf8("x=5 ; five"), IniLine::Key, "x", "5"},
        {utf8("x=a;b"), IniLine::Key, "x", "a"},
        {utf8("x="), IniLine::Key, "x", ""},
        {utf8("x= ;note"), IniLine::Key, "x", ""},
        {utf8("  k  =  spaced value  "), IniLine::Key, "k", "spaced value"},
        {utf8("a=b=c"), IniLine::Key, "a", "b=c"},
        {utf8("=a=b"), IniLine::Key, "=a", "b"},
        {utf8("=="), IniLine::Key, "=", ""},
        {utf8("="), IniLine::Other, "", ""},
        {utf8("no equals sign"), IniLine::Other, "", ""},
        {utf8(";x=1"), IniLine::Empty, "", ""},
        {utf8("ключ = значение"), IniLine::Key, "ключ", "значение"},
        {utf8("k=v\rw"), IniLine::Key, "k", "v\rw"},
        {withChar("k", 0x2028, "=v"), IniLine::Key, "k", "v"},
        {withChar("k=v", 0x00A0, ""), IniLine::Key, "k", "v"},
        {withChar("k=v", 0x0000, "w"), IniLine::Key, "k", nullptr},
        {utf8("k=") + pair, IniLine::Key, "k", nullptr},
        {pair + utf8("=v"), IniLine::Key, nullptr, "v"},
        // Broken surrogates: the expressions match nothing, the comment
        // included, so the line is skipped whole.
        {withChar("k=v", 0xD800, ""), IniLine::Other, "", ""},
        {withChar("k=v;", 0xDC00, ""), IniLine::Other, "", ""},
        {withChar("", 0xDC00, "[main]"), IniLine::Other, "", ""},
        {withChar("k=v", 0xD800, "x"), IniLine::Other, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        const IniLine parsed = classifyLine(c.line);
        const QString name = parsed.name(c.line);
        const QString value = parsed.value(c.line);
        const lcctest::RegexLine reference = lcctest::classifyLineByRegex(c.line);
        EXPECT_EQ(parsed.kind, c.kind);
        EXPECT_EQ(reference.kind, c.kind);
        EXPECT_EQ(name, reference.name);
        EXPECT_EQ(value, reference.value);
        if (c.name != nullptr) {
            EXPECT_EQ(name, utf8(c.name));
        }
        if (c.value != nullptr) {
            EXPECT_EQ(value, utf8(c.value));
        }
    }
}
