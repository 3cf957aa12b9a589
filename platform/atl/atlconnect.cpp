#include "atlconnect.h"

namespace {

// Cookies that mean something else to the system: 0 is "none", 0xFEFEFEFE the mark of a
// sink that is not advised.
bool IsReservedCookie(DWORD cookie)
{
    return cookie == 0 || cookie == 0xFEFEFEFEu;
}

// The point of `iid` of the object `pUnkCP`, with a reference.
HRESULT FindPoint(IUnknown *pUnkCP, const IID &iid, IConnectionPoint **point)
{
    *point = nullptr;
    if (!pUnkCP)
        return E_INVALIDARG;
    IConnectionPointContainer *container = nullptr;
    HRESULT hr = pUnkCP->QueryInterface(&container);
    if (FAILED(hr))
        return hr;
    hr = container->FindConnectionPoint(iid, point);
    container->Release();
    return hr;
}

} // namespace

HRESULT AtlAdvise(IUnknown *pUnkCP, IUnknown *pUnk, const IID &iid, LPDWORD pdw)
{
    if (pdw)
        *pdw = 0;
    IConnectionPoint *point = nullptr;
    HRESULT hr = FindPoint(pUnkCP, iid, &point);
    if (FAILED(hr))
        return hr;
    hr = point->Advise(pUnk, pdw);
    point->Release();
    return hr;
}

HRESULT AtlUnadvise(IUnknown *pUnkCP, const IID &iid, DWORD dw)
{
    IConnectionPoint *point = nullptr;
    HRESULT hr = FindPoint(pUnkCP, iid, &point);
    if (FAILED(hr))
        return hr;
    hr = point->Unadvise(dw);
    point->Release();
    return hr;
}

DWORD CComDynamicUnkArray::Add(IUnknown *pUnk)
{
    // A cookie that no live connection has; the count would have to wrap past every
    // one of them to come back to one in use.
    DWORD cookie = m_nextCookie;
    for (;;) {
        bool inUse = IsReservedCookie(cookie);
        for (size_t i = 0; !inUse && i < m_cookies.size(); i++)
            inUse = m_cookies[i] == cookie;
        if (!inUse)
            break;
        cookie++;
    }
    size_t slot = 0;
    while (slot < m_sinks.size() && m_sinks[slot] != nullptr)
        slot++;
    if (slot == m_sinks.size()) {
        try {
            m_sinks.reserve(slot + 1);
            m_cookies.reserve(slot + 1);
        } catch (const std::bad_alloc &) {
            return 0;
        }
        m_sinks.push_back(nullptr);
        m_cookies.push_back(0);
    }
    m_sinks[slot] = pUnk;
    m_cookies[slot] = cookie;
    m_nextCookie = cookie + 1;
    return cookie;
}

BOOL CComDynamicUnkArray::Remove(DWORD dwCookie)
{
    if (IsReservedCookie(dwCookie))
        return FALSE;
    for (size_t i = 0; i < m_cookies.size(); i++) {
        if (m_cookies[i] == dwCookie) {
            m_sinks[i] = nullptr;
            m_cookies[i] = 0;
            return TRUE;
        }
    }
    return FALSE;
}

IUnknown *CComDynamicUnkArray::GetUnknown(DWORD dwCookie) const
{
    if (IsReservedCookie(dwCookie))
        return nullptr;
    for (size_t i = 0; i < m_cookies.size(); i++) {
        if (m_cookies[i] == dwCookie)
            return m_sinks[i];
    }
    return nullptr;
}
