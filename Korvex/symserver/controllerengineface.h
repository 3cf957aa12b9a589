// CQelControllerEngineFace: IQelControllerEngine (qelcontrollerengine.h) of a QelSymbol
// object, over its controller engine.
//
// IQelSymbol has the same slots and answers E_NOTIMPL in all of them, so the interface
// stands on a part of its own, which lives inside the symbol-server object and counts
// its references on the object's controlling unknown. Without an engine (before Init,
// after Cleanup) every method answers as when nothing is loaded, and slot 7
// 0x80044001.
#pragma once

#include "sfrtables.h"

#include <qelcontrollerengine.h>

class CQelSymbolServer;
class CControllerSymbolEngine;

class CQelControllerEngineFace : public IQelControllerEngine {
public:
    explicit CQelControllerEngineFace(CQelSymbolServer &server) : m_server(server) {}
    CQelControllerEngineFace(const CQelControllerEngineFace &) = delete;
    CQelControllerEngineFace &operator=(const CQelControllerEngineFace &) = delete;
    virtual ~CQelControllerEngineFace() = default;

    STDMETHOD(QueryInterface)(REFIID riid, void **ppv) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;

    // No late binding: the interface is in no type library.
    STDMETHOD(GetTypeInfoCount)(UINT *pctinfo) override;
    STDMETHOD(GetTypeInfo)(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    STDMETHOD(Invoke)(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *, UINT *) override
    {
        return E_NOTIMPL;
    }

    STDMETHOD(LoadSFRegisters)(BSTR bsController) override;
    STDMETHOD(UnloadSFRegisters)() override { return E_NOTIMPL; }
    STDMETHOD(ControllerName)(BSTR *) override { return E_NOTIMPL; }
    STDMETHOD(ControllerDatabase)(BSTR *) override { return E_NOTIMPL; }
    STDMETHOD(SFRegisters)(VARIANT *) override { return E_NOTIMPL; }
    STDMETHOD(SFRegister)(BSTR, VARIANT *) override { return E_NOTIMPL; }
    STDMETHOD(SFRegisterAddress)(BSTR bsName, ULONG *pnAddress) override;
    STDMETHOD(SFRegisterName)(ULONG nAddress, LONG nSpace, BSTR *pbsName) override;
    STDMETHOD(SFRegisterBit)(ULONG nAddress, LONG nBit, LONG nSpace, BSTR *pbsName) override;
    STDMETHOD(CreateICRegisterList)(VARIANT *pvList) override;
    STDMETHOD(WordSize)(LONG *) override { return E_NOTIMPL; }
    STDMETHOD(MaxAddressMask)(ULONG *) override { return E_NOTIMPL; }
    STDMETHOD(CoreType)(LONG *) override { return E_NOTIMPL; }
    STDMETHOD(CoreRegisters)(VARIANT *) override { return E_NOTIMPL; }
    STDMETHOD(SFRBlocks)(VARIANT *pvBlocks) override;
    STDMETHOD(SFRsByBlock)(BSTR, VARIANT *) override { return E_NOTIMPL; }
    STDMETHOD(SFRegisterRR)(LONG nIndex, ULONG *pnStart, ULONG *pnEnd) override;
    STDMETHOD(SystemStackBounds)(ULONG *, ULONG *) override { return E_NOTIMPL; }
    STDMETHOD(DefaultSystemPage)(LONG *) override { return E_NOTIMPL; }

private:
    // The set of tables of the server's engine; an empty one without an engine.
    CSfrTablesRef Tables() const;

    CQelSymbolServer &m_server;
};
