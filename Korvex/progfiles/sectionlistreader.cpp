#include "sectionlistreader.h"

#include <fstream>

namespace SectionList {

CSectionListReader::~CSectionListReader() = default;

DWORD CSectionListReader::ReadFile(CSectionList &list, LPCSTR name, BOOL fillData, int flag)
{
    if (name == nullptr)
        return SLR_CANNOT_READ_FILE;
    std::ifstream file(name, std::ios::in | std::ios::binary);
    if (!file.is_open())
        return SLR_CANNOT_READ_FILE;
    return ReadStream(list, file, fillData, flag);
}

DWORD CSectionListReader::ReadStream(CSectionList &, std::istream &, BOOL, int)
{
    return SLR_NOT_OFFERED;
}

DWORD CSectionListReader::ReadResource(CSectionList &, HMODULE, LPCSTR, LPCSTR, BOOL, int)
{
    return SLR_NOT_OFFERED;
}

DWORD CSectionListReader::AddRange(CSectionList &list, DWORD start, DWORD length, int mode)
{
    return list.AddRange(start, length, nullptr, mode);
}

DWORD CSectionListReader::StoreBytes(CSectionList &list, DWORD start, DWORD count, const void *data)
{
    return list.Write(start, count, data, nullptr);
}

} // namespace SectionList
