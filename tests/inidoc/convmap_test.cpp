// The built-in conversion list and the conversion stack, seen through
// reading and writing as a client sees them.
#include <LibCommonCfg/inifile.h>

#include <gtest/gtest.h>

#include <functional>

using LibCommonCfg::IniFile;

namespace {

// Text → value → text through one document, as load and serialize do it.
struct RoundTrip {
    QVariant value;
    QString written;
};

RoundTrip convert(const char* group, const char* key, const char* text)
{
    IniFile doc;
    const QVariant value =
        doc.parse(QString::fromLatin1(group), QString::fromLatin1(key), QString::fromLatin1(text));
    return {value, doc.store(QString::fromLatin1(group), QString::fromLatin1(key), value)};
}

} // namespace

TEST(ConvMap, BuiltInListHasTheSixteenRecordsInOrder)
{
    const QList<IniFile::MappingEntry>& list = IniFile::defaultConvMap;
    ASSERT_EQ(list.size(), 16);
    EXPECT_EQ(list.first().group, nullptr);
    EXPECT_EQ(list.first().key, nullptr);
    EXPECT_FALSE(list.first().fromText);
    EXPECT_FALSE(list.first().toText);
    const char* expected[15][2] = {
        {"", "linemask"},         {"line", "flags"},     {"main", "moddate"},
        {"main", "modem"},        {"achan", "need_arc"}, {"achan", "invertphase"},
        {"achan", "typeust"},     {"dchan", "nstate"},   {"dchan", "event"},
        {"calcchan", "wrt"},      {"calcchan", "event"}, {"calcchan", "kzauto"},
        {"calcchan", "transfkz"}, {"main", "Debug"},     {"MAIN", "UseTagsWithTime"}};
    for (int i = 0; i < 15; ++i) {
        SCOPED_TRACE(i + 2);
        EXPECT_STREQ(list.at(i + 1).group, expected[i][0]);
        EXPECT_STREQ(list.at(i + 1).key, expected[i][1]);
        EXPECT_TRUE(list.at(i + 1).fromText);
        EXPECT_TRUE(list.at(i + 1).toText);
    }
}

TEST(ConvMap, HexadecimalMasks)
{
    struct Case {
        const char* text;
        uint value;
        const char* written;
    } cases[] = {{"0x1F", 31, "0x1f"},
                 {"255", 255, "0xff"},
                 {"017", 15, "0xf"},
                 {"zz", 0, "0x0"},
                 {"0XFFFFFFFF", 0xFFFFFFFFu, "0xffffffff"},
                 {"4294967296", 0, "0x0"},
                 {"-1", 0, "0x0"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const RoundTrip r = convert("x", "linemask", c.text);
        EXPECT_EQ(r.value.userType(), QMetaType::UInt);
        EXPECT_EQ(r.value.toUInt(), c.value);
        EXPECT_EQ(r.written, QString::fromLatin1(c.written));
    }
    EXPECT_EQ(convert("line3", "flags", "0x10").value, QVariant(16u));
    EXPECT_EQ(convert("main", "moddate", "0x6745A1F0").value, QVariant(0x6745A1F0u));
    // Keys outside any section: empty and null groups both match the "" prefix.
    IniFile doc;
    EXPECT_EQ(doc.parse(QString(), "linemask", "0x10"), QVariant(16u));
    EXPECT_EQ(doc.parse(QLatin1String(""), "linemask", "0x10"), QVariant(16u));
}

TEST(ConvMap, Flags)
{
    EXPECT_EQ(convert("main", "modem", "1").value, QVariant(true));
    EXPECT_EQ(convert("main", "modem", "1").written, "1");
    for (const char* text : {"2", "true", "01", " 1"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(convert("main", "modem", text).value, QVariant(false));
        EXPECT_EQ(convert("main", "modem", text).written, "0");
    }
    EXPECT_EQ(convert("dchan3", "nstate", "on").value, QVariant(true));
    EXPECT_EQ(convert("dchan3", "nstate", "on").written, "on");
    EXPECT_EQ(convert("dchan3", "nstate", "ON").value, QVariant(false));
    EXPECT_EQ(convert("dchan3", "nstate", "ON").written, "off");
    EXPECT_EQ(convert("achan7", "need_arc", "1").value, QVariant(true));
    EXPECT_EQ(convert("calcchan12", "transfkz", "0").written, "0");
}

TEST(ConvMap, OneKeyNameInTwoRecords)
{
    // "event" is a 0/1 flag in the digital and in the calculated channels,
    // and plain text in every other group.
    for (const char* group : {"dchan2", "calcchan5"}) {
        SCOPED_TRACE(group);
        EXPECT_EQ(convert(group, "event", "1").value, QVariant(true));
        EXPECT_EQ(convert(group, "event", "1").written, "1");
        EXPECT_EQ(convert(group, "event", "on").written, "0");
    }
    EXPECT_EQ(convert("achan2", "event", "1").value, QVariant(QStringLiteral("1")));
}

TEST(ConvMap, MatchingIsCaseSensitiveAndByPrefix)
{
    // "MAIN" is its own prefix; "main" has no UseTagsWithTime record.
    EXPECT_EQ(convert("main", "UseTagsWithTime", "1").value, QVariant(QStringLiteral("1")));
    EXPECT_EQ(convert("MAIN", "UseTagsWithTime", "1").value, QVariant(true));
    EXPECT_EQ(convert("MAINx", "UseTagsWithTime", "1").value, QVariant(true));
    EXPECT_EQ(convert("Main", "modem", "1").value, QVariant(QStringLiteral("1")));
    EXPECT_EQ(convert("main", "Modem", "1").value, QVariant(QStringLiteral("1")));
    EXPECT_EQ(convert("xachan1", "need_arc", "1").value, QVariant(QStringLiteral("1")));
    const RoundTrip plain = convert("achan1", "unit", "kV");
    EXPECT_EQ(plain.value, QVariant(QStringLiteral("kV")));
    EXPECT_EQ(plain.written, "kV");
}

TEST(ConvMap, ValuesSetByTheCallerAreConvertedWithQVariantsOwnRules)
{
    IniFile doc;
    // A text is converted to unsigned as a decimal number.
    EXPECT_EQ(doc.store("line", "flags", QVariant(QStringLiteral("0x1f"))), "0x0");
    EXPECT_EQ(doc.store("line", "flags", QVariant(QStringLiteral("31"))), "0x1f");
    EXPECT_EQ(doc.store("line", "flags", QVariant(31)), "0x1f");
    EXPECT_EQ(doc.store("main", "modem", QVariant(QStringLiteral("yes"))), "1");
    EXPECT_EQ(doc.store("main", "modem", QVariant(QStringLiteral("false"))), "0");
    EXPECT_EQ(doc.store("main", "modem", QVariant(QStringLiteral("FALSE"))), "0");
    EXPECT_EQ(doc.store("main", "modem", QVariant()), "0");
    EXPECT_EQ(doc.store("dchan1", "nstate", QVariant(1)), "on");
    EXPECT_EQ(doc.store("g", "plain", QVariant(true)), "true");
    EXPECT_EQ(doc.store("g", "plain", QVariant()), "");
}

TEST(ConvMap, PushAndPopRestoreEarlierLists)
{
    IniFile::MappingEntry upper{"", "k", [](const QString& t) { return QVariant(t.toUpper()); },
                                [](const QVariant& v) { return v.toString().toLower(); }};
    IniFile::MappingEntry lower{"", "k", [](const QString& t) { return QVariant(t.toLower()); },
                                [](const QVariant& v) { return v.toString(); }};
    const IniFile::MappingEntry none = IniFile::defaultConvMap.first();

    IniFile doc;
    doc.pushConvMap({none, upper});
    EXPECT_EQ(doc.parse("g", "k", "Ab"), QVariant(QStringLiteral("AB")));
    doc.pushConvMap({none, lower});
    EXPECT_EQ(doc.parse("g", "k", "Ab"), QVariant(QStringLiteral("ab")));
    doc.popConvMap();
    EXPECT_EQ(doc.parse("g", "k", "Ab"), QVariant(QStringLiteral("AB")));
    doc.popConvMap();
    EXPECT_EQ(doc.parse("main", "modem", "1"), QVariant(true)); // built-in again
    EXPECT_EQ(doc.parse("g", "k", "Ab"), QVariant(QStringLiteral("Ab")));

    // With the stack empty, pop installs the built-in list whatever was current.
    IniFile own(QList<IniFile::MappingEntry>{none, upper});
    EXPECT_EQ(own.parse("main", "modem", "1"), QVariant(QStringLiteral("1")));
    own.popConvMap();
    EXPECT_EQ(own.parse("main", "modem", "1"), QVariant(true));
}

TEST(ConvMap, FallbackRecordAndEmptyLists)
{
    // An ordinary first record converts every key that matches nothing.
    IniFile::MappingEntry shout{"", "never", [](const QString& t) { return QVariant(t + "!"); },
                                [](const QVariant& v) { return v.toString() + "?"; }};
    IniFile doc(QList<IniFile::MappingEntry>{shout});
    EXPECT_EQ(doc.parse("any", "key", "x"), QVariant(QStringLiteral("x!")));
    EXPECT_EQ(doc.store("any", "key", QVariant(QStringLiteral("x"))), "x?");
    EXPECT_STREQ(doc.getConv("any", "key").key, "never");

    // A record without a key name matches no key, not even an empty one;
    // the one after it still does. Names match whole, prefixes by prefix.
    IniFile::MappingEntry nameless{"", nullptr, [](const QString&) { return QVariant(1); }, {}};
    IniFile::MappingEntry exact{"gr", "k", [](const QString&) { return QVariant(2); }, {}};
    IniFile picky(QList<IniFile::MappingEntry>{shout, nameless, exact});
    EXPECT_EQ(picky.parse("group", "", "x"), QVariant(QStringLiteral("x!")));
    EXPECT_EQ(picky.parse("group", "k", "x"), QVariant(2));
    EXPECT_EQ(picky.parse("g", "k", "x"), QVariant(QStringLiteral("x!")));
    EXPECT_EQ(picky.parse("group", "kk", "x"), QVariant(QStringLiteral("x!")));
    EXPECT_EQ(picky.parse("group", "K", "x"), QVariant(QStringLiteral("x!")));

    // No records at all: no conversion.
    IniFile empty(QList<IniFile::MappingEntry>{});
    EXPECT_EQ(empty.parse("main", "modem", "1"), QVariant(QStringLiteral("1")));
    EXPECT_EQ(empty.store("main", "modem", QVariant(true)), "true");
    EXPECT_EQ(empty.getConv("main", "modem").group, nullptr);
}

TEST(ConvMap, EmptyConverterOfAnOrdinaryRecordThrows)
{
    IniFile::MappingEntry half{"", "k", {}, [](const QVariant& v) { return v.toString(); }};
    IniFile doc(QList<IniFile::MappingEntry>{IniFile::defaultConvMap.first(), half});
    EXPECT_THROW(doc.parse("g", "k", "1"), std::bad_function_call);
    EXPECT_EQ(doc.store("g", "k", QVariant(1)), "1");
    // The exception leaves load, and what was read before it stays.
    EXPECT_THROW(doc.load(QByteArray("[g]\na=1\nk=2\nb=3\n")), std::bad_function_call);
    EXPECT_EQ(doc.allKeys(), QStringList{"g/a"});
}

TEST(ConvMap, GetConvReturnsTheDocumentsOwnRecord)
{
    IniFile doc;
    IniFile::MappingEntry& entry = doc.getConv("dchan2", "nstate");
    EXPECT_STREQ(entry.group, "dchan");
    entry.toText = [](const QVariant&) { return QStringLiteral("changed"); };
    EXPECT_EQ(doc.store("dchan2", "nstate", QVariant(true)), "changed");
    // The built-in list and other documents are not affected.
    IniFile other;
    EXPECT_EQ(other.store("dchan2", "nstate", QVariant(true)), "on");
}
