#include "hostframe.h"

#include "hostreports.h"

#include <oletarcmdcaller.h>
#include <viewsrvregistry.h>
#include <storagewrapper.h>
#include <variantarray.h>

#include <algorithm>

namespace QelHost {

namespace {

constexpr DWORD kOpenCommand = 1;
constexpr DWORD kViewClosed = 16;
// The host window of a control view until the user sizes it.
constexpr int kViewWidth = 300;
constexpr int kViewHeight = 400;

bool IsOpenGroup(const GUID *group)
{
    return !group || IsEqualGUID(*group, GUID_NULL) || IsEqualGUID(*group, CGID_QelHTMLView);
}

} // namespace

std::string CHostView::SourceFile() const
{
    CString file;
    CStorage(m_storage).ReadString("SourceFile", "", file, 1025);
    return static_cast<LPCSTR>(file);
}

STDMETHODIMP CHostView::QueryStatus(const GUID *, ULONG, OLECMD *, OLECMDTEXT *)
{
    return E_NOTIMPL;
}

void CHostView::Made(const std::shared_ptr<DebugServerLink> &)
{
}

void CHostView::Gone()
{
}

STDMETHODIMP CHostView::Exec(const GUID *group, DWORD id, DWORD, VARIANT *in, VARIANT *out)
{
    ViewCommand command{group ? *group : GUID_NULL, id, {}};
    try {
        CVariantArray arguments(in, FALSE);
        for (int i = 0; i < arguments.GetSize(); ++i)
            command.arguments.emplace_back(arguments[i].GetValue());
    } catch (CException *e) {
        e->Delete();
        return E_OUTOFMEMORY;
    }
    m_commands.push_back(command);
    return Answer(command, out);
}

HRESULT CHostView::Answer(const ViewCommand &command, VARIANT *)
{
    if (!IsOpenGroup(&command.group) || command.id != kOpenCommand)
        return OLECMDERR_E_NOTSUPPORTED;
    if (FAILED(m_openResult))
        return m_openResult;
    if (command.arguments.size() == 1 && command.arguments[0].vt == VT_BSTR)
        CStorage(m_storage).WriteString("SourceFile", AnsiText(command.arguments[0].bstrVal).c_str());
    return S_OK;
}

void CHostFrame::FinalRelease()
{
    for (auto &server : m_views) {
        for (OpenView &open : server.second)
            LetGo(open);
    }
    m_views.clear();
    m_active.clear();
    SetDebugServer(nullptr);
}

void CHostFrame::LetGo(OpenView &open)
{
    if (open.site != nullptr)
        open.site->Remove();
    if (open.object != nullptr)
        open.object->Gone();
}

STDMETHODIMP CHostFrame::GetDebuggerName(BSTR *pbstrName)
{
    if (pbstrName == nullptr)
        return E_POINTER;
    *pbstrName = CComBSTR(m_debuggerName.c_str()).Detach();
    return *pbstrName != nullptr ? S_OK : E_OUTOFMEMORY;
}

void CHostFrame::SetDebugServer(IUnknown *debugServer)
{
    {
        std::lock_guard<std::mutex> hold(m_debugServerLink->lock);
        m_debugServerLink->server = debugServer;
    }
    m_debugServer = debugServer;
}

const FrameRegistration *CHostFrame::FindRegistration(DWORD cookie) const
{
    auto live = m_live.find(cookie);
    return live != m_live.end() ? &m_registrations[live->second] : nullptr;
}

std::vector<CHostView *> CHostFrame::Views(DWORD cookie) const
{
    std::vector<CHostView *> views;
    auto found = m_views.find(cookie);
    if (found != m_views.end()) {
        for (const OpenView &open : found->second) {
            if (open.object != nullptr)
                views.push_back(open.object);
        }
    }
    return views;
}

std::vector<CHostControlSite *> CHostFrame::ControlViews(const std::string &name) const
{
    std::vector<CHostControlSite *> sites;
    for (const auto &live : m_live) {
        const FrameRegistration &registration = m_registrations[live.second];
        auto found = m_views.find(live.first);
        if (!registration.hasViewServer || registration.viewServer != name || found == m_views.end())
            continue;
        for (const OpenView &open : found->second) {
            if (open.site != nullptr)
                sites.push_back(open.site);
        }
    }
    return sites;
}

std::vector<CHostView *> CHostFrame::Views(const std::string &name) const
{
    std::vector<CHostView *> views;
    for (const auto &live : m_live) {
        const FrameRegistration &registration = m_registrations[live.second];
        if (registration.hasViewServer && registration.viewServer == name) {
            std::vector<CHostView *> more = Views(live.first);
            views.insert(views.end(), more.begin(), more.end());
        }
    }
    return views;
}

bool CHostFrame::IsViewServer(DWORD cookie) const
{
    const FrameRegistration *registration = FindRegistration(cookie);
    return registration && registration->hasViewServer;
}

STDMETHODIMP CHostFrame::RegisterCommand(DWORD cookie, DWORD commandId, IUnknown *owner, const GUID *group,
                                         BSTR viewServer)
{
    if (m_failingSlot == 3)
        return E_FAIL;
    if (cookie == 0 || FindRegistration(cookie))
        return E_INVALIDARG;
    m_live[cookie] = m_registrations.size();
    m_registrations.push_back(
        {cookie, commandId, owner, group ? *group : GUID_NULL, viewServer != nullptr, AnsiText(viewServer)});
    return S_OK;
}

HRESULT CHostFrame::AddItem(int slot, DWORD cookie, int position, HINSTANCE module, int textId)
{
    if (m_failingSlot == slot)
        return E_FAIL;
    if (cookie != 0 && !FindRegistration(cookie))
        return E_INVALIDARG;
    m_items.push_back({slot, cookie, position, module, textId});
    return S_OK;
}

STDMETHODIMP CHostFrame::AddMenuAndToolBarItem(DWORD cookie, int position, HINSTANCE module, int textId)
{
    return AddItem(4, cookie, position, module, textId);
}

STDMETHODIMP CHostFrame::AddMenuItem(DWORD cookie, int position, HINSTANCE module, int textId)
{
    return AddItem(5, cookie, position, module, textId);
}

STDMETHODIMP CHostFrame::AddToolBarItem(DWORD cookie, int position, HINSTANCE module, int textId)
{
    return AddItem(6, cookie, position, module, textId);
}

STDMETHODIMP CHostFrame::RemoveCommand(DWORD cookie)
{
    if (m_failingSlot == 7)
        return E_FAIL;
    if (!FindRegistration(cookie))
        return E_INVALIDARG;
    m_removals.push_back(cookie);
    m_live.erase(cookie);
    auto views = m_views.find(cookie);
    if (views != m_views.end()) {
        // Taken out first: a control that goes may call the frame meanwhile.
        std::vector<OpenView> going = std::move(views->second);
        m_views.erase(views);
        for (OpenView &open : going)
            LetGo(open);
    }
    m_active.erase(cookie);
    return S_OK;
}

STDMETHODIMP CHostFrame::ShowView(DWORD viewServerId, IUnknown *view, IUnknown **ppView, IStorage **ppStorage)
{
    if (!ppView || !ppStorage)
        return E_POINTER;
    *ppView = nullptr;
    *ppStorage = nullptr;
    if (m_failingSlot == 9)
        return E_FAIL;
    if (!IsViewServer(viewServerId))
        return E_INVALIDARG;
    std::vector<OpenView> &views = m_views[viewServerId];
    auto find = [&views](IUnknown *wanted) {
        return std::find_if(views.begin(), views.end(), [wanted](const OpenView &open) { return open.view == wanted; });
    };
    auto shown = find(view);
    if (view && shown == views.end())
        return E_INVALIDARG;
    // A handler that cannot take over a view handed back to it asks for a new one: it
    // gets the view handed back, as the host shows the view it restored.
    if (!view && m_handingBack.cookie == viewServerId) {
        shown = find(m_handingBack.view);
        m_handingBack = {};
    }
    if (shown == views.end()) {
        OpenView open;
        HRESULT hr = MakeView(viewServerId, nullptr, open);
        if (FAILED(hr))
            return hr;
        views.push_back(open);
        shown = views.end() - 1;
    }
    m_viewRequests.push_back({9, viewServerId, view});
    m_active[viewServerId] = shown->view;
    *ppView = shown->view;
    (*ppView)->AddRef();
    *ppStorage = shown->storage;
    (*ppStorage)->AddRef();
    return S_OK;
}

HRESULT CHostFrame::MakeView(DWORD viewServerId, IStorage *storage, OpenView &open)
{
    const std::string name = FindRegistration(viewServerId)->viewServer;
    HRESULT hr = S_OK;
    open.storage = storage;
    if (!storage && FAILED(hr = StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                                  &open.storage)))
        return hr;
    if (m_doubles.count(name) == 0 && MakeControlView(name, open))
        return S_OK;
    auto factory = m_factories.find(name);
    if (factory != m_factories.end()) {
        hr = factory->second(&open.view, &open.object);
    } else {
        CComObject<CHostView> *object = nullptr;
        hr = CComObject<CHostView>::CreateInstance(&object);
        if (FAILED(hr))
            return hr;
        open.object = object;
        hr = object->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&open.view));
    }
    if (FAILED(hr))
        return hr;
    open.object->SetStorage(open.storage);
    open.object->Made(m_debugServerLink);
    return S_OK;
}

STDMETHODIMP CHostFrame::CloseView(DWORD viewServerId, IUnknown *view)
{
    if (m_failingSlot == 10)
        return E_FAIL;
    if (!IsViewServer(viewServerId))
        return E_INVALIDARG;
    std::vector<OpenView> &views = m_views[viewServerId];
    auto open = std::find_if(views.begin(), views.end(), [view](const OpenView &candidate) { return candidate.view == view; });
    if (open == views.end())
        return E_INVALIDARG;
    m_viewRequests.push_back({10, viewServerId, view});
    // The view leaves the frame before its view server hears of it, since the handler
    // may show or close other views meanwhile; the reference held here keeps the object
    // alive until the handler has let go of it.
    CComPtr<IUnknown> closed = open->view;
    OpenView going = *open;
    views.erase(open);
    LetGo(going);
    auto active = m_active.find(viewServerId);
    if (active != m_active.end() && active->second == closed) {
        if (views.empty())
            m_active.erase(active);
        else
            active->second = views.back().view;
    }
    TellViewServer(viewServerId, closed, kViewClosed);
    return S_OK;
}

bool CHostFrame::MakeControlView(const std::string &name, OpenView &open)
{
    char text[64] = "";
    CLSID clsid{};
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (std::string(QEL_VIEWSERVER_KEY "\\") + name).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    DWORD bytes = sizeof text - 1;
    LONG read = RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE *>(text), &bytes);
    RegCloseKey(key);
    CComPtr<IUnknown> control;
    if (read != ERROR_SUCCESS || FAILED(CLSIDFromString(CComBSTR(text), &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void **>(&control))))
        return false;
    CHostControlSite *site = nullptr;
    if (FAILED(CHostControlSite::Embed(control, m_debugServer, open.storage, kViewWidth, kViewHeight, &site)))
        return false;
    open.view = control;
    open.site = site;
    open.siteHold.Attach(static_cast<IOleClientSite *>(site));
    return true;
}

void CHostFrame::TellViewServer(DWORD cookie, IUnknown *view, DWORD code)
{
    const FrameRegistration *registration = FindRegistration(cookie);
    if (!registration || !m_debugServer)
        return;
    // Copied: the registrations may change while the handler has the view.
    const DWORD commandId = registration->commandId;
    const GUID group = registration->group;
    try {
        CVariantArray in(2);
        in[0].SetValue(CComVariant(view));
        CComVariant value;
        value.vt = VT_UI4;
        value.ulVal = code;
        in[1].SetValue(value);
        COleTarCmdCaller(m_debugServer, IsEqualGUID(group, GUID_NULL) ? nullptr : &group).Exec(commandId, &in, nullptr, 0);
    } catch (const _com_error &) {
        // A handler that refuses the view leaves it as it is: open as the host's, or closed.
    } catch (CException *e) {
        e->Delete();
    }
}

STDMETHODIMP CHostFrame::GetActiveView(DWORD viewServerId, IUnknown **ppView)
{
    if (!ppView)
        return E_POINTER;
    *ppView = nullptr;
    if (m_failingSlot == 14)
        return E_FAIL;
    if (!IsViewServer(viewServerId))
        return E_INVALIDARG;
    m_viewRequests.push_back({14, viewServerId, nullptr});
    auto active = m_active.find(viewServerId);
    if (active != m_active.end()) {
        *ppView = active->second;
        (*ppView)->AddRef();
    }
    return S_OK;
}

STDMETHODIMP CHostFrame::NotifySourceFile(BSTR sourceFile, BOOL added)
{
    if (m_failingSlot == 16)
        return E_FAIL;
    m_notices.push_back({AnsiText(sourceFile), added});
    return S_OK;
}

} // namespace QelHost
