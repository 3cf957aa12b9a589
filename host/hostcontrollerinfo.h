// The host's controller information: the facts about the target controller that the host
// is configured with, offered as IQelControllerInfo.
#pragma once

#include <atlbase.h>
#include <qelcontrollerengine.h>

#include "hostregisters.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace QelHost {

struct ControllerConfig {
    LONG wordSize = 0; // bits; 0: the word of the target's preset (WordSizeOfPreset)
    std::vector<std::string> coreRegisters;
    // The special function registers' first absolute addresses, by name.
    std::map<std::string, ULONG> sfrAddresses;
};

// The word of a controller family: 32 bits for ARM and TriCore, 16 for the C16x.
LONG WordSizeOfPreset(TargetPreset preset);

// The way back to the debug-server object from an object that must not hold it: the
// controller information at the end of its chain, and the views of a frame that holds the
// object. Not counted: whoever set it clears it as it lets go of the object, and a call that
// finds it cleared answers as without that object.
struct DebugServerLink {
    std::mutex lock;
    IUnknown *server = nullptr;
};

// Answers the word size, the core registers and the addresses of the special function
// registers it was told of. The special function registers themselves come from the
// controller engine of the symbol server that its debug-server object carries
// (IQelControllerEngine): LoadSFRegisters loads them there, and from then on the
// register lookups (slots 13 to 16, 21 and 23) answer from it; a configured address
// comes before the engine's. Before a load those lookups answer E_FAIL, and the address
// of a name that is not configured is 0xFFFFFFFF. The highest address is the one of the
// debug-server object's target's preset, unless one was set. Everything else about the
// controller is not configured, and the methods that would give it answer E_NOTIMPL. Late
// binding is not offered (no type information).
class CHostControllerInfo : public CComObjectRootEx<CComMultiThreadModel>, public IQelControllerInfo {
public:
    BEGIN_COM_MAP(CHostControllerInfo)
        COM_INTERFACE_ENTRY(IQelControllerInfo)
        COM_INTERFACE_ENTRY(IDispatch)
    END_COM_MAP()

    void Configure(const ControllerConfig &config) { m_config = config; }
    void SetDebugServerLink(std::shared_ptr<DebugServerLink> link) { m_link = std::move(link); }
    // MaxAddressMask answers `address` from now on, whatever the target's preset.
    void SetMaxAddressMask(ULONG address)
    {
        m_maxAddress = address;
        m_maxAddressSet = true;
    }

    STDMETHODIMP GetTypeInfoCount(UINT *pctinfo) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *, UINT *) override
    {
        return E_NOTIMPL;
    }

    // E_FAIL without a symbol server that offers a controller engine; else the engine's
    // answer (S_FALSE: nothing was found, and the lookups find nothing).
    STDMETHODIMP LoadSFRegisters(BSTR bsController) override;
    STDMETHODIMP UnloadSFRegisters() override { return E_NOTIMPL; }
    STDMETHODIMP ControllerName(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP ControllerDatabase(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP SFRegisters(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP SFRegister(BSTR, VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP SFRegisterAddress(BSTR bsName, ULONG *pnAddress) override;
    STDMETHODIMP SFRegisterName(ULONG nAddress, LONG nSpace, BSTR *pbsName) override;
    STDMETHODIMP SFRegisterBit(ULONG nAddress, LONG nBit, LONG nSpace, BSTR *pbsName) override;
    STDMETHODIMP CreateICRegisterList(VARIANT *pvList) override;
    // The configured size, or the word of the debug-server object's target's preset
    // (E_FAIL without the object).
    STDMETHODIMP WordSize(LONG *pnBits) override;
    // 0xFFFFFF for a C16x target, 0xFFFFFFFF for the others; E_FAIL without the
    // debug-server object, whose target gives the preset.
    STDMETHODIMP MaxAddressMask(ULONG *pnMask) override;
    STDMETHODIMP CoreType(LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP CoreRegisters(VARIANT *pvRegisters) override;
    STDMETHODIMP SFRBlocks(VARIANT *pvBlocks) override;
    STDMETHODIMP SFRsByBlock(BSTR, VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP SFRegisterRR(LONG nIndex, ULONG *pnStart, ULONG *pnEnd) override;
    STDMETHODIMP SystemStackBounds(ULONG *, ULONG *) override { return E_NOTIMPL; }
    STDMETHODIMP DefaultSystemPage(LONG *) override { return E_NOTIMPL; }

private:
    // The preset of the debug-server object's target; FALSE without the object.
    bool TargetPresetOf(TargetPreset *preset);
    // The controller engine of the carried symbol server; null without one. With
    // `loaded`, only once LoadSFRegisters has succeeded.
    CComPtr<IQelControllerEngine> Engine(bool loaded);

    ControllerConfig m_config;
    std::shared_ptr<DebugServerLink> m_link;
    std::atomic<bool> m_loaded{false};
    std::atomic<bool> m_maxAddressSet{false};
    std::atomic<ULONG> m_maxAddress{0};
};

} // namespace QelHost
