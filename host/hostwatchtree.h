// The host's watch or locals tree as the system's variable code fills it through
// IQelCommonWatch: it shows nothing, but keeps its items and records every call in
// order, for tests and qelhost to read.
//
// Handles come from a counter (the first item is 1; 0 is the root); every method
// answers S_OK, as the controls' do. Each item holds a reference on its param.
#pragma once

#include <atlbase.h>
#include <qelcommonwatch.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace QelHost {

enum class WatchMethod { InsertItem, ChangeItem, CalculateItem, SetItemText, GetItemText, DeleteItem, InsertItemBatch };

// One call. `item` is the item the call is about (the new one for inserts, the parent
// given for a batch's end); `function`, `mode` and `value` are CalculateItem's and
// InsertItemBatch's numbers as passed.
struct WatchCall {
    WatchMethod method;
    LONG item = 0;
    LONG function = 0;
    LONG mode = 0;
    LONG value = 0;
    std::string name;
    LONG type = 0;
    LONG children = 0;
    IUnknown *param = nullptr; // for comparison only; the item holds the reference
};

struct WatchItem {
    LONG parent = 0;
    std::string name;
    LONG type = 0;
    LONG children = 0;
    CComPtr<IUnknown> param;
};

class CHostWatchTree : public CComObjectRootEx<CComMultiThreadModel>, public IQelCommonWatch {
public:
    BEGIN_COM_MAP(CHostWatchTree)
        COM_INTERFACE_ENTRY(IQelCommonWatch)
    END_COM_MAP()

    void FinalRelease();

    std::vector<WatchCall> Calls() const;
    // The items by handle, and the parent's children in the order they came.
    std::map<LONG, WatchItem> Items() const;
    std::vector<LONG> Children(LONG parent) const;
    void ClearCalls();

    STDMETHODIMP InsertItem(BSTR name, LONG type, LONG children, IUnknown *param, LONG *pItem) override;
    STDMETHODIMP ChangeItem(BSTR name, LONG type, LONG children, IUnknown *param, LONG item, LONG *pNewItem) override;
    STDMETHODIMP CalculateItem(LONG item, LONG function, LONG mode, LONG value) override;
    STDMETHODIMP SetItemText(LONG item) override;
    STDMETHODIMP GetItemText(LONG item, BSTR *pText) override;
    STDMETHODIMP DeleteItem(LONG item) override;
    STDMETHODIMP InsertItemBatch(LONG function, BSTR name, LONG type, LONG childrenOrParent, IUnknown *param,
                                 VARIANT *pOut) override;

private:
    LONG AddItem(LONG parent, const std::string &name, LONG type, LONG children, IUnknown *param);
    void Record(WatchCall call);

    mutable std::mutex m_lock;
    LONG m_lastHandle = 0;
    std::map<LONG, WatchItem> m_items;
    std::vector<LONG> m_order; // handles in the order they were made
    std::vector<WatchCall> m_calls;
    std::vector<WatchItem> m_batch;
};

} // namespace QelHost
