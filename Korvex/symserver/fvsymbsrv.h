// CFvSymbSrv: what both symbol servers (QelSymbol and QelSymbolPCP) share: IQelSymbSrv,
// through which the host drives them, and IOleCommandTarget, the host's road to the
// server's command handlers.
//
// The host initialises a symbol server in this order, and the rest of the system relies
// on it: Init with its debug-server object (the owner) and null; Init with the workspace
// storage and the GUI server, which makes the engine and binds the profile; then
// RestoreSettings, which connects the command handlers. Cleanup (or Init with two nulls)
// ends the engine. Init and Cleanup take no lock: the host calls them from its one thread
// in that order. The partner debug servers alone are also read by the engine's worker
// (for its ready events), so they are held and handed out under a lock of their own.
//
// Every COM method enters the module's own state first.
#pragma once

#include <atlbase.h>
#include <cfgprofileclient.h>
#include <qelsymbsrv.h>
#include <storagewrapper.h>

#include "korvexdispatch.h"
#include "symbmenuitemlist.h"
#include "symserverids.h"

#include <mutex>

class CFvSymbSrv : public IOleCommandTarget, public IDispatchImpl<IQelSymbSrv, &IID_IQelSymbSrv, &LIBID_KORVEXLib> {
public:
    CFvSymbSrv();
    virtual ~CFvSymbSrv();
    CFvSymbSrv(const CFvSymbSrv &) = delete;
    CFvSymbSrv &operator=(const CFvSymbSrv &) = delete;

    // IOleCommandTarget: the command handlers' answers, unchanged.
    STDMETHOD(QueryStatus)(const GUID *pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[], OLECMDTEXT *pCmdText) override;
    STDMETHOD(Exec)(const GUID *pguidCmdGroup, DWORD nCmdID, DWORD nCmdexecopt, VARIANT *pvaIn,
                    VARIANT *pvaOut) override;
    // The server has no text for a command: *pbstrText = null, S_FALSE.
    virtual HRESULT GetCommandText(DWORD nCmdID, DWORD nFlags, BSTR *pbstrText);
    // The object's controlling unknown: the host's object when it aggregates the server.
    virtual IUnknown *GetControllingUnknown() = 0;

    // IQelSymbSrv. Init and Cleanup are each class's own.
    STDMETHOD(GetVersion)(BSTR *pbstrVersion) override;
    // "StdQelSymbSrv:\n" and the last error text, which is cleared; S_FALSE and
    // *pbstrErrorInfo as it was when there is none.
    STDMETHOD(GetErrorInfo)(BSTR *pbstrErrorInfo) override;
    STDMETHOD(RestoreSettings)() override;
    STDMETHOD(StoreSettings)() override;
    // Who owns what, by code:
    // - SYF_PUT_*: *ppUnknown stays the caller's; the server takes a reference of its own.
    // - SYF_GET_FOREIGN_DEBUG_SERVER, SYF_GET_MASTER_DEBUGGER and
    //   SYF_GET_PCP_STANDALONE_DEBUG_SERVER: the object comes with a reference for the
    //   caller to release.
    // - SYF_GET_OWN_STORAGE: the storage comes without a reference; it stays valid while
    //   the server holds it (until Cleanup or the next Init with a storage).
    // - SYF_GET_GLOBAL_VARED and SYF_GET_VARED: *ppUnknown receives the number 0 or 1,
    //   which is no interface pointer and must not be released.
    // S_OK for every code, also for unknown ones, which change nothing; E_POINTER for a
    // null ppUnknown; the failure of asking a new foreign partner for IQelSymbSrv when it
    // is another than E_NOINTERFACE (the partner is held all the same).
    STDMETHOD(Synchronize)(tagSynchronizeFunction eFunction, IUnknown **ppUnknown) override;

    // The text that GetErrorInfo reports next.
    void SetLastErrorText(LPCSTR text) { m_strLastError = text; }

protected:
    // What the second form of Init does after the engine is made (GUI server, storage,
    // profile, VarEd flags); the profile's answer.
    HRESULT InitSettings(IUnknown *pIStorage, IUnknown *pIGUIServer);
    // What Cleanup does after the engine is gone.
    void CleanupSettings();
    // The owner and the command handlers' server interface.
    void SetOwner(IUnknown *owner);
    // Commands 97, then 96, of the QelSymbol group to the owner, without arguments; the
    // windows that show VarEd data follow them.
    void SendVarEdNotice();
    // A partner slot: held (with a reference) only when empty, FALSE otherwise; emptied
    // and released; read with a reference for the caller.
    bool HoldPartner(IUnknown *&slot, IUnknown *partner);
    void DropPartner(IUnknown *&slot);
    IUnknown *GetPartner(IUnknown *const &slot);

    CStorage *m_pStorage;               // owned; null until Init gives a storage
    CString m_strLastError;
    IUnknown *m_pOwner;                 // not counted
    IUnknown *m_pGUIServer;             // not counted
    CSymbMenuItemList m_MenuItemList;
    CQelCfgProfileClientImpl m_VarEdProfile;
    std::mutex m_PartnerLock;
    IUnknown *m_pForeignDebugServer;    // counted
    IUnknown *m_pPcpStandaloneDebugServer; // counted
    LONG m_nMasterSelector;             // 1: the owner is the master debugger
    BOOL m_bGlobalVarEd;
    BOOL m_bLocalVarEd;
};
