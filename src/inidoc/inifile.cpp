#include <LibCommonCfg/inifile.h>

#include "inidoc/compositekey.h"
#include "inidoc/inireader.h"

#include <QBuffer>
#include <QFile>
#include <QSet>

namespace LibCommonCfg {

using internal::groupOf;
using internal::joinKey;

IniFile::IniFile() : convMap(defaultConvMap) {}

IniFile::IniFile(const QList<MappingEntry>& convList) : convMap(convList) {}

IniFile::IniFile(const QByteArray& data) : IniFile()
{
    init(data);
}

IniFile::IniFile(const QByteArray& data, const QList<MappingEntry>& convList) : convMap(convList)
{
    pushConvMap(convList);
    init(data);
}

IniFile::~IniFile() = default;

void IniFile::init(const QByteArray& data)
{
    internal::readIniBytes(*this, convMap, data, values);
}

void IniFile::load(const QByteArray& data)
{
    init(data);
}

void IniFile::load(const QByteArray& data, const QList<MappingEntry>& convList)
{
    convMap = convList;
    pushConvMap(convList);
    init(data);
}

bool IniFile::load(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    init(file.readAll());
    return true;
}

bool IniFile::load(const QString& fileName, const QList<MappingEntry>& convList)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    convMap = convList;
    pushConvMap(convList);
    init(file.readAll());
    return true;
}

void IniFile::beginGroup(const QString& group)
{
    curGroup = group;
}

void IniFile::endGroup()
{
    curGroup = QString();
}

QString IniFile::currentGroup() const
{
    return curGroup;
}

QVariant IniFile::value(const QString& key, const QVariant& defaultValue) const
{
    // With no current group the key lies outside any group: "/key".
    return values.value(joinKey(curGroup, key), defaultValue);
}

QVariant IniFile::valueFromGroup(const QString& group, const QString& key, const QVariant& defaultValue) const
{
    return values.value(joinKey(group, key), defaultValue);
}

bool IniFile::boolValueFromGroup(const QString& group, const QString& key, const bool& defaultValue) const
{
    const auto it = values.constFind(joinKey(group, key));
    if (it == values.constEnd())
        return defaultValue;
    const QString text = it.value().toString().toLower();
    return text == QLatin1String("y") || text == QLatin1String("1");
}

void IniFile::setValue(const QString& key, const QVariant& value)
{
    if (curGroup.isEmpty())
        values.insert(key, value);
    else
        values.insert(joinKey(curGroup, key), value);
}

void IniFile::setValueInGroup(const QString& group, const QString& key, const QVariant& value)
{
    values.insert(joinKey(group, key), value);
}

QStringList IniFile::allKeys() const
{
    return values.keys();
}

QStringList IniFile::allGroups() const
{
    QSet<QString> groups;
    for (auto it = values.constBegin(); it != values.constEnd(); ++it)
        groups.insert(groupOf(it.key()));
    return QStringList(groups.cbegin(), groups.cend());
}

QStringList IniFile::curGroupKeys() const
{
    QSet<QString> keys;
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        const internal::KeyParts parts = internal::splitKey(it.key());
        if (parts.group == curGroup)
            keys.insert(parts.name);
    }
    return QStringList(keys.cbegin(), keys.cend());
}

bool IniFile::hasGroup(const QString& group) const
{
    return allGroups().contains(group, Qt::CaseSensitive);
}

QByteArray IniFile::serialize()
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    myIniWriteFunc(buffer, values);
    buffer.close();
    return bytes;
}

QHash<QString, QByteArray> IniFile::serialize(const QString& fileName)
{
    QHash<QString, QByteArray> result;
    result.insert(fileName, serialize());
    return result;
}

} // namespace LibCommonCfg
