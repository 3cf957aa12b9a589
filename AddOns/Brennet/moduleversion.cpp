#include "moduleversion.h"

#include <cstring>
#include <new>
#include <vector>

namespace Win32Ext {

BOOL GetModulePath(HMODULE module, CString &path)
{
    // A path of more than MAX_PATH characters is a real file; cut, it would name another.
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameA(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return FALSE;
        if (length < buffer.size()) {
            path = CString(buffer.data(), static_cast<int>(length));
            return TRUE;
        }
        buffer.resize(buffer.size() * 2);
    }
}

CModuleVersion::CModuleVersion() : m_fixedInfo{}, m_language(0x0409), m_codePage(0x04E4), m_data(nullptr) {}

CModuleVersion::~CModuleVersion()
{
    delete[] m_data;
}

BOOL CModuleVersion::GetFileVersionInfo(HMODULE module)
{
    CString path;
    if (!GetModulePath(module, path))
        return FALSE;
    return GetFileVersionInfo(static_cast<LPCSTR>(path));
}

BOOL CModuleVersion::GetFileVersionInfo(LPCSTR fileName)
{
    delete[] m_data;
    m_data = nullptr;
    m_fixedInfo = VS_FIXEDFILEINFO{};
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(fileName, &handle);
    if (size == 0)
        return FALSE;
    m_data = new (std::nothrow) BYTE[size];
    if (m_data == nullptr || !::GetFileVersionInfoA(fileName, handle, size, m_data))
        return FALSE;
    LPVOID value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(m_data, "\\", &value, &length))
        return FALSE;
    memcpy(&m_fixedInfo, value, length < sizeof m_fixedInfo ? length : sizeof m_fixedInfo);
    if (VerQueryValueA(m_data, "\\VarFileInfo\\Translation", &value, &length) && length >= 4) {
        memcpy(&m_language, value, sizeof m_language);
        memcpy(&m_codePage, static_cast<BYTE *>(value) + 2, sizeof m_codePage);
    }
    return m_fixedInfo.dwSignature == VS_FFI_SIGNATURE;
}

const char *CModuleVersion::FindValue(LPCSTR name)
{
    if (m_data == nullptr || name == nullptr)
        return nullptr;
    CString path;
    path.Format("\\StringFileInfo\\%04x%04x\\%s", m_language, m_codePage, name);
    LPVOID value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(m_data, path, &value, &length))
        return nullptr;
    return static_cast<const char *>(value);
}

BOOL CModuleVersion::GetValue(LPCSTR name, char *buffer, int size)
{
    const char *value = FindValue(name);
    if (value == nullptr || buffer == nullptr || size <= 0 || strlen(value) + 1 > static_cast<size_t>(size))
        return FALSE;
    strcpy(buffer, value);
    return TRUE;
}

BOOL CModuleVersion::GetValue(LPCSTR name, CString &text)
{
    const char *value = FindValue(name);
    if (value == nullptr)
        return FALSE;
    text = value;
    return TRUE;
}

BOOL CModuleVersion::DllGetVersion(LPCSTR fileName, DLLVERSIONINFO &info)
{
    HMODULE library = LoadLibraryA(fileName);
    if (library == nullptr)
        return FALSE;
    BOOL answered = FALSE;
    // The detour through void * keeps the compiler from warning of the cast back to the
    // function's own type, which the platform's callers make alike.
    auto getVersion =
        reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void *>(GetProcAddress(library, "DllGetVersion")));
    if (getVersion != nullptr) {
        DLLVERSIONINFO asked{};
        asked.cbSize = sizeof asked;
        if (SUCCEEDED(getVersion(&asked))) {
            info = asked;
            answered = TRUE;
        }
    }
    FreeLibrary(library);
    return answered;
}

} // namespace Win32Ext
