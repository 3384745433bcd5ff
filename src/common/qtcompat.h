#ifndef LIBCOMMONCFG_COMMON_QTCOMPAT_H
#define LIBCOMMONCFG_COMMON_QTCOMPAT_H

// What the library needs from Qt where Qt 5 and Qt 6 differ in behaviour:
// the library keeps Qt 5's, which its clients were written against.

#include <QVariant>

namespace LibCommonCfg {
namespace internal {

/// QVariant::isNull as Qt 5 has it: true for no value and also for a held
/// value that is null itself (a null QString or QByteArray, an invalid date,
/// a zero point...). Qt 6 looks at the variant alone.
bool variantIsNull(const QVariant& value);

} // namespace internal
} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_COMMON_QTCOMPAT_H
