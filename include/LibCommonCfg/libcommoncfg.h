#ifndef LIBCOMMONCFG_LIBCOMMONCFG_H
#define LIBCOMMONCFG_LIBCOMMONCFG_H

// Everything the library exports, one header per family.
#include <LibCommonCfg/inifile.h>
#include <LibCommonCfg/netcheck.h>
#include <LibCommonCfg/setupfile.h>

#endif // LIBCOMMONCFG_LIBCOMMONCFG_H
