// The device's files are Windows-1251; a Qt build without that codec would
// silently corrupt every Cyrillic name, so its absence must fail here.
#include <QTextCodec>

#include <gtest/gtest.h>

TEST(Codec, Cp1251IsAvailableUnderBothNamesAndRoundTripsCyrillic)
{
    QTextCodec* lower = QTextCodec::codecForName("cp1251");
    QTextCodec* upper = QTextCodec::codecForName("CP1251");
    ASSERT_NE(lower, nullptr) << "Qt has no cp1251 codec on this machine";
    ASSERT_NE(upper, nullptr) << "Qt has no CP1251 codec on this machine";

    // 0xC0..0xFF are А..я in order; 0xA8 and 0xB8 are Ё and ё.
    QByteArray bytes;
    for (int b = 0xC0; b <= 0xFF; ++b)
        bytes.append(char(b));
    bytes.append('\xA8');
    bytes.append('\xB8');

    const QString text = lower->toUnicode(bytes);
    ASSERT_EQ(text.size(), 66);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(text.at(i).unicode(), 0x0410 + i) << "byte " << (0xC0 + i);
    EXPECT_EQ(text.at(64).unicode(), 0x0401);
    EXPECT_EQ(text.at(65).unicode(), 0x0451);

    EXPECT_EQ(lower->fromUnicode(text), bytes);
    EXPECT_EQ(upper->fromUnicode(QString::fromUtf8("Секция Ёж")),
              QByteArray("\xD1\xE5\xEA\xF6\xE8\xFF \xA8\xE6"));
}
