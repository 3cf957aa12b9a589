// The host's debug-server object, as far as the system reaches it: the holder interface
// with, behind it, the chain of objects at whose end the controller information stands
// and the object with the error receiver; and the message sink.
//
// Each object of the chain is a class of its own with the slots of its interface
// (hostinterfaces.h), so that a test can replace one step by a class of its own. The
// slots that the system does not call yet answer E_NOTIMPL.
#pragma once

#include <atlbase.h>
#include <hostinterfaces.h>
#include <qelhostframe.h>
#include <qelsymbsrv.h>

#include "hostbreakpoints.h"
#include "hostcommands.h"
#include "hostcontrollerinfo.h"
#include "hostdownloads.h"
#include "hostreports.h"
#include "hosttarget.h"
#include "hostvariableservices.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace QelHost {

// Slot 27 gives the controller-information object.
class CHostTargetObject : public CComObjectRootEx<CComMultiThreadModel>, public IQelTargetObject {
public:
    BEGIN_COM_MAP(CHostTargetObject)
        COM_INTERFACE_ENTRY_IID(IID_IUnknown, IQelTargetObject)
    END_COM_MAP()

    void SetController(IUnknown *controller) { m_controller = controller; }

    STDMETHODIMP Slot03() override { return E_NOTIMPL; }
    STDMETHODIMP Slot04() override { return E_NOTIMPL; }
    STDMETHODIMP Slot05() override { return E_NOTIMPL; }
    STDMETHODIMP Slot06() override { return E_NOTIMPL; }
    STDMETHODIMP Slot07() override { return E_NOTIMPL; }
    STDMETHODIMP Slot08() override { return E_NOTIMPL; }
    STDMETHODIMP Slot09() override { return E_NOTIMPL; }
    STDMETHODIMP Slot10() override { return E_NOTIMPL; }
    STDMETHODIMP Slot11() override { return E_NOTIMPL; }
    STDMETHODIMP Slot12() override { return E_NOTIMPL; }
    STDMETHODIMP Slot13() override { return E_NOTIMPL; }
    STDMETHODIMP Slot14() override { return E_NOTIMPL; }
    STDMETHODIMP Slot15() override { return E_NOTIMPL; }
    STDMETHODIMP Slot16() override { return E_NOTIMPL; }
    STDMETHODIMP Slot17() override { return E_NOTIMPL; }
    STDMETHODIMP Slot18() override { return E_NOTIMPL; }
    STDMETHODIMP Slot19() override { return E_NOTIMPL; }
    STDMETHODIMP Slot20() override { return E_NOTIMPL; }
    STDMETHODIMP Slot21() override { return E_NOTIMPL; }
    STDMETHODIMP Slot22() override { return E_NOTIMPL; }
    STDMETHODIMP Slot23() override { return E_NOTIMPL; }
    STDMETHODIMP Slot24() override { return E_NOTIMPL; }
    STDMETHODIMP Slot25() override { return E_NOTIMPL; }
    STDMETHODIMP Slot26() override { return E_NOTIMPL; }
    STDMETHODIMP GetControllerObject(IUnknown **ppController) override;

private:
    CComPtr<IUnknown> m_controller;
};

// Slot 4 gives the values set by name, slot 24 the target object; slots 21 and 25 say
// whether a PCP debugger is bound and to which main debugger (standalone until
// SetPcpMaster names one).
class CHostWindowValues : public CComObjectRootEx<CComMultiThreadModel>, public IQelWindowValues {
public:
    BEGIN_COM_MAP(CHostWindowValues)
        COM_INTERFACE_ENTRY(IQelWindowValues)
    END_COM_MAP()

    void SetTarget(IQelTargetObject *target) { m_target = target; }
    void SetValue(LPCOLESTR name, DWORD value);
    // The main debugger's name, under which the profile's IQelDebugServerNames knows it;
    // NULL: the PCP debugger stands alone.
    void SetPcpMaster(LPCOLESTR name);

    STDMETHODIMP Slot03() override { return E_NOTIMPL; }
    // E_INVALIDARG for a name that has no value set.
    STDMETHODIMP GetValue(LPCOLESTR name, LONG reserved, DWORD *pValue) override;
    STDMETHODIMP Slot05() override { return E_NOTIMPL; }
    STDMETHODIMP Slot06() override { return E_NOTIMPL; }
    STDMETHODIMP Slot07() override { return E_NOTIMPL; }
    STDMETHODIMP Slot08() override { return E_NOTIMPL; }
    STDMETHODIMP Slot09() override { return E_NOTIMPL; }
    STDMETHODIMP Slot10() override { return E_NOTIMPL; }
    STDMETHODIMP Slot11() override { return E_NOTIMPL; }
    STDMETHODIMP Slot12() override { return E_NOTIMPL; }
    STDMETHODIMP Slot13() override { return E_NOTIMPL; }
    STDMETHODIMP Slot14() override { return E_NOTIMPL; }
    STDMETHODIMP Slot15() override { return E_NOTIMPL; }
    STDMETHODIMP Slot16() override { return E_NOTIMPL; }
    STDMETHODIMP Slot17() override { return E_NOTIMPL; }
    STDMETHODIMP Slot18() override { return E_NOTIMPL; }
    STDMETHODIMP Slot19() override { return E_NOTIMPL; }
    STDMETHODIMP Slot20() override { return E_NOTIMPL; }
    // 0 standalone, 1 bound.
    STDMETHODIMP PcpBinding() override;
    STDMETHODIMP Slot22() override { return E_NOTIMPL; }
    STDMETHODIMP Slot23() override { return E_NOTIMPL; }
    STDMETHODIMP GetTargetObject(IQelTargetObject **ppTarget) override;
    // E_FAIL and a null name when standalone.
    STDMETHODIMP GetMasterName(BSTR *pbstrName) override;

private:
    CComPtr<IQelTargetObject> m_target;
    std::mutex m_valueLock;
    std::map<std::u16string, DWORD> m_values;
    bool m_bound = false;
    std::u16string m_masterName;
};

// The debug-server object: slot 13 of its holder interface gives the configuration
// profile, slot 16 the window values, slot 17 the object with the error receiver, slots
// 18 and 20 whether message boxes are forbidden and the window that owns them; it is the
// message sink itself, recording the lines into its HostReports, and the target-pattern
// interface, recording the downloads into its HostDownloads (and, once offered, the
// extended memory interface, recording there too). It carries a symbol
// server as the host does, aggregating it (CreateSymbolServer): every interface that the
// object does not answer itself is the symbol server's, with this object's identity. A
// test may set a stand-in for IQelSymbSrv alone instead (SetSymbolServer), which keeps
// its own identity.
//
// Its command target records every command into its HostCommands. It answers the
// target-access command of the host's command group itself, and command 200 with the
// number 7 first (an inner communication object, hostcommobject.h); it passes every
// other command to the symbol server it carries, as the host's does.
//
// Over its simulated target (Target) it offers the target-memory interface, and in its
// connection-point container the target-state and target-pattern points of the target's
// sources; every other point is the carried server's.
class CHostDebugServer : public CComObjectRootEx<CComMultiThreadModel>,
                         public IQelHostHolder,
                         public IQelMessageSink,
                         public IQelTargetPattern,
                         public IQelExtendedMemory,
                         public IQelTargetMemory,
                         public IOleCommandTarget,
                         public IQelServerState,
                         public IConnectionPointContainer {
public:
    BEGIN_COM_MAP(CHostDebugServer)
        COM_INTERFACE_ENTRY(IQelHostHolder)
        COM_INTERFACE_ENTRY(IQelMessageSink)
        COM_INTERFACE_ENTRY(IQelTargetPattern)
        COM_INTERFACE_ENTRY(IQelTargetMemory)
        COM_INTERFACE_ENTRY(IOleCommandTarget)
        COM_INTERFACE_ENTRY(IQelServerState)
        COM_INTERFACE_ENTRY(IConnectionPointContainer)
        {&qel_uuidof<IQelExtendedMemory>(), &CHostDebugServer::QueryExtendedMemory},
        COM_INTERFACE_ENTRY_AGGREGATE(qel_uuidof<IQelVariableUpdate>(), m_services)
        COM_INTERFACE_ENTRY_AGGREGATE(qel_uuidof<IQelTargetState>(), m_services)
        COM_INTERFACE_ENTRY_AGGREGATE(qel_uuidof<IQelRefreshWindows>(), m_services)
        COM_INTERFACE_ENTRY_AGGREGATE(qel_uuidof<IQelRefreshQueue>(), m_services)
        COM_INTERFACE_ENTRY_AGGREGATE(qel_uuidof<IQelRefreshQueueState>(), m_services)
        COM_INTERFACE_ENTRY_AGGREGATE(qel_uuidof<IQelMemoryAccess>(), m_services)
        {&qel_uuidof<IQelSymbSrv>(), &CHostDebugServer::QuerySymbolServer},
        {nullptr, &CHostDebugServer::QueryAggregated},
    END_COM_MAP()

    HRESULT FinalConstruct();
    void FinalRelease();

    // The simulated target; it lives as long as this object at least.
    CHostTarget *Target() const { return m_target; }
    // The services behind the watch and locals windows (hostvariableservices.h), which
    // this object offers; they live as long as it does.
    CHostVariableServices *VariableServices() const { return m_variableServices; }

    void SetProfile(IUnknown *profile) { m_profile = profile; }
    // What slot 14 gives: the GUI server (the frame) that the host gives its servers.
    void SetGuiServer(IUnknown *guiServer) { m_guiServer = guiServer; }
    // The add-ons that the commands of the frame add-on's group are offered to, in this
    // order, until one knows the group (none: the host answers them itself); held until
    // others are set, so the host sets none once they are cleaned up.
    void SetAddOns(const std::vector<IUnknown *> &addOns);
    void SetWindowValues(IUnknown *windowValues) { m_windowValues = windowValues; }
    void SetErrorObject(IUnknown *errorObject) { m_errorObject = errorObject; }
    // What slots 18 and 20 give: 0 (boxes may be shown) and NULL unless set.
    void SetNoMessageBoxes(LONG flag) { m_noMessageBoxes = flag; }
    void SetOwnerWindow(HWND window) { m_ownerWindow = window; }
    void SetReports(std::shared_ptr<HostReports> reports) { m_reports = std::move(reports); }
    std::shared_ptr<HostReports> Reports() const { return m_reports; }
    // The controller information at the end of its chain finds this object through
    // `link`, which it clears as it ends.
    void SetControllerLink(std::shared_ptr<DebugServerLink> link);
    void SetDownloads(std::shared_ptr<HostDownloads> downloads) { m_downloads = std::move(downloads); }
    std::shared_ptr<HostDownloads> Downloads() const { return m_downloads; }
    void SetCommands(std::shared_ptr<HostCommands> commands) { m_commands = std::move(commands); }
    // The breakpoints that the servers set through the host's breakpoint commands.
    std::vector<HostBreakpoint> Breakpoints() const { return m_breakpoints.Entries(); }
    std::shared_ptr<HostCommands> Commands() const { return m_commands; }
    // Whether QueryInterface offers the extended memory interface; not until asked to, as
    // with most hosts.
    void OfferExtendedMemory(bool offered) { m_extendedMemory = offered; }
    // The object that answers for IQelSymbSrv; NULL: none.
    void SetSymbolServer(IUnknown *symbolServer);
    // Makes the symbol server of class `clsid` inside this object, which aggregates it,
    // in place of the one it carried; the answer of CoCreateInstance.
    HRESULT CreateSymbolServer(REFCLSID clsid);
    // Lets go of the symbol server it carries (the host calls Cleanup on it first).
    void ReleaseSymbolServer();
    // The objects registered at the sink and not unregistered yet.
    size_t Registrations() const;
    // What slot 7 of the server-state interface answers; 1 unless set.
    void SetServerState(LONG state) { m_serverState = state; }

    STDMETHODIMP Slot03() override { return E_NOTIMPL; }
    STDMETHODIMP Slot04() override { return E_NOTIMPL; }
    STDMETHODIMP Slot05() override { return E_NOTIMPL; }
    STDMETHODIMP Slot06() override { return E_NOTIMPL; }
    STDMETHODIMP Slot07() override { return E_NOTIMPL; }
    STDMETHODIMP Slot08() override { return E_NOTIMPL; }
    STDMETHODIMP Slot09() override { return E_NOTIMPL; }
    STDMETHODIMP Slot10() override { return E_NOTIMPL; }
    STDMETHODIMP Slot11() override { return E_NOTIMPL; }
    STDMETHODIMP Slot12() override { return E_NOTIMPL; }
    STDMETHODIMP GetProfile(IUnknown **ppProfile) override;
    // E_FAIL and NULL while no GUI server is set.
    STDMETHODIMP GetGuiServer(IUnknown **ppGuiServer) override;
    STDMETHODIMP Slot15() override { return E_NOTIMPL; }
    STDMETHODIMP GetWindowValues(IUnknown **ppWindowValues) override;
    STDMETHODIMP GetErrorObject(IUnknown **ppErrorObject) override;
    STDMETHODIMP GetNoMessageBoxes(LONG *pFlag) override;
    STDMETHODIMP Slot19() override { return E_NOTIMPL; }
    STDMETHODIMP GetOwnerWindow(HWND *pWindow) override;
    // Placeholders of the other interfaces, in slots that the holder gives names.
    STDMETHODIMP Slot13() override { return E_NOTIMPL; }
    STDMETHODIMP Slot14() override { return E_NOTIMPL; }
    STDMETHODIMP Slot16() override { return E_NOTIMPL; }
    STDMETHODIMP Slot17() override { return E_NOTIMPL; }
    STDMETHODIMP Slot18() override { return E_NOTIMPL; }
    STDMETHODIMP Slot20() override { return E_NOTIMPL; }
    STDMETHODIMP Slot21() override { return E_NOTIMPL; }
    STDMETHODIMP Slot22() override { return E_NOTIMPL; }
    STDMETHODIMP Slot23() override { return E_NOTIMPL; }
    STDMETHODIMP Slot24() override { return E_NOTIMPL; }
    STDMETHODIMP Slot25() override { return E_NOTIMPL; }
    STDMETHODIMP Slot26() override { return E_NOTIMPL; }
    STDMETHODIMP Slot27() override { return E_NOTIMPL; }
    STDMETHODIMP Slot28() override { return E_NOTIMPL; }
    STDMETHODIMP Slot29() override { return E_NOTIMPL; }
    STDMETHODIMP Slot30() override { return E_NOTIMPL; }
    STDMETHODIMP Slot31() override { return E_NOTIMPL; }

    // The message sink. A registration holds a reference to the registered object until
    // it is unregistered (E_INVALIDARG for a cookie that is not registered).
    STDMETHODIMP TraceLine(LONG kind, LPCOLESTR source, LPCOLESTR line) override;
    STDMETHODIMP Register(IUnknown *registration, DWORD *pCookie) override;
    STDMETHODIMP Unregister(DWORD cookie) override;
    STDMETHODIMP GetLevel(DWORD *pLevel) override;

    // The server-state interface; its SlotNN are the holder's: E_NOTIMPL.
    STDMETHODIMP GetServerState(LONG *pState) override;

    // The target-pattern interface. Its SlotNN are the ones above: E_NOTIMPL.
    STDMETHODIMP DownloadBlock(DWORD start, DWORD length, const BYTE *data, DWORD kind, DWORD programId) override;
    STDMETHODIMP AnnounceDownload(DWORD blockCount, DWORD byteCount, DWORD programId) override;
    STDMETHODIMP ForgetCodeSection(LONG id) override;
    STDMETHODIMP RegisterProgressWindow(UINT message, LONG reg, LONG window) override;
    // Source 1 is this object itself when the downloads' record offers a second source.
    STDMETHODIMP GetDownloadSource(LONG which, IUnknown **source) override;
    STDMETHODIMP GetDownloadTotal(DWORD *total) override;
    STDMETHODIMP EngineStopped() override;
    STDMETHODIMP AnnounceStartAddress(LONG id, DWORD address, DWORD address2, DWORD reserved) override;

    // The extended memory interface; its SlotNN too are the ones above.
    STDMETHODIMP WriteMemory(DWORD start, DWORD target, DWORD length, const BYTE *data, DWORD memoryType,
                             DWORD programId) override;

    // The target-memory interface over the target's memory: S_OK when every byte was
    // written or read, E_FAIL otherwise. The space is noted, not used.
    STDMETHODIMP WriteBlock(DWORD space, DWORD address, DWORD count, BYTE *buffer, DWORD flags) override;
    STDMETHODIMP ReadBlock(DWORD space, DWORD address, DWORD count, BYTE *buffer, DWORD flags) override;

    // The connection-point container: the target's two points, then the carried
    // server's (CONNECT_E_NOCONNECTION for another point without one).
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints **ppEnum) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint **ppPoint) override;

    // The command target. QueryStatus is entirely the carried symbol server's
    // (OLECMDERR_E_UNKNOWNGROUP without one). Exec answers the target-access command with
    // the target in *out as VT_UNKNOWN (E_POINTER without `out`), command 200 with the
    // number 7 first with a new inner communication object, and every command of the
    // host's breakpoint group and of the frame add-on's group with S_OK, doing nothing
    // but recording it; every other command is the carried symbol server's, and without
    // one OLECMDERR_E_NOTSUPPORTED in the host's command group, OLECMDERR_E_UNKNOWNGROUP
    // in any other. With an add-on set, the commands of the add-on's group are the
    // add-on's. The record of each command gets its result.
    STDMETHODIMP QueryStatus(const GUID *group, ULONG count, OLECMD *cmds, OLECMDTEXT *text) override;
    STDMETHODIMP Exec(const GUID *group, DWORD id, DWORD options, VARIANT *in, VARIANT *out) override;

private:
    HRESULT Answer(const GUID *group, DWORD id, DWORD options, VARIANT *in, VARIANT *out);
    static HRESULT QueryExtendedMemory(void *self, REFIID iid, void **ppv);
    static HRESULT QuerySymbolServer(void *self, REFIID iid, void **ppv);
    static HRESULT QueryAggregated(void *self, REFIID iid, void **ppv);
    // The command target of the symbol server it carries (NULL: none), with the server
    // held as well for the length of a call: the interface's references are this
    // object's, and do not keep the server.
    struct CarriedCommands {
        CComPtr<IUnknown> server;
        CComPtr<IOleCommandTarget> target;
    };
    CarriedCommands CarriedCommandTarget();
    // The symbol server hears the breakpoint list (its command 16).
    void TellBreakpoints();
    // The carried server's connection-point container, held as the command target is.
    struct CarriedPoints {
        CComPtr<IUnknown> server;
        CComPtr<IConnectionPointContainer> container;
    };
    CarriedPoints CarriedContainer();

    CComPtr<IUnknown> m_profile;
    CComPtr<IUnknown> m_guiServer;
    std::mutex m_addOnLock;
    std::vector<CComPtr<IOleCommandTarget>> m_addOns;
    CComPtr<IUnknown> m_windowValues;
    CComPtr<IUnknown> m_errorObject;
    std::atomic<LONG> m_noMessageBoxes{0};
    std::atomic<HWND> m_ownerWindow{nullptr};
    std::shared_ptr<HostReports> m_reports = std::make_shared<HostReports>();
    std::shared_ptr<HostDownloads> m_downloads = std::make_shared<HostDownloads>();
    std::shared_ptr<HostCommands> m_commands = std::make_shared<HostCommands>();
    HostBreakpointList m_breakpoints;
    std::shared_ptr<DebugServerLink> m_controllerLink;
    std::atomic<bool> m_extendedMemory{false};
    std::atomic<LONG> m_serverState{1};
    CComPtr<CHostTarget> m_target;
    CComPtr<IUnknown> m_services; // the inner IUnknown of the aggregated services
    CHostVariableServices *m_variableServices = nullptr;
    std::mutex m_symbolServerLock;
    CComPtr<IUnknown> m_symbolServer;
    CComPtr<IUnknown> m_aggregated; // the inner IUnknown of the symbol server it carries
    mutable std::mutex m_registrationLock;
    std::map<DWORD, CComPtr<IUnknown>> m_registrations;
    DWORD m_lastCookie = 0;
};

// A debug-server object whose chain ends in a controller of `config`, with an empty
// configuration profile and an error receiver; its sink and receiver record into `reports` (null: a record of its own). The
// caller owns the one reference in *ppServer.
HRESULT CreateDebugServer(const ControllerConfig &config, IUnknown **ppServer,
                          std::shared_ptr<HostReports> reports = nullptr);

} // namespace QelHost
