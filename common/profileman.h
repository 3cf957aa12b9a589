// CProfileMan: a settings manager addressed by subkey and value name.
//
// Every subkey argument names a key below the manager's own (NULL or "": that key
// itself). Getters never fail outward: a missing value, one of another type, or one that
// does not fit gives the caller's default. CRegKeyMan (regkeyman.h) keeps the settings in
// the registry.
#pragma once

#include <afx.h>

class CProfileMan {
public:
    virtual ~CProfileMan() = default;

    // The registry's result (ERROR_SUCCESS or an ERROR_ code).
    virtual LONG DeleteKey(LPCSTR subkey) = 0;
    virtual LONG DeleteValue(LPCSTR subkey, LPCSTR name) = 0;

    // The text into `out` through a buffer of `size` bytes, the terminator included; 0
    // when it was read, -1 when `out` received the default instead.
    virtual int GetString(LPCSTR subkey, LPCSTR name, LPCSTR defaultText, CString &out, int size) = 0;
    // The text into `buffer` of `size` bytes: NULL when it was read; otherwise the default,
    // cut to the buffer, is copied there and `buffer` returned.
    virtual LPSTR GetString(LPCSTR subkey, LPCSTR name, LPCSTR defaultText, LPSTR buffer, int size) = 0;
    // Writes return 0 on success, -1 on failure.
    virtual int WriteString(LPCSTR subkey, LPCSTR name, LPCSTR text) = 0;
    virtual DWORD GetDWORD(LPCSTR subkey, LPCSTR name, DWORD defaultValue) = 0;
    virtual int WriteDWORD(LPCSTR subkey, LPCSTR name, DWORD value) = 0;
    virtual BOOL GetBool(LPCSTR subkey, LPCSTR name, BOOL defaultValue) = 0;
    virtual int WriteBool(LPCSTR subkey, LPCSTR name, BOOL value) = 0;
    virtual int GetInt(LPCSTR subkey, LPCSTR name, int defaultValue) = 0;
    virtual int WriteInt(LPCSTR subkey, LPCSTR name, int value) = 0;
    virtual double GetDouble(LPCSTR subkey, LPCSTR name, double defaultValue) = 0;
    virtual int WriteDouble(LPCSTR subkey, LPCSTR name, double value) = 0;
    // Small numbers are texts; `radix` 16 writes them in hexadecimal with "0x", any
    // other radix in decimal. Either form reads back.
    virtual BYTE GetByte(LPCSTR subkey, LPCSTR name, BYTE defaultValue) = 0;
    virtual int WriteByte(LPCSTR subkey, LPCSTR name, BYTE value, int radix) = 0;
    virtual WORD GetWord(LPCSTR subkey, LPCSTR name, WORD defaultValue) = 0;
    virtual int WriteWord(LPCSTR subkey, LPCSTR name, WORD value, int radix) = 0;
    virtual LONG GetLong(LPCSTR subkey, LPCSTR name, LONG defaultValue) = 0;
    virtual int WriteLong(LPCSTR subkey, LPCSTR name, LONG value, int radix) = 0;

    virtual BOOL IsOpen() = 0;
};
