// The document interface beyond text in and bytes out: composite keys and
// the current group, listings, the conversion stack and callers' lists,
// converters that watch or change the writing, and the writing itself.
#include <LibCommonCfg/inifile.h>

#include "support/files.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using LibCommonCfg::IniFile;
using Entry = IniFile::MappingEntry;

namespace {

QStringList sorted(QStringList list)
{
    std::sort(list.begin(), list.end());
    return list;
}

const Entry kNone = IniFile::defaultConvMap.first();
const Entry kUpper{"", "k", [](const QString& t) { return QVariant(t.toUpper()); },
                   [](const QVariant& v) { return v.toString().toLower(); }};

} // namespace

TEST(IniDocument, CompositeKeysAndCurrentGroup)
{
    IniFile doc;
    doc.setValue("x", 1);
    EXPECT_EQ(doc.value("x", "dflt"), QVariant("dflt")); // stored as "x", read as "/x"
    doc.setValueInGroup("", "x", 2);
    EXPECT_EQ(doc.value("x"), QVariant(2));
    doc.beginGroup("a");
    doc.beginGroup("b"); // groups do not nest
    doc.setValue("k", "in b");
    EXPECT_EQ(doc.currentGroup(), "b");
    EXPECT_EQ(doc.value("k"), QVariant("in b"));
    EXPECT_EQ(sorted(doc.curGroupKeys()), QStringList{"k"});
    doc.endGroup();
    EXPECT_TRUE(doc.currentGroup().isNull());
    EXPECT_EQ(doc.value("k", 0), QVariant(0));
    EXPECT_FALSE(doc.valueFromGroup("a", "k").isValid());
    doc.setValueInGroup("a", "b/c", "deep");
    EXPECT_EQ(doc.valueFromGroup("a", "b/c"), QVariant("deep"));
    EXPECT_EQ(doc.allKeys(), (QStringList{"/x", "a/b/c", "b/k", "x"}));
    // A key without "/" counts as its own group and name.
    EXPECT_EQ(sorted(doc.allGroups()), (QStringList{"", "a", "b", "x"}));
    EXPECT_TRUE(doc.hasGroup("") && doc.hasGroup("x") && !doc.hasGroup("A"));
    EXPECT_EQ(sorted(doc.curGroupKeys()), QStringList{"x"});
    doc.beginGroup("x");
    EXPECT_EQ(doc.curGroupKeys(), QStringList{"x"});
    doc.beginGroup("none");
    EXPECT_TRUE(doc.curGroupKeys().isEmpty());
}

TEST(IniConvMap, StackOfListsAndCallersLists)
{
    const Entry lower{"", "k", [](const QString& t) { return QVariant(t.toLower()); }, {}};
    IniFile doc;
    doc.pushConvMap({kNone, kUpper});
    doc.pushConvMap({kNone, lower});
    EXPECT_EQ(doc.parse("g", "k", "Ab"), QVariant("ab"));
    doc.popConvMap();
    EXPECT_EQ(doc.parse("g", "k", "Ab"), QVariant("AB"));
    doc.popConvMap();
    EXPECT_EQ(doc.parse("g", "k", "Ab"), QVariant("Ab"));

    // An ordinary first record converts every key that matches nothing; a
    // record without a key name matches no key, not even an empty one.
    const Entry shout{"", "never", [](const QString& t) { return QVariant(t + "!"); },
                      [](const QVariant& v) { return v.toString() + "?"; }};
    const Entry nameless{"", nullptr, [](const QString&) { return QVariant(1); }, {}};
    const Entry exact{"gr", "k", [](const QString&) { return QVariant(2); }, {}};
    IniFile picky(QList<Entry>{shout, nameless, exact});
    EXPECT_EQ(picky.parse("group", "", "x"), QVariant("x!"));
    EXPECT_EQ(picky.store("group", "", QVariant("x")), "x?");
    EXPECT_EQ(picky.parse("group", "k", "x"), QVariant(2));
    EXPECT_EQ(picky.parse("g", "k", "x"), QVariant("x!"));

    // No records at all: no conversion.
    IniFile empty(QList<Entry>{});
    EXPECT_EQ(empty.parse("main", "modem", "1"), QVariant("1"));
    EXPECT_EQ(empty.store("main", "modem", QVariant(true)), "true");
    EXPECT_EQ(empty.getConv("main", "modem").group, nullptr);

    // getConv hands out the document's own record; others keep theirs.
    IniFile::MappingEntry& entry = doc.getConv("dchan2", "nstate");
    EXPECT_STREQ(entry.group, "dchan");
    entry.toText = [](const QVariant&) { return QStringLiteral("changed"); };
    EXPECT_EQ(doc.store("dchan2", "nstate", QVariant(true)), "changed");
    EXPECT_EQ(IniFile().store("dchan2", "nstate", QVariant(true)), "on");
}

TEST(IniConvMap, EmptyConverterThrowsOutOfLoadKeepingWhatWasRead)
{
    const Entry half{"", "k", {}, [](const QVariant& v) { return v.toString(); }};
    IniFile doc(QList<Entry>{kNone, half});
    EXPECT_EQ(doc.store("g", "k", QVariant(1)), "1");
    EXPECT_THROW(doc.load(QByteArray("[g]\na=1\nk=2\nb=3\n")), std::bad_function_call);
    EXPECT_EQ(doc.allKeys(), QStringList{"g/a"});
    // A converter that gives no value stores nothing.
    IniFile rejecting(QList<Entry>{kNone, {"", "k", [](const QString&) { return QVariant(); }, {}}});
    rejecting.load(QByteArray("[g]\nk=1\ny=2\n"));
    EXPECT_EQ(rejecting.allKeys(), QStringList{"g/y"});
}

TEST(IniConvMap, LoadingWithAListInstallsAndPushesItOnlyWhenTheFileOpens)
{
    IniFile doc(QByteArray("[g]\nk=ab\n"), {kNone, kUpper});
    EXPECT_EQ(doc.valueFromGroup("g", "k"), QVariant("AB"));
    doc.popConvMap(); // the pushed copy
    EXPECT_EQ(doc.parse("g", "k", "cd"), QVariant("CD"));
    doc.popConvMap(); // stack empty: built-in list
    EXPECT_EQ(doc.parse("g", "k", "cd"), QVariant("cd"));
    doc.load(QByteArray("[g]\nk=xy\n"), {kNone, kUpper});
    doc.popConvMap();
    EXPECT_EQ(doc.valueFromGroup("g", "k"), QVariant("XY"));
    EXPECT_EQ(doc.parse("g", "k", "x"), QVariant("X"));

    lcctest::ScratchDir dir;
    IniFile other(QByteArray("[g]\nk=ab\n"));
    for (const QString& path : {dir.qpath("missing.ini"), dir.qpath("")}) {
        EXPECT_FALSE(other.load(path));
        EXPECT_FALSE(other.load(path, {kNone, kUpper}));
    }
    EXPECT_EQ(other.allKeys(), QStringList{"g/k"});
    other.popConvMap(); // nothing was pushed: the built-in list stays
    EXPECT_EQ(other.parse("g", "k", "x"), QVariant("x"));
    EXPECT_EQ(other.parse("main", "modem", "1"), QVariant(true));
    EXPECT_TRUE(other.load(QString::fromStdString(dir.write("cfg.ini", "[g]\nk=cd\n")), {kNone, kUpper}));
    EXPECT_EQ(other.valueFromGroup("g", "k"), QVariant("CD"));
}

TEST(IniWriter, ConverterSeesEveryKeyOnceInWrittenOrderAndMayChangeTheDocument)
{
    // A caller's list whose first record is an ordinary one converts every key.
    IniFile doc;
    QStringList seen;
    const QList<Entry> list{{"", "none", {}, [&](const QVariant& v) {
                                 seen.append(v.toString());
                                 if (v.toString() == QLatin1String("a/w")) {
                                     doc.setValue("b/y", "changed");
                                     for (int i = 0; i < 100; ++i)
                                         doc.setValue(QStringLiteral("n/%1").arg(i), i);
                                 }
                                 return QStringLiteral("<%1>").arg(v.toString());
                             }}};
    for (const char* key : {"ch2/x", "b/y", "a.b/z", "a/w", "/v", "ch10/u", "k"})
        doc.setValue(key, QString::fromLatin1(key));
    doc.pushConvMap(list);
    // The keys written are those held when writing begins; a value changed
    // by an earlier conversion is written as it is then.
    EXPECT_EQ(doc.serialize(), QByteArray("   v=</v>\n\n[a]\n   w=<a/w>\n\n[a.b]\n   z=<a.b/z>\n"
                                          "\n[b]\n   y=<changed>\n\n[k]\n   k=<k>\n"
                                          "\n[ch10]\n   u=<ch10/u>\n\n[ch2]\n   x=<ch2/x>\n"));
    EXPECT_EQ(seen, (QStringList{"/v", "a/w", "a.b/z", "changed", "k", "ch10/u", "ch2/x"}));
    EXPECT_TRUE(doc.serialize().contains("\n[n]\n   0=<0>\n   1=<1>\n   10=<10>\n"));
}

TEST(IniWriter, TextBeyondAnyBuffer)
{
    // Over four million characters, surrogate pairs on every line, come out whole.
    IniFile big;
    const QString value = QString::fromUtf16(u"\u044F\U0001F600").repeated(450);
    const QByteArray bytes = QByteArray("\xFF?").repeated(450);
    QByteArray expected("\n[g]\n");
    for (int i = 0; i < 5000; ++i) {
        const QString name = QStringLiteral("k%1").arg(i, 5, 10, QLatin1Char('0'));
        big.setValueInGroup("g", name, QVariant(value));
        expected += "   " + name.toLatin1() + "=" + bytes + "\n";
    }
    EXPECT_EQ(big.serialize(), expected);
}

TEST(IniDocument, ReadsAndWritesAtTheDevicePositionLeavingItOpen)
{
    IniFile doc(QByteArray("[g]\nx=1\n"));
    EXPECT_EQ(doc.serialize(QStringLiteral("/nowhere/cfg.ini")),
              (QHash<QString, QByteArray>{{QStringLiteral("/nowhere/cfg.ini"), doc.serialize()}}));
    QByteArray bytes("head");
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadWrite));
    buffer.seek(4);
    EXPECT_TRUE(doc.myIniWriteFunc(buffer, {{QStringLiteral("h/y"), QVariant(2)}}));
    EXPECT_TRUE(doc.myIniWriteFunc(buffer, {}));
    EXPECT_TRUE(buffer.isOpen());
    EXPECT_EQ(bytes, QByteArray("head\n[h]\n   y=2\n"));
    // Reading merges into the caller's map, the document untouched.
    buffer.seek(4);
    QMap<QString, QVariant> map{{QStringLiteral("h/y"), QVariant(1)}, {QStringLiteral("h/z"), QVariant(3)}};
    EXPECT_TRUE(doc.myIniReadFunc(buffer, map));
    EXPECT_TRUE(buffer.isOpen());
    EXPECT_EQ(map, (QMap<QString, QVariant>{{QStringLiteral("h/y"), QVariant("2")},
                                            {QStringLiteral("h/z"), QVariant(3)}}));
    EXPECT_EQ(doc.allKeys(), QStringList{"g/x"});
}
