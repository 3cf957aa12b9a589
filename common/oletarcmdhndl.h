// CBasicOleTarCmdHndl: the base of the command handlers behind a server's
// IOleCommandTarget (oletarcmdclass.h). A handler owns the commands of one command group
// through its static command table (oletarcmdtable.h): it answers their status, runs
// them with their arguments as CVariantArrays, registers them with the host frame
// (qelhostframe.h) and keeps one view-server item (viewsrvitemobj.h) for each entry that
// names a view server registered for the server.
//
// A subclass overrides GetCommandTable and GetClassGuid, and its constructor calls
// InitCommandArrays. Handlers answer QueryStatus and Exec also before Connect.
#pragma once

#include "findstringarray.h"
#include "oletarcmdtable.h"
#include "storagewrapper.h"

#include <atlbase.h>

interface IQelHostFrame;
class CViewSrvItemObj;

class CBasicOleTarCmdHndl : public CObject {
    DECLARE_DYNAMIC(CBasicOleTarCmdHndl)

public:
    CBasicOleTarCmdHndl();
    ~CBasicOleTarCmdHndl() override;

    // Whether the handler knows the command; *handled tells whether it also decided its
    // state. The command's flags receive the enable and check state, and `text` (when
    // asked for) the status text.
    virtual BOOL QueryStatus(const GUID *group, OLECMD *cmd, OLECMDTEXT *text, BOOL *handled);
    // Whether the handler knows the command; *hr receives its result. The options go with
    // it: values handed over to a command that succeeds are freed here (cmdhandover.h).
    virtual BOOL Exec(const GUID *group, DWORD id, DWORD options, VARIANT *in, VARIANT *out, HRESULT *hr);
    // Keeps the frame and the settings and registers the entries of level 0; FALSE when
    // the frame offers no frame interface.
    virtual BOOL Connect(IUnknown *frame, CStorage *settings);
    // Removes every registered entry; TRUE when there was a frame interface.
    virtual BOOL Disconnect();
    virtual HRESULT GetHandlerStatus();
    // Entries of exactly `level` (1 or more) are registered; those of `level` or above
    // are removed. Both need the frame and the settings.
    virtual BOOL AddCommandsOfLevel(int level);
    virtual BOOL RemoveCommandsOfLevel(int level);
    // The server object (not referenced: it owns the handler's owner).
    virtual void SetServerInterface(IUnknown *owner);
    virtual void SetHandlerFlag(int flag);
    // For entries that depend on the server: *decided and the owner's server state.
    virtual BOOL GetCommandState(DWORD id, BOOL *decided);
    virtual BOOL GetDefaultCommandState();
    virtual void UpdateCommandStatus(DWORD id);
    // Makes the item objects of the entries whose view servers are in `names`.
    virtual BOOL MatchViewServers(CFindStringArray *names);
    virtual void SetCommandTarget(IUnknown *target);
    // The delegate for commands of this handler; NULL unless delegation is on.
    virtual IUnknown *GetCommandTarget(const GUID *group, DWORD id);
    // The file that the open-view command opens without argument.
    virtual BOOL GetCommandText(CString &text);
    virtual BOOL AddCommand(IQelHostFrame *frame, int index, int level);
    virtual BOOL RemoveCommand(IQelHostFrame *frame, int index, int level);
    // The first entry of `id`, or NULL.
    virtual const OLECMDTARHNDLENTRY *FindCommand(DWORD id);
    virtual BOOL ExecCommand(DWORD id, DWORD options, VARIANT *in, VARIANT *out, HRESULT *hr);
    virtual const OLECMDTARHNDLENTRY *GetCommandTable();
    // The command group; NULL: GUID_NULL, which NULL groups address.
    virtual const GUID *GetClassGuid();

    BOOL IsCmdGroup(const GUID *group);
    CViewSrvItemObj *GetFirstItemObj() const;
    // The item object of entry `index`, NULL when none.
    CViewSrvItemObj *GetItemObj(int index) const;
    BOOL IsRegistered(int index) const;

    // The member function of entries that open views (see the .cpp for its arguments).
    HRESULT OpenViewCommand(CVariantArray *in, CVariantArray *out);

protected:
    void InitCommandArrays(BOOL delegation);
    // During QueryStatus: the queried command's enable and check state.
    void Enable(BOOL enable);
    void SetCheck(int state);

    int GetEntryCount();
    BOOL IsValidForRegistration(const OLECMDTARHNDLENTRY &entry) const;
    BOOL RegisterWithFrame(IQelHostFrame *frame, int index, const OLECMDTARHNDLENTRY &entry);
    BOOL AddFrameItems(IQelHostFrame *frame, DWORD cookie, const OLECMDTARHNDLENTRY &entry);
    BOOL WriteScriptItem(const OLECMDTARHNDLENTRY &entry);

    CString m_strStatusText;
    IUnknown *m_pOwner;
    CComPtr<IUnknown> m_frame;
    CStorage *m_pSettings;
    CObArray m_itemObjects;
    IUnknown *m_pCommandTarget;
    int m_nHandlerFlag;
    OLECMD *m_pQueriedCmd;
    BOOL m_bHandled;
    BOOL m_bDelegation;
    CArray<int, int &> m_registered;
    // The cookie of each registered entry (framecookies.h).
    CDWordArray m_cookies;
    CComPtr<IQelHostFrame> m_frameInterface;
};
