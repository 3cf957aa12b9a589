// CBrennet: the add-on component that couples the debugger with a CASE tool. The host
// makes it as an add-on (IQelComponent), routes the commands of its menus and its
// debugger notices to it (IOleCommandTarget) and listens to its events.
//
// It owns the project profile that the host hands to Init (an INI file or the workspace
// storage), the handler list with the add-on's commands, and the one tool link that
// command 2 makes and takes away.
#pragma once

#include "brennetguihandler.h"
#include "brennetids.h"
#include "casetoolcomm.h"
#include "qelcomponentimpl.h"
#include "storagewrappers.h"

#include <atlbase.h>
#include <profile.h>
#include <storagewrapper.h>

class CBrennet : public CComObjectRootEx<CComMultiThreadModel>,
                 public CComCoClass<CBrennet, &CLSID_Brennet>,
                 public QelComponentImpl,
                 public IOleCommandTarget,
                 public IConnectionPointContainerImpl<CBrennet>,
                 public IConnectionPointImpl<CBrennet, &IID__IQelComponentEvents> {
public:
    CBrennet() = default;
    ~CBrennet() override;

    static HRESULT UpdateRegistry(BOOL bRegister);

    BEGIN_COM_MAP(CBrennet)
        COM_INTERFACE_ENTRY(IQelComponent)
        COM_INTERFACE_ENTRY(IOleCommandTarget)
        COM_INTERFACE_ENTRY(IConnectionPointContainer)
    END_COM_MAP()

    BEGIN_CONNECTION_POINT_MAP(CBrennet)
        CONNECTION_POINT_ENTRY(IID__IQelComponentEvents)
    END_CONNECTION_POINT_MAP()

    HRESULT FinalConstruct();
    void FinalRelease();

    STDMETHODIMP QueryStatus(const GUID *group, ULONG count, OLECMD *cmds, OLECMDTEXT *text) override;
    STDMETHODIMP Exec(const GUID *group, DWORD id, DWORD options, VARIANT *in, VARIANT *out) override;

    // Command 1: the setup dialog until the user leaves it with a usable tool text or
    // cancels. `result`, when it has one element, receives VT_BOOL: whether a tool was
    // chosen.
    void ConfigureTool(CQelCfgProfileClientImpl &toolItem, CVariantArray *result);
    // Command 2: takes the link away when one is connected, else links the configured
    // tool, configuring it first when there is none.
    void SwitchTool(CQelCfgProfileClientImpl &toolItem);
    // The tool link; NULL while none is linked.
    CCaseToolComm *ToolLink() const { return m_link; }
    BOOL IsToolConnected() const { return m_link != nullptr && m_link->IsConnected(); }
    // The profile that Init took: 1 an INI file, 0 otherwise; NULL before.
    Profile::CProfile *ProjectProfile() const { return m_profile; }
    int ProjectProfileKind() const { return m_profileKind; }

protected:
    IUnknown *GetComponentUnknown() override { return static_cast<IQelComponent *>(this); }
    HRESULT OnInit(VARIANT target, VARIANT project, IUnknown *host) override;
    void OnCleanup() override;
    HRESULT OnConnectGui() override;
    HRESULT OnCheckGui() override;
    BOOL GetProperty(LONG id, LONG *value) override;
    void FireEvent(ComponentEvent event) override;

private:
    HRESULT TakeProjectProfile(const VARIANT &project);
    void ConnectTool(const CString &toolText);
    void DisconnectTool();
    void DropProjectProfile();
    // The setup dialog until the user leaves it with a usable text (stored in the host
    // profile, into `chosen`) or cancels (false).
    bool RunSetup(CQelCfgProfileClientImpl &toolItem, CString &chosen);

    Profile::CProfile *m_profile = nullptr;
    int m_profileKind = 0;
    CComPtr<IStorage> m_projectStorage;
    CComPtr<IUnknown> m_frame;
    CComPtr<IUnknown> m_debugServer;
    CQelStorageWrapper m_storageWrapper;
    CStorage *m_settings = nullptr;
    LONG m_property1 = 1;
    CCaseToolComm *m_link = nullptr;
    CBrennetGuiItemList *m_handlers = nullptr;
};
