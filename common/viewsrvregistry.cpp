#include "viewsrvregistry.h"

#include "regkeyman.h"

namespace {

// Registry key names hold at most 255 characters, so every subkey fits and an
// enumeration ends only at its end.
constexpr DWORD kKeyNameBuffer = 256;
constexpr int kMaxNameLength = 127;
constexpr int kMaxBaseNameLength = 31;

CString ViewServerKey(LPCSTR name)
{
    CString path = QEL_VIEWSERVER_KEY "\\";
    path += name;
    return path;
}

} // namespace

BOOL LoadViewServerNames(const CLSID *server, CFindStringArray &names, DWORD &highestViewCat)
{
    highestViewCat = 0;
    OLECHAR wide[40];
    if (!server || StringFromGUID2(*server, wide, 40) == 0)
        return FALSE;
    char clsidText[40];
    if (WideCharToMultiByte(CP_ACP, 0, wide, -1, clsidText, sizeof clsidText, nullptr, nullptr) == 0)
        return FALSE;
    CRegKeyMan key;
    if (key.Open(HKEY_LOCAL_MACHINE, ViewServerKey(clsidText), FALSE) != 0)
        return FALSE;
    names.RemoveAll();
    char subkey[kKeyNameBuffer];
    while (key.EnumSubkey(subkey, sizeof subkey) == 0) {
        if (strlen(subkey) > kMaxNameLength)
            continue;
        char name[kMaxNameLength + 1];
        if (key.GetString(subkey, nullptr, "", name, sizeof name) != nullptr || name[0] == '\0')
            continue;
        CheckViewServerEntry(name, subkey, names, highestViewCat);
    }
    return TRUE;
}

BOOL CheckViewServerEntry(LPCSTR name, LPCSTR clsidText, CFindStringArray &names, DWORD &highestViewCat)
{
    OLECHAR wide[40];
    CLSID listed;
    if (!name || !clsidText || MultiByteToWideChar(CP_ACP, 0, clsidText, -1, wide, 40) == 0 ||
        FAILED(CLSIDFromString(wide, &listed)))
        return FALSE;
    CRegKeyMan key;
    CLSID own;
    if (key.Open(HKEY_LOCAL_MACHINE, ViewServerKey(name), FALSE) != 0 || key.GetCLSID(nullptr, nullptr, &own) != 0 ||
        !IsEqualGUID(own, listed))
        return FALSE;
    DWORD multipleUse = 0;
    if (key.QueryDWORD("MultipleUse", &multipleUse) != 0)
        multipleUse = 0;
    DWORD viewCat = 0;
    DWORD multiInst = 0;
    if (key.QueryDWORD("ViewCat", &viewCat) != 0 || key.QueryDWORD("MultiInst", &multiInst) != 0)
        return FALSE;
    if (viewCat != 0xFFFFFFFF && viewCat > highestViewCat)
        highestViewCat = viewCat;
    names.Add(name, multipleUse);
    return TRUE;
}

CString ResolveBaseViewServer(LPCSTR name)
{
    CString resolved = name;
    CRegKeyMan key;
    char base[kMaxBaseNameLength + 1];
    if (name && name[0] != '\0' && key.Open(HKEY_LOCAL_MACHINE, ViewServerKey(name), FALSE) == 0 &&
        key.QueryString("BaseViewServer", base, sizeof base) == 0 && base[0] != '\0')
        resolved = base;
    return resolved;
}
