// CRegKeyMan: the settings manager over one open registry key.
//
// It fixes how values are stored: 32-bit numbers and booleans as REG_DWORD, texts as
// REG_SZ with their terminating zero, small numbers (bytes, words, longs) and doubles as
// texts, class identifiers as their brace form. Reads by subkey open that key for
// reading and close it again; writes open it for writing, making it when it is missing.
// Every operation on an object without an open key fails without asking the registry.
#pragma once

#include "profileman.h"

class CRegKeyMan : public CProfileMan {
public:
    CRegKeyMan() = default;
    ~CRegKeyMan() override;
    CRegKeyMan(const CRegKeyMan &) = delete;
    CRegKeyMan &operator=(const CRegKeyMan &) = delete;

    // Opens `subkey` below `root`: for reading only, or, when `writable`, for everything,
    // making the key when it is missing. -1 when a key is open already (one object holds
    // one key) or `root` is NULL, or when the key cannot be had; else 0.
    int Open(HKEY root, LPCSTR subkey, BOOL writable);

    // Without an open key both give ERROR_INVALID_HANDLE. DeleteValue answers the
    // deletion's result (a value that is not there is ERROR_FILE_NOT_FOUND).
    LONG DeleteKey(LPCSTR subkey) override;
    LONG DeleteValue(LPCSTR subkey, LPCSTR name) override;
    int GetString(LPCSTR subkey, LPCSTR name, LPCSTR defaultText, CString &out, int size) override;
    LPSTR GetString(LPCSTR subkey, LPCSTR name, LPCSTR defaultText, LPSTR buffer, int size) override;
    int WriteString(LPCSTR subkey, LPCSTR name, LPCSTR text) override;
    DWORD GetDWORD(LPCSTR subkey, LPCSTR name, DWORD defaultValue) override;
    int WriteDWORD(LPCSTR subkey, LPCSTR name, DWORD value) override;
    // TRUE for any non-zero REG_DWORD; written as 1 or 0.
    BOOL GetBool(LPCSTR subkey, LPCSTR name, BOOL defaultValue) override;
    int WriteBool(LPCSTR subkey, LPCSTR name, BOOL value) override;
    int GetInt(LPCSTR subkey, LPCSTR name, int defaultValue) override;
    int WriteInt(LPCSTR subkey, LPCSTR name, int value) override;
    // Written with six decimals ("%f"), read as the C run-time reads a number; a text
    // that is no number gives the default.
    double GetDouble(LPCSTR subkey, LPCSTR name, double defaultValue) override;
    int WriteDouble(LPCSTR subkey, LPCSTR name, double value) override;
    // Texts of at most 14 characters, read with ParseNumberText ("0x" or a trailing h
    // for hexadecimal); "0x%02X", "0x%04X", "0x%08X" with radix 16, else decimal.
    BYTE GetByte(LPCSTR subkey, LPCSTR name, BYTE defaultValue) override;
    int WriteByte(LPCSTR subkey, LPCSTR name, BYTE value, int radix) override;
    WORD GetWord(LPCSTR subkey, LPCSTR name, WORD defaultValue) override;
    int WriteWord(LPCSTR subkey, LPCSTR name, WORD value, int radix) override;
    LONG GetLong(LPCSTR subkey, LPCSTR name, LONG defaultValue) override;
    int WriteLong(LPCSTR subkey, LPCSTR name, LONG value, int radix) override;
    BOOL IsOpen() override;

    // On the open key itself; 0 or -1. A value of another type is a failure.
    int QueryDWORD(LPCSTR name, DWORD *value);
    int SetString(LPCSTR name, LPCSTR text);
    int QueryString(LPCSTR name, LPSTR buffer, DWORD size);
    int QueryBinary(LPCSTR name, void *buffer, DWORD size);

    // By subkey; 0 or -1. A binary value is read when it has at most `size` bytes.
    int WriteBinary(LPCSTR subkey, LPCSTR name, const void *data, DWORD size);
    int GetBinary(LPCSTR subkey, LPCSTR name, void *buffer, DWORD size);
    int WriteCLSID(LPCSTR subkey, LPCSTR name, const CLSID *clsid);
    int GetCLSID(LPCSTR subkey, LPCSTR name, CLSID *clsid);

    // The next subkey or value of the open key (or of its `subkey`) by its index, which
    // moves on by one with every call, whether or not it succeeds, and never goes back:
    // a new enumeration needs a new object. 0 or -1.
    int EnumSubkey(LPSTR name, DWORD size);
    int EnumSubkeyOf(LPCSTR subkey, LPSTR name, DWORD size);
    int EnumValue(LPSTR name, DWORD size, DWORD *type);
    int EnumValueOf(LPCSTR subkey, LPSTR name, DWORD size, DWORD *type);

    // The REG_DWORD as a signed number when min <= value <= max, else the default.
    LONG GetDWORDInRange(LPCSTR subkey, LPCSTR name, LONG min, LONG max, LONG defaultValue);

protected:
    HKEY m_hKey = nullptr;
    DWORD m_subkeyIndex = 0;
    DWORD m_valueIndex = 0;

private:
    // A text value of at most size - 1 characters into `buffer`.
    BOOL ReadText(LPCSTR subkey, LPCSTR name, LPSTR buffer, DWORD size);
    int WriteText(LPCSTR subkey, LPCSTR name, LPCSTR text);
    int WriteNumberText(LPCSTR subkey, LPCSTR name, LPCSTR hexFormat, DWORD value, int radix);
    LONG GetNumberText(LPCSTR subkey, LPCSTR name, LONG defaultValue);
};
