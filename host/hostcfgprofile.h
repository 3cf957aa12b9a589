// The host's configuration profile: items kept by section and entry name (blind to
// case), each with its type, its default and its value, offered as IQelCfgProfile2 with
// the events _QelCfgProfileEvents.
//
// An item comes into being when a client opens it, with the client's default as its
// value, or when the host sets it (as the user does in the host's options); its type is
// that of this first value, and every later value is converted to that type (a value
// that does not convert is refused). Handles are small numbers, checked on every call.
//
// It also names the host's debug-server objects (IQelDebugServerNames), so that a PCP
// debugger finds its main debugger; it holds a reference to each until it goes or the
// name is given another object.
//
// Events, to every advised sink: loading (slot 13) fires "valid", every change of a value
// "modified", and closing the profile "reset". They are fired with no lock held, so a
// sink may call the profile back.
#pragma once

#include <atlbase.h>
#include <hostinterfaces.h>
#include <qelcfgprofile.h>

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace QelHost {

class CHostCfgProfile : public CComObjectRootEx<CComMultiThreadModel>,
                        public IQelCfgProfile2,
                        public IQelDebugServerNames,
                        public IConnectionPointContainerImpl<CHostCfgProfile>,
                        public IConnectionPointImpl<CHostCfgProfile, &DIID__QelCfgProfileEvents> {
public:
    BEGIN_COM_MAP(CHostCfgProfile)
        COM_INTERFACE_ENTRY(IQelCfgProfile2)
        COM_INTERFACE_ENTRY(IDispatch)
        COM_INTERFACE_ENTRY(IConnectionPointContainer)
        COM_INTERFACE_ENTRY(IQelDebugServerNames)
    END_COM_MAP()

    BEGIN_CONNECTION_POINT_MAP(CHostCfgProfile)
        CONNECTION_POINT_ENTRY(DIID__QelCfgProfileEvents)
    END_CONNECTION_POINT_MAP()

    // The host's side. SetItem makes the item when there is none (with `value` as its
    // default) and fires "modified"; GetItem copies the value into *value, which it
    // clears first (E_INVALIDARG when there is no such item).
    HRESULT SetItem(LPCOLESTR section, LPCOLESTR entry, const VARIANT &value);
    HRESULT GetItem(LPCOLESTR section, LPCOLESTR entry, VARIANT *value);
    // Closes the profile, as the host does with its workspace: "reset" (the items stay).
    void Reset();
    // One event to every sink.
    void Fire(ULONG code);
    // A profile that loads without firing "valid", as a host whose loading fails.
    void SetLoadFiresValid(bool fires);
    // How often slot 13 was called.
    ULONG Loads() const;
    // How often slot 12 was called.
    ULONG Stores() const;
    // What slot 12 does after counting, as a host that keeps its profile in a file: its
    // answer is the slot's. Called with no lock held. NULL: nothing.
    void SetKeeper(std::function<HRESULT()> keeper);
    // Every item's value as it stands, in the order the items came.
    struct ItemValue {
        std::u16string section;
        std::u16string entry;
        CComVariant value;
    };
    std::vector<ItemValue> Values() const;
    // The debug-server object known by `name`; NULL forgets the name.
    void SetDebugServer(LPCOLESTR name, IUnknown *debugServer);

    // Late binding is not offered (no type information).
    STDMETHODIMP GetTypeInfoCount(UINT *pctinfo) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *, UINT *) override
    {
        return E_NOTIMPL;
    }

    // E_INVALIDARG for a null name, E_POINTER for a null pointer.
    STDMETHODIMP OpenItem(BSTR section, BSTR entry, VARIANT *pValue, LONG *pHandle) override;
    // E_INVALIDARG for a handle that names no item.
    STDMETHODIMP GetValue(LONG handle, VARIANT *pValue) override;
    // DISP_E_TYPEMISMATCH for a value that does not convert to the item's type.
    STDMETHODIMP PutValue(LONG handle, VARIANT *pValue) override;
    STDMETHODIMP Slot10() override { return E_NOTIMPL; }
    STDMETHODIMP Slot11() override { return E_NOTIMPL; }
    // Counted, then kept as SetKeeper says.
    STDMETHODIMP Store() override;
    STDMETHODIMP Load() override;

    // E_INVALIDARG and a null object for a name that is not known.
    STDMETHODIMP GetDebugServer(BSTR name, IUnknown **ppDebugServer) override;
    STDMETHODIMP Slot03() override { return E_NOTIMPL; }
    STDMETHODIMP Slot04() override { return E_NOTIMPL; }
    STDMETHODIMP Slot05() override { return E_NOTIMPL; }
    STDMETHODIMP Slot06() override { return E_NOTIMPL; }
    STDMETHODIMP Slot07() override { return E_NOTIMPL; }

private:
    struct Item {
        std::u16string section;
        std::u16string entry;
        VARTYPE type; // of the default; VT_EMPTY takes any value
        CComVariant value;
    };

    // The handle of the item, 0 when there is none; the lock is held.
    LONG Find(const std::u16string &section, const std::u16string &entry) const;
    // The item of a handle, or NULL; the lock is held.
    Item *ItemOf(LONG handle);
    // Stores a value converted to the item's type; the lock is held.
    HRESULT Store(Item &item, const VARIANT &value);

    mutable std::mutex m_itemLock;
    std::vector<Item> m_items; // handle n is m_items[n - 1]
    std::map<std::u16string, CComPtr<IUnknown>> m_debugServers;
    ULONG m_loads = 0;
    ULONG m_stores = 0;
    bool m_loadFiresValid = true;
    std::function<HRESULT()> m_keeper;
};

// A new profile with no items; the caller owns the one reference.
HRESULT CreateCfgProfile(CComObject<CHostCfgProfile> **ppProfile);

} // namespace QelHost
