#include "eomfcheck.h"

#include "eomfrecord.h"

#include <vector>

int CheckEomfHeader(HANDLE file)
{
    BYTE head[4];
    DWORD read = 0;
    if (!ReadFile(file, head, sizeof head, &read, nullptr) || read < sizeof head)
        return 0;
    if (head[0] != EOMF_LHEADR && head[0] != EOMF_DEPLST)
        return 0;
    const DWORD length = DWORD(head[1] | (head[2] << 8));
    DWORD sizeHigh = 0;
    const DWORD size = GetFileSize(file, &sizeHigh);
    if (sizeHigh == 0 && length >= size)
        return 0;
    std::vector<BYTE> record(length + 3);
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) != 0)
        return 0;
    if (!ReadFile(file, record.data(), length + 3, &read, nullptr) || read != length + 3)
        return 0;
    BYTE sum = 0;
    for (BYTE byte : record)
        sum = BYTE(sum + byte);
    return sum == 0 ? 1 : 0;
}
