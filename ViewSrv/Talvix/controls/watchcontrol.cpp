// The watch tree's entries: checking a watch text, adding it as a symbol or an
// expression, the symbol server's answers, deleting and editing, and IQelWatch.
#include "watchcontrol.h"

#include "talvixstrings.h"
#include "watchtextforms.h"

#include <qelsymbsrv.h>
#include <tagtransfer.h>
#include <watchnormalize.h>
#include <watchparser.h>

#include <drawnlistedit.h>

#include <algorithm>
#include <cstring>

namespace {

const char kNewVariable[] = "<new variable>";
const char kInputCheck[] = "Input check";
const LONG kVarEdVariable = 16;
enum ItemStringCode : LONG { kStringName = 0, kStringValue = 1, kStringLocation = 100 };

CString ItemString(IQelCommVariableObj *variable, LONG item, LONG code)
{
    CComBSTR text;
    if (variable == nullptr || FAILED(variable->GetItemString(item, code, &text)))
        return CString();
    return CString(text.m_str);
}

void CopyOut(LPSTR buffer, int size, LPCSTR text)
{
    if (buffer == nullptr || size <= 0)
        return;
    size_t length = std::min(std::strlen(text), static_cast<size_t>(size - 1));
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
}

} // namespace

CWatchControl::~CWatchControl()
{
    ReleaseServer();
}

void CWatchControl::InitControl()
{
    CCommonWatchControl::InitControl();
    SetMultipleSelection(TRUE, FALSE);
}

void CWatchControl::ExitControl()
{
    if (m_bDragging)
        CImageList::EndDrag();
    m_bDragging = FALSE;
    m_dragImage.reset();
    CCommonWatchControl::ExitControl();
}

BOOL CWatchControl::InitServer(IUnknown *debugServer, IUnknown *storage, IUnknown *tree)
{
    if (!CCommonWatchControl::InitServer(debugServer, storage, tree))
        return FALSE;
    m_varEd.RemoveAll();
    if (m_pSymProc != nullptr && m_pSymProc->IsDatabase()) {
        // Asked at once and answered before the call returns: the marks need it first.
        int request = m_pSymProc->RequestVarEdVariables(0);
        if (request != 0 && !m_pSymProc->GetVarEdVariables(request, m_varEd))
            m_varEd.RemoveAll();
    }
    m_watchMessages.leaveOut = RegisterWindowMessageA("QELWATCHLEAVEOUT");
    m_watchMessages.fullRefresh = RegisterWindowMessageA("QELWATCHFULLREFRESH");
    m_watchMessages.browser = RegisterWindowMessageA("QELWATCHBROWSERCHOICE");
    AppendPlaceholder();
    if (m_hNewVariable != nullptr)
        SelectItem(m_hNewVariable);
    return TRUE;
}

void CWatchControl::ReleaseServer()
{
    if (m_pWatchBrowser != nullptr) {
        // An open browser ends with the window's server.
        m_pWatchBrowser->Mode(ABORT);
        m_pWatchBrowser.Release();
    }
    m_mappingRequests.clear();
    m_restored.clear();
    CCommonWatchControl::ReleaseServer();
    m_animated.clear();
    m_entryTexts.clear();
    m_varEd.RemoveAll();
    m_bFullRefreshPosted = FALSE;
    m_bLoading = FALSE;
    m_hEditItem = nullptr;
}

void CWatchControl::AppendPlaceholder()
{
    if (m_hWnd == nullptr)
        return;
    HTREEITEM item = InsertWatchItem(nullptr, 0, 0, nullptr);
    if (item != nullptr)
        m_hNewVariable = item;
}

BOOL CWatchControl::IsRootEntry(HTREEITEM item)
{
    return item != nullptr && LiveNode(item) != nullptr && GetParentItem(item) == nullptr && item != m_hNewVariable;
}

std::vector<HTREEITEM> CWatchControl::Entries()
{
    std::vector<HTREEITEM> entries;
    for (HTREEITEM item = GetRootItem(); item != nullptr; item = GetNextSiblingItem(item))
        if (item != m_hNewVariable)
            entries.push_back(item);
    return entries;
}

BOOL CWatchControl::IsShownAlready(const CString &text, HTREEITEM ignore)
{
    for (HTREEITEM item : Entries()) {
        if (item == ignore)
            continue;
        IQelCommVariableObj *variable = VariableOf(item);
        auto known = m_entryTexts.find(item);
        bool same = (variable != nullptr && ItemString(variable, m_ids.IdOf(item), kStringName) == text) ||
                    (known != m_entryTexts.end() && known->second == text) || EntryLine(item) == text;
        if (same) {
            CString message;
            message.Format("\"%s\" already in Watch window", static_cast<LPCSTR>(text));
            MessageBoxA(m_hWnd, message, kInputCheck, MB_OK);
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CWatchControl::CheckWatchText(const CString &text, CheckedWatchText *checked, HTREEITEM ignore, BOOL stored)
{
    CString trimmed = text;
    trimmed.TrimLeft();
    trimmed.TrimRight();
    if (trimmed.IsEmpty() || IsShownAlready(trimmed, ignore))
        return FALSE;
    CString entry = trimmed;
    CheckedWatchText result;
    if (IsScopedSymbolText(entry)) {
        result.entry = entry;
    } else {
        CString format;
        CString inner = NormalizeWatchExpression(entry, format, 1);
        bool expressionForm = !inner.IsEmpty();
        CQelWatchParser parser(m_codeAddress, m_pSymProc.get(), CQelWatchParser::kDefaultBufferSize);
        WatchParseNode *root = parser.Parse(expressionForm ? static_cast<LPCSTR>(inner) : static_cast<LPCSTR>(entry));
        if (root == nullptr) {
            // What the window wrote itself reads back as it was written.
            if (!stored || expressionForm || !IsStoredSymbolText(entry))
                return FALSE;
            result.entry = entry;
        } else if (expressionForm) {
            result.entry = entry;
            result.expression = TRUE;
        } else if (root->kind == kWatchIdentifier) {
            result.entry.Format("%s *", static_cast<LPCSTR>(entry));
        } else {
            result.entry.Format("?(%s)", static_cast<LPCSTR>(entry));
            result.expression = TRUE;
        }
    }
    // The same entry by another spelling is the same entry.
    if (result.entry != trimmed && IsShownAlready(result.entry, ignore))
        return FALSE;
    *checked = result;
    return TRUE;
}

void CWatchControl::AddEntry(HTREEITEM item, const CheckedWatchText &checked)
{
    if (item == nullptr || LiveNode(item) == nullptr || GetParentItem(item) != nullptr)
        return;
    m_hEditItem = item;
    if (item == m_hNewVariable) {
        // The placeholder becomes the entry; a new one takes its place at the end.
        AppendPlaceholder();
        m_hContextItem = m_hNewVariable;
    } else {
        ReleaseEntryObject(item);
    }
    m_entryTexts[item] = checked.entry;
    if (!checked.expression) {
        if (m_pSymProc != nullptr) {
            int request = m_pSymProc->RequestVariableWithScope(checked.entry, Requester());
            if (request != 0) {
                Remember(request, item);
                m_pSymProc->RegisterVariablesRawCallbackWithId(request, OnVariables, reinterpret_cast<DWORD_PTR>(this));
            } else {
                NoteRefusedRequest("the request of a watch entry");
            }
        }
        RedrawItem(item);
        return;
    }
    CComPtr<IQelCommVariableObj> variable = NewVariableObject();
    CComBSTR text(checked.entry);
    if (variable != nullptr && SUCCEEDED(variable->CreateExpressionVariable(text, m_pTree, m_ids.IdOf(item))) &&
        VariableOf(item) != nullptr) {
        ApplyOptionsTo(item);
        AdoptRestoredPeriods(item);
        UpdateObject(variable, 0);
    }
    RedrawItem(item);
    Save();
}

void CWatchControl::OnVariables(int requestId, VARIANT *names, VARIANT *values, DWORD_PTR context, int)
{
    auto *self = reinterpret_cast<CWatchControl *>(context);
    HTREEITEM item = self->TakePending(requestId);
    if (item == nullptr || names == nullptr || values == nullptr)
        return;
    self->OnVariableAnswer(item, *names, *values);
}

void CWatchControl::OnVariableAnswer(HTREEITEM item, const VARIANT &names, const VARIANT &values)
{
    CVariableTagArray found;
    if (FAILED(UnpackTagRecords(names, values, found)) || found.GetSize() == 0) {
        // Not found: the entry keeps its text and no object.
        RedrawItem(item);
        return;
    }
    if (item == m_hNewVariable) {
        AppendPlaceholder();
        if (m_hNewVariable != nullptr && m_hNewVariable != item)
            SelectItem(m_hNewVariable);
    }
    Expand(item, TVE_COLLAPSE | TVE_COLLAPSERESET);
    ReleaseEntryObject(item);
    LONG index = found[0].SymbolIndex;
    SetItemState(item, IsVarEdOn() && InVarEdList(index) ? TVIS_BOLD : 0, TVIS_BOLD);
    CComPtr<IQelCommVariableObj> variable = NewVariableObject();
    LONG id = m_ids.IdOf(item);
    if (variable == nullptr || FAILED(variable->CreateVariable(0, names, values, m_pTree, id)) ||
        VariableOf(item) == nullptr) {
        RedrawItem(item);
        return;
    }
    if (m_pSymProc != nullptr) {
        int request = m_pSymProc->RequestVarEdMapping(index, Requester());
        if (request != 0) {
            m_mappingRequests[request] = item;
            m_pSymProc->RegisterLifetimeRawCallbackWithId(request, OnVarEdMapping, reinterpret_cast<DWORD_PTR>(this));
        }
    }
    ApplyOptionsTo(item);
    AdoptRestoredPeriods(item);
    UpdateObject(variable, 0);
    RedrawItem(item);
    Save();
}

void CWatchControl::OnVarEdMapping(int requestId, VARIANT *numbers, DWORD_PTR context)
{
    auto *self = reinterpret_cast<CWatchControl *>(context);
    auto request = self->m_mappingRequests.find(requestId);
    if (request == self->m_mappingRequests.end())
        return;
    HTREEITEM item = request->second;
    self->m_mappingRequests.erase(request);
    IQelCommVariableObj *variable = self->VariableOf(item);
    if (variable == nullptr || numbers == nullptr)
        return;
    CComPtr<IQelCommVariableObj> hold(variable);
    hold->SetLifetimes(*numbers);
    self->UpdateObject(hold, 0);
}

HRESULT CWatchControl::ChangeItem(BSTR, LONG type, LONG children, IUnknown *param, LONG item, LONG *newItem)
{
    HTREEITEM target = m_ids.Find(item);
    // The placeholder takes no object: it stays the place for the next entry.
    if (target == nullptr || target == m_hNewVariable)
        return E_INVALIDARG;
    IUnknown *before = reinterpret_cast<IUnknown *>(GetItemData(target));
    if (before != param) {
        HoldObject(param);
        SetItemData(target, reinterpret_cast<LPARAM>(param));
        if (before != nullptr) {
            m_animated.erase(before);
            DropObject(before);
        }
    }
    TV_ITEM change{};
    change.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    change.hItem = target;
    change.iImage = change.iSelectedImage = ImageOfType(type);
    change.cChildren = children;
    DrawnTreeBaseC::SetItem(&change);
    if (newItem != nullptr)
        *newItem = item;
    return S_OK;
}

HRESULT CWatchControl::DeleteItem(LONG item)
{
    // The variable code's deletes leave the watch's entries: only the user removes them.
    return m_ids.Find(item) != nullptr ? S_OK : E_INVALIDARG;
}

void CWatchControl::ReleaseEntryObject(HTREEITEM item)
{
    IUnknown *object = reinterpret_cast<IUnknown *>(GetItemData(item));
    if (object == nullptr)
        return;
    // The members go with the object that made them.
    HTREEITEM child = GetChildItem(item);
    while (child != nullptr) {
        HTREEITEM next = GetNextSiblingItem(child);
        DrawnTreeBaseC::DeleteItem(child);
        child = next;
    }
    SetItemData(item, 0);
    m_animated.erase(object);
    DropObject(object);
}

void CWatchControl::NotifyItemDeleted(HTREEITEM item)
{
    IUnknown *object = reinterpret_cast<IUnknown *>(GetItemData(item));
    if (object != nullptr && GetParentItem(item) == nullptr)
        m_animated.erase(object);
    m_entryTexts.erase(item);
    m_restored.erase(item);
    for (auto request = m_mappingRequests.begin(); request != m_mappingRequests.end();) {
        if (request->second == item)
            request = m_mappingRequests.erase(request);
        else
            ++request;
    }
    if (m_hEditItem == item)
        m_hEditItem = nullptr;
    if (m_hDragItem == item)
        m_hDragItem = nullptr;
    CCommonWatchControl::NotifyItemDeleted(item);
}

BOOL CWatchControl::DeleteEntry(HTREEITEM item)
{
    if (!IsRootEntry(item))
        return FALSE;
    DrawnTreeBaseC::DeleteItem(item);
    return TRUE;
}

BOOL CWatchControl::OnBeginLabelEdit(NMTVDISPINFOA *info)
{
    HTREEITEM item = info->item.hItem;
    if (item == nullptr || GetParentItem(item) != nullptr)
        return TRUE;
    // The entry's text as it was typed, not the way it is shown.
    CString name;
    IQelCommVariableObj *variable = VariableOf(item);
    if (variable != nullptr)
        name = ItemString(variable, m_ids.IdOf(item), kStringName);
    else if (m_entryTexts.count(item) != 0)
        name = m_entryTexts[item];
    if (GetEditControl() != nullptr && GetEditControl()->m_hWnd != nullptr) {
        GetEditControl()->SetWindowText(name);
        GetEditControl()->SetSel(0, -1);
    }
    return FALSE;
}

void CWatchControl::OnEndLabelEdit(NMTVDISPINFOA *info)
{
    HTREEITEM item = info->item.hItem;
    if (info->item.pszText == nullptr || item == nullptr || GetParentItem(item) != nullptr)
        return;
    CString text = info->item.pszText;
    CString trimmed = text;
    trimmed.TrimLeft();
    trimmed.TrimRight();
    if (trimmed.IsEmpty()) {
        if (DeleteEntry(item))
            Save();
        return;
    }
    CheckedWatchText checked;
    if (CheckWatchText(text, &checked, item))
        AddEntry(item, checked);
}

LRESULT CWatchControl::NotifyItemGetDispInfo(TV_ITEM *item)
{
    if ((item->mask & TVIF_TEXT) == 0)
        return 0;
    if (VariableOf(item->hItem) == nullptr) {
        auto known = m_entryTexts.find(item->hItem);
        CopyOut(item->pszText, item->cchTextMax, known != m_entryTexts.end() ? known->second : CString(kNewVariable));
        return 0;
    }
    return CCommonWatchControl::NotifyItemGetDispInfo(item);
}

LRESULT CWatchControl::NotifyGetDispInfo(LVITEMA *item)
{
    if ((item->mask & LVIF_TEXT) == 0)
        return 0;
    HTREEITEM node = reinterpret_cast<HTREEITEM>(NodeOfRow(item->iItem));
    IQelCommVariableObj *variable = VariableOf(node);
    if (item->iSubItem == 2) {
        CopyOut(item->pszText, item->cchTextMax, ItemString(variable, m_ids.IdOf(node), kStringLocation));
        return 0;
    }
    if (item->iSubItem != 1 || variable != nullptr)
        return CCommonWatchControl::NotifyGetDispInfo(item);
    // An entry without an object whose answer has come was not found.
    CString text;
    bool waiting = false;
    for (const auto &pending : m_pending)
        waiting = waiting || pending.second == node;
    if (m_entryTexts.count(node) != 0 && !waiting)
        text.LoadString(IDS_WATCH_NOT_FOUND);
    CopyOut(item->pszText, item->cchTextMax, text);
    return 0;
}

void CWatchControl::QueueRefresh()
{
    m_bRefreshPending = FALSE;
}

void CWatchControl::QueueFullRefresh()
{
    if (m_bFullRefreshPosted || m_hWnd == nullptr || m_watchMessages.fullRefresh == 0)
        return;
    m_bFullRefreshPosted = TRUE;
    PostMessage(m_watchMessages.fullRefresh, 0, 0);
}

LONG CWatchControl::SymbolIndexOf(HTREEITEM item)
{
    IQelCommVariableObj *variable = VariableOf(item);
    LONG index = 0;
    if (variable == nullptr || FAILED(variable->GetSymbolId(&index)))
        return 0;
    return index;
}

BOOL CWatchControl::InVarEdList(LONG symbolIndex) const
{
    for (INT_PTR i = 0; i < m_varEd.GetSize(); ++i)
        if (m_varEd[i].Kind == kVarEdVariable && m_varEd[i].Data == symbolIndex)
            return TRUE;
    return FALSE;
}

static BOOL SynchronizeFlag(IUnknown *debugServer, tagSynchronizeFunction function)
{
    CComQIPtr<IQelSymbSrv> server(debugServer);
    if (server == nullptr)
        return FALSE;
    // The answer is a number in the pointer's place, not an interface.
    IUnknown *flag = nullptr;
    if (FAILED(server->Synchronize(function, &flag)))
        return FALSE;
    return reinterpret_cast<INT_PTR>(flag) == 1;
}

BOOL CWatchControl::IsVarEdOn()
{
    return SynchronizeFlag(m_pDbgSrv, SYF_GET_VARED);
}

BOOL CWatchControl::IsGlobalVarEdOn()
{
    return SynchronizeFlag(m_pDbgSrv, SYF_GET_GLOBAL_VARED);
}

void CWatchControl::MarkVarEd(HTREEITEM item)
{
    BOOL on = IsVarEdOn();
    for (HTREEITEM entry : Entries())
        if (item == nullptr || entry == item)
            SetItemState(entry, on && InVarEdList(SymbolIndexOf(entry)) ? TVIS_BOLD : 0, TVIS_BOLD);
}

LONG CWatchControl::AddWatch(LPCSTR text)
{
    CheckedWatchText checked;
    HTREEITEM item = m_hNewVariable;
    if (item == nullptr || !CheckWatchText(text != nullptr ? text : "", &checked, nullptr))
        return 0;
    AddEntry(item, checked);
    return m_ids.IdOf(item);
}

BOOL CWatchControl::NewOrder(const VARIANT &ids)
{
    if (V_VT(&ids) != (VT_ARRAY | VT_I4) || V_ARRAY(&ids) == nullptr || SafeArrayGetDim(V_ARRAY(&ids)) != 1)
        return FALSE;
    SAFEARRAY *array = V_ARRAY(&ids);
    LONG low = 0, high = -1;
    SafeArrayGetLBound(array, 1, &low);
    SafeArrayGetUBound(array, 1, &high);
    // The rank of each entry named; unknown ids and the placeholder are passed over.
    std::map<HTREEITEM, LONG> rank;
    for (LONG i = low; i <= high; ++i) {
        LONG id = 0;
        if (FAILED(SafeArrayGetElement(array, &i, &id)))
            continue;
        HTREEITEM item = m_ids.Find(id);
        if (IsRootEntry(item) && rank.count(item) == 0)
            rank[item] = i - low;
    }
    std::vector<HTREEITEM> entries = Entries();
    std::vector<HTREEITEM> named;
    for (HTREEITEM item : entries)
        if (rank.count(item) != 0)
            named.push_back(item);
    std::stable_sort(named.begin(), named.end(), [&rank](HTREEITEM a, HTREEITEM b) { return rank[a] < rank[b]; });
    // Named entries take the places of named entries, in their new order; the others stay.
    size_t next = 0;
    std::vector<HTREEITEM> order;
    for (HTREEITEM item : entries)
        order.push_back(rank.count(item) != 0 ? named[next++] : item);
    HTREEITEM after = TVI_FIRST;
    for (HTREEITEM item : order) {
        if (!MoveItem(item, TVI_ROOT, FALSE, after))
            return FALSE;
        after = item;
    }
    Invalidate(FALSE);
    Save();
    return TRUE;
}

void CWatchControl::DeleteWatch(LONG symbolIndex)
{
    for (HTREEITEM item : Entries()) {
        if (VariableOf(item) != nullptr && SymbolIndexOf(item) == symbolIndex) {
            DeleteEntry(item);
            Save();
            return;
        }
    }
}

void CWatchControl::ChangeWatch(LPCSTR text, LONG id)
{
    HTREEITEM item = m_ids.Find(id);
    CheckedWatchText checked;
    if (!IsRootEntry(item) || !CheckWatchText(text != nullptr ? text : "", &checked, item))
        return;
    AddEntry(item, checked);
}

void CWatchControl::AddWatchSymbol(LONG symbolIndex)
{
    if (symbolIndex == 0) {
        m_pending.clear();
        return;
    }
    m_hContextItem = m_hNewVariable;
    OnBrowserChoice(symbolIndex);
}

void CWatchControl::OnBrowserChoice(LONG symbolIndex)
{
    if (symbolIndex == -1 || m_pSymProc == nullptr)
        return;
    for (HTREEITEM item : Entries()) {
        if (VariableOf(item) == nullptr || SymbolIndexOf(item) != symbolIndex)
            continue;
        CString label;
        CComBSTR browserLabel;
        if (m_pWatchBrowser != nullptr && SUCCEEDED(m_pWatchBrowser->get_Label(&browserLabel)))
            label = CString(browserLabel.m_str);
        CString message = "Variable already in Watch window";
        if (!label.IsEmpty())
            message.Format("\"%s\" already in Watch window", static_cast<LPCSTR>(label));
        LONG dialog = 0;
        HWND owner = m_hWnd;
        if (m_pWatchBrowser != nullptr && SUCCEEDED(m_pWatchBrowser->get_DialogWindow(&dialog)) && dialog != 0)
            owner = reinterpret_cast<HWND>(static_cast<INT_PTR>(dialog));
        MessageBoxA(owner, message, kInputCheck, MB_OK);
        return;
    }
    HTREEITEM item = m_hContextItem != nullptr && GetParentItem(m_hContextItem) == nullptr ? m_hContextItem
                                                                                           : m_hNewVariable;
    if (item == nullptr)
        return;
    int request = m_pSymProc->RequestVariableByIndex(symbolIndex, Requester());
    if (request == 0) {
        NoteRefusedRequest("the request of a symbol");
        return;
    }
    Remember(request, item);
    m_pSymProc->RegisterVariablesRawCallbackWithId(request, OnVariables, reinterpret_cast<DWORD_PTR>(this));
}

void CWatchControl::VarEdChanged()
{
    MarkVarEd(nullptr);
    RefreshEntries();
}

void CWatchControl::RefreshEntries()
{
    OnRefresh();
    Invalidate(FALSE);
}
