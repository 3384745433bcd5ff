// Password scrambling. Clients keep scrambled passwords in their files, so
// the stored forms under tests/cases/encoding must never change (rows
// "scramble HEX HEX", fields separated by a tab); every byte string must
// come back from scrambling it twice.
#include <LibCommonCfg/encoding.h>

#include "support/cases.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

QByteArray scrambled(QByteArray bytes)
{
    encryptPassword(bytes);
    return bytes;
}

LCC_CASE_TEST(ScrambleCase, "encoding", "scramble")
{
    for (const QByteArray& row : c.all("scramble")) {
        const QList<QByteArray> f = row.split('\t');
        EXPECT_EQ(scrambled(QByteArray::fromHex(f.value(0))).toHex(), f.value(1)) << row.constData();
    }
}

} // namespace

// Every byte is combined with the key byte of its position, the key repeats
// every 29 bytes and changes every byte, and twice restores the original.
TEST(EncryptPassword, TwiceRestoresAndEachPositionHasItsOwnKeyByte)
{
    const QByteArray key = scrambled(QByteArray(29, '\0'));
    EXPECT_EQ(std::set<char>(key.cbegin(), key.cend()).size(), 29u);
    EXPECT_FALSE(key.contains('\0'));
    const unsigned seed = 29;
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 2000; ++round) {
        QByteArray original;
        for (int i = std::uniform_int_distribution<int>(0, 300)(random); i > 0; --i)
            original.append(static_cast<char>(byte(random)));
        for (int b = 0; round < 29 && b < 256; ++b) // every byte value at every key position
            original.append(static_cast<char>(b));
        QByteArray bytes = original;
        encryptPassword(bytes);
        ASSERT_EQ(bytes.size(), original.size()) << "seed " << seed << " round " << round;
        ASSERT_EQ(bytes.constData()[bytes.size()], '\0') << "the terminating NUL was overwritten";
        for (int i = 0; i < bytes.size(); ++i)
            ASSERT_EQ(bytes.at(i) ^ original.at(i), key.at(i % 29)) << "seed " << seed << " round " << round;
        encryptPassword(bytes);
        ASSERT_EQ(bytes, original) << "seed " << seed << " round " << round;
    }
}

TEST(EncryptPassword, EmptyArraysCopiesAndOutsideBytesStayAsTheyWere)
{
    QByteArray null;
    encryptPassword(null);
    EXPECT_TRUE(null.isNull());
    QByteArray empty("");
    encryptPassword(empty);
    EXPECT_TRUE(empty.isEmpty() && !empty.isNull());

    const QByteArray original("operator-password");
    QByteArray shared = original;
    encryptPassword(shared);
    EXPECT_EQ(original, QByteArray("operator-password"));
    EXPECT_EQ(shared, scrambled("operator-password"));

    // The outside bytes are read-only: writing into them would also crash.
    static const char outside[] = "raw-secret";
    QByteArray raw = QByteArray::fromRawData(outside, sizeof(outside) - 1);
    encryptPassword(raw);
    EXPECT_STREQ(outside, "raw-secret");
    EXPECT_EQ(raw, scrambled("raw-secret"));
}
