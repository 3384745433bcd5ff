#include "modelfloor.h"

#include <LibCommonCfg/inifile.h>

#include <QStringList>

namespace modelfloor {

std::vector<Entry> entries(const QByteArray& deviceFile)
{
    LibCommonCfg::IniFile doc;
    doc.load(deviceFile);
    std::vector<Entry> result;
    for (const QString& key : doc.allKeys()) {
        const int slash = key.indexOf(QLatin1Char('/'));
        const QVariant value = doc.valueFromGroup(key.left(slash), key.mid(slash + 1));
        if (value.userType() == QMetaType::QString)
            result.push_back({key.toLatin1(), QVariant(), value.toString().toLatin1()});
        else
            result.push_back({key.toLatin1(), value, QByteArray()});
    }
    return result;
}

QMap<QString, QVariant> fill(const std::vector<Entry>& entries)
{
    QMap<QString, QVariant> map;
    for (const Entry& entry : entries)
        map.insert(map.cend(), QString::fromLatin1(entry.key),
                   entry.value.isValid() ? entry.value : QVariant(QString::fromLatin1(entry.text)));
    return map;
}

std::size_t walk(const QMap<QString, QVariant>& map)
{
    std::size_t sum = 0;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        sum += std::size_t(it.key().size()) + it.key().at(0).unicode();
        const QVariant& value = it.value();
        if (value.userType() == QMetaType::QString) {
            const QString& text = *static_cast<const QString*>(value.constData());
            sum += std::size_t(text.size()) + (text.isEmpty() ? 0 : text.at(0).unicode());
        }
    }
    return sum;
}

} // namespace modelfloor
