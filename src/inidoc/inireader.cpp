#include <LibCommonCfg/inifile.h>

#include "common/devicecodec.h"
#include "common/devicelines.h"
#include "common/qtcompat.h"
#include "inidoc/compositekey.h"
#include "inidoc/inireader.h"
#include "inidoc/linegrammar.h"

#include <QIODevice>
#include <QTextStream>

namespace LibCommonCfg {

namespace {

// Lines longer than this are handled in pieces, each piece as a line.
constexpr int kMaxLinePiece = 1024;

// A text stream on a client's device, handing out its lines as DeviceLines
// does for bytes.
struct StreamLines {
    QTextStream& stream;
    bool next(QString& line) { return stream.readLineInto(&line, kMaxLinePiece); }
};

// Every line's assignment through the document's conversion list into the
// map; a later line of a key wins.
template <typename Lines> void readLines(IniFile& doc, Lines& lines, QMap<QString, QVariant>& map)
{
    QString group(QLatin1String(""));
    QString line;
    while (lines.next(line)) {
        const internal::IniLine parsed = internal::classifyLine(line);
        if (parsed.kind == internal::IniLine::Section) {
            group = parsed.name(line);
            continue;
        }
        if (parsed.kind != internal::IniLine::Key || parsed.valueLength == 0)
            continue;

        const QString key = parsed.name(line);
        const QVariant value = doc.parse(group, key, parsed.value(line));
        if (internal::variantIsNull(value))
            continue;
        map.insert(internal::joinKey(group, key), value);
    }
}

} // namespace

bool IniFile::myIniReadFunc(QIODevice& device, QMap<QString, QVariant>& map)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    // No Windows-1251 text stream in Qt 6: the device's bytes are split as
    // a Qt 5 text stream splits them.
    internal::DeviceLines lines(device.readAll(), kMaxLinePiece);
#else
    QTextStream stream(&device);
    internal::setDeviceCodec(stream);
    StreamLines lines{stream};
#endif
    readLines(*this, lines, map);
    return true;
}

namespace internal {

void readIniBytes(IniFile& doc, const QByteArray& data, QMap<QString, QVariant>& map)
{
    DeviceLines lines(data, kMaxLinePiece);
    readLines(doc, lines, map);
}

} // namespace internal

} // namespace LibCommonCfg
