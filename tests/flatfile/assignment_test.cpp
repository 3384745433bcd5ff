// The hand-written KEY=VALUE matcher against the regular expression that
// defines it, on generated lines as characters and as Windows-1251 bytes;
// and the reader that splits and matches the bytes itself against reading
// the text the plain way, line by line through DeviceLines and the
// expression.
#include "common/devicecodec.h"
#include "common/devicelines.h"
#include "flatfile/assignment.h"
#include "flatfile/entries.h"
#include "regexassignment.h"
#include "support/cases.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <random>
#include <string>

using LibCommonCfg::internal::Assignment;
using LibCommonCfg::internal::decodeDeviceText;
using LibCommonCfg::internal::DeviceLines;
using LibCommonCfg::internal::FlatEntries;
using LibCommonCfg::internal::kFlatLinePiece;
using LibCommonCfg::internal::matchAssignment;

namespace {

std::string shown(const QString& line)
{
    QStringList units;
    for (const QChar c : line)
        units << QString::number(c.unicode(), 16);
    return units.join(' ').toStdString();
}

std::string shown(const Assignment& a)
{
    return std::to_string(a.found) + " key " + std::to_string(a.keyBegin) + "+" +
           std::to_string(a.keyLength) + " value " + std::to_string(a.valueBegin) + "+" +
           std::to_string(a.valueLength);
}

QString decoded(const QByteArray& bytes)
{
    QString text;
    decodeDeviceText(bytes.constData(), bytes.size(), text);
    return text;
}

// Today's reading: the lines DeviceLines gives, each through the expression.
void loadByRegex(FlatEntries& entries, const QByteArray& data)
{
    DeviceLines lines(data, kFlatLinePiece);
    QString line;
    while (lines.next(line)) {
        const Assignment a = lcctest::matchAssignmentByRegex(line);
        if (a.found)
            entries.insert(a.key(line), a.value(line));
    }
}

} // namespace

TEST(FlatAssignment, AgreesWithTheRegularExpressionOnGeneratedLines)
{
    const QStringList pieces = lcctest::textPieces("flat-lines");
    const unsigned seed = 11;
    std::mt19937 random(seed);
    int found = 0;
    int emptyValues = 0;
    for (int round = 0; round < 200000; ++round) {
        QString line;
        // Now and then a line as long as the readers take at once, in case
        // the expression gives up on long lines somewhere.
        const int most = round % 1000 == 0 ? 600 : 10;
        const int length = std::uniform_int_distribution<int>(0, most)(random);
        for (int i = 0; i < length; ++i)
            line += pieces.at(std::uniform_int_distribution<int>(0, pieces.size() - 1)(random));
        const Assignment parsed = matchAssignment(line);
        const Assignment reference = lcctest::matchAssignmentByRegex(line);
        ASSERT_TRUE(lcctest::sameAssignment(parsed, reference))
            << "seed " << seed << " round " << round << " line " << shown(line) << ": " << shown(parsed)
            << " against " << shown(reference);
        found += parsed.found;
        emptyValues += parsed.found && parsed.valueLength == 0;
    }
    // Lines with and without a key, and empty values, all came up often.
    EXPECT_GT(found, 20000);
    EXPECT_LT(found, 180000);
    EXPECT_GT(emptyValues, 2000);
}

TEST(FlatAssignment, AgreesWithTheRegularExpressionOnGeneratedBytes)
{
    // Every byte now and then, among the ones that matter to the grammar.
    const QList<QByteArray> pieces = lcctest::bytePieces("flat-bytes");
    const unsigned seed = 12;
    std::mt19937 random(seed);
    int found = 0;
    for (int round = 0; round < 100000; ++round) {
        QByteArray line;
        const int length = std::uniform_int_distribution<int>(0, 10)(random);
        for (int i = 0; i < length; ++i) {
            if (random() % 4 == 0)
                line += char(random() % 256);
            else
                line += pieces.at(std::uniform_int_distribution<int>(0, pieces.size() - 1)(random));
        }
        const Assignment parsed = matchAssignment(line.constData(), line.size());
        const Assignment reference = lcctest::matchAssignmentByRegex(decoded(line));
        ASSERT_TRUE(lcctest::sameAssignment(parsed, reference))
            << "seed " << seed << " round " << round << " bytes " << line.toHex(' ').toStdString() << ": "
            << shown(parsed) << " against " << shown(reference);
        found += parsed.found;
    }
    EXPECT_GT(found, 20000);
    EXPECT_LT(found, 90000);
}

// Whole texts: the keys set and their values, to the null string and on top
// of what was there before, are those of reading line by line.
TEST(FlatAssignment, ReadingTheBytesSetsWhatReadingTheLinesSets)
{
    // Values from a small alphabet repeat and differ by a byte, keys repeat,
    // lines end in LF, CR LF or a lone CR, some are longer than a piece, and
    // some texts begin with a byte-order mark or a byte that could start one.
    const QList<QByteArray> pieces = lcctest::bytePieces("flat-texts");
    const QList<QByteArray> starts = lcctest::bytePieces("flat-text-starts");
    const unsigned seed = 13;
    std::mt19937 random(seed);
    int longLines = 0;
    for (int round = 0; round < 20000; ++round) {
        QByteArray data = starts.at(std::uniform_int_distribution<int>(0, starts.size() - 1)(random));
        const int count = std::uniform_int_distribution<int>(0, 60)(random);
        for (int i = 0; i < count; ++i) {
            if (random() % 200 == 0) {
                data += QByteArray(int(kFlatLinePiece - 3 + random() % 8), 'x');
                ++longLines;
            }
            data += pieces.at(std::uniform_int_distribution<int>(0, pieces.size() - 1)(random));
        }
        // Now and then many short values, equal and unequal, to fill the
        // reader's memory of the values it has seen.
        if (round % 10 == 0) {
            for (int i = 0; i < 300; ++i) {
                data += "\nV" + QByteArray::number(i % 50) + "=";
                for (int n = int(random() % 4); n > 0; --n)
                    data += "01Y\xC0\xA0 "[random() % 6];
            }
        }
        FlatEntries read{{"KEY", "before"}, {"KEPT", "before"}};
        FlatEntries reference = read;
        LibCommonCfg::internal::loadEntries(read, data);
        loadByRegex(reference, data);
        const std::string where = "seed " + std::to_string(seed) + " round " + std::to_string(round) +
                                  " bytes " + data.toHex(' ').toStdString();
        ASSERT_EQ(read.size(), reference.size()) << where;
        for (auto it = reference.cbegin(); it != reference.cend(); ++it) {
            ASSERT_TRUE(read.contains(it.key())) << where << " key " << it.key().toStdString();
            const QString value = read.value(it.key());
            ASSERT_EQ(value, it.value()) << where << " key " << it.key().toStdString();
            ASSERT_EQ(value.isNull(), it.value().isNull()) << where;
        }
    }
    EXPECT_GT(longLines, 500);
}
