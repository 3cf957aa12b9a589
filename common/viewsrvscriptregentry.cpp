#include "viewsrvscriptregentry.h"

#include "viewsrvregistry.h"

namespace {

constexpr int kMaxValueLength = 1024;

} // namespace

CViewSrvScriptRegEntry::CViewSrvScriptRegEntry(LPCSTR name) : m_bValid(FALSE)
{
    if (!name)
        return;
    CString path = QEL_VIEWSERVER_KEY "\\";
    path += name;
    path += "\\DefaultScript";
    m_bValid = Open(HKEY_LOCAL_MACHINE, path, TRUE) == 0;
}

BOOL CViewSrvScriptRegEntry::WriteValue(LPCSTR valueName, LPCSTR text)
{
    return m_bValid && SetString(valueName, text) == 0;
}

BOOL CViewSrvScriptRegEntry::ReadValue(CString &out, LPCSTR valueName)
{
    if (!m_bValid)
        return FALSE;
    char text[kMaxValueLength + 1];
    if (QueryString(valueName, text, sizeof text) != 0)
        return FALSE;
    out = text;
    return TRUE;
}

BOOL CViewSrvScriptRegEntry::WriteScriptItem(DWORD id, const GUID *guid, LPCSTR text, LPCSTR valueName)
{
    CString moniker;
    return FormatScriptMoniker(id, guid, text, moniker) && WriteValue(valueName, moniker);
}

BOOL FormatScriptMoniker(DWORD id, const GUID *guid, LPCSTR text, CString &moniker)
{
    OLECHAR wide[40];
    char braced[40];
    if (!guid || StringFromGUID2(*guid, wide, 40) == 0 ||
        WideCharToMultiByte(CP_ACP, 0, wide, -1, braced, sizeof braced, nullptr, nullptr) == 0)
        return FALSE;
    moniker.Format("qel:%s\\%d\\%s", braced, static_cast<int>(id), text ? text : "");
    return TRUE;
}
