#ifndef LIBCOMMONCFG_COMMON_DEVICECODEC_H
#define LIBCOMMONCFG_COMMON_DEVICECODEC_H

// The device's text encoding, Windows-1251, decided here once for the
// library, the tool and the fuzz targets. Everything else names neither the
// codec nor QTextCodec's lookup of it.

class QTextCodec;
class QTextStream;

namespace LibCommonCfg {
namespace internal {

/// Windows-1251, looked up on first use. Never null: a Qt without it stops
/// the program at once (qFatal), since any other encoding would read device
/// files wrongly and corrupt them on writing.
QTextCodec* deviceCodec();

/// Puts Windows-1251 on the stream. Nothing else of the stream changes: its
/// detection of a Unicode byte-order mark stays on, so text that begins with
/// one is decoded in that encoding instead, as the device reads it.
void setDeviceCodec(QTextStream& stream);

/// The codec a client handed to a typed helper, or Windows-1251 when it
/// handed none.
QTextCodec* codecOrDefault(QTextCodec* given);

} // namespace internal
} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_COMMON_DEVICECODEC_H
