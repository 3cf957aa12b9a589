// The program window's positions: addresses resolved through the symbol server into
// source lines or code windows, the code windows themselves, the instruction pointer as
// the target reports it, and the commands that show positions (12, 15, 24, 25, 26, 92 to
// 95).
#include "progwinviewsrv.h"

#include "posdialog.h"
#include "progwinviewsrvobj.h"

#include <hostinterfaces.h>
#include <hostmainwnd.h>
#include <qelhostframe.h>
#include <qelsymbol.h>
#include <qelsymbsrv.h>

namespace {

enum : DWORD {
    kCmdShowSource = 11,
    kCmdOpenWindow = 12,
    kCmdShowLine = 15,
    kCmdMarkLines = 18,
    kCmdShowIp = 24,
    kCmdRefresh = 90,
    kCmdIpInWindow = 91,
};

const DWORD kCodeWindowLength = 2048;
const DWORD kCodeWindowStep = 1024;
const char kUnknownRange[] = "<?>";
// The IP lies nowhere: the host's own "no request" too.
const LONG kNoRequest = -1;


// File types of locations that are shown as code when their source is not found.
bool ShownAsCode(LONG type)
{
    switch (static_cast<DWORD>(type)) {
    case 1:
    case 5:
    case 8:
    case 9:
    case 10:
    case 0x40000001:
        return true;
    default:
        return false;
    }
}

} // namespace

DWORD CProgWinViewSrv::CodeWindowMargin(DWORD length)
{
    return length < 32 ? length / 2 : 32;
}

CString CProgWinViewSrv::CodeWindowName(DWORD start, DWORD length)
{
    // Computed in 64 bits: a window near the top of the address space ends at its top.
    ULONGLONG last = static_cast<ULONGLONG>(start) + (length != 0 ? length : 1) - 1;
    if (last > 0xFFFFFFFFULL)
        last = 0xFFFFFFFFULL;
    CString name;
    name.Format("<code: 0x%X-0x%X>", static_cast<unsigned>(start), static_cast<unsigned>(last));
    return name;
}

void CProgWinViewSrv::FirePatternWindow(BOOL open, DWORD start, DWORD length)
{
    CComPtr<IQelSymbol> symbol;
    if (m_pOwner != nullptr &&
        SUCCEEDED(m_pOwner->QueryInterface(IID_IQelSymbol, reinterpret_cast<void **>(&symbol))))
        symbol->FirePatternWindowState(open ? 1 : 0, static_cast<LONG>(start), static_cast<LONG>(length));
}

void CProgWinViewSrv::RequestLocation(DWORD address, Route route)
{
    if (m_pRequests == nullptr)
        return;
    const int id = m_pRequests->RequestLocation(1, static_cast<LONG>(address));
    if (id == 0)
        return;
    m_locationRoutes.SetAt(id, route);
    m_pRequests->RegisterLocationCallbackWithId(id, OnLocationResult, reinterpret_cast<DWORD_PTR>(this));
}

void CProgWinViewSrv::OnLocationResult(int requestId, LocationTag *location, DWORD_PTR context)
{
    auto *self = reinterpret_cast<CProgWinViewSrv *>(context);
    Route route;
    if (location == nullptr || !self->m_locationRoutes.Lookup(requestId, route))
        return;
    self->m_locationRoutes.RemoveKey(requestId);
    LocationTag found = *location;
    switch (route) {
    case Route::Show:
        self->ShowLocation(found, TRUE);
        break;
    case Route::IpLocation:
        self->SetIpLocation(found);
        // Without a source the IP's window is a code window, whose range the host tells.
        if (found.EntryInFile.IsEmpty())
            self->OnPatternRange(0, 0, 0);
        break;
    case Route::IpShown:
        // Shown first: the source that the user picks there is the one the mark goes on.
        self->ShowLocation(found, TRUE);
        self->SetIpLocation(found);
        self->MarkLocation(self->m_ipLocation, TRUE);
        break;
    }
}

void CProgWinViewSrv::SetIpLocation(const LocationTag &location)
{
    m_ipLocation = location;
    CString path;
    m_ipLocation.Name = FindSource(location.EntryInFile, FALSE, path) ? path : CString();
    // Positions are known again after a load.
    m_bStale = FALSE;
}

void CProgWinViewSrv::ShowLocation(const LocationTag &location, BOOL ask)
{
    if (location.EntryInFile.IsEmpty()) {
        OpenCodeWindow(location.AddressValue, kCodeWindowLength, FALSE);
        return;
    }
    CString path;
    BOOL codeOnly = FALSE;
    if (FindSource(location.EntryInFile, ask, path, &codeOnly)) {
        if (SUCCEEDED(SendCommand(kCmdShowSource, {CComVariant(static_cast<LPCSTR>(location.EntryInFile)),
                                                   CComVariant(static_cast<LPCSTR>(path))}))) {
            m_shownLocation = location;
            m_shownLocation.Name = path;
            SendCommand(kCmdShowLine, {CComVariant(static_cast<LPCSTR>(path)),
                                       CComVariant(static_cast<DWORD>(location.SourceLine)), CComVariant(location.AddressValue),
                                       CComVariant(static_cast<LPCSTR>(location.EntryInFile))});
        }
        return;
    }
    if (codeOnly || ShownAsCode(location.Type))
        OpenCodeWindow(location.AddressValue, kCodeWindowLength, FALSE);
}

void CProgWinViewSrv::MarkLocation(const LocationTag &location, BOOL mark)
{
    // A mark is set only while the target stands still; taking one away always works.
    if (mark && m_nTargetState == 3)
        return;
    if (location.Name.IsEmpty() || location.SourceLine <= 0)
        return;
    const DWORD kind = (m_bMarkKind || location.Name != m_shownLocation.Name) ? 1 : 0;
    SendCommand(kCmdMarkLines, {CComVariant(mark ? 1u : 0u), CComVariant(static_cast<LPCSTR>(location.Name)),
                                CComVariant(location.AddressValue), CComVariant(static_cast<DWORD>(location.SourceLine)), CComVariant(kind)});
    if (mark)
        m_bMarksCleared = FALSE;
}

void CProgWinViewSrv::ClearMarks()
{
    MarkLocation(m_ipLocation, FALSE);
    MarkLocation(m_shownLocation, FALSE);
    m_bMarksCleared = TRUE;
}

void CProgWinViewSrv::ReceiveIp(DWORD address, LONG requestId)
{
    if (m_bSingleWindow)
        FollowIp(address, requestId);
    else
        RegularPosition(address, requestId);
}

void CProgWinViewSrv::RegularPosition(DWORD address, LONG requestId)
{
    if (HostStateFlag() != 0)
        return;
    if (requestId != kNoRequest) {
        RequestLocation(address, Route::IpLocation);
        RequestLocation(address, Route::Show);
        CloseDownloadDialog();
        return;
    }
    if (!m_bStale && m_service.GetBool())
        CloseDownloadDialog();
    if (m_nTargetState == 3) {
        if (!m_bIpRemembered)
            ClearMarks();
        m_bIpRemembered = TRUE;
        m_rememberedIp = address;
        return;
    }
    if (!m_bMarksCleared)
        ClearMarks();
    RequestLocation(address, Route::IpShown);
}

void CProgWinViewSrv::FollowIp(DWORD address, LONG requestId)
{
    if (HostStateFlag() != 0)
        return;
    const DWORD margin = CodeWindowMargin(m_codeLength);
    if (requestId != kNoRequest) {
        m_ipLocation.AddressMode = 1;
        m_ipLocation.AddressValue = address;
        CloseDownloadDialog();
        const ULONGLONG end = static_cast<ULONGLONG>(m_codeStart) + m_codeLength;
        if (m_codeLength == 0 || address < m_codeStart || static_cast<ULONGLONG>(address) + margin >= end) {
            OpenCodeWindow(address, kCodeWindowLength, FALSE);
        } else if (m_nTargetState != 3) {
            SendCommand(kCmdIpInWindow, {CComVariant(address), CComVariant(0u)});
        } else {
            ClearMarks();
            m_bIpRemembered = TRUE;
            m_rememberedIp = address;
        }
        return;
    }
    if (m_service.GetBool())
        CloseDownloadDialog();
    CComPtr<IUnknown> standalone;
    CComPtr<IQelSymbSrv> server;
    if (m_pOwner != nullptr &&
        SUCCEEDED(m_pOwner->QueryInterface(IID_IQelSymbSrv, reinterpret_cast<void **>(&server))))
        server->Synchronize(SYF_GET_PCP_STANDALONE_DEBUG_SERVER, &standalone);
    if (m_nTargetState == 3 && standalone == nullptr) {
        if (!m_bIpRemembered)
            ClearMarks();
        m_bIpRemembered = TRUE;
        m_rememberedIp = address;
        return;
    }
    m_ipLocation.AddressMode = 1;
    m_ipLocation.AddressValue = address;
    RequestLocation(address, Route::IpShown);
}

void CProgWinViewSrv::OpenCodeWindow(DWORD address, DWORD length, BOOL rangeKnown)
{
    m_codeStart = address;
    m_codeLength = length;
    m_strCodeName = rangeKnown ? CodeWindowName(address, length) : CString(kUnknownRange);
    m_shownLocation.EntryInFile.Empty();
    m_shownLocation.Name = m_strCodeName;
    m_shownLocation.SourceLine = 0;
    m_shownLocation.AddressMode = 1;
    m_shownLocation.AddressValue = address;
    FirePatternWindow(TRUE, m_codeStart, m_codeLength);
    ShowCodeWindow();
}

void CProgWinViewSrv::CloseCodeWindow()
{
    if (m_codeLength == 0 && m_strCodeName.IsEmpty())
        return;
    FirePatternWindow(FALSE, m_codeStart, m_codeLength);
    if (CProgWinViewSrvObj *windows = Windows())
        windows->CloseFile(m_strCodeName);
    m_strCodeName.Empty();
}

HRESULT CProgWinViewSrv::ShowCodeWindow()
{
    // The one window of single-window mode shows whatever comes next.
    CString previous;
    CProgWinViewSrvObj *windows = Windows();
    if (m_bSingleWindow && windows != nullptr && !windows->GetInstances().IsEmpty())
        previous = windows->GetInstances().GetHead()->GetSourceFile();
    if (!previous.IsEmpty() && previous != m_strCodeName)
        return SendCommand(kCmdOpenWindow, {CComVariant(static_cast<LPCSTR>(m_strCodeName)),
                                            CComVariant(static_cast<LPCSTR>(previous))});
    return SendCommand(kCmdOpenWindow, {CComVariant(static_cast<LPCSTR>(m_strCodeName))});
}

BOOL CProgWinViewSrv::MoveCodeWindow(int mode, DWORD address)
{
    const DWORD oldStart = m_codeStart, oldLength = m_codeLength;
    ULONGLONG start = m_codeStart;
    ULONGLONG length = kCodeWindowLength;
    if (mode == 0)
        start = start <= kCodeWindowStep ? 0 : start - kCodeWindowStep;
    else if (mode == 1)
        start += kCodeWindowStep;
    else
        start = address;
    // The window never runs past the target's highest address; without it (a host that
    // does not tell) the move is not clamped.
    ULONG highest = 0;
    LONG bits = 0;
    IQelControllerInfo *info = m_pRequests != nullptr ? m_pRequests->GetControllerInfo() : nullptr;
    if (info != nullptr && SUCCEEDED(info->MaxAddressMask(&highest))) {
        ULONGLONG word = 1;
        if (SUCCEEDED(info->WordSize(&bits)) && bits >= 8)
            word = static_cast<ULONGLONG>(bits) / 8;
        if (start > highest) {
            start = static_cast<ULONGLONG>(highest) - static_cast<ULONGLONG>(highest) % word;
            length = word < kCodeWindowLength ? word : kCodeWindowLength;
        }
        if (start + length - 1 > highest)
            length = static_cast<ULONGLONG>(highest) - start + 1;
    }
    m_codeStart = static_cast<DWORD>(start);
    m_codeLength = static_cast<DWORD>(length);
    FirePatternWindow(TRUE, m_codeStart, m_codeLength);
    if (m_codeStart == oldStart && m_codeLength == oldLength)
        return FALSE;
    m_strCodeName = CodeWindowName(m_codeStart, m_codeLength);
    return TRUE;
}

BOOL CProgWinViewSrv::CurrentIp(DWORD *address)
{
    CVariantArray out(1);
    if (FAILED(SendToGroup(m_pOwner, CGID_QelHostCommands, QEL_HOSTCMD_TARGET_ACCESS, {}, &out)) ||
        out[0].GetValue().vt != VT_UNKNOWN || out[0].GetValue().punkVal == nullptr)
        return FALSE;
    // The object is the target-access interface itself, called by its slots.
    auto *access = static_cast<IQelTargetAccess *>(out[0].GetValue().punkVal);
    ULONG pc = 0;
    if (FAILED(access->GetCurrentAddress(&pc)))
        return FALSE;
    *address = pc;
    return TRUE;
}

void CProgWinViewSrv::SetSingleWindow(BOOL on, BOOL byCommand)
{
    m_codeStart = 0;
    m_codeLength = 0;
    m_strCodeName.Empty();
    if (byCommand) {
        if (CProgWinViewSrvObj *windows = Windows())
            windows->CloseAll();
    }
    m_bSingleWindow = on;
    if (!on)
        m_bMixedMode = m_mixedModeItem.GetBool();
    DWORD ip = 0;
    if (on && CurrentIp(&ip)) {
        FollowIp(ip, kNoRequest);
        return;
    }
    if (m_ipLocation.AddressValue != 0 || !m_ipLocation.EntryInFile.IsEmpty())
        ReceiveIp(m_ipLocation.AddressValue, kNoRequest);
}

HRESULT CProgWinViewSrv::OnPatternRange(ULONG kind, ULONG start, ULONG length)
{
    if (kind != 0) {
        if (!m_bSingleWindow && m_bStale)
            SendCommand(kCmdRefresh, {});
        return S_OK;
    }
    if (m_bStale && m_shownLocation.Name != kUnknownRange)
        return E_FAIL;
    CProgWinViewSrvObj *windows = Windows();
    if (windows != nullptr && !windows->GetInstances().IsEmpty() && length != 0) {
        const CString name = CodeWindowName(start, length);
        const CString previous = m_strCodeName;
        if (previous.IsEmpty() || windows->FindViewBySourceFile(previous) == nullptr) {
            if (!m_bSingleWindow || previous.IsEmpty())
                SendCommand(kCmdOpenWindow, {CComVariant(static_cast<LPCSTR>(name))});
        } else if (name == previous) {
            SendCommand(kCmdRefresh, {});
        } else {
            SendCommand(kCmdOpenWindow,
                        {CComVariant(static_cast<LPCSTR>(name)), CComVariant(static_cast<LPCSTR>(previous))});
        }
        m_codeStart = start;
        m_codeLength = length;
        m_strCodeName = name;
    }
    if (m_bSingleWindow) {
        const ULONGLONG end = static_cast<ULONGLONG>(m_codeStart) + m_codeLength;
        if (m_shownLocation.Name == kUnknownRange) {
            m_shownLocation.Name = m_strCodeName;
            SendCommand(kCmdShowIp, {});
        } else if (m_ipLocation.AddressValue >= m_codeStart && m_ipLocation.AddressValue < end) {
            m_shownLocation.Name = m_strCodeName;
        }
    } else {
        m_ipLocation.EntryInFile.Empty();
        m_ipLocation.Name = m_strCodeName;
        m_ipLocation.SourceLine = 0;
        SendCommand(kCmdShowIp, {});
    }
    return S_OK;
}

HRESULT CProgWinViewSrv::OpenWindowForName(CVariantArray *in, CVariantArray *)
{
    const int count = in ? in->GetSize() : 0;
    if (count != 1 && count != 2 && count != 4)
        return E_INVALIDARG;
    CString name(in->GetBSTR(0));
    CString second;
    DWORD address = 0;
    if (count == 2)
        second = CString(in->GetBSTR(1));
    if (count == 4) {
        address = in->GetUI4(2);
        in->GetUI4(3);
    }
    CProgWinViewSrvObj *windows = Windows();
    if (windows == nullptr)
        return E_FAIL;
    if (count == 4 && m_bSingleWindow && address != 0xFFFFFFFF && address != 0xFFFFFFFE) {
        const ULONGLONG end = static_cast<ULONGLONG>(m_codeStart) + m_codeLength;
        if (m_codeLength != 0 && address >= m_codeStart && address < end)
            return windows->ShowLine(m_strCodeName, 0, address, m_strCodeName);
        const CString previous = m_strCodeName;
        MoveCodeWindow(2, address);
        m_bPendingLine = TRUE;
        m_pendingLine = address;
        second = previous;
        name = m_strCodeName;
    }
    const DWORD mode = IsCodeWindowName(name) ? (m_bSingleWindow ? 3 : 2) : 1;
    HRESULT hr = E_FAIL;
    if (!second.IsEmpty())
        hr = windows->OpenFileAs(name, second, m_bSingleWindow);
    if (FAILED(hr)) {
        hr = windows->ShowFile(mode, name, CComVariant(0u), m_bSingleWindow);
        if (SUCCEEDED(hr) && mode == 1) {
            MarkLocation(m_ipLocation, TRUE);
            MarkLocation(m_shownLocation, TRUE);
        }
    }
    if (m_bPendingLine) {
        m_bPendingLine = FALSE;
        windows->ShowLine(name, 0, m_pendingLine, name);
    }
    return hr;
}

HRESULT CProgWinViewSrv::ShowLine(CVariantArray *in, CVariantArray *)
{
    if (in == nullptr || in->GetSize() < 4)
        return E_INVALIDARG;
    const CString file(in->GetBSTR(0));
    const DWORD line = in->GetUI4(1);
    const DWORD address = in->GetUI4(2);
    const CString second(in->GetBSTR(3));
    CProgWinViewSrvObj *windows = Windows();
    if (windows == nullptr)
        return S_OK;
    if (m_bSingleWindow) {
        const ULONGLONG end = static_cast<ULONGLONG>(m_codeStart) + m_codeLength;
        if (m_codeLength != 0 && address >= m_codeStart && address < end)
            return windows->ShowLine(m_strCodeName, line, address, second);
        m_bPendingLine = TRUE;
        m_pendingLine = address;
        return S_OK;
    }
    if (!file.IsEmpty() || !second.IsEmpty()) {
        CString path;
        FindSource(!file.IsEmpty() ? file : second, FALSE, path);
        return windows->ShowLine(path.IsEmpty() ? nullptr : static_cast<LPCSTR>(path), line, address, second);
    }
    CloseCodeWindow();
    OpenCodeWindow(address, kCodeWindowLength, TRUE);
    return S_OK;
}

HRESULT CProgWinViewSrv::ShowIp(CVariantArray *, CVariantArray *)
{
    CProgWinViewSrvObj *windows = Windows();
    if (windows == nullptr)
        return S_OK;
    CString path;
    if (FindSource(m_ipLocation.EntryInFile, FALSE, path)) {
        m_ipLocation.Name = path;
        if (windows->FindViewBySourceFile(path) == nullptr)
            ShowFileInWindow(m_ipLocation.EntryInFile, path);
        if (windows->FindViewBySourceFile(m_shownLocation.Name) != nullptr)
            MarkLocation(m_shownLocation, FALSE);
        MarkLocation(m_ipLocation, TRUE);
        return S_OK;
    }
    const DWORD address = m_ipLocation.AddressValue;
    const ULONGLONG end = static_cast<ULONGLONG>(m_codeStart) + m_codeLength;
    if (m_codeLength == 0 || address < m_codeStart || address >= end ||
        windows->FindViewBySourceFile(m_strCodeName) == nullptr)
        OpenCodeWindow(address, kCodeWindowLength, TRUE);
    return windows->IpInCodeWindow(address);
}

HRESULT CProgWinViewSrv::ShowCodeRange(CVariantArray *in, CVariantArray *)
{
    if (in == nullptr || in->GetSize() < 2)
        return E_INVALIDARG;
    const DWORD start = in->GetUI4(0);
    const DWORD length = in->GetUI4(1);
    // A range of no bytes has no last address to name.
    if (length == 0)
        return E_INVALIDARG;
    const CString name = CodeWindowName(start, length);
    CProgWinViewSrvObj *windows = Windows();
    if (windows != nullptr && windows->FindViewBySourceFile(name) != nullptr)
        return S_OK;
    CloseCodeWindow();
    m_codeStart = start;
    m_codeLength = length;
    m_strCodeName = name;
    return ShowCodeWindow();
}

HRESULT CProgWinViewSrv::BeforeLoad(CVariantArray *, CVariantArray *)
{
    if (m_bClearOnLoad || (m_pRequests != nullptr && m_pRequests->IsDatabase()))
        m_bStale = TRUE;
    if (m_bSingleWindow && m_codeLength != 0) {
        CloseCodeWindow();
        m_codeLength = 0;
    }
    return S_OK;
}

HRESULT CProgWinViewSrv::ToggleSingleWindow(CVariantArray *, CVariantArray *)
{
    SetSingleWindow(!m_bSingleWindow, TRUE);
    return S_OK;
}

HRESULT CProgWinViewSrv::ShowCodeAt(CVariantArray *in, CVariantArray *)
{
    if (!m_bSingleWindow)
        return S_OK;
    if (in == nullptr || in->GetSize() < 3)
        return E_INVALIDARG;
    const DWORD mode = in->GetUI4(0);
    const DWORD address = in->GetUI4(1);
    in->GetUI4(2);
    if (mode > 2)
        return E_INVALIDARG;
    MoveCodeWindow(static_cast<int>(mode), address);
    return SUCCEEDED(ShowCodeWindow()) ? S_OK : E_FAIL;
}

HRESULT CProgWinViewSrv::ShowCode(CVariantArray *, CVariantArray *)
{
    if (!m_bSingleWindow)
        return S_OK;
    CPosDialog dialog(m_pOwner, SettingsStorage(), GetHostMainWnd(0, nullptr));
    if (dialog.DoModal() != IDOK)
        return S_FALSE;
    const DWORD address = dialog.m_nAddress;
    const ULONGLONG end = static_cast<ULONGLONG>(m_codeStart) + m_codeLength;
    if (m_codeLength != 0 && address >= m_codeStart && address < end) {
        CProgWinViewSrvObj *windows = Windows();
        return windows != nullptr ? windows->ShowLine(m_strCodeName, 0, address, m_strCodeName) : S_OK;
    }
    OpenCodeWindow(address, kCodeWindowLength, TRUE);
    return S_OK;
}

HRESULT CProgWinViewSrv::MarkIpAfterLoad(CVariantArray *, CVariantArray *)
{
    CProgWinViewSrvObj *windows = Windows();
    if (!m_service.GetBool() || windows == nullptr || windows->GetInstances().IsEmpty())
        return S_OK;
    return SendCommand(kCmdMarkLines, {CComVariant(1u), CComVariant(""), CComVariant(m_ipLocation.AddressValue),
                                       CComVariant(static_cast<DWORD>(m_ipLocation.SourceLine)), CComVariant(1u)});
}
