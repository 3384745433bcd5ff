// Conversion of paths to the local 8-bit encoding, for the parts that do not
// depend on the process locale.
#include <LibCommonCfg/encoding.h>

#include <gtest/gtest.h>

TEST(EncPath, EmptyAndAsciiPaths)
{
    EXPECT_EQ(encPath(QString()), std::string());
    EXPECT_EQ(encPath(QStringLiteral("")), std::string());
    EXPECT_EQ(encPath(QStringLiteral("/var/lib/device/main.ini")), std::string("/var/lib/device/main.ini"));
    EXPECT_EQ(encPath(QStringLiteral("C:\\Device\\setup file.txt")),
              std::string("C:\\Device\\setup file.txt"));
}

TEST(EncPath, EmbeddedNulIsKept)
{
    const QString path = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    const std::string bytes = encPath(path);
    ASSERT_EQ(bytes.size(), 3u);
    EXPECT_EQ(bytes, std::string("a\0b", 3));
}
