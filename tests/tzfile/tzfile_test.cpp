// The time-zone settings file: the line grammar, merging loads, yes/no
// access (with the inserting lookup of getBool), the Windows-1251 output and
// the file operations.
#include <LibCommonCfg/tzfile.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/files.h"

#include <algorithm>

using LibCommonCfg::TZFile;

using lcctest::readAll;
using lcctest::writeAll;

namespace {

const QString kDeviceFile = QStringLiteral(LCC_TEST_DATA_DIR "/timezone.conf");

TZFile fromBytes(const QByteArray& data)
{
    TZFile tz;
    tz.load(data);
    return tz;
}

// The entries come out in the hash's order, which is not defined; compare
// the lines as a sorted list, and check that nothing but lines was written.
QList<QByteArray> sortedLines(const QByteArray& text)
{
    if (text.isEmpty())
        return {};
    EXPECT_TRUE(text.endsWith('\n')) << text.constData();
    QList<QByteArray> lines = text.left(text.size() - 1).split('\n');
    std::sort(lines.begin(), lines.end());
    return lines;
}

} // namespace

TEST(TZFile, LineGrammar)
{
    struct Case {
        const char* line;
        const char* text; // what serialize writes for this one line
    } cases[] = {
        {"TZ=UTC", "TZ=UTC\n"},
        {"  TZ  =  UTC  ", "TZ=UTC\n"},
        {"\tTZ\t=\tUTC\t", "TZ=UTC\n"},
        {"A=B=C", "A=B=C\n"},
        {"my-key=1", "key=1\n"},
        {"# TZ=UTC", "TZ=UTC\n"},
        {"; NTP.server_2 = a b  c ", "NTP.server_2=a b  c\n"},
        {"ZONE=", "ZONE=\n"},
        {"ZONE =   ", "ZONE=\n"},
        {"ZONE=\"Europe/Moscow\"", "ZONE=\"Europe/Moscow\"\n"},
        {"Q='x'", "Q='x'\n"},
        {"k==", "k==\n"},
        {"=x", ""},
        {" = x", ""},
        {"no assignment here", ""},
        {"-=1", ""},
        {"", ""},
        {"   ", ""},
        // Keys are ASCII only: the Cyrillic name cannot be a key, the ASCII
        // tail in front of "=" can.
        {"\xc7\xce\xcd\xc0=1", ""},
        {"\xc7\xce\xcd\xc0X=1", "X=1\n"},
    };
    for (const Case& c : cases) {
        const TZFile tz = fromBytes(QByteArray(c.line));
        EXPECT_EQ(tz.serialize(), QByteArray(c.text)) << "line '" << c.line << "'";
    }

    // Line ends: LF and CR LF alike, blank lines skipped.
    EXPECT_EQ(fromBytes("TZ=UTC\r\n\r\n\n").serialize(), QByteArray("TZ=UTC\n"));
    EXPECT_EQ(sortedLines(fromBytes("A=1\r\nB=2\nC=3").serialize()),
              (QList<QByteArray>{"A=1", "B=2", "C=3"}));
    EXPECT_EQ(fromBytes("K=v\r\n").getString("K"), "v");
}

TEST(TZFile, LongLinesAreReadInPiecesOf1024)
{
    // The first 1024 characters are one line, the rest a further line.
    const QByteArray first = "LONG=" + QByteArray(1024 - 5, 'x');
    TZFile tz = fromBytes(first + "NEXT=tail\nAFTER=1\n");
    EXPECT_EQ(tz.getString("LONG"), QString(1019, QLatin1Char('x')));
    EXPECT_EQ(tz.getString("NEXT"), "tail");
    EXPECT_EQ(tz.getString("AFTER"), "1");

    // Exactly 1024 characters: nothing is split off.
    TZFile exact = fromBytes(first + "\nB=2\n");
    EXPECT_EQ(sortedLines(exact.serialize()), (QList<QByteArray>{"B=2", first}));

    // A value cut at 1024 characters: its tail has no "=" and is dropped.
    TZFile cut = fromBytes("V=" + QByteArray(2000, 'v') + "\n");
    EXPECT_EQ(cut.getString("V").size(), 1022);
    EXPECT_EQ(cut.serialize().size(), 1024 + 1);

    // A huge line: every piece of 1024 characters is searched on its own.
    QByteArray huge;
    for (int i = 0; i < 300; ++i)
        huge += QByteArray(1018, ' ') + "K" + QByteArray::number(i).rightJustified(3, '0') + "=v";
    TZFile many = fromBytes(huge);
    EXPECT_EQ(sortedLines(many.serialize()).size(), 300);
    EXPECT_EQ(many.getString("K000"), "v");
    EXPECT_EQ(many.getString("K299"), "v");
}

TEST(TZFile, LoadingMergesAndLastOccurrenceWins)
{
    TZFile tz;
    tz.load(QByteArray("TZ=A\n"));
    tz.load(QByteArray("DST=Y\n"));
    EXPECT_EQ(sortedLines(tz.serialize()), (QList<QByteArray>{"DST=Y", "TZ=A"}));
    tz.load(QByteArray("TZ=B\n"));
    EXPECT_EQ(sortedLines(tz.serialize()), (QList<QByteArray>{"DST=Y", "TZ=B"}));
    tz.load(QByteArray("TZ=C\nTZ=D\n"));
    EXPECT_EQ(tz.getString("TZ"), "D");
    tz.load(QByteArray());
    EXPECT_EQ(sortedLines(tz.serialize()), (QList<QByteArray>{"DST=Y", "TZ=D"}));
    // Keys are case-sensitive.
    tz.load(QByteArray("tz=lower\n"));
    EXPECT_EQ(tz.getString("TZ"), "D");
    EXPECT_EQ(tz.getString("tz"), "lower");
}

TEST(TZFile, TextEncodings)
{
    // Windows-1251 both ways.
    TZFile tz = fromBytes("CITY=\xcc\xee\xf1\xea\xe2\xe0\n");
    EXPECT_EQ(tz.getString("CITY"), QString::fromUtf8("Москва"));
    EXPECT_EQ(tz.serialize(), QByteArray("CITY=\xcc\xee\xf1\xea\xe2\xe0\n"));

    // A byte-order mark switches the decoding.
    EXPECT_EQ(fromBytes("\xef\xbb\xbf"
                        "CITY=\xd0\x9c\xd0\xbe\xd1\x81\xd0\xba\xd0\xb2\xd0\xb0\n")
                  .getString("CITY"),
              QString::fromUtf8("Москва"));
    QByteArray utf16("\xff\xfe");
    for (char c : QByteArray("TZ=UTC\n")) {
        utf16.append(c);
        utf16.append('\0');
    }
    EXPECT_EQ(fromBytes(utf16).getString("TZ"), "UTC");

    // Characters Windows-1251 lacks are replaced; values are written as
    // stored, blanks included; no byte-order mark.
    TZFile out;
    out.setString("NOTE", QString::fromUtf8("  a\xe4\xb8\xad b  "));
    EXPECT_EQ(out.serialize(), QByteArray("NOTE=  a? b  \n"));
}

TEST(TZFile, StringAndYesNoAccess)
{
    TZFile tz;
    EXPECT_TRUE(tz.getString("TZ").isNull());
    EXPECT_FALSE(tz.hasKey("TZ")); // getString added nothing
    EXPECT_TRUE(tz.serialize().isEmpty());

    tz.setBool("DST", true);
    EXPECT_TRUE(tz.getBool("DST"));
    EXPECT_EQ(tz.getString("DST"), "Y");
    tz.setBool("DST", false);
    EXPECT_FALSE(tz.getBool("DST"));
    EXPECT_EQ(tz.serialize(), QByteArray("DST=N\n"));

    const char* trueTexts[] = {"y", "Y"};
    const char* falseTexts[] = {"yes", "1", "N", "n", "", " y", "true", "YY"};
    for (const char* t : trueTexts) {
        tz.setString("F", QString::fromLatin1(t));
        EXPECT_TRUE(tz.getBool("F")) << "text '" << t << "'";
    }
    for (const char* t : falseTexts) {
        tz.setString("F", QString::fromLatin1(t));
        EXPECT_FALSE(tz.getBool("F")) << "text '" << t << "'";
    }
    // Read from a file line, the blanks are gone and " y " counts.
    EXPECT_TRUE(fromBytes("F = y \n").getBool("F"));

    tz.setString("ZONE", "Europe/Moscow");
    tz.setString("ZONE", "Asia/Omsk");
    EXPECT_EQ(tz.getString("ZONE"), "Asia/Omsk");
}

TEST(TZFile, GetBoolOfAbsentKeyAddsIt)
{
    TZFile tz;
    const TZFile empty;
    EXPECT_FALSE(tz.getBool("NTP_ENABLE"));
    EXPECT_TRUE(tz.hasKey("NTP_ENABLE"));
    EXPECT_TRUE(tz.getString("NTP_ENABLE").isNull());
    EXPECT_EQ(tz.serialize(), QByteArray("NTP_ENABLE=\n"));
    EXPECT_NE(tz, empty);
    EXPECT_FALSE(tz == empty);

    // The added key survives a round trip, now with an empty value.
    TZFile reread = fromBytes(tz.serialize());
    EXPECT_TRUE(reread.hasKey("NTP_ENABLE"));
    EXPECT_EQ(reread.getString("NTP_ENABLE"), "");
    EXPECT_FALSE(reread.getBool("NTP_ENABLE"));
}

TEST(TZFile, Equality)
{
    TZFile a;
    a.setString("TZ", "UTC");
    a.setBool("DST", false);
    a.setString("ZONE", "Etc/UTC");
    TZFile b;
    b.setString("ZONE", "Etc/UTC");
    b.setBool("DST", false);
    b.setString("TZ", "UTC");
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a != b);
    EXPECT_EQ(sortedLines(a.serialize()), sortedLines(b.serialize()));

    b.setString("TZ", "utc");
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(a != b);
    b.setString("TZ", "UTC");
    EXPECT_TRUE(a == b);
    b.setString("EXTRA", "1");
    EXPECT_TRUE(a != b);

    const TZFile copy = a;
    a.setString("TZ", "MSK-3");
    EXPECT_EQ(copy.getString("TZ"), "UTC");
    EXPECT_TRUE(TZFile() == TZFile());
    EXPECT_TRUE(TZFile().serialize().isEmpty());
}

TEST(TZFile, DeviceFileByteForByte)
{
    TZFile tz;
    ASSERT_TRUE(tz.load(kDeviceFile));
    EXPECT_EQ(tz.getString("TZ"), "MSK-3");
    EXPECT_EQ(tz.getString("ZONE"), "\"Europe/Moscow\"");
    EXPECT_TRUE(tz.getBool("DST"));
    EXPECT_TRUE(tz.getBool("NTP_ENABLE"));
    EXPECT_EQ(tz.getString("CITY"), QString::fromUtf8("Москва"));
    EXPECT_EQ(tz.getString("AUTO_DST"), "");
    EXPECT_FALSE(tz.getString("AUTO_DST").isNull());

    const QByteArray expected = "AUTO_DST=\n"
                                "CITY=\xcc\xee\xf1\xea\xe2\xe0\n"
                                "DST=Y\n"
                                "NTP_ENABLE=y\n"
                                "NTP_SERVER.1=192.168.1.1\n"
                                "NTP_SERVER=pool.ntp.org\n"
                                "OLD_TZ=EET-2\n"
                                "SYNC_PERIOD=3600\n"
                                "TZ=MSK-3\n"
                                "UTC_OFFSET=+03:00\n"
                                "ZONE=\"Europe/Moscow\"\n";
    const QByteArray text = tz.serialize();
    EXPECT_EQ(text.size(), expected.size());
    EXPECT_EQ(sortedLines(text), sortedLines(expected));
}

TEST(TZFile, FileThatVanishesBetweenLoadAndSave)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir("etc"));
    const QString name = dir.filePath("etc/tz.conf");
    ASSERT_TRUE(writeAll(name, "TZ=MSK-3\n"));

    TZFile tz;
    ASSERT_TRUE(tz.load(name));
    ASSERT_TRUE(QFile::remove(name));
    ASSERT_TRUE(tz.save(name));
    EXPECT_EQ(readAll(name), QByteArray("TZ=MSK-3\n"));

    ASSERT_TRUE(QDir(dir.filePath("etc")).removeRecursively());
    EXPECT_FALSE(tz.save(name));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("etc")));
}

TEST(TZFile, FilesLoadAndSave)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());

    TZFile tz;
    tz.setString("TZ", "UTC");
    EXPECT_FALSE(tz.load(dir.filePath("missing.conf")));
    EXPECT_EQ(tz.serialize(), QByteArray("TZ=UTC\n"));
    EXPECT_FALSE(tz.load(dir.path())); // a folder is not a file
    EXPECT_EQ(tz.serialize(), QByteArray("TZ=UTC\n"));

    // Save replaces a longer old file completely.
    const QString name = dir.filePath("tz.conf");
    ASSERT_TRUE(writeAll(name, QByteArray(5000, '#') + "\nOLD=1\n"));
    tz.setBool("DST", true);
    ASSERT_TRUE(tz.save(name));
    EXPECT_EQ(readAll(name), tz.serialize());
    EXPECT_EQ(sortedLines(readAll(name)), (QList<QByteArray>{"DST=Y", "TZ=UTC"}));

    // A fresh object loads exactly what was saved; loading merges.
    TZFile reread;
    reread.setString("KEEP", "me");
    ASSERT_TRUE(reread.load(name));
    EXPECT_EQ(reread.getString("KEEP"), "me");
    EXPECT_EQ(reread.getString("TZ"), "UTC");
    EXPECT_TRUE(reread.getBool("DST"));

    // An empty object saves an empty file.
    const QString emptyName = dir.filePath("empty.conf");
    ASSERT_TRUE(TZFile().save(emptyName));
    EXPECT_TRUE(QFileInfo::exists(emptyName));
    EXPECT_EQ(QFileInfo(emptyName).size(), 0);

    // The device file round-trips through save and load.
    TZFile device;
    ASSERT_TRUE(device.load(kDeviceFile));
    const QString copyName = dir.filePath("device-copy.conf");
    ASSERT_TRUE(device.save(copyName));
    TZFile back;
    ASSERT_TRUE(back.load(copyName));
    EXPECT_TRUE(back == device);
}

TEST(TZFile, SaveFailureLeavesFilesAlone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TZFile tz;
    tz.setString("TZ", "UTC");

    // The folder part of the target is a regular file.
    const QString blocker = dir.filePath("blocker");
    const QByteArray old = "TZ=OLD\n";
    ASSERT_TRUE(writeAll(blocker, old));
    EXPECT_FALSE(tz.save(blocker + QStringLiteral("/tz.conf")));
    EXPECT_EQ(readAll(blocker), old);
    EXPECT_TRUE(QFileInfo(blocker).isFile());

    // The target is a folder.
    const QString folder = dir.filePath("folder");
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_FALSE(tz.save(folder));
    EXPECT_TRUE(QFileInfo(folder).isDir());

    // The target's folder does not exist.
    EXPECT_FALSE(tz.save(dir.filePath("no/such/folder/tz.conf")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("no")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              (QStringList{"blocker", "folder"}));
    EXPECT_FALSE(tz.save(QString()));
}

TEST(TZFile, ArbitraryBytesSettleAfterOneRoundTrip)
{
    // Every byte value, in pseudo-random lines with assignments scattered in.
    QByteArray data;
    quint32 state = 12345u;
    for (int i = 0; i < 20000; ++i) {
        state = state * 1103515245u + 12345u;
        const char byte = static_cast<char>((state >> 16) & 0xff);
        data.append(byte);
        if (i % 97 == 0)
            data.append("K" + QByteArray::number(i % 13) + "=");
    }
    for (int b = 0; b < 256; ++b)
        data.append("B=").append(static_cast<char>(b)).append('\n');

    const TZFile first = fromBytes(data);
    const QByteArray text = first.serialize();
    EXPECT_FALSE(text.isEmpty());
    // Once written, the text reads back to the same entries and the same
    // lines (characters Windows-1251 lacks were replaced on the first write).
    const TZFile second = fromBytes(text);
    EXPECT_EQ(sortedLines(second.serialize()), sortedLines(text));
    EXPECT_TRUE(fromBytes(second.serialize()) == second);
}
