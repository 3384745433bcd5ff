// Typed access by key, removal and comparison of stores.
#include <LibCommonCfg/setupfile.h>

#include "support/lines.h"
using lcctest::sortedLines;

#include <gtest/gtest.h>

#include <climits>

using LibCommonCfg::SetupFile;

TEST(SetupFileAccess, GetBoolTakesOnlyYAsTrue)
{
    SetupFile file;
    file.load(QByteArray("U=Y\nL=y\nN=N\nYES=yes\nONE=1\nTRUE=true\nEMPTY=\nSPACED= Y \n"));
    file.setString("RAW", " Y"); // set values are not trimmed
    file.setString("NULLED", QString());
    const struct {
        const char* key;
        bool defaultValue;
        bool expected;
    } cases[] = {{"U", false, true},      {"L", false, true},       {"N", true, false},
                 {"YES", true, false},    {"ONE", true, false},     {"TRUE", true, false},
                 {"ABSENT", true, true},  {"ABSENT", false, false}, {"EMPTY", true, true},
                 {"EMPTY", false, false}, {"SPACED", false, true},  {"RAW", true, false},
                 {"NULLED", true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(file.getBool(c.key, c.defaultValue), c.expected);
    }
    EXPECT_FALSE(file.getBool("ABSENT"));
}

TEST(SetupFileAccess, GetIntFallsBackOnAnythingButADecimalInt)
{
    const struct {
        const char* text;
        int expected;
    } cases[] = {
        {" 42 ", 42},      {"-17", -17},       {"4x2", 7}, {"0x10", 7}, {"", 7}, {"2147483647", INT_MAX},
        {"2147483648", 7}, {"-2147483649", 7}, {"010", 10}};
    SetupFile file;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        file.setString("K", c.text);
        EXPECT_EQ(file.getInt("K", 7), c.expected);
    }
    EXPECT_EQ(file.getInt("ABSENT", -3), -3);
    EXPECT_EQ(file.getInt("ABSENT"), 0);
}

TEST(SetupFileAccess, TypedSettersWriteTheirTextForms)
{
    SetupFile file;
    file.setBool("ON", true);
    EXPECT_EQ(file.serialize(), QByteArray("ON=Y\n"));
    file.setBool("ON", false);
    EXPECT_EQ(file.serialize(), QByteArray("ON=N\n"));
    EXPECT_EQ(file.getString("ON"), "N");

    SetupFile numbers;
    numbers.setInt("K", -5);
    EXPECT_EQ(numbers.serialize(), QByteArray("K=-5\n"));
    numbers.setInt("K", INT_MIN);
    EXPECT_EQ(numbers.getString("K"), "-2147483648");
    EXPECT_EQ(numbers.getInt("K", 0), INT_MIN);
    numbers.setInt("K", 0);
    EXPECT_EQ(numbers.serialize(), QByteArray("K=0\n"));
}

TEST(SetupFileAccess, StringsHasKeyAndRemove)
{
    SetupFile file;
    EXPECT_TRUE(file.getString("X").isNull());
    EXPECT_FALSE(file.hasKey("X"));
    EXPECT_TRUE(file.allKeys().isEmpty());

    file.setString("X", "1");
    file.setString("X", "2");
    file.setString("", "no key");
    EXPECT_EQ(file.getString("X"), "2");
    EXPECT_TRUE(file.hasKey(""));
    EXPECT_EQ(file.allKeys().size(), 2);
    EXPECT_EQ(sortedLines(file.serialize()), sortedLines({"=no key", "X=2"}));

    EXPECT_EQ(file.remove("X"), 1);
    EXPECT_EQ(file.remove("X"), 0);
    EXPECT_EQ(file.remove("ABSENT"), 0);
    EXPECT_FALSE(file.hasKey("X"));
    EXPECT_TRUE(file.getString("X").isNull());
    EXPECT_EQ(file.allKeys(), QStringList{""});
}

TEST(SetupFileAccess, ComparisonIgnoresLineOrder)
{
    SetupFile a;
    SetupFile b;
    EXPECT_TRUE(a == b);
    a.load(QByteArray("IPADDR=10.0.0.1\nNETMASK=255.0.0.0\nGATEWAY=10.0.0.254\n"));
    b.load(QByteArray("GATEWAY=10.0.0.254\nIPADDR=10.0.0.1\nNETMASK=255.0.0.0\n"));
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a != b);

    b.setString("NETMASK", "255.255.0.0");
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(a != b);
    b.setString("NETMASK", "255.0.0.0");
    b.setString("EXTRA", "");
    EXPECT_TRUE(a != b);
    b.remove("EXTRA");
    EXPECT_TRUE(a == b);

    // Copies are independent values.
    SetupFile copy = a;
    copy.setString("IPADDR", "10.0.0.2");
    EXPECT_EQ(a.getString("IPADDR"), "10.0.0.1");
    EXPECT_TRUE(copy != a);
    copy = a;
    EXPECT_TRUE(copy == a);
}
