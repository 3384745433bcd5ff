#ifndef LIBCOMMONCFG_COMMON_DEVICELINES_H
#define LIBCOMMONCFG_COMMON_DEVICELINES_H

#include <QByteArray>
#include <QString>

#include <memory>

class QTextStream;

namespace LibCommonCfg {
namespace internal {

/// The lines of a device file's bytes, one piece at a time, exactly as a
/// text stream in Windows-1251 reads them with readLineInto(line, maxPiece):
/// a line ends at LF or CR LF; a line longer than `maxPiece` characters comes
/// in pieces of that length; a CR ending the text, or ending a full piece
/// once the stream has read the last of its input, is no part of the line.
/// Windows-1251 text is split and decoded straight from the bytes; text that
/// begins with a Unicode byte-order mark is read through a text stream, which
/// decodes it in that encoding, as the device does.
class DeviceLines {
public:
    DeviceLines(const QByteArray& data, int maxPiece);
    ~DeviceLines();
    DeviceLines(const DeviceLines&) = delete;
    DeviceLines& operator=(const DeviceLines&) = delete;

    /// The next line or piece into `line`; false when the text is used up.
    bool next(QString& line);

private:
    const QByteArray data;
    const int maxPiece;
    int pos = 0;
    std::unique_ptr<QTextStream> unicode;
};

} // namespace internal
} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_COMMON_DEVICELINES_H
