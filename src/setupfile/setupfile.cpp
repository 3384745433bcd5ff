#include <LibCommonCfg/setupfile.h>

#include "common/savefile.h"
#include "flatfile/assignment.h"

#include <QFile>
#include <QTextCodec>
#include <QTextStream>

namespace LibCommonCfg {

namespace {

// Longer lines are read in pieces of this many characters, each piece
// parsed as a line of its own.
constexpr qint64 kMaxLineLength = 1024;

} // namespace

SetupFile::SetupFile() : codec(QTextCodec::codecForName("CP1251")) {}

bool SetupFile::load(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    load(file.readAll());
    return true;
}

void SetupFile::load(const QByteArray& data)
{
    QTextStream in(data, QIODevice::ReadOnly);
    if (codec)
        in.setCodec(codec);
    QString line;
    while (in.readLineInto(&line, kMaxLineLength)) {
        if (line.isEmpty())
            continue;
        const internal::Assignment assignment = internal::matchAssignment(line);
        if (assignment.found)
            entries.insert(assignment.key(line), assignment.value(line));
    }
}

bool SetupFile::save(const QString& fileName)
{
    // The library's savers promise to write any file that can be opened
    // for writing: where it cannot be replaced safely, it is written in place.
    internal::SaveOptions options;
    options.whenUnsafe = internal::WhenUnsafe::WriteInPlace;
    return internal::saveFile(fileName, serialize(), options).isEmpty();
}

QByteArray SetupFile::serialize() const
{
    QByteArray bytes;
    QTextStream out(&bytes, QIODevice::WriteOnly);
    if (codec)
        out.setCodec(codec);
    for (auto it = entries.cbegin(); it != entries.cend(); ++it)
        out << it.key() << QLatin1Char('=') << it.value().trimmed() << QLatin1Char('\n');
    out.flush();
    return bytes;
}

QStringList SetupFile::allKeys() const
{
    return entries.keys();
}

bool SetupFile::hasKey(const QString& key) const
{
    return entries.contains(key);
}

QString SetupFile::getString(const QString& key) const
{
    const auto it = entries.constFind(key);
    return it == entries.cend() ? QString() : it.value();
}

int SetupFile::getInt(const QString& key, int defaultValue) const
{
    const auto it = entries.constFind(key);
    if (it == entries.cend())
        return defaultValue;
    bool ok = false;
    const int number = it.value().toInt(&ok, 10);
    return ok ? number : defaultValue;
}

bool SetupFile::getBool(const QString& key, bool defaultValue) const
{
    const auto it = entries.constFind(key);
    if (it == entries.cend() || it.value().isEmpty())
        return defaultValue;
    return it.value().toLower() == QLatin1String("y");
}

void SetupFile::setString(const QString& key, const QString& value)
{
    entries.insert(key, value);
}

void SetupFile::setInt(const QString& key, int value)
{
    entries.insert(key, QString::number(value, 10));
}

void SetupFile::setBool(const QString& key, bool value)
{
    entries.insert(key, value ? QStringLiteral("Y") : QStringLiteral("N"));
}

int SetupFile::remove(const QString& key)
{
    return entries.remove(key);
}

bool SetupFile::operator==(const SetupFile& other) const
{
    return entries == other.entries;
}

bool SetupFile::operator!=(const SetupFile& other) const
{
    return !(*this == other);
}

} // namespace LibCommonCfg
