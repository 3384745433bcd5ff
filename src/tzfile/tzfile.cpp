#include <LibCommonCfg/tzfile.h>

#include "flatfile/entries.h"

namespace LibCommonCfg {

bool TZFile::load(const QString& fileName)
{
    return internal::loadEntriesFromFile(entries, fileName);
}

void TZFile::load(const QByteArray& data)
{
    internal::loadEntries(entries, data);
}

bool TZFile::save(const QString& fileName)
{
    return internal::saveEntriesFile(fileName, serialize());
}

QByteArray TZFile::serialize() const
{
    return internal::serializeEntries(entries, internal::ValueOutput::AsStored);
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
