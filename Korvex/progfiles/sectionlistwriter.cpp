#include "sectionlistwriter.h"

#include <fstream>

namespace SectionList {

CSectionListWriter::~CSectionListWriter() = default;

DWORD CSectionListWriter::WriteFile(CSectionList &list, LPCSTR name)
{
    if (name == nullptr)
        return SLR_CANNOT_WRITE_FILE;
    std::ofstream file(name, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!file.is_open())
        return SLR_CANNOT_WRITE_FILE;
    DWORD result = WriteStream(list, file);
    file.close();
    if (result == SLR_SUCCESS && file.fail())
        result = SLR_WRITE_FAILED;
    return result;
}

DWORD CSectionListWriter::WriteStream(CSectionList &, std::ostream &)
{
    return SLR_NOT_OFFERED;
}

DWORD CSectionListWriter::WriteBytes(std::ostream &stream, DWORD, DWORD count, const void *data)
{
    stream.write(static_cast<const char *>(data), count);
    return stream.fail() ? SLR_WRITE_FAILED : SLR_SUCCESS;
}

} // namespace SectionList
