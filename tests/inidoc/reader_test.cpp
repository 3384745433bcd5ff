// How INI text becomes document entries: line kinds, comments, groups,
// merging, line pieces and the byte-order mark.
#include <LibCommonCfg/inifile.h>

#include <QBuffer>

#include <gtest/gtest.h>

using LibCommonCfg::IniFile;

namespace {

QMap<QString, QVariant> read(const QByteArray& text, QMap<QString, QVariant> map = {})
{
    IniFile doc;
    QByteArray copy(text);
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_TRUE(doc.myIniReadFunc(buffer, map));
    return map;
}

QString text(const QMap<QString, QVariant>& map, const char* key)
{
    return map.value(QString::fromUtf8(key)).toString();
}

} // namespace

TEST(IniReader, LineKindsCommentsAndGroups)
{
    const auto map = read("a=1\n"
                          "[main]\n"
                          "x=5 ; five\n"
                          "y=a;b\n"
                          "  k  =  spaced value  \n"
                          "; only a comment\n"
                          "     \n"
                          "[a.b_1]\n"
                          "z=1\n"
                          "[ main ]\n"
                          "after_bad_header=1\n"
                          "[my-group]\n"
                          "[]\n"
                          "w=2\n"
                          "  [Main]  ; comment\n"
                          "q=3\n"
                          "no equals sign\n");
    EXPECT_EQ(map.keys(), (QStringList{"/a", "Main/q", "a.b_1/after_bad_header", "a.b_1/w", "a.b_1/z",
                                       "main/k", "main/x", "main/y"}));
    EXPECT_EQ(text(map, "/a"), "1");
    EXPECT_EQ(text(map, "main/x"), "5");
    EXPECT_EQ(text(map, "main/y"), "a");
    EXPECT_EQ(text(map, "main/k"), "spaced value");
    EXPECT_EQ(map.value("main/x").userType(), QMetaType::QString);
}

TEST(IniReader, EmptyValuesStoreNothingAndKeepEarlierEntries)
{
    QMap<QString, QVariant> before;
    before.insert("g/x", QVariant(QStringLiteral("old")));
    before.insert("g/other", QVariant(7));
    const auto map = read("[g]\nx=\nx= ;note\ny=\n", before);
    EXPECT_EQ(map, before);
    EXPECT_EQ(read("", before), before);
}

TEST(IniReader, KeyLinesRepeatsAndLineEnds)
{
    const auto map = read("[main]\r\nx=1\r\nmodem=1\r\nname=rec\t \r\n"
                          "[other]\nx=9\n"
                          "[main]\nx=2\n" // a repeated header and a later line win
                          "[g]\na=b=c\nk = v\n==x\n=x\n%1=%2\n");
    EXPECT_EQ(map.keys(),
              (QStringList{"g/%1", "g/=", "g/a", "g/k", "main/modem", "main/name", "main/x", "other/x"}));
    EXPECT_EQ(text(map, "main/x"), "2");
    EXPECT_EQ(text(map, "other/x"), "9");
    EXPECT_EQ(map.value("main/modem"), QVariant(true));
    EXPECT_EQ(text(map, "main/name"), "rec");
    // Keys split at the first "=", and a key starts with its first character
    // even when that is "=". Percent sequences are copied, not expanded.
    EXPECT_EQ(text(map, "g/a"), "b=c");
    EXPECT_EQ(text(map, "g/k"), "v");
    EXPECT_EQ(text(map, "g/="), "x");
    EXPECT_EQ(text(map, "g/%1"), "%2");
}

TEST(IniReader, DecodesCp1251AndHonoursAByteOrderMark)
{
    // "name=Пуск" in Windows-1251 bytes.
    const auto cp = read("[dchan1]\nname=\xCF\xF3\xF1\xEA\n");
    EXPECT_EQ(text(cp, "dchan1/name"), QString::fromUtf8("Пуск"));
    // The same text in UTF-8 behind a UTF-8 byte-order mark.
    const auto utf8 = read("\xEF\xBB\xBF[dchan1]\nname=\xD0\x9F\xD1\x83\xD1\x81\xD0\xBA\n");
    EXPECT_EQ(text(utf8, "dchan1/name"), QString::fromUtf8("Пуск"));
}

TEST(IniReader, ConversionThatRejectsATextStoresNothing)
{
    IniFile::MappingEntry rejectAll{"", "x", [](const QString&) { return QVariant(); },
                                    [](const QVariant& v) { return v.toString(); }};
    IniFile doc(QList<IniFile::MappingEntry>{IniFile::defaultConvMap.first(), rejectAll});
    QByteArray bytes("[g]\nx=1\ny=2\n");
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QMap<QString, QVariant> map;
    doc.myIniReadFunc(buffer, map);
    EXPECT_EQ(map.keys(), QStringList{"g/y"});
}
