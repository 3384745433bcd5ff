#include <LibCommonCfg/inifile.h>

#include "common/devicecodec.h"
#include "inidoc/compositekey.h"
#include "inidoc/linegrammar.h"

#include <QTextStream>

namespace LibCommonCfg {

namespace {

// Lines longer than this are handled in pieces, each piece as a line.
constexpr qint64 kMaxLinePiece = 1024;

} // namespace

bool IniFile::myIniReadFunc(QIODevice& device, QMap<QString, QVariant>& map)
{
    QTextStream stream(&device);
    internal::setDeviceCodec(stream);

    QString group(QLatin1String(""));
    QString line;
    while (stream.readLineInto(&line, kMaxLinePiece)) {
        const internal::IniLine parsed = internal::classifyLine(line);
        if (parsed.kind == internal::IniLine::Section) {
            group = parsed.name(line);
            continue;
        }
        if (parsed.kind != internal::IniLine::Key || parsed.valueLength == 0)
            continue;

        const QString key = parsed.name(line);
        const QVariant value = parse(group, key, parsed.value(line));
        if (value.isNull())
            continue;
        map.insert(internal::joinKey(group, key), value);
    }
    return true;
}

} // namespace LibCommonCfg
