// The document interface: composite keys, groups, listings, merging loads
// and loading files.
#include <LibCommonCfg/inifile.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

using LibCommonCfg::IniFile;

namespace {

QStringList sorted(QStringList list)
{
    std::sort(list.begin(), list.end());
    return list;
}

const QString kDeviceFile = QStringLiteral(LCC_TEST_DATA_DIR "/device.ini");

} // namespace

TEST(IniDocument, CompositeKeysAndCurrentGroup)
{
    IniFile doc;
    doc.setValue("x", 1);
    EXPECT_EQ(doc.value("x", "dflt"), QVariant("dflt")); // stored as "x", read as "/x"
    doc.setValueInGroup("", "x", 2);
    EXPECT_EQ(doc.value("x"), QVariant(2));
    doc.setValue("main/modem", true);
    EXPECT_EQ(doc.valueFromGroup("main", "modem"), QVariant(true));

    doc.beginGroup("a");
    doc.beginGroup("b");
    doc.setValue("k", "in b");
    EXPECT_EQ(doc.currentGroup(), "b");
    EXPECT_EQ(doc.value("k"), QVariant("in b"));
    doc.endGroup();
    EXPECT_TRUE(doc.currentGroup().isNull());
    EXPECT_EQ(doc.value("k", 0), QVariant(0));
    EXPECT_EQ(doc.valueFromGroup("b", "k"), QVariant("in b"));
    EXPECT_FALSE(doc.valueFromGroup("a", "k").isValid());

    doc.setValueInGroup("a", "b/c", "deep");
    EXPECT_EQ(doc.valueFromGroup("a", "b/c"), QVariant("deep"));
    EXPECT_EQ(doc.allKeys(), (QStringList{"/x", "a/b/c", "b/k", "main/modem", "x"}));
}

TEST(IniDocument, BoolValueFromGroup)
{
    IniFile doc;
    const char* trueTexts[] = {"y", "Y", "1"};
    const char* falseTexts[] = {"yes", "true", "on", "01", " 1", "n", ""};
    for (const char* t : trueTexts)
        doc.setValueInGroup("t", t, QString::fromLatin1(t));
    for (const char* t : falseTexts)
        doc.setValueInGroup("f", t, QString::fromLatin1(t));
    for (const char* t : trueTexts)
        EXPECT_TRUE(doc.boolValueFromGroup("t", t, false)) << t;
    for (const char* t : falseTexts)
        EXPECT_FALSE(doc.boolValueFromGroup("f", t, true)) << t;
    doc.setValueInGroup("v", "bool", true); // prints as "true"
    doc.setValueInGroup("v", "one", 1u);
    EXPECT_FALSE(doc.boolValueFromGroup("v", "bool", true));
    EXPECT_TRUE(doc.boolValueFromGroup("v", "one", false));
    EXPECT_TRUE(doc.boolValueFromGroup("v", "missing", true));
    EXPECT_FALSE(doc.boolValueFromGroup("v", "missing"));
}

TEST(IniDocument, ListingsOfGroupsAndKeys)
{
    IniFile doc(QByteArray("top=1\n[a]\ny=2\nz=3\n[b]\ny=4\n"));
    doc.setValue("bare", 5);
    EXPECT_EQ(sorted(doc.allGroups()), (QStringList{"", "a", "b", "bare"}));
    EXPECT_TRUE(doc.hasGroup(""));
    EXPECT_TRUE(doc.hasGroup("bare"));
    EXPECT_FALSE(doc.hasGroup("A"));
    EXPECT_EQ(sorted(doc.curGroupKeys()), QStringList{"top"});
    doc.beginGroup("a");
    EXPECT_EQ(sorted(doc.curGroupKeys()), (QStringList{"y", "z"}));
    doc.beginGroup("bare");
    EXPECT_EQ(doc.curGroupKeys(), QStringList{"bare"});
    doc.beginGroup("none");
    EXPECT_TRUE(doc.curGroupKeys().isEmpty());
}

TEST(IniDocument, LoadsMergeAndTheLaterTextWins)
{
    IniFile doc(QByteArray("[g]\na=1\nb=2\n"));
    doc.load(QByteArray("[g]\nb=3\nc=4\n"));
    EXPECT_EQ(doc.allKeys(), (QStringList{"g/a", "g/b", "g/c"}));
    EXPECT_EQ(doc.valueFromGroup("g", "a"), QVariant("1"));
    EXPECT_EQ(doc.valueFromGroup("g", "b"), QVariant("3"));
    doc.setValueInGroup("g", "a", 42);
    EXPECT_EQ(doc.valueFromGroup("g", "a"), QVariant(42)); // unconverted until written
    EXPECT_EQ(doc.serialize(), QByteArray("\n[g]\n   a=42\n   b=3\n   c=4\n"));
}

TEST(IniDocument, LoadingWithAListInstallsAndPushesIt)
{
    IniFile::MappingEntry upper{"", "k", [](const QString& t) { return QVariant(t.toUpper()); },
                                [](const QVariant& v) { return v.toString(); }};
    const QList<IniFile::MappingEntry> list{IniFile::defaultConvMap.first(), upper};

    IniFile doc(QByteArray("[g]\nk=ab\n"), list);
    EXPECT_EQ(doc.valueFromGroup("g", "k"), QVariant("AB"));
    doc.popConvMap(); // the pushed copy of the list
    EXPECT_EQ(doc.parse("g", "k", "cd"), QVariant("CD"));
    doc.popConvMap(); // stack empty: built-in list
    EXPECT_EQ(doc.parse("g", "k", "cd"), QVariant("cd"));

    IniFile other;
    other.load(QByteArray("[g]\nk=xy\n"), list);
    EXPECT_EQ(other.valueFromGroup("g", "k"), QVariant("XY"));
    other.popConvMap();
    EXPECT_EQ(other.parse("g", "k", "x"), QVariant("X"));
}

TEST(IniDocument, LoadFromFile)
{
    IniFile doc;
    ASSERT_TRUE(doc.load(kDeviceFile));
    EXPECT_EQ(doc.valueFromGroup("main", "name"), QVariant(QString::fromUtf8("Регистратор")));
    EXPECT_EQ(doc.valueFromGroup("main", "moddate"), QVariant(31u));
    EXPECT_EQ(doc.valueFromGroup("main", "modem"), QVariant(true));
    EXPECT_EQ(doc.valueFromGroup("main", "Debug"), QVariant(false));
    EXPECT_EQ(doc.valueFromGroup("main", "UseTagsWithTime"), QVariant("1"));
    EXPECT_EQ(doc.valueFromGroup("MAIN", "UseTagsWithTime"), QVariant(true));
    EXPECT_EQ(doc.valueFromGroup("line1", "flags"), QVariant(255u));
    EXPECT_EQ(doc.valueFromGroup("line1", "linemask"), QVariant(15u));
    EXPECT_EQ(doc.valueFromGroup("achan7", "need_arc"), QVariant(true));
    EXPECT_EQ(doc.valueFromGroup("achan7", "typeust"), QVariant(false));
    EXPECT_EQ(doc.valueFromGroup("achan7", "unit"), QVariant(QString::fromUtf8("кВ")));
    EXPECT_EQ(doc.valueFromGroup("dchan3", "nstate"), QVariant(true));
    EXPECT_EQ(doc.valueFromGroup("dchan4", "nstate"), QVariant(false));
    EXPECT_EQ(doc.valueFromGroup("calcchan1", "kzauto"), QVariant(false));

    const QByteArray expected("\n[MAIN]\n   UseTagsWithTime=1\n"
                              "\n[main]\n   Debug=0\n   UseTagsWithTime=1\n   moddate=0x1f\n   modem=1\n"
                              "   name=\xD0\xE5\xE3\xE8\xF1\xF2\xF0\xE0\xF2\xEE\xF0\n"
                              "\n[achan7]\n   invertphase=0\n   need_arc=1\n   typeust=0\n   unit=\xEA\xC2\n"
                              "\n[calcchan1]\n   kzauto=0\n   wrt=1\n"
                              "\n[dchan3]\n   event=1\n   nstate=on\n"
                              "\n[dchan4]\n   nstate=off\n"
                              "\n[line1]\n   flags=0xff\n   linemask=0xf\n");
    EXPECT_EQ(doc.serialize(), expected);
}

TEST(IniDocument, FailedLoadChangesNothing)
{
    IniFile::MappingEntry upper{"", "k", [](const QString& t) { return QVariant(t.toUpper()); },
                                [](const QVariant& v) { return v.toString(); }};
    IniFile doc(QByteArray("[g]\nk=ab\n"));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const QString& path : {dir.filePath("missing.ini"), dir.path()}) {
        SCOPED_TRACE(qPrintable(path));
        EXPECT_FALSE(doc.load(path));
        EXPECT_FALSE(doc.load(path, {IniFile::defaultConvMap.first(), upper}));
    }
    EXPECT_EQ(doc.allKeys(), QStringList{"g/k"});
    EXPECT_EQ(doc.parse("g", "k", "x"), QVariant("x")); // list not installed
    doc.popConvMap();                                   // nothing was pushed either: the built-in list stays
    EXPECT_EQ(doc.parse("main", "modem", "1"), QVariant(true));

    const QString file = dir.filePath("cfg.ini");
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("[g]\nk=cd\n");
    out.close();
    EXPECT_TRUE(doc.load(file, {IniFile::defaultConvMap.first(), upper}));
    EXPECT_EQ(doc.valueFromGroup("g", "k"), QVariant("CD"));
}
