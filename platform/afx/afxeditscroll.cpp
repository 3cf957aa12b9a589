#include "afxeditscroll.h"

#include "windowcreate.h"

namespace {

BOOL CreateChildControl(CWnd *object, LPCSTR className, DWORD style, const RECT &rect, CWnd *parent, UINT id)
{
    return object->CreateEx(0, className, "", style | WS_CHILD, rect.left, rect.top, rect.right - rect.left,
                            rect.bottom - rect.top, parent != nullptr ? parent->m_hWnd : nullptr,
                            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

} // namespace

BOOL CEdit::Create(DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID)
{
    return CreateChildControl(this, "Edit", dwStyle, rect, pParentWnd, nID);
}

void CEdit::SetSel(int nStartChar, int nEndChar, BOOL bNoScroll)
{
    ::SendMessageA(m_hWnd, EM_SETSEL, static_cast<WPARAM>(nStartChar), static_cast<LPARAM>(nEndChar));
    if (!bNoScroll)
        ::SendMessageA(m_hWnd, EM_SCROLLCARET, 0, 0);
}

void CEdit::GetSel(int &nStartChar, int &nEndChar) const
{
    DWORD start = 0, end = 0;
    ::SendMessageA(m_hWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    nStartChar = static_cast<int>(start);
    nEndChar = static_cast<int>(end);
}

BOOL CEdit::SetTabStops()
{
    return static_cast<BOOL>(::SendMessageA(m_hWnd, EM_SETTABSTOPS, 0, 0));
}

BOOL CScrollBar::Create(DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID)
{
    return CreateChildControl(this, "ScrollBar", dwStyle, rect, pParentWnd, nID);
}

BOOL CScrollBar::SetScrollInfo(LPSCROLLINFO lpScrollInfo, BOOL bRedraw)
{
    if (lpScrollInfo == nullptr)
        return FALSE;
    lpScrollInfo->cbSize = sizeof(SCROLLINFO);
    ::SetScrollInfo(m_hWnd, SB_CTL, lpScrollInfo, bRedraw);
    return TRUE;
}

BOOL CScrollBar::GetScrollInfo(LPSCROLLINFO lpScrollInfo, UINT nMask)
{
    if (lpScrollInfo == nullptr)
        return FALSE;
    lpScrollInfo->cbSize = sizeof(SCROLLINFO);
    lpScrollInfo->fMask = nMask;
    return ::GetScrollInfo(m_hWnd, SB_CTL, lpScrollInfo);
}
