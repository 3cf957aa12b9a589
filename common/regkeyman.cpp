#include "regkeyman.h"

#include "numberparse.h"
#include "regvalues.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace {

// A subkey of the manager's key, open for one operation.
class SubKey {
public:
    enum Purpose { Read, Write, Delete };

    SubKey(HKEY parent, LPCSTR subkey, Purpose purpose)
    {
        if (!parent)
            return;
        LONG result;
        if (purpose == Write)
            result = RegCreateKeyExA(parent, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key_,
                                     nullptr);
        else
            result = RegOpenKeyExA(parent, subkey, 0, purpose == Read ? KEY_READ : KEY_ALL_ACCESS, &key_);
        error_ = result;
        if (result != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~SubKey()
    {
        if (key_)
            RegCloseKey(key_);
    }
    SubKey(const SubKey &) = delete;
    SubKey &operator=(const SubKey &) = delete;

    HKEY Get() const { return key_; }
    LONG Error() const { return error_; }

    // Closes now; the close's result.
    LONG Close()
    {
        LONG result = RegCloseKey(key_);
        key_ = nullptr;
        return result;
    }

private:
    HKEY key_ = nullptr;
    LONG error_ = ERROR_INVALID_HANDLE;
};

// The manager's results: 0 success, -1 failure.
int Result(bool ok)
{
    return ok ? 0 : -1;
}

} // namespace

CRegKeyMan::~CRegKeyMan()
{
    if (m_hKey)
        RegCloseKey(m_hKey);
}

int CRegKeyMan::Open(HKEY root, LPCSTR subkey, BOOL writable)
{
    if (m_hKey || !root)
        return -1;
    HKEY key = nullptr;
    LONG result = RegOpenKeyExA(root, subkey, 0, writable ? KEY_ALL_ACCESS : KEY_READ, &key);
    if (result != ERROR_SUCCESS && writable)
        result = RegCreateKeyExA(root, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                                 nullptr);
    if (result != ERROR_SUCCESS)
        return -1;
    m_hKey = key;
    return 0;
}

BOOL CRegKeyMan::IsOpen()
{
    return m_hKey != nullptr;
}

LONG CRegKeyMan::DeleteKey(LPCSTR subkey)
{
    if (!m_hKey)
        return ERROR_INVALID_HANDLE;
    return RegDeleteKeyA(m_hKey, subkey);
}

LONG CRegKeyMan::DeleteValue(LPCSTR subkey, LPCSTR name)
{
    if (!m_hKey)
        return ERROR_INVALID_HANDLE;
    SubKey key(m_hKey, subkey, SubKey::Delete);
    if (!key.Get())
        return key.Error();
    LONG deleted = RegDeleteValueA(key.Get(), name);
    LONG closed = key.Close();
    return deleted != ERROR_SUCCESS ? deleted : closed;
}

BOOL CRegKeyMan::ReadText(LPCSTR subkey, LPCSTR name, LPSTR buffer, DWORD size)
{
    SubKey key(m_hKey, subkey, SubKey::Read);
    return key.Get() && ReadRegText(key.Get(), name, buffer, size);
}

int CRegKeyMan::WriteText(LPCSTR subkey, LPCSTR name, LPCSTR text)
{
    SubKey key(m_hKey, subkey, SubKey::Write);
    return key.Get() ? Result(WriteRegText(key.Get(), name, text) == ERROR_SUCCESS) : -1;
}

int CRegKeyMan::GetString(LPCSTR subkey, LPCSTR name, LPCSTR defaultText, CString &out, int size)
{
    if (size > 0) {
        LPSTR buffer = out.GetBuffer(size);
        if (ReadText(subkey, name, buffer, static_cast<DWORD>(size))) {
            out.ReleaseBuffer();
            return 0;
        }
        buffer[0] = 0;
        out.ReleaseBuffer();
    }
    out = defaultText;
    return -1;
}

LPSTR CRegKeyMan::GetString(LPCSTR subkey, LPCSTR name, LPCSTR defaultText, LPSTR buffer, int size)
{
    if (!buffer || size <= 0)
        return buffer;
    if (ReadText(subkey, name, buffer, static_cast<DWORD>(size)))
        return nullptr;
    lstrcpynA(buffer, defaultText ? defaultText : "", size);
    return buffer;
}

int CRegKeyMan::WriteString(LPCSTR subkey, LPCSTR name, LPCSTR text)
{
    return WriteText(subkey, name, text);
}

DWORD CRegKeyMan::GetDWORD(LPCSTR subkey, LPCSTR name, DWORD defaultValue)
{
    SubKey key(m_hKey, subkey, SubKey::Read);
    DWORD value = 0;
    return key.Get() && ReadRegDword(key.Get(), name, &value) ? value : defaultValue;
}

int CRegKeyMan::WriteDWORD(LPCSTR subkey, LPCSTR name, DWORD value)
{
    SubKey key(m_hKey, subkey, SubKey::Write);
    return key.Get() ? Result(WriteRegDword(key.Get(), name, value) == ERROR_SUCCESS) : -1;
}

BOOL CRegKeyMan::GetBool(LPCSTR subkey, LPCSTR name, BOOL defaultValue)
{
    SubKey key(m_hKey, subkey, SubKey::Read);
    DWORD value = 0;
    if (key.Get() && ReadRegDword(key.Get(), name, &value))
        return value != 0;
    return defaultValue;
}

int CRegKeyMan::WriteBool(LPCSTR subkey, LPCSTR name, BOOL value)
{
    return WriteDWORD(subkey, name, value ? 1 : 0);
}

int CRegKeyMan::GetInt(LPCSTR subkey, LPCSTR name, int defaultValue)
{
    return static_cast<int>(GetDWORD(subkey, name, static_cast<DWORD>(defaultValue)));
}

int CRegKeyMan::WriteInt(LPCSTR subkey, LPCSTR name, int value)
{
    return WriteDWORD(subkey, name, static_cast<DWORD>(value));
}

// Six decimals of a double that stands near DBL_MAX take some 320 characters; the text
// form of every double that WriteDouble writes reads back.
double CRegKeyMan::GetDouble(LPCSTR subkey, LPCSTR name, double defaultValue)
{
    char text[336];
    if (!ReadText(subkey, name, text, sizeof text))
        return defaultValue;
    // As atof reads it: blanks, a sign, the number; what follows is ignored. Read in the
    // C locale whatever the process's locale says, and a text without a number gives
    // the default rather than atof's 0.
    const char *start = text;
    while (*start == ' ' || (*start >= '\t' && *start <= '\r'))
        ++start;
    if (*start == '+')
        ++start;
    const char *end = text + strlen(text);
    double value = 0;
    std::from_chars_result read = std::from_chars(start, end, value);
    if (read.ec != std::errc() || read.ptr == start)
        return defaultValue;
    return value;
}

int CRegKeyMan::WriteDouble(LPCSTR subkey, LPCSTR name, double value)
{
    char text[336];
    std::to_chars_result written = std::to_chars(text, text + sizeof text - 1, value, std::chars_format::fixed, 6);
    if (written.ec != std::errc())
        return -1;
    *written.ptr = 0;
    return WriteText(subkey, name, text);
}

LONG CRegKeyMan::GetNumberText(LPCSTR subkey, LPCSTR name, LONG defaultValue)
{
    char text[15];
    return ReadText(subkey, name, text, sizeof text) ? ParseNumberText(text) : defaultValue;
}

int CRegKeyMan::WriteNumberText(LPCSTR subkey, LPCSTR name, LPCSTR hexFormat, DWORD value, int radix)
{
    char text[16];
    if (radix == 16)
        snprintf(text, sizeof text, hexFormat, static_cast<unsigned>(value));
    else
        snprintf(text, sizeof text, "%u", static_cast<unsigned>(value));
    return WriteText(subkey, name, text);
}

BYTE CRegKeyMan::GetByte(LPCSTR subkey, LPCSTR name, BYTE defaultValue)
{
    return static_cast<BYTE>(GetNumberText(subkey, name, defaultValue));
}

int CRegKeyMan::WriteByte(LPCSTR subkey, LPCSTR name, BYTE value, int radix)
{
    return WriteNumberText(subkey, name, "0x%02X", value, radix);
}

WORD CRegKeyMan::GetWord(LPCSTR subkey, LPCSTR name, WORD defaultValue)
{
    return static_cast<WORD>(GetNumberText(subkey, name, defaultValue));
}

int CRegKeyMan::WriteWord(LPCSTR subkey, LPCSTR name, WORD value, int radix)
{
    return WriteNumberText(subkey, name, "0x%04X", value, radix);
}

LONG CRegKeyMan::GetLong(LPCSTR subkey, LPCSTR name, LONG defaultValue)
{
    return GetNumberText(subkey, name, defaultValue);
}

int CRegKeyMan::WriteLong(LPCSTR subkey, LPCSTR name, LONG value, int radix)
{
    return WriteNumberText(subkey, name, "0x%08X", static_cast<DWORD>(value), radix);
}

int CRegKeyMan::QueryDWORD(LPCSTR name, DWORD *value)
{
    return m_hKey && value ? Result(ReadRegDword(m_hKey, name, value) != FALSE) : -1;
}

int CRegKeyMan::SetString(LPCSTR name, LPCSTR text)
{
    return m_hKey ? Result(WriteRegText(m_hKey, name, text) == ERROR_SUCCESS) : -1;
}

int CRegKeyMan::QueryString(LPCSTR name, LPSTR buffer, DWORD size)
{
    return m_hKey ? Result(ReadRegText(m_hKey, name, buffer, size) != FALSE) : -1;
}

int CRegKeyMan::QueryBinary(LPCSTR name, void *buffer, DWORD size)
{
    return m_hKey ? Result(ReadRegBinary(m_hKey, name, buffer, size) != FALSE) : -1;
}

int CRegKeyMan::WriteBinary(LPCSTR subkey, LPCSTR name, const void *data, DWORD size)
{
    SubKey key(m_hKey, subkey, SubKey::Write);
    return key.Get() ? Result(WriteRegBinary(key.Get(), name, data, size) == ERROR_SUCCESS) : -1;
}

int CRegKeyMan::GetBinary(LPCSTR subkey, LPCSTR name, void *buffer, DWORD size)
{
    SubKey key(m_hKey, subkey, SubKey::Read);
    return key.Get() ? Result(ReadRegBinary(key.Get(), name, buffer, size) != FALSE) : -1;
}

int CRegKeyMan::WriteCLSID(LPCSTR subkey, LPCSTR name, const CLSID *clsid)
{
    if (!m_hKey || !clsid)
        return -1;
    OLECHAR wide[39];
    char text[39];
    if (StringFromGUID2(*clsid, wide, 39) != 39 ||
        WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr) != 39)
        return -1;
    return WriteText(subkey, name, text);
}

int CRegKeyMan::GetCLSID(LPCSTR subkey, LPCSTR name, CLSID *clsid)
{
    char text[78];
    if (!clsid || !ReadText(subkey, name, text, sizeof text))
        return -1;
    OLECHAR wide[78];
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 78) == 0)
        return -1;
    return SUCCEEDED(CLSIDFromString(wide, clsid)) ? 0 : -1;
}

int CRegKeyMan::EnumSubkey(LPSTR name, DWORD size)
{
    return EnumSubkeyOf(nullptr, name, size);
}

int CRegKeyMan::EnumSubkeyOf(LPCSTR subkey, LPSTR name, DWORD size)
{
    if (!m_hKey)
        return -1;
    DWORD index = m_subkeyIndex++;
    SubKey key(m_hKey, subkey, SubKey::Read);
    if (!key.Get())
        return -1;
    return Result(RegEnumKeyExA(key.Get(), index, name, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS);
}

int CRegKeyMan::EnumValue(LPSTR name, DWORD size, DWORD *type)
{
    return EnumValueOf(nullptr, name, size, type);
}

int CRegKeyMan::EnumValueOf(LPCSTR subkey, LPSTR name, DWORD size, DWORD *type)
{
    if (!m_hKey)
        return -1;
    DWORD index = m_valueIndex++;
    SubKey key(m_hKey, subkey, SubKey::Read);
    if (!key.Get())
        return -1;
    return Result(RegEnumValueA(key.Get(), index, name, &size, nullptr, type, nullptr, nullptr) == ERROR_SUCCESS);
}

LONG CRegKeyMan::GetDWORDInRange(LPCSTR subkey, LPCSTR name, LONG min, LONG max, LONG defaultValue)
{
    auto value = static_cast<LONG>(GetDWORD(subkey, name, static_cast<DWORD>(defaultValue)));
    return value >= min && value <= max ? value : defaultValue;
}
