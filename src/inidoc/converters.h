#ifndef LIBCOMMONCFG_INIDOC_CONVERTERS_H
#define LIBCOMMONCFG_INIDOC_CONVERTERS_H

#include <QString>
#include <QVariant>

// The converters of the built-in conversion list. They never fail: an
// unreadable text gives 0 or false, a value of another type is converted the
// way QVariant converts it.
namespace LibCommonCfg {
namespace internal {

QVariant parseHex(const QString& text);
QString storeHex(const QVariant& value);
QVariant parse01(const QString& text);
QString store01(const QVariant& value);
QVariant parseOnOff(const QString& text);
QString storeOnOff(const QVariant& value);

} // namespace internal
} // namespace LibCommonCfg

#endif
