// The text file under the section/key engine, read as the bytes stand and
// cut into lines as the device's runtime cuts them.
#include "sectionini/crt.h"

#include "support/files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

using namespace LibCommonCfg::internal;

// The lines must be what the device makes of the file with fgets into a
// buffer of the same size and strlen, whatever the bytes: lines longer than
// the buffer, lines across the blocks the file is read in, NUL bytes, CR
// alone, a last line with and without its LF.
TEST(CrtTextFile, LinesAreWhatFgetsAndStrlenGive)
{
    lcctest::ScratchDir dir;
    std::mt19937 random(20261207);
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE("seed 20261207, round " + std::to_string(round));
        const std::size_t size = round % 3 == 0 ? 4 : round % 3 == 1 ? 4096 : 70000;
        const int target = round < 2 ? round : 150000 + static_cast<int>(random() % 100000);
        QByteArray bytes;
        while (bytes.size() < target) {
            const unsigned length = random() % 16 == 0 ? random() % 9000 : random() % 40;
            for (unsigned i = 0; i < length; ++i) {
                const unsigned pick = random() % 64;
                bytes += pick == 0 ? '\0' : pick == 1 ? '\r' : static_cast<char>('a' + pick % 26);
            }
            if (random() % 8 != 0)
                bytes += '\n';
        }
        const std::string name = dir.write("in", bytes);
        std::FILE* reference = std::fopen(name.c_str(), "rb");
        ASSERT_NE(reference, nullptr);
        std::vector<char> buffer(size);
        CrtTextFile file;
        CrtLine line;
        ASSERT_TRUE(file.open(name.c_str()));
        for (int count = 0; std::fgets(buffer.data(), static_cast<int>(size), reference); ++count) {
            std::string expected(buffer.data());
            if (!expected.empty() && expected.back() == '\n')
                expected.pop_back();
            ASSERT_TRUE(file.getLine(line, size)) << "line " << count;
            ASSERT_EQ(std::string(line.begin, line.end), expected) << "line " << count;
        }
        EXPECT_FALSE(file.getLine(line, size));
        file.close(); // a closed file has no more lines, and reads nothing
        EXPECT_FALSE(file.getLine(line, size));
        std::fclose(reference);
    }
}
