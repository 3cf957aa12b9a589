// CWnd: a framework object bound to a window, whose messages go through its message map.
//
// A CWnd made with CreateEx is the window's permanent object: from WM_NCCREATE on,
// AfxWndProc hands every message of the window to its WindowProc, which looks the message
// up in the message map and leaves the rest to DefWindowProc. WM_NCDESTROY ends the
// binding (m_hWnd becomes NULL) and calls PostNcDestroy. CreateEx takes the window
// classes made by AfxRegisterWndClass, whose procedure is AfxWndProc; a window of another
// class (a control, a dialog) is bound by SubclassWindow, after which its messages go to
// the object's map first and what the map leaves to the window's previous procedure.
//
// The framework keeps one handle map per thread; this one keeps one per module, guarded
// by a lock, so Attach, Detach and FromHandlePermanent may be called from any thread (the
// system attaches the host's main window on its worker and user-interface threads).
// Using the object for a window stays the business of the window's own thread.
#pragma once

#include "afxmsgmap.h"
#include "afxstring.h"
#include "basetypes.h"
#include "messagebox.h"
#include "windowclass.h"
#include "windowpaint.h"
#include "windowtimers.h"

#include <ole2.h>

class CDataExchange;
class CDC;
class COleControlSite;
class CFont;
class CRgn;
class CScrollBar;
struct CCreateContext;

class CWnd : public CCmdTarget {
public:
    CWnd();
    // Destroys the window when it is still this object's (and of the calling thread),
    // as the framework does, else lets it go.
    ~CWnd() override;

    operator HWND() const { return m_hWnd; }
    // The framework also answers NULL when called through a null pointer; C++ makes that
    // undefined, so callers test the pointer themselves.
    HWND GetSafeHwnd() const { return m_hWnd; }

    // Makes the window on the calling thread with this object as its permanent object.
    // FALSE when the object already has a window, the class is unknown or not one of
    // AfxRegisterWndClass, or the window's own OnCreate refused.
    // A window of another class (a control such as "Edit") is subclassed before its first
    // message, so its messages reach the object's map first. PreCreateWindow may change
    // the creation's arguments first, or refuse.
    virtual BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, int x, int y,
                          int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam = nullptr);
    // A child window (WS_CHILD is added) with the identifier nID.
    virtual BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT &rect,
                        CWnd *pParentWnd, UINT nID, CCreateContext *pContext = nullptr);
    virtual BOOL PreCreateWindow(CREATESTRUCT &cs);
    // The scroll-bar control that stands for the window's bar `nBar` (SB_HORZ, SB_VERT);
    // NULL here, as the window has no bars of its own.
    virtual CScrollBar *GetScrollBarCtrl(int nBar) const;
    virtual BOOL DestroyWindow();

    // Binds the object to a live window (of any module or thread) as its permanent
    // object; FALSE when the object has a window already, the handle is no window, or
    // the window has a permanent object already. Messages of a window that was not made
    // by CreateEx still go to its own procedure.
    BOOL Attach(HWND hWndNew);
    HWND Detach();

    // The permanent object of the window, else a temporary one that the calling thread
    // keeps until the window is gone (it is dropped at the next FromHandle after that) or
    // the thread ends; NULL for NULL.
    static CWnd *FromHandle(HWND hWnd);
    // The permanent object of the window of this module, or NULL.
    static CWnd *FromHandlePermanent(HWND hWnd);

    // Binds the object to a live window of the calling thread as its permanent object and
    // puts AfxWndProc in front of the window's procedure. FALSE as Attach.
    BOOL SubclassWindow(HWND hWnd);
    // SubclassWindow on the item `nID` of `pParent`; FALSE when there is no such item.
    BOOL SubclassDlgItem(UINT nID, CWnd *pParent);
    // Gives the window its previous procedure back and lets it go; NULL when the object
    // has no subclassed window.
    HWND UnsubclassWindow();

    void SetWindowText(LPCTSTR lpszString);
    void GetWindowText(CString &rString) const;
    int GetWindowTextLength() const;
    BOOL ShowWindow(int nCmdShow);
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowVisible() const;
    BOOL IsWindowEnabled() const;
    DWORD GetStyle() const;
    int GetDlgCtrlID() const;
    CWnd *GetParent() const;
    CWnd *GetDlgItem(int nID) const;
    void SetDlgItemText(int nID, LPCTSTR lpszString);
    int GetDlgItemText(int nID, CString &rString) const;
    void CheckDlgButton(int nIDButton, UINT nCheck);
    UINT IsDlgButtonChecked(int nIDButton) const;
    void CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton);

    void GetWindowRect(LPRECT lpRect) const;
    void GetClientRect(LPRECT lpRect) const;
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    BOOL SetWindowPos(const CWnd *pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    void ClientToScreen(LPPOINT lpPoint) const;
    void ScreenToClient(LPPOINT lpPoint) const;
    // Centres the window on its parent's client area (a child window), or on its owner,
    // `pAlternateOwner` when given, else on the screen.
    void CenterWindow(CWnd *pAlternateOwner = nullptr);

    CWnd *SetFocus();
    static CWnd *GetFocus();
    CWnd *SetCapture();
    static CWnd *GetCapture();
    // WM_SETFONT and WM_GETFONT; the font is the thread's temporary object.
    void SetFont(CFont *pFont, BOOL bRedraw = TRUE);
    CFont *GetFont() const;

    // MessageBoxA with the window as owner; without a caption, the application's name.
    int MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption = nullptr, UINT nType = MB_OK);

    // Runs DoDataExchange: from the controls into the members (bSaveAndValidate) or
    // back; FALSE when the exchange failed (the user has been told why).
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // Painting (windowpaint.h); the DCs are the thread's temporary objects (afxdc.h).
    void Invalidate(BOOL bErase = TRUE);
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
    void ValidateRect(LPCRECT lpRect);
    BOOL GetUpdateRect(LPRECT lpRect, BOOL bErase = FALSE);
    void UpdateWindow();
    // Regions are not kept: `prgnUpdate` must be NULL (else FALSE).
    BOOL RedrawWindow(LPCRECT lpRectUpdate = nullptr, CRgn *prgnUpdate = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    CDC *GetDC();
    int ReleaseDC(CDC *pDC);
    CDC *BeginPaint(LPPAINTSTRUCT lpPaint);
    void EndPaint(LPPAINTSTRUCT lpPaint);

    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer);
    BOOL KillTimer(UINT_PTR nIDEvent);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // ActiveX controls (afxocc.h). CreateControl makes the control of class `clsid`,
    // activated in place at `rect` of the parent's client area with the id nID, and binds
    // this object to its window through a control site; FALSE when it cannot be made.
    BOOL CreateControl(REFCLSID clsid, LPCTSTR pszWindowName, DWORD dwStyle, const RECT &rect,
                       CWnd *pParentWnd, UINT nID);
    // Calls the control's IDispatch: the member `dwDispID` as wFlags says (a property put
    // passes its value as the named argument), with the arguments whose types
    // pbParamInfo lists (VTS_ codes, afxdisp.h), the result converted to vtRet into
    // *pvRet (VT_EMPTY: none). Throws COleDispatchException when the control raised an
    // exception, COleException for any other failure, a control without IDispatch among them.
    void InvokeHelper(DISPID dwDispID, WORD wFlags, VARTYPE vtRet, void *pvRet, const BYTE *pbParamInfo, ...);
    // The control's IUnknown, without a reference for the caller; NULL for a window that
    // is no control.
    IUnknown *GetControlUnknown();
    // Takes over the control that a dialog made for its item nIDC, site and window.
    BOOL AttachControlSite(CWnd *pWndParent, UINT nIDC);
    // Lets the control go (its window goes with it); nothing for a window that is no control.
    void CloseControlSite();

    HWND m_hWnd;
    COleControlSite *m_pCtrlSite;

protected:
    // The message map's handler, else DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // TRUE with the handler's answer when the map has an entry for the message.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the window's last message; a class whose objects live on the heap may
    // delete itself here.
    virtual void PostNcDestroy();
    // Exchanges the members with the controls (DDX_ and DDV_ functions); nothing here.
    virtual void DoDataExchange(CDataExchange *pDX);
    // WM_COMMAND: the map's ON_COMMAND entry for the command; FALSE when it has none.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // WM_NOTIFY: the map's ON_NOTIFY entry for the control and code, its answer in
    // *pResult; FALSE when it has none.
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT *pResult);
    // DefWindowProc of the message being handled; 0 outside a handler.
    LRESULT Default();

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnDestroy();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnClose();
    // The painting messages' handlers (afxpaintmap.h); each leaves the message to
    // DefWindowProc.
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC *pDC);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnSysColorChange();

    // The window's procedure before SubclassWindow, to which DefWindowProc hands on.
    WNDPROC m_pfnSuper;

    DECLARE_MESSAGE_MAP()

    friend LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// The name of a window class of this module with the given class style, whose windows'
// messages go to their CWnd; registered on first use. The cursor, brush and icon are
// part of the name, as in the framework, though nothing is drawn.
LPCTSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = nullptr, HBRUSH hbrBackground = nullptr,
                            HICON hIcon = nullptr);

// The window procedure of AfxRegisterWndClass's classes. A framework exception that a
// handler lets out is reported to the debug output and ended there, as the framework
// ends it after its message box; the message then answers 0 (-1 for WM_CREATE).
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
