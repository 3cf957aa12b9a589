// CQelSymbolExplorer: the view of "StdQelSymbolExplWin", a tree of the loaded program's
// source files, functions, code sections and breakpoints.
//
// Everything it shows comes from asynchronous requests of its symbol-request client,
// answered to the control window: a load ((1, id) of SignalLoadingPrgFile) asks for the
// source files, whose reply asks for the functions and the sections. A double click or
// "Open" shows the item in the symbol server's program window through the host's
// commands; the context menu of a breakpoint enables, disables or removes it through the
// host's breakpoint commands. The breakpoint group is the host's list as SignalBreakpoints
// gives it.
//
// Each reply replaces its group whole, with the records stored for its items: a program
// loaded twice shows each group once. The records of an item go when the item goes, so no
// handle finds a record that is not its own.
//
// The control is apartment-threaded: a call of IQelSymbolExplorer on another thread (the
// symbol server's worker tells of unloads) runs on the control window's thread, posted
// there as the platform's marshalling would run it, so that the caller never waits for a
// thread that may be waiting for it. While such calls wait, the window's own thread queues
// its calls behind them, so that all run in the order they were made.
#pragma once

#include "qelipfcontrol.h"
#include "talvixdispatch.h"
#include "viewsrvstatusbar.h"

#include <addressvalue.h>
#include <storagewrapper.h>
#include <symbolprocessing.h>
#include <variantarray.h>

#include <afxctrls.h>
#include <afxtreectrl.h>
#include <atlbase.h>
#include <atlctl.h>

#include <atomic>
#include <memory>

// A breakpoint of the host's list as the tree shows it.
struct BreakpointEntry {
    DWORD AddressValue = 0;
    DWORD Enabled = 0; // 1 or 0
    CString LocationText;
};

class CQelSymbolExplorer : public CComObjectRootEx<CComSingleThreadModel>,
                           public CComCoClass<CQelSymbolExplorer, &CLSID_QelSymbolExplorer>,
                           public CComControl<CQelSymbolExplorer>,
                           public IOleObjectImpl<CQelSymbolExplorer>,
                           public IOleInPlaceObjectWindowlessImpl<CQelSymbolExplorer>,
                           public IOleInPlaceActiveObjectImpl<CQelSymbolExplorer>,
                           public IDispatchImpl<IQelSymbolExplorer, &IID_IQelSymbolExplorer, &LIBID_TALVIXLib>,
                           public IDispatchImpl<IQelViewSrv, &IID_IQelViewSrv, &LIBID_TALVIXLib>,
                           public IOleCommandTarget,
                           public CQelIPFControlImpl<CQelSymbolExplorer>,
                           public CQelViewSrvStatusBar {
public:
    // The tree's item kinds (its items' parameter) and images.
    enum ItemKind : LPARAM { kGroup = 0, kSourceFile = 1, kFunction = 2, kSection = 3, kBreakpoint = 4 };
    enum Image : int {
        kImageSourceFiles = 0,
        kImageFunctions = 1,
        kImageSections = 2,
        kImageBreakpoints = 3,
        kImageEnabled = 4,
        kImageDisabled = 5,
    };
    enum : UINT { kTreeId = 4711, kCmdOpenSelected = 1 };
    enum : UINT { kMenuOpen = 2000, kMenuEnable = 2001, kMenuDisable = 2002, kMenuRemove = 2003 };
    // The calls that came on another thread, posted to the control window.
    enum : UINT { kPostedLoading = WM_USER + 101, kPostedBreakpoints = WM_USER + 102 };

    CQelSymbolExplorer();
    ~CQelSymbolExplorer() override;

    // Registers the control as the view server "StdQelSymbolExplWin" of the symbol server.
    static HRESULT UpdateRegistry(BOOL bRegister);

    BEGIN_COM_MAP(CQelSymbolExplorer)
        COM_INTERFACE_ENTRY(IQelSymbolExplorer)
        COM_INTERFACE_ENTRY2(IDispatch, IQelSymbolExplorer)
        COM_INTERFACE_ENTRY(IQelViewSrv)
        COM_INTERFACE_ENTRY(IOleCommandTarget)
        COM_INTERFACE_ENTRY(IOleObject)
        COM_INTERFACE_ENTRY(IOleInPlaceObject)
        COM_INTERFACE_ENTRY2(IOleWindow, IOleInPlaceObject)
        COM_INTERFACE_ENTRY(IOleInPlaceActiveObject)
        COM_INTERFACE_ENTRY(IPersistFile)
    END_COM_MAP()

    BEGIN_MSG_MAP(CQelSymbolExplorer)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_SETFOCUS, OnSetFocus)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
        MESSAGE_HANDLER(RequestMessage(), OnSymbolRequest)
        MESSAGE_HANDLER(kPostedLoading, OnPostedLoading)
        MESSAGE_HANDLER(kPostedBreakpoints, OnPostedBreakpoints)
        NOTIFY_HANDLER(kTreeId, TVN_GETDISPINFO, OnGetDispInfo)
        NOTIFY_HANDLER(kTreeId, TVN_GETINFOTIP, OnGetInfoTip)
        NOTIFY_HANDLER(kTreeId, NM_RCLICK, OnRightClick)
        NOTIFY_HANDLER(kTreeId, TVN_DELETEITEM, OnDeleteItem)
        CHAIN_MSG_MAP(CComControl<CQelSymbolExplorer>)
    ALT_MSG_MAP(1)
        MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnTreeDoubleClick)
        MESSAGE_HANDLER(WM_COMMAND, OnTreeCommand)
    END_MSG_MAP()

    // The arrow keys move in the tree, not to the host as accelerators.
    BOOL PreTranslateAccelerator(LPMSG pMsg, HRESULT &hRet);

    // IQelSymbolExplorer
    STDMETHODIMP SignalLoadingPrgFile(LONG bLoaded, LONG lProgId) override;
    STDMETHODIMP SignalBreakpoints(VARIANT vsNames, VARIANT vsValues) override;

    // IQelViewSrv
    STDMETHODIMP GetVersion(BSTR *pbstrVersion) override;
    STDMETHODIMP GetErrorInfo(BSTR *pbstrError) override;
    STDMETHODIMP Init(IUnknown *pIUnkDbgSrv, IUnknown *pIUnkStg) override;
    STDMETHODIMP Cleanup() override;
    STDMETHODIMP GetTitle(BSTR *pbstrTitle) override;
    STDMETHODIMP StoreSettings() override;
    STDMETHODIMP GetDbgServer(IUnknown **ppIUnkDbgSrv) override;
    STDMETHODIMP HelpFunc(UINT uiHelpContext) override;

    // IOleCommandTarget, handed to the status-bar part.
    STDMETHODIMP QueryStatus(const GUID *pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[], OLECMDTEXT *pCmdText) override;
    STDMETHODIMP Exec(const GUID *pguidCmdGroup, DWORD nCmdID, DWORD nCmdexecopt, VARIANT *pvaIn,
                      VARIANT *pvaOut) override;

    // The host frame fetches the status texts again.
    HRESULT RequestStatusBarRefresh() override;

    HRESULT IOleInPlaceObject_SetObjectRects(LPCRECT prcPos, LPCRECT prcClip);

    // The tree window (NULL before the control window exists).
    HWND GetTreeWindow() const { return m_wndTree.m_hWnd; }

private:
    // What a reply or a command needs of the control, from its callbacks.
    static void OnSourceFiles(CSourceFileTagArray *files, DWORD_PTR context);
    static void OnFunctions(CFunctionTagArray *functions, DWORD_PTR context);
    static void OnSections(CSectionTagArray *sections, DWORD_PTR context);
    static void OnBreakpointLabels(int requestId, CLabelTagArray *labels, DWORD_PTR context);

    // TRUE when the call can run now: on the control window's thread, with no earlier
    // call waiting there.
    BOOL RunsNow() const;
    BOOL Post(UINT message, WPARAM wParam, LPARAM lParam);
    HRESULT LoadingPrgFile(LONG bLoaded, LONG lProgId);
    HRESULT Breakpoints(const VARIANT &vsNames, const VARIANT &vsValues);
    LRESULT OnPostedLoading(UINT, WPARAM, LPARAM, BOOL &);
    LRESULT OnPostedBreakpoints(UINT, WPARAM, LPARAM, BOOL &);

    UINT RequestMessage() const { return m_nRequestMessage != 0 ? m_nRequestMessage : 0xFFFFFFFFu; }
    int Requester() const { return static_cast<int>(reinterpret_cast<INT_PTR>(m_hWnd)); }
    // Keeps the error text of a request that the server did not take.
    void NoteRefusedRequest(LPCSTR what);
    void RequestSourceFiles();
    void RequestFunctions();
    void RequestSections();

    void FillSourceFiles(const CSourceFileTagArray &files);
    void FillFunctions(const CFunctionTagArray &functions);
    void FillSections(const CSectionTagArray &sections);
    // A new group item at `after` of the root level; NULL when it cannot be inserted.
    HTREEITEM InsertGroup(LPCSTR text, int image, int children, HTREEITEM after);
    HTREEITEM InsertLeaf(HTREEITEM group, ItemKind kind, int image);
    void DeleteGroup(HTREEITEM &group);
    void ForgetItem(HTREEITEM item, LPARAM kind);
    void ForgetAll();
    // The item's text as the tree shows it; FALSE when it has none.
    BOOL ItemText(HTREEITEM item, CString &text);

    void OpenItem(HTREEITEM item);
    void ShowAddress(const CAddressValue &address);
    // Commands 11 and 12 (show a file, a section): to the PCP's server for its parts.
    BOOL ShowSourceFile(LPCSTR path, LONG fileType);
    BOOL ShowSection(LPCSTR name, LONG sectionType, DWORD start, DWORD length);
    HRESULT SendSymbolCommand(IUnknown *target, DWORD id, CVariantArray *in, CVariantArray *out);
    // The server that takes the PCP's commands; NULL when the symbol server names none.
    CComPtr<IUnknown> PcpCommandTarget();

    void ChangeBreakpoint(int mode);
    void SendBreakpointCommand(int mode, const CLabelTagArray &labels);
    void ShowContextMenu();

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL &);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &);
    LRESULT OnSetFocus(UINT, WPARAM, LPARAM, BOOL &);
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL &);
    LRESULT OnCommand(UINT, WPARAM, LPARAM, BOOL &);
    LRESULT OnSymbolRequest(UINT, WPARAM, LPARAM, BOOL &);
    LRESULT OnGetDispInfo(int, LPNMHDR, BOOL &);
    LRESULT OnGetInfoTip(int, LPNMHDR, BOOL &);
    LRESULT OnRightClick(int, LPNMHDR, BOOL &);
    LRESULT OnDeleteItem(int, LPNMHDR, BOOL &);
    LRESULT OnTreeDoubleClick(UINT, WPARAM, LPARAM, BOOL &);
    LRESULT OnTreeCommand(UINT, WPARAM, LPARAM, BOOL &);

    CContainedWindow m_wndTree;
    CTreeCtrl m_tree;
    CImageList m_images;

    CMap<HTREEITEM, HTREEITEM, SourceFileTag, SourceFileTag &> m_sourceFiles;
    CMap<HTREEITEM, HTREEITEM, CAddressValue, CAddressValue &> m_addresses;
    CMap<CAddressValue, CAddressValue &, FunctionTag, FunctionTag &> m_functions;
    CMap<HTREEITEM, HTREEITEM, SectionTag, SectionTag &> m_sections;
    CMap<HTREEITEM, HTREEITEM, BreakpointEntry, BreakpointEntry &> m_breakpoints;
    // The change (1 enable, 3 disable, 2 remove) that each breakpoint request is for.
    CMap<int, int, int, int> m_breakpointChanges;

    HTREEITEM m_hSourceFiles = nullptr;
    HTREEITEM m_hFunctions = nullptr;
    HTREEITEM m_hSections = nullptr;
    HTREEITEM m_hBreakpoints = nullptr;
    HTREEITEM m_hContextItem = nullptr;

    std::unique_ptr<CSymbolProcessing> m_pSymProc;
    UINT m_nRequestMessage = 0;
    CString m_strError;
    IUnknown *m_pDbgSrv = nullptr; // the host's, without a reference of the control's own
    std::unique_ptr<CStorage> m_pStorage;
    std::atomic<int> m_nPostedCalls{0};
};
