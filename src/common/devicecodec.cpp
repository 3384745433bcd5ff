#include "common/devicecodec.h"

#include <QTextCodec>
#include <QTextStream>

#include <array>
#include <cstring>
#include <iterator>

namespace LibCommonCfg {
namespace internal {

namespace {

// The characters above U+007F that Windows-1251 holds end at U+2122 (the
// trade mark sign): one byte per character below that, 0 for none.
constexpr int kReverseSize = 0x2123;

std::array<uchar, kReverseSize> makeReverse()
{
    std::array<uchar, kReverseSize> reverse{};
    for (int byte = 0x80; byte < 0x100; ++byte)
        reverse[kDeviceChars[byte]] = uchar(byte);
    return reverse;
}

// Format characters without a visible form that the codec drops instead of
// writing "?" for them: they change nothing a reader of the file sees.
constexpr ushort kDroppedChars[] = {
    0x034F, 0x061C, 0x115F, 0x1160, 0x17B4, 0x17B5, 0x180B, 0x180C, 0x180D, 0x180E, 0x180F, 0x200B, 0x200C,
    0x200D, 0x200E, 0x200F, 0x202A, 0x202B, 0x202C, 0x202D, 0x202E, 0x2060, 0x2061, 0x2062, 0x2063, 0x2064,
    0x2065, 0x2066, 0x2067, 0x2068, 0x2069, 0x206A, 0x206B, 0x206C, 0x206D, 0x206E, 0x206F, 0x3164, 0xFE00,
    0xFE01, 0xFE02, 0xFE03, 0xFE04, 0xFE05, 0xFE06, 0xFE07, 0xFE08, 0xFE09, 0xFE0A, 0xFE0B, 0xFE0C, 0xFE0D,
    0xFE0E, 0xFE0F, 0xFEFF, 0xFFA0, 0xFFF0, 0xFFF1, 0xFFF2, 0xFFF3, 0xFFF4, 0xFFF5, 0xFFF6, 0xFFF7, 0xFFF8,
};

// Halving by hand: a standard algorithm's copy would be exported from an
// unoptimised library as a weak symbol.
bool droppedChar(ushort u)
{
    int low = 0;
    int high = int(std::size(kDroppedChars));
    while (low < high) {
        const int middle = (low + high) / 2;
        if (kDroppedChars[middle] < u)
            low = middle + 1;
        else
            high = middle;
    }
    return low < int(std::size(kDroppedChars)) && kDroppedChars[low] == u;
}

// The same beyond the Basic Multilingual Plane: shorthand format controls,
// musical formatting, tags and variation selectors.
bool droppedCodePoint(uint cp)
{
    return (cp >= 0x1BCA0 && cp <= 0x1BCA3) || (cp >= 0x1D173 && cp <= 0x1D17A) ||
           (cp >= 0xE0000 && cp <= 0xE0FFF);
}

// Whether the four code units from `text` on are all ASCII: the bulk of a
// device's text, copied four at a time.
bool fourAscii(const QChar* text)
{
    quint64 four = 0;
    std::memcpy(&four, text, sizeof four);
    return (four & 0xFF80FF80FF80FF80ull) == 0;
}

} // namespace

// clang-format off
const ushort kDeviceChars[256] = {
    0x0000, 0x0001, 0x0002, 0x0003, 0x0004, 0x0005, 0x0006, 0x0007, 0x0008, 0x0009, 0x000A, 0x000B, 0x000C, 0x000D, 0x000E, 0x000F,
    0x0010, 0x0011, 0x0012, 0x0013, 0x0014, 0x0015, 0x0016, 0x0017, 0x0018, 0x0019, 0x001A, 0x001B, 0x001C, 0x001D, 0x001E, 0x001F,
    0x0020, 0x0021, 0x0022, 0x0023, 0x0024, 0x0025, 0x0026, 0x0027, 0x0028, 0x0029, 0x002A, 0x002B, 0x002C, 0x002D, 0x002E, 0x002F,
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037, 0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F,
    0x0040, 0x0041, 0x0042, 0x0043, 0x0044, 0x0045, 0x0046, 0x0047, 0x0048, 0x0049, 0x004A, 0x004B, 0x004C, 0x004D, 0x004E, 0x004F,
    0x0050, 0x0051, 0x0052, 0x0053, 0x0054, 0x0055, 0x0056, 0x0057, 0x0058, 0x0059, 0x005A, 0x005B, 0x005C, 0x005D, 0x005E, 0x005F,
    0x0060, 0x0061, 0x0062, 0x0063, 0x0064, 0x0065, 0x0066, 0x0067, 0x0068, 0x0069, 0x006A, 0x006B, 0x006C, 0x006D, 0x006E, 0x006F,
    0x0070, 0x0071, 0x0072, 0x0073, 0x0074, 0x0075, 0x0076, 0x0077, 0x0078, 0x0079, 0x007A, 0x007B, 0x007C, 0x007D, 0x007E, 0x007F,
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};
// clang-format on

QTextCodec* deviceCodec()
{
    static QTextCodec* const codec = [] {
        QTextCodec* found = QTextCodec::codecForName("CP1251");
        if (found == nullptr)
            qFatal("LibCommonCfg: this Qt has no Windows-1251 codec; device files cannot be read or written");
        return found;
    }();
    return codec;
}

void setDeviceCodec(QTextStream& stream)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    // A Qt 6 text stream has no Windows-1251. The library hands it only
    // text that begins with a byte-order mark, which decides the encoding.
    stream.setEncoding(QStringConverter::Utf8);
    stream.setAutoDetectUnicode(true);
#else
    stream.setCodec(deviceCodec());
#endif
}

QTextCodec* codecOrDefault(QTextCodec* given)
{
    return given ? given : deviceCodec();
}

void decodeDeviceText(const char* bytes, int length, QString& out)
{
    out.resize(length);
    QChar* chars = out.data();
    for (int i = 0; i < length; ++i)
        chars[i] = QChar(kDeviceChars[static_cast<uchar>(bytes[i])]);
}

char* putDeviceBytes(char* out, const QChar* text, int length, bool followed)
{
    static const std::array<uchar, kReverseSize> reverse = makeReverse();
    for (int i = 0; i < length; ++i) {
        while (i + 4 <= length && fourAscii(text + i)) {
            for (int k = 0; k < 4; ++k)
                *out++ = char(text[i + k].unicode());
            i += 4;
        }
        if (i == length)
            break;
        const ushort u = text[i].unicode();
        if (u < 0x80) {
            *out++ = char(u);
        } else if (u < kReverseSize && reverse[u] != 0) {
            *out++ = char(reverse[u]);
        } else if (QChar::isHighSurrogate(u)) {
            if (i + 1 == length) {
                if (followed)
                    *out++ = '?';
                break;
            }
            if (!text[i + 1].isLowSurrogate()) {
                *out++ = '?';
                continue;
            }
            ++i;
            if (!droppedCodePoint(QChar::surrogateToUcs4(u, text[i].unicode())))
                *out++ = '?';
        } else if (!droppedChar(u)) {
            *out++ = '?';
        }
    }
    return out;
}

void appendDeviceBytes(QByteArray& out, const QChar* text, int length)
{
    const int start = out.size();
    // Never more bytes than characters.
    out.resize(start + length);
    char* bytes = out.data() + start;
    out.resize(int(putDeviceBytes(bytes, text, length, false) - out.constData()));
}

QByteArray encodeDeviceText(const QChar* text, int length)
{
    QByteArray out;
    appendDeviceBytes(out, text, length);
    return out;
}

} // namespace internal
} // namespace LibCommonCfg
