// CQelSymbolServer: the COM object of a symbol server, as both coclasses (QelSymbol and
// QelSymbolPCP) make it: CFvSymbSrv's interfaces, IQelSymbol with its events, IQelSymbol2,
// error information and the connection points, free-threaded with the free-threaded
// marshaler aggregated. The host makes it inside its debug-server object, which
// aggregates it; every requester reaches IQelSymbol through that object.
//
// IQelSymbol's controller-information slots (7 to 25) answer E_NOTIMPL: the controller
// information comes from the host. The request methods are in qelsymbolqueries.cpp, the
// Get methods in qelsymbolresults.cpp.
#pragma once

#include "engineholder.h"
#include "fvsymbsrv.h"
#include "symprocevents.h"

#include <initializer_list>

// The answer for a request that was not accepted, or that is not there to be fetched.
const HRESULT QEL_E_SYMBOL_REQUEST = static_cast<HRESULT>(0x80044001);
// The answer for a finished request whose status is not StatusSuccess.
inline HRESULT SymbolStatusResult(int status)
{
    return static_cast<HRESULT>((static_cast<UINT>(status) + 0x4000u) | 0x80040000u);
}

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

    // DECLARE_GET_CONTROLLING_UNKNOWN's body, written out because here it overrides.
    IUnknown *GetControllingUnknown() override { return GetUnknown(); }
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

    // IQelSymbol's request methods: each submits a request of its code with its arguments
    // and gives back its id at once (a synchronous one once it has run); 0x80044001 and
    // id 0 when it was not accepted or there is no engine, E_POINTER for no *pnRequest.
    // The Get methods take a finished request of their group out of the queue and pack
    // its answer; 0x80044001 when there is none or it has not finished (it is left
    // alone), and when it belongs to another Get method (it goes all the same). A failed
    // request answers its status as (status + 0x4000) | 0x80040000 and goes.
    STDMETHOD(LoadFile)(BSTR, LONG, LONG, int *) override;
    STDMETHOD(GetProgramInfo)(int, IUnknown **) override;
    STDMETHOD(UnloadFile)(LONG, int *) override;
    STDMETHOD(GetState)(int, LONG *) override;
    STDMETHOD(DefineCodeSection)(BSTR, VARIANT *, int *) override;
    STDMETHOD(UndefineCodeSection)(BSTR, int *) override;
    STDMETHOD(Sections)(int *) override;
    STDMETHOD(SectionByName)(BSTR, int *) override;
    STDMETHOD(SectionByAddress)(LONG, LONG, int *) override;
    STDMETHOD(GetSections)(int, VARIANT *, VARIANT *) override;
    STDMETHOD(SourceFiles)(int *) override;
    STDMETHOD(SourceFileByPath)(BSTR, int *) override;
    STDMETHOD(SourceFileByAddress)(LONG, LONG, int *) override;
    STDMETHOD(SourceLineRangesByAddress)(LONG, LONG, int *) override;
    STDMETHOD(GetSourceFiles)(int, VARIANT *, VARIANT *) override;
    STDMETHOD(Functions)(int *) override;
    STDMETHOD(FunctionByName)(BSTR, int *) override;
    STDMETHOD(FunctionByAddress)(LONG, LONG, int *) override;
    STDMETHOD(FunctionsOfSourceFile)(BSTR, int *) override;
    STDMETHOD(GetFunctions)(int, VARIANT *, VARIANT *) override;
    STDMETHOD(SourceLinesOfSourceFile)(BSTR, int *) override;
    STDMETHOD(GetSourceLines)(int, VARIANT *) override;
    STDMETHOD(Globals)(BSTR, BSTR, int *) override;
    STDMETHOD(GlobalsInScope)(LONG, LONG, BSTR, int *) override;
    STDMETHOD(Statics)(BSTR, BSTR, int *) override;
    STDMETHOD(StaticsInScope)(LONG, LONG, BSTR, int *) override;
    STDMETHOD(LocalsInScope)(LONG, LONG, BSTR, int *) override;
    STDMETHOD(VariableWithScope)(BSTR, int *) override;
    STDMETHOD(Parameters)(LONG, LONG, int *) override;
    STDMETHOD(VariableByIndex)(LONG, int *) override;
    STDMETHOD(GetVariables)(int, VARIANT *, VARIANT *) override;
    STDMETHOD(MembersOfType)(LONG, int *) override;
    STDMETHOD(Type)(BSTR, int *) override;
    STDMETHOD(GetMembers)(int, VARIANT *, VARIANT *) override;
    STDMETHOD(Lifetime)(LONG, int *) override;
    STDMETHOD(GetLifetime)(int, VARIANT *) override;
    STDMETHOD(DataLabel)(BSTR, int *) override;
    STDMETHOD(CodeLabel)(BSTR, int *) override;
    STDMETHOD(StartupLabels)(LONG, BSTR, BSTR, int *) override;
    STDMETHOD(BreakpointDescription)(LONG, LONG, int *) override;
    STDMETHOD(BreakpointAddresses)(LONG, BSTR, int *) override;
    STDMETHOD(GetLabels)(int, VARIANT *, VARIANT *) override;
    STDMETHOD(RegisterMap)(int *) override;
    STDMETHOD(GetRegisterMap)(int, VARIANT *, VARIANT *) override;
    STDMETHOD(IsDatabase)(LONG *) override;
    STDMETHOD(DeleteRequest)(int) override;
    STDMETHOD(Location)(LONG, LONG, int *) override;
    STDMETHOD(GetLocation)(int, VARIANT *, VARIANT *) override;
    STDMETHOD(VariablesInScope)(LONG, LONG, BSTR, int *) override;
    STDMETHOD(SourceFileLines)(LONG, LONG, LONG, int *) override;
    STDMETHOD(VarEdMapping)(LONG, int *) override;
    STDMETHOD(VarEdVariables)(int *) override;
    STDMETHOD(GetVarEdVariables)(int, VARIANT *) override;


    // The engine and the objects it handed out, for the request methods.
    CSymbolEngineHolder &EngineHolder() { return m_EngineHolder; }

    // One argument of a request method on its way into a request parameter.
    struct QueryArgument {
        enum Kind { Number, Text, EncodedName, Copy } kind;
        LONG number;
        BSTR text;
        const VARIANT *copy;
    };
    static QueryArgument NumberArgument(LONG number) { return {QueryArgument::Number, number, nullptr, nullptr}; }
    static QueryArgument TextArgument(BSTR text) { return {QueryArgument::Text, 0, text, nullptr}; }
    // Names that a handler compares with a stored NameString travel encoded.
    static QueryArgument NameArgument(BSTR text) { return {QueryArgument::EncodedName, 0, text, nullptr}; }
    static QueryArgument CopyArgument(const VARIANT *copy) { return {QueryArgument::Copy, 0, nullptr, copy}; }

protected:
    friend class CQelControllerEngineFace;

    // Submits a request of `code` for the requester in *pnRequest, its arguments in
    // Param1 to Param3 in order, and writes its id there.
    HRESULT SubmitQuery(int code, int *pnRequest, std::initializer_list<QueryArgument> arguments = {});
    // The answer of a Get method for a request that failed; its reason becomes the text
    // that GetErrorInfo reports next.
    HRESULT FailedRequestResult(const CSymbolRequest &request);
    // The finished request `id` of `group`, taken out of the engine (see TakeRequest);
    // null without an engine.
    CSymbolRequest *TakeRequest(int id, int group);
    // The records of a finished request of `group` as the two transfer VARIANTs (or the
    // numbers alone when `names` is null for a kind without texts).
    template <class Record>
    HRESULT GetRecords(int id, int group, VARIANT *names, VARIANT *values);

    // A new engine on the owner, whose finished event requests fire FireRequestReady
    // through the owner (so a host object that carries two servers reaches both) and
    // then through the owner's foreign debug server.
    HRESULT CreateEngine();
    static void FireRequestReadyOn(IUnknown *debugServer, int id);

    IUnknown *m_pUnkMarshaler; // the free-threaded marshaler's inner object, counted
    CSymbolEngineHolder m_EngineHolder;
};
