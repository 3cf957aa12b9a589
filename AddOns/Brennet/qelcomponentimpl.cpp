#include "qelcomponentimpl.h"

#include "brennetstrings.h"
#include "moduleversion.h"
#include "qelversioninfoimpl.h"

#include <messagebox.h>

namespace {

HRESULT MakeBstr(const CString &text, BSTR *out)
{
    *out = text.AllocSysString();
    return *out != nullptr || text.IsEmpty() ? S_OK : E_OUTOFMEMORY;
}

// The "FileVersion" text of the calling module's version resource; "" without one.
CString ModuleFileVersion(Win32Ext::CModuleVersion &version)
{
    CString text;
    if (version.GetFileVersionInfo(AfxGetInstanceHandle()))
        version.GetValue("FileVersion", text);
    return text;
}

} // namespace

// The call guard of the locked and guarded methods: entered by the constructor, left by
// the destructor. A refused call leaves nothing entered and answers Refusal().
class QelComponentImpl::Guard {
public:
    Guard(QelComponentImpl &component, bool requireInit) : m_component(component)
    {
        if (!component.m_locksExist) {
            // Before the final construction step, or after the final release: no lock to
            // take and nobody to tell. The last failure, never a success.
            HRESULT last = component.m_diag.GetLastResult();
            m_refusal = FAILED(last) ? last : E_UNEXPECTED;
            return;
        }
        component.m_commandLock.Enter();
        if (requireInit && !component.m_initialized) {
            m_refusal = component.m_diag.ReportById(IDS_NOT_INITIALIZED, E_FAIL);
            component.m_commandLock.Leave();
            return;
        }
        m_entered = true;
        component.m_inCall = TRUE;
    }
    ~Guard()
    {
        if (!m_entered)
            return;
        m_component.m_inCall = FALSE;
        m_component.m_commandLock.Leave();
    }
    Guard(const Guard &) = delete;
    Guard &operator=(const Guard &) = delete;

    bool Entered() const { return m_entered; }
    HRESULT Refusal() const { return m_refusal; }

private:
    QelComponentImpl &m_component;
    bool m_entered = false;
    HRESULT m_refusal = S_OK;
};

QelComponentImpl::QelComponentImpl() : m_diag(nullptr, "", &IID_IQelComponent) {}

STDMETHODIMP QelComponentImpl::GetName(BSTR *description, BSTR *name)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    Guard guard(*this, false);
    if (!guard.Entered())
        return guard.Refusal();
    if (name == nullptr)
        return E_POINTER;
    HRESULT hr = MakeBstr(m_diag.GetSourceName(), name);
    if (SUCCEEDED(hr) && description != nullptr) {
        hr = MakeBstr(m_description, description);
        if (FAILED(hr)) {
            SysFreeString(*name);
            *name = nullptr;
        }
    }
    if (FAILED(hr))
        m_diag.Report("Out of memory", hr);
    return hr;
}

STDMETHODIMP QelComponentImpl::GetVersion(IQelVersionInfo **info, BSTR *text)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    Guard guard(*this, false);
    if (!guard.Entered())
        return guard.Refusal();
    if (text == nullptr)
        return E_POINTER;
    Win32Ext::CModuleVersion version;
    CString line;
    line.Format("%s V%s", static_cast<LPCSTR>(m_description), static_cast<LPCSTR>(ModuleFileVersion(version)));
    HRESULT hr = MakeBstr(line, text);
    if (FAILED(hr))
        return m_diag.Report("Out of memory", hr);
    if (info != nullptr && FAILED(CreateModuleVersionInfo(version, info, 0, 0))) {
        // CreateModuleVersionInfo leaves nothing behind when it fails.
        *info = nullptr;
        return m_diag.ReportById(IDS_NO_VERSION_INFO, E_FAIL);
    }
    return S_OK;
}

STDMETHODIMP QelComponentImpl::ShowInfo(HWND owner)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    Guard guard(*this, false);
    if (!guard.Entered())
        return guard.Refusal();
    if (OnShowInfo(owner) != E_NOTIMPL)
        return S_OK;
    Win32Ext::CModuleVersion version;
    CString modulePath;
    Win32Ext::GetModulePath(AfxGetInstanceHandle(), modulePath);
    CString lines;
    lines.Format("Component: %s\n%s\nVersion: %s\nModule: %s", m_diag.GetSourceName(),
                 static_cast<LPCSTR>(m_description), static_cast<LPCSTR>(ModuleFileVersion(version)),
                 static_cast<LPCSTR>(modulePath));
    MessageBoxA(owner, lines, m_diag.GetSourceName(), MB_OK | MB_ICONINFORMATION);
    return S_OK;
}

STDMETHODIMP QelComponentImpl::SetDiagnostics(DWORD level, IUnknown *output)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    Guard guard(*this, false);
    if (!guard.Entered())
        return guard.Refusal();
    if (level == 0) {
        m_diag.DetachSink();
        return S_OK;
    }
    return m_diag.SetSink(level, output, GetComponentUnknown()) ? S_OK : E_FAIL;
}

STDMETHODIMP QelComponentImpl::SetErrorSink(IUnknown *sink)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    Guard guard(*this, false);
    if (!guard.Entered())
        return guard.Refusal();
    return m_diag.SetErrorSink(sink) ? S_OK : E_FAIL;
}

STDMETHODIMP QelComponentImpl::IsBusy(LONG, BOOL *busy)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    Guard guard(*this, true);
    if (!guard.Entered())
        return guard.Refusal();
    if (busy == nullptr)
        return E_POINTER;
    BOOL ready = IsReady();
    *busy = !ready;
    return ready ? S_FALSE : S_OK;
}

STDMETHODIMP QelComponentImpl::GetProperties(LONG count, LONG *ids, LONG *values)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (ids == nullptr || values == nullptr)
        return E_POINTER;
    std::lock_guard<std::mutex> hold(m_propertyLock);
    for (LONG i = 0; i < count; ++i) {
        if (!GetProperty(ids[i], &values[i]))
            values[i] = 0;
    }
    return S_OK;
}

STDMETHODIMP QelComponentImpl::Init(VARIANT target, VARIANT project, IUnknown *host)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    Guard guard(*this, false);
    if (!guard.Entered())
        return guard.Refusal();
    if (m_initialized)
        return S_FALSE;
    bool traced = m_diag.GetLevel() > 99;
    DWORD start = 0;
    if (traced) {
        m_diag.TraceKind(CQelDiagHelper::KindInformation, "Init()");
        start = GetTickCount();
    }
    HRESULT hr = InitLocked(target, project, host);
    if (traced)
        m_diag.TraceInfo("Init, Result: 0x%08X, Time: %d", static_cast<unsigned>(hr),
                         static_cast<int>(GetTickCount() - start));
    return hr;
}

HRESULT QelComponentImpl::InitLocked(VARIANT target, VARIANT project, IUnknown *host)
{
    HRESULT hr = OnInit(target, project, host);
    if (FAILED(hr)) {
        m_diag.ReportById(IDS_INIT_FAILED, E_FAIL);
        OnCleanup();
        return hr;
    }
    m_initialized = TRUE;
    FireEvent(kEventInitialised);
    if (!m_initialized) {
        OnCleanup();
        return m_diag.ReportById(IDS_NOT_READY_AFTER_INIT, E_FAIL);
    }
    return S_OK;
}

STDMETHODIMP QelComponentImpl::Cleanup()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    Guard guard(*this, false);
    if (!guard.Entered())
        return guard.Refusal();
    if (m_initialized)
        CleanupLocked();
    return S_OK;
}

void QelComponentImpl::CleanupLocked()
{
    bool traced = m_diag.GetLevel() > 99;
    DWORD start = GetTickCount();
    if (traced)
        m_diag.TraceInfo("Cleanup()");
    FireEvent(kEventCleanup);
    OnCleanup();
    m_initialized = FALSE;
    // OnCleanup has let the sink go; the line reaches the log or the debug output only.
    if (traced)
        m_diag.TraceInfo("Cleanup, Result: 0x%08X, Time: %d", 0u, static_cast<int>(GetTickCount() - start));
}

STDMETHODIMP QelComponentImpl::IsInitialized()
{
    return m_initialized ? S_OK : S_FALSE;
}

STDMETHODIMP QelComponentImpl::ConnectGui()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    Guard guard(*this, true);
    if (!guard.Entered())
        return guard.Refusal();
    return OnConnectGui();
}

STDMETHODIMP QelComponentImpl::CheckGui()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    Guard guard(*this, true);
    if (!guard.Entered())
        return guard.Refusal();
    OnCheckGui();
    return S_OK;
}

STDMETHODIMP QelComponentImpl::BeginCmdSequence()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    {
        Guard guard(*this, true);
        if (!guard.Entered())
            return guard.Refusal();
        FireEvent(kEventSequenceBegin);
        m_commandLock.BeginSequence();
    }
    if (m_diag.GetLevel() > 99)
        m_diag.TraceInfo("BeginCmdSequence");
    return S_OK;
}

STDMETHODIMP QelComponentImpl::EndCmdSequence()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    Guard guard(*this, true);
    if (!guard.Entered())
        return guard.Refusal();
    if (m_diag.GetLevel() > 99)
        m_diag.TraceInfo("EndCmdSequence");
    if (!m_commandLock.EndSequence())
        return E_FAIL;
    FireEvent(kEventSequenceEnd);
    return S_OK;
}

STDMETHODIMP QelComponentImpl::Test_IQelComponent()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    Guard guard(*this, false);
    if (!guard.Entered())
        return guard.Refusal();
    if (m_diag.GetLevel() > 99)
        m_diag.TraceInfo("QelComponentImpl<...>::Test_IQelComponent");
    FireEvent(kEventTest);
    return S_OK;
}
