#include "debugserver.h"

#include "hostcfgprofile.h"
#include "hostcommobject.h"
#include "hosterrorreceiver.h"

#include <hostcmdgroups.h>
#include <oletarcmdcaller.h>
#include <qelsymbol.h>
#include <qelhostframe.h>

namespace QelHost {

namespace {

// The object's first reference goes to the caller.
template <class Object>
HRESULT Create(CComObject<Object> **object)
{
    HRESULT hr = CComObject<Object>::CreateInstance(object);
    if (SUCCEEDED(hr))
        (*object)->AddRef();
    return hr;
}

// Command 200 of the host's group with this number first asks for an inner communication
// object; the symbol server answers it with other numbers.
constexpr DWORD kCommObjectCommand = 200;
constexpr ULONG kInnerCommObject = 7;

// Whether the first input of a command is the VT_UI4 `number`: the input itself when one
// came, the first element of the array of several.
bool FirstInputIs(const VARIANT *in, ULONG number)
{
    if (in == nullptr)
        return false;
    const VARIANT *first = in;
    if (in->vt == (VT_ARRAY | VT_VARIANT)) {
        LONG lower = 0, upper = -1;
        if (in->parray == nullptr || SafeArrayGetDim(in->parray) != 1 ||
            FAILED(SafeArrayGetLBound(in->parray, 1, &lower)) || FAILED(SafeArrayGetUBound(in->parray, 1, &upper)) ||
            upper < lower)
            return false;
        first = static_cast<const VARIANT *>(in->parray->pvData);
    }
    return first->vt == VT_UI4 && first->ulVal == number;
}

HRESULT HandOut(IUnknown *object, IUnknown **pp)
{
    if (pp == nullptr)
        return E_POINTER;
    *pp = object;
    if (object == nullptr)
        return E_FAIL;
    object->AddRef();
    return S_OK;
}

} // namespace

STDMETHODIMP CHostTargetObject::GetControllerObject(IUnknown **ppController)
{
    return HandOut(m_controller, ppController);
}

STDMETHODIMP CHostWindowValues::GetTargetObject(IQelTargetObject **ppTarget)
{
    if (ppTarget == nullptr)
        return E_POINTER;
    *ppTarget = m_target;
    if (m_target == nullptr)
        return E_FAIL;
    m_target->AddRef();
    return S_OK;
}

void CHostWindowValues::SetPcpMaster(LPCOLESTR name)
{
    std::lock_guard<std::mutex> hold(m_valueLock);
    m_bound = name != nullptr;
    m_masterName = name != nullptr ? name : u"";
}

STDMETHODIMP CHostWindowValues::PcpBinding()
{
    std::lock_guard<std::mutex> hold(m_valueLock);
    return m_bound ? 1 : 0;
}

STDMETHODIMP CHostWindowValues::GetMasterName(BSTR *pbstrName)
{
    if (pbstrName == nullptr)
        return E_POINTER;
    *pbstrName = nullptr;
    std::lock_guard<std::mutex> hold(m_valueLock);
    if (!m_bound)
        return E_FAIL;
    *pbstrName = SysAllocStringLen(m_masterName.data(), static_cast<UINT>(m_masterName.size()));
    return *pbstrName != nullptr ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CHostDebugServer::GetProfile(IUnknown **ppProfile)
{
    return HandOut(m_profile, ppProfile);
}

void CHostWindowValues::SetValue(LPCOLESTR name, DWORD value)
{
    std::lock_guard<std::mutex> hold(m_valueLock);
    m_values[name] = value;
}

STDMETHODIMP CHostWindowValues::GetValue(LPCOLESTR name, LONG, DWORD *pValue)
{
    if (name == nullptr || pValue == nullptr)
        return E_POINTER;
    std::lock_guard<std::mutex> hold(m_valueLock);
    auto found = m_values.find(name);
    if (found == m_values.end())
        return E_INVALIDARG;
    *pValue = found->second;
    return S_OK;
}

void CHostDebugServer::SetSymbolServer(IUnknown *symbolServer)
{
    std::lock_guard<std::mutex> hold(m_symbolServerLock);
    m_symbolServer = symbolServer;
}

HRESULT CHostDebugServer::QueryExtendedMemory(void *self, REFIID, void **ppv)
{
    CHostDebugServer *server = static_cast<CHostDebugServer *>(self);
    if (!server->m_extendedMemory) {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    IQelExtendedMemory *memory = server;
    memory->AddRef();
    *ppv = memory;
    return S_OK;
}

HRESULT CHostDebugServer::QuerySymbolServer(void *self, REFIID iid, void **ppv)
{
    CHostDebugServer *server = static_cast<CHostDebugServer *>(self);
    CComPtr<IUnknown> symbolServer;
    {
        std::lock_guard<std::mutex> hold(server->m_symbolServerLock);
        symbolServer = server->m_symbolServer;
    }
    if (symbolServer == nullptr)
        return QueryAggregated(self, iid, ppv);
    return symbolServer->QueryInterface(iid, ppv);
}

HRESULT CHostDebugServer::QueryAggregated(void *self, REFIID iid, void **ppv)
{
    CHostDebugServer *server = static_cast<CHostDebugServer *>(self);
    CComPtr<IUnknown> inner;
    {
        std::lock_guard<std::mutex> hold(server->m_symbolServerLock);
        inner = server->m_aggregated;
    }
    if (inner == nullptr) {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    return inner->QueryInterface(iid, ppv);
}

HRESULT CHostDebugServer::CreateSymbolServer(REFCLSID clsid)
{
    CComPtr<IUnknown> inner;
    HRESULT hr = CoCreateInstance(clsid, GetUnknown(), CLSCTX_INPROC_SERVER, IID_IUnknown,
                                  reinterpret_cast<void **>(&inner));
    if (FAILED(hr))
        return hr;
    CComPtr<IUnknown> old; // released after the lock is left: the server may call back
    std::lock_guard<std::mutex> hold(m_symbolServerLock);
    old = m_aggregated;
    m_aggregated = inner;
    return S_OK;
}

void CHostDebugServer::ReleaseSymbolServer()
{
    CComPtr<IUnknown> old;
    std::lock_guard<std::mutex> hold(m_symbolServerLock);
    old.Attach(m_aggregated.Detach());
}

HRESULT CHostDebugServer::FinalConstruct()
{
    CComObject<CHostTarget> *target = nullptr;
    HRESULT hr = Create(&target);
    if (FAILED(hr))
        return hr;
    m_target.Attach(target);
    CComAggObject<CHostVariableServices> *services = nullptr;
    hr = CComAggObject<CHostVariableServices>::CreateInstance(GetUnknown(), &services);
    if (FAILED(hr))
        return hr;
    services->m_contained.SetTarget(m_target);
    m_variableServices = &services->m_contained;
    m_services = static_cast<IUnknown *>(services);
    return S_OK;
}

void CHostDebugServer::SetControllerLink(std::shared_ptr<DebugServerLink> link)
{
    m_controllerLink = std::move(link);
    std::lock_guard<std::mutex> hold(m_controllerLink->lock);
    m_controllerLink->server = static_cast<IQelHostHolder *>(this);
}

void CHostDebugServer::FinalRelease()
{
    if (m_controllerLink != nullptr) {
        std::lock_guard<std::mutex> hold(m_controllerLink->lock);
        m_controllerLink->server = nullptr;
    }
    // The symbol server goes while this object is still whole, since it may still ask it
    // for interfaces as it ends.
    ReleaseSymbolServer();
    m_variableServices = nullptr;
    m_services.Release();
}

STDMETHODIMP CHostDebugServer::DownloadBlock(DWORD start, DWORD length, const BYTE *data, DWORD kind, DWORD programId)
{
    HRESULT hr = m_downloads->AddBlock(start, length, data, kind, programId);
    if (hr == S_OK && !m_target->Download(start, length, data))
        hr = E_FAIL;
    return hr;
}

STDMETHODIMP CHostDebugServer::AnnounceDownload(DWORD blockCount, DWORD byteCount, DWORD programId)
{
    m_downloads->AddAnnouncement(blockCount, byteCount, programId);
    return S_OK;
}

STDMETHODIMP CHostDebugServer::RegisterProgressWindow(UINT message, LONG reg, LONG window)
{
    m_downloads->RegisterProgressWindow(message, reg != 0, reinterpret_cast<HWND>(static_cast<LONG_PTR>(window)));
    return S_OK;
}

STDMETHODIMP CHostDebugServer::GetDownloadSource(LONG which, IUnknown **source)
{
    if (source == nullptr)
        return E_POINTER;
    *source = nullptr;
    if (which != 1 || !m_downloads->SecondSourceOffered())
        return S_FALSE;
    return QueryInterface(IID_IUnknown, reinterpret_cast<void **>(source));
}

STDMETHODIMP CHostDebugServer::GetDownloadTotal(DWORD *total)
{
    if (total == nullptr)
        return E_POINTER;
    *total = m_downloads->DownloadTotal();
    return S_OK;
}

STDMETHODIMP CHostDebugServer::ForgetCodeSection(LONG id)
{
    m_downloads->AddForgottenSection(id);
    return S_OK;
}

STDMETHODIMP CHostDebugServer::EngineStopped()
{
    m_downloads->AddEngineStop();
    return S_OK;
}

STDMETHODIMP CHostDebugServer::AnnounceStartAddress(LONG id, DWORD address, DWORD address2, DWORD reserved)
{
    m_downloads->AddStartAddress(id, address, address2, reserved);
    return S_OK;
}

STDMETHODIMP CHostDebugServer::WriteMemory(DWORD start, DWORD target, DWORD length, const BYTE *data,
                                           DWORD memoryType, DWORD programId)
{
    return m_downloads->AddMemoryWrite(start, target, length, data, memoryType, programId);
}

STDMETHODIMP CHostDebugServer::WriteBlock(DWORD space, DWORD address, DWORD count, BYTE *buffer, DWORD)
{
    m_target->NoteSpace(space);
    return m_target->WriteMemory(MemoryPort::TargetMemory, address, count, buffer) ? S_OK : E_FAIL;
}

STDMETHODIMP CHostDebugServer::ReadBlock(DWORD space, DWORD address, DWORD count, BYTE *buffer, DWORD)
{
    m_target->NoteSpace(space);
    return m_target->ReadMemory(MemoryPort::TargetMemory, address, count, buffer) ? S_OK : E_FAIL;
}

CHostDebugServer::CarriedPoints CHostDebugServer::CarriedContainer()
{
    CarriedPoints carried;
    {
        std::lock_guard<std::mutex> hold(m_symbolServerLock);
        carried.server = m_aggregated;
    }
    // Asked of the inner object: the container that this object's own QueryInterface
    // gives is this one.
    if (carried.server != nullptr)
        carried.server->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void **>(&carried.container));
    return carried;
}

STDMETHODIMP CHostDebugServer::FindConnectionPoint(REFIID iid, IConnectionPoint **ppPoint)
{
    if (ppPoint == nullptr)
        return E_POINTER;
    *ppPoint = nullptr;
    if (IsEqualGUID(iid, DIID__TargetStateEvents))
        return m_target->StateSource()->FindConnectionPoint(iid, ppPoint);
    if (IsEqualGUID(iid, DIID__QelTargetPatternEvents))
        return m_target->PatternSource()->FindConnectionPoint(iid, ppPoint);
    CarriedPoints carried = CarriedContainer();
    if (carried.container == nullptr)
        return CONNECT_E_NOCONNECTION;
    return carried.container->FindConnectionPoint(iid, ppPoint);
}

STDMETHODIMP CHostDebugServer::EnumConnectionPoints(IEnumConnectionPoints **ppEnum)
{
    if (ppEnum == nullptr)
        return E_POINTER;
    *ppEnum = nullptr;
    std::vector<CComPtr<IConnectionPoint>> points(2);
    HRESULT hr = m_target->StateSource()->FindConnectionPoint(DIID__TargetStateEvents, &points[0]);
    if (SUCCEEDED(hr))
        hr = m_target->PatternSource()->FindConnectionPoint(DIID__QelTargetPatternEvents, &points[1]);
    if (FAILED(hr))
        return hr;
    CarriedPoints carried = CarriedContainer();
    CComPtr<IEnumConnectionPoints> theirs;
    if (carried.container != nullptr && SUCCEEDED(carried.container->EnumConnectionPoints(&theirs))) {
        CComPtr<IConnectionPoint> point;
        while (theirs->Next(1, &point, nullptr) == S_OK) {
            points.push_back(point);
            point.Release();
        }
    }
    std::vector<IConnectionPoint *> raw;
    for (const auto &point : points)
        raw.push_back(point);
    return QelCreateEnumConnectionPoints(raw.data(), static_cast<ULONG>(raw.size()), ppEnum);
}

CHostDebugServer::CarriedCommands CHostDebugServer::CarriedCommandTarget()
{
    CarriedCommands carried;
    {
        std::lock_guard<std::mutex> hold(m_symbolServerLock);
        carried.server = m_aggregated;
    }
    if (carried.server != nullptr)
        carried.server->QueryInterface(IID_IOleCommandTarget, reinterpret_cast<void **>(&carried.target));
    return carried;
}

STDMETHODIMP CHostDebugServer::QueryStatus(const GUID *group, ULONG count, OLECMD *cmds, OLECMDTEXT *text)
{
    CarriedCommands carried = CarriedCommandTarget();
    if (carried.target == nullptr)
        return OLECMDERR_E_UNKNOWNGROUP;
    return carried.target->QueryStatus(group, count, cmds, text);
}

STDMETHODIMP CHostDebugServer::Exec(const GUID *group, DWORD id, DWORD options, VARIANT *in, VARIANT *out)
{
    size_t record = m_commands->Add(group, id, in);
    HRESULT hr = Answer(group, id, options, in, out);
    m_commands->SetResult(record, hr);
    return hr;
}

HRESULT CHostDebugServer::Answer(const GUID *group, DWORD id, DWORD options, VARIANT *in, VARIANT *out)
{
    bool hostGroup = group != nullptr && IsEqualGUID(*group, CGID_QelHostCommands);
    if (hostGroup && id == QEL_HOSTCMD_TARGET_ACCESS) {
        if (out == nullptr)
            return E_POINTER;
        // Written over what the caller put there, which stays the caller's. The pointer
        // is the one whose slots the caller calls.
        IQelTargetAccess *access = m_target;
        access->AddRef();
        out->vt = VT_UNKNOWN;
        out->punkVal = access;
        return S_OK;
    }
    if (hostGroup && id == kCommObjectCommand && FirstInputIs(in, kInnerCommObject)) {
        if (out == nullptr)
            return E_POINTER;
        IUnknown *object = nullptr;
        HRESULT hr = CreateCommObject(m_target, &object);
        if (FAILED(hr))
            return hr;
        out->vt = VT_UNKNOWN;
        out->punkVal = object;
        return S_OK;
    }
    if (group != nullptr && IsEqualGUID(*group, CGID_QelFrameAddOn)) {
        std::vector<CComPtr<IOleCommandTarget>> addOns;
        {
            std::lock_guard<std::mutex> hold(m_addOnLock);
            addOns = m_addOns;
        }
        // Held for the call: the add-ons may be let go meanwhile by another thread. The
        // group is one add-on's own, whichever place the registry gives it.
        for (const CComPtr<IOleCommandTarget> &addOn : addOns) {
            HRESULT hr = addOn->Exec(group, id, options, in, out);
            if (hr != OLECMDERR_E_UNKNOWNGROUP)
                return hr;
        }
        return S_OK;
    }
    // Breakpoints are the host's own business: it keeps its list, and tells the symbol
    // server of each change.
    if (group != nullptr && IsEqualGUID(*group, CGID_QelHostBreakpoints)) {
        if (m_breakpoints.Apply(id, in))
            TellBreakpoints();
        return S_OK;
    }
    CarriedCommands carried = CarriedCommandTarget();
    if (carried.target != nullptr)
        return carried.target->Exec(group, id, options, in, out);
    return hostGroup ? OLECMDERR_E_NOTSUPPORTED : OLECMDERR_E_UNKNOWNGROUP;
}

void CHostDebugServer::TellBreakpoints()
{
    CarriedCommands carried = CarriedCommandTarget();
    if (carried.target == nullptr)
        return;
    try {
        CVariantArray values;
        m_breakpoints.ChangedInputs(values);
        COleTarCmdCaller(carried.target, &CLSID_QelSymbol).Exec(HostBreakpointList::kCmdBreakpointsChanged, &values,
                                                               nullptr, 0);
    } catch (const _com_error &) {
    } catch (CException *e) {
        e->Delete();
    }
}

STDMETHODIMP CHostDebugServer::GetServerState(LONG *pState)
{
    if (pState == nullptr)
        return E_POINTER;
    *pState = m_serverState;
    return S_OK;
}

STDMETHODIMP CHostDebugServer::GetGuiServer(IUnknown **ppGuiServer)
{
    return HandOut(m_guiServer, ppGuiServer);
}

void CHostDebugServer::SetAddOns(const std::vector<IUnknown *> &addOns)
{
    std::vector<CComPtr<IOleCommandTarget>> targets;
    for (IUnknown *addOn : addOns) {
        CComQIPtr<IOleCommandTarget> target(addOn);
        if (target != nullptr)
            targets.push_back(target);
    }
    std::lock_guard<std::mutex> hold(m_addOnLock);
    // The earlier ones are released outside the lock, as `targets` goes.
    m_addOns.swap(targets);
}

STDMETHODIMP CHostDebugServer::GetWindowValues(IUnknown **ppWindowValues)
{
    return HandOut(m_windowValues, ppWindowValues);
}

STDMETHODIMP CHostDebugServer::GetErrorObject(IUnknown **ppErrorObject)
{
    return HandOut(m_errorObject, ppErrorObject);
}

STDMETHODIMP CHostDebugServer::GetNoMessageBoxes(LONG *pFlag)
{
    if (pFlag == nullptr)
        return E_POINTER;
    *pFlag = m_noMessageBoxes;
    return S_OK;
}

STDMETHODIMP CHostDebugServer::GetOwnerWindow(HWND *pWindow)
{
    if (pWindow == nullptr)
        return E_POINTER;
    *pWindow = m_ownerWindow;
    return S_OK;
}

STDMETHODIMP CHostDebugServer::TraceLine(LONG kind, LPCOLESTR source, LPCOLESTR line)
{
    if (line == nullptr)
        return E_POINTER;
    m_reports->AddTraceLine(kind, source, line);
    return S_OK;
}

STDMETHODIMP CHostDebugServer::Register(IUnknown *registration, DWORD *pCookie)
{
    if (pCookie == nullptr)
        return E_POINTER;
    *pCookie = 0;
    if (registration == nullptr)
        return E_INVALIDARG;
    std::lock_guard<std::mutex> hold(m_registrationLock);
    do
        ++m_lastCookie;
    while (m_lastCookie == 0 || m_registrations.count(m_lastCookie) != 0);
    m_registrations[m_lastCookie] = registration;
    *pCookie = m_lastCookie;
    return S_OK;
}

STDMETHODIMP CHostDebugServer::Unregister(DWORD cookie)
{
    CComPtr<IUnknown> registered; // released after the lock is left
    std::lock_guard<std::mutex> hold(m_registrationLock);
    auto found = m_registrations.find(cookie);
    if (found == m_registrations.end())
        return E_INVALIDARG;
    registered = found->second;
    m_registrations.erase(found);
    return S_OK;
}

STDMETHODIMP CHostDebugServer::GetLevel(DWORD *pLevel)
{
    if (pLevel == nullptr)
        return E_POINTER;
    *pLevel = m_reports->Level();
    return S_OK;
}

size_t CHostDebugServer::Registrations() const
{
    std::lock_guard<std::mutex> hold(m_registrationLock);
    return m_registrations.size();
}

HRESULT CreateDebugServer(const ControllerConfig &config, IUnknown **ppServer, std::shared_ptr<HostReports> reports)
{
    if (ppServer == nullptr)
        return E_POINTER;
    *ppServer = nullptr;
    CComObject<CHostControllerInfo> *controller = nullptr;
    CComObject<CHostTargetObject> *target = nullptr;
    CComObject<CHostWindowValues> *windowValues = nullptr;
    CComObject<CHostErrorReceiver> *receiver = nullptr;
    CComObject<CHostCfgProfile> *profile = nullptr;
    CComObject<CHostDebugServer> *server = nullptr;
    if (reports == nullptr)
        reports = std::make_shared<HostReports>();
    HRESULT hr = Create(&controller);
    if (SUCCEEDED(hr))
        hr = Create(&target);
    if (SUCCEEDED(hr))
        hr = Create(&windowValues);
    if (SUCCEEDED(hr))
        hr = Create(&receiver);
    if (SUCCEEDED(hr))
        hr = Create(&profile);
    if (SUCCEEDED(hr))
        hr = Create(&server);
    if (SUCCEEDED(hr)) {
        controller->Configure(config);
        auto link = std::make_shared<DebugServerLink>();
        controller->SetDebugServerLink(link);
        server->SetControllerLink(link);
        target->SetController(static_cast<IQelControllerInfo *>(controller));
        windowValues->SetTarget(target);
        server->SetWindowValues(static_cast<IQelWindowValues *>(windowValues));
        receiver->SetReports(reports);
        server->SetErrorObject(static_cast<IQelErrorReceiver *>(receiver));
        server->SetProfile(static_cast<IQelCfgProfile2 *>(profile));
        server->SetReports(reports);
        *ppServer = static_cast<IQelHostHolder *>(server);
        server = nullptr; // the caller's reference now
    }
    // Each object of the chain is held by the one before it.
    if (server != nullptr)
        server->Release();
    if (profile != nullptr)
        profile->Release();
    if (receiver != nullptr)
        receiver->Release();
    if (windowValues != nullptr)
        windowValues->Release();
    if (target != nullptr)
        target->Release();
    if (controller != nullptr)
        controller->Release();
    return hr;
}

} // namespace QelHost
