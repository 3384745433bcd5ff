#ifndef LIBCOMMONCFG_COMMON_DEVICECODEC_H
#define LIBCOMMONCFG_COMMON_DEVICECODEC_H

// The device's text encoding, Windows-1251, decided here once for the
// library, the tool and the fuzz targets. Everything else names neither the
// codec nor QTextCodec's lookup of it.

#include <QByteArray>
#include <QChar>
#include <QString>

class QTextCodec;
class QTextStream;

namespace LibCommonCfg {
namespace internal {

/// Windows-1251, looked up on first use. Never null: a Qt without it stops
/// the program at once (qFatal), since any other encoding would read device
/// files wrongly and corrupt them on writing.
QTextCodec* deviceCodec();

/// Puts Windows-1251 on the stream (Qt 5; a Qt 6 stream cannot hold it and
/// is only given text with a byte-order mark). Its detection of a Unicode
/// byte-order mark stays on, so text that begins with one is decoded in that
/// encoding instead, as the device reads it.
void setDeviceCodec(QTextStream& stream);

/// The codec a client handed to a typed helper, or Windows-1251 when it
/// handed none.
QTextCodec* codecOrDefault(QTextCodec* given);

/// The character of every Windows-1251 byte: each byte has exactly one, so
/// text is decoded by table, one character per byte.
extern const ushort kDeviceChars[256];

/// Replaces `out` with the characters of the bytes.
void decodeDeviceText(const char* bytes, int length, QString& out);

/// Appends the Windows-1251 bytes of the text to `out`, exactly as the
/// codec of deviceCodec() encodes it in one call: a character the encoding
/// lacks becomes "?" (a surrogate pair one "?", a broken half one "?" of its
/// own), invisible format characters it lacks (joiners, direction marks,
/// variation selectors, the byte-order mark and their like) are left out,
/// and a high surrogate that ends the text is left out.
void appendDeviceBytes(QByteArray& out, const QChar* text, int length);

/// Writes the bytes of appendDeviceBytes to `out`, which has room for
/// `length` of them, and returns the end of what it wrote. With `followed`
/// the text is one piece of a longer one that goes on with a character that
/// is no low surrogate, so a high surrogate ending it is a broken half: "?".
char* putDeviceBytes(char* out, const QChar* text, int length, bool followed);

/// appendDeviceBytes into a new array.
QByteArray encodeDeviceText(const QChar* text, int length);
inline QByteArray encodeDeviceText(const QString& text)
{
    return encodeDeviceText(text.constData(), text.size());
}

} // namespace internal
} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_COMMON_DEVICECODEC_H
