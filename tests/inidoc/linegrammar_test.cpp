// The reader's hand-written line classifier against the regular expressions
// that define the grammar, on generated lines.
#include "inidoc/linegrammar.h"
#include "regexlinegrammar.h"

#include <gtest/gtest.h>

#include <random>

using LibCommonCfg::internal::classifyLine;
using LibCommonCfg::internal::IniLine;

TEST(IniLineGrammar, AgreesWithTheRegularExpressionsOnGeneratedLines)
{
    // The pieces lines are made of: the grammar's own characters, blanks the
    // regular expressions and QString::trimmed see alike or differently,
    // non-ASCII letters, and halves of surrogate pairs whole and broken.
    const QString pair = QString(QChar(0xD835)) + QChar(0xDC00);
    const QStringList pieces{"[",
                             "]",
                             "=",
                             ";",
                             " ",
                             "\t",
                             "\r",
                             "a",
                             "Z",
                             "0",
                             "_",
                             ".",
                             "-",
                             "k=v",
                             QString::fromUtf8("ж"),
                             QString(QChar(0x2028)),
                             QString(QChar(0x00A0)),
                             QString(QChar(0x000B)),
                             QString(QChar(0)),
                             QString(QChar(0xD800)),
                             QString(QChar(0xDC00)),
                             pair};
    const unsigned seed = 7;
    std::mt19937 random(seed);
    int kinds[4] = {0, 0, 0, 0};
    for (int round = 0; round < 200000; ++round) {
        QString line;
        const int length = std::uniform_int_distribution<int>(0, 9)(random);
        for (int i = 0; i < length; ++i)
            line += pieces.at(std::uniform_int_distribution<int>(0, pieces.size() - 1)(random));
        if (round % 3 == 0)
            line = "[" + line + "]"; // headers are rare otherwise
        const IniLine parsed = classifyLine(line);
        const lcctest::RegexLine reference = lcctest::classifyLineByRegex(line);
        ++kinds[parsed.kind];
        const auto shown = [&] {
            QStringList units;
            for (const QChar c : line)
                units << QString::number(c.unicode(), 16);
            return "seed " + std::to_string(seed) + " line " + units.join(' ').toStdString();
        };
        ASSERT_EQ(parsed.kind, reference.kind) << shown();
        ASSERT_EQ(parsed.name(line), reference.name) << shown();
        ASSERT_EQ(parsed.value(line), reference.value) << shown();
    }
    // Every kind came up often enough for the comparison to mean something.
    for (const int count : kinds)
        EXPECT_GT(count, 1000);
}
