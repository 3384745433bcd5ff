#include "common/devicelines.h"

#include "common/devicecodec.h"

#include <QIODevice>
#include <QTextStream>

#include <cstring>

namespace LibCommonCfg {
namespace internal {

namespace {

// A text stream reads its input ahead in blocks of this many bytes. Whether
// it has read the last block decides what becomes of a CR ending a piece.
constexpr int kStreamBlock = 16384;

// The byte-order marks after which a text stream leaves the codec it was
// given for the Unicode encoding they announce.
bool startsWithByteOrderMark(const QByteArray& data)
{
    return data.startsWith("\xEF\xBB\xBF") || data.startsWith("\xFE\xFF") || data.startsWith("\xFF\xFE") ||
           data.startsWith(QByteArray("\x00\x00\xFE\xFF", 4));
}

} // namespace

DeviceLines::DeviceLines(const QByteArray& data, int maxPiece) : data(data), maxPiece(maxPiece)
{
    if (startsWithByteOrderMark(data)) {
        unicode = std::make_unique<QTextStream>(data, QIODevice::ReadOnly);
        setDeviceCodec(*unicode);
    }
}

DeviceLines::~DeviceLines() = default;

bool DeviceLines::next(QString& line)
{
    if (unicode)
        return unicode->readLineInto(&line, maxPiece);

    const int size = data.size();
    if (pos >= size) {
        line.clear();
        return false;
    }
    const char* bytes = data.constData();
    const int limit = maxPiece > 0 && size - pos > maxPiece ? pos + maxPiece : size;
    const void* found = std::memchr(bytes + pos, '\n', size_t(limit - pos));
    int end;
    int next;
    if (found != nullptr) {
        end = int(static_cast<const char*>(found) - bytes);
        next = end + 1;
        if (end > pos && bytes[end - 1] == '\r')
            --end;
    } else {
        end = limit;
        next = limit;
        // The stream drops a CR that ends what it scanned only when its input
        // is used up, which it knows once it has read the block holding the
        // last byte.
        const bool readToEnd = (qint64(limit) + kStreamBlock - 1) / kStreamBlock * kStreamBlock >= size;
        if (readToEnd && bytes[end - 1] == '\r')
            --end;
    }
    decodeDeviceText(bytes + pos, end - pos, line);
    pos = next;
    return true;
}

} // namespace internal
} // namespace LibCommonCfg
