// How a handler's command table reaches the host frame: commands, their menu and
// tool-bar items, the view servers they open, and script items in the registry.
#include "oletarcmdhndl.h"

#include "framecookies.h"
#include "qelhostframe.h"
#include "viewsrvitemobj.h"
#include "viewsrvregistry.h"
#include "viewsrvscriptregentry.h"

BOOL CBasicOleTarCmdHndl::Connect(IUnknown *frame, CStorage *settings)
{
    m_frame = frame;
    m_pSettings = settings;
    m_frameInterface.Release();
    if (!frame)
        return FALSE;
    HRESULT hr = frame->QueryInterface(IID_IQelHostFrame, reinterpret_cast<void **>(&m_frameInterface));
    if (hr == E_NOINTERFACE || (SUCCEEDED(hr) && !m_frameInterface)) {
        // Disconnect would not let go of a frame that it cannot unregister from, and the
        // handler has no use for it.
        m_frame.Release();
        return FALSE;
    }
    if (FAILED(hr))
        _com_issue_error(hr);
    for (int i = 0, count = GetEntryCount(); i < count; ++i)
        AddCommand(m_frameInterface, i, 0);
    return TRUE;
}

BOOL CBasicOleTarCmdHndl::Disconnect()
{
    if (!m_frameInterface)
        return FALSE;
    for (int i = 0, count = GetEntryCount(); i < count; ++i)
        RemoveCommand(m_frameInterface, i, 0);
    // Nothing is registered any more, so nothing of the frame's is needed either.
    m_frameInterface.Release();
    m_frame.Release();
    m_pSettings = nullptr;
    return TRUE;
}

BOOL CBasicOleTarCmdHndl::AddCommandsOfLevel(int level)
{
    if (level < 1 || !m_frameInterface || !m_pSettings)
        return FALSE;
    BOOL all = TRUE;
    for (int i = 0, count = GetEntryCount(); i < count; ++i)
        all = AddCommand(m_frameInterface, i, level) && all;
    return all;
}

BOOL CBasicOleTarCmdHndl::RemoveCommandsOfLevel(int level)
{
    if (level < 1 || !m_frameInterface || !m_pSettings)
        return FALSE;
    BOOL all = TRUE;
    for (int i = 0, count = GetEntryCount(); i < count; ++i)
        all = RemoveCommand(m_frameInterface, i, level) && all;
    return all;
}

BOOL CBasicOleTarCmdHndl::IsValidForRegistration(const OLECMDTARHNDLENTRY &entry) const
{
    if (entry.pszViewServer && entry.pItemClass)
        return TRUE;
    if (entry.nMenuTextId == -1)
        return FALSE;
    return (entry.pszScriptViewServer && entry.nScriptText != 0) || entry.nMenuPos != -1 || entry.nToolBarPos != -1;
}

BOOL CBasicOleTarCmdHndl::AddCommand(IQelHostFrame *frame, int index, int level)
{
    if (index < 0 || index >= GetEntryCount())
        return FALSE;
    const OLECMDTARHNDLENTRY &entry = GetCommandTable()[index];
    if (!IsValidForRegistration(entry) || entry.nLevel != level)
        return TRUE;
    if (entry.pszScriptViewServer)
        return entry.pszViewServer ? TRUE : WriteScriptItem(entry);
    // An entry is registered once; asking again changes nothing.
    if (IsRegistered(index))
        return TRUE;
    if (!RegisterWithFrame(frame, index, entry))
        return TRUE;
    return entry.pszViewServer ? TRUE : AddFrameItems(frame, m_cookies[index], entry);
}

BOOL CBasicOleTarCmdHndl::RegisterWithFrame(IQelHostFrame *frame, int index, const OLECMDTARHNDLENTRY &entry)
{
    if (!frame || index >= m_registered.GetSize())
        return FALSE;
    DWORD cookie = FrameCookies::Issue(this, index);
    if (cookie == 0)
        return FALSE;
    CViewSrvItemObj *item = entry.pszViewServer ? GetItemObj(index) : nullptr;
    if (item)
        item->SetRegistration(cookie, m_frame, m_pOwner, m_pSettings);
    CComBSTR viewServer(entry.pszViewServer);
    HRESULT hr = (entry.pszViewServer && !viewServer)
                     ? E_OUTOFMEMORY
                     : frame->RegisterCommand(cookie, entry.nCmdId, m_pOwner, GetClassGuid(), viewServer);
    if (FAILED(hr)) {
        if (item)
            item->ForgetRegistration();
        FrameCookies::Release(cookie, this, index);
        m_registered[index] = 0;
        return FALSE;
    }
    m_registered[index] = 1;
    m_cookies[index] = cookie;
    return TRUE;
}

BOOL CBasicOleTarCmdHndl::AddFrameItems(IQelHostFrame *frame, DWORD cookie, const OLECMDTARHNDLENTRY &entry)
{
    HINSTANCE module = AfxGetResourceHandle();
    BOOL uncookied = entry.bRegisterUncookied;
    int text = entry.nMenuTextId;
    if (entry.nMenuPos == entry.nToolBarPos) {
        int position = entry.nMenuPos;
        BOOL done = SUCCEEDED(frame->AddMenuAndToolBarItem(cookie, position, module, text));
        if (done && uncookied)
            done = SUCCEEDED(frame->AddMenuAndToolBarItem(0, position, nullptr, 0));
        return done;
    }
    BOOL done = TRUE;
    if (entry.nMenuPos != -1) {
        if (FAILED(frame->AddMenuItem(cookie, entry.nMenuPos, module, text)))
            return FALSE;
        if (uncookied)
            done = SUCCEEDED(frame->AddMenuItem(0, entry.nMenuPos, nullptr, 0));
    }
    if (entry.nToolBarPos != -1) {
        done = SUCCEEDED(frame->AddToolBarItem(cookie, entry.nToolBarPos, module, text));
        if (done && uncookied)
            done = SUCCEEDED(frame->AddToolBarItem(0, entry.nToolBarPos, nullptr, 0));
    }
    return done;
}

BOOL CBasicOleTarCmdHndl::WriteScriptItem(const OLECMDTARHNDLENTRY &entry)
{
    CString text;
    if (entry.nScriptText >= 0x10000)
        text.Format("%d,%s", entry.nMenuTextId, reinterpret_cast<LPCSTR>(entry.nScriptText));
    else
        text.Format("%d,%d", entry.nMenuTextId, static_cast<int>(entry.nScriptText));
    CViewSrvScriptRegEntry key(entry.pszScriptViewServer);
    return key.WriteScriptItem(entry.nCmdId, GetClassGuid(), text, entry.pszScriptValue);
}

BOOL CBasicOleTarCmdHndl::RemoveCommand(IQelHostFrame *frame, int index, int level)
{
    if (index < 0 || index >= GetEntryCount())
        return FALSE;
    const OLECMDTARHNDLENTRY &entry = GetCommandTable()[index];
    if (!IsValidForRegistration(entry) || entry.nLevel < level || !IsRegistered(index))
        return TRUE;
    CViewSrvItemObj *item = GetItemObj(index);
    if (item)
        item->CloseAll();
    DWORD cookie = m_cookies[index];
    HRESULT hr = frame ? frame->RemoveCommand(cookie) : E_POINTER;
    if (item)
        item->ForgetRegistration();
    FrameCookies::Release(cookie, this, index);
    m_registered[index] = 0;
    m_cookies[index] = 0;
    return SUCCEEDED(hr);
}

BOOL CBasicOleTarCmdHndl::MatchViewServers(CFindStringArray *names)
{
    if (!names)
        return FALSE;
    const OLECMDTARHNDLENTRY *table = GetCommandTable();
    for (int i = 0, count = GetEntryCount(); i < count; ++i) {
        const OLECMDTARHNDLENTRY &entry = table[i];
        if (!entry.pszViewServer || !entry.pItemClass || GetItemObj(i) ||
            !entry.pItemClass->IsDerivedFrom(RUNTIME_CLASS(CViewSrvItemObj)))
            continue;
        CString resolved = ResolveBaseViewServer(entry.pszViewServer);
        if (names->Find(resolved) < 0)
            continue;
        CViewSrvItemObj *item = static_cast<CViewSrvItemObj *>(entry.pItemClass->CreateObject());
        if (!item)
            continue;
        if (!item->ReadRegistration(entry.pszViewServer, resolved)) {
            delete item;
            continue;
        }
        m_itemObjects.SetAtGrow(i, item);
        names->RemoveUnflagged(entry.pszViewServer);
    }
    return TRUE;
}
