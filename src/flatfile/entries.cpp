#include "flatfile/entries.h"

#include "common/devicecodec.h"
#include "common/devicelines.h"
#include "common/savefile.h"
#include "flatfile/assignment.h"

#include <QFile>

namespace LibCommonCfg {
namespace internal {

void loadEntries(FlatEntries& entries, const QByteArray& data)
{
    DeviceLines lines(data, kFlatLinePiece);
    QString line;
    while (lines.next(line)) {
        if (line.isEmpty())
            continue;
        // "# TZ=UTC" still sets TZ and "my-key=1" sets "key".
        const Assignment assignment = matchAssignment(line);
        if (assignment.found)
            entries.insert(assignment.key(line), assignment.value(line));
    }
}

bool loadEntriesFromFile(FlatEntries& entries, const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    loadEntries(entries, file.readAll());
    return true;
}

QByteArray serializeEntries(const FlatEntries& entries, ValueOutput values)
{
    QString text;
    for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
        text += it.key();
        text += QLatin1Char('=');
        text += values == ValueOutput::Trimmed ? it.value().trimmed() : it.value();
        text += QLatin1Char('\n');
    }
    return encodeDeviceText(text);
}

bool saveEntriesFile(const QString& fileName, const QByteArray& bytes)
{
    // The library's savers promise to write any file that can be opened
    // for writing: where it cannot be replaced safely, it is written in place.
    SaveOptions options;
    options.whenUnsafe = WhenUnsafe::WriteInPlace;
    return saveFile(fileName, bytes, options).isEmpty();
}

} // namespace internal
} // namespace LibCommonCfg
