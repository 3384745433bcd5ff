#ifndef LIBCOMMONCFG_INIDOC_COMPOSITEKEY_H
#define LIBCOMMONCFG_INIDOC_COMPOSITEKEY_H

#include <QString>

#include <cstring>

namespace LibCommonCfg {
namespace internal {

/// Group and name of a composite key, split at its first "/". A key without
/// any "/" counts whole as both its group and its name.
struct KeyParts {
    QString group;
    QString name;
};

inline KeyParts splitKey(const QString& key)
{
    const int slash = key.indexOf(QLatin1Char('/'));
    if (slash < 0)
        return {key, key};
    return {key.left(slash), key.mid(slash + 1)};
}

/// The group part alone, as the listings need it.
inline QString groupOf(const QString& key)
{
    const int slash = key.indexOf(QLatin1Char('/'));
    return slash < 0 ? key : key.left(slash);
}

/// "group/key", or "/key" for an empty group.
inline QString joinKey(const QString& group, const QString& key)
{
    // One allocation: the reader builds a key for every line it stores.
    QString joined;
    joined.reserve(group.size() + 1 + key.size());
    joined.append(group).append(QLatin1Char('/')).append(key);
    return joined;
}

/// "group/" of a group name: the prefix of every key of the group, made
/// once for a group's keys.
inline QString groupPrefix(const QChar* group, int length)
{
    QString prefix(length + 1, Qt::Uninitialized);
    QChar* out = prefix.data();
    std::memcpy(out, group, sizeof(QChar) * size_t(length));
    out[length] = QLatin1Char('/');
    return prefix;
}

/// joinKey of a group given by its prefix: "group/" followed by the name.
inline QString joinPrefixed(const QString& prefix, const QChar* name, int length)
{
    QString joined(prefix.size() + length, Qt::Uninitialized);
    QChar* out = joined.data();
    std::memcpy(out, prefix.constData(), sizeof(QChar) * size_t(prefix.size()));
    std::memcpy(out + prefix.size(), name, sizeof(QChar) * size_t(length));
    return joined;
}

} // namespace internal
} // namespace LibCommonCfg

#endif
