#include <LibCommonCfg/cinifile.h>

#include "sectionini/crt.h"

#include <cstdlib>

using LibCommonCfg::internal::crtStrdup;

CKeyList::CKeyList(const char* name, const char* value, const char* comment)
    : name(crtStrdup(name)), value(crtStrdup(value)), comment(crtStrdup(comment)), next(nullptr)
{
}

CKeyList::~CKeyList()
{
    std::free(name);
    std::free(value);
    std::free(comment);
}
