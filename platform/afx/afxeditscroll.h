// CEdit and CScrollBar: the "Edit" and "ScrollBar" controls as framework objects.
#pragma once

#include "afxwnd.h"
#include "editcontrol.h"
#include "scrollbar.h"

class CEdit : public CWnd {
public:
    // A child "Edit" window; its messages reach this object's map first.
    using CWnd::Create;
    virtual BOOL Create(DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID);
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
    void GetSel(int &nStartChar, int &nEndChar) const;
    // No stops: one every 32 dialog units.
    BOOL SetTabStops();
};

class CScrollBar : public CWnd {
public:
    using CWnd::Create;
    virtual BOOL Create(DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID);
    BOOL SetScrollInfo(LPSCROLLINFO lpScrollInfo, BOOL bRedraw = TRUE);
    BOOL GetScrollInfo(LPSCROLLINFO lpScrollInfo, UINT nMask = SIF_ALL);
};
