// Typed access to named text parameters: defaults for missing and unreadable
// values, the limits of the integer ranges, the flag asymmetry and the two
// index operators.
#include <LibCommonCfg/paramarray.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

using LibCommonCfg::ParamArray;

namespace {

QStringList sorted(QStringList list)
{
    std::sort(list.begin(), list.end());
    return list;
}

} // namespace

TEST(ParamArray, FlagIsFalseOnlyForZero)
{
    ParamArray p;
    const char* falseTexts[] = {"0", " 0", "0 ", "\t0\n"};
    const char* trueTexts[] = {"1", "00", "", "false", "off", "no", "N", "0x0", "-0", "0.0", "o"};
    for (const char* t : falseTexts) {
        p.setString("flag", QString::fromLatin1(t));
        EXPECT_FALSE(p.get01("flag", true)) << "text '" << t << "'";
    }
    for (const char* t : trueTexts) {
        p.setString("flag", QString::fromLatin1(t));
        EXPECT_TRUE(p.get01("flag", false)) << "text '" << t << "'";
    }
    p["nulltext"]; // exists with a null text
    EXPECT_TRUE(p.get01("nulltext", false));
    EXPECT_TRUE(p.get01("missing", true));
    EXPECT_FALSE(p.get01("missing", false));

    p.set01("modem", true);
    EXPECT_EQ(p["modem"], "1");
    EXPECT_TRUE(p.get01("modem", false));
    p.set01("modem", false);
    EXPECT_EQ(p["modem"], "0");
    EXPECT_FALSE(p.get01("modem", true));
}

TEST(ParamArray, SignedIntegerBoundaries)
{
    ParamArray p;
    struct Case {
        const char* text;
        int expected;
    } cases[] = {
        {"12", 12},
        {"-7", -7},
        {"0", 0},
        {"+5", 5},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"2147483648", -99},  // one above the largest
        {"-2147483649", -99}, // one below the smallest
        {"0x10", -99},
        {"12abc", -99},
        {"1.5", -99},
        {"", -99},
        {"abc", -99},
        {"-", -99},
    };
    for (const Case& c : cases) {
        p.setString("v", QString::fromLatin1(c.text));
        EXPECT_EQ(p.getInt("v", -99), c.expected) << "text '" << c.text << "'";
    }
    EXPECT_EQ(p.getInt("missing", 42), 42);
    p["nulltext"];
    EXPECT_EQ(p.getInt("nulltext", 43), 43);

    p.setInt("v", -5);
    EXPECT_EQ(p["v"], "-5");
    p.setInt("v", INT_MIN);
    EXPECT_EQ(p["v"], "-2147483648");
    EXPECT_EQ(p.getInt("v", 0), INT_MIN);
    p.setInt("v", 0);
    EXPECT_EQ(p["v"], "0");
}

TEST(ParamArray, UnsignedIntegerBoundaries)
{
    ParamArray p;
    struct Case {
        const char* text;
        unsigned int expected;
    } cases[] = {
        {"0", 0u},          {"17", 17u},  {"4294967295", UINT_MAX},
        {"4294967296", 7u}, // one above the largest
        {"-1", 7u},         {"0x10", 7u}, {"3abc", 7u},
        {"", 7u},
    };
    for (const Case& c : cases) {
        p.setString("v", QString::fromLatin1(c.text));
        EXPECT_EQ(p.getUInt("v", 7u), c.expected) << "text '" << c.text << "'";
    }
    EXPECT_EQ(p.getUInt("missing", 8u), 8u);

    p.setUInt("v", 3000000000u); // above the signed range
    EXPECT_EQ(p["v"], "3000000000");
    EXPECT_EQ(p.getUInt("v", 0u), 3000000000u);
    EXPECT_EQ(p.getInt("v", -1), -1); // not a signed 32-bit number
    p.setUInt("v", UINT_MAX);
    EXPECT_EQ(p["v"], "4294967295");
}

TEST(ParamArray, StringsAndIndexOperators)
{
    ParamArray p;
    p.setString("empty", QStringLiteral(""));
    EXPECT_EQ(p.getString("empty", "dflt"), QStringLiteral(""));
    EXPECT_FALSE(p.getString("empty", "dflt").isNull());
    EXPECT_EQ(p.getString("missing", "dflt"), "dflt");
    EXPECT_FALSE(p.contains("missing"));

    // Const access creates nothing.
    const ParamArray& cp = p;
    EXPECT_TRUE(cp["absent"].isNull());
    EXPECT_FALSE(p.contains("absent"));

    // Non-const access creates the parameter with a null text.
    QString& text = p["created"];
    EXPECT_TRUE(text.isNull());
    EXPECT_TRUE(p.contains("created"));
    EXPECT_TRUE(p.getString("created", "dflt").isNull());
    text = QStringLiteral("written through the reference");
    EXPECT_EQ(cp["created"], "written through the reference");
    p["created"] += QStringLiteral("!");
    EXPECT_EQ(p.getString("created", QString()), "written through the reference!");

    // Names are case-sensitive; setters replace.
    p.setString("Name", "upper");
    p.setString("name", "lower");
    p.setString("name", "replaced");
    EXPECT_EQ(p["Name"], "upper");
    EXPECT_EQ(p["name"], "replaced");
    EXPECT_EQ(sorted(p.keys()), (QStringList{"Name", "created", "empty", "name"}));

    p.clear();
    EXPECT_TRUE(p.keys().isEmpty());
    EXPECT_FALSE(p.contains("Name"));
    EXPECT_EQ(p.getInt("Name", 5), 5);
}

TEST(ParamArray, CopiesAreIndependent)
{
    ParamArray a;
    a.setInt("rate", 100);
    ParamArray b = a;
    b.setInt("rate", 200);
    b.set01("extra", true);
    EXPECT_EQ(a.getInt("rate", 0), 100);
    EXPECT_FALSE(a.contains("extra"));
    a = b;
    EXPECT_EQ(a.getInt("rate", 0), 200);
    EXPECT_TRUE(a.contains("extra"));
}
