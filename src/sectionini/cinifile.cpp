#include <LibCommonCfg/cinifile.h>

#include "sectionini/chain.h"

#include <climits>
#include <cstdlib>

using namespace LibCommonCfg::internal;

CIniFile::CIniFile() : firstSect(nullptr), fileName(nullptr) {}

CIniFile::CIniFile(const char* fileName) : firstSect(nullptr), fileName(crtStrdup(fileName)) {}

CIniFile::CIniFile(const std::string& fileName) : firstSect(nullptr), fileName(crtStrdup(fileName.c_str())) {}

CIniFile::~CIniFile()
{
    Clear();
    std::free(fileName);
}

void CIniFile::SetFileName(const std::string& fileName)
{
    replaceString(this->fileName, fileName.c_str());
}

void CIniFile::Clear()
{
    while (firstSect) {
        CSectList* sect = firstSect;
        firstSect = sect->next;
        delete sect;
    }
}

int CIniFile::GetSectionNum()
{
    return countNamed(firstSect);
}

CSectList* CIniFile::GetSect(int index)
{
    return namedAt(firstSect, index);
}

CSectList* CIniFile::GetSect(const char* name)
{
    return findNamed(firstSect, name);
}

bool CIniFile::FindSection(char* name)
{
    return GetSect(name) != nullptr;
}

CSectList* CIniFile::CreateSect(const char* name)
{
    // A null name would make an unnamed node, which stands for a comment line.
    if (!name)
        return nullptr;
    if (CSectList* sect = GetSect(name))
        return sect;
    CSectList* sect = new CSectList(name, nullptr);
    appendNode(firstSect, sect);
    return sect;
}

void CIniFile::DeleteSection(const char* name)
{
    delete unlinkNamed(firstSect, name);
}

void CIniFile::SwapSection(char* name1, char* name2)
{
    CSectList* first = GetSect(name1);
    CSectList* second = GetSect(name2);
    if (!first || !second)
        return;
    char* name = first->name;
    first->name = second->name;
    second->name = name;
}

void CIniFile::ChangeSectionName(char* oldName, char* newName)
{
    // A null new name would turn the section into a comment line; refused.
    if (!newName)
        return;
    if (CSectList* sect = GetSect(oldName))
        replaceString(sect->name, newName);
}

char* CIniFile::GetSectionName(int index)
{
    CSectList* sect = GetSect(index);
    return sect ? sect->name : nullptr;
}

char* CIniFile::GetSectionComment(int index)
{
    CSectList* sect = GetSect(index);
    return sect ? sect->comment : nullptr;
}

int CIniFile::GetKeyNum(int sectIndex)
{
    CSectList* sect = GetSect(sectIndex);
    return sect ? sect->GetKeyNum() : 0;
}

CKeyList* CIniFile::GetKey(int sectIndex, int keyIndex)
{
    CSectList* sect = GetSect(sectIndex);
    return sect ? sect->Get(keyIndex) : nullptr;
}

char* CIniFile::GetKeyName(int sectIndex, int keyIndex)
{
    CKeyList* key = GetKey(sectIndex, keyIndex);
    return key ? key->name : nullptr;
}

char* CIniFile::GetKeyValue(int sectIndex, int keyIndex)
{
    CKeyList* key = GetKey(sectIndex, keyIndex);
    return key ? key->value : nullptr;
}

char* CIniFile::GetKeyComment(int sectIndex, int keyIndex)
{
    CKeyList* key = GetKey(sectIndex, keyIndex);
    return key ? key->comment : nullptr;
}

char* CIniFile::Get(const char* sect, const char* key, char** comment)
{
    CSectList* section = GetSect(sect);
    if (!section)
        return nullptr;
    CKeyList* node = section->Get(key);
    if (!node)
        return nullptr;
    if (comment)
        *comment = node->comment;
    return node->value;
}

void CIniFile::Set(const char* sect, const char* key, const char* value)
{
    if (!sect || !key)
        return;
    CreateSect(sect)->SetVal(key, value);
}

void CIniFile::GetInt(char* sect, char* key, int* out, int def)
{
    if (!out)
        return;
    const char* value = Get(sect, key);
    if (!value) {
        *out = def;
        return;
    }
    // atoi without its undefined overflow: out-of-range numbers saturate, as
    // the device's runtime does.
    const long number = std::strtol(value, nullptr, 10);
    if (number > INT_MAX)
        *out = INT_MAX;
    else if (number < INT_MIN)
        *out = INT_MIN;
    else
        *out = static_cast<int>(number);
}

void CIniFile::GetDouble(char* sect, char* key, double* out, double def)
{
    if (!out)
        return;
    const char* value = Get(sect, key);
    *out = value ? std::strtod(value, nullptr) : def;
}

void CIniFile::DeleteKey(char* sect, const char* key)
{
    if (CSectList* section = GetSect(sect))
        section->DeleteKey(key);
}
