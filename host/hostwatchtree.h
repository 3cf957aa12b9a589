// The host's watch or locals tree as the system's variable code fills it through
// IQelCommonWatch: it shows nothing, but keeps its items and records every call in
// order, for tests and qelhost to read.
//
// Handles come from a counter (the first item is 1; 0 is the root); every method
// answers S_OK, as the controls' do. Each item holds a reference on its param.
//
// CalculateItem does what the controls do, later, as their answers come later: 0 writes
// the item's object (Refresh(1)), 1 hands the members of the type `value` to the item's
// object, 2 makes the name of the function at (mode, value) the item's value text. The
// work waits until the host runs it (RunPending), after the call that asked for it.
#pragma once

#include <atlbase.h>
#include <qelcommonwatch.h>
#include <qelsymbol.h>

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

    // The symbol server that CalculateItem's requests go to, synchronously; without one
    // functions 1 and 2 do nothing.
    void SetSymbols(IQelSymbol *symbols);
    // Runs the work that CalculateItem queued, in order, with work queued meanwhile;
    // the number run.
    size_t RunPending();

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
    struct Work {
        LONG item, function, mode, value;
    };
    void Run(const Work &work);

    mutable std::mutex m_lock;
    LONG m_lastHandle = 0;
    std::map<LONG, WatchItem> m_items;
    std::vector<LONG> m_order; // handles in the order they were made
    std::vector<WatchCall> m_calls;
    std::vector<WatchItem> m_batch;
    std::vector<Work> m_pending;
    CComPtr<IQelSymbol> m_symbols;
};

} // namespace QelHost
