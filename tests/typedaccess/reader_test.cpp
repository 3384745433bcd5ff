// The typed reader over a device configuration read from Windows-1251 bytes.
#include <LibCommonCfg/libcommoncfg.h>

#include <QTextCodec>

#include <gtest/gtest.h>

using LibCommonCfg::CIniReaderHelper;

namespace {

QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

class DeviceFileReader : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(ini.Read(LCC_TEST_DATA_DIR "/device.ini"), 0); }

    CIniFile ini;
    QString error = QStringLiteral("untouched");
    CIniReaderHelper reader{ini, error, nullptr};
};

TEST_F(DeviceFileReader, StringsAndCommentsAreDecodedFromWindows1251)
{
    ASSERT_TRUE(reader.beginSect("main"));
    EXPECT_EQ(reader.curSect(), QStringLiteral("main"));

    QString text;
    EXPECT_TRUE(reader.getString("name", text));
    EXPECT_EQ(text, u8("Регистратор РМ-1"));
    EXPECT_TRUE(reader.getKeyComment("name", text));
    EXPECT_EQ(text, u8("название прибора"));
    EXPECT_TRUE(reader.getKeyComment(QStringLiteral("LINEMASK"), text));
    EXPECT_EQ(text, u8("маска линий"));
    text = QStringLiteral("stale");
    EXPECT_TRUE(reader.getKeyComment("modem", text));
    EXPECT_TRUE(text.isEmpty());

    ASSERT_TRUE(reader.beginSect(QStringLiteral("ACHAN1")));
    EXPECT_EQ(reader.curSect(), QStringLiteral("achan1"));
    EXPECT_TRUE(reader.getString(QStringLiteral("Name"), text));
    EXPECT_EQ(text, u8("Давление на входе"));
    EXPECT_TRUE(reader.getKeyComment("name", text));
    EXPECT_EQ(text, u8("кПа"));

    // Nothing failed, so nothing was reported.
    EXPECT_EQ(error, QStringLiteral("untouched"));
    EXPECT_EQ(reader.getErrorType(), 3);
}

TEST_F(DeviceFileReader, FlagsAcceptOnlyTheirExactTrueForm)
{
    ASSERT_TRUE(reader.beginSect("main"));
    struct Case {
        const char* key;
        bool (CIniReaderHelper::*get)(const char*, bool&);
        bool expected;
    };
    const Case cases[] = {
        {"modem", &CIniReaderHelper::get01, true},     {"remote", &CIniReaderHelper::get01, false},
        {"need_arc", &CIniReaderHelper::getYN, true},  {"archive", &CIniReaderHelper::getYN, false},
        {"nstate", &CIniReaderHelper::getOnOff, true}, {"autostart", &CIniReaderHelper::getOnOff, false},
        {"modem", &CIniReaderHelper::getYN, false},    {"nstate", &CIniReaderHelper::get01, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        bool value = !c.expected;
        EXPECT_TRUE((reader.*c.get)(c.key, value));
        EXPECT_EQ(value, c.expected);
    }
    ASSERT_TRUE(reader.beginSect("achan1"));
    bool value = false;
    EXPECT_TRUE(reader.getYN("enabled", value)); // upper-case "Y"
    EXPECT_TRUE(value);
    EXPECT_EQ(reader.getErrorType(), 3);
}

// The number boundaries are in numbers_test.cpp; these are the values as
// the device writes them, read through the name overloads.
TEST_F(DeviceFileReader, NumbersOfTheDeviceFile)
{
    ASSERT_TRUE(reader.beginSect("main"));
    int i = 0;
    unsigned int u = 0;
    double d = 0;
    EXPECT_TRUE(reader.getInt(QStringLiteral("offset"), i));
    EXPECT_EQ(i, -40);
    EXPECT_TRUE(reader.getUIntHex("moddate", u));
    EXPECT_EQ(u, 0x5f3a1b20u);
    EXPECT_TRUE(reader.getUInt(QStringLiteral("serial"), u));
    EXPECT_EQ(u, 4294967295u);
    EXPECT_TRUE(reader.getDouble("kfactor", d));
    EXPECT_EQ(d, 0.125);
    ASSERT_TRUE(reader.beginSect("achan1"));
    EXPECT_TRUE(reader.getUIntHex("flags", u)); // "FF" is taken for the prefix
    EXPECT_EQ(u, 0u);
    EXPECT_EQ(reader.getErrorType(), 3);
}

TEST_F(DeviceFileReader, EveryFailureLeavesItsMessageAndKind)
{
    int i = 11;
    QString s = QStringLiteral("keep");

    EXPECT_FALSE(reader.beginSect("calcchan9"));
    EXPECT_EQ(error, u8("Отсутствует секция calcchan9"));
    EXPECT_EQ(reader.getErrorType(), 1);
    EXPECT_TRUE(reader.curSect().isNull());
    EXPECT_TRUE(reader.keys().isEmpty());
    // Without a current section strict getters fail silently.
    error = QStringLiteral("marker");
    EXPECT_FALSE(reader.getInt("period", i));
    EXPECT_FALSE(reader.getString("name", s));
    EXPECT_EQ(i, 11);
    EXPECT_EQ(s, QStringLiteral("keep"));
    EXPECT_EQ(error, QStringLiteral("marker"));
    EXPECT_EQ(reader.getErrorType(), 1);

    // The message names the section as stored, not as requested.
    ASSERT_TRUE(reader.beginSect("MAIN"));
    EXPECT_FALSE(reader.getString("absent", s));
    EXPECT_EQ(error, u8("Секция main: отсутствует параметр absent"));
    EXPECT_EQ(reader.getErrorType(), 0);
    EXPECT_EQ(s, QStringLiteral("keep"));

    EXPECT_FALSE(reader.getInt(QStringLiteral("rate"), i));
    EXPECT_EQ(error, u8("Секция main: rate=12abc: ошибка чтения int"));
    EXPECT_EQ(reader.getErrorType(), 2);
    EXPECT_EQ(i, 11);

    EXPECT_FALSE(reader.getKeyComment(QStringLiteral("nothing"), s));
    EXPECT_EQ(error, u8("Секция main: отсутствует параметр nothing"));
    EXPECT_EQ(reader.getErrorType(), 0);
    EXPECT_EQ(s, QStringLiteral("keep"));

    // A successful getter keeps the last report.
    EXPECT_TRUE(reader.getInt("period", i));
    EXPECT_EQ(error, u8("Секция main: отсутствует параметр nothing"));
    EXPECT_EQ(reader.getErrorType(), 0);

    ASSERT_TRUE(reader.beginSect("achan1"));
    bool flag = true;
    EXPECT_FALSE(reader.getOnOff("missing", flag));
    EXPECT_EQ(error, u8("Секция achan1: отсутствует параметр missing"));
    EXPECT_FALSE(reader.get01("missing", flag));
    EXPECT_FALSE(reader.getYN("missing", flag));
    EXPECT_TRUE(flag);
    EXPECT_EQ(reader.getErrorType(), 0);

    reader.setErrorStr(QStringLiteral("cleared"));
    EXPECT_EQ(error, QStringLiteral("cleared"));
    EXPECT_EQ(reader.getErrorType(), 0);
}

TEST_F(DeviceFileReader, DefaultsStandInForMissingAndUnreadableValues)
{
    ASSERT_TRUE(reader.beginSect("main"));
    int i = 0;
    unsigned int u = 0;
    double d = 0;
    bool b = false;
    QString s;

    reader.getIntDefault(QStringLiteral("absent"), i, -3);
    EXPECT_EQ(i, -3);
    reader.getUIntDefault(QStringLiteral("offset"), u, 9u);
    EXPECT_EQ(u, 9u);
    reader.getUIntHexDefault("absent", u, 1u);
    EXPECT_EQ(u, 1u);
    reader.getDoubleDefault("absent", d, 1.0);
    EXPECT_EQ(d, 1.0);
    reader.getStringDefault("name", s, QStringLiteral("x"));
    EXPECT_EQ(s, u8("Регистратор РМ-1"));
    reader.getStringDefault(QStringLiteral("absent"), s, u8("нет"));
    EXPECT_EQ(s, u8("нет"));
    reader.get01Default("modem", b, false);
    EXPECT_TRUE(b);
    reader.getOnOffDefault("absent", b, false);
    EXPECT_FALSE(b);
    reader.getYNDefault("absent", b, true);
    EXPECT_TRUE(b);
    reader.getYNDefault("archive", b, true); // present: "yes" is not "y"
    EXPECT_FALSE(b);
    reader.getOnOffDefault("autostart", b, true); // present: "On" is not "on"
    EXPECT_FALSE(b);
    // Missing and unreadable keys above reported nothing.
    EXPECT_EQ(error, QStringLiteral("untouched"));
    EXPECT_EQ(reader.getErrorType(), 3);

    // No current section: every default getter yields its default.
    EXPECT_FALSE(reader.beginSect("dchan1"));
    error = QStringLiteral("marker");
    reader.getIntDefault("period", i, 5);
    EXPECT_EQ(i, 5);
    reader.getOnOffDefault("nstate", b, false);
    EXPECT_FALSE(b);
    reader.get01Default("modem", b, false);
    EXPECT_FALSE(b);
    reader.getStringDefault("name", s, QStringLiteral("d"));
    EXPECT_EQ(s, QStringLiteral("d"));
    EXPECT_EQ(error, QStringLiteral("marker"));
    EXPECT_EQ(reader.getErrorType(), 1);
}

TEST_F(DeviceFileReader, KeysListCommentLinesAsEmptyEntries)
{
    ASSERT_TRUE(reader.beginSect("main"));
    const QStringList expected = {
        QStringLiteral("name"),   QStringLiteral("modem"),     QStringLiteral("need_arc"),
        QStringLiteral("nstate"), QStringLiteral("autostart"), QStringLiteral("archive"),
        QStringLiteral("remote"), QStringLiteral("linemask"),  QStringLiteral("moddate"),
        QStringLiteral("period"), QStringLiteral("offset"),    QStringLiteral("kfactor"),
        QStringLiteral("rate"),   QStringLiteral("empty"),     QString(),
        QStringLiteral("serial")};
    EXPECT_EQ(reader.keys(), expected);
    ASSERT_TRUE(reader.beginSect("achan2"));
    EXPECT_EQ(reader.keys(),
              (QStringList{QStringLiteral("name"), QStringLiteral("enabled"), QStringLiteral("scale")}));
}

// Names and values quoted in messages are UTF-8 whatever the codec, and
// verbatim; string values go through the codec.
TEST(ReaderCodec, MessagesQuoteUtf8WhileValuesUseTheCodec)
{
    CIniFile ini;
    ini.Set("Канал", "скорость", "быстро");
    ini.Set("Канал", "метка", "\xcf\xf3\xeb\xfc\xf2"); // "Пульт" in Windows-1251
    QString error;

    CIniReaderHelper reader(ini, error, nullptr);
    ASSERT_TRUE(reader.beginSect(u8("Канал")));
    int i = 0;
    EXPECT_FALSE(reader.getInt(u8("скорость"), i));
    EXPECT_EQ(error, u8("Секция Канал: скорость=быстро: ошибка чтения int"));
    QString s;
    EXPECT_TRUE(reader.getString(u8("метка"), s));
    EXPECT_EQ(s, u8("Пульт"));
    EXPECT_FALSE(reader.beginSect(u8("Узел")));
    EXPECT_EQ(error, u8("Отсутствует секция Узел"));

    CIniReaderHelper utf8Reader(ini, error, QTextCodec::codecForName("UTF-8"));
    ASSERT_TRUE(utf8Reader.beginSect("Канал"));
    EXPECT_EQ(utf8Reader.curSect(), u8("Канал"));
    EXPECT_TRUE(utf8Reader.getString("скорость", s));
    EXPECT_EQ(s, u8("быстро"));
    EXPECT_EQ(utf8Reader.keys(), (QStringList{u8("скорость"), u8("метка")}));

    // A "%2" in a name or value is quoted as it stands, not filled in turn.
    ini.Set("s%2", "k%1", "v%3");
    ASSERT_TRUE(reader.beginSect("S%2"));
    EXPECT_FALSE(reader.getInt("K%1", i));
    EXPECT_EQ(error, u8("Секция s%2: K%1=v%3: ошибка чтения int"));
    EXPECT_FALSE(reader.getInt("%1%2", i));
    EXPECT_EQ(error, u8("Секция s%2: отсутствует параметр %1%2"));
    EXPECT_FALSE(reader.beginSect("x%1"));
    EXPECT_EQ(error, u8("Отсутствует секция x%1"));
}

TEST(ReaderCodec, StringsAreTrimmedAndCommentsAreNot)
{
    CIniFile ini;
    ini.Set("Main", "title", "  a b  ");
    ini.GetSect("Main")->SetComment("title", "  note ");
    QString error;
    CIniReaderHelper reader(ini, error, nullptr);
    ASSERT_TRUE(reader.beginSect("main"));
    QString s;
    EXPECT_TRUE(reader.getString("TITLE", s));
    EXPECT_EQ(s, QStringLiteral("a b"));
    EXPECT_TRUE(reader.getKeyComment("title", s));
    EXPECT_EQ(s, QStringLiteral("  note "));
}

TEST(ReaderRobustness, NullNamesAreReportedNotDereferenced)
{
    CIniFile ini;
    ini.Set("main", "a", "1");
    QString error;
    CIniReaderHelper reader(ini, error, nullptr);
    const char* none = nullptr;
    EXPECT_FALSE(reader.beginSect(none));
    EXPECT_EQ(error, u8("Отсутствует секция "));
    EXPECT_EQ(reader.getErrorType(), 1);
    ASSERT_TRUE(reader.beginSect("main"));

    const QString missing = u8("Секция main: отсутствует параметр ");
    QString s = QStringLiteral("s");
    bool b = true;
    int i = 4;
    unsigned int u = 5;
    double d = 6;
    const auto expectMissing = [&](bool result, const char* what) {
        SCOPED_TRACE(what);
        EXPECT_FALSE(result);
        EXPECT_EQ(error, missing);
        EXPECT_EQ(reader.getErrorType(), 0);
        reader.setErrorStr(QString());
    };
    expectMissing(reader.getString(none, s), "getString");
    expectMissing(reader.getKeyComment(none, s), "getKeyComment");
    expectMissing(reader.getOnOff(none, b), "getOnOff");
    expectMissing(reader.get01(none, b), "get01");
    expectMissing(reader.getYN(none, b), "getYN");
    expectMissing(reader.getInt(none, i), "getInt");
    expectMissing(reader.getUInt(none, u), "getUInt");
    expectMissing(reader.getUIntHex(none, u), "getUIntHex");
    expectMissing(reader.getDouble(none, d), "getDouble");
    EXPECT_EQ(s, QStringLiteral("s"));
    EXPECT_TRUE(b);
    EXPECT_EQ(i, 4);
    EXPECT_EQ(u, 5u);
    EXPECT_EQ(d, 6.0);

    reader.getStringDefault(none, s, QStringLiteral("d"));
    reader.getOnOffDefault(none, b, false);
    reader.getIntDefault(none, i, 8);
    reader.getUIntDefault(none, u, 9u);
    reader.getUIntHexDefault(none, u, 10u);
    reader.getDoubleDefault(none, d, 11.0);
    EXPECT_EQ(s, QStringLiteral("d"));
    EXPECT_FALSE(b);
    EXPECT_EQ(i, 8);
    EXPECT_EQ(u, 10u);
    EXPECT_EQ(d, 11.0);
    reader.get01Default(none, b, true);
    EXPECT_TRUE(b);
    reader.getYNDefault(none, b, false);
    EXPECT_FALSE(b);
    EXPECT_TRUE(error.isEmpty());
}

// A key set with a null value (possible through the engine) reads as an
// empty text.
TEST(ReaderRobustness, NullValueReadsAsEmptyText)
{
    CIniFile ini;
    ini.Set("main", "v", nullptr);
    ASSERT_EQ(ini.Get("main", "v"), nullptr);
    QString error;
    CIniReaderHelper reader(ini, error, nullptr);
    ASSERT_TRUE(reader.beginSect("main"));
    QString s = QStringLiteral("x");
    EXPECT_TRUE(reader.getString("v", s));
    EXPECT_TRUE(s.isEmpty());
    bool b = true;
    EXPECT_TRUE(reader.getOnOff("v", b));
    EXPECT_FALSE(b);
    int i = 3;
    EXPECT_FALSE(reader.getInt("v", i));
    EXPECT_EQ(error, u8("Секция main: v=: ошибка чтения int"));
    EXPECT_EQ(i, 3);
    unsigned int u = 3;
    EXPECT_FALSE(reader.getUIntHex("v", u));
    EXPECT_EQ(error, u8("Секция main: v=: ошибка чтения uint hex"));
    double d = 0;
    reader.getDoubleDefault("v", d, 1.5);
    EXPECT_EQ(d, 1.5);
}

TEST(ReaderRobustness, AnyBytesAndHugeValues)
{
    QByteArray everyByte;
    for (int b = 1; b < 256; ++b)
        everyByte.append(static_cast<char>(b));
    const QByteArray huge(1 << 20, '7');
    CIniFile ini;
    ini.Set("main", "bytes", everyByte.constData());
    ini.Set("main", "huge", huge.constData());
    QString error;
    CIniReaderHelper reader(ini, error, nullptr);
    ASSERT_TRUE(reader.beginSect("main"));

    QString s;
    EXPECT_TRUE(reader.getString("bytes", s));
    // Byte 1 is no blank to QString::trimmed and the value ends in a letter,
    // so every byte stays one character (the unassigned 0x98 included).
    EXPECT_EQ(s.size(), 255);
    int i = 1;
    unsigned int u = 2;
    double d = 3;
    EXPECT_FALSE(reader.getInt("bytes", i));
    EXPECT_FALSE(reader.getUIntHex("bytes", u));
    EXPECT_FALSE(reader.getDouble("bytes", d));
    EXPECT_EQ(reader.getErrorType(), 2);
    EXPECT_TRUE(error.startsWith(u8("Секция main: bytes=")));

    EXPECT_TRUE(reader.getString("huge", s));
    EXPECT_EQ(s.size(), huge.size());
    EXPECT_FALSE(reader.getInt("huge", i));
    EXPECT_EQ(i, 1);
    EXPECT_EQ(error.size(), QString::fromUtf8("Секция main: huge=: ошибка чтения int").size() + huge.size());
}

} // namespace
