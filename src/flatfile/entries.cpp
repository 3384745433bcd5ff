#include "flatfile/entries.h"

#include "common/devicecodec.h"
#include "common/savefile.h"
#include "flatfile/assignment.h"

#include <QFile>
#include <QTextStream>

namespace LibCommonCfg {
namespace internal {

void loadEntries(FlatEntries& entries, const QByteArray& data)
{
    QTextStream stream(data, QIODevice::ReadOnly);
    setDeviceCodec(stream);
    QString line;
    while (stream.readLineInto(&line, kFlatLinePiece)) {
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
    QByteArray bytes;
    {
        QTextStream stream(&bytes, QIODevice::WriteOnly);
        setDeviceCodec(stream);
        for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
            stream << it.key() << QLatin1Char('=');
            if (values == ValueOutput::Trimmed)
                stream << it.value().trimmed();
            else
                stream << it.value();
            stream << QLatin1Char('\n');
        }
        stream.flush();
    }
    return bytes;
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
