#include "hostcontrollerinfo.h"

#include "debugserver.h"

namespace QelHost {

STDMETHODIMP CHostControllerInfo::GetTypeInfoCount(UINT *pctinfo)
{
    if (pctinfo == nullptr)
        return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

LONG WordSizeOfPreset(TargetPreset preset)
{
    return preset == TargetPreset::C16x ? 16 : 32;
}

bool CHostControllerInfo::TargetPresetOf(TargetPreset *preset)
{
    if (m_link == nullptr)
        return false;
    std::lock_guard<std::mutex> hold(m_link->lock);
    if (m_link->server == nullptr)
        return false;
    // The link holds the object's holder interface, as the object set it.
    auto *server = static_cast<CHostDebugServer *>(static_cast<IQelHostHolder *>(m_link->server));
    *preset = server->Target()->Preset();
    return true;
}

STDMETHODIMP CHostControllerInfo::WordSize(LONG *pnBits)
{
    if (pnBits == nullptr)
        return E_POINTER;
    if (m_config.wordSize != 0) {
        *pnBits = m_config.wordSize;
        return S_OK;
    }
    TargetPreset preset;
    if (!TargetPresetOf(&preset))
        return E_FAIL;
    *pnBits = WordSizeOfPreset(preset);
    return S_OK;
}

STDMETHODIMP CHostControllerInfo::MaxAddressMask(ULONG *pnMask)
{
    if (pnMask == nullptr)
        return E_POINTER;
    if (m_maxAddressSet) {
        *pnMask = m_maxAddress;
        return S_OK;
    }
    TargetPreset preset;
    if (!TargetPresetOf(&preset))
        return E_FAIL;
    // The C16x family addresses 16 MB through its segments.
    *pnMask = preset == TargetPreset::C16x ? 0xFFFFFF : 0xFFFFFFFF;
    return S_OK;
}

CComPtr<IQelControllerEngine> CHostControllerInfo::Engine(bool loaded)
{
    CComPtr<IQelControllerEngine> engine;
    if (m_link == nullptr || (loaded && !m_loaded))
        return engine;
    std::lock_guard<std::mutex> hold(m_link->lock);
    if (m_link->server != nullptr)
        m_link->server->QueryInterface(IID_IQelControllerEngine, reinterpret_cast<void **>(&engine));
    return engine;
}

STDMETHODIMP CHostControllerInfo::LoadSFRegisters(BSTR bsController)
{
    CComPtr<IQelControllerEngine> engine = Engine(false);
    if (engine == nullptr)
        return E_FAIL;
    HRESULT hr = engine->LoadSFRegisters(bsController);
    m_loaded = SUCCEEDED(hr);
    return hr;
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
    if (found != m_config.sfrAddresses.end())
        return S_OK;
    CComPtr<IQelControllerEngine> engine = Engine(true);
    return engine != nullptr ? engine->SFRegisterAddress(bsName, pnAddress) : S_OK;
}

STDMETHODIMP CHostControllerInfo::SFRegisterName(ULONG nAddress, LONG nSpace, BSTR *pbsName)
{
    CComPtr<IQelControllerEngine> engine = Engine(true);
    return engine != nullptr ? engine->SFRegisterName(nAddress, nSpace, pbsName) : E_FAIL;
}

STDMETHODIMP CHostControllerInfo::SFRegisterBit(ULONG nAddress, LONG nBit, LONG nSpace, BSTR *pbsName)
{
    CComPtr<IQelControllerEngine> engine = Engine(true);
    return engine != nullptr ? engine->SFRegisterBit(nAddress, nBit, nSpace, pbsName) : E_FAIL;
}

STDMETHODIMP CHostControllerInfo::CreateICRegisterList(VARIANT *pvList)
{
    CComPtr<IQelControllerEngine> engine = Engine(true);
    return engine != nullptr ? engine->CreateICRegisterList(pvList) : E_FAIL;
}

STDMETHODIMP CHostControllerInfo::SFRBlocks(VARIANT *pvBlocks)
{
    CComPtr<IQelControllerEngine> engine = Engine(true);
    return engine != nullptr ? engine->SFRBlocks(pvBlocks) : E_FAIL;
}

STDMETHODIMP CHostControllerInfo::SFRegisterRR(LONG nIndex, ULONG *pnStart, ULONG *pnEnd)
{
    CComPtr<IQelControllerEngine> engine = Engine(true);
    return engine != nullptr ? engine->SFRegisterRR(nIndex, pnStart, pnEnd) : E_FAIL;
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
