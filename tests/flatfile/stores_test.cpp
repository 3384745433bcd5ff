// The two KEY=VALUE stores, the network setup file and the time-zone file,
// read, write and save through the same code: one runner and one save test
// serve both.
//
// The cases under tests/cases/setupfile and tests/cases/tzfile fill one store
// each: the file `in` is loaded from disk, then the lines of the `case` file
// act in order (fields separated by tabs):
//   load TEXT                 loads the bytes
//   set KEY VALUE             setString
//   get KEY VALUE             getString gives exactly VALUE
//   absent KEY                hasKey is false and getString null
//   int KEY DEFAULT WANT      getInt (network file)
//   bool KEY DEFAULT WANT     getBool (0 or 1) of the network file
//   bool KEY WANT             getBool of the time-zone file, which adds an absent key
// and the file `out` holds the lines serialize must give at the end, in any
// order.
#include <LibCommonCfg/setupfile.h>
#include <LibCommonCfg/tzfile.h>

#include "support/cases.h"
#include "support/files.h"
#include "support/lines.h"

#include <gtest/gtest.h>

#include <QFile>

#include <type_traits>

#include <unistd.h>

using namespace LibCommonCfg;
using lcctest::sortedLines;

namespace {

template <class Store> void runFlat(const lcctest::CaseFile& c)
{
    constexpr bool tz = std::is_same_v<Store, TZFile>;
    Store store;
    if (c.hasFile("in")) {
        ASSERT_TRUE(store.load(c.folder + QStringLiteral("/in")));
    }
    for (const auto& line : c.lines) {
        const QList<QByteArray> f = line.second.split('\t');
        const QString key = QString::fromUtf8(f.value(0));
        SCOPED_TRACE(line.first.toStdString() + " " + line.second.toStdString());
        if (line.first == "load") {
            store.load(line.second);
        } else if (line.first == "set") {
            store.setString(key, QString::fromUtf8(f.value(1)));
        } else if (line.first == "get") {
            EXPECT_TRUE(store.hasKey(key));
            EXPECT_EQ(store.getString(key).toUtf8(), f.value(1));
        } else if (line.first == "absent") {
            EXPECT_FALSE(store.hasKey(key));
            EXPECT_TRUE(store.getString(key).isNull());
        } else if constexpr (tz) {
            EXPECT_EQ(store.getBool(key), f.value(1) == "1");
            EXPECT_TRUE(store.hasKey(key));
        } else if (line.first == "int") {
            EXPECT_EQ(store.getInt(key, f.value(1).toInt()), f.value(2).toInt());
        } else {
            EXPECT_EQ(store.getBool(key, f.value(1) == "1"), f.value(2) == "1");
        }
    }
    if (c.hasFile("out")) {
        EXPECT_EQ(sortedLines(store.serialize()), sortedLines(c.file("out")));
    }
}

LCC_CASE_TEST(SetupCase, "setupfile", "load", "set", "get", "absent", "int", "bool")
{
    runFlat<SetupFile>(c);
}

LCC_CASE_TEST(TZCase, "tzfile", "load", "set", "get", "absent", "bool")
{
    runFlat<TZFile>(c);
}

template <class Store> class FlatStore : public ::testing::Test {
};
using Stores = ::testing::Types<SetupFile, TZFile>;
TYPED_TEST_SUITE(FlatStore, Stores);

TYPED_TEST(FlatStore, ComparisonSavingAndLoadingThatMerges)
{
    TypeParam a;
    a.setString("TZ", "UTC");
    a.setBool("DST", false);
    TypeParam b;
    b.setBool("DST", true);
    b.setBool("DST", false);
    b.setString("TZ", "UTC");
    EXPECT_TRUE(a == b && !(a != b));
    b.setString("TZ", "utc"); // equal keys, another value
    EXPECT_TRUE(a != b && !(a == b));

    lcctest::ScratchDir dir;
    const QString path = QString::fromStdString(dir.write("file", QByteArray(5000, '#')));
    ASSERT_TRUE(a.save(path));
    EXPECT_EQ(sortedLines(lcctest::readAll(path)), sortedLines({"DST=N", "TZ=UTC"}));
    TypeParam back;
    back.setString("KEEP", "me");
    ASSERT_TRUE(back.load(path));
    EXPECT_FALSE(back.load(dir.qpath("missing")));
    EXPECT_EQ(sortedLines(back.serialize()), sortedLines({"DST=N", "KEEP=me", "TZ=UTC"}));
    EXPECT_FALSE(a.save(dir.qpath("no/such/folder/file")));

    // Where the file cannot be replaced (a second name links it), it is
    // written in place and both names see the new text.
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(dir.qpath("hard")).constData()),
              0);
    TypeParam plain;
    plain.setString("A", "1");
    ASSERT_TRUE(plain.save(path));
    EXPECT_EQ(lcctest::readAll(dir.qpath("hard")), QByteArray("A=1\n"));
}

} // namespace
