// Typed access by key, removal and comparison of stores.
#include <LibCommonCfg/setupfile.h>

#include "linesets.h"

#include <gtest/gtest.h>

#include <climits>

using LibCommonCfg::SetupFile;

TEST(SetupFileAccess, GetBoolTakesOnlyYAsTrue)
{
    SetupFile file;
    file.load(QByteArray("U=Y\nL=y\nN=N\nYES=yes\nONE=1\nTRUE=true\nEMPTY=\nSPACED= Y \n"));
    EXPECT_TRUE(file.getBool("U", false));
    EXPECT_TRUE(file.getBool("L", false));
    EXPECT_FALSE(file.getBool("N", true));
    EXPECT_FALSE(file.getBool("YES", true));
    EXPECT_FALSE(file.getBool("ONE", true));
    EXPECT_FALSE(file.getBool("TRUE", true));
    EXPECT_TRUE(file.getBool("ABSENT", true));
    EXPECT_FALSE(file.getBool("ABSENT", false));
    EXPECT_FALSE(file.getBool("ABSENT"));
    EXPECT_TRUE(file.getBool("EMPTY", true));
    EXPECT_FALSE(file.getBool("EMPTY", false));
    EXPECT_TRUE(file.getBool("SPACED", false)); // trimmed on load

    file.setString("RAW", " Y");
    EXPECT_FALSE(file.getBool("RAW", true)); // set values are not trimmed
    file.setString("NULLED", QString());
    EXPECT_TRUE(file.getBool("NULLED", true));
}

TEST(SetupFileAccess, GetIntFallsBackOnAnythingButADecimalInt)
{
    SetupFile file;
    file.setString("BLANKS", " 42 ");
    file.setString("NEG", "-17");
    file.setString("MIXED", "4x2");
    file.setString("HEX", "0x10");
    file.setString("EMPTY", "");
    file.setString("MAX", "2147483647");
    file.setString("OVER", "2147483648");
    file.setString("UNDER", "-2147483649");
    file.setString("OCTAL", "010");
    EXPECT_EQ(file.getInt("BLANKS", 7), 42);
    EXPECT_EQ(file.getInt("NEG", 7), -17);
    EXPECT_EQ(file.getInt("MIXED", 7), 7);
    EXPECT_EQ(file.getInt("HEX", 7), 7);
    EXPECT_EQ(file.getInt("EMPTY", 7), 7);
    EXPECT_EQ(file.getInt("MAX", 7), INT_MAX);
    EXPECT_EQ(file.getInt("OVER", 7), 7);
    EXPECT_EQ(file.getInt("UNDER", 7), 7);
    EXPECT_EQ(file.getInt("OCTAL", 7), 10);
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
