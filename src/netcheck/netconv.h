#ifndef LIBCOMMONCFG_NETCHECK_NETCONV_H
#define LIBCOMMONCFG_NETCHECK_NETCONV_H

#include <LibCommonCfg/netcheck.h>

namespace LibCommonCfg {
namespace internal {

// Numeric form to four dotted decimal octets. Not exported.
QString binToDotted(unsigned int address);
// The network of an address and a mask; both fields null when the address
// text is empty. Not exported.
NetworkParams networkOf(const QString& address, const QString& netmask);

} // namespace internal
} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_NETCHECK_NETCONV_H
