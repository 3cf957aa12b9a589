#include "commonwatchcontrol.h"

#include "watchresources.h"

#include <afxinputmap.h>
#include <drawnlisttip.h>

#include <hostcmdgroups.h>
#include <hostinterfaces.h>
#include <oletarcmdcaller.h>
#include <qelcommvariable.h>
#include <qelhostframe.h>

#include <comerror.h>

namespace {

// The host's communication-queue commands: a new variable object (command 200 with this
// number), the register object.
const DWORD kCommVariable = 8;
const DWORD kTargetAccess = 202;

const DWORD kAddedListStyle = 0x280;
const DWORD kAddedListExStyle = 0x07D00000;

} // namespace

BEGIN_MESSAGE_MAP(CCommonWatchControl, DrawnTreeCtrl)
    ON_WM_SIZE()
    ON_WM_MOUSEMOVE()
END_MESSAGE_MAP()

CCommonWatchControl::CCommonWatchControl() : m_codeAddress(static_cast<DWORD>(-1), static_cast<DWORD>(-1), static_cast<DWORD>(-1))
{
}

CCommonWatchControl::~CCommonWatchControl()
{
    ReleaseServer();
    if (m_hWnd != nullptr)
        DestroyWindow();
    ExitControl();
}

void CCommonWatchControl::InitControl()
{
    ModifyListStyles(0, kAddedListStyle, 0, kAddedListExStyle, FALSE);
    SetColumnText(0, "Name");
    InsertColumn(1, "Value", LVCFMT_LEFT, 0, 1, FALSE);
    if (m_images.m_hImageList == nullptr && m_images.Create(IDB_WATCH_IMAGES, 16, 0, RGB(255, 255, 255)))
        SetImageList(&m_images, TVSIL_NORMAL);
    if (m_boldFont.m_hObject == nullptr) {
        LOGFONTA font{};
        CFont *label = GetLabelFont();
        if (label != nullptr && label->GetLogFont(&font) != 0) {
            font.lfWeight = FW_BOLD;
            m_boldFont.CreateFontIndirect(&font);
        }
    }
    if (GetTip() != nullptr)
        GetTip()->EnableCustomText();
    CRect client;
    CWnd::GetClientRect(&client);
    ResizeColumns(client.Width(), GetColumnWidth(0));
}

void CCommonWatchControl::ExitControl()
{
    if (m_hWnd != nullptr)
        SetImageList(nullptr, TVSIL_NORMAL);
    m_images.DeleteImageList();
    m_boldFont.DeleteObject();
}

BOOL CCommonWatchControl::InitServer(IUnknown *debugServer, IUnknown *storage, IUnknown *tree)
{
    ReleaseServer();
    m_pTree = tree;
    CComQIPtr<IStorage> stg(storage);
    m_pStorage = std::make_unique<CStorage>(stg);
    if (debugServer == nullptr)
        return TRUE;
    m_pDbgSrv = debugServer;
    m_pDbgSrv->AddRef();
    try {
        m_pSymProc = std::make_unique<CSymbolProcessing>(debugServer, FALSE, FALSE);
        m_messages.request = m_pSymProc->GetRequestMessage();
        m_messages.refresh = RegisterWindowMessageA("QELWATCHREFRESH");
        m_messages.notice = RegisterWindowMessageA("QELWATCHVALUENOTICE");
        m_messages.readPc = RegisterWindowMessageA("QELWATCHREADPC");
        m_messages.deferred = RegisterWindowMessageA("QELWATCHDEFERRED");
        COleTarCmdCaller caller(debugServer, &CGID_QelHostCommands);
        caller.ExecForObject(kTargetAccess, &m_pTargetAccess);
        int requester = static_cast<int>(reinterpret_cast<INT_PTR>(m_hWnd));
        int request = m_pSymProc->RequestRegisterMap(requester);
        if (request != 0) {
            BOOL loaded = m_pSymProc->IsDatabase();
            m_pSymProc->RegisterRegisterMapCallback(request, loaded ? OnRegisterMap : OnRegisterMapKept,
                                                    reinterpret_cast<DWORD_PTR>(this));
        }
        CTarStateEventSink::Advise(debugServer);
        CQelPatternSink::Advise(debugServer);
        CComQIPtr<IQelTargetState> state(debugServer);
        ULONG current = m_targetState;
        if (state != nullptr && SUCCEEDED(state->GetTargetState(&current)))
            m_targetState = current;
        CComQIPtr<IQelRefreshWindows> windows(debugServer);
        if (windows != nullptr)
            windows->Register(static_cast<LONG>(reinterpret_cast<INT_PTR>(m_hWnd)), m_messages.refresh);
    } catch (_com_error &) {
        SetError("The debug server's services cannot be reached.");
        return FALSE;
    }
    return TRUE;
}

void CCommonWatchControl::ReleaseServer()
{
    if (m_pDbgSrv != nullptr) {
        CComQIPtr<IQelRefreshWindows> windows(m_pDbgSrv);
        if (windows != nullptr && m_hWnd != nullptr)
            windows->Unregister(static_cast<LONG>(reinterpret_cast<INT_PTR>(m_hWnd)));
    }
    CTarStateEventSink::Unadvise();
    CQelPatternSink::Unadvise();
    if (m_pSymProc != nullptr)
        m_pSymProc->Detach();
    m_pSymProc.reset();
    m_pending.clear();
    // A batch that was begun and never committed lets its objects go too.
    m_batch.clear();
    if (m_hWnd != nullptr)
        DrawnTreeBaseC::DeleteAllItems();
    m_deferred.clear();
    m_hNewVariable = nullptr;
    m_hContextItem = nullptr;
    m_pTargetAccess.Release();
    m_pBrowser.Release();
    m_registerNumbers.Clear();
    m_registerNames.Clear();
    m_registerMapKnown = false;
    m_pStorage.reset();
    if (m_pDbgSrv != nullptr)
        m_pDbgSrv->Release();
    m_pDbgSrv = nullptr;
    m_pTree = nullptr;
}

void CCommonWatchControl::OnRegisterMap(CRegisterMapTagArray *registers, DWORD_PTR context)
{
    reinterpret_cast<CCommonWatchControl *>(context)->KeepRegisterMap(*registers, true);
}

void CCommonWatchControl::OnRegisterMapKept(CRegisterMapTagArray *registers, DWORD_PTR context)
{
    reinterpret_cast<CCommonWatchControl *>(context)->KeepRegisterMap(*registers, false);
}

void CCommonWatchControl::KeepRegisterMap(const CRegisterMapTagArray &registers, bool tellHost)
{
    const INT_PTR count = registers.GetSize();
    SAFEARRAYBOUND numberBound = {static_cast<ULONG>(2 * count), 0};
    SAFEARRAYBOUND nameBound = {static_cast<ULONG>(count), 0};
    SAFEARRAY *numbers = SafeArrayCreate(VT_I4, 1, &numberBound);
    SAFEARRAY *names = SafeArrayCreate(VT_BSTR, 1, &nameBound);
    if (numbers == nullptr || names == nullptr) {
        SafeArrayDestroy(numbers);
        SafeArrayDestroy(names);
        return;
    }
    IQelTargetAccess *access = tellHost ? static_cast<IQelTargetAccess *>(m_pTargetAccess.p) : nullptr;
    for (INT_PTR i = 0; i < count; ++i) {
        const RegisterMapTag &reg = registers[i];
        LONG index = reg.RegisterIndex;
        BSTR name = reg.Name.AllocSysString();
        if (access != nullptr) {
            LONG id = -1;
            if (SUCCEEDED(access->GetRegisterId(name, &id)))
                index = id;
        }
        LONG at = static_cast<LONG>(2 * i);
        LONG number = reg.Number;
        SafeArrayPutElement(numbers, &at, &number);
        ++at;
        SafeArrayPutElement(numbers, &at, &index);
        LONG position = static_cast<LONG>(i);
        SafeArrayPutElement(names, &position, name);
        SysFreeString(name);
    }
    m_registerNumbers.Clear();
    m_registerNames.Clear();
    V_VT(&m_registerNumbers) = VT_ARRAY | VT_I4;
    V_ARRAY(&m_registerNumbers) = numbers;
    V_VT(&m_registerNames) = VT_ARRAY | VT_BSTR;
    V_ARRAY(&m_registerNames) = names;
    m_registerMapKnown = true;
}

CComPtr<IQelCommVariableObj> CCommonWatchControl::NewVariableObject()
{
    CComPtr<IQelCommVariableObj> variable;
    if (m_pDbgSrv == nullptr)
        return variable;
    CComPtr<IUnknown> object;
    COleTarCmdCaller caller(m_pDbgSrv, &CGID_QelHostCommands);
    if (FAILED(caller.RequestCommVariable(kCommVariable, nullptr, &object)) || object == nullptr)
        return variable;
    CComQIPtr<IQelValueNotices> notices(object);
    if (notices != nullptr)
        notices->SetNotifyWindow(static_cast<LONG>(reinterpret_cast<INT_PTR>(m_hWnd)), m_messages.notice);
    object->QueryInterface(qel_uuidof<IQelCommVariableObj>(), reinterpret_cast<void **>(&variable));
    if (variable != nullptr && m_registerMapKnown)
        variable->SetRegisterMap(m_registerNumbers, m_registerNames);
    return variable;
}

void CCommonWatchControl::HoldObject(IUnknown *object)
{
    if (object == nullptr)
        return;
    object->AddRef();
    ++m_objects[object];
}

void CCommonWatchControl::DropObject(IUnknown *object)
{
    auto held = m_objects.find(object);
    if (held == m_objects.end())
        return;
    if (--held->second == 0) {
        m_objects.erase(held);
        for (auto waiting = m_deferred.begin(); waiting != m_deferred.end();) {
            if (waiting->p == object)
                waiting = m_deferred.erase(waiting);
            else
                ++waiting;
        }
        if (m_pDbgSrv != nullptr) {
            CComQIPtr<IQelVariableUpdate> update(m_pDbgSrv);
            if (update != nullptr)
                update->Withdraw(object);
        }
    }
    object->Release();
}

void CCommonWatchControl::UpdateObject(IUnknown *object, LONG write)
{
    if (object == nullptr || m_pDbgSrv == nullptr)
        return;
    if (m_targetState < QEL_TARGET_STOPPED) {
        for (const CComPtr<IUnknown> &waiting : m_deferred)
            if (waiting.p == object)
                return;
        m_deferred.emplace_back(object);
        return;
    }
    CComQIPtr<IQelVariableUpdate> update(m_pDbgSrv);
    if (update != nullptr)
        update->Update(object, 0, write);
}

void CCommonWatchControl::OnTargetStateChange(ULONG oldState, ULONG newState)
{
    ULONG before = m_targetState;
    m_targetState = newState;
    bool stopped = (oldState == QEL_TARGET_RUNNING || before == QEL_TARGET_RUNNING) && newState == QEL_TARGET_STOPPED;
    bool waiting = before < QEL_TARGET_STOPPED && newState >= QEL_TARGET_STOPPED && !m_deferred.empty();
    if ((stopped || waiting) && m_hWnd != nullptr) {
        m_bRefreshPending = TRUE;
        PostMessage(m_messages.readPc, 0, 0);
        if (waiting)
            PostMessage(m_messages.deferred, 0, 0);
    }
}

void CCommonWatchControl::OnPatternEnd(ULONG first, ULONG second)
{
    CQelPatternSink::OnPatternEnd(first, second);
    QueueFullRefresh();
}

LRESULT CCommonWatchControl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != 0 && m_pSymProc != nullptr) {
        try {
            if (message == m_messages.request)
                return m_pSymProc->OnRequestMessage(wParam, lParam);
            if (message == m_messages.refresh) {
                OnRefresh();
                return 0;
            }
            if (message == m_messages.notice) {
                OnValueNotice(lParam);
                return 0;
            }
            if (message == m_messages.readPc) {
                OnReadPc();
                return 0;
            }
            if (message == m_messages.deferred) {
                OnDeferred();
                return 0;
            }
        } catch (_com_error &) {
            return 0;
        } catch (CException *exception) {
            exception->Delete();
            return 0;
        }
    }
    return DrawnTreeCtrl::WindowProc(message, wParam, lParam);
}

void CCommonWatchControl::OnRefresh()
{
    for (HTREEITEM item = GetRootItem(); item != nullptr; item = GetNextSiblingItem(item)) {
        IUnknown *object = reinterpret_cast<IUnknown *>(GetItemData(item));
        if (object != nullptr)
            UpdateObject(object, 0);
    }
}

void CCommonWatchControl::OnValueNotice(LPARAM identity)
{
    // Only compared: the object may be gone by the time its notice comes.
    for (const auto &held : m_objects) {
        IUnknown *object = held.first;
        CComPtr<IUnknown> self;
        object->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&self));
        if (reinterpret_cast<LPARAM>(self.p) != identity)
            continue;
        CComQIPtr<IQelCommVariableObj> variable(object);
        if (variable != nullptr)
            variable->UpdateItemText(0);
        Invalidate(FALSE);
        return;
    }
}

void CCommonWatchControl::OnReadPc()
{
    // The register object is called directly, as the host gives it.
    IQelTargetAccess *direct = static_cast<IQelTargetAccess *>(m_pTargetAccess.p);
    ULONG pc = 0;
    if (!m_registerMapKnown || direct == nullptr || FAILED(direct->GetCurrentAddress(&pc))) {
        m_bRefreshPending = FALSE;
        return;
    }
    m_codeAddress = CAddressValue(pc, 1, 0);
    QueueRefresh();
}

void CCommonWatchControl::OnDeferred()
{
    if (m_targetState <= QEL_TARGET_NONE)
        return;
    std::vector<CComPtr<IUnknown>> waiting;
    waiting.swap(m_deferred);
    CComQIPtr<IQelVariableUpdate> update(m_pDbgSrv);
    for (const CComPtr<IUnknown> &object : waiting)
        if (update != nullptr && m_objects.count(object.p) != 0)
            update->Update(object, 1, 0);
}

void CCommonWatchControl::Remember(int requestId, HTREEITEM item)
{
    if (requestId != 0)
        m_pending[requestId] = item;
}

HTREEITEM CCommonWatchControl::TakePending(int requestId)
{
    auto found = m_pending.find(requestId);
    if (found == m_pending.end())
        return nullptr;
    HTREEITEM item = found->second;
    m_pending.erase(found);
    return item;
}

void CCommonWatchControl::NoteRefusedRequest(LPCSTR what)
{
    int lastError = m_pSymProc != nullptr ? m_pSymProc->GetLastError() : -1;
    m_strError.Format("The symbol server did not take %s (error %d).", what, lastError);
}
