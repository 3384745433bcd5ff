// The time-zone settings file reads back whatever it wrote.
#include <LibCommonCfg/tzfile.h>

#include "support/lines.h"

#include <gtest/gtest.h>

#include <random>

using lcctest::sortedLines;
using LibCommonCfg::TZFile;

// Whatever bytes were read, the text written reads back to the same entries
// and is written again line for line.
TEST(TZFile, WrittenTextReadsBackTheSame)
{
    const unsigned seed = 12345;
    std::mt19937 random(seed);
    for (int round = 0; round < 200; ++round) {
        QByteArray data;
        for (int i = std::uniform_int_distribution<int>(0, 400)(random); i > 0; --i) {
            data.append(static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random)));
            if (i % 17 == 0)
                data.append("K" + QByteArray::number(i % 13) + "=");
        }
        TZFile first;
        first.load(data);
        const QByteArray text = first.serialize();
        TZFile second;
        second.load(text);
        ASSERT_EQ(sortedLines(second.serialize()), sortedLines(text))
            << "seed " << seed << " round " << round;
        TZFile third;
        third.load(second.serialize());
        ASSERT_TRUE(third == second) << "seed " << seed << " round " << round;
    }
}
