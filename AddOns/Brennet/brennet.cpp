#include "brennet.h"

#include "brennetresources.h"
#include "brennetstrings.h"
#include "commandvalues.h"
#include "iniprofile.h"
#include "setupdlg.h"

#include <hostcmdgroups.h>
#include <hostinterfaces.h>
#include <oletarcmdcaller.h>
#include <qelcfgprofile.h>
#include <qelhostframe.h>
#include <qelsymbol.h>
#include <stgprofile.h>

namespace {

const char kEasyCodeTool[] = "EasyCODE Debug Interface";
// Host command 3 with this value shows the position where the target stands.
constexpr DWORD kShowCurrentPosition = 16;
constexpr DWORD kHostShowPosition = 3;
// Korvex's command that reports the position its program window shows.
constexpr DWORD kReportShownPosition = 29;

// An existing file that can be opened for reading beside other readers.
bool IsReadableFile(const CString &path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

bool IsUsableToolText(const CString &text)
{
    return text == kEasyCodeTool || IsReadableFile(text);
}

CString GuidText(const GUID &guid)
{
    OLECHAR text[40];
    return StringFromGUID2(guid, text, 40) ? CString(text) : CString();
}

} // namespace

CBrennet::~CBrennet()
{
    delete m_handlers;
}

HRESULT CBrennet::UpdateRegistry(BOOL bRegister)
{
    if (_pAtlModule == nullptr)
        return E_UNEXPECTED;
    CString clsid = GuidText(CLSID_Brennet);
    CString libid = GuidText(LIBID_BRENNETLib);
    CString texts[4];
    for (int i = 0; i < 4; ++i)
        texts[i] = BrennetStringPart(IDS_COMPONENT_TEXTS, i);
    const char *const entries[][2] = {
        {"CLSID", clsid},          {"LIBID", libid},       {"COMPONENT", texts[0]}, {"DESCRIPTION", texts[1]},
        {"PROGID", texts[2]},      {"VIPROGID", texts[3]}, {nullptr, nullptr},
    };
    return _pAtlModule->UpdateRegistryFromResource(IDR_BRENNET, bRegister, entries);
}

HRESULT CBrennet::FinalConstruct()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    try {
        m_handlers = new CBrennetGuiItemList;
    } catch (CException *e) {
        e->Delete();
        return E_OUTOFMEMORY;
    }
    m_handlers->SetServerInterface(GetComponentUnknown());
    CreateLocks();
    m_diag.SetSourceName(BrennetStringPart(IDS_COMPONENT_TEXTS, 0));
    m_description = BrennetStringPart(IDS_COMPONENT_TEXTS, 1);
    return S_OK;
}

void CBrennet::FinalRelease()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    // A host that let the component go without Cleanup leaves nothing held.
    OnCleanup();
    DeleteLocks();
}

STDMETHODIMP CBrennet::QueryStatus(const GUID *group, ULONG count, OLECMD *cmds, OLECMDTEXT *text)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return m_handlers != nullptr ? m_handlers->QueryStatus(group, count, cmds, text) : OLECMDERR_E_UNKNOWNGROUP;
}

STDMETHODIMP CBrennet::Exec(const GUID *group, DWORD id, DWORD options, VARIANT *in, VARIANT *out)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return m_handlers != nullptr ? m_handlers->Exec(group, id, options, in, out) : OLECMDERR_E_UNKNOWNGROUP;
}

HRESULT CBrennet::OnInit(VARIANT target, VARIANT project, IUnknown *host)
{
    if (target.vt == VT_UNKNOWN && target.punkVal != nullptr) {
        CComPtr<IQelHostHolder> holder;
        if (SUCCEEDED(target.punkVal->QueryInterface(IID_IQelHostHolder, reinterpret_cast<void **>(&holder))))
            m_debugServer = holder;
    }
    HRESULT hr = TakeProjectProfile(project);
    if (FAILED(hr))
        return hr;
    if (host != nullptr) {
        CComPtr<IQelHostHolder> holder;
        if (FAILED(host->QueryInterface(IID_IQelHostHolder, reinterpret_cast<void **>(&holder)))) {
            m_frame = host;
        } else {
            m_debugServer = holder;
            m_frame.Release();
            CComPtr<IUnknown> guiServer;
            CComPtr<IQelHostFrame> frame;
            if (SUCCEEDED(holder->GetGuiServer(&guiServer)) && guiServer != nullptr &&
                SUCCEEDED(guiServer->QueryInterface(IID_IQelHostFrame, reinterpret_cast<void **>(&frame))))
                m_frame = frame;
        }
    }
    m_handlers->SetCommandTarget(m_debugServer);
    return S_OK;
}

HRESULT CBrennet::TakeProjectProfile(const VARIANT &project)
{
    DropProjectProfile();
    if (project.vt == VT_BSTR) {
        CString path(project.bstrVal);
        if (path.IsEmpty())
            return m_diag.ReportFormatById(IDS_INVALID_PROJECT_PROFILE, E_FAIL, 0, "");
        auto *profile = new Profile::CIniProfile(path, nullptr);
        if (!profile->IsOpen()) {
            delete profile;
            return m_diag.ReportFormatById(IDS_INVALID_PROJECT_PROFILE, E_FAIL, 0, static_cast<LPCSTR>(path));
        }
        profile->SetSectionPrefix(m_diag.GetSourceName());
        if (m_diag.GetLevel() > 49)
            m_diag.TraceInfo("INI file %s used as Project Profile", static_cast<LPCSTR>(path));
        m_profile = profile;
        m_profileKind = 1;
        return S_OK;
    }
    if (project.vt == VT_UNKNOWN && project.punkVal != nullptr) {
        auto *profile = new Profile::CStgProfile();
        if (!profile->AttachUnknown(project.punkVal)) {
            delete profile;
            return m_diag.ReportFormatById(IDS_INVALID_PROJECT_PROFILE, E_FAIL, 0, "");
        }
        if (m_diag.GetLevel() > 49)
            m_diag.TraceInfo("Storage used as Project Profile");
        m_profile = profile;
        m_profileKind = 0;
        project.punkVal->QueryInterface(IID_IStorage, reinterpret_cast<void **>(&m_projectStorage));
        m_settings = new CStorage(m_projectStorage);
        AttachProjectStorage(project.punkVal, m_storageWrapper);
        return S_OK;
    }
    return m_diag.ReportFormatById(IDS_INVALID_PROJECT_PROFILE, E_FAIL, 0, "");
}

void CBrennet::DropProjectProfile()
{
    delete m_settings;
    m_settings = nullptr;
    delete m_profile;
    m_profile = nullptr;
    m_profileKind = 0;
    m_projectStorage.Release();
    m_storageWrapper.Attach(nullptr);
}

void CBrennet::OnCleanup()
{
    DisconnectTool();
    if (m_handlers != nullptr) {
        m_handlers->SetCommandTarget(nullptr);
        m_handlers->Disconnect();
    }
    DropProjectProfile();
    m_frame.Release();
    m_debugServer.Release();
    m_diag.DetachSink();
    m_diag.SetErrorSink(nullptr);
}

HRESULT CBrennet::OnConnectGui()
{
    return m_handlers->Connect(m_frame, m_settings) ? S_OK : E_FAIL;
}

HRESULT CBrennet::OnCheckGui()
{
    return m_handlers->GetHandlerStatus();
}

BOOL CBrennet::GetProperty(LONG id, LONG *value)
{
    if (id == 0)
        *value = 0;
    else if (id == 1)
        *value = m_property1;
    else
        return FALSE;
    return TRUE;
}

void CBrennet::FireEvent(ComponentEvent event)
{
    // One sink at a time, fetched under the point's lock and called outside it, so a sink
    // may advise, unadvise or call the component back.
    for (int i = 0;; ++i) {
        _IQelComponentEvents *sink = nullptr;
        {
            ObjectLock hold(this);
            if (i >= m_vec.GetSize())
                break;
            sink = static_cast<_IQelComponentEvents *>(m_vec.GetAt(i));
            if (sink != nullptr)
                sink->AddRef();
        }
        if (sink == nullptr)
            continue;
        switch (event) {
        case kEventInitialised:
            sink->OnComponentInitialised();
            break;
        case kEventCleanup:
            sink->OnComponentCleanup();
            break;
        case kEventSequenceBegin:
            sink->OnCmdSequenceBegin();
            break;
        case kEventSequenceEnd:
            sink->OnCmdSequenceEnd();
            break;
        case kEventTest:
            sink->OnComponentTest();
            break;
        }
        sink->Release();
    }
}

bool CBrennet::RunSetup(CQelCfgProfileClientImpl &toolItem, CString &chosen)
{
    const char *current = toolItem.GetString();
    CString text = current != nullptr ? current : "";
    for (;;) {
        SetupDlg dialog;
        dialog.m_toolText = text;
        if (dialog.DoModal() != IDOK)
            return false;
        text = dialog.m_toolText;
        if (text.IsEmpty() || IsUsableToolText(text))
            break;
    }
    CComVariant value(static_cast<LPCSTR>(text));
    toolItem.PutValue(&value);
    if (IQelCfgProfile2 *profile = toolItem.GetProfile())
        profile->Store();
    chosen = text;
    return true;
}

void CBrennet::ConfigureTool(CQelCfgProfileClientImpl &toolItem, CVariantArray *result)
{
    bool answers = result != nullptr && result->GetSize() == 1;
    if (answers)
        SetCommandNumber((*result)[0], VT_BOOL, FALSE);
    CString chosen;
    if (RunSetup(toolItem, chosen) && answers && !chosen.IsEmpty())
        SetCommandNumber((*result)[0], VT_BOOL, TRUE);
}

void CBrennet::SwitchTool(CQelCfgProfileClientImpl &toolItem)
{
    if (IsToolConnected()) {
        DisconnectTool();
        return;
    }
    const char *configured = toolItem.GetString();
    CString text = configured != nullptr ? configured : "";
    if (IsUsableToolText(text)) {
        ConnectTool(text);
        return;
    }
    CString chosen;
    if (RunSetup(toolItem, chosen) && !chosen.IsEmpty())
        ConnectTool(chosen);
}

void CBrennet::ConnectTool(const CString &toolText)
{
    // A link left from before (one that lost its tool) goes first.
    DisconnectTool();
    CCaseToolComm *link = CreateCaseToolLink(toolText);
    if (link == nullptr)
        return;
    if (!link->Connect(toolText, m_debugServer, &m_diag)) {
        link->Destroy();
        return;
    }
    m_link = link;
    try {
        CVariantArray show(1);
        SetCommandNumber(show[0], VT_UI4, kShowCurrentPosition);
        COleTarCmdCaller(m_debugServer, &CGID_QelHostBreakpoints).Exec(kHostShowPosition, &show, nullptr, 0);
        CVariantArray position(3);
        COleTarCmdCaller(m_debugServer, &CLSID_QelSymbol).Exec(kReportShownPosition, nullptr, &position, 0);
        CCommandValues values(&position);
        DWORD valid = values.UI4(0);
        CString file = values.Text(1);
        m_link->ShowPosition(valid, file, values.UI4(2));
    } catch (CException *e) {
        e->Delete();
    } catch (const _com_error &) {
    }
}

void CBrennet::DisconnectTool()
{
    if (m_link == nullptr)
        return;
    CCaseToolComm *link = m_link;
    m_link = nullptr;
    link->Disconnect();
    link->Destroy();
}
