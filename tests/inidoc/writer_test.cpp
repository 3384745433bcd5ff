// The writer's layout: group order, templates, conversions and what the
// reader makes of the result.
#include <LibCommonCfg/inifile.h>

#include <gtest/gtest.h>

using LibCommonCfg::IniFile;

namespace {

QByteArray write(const QList<QPair<QString, QVariant>>& entries)
{
    IniFile doc;
    for (const auto& e : entries)
        doc.setValue(e.first, e.second); // no current group: keys as given
    return doc.serialize();
}

QVariant s(const char* text)
{
    return QVariant(QString::fromUtf8(text));
}

} // namespace

TEST(IniWriter, GroupsWithoutDigitsFirstInNameOrder)
{
    const QByteArray out = write({{"ch2/unit", s("V")},
                                  {"ch10/unit", s("mA")},
                                  {"dev/name", s("rec")},
                                  {"dev.net/mode", s("auto")},
                                  {"/top", s("1")}});
    EXPECT_EQ(out, QByteArray("   top=1\n"
                              "\n[dev]\n   name=rec\n"
                              "\n[dev.net]\n   mode=auto\n"
                              "\n[ch10]\n   unit=mA\n"
                              "\n[ch2]\n   unit=V\n"));
}

TEST(IniWriter, SmallShapes)
{
    EXPECT_EQ(IniFile().serialize(), QByteArray());
    EXPECT_EQ(write({{"g/x", s("1")}}), QByteArray("\n[g]\n   x=1\n"));
    EXPECT_EQ(write({{"a.b/y", s("2")}, {"a/x", s("1")}, {"a-b/z", s("3")}}),
              QByteArray("\n[a]\n   x=1\n\n[a-b]\n   z=3\n\n[a.b]\n   y=2\n"));
    // Only the group is tested for digits.
    EXPECT_EQ(write({{"ch1/name", s("n")}, {"dev/ch1", s("c")}}),
              QByteArray("\n[dev]\n   ch1=c\n\n[ch1]\n   name=n\n"));
    EXPECT_EQ(write({{"a/b/c", s("v")}}), QByteArray("\n[a]\n   b/c=v\n"));
    EXPECT_EQ(write({{"z/k", s("1")}, {"/k", s("0x10")}}), QByteArray("   k=0x10\n\n[z]\n   k=1\n"));
    EXPECT_EQ(write({{"g/v", QVariant()}}), QByteArray("\n[g]\n   v=\n"));
    // Names within a group sort as text; "/" inside a name counts as U+0000.
    EXPECT_EQ(write({{"g/b", s("2")}, {"g/a/x", s("3")}, {"g/a", s("1")}, {"g/a.x", s("4")}}),
              QByteArray("\n[g]\n   a=1\n   a/x=3\n   a.x=4\n   b=2\n"));
    // Percent signs are copied as they are.
    EXPECT_EQ(write({{"g%1/k%2", s("%3")}}), QByteArray("\n[g%1]\n   k%2=%3\n"));
}

TEST(IniWriter, KeyWithoutSlashIsBothGroupAndName)
{
    const QByteArray out = write({{"k", s("v")}, {"k/x", s("1")}});
    EXPECT_EQ(out, QByteArray("\n[k]\n   k=v\n   x=1\n"));
    IniFile back(out);
    EXPECT_EQ(back.allKeys(), (QStringList{"k/k", "k/x"}));
}

TEST(IniWriter, ConvertsWithTheListCurrentAtSerialize)
{
    IniFile doc(QByteArray("[main]\nmodem=1\nmoddate=255\n[dchan1]\nnstate=on\n[line1]\nlinemask=017\n"));
    EXPECT_EQ(doc.valueFromGroup("main", "modem"), QVariant(true));
    EXPECT_EQ(doc.valueFromGroup("main", "moddate"), QVariant(255u));
    EXPECT_EQ(doc.serialize(), QByteArray("\n[main]\n   moddate=0xff\n   modem=1\n"
                                          "\n[dchan1]\n   nstate=on\n"
                                          "\n[line1]\n   linemask=0xf\n"));
    // Without conversions the variants print as QVariant::toString does.
    doc.pushConvMap({IniFile::defaultConvMap.first()});
    EXPECT_EQ(doc.serialize(), QByteArray("\n[main]\n   moddate=255\n   modem=true\n"
                                          "\n[dchan1]\n   nstate=true\n"
                                          "\n[line1]\n   linemask=15\n"));
}

TEST(IniWriter, EncodesCp1251WithLfOnly)
{
    IniFile doc;
    doc.setValueInGroup("achan1", "name", s("Ua фаза А"));
    doc.setValueInGroup("achan1", "sym", s("€✓")); // € exists in cp1251, ✓ does not
    const QByteArray out = doc.serialize();
    EXPECT_EQ(out, QByteArray("\n[achan1]\n   name=Ua \xF4\xE0\xE7\xE0 \xC0\n   sym=\x88?\n"));
    EXPECT_FALSE(out.contains('\r'));
}

TEST(IniWriter, SerializeWithFileNameReturnsOneEntry)
{
    IniFile doc(QByteArray("[g]\nx=1\n"));
    const QHash<QString, QByteArray> files = doc.serialize(QStringLiteral("/nowhere/cfg.ini"));
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(files.value(QStringLiteral("/nowhere/cfg.ini")), doc.serialize());
}

TEST(IniWriter, RoundTripKeepsValuesThatSurviveTheFormat)
{
    IniFile doc;
    doc.setValueInGroup("main", "modem", QVariant(true));
    doc.setValueInGroup("main", "moddate", QVariant(0xDEADBEEFu));
    doc.setValueInGroup("main", "name", s("Регистратор №1"));
    doc.setValueInGroup("dchan7", "nstate", QVariant(false));
    doc.setValueInGroup("achan3", "k", s("600"));
    doc.setValueInGroup("", "linemask", QVariant(16u));
    const QByteArray first = doc.serialize();
    IniFile back(first);
    EXPECT_EQ(back.allKeys(), doc.allKeys());
    for (const QString& key : doc.allKeys()) {
        const int slash = key.indexOf('/');
        EXPECT_EQ(back.valueFromGroup(key.left(slash), key.mid(slash + 1)),
                  doc.valueFromGroup(key.left(slash), key.mid(slash + 1)))
            << qPrintable(key);
    }
    EXPECT_EQ(back.serialize(), first);
}
