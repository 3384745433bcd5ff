// The typed writer: the text each setter stores, its section handling, and a
// round trip through a file on disk back into the typed reader.
#include <LibCommonCfg/libcommoncfg.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextCodec>

#include <gtest/gtest.h>

#include <climits>

using LibCommonCfg::CIniReaderHelper;
using LibCommonCfg::CIniWriterHelper;

namespace {

QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

QByteArray stored(CIniFile& ini, const char* sect, const char* key)
{
    return QByteArray(ini.Get(sect, key, nullptr));
}

TEST(Writer, SettersStoreTheDeviceTextForms)
{
    CIniFile ini;
    QString error = QStringLiteral("keep");
    CIniWriterHelper writer(ini, error, nullptr);
    writer.beginSect("main");
    writer.setOnOff("on", true);
    writer.setOnOff("off", false);
    writer.setYN("y", true);
    writer.setYN("n", false);
    writer.set01("one", true);
    writer.set01("zero", false);
    writer.setInt("neg", -5);
    writer.setInt(QStringLiteral("min"), INT_MIN);
    writer.setUInt("umax", UINT_MAX);
    writer.setUInt(QStringLiteral("uzero"), 0u);
    writer.setUIntHex("hff", 255u);
    writer.setUIntHex("h0", 0u);
    writer.setUIntHex("hmax", 0xDEADBEEFu);
    writer.setDouble("big", 1.234567e6);
    writer.setDouble("tenth", 0.1);
    writer.setDouble("dneg", -2.0);
    writer.setDouble("fixed", 2.5, 3);
    writer.setDouble("round", 1.0 / 3, 2);
    writer.setString("title", QStringLiteral("  a b  "));
    writer.setString(QStringLiteral("place"), u8("Цех №2"));

    const struct {
        const char* key;
        QByteArray text;
    } expected[] = {
        {"on", "on"},
        {"off", "off"},
        {"y", "Y"},
        {"n", "N"},
        {"one", "1"},
        {"zero", "0"},
        {"neg", "-5"},
        {"dneg", "-2"},
        {"min", "-2147483648"},
        {"umax", "4294967295"},
        {"uzero", "0"},
        {"hff", "0xff"},
        {"h0", "0x0"},
        {"hmax", "0xdeadbeef"},
        {"big", "1.23457e+06"},
        {"tenth", "0.1"},
        {"fixed", "2.500"},
        {"round", "0.33"},
        {"title", "a b"},
        {"place", "\xd6\xe5\xf5 \xb9\x32"},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.key);
        EXPECT_EQ(stored(ini, "main", e.key), e.text);
    }
    EXPECT_EQ(ini.GetKeyNum(0), 20);
    EXPECT_EQ(error, QStringLiteral("keep"));
}

TEST(Writer, SectionsAreFoundOrAppended)
{
    CIniFile ini;
    ini.Set("NET", "mask", "1");
    ini.Set("main", "a", "1");
    QString error;
    CIniWriterHelper writer(ini, error, nullptr);

    EXPECT_TRUE(writer.curSect().isNull());
    writer.beginSect("Net");
    EXPECT_EQ(writer.curSect(), QStringLiteral("NET"));
    EXPECT_EQ(ini.GetSectionNum(), 2);
    writer.setString("gw", QStringLiteral("1"));
    EXPECT_EQ(stored(ini, "NET", "gw"), QByteArray("1"));

    writer.beginSect(QStringLiteral("achan1"));
    EXPECT_EQ(ini.GetSectionNum(), 3);
    EXPECT_EQ(QByteArray(ini.GetSectionName(2)), QByteArray("achan1"));
    EXPECT_EQ(ini.GetKeyNum(2), 0);
    EXPECT_EQ(ini.GetSectionComment(2), nullptr);

    // Deleting another section keeps the current one.
    writer.deleteSect(QStringLiteral("MAIN"));
    EXPECT_EQ(ini.GetSectionNum(), 2);
    EXPECT_EQ(writer.curSect(), QStringLiteral("achan1"));
    writer.deleteSect(QStringLiteral("absent"));
    EXPECT_EQ(ini.GetSectionNum(), 2);

    // Deleting the current one, in another letter case, leaves none; setters
    // then change nothing.
    writer.deleteSect(QStringLiteral("ACHAN1"));
    EXPECT_TRUE(writer.curSect().isNull());
    EXPECT_EQ(ini.GetSectionNum(), 1);
    writer.setInt("x", 1);
    writer.setKeyComment("x", QStringLiteral("c"));
    EXPECT_EQ(ini.GetSectionNum(), 1);
    EXPECT_EQ(ini.GetKeyNum(0), 2);
    EXPECT_TRUE(error.isEmpty());
}

TEST(Writer, ExistingKeysKeepNameCommentAndPlace)
{
    CIniFile ini;
    ini.Set("main", "Rate", "5");
    ini.Set("main", "next", "1");
    ini.GetSect("main")->SetComment("Rate", "per second");
    QString error;
    CIniWriterHelper writer(ini, error, nullptr);
    writer.beginSect("main");
    writer.setInt("RATE", 7);
    writer.setKeyComment("absent", QStringLiteral("nothing"));

    CSectList* sect = ini.GetSect("main");
    ASSERT_EQ(sect->GetKeyNum(), 2);
    EXPECT_EQ(QByteArray(sect->Get(0)->name), QByteArray("Rate"));
    EXPECT_EQ(QByteArray(sect->Get(0)->value), QByteArray("7"));
    EXPECT_EQ(QByteArray(sect->Get(0)->comment), QByteArray("per second"));
    EXPECT_EQ(sect->Get("absent"), nullptr);

    writer.setKeyComment(QStringLiteral("rate"), u8(" в секунду "));
    EXPECT_EQ(QByteArray(sect->Get(0)->comment), QByteArray(" \xe2 \xf1\xe5\xea\xf3\xed\xe4\xf3 "));
}

TEST(Writer, RoundTripThroughAFileOnDisk)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("device.ini")));

    {
        CIniFile ini;
        QString error;
        CIniWriterHelper writer(ini, error, nullptr);
        writer.beginSect("main");
        writer.setString("name", u8("Регистратор РМ-1"));
        writer.setKeyComment("name", u8("название прибора"));
        writer.set01("modem", true);
        writer.setYN("need_arc", false);
        writer.setOnOff("nstate", true);
        writer.setUIntHex("linemask", 0xffffffffu);
        writer.setInt("offset", INT_MIN);
        writer.setUInt(QStringLiteral("serial"), UINT_MAX);
        writer.beginSect(QStringLiteral("achan1"));
        writer.setDouble("scale", -0.000125);
        writer.setDouble("kfactor", 12.5, 4);
        writer.setString(QStringLiteral("unit"), u8("кПа"));
        writer.setKeyComment(QStringLiteral("unit"), u8("давление"));
        ASSERT_EQ(ini.Write(path.constData()), 0);
    }

    QFile file(QFile::decodeName(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    // The engine writes CR LF line ends, as the device expects.
    QTextCodec* cp1251 = QTextCodec::codecForName("CP1251");
    EXPECT_EQ(file.readAll(), cp1251->fromUnicode(u8("[main] \r\n"
                                                     "   name=Регистратор РМ-1 ;название прибора\r\n"
                                                     "   modem=1 \r\n"
                                                     "   need_arc=N \r\n"
                                                     "   nstate=on \r\n"
                                                     "   linemask=0xffffffff \r\n"
                                                     "   offset=-2147483648 \r\n"
                                                     "   serial=4294967295 \r\n"
                                                     "\r\n"
                                                     "[achan1] \r\n"
                                                     "   scale=-0.000125 \r\n"
                                                     "   kfactor=12.5000 \r\n"
                                                     "   unit=кПа ;давление\r\n"
                                                     "\r\n")));

    // The texts come back through the reader; the numbers' text forms are
    // checked byte for byte above and read in numbers_test.cpp.
    CIniFile back;
    ASSERT_EQ(back.Read(path.constData()), 0);
    QString error = QStringLiteral("none");
    CIniReaderHelper reader(back, error, nullptr);
    QString s;
    ASSERT_TRUE(reader.beginSect("main"));
    EXPECT_TRUE(reader.getString("name", s));
    EXPECT_EQ(s, u8("Регистратор РМ-1"));
    EXPECT_TRUE(reader.getKeyComment("name", s));
    EXPECT_EQ(s, u8("название прибора"));
    ASSERT_TRUE(reader.beginSect("achan1"));
    EXPECT_TRUE(reader.getString("unit", s));
    EXPECT_EQ(s, u8("кПа"));
    EXPECT_TRUE(reader.getKeyComment(QStringLiteral("unit"), s));
    EXPECT_EQ(s, u8("давление"));
    EXPECT_EQ(error, QStringLiteral("none"));
    EXPECT_EQ(reader.getErrorType(), 3);
}

// Names go in as UTF-8 whatever the codec; only the value goes through it.
TEST(Writer, NamesAreUtf8WhateverTheCodec)
{
    CIniFile ini;
    QString error;
    CIniWriterHelper cp1251(ini, error, nullptr);
    cp1251.beginSect(u8("Канал"));
    cp1251.setString(u8("метка"), u8("Пульт"));
    EXPECT_EQ(stored(ini, "Канал", "метка"), QByteArray("\xcf\xf3\xeb\xfc\xf2"));

    CIniWriterHelper utf8(ini, error, QTextCodec::codecForName("UTF-8"));
    utf8.beginSect(u8("Канал"));
    EXPECT_EQ(utf8.curSect(), u8("Канал"));
    utf8.setString(u8("метка"), u8("Пульт"));
    EXPECT_EQ(stored(ini, "Канал", "метка"), u8("Пульт").toUtf8());
}

TEST(Writer, NullNamesChangeNothing)
{
    CIniFile ini;
    QString error;
    CIniWriterHelper writer(ini, error, nullptr);
    const char* none = nullptr;
    writer.beginSect(none);
    EXPECT_EQ(ini.GetSectionNum(), 0);
    EXPECT_EQ(ini.firstSect, nullptr);
    writer.beginSect("main");
    writer.setString(none, QStringLiteral("v"));
    writer.setKeyComment(none, QStringLiteral("c"));
    EXPECT_EQ(ini.GetKeyNum(0), 0);
}

} // namespace
