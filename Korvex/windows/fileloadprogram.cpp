// Command 1, the program load: choosing the file and the program's id, asking the symbol
// server, and what follows its result.
#include "fileloadmenuitem.h"

#include "extendedfiledialog.h"
#include "imagecontroldialog.h"
#include "windowsstrings.h"
#include "workspacesettings.h"

#include <diaghelper.h>
#include <hostmainwnd.h>
#include <msgboxwrapper.h>
#include <oletarcmdcaller.h>
#include <qelsymbol.h>
#include <qelsymbolexplorer.h>
#include <symbolengineerrortext.h>

namespace {

enum : DWORD {
    kCmdLoadProgram = 1,
    kCmdCloseDownload = 5,
    kCmdProgramLoaded = 14,
    kCmdClearOnLoad = 23,
    kCmdBeforeLoad = 26,
    kCmdAddWatchSymbol = 71,
    kCmdMarkIpAfterLoad = 95,
};

// The load modes, by the count of inputs.
enum : int { kAskUser = 0, kPathGiven = 1, kFromWorkspace = 2, kReload = 3 };

// The status of a file that no reader takes.
const int kFormatNotSupported = 7;

// The program path of the workspace is kept under the first program's entry.
const int kWorkspaceProgram = 1;

// The filters of the program file dialog; an index that a damaged workspace gives
// beyond them selects the first.
const int kProgramFilters = 4;

// Empty texts name nothing.
LPCSTR NameOrNull(LPCSTR text)
{
    return text && *text ? text : nullptr;
}

} // namespace

HRESULT CFileLoadMenuItem::LoadProgram(CVariantArray *in, CVariantArray *out)
{
    if (m_pCommandTarget) {
        CVariantArray results(out && out->GetSize() > 0 ? 1 : 0);
        HRESULT hr = COleTarCmdCaller(m_pCommandTarget, &CLSID_QelSymbol)
                         .Exec(kCmdLoadProgram, in, results.GetSize() > 0 ? &results : nullptr, 0);
        if (results.GetSize() > 0)
            (*out)[0].SetValue(results[0].GetValue());
        return hr;
    }
    m_bPathFromCaller = FALSE;
    const int mode = in ? in->GetSize() : 0;
    if (mode > kReload)
        return E_INVALIDARG;
    CString path;
    if (mode == kAskUser) {
        int entry = kWorkspaceProgram, filter = 1;
        CString stored, unused;
        ProgramSettings(QEL_WSP_READ_PATH, m_pOwner, entry, stored);
        ProgramSettings(QEL_WSP_READ_FILTER, m_pOwner, filter, unused);
        if (filter < 1 || filter > kProgramFilters)
            filter = 1;
        CExtendedFileDialog dialog(TRUE, nullptr, stored, OFN_HIDEREADONLY, nullptr, GetHostMainWnd(0, nullptr));
        dialog.m_ofn.nFilterIndex = static_cast<DWORD>(filter);
        if (dialog.DoModal() != IDOK)
            return S_FALSE;
        filter = static_cast<int>(dialog.m_ofn.nFilterIndex);
        ProgramSettings(QEL_WSP_WRITE_FILTER, m_pOwner, filter, unused);
        path = dialog.GetPathName();
    } else if (mode == kFromWorkspace) {
        // Without the offer nothing is loaded: the path of an earlier load is not the
        // workspace's program.
        int ask = 0;
        CString unused;
        if (!m_ignoreProgramFromWsp.GetBool())
            ProgramSettings(QEL_WSP_READ_ASKFORLOAD, m_pOwner, ask, unused);
        if (ask != 0) {
            int entry = kWorkspaceProgram;
            ProgramSettings(QEL_WSP_READ_PATH, m_pOwner, entry, path);
        }
        if (!path.IsEmpty()) {
            CLoadDialog question(GetHostMainWnd(0, nullptr));
            question.m_strFileName = path;
            m_pLoadDialog = &question;
            INT_PTR answer = question.DoModal();
            if (m_pLoadDialog == &question)
                m_pLoadDialog = nullptr;
            if (answer != IDOK)
                path.Empty();
        }
    } else {
        path = in->GetBSTR(0) ? CString(in->GetBSTR(0)) : CString();
        if (mode == kPathGiven)
            m_bPathFromCaller = TRUE;
    }
    const BOOL fromCaller = m_bPathFromCaller;
    if (!m_requests.Attach(m_pOwner))
        return E_FAIL;
    if (path.IsEmpty()) {
        m_requests.Detach();
        return S_FALSE;
    }
    m_strProgramPath = path;
    HWND progressWindow = fromCaller ? nullptr : OpenDownloadDialog(mode == kReload);
    LONG programId = 1;
    if (!ChooseProgramId(path, mode == kAskUser || mode == kReload, &programId)) {
        Close(1, FALSE);
        m_requests.Detach();
        return S_FALSE;
    }
    // The dialogs of the numbering may have let the window go meanwhile.
    if (progressWindow && !::IsWindow(progressWindow))
        progressWindow = nullptr;
    CComPtr<IUnknown> foreign = ForeignDebugServer();
    if (!m_service.GetBool()) {
        for (DWORD command : {kCmdClearOnLoad, kCmdBeforeLoad}) {
            SendCommand(command);
            if (foreign)
                SendCommand(command, nullptr, nullptr, foreign);
        }
    }
    {
        CVariantArray watchIn(1), watchOut(1);
        watchIn[0].SetValue(CComVariant(static_cast<LONG>(0)));
        SendCommand(kCmdAddWatchSymbol, &watchIn, &watchOut);
    }
    m_requests.SetErrorCallback(ErrorRoutine, reinterpret_cast<DWORD_PTR>(this));
    m_bLoadFailed = FALSE;
    int request = m_requests.LoadFile(path, programId, progressWindow, fromCaller ? 0 : CSymbolProcessing::kDefaultRequester);
    const int lastError = m_requests.GetLastError();
    if (lastError == 0 && request != 0) {
        m_nPendingRequest = request;
        // A load of the caller's path is over once this returns, and its result routine
        // has run: a failed one is no success.
        m_requests.RegisterProgramInfoCallbackWithId(request, LoadResultRoutine, reinterpret_cast<DWORD_PTR>(this));
        if (fromCaller && m_bLoadFailed)
            return E_FAIL;
        if (out && out->GetSize() > 0) {
            CComVariant accepted;
            accepted.vt = VT_BOOL;
            accepted.boolVal = 1;
            (*out)[0].SetValue(accepted);
        }
        return S_OK;
    }
    // Not taken: no result will come to close the window or let the client go.
    if (lastError == kFormatNotSupported) {
        ShowFormatNotSupported();
        Close(1, FALSE);
        m_requests.Detach();
    } else {
        OnLoadError();
    }
    return E_FAIL;
}

void CFileLoadMenuItem::ShowFormatNotSupported()
{
    CQelMsgBoxWrapper box;
    if (!box.Create(u"QEL.QELMsgBox"))
        return;
    box.SetTitleById(IDS_FILE_LOAD_ERROR);
    CString formats;
    formats.LoadString(IDS_SUPPORTED_FORMATS);
    CWnd *owner = GetHostMainWnd(0, nullptr);
    box.MessageBoxById(static_cast<LONG>(reinterpret_cast<LONG_PTR>(owner->GetSafeHwnd())), IDS_FORMAT_NOT_SUPPORTED,
                       formats, MB_OK);
}

BOOL CFileLoadMenuItem::ChooseProgramId(const CString &path, BOOL ask, LONG *programId)
{
    if (!(m_multiProgram.GetBool() && ask)) {
        for (int i = 0; i < m_patterns.Entries().GetSize(); ++i)
            UnloadProgramId(m_patterns.Entries()[i].programId);
        m_patterns.Entries().RemoveAll();
        *programId = 1;
        return TRUE;
    }
    if (m_patterns.FindUnchanged(path) >= 0) {
        *programId = 0;
        return TRUE;
    }
    if (m_patterns.Entries().GetSize() == 0) {
        *programId = 1;
        return TRUE;
    }
    CImageControlDialog images(GetHostMainWnd(0, nullptr));
    images.m_strNewFile = path;
    images.m_images.Copy(m_patterns.Entries());
    if (images.DoModal() != IDOK)
        return FALSE;
    // The dialog's copy comes back with the user's keep flags, by program id.
    for (int i = 0; i < images.m_images.GetSize(); ++i) {
        for (int j = 0; j < m_patterns.Entries().GetSize(); ++j) {
            if (m_patterns.Entries()[j].programId == images.m_images[i].programId)
                m_patterns.Entries().ElementAt(j).keep = images.m_images[i].keep;
        }
    }
    for (LONG dropped : m_patterns.RemoveDropped())
        UnloadProgramId(dropped);
    // Counting the entries would give an id that one of the kept ones may hold.
    *programId = m_patterns.FreeId();
    return TRUE;
}

void CFileLoadMenuItem::LoadResultRoutine(int, const ProgramLoadResult *result, DWORD_PTR context)
{
    reinterpret_cast<CFileLoadMenuItem *>(context)->AfterLoad(*result);
}

void CFileLoadMenuItem::AfterLoad(const ProgramLoadResult &result)
{
    m_nPendingRequest = 0;
    m_bLoadFailed = result.Status == ProgramLoadResult::kLoadFailed;
    // A program loaded again unchanged has id 0: it is the one there already, which the
    // explorer knows.
    m_patterns.Register(result.Path, result.ProgramId);
    const LONG programId = result.ProgramId;
    if (result.Status != ProgramLoadResult::kLoadFailed) {
        CString mainFunction = NameOrNull(m_mainFunction.GetString()) ? m_mainFunction.GetString() : "";
        CString startProcedure = NameOrNull(m_startProcedure.GetString()) ? m_startProcedure.GetString() : "";
        const BOOL service = m_service.GetBool();
        if (m_requests.Attach(m_pOwner)) {
            SendCommand(kCmdProgramLoaded);
            AnnounceStartup(m_pOwner, programId, NameOrNull(mainFunction), NameOrNull(startProcedure));
        }
        if (service)
            SendCommand(kCmdMarkIpAfterLoad);
        int askForLoad = m_bPathFromCaller || HostStateFlag() == 1 ? 0 : 1;
        CString unused, path = result.Path;
        ProgramSettings(QEL_WSP_WRITE_ASKFORLOAD, m_pOwner, askForLoad, unused);
        int entry = 0;
        ProgramSettings(QEL_WSP_STORE_PATH, m_pOwner, entry, path);
        HRESULT hr = S_OK;
        IStorage *settings = m_pSettings ? m_pSettings->GetStorage() : nullptr;
        RestoreBreakpoints(settings, QEL_WSP_BREAKPOINTS, m_pOwner, static_cast<DWORD>(entry), &hr);
        if (CComPtr<IUnknown> foreign = ForeignDebugServer()) {
            SendCommand(kCmdProgramLoaded, nullptr, nullptr, foreign);
            AnnounceStartup(foreign, programId, nullptr, nullptr);
            if (service)
                SendCommand(kCmdMarkIpAfterLoad, nullptr, nullptr, foreign);
            RestoreBreakpoints(settings, QEL_WSP_COBREAKPOINTS, foreign, static_cast<DWORD>(programId), &hr);
        }
    }
    if (programId != 0) {
        if (CComPtr<IQelSymbolExplorer> explorer = Explorer())
            explorer->SignalLoadingPrgFile(1, result.Status == ProgramLoadResult::kLoadFailed ? -programId : programId);
    }
    m_requests.Detach();
    m_bPathFromCaller = FALSE;
}

// The labels are fetched at once, so they are asked for synchronously. A client of its
// own asks: a label request that fails must not leave its status with the load's client,
// which would take it for a failed load.
void CFileLoadMenuItem::AnnounceStartup(IUnknown *server, LONG programId, LPCSTR mainFunction, LPCSTR startProcedure)
{
    CSymbolProcessing requests(FALSE);
    if (!requests.Attach(server))
        return;
    CLabelTagArray labels;
    int request = requests.RequestStartupLabels(programId, mainFunction, startProcedure, 0);
    if (request == 0 || !requests.GetLabels(request, labels))
        return;
    CComPtr<IQelTargetPattern> pattern;
    if ((labels.GetSize() == 1 || labels.GetSize() == 2) &&
        SUCCEEDED(server->QueryInterface(qel_uuidof<IQelTargetPattern>(), reinterpret_cast<void **>(&pattern))) &&
        pattern) {
        const LabelTag &first = labels[0];
        const LabelTag &second = labels[labels.GetSize() - 1];
        pattern->AnnounceStartAddress(programId, static_cast<DWORD>(first.AddressValue),
                                      static_cast<DWORD>(second.AddressValue), 0);
    }
}

void CFileLoadMenuItem::ErrorRoutine(DWORD_PTR context)
{
    reinterpret_cast<CFileLoadMenuItem *>(context)->OnLoadError();
}

void CFileLoadMenuItem::OnLoadError()
{
    m_nPendingRequest = 0;
    {
        CVariantArray close(1);
        close[0].SetValue(CComVariant(static_cast<LONG>(0)));
        SendCommand(kCmdCloseDownload, &close);
    }
    const int code = m_requests.GetLastError();
    // The server takes every load and tells of a file that no reader takes only in the
    // result, where the user is shown which formats there are.
    if (code == kFormatNotSupported) {
        ShowFormatNotSupported();
    } else if (code != -1) {
        CQelDiagHelper diagnostics(m_pOwner, "QELSymbolEngine", nullptr);
        diagnostics.Report(GetSymbolEngineErrorText(&code), E_FAIL);
    }
    m_requests.Detach();
}
