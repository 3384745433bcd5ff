// Read keeps the first of every section, and inside a section the first of
// every key, among names equal but for the case of the ASCII letters; the
// bytes 0xC0-0xFF (Cyrillic letters on the device) never fold. Checked on
// generated files, some with sections and keys enough to make the reader's
// name tables grow many times.
#include <LibCommonCfg/cinifile.h>

#include "support/files.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

namespace {

std::string folded(std::string name)
{
    for (char& ch : name)
        ch = (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
    return name;
}

struct Generated {
    std::string in;
    std::string expected; // what Read then Write gives
};

Generated generate(std::mt19937& gen, int lines)
{
    const unsigned sectNames = 1 + gen() % 3000, keyNames = 1 + gen() % 600, headerEvery = 1 + gen() % 400;
    const auto name = [&](const char* stem, unsigned names) {
        static const char* const tails[] = {"", "\xC1", "\xE1"};
        std::string text = stem + std::to_string(gen() % names);
        text += tails[gen() % 3];
        for (char& ch : text) {
            if (gen() % 2 && ch >= 'a' && ch <= 'z')
                ch = static_cast<char>(ch - 'a' + 'A');
        }
        return text;
    };
    Generated g;
    std::set<std::string> sects, keys;
    bool inSect = false, accepting = true;
    for (int i = 0; i < lines; ++i) {
        if (gen() % headerEvery == 0) {
            const std::string sect = name("sect", sectNames);
            g.in += "[" + sect + "]\n";
            accepting = sects.insert(folded(sect)).second;
            if (!accepting)
                continue;
            g.expected += (inSect ? "\r\n[" : "[") + sect + "] \r\n";
            keys.clear();
            inSect = true;
        } else if (gen() % 10 == 0) {
            g.in += " ; note " + std::to_string(i) + "\n";
            if (accepting)
                g.expected += ";note " + std::to_string(i) + (inSect ? "\r\n" : "\r\n\r\n");
        } else {
            const std::string key = name("key", keyNames);
            g.in += key + " = " + std::to_string(i) + "\n";
            if (accepting && inSect && keys.insert(folded(key)).second)
                g.expected += "   " + key + "=" + std::to_string(i) + " \r\n";
        }
    }
    if (inSect)
        g.expected += "\r\n";
    return g;
}

TEST(CIniRepeats, FirstOfEveryFoldedNameWins)
{
    const unsigned seed = 1977;
    for (int round = 0; round < 16; ++round) {
        std::mt19937 gen(seed + round);
        const Generated g = generate(gen, round < 12 ? 1 + gen() % 300 : 30000);
        lcctest::ScratchDir dir;
        CIniFile doc;
        ASSERT_EQ(doc.Read(dir.write("in.ini", QByteArray::fromStdString(g.in)).c_str()), 0);
        ASSERT_EQ(doc.Write(dir.path("out.ini").c_str()), 0);
        EXPECT_EQ(lcctest::ScratchDir::read(dir.path("out.ini")).toStdString(), g.expected)
            << "seed " << seed + round << (g.in.size() < 3000 ? ", input:\n" + g.in : std::string());
    }
}

} // namespace
