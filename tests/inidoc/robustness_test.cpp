// Bytes that no device should write, but damaged storage does: the reader
// must neither crash nor hang, and must keep what it can.
#include <LibCommonCfg/inifile.h>

#include <gtest/gtest.h>

using LibCommonCfg::IniFile;

TEST(IniRobustness, HostileBytes)
{
    {
        IniFile doc(QByteArray("[g]\nk=a\0b\nn\0=1\n", 16));
        EXPECT_EQ(doc.valueFromGroup("g", "k").toString(), QString::fromLatin1("a\0b", 3));
        EXPECT_TRUE(doc.allKeys().contains(QString::fromLatin1("g/n\0", 4)));
    }
    {
        // A lone CR is no line end: a header followed by one is no header,
        // and a key line keeps the CR inside its value.
        IniFile doc(QByteArray("[g]\rk=1\n[h]\nk=1\rj=2\r\n"));
        EXPECT_EQ(doc.allKeys(), QStringList{"h/k"});
        EXPECT_EQ(doc.valueFromGroup("h", "k"), QVariant("1\rj=2"));
    }
    {
        // Invalid UTF-8 after a UTF-8 byte-order mark.
        IniFile doc(QByteArray("\xEF\xBB\xBF[g]\nk=\xFF\xFE\xC0\n\x80=\xC3\n"));
        EXPECT_TRUE(doc.allKeys().contains("g/k"));
        EXPECT_FALSE(doc.serialize().isEmpty());
    }
    {
        IniFile doc(QByteArray("=\n=\n==\n===\n"));
        EXPECT_EQ(doc.allKeys(), (QStringList{"/="}));
    }
    {
        // A UTF-16 byte-order mark with an odd byte count.
        IniFile doc(QByteArray("\xFF\xFE[\0g\0]\0\n\0k\0=\0v\0\n", 17));
        EXPECT_EQ(doc.valueFromGroup("g", "k"), QVariant("v"));
    }
}

TEST(IniRobustness, OneMegabyteLine)
{
    QByteArray line(1 << 20, 'x');
    line[5000] = '=';
    IniFile doc("[g]\n" + line + "\nafter=1\n");
    // The piece holding the "=" becomes a key line; the others have no "=".
    EXPECT_EQ(doc.allKeys().size(), 2);
    EXPECT_EQ(doc.valueFromGroup("g", "after"), QVariant("1"));
    EXPECT_EQ(doc.valueFromGroup("g", QString(5000 - 4096, 'x')),
              QVariant(QString(1024 - (5000 - 4096) - 1, 'x')));
}
