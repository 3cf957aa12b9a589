// Dialog data exchange: members of a window object moved to its controls and back.
//
// A class lists its exchanges in DoDataExchange, one DDX_ (and DDV_) call per control;
// UpdateData runs it in one direction. A value that a user typed and that does not
// convert or validate is explained in a message box, the focus goes to its control and
// the exchange fails: the dialog stays open for the user to correct it.
#pragma once

#include "afxstring.h"
#include "basetypes.h"

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd *pDlgWnd, BOOL bSaveAndValidate);

    // The item `nIDC` of the window, which the next failure will focus; an item that
    // does not exist fails the exchange, since the class and its template disagree.
    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC);
    // Focuses the last control and ends the exchange (a CUserException).
    [[noreturn]] void Fail();

    BOOL m_bSaveAndValidate; // TRUE: from the controls into the members
    CWnd *m_pDlgWnd;
    HWND m_hWndLastControl;
    BOOL m_bEditLastControl;
};

void DDX_Text(CDataExchange *pDX, int nIDC, CString &value);
// Decimal, with an optional sign; anything else, or a value out of range, fails.
void DDX_Text(CDataExchange *pDX, int nIDC, int &value);
// Decimal without a sign.
void DDX_Text(CDataExchange *pDX, int nIDC, UINT &value);
// A check box's state: 0, 1 (checked) or 2.
void DDX_Check(CDataExchange *pDX, int nIDC, int &value);
// The index of the checked radio button of the group that item `nIDC` begins (the
// buttons up to the next item with WS_GROUP); -1 for none.
void DDX_Radio(CDataExchange *pDX, int nIDC, int &value);
// Limits the last edit control to `nChars` characters, and fails a longer value.
void DDV_MaxChars(CDataExchange *pDX, const CString &value, int nChars);
