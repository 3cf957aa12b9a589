// The items of the watch and locals trees as the variable code makes them, their texts,
// their expansion and the in-place change of a value.
#include "commonwatchcontrol.h"

#include "talvixstrings.h"

#include <qelcommvariable.h>

#include <algorithm>
#include <cstring>

namespace {

const char kNewVariable[] = "<new variable>";
// Members asked of the batch beyond this are not reserved up front, only grown into.
const LONG kReservedBatchLimit = 4096;

enum BatchFunction : LONG { kBatchBegin = 0, kBatchAdd = 1, kBatchCommit = 2, kBatchReset = 4 };
enum CalculateFunction : LONG { kCalculateWrite = 0, kCalculateMembers = 1, kCalculateFunction = 2 };
enum ItemStringCode : LONG { kStringValue = 1, kStringDisplay = 10 };

void CopyOut(LPSTR buffer, int size, LPCSTR text)
{
    if (buffer == nullptr || size <= 0)
        return;
    // As the platform's copies go: at most the buffer less one, always ended.
    size_t length = std::min(std::strlen(text), static_cast<size_t>(size - 1));
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
}

CString ItemString(IQelCommVariableObj *variable, LONG item, LONG code)
{
    CComBSTR text;
    if (variable == nullptr || FAILED(variable->GetItemString(item, code, &text)))
        return CString();
    return CString(text.m_str);
}

} // namespace

int CCommonWatchControl::ImageOfType(LONG type)
{
    switch (static_cast<ULONG>(type)) {
    case 0: case 2: case 7: case 9: case 12: case 0x40000000: case 0x40000002: case 0x40000007:
        return 0;
    case 3: case 0x40000003:
        return 1;
    case 5: case 6: case 8: case 0x40000005: case 0x40000006: case 0x40000008:
        return 2;
    case 4: case 0x40000004:
        return 3;
    case 14:
        return 4;
    default:
        return static_cast<int>(type);
    }
}

IQelCommVariableObj *CCommonWatchControl::VariableOf(HTREEITEM item)
{
    if (item == nullptr || LiveNode(item) == nullptr)
        return nullptr;
    return reinterpret_cast<IQelCommVariableObj *>(GetItemData(item));
}

HTREEITEM CCommonWatchControl::InsertWatchItem(HTREEITEM parent, LONG type, LONG children, IUnknown *param)
{
    TV_INSERTSTRUCT insert{};
    insert.hParent = parent != nullptr ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
    insert.item.pszText = LPSTR_TEXTCALLBACKA;
    insert.item.iImage = insert.item.iSelectedImage = ImageOfType(type);
    insert.item.cChildren = children;
    // The item holds the object as the interface it was given as: the variable code
    // hands its IQelCommVariableObj.
    insert.item.lParam = reinterpret_cast<LPARAM>(param);
    HTREEITEM item = DrawnTreeBaseC::InsertItem(&insert);
    if (item == nullptr)
        return nullptr;
    HoldObject(param);
    m_ids.Add(item);
    return item;
}

HRESULT CCommonWatchControl::InsertItem(BSTR, LONG type, LONG children, IUnknown *param, LONG *item)
{
    if (item == nullptr)
        return E_POINTER;
    HTREEITEM parent = nullptr;
    if (*item != 0 && (parent = m_ids.Find(*item)) == nullptr)
        return E_INVALIDARG;
    HTREEITEM inserted = InsertWatchItem(parent, type, children, param);
    if (inserted == nullptr)
        return E_FAIL;
    *item = m_ids.IdOf(inserted);
    return S_OK;
}

HRESULT CCommonWatchControl::ChangeItem(BSTR, LONG, LONG, IUnknown *, LONG item, LONG *)
{
    return item == 0 || m_ids.Find(item) != nullptr ? S_OK : E_INVALIDARG;
}

HRESULT CCommonWatchControl::CalculateItem(LONG item, LONG function, LONG mode, LONG value)
{
    HTREEITEM target = m_ids.Find(item);
    IQelCommVariableObj *variable = VariableOf(target);
    if (variable == nullptr)
        return E_INVALIDARG;
    int requester = static_cast<int>(reinterpret_cast<INT_PTR>(m_hWnd));
    switch (function) {
    case kCalculateWrite:
        UpdateObject(variable, 1);
        return S_OK;
    case kCalculateMembers:
        if (m_pSymProc != nullptr) {
            int request = m_pSymProc->RequestMembersOfType(value, requester);
            Remember(request, target);
            m_pSymProc->RegisterMembersRawCallbackWithId(request, OnMembers, reinterpret_cast<DWORD_PTR>(this));
        }
        return S_OK;
    case kCalculateFunction:
        if (m_pSymProc != nullptr) {
            int request = m_pSymProc->RequestFunctionByAddress(mode, value, requester);
            Remember(request, target);
            m_pSymProc->RegisterFunctionsCallbackWithId(request, OnFunction, reinterpret_cast<DWORD_PTR>(this));
        }
        return S_OK;
    default:
        return E_INVALIDARG;
    }
}

void CCommonWatchControl::OnMembers(int requestId, VARIANT *names, VARIANT *numbers, DWORD_PTR context, int)
{
    auto *self = reinterpret_cast<CCommonWatchControl *>(context);
    HTREEITEM item = self->TakePending(requestId);
    IQelCommVariableObj *variable = self->VariableOf(item);
    if (variable == nullptr || names == nullptr || numbers == nullptr)
        return;
    // The object may be released by what the tree does with its new items.
    CComPtr<IQelCommVariableObj> hold(variable);
    if (FAILED(hold->AddMembers(self->m_ids.IdOf(item), *names, *numbers)) || self->LiveNode(item) == nullptr)
        return;
    self->ApplyOptions(self->GetChildItem(item));
    self->Expand(item, TVE_EXPAND);
}

void CCommonWatchControl::OnFunction(int requestId, CFunctionTagArray *functions, DWORD_PTR context)
{
    auto *self = reinterpret_cast<CCommonWatchControl *>(context);
    HTREEITEM item = self->TakePending(requestId);
    IQelCommVariableObj *variable = self->VariableOf(item);
    if (variable == nullptr || functions == nullptr || functions->GetSize() == 0)
        return;
    CComBSTR name((*functions)[0].Name);
    variable->SetItemString(self->m_ids.IdOf(item), 1, name);
    self->RedrawItem(item);
}

HRESULT CCommonWatchControl::SetItemText(LONG item)
{
    if (item == 0) {
        Invalidate(FALSE);
        return S_OK;
    }
    HTREEITEM target = m_ids.Find(item);
    if (target == nullptr)
        return E_INVALIDARG;
    RedrawItem(target);
    return S_OK;
}

HRESULT CCommonWatchControl::GetItemText(LONG item, BSTR *text)
{
    if (text == nullptr)
        return E_POINTER;
    *text = nullptr;
    HTREEITEM target = m_ids.Find(item);
    if (target == nullptr)
        return E_INVALIDARG;
    *text = DrawnTreeBaseC::GetItemText(target).AllocSysString();
    return S_OK;
}

HRESULT CCommonWatchControl::InsertItemBatch(LONG function, BSTR, LONG type, LONG childrenOrParent, IUnknown *param,
                                             VARIANT *values)
{
    switch (function) {
    case kBatchBegin:
        m_batch.clear();
        m_batch.reserve(static_cast<size_t>(std::clamp<LONG>(childrenOrParent, 0, kReservedBatchLimit)));
        return S_OK;
    case kBatchAdd: {
        // More records than were announced simply grow the batch.
        BatchRecord record;
        record.type = type;
        record.children = childrenOrParent;
        record.param = param;
        m_batch.push_back(record);
        return S_OK;
    }
    case kBatchCommit:
        break;
    case kBatchReset: {
        HTREEITEM item = m_ids.Find(childrenOrParent);
        if (item == nullptr)
            return E_INVALIDARG;
        Expand(item, TVE_COLLAPSE | TVE_COLLAPSERESET);
        return S_OK;
    }
    default:
        return E_INVALIDARG;
    }
    if (values == nullptr)
        return E_POINTER;
    VariantInit(values);
    std::vector<BatchRecord> batch;
    batch.swap(m_batch);
    HTREEITEM parent = nullptr;
    if (childrenOrParent != 0 && (parent = m_ids.Find(childrenOrParent)) == nullptr)
        return E_INVALIDARG;
    SAFEARRAYBOUND bound = {static_cast<ULONG>(batch.size()), 0};
    SAFEARRAY *handles = SafeArrayCreate(VT_I4, 1, &bound);
    if (handles == nullptr)
        return S_OK; // VT_EMPTY: no room for the handles
    LONG *slots = nullptr;
    SafeArrayAccessData(handles, reinterpret_cast<void **>(&slots));
    std::vector<HTREEITEM> made;
    BOOL redraw = GetRedraw();
    SetRedraw(FALSE);
    for (const BatchRecord &record : batch) {
        HTREEITEM item = InsertWatchItem(parent, record.type, record.children, record.param);
        if (item == nullptr)
            break;
        slots[made.size()] = m_ids.IdOf(item);
        made.push_back(item);
    }
    SafeArrayUnaccessData(handles);
    if (made.size() != batch.size()) {
        // A part of a batch would hang the rest of the caller's children elsewhere.
        for (HTREEITEM item : made)
            DrawnTreeBaseC::DeleteItem(item);
        SetRedraw(redraw);
        SafeArrayDestroy(handles);
        return E_FAIL;
    }
    SetRedraw(redraw);
    V_VT(values) = VT_ARRAY | VT_I4;
    V_ARRAY(values) = handles;
    return S_OK;
}

void CCommonWatchControl::NotifyItemDeleted(HTREEITEM item)
{
    DrawnTreeCtrl::NotifyItemDeleted(item);
    IUnknown *object = reinterpret_cast<IUnknown *>(GetItemData(item));
    for (auto pending = m_pending.begin(); pending != m_pending.end();) {
        if (pending->second == item)
            pending = m_pending.erase(pending);
        else
            ++pending;
    }
    m_ids.Remove(item);
    if (m_hContextItem == item)
        m_hContextItem = nullptr;
    if (m_hNewVariable == item)
        m_hNewVariable = nullptr;
    if (m_hTipItem == item)
        m_hTipItem = nullptr;
    DropObject(object);
}

LRESULT CCommonWatchControl::NotifyItemGetDispInfo(TV_ITEM *item)
{
    if ((item->mask & TVIF_TEXT) == 0)
        return 0;
    IQelCommVariableObj *variable = VariableOf(item->hItem);
    if (variable == nullptr)
        CopyOut(item->pszText, item->cchTextMax, kNewVariable);
    else
        CopyOut(item->pszText, item->cchTextMax, ItemString(variable, m_ids.IdOf(item->hItem), kStringDisplay));
    return 0;
}

LRESULT CCommonWatchControl::NotifyGetDispInfo(LVITEMA *item)
{
    if (item->iSubItem != 1 || (item->mask & LVIF_TEXT) == 0)
        return 0;
    HTREEITEM node = reinterpret_cast<HTREEITEM>(NodeOfRow(item->iItem));
    IQelCommVariableObj *variable = VariableOf(node);
    if (variable != nullptr) {
        CopyOut(item->pszText, item->cchTextMax, ItemString(variable, m_ids.IdOf(node), kStringValue));
        return 0;
    }
    CString name = node != nullptr ? DrawnTreeBaseC::GetItemText(node) : CString();
    CString notFound;
    if (!name.IsEmpty() && name != kNewVariable)
        notFound.LoadString(IDS_WATCH_NOT_FOUND);
    CopyOut(item->pszText, item->cchTextMax, notFound);
    return 0;
}

LRESULT CCommonWatchControl::NotifyItemExpanding(HTREEITEM item, UINT code)
{
    IQelCommVariableObj *variable = VariableOf(item);
    if (variable == nullptr)
        return 0;
    LONG id = m_ids.IdOf(item);
    if ((code & TVE_EXPAND) == 0) {
        variable->SetExpanded(id, 0);
        return 0;
    }
    LONG type = -1;
    if (FAILED(variable->GetBaseType(id, &type)))
        type = -1;
    if (type != -1 && m_pSymProc != nullptr) {
        // The item opens when its members have come.
        int requester = static_cast<int>(reinterpret_cast<INT_PTR>(m_hWnd));
        int request = m_pSymProc->RequestMembersOfType(type, requester);
        if (request != 0) {
            Remember(request, item);
            m_pSymProc->RegisterMembersRawCallbackWithId(request, OnMembers, reinterpret_cast<DWORD_PTR>(this));
            return 1;
        }
    }
    variable->SetExpanded(id, 1);
    UpdateObject(variable, 0);
    return 0;
}

LRESULT CCommonWatchControl::NotifyBeginLabelEdit(int row, int subItem)
{
    HTREEITEM item = reinterpret_cast<HTREEITEM>(NodeOfRow(row));
    if (subItem == 1)
        return VariableOf(item) != nullptr ? 0 : 1;
    NMTVDISPINFOA info{};
    FillNotifyItem(LiveNode(item), &info.item);
    return OnBeginLabelEdit(&info);
}

LRESULT CCommonWatchControl::NotifyEndLabelEdit(int row, int subItem, CString *text, BOOL confirmed)
{
    HTREEITEM item = reinterpret_cast<HTREEITEM>(NodeOfRow(row));
    if (subItem != 1) {
        NMTVDISPINFOA info{};
        FillNotifyItem(LiveNode(item), &info.item);
        CString edited = text != nullptr ? *text : CString();
        info.item.pszText = confirmed && text != nullptr ? const_cast<LPSTR>(static_cast<LPCSTR>(edited)) : nullptr;
        OnEndLabelEdit(&info);
        return 0;
    }
    IQelCommVariableObj *variable = VariableOf(item);
    // An empty text changes nothing: no value comes of it.
    if (!confirmed || text == nullptr || text->IsEmpty() || variable == nullptr)
        return 0;
    CComPtr<IQelCommVariableObj> hold(variable);
    LONG id = m_ids.IdOf(item);
    CComBSTR value(*text);
    hold->SetItemString(id, 1, value);
    hold->UpdateItemText(id);
    UpdateObject(hold, 1);
    UpdateObject(hold, 0);
    return 0;
}
