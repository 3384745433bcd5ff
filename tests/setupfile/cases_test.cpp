// Runs the network setup file cases under tests/cases/setupfile. A case
// fills one store: the file `in` is loaded from disk, then the lines of the
// `case` file act in order (fields separated by tabs):
//   load TEXT                 loads the bytes into the store
//   set KEY VALUE             setString
//   get KEY VALUE             getString gives exactly VALUE
//   absent KEY                hasKey is false and getString null
//   int KEY DEFAULT WANT      getInt
//   bool KEY DEFAULT WANT     getBool (0 or 1)
// and the file `out` holds the lines serialize must give at the end, in any
// order.
#include <LibCommonCfg/setupfile.h>

#include "support/cases.h"
#include "support/lines.h"

#include <gtest/gtest.h>

using LibCommonCfg::SetupFile;

namespace {

LCC_CASE_TEST(SetupCase, "setupfile", "load", "set", "get", "absent", "int", "bool")
{
    SetupFile file;
    if (c.hasFile("in")) {
        ASSERT_TRUE(file.load(c.folder + QStringLiteral("/in")));
    }
    for (const auto& line : c.lines) {
        const QList<QByteArray> f = line.second.split('\t');
        const QString key = QString::fromUtf8(f.value(0));
        SCOPED_TRACE(line.first.toStdString() + " " + line.second.toStdString());
        if (line.first == "load") {
            file.load(line.second);
        } else if (line.first == "set") {
            file.setString(key, QString::fromUtf8(f.value(1)));
        } else if (line.first == "get") {
            EXPECT_TRUE(file.hasKey(key));
            EXPECT_EQ(file.getString(key).toUtf8(), f.value(1));
        } else if (line.first == "absent") {
            EXPECT_FALSE(file.hasKey(key));
            EXPECT_TRUE(file.getString(key).isNull());
        } else if (line.first == "int") {
            EXPECT_EQ(file.getInt(key, f.value(1).toInt()), f.value(2).toInt());
        } else if (line.first == "bool") {
            EXPECT_EQ(file.getBool(key, f.value(1) == "1"), f.value(2) == "1");
        }
    }
    if (c.hasFile("out")) {
        EXPECT_EQ(lcctest::sortedLines(file.serialize()), lcctest::sortedLines(c.file("out")));
    }
}

} // namespace
