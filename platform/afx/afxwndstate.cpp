// CWnd's wrappers of the window state, geometry and dialog-item functions.
#include "afxwnd.h"

#include "afxgdi.h"
#include "editcontrol.h"
#include "userinput.h"

#include "afxwinapp.h"
#include "controls.h"
#include "dialogs.h"
#include "windowfocus.h"
#include "windowgeometry.h"
#include "windowinfo.h"
#include "windowstate.h"

void CWnd::SetWindowText(LPCTSTR lpszString)
{
    ::SetWindowTextA(m_hWnd, lpszString);
}

void CWnd::GetWindowText(CString &rString) const
{
    int length = ::GetWindowTextLengthA(m_hWnd);
    ::GetWindowTextA(m_hWnd, rString.GetBuffer(length + 1), length + 1);
    rString.ReleaseBuffer();
}

int CWnd::GetWindowTextLength() const
{
    return ::GetWindowTextLengthA(m_hWnd);
}

BOOL CWnd::ShowWindow(int nCmdShow)
{
    return ::ShowWindow(m_hWnd, nCmdShow);
}

BOOL CWnd::EnableWindow(BOOL bEnable)
{
    return ::EnableWindow(m_hWnd, bEnable);
}

BOOL CWnd::IsWindowVisible() const
{
    return ::IsWindowVisible(m_hWnd);
}

BOOL CWnd::IsWindowEnabled() const
{
    return ::IsWindowEnabled(m_hWnd);
}

DWORD CWnd::GetStyle() const
{
    return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE));
}

int CWnd::GetDlgCtrlID() const
{
    return ::GetDlgCtrlID(m_hWnd);
}

CWnd *CWnd::GetParent() const
{
    return FromHandle(::GetParent(m_hWnd));
}

CWnd *CWnd::GetDlgItem(int nID) const
{
    return FromHandle(::GetDlgItem(m_hWnd, nID));
}

void CWnd::SetDlgItemText(int nID, LPCTSTR lpszString)
{
    ::SetDlgItemTextA(m_hWnd, nID, lpszString);
}

int CWnd::GetDlgItemText(int nID, CString &rString) const
{
    rString.Empty();
    HWND item = ::GetDlgItem(m_hWnd, nID);
    if (item != nullptr)
        FromHandle(item)->GetWindowText(rString);
    return rString.GetLength();
}

void CWnd::CheckDlgButton(int nIDButton, UINT nCheck)
{
    ::CheckDlgButton(m_hWnd, nIDButton, nCheck);
}

UINT CWnd::IsDlgButtonChecked(int nIDButton) const
{
    return ::IsDlgButtonChecked(m_hWnd, nIDButton);
}

void CWnd::CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton)
{
    ::CheckRadioButton(m_hWnd, nIDFirstButton, nIDLastButton, nIDCheckButton);
}

void CWnd::GetWindowRect(LPRECT lpRect) const
{
    ::GetWindowRect(m_hWnd, lpRect);
}

void CWnd::GetClientRect(LPRECT lpRect) const
{
    ::GetClientRect(m_hWnd, lpRect);
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint)
{
    ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}

BOOL CWnd::SetWindowPos(const CWnd *pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
{
    return ::SetWindowPos(m_hWnd, pWndInsertAfter != nullptr ? pWndInsertAfter->m_hWnd : nullptr, x, y, cx, cy,
                          nFlags);
}

void CWnd::ClientToScreen(LPPOINT lpPoint) const
{
    ::ClientToScreen(m_hWnd, lpPoint);
}

void CWnd::ScreenToClient(LPPOINT lpPoint) const
{
    ::ScreenToClient(m_hWnd, lpPoint);
}

void CWnd::CenterWindow(CWnd *pAlternateOwner)
{
    const bool child = (GetStyle() & WS_CHILD) != 0;
    HWND around = pAlternateOwner != nullptr ? pAlternateOwner->m_hWnd : ::GetParent(m_hWnd);
    RECT area;
    if (child)
        ::GetClientRect(around, &area); // in the parent's own coordinates
    else if (around == nullptr || !::GetWindowRect(around, &area))
        ::GetWindowRect(::GetDesktopWindow(), &area);
    RECT own;
    ::GetWindowRect(m_hWnd, &own);
    const LONG width = own.right - own.left, height = own.bottom - own.top;
    const LONG x = area.left + (area.right - area.left - width) / 2;
    const LONG y = area.top + (area.bottom - area.top - height) / 2;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CWnd *CWnd::SetFocus()
{
    return FromHandle(::SetFocus(m_hWnd));
}

CWnd *CWnd::GetFocus()
{
    return FromHandle(::GetFocus());
}

CWnd *CWnd::SetCapture()
{
    return FromHandle(::SetCapture(m_hWnd));
}

CWnd *CWnd::GetCapture()
{
    return FromHandle(::GetCapture());
}

void CWnd::SetFont(CFont *pFont, BOOL bRedraw)
{
    ::SendMessageA(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(pFont != nullptr ? pFont->m_hObject : nullptr),
                   MAKELPARAM(bRedraw ? 1 : 0, 0));
}

CFont *CWnd::GetFont() const
{
    return CFont::FromHandle(reinterpret_cast<HFONT>(::SendMessageA(m_hWnd, WM_GETFONT, 0, 0)));
}

int CWnd::MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption, UINT nType)
{
    if (lpszCaption == nullptr && AfxGetApp() != nullptr)
        lpszCaption = AfxGetApp()->m_pszAppName;
    return ::MessageBoxA(m_hWnd, lpszText, lpszCaption, nType);
}
