#include "hostcontrollerinfo.h"

namespace QelHost {

STDMETHODIMP CHostControllerInfo::GetTypeInfoCount(UINT *pctinfo)
{
    if (pctinfo == nullptr)
        return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

STDMETHODIMP CHostControllerInfo::WordSize(LONG *pnBits)
{
    if (pnBits == nullptr)
        return E_POINTER;
    *pnBits = m_config.wordSize;
    return S_OK;
}

STDMETHODIMP CHostControllerInfo::CoreRegisters(VARIANT *pvRegisters)
{
    if (pvRegisters == nullptr)
        return E_POINTER;
    VariantInit(pvRegisters);
    SAFEARRAY *names = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(m_config.coreRegisters.size()));
    if (names == nullptr)
        return E_OUTOFMEMORY;
    for (LONG i = 0; i < static_cast<LONG>(m_config.coreRegisters.size()); ++i) {
        CComBSTR name(m_config.coreRegisters[static_cast<size_t>(i)].c_str());
        if (name.m_str == nullptr || FAILED(SafeArrayPutElement(names, &i, name.m_str))) {
            SafeArrayDestroy(names);
            return E_OUTOFMEMORY;
        }
    }
    pvRegisters->vt = VT_ARRAY | VT_BSTR;
    pvRegisters->parray = names;
    return S_OK;
}

} // namespace QelHost
