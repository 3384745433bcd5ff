// One property over many generated device files: the tool's line-by-line
// reading is exactly what the library's readers make of the file, and every
// edit it makes either reads back as intended, touching only its own line,
// or is refused.
#include "edits.h"
#include "flatlayout.h"
#include "inilayout.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTextCodec>
#include <QTemporaryDir>

#include <random>

namespace {

using namespace commoncfg;

// Lines of every kind the readers tell apart or disagree on: headers valid
// for one reader only, repeated and case-variant names, comments, empty
// values, several "=", ";" in keys, control bytes and NBSP at the ends,
// Cyrillic text, lines longer than either reader takes at once.
const char* const kIniLines[] = {
    "[main]", "[Main]", "[achan1]", "  [dchan2] ; note", "[my-group]", "[ a ]", "[broken", "[]",
    "modem=1", "Modem=0", "  name = x ", "name=y;comment", "a=b=c", "a;b=c", "=5", "k=", "k = ;c",
    "linemask=0x3F", "nstate=on", "x", "; comment", ";", "# hash", "", "   ", "k=\x01v", "\xa0k=1", "v=1\xa0",
    "\xe8\xec\xff=\xe7\xed\xe0\xf7\xe5\xed\xe8\xe5", "0k=1", "k\r=2",
};
const char* const kFlatLines[] = {
    "IPADDR=10.0.0.1", "  NETMASK = 255.0.0.0 ", "# GATEWAY=10.0.0.254", "export TZ=UTC", "my-key=1", "A.B=1",
    "KEY=a=b", "EMPTY=", "=x", "no assignment", "", "NAME=\xcc\xee\xf1\xea\xe2\xe0", "IPADDR=10.0.0.2",
};
const char* const kLineEnds[] = {"\n", "\r\n", "\r\n", "\n", "\r"};

QByteArray generate(std::mt19937& random, const char* const* shapes, int shapeCount)
{
    std::uniform_int_distribution<int> lineCount(0, 24);
    std::uniform_int_distribution<int> pick(0, shapeCount - 1);
    std::uniform_int_distribution<int> end(0, 4);
    std::uniform_int_distribution<int> rare(0, 40);
    QByteArray bytes;
    const int lines = lineCount(random);
    for (int i = 0; i < lines; ++i) {
        QByteArray line(shapes[pick(random)]);
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
    const QString name = dir.filePath(QStringLiteral("written"));
    QFile file(name);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    return name;
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
    ASSERT_TRUE(dir.isValid());
    std::mt19937 random(20261207);
    int agreed = 0;
    int disputed = 0;
    int created = 0;
    for (int round = 0; round < 400; ++round) {
        const QByteArray bytes =
            generate(random, kIniLines, int(sizeof kIniLines / sizeof *kIniLines));
        SCOPED_TRACE(bytes.toPercentEncoding().toStdString());
        const IniLayout layout(bytes);
        ASSERT_EQ(layout.mismatch(), QString());

        QList<QPair<QString, QString>> keys;
        for (const IniLayout::Section& section : layout.sections()) {
            for (const IniLayout::Item& item : section.items) {
                if (item.isKey)
                    keys.append({deviceCodec()->toUnicode(section.name), deviceCodec()->toUnicode(item.name)});
            }
        }
        for (const QString& groupKey : layout.typedKeys()) {
            const KeyPlace place = layout.typedPlace(groupKey);
            keys.append({place.group, place.name});
        }

        for (const auto& key : keys) {
            const KeyReading reading = layout.read(key.first, key.second);
            const Change change{key.first, key.second, QStringLiteral("v%1").arg(round)};
            const EditOutcome outcome = editIni(bytes, change, false);
            const bool tooLong = outcome.problem.startsWith(QStringLiteral("the line would be"));
            if (reading.state == KeyReading::Agreed && !tooLong) {
                ASSERT_EQ(outcome.problem, QString());
                ++agreed;
                expectOnlyChanged(bytes, outcome.bytes, reading.place.valueBegin, reading.place.valueEnd);
                EXPECT_EQ(checkIniResult(bytes, writeTemporary(dir, outcome.bytes), {change}), QString());
            } else {
                ++disputed;
                EXPECT_EQ(outcome.exitCode, 2);
                EXPECT_TRUE(outcome.problem.contains(QStringLiteral("line "))) << outcome.problem.toStdString();
            }
        }
        // A new key in an existing and in a new group: added whole, or refused.
        for (const QString& group : {QStringLiteral("main"), QStringLiteral("achan1"), QStringLiteral("fresh")}) {
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
    ASSERT_TRUE(dir.isValid());
    std::mt19937 random(7);
    int edited = 0;
    for (int round = 0; round < 300; ++round) {
        const QByteArray bytes = generate(random, kFlatLines, int(sizeof kFlatLines / sizeof *kFlatLines));
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
                EXPECT_EQ(checkFlatResult(bytes, kind, writeTemporary(dir, outcome.bytes), {change}), QString());
            }
        }
    }
    EXPECT_GT(edited, 1000);
}

// The read-back check passes the intended change and nothing else that any
// reader of the device would see.
TEST(ToolReadback, PassesTheIntendedChangeAndNothingElse)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray ini("[main] ;g\r\n   a=1 ;note\r\n   b=2\r\n;c\r\n[x]\r\n   k=v\r\n");
    const Change setA{QStringLiteral("main"), QStringLiteral("a"), QStringLiteral("5")};
    const Change addN{QStringLiteral("main"), QStringLiteral("n"), QStringLiteral("7")};
    const Change addY{QStringLiteral("y"), QStringLiteral("k"), QStringLiteral("1")};
    const QByteArray edited = QByteArray(ini).replace("a=1", "a=5");
    struct Case {
        Change change;
        QByteArray after;
        bool passes;
    };
    const Case iniCases[] = {
        {setA, edited, true},
        {setA, QByteArray(edited).replace("b=2\r\n", "b=2\n"), true}, // line ends are no reader's business
        {setA, QByteArray(edited).replace(";note", ";nope"), false},
        {setA, QByteArray(edited).replace("[main] ;g", "[main] ;h"), false},
        {setA, QByteArray(edited).replace("b=2", "b=3"), false},
        {setA, QByteArray(edited).replace(";c\r\n", ""), false},
        {setA, QByteArray(edited).replace("b=2\r\n", "b=2\r\n   c=3\r\n"), false},
        {setA, QByteArray(ini).replace("b=2", "b=5"), false},
        {setA, edited + "[main]\r\na=9\r\n", false}, // seen by the typed reader alone
        {addN, QByteArray(ini).replace("b=2\r\n", "b=2\r\n   n=7\r\n"), true},
        {addN, QByteArray(ini).replace(";c\r\n", ";c\r\n   n=7\r\n"), false}, // after the comment
        {addY, ini + "[y]\r\nk=1\r\n", true},
        {addY, ini + "[y]\r\nk=1\r\nj=2\r\n", false},
    };
    for (const Case& c : iniCases) {
        const QString written = writeTemporary(dir, c.after);
        EXPECT_EQ(checkIniResult(ini, written, {c.change}).isEmpty(), c.passes) << c.after.toStdString();
    }

    const QByteArray flat("A=1\nB=2\n");
    const Change setFlat{QString(), QStringLiteral("A"), QStringLiteral("5")};
    const Case flatCases[] = {
        {setFlat, "A=5\nB=2\n", true},
        {setFlat, "A=5\r\n# note\nB=2\n", true},
        {setFlat, "A=5\nB=3\n", false},
        {setFlat, "A=5\nB=2\nC=1\n", false},
        {setFlat, "A=1\nB=2\n", false},
    };
    for (const FileKind kind : {FileKind::Setup, FileKind::TimeZone}) {
        for (const Case& c : flatCases) {
            const QString written = writeTemporary(dir, c.after);
            EXPECT_EQ(checkFlatResult(flat, kind, written, {c.change}).isEmpty(), c.passes) << c.after.toStdString();
        }
    }
}

} // namespace
