#include "atlerrorinfo.h"

#include <string>

BSTR QelAtlProgIdOfClass(const CLSID &clsid)
{
    OLECHAR wide[39];
    char braced[39];
    StringFromGUID2(clsid, wide, 39);
    WideCharToMultiByte(CP_ACP, 0, wide, -1, braced, sizeof braced, nullptr, nullptr);
    HKEY key = nullptr;
    std::string path = std::string("CLSID\\") + braced + "\\ProgID";
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return nullptr;
    // A ProgID has at most 39 characters; anything longer is not one.
    char progId[64] = {};
    DWORD size = sizeof progId - 1;
    DWORD type = 0;
    LONG result = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE *>(progId), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ || progId[0] == '\0')
        return nullptr;
    int length = MultiByteToWideChar(CP_ACP, 0, progId, -1, nullptr, 0);
    BSTR text = length > 1 ? SysAllocStringLen(nullptr, static_cast<UINT>(length - 1)) : nullptr;
    if (text != nullptr)
        MultiByteToWideChar(CP_ACP, 0, progId, -1, text, length);
    return text;
}
