// Reading KEY=VALUE text into the store and writing it back.
#include <LibCommonCfg/setupfile.h>

#include "support/lines.h"
using lcctest::sortedLines;

#include <gtest/gtest.h>

#include <algorithm>

using LibCommonCfg::SetupFile;

namespace {

QStringList sortedKeys(const SetupFile& file)
{
    QStringList keys = file.allKeys();
    std::sort(keys.begin(), keys.end());
    return keys;
}

} // namespace

TEST(SetupFileFormat, AssignmentLines)
{
    SetupFile file;
    file.load(QByteArray("  KEY = some value   \n"
                         "QUOTED=\"a b\"\n"
                         "EMPTY=\n"
                         "key=a=b\n"
                         "A.B=1\n"
                         "KEY-NAME=2\n"
                         "   \t \n"
                         "no assignment here\n"
                         "\n"
                         "#GATEWAY=10.0.0.1\n"
                         "export HOSTNAME=dev01\n"
                         "DOS=crlf\r\n"
                         "  = orphan value\n"
                         "TAB\t=\tx\t\n"));
    EXPECT_EQ(sortedKeys(file), (QStringList{"A.B", "DOS", "EMPTY", "GATEWAY", "HOSTNAME", "KEY", "NAME",
                                             "QUOTED", "TAB", "key"}));
    EXPECT_EQ(file.getString("KEY"), "some value");
    EXPECT_EQ(file.getString("QUOTED"), "\"a b\"");
    EXPECT_TRUE(file.hasKey("EMPTY"));
    EXPECT_TRUE(file.getString("EMPTY").isEmpty());
    EXPECT_FALSE(file.getString("EMPTY").isNull());
    EXPECT_EQ(file.getString("key"), "a=b"); // keys are case-sensitive
    EXPECT_EQ(file.getString("A.B"), "1");
    EXPECT_EQ(file.getString("NAME"), "2");
    EXPECT_EQ(file.getString("GATEWAY"), "10.0.0.1");
    EXPECT_EQ(file.getString("HOSTNAME"), "dev01");
    EXPECT_EQ(file.getString("DOS"), "crlf");
    EXPECT_EQ(file.getString("TAB"), "x");
}

TEST(SetupFileFormat, LongLinesAreReadInPiecesOf1024Characters)
{
    // 1024 + 476 characters: the second piece starts with its own key.
    const QByteArray first = "A=" + QByteArray(1022, 'x');
    const QByteArray second = "B=" + QByteArray(474, 'y');
    SetupFile file;
    file.load(first + second + "\nC=3\n");
    EXPECT_EQ(file.getString("A"), QString(1022, QLatin1Char('x')));
    EXPECT_EQ(file.getString("B"), QString(474, QLatin1Char('y')));
    EXPECT_EQ(file.getString("C"), "3");
    EXPECT_EQ(file.allKeys().size(), 3);

    // A line of exactly 1024 characters stays one line.
    SetupFile exact;
    exact.load("K=" + QByteArray(1020, 'z') + "=\n");
    EXPECT_EQ(exact.allKeys(), QStringList{"K"});
    EXPECT_EQ(exact.getString("K"), QString(1020, QLatin1Char('z')) + QLatin1Char('='));
}

TEST(SetupFileFormat, LoadingMergesAndTheLastOccurrenceWins)
{
    SetupFile file;
    file.load(QByteArray("IPADDR=10.0.0.1\nIPADDR=10.0.0.2\nNETMASK=255.0.0.0\n"));
    EXPECT_EQ(file.getString("IPADDR"), "10.0.0.2");
    file.load(QByteArray("IPADDR=192.168.0.1\nGATEWAY=192.168.0.254\n"));
    EXPECT_EQ(sortedKeys(file), (QStringList{"GATEWAY", "IPADDR", "NETMASK"}));
    EXPECT_EQ(file.getString("IPADDR"), "192.168.0.1");
    EXPECT_EQ(file.getString("NETMASK"), "255.0.0.0");
    file.load(QByteArray());
    EXPECT_EQ(file.allKeys().size(), 3);
}

TEST(SetupFileFormat, Windows1251TextBothWays)
{
    // "ИМЯ=Прибор" in Windows-1251.
    const QByteArray cp1251("HOST=\xcf\xf0\xe8\xe1\xee\xf0\n");
    SetupFile file;
    file.load(cp1251);
    EXPECT_EQ(file.getString("HOST"), QString::fromUtf8("Прибор"));
    EXPECT_EQ(file.serialize(), cp1251);

    SetupFile unrepresentable;
    unrepresentable.setString("K", QString::fromUtf8("a\xe4\xb8\xad"
                                                     "b")); // CJK letter
    EXPECT_EQ(unrepresentable.serialize(), QByteArray("K=a?b\n"));

    // Non-ASCII letters are not key characters.
    SetupFile keys;
    keys.load(QByteArray("\xc8\xcc\xdf"
                         "A=1\n"));
    EXPECT_EQ(keys.allKeys(), QStringList{"A"});

    // A byte order mark switches the reader to UTF-8.
    SetupFile utf8;
    utf8.load(QByteArray("\xef\xbb\xbfHOST=\xd0\x9f\n")); // "П"
    EXPECT_EQ(utf8.allKeys(), QStringList{"HOST"});
    EXPECT_EQ(utf8.getString("HOST"), QString::fromUtf8("П"));
}

TEST(SetupFileFormat, SerializedLines)
{
    SetupFile empty;
    EXPECT_TRUE(empty.serialize().isEmpty());

    SetupFile one;
    one.setString("HOSTNAME", "  dev01 \t");
    EXPECT_EQ(one.serialize(), QByteArray("HOSTNAME=dev01\n"));
    EXPECT_EQ(one.getString("HOSTNAME"), "  dev01 \t"); // only the file text is trimmed

    SetupFile file;
    file.load(QByteArray("  IPADDR = 10.0.0.5 \r\nNETMASK=255.255.255.0\nEMPTY=\nQ=\"x y\"\n"));
    file.setBool("DHCP", false);
    file.setInt("MTU", -5);
    file.setString("NULL", QString());
    EXPECT_EQ(sortedLines(file.serialize()),
              sortedLines({"IPADDR=10.0.0.5", "NETMASK=255.255.255.0", "EMPTY=", "Q=\"x y\"", "DHCP=N",
                           "MTU=-5", "NULL="}));

    // What is written loads back to the same store.
    SetupFile back;
    back.load(file.serialize());
    EXPECT_TRUE(back == file);
}

TEST(SetupFileFormat, KeysThatAreNotKeyTextDoNotLoadBack)
{
    SetupFile file;
    file.setString("MY KEY", "v");
    file.setString("A=B", "c");
    EXPECT_EQ(sortedLines(file.serialize()), sortedLines({"MY KEY=v", "A=B=c"}));

    SetupFile back;
    back.load(file.serialize());
    EXPECT_EQ(sortedKeys(back), (QStringList{"A", "KEY"}));
    EXPECT_EQ(back.getString("A"), "B=c");
    EXPECT_EQ(back.getString("KEY"), "v");
    EXPECT_FALSE(back.hasKey("MY KEY"));
}

TEST(SetupFileFormat, ArbitraryBytesDoNotBreakTheReader)
{
    QByteArray junk;
    for (int i = 0; i < 256; ++i)
        junk.append(static_cast<char>(i));
    junk += junk;
    junk += "\nOK=1\n";
    SetupFile file;
    file.load(junk);
    EXPECT_EQ(file.getString("OK"), "1");
    const QByteArray text = file.serialize();
    EXPECT_TRUE(text.endsWith('\n'));
    SetupFile back;
    back.load(text);
    EXPECT_EQ(back.getString("OK"), "1");
}
