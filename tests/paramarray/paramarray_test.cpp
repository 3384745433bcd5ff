// Named text parameters with typed access. The cases under
// tests/cases/paramarray give one text per row and what each typed getter
// makes of it (fields separated by tabs; "default" where the getter falls
// back to the caller's default):
//   flag TEXT 0|1       get01
//   int TEXT WANT       getInt
//   uint TEXT WANT      getUInt
#include <LibCommonCfg/paramarray.h>

#include "support/cases.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

using LibCommonCfg::ParamArray;

namespace {

LCC_CASE_TEST(ParamCase, "paramarray", "flag", "int", "uint")
{
    for (const auto& line : c.lines) {
        const QList<QByteArray> f = line.second.split('\t');
        SCOPED_TRACE(line.first.toStdString() + " " + line.second.toStdString());
        ParamArray p;
        p.setString("v", QString::fromUtf8(f.value(0)));
        const bool fallback = f.value(1) == "default";
        if (line.first == "flag") {
            // The default is the opposite of the answer, so a fallback shows.
            EXPECT_EQ(p.get01("v", f.value(1) == "0"), f.value(1) == "1");
        } else if (line.first == "int") {
            EXPECT_EQ(p.getInt("v", -99), fallback ? -99 : f.value(1).toInt());
        } else if (line.first == "uint") {
            EXPECT_EQ(p.getUInt("v", 7u), fallback ? 7u : f.value(1).toUInt());
        }
    }
}

} // namespace

TEST(ParamArray, SettersMissingParametersAndIndexOperators)
{
    ParamArray p;
    p.set01("on", true);
    p.set01("off", false);
    p.setInt("min", INT_MIN);
    p.setUInt("big", 3000000000u);
    EXPECT_EQ(p["on"] + p["off"] + p["min"] + p["big"], "10-21474836483000000000");
    EXPECT_EQ(p.getInt("min", 0), INT_MIN);
    EXPECT_EQ(p.getUInt("big", 0), 3000000000u);
    for (const bool dflt : {false, true})
        EXPECT_EQ(p.get01("missing", dflt), dflt);
    EXPECT_EQ(p.getInt("missing", 42) + p.getUInt("missing", 8u), 50u);
    EXPECT_EQ(p.getString("missing", "dflt"), "dflt");

    // Const access creates nothing; the other creates a null text, which
    // counts as present.
    const ParamArray& cp = p;
    EXPECT_TRUE(cp["absent"].isNull());
    EXPECT_FALSE(p.contains("absent"));
    QString& text = p["created"];
    EXPECT_TRUE(p.contains("created"));
    EXPECT_TRUE(p.getString("created", "dflt").isNull());
    EXPECT_TRUE(p.get01("created", false));
    text = QStringLiteral("written");
    p["created"] += QStringLiteral("!");
    EXPECT_EQ(cp["created"], "written!");

    // Names are case-sensitive; copies are independent.
    ParamArray copy = p;
    copy.setString("ON", "upper");
    EXPECT_FALSE(p.contains("ON"));
    QStringList keys = copy.keys();
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (QStringList{"ON", "big", "created", "min", "off", "on"}));
    copy.clear();
    EXPECT_TRUE(copy.keys().isEmpty());
    EXPECT_TRUE(p.contains("on"));
}
