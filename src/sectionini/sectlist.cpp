#include <LibCommonCfg/cinifile.h>

#include "sectionini/chain.h"

#include <cstdlib>

using namespace LibCommonCfg::internal;

namespace {

LCC_CRT_NOINLINE void copyStrings(CSectList& sect, const char* name, const char* comment)
{
    sect.name = crtStrdup(name);
    sect.comment = crtStrdup(comment);
}

} // namespace

// As with the keys, the reader makes its sections empty and gives them their
// strings itself.
CSectList::CSectList(const char* name, const char* comment)
    : name(nullptr), comment(nullptr), firstKey(nullptr), next(nullptr)
{
    if (name || comment)
        copyStrings(*this, name, comment);
}

CSectList::~CSectList()
{
    // Iteratively, so that a section of many lines cannot exhaust the stack.
    while (firstKey) {
        CKeyList* key = firstKey;
        firstKey = key->next;
        delete key;
    }
    std::free(name);
    std::free(comment);
}

int CSectList::GetKeyNum()
{
    return countNamed(firstKey);
}

CKeyList* CSectList::Get(int index)
{
    return namedAt(firstKey, index);
}

CKeyList* CSectList::Get(const char* name)
{
    return findNamed(firstKey, name);
}

char* CSectList::GetVal(char* name)
{
    CKeyList* key = Get(name);
    return key ? key->value : nullptr;
}

void CSectList::SetVal(const char* name, const char* value)
{
    if (!name)
        return;
    if (CKeyList* key = Get(name))
        replaceString(key->value, value);
    else
        appendNode(firstKey, new CKeyList(name, value, nullptr));
}

void CSectList::SetComment(const char* name, const char* comment)
{
    if (CKeyList* key = Get(name))
        replaceString(key->comment, comment);
}

void CSectList::DeleteKey(const char* name)
{
    delete unlinkNamed(firstKey, name);
}
