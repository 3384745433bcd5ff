#include <LibCommonCfg/inifile.h>

#include "inidoc/compositekey.h"

#include <QRegularExpression>
#include <QTextStream>

#include <algorithm>

namespace LibCommonCfg {

namespace {

// Sort key: "/" counts as U+0000, so that a group sorts before every longer
// group name that begins with it and keys of one group stay together.
QString sortForm(const QString& key)
{
    QString copy(key);
    copy.replace(QLatin1Char('/'), QChar(0));
    return copy;
}

const QRegularExpression& digit()
{
    static const QRegularExpression instance(QStringLiteral("[0-9]"));
    return instance;
}

} // namespace

bool IniFile::myIniWriteFunc(QIODevice& device, const QMap<QString, QVariant>& map)
{
    struct Entry {
        QString sortKey;
        QString key;
    };
    QVector<Entry> sorted;
    sorted.reserve(map.size());
    for (auto it = map.constBegin(); it != map.constEnd(); ++it)
        sorted.append({sortForm(it.key()), it.key()});
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Entry& a, const Entry& b) { return a.sortKey < b.sortKey; });

    // Groups without a digit in their name first, then those with one.
    QVector<const Entry*> ordered;
    ordered.reserve(sorted.size());
    QVector<const Entry*> withDigits;
    for (const Entry& entry : sorted) {
        if (inidoc::groupOf(entry.key).contains(digit()))
            withDigits.append(&entry);
        else
            ordered.append(&entry);
    }
    ordered += withDigits;

    QTextStream stream(&device);
    stream.setCodec("cp1251");
    QString current(QLatin1String(""));
    for (const Entry* entry : qAsConst(ordered)) {
        const inidoc::KeyParts parts = inidoc::splitKey(entry->key);
        const QString text = store(parts.group, parts.name, map.value(entry->key));
        if (parts.group != current) {
            stream << QStringLiteral("\n[%1]\n").arg(parts.group);
            current = parts.group;
        }
        stream << QStringLiteral("   %1=%2\n").arg(parts.name, text);
    }
    stream.flush();
    return true;
}

} // namespace LibCommonCfg
