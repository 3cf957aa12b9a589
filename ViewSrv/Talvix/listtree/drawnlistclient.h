// What the list's tip and in-place edit ask of the list that owns them.
#pragma once

#include "afxgdi.h"
#include "afxstring.h"

class CWnd;

class DrawnListClient {
public:
    virtual ~DrawnListClient() = default;

    virtual CWnd *GetOwnerWindow() { return nullptr; }
    // Whether labels may span lines.
    virtual BOOL IsMultiLine() { return 0; }
    virtual void EndLabelEdit(BOOL /*confirmed*/) {}
    virtual int GetColumnSubItem(int /*column*/) { return -1; }
    virtual CPoint GetScrollOrigin() { return CPoint(0, 0); }
    virtual BOOL GetListClientRect(CRect * /*rect*/) { return 0; }
    // Part 0 the whole cell, 1 the icon, 2 the label.
    virtual BOOL GetCellRect(int /*row*/, int /*column*/, CRect * /*rect*/, int /*part*/) { return 0; }
    virtual CString GetCellText(int /*row*/, int /*column*/) { return CString(); }
    virtual void ClientToScreenPoint(CPoint * /*point*/) {}
    // Captures when asked TRUE and answers the window that held the capture before.
    virtual CWnd *CaptureMouse(BOOL /*capture*/) { return nullptr; }
    virtual BOOL IsSelected(int /*row*/) { return 0; }
    virtual COLORREF GetSelTextColor() { return 0; }
    virtual COLORREF GetSelBkColor() { return 0; }
    virtual COLORREF GetTipTextColor() { return 0; }
    virtual COLORREF GetTipBkColor() { return 0; }
    virtual CFont *GetLabelFont() { return nullptr; }
};
