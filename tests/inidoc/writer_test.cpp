// The writer's layout: group order, templates, conversions and what the
// reader makes of the result.
#include <LibCommonCfg/inifile.h>

#include <QBuffer>

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

TEST(IniWriter, OnlyAsciiDigitsInValidTextMoveAGroupBack)
{
    QString lone = QStringLiteral("ch");
    lone.append(QChar(0xD800)); // a lone surrogate: the text is no valid UTF-16
    lone.append(QStringLiteral("3/a"));
    const QByteArray out = write({{QString::fromUtf16(u"ch\u0661/a"), s("arabic")},
                                  {QString::fromUtf16(u"ch\uFF11/a"), s("fullwidth")},
                                  {"ch1/a", s("ascii")},
                                  {QString::fromUtf16(u"ch\U0001F6002/a"), s("pair")},
                                  {lone, s("lone")},
                                  {"ch", s("noslash")},
                                  {"ch9", s("noslash9")},
                                  {"/top", s("t")},
                                  {"dev/ch1", s("d")}});
    EXPECT_EQ(out, QByteArray(R"(   top=t

[ch]
   ch=noslash

[ch?]
   a=arabic

[ch?3]
   a=lone

[ch?]
   a=fullwidth

[dev]
   ch1=d

[ch1]
   a=ascii

[ch9]
   ch9=noslash9

[ch?2]
   a=pair
)"));
}

TEST(IniWriter, SlashSortsAsNulAndEveryRunOfAGroupGetsItsHeader)
{
    // "a\0b" (no "/", so its own group) and "a/b" sort alike and keep the
    // map's order; the group "a" is split by it and written twice.
    const QString nul = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    const QByteArray out = write({{nul, s("1")},
                                  {"a/b", s("2")},
                                  {"a b/c", s("3")},
                                  {"a!/c", s("4")},
                                  {"a/", s("5")},
                                  {"a", s("6")},
                                  {"a//x", s("7")}});
    const char expected[] = "\n[a]\n   a=6\n   =5\n   /x=7\n"
                            "\n[a\0b]\n   a\0b=1\n"
                            "\n[a]\n   b=2\n"
                            "\n[a b]\n   c=3\n"
                            "\n[a!]\n   c=4\n";
    EXPECT_EQ(out, QByteArray(expected, int(sizeof expected) - 1));
}

TEST(IniWriter, StoreIsCalledOncePerKeyInWrittenOrder)
{
    // A caller's list whose first record is an ordinary one converts every
    // key, so its converter sees the order of the calls.
    QStringList seen;
    const QList<IniFile::MappingEntry> list{{"", "none", {}, [&seen](const QVariant& v) {
                                                 seen.append(v.toString());
                                                 return QStringLiteral("<") + v.toString() +
                                                        QStringLiteral(">");
                                             }}};
    IniFile doc;
    for (const char* key : {"ch2/x", "b/y", "a.b/z", "a/w", "/v", "ch10/u", "k"})
        doc.setValue(key, QString::fromLatin1(key));
    doc.pushConvMap(list);
    EXPECT_EQ(doc.serialize(), QByteArray("   v=</v>\n"
                                          "\n[a]\n   w=<a/w>\n"
                                          "\n[a.b]\n   z=<a.b/z>\n"
                                          "\n[b]\n   y=<b/y>\n"
                                          "\n[k]\n   k=<k>\n"
                                          "\n[ch10]\n   u=<ch10/u>\n"
                                          "\n[ch2]\n   x=<ch2/x>\n"));
    EXPECT_EQ(seen, (QStringList{"/v", "a/w", "a.b/z", "b/y", "k", "ch10/u", "ch2/x"}));
}

TEST(IniWriter, ConverterThatChangesTheDocumentWhileItIsWritten)
{
    // The keys written are those of the document when writing begins; a
    // value changed by an earlier conversion is written as it is then.
    IniFile doc;
    const QList<IniFile::MappingEntry> list{{"", "none", {}, [&doc](const QVariant& v) {
                                                 const QString text = v.toString();
                                                 if (text == QLatin1String("w")) {
                                                     doc.setValue("b/y", "changed");
                                                     for (int i = 0; i < 100; ++i)
                                                         doc.setValue(QStringLiteral("n/%1").arg(i), i);
                                                 }
                                                 return QStringLiteral("<") + text + QStringLiteral(">");
                                             }}};
    doc.setValue("a/w", "w");
    doc.setValue("b/y", "y");
    doc.pushConvMap(list);
    EXPECT_EQ(doc.serialize(), QByteArray("\n[a]\n   w=<w>\n"
                                          "\n[b]\n   y=<changed>\n"));
    EXPECT_TRUE(doc.serialize().contains("\n[n]\n   0=<0>\n"));
}

TEST(IniWriter, CharactersOutsideCp1251BecomeOneQuestionMarkEach)
{
    IniFile doc;
    doc.setValueInGroup("g", "sym",
                        QVariant(QString::fromUtf16(u"\u2713\U0001F600\u20AC\u00A0\u0451\uFFFD")));
    QString bad;
    bad.append(QChar(0xDC00));
    bad.append(QLatin1Char('x'));
    bad.append(QChar(0xD800));
    doc.setValueInGroup("g", "bad", QVariant(bad));
    EXPECT_EQ(doc.serialize(), QByteArray("\n[g]\n   bad=?x?\n   sym=??\x88\xA0\xB8?\n"));

    // A text far longer than any internal buffer (over four million
    // characters), with surrogate pairs on every line, comes out whole.
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

TEST(IniWriter, WritesAtTheDevicePositionAndLeavesItOpen)
{
    IniFile doc(QByteArray("[g]\nx=1\n"));
    QByteArray bytes("head");
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadWrite));
    buffer.seek(4);
    const QMap<QString, QVariant> map{{QStringLiteral("h/y"), QVariant(2)}};
    EXPECT_TRUE(doc.myIniWriteFunc(buffer, map));
    EXPECT_TRUE(buffer.isOpen());
    EXPECT_EQ(bytes, QByteArray("head\n[h]\n   y=2\n"));
    // An empty map writes nothing.
    EXPECT_TRUE(doc.myIniWriteFunc(buffer, {}));
    EXPECT_EQ(buffer.pos(), bytes.size());
    EXPECT_EQ(bytes, QByteArray("head\n[h]\n   y=2\n"));
}
