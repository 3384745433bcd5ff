// The hand-written KEY=VALUE matcher against the regular expression that
// defines it, on generated lines as characters and as Windows-1251 bytes;
// and the reader that splits and matches the bytes itself against reading
// the text the plain way, line by line through DeviceLines and the
// expression, with the text written from what it read reading back alike.
#include "common/devicecodec.h"
#include "common/devicelines.h"
#include "flatfile/assignment.h"
#include "flatfile/entries.h"
#include "regexassignment.h"
#include "support/cases.h"
#include "support/lines.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace LibCommonCfg::internal;

namespace {

std::string shown(const Assignment& a)
{
    return std::to_string(a.found) + " key " + std::to_string(a.keyBegin) + "+" +
           std::to_string(a.keyLength) + " value " + std::to_string(a.valueBegin) + "+" +
           std::to_string(a.valueLength);
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
    // Characters, and bytes among which every byte turns up now and then.
    const QStringList chars = lcctest::textPieces("flat-lines");
    const QList<QByteArray> bytes = lcctest::bytePieces("flat-bytes");
    std::mt19937 random(11);
    const auto below = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    int found = 0, foundInBytes = 0, emptyValues = 0;
    for (int round = 0; round < 200000; ++round) {
        // Now and then a line as long as the readers take at once, in case
        // the expression gives up on long lines somewhere.
        QString line;
        for (int i = below(round % 1000 == 0 ? 601 : 11); i > 0; --i)
            line += chars.at(below(chars.size()));
        QByteArray raw;
        for (int i = below(11); i > 0; --i)
            raw += random() % 4 == 0 ? QByteArray(1, char(random())) : bytes.at(below(bytes.size()));
        QString decoded;
        decodeDeviceText(raw.constData(), raw.size(), decoded);
        const Assignment parsed = matchAssignment(line),
                         parsedBytes = matchAssignment(raw.constData(), raw.size());
        const QByteArray units(reinterpret_cast<const char*>(line.utf16()), line.size() * 2);
        ASSERT_EQ(shown(parsed), shown(lcctest::matchAssignmentByRegex(line)))
            << "round " << round << " UTF-16 " << units.toHex(' ').toStdString();
        ASSERT_EQ(shown(parsedBytes), shown(lcctest::matchAssignmentByRegex(decoded)))
            << "round " << round << " bytes " << raw.toHex(' ').toStdString();
        found += parsed.found;
        foundInBytes += parsedBytes.found;
        emptyValues += parsed.found && parsed.valueLength == 0;
    }
    // Lines with and without a key, and empty values, all came up often.
    EXPECT_GT(found, 20000);
    EXPECT_LT(found, 180000);
    EXPECT_GT(foundInBytes, 40000);
    EXPECT_LT(foundInBytes, 180000);
    EXPECT_GT(emptyValues, 2000);
}

// Whole texts: the keys set and their values, to the null string and on top
// of what was there before, are those of reading line by line; and the text
// written from them reads back to what is written again line for line.
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
            data += random() % 8 == 0
                        ? QByteArray(1, char(random()))
                        : pieces.at(std::uniform_int_distribution<int>(0, pieces.size() - 1)(random));
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
        loadEntries(read, data);
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
        // Reading what was written and writing it again gives the same lines.
        const QByteArray text = serializeEntries(read, ValueOutput::AsStored);
        FlatEntries back;
        loadEntries(back, text);
        ASSERT_EQ(lcctest::sortedLines(serializeEntries(back, ValueOutput::AsStored)),
                  lcctest::sortedLines(text))
            << where;
    }
    EXPECT_GT(longLines, 500);
}
