// Password scrambling: the stored form of known passwords, the round trip for
// every length and byte value, the key period, and copies that must not
// change.
#include <LibCommonCfg/encoding.h>

#include <gtest/gtest.h>

#include <set>

namespace {

QByteArray scrambled(QByteArray bytes)
{
    encryptPassword(bytes);
    return bytes;
}

QByteArray allByteValues()
{
    QByteArray bytes;
    for (int b = 0; b < 256; ++b)
        bytes.append(static_cast<char>(b));
    return bytes;
}

} // namespace

// Clients keep scrambled passwords in their files; the key must never drift.
TEST(EncryptPassword, KnownStoredForms)
{
    EXPECT_EQ(scrambled("Device-Admin#2026").toHex(), QByteArray("8c94e7efb79ab0c5b784bef9c6cfe2aeb7"));

    QByteArray counting;
    for (int i = 0; i < 40; ++i)
        counting.append(static_cast<char>(i));
    EXPECT_EQ(scrambled(counting).toHex(),
              QByteArray("c8f09385d0fa9b83dbe0dd9ce9f0dc9391ffd48094fec3819bf4cc89"
                         "93d5ef8ea6f5ddbea0f6cff0"));
}

TEST(EncryptPassword, EmptyArrayStaysEmpty)
{
    QByteArray empty;
    encryptPassword(empty);
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_TRUE(empty.isNull());

    QByteArray emptyNotNull("");
    encryptPassword(emptyNotNull);
    EXPECT_TRUE(emptyNotNull.isEmpty());
    EXPECT_FALSE(emptyNotNull.isNull());
}

TEST(EncryptPassword, TwiceRestoresEveryLengthAndByte)
{
    const QByteArray values = allByteValues();
    for (int length = 0; length <= 64; ++length) {
        for (int start = 0; start < 256; start += 7) {
            QByteArray original;
            for (int i = 0; i < length; ++i)
                original.append(values.at((start + i * 37) % 256));
            QByteArray bytes = original;
            encryptPassword(bytes);
            ASSERT_EQ(bytes.size(), length);
            if (length > 0) {
                EXPECT_NE(bytes, original) << "length " << length;
            }
            encryptPassword(bytes);
            ASSERT_EQ(bytes, original) << "length " << length << " start " << start;
        }
    }
    // Every byte value at every key position, NUL included.
    QByteArray all = values + values;
    const QByteArray copy = all;
    encryptPassword(all);
    ASSERT_EQ(all.size(), 512);
    encryptPassword(all);
    EXPECT_EQ(all, copy);
}

TEST(EncryptPassword, RepeatingKeyApplied)
{
    // Scrambling zeros yields the key bytes themselves.
    const QByteArray keyBytes = scrambled(QByteArray(29 * 3 + 5, '\0'));
    ASSERT_EQ(keyBytes.size(), 29 * 3 + 5);
    for (int i = 29; i < keyBytes.size(); ++i)
        ASSERT_EQ(keyBytes.at(i), keyBytes.at(i - 29)) << "position " << i;
    // The key has no repeated character, so one period holds 29 distinct bytes.
    std::set<char> distinct(keyBytes.constBegin(), keyBytes.constBegin() + 29);
    EXPECT_EQ(distinct.size(), 29u);

    // Each byte is combined with the key byte of its position only.
    const QByteArray values = allByteValues();
    const QByteArray out = scrambled(values);
    for (int i = 0; i < values.size(); ++i)
        ASSERT_EQ(static_cast<char>(values.at(i) ^ keyBytes.at(i % 29)), out.at(i)) << "position " << i;

    // Thirty equal bytes: 0 and 29 come out alike, no two of 0..28 do.
    const QByteArray thirty = scrambled(QByteArray(30, 'a'));
    EXPECT_EQ(thirty.at(0), thirty.at(29));
    EXPECT_EQ(std::set<char>(thirty.constBegin(), thirty.constBegin() + 29).size(), 29u);
}

TEST(EncryptPassword, CopiesAndOutsideBytesKeepTheirValues)
{
    const QByteArray original("operator-password");
    QByteArray shared = original; // shares the data with `original`
    encryptPassword(shared);
    EXPECT_EQ(original, QByteArray("operator-password"));
    EXPECT_NE(shared, original);

    // An array that merely refers to outside bytes must not write into them;
    // the bytes are read-only, so writing would also crash.
    static const char outside[] = "raw-secret";
    QByteArray raw = QByteArray::fromRawData(outside, sizeof(outside) - 1);
    encryptPassword(raw);
    EXPECT_STREQ(outside, "raw-secret");
    EXPECT_NE(raw, QByteArray("raw-secret"));
    EXPECT_NE(raw.constData(), outside);
    encryptPassword(raw);
    EXPECT_EQ(raw, QByteArray("raw-secret"));
}
