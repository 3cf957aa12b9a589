#include "hostcfgprofile.h"

namespace QelHost {

namespace {

std::u16string Folded(LPCOLESTR text)
{
    std::u16string folded;
    for (; *text != 0; text++)
        folded.push_back(*text >= u'a' && *text <= u'z' ? static_cast<char16_t>(*text - u'a' + u'A') : *text);
    return folded;
}

} // namespace

LONG CHostCfgProfile::Find(const std::u16string &section, const std::u16string &entry) const
{
    for (size_t i = 0; i < m_items.size(); i++) {
        if (m_items[i].section == section && m_items[i].entry == entry)
            return static_cast<LONG>(i + 1);
    }
    return 0;
}

CHostCfgProfile::Item *CHostCfgProfile::ItemOf(LONG handle)
{
    if (handle < 1 || static_cast<size_t>(handle) > m_items.size())
        return nullptr;
    return &m_items[static_cast<size_t>(handle) - 1];
}

HRESULT CHostCfgProfile::Store(Item &item, const VARIANT &value)
{
    CComVariant converted;
    HRESULT hr = item.type == VT_EMPTY ? converted.Copy(&value) : converted.ChangeType(item.type, &value);
    if (FAILED(hr))
        return DISP_E_TYPEMISMATCH;
    item.value = converted;
    return S_OK;
}

HRESULT CHostCfgProfile::SetItem(LPCOLESTR section, LPCOLESTR entry, const VARIANT &value)
{
    if (section == nullptr || entry == nullptr)
        return E_INVALIDARG;
    HRESULT hr = S_OK;
    {
        std::lock_guard<std::mutex> hold(m_itemLock);
        LONG handle = Find(Folded(section), Folded(entry));
        if (handle == 0) {
            m_items.push_back({Folded(section), Folded(entry), value.vt, CComVariant()});
            handle = static_cast<LONG>(m_items.size());
        }
        hr = Store(*ItemOf(handle), value);
    }
    if (SUCCEEDED(hr))
        Fire(QELCFG_EVENT_MODIFIED);
    return hr;
}

HRESULT CHostCfgProfile::GetItem(LPCOLESTR section, LPCOLESTR entry, VARIANT *value)
{
    if (section == nullptr || entry == nullptr)
        return E_INVALIDARG;
    if (value == nullptr)
        return E_POINTER;
    std::lock_guard<std::mutex> hold(m_itemLock);
    Item *item = ItemOf(Find(Folded(section), Folded(entry)));
    if (item == nullptr)
        return E_INVALIDARG;
    return VariantCopy(value, &item->value);
}

void CHostCfgProfile::Reset()
{
    Fire(QELCFG_EVENT_RESET);
}

void CHostCfgProfile::Fire(ULONG code)
{
    // The sinks are taken under the object's lock and called without it, so that a sink
    // may call the profile, or unadvise, while it hears the event.
    std::vector<IDispatch *> sinks;
    Lock();
    try {
        for (IUnknown **sink = m_vec.begin(); sink < m_vec.end(); sink++) {
            if (*sink) {
                // The point holds what the sink gave for the dispinterface.
                sinks.push_back(reinterpret_cast<IDispatch *>(*sink));
                (*sink)->AddRef();
            }
        }
    } catch (...) {
        Unlock();
        for (IDispatch *sink : sinks)
            sink->Release();
        throw;
    }
    Unlock();
    VARIANT argument;
    VariantInit(&argument);
    argument.vt = VT_UI4;
    argument.ulVal = code;
    DISPPARAMS params = {&argument, nullptr, 1, 0};
    for (IDispatch *sink : sinks) {
        sink->Invoke(DISPID_QELCFG_PROFILE_EVENT, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
        sink->Release();
    }
}

void CHostCfgProfile::SetLoadFiresValid(bool fires)
{
    std::lock_guard<std::mutex> hold(m_itemLock);
    m_loadFiresValid = fires;
}

ULONG CHostCfgProfile::Loads() const
{
    std::lock_guard<std::mutex> hold(m_itemLock);
    return m_loads;
}

ULONG CHostCfgProfile::Stores() const
{
    std::lock_guard<std::mutex> hold(m_itemLock);
    return m_stores;
}

STDMETHODIMP CHostCfgProfile::Store()
{
    std::function<HRESULT()> keeper;
    {
        std::lock_guard<std::mutex> hold(m_itemLock);
        m_stores++;
        keeper = m_keeper;
    }
    return keeper ? keeper() : S_OK;
}

void CHostCfgProfile::SetKeeper(std::function<HRESULT()> keeper)
{
    std::lock_guard<std::mutex> hold(m_itemLock);
    m_keeper = std::move(keeper);
}

std::vector<CHostCfgProfile::ItemValue> CHostCfgProfile::Values() const
{
    std::lock_guard<std::mutex> hold(m_itemLock);
    std::vector<ItemValue> values;
    for (const Item &item : m_items)
        values.push_back({item.section, item.entry, item.value});
    return values;
}

STDMETHODIMP CHostCfgProfile::GetTypeInfoCount(UINT *pctinfo)
{
    if (pctinfo == nullptr)
        return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

STDMETHODIMP CHostCfgProfile::OpenItem(BSTR section, BSTR entry, VARIANT *pValue, LONG *pHandle)
{
    if (pHandle != nullptr)
        *pHandle = 0;
    if (section == nullptr || entry == nullptr)
        return E_INVALIDARG;
    if (pValue == nullptr || pHandle == nullptr)
        return E_POINTER;
    std::lock_guard<std::mutex> hold(m_itemLock);
    LONG handle = Find(Folded(section), Folded(entry));
    if (handle == 0) {
        m_items.push_back({Folded(section), Folded(entry), pValue->vt, CComVariant(*pValue)});
        *pHandle = static_cast<LONG>(m_items.size());
        return S_OK;
    }
    HRESULT hr = VariantCopy(pValue, &ItemOf(handle)->value);
    if (SUCCEEDED(hr))
        *pHandle = handle;
    return hr;
}

STDMETHODIMP CHostCfgProfile::GetValue(LONG handle, VARIANT *pValue)
{
    if (pValue == nullptr)
        return E_POINTER;
    VariantInit(pValue);
    std::lock_guard<std::mutex> hold(m_itemLock);
    Item *item = ItemOf(handle);
    if (item == nullptr)
        return E_INVALIDARG;
    return VariantCopy(pValue, &item->value);
}

STDMETHODIMP CHostCfgProfile::PutValue(LONG handle, VARIANT *pValue)
{
    if (pValue == nullptr)
        return E_POINTER;
    HRESULT hr = S_OK;
    {
        std::lock_guard<std::mutex> hold(m_itemLock);
        Item *item = ItemOf(handle);
        if (item == nullptr)
            return E_INVALIDARG;
        hr = Store(*item, *pValue);
    }
    if (SUCCEEDED(hr))
        Fire(QELCFG_EVENT_MODIFIED);
    return hr;
}

STDMETHODIMP CHostCfgProfile::Load()
{
    bool fires = false;
    {
        std::lock_guard<std::mutex> hold(m_itemLock);
        m_loads++;
        fires = m_loadFiresValid;
    }
    if (fires)
        Fire(QELCFG_EVENT_VALID);
    return S_OK;
}

void CHostCfgProfile::SetDebugServer(LPCOLESTR name, IUnknown *debugServer)
{
    CComPtr<IUnknown> old; // released after the lock is left
    std::lock_guard<std::mutex> hold(m_itemLock);
    auto found = m_debugServers.find(name);
    if (found != m_debugServers.end()) {
        old = found->second;
        m_debugServers.erase(found);
    }
    if (debugServer != nullptr)
        m_debugServers[name] = debugServer;
}

STDMETHODIMP CHostCfgProfile::GetDebugServer(BSTR name, IUnknown **ppDebugServer)
{
    if (ppDebugServer == nullptr)
        return E_POINTER;
    *ppDebugServer = nullptr;
    std::lock_guard<std::mutex> hold(m_itemLock);
    auto found = m_debugServers.find(std::u16string(name != nullptr ? name : u"", SysStringLen(name)));
    if (found == m_debugServers.end())
        return E_INVALIDARG;
    *ppDebugServer = found->second;
    (*ppDebugServer)->AddRef();
    return S_OK;
}

HRESULT CreateCfgProfile(CComObject<CHostCfgProfile> **ppProfile)
{
    if (ppProfile == nullptr)
        return E_POINTER;
    HRESULT hr = CComObject<CHostCfgProfile>::CreateInstance(ppProfile);
    if (SUCCEEDED(hr))
        (*ppProfile)->AddRef();
    return hr;
}

} // namespace QelHost
