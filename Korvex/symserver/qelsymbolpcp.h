// CQelSymbolPCP: the symbol server of the PCP debugger of a TriCore controller.
//
// While the PCP is debugged beside its main debugger (bound), the server keeps no
// database of its own: it binds the main debugger's symbol server as its master and
// forwards IQelSymbol to it, so both debuggers see the one program loaded there. Requests
// forwarded go to the master's engine with the caller's requester; for event requests
// the master fires FireRequestReady on its own owner and then on this server's owner,
// its foreign debug server, so the PCP's sinks hear of them. Only a PCP debugged alone
// (standalone) runs its own engine, exactly as QelSymbol does.
//
// A bound server that found no master has neither master nor engine: every request
// method answers 0x80044001.
#pragma once

#include "qelsymbolserver.h"
#include "symserverscripts.h"

#include <hostinterfaces.h>

#include <mutex>

// One IQelSymbol method with N arguments: the master's while bound, the server's own
// otherwise.
#define QEL_PCP_CALL(Method, Arguments)                                                         \
    {                                                                                           \
        CComPtr<IQelSymbol> master = Master();                                                  \
        return master != nullptr ? master->Method Arguments : CQelSymbolServer::Method Arguments; \
    }
#define QEL_PCP_FORWARD1(Method, T1) STDMETHOD(Method)(T1 a1) override QEL_PCP_CALL(Method, (a1))
#define QEL_PCP_FORWARD2(Method, T1, T2) STDMETHOD(Method)(T1 a1, T2 a2) override QEL_PCP_CALL(Method, (a1, a2))
#define QEL_PCP_FORWARD3(Method, T1, T2, T3)                                                    \
    STDMETHOD(Method)(T1 a1, T2 a2, T3 a3) override QEL_PCP_CALL(Method, (a1, a2, a3))
#define QEL_PCP_FORWARD4(Method, T1, T2, T3, T4)                                                \
    STDMETHOD(Method)(T1 a1, T2 a2, T3 a3, T4 a4) override QEL_PCP_CALL(Method, (a1, a2, a3, a4))

class CQelSymbolPCP : public CQelSymbolServer, public CComCoClass<CQelSymbolPCP, &CLSID_QelSymbolPCP> {
public:
    CQelSymbolPCP() { m_nMasterSelector = 0; }

    DECLARE_REGISTRY_RESOURCEID(IDR_QELSYMBOLPCP)

    void FinalRelease();

    // The PCP debugger's server reports errors of IQelSymbSrv and IQelSymbol only.
    STDMETHOD(InterfaceSupportsErrorInfo)(REFIID riid) override
    {
        return riid == IID_IQelSymbSrv || riid == IID_IQelSymbol ? S_OK : S_FALSE;
    }

    // Init with storage and GUI server asks the host whether the PCP stands alone: then
    // it makes its own engine and registers its owner at the owner's symbol server as
    // the standalone PCP debug server (the owner becomes the master debugger); else it
    // binds the main debugger's server that the host names, as master and as foreign
    // debug server, and makes no engine. The other forms of Init are QelSymbol's.
    STDMETHOD(Init)(IUnknown *pIStorage, IUnknown *pIGUIServer) override;
    // Unbinds (the master forgets this server's owner) or drops the standalone
    // registration, then ends as QelSymbol does. The main debugger's server is left
    // running: it belongs to the main debugger, which cleans it up itself.
    STDMETHOD(Cleanup)() override;

    // While bound there is no program list here: no count, no identifier, no object.
    STDMETHOD(GetProgramCount)(LONG *pnCount) override;
    STDMETHOD(GetProgramId)(LONG nIndex, LONG *pnProgramId) override;
    STDMETHOD(GetProgramInfoById)(LONG nProgramId, IUnknown **ppProgramInfo) override;

    // While bound: a master that holds a program already keeps it (S_OK, request 0,
    // nothing loaded); else the master loads. A master that cannot say counts as one
    // without a program.
    STDMETHOD(LoadFile)(BSTR bsFile, LONG nProgramID, LONG nHwnd, int *pnRequest) override;
    // While bound the program is the master's: S_OK, *pnRequest unchanged.
    STDMETHOD(UnloadFile)(LONG nID, int *pnRequest) override;

    QEL_PCP_FORWARD2(GetProgramInfo, int, IUnknown **)
    QEL_PCP_FORWARD2(GetState, int, LONG *)
    QEL_PCP_FORWARD3(DefineCodeSection, BSTR, VARIANT *, int *)
    QEL_PCP_FORWARD2(UndefineCodeSection, BSTR, int *)
    QEL_PCP_FORWARD1(Sections, int *)
    QEL_PCP_FORWARD2(SectionByName, BSTR, int *)
    QEL_PCP_FORWARD3(SectionByAddress, LONG, LONG, int *)
    QEL_PCP_FORWARD3(GetSections, int, VARIANT *, VARIANT *)
    QEL_PCP_FORWARD1(SourceFiles, int *)
    QEL_PCP_FORWARD2(SourceFileByPath, BSTR, int *)
    QEL_PCP_FORWARD3(SourceFileByAddress, LONG, LONG, int *)
    QEL_PCP_FORWARD3(SourceLineRangesByAddress, LONG, LONG, int *)
    QEL_PCP_FORWARD3(GetSourceFiles, int, VARIANT *, VARIANT *)
    QEL_PCP_FORWARD1(Functions, int *)
    QEL_PCP_FORWARD2(FunctionByName, BSTR, int *)
    QEL_PCP_FORWARD3(FunctionByAddress, LONG, LONG, int *)
    QEL_PCP_FORWARD2(FunctionsOfSourceFile, BSTR, int *)
    QEL_PCP_FORWARD3(GetFunctions, int, VARIANT *, VARIANT *)
    QEL_PCP_FORWARD2(SourceLinesOfSourceFile, BSTR, int *)
    QEL_PCP_FORWARD2(GetSourceLines, int, VARIANT *)
    QEL_PCP_FORWARD3(Globals, BSTR, BSTR, int *)
    QEL_PCP_FORWARD4(GlobalsInScope, LONG, LONG, BSTR, int *)
    QEL_PCP_FORWARD3(Statics, BSTR, BSTR, int *)
    QEL_PCP_FORWARD4(StaticsInScope, LONG, LONG, BSTR, int *)
    QEL_PCP_FORWARD4(LocalsInScope, LONG, LONG, BSTR, int *)
    QEL_PCP_FORWARD2(VariableWithScope, BSTR, int *)
    QEL_PCP_FORWARD3(Parameters, LONG, LONG, int *)
    QEL_PCP_FORWARD2(VariableByIndex, LONG, int *)
    QEL_PCP_FORWARD3(GetVariables, int, VARIANT *, VARIANT *)
    QEL_PCP_FORWARD2(MembersOfType, LONG, int *)
    QEL_PCP_FORWARD2(Type, BSTR, int *)
    QEL_PCP_FORWARD3(GetMembers, int, VARIANT *, VARIANT *)
    QEL_PCP_FORWARD2(Lifetime, LONG, int *)
    QEL_PCP_FORWARD2(GetLifetime, int, VARIANT *)
    QEL_PCP_FORWARD2(DataLabel, BSTR, int *)
    QEL_PCP_FORWARD2(CodeLabel, BSTR, int *)
    QEL_PCP_FORWARD4(StartupLabels, LONG, BSTR, BSTR, int *)
    QEL_PCP_FORWARD3(BreakpointDescription, LONG, LONG, int *)
    QEL_PCP_FORWARD3(BreakpointAddresses, LONG, BSTR, int *)
    QEL_PCP_FORWARD3(GetLabels, int, VARIANT *, VARIANT *)
    QEL_PCP_FORWARD1(RegisterMap, int *)
    QEL_PCP_FORWARD3(GetRegisterMap, int, VARIANT *, VARIANT *)
    QEL_PCP_FORWARD1(IsDatabase, LONG *)
    QEL_PCP_FORWARD1(DeleteRequest, int)
    QEL_PCP_FORWARD3(Location, LONG, LONG, int *)
    QEL_PCP_FORWARD3(GetLocation, int, VARIANT *, VARIANT *)
    QEL_PCP_FORWARD4(VariablesInScope, LONG, LONG, BSTR, int *)
    QEL_PCP_FORWARD4(SourceFileLines, LONG, LONG, LONG, int *)
    QEL_PCP_FORWARD2(VarEdMapping, LONG, int *)
    QEL_PCP_FORWARD1(VarEdVariables, int *)
    QEL_PCP_FORWARD2(GetVarEdVariables, int, VARIANT *)

private:
    // The master with a reference for the caller, or null.
    CComPtr<IQelSymbol> Master();
    // Binds the main debugger's server that the host names for this PCP debugger.
    void BindMaster(IUnknown *holderProfile, IQelWindowValues *values);
    // Forgets the master and the registrations made for it or for the standalone mode.
    void Unbind();

    std::mutex m_MasterLock;
    IQelSymbol *m_pMaster = nullptr; // counted
};
