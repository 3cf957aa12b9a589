// CQelSymbolServer: the COM object of a symbol server, as both coclasses (QelSymbol and
// QelSymbolPCP) make it: CFvSymbSrv's interfaces, IQelSymbol with its events, IQelSymbol2,
// error information and the connection points, free-threaded with the free-threaded
// marshaler aggregated. The host makes it inside its debug-server object, which
// aggregates it; every requester reaches IQelSymbol through that object.
//
// IQelSymbol's controller-information slots (7 to 25) answer E_NOTIMPL: the controller
// information comes from the host. The request and Get methods (slots 26 to 80 but the
// two that fire events) answer E_NOTIMPL too until they are built over the engine.
#pragma once

#include "engineholder.h"
#include "fvsymbsrv.h"
#include "symprocevents.h"

class CQelSymbolServer : public CComObjectRootEx<CComMultiThreadModel>,
                         public CFvSymbSrv,
                         public ISupportErrorInfo,
                         public IQelSymbol2,
                         public CProxySymProcEvents<CQelSymbolServer>,
                         public CProxySymProcEvents2<CQelSymbolServer>,
                         public IConnectionPointContainerImpl<CQelSymbolServer>,
                         public IDispatchImpl<IQelSymbol, &IID_IQelSymbol, &LIBID_KORVEXLib> {
public:
    CQelSymbolServer();
    ~CQelSymbolServer() override;

    BEGIN_COM_MAP(CQelSymbolServer)
        COM_INTERFACE_ENTRY(IQelSymbSrv)
        COM_INTERFACE_ENTRY(IOleCommandTarget)
        COM_INTERFACE_ENTRY(ISupportErrorInfo)
        COM_INTERFACE_ENTRY(IQelSymbol2)
        COM_INTERFACE_ENTRY(IConnectionPointContainer)
        COM_INTERFACE_ENTRY(IQelSymbol)
        COM_INTERFACE_ENTRY2(IDispatch, IQelSymbol)
        COM_INTERFACE_ENTRY_AGGREGATE(IID_IMarshal, m_pUnkMarshaler)
    END_COM_MAP()

    BEGIN_CONNECTION_POINT_MAP(CQelSymbolServer)
        CONNECTION_POINT_ENTRY(DIID__SymProcEvents)
        CONNECTION_POINT_ENTRY(DIID__SymProcEvents2)
    END_CONNECTION_POINT_MAP()

    DECLARE_GET_CONTROLLING_UNKNOWN()
    DECLARE_PROTECT_FINAL_CONSTRUCT()

    // The owner is the controlling unknown until the host's Init names its object.
    HRESULT FinalConstruct();
    void FinalRelease();

    // ISupportErrorInfo: S_OK for IQelSymbSrv, IQelSymbol and IQelControllerInfo.
    STDMETHOD(InterfaceSupportsErrorInfo)(REFIID riid) override;

    // IQelSymbSrv. Init by its arguments: two nulls delete the engine; one names the owner
    // (the first argument, null when only the second is given); both make the engine on
    // the owner and bind the storage, the GUI server and the profile. A second Init with
    // both while an engine runs first shuts that engine down, as two nulls would, so
    // no engine is ever left running unowned.
    STDMETHOD(Init)(IUnknown *pIStorage, IUnknown *pIGUIServer) override;
    STDMETHOD(Cleanup)() override;

    // IQelSymbol2 over the program-information objects handed out.
    STDMETHOD(GetProgramCount)(LONG *pnCount) override;
    STDMETHOD(GetProgramId)(LONG nIndex, LONG *pnProgramId) override;
    STDMETHOD(GetProgramInfoById)(LONG nProgramId, IUnknown **ppProgramInfo) override;

    // IQelControllerInfo, reached through IQelSymbol.
    STDMETHOD(LoadSFRegisters)(BSTR) override { return E_NOTIMPL; }
    STDMETHOD(UnloadSFRegisters)() override { return E_NOTIMPL; }
    STDMETHOD(ControllerName)(BSTR *) override { return E_NOTIMPL; }
    STDMETHOD(ControllerDatabase)(BSTR *) override { return E_NOTIMPL; }
    STDMETHOD(SFRegisters)(VARIANT *) override { return E_NOTIMPL; }
    STDMETHOD(SFRegister)(BSTR, VARIANT *) override { return E_NOTIMPL; }
    STDMETHOD(SFRegisterAddress)(BSTR, ULONG *) override { return E_NOTIMPL; }
    STDMETHOD(SFRegisterName)(ULONG, LONG, BSTR *) override { return E_NOTIMPL; }
    STDMETHOD(SFRegisterBit)(ULONG, LONG, LONG, BSTR *) override { return E_NOTIMPL; }
    STDMETHOD(CreateICRegisterList)(VARIANT *) override { return E_NOTIMPL; }
    STDMETHOD(WordSize)(LONG *) override { return E_NOTIMPL; }
    STDMETHOD(MaxAddressMask)(ULONG *) override { return E_NOTIMPL; }
    STDMETHOD(CoreType)(LONG *) override { return E_NOTIMPL; }
    STDMETHOD(CoreRegisters)(VARIANT *) override { return E_NOTIMPL; }
    STDMETHOD(SFRBlocks)(VARIANT *) override { return E_NOTIMPL; }
    STDMETHOD(SFRsByBlock)(BSTR, VARIANT *) override { return E_NOTIMPL; }
    STDMETHOD(SFRegisterRR)(LONG, ULONG *, ULONG *) override { return E_NOTIMPL; }
    STDMETHOD(SystemStackBounds)(ULONG *, ULONG *) override { return E_NOTIMPL; }
    STDMETHOD(DefaultSystemPage)(LONG *) override { return E_NOTIMPL; }

    // IQelSymbol's events.
    STDMETHOD(FireRequestReady)(int nRequest) override;
    STDMETHOD(FirePatternWindowState)(LONG nOpen, LONG nStartAddress, LONG nLength) override;

    // IQelSymbol's request and Get methods.
    STDMETHOD(LoadFile)(BSTR, LONG, LONG, int *) override { return E_NOTIMPL; }
    STDMETHOD(GetProgramInfo)(int, IUnknown **) override { return E_NOTIMPL; }
    STDMETHOD(UnloadFile)(LONG, int *) override { return E_NOTIMPL; }
    STDMETHOD(GetState)(int, LONG *) override { return E_NOTIMPL; }
    STDMETHOD(DefineCodeSection)(BSTR, VARIANT *, int *) override { return E_NOTIMPL; }
    STDMETHOD(UndefineCodeSection)(BSTR, int *) override { return E_NOTIMPL; }
    STDMETHOD(Sections)(int *) override { return E_NOTIMPL; }
    STDMETHOD(SectionByName)(BSTR, int *) override { return E_NOTIMPL; }
    STDMETHOD(SectionByAddress)(LONG, LONG, int *) override { return E_NOTIMPL; }
    STDMETHOD(GetSections)(int, VARIANT *, VARIANT *) override { return E_NOTIMPL; }
    STDMETHOD(SourceFiles)(int *) override { return E_NOTIMPL; }
    STDMETHOD(SourceFileByPath)(BSTR, int *) override { return E_NOTIMPL; }
    STDMETHOD(SourceFileByAddress)(LONG, LONG, int *) override { return E_NOTIMPL; }
    STDMETHOD(SourceLineRangesByAddress)(LONG, LONG, int *) override { return E_NOTIMPL; }
    STDMETHOD(GetSourceFiles)(int, VARIANT *, VARIANT *) override { return E_NOTIMPL; }
    STDMETHOD(Functions)(int *) override { return E_NOTIMPL; }
    STDMETHOD(FunctionByName)(BSTR, int *) override { return E_NOTIMPL; }
    STDMETHOD(FunctionByAddress)(LONG, LONG, int *) override { return E_NOTIMPL; }
    STDMETHOD(FunctionsOfSourceFile)(BSTR, int *) override { return E_NOTIMPL; }
    STDMETHOD(GetFunctions)(int, VARIANT *, VARIANT *) override { return E_NOTIMPL; }
    STDMETHOD(SourceLinesOfSourceFile)(BSTR, int *) override { return E_NOTIMPL; }
    STDMETHOD(GetSourceLines)(int, VARIANT *) override { return E_NOTIMPL; }
    STDMETHOD(Globals)(BSTR, BSTR, int *) override { return E_NOTIMPL; }
    STDMETHOD(GlobalsInScope)(LONG, LONG, BSTR, int *) override { return E_NOTIMPL; }
    STDMETHOD(Statics)(BSTR, BSTR, int *) override { return E_NOTIMPL; }
    STDMETHOD(StaticsInScope)(LONG, LONG, BSTR, int *) override { return E_NOTIMPL; }
    STDMETHOD(LocalsInScope)(LONG, LONG, BSTR, int *) override { return E_NOTIMPL; }
    STDMETHOD(VariableWithScope)(BSTR, int *) override { return E_NOTIMPL; }
    STDMETHOD(Parameters)(LONG, LONG, int *) override { return E_NOTIMPL; }
    STDMETHOD(VariableByIndex)(LONG, int *) override { return E_NOTIMPL; }
    STDMETHOD(GetVariables)(int, VARIANT *, VARIANT *) override { return E_NOTIMPL; }
    STDMETHOD(MembersOfType)(LONG, int *) override { return E_NOTIMPL; }
    STDMETHOD(Type)(BSTR, int *) override { return E_NOTIMPL; }
    STDMETHOD(GetMembers)(int, VARIANT *, VARIANT *) override { return E_NOTIMPL; }
    STDMETHOD(Lifetime)(LONG, int *) override { return E_NOTIMPL; }
    STDMETHOD(GetLifetime)(int, VARIANT *) override { return E_NOTIMPL; }
    STDMETHOD(DataLabel)(BSTR, int *) override { return E_NOTIMPL; }
    STDMETHOD(CodeLabel)(BSTR, int *) override { return E_NOTIMPL; }
    STDMETHOD(StartupLabels)(LONG, BSTR, BSTR, int *) override { return E_NOTIMPL; }
    STDMETHOD(BreakpointDescription)(LONG, LONG, int *) override { return E_NOTIMPL; }
    STDMETHOD(BreakpointAddresses)(LONG, BSTR, int *) override { return E_NOTIMPL; }
    STDMETHOD(GetLabels)(int, VARIANT *, VARIANT *) override { return E_NOTIMPL; }
    STDMETHOD(RegisterMap)(int *) override { return E_NOTIMPL; }
    STDMETHOD(GetRegisterMap)(int, VARIANT *, VARIANT *) override { return E_NOTIMPL; }
    STDMETHOD(IsDatabase)(LONG *) override { return E_NOTIMPL; }
    STDMETHOD(DeleteRequest)(int) override { return E_NOTIMPL; }
    STDMETHOD(Location)(LONG, LONG, int *) override { return E_NOTIMPL; }
    STDMETHOD(GetLocation)(int, VARIANT *, VARIANT *) override { return E_NOTIMPL; }
    STDMETHOD(VariablesInScope)(LONG, LONG, BSTR, int *) override { return E_NOTIMPL; }
    STDMETHOD(SourceFileLines)(LONG, LONG, LONG, int *) override { return E_NOTIMPL; }
    STDMETHOD(VarEdMapping)(LONG, int *) override { return E_NOTIMPL; }
    STDMETHOD(VarEdVariables)(int *) override { return E_NOTIMPL; }
    STDMETHOD(GetVarEdVariables)(int, VARIANT *) override { return E_NOTIMPL; }

    // The engine and the objects it handed out, for the request methods.
    CSymbolEngineHolder &EngineHolder() { return m_EngineHolder; }

protected:
    // A new engine on the owner, whose finished event requests fire FireRequestReady
    // through the owner (so a host object that carries two servers reaches both).
    HRESULT CreateEngine();

    IUnknown *m_pUnkMarshaler; // the free-threaded marshaler's inner object, counted
    CSymbolEngineHolder m_EngineHolder;
};
