#include "oletarcmdhndl.h"

#include "cmdhandover.h"
#include "framecookies.h"
#include "qelhostframe.h"
#include "viewsrvitemobj.h"

#include <cstring>
#include <new>

IMPLEMENT_DYNAMIC(CBasicOleTarCmdHndl, CObject)

BOOL OLECMDTARHNDLENTRY::IsIndexed() const
{
    return pfnIndexedHandler && !pszScriptViewServer && pszScriptValue &&
           strcmp(pszScriptValue, OLECMDTARHNDL_INDEXED) == 0;
}

CBasicOleTarCmdHndl::CBasicOleTarCmdHndl()
    : m_pOwner(nullptr), m_pSettings(nullptr), m_pCommandTarget(nullptr), m_nHandlerFlag(0), m_pQueriedCmd(nullptr),
      m_bHandled(FALSE), m_bDelegation(FALSE)
{
}

CBasicOleTarCmdHndl::~CBasicOleTarCmdHndl()
{
    // A handler that goes without Disconnect gives its cookies back all the same, so
    // that none of them can be taken for this handler later.
    for (int i = 0; i < m_cookies.GetSize(); ++i) {
        if (m_registered[i])
            FrameCookies::Release(m_cookies[i], this, i);
    }
    for (int i = 0; i < m_itemObjects.GetSize(); ++i)
        delete m_itemObjects[i];
}

void CBasicOleTarCmdHndl::InitCommandArrays(BOOL delegation)
{
    m_bDelegation = delegation;
    int count = GetEntryCount();
    m_itemObjects.SetSize(count);
    m_registered.SetSize(count);
    m_cookies.SetSize(count);
    for (int i = 0; i < count; ++i) {
        m_itemObjects[i] = nullptr;
        m_registered[i] = 0;
        m_cookies[i] = 0;
    }
}

int CBasicOleTarCmdHndl::GetEntryCount()
{
    const OLECMDTARHNDLENTRY *table = GetCommandTable();
    int count = 0;
    while (table && table[count].HasHandler())
        ++count;
    return count;
}

BOOL CBasicOleTarCmdHndl::IsCmdGroup(const GUID *group)
{
    const GUID *own = GetClassGuid();
    if (!group)
        return !own || IsEqualGUID(*own, GUID_NULL);
    return own && IsEqualGUID(*group, *own);
}

const OLECMDTARHNDLENTRY *CBasicOleTarCmdHndl::FindCommand(DWORD id)
{
    for (const OLECMDTARHNDLENTRY *entry = GetCommandTable(); entry && entry->HasHandler(); ++entry) {
        if (entry->nCmdId == id)
            return entry;
    }
    return nullptr;
}

const OLECMDTARHNDLENTRY *CBasicOleTarCmdHndl::GetCommandTable()
{
    return nullptr;
}

const GUID *CBasicOleTarCmdHndl::GetClassGuid()
{
    return nullptr;
}

BOOL CBasicOleTarCmdHndl::QueryStatus(const GUID *group, OLECMD *cmd, OLECMDTEXT *text, BOOL *handled)
{
    if (!cmd || !IsCmdGroup(group) || !FindCommand(cmd->cmdID))
        return FALSE;
    m_bHandled = FALSE;
    m_pQueriedCmd = cmd;
    m_strStatusText.Empty();
    UpdateCommandStatus(cmd->cmdID);
    m_pQueriedCmd = nullptr;
    if (text && text->cmdtextf != OLECMDTEXTF_NONE) {
        // The end of a text is what tells commands apart, so a long one loses its front.
        // A buffer of no characters gets nothing, not even a terminator.
        ULONG length = static_cast<ULONG>(m_strStatusText.GetLength());
        ULONG room = text->cwBuf > 0 ? text->cwBuf - 1 : 0;
        ULONG kept = length < room ? length : room;
        LPCSTR tail = static_cast<LPCSTR>(m_strStatusText) + (length - kept);
        int written = kept > 0 ? MultiByteToWideChar(CP_ACP, 0, tail, static_cast<int>(kept), text->rgwz,
                                                     static_cast<int>(room))
                               : 0;
        if (text->cwBuf > 0)
            text->rgwz[written] = 0;
        text->cwActual = static_cast<ULONG>(written);
    }
    if (handled)
        *handled = m_bHandled;
    return TRUE;
}

void CBasicOleTarCmdHndl::Enable(BOOL enable)
{
    if (!m_pQueriedCmd)
        return;
    if (enable)
        m_pQueriedCmd->cmdf |= OLECMDF_ENABLED;
    else
        m_pQueriedCmd->cmdf &= ~static_cast<DWORD>(OLECMDF_ENABLED);
    m_bHandled = TRUE;
}

void CBasicOleTarCmdHndl::SetCheck(int state)
{
    if (!m_pQueriedCmd)
        return;
    m_pQueriedCmd->cmdf &= ~static_cast<DWORD>(OLECMDF_LATCHED | OLECMDF_NINCHED);
    if (state == 1)
        m_pQueriedCmd->cmdf |= OLECMDF_LATCHED;
    else if (state == 2)
        m_pQueriedCmd->cmdf |= OLECMDF_NINCHED;
}

void CBasicOleTarCmdHndl::UpdateCommandStatus(DWORD id)
{
    BOOL decided = FALSE;
    BOOL enabled = GetCommandState(id, &decided);
    if (!decided)
        enabled = GetDefaultCommandState();
    Enable(enabled);
}

BOOL CBasicOleTarCmdHndl::GetCommandState(DWORD id, BOOL *decided)
{
    const OLECMDTARHNDLENTRY *entry = FindCommand(id);
    BOOL dependent = entry && entry->bServerDependent;
    if (decided)
        *decided = dependent;
    if (!dependent || !m_pOwner)
        return FALSE;
    CComPtr<IQelServerState> server;
    LONG state = 0;
    if (FAILED(m_pOwner->QueryInterface(IID_IQelServerState, reinterpret_cast<void **>(&server))) || !server ||
        FAILED(server->GetServerState(&state)))
        return FALSE;
    return state != 0;
}

BOOL CBasicOleTarCmdHndl::GetDefaultCommandState()
{
    return TRUE;
}

BOOL CBasicOleTarCmdHndl::Exec(const GUID *group, DWORD id, DWORD options, VARIANT *in, VARIANT *out, HRESULT *hr)
{
    return IsCmdGroup(group) && ExecCommand(id, options, in, out, hr);
}

BOOL CBasicOleTarCmdHndl::ExecCommand(DWORD id, DWORD options, VARIANT *in, VARIANT *out, HRESULT *hr)
{
    const OLECMDTARHNDLENTRY *entry = FindCommand(id);
    if (!entry)
        return FALSE;
    CCommandHandOver handOver(options, out);
    HRESULT result = S_OK;
    try {
        CVariantArray arguments(in, FALSE);
        // The results return into `out` when the list goes, also when the member throws.
        CVariantArray results(out, TRUE);
        if (entry->IsIndexed())
            result = (this->*entry->pfnIndexedHandler)(entry, &arguments, &results);
        else if (entry->pfnHandler)
            result = (this->*entry->pfnHandler)(&arguments, &results);
        else
            result = E_NOTIMPL; // an indexed member without the mark that names its form
    } catch (const _com_error &e) {
        result = e.Error();
    } catch (CException *e) {
        result = e->IsKindOf(RUNTIME_CLASS(CMemoryException)) ? E_OUTOFMEMORY : E_FAIL;
        e->Delete();
    } catch (const std::bad_alloc &) {
        result = E_OUTOFMEMORY;
    }
    handOver.Settle(result, in, out);
    if (hr)
        *hr = result;
    return TRUE;
}

HRESULT CBasicOleTarCmdHndl::GetHandlerStatus()
{
    return S_OK;
}

void CBasicOleTarCmdHndl::SetServerInterface(IUnknown *owner)
{
    m_pOwner = owner;
}

void CBasicOleTarCmdHndl::SetHandlerFlag(int flag)
{
    m_nHandlerFlag = flag;
}

void CBasicOleTarCmdHndl::SetCommandTarget(IUnknown *target)
{
    m_pCommandTarget = target;
}

IUnknown *CBasicOleTarCmdHndl::GetCommandTarget(const GUID *group, DWORD id)
{
    return m_bDelegation && IsCmdGroup(group) && FindCommand(id) ? m_pCommandTarget : nullptr;
}

BOOL CBasicOleTarCmdHndl::GetCommandText(CString &text)
{
    text.Empty();
    return TRUE;
}

CViewSrvItemObj *CBasicOleTarCmdHndl::GetItemObj(int index) const
{
    if (index < 0 || index >= m_itemObjects.GetSize())
        return nullptr;
    return static_cast<CViewSrvItemObj *>(m_itemObjects[index]);
}

CViewSrvItemObj *CBasicOleTarCmdHndl::GetFirstItemObj() const
{
    for (int i = 0; i < m_itemObjects.GetSize(); ++i) {
        if (m_itemObjects[i])
            return static_cast<CViewSrvItemObj *>(m_itemObjects[i]);
    }
    return nullptr;
}

BOOL CBasicOleTarCmdHndl::IsRegistered(int index) const
{
    return index >= 0 && index < m_registered.GetSize() && m_registered[index] != 0;
}
