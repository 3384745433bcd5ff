// One property over many generated device files: the tool's line-by-line
// reading is exactly what the library's readers make of the file, and every
// edit it makes either reads back as intended, touching only its own line,
// or is refused.
#include "edits.h"
#include "flatlayout.h"
#include "inilayout.h"
#include "support/cases.h"
#include "support/files.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTextCodec>

#include <random>

namespace {

using namespace commoncfg;

// Files of lines drawn from an alphabet (tests/cases/alphabets), some
// longer than either reader takes at once, with mixed line ends.
const char* const kLineEnds[] = {"\n", "\r\n", "\r\n", "\n", "\r"};

QByteArray generate(std::mt19937& random, const QList<QByteArray>& shapes)
{
    std::uniform_int_distribution<int> lineCount(0, 24), pick(0, shapes.size() - 1), end(0, 4), rare(0, 40);
    QByteArray bytes;
    const int lines = lineCount(random);
    for (int i = 0; i < lines; ++i) {
        QByteArray line = shapes.at(pick(random));
        // Now and then a line just within or just beyond what a reader takes
        // at once (1024 characters, 4095 bytes with the line end).
        static const int kLongLengths[] = {1023, 1024, 1025, 2048, 4093, 4094, 4095, 4100};
        if (rare(random) == 0)
            line = line.leftJustified(kLongLengths[rare(random) % 8], 'L');
        bytes += line;
        if (i + 1 < lines || rare(random) < 35)
            bytes += kLineEnds[end(random)];
    }
    return bytes;
}

QString writeTemporary(const QTemporaryDir& dir, const QByteArray& bytes)
{
    EXPECT_TRUE(lcctest::writeAll(dir.filePath(QStringLiteral("written")), bytes));
    return dir.filePath(QStringLiteral("written"));
}

// Only the bytes between `begin` and the old `end` may differ.
void expectOnlyChanged(const QByteArray& before, const QByteArray& after, int begin, int end)
{
    EXPECT_EQ(after.left(begin), before.left(begin));
    EXPECT_EQ(after.mid(after.size() - (before.size() - end)), before.mid(end));
}

TEST(ToolLayout, IniReadingMatchesTheLibraryAndEditsReadBackOrAreRefused)
{
    QTemporaryDir dir;
    const QList<QByteArray> iniLines = lcctest::bytePieces("tool-ini-lines");
    std::mt19937 random(20261207);
    int agreed = 0, disputed = 0, created = 0;
    std::uniform_int_distribution<int> rare(0, 40), pick(0, iniLines.size() - 1);
    for (int round = 0; round < 400; ++round) {
        const QByteArray bytes = generate(random, iniLines);
        SCOPED_TRACE(bytes.toPercentEncoding().toStdString());
        const IniLayout layout(bytes);
        ASSERT_EQ(layout.mismatch(), QString());

        QList<QPair<QString, QString>> keys;
        for (const IniLayout::Section& section : layout.sections()) {
            for (const IniLayout::Item& item : section.items) {
                if (item.isKey)
                    keys.append(
                        {deviceCodec()->toUnicode(section.name), deviceCodec()->toUnicode(item.name)});
            }
        }
        for (const QString& groupKey : layout.typedKeys())
            keys.append({layout.typedPlace(groupKey).group, layout.typedPlace(groupKey).name});

        for (const auto& key : keys) {
            const KeyReading reading = layout.read(key.first, key.second);
            // Read alone, the key's group reads as in the whole file.
            const IniLayout alone(bytes, key.first);
            ASSERT_EQ(alone.mismatch(), QString());
            const KeyReading one = alone.read(key.first, key.second);
            EXPECT_TRUE(one.state == reading.state && one.place.line == reading.place.line &&
                        one.place.value == reading.place.value && one.problem == reading.problem);
            const Change change{key.first, key.second, QStringLiteral("v%1").arg(round)};
            const EditOutcome outcome = editIni(bytes, change, false);
            const bool tooLong = outcome.problem.startsWith(QStringLiteral("the line would be"));
            if (reading.state == KeyReading::Agreed && !tooLong) {
                ASSERT_EQ(outcome.problem, QString());
                ++agreed;
                expectOnlyChanged(bytes, outcome.bytes, reading.place.valueBegin, reading.place.valueEnd);
                EXPECT_EQ(checkIniResult(bytes, writeTemporary(dir, outcome.bytes), {change}), QString());
                // Group by group, the read-back refuses what the whole files
                // read at once refuse: here two lines too many.
                QByteArray tampered = outcome.bytes;
                tampered.insert(tampered.indexOf('\n', rare(random) * tampered.size() / 40) + 1,
                                iniLines.at(pick(random)) + "\n" + iniLines.at(pick(random)) + "\n");
                const QString written = writeTemporary(dir, tampered);
                EXPECT_EQ(checkIniResult(bytes, tampered, written, {change}, 1 + round % 3),
                          checkWholeIniResult(bytes, tampered, written, {change}));
            } else {
                ++disputed;
                EXPECT_EQ(outcome.exitCode, 2);
                EXPECT_TRUE(outcome.problem.contains(QStringLiteral("line ")))
                    << outcome.problem.toStdString();
            }
        }
        // A new key in an existing and in a new group: added whole, or refused.
        for (const QString& group :
             {QStringLiteral("main"), QStringLiteral("achan1"), QStringLiteral("fresh")}) {
            const Change change{group, QStringLiteral("added"), QStringLiteral("1")};
            const EditOutcome outcome = editIni(bytes, change, true);
            if (!outcome.problem.isEmpty())
                continue;
            ++created;
            EXPECT_GT(outcome.bytes.size(), bytes.size());
            EXPECT_EQ(checkIniResult(bytes, writeTemporary(dir, outcome.bytes), {change}), QString());
        }
    }
    // The generator reaches every road.
    EXPECT_GT(agreed, 200);
    EXPECT_GT(disputed, 200);
    EXPECT_GT(created, 200);
}

TEST(ToolLayout, FlatReadingMatchesTheLibraryAndEditsReadBack)
{
    QTemporaryDir dir;
    const QList<QByteArray> flatLines = lcctest::bytePieces("tool-flat-lines");
    std::mt19937 random(7);
    int edited = 0;
    for (int round = 0; round < 300; ++round) {
        const QByteArray bytes = generate(random, flatLines);
        SCOPED_TRACE(bytes.toPercentEncoding().toStdString());
        for (const FileKind kind : {FileKind::Setup, FileKind::TimeZone}) {
            const FlatLayout layout(bytes, kind);
            ASSERT_EQ(layout.mismatch(), QString());
            for (const QString& key : layout.keys() + QStringList{QStringLiteral("NEWKEY")}) {
                const KeyReading reading = layout.read(key);
                const Change change{QString(), key, QStringLiteral("10.1.%1.1").arg(round)};
                const EditOutcome outcome = editFlat(bytes, kind, change, true);
                if (reading.state == KeyReading::Disputed ||
                    outcome.problem.startsWith(QStringLiteral("the line would be"))) {
                    EXPECT_EQ(outcome.exitCode, 2);
                    continue;
                }
                ASSERT_EQ(outcome.problem, QString());
                ++edited;
                if (reading.state == KeyReading::Agreed)
                    expectOnlyChanged(bytes, outcome.bytes, reading.place.valueBegin, reading.place.valueEnd);
                EXPECT_EQ(checkFlatResult(bytes, kind, writeTemporary(dir, outcome.bytes), {change}),
                          QString());
            }
        }
    }
    EXPECT_GT(edited, 1000);
}

// The read-back check on data cases: each names the file before, the change
// (group, key, value; no group in a flat file), the kinds to read it as and
// files after it that pass or are refused.
LCC_CASE_TEST(Readback, "readback", "kind", "before", "group", "key", "value", "passes", "refused")
{
    ASSERT_TRUE(c.has("kind") && c.has("before") && c.has("key") && c.has("passes") && c.has("refused"));
    const Change change{QString::fromUtf8(c.one("group")), QString::fromUtf8(c.one("key")),
                        QString::fromUtf8(c.one("value"))};
    QTemporaryDir dir;
    for (const char* verdict : {"passes", "refused"}) {
        for (const QByteArray& after : c.all(verdict)) {
            const QString written = writeTemporary(dir, after);
            for (const QByteArray& kind : c.all("kind")) {
                ASSERT_TRUE(kind == "ini" || kind == "setup" || kind == "tz") << kind.constData();
                const FileKind flat = kind == "tz" ? FileKind::TimeZone : FileKind::Setup;
                const QString problem = kind == "ini"
                                            ? checkIniResult(c.one("before"), written, {change})
                                            : checkFlatResult(c.one("before"), flat, written, {change});
                EXPECT_EQ(problem.isEmpty(), verdict[0] == 'p')
                    << kind.constData() << ": " << after.toPercentEncoding().constData();
            }
        }
    }
}

} // namespace
