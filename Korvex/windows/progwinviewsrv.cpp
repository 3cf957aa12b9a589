// The program window's handler: its table, its life, its settings and the commands that
// only pass on to the windows. Sources are in progwinsources.cpp, positions, code windows
// and the IP in progwinpositions.cpp.
#include "progwinviewsrv.h"

#include "progwinviewsrvobj.h"
#include "windowsstrings.h"

#include <hostcmdgroups.h>
#include <locationdescriptor.h>
#include <oletarcmdcaller.h>
#include <qelcfgprofile.h>
#include <qelsymbol.h>
#include <qelsymbsrv.h>

IMPLEMENT_DYNCREATE(CProgWinViewSrv, CBasicOleTarCmdHndl)

namespace {

enum : DWORD {
    kCmdSignalBreakpoints = 8,
    kCmdToggleSingleWindow = 92,
    kCmdShowCode = 94,
    kViewBreakpoints = 16,
    kAddOnTargetState = 5,
    kAddOnSourceBreakpoints = 4,
};

#define PROGWIN_ENTRY(id, member, text, menu, toolBar, viewServer, itemClass)                                      \
    {id, OLECMDTARHNDL_FNC(member), nullptr, text, menu, toolBar, viewServer, itemClass, 0, nullptr, nullptr, 0, 0, 0}

const OLECMDTARHNDLENTRY g_progWinCommands[] = {
    PROGWIN_ENTRY(10, &CProgWinViewSrv::OpenProgramWindow, -1, -1, -1, "StdQelProgWin",
                  RUNTIME_CLASS(CProgWinViewSrvObj)),
    PROGWIN_ENTRY(11, &CProgWinViewSrv::ShowSourceFile, -1, -1, -1, nullptr, nullptr),
    PROGWIN_ENTRY(12, &CProgWinViewSrv::OpenWindowForName, -1, -1, -1, nullptr, nullptr),
    PROGWIN_ENTRY(13, &CProgWinViewSrv::CloseTemporaryWindows, -1, -1, -1, nullptr, nullptr),
    PROGWIN_ENTRY(14, &CProgWinViewSrv::SignalProgramLoaded, -1, -1, -1, nullptr, nullptr),
    PROGWIN_ENTRY(15, &CProgWinViewSrv::ShowLine, -1, -1, -1, nullptr, nullptr),
    PROGWIN_ENTRY(16, &CProgWinViewSrv::BreakpointsChanged, -1, -1, -1, nullptr, nullptr),
    PROGWIN_ENTRY(17, &CProgWinViewSrv::SendViewCommand17, -1, -1, -1, nullptr, nullptr),
    PROGWIN_ENTRY(18, &CProgWinViewSrv::MarkLines, -1, -1, -1, nullptr, nullptr),
    PROGWIN_ENTRY(19, &CProgWinViewSrv::SendViewCommand19, -1, -1, -1, nullptr, nullptr),
    PROGWIN_ENTRY(20, &CProgWinViewSrv::ReportMarkKind, -1, -1, -1, nullptr, nullptr),
    PROGWIN_ENTRY(21, &CProgWinViewSrv::QueryWindow, -1, -1, -1, nullptr, nullptr),
    PROGWIN_ENTRY(24, &CProgWinViewSrv::ShowIp, IDS_SHOW_IP_MENU, 4, 3, nullptr, nullptr),
    PROGWIN_ENTRY(25, &CProgWinViewSrv::ShowCodeRange, -1, -1, -1, nullptr, nullptr),
    PROGWIN_ENTRY(26, &CProgWinViewSrv::BeforeLoad, -1, -1, -1, nullptr, nullptr),
    PROGWIN_ENTRY(23, &CProgWinViewSrv::SetClearOnLoad, -1, -1, -1, nullptr, nullptr),
    PROGWIN_ENTRY(27, &CProgWinViewSrv::SetDisplayOptions, -1, -1, -1, nullptr, nullptr),
    PROGWIN_ENTRY(28, &CProgWinViewSrv::LocateSourceFile, -1, -1, -1, nullptr, nullptr),
    PROGWIN_ENTRY(29, &CProgWinViewSrv::ReportShownPosition, -1, -1, -1, nullptr, nullptr),
    PROGWIN_ENTRY(90, &CProgWinViewSrv::RefreshAllWindows, -1, -1, -1, nullptr, nullptr),
    PROGWIN_ENTRY(91, &CProgWinViewSrv::IpMoved, -1, -1, -1, nullptr, nullptr),
    PROGWIN_ENTRY(93, &CProgWinViewSrv::ShowCodeAt, -1, -1, -1, nullptr, nullptr),
    PROGWIN_ENTRY(95, &CProgWinViewSrv::MarkIpAfterLoad, -1, -1, -1, nullptr, nullptr),
    PROGWIN_ENTRY(96, &CProgWinViewSrv::SynchronizeAllWindows, -1, -1, -1, nullptr, nullptr),
    PROGWIN_ENTRY(kCmdToggleSingleWindow, &CProgWinViewSrv::ToggleSingleWindow, IDS_SINGLE_PROGRAM_WINDOW_MENU, 5, 5,
                  nullptr, nullptr),
    PROGWIN_ENTRY(kCmdShowCode, &CProgWinViewSrv::ShowCode, IDS_SHOW_CODE_MENU, 4, 3, nullptr, nullptr),
    {0, nullptr, nullptr, -1, -1, -1, nullptr, nullptr, 0, nullptr, nullptr, 0, 0, 0},
};

#undef PROGWIN_ENTRY


} // namespace

CProgWinViewSrv::CProgWinViewSrv()
    : m_pRequests(nullptr),
      m_service(IDS_PROFILE_SECTION_SYSTEM, IDS_PROFILE_SERVICE),
      m_sourceFilesRoot(IDS_PROFILE_SECTION_COMPILER, IDS_PROFILE_SOURCE_FILES_ROOT),
      m_mixedModeItem(IDS_PROFILE_SECTION_SYSTEM, IDS_PROFILE_MIXEDMODE),
      m_singleWindowItem(IDS_PROFILE_SECTION_SYSTEM, IDS_PROFILE_SINGLEPROGRAMWINDOW),
      m_bMixedMode(FALSE),
      m_bSingleWindow(FALSE),
      m_bMarkKind(FALSE),
      m_bClearOnLoad(FALSE),
      m_bStale(FALSE),
      m_bMarksCleared(FALSE),
      m_codeStart(0),
      m_codeLength(0),
      m_nTargetState(2),
      m_bIpRemembered(FALSE),
      m_rememberedIp(0),
      m_bPendingLine(FALSE),
      m_pendingLine(0)
{
    InitCommandArrays(FALSE);
}

CProgWinViewSrv::~CProgWinViewSrv()
{
    // The events come on the host's thread, but a handler let go without Disconnect
    // must not stay advised.
    CTarStateEventSink::Unadvise();
    CQelPatternSink::Unadvise();
    delete m_pRequests;
}

const OLECMDTARHNDLENTRY *CProgWinViewSrv::GetCommandTable()
{
    return g_progWinCommands;
}

const GUID *CProgWinViewSrv::GetClassGuid()
{
    return &CLSID_QelSymbol;
}

CProgWinViewSrvObj *CProgWinViewSrv::Windows() const
{
    return static_cast<CProgWinViewSrvObj *>(GetFirstItemObj());
}

BOOL CProgWinViewSrv::Connect(IUnknown *frame, CStorage *settings)
{
    BOOL connected = CBasicOleTarCmdHndl::Connect(frame, settings);
    if (m_pOwner == nullptr)
        return connected;
    delete m_pRequests;
    m_pRequests = new CSymbolProcessing(TRUE);
    m_pRequests->Attach(m_pOwner);
    BOOL advised = CTarStateEventSink::Advise(m_pOwner);
    advised = CQelPatternSink::Advise(m_pOwner) && advised;
    AttachSettings();
    m_bSingleWindow = m_singleWindowItem.GetBool();
    m_codeStart = 0;
    m_codeLength = 0;
    m_bMixedMode = m_mixedModeItem.GetBool();
    return advised;
}

void CProgWinViewSrv::SetServerInterface(IUnknown *owner)
{
    CBasicOleTarCmdHndl::SetServerInterface(owner);
    AttachSettings();
}

void CProgWinViewSrv::AttachSettings()
{
    for (CQelCfgProfileClientImpl *item : {&m_service, &m_sourceFilesRoot, &m_mixedModeItem, &m_singleWindowItem}) {
        if (m_pOwner != nullptr)
            item->Attach(m_pOwner);
        else
            item->Detach();
    }
}

BOOL CProgWinViewSrv::Disconnect()
{
    delete m_pRequests;
    m_pRequests = nullptr;
    m_locationRoutes.RemoveAll();
    m_singleWindowItem.PutBool(m_bSingleWindow);
    StoreProfile();
    if (!m_bSingleWindow) {
        m_mixedModeItem.PutBool(m_bMixedMode);
        StoreProfile();
    }
    CTarStateEventSink::Unadvise();
    CQelPatternSink::Unadvise();
    for (CQelCfgProfileClientImpl *item : {&m_service, &m_sourceFilesRoot, &m_mixedModeItem, &m_singleWindowItem})
        item->Detach();
    return CBasicOleTarCmdHndl::Disconnect();
}

BOOL CProgWinViewSrv::QueryStatus(const GUID *group, OLECMD *cmd, OLECMDTEXT *text, BOOL *handled)
{
    if (!CBasicOleTarCmdHndl::QueryStatus(group, cmd, text, handled))
        return FALSE;
    if (cmd->cmdID == kCmdToggleSingleWindow) {
        cmd->cmdf &= ~static_cast<DWORD>(OLECMDF_LATCHED);
        if (m_bSingleWindow)
            cmd->cmdf |= OLECMDF_LATCHED;
    } else if (cmd->cmdID == kCmdShowCode) {
        cmd->cmdf &= ~static_cast<DWORD>(OLECMDF_ENABLED);
        if (m_bSingleWindow)
            cmd->cmdf |= OLECMDF_ENABLED;
    }
    return TRUE;
}

void CProgWinViewSrv::StoreProfile()
{
    if (IQelCfgProfile2 *profile = m_service.GetProfile())
        profile->Store();
}

IStorage *CProgWinViewSrv::SettingsStorage() const
{
    return m_pSettings != nullptr ? m_pSettings->GetStorage() : nullptr;
}

HRESULT CProgWinViewSrv::SendCommand(DWORD id, std::initializer_list<CComVariant> values, CVariantArray *out)
{
    return SendToGroup(m_pOwner, CLSID_QelSymbol, id, values, out);
}

HRESULT CProgWinViewSrv::SendToGroup(IUnknown *target, const GUID &group, DWORD id,
                                     std::initializer_list<CComVariant> values, CVariantArray *out)
{
    if (target == nullptr)
        return E_POINTER;
    CVariantArray in(static_cast<int>(values.size()));
    int i = 0;
    for (const CComVariant &value : values)
        in[i++].SetValue(value);
    return COleTarCmdCaller(target, &group).Exec(id, values.size() != 0 ? &in : nullptr, out, 0);
}

LONG CProgWinViewSrv::HostStateFlag()
{
    CComPtr<IQelHostHolder> holder;
    LONG flag = 0;
    if (m_pOwner == nullptr ||
        FAILED(m_pOwner->QueryInterface(IID_IQelHostHolder, reinterpret_cast<void **>(&holder))) ||
        FAILED(holder->GetNoMessageBoxes(&flag)))
        return 0;
    return flag;
}

void CProgWinViewSrv::CloseDownloadDialog()
{
    // With one input the progress window goes, and a question of the load stays.
    SendCommand(5, {CComVariant(1u)});
}

HRESULT CProgWinViewSrv::CloseTemporaryWindows(CVariantArray *, CVariantArray *)
{
    m_known.Clear();
    if (CProgWinViewSrvObj *windows = Windows())
        windows->CloseTemporaries();
    return S_OK;
}

HRESULT CProgWinViewSrv::ToAllWindows(DWORD id, CVariantArray *in)
{
    CProgWinViewSrvObj *windows = Windows();
    return windows != nullptr ? windows->ToAllViews(id, in) : S_OK;
}

HRESULT CProgWinViewSrv::SignalProgramLoaded(CVariantArray *in, CVariantArray *)
{
    return ToAllWindows(14, in);
}

HRESULT CProgWinViewSrv::RefreshAllWindows(CVariantArray *in, CVariantArray *)
{
    return ToAllWindows(90, in);
}

HRESULT CProgWinViewSrv::SynchronizeAllWindows(CVariantArray *in, CVariantArray *)
{
    return ToAllWindows(96, in);
}

HRESULT CProgWinViewSrv::ToFileWindow(DWORD id, CVariantArray *in)
{
    CProgWinViewSrvObj *windows = Windows();
    const int count = in ? in->GetSize() : 0;
    if (windows == nullptr || count > 1)
        return E_INVALIDARG;
    CString file;
    if (count == 1)
        file = CString(in->GetBSTR(0));
    return windows->FileCommand(id, count == 1 ? static_cast<LPCSTR>(file) : nullptr);
}

HRESULT CProgWinViewSrv::SendViewCommand17(CVariantArray *in, CVariantArray *)
{
    return ToFileWindow(17, in);
}

HRESULT CProgWinViewSrv::SendViewCommand19(CVariantArray *in, CVariantArray *)
{
    return ToFileWindow(19, in);
}

HRESULT CProgWinViewSrv::MarkLines(CVariantArray *in, CVariantArray *)
{
    if (in == nullptr || in->GetSize() < 5)
        return E_INVALIDARG;
    const DWORD flag = in->GetUI4(0);
    const CString file(in->GetBSTR(1));
    const DWORD address = in->GetUI4(2);
    const DWORD line = in->GetUI4(3);
    const DWORD kind = in->GetUI4(4);
    CProgWinViewSrvObj *windows = Windows();
    if (windows == nullptr)
        return S_OK;
    HRESULT hr = windows->MarkLines(file, flag, line, kind);
    // The host frame's add-on shows the marked line too. It reads its third value as a
    // line, so the line goes, not the address: a CASE tool knows its sources by lines.
    if (SUCCEEDED(hr) && flag != 0 && address != 0)
        SendToGroup(m_pOwner, CGID_QelFrameAddOn, 3, {CComVariant(1u), CComVariant(static_cast<LPCSTR>(file)), CComVariant(line)});
    return hr;
}

HRESULT CProgWinViewSrv::ReportMarkKind(CVariantArray *, CVariantArray *out)
{
    if (out == nullptr || out->GetSize() < 1)
        return E_INVALIDARG;
    (*out)[0].SetValue(CComVariant(static_cast<DWORD>(m_bMarkKind)));
    return S_OK;
}

HRESULT CProgWinViewSrv::QueryWindow(CVariantArray *in, CVariantArray *out)
{
    if (out == nullptr || out->GetSize() != 4)
        return E_INVALIDARG;
    const int count = in ? in->GetSize() : 0;
    if (count > 1)
        return E_INVALIDARG;
    CString file;
    if (count == 1)
        file = CString(in->GetBSTR(0));
    CProgWinViewSrvObj *windows = Windows();
    if (windows == nullptr)
        return E_INVALIDARG;
    CString shown;
    LONG values[3] = {0, 0, 0};
    HRESULT hr = windows->Query(count == 1 ? static_cast<LPCSTR>(file) : nullptr, shown, values);
    if (FAILED(hr))
        return hr;
    (*out)[0].SetString(shown);
    for (int i = 0; i < 3; ++i)
        (*out)[i + 1].SetValue(CComVariant(values[i]));
    return S_OK;
}

HRESULT CProgWinViewSrv::SetClearOnLoad(CVariantArray *in, CVariantArray *)
{
    m_bClearOnLoad = in != nullptr && in->GetSize() > 0 ? in->GetUI4(0) != 0 : TRUE;
    return S_OK;
}

HRESULT CProgWinViewSrv::SetDisplayOptions(CVariantArray *in, CVariantArray *)
{
    if (in == nullptr || in->GetSize() < 3)
        return E_INVALIDARG;
    const LONG a = in->GetI4(0), b = in->GetI4(1), c = in->GetI4(2);
    if (b != 0) {
        if (c == 1)
            m_bMixedMode = TRUE;
        if (a != 0)
            m_bMarkKind = FALSE;
    } else {
        m_bMixedMode = FALSE;
        if (a != 0)
            m_bMarkKind = TRUE;
    }
    return S_OK;
}

HRESULT CProgWinViewSrv::ReportShownPosition(CVariantArray *, CVariantArray *out)
{
    if (out == nullptr || out->GetSize() < 3)
        return E_INVALIDARG;
    (*out)[0].SetValue(CComVariant(1u));
    (*out)[1].SetString(m_shownLocation.Name);
    (*out)[2].SetValue(CComVariant(static_cast<DWORD>(m_shownLocation.SourceLine)));
    return S_OK;
}

HRESULT CProgWinViewSrv::IpMoved(CVariantArray *in, CVariantArray *)
{
    if (in == nullptr || in->GetSize() < 1)
        return E_INVALIDARG;
    const DWORD address = in->GetUI4(0);
    CProgWinViewSrvObj *windows = Windows();
    return windows != nullptr ? windows->IpInCodeWindow(address) : S_OK;
}

HRESULT CProgWinViewSrv::BreakpointsChanged(CVariantArray *in, CVariantArray *)
{
    if (in == nullptr || in->GetSize() < 1)
        return E_INVALIDARG;
    const DWORD count = in->GetUI4(0);
    // The count comes from the caller: every group must be there before anything is sent.
    if (static_cast<ULONGLONG>(in->GetSize()) < 1 + 3ULL * count)
        return E_INVALIDARG;
    for (DWORD group = 0; group < count; ++group) {
        in->GetUI4(static_cast<int>(1 + 3 * group));
        in->GetUI4(static_cast<int>(2 + 3 * group));
        in->GetBSTR(static_cast<int>(3 + 3 * group));
    }
    if (CProgWinViewSrvObj *windows = Windows())
        windows->ToAllViews(kViewBreakpoints, in);
    COleTarCmdCaller(m_pOwner, &CLSID_QelSymbol).Exec(kCmdSignalBreakpoints, in, nullptr, 0);

    struct Kept {
        CString path;
        DWORD line;
        DWORD value;
    };
    CArray<Kept, Kept &> kept;
    for (DWORD group = 0; group < count; ++group) {
        CString descriptor(in->GetBSTR(static_cast<int>(3 + 3 * group)));
        CString function, file, modules, path;
        int line = 0, occurrence = 0, distance = 0, offset = 0;
        if (!ParseLocationDescriptor(descriptor, function, file, line, modules, occurrence, distance, offset) ||
            file.IsEmpty() || line <= 0 || !FindSource(file, FALSE, path))
            continue;
        Kept entry{path, static_cast<DWORD>(line), in->GetUI4(static_cast<int>(2 + 3 * group))};
        kept.Add(entry);
    }
    CVariantArray addOn(1 + 3 * static_cast<int>(kept.GetSize()));
    addOn[0].SetValue(CComVariant(static_cast<DWORD>(kept.GetSize())));
    for (INT_PTR i = 0; i < kept.GetSize(); ++i) {
        addOn[static_cast<int>(1 + 3 * i)].SetString(kept[i].path);
        addOn[static_cast<int>(2 + 3 * i)].SetValue(CComVariant(kept[i].line));
        addOn[static_cast<int>(3 + 3 * i)].SetValue(CComVariant(kept[i].value));
    }
    COleTarCmdCaller(m_pOwner, &CGID_QelFrameAddOn).Exec(kAddOnSourceBreakpoints, &addOn, nullptr, 0);
    return S_OK;
}

void CProgWinViewSrv::OnTargetStateChange(ULONG, ULONG newState)
{
    if (newState != 2 && newState != 3)
        return;
    m_nTargetState = newState;
    if (newState == 3) {
        ClearMarks();
    } else if (m_bIpRemembered) {
        m_bIpRemembered = FALSE;
        ReceiveIp(m_rememberedIp, -1);
    }
    SendToGroup(m_pOwner, CGID_QelFrameAddOn, kAddOnTargetState, {CComVariant(newState == 3 ? 1u : 0u)});
}

void CProgWinViewSrv::OnTargetStateNotify(ULONG address, ULONG requestId)
{
    ReceiveIp(address, static_cast<LONG>(requestId));
}
