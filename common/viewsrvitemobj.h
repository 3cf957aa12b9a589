// CViewSrvItemObj: what a command handler knows of one view server (viewsrvregistry.h):
// its registration, and one instance (viewsrvinstobj.h) per view that is open. Views are
// opened, shown, activated and closed through the host frame (qelhostframe.h), under the
// cookie with which the handler registered the view server's command. A view goes from
// the list only when the frame reports it closed (RemoveInstance); asking the frame to
// close it is not enough.
#pragma once

#include "storagewrapper.h"
#include "viewsrvinstobj.h"

#include <atlbase.h>

interface IQelHostFrame;

class CViewSrvItemObj : public CObject {
    DECLARE_DYNCREATE(CViewSrvItemObj)

public:
    CViewSrvItemObj();
    ~CViewSrvItemObj() override;

    // Reads the registration of view server `name`, whose CLSID is that of `baseName`
    // (NULL or empty: of `name`). FALSE when the name is empty, or the CLSID or
    // "MultiInst" is missing.
    virtual BOOL ReadRegistration(LPCSTR name, LPCSTR baseName);
    // Shows a view of `sourceFile` (NULL: the default source file; none: just a view):
    // the view that already shows it, or a new one that is told to open it.
    virtual HRESULT CreateInstance(LPCSTR sourceFile);
    // The file a view shows when none is named; NULL: none.
    virtual LPCSTR GetDefaultSourceFile();

    // What the handler tells the item when it registers the view server's command, and
    // when it removes it (the cookie is then no longer the frame's).
    void SetRegistration(DWORD viewServerId, IUnknown *frame, IUnknown *owner, CStorage *settings);
    void ForgetRegistration();

    // Asks the frame to close every view; E_FAIL while views remain in the list.
    HRESULT CloseAll();
    // Shows a view and gives its instance, which is new unless the frame showed a view
    // that is in the list already.
    HRESULT OpenView(CViewSrvInstObj **instance);
    // Frame slot 9: on input `*view` is the view to show (NULL: a new one; for a view
    // server of one view at a time, its view whenever there is one). Both outputs carry
    // a reference for the caller. E_NOINTERFACE without frame.
    HRESULT ShowView(IUnknown **view, IStorage **storage);
    HRESULT CloseView(IUnknown *view);
    // Frame slot 14: the active view (the caller's reference) and the file it shows.
    HRESULT GetActiveView(IUnknown **view, CString &sourceFile);
    // Shows `view` when it is one of this item's; TRUE when the frame did.
    BOOL ActivateView(IUnknown *view);
    BOOL ActivateBySourceFile(LPCSTR name);
    // Deletes the instance of a view that the frame closed; E_INVALIDARG when unknown.
    HRESULT RemoveInstance(IUnknown *view);
    BOOL SetSourceFileOf(IUnknown *view, LPCSTR name);
    // Frame slot 16 for a file that is not empty.
    void NotifyFrame(LPCSTR sourceFile, BOOL added);

    CViewSrvInstObj *FindInstance(IUnknown *view) const;
    // Files compare blind to case; an empty name is shown by no view.
    CViewSrvInstObj *FindInstanceBySourceFile(LPCSTR name) const;
    IUnknown *FindViewBySourceFile(LPCSTR name) const;
    IUnknown *GetFirstView() const;
    const CList<CViewSrvInstObj *, CViewSrvInstObj *> &GetInstances() const { return m_instances; }

    const CString &GetName() const { return m_strName; }
    const CLSID &GetClsid() const { return m_clsid; }
    DWORD GetViewCat() const { return m_nViewCat; }
    DWORD GetMultiInst() const { return m_nMultiInst; }
    DWORD GetViewServerId() const { return m_nViewServerId; }
    IUnknown *GetOwner() const { return m_pOwner; }

protected:
    // `sourceFile`, or the default source file when it is NULL or empty; FALSE when
    // that leaves no file.
    BOOL PickSourceFile(LPCSTR sourceFile, CString &file);
    // A new view (OpenView) told to open `file`, which it then shows.
    HRESULT OpenViewOf(const CString &file);
    // The view of `instance` is told to open `argument` with the open command.
    HRESULT ExecOpenCommand(CViewSrvInstObj *instance, const VARIANT &argument);
    // Sets the file of `instance`, telling the frame when notify is set.
    void AssignSourceFile(CViewSrvInstObj *instance, LPCSTR name);
    HRESULT GetFrame(CComPtr<IQelHostFrame> &frame) const;

    CList<CViewSrvInstObj *, CViewSrvInstObj *> m_instances;
    CString m_strName;
    CString m_strBaseName;
    CLSID m_clsid;
    DWORD m_nViewCat;
    DWORD m_nMultiInst;
    DWORD m_nViewServerId;
    CComPtr<IUnknown> m_frame;
    IUnknown *m_pOwner; // not referenced: it owns the handler that owns this item
    CStorage *m_pSettings;
    BOOL m_bNotify;
    CString m_strDefaultFile;
    const GUID *m_pCommandGroup;
    DWORD m_nOpenCommandId;
};
