// encPath under a given process locale. The local 8-bit encoding is fixed for
// the whole process on first use, so CTest runs this program once per locale
// with LC_ALL and LCC_EXPECTED_LOCALE set; run without them it fails.
#include <LibCommonCfg/encoding.h>

#include <QByteArray>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// "/home/оператор/настройки.ini"
const QString kCyrillicPath = QStringLiteral("/home/") +
                              QString::fromUtf8("\xd0\xbe\xd0\xbf\xd0\xb5\xd1\x80\xd0\xb0"
                                                "\xd1\x82\xd0\xbe\xd1\x80") +
                              QStringLiteral("/") +
                              QString::fromUtf8("\xd0\xbd\xd0\xb0\xd1\x81\xd1\x82\xd1\x80\xd0\xbe\xd0\xb9"
                                                "\xd0\xba\xd0\xb8") +
                              QStringLiteral(".ini");

QByteArray expectedLocale()
{
    const char* kind = std::getenv("LCC_EXPECTED_LOCALE");
    return kind ? QByteArray(kind) : QByteArray();
}

} // namespace

TEST(EncPathLocale, CyrillicPath)
{
    const QByteArray kind = expectedLocale();
    ASSERT_TRUE(kind == "utf8" || kind == "c") << "LCC_EXPECTED_LOCALE must be utf8 or c";
    const char* lcAll = std::getenv("LC_ALL");
    ASSERT_NE(lcAll, nullptr);
    EXPECT_EQ(QByteArray(lcAll), kind == "utf8" ? QByteArray("C.UTF-8") : QByteArray("C"));

    const std::string bytes = encPath(kCyrillicPath);
    const QByteArray got(bytes.data(), static_cast<int>(bytes.size()));
    // Under a UTF-8 locale the path comes out as UTF-8. Qt on Linux takes the
    // plain C locale, whose character set is only ASCII, as UTF-8 as well, so
    // the Cyrillic letters survive there too instead of turning into '?'.
    EXPECT_EQ(got,
              QByteArray("/home/\xd0\xbe\xd0\xbf\xd0\xb5\xd1\x80\xd0\xb0\xd1\x82\xd0\xbe\xd1\x80/"
                         "\xd0\xbd\xd0\xb0\xd1\x81\xd1\x82\xd1\x80\xd0\xbe\xd0\xb9\xd0\xba\xd0\xb8.ini"));
    EXPECT_EQ(bytes.size(), static_cast<std::size_t>(6 + 16 + 1 + 18 + 4));
    // Plain ASCII paths pass unchanged in every locale.
    EXPECT_EQ(encPath(QStringLiteral("/tmp/tz.conf")), std::string("/tmp/tz.conf"));
}
