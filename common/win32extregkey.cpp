#include "win32extregkey.h"

#include <cstring>
#include <vector>

namespace Win32Ext {

CRegKey::~CRegKey()
{
    Close();
}

BOOL CRegKey::Keep(LONG result)
{
    m_lastError = result;
    return result == ERROR_SUCCESS;
}

BOOL CRegKey::Open(HKEY root, LPCSTR subkey, BOOL createIfMissing, BOOL readOnly)
{
    if (!root)
        return FALSE;
    Close();
    HKEY key = nullptr;
    LONG result = RegOpenKeyExA(root, subkey, 0, readOnly ? KEY_READ : KEY_ALL_ACCESS, &key);
    if (result != ERROR_SUCCESS && !readOnly && createIfMissing)
        result = RegCreateKeyExA(root, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                                 nullptr);
    if (!Keep(result))
        return FALSE;
    m_hKey = key;
    return TRUE;
}

BOOL CRegKey::Close()
{
    if (!m_hKey)
        return TRUE;
    HKEY key = m_hKey;
    m_hKey = nullptr;
    return Keep(RegCloseKey(key));
}

BOOL CRegKey::Query(LPCSTR name, DWORD type, DWORD *size, BYTE *buffer)
{
    if (!m_hKey || !size)
        return FALSE;
    DWORD stored = 0;
    if (!Keep(RegQueryValueExA(m_hKey, name, nullptr, &stored, buffer, size)))
        return FALSE;
    return stored == type;
}

BOOL CRegKey::QueryDWORD(LPCSTR name, DWORD *value)
{
    DWORD number = 0;
    DWORD size = sizeof number;
    if (!value || !Query(name, REG_DWORD, &size, reinterpret_cast<BYTE *>(&number)) || size != sizeof number)
        return FALSE;
    *value = number;
    return TRUE;
}

BOOL CRegKey::QueryString(LPCSTR name, DWORD *size, LPSTR buffer)
{
    if (!size || !buffer || *size == 0)
        return FALSE;
    DWORD capacity = *size;
    if (!Query(name, REG_SZ, size, reinterpret_cast<BYTE *>(buffer)))
        return FALSE;
    if (*size > 0 && memchr(buffer, 0, *size))
        return TRUE;
    if (*size >= capacity)
        return FALSE;
    buffer[(*size)++] = 0;
    return TRUE;
}

BOOL CRegKey::QueryBinary(LPCSTR name, DWORD *size, void *buffer)
{
    return buffer && Query(name, REG_BINARY, size, static_cast<BYTE *>(buffer));
}

BOOL CRegKey::QueryStringValue(LPCSTR name, CString &out)
{
    DWORD size = 0;
    if (!Query(name, REG_SZ, &size, nullptr) || size == 0)
        return FALSE;
    // One more byte, so that a text stored without its zero is terminated too.
    std::vector<char> text(size + 1, 0);
    if (!Query(name, REG_SZ, &size, reinterpret_cast<BYTE *>(text.data())))
        return FALSE;
    if (text[0] == 0)
        return FALSE;
    out = text.data();
    return TRUE;
}

BOOL CRegKey::DeleteKey(LPCSTR subkey)
{
    return m_hKey && Keep(RegDeleteKeyA(m_hKey, subkey));
}

BOOL CRegKey::DeleteValue(LPCSTR name)
{
    return m_hKey && Keep(RegDeleteValueA(m_hKey, name));
}

} // namespace Win32Ext
