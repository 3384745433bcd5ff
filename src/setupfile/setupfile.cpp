#include <LibCommonCfg/setupfile.h>

#include "common/devicecodec.h"
#include "flatfile/entries.h"

namespace LibCommonCfg {

// The codec stays a member for the class layout clients were built with;
// reading and writing use the device's codec, which is the same one.
SetupFile::SetupFile() : codec(internal::deviceCodec()) {}

bool SetupFile::load(const QString& fileName)
{
    return internal::loadEntriesFromFile(entries, fileName);
}

void SetupFile::load(const QByteArray& data)
{
    internal::loadEntries(entries, data);
}

bool SetupFile::save(const QString& fileName)
{
    return internal::saveEntriesFile(fileName, serialize());
}

QByteArray SetupFile::serialize() const
{
    return internal::serializeEntries(entries, internal::ValueOutput::Trimmed);
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
