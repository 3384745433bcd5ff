// The time-zone settings file. The cases under tests/cases/tzfile fill one
// object each: the file `in` is loaded from disk, then the lines of the
// `case` file act in order (fields separated by tabs):
//   load TEXT        loads the bytes
//   set KEY VALUE    setString
//   get KEY VALUE    getString gives exactly VALUE
//   absent KEY       hasKey is false and getString null
//   bool KEY WANT    getBool (0 or 1), which adds an absent key
// and the file `out` holds the lines serialize must give at the end, in any
// order.
#include <LibCommonCfg/tzfile.h>

#include "support/cases.h"
#include "support/files.h"
#include "support/lines.h"

#include <gtest/gtest.h>

#include <random>

using lcctest::sortedLines;
using LibCommonCfg::TZFile;

namespace {

LCC_CASE_TEST(TZCase, "tzfile", "load", "set", "get", "absent", "bool")
{
    TZFile tz;
    if (c.hasFile("in")) {
        ASSERT_TRUE(tz.load(c.folder + QStringLiteral("/in")));
    }
    for (const auto& line : c.lines) {
        const QList<QByteArray> f = line.second.split('\t');
        const QString key = QString::fromUtf8(f.value(0));
        SCOPED_TRACE(line.first.toStdString() + " " + line.second.toStdString());
        if (line.first == "load") {
            tz.load(line.second);
        } else if (line.first == "set") {
            tz.setString(key, QString::fromUtf8(f.value(1)));
        } else if (line.first == "get") {
            EXPECT_TRUE(tz.hasKey(key));
            EXPECT_EQ(tz.getString(key).toUtf8(), f.value(1));
        } else if (line.first == "absent") {
            EXPECT_FALSE(tz.hasKey(key));
            EXPECT_TRUE(tz.getString(key).isNull());
        } else if (line.first == "bool") {
            EXPECT_EQ(tz.getBool(key), f.value(1) == "1");
            EXPECT_TRUE(tz.hasKey(key));
        }
    }
    if (c.hasFile("out")) {
        EXPECT_EQ(sortedLines(tz.serialize()), sortedLines(c.file("out")));
    }
}

} // namespace

TEST(TZFile, ComparisonSettersAndSaving)
{
    TZFile a;
    a.setString("TZ", "UTC");
    a.setBool("DST", false);
    TZFile b;
    b.setBool("DST", true);
    EXPECT_TRUE(b.getBool("DST"));
    b.setBool("DST", false);
    b.setString("TZ", "UTC");
    EXPECT_TRUE(a == b && !(a != b));
    b.setString("TZ", "utc");
    EXPECT_TRUE(a != b && !(a == b));
    EXPECT_TRUE(TZFile() == TZFile());
    EXPECT_TRUE(TZFile().serialize().isEmpty());

    lcctest::ScratchDir dir;
    const QString path = QString::fromStdString(dir.write("tz.conf", QByteArray(5000, '#')));
    ASSERT_TRUE(a.save(path));
    EXPECT_EQ(sortedLines(lcctest::readAll(path)), sortedLines({"DST=N", "TZ=UTC"}));
    TZFile back;
    back.setString("KEEP", "me");
    ASSERT_TRUE(back.load(path));
    EXPECT_FALSE(back.load(dir.qpath("missing.conf")));
    EXPECT_EQ(sortedLines(back.serialize()), sortedLines({"DST=N", "KEEP=me", "TZ=UTC"}));
    EXPECT_FALSE(a.save(dir.qpath("no/such/folder/tz.conf")));
    EXPECT_FALSE(a.save(QString()));
}

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
