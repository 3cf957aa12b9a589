#include "regvalues.h"

#include <cstring>

BOOL ReadRegText(HKEY key, LPCSTR name, LPSTR buffer, DWORD size)
{
    if (!buffer || size == 0)
        return FALSE;
    DWORD type = 0;
    DWORD got = size;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(buffer), &got) != ERROR_SUCCESS ||
        type != REG_SZ)
        return FALSE;
    if (got > 0 && memchr(buffer, 0, got) != nullptr)
        return TRUE;
    if (got >= size)
        return FALSE;
    buffer[got] = 0;
    return TRUE;
}

BOOL ReadRegDword(HKEY key, LPCSTR name, DWORD *value)
{
    DWORD type = 0;
    DWORD number = 0;
    DWORD size = sizeof number;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(&number), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof number)
        return FALSE;
    *value = number;
    return TRUE;
}

BOOL ReadRegBinary(HKEY key, LPCSTR name, void *buffer, DWORD size)
{
    DWORD type = 0;
    if (!buffer)
        return FALSE;
    return RegQueryValueExA(key, name, nullptr, &type, static_cast<BYTE *>(buffer), &size) == ERROR_SUCCESS &&
           type == REG_BINARY;
}

LONG WriteRegText(HKEY key, LPCSTR name, LPCSTR text)
{
    if (!text)
        text = "";
    size_t length = strlen(text);
    if (length >= 0xFFFFFFFF)
        return ERROR_INVALID_PARAMETER;
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text), static_cast<DWORD>(length + 1));
}

LONG WriteRegDword(HKEY key, LPCSTR name, DWORD value)
{
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
}

LONG WriteRegBinary(HKEY key, LPCSTR name, const void *data, DWORD size)
{
    return RegSetValueExA(key, name, 0, REG_BINARY, static_cast<const BYTE *>(data), size);
}
