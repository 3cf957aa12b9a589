#include "localscontrol.h"

#include "talvixstrings.h"

#include <tagtransfer.h>

#include <afxmenu.h>

namespace {

const DWORD kSomewhere = static_cast<DWORD>(-1);
// A notice of the target with this second value tells of a new program position.
const ULONG kPositionNotice = 0xFFFFFFFFu;
// The keyboard's menu stands here in the window.
const CPoint kKeyboardMenuPoint(5, 5);

CString Loaded(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

} // namespace

BEGIN_MESSAGE_MAP(CLocalsControl, CCommonWatchControl)
    ON_MESSAGE(WM_CONTEXTMENU, OnContextMenu)
END_MESSAGE_MAP()

CLocalsControl::~CLocalsControl()
{
    ReleaseServer();
}

void CLocalsControl::ReleaseServer()
{
    m_locals.clear();
    m_lifetimeRequests.clear();
    CCommonWatchControl::ReleaseServer();
}

BOOL CLocalsControl::InitServer(IUnknown *debugServer, IUnknown *storage, IUnknown *tree)
{
    m_locals.clear();
    m_lifetimeRequests.clear();
    if (!CCommonWatchControl::InitServer(debugServer, storage, tree))
        return FALSE;
    InsertEmptyRow();
    if (m_hNewVariable != nullptr)
        EnsureVisible(m_hNewVariable);
    LoadSettings();
    return TRUE;
}

void CLocalsControl::LoadSettings()
{
    IStorage *root = m_pStorage != nullptr ? m_pStorage->GetStorage() : nullptr;
    CComPtr<IStorage> locals;
    CComBSTR name(Loaded(IDS_LOCALS_STORAGE));
    if (root == nullptr ||
        FAILED(root->OpenStorage(name, nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, nullptr, 0, &locals)))
        return;
    CStorage values(locals);
    m_bHexadecimal = values.ReadLong(Loaded(IDS_WATCH_HEXADECIMAL), 0) != 0;
    m_bAscii = values.ReadLong(Loaded(IDS_WATCH_ASCII), 0) != 0;
    m_bExponential = values.ReadLong(Loaded(IDS_WATCH_EXPONENTIAL), 0) != 0;
}

void CLocalsControl::SaveSettings(IStorage *storage, HTREEITEM)
{
    if (storage == nullptr)
        return;
    CComPtr<IStorage> locals;
    CComBSTR name(Loaded(IDS_LOCALS_STORAGE));
    const DWORD mode = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
    if (FAILED(storage->OpenStorage(name, nullptr, mode, nullptr, 0, &locals)) &&
        FAILED(storage->CreateStorage(name, mode | STGM_CREATE, 0, 0, &locals)))
        return;
    CStorage values(locals);
    values.WriteLong(Loaded(IDS_WATCH_HEXADECIMAL), m_bHexadecimal ? 1 : 0);
    values.WriteLong(Loaded(IDS_WATCH_ASCII), m_bAscii ? 1 : 0);
    values.WriteLong(Loaded(IDS_WATCH_EXPONENTIAL), m_bExponential ? 1 : 0);
    locals->Commit(STGC_DEFAULT);
}

HRESULT CLocalsControl::DeleteItem(LONG item)
{
    HTREEITEM target = ItemOfId(item);
    if (target == nullptr)
        return E_INVALIDARG;
    for (auto local = m_locals.begin(); local != m_locals.end(); ++local) {
        LONG handle = 0;
        if (SUCCEEDED(local->second->GetItemHandle(&handle)) && handle == item) {
            m_locals.erase(local);
            break;
        }
    }
    DrawnTreeBaseC::DeleteItem(target);
    return S_OK;
}

void CLocalsControl::QueueRefresh()
{
    RequestLocals(m_codeAddress.AddressMode, m_codeAddress.AddressValue);
}

void CLocalsControl::QueueFullRefresh()
{
    RequestLocals(kSomewhere, kSomewhere);
}

void CLocalsControl::RequestLocals(DWORD mode, DWORD value)
{
    if (m_pSymProc == nullptr)
        return;
    int requester = static_cast<int>(reinterpret_cast<INT_PTR>(m_hWnd));
    int request = m_pSymProc->RequestLocalsInScope(static_cast<LONG>(mode), static_cast<LONG>(value), nullptr, requester);
    if (request == 0 ||
        !m_pSymProc->RegisterVariablesRawCallbackWithId(request, OnLocals, reinterpret_cast<DWORD_PTR>(this))) {
        m_bRefreshPending = FALSE;
        NoteRefusedRequest("the request of the locals");
    }
}

void CLocalsControl::OnTargetStateNotify(ULONG, ULONG second)
{
    if (second == kPositionNotice && m_targetState == QEL_TARGET_STOPPED && !m_bRefreshPending &&
        !IsPatternActive() && m_hWnd != nullptr) {
        m_bRefreshPending = TRUE;
        PostMessage(m_messages.readPc, 0, 0);
    }
}

void CLocalsControl::OnLocals(int, VARIANT *names, VARIANT *values, DWORD_PTR context, int)
{
    if (names != nullptr && values != nullptr)
        reinterpret_cast<CLocalsControl *>(context)->OnLocalsAnswer(*names, *values);
}

void CLocalsControl::OnLocalsAnswer(const VARIANT &names, const VARIANT &values)
{
    m_bRefreshPending = FALSE;
    // Three texts and nine numbers an entry, as many of one as of the other; an answer
    // that is not so is no list of locals at all, and the window stays as it is.
    CVariableTagArray locals;
    if (FAILED(UnpackTagRecords(names, values, locals)))
        return;
    if (locals.GetSize() == 0)
        InsertEmptyRow();
    else
        DeleteEmptyRow();
    std::set<LONG> inAnswer;
    for (INT_PTR i = 0; i < locals.GetSize(); ++i)
        inAnswer.insert(locals[i].SymbolIndex);
    for (auto local = m_locals.begin(); local != m_locals.end();) {
        if (inAnswer.count(local->first) != 0) {
            UpdateObject(local->second, 0);
            ++local;
            continue;
        }
        CComPtr<IQelCommVariableObj> gone = local->second;
        local = m_locals.erase(local);
        LONG handle = 0;
        HTREEITEM item = SUCCEEDED(gone->GetItemHandle(&handle)) ? ItemOfId(handle) : nullptr;
        if (item != nullptr)
            DrawnTreeBaseC::DeleteItem(item);
    }
    int requester = static_cast<int>(reinterpret_cast<INT_PTR>(m_hWnd));
    for (INT_PTR i = 0; i < locals.GetSize(); ++i) {
        LONG index = locals[i].SymbolIndex;
        if (m_locals.count(index) != 0)
            continue;
        CComPtr<IQelCommVariableObj> variable = NewVariableObject();
        if (variable == nullptr)
            continue;
        LONG handle = 0;
        if (FAILED(variable->CreateVariable(static_cast<LONG>(i), names, values, m_pTree, 0)) ||
            FAILED(variable->GetItemHandle(&handle)) || ItemOfId(handle) == nullptr)
            continue;
        m_locals[index] = variable;
        // A new local is read at once: its value is what the user opened the window for.
        UpdateObject(variable, 0);
        if (m_pSymProc != nullptr) {
            int request = m_pSymProc->RequestLifetime(index, requester);
            if (request != 0) {
                m_lifetimeRequests[request] = index;
                m_pSymProc->RegisterLifetimeRawCallbackWithId(request, OnLifetime, reinterpret_cast<DWORD_PTR>(this));
            }
        }
    }
    ApplyOptions(GetRootItem());
}

void CLocalsControl::OnLifetime(int requestId, VARIANT *numbers, DWORD_PTR context)
{
    auto *self = reinterpret_cast<CLocalsControl *>(context);
    auto request = self->m_lifetimeRequests.find(requestId);
    if (request == self->m_lifetimeRequests.end())
        return;
    LONG index = request->second;
    self->m_lifetimeRequests.erase(request);
    auto local = self->m_locals.find(index);
    if (local == self->m_locals.end() || numbers == nullptr)
        return;
    // A local whose place follows the program position has one only now.
    local->second->SetLifetimes(*numbers);
    self->UpdateObject(local->second, 0);
}

std::vector<LONG> CLocalsControl::ShownLocals()
{
    std::vector<LONG> shown;
    for (HTREEITEM item = GetRootItem(); item != nullptr; item = GetNextSiblingItem(item)) {
        IQelCommVariableObj *variable = VariableOf(item);
        LONG index = 0;
        if (variable != nullptr && SUCCEEDED(variable->GetSymbolIndex(&index)))
            shown.push_back(index);
    }
    return shown;
}

void CLocalsControl::InsertEmptyRow()
{
    if (m_hNewVariable == nullptr && m_hWnd != nullptr)
        m_hNewVariable = DrawnTreeBaseC::InsertItem("");
}

void CLocalsControl::DeleteEmptyRow()
{
    if (m_hNewVariable != nullptr)
        DrawnTreeBaseC::DeleteItem(m_hNewVariable);
    m_hNewVariable = nullptr;
}

LRESULT CLocalsControl::OnContextMenu(WPARAM, LPARAM lParam)
{
    CPoint point(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
    if (point.x == -1 && point.y == -1)
        point = kKeyboardMenuPoint;
    else
        ScreenToClient(&point);
    ShowContextMenu(point);
    return 0;
}

void CLocalsControl::ShowContextMenu(CPoint client)
{
    UINT flags = 0;
    int column = -1;
    int row = DrawnListBaseC::HitTest(client.x, client.y, &flags, &column);
    HTREEITEM item = reinterpret_cast<HTREEITEM>(NodeOfRow(row));
    m_hContextItem = item;
    DrawnListColumn *record = column >= 0 ? GetColumnAt(column) : nullptr;
    if (item == nullptr || record == nullptr || record->subItem != 1)
        return;
    std::vector<MenuEntry> entries = FormatMenuEntries(item);
    if (entries.empty())
        return;
    CMenu menu;
    if (!menu.CreatePopupMenu())
        return;
    const UINT grayed = GetSelectedCount() == 1 ? 0 : MF_GRAYED;
    for (const MenuEntry &entry : entries) {
        if (entry.id == 0)
            menu.AppendMenu(MF_SEPARATOR);
        else
            menu.AppendMenu(MF_STRING | grayed | (entry.checked ? MF_CHECKED : 0), entry.id, entry.text);
    }
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, IDM_WATCH_FORMAT, "&Format");
    CPoint screen = client;
    ClientToScreen(&screen);
    menu.TrackPopupMenu(TPM_RIGHTBUTTON, screen.x, screen.y, this);
}
