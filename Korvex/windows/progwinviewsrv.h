// CProgWinViewSrv: the symbol server's second handler, behind the program window. It
// takes the program-window commands of the host and of the other handlers, finds the
// source files that the program names (with the user's help and the workspace's source
// aliases), follows the target's state and instruction pointer (IP), and drives the open
// program windows through their item object (progwinviewsrvobj.h).
//
// A position is shown as a source line when its file can be found, else as a code
// window: a range of target code under a pseudo name "<code: 0xSTART-0xLAST>" ("<?>"
// while its range is not known). With the single-program-window option one window shows
// code windows of 2048 bytes and follows the IP.
//
// Commands (group QelSymbol): 10 open a window; 11 show a source file; 12 open a window
// for a name; 13 close temporary windows; 14, 90, 96 to every window; 15 show a line;
// 16 breakpoints changed; 17, 19 to a file's window; 18 mark lines; 20 the mark kind;
// 21 query a window; 23 clear on load; 24 show the IP; 25 show a code range; 26 before a
// load; 27 display options; 28 locate a source file; 29 the shown position; 91 the IP in
// the code window; 92 single window (toggle); 93, 94 code at an address (single window
// only); 95 mark the IP after a load.
#pragma once

#include "sourcepaths.h"

#include <cfgprofileclient.h>
#include <oletarcmdhndl.h>
#include <qelpatternsink.h>
#include <symbolprocessing.h>
#include <tarstateeventsink.h>

class CProgWinViewSrvObj;

class CProgWinViewSrv : public CBasicOleTarCmdHndl, public CTarStateEventSink, public CQelPatternSink {
    DECLARE_DYNCREATE(CProgWinViewSrv)

public:
    CProgWinViewSrv();
    ~CProgWinViewSrv() override;

    BOOL QueryStatus(const GUID *group, OLECMD *cmd, OLECMDTEXT *text, BOOL *handled) override;
    BOOL Connect(IUnknown *frame, CStorage *settings) override;
    BOOL Disconnect() override;
    // The settings are the owner's profile items, read also by a handler that is never
    // connected: a host without a frame still sends the commands.
    void SetServerInterface(IUnknown *owner) override;
    const OLECMDTARHNDLENTRY *GetCommandTable() override;
    const GUID *GetClassGuid() override;

    // Lets the user choose the source file for `name` (its file part the initial file,
    // `initialDir` the folder when given); TRUE with the chosen path in `name`.
    virtual BOOL BrowseSourceFile(CString &name, LPCSTR initialDir);

    HRESULT OpenProgramWindow(CVariantArray *in, CVariantArray *out);    // 10
    HRESULT ShowSourceFile(CVariantArray *in, CVariantArray *out);       // 11
    HRESULT OpenWindowForName(CVariantArray *in, CVariantArray *out);    // 12
    HRESULT CloseTemporaryWindows(CVariantArray *in, CVariantArray *out); // 13
    HRESULT SignalProgramLoaded(CVariantArray *in, CVariantArray *out);  // 14
    HRESULT RefreshAllWindows(CVariantArray *in, CVariantArray *out);    // 90
    HRESULT SynchronizeAllWindows(CVariantArray *in, CVariantArray *out); // 96
    HRESULT ShowLine(CVariantArray *in, CVariantArray *out);             // 15
    HRESULT BreakpointsChanged(CVariantArray *in, CVariantArray *out);   // 16
    HRESULT SendViewCommand17(CVariantArray *in, CVariantArray *out);    // 17
    HRESULT SendViewCommand19(CVariantArray *in, CVariantArray *out);    // 19
    HRESULT MarkLines(CVariantArray *in, CVariantArray *out);            // 18
    HRESULT ReportMarkKind(CVariantArray *in, CVariantArray *out);       // 20
    HRESULT QueryWindow(CVariantArray *in, CVariantArray *out);          // 21
    HRESULT SetClearOnLoad(CVariantArray *in, CVariantArray *out);       // 23
    HRESULT ShowIp(CVariantArray *in, CVariantArray *out);               // 24
    HRESULT ShowCodeRange(CVariantArray *in, CVariantArray *out);        // 25
    HRESULT BeforeLoad(CVariantArray *in, CVariantArray *out);           // 26
    HRESULT SetDisplayOptions(CVariantArray *in, CVariantArray *out);    // 27
    HRESULT LocateSourceFile(CVariantArray *in, CVariantArray *out);     // 28
    HRESULT ReportShownPosition(CVariantArray *in, CVariantArray *out);  // 29
    HRESULT IpMoved(CVariantArray *in, CVariantArray *out);              // 91
    HRESULT ToggleSingleWindow(CVariantArray *in, CVariantArray *out);   // 92
    HRESULT ShowCodeAt(CVariantArray *in, CVariantArray *out);           // 93
    HRESULT ShowCode(CVariantArray *in, CVariantArray *out);             // 94
    HRESULT MarkIpAfterLoad(CVariantArray *in, CVariantArray *out);      // 95

    // What the handler knows, for tests.
    BOOL IsSingleWindow() const { return m_bSingleWindow; }
    DWORD CodeWindowStart() const { return m_codeStart; }
    DWORD CodeWindowLength() const { return m_codeLength; }
    const CString &CodeWindowName() const { return m_strCodeName; }
    const LocationTag &IpLocation() const { return m_ipLocation; }
    const LocationTag &ShownLocation() const { return m_shownLocation; }
    const CKnownSourceFiles &KnownSourceFiles() const { return m_known; }
    // The margin below a code window's end at which the IP moves the window.
    static DWORD CodeWindowMargin(DWORD length);

protected:
    void OnTargetStateChange(ULONG oldState, ULONG newState) override;
    void OnTargetStateNotify(ULONG address, ULONG requestId) override;
    HRESULT OnPatternRange(ULONG kind, ULONG start, ULONG length) override;

private:
    // How a location is to be shown when its result comes.
    enum class Route { Show, IpLocation, IpShown };

    CProgWinViewSrvObj *Windows() const;
    HRESULT ToAllWindows(DWORD id, CVariantArray *in);
    HRESULT ToFileWindow(DWORD id, CVariantArray *in);
    HRESULT SendCommand(DWORD id, std::initializer_list<CComVariant> values, CVariantArray *out = nullptr);
    HRESULT SendToGroup(IUnknown *target, const GUID &group, DWORD id, std::initializer_list<CComVariant> values,
                        CVariantArray *out = nullptr);
    LONG HostStateFlag();
    void CloseDownloadDialog();
    void StoreProfile();
    // The profile items follow the owner: attached to its profile, or detached without one.
    void AttachSettings();
    IStorage *SettingsStorage() const;

    // Sources (progwinsources.cpp).
    BOOL FileExists(LPCSTR path);
    // The base against which names are resolved: SOURCE_FILES_ROOT, else the program path.
    CString ResolutionBase();
    // The path of a source file as the program names it; with `ask` the user may choose
    // one, and a cancel marks the name "<Section>" (code only). FALSE when none, with
    // *codeOnly set when the name is to be shown as code (a cancel, now or before).
    BOOL FindSource(LPCSTR name, BOOL ask, CString &path, BOOL *codeOnly = nullptr);
    HRESULT ShowFileInWindow(LPCSTR file, LPCSTR path);
    CString Alias(LPCSTR name);
    void StoreAlias(LPCSTR name, LPCSTR path);

    // Positions (progwinpositions.cpp).
    void RequestLocation(DWORD address, Route route);
    static void OnLocationResult(int requestId, LocationTag *location, DWORD_PTR context);
    void ShowLocation(const LocationTag &location, BOOL ask);
    void SetIpLocation(const LocationTag &location);
    void MarkLocation(const LocationTag &location, BOOL mark);
    void ClearMarks();
    void ReceiveIp(DWORD address, LONG requestId);
    void RegularPosition(DWORD address, LONG requestId);
    void FollowIp(DWORD address, LONG requestId);
    void OpenCodeWindow(DWORD address, DWORD length, BOOL rangeKnown);
    void CloseCodeWindow();
    // Moves the code window (mode 0 down, 1 up, 2 to `address`); TRUE when it changed.
    BOOL MoveCodeWindow(int mode, DWORD address);
    HRESULT ShowCodeWindow();
    void SetSingleWindow(BOOL on, BOOL byCommand);
    BOOL CurrentIp(DWORD *address);
    void FirePatternWindow(BOOL open, DWORD start, DWORD length);
    static CString CodeWindowName(DWORD start, DWORD length);

    CSymbolProcessing *m_pRequests;
    CQelCfgProfileClientImpl m_service;
    CQelCfgProfileClientImpl m_sourceFilesRoot;
    CQelCfgProfileClientImpl m_mixedModeItem;
    CQelCfgProfileClientImpl m_singleWindowItem;

    LocationTag m_ipLocation;
    LocationTag m_shownLocation;
    BOOL m_bMixedMode;
    BOOL m_bSingleWindow;
    BOOL m_bMarkKind;
    BOOL m_bClearOnLoad;
    BOOL m_bStale;
    BOOL m_bMarksCleared;

    DWORD m_codeStart;
    DWORD m_codeLength;
    CString m_strCodeName;

    CKnownSourceFiles m_known;
    ULONG m_nTargetState;
    BOOL m_bIpRemembered;
    DWORD m_rememberedIp;
    BOOL m_bPendingLine;
    DWORD m_pendingLine;
    // What the location requests in flight are for, by request id.
    CMap<int, int, Route, Route> m_locationRoutes;
};
