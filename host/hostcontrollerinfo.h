// The host's controller information: the facts about the target controller that the host
// is configured with, offered as IQelControllerInfo.
#pragma once

#include <atlbase.h>
#include <qelcontrollerinfo.h>

#include <map>
#include <string>
#include <vector>

namespace QelHost {

struct ControllerConfig {
    LONG wordSize = 16; // bits
    std::vector<std::string> coreRegisters;
    // The special function registers' first absolute addresses, by name.
    std::map<std::string, ULONG> sfrAddresses;
};

// Answers the word size, the core registers and the addresses of the special function
// registers it was told of (0xFFFFFFFF for any other name); everything else about the
// controller is
// not configured, and the methods that would give it answer E_NOTIMPL. Late binding is
// not offered (no type information).
class CHostControllerInfo : public CComObjectRootEx<CComMultiThreadModel>, public IQelControllerInfo {
public:
    BEGIN_COM_MAP(CHostControllerInfo)
        COM_INTERFACE_ENTRY(IQelControllerInfo)
        COM_INTERFACE_ENTRY(IDispatch)
    END_COM_MAP()

    void Configure(const ControllerConfig &config) { m_config = config; }

    STDMETHODIMP GetTypeInfoCount(UINT *pctinfo) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *, UINT *) override
    {
        return E_NOTIMPL;
    }

    STDMETHODIMP LoadSFRegisters(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP UnloadSFRegisters() override { return E_NOTIMPL; }
    STDMETHODIMP ControllerName(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP ControllerDatabase(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP SFRegisters(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP SFRegister(BSTR, VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP SFRegisterAddress(BSTR bsName, ULONG *pnAddress) override;
    STDMETHODIMP SFRegisterName(ULONG, LONG, BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP SFRegisterBit(ULONG, LONG, LONG, BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP CreateICRegisterList(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP WordSize(LONG *pnBits) override;
    STDMETHODIMP MaxAddressMask(ULONG *) override { return E_NOTIMPL; }
    STDMETHODIMP CoreType(LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP CoreRegisters(VARIANT *pvRegisters) override;
    STDMETHODIMP SFRBlocks(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP SFRsByBlock(BSTR, VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP SFRegisterRR(LONG, ULONG *, ULONG *) override { return E_NOTIMPL; }
    STDMETHODIMP SystemStackBounds(ULONG *, ULONG *) override { return E_NOTIMPL; }
    STDMETHODIMP DefaultSystemPage(LONG *) override { return E_NOTIMPL; }

private:
    ControllerConfig m_config;
};

} // namespace QelHost
