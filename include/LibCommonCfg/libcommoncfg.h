#ifndef LIBCOMMONCFG_LIBCOMMONCFG_H
#define LIBCOMMONCFG_LIBCOMMONCFG_H

// Everything the library exports, one header per family.
#include <LibCommonCfg/cinifile.h>
#include <LibCommonCfg/encoding.h>
#include <LibCommonCfg/inifile.h>
#include <LibCommonCfg/netcheck.h>
#include <LibCommonCfg/paramarray.h>
#include <LibCommonCfg/setupfile.h>
#include <LibCommonCfg/tzfile.h>

#endif // LIBCOMMONCFG_LIBCOMMONCFG_H
