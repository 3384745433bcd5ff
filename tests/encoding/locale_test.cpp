// encPath under a given process locale. The local 8-bit encoding is fixed for
// the whole process on first use, so CTest runs this program once per locale
// with LC_ALL and LCC_EXPECTED_LOCALE set; run without them it fails.
#include <LibCommonCfg/encoding.h>

#include <QByteArray>

#include <gtest/gtest.h>

#include <cstdlib>

TEST(EncPathLocale, CyrillicAsciiEmptyAndNul)
{
    const QByteArray kind = std::getenv("LCC_EXPECTED_LOCALE");
    ASSERT_TRUE(kind == "utf8" || kind == "c") << "LCC_EXPECTED_LOCALE must be utf8 or c";
    EXPECT_EQ(QByteArray(std::getenv("LC_ALL")), kind == "utf8" ? "C.UTF-8" : "C");

    // Under a UTF-8 locale the path comes out as UTF-8. Qt on Linux takes the
    // plain C locale, whose character set is only ASCII, as UTF-8 as well, so
    // the Cyrillic letters survive there too instead of turning into '?'.
    const QByteArray utf8("/home/\xd0\xbe\xd0\xbf\xd0\xb5\xd1\x80\xd0\xb0\xd1\x82\xd0\xbe\xd1\x80/"
                          "\xd0\xbd\xd0\xb0\xd1\x81\xd1\x82\xd1\x80\xd0\xbe\xd0\xb9\xd0\xba\xd0\xb8.ini");
    EXPECT_EQ(encPath(QString::fromUtf8(utf8)), utf8.toStdString());
    EXPECT_EQ(encPath(QStringLiteral("C:\\Device\\setup file.txt")),
              std::string("C:\\Device\\setup file.txt"));
    EXPECT_EQ(encPath(QString()), std::string());
    EXPECT_EQ(encPath(QStringLiteral("a") + QChar(0) + QStringLiteral("b")), std::string("a\0b", 3));
}
