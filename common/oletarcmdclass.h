// CBasicOleTarCmdClass: what stands behind a server's IOleCommandTarget: the server's
// command handlers (oletarcmdhndl.h), one per class of GetHandlerClasses, asked in that
// order. The first handler that knows a command of a group takes it; a command that no
// handler takes is OLECMDERR_E_UNKNOWNGROUP.
//
// The class also knows which view servers are registered for the server
// (viewsrvregistry.h); each handler makes its view-server items from these names.
#pragma once

#include "oletarcmdhndl.h"

class CBasicOleTarCmdClass : public CObject {
    DECLARE_DYNAMIC(CBasicOleTarCmdClass)

public:
    // Loads the names of the view servers registered for `server`.
    explicit CBasicOleTarCmdClass(const CLSID *server);
    ~CBasicOleTarCmdClass() override;

    // IOleCommandTarget's two methods; the options of Exec go to the handler.
    virtual HRESULT QueryStatus(const GUID *group, ULONG count, OLECMD *cmds, OLECMDTEXT *text);
    virtual HRESULT Exec(const GUID *group, DWORD id, DWORD options, VARIANT *in, VARIANT *out);
    // Every handler in turn; the first that fails ends with FALSE.
    virtual BOOL Connect(IUnknown *frame, CStorage *settings);
    virtual BOOL Disconnect();
    // The last failing status of the handlers, S_OK when none fails.
    virtual HRESULT GetHandlerStatus();
    // Each passed to every handler.
    virtual void SetServerInterface(IUnknown *owner);
    virtual void SetCommandTarget(IUnknown *target);
    virtual void SetHandlerFlag(int flag);
    // The handler classes, ended by NULL; NULL in the base.
    virtual CRuntimeClass **GetHandlerClasses();

    const CFindStringArray &GetViewServerNames() const { return m_viewServerNames; }
    DWORD GetHighestViewCat() const { return m_nHighestViewCat; }
    const CList<CBasicOleTarCmdHndl *, CBasicOleTarCmdHndl *> &GetHandlers() const { return m_handlers; }

protected:
    // Called by the subclass's constructor: one handler per class that derives from
    // CBasicOleTarCmdHndl; a class whose object cannot be made is passed over.
    void CreateHandlers();

    CList<CBasicOleTarCmdHndl *, CBasicOleTarCmdHndl *> m_handlers;
    CFindStringArray m_viewServerNames;
    DWORD m_nHighestViewCat;
};
