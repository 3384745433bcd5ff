// Windows-1251 by table and the splitting of device text into lines, each
// against what Qt's codec and text stream do with the same input.
#include "common/devicecodec.h"
#include "common/devicelines.h"
#include "support/cases.h"
#include "support/qtcompat.h"

#include <QBuffer>
#include <QTextCodec>
#include <QTextStream>

#include <gtest/gtest.h>

#include <random>

using namespace LibCommonCfg::internal;

TEST(DeviceCodec, EveryByteEveryCharacterAndMixedTextsAsTheCodecHasThem)
{
    QTextCodec* codec = deviceCodec();
    for (int byte = 0; byte < 256; ++byte) {
        const char c = char(byte);
        ASSERT_EQ(codec->toUnicode(&c, 1), QString(QChar(kDeviceChars[byte]))) << byte;
    }
    for (uint cp = 0; cp < 0x110000; ++cp) {
        const char32_t c = cp;
        const QString text = QChar::isSurrogate(cp) ? QString(QChar(ushort(cp))) : QString::fromUcs4(&c, 1);
        ASSERT_EQ(encodeDeviceText(text), codec->fromUnicode(text)) << std::hex << cp;
    }
    // Texts of several characters, which the encoder reads four at a time
    // where it can and where surrogate halves meet or miss each other.
    const QStringList pieces = lcctest::textPieces("device-texts");
    std::mt19937 random(20261207);
    for (int round = 0; round < 20000; ++round) {
        QString text;
        const int count = int(random() % 8);
        for (int i = 0; i < count; ++i)
            text += pieces[int(random() % pieces.size())];
        ASSERT_EQ(encodeDeviceText(text), codec->fromUnicode(text)) << text.toStdU16String().size();
    }
}

namespace {

QStringList streamLines(const QByteArray& data, int maxPiece)
{
    QByteArray copy(data);
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    // Latin-1 keeps every byte as one character, which the table then maps,
    // unless the stream finds a byte-order mark and decodes by it instead.
    QTextStream stream(&buffer);
    lcctest::readLatin1(stream);
    QStringList lines;
    QString line;
    while (stream.readLineInto(&line, maxPiece))
        lines << line;
    if (lcctest::stillLatin1(stream)) {
        for (QString& text : lines) {
            for (QChar& c : text)
                c = QChar(kDeviceChars[c.unicode()]);
        }
    }
    return lines;
}

QStringList tableLines(const QByteArray& data, int maxPiece)
{
    DeviceLines source(data, maxPiece);
    QStringList lines;
    QString line;
    while (source.next(line))
        lines << line;
    return lines;
}

// Text as careless tools write it, with CRs where pieces end and around the
// blocks a text stream reads ahead.
QByteArray generatedText(std::mt19937& random, int maxPiece)
{
    const int target = int(random() % 70000);
    QByteArray data;
    if (random() % 16 == 0)
        data += "\xEF\xBB\xBF";
    const QByteArray plain[] = {"\n", "\r\n", "\r", QByteArray(1, '\0'), "key=value"};
    while (data.size() < target) {
        const int kind = int(random() % 9);
        if (kind < 5)
            data += plain[kind];
        else if (kind == 5)
            data += QByteArray(maxPiece - 1, 'x') + '\r';
        else if (kind == 6)
            data += QByteArray(int(random() % 3000), 'k');
        else if (kind == 7)
            data += char(0x80 + random() % 128);
        else // a CR at the last byte of a block
            data += QByteArray(std::max(0, 16383 - int(data.size()) % 16384), 'b') + '\r';
    }
    if (random() % 2)
        data.truncate(target);
    return data;
}

} // namespace

TEST(DeviceLines, SplitsAsATextStreamReadsLines)
{
    std::mt19937 random(7);
    for (int round = 0; round < 600; ++round) {
        const int maxPiece = round % 3 == 0 ? 1024 : int(1 + random() % 40);
        const QByteArray data = generatedText(random, maxPiece);
        ASSERT_EQ(tableLines(data, maxPiece), streamLines(data, maxPiece)) << "round " << round;
    }
    for (const char* text : {"", "\r", "\n", "a\r", "\r\n\r",
                             "\xFF\xFE"
                             "a\r"})
        EXPECT_EQ(tableLines(text, 1024), streamLines(text, 1024)) << text;
}
