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

STDMETHODIMP CHostControllerInfo::SFRegisterAddress(BSTR bsName, ULONG *pnAddress)
{
    if (pnAddress == nullptr)
        return E_POINTER;
    std::string name;
    for (UINT i = 0; i < SysStringLen(bsName); ++i)
        name += static_cast<char>(bsName[i] < 0x100 ? bsName[i] : '?');
    auto found = m_config.sfrAddresses.find(name);
    *pnAddress = found != m_config.sfrAddresses.end() ? found->second : 0xFFFFFFFF;
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
