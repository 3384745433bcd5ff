#ifndef LIBCOMMONCFG_TYPEDACCESS_DEFAULTCODEC_H
#define LIBCOMMONCFG_TYPEDACCESS_DEFAULTCODEC_H

class QTextCodec;

namespace LibCommonCfg {
namespace internal {

/// The codec a typed helper converts values and comments with: `given`, or
/// Windows-1251 when `given` is null. Never null.
QTextCodec* codecOrDefault(QTextCodec* given);

} // namespace internal
} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_TYPEDACCESS_DEFAULTCODEC_H
