// The reader's hand-written line classifier against the regular expressions
// that define the grammar, on generated lines.
#include "inidoc/linegrammar.h"
#include "regexlinegrammar.h"
#include "support/cases.h"

#include <gtest/gtest.h>

#include <random>

using LibCommonCfg::internal::classifyLine;
using LibCommonCfg::internal::IniLine;

TEST(IniLineGrammar, AgreesWithTheRegularExpressionsOnGeneratedLines)
{
    const QStringList pieces = lcctest::textPieces("ini-line-grammar");
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
