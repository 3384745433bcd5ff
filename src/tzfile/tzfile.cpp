#include <LibCommonCfg/tzfile.h>

#include "common/savefile.h"
#include "flatfile/assignment.h"

#include <QFile>
#include <QTextStream>

namespace LibCommonCfg {

namespace {

// Longer lines are read in pieces, each piece searched as a line.
constexpr qint64 kMaxLinePiece = 1024;

} // namespace

bool TZFile::load(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    load(file.readAll());
    return true;
}

void TZFile::load(const QByteArray& data)
{
    QTextStream stream(data, QIODevice::ReadOnly);
    // A Unicode byte-order mark still wins over the codec.
    stream.setCodec("CP1251");
    QString line;
    while (stream.readLineInto(&line, kMaxLinePiece)) {
        if (line.isEmpty())
            continue;
        // "# TZ=UTC" still sets TZ and "my-key=1" sets "key".
        const internal::Assignment assignment = internal::matchAssignment(line);
        if (assignment.found)
            entries.insert(assignment.key(line), assignment.value(line));
    }
}

bool TZFile::save(const QString& fileName)
{
    // The library's savers promise to write any file that can be opened
    // for writing: where it cannot be replaced safely, it is written in place.
    internal::SaveOptions options;
    options.whenUnsafe = internal::WhenUnsafe::WriteInPlace;
    return internal::saveFile(fileName, serialize(), options).isEmpty();
}

QByteArray TZFile::serialize() const
{
    QByteArray bytes;
    {
        QTextStream stream(&bytes, QIODevice::WriteOnly);
        stream.setCodec("CP1251");
        for (auto it = entries.constBegin(); it != entries.constEnd(); ++it)
            stream << it.key() << QLatin1Char('=') << it.value() << QLatin1Char('\n');
        stream.flush();
    }
    return bytes;
}

bool TZFile::hasKey(const QString& key)
{
    return entries.contains(key);
}

QString TZFile::getString(const QString& key) const
{
    return entries.value(key);
}

bool TZFile::getBool(const QString& key)
{
    // Inserting lookup on purpose: an asked-for flag appears in the file
    // afterwards, as "KEY=".
    return entries[key].toLower() == QLatin1String("y");
}

void TZFile::setString(const QString& key, const QString& value)
{
    entries.insert(key, value);
}

void TZFile::setBool(const QString& key, bool value)
{
    entries.insert(key, value ? QStringLiteral("Y") : QStringLiteral("N"));
}

bool TZFile::operator==(const TZFile& other) const
{
    return entries == other.entries;
}

bool TZFile::operator!=(const TZFile& other) const
{
    return !(*this == other);
}

} // namespace LibCommonCfg
