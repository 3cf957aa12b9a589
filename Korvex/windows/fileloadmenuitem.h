// CFileLoadMenuItem: the symbol server's first handler, which owns "Load Program" and the
// commands around a program load:
//   1  load a program: no input asks the user for the file; one VT_BSTR path loads it
//      synchronously, without a progress window; two values offer the program that the
//      workspace names; three values with a VT_BSTR path first load it again. S_OK and,
//      when an output is there, VT_BOOL 1 once the symbol server took the request;
//      S_FALSE when nothing was loaded (cancelled, no path); E_FAIL when the load could not
//      be asked for.
//   2  a notice of the program: VT_UI4 1 and VT_I4 id, the program went; VT_UI4 2, -,
//      VT_BSTR path, VT_I4 "do not ask", the file differs from what the target holds.
//   3  store the breakpoints of a program (workspacesettings.h).
//   4  show the progress window; 5 close it (without input: also the question whether to
//      load the workspace's program).
//   7  load a program in service mode: one VT_BSTR path.
//   8  the breakpoints for the symbol explorer: VT_UI4 N, then N times VT_UI4 address,
//      VT_UI4 enabled, VT_BSTR name.
//   30 the symbol explorer's view.
// The load itself is the symbol server's request; this handler prepares it, numbers the
// programs when several are loaded at once, and reacts to its result.
#pragma once

#include "downloaddialog.h"
#include "loaddialogs.h"
#include "programpatterns.h"

#include <cfgprofileclient.h>
#include <oletarcmdhndl.h>
#include <symbolprocessing.h>

interface IQelSymbolExplorer;

class CFileLoadMenuItem : public CBasicOleTarCmdHndl {
    DECLARE_DYNCREATE(CFileLoadMenuItem)

public:
    CFileLoadMenuItem();
    ~CFileLoadMenuItem() override;

    BOOL Connect(IUnknown *frame, CStorage *settings) override;
    BOOL Disconnect() override;
    const OLECMDTARHNDLENTRY *GetCommandTable() override;
    const GUID *GetClassGuid() override;

    HRESULT LoadProgram(CVariantArray *in, CVariantArray *out);
    HRESULT ProgramNotice(CVariantArray *in, CVariantArray *out);
    HRESULT StoreBreakpointsCommand(CVariantArray *in, CVariantArray *out);
    HRESULT ShowDownloadDialog(CVariantArray *in, CVariantArray *out);
    HRESULT CloseDownloadDialog(CVariantArray *in, CVariantArray *out);
    HRESULT LoadInServiceMode(CVariantArray *in, CVariantArray *out);
    HRESULT SignalBreakpoints(CVariantArray *in, CVariantArray *out);

    // The programs loaded since the handler was made.
    const CProgramPatterns &Patterns() const { return m_patterns; }

private:
    // Mode 0 (disconnecting) also forgets the request and lets the host window go; the
    // question whether to load the workspace's program is cancelled in mode 0 or when
    // `cancelQuestion` is set; the progress window is hidden (mode 1, unless it is the
    // active one) or destroyed, and in mode 0 deleted.
    void Close(int mode, BOOL cancelQuestion);
    // The progress window made anew (or for the first time) and shown; NULL when it
    // cannot be made.
    HWND OpenDownloadDialog(BOOL reload);
    // The id to load `path` under; FALSE when the user gave the load up.
    BOOL ChooseProgramId(const CString &path, BOOL ask, LONG *programId);
    // Tells the host, and the foreign debug server's host, that program `id` is gone.
    void UnloadProgramId(LONG id);
    // The symbol server's foreign debug server, NULL when there is none.
    CComPtr<IUnknown> ForeignDebugServer();
    // The symbol explorer's interface when its view is open.
    CComPtr<IQelSymbolExplorer> Explorer();
    // Command `id` of the symbol server's group to `target` (the owner when NULL).
    HRESULT SendCommand(DWORD id, CVariantArray *in = nullptr, CVariantArray *out = nullptr, IUnknown *target = nullptr);
    // Slot 18 of the host's holder: not 0 while the user is to see no boxes.
    LONG HostStateFlag();
    // Asks the host to keep its profile after a value changed.
    void StoreProfile();
    void AfterLoad(const ProgramLoadResult &result);
    // The start-up labels of program `programId` on `server`, announced to its host.
    void AnnounceStartup(IUnknown *server, LONG programId, LPCSTR mainFunction, LPCSTR startProcedure);
    void OnLoadError();
    // The box that tells the user which formats there are.
    void ShowFormatNotSupported();

    static void LoadResultRoutine(int requestId, const ProgramLoadResult *result, DWORD_PTR context);
    static void ErrorRoutine(DWORD_PTR context);

    int m_nPendingRequest;
    // Set by the result routine of a load that failed.
    BOOL m_bLoadFailed;
    CSymbolProcessing m_requests;
    CString m_strProgramPath;
    BOOL m_bPathFromCaller;
    CQelCfgProfileClientImpl m_mainFunction;
    CQelCfgProfileClientImpl m_startProcedure;
    CQelCfgProfileClientImpl m_service;
    CQelCfgProfileClientImpl m_autoReload;
    CQelCfgProfileClientImpl m_multiProgram;
    CQelCfgProfileClientImpl m_ignoreProgramFromWsp;
    CDownloadDialog *m_pDownloadDialog;
    CLoadDialog *m_pLoadDialog;
    CProgramPatterns m_patterns;
    BOOL m_bServiceSwitched;
    BOOL m_bSavedService;
};
