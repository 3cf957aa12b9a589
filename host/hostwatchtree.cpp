#include "hostwatchtree.h"

#include <afx.h>
#include <qelcommvariable.h>
#include <tagtransfer.h>

#include <algorithm>

namespace QelHost {

namespace {

std::string Text(BSTR name)
{
    return name != nullptr ? std::string(CString(name)) : std::string();
}

} // namespace

void CHostWatchTree::FinalRelease()
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_items.clear();
    m_batch.clear();
}

std::vector<WatchCall> CHostWatchTree::Calls() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_calls;
}

std::map<LONG, WatchItem> CHostWatchTree::Items() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_items;
}

std::vector<LONG> CHostWatchTree::Children(LONG parent) const
{
    std::lock_guard<std::mutex> hold(m_lock);
    std::vector<LONG> children;
    for (LONG handle : m_order) {
        auto found = m_items.find(handle);
        if (found != m_items.end() && found->second.parent == parent)
            children.push_back(handle);
    }
    return children;
}

void CHostWatchTree::ClearCalls()
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_calls.clear();
}

void CHostWatchTree::Record(WatchCall call)
{
    m_calls.push_back(std::move(call));
}

LONG CHostWatchTree::AddItem(LONG parent, const std::string &name, LONG type, LONG children, IUnknown *param)
{
    LONG handle = ++m_lastHandle;
    WatchItem &item = m_items[handle];
    item.parent = parent;
    item.name = name;
    item.type = type;
    item.children = children;
    item.param = param;
    m_order.push_back(handle);
    return handle;
}

STDMETHODIMP CHostWatchTree::InsertItem(BSTR name, LONG type, LONG children, IUnknown *param, LONG *pItem)
{
    std::lock_guard<std::mutex> hold(m_lock);
    LONG parent = pItem != nullptr ? *pItem : 0;
    LONG handle = AddItem(parent, Text(name), type, children, param);
    if (pItem != nullptr)
        *pItem = handle;
    Record({WatchMethod::InsertItem, handle, 0, 0, parent, Text(name), type, children, param});
    return S_OK;
}

STDMETHODIMP CHostWatchTree::ChangeItem(BSTR name, LONG type, LONG children, IUnknown *param, LONG item,
                                        LONG *pNewItem)
{
    std::lock_guard<std::mutex> hold(m_lock);
    auto found = m_items.find(item);
    if (found != m_items.end()) {
        found->second.name = Text(name);
        found->second.type = type;
        found->second.children = children;
        found->second.param = param;
    }
    if (pNewItem != nullptr)
        *pNewItem = item;
    Record({WatchMethod::ChangeItem, item, 0, 0, 0, Text(name), type, children, param});
    return S_OK;
}

STDMETHODIMP CHostWatchTree::CalculateItem(LONG item, LONG function, LONG mode, LONG value)
{
    std::lock_guard<std::mutex> hold(m_lock);
    Record({WatchMethod::CalculateItem, item, function, mode, value, {}, 0, 0, nullptr});
    m_pending.push_back({item, function, mode, value});
    return S_OK;
}

void CHostWatchTree::SetSymbols(IQelSymbol *symbols)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_symbols = symbols;
}

size_t CHostWatchTree::RunPending()
{
    size_t run = 0;
    for (;;) {
        Work work;
        {
            std::lock_guard<std::mutex> hold(m_lock);
            if (m_pending.empty())
                return run;
            work = m_pending.front();
            m_pending.erase(m_pending.begin());
        }
        Run(work);
        ++run;
    }
}

void CHostWatchTree::Run(const Work &work)
{
    CComPtr<IUnknown> param;
    CComPtr<IQelSymbol> symbols;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        auto found = m_items.find(work.item);
        if (found != m_items.end())
            param = found->second.param;
        symbols = m_symbols;
    }
    CComQIPtr<IQelCommVariableObj> object(param);
    if (object == nullptr)
        return;
    if (work.function == 0) {
        CComQIPtr<IQelUniCommStub>(param)->Refresh(1);
        return;
    }
    if (symbols == nullptr)
        return;
    int id = 0; // synchronous
    VARIANT names, values;
    VariantInit(&names);
    VariantInit(&values);
    if (work.function == 1 && SUCCEEDED(symbols->MembersOfType(work.value, &id)) && id != 0 &&
        SUCCEEDED(symbols->GetMembers(id, &names, &values))) {
        object->AddMembers(work.item, names, values);
    } else if (work.function == 2 && SUCCEEDED(symbols->FunctionByAddress(work.mode, work.value, &id)) && id != 0 &&
               SUCCEEDED(symbols->GetFunctions(id, &names, &values))) {
        CArray<FunctionTag, FunctionTag &> functions;
        if (SUCCEEDED(UnpackTagRecords(names, values, functions)) && functions.GetSize() > 0)
            object->SetItemString(work.item, 1, CComBSTR(functions[0].Name));
    }
    FreeTransferVariant(&names);
    FreeTransferVariant(&values);
}

STDMETHODIMP CHostWatchTree::SetItemText(LONG item)
{
    std::lock_guard<std::mutex> hold(m_lock);
    Record({WatchMethod::SetItemText, item, 0, 0, 0, {}, 0, 0, nullptr});
    return S_OK;
}

STDMETHODIMP CHostWatchTree::GetItemText(LONG item, BSTR *pText)
{
    std::lock_guard<std::mutex> hold(m_lock);
    Record({WatchMethod::GetItemText, item, 0, 0, 0, {}, 0, 0, nullptr});
    if (pText != nullptr) {
        auto found = m_items.find(item);
        *pText = found != m_items.end() ? CString(found->second.name.c_str()).AllocSysString() : nullptr;
    }
    return S_OK;
}

STDMETHODIMP CHostWatchTree::DeleteItem(LONG item)
{
    std::vector<CComPtr<IUnknown>> released; // let go of outside the lock
    {
        std::lock_guard<std::mutex> hold(m_lock);
        Record({WatchMethod::DeleteItem, item, 0, 0, 0, {}, 0, 0, nullptr});
        std::vector<LONG> doomed{item};
        for (size_t i = 0; i < doomed.size(); ++i)
            for (const auto &[handle, entry] : m_items)
                if (entry.parent == doomed[i])
                    doomed.push_back(handle);
        for (LONG handle : doomed) {
            auto found = m_items.find(handle);
            if (found == m_items.end())
                continue;
            released.push_back(found->second.param);
            m_items.erase(found);
        }
        m_order.erase(std::remove_if(m_order.begin(), m_order.end(),
                                     [this](LONG handle) { return m_items.count(handle) == 0; }),
                      m_order.end());
    }
    return S_OK;
}

STDMETHODIMP CHostWatchTree::InsertItemBatch(LONG function, BSTR name, LONG type, LONG childrenOrParent,
                                             IUnknown *param, VARIANT *pOut)
{
    std::lock_guard<std::mutex> hold(m_lock);
    Record({WatchMethod::InsertItemBatch, function == 2 ? childrenOrParent : 0, function, 0, 0, Text(name), type,
            childrenOrParent, param});
    if (function == 0) {
        m_batch.clear();
        m_batch.reserve(static_cast<size_t>(std::clamp<LONG>(childrenOrParent, 0, 4096)));
    } else if (function == 1) {
        WatchItem item;
        item.name = Text(name);
        item.type = type;
        item.children = childrenOrParent;
        item.param = param;
        m_batch.push_back(std::move(item));
    } else if (function == 2 && pOut != nullptr) {
        SAFEARRAY *handles = SafeArrayCreateVector(VT_I4, 0, static_cast<ULONG>(m_batch.size()));
        VariantInit(pOut);
        if (handles != nullptr) {
            for (LONG i = 0; i < static_cast<LONG>(m_batch.size()); ++i) {
                const WatchItem &item = m_batch[i];
                LONG handle = AddItem(childrenOrParent, item.name, item.type, item.children, item.param);
                SafeArrayPutElement(handles, &i, &handle);
            }
            pOut->vt = VT_ARRAY | VT_I4;
            pOut->parray = handles;
        }
        m_batch.clear();
    }
    return S_OK;
}

} // namespace QelHost
