// Win32Ext::CRegKey: a simple registry key wrapper with typed queries that keeps the
// last registry error.
#pragma once

#include <afx.h>

namespace Win32Ext {

class CRegKey {
public:
    CRegKey() = default;
    virtual ~CRegKey();
    CRegKey(const CRegKey &) = delete;
    CRegKey &operator=(const CRegKey &) = delete;

    virtual BOOL IsOpen() const { return m_hKey != nullptr; }

    // Opens `subkey` below `root`, closing a key that is open first. Read-only: for
    // reading; otherwise for everything, made when it is missing and `createIfMissing`
    // is set. FALSE for a NULL root, or when the key cannot be had (no key is then held).
    BOOL Open(HKEY root, LPCSTR subkey, BOOL createIfMissing, BOOL readOnly);
    // TRUE when no key was open or it was closed.
    BOOL Close();

    // FALSE without a key, on a registry error, or for a value of another type.
    BOOL QueryDWORD(LPCSTR name, DWORD *value);
    // *size in: the buffer's size in bytes; out: the bytes handed out. A text is always
    // terminated: one stored without its zero gets one when it fits.
    BOOL QueryString(LPCSTR name, DWORD *size, LPSTR buffer);
    BOOL QueryBinary(LPCSTR name, DWORD *size, void *buffer);
    // The whole REG_SZ value, whatever its length; FALSE when it is missing, of another
    // type or empty (`out` is then left alone).
    BOOL QueryStringValue(LPCSTR name, CString &out);

    BOOL DeleteKey(LPCSTR subkey);
    BOOL DeleteValue(LPCSTR name);

    // The result of the last registry call (ERROR_SUCCESS or an ERROR_ code).
    LONG GetLastError() const { return m_lastError; }

private:
    BOOL Keep(LONG result);
    BOOL Query(LPCSTR name, DWORD type, DWORD *size, BYTE *buffer);

    HKEY m_hKey = nullptr;
    LONG m_lastError = ERROR_SUCCESS;
};

} // namespace Win32Ext
