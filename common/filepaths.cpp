#include "filepaths.h"

BOOL GetFullPath(LPCSTR path, CString &out, BOOL mustExist)
{
    const DWORD size = 1024;
    DWORD length = GetFullPathNameA(path, size, out.GetBuffer(size - 1), nullptr);
    if (length == 0 || length >= size) {
        out.ReleaseBuffer(0);
        return FALSE;
    }
    out.ReleaseBuffer(static_cast<int>(length));
    return mustExist ? IsSingleFileMatch(out) : TRUE;
}

BOOL IsSingleFileMatch(LPCSTR pattern)
{
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(pattern, &data);
    if (search == INVALID_HANDLE_VALUE)
        return FALSE;
    BOOL single = !FindNextFileA(search, &data);
    FindClose(search);
    return single;
}
