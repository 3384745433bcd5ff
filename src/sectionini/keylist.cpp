#include <LibCommonCfg/cinifile.h>

#include "sectionini/crt.h"

#include <cstdlib>

using LibCommonCfg::internal::crtStrdup;

namespace {

LCC_CRT_NOINLINE void copyStrings(CKeyList& key, const char* name, const char* value, const char* comment)
{
    key.name = crtStrdup(name);
    key.value = crtStrdup(value);
    key.comment = crtStrdup(comment);
}

} // namespace

// The reader makes its nodes empty and gives them their strings itself; an
// empty node then costs no more than its four stores.
CKeyList::CKeyList(const char* name, const char* value, const char* comment)
    : name(nullptr), value(nullptr), comment(nullptr), next(nullptr)
{
    if (name || value || comment)
        copyStrings(*this, name, value, comment);
}

CKeyList::~CKeyList()
{
    std::free(name);
    std::free(value);
    std::free(comment);
}
