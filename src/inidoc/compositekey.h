#ifndef LIBCOMMONCFG_INIDOC_COMPOSITEKEY_H
#define LIBCOMMONCFG_INIDOC_COMPOSITEKEY_H

#include <QString>

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

} // namespace internal
} // namespace LibCommonCfg

#endif
