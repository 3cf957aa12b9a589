#include "afxdatax.h"

#include "afxexcept.h"
#include "afxwnd.h"
#include "controls.h"
#include "dialogs.h"
#include "windowfocus.h"
#include "windowstate.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace {

// The framework's own texts for a value it cannot take.
const char kParseInt[] = "Please enter an integer.";
const char kParseUInt[] = "Please enter a positive integer.";
const char kStringSize[] = "Enter no more than %d characters.";

[[noreturn]] void Refuse(CDataExchange *pDX, LPCSTR text)
{
    pDX->m_pDlgWnd->MessageBox(text, nullptr, MB_OK);
    pDX->Fail();
}

CString ControlText(HWND control)
{
    CString text;
    CWnd::FromHandle(control)->GetWindowText(text);
    return text;
}

// The number of a decimal text with blanks around it; false for anything else.
bool ParseNumber(const CString &text, bool allowSign, long long low, long long high, long long *value)
{
    const char *start = text;
    while (*start == ' ' || *start == '\t')
        ++start;
    if (!allowSign && (*start == '-' || *start == '+'))
        return false;
    if (*start == '\0' || ((*start == '-' || *start == '+') && (start[1] < '0' || start[1] > '9')) ||
        (*start != '-' && *start != '+' && (*start < '0' || *start > '9')))
        return false;
    char *end = nullptr;
    errno = 0;
    long long number = std::strtoll(start, &end, 10);
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end != '\0' || errno == ERANGE || number < low || number > high)
        return false;
    *value = number;
    return true;
}

} // namespace

CDataExchange::CDataExchange(CWnd *pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd), m_hWndLastControl(nullptr),
      m_bEditLastControl(FALSE)
{
}

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    HWND control = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
    if (control == nullptr)
        AfxThrowNotSupportedException();
    m_hWndLastControl = control;
    m_bEditLastControl = FALSE;
    return control;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC)
{
    HWND control = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return control;
}

void CDataExchange::Fail()
{
    if (m_bSaveAndValidate && m_hWndLastControl != nullptr)
        ::SetFocus(m_hWndLastControl);
    AfxThrowUserException();
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange exchange(this, bSaveAndValidate);
    try {
        DoDataExchange(&exchange);
    } catch (CUserException *exception) {
        exception->Delete();
        return FALSE;
    }
    return TRUE;
}

void DDX_Text(CDataExchange *pDX, int nIDC, CString &value)
{
    HWND control = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = ControlText(control);
    else
        ::SetWindowTextA(control, value);
}

void DDX_Text(CDataExchange *pDX, int nIDC, int &value)
{
    HWND control = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        long long number;
        if (!ParseNumber(ControlText(control), true, INT_MIN, INT_MAX, &number))
            Refuse(pDX, kParseInt);
        value = static_cast<int>(number);
    } else {
        char text[16];
        std::snprintf(text, sizeof text, "%d", value);
        ::SetWindowTextA(control, text);
    }
}

void DDX_Text(CDataExchange *pDX, int nIDC, UINT &value)
{
    HWND control = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        long long number;
        if (!ParseNumber(ControlText(control), false, 0, UINT_MAX, &number))
            Refuse(pDX, kParseUInt);
        value = static_cast<UINT>(number);
    } else {
        char text[16];
        std::snprintf(text, sizeof text, "%u", value);
        ::SetWindowTextA(control, text);
    }
}

void DDX_Check(CDataExchange *pDX, int nIDC, int &value)
{
    HWND control = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageA(control, BM_GETCHECK, 0, 0));
    else
        ::SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_Radio(CDataExchange *pDX, int nIDC, int &value)
{
    HWND control = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = -1;
    int index = 0;
    for (HWND button = control; button != nullptr; button = ::GetWindow(button, GW_HWNDNEXT)) {
        const LONG style = ::GetWindowLongA(button, GWL_STYLE);
        if (button != control && (style & WS_GROUP) != 0)
            break;
        const LONG kind = style & BS_TYPEMASK;
        if (kind != BS_RADIOBUTTON && kind != BS_AUTORADIOBUTTON)
            continue;
        if (pDX->m_bSaveAndValidate) {
            if (::SendMessageA(button, BM_GETCHECK, 0, 0) != BST_UNCHECKED)
                value = index;
        } else {
            ::SendMessageA(button, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        ++index;
    }
}

void DDV_MaxChars(CDataExchange *pDX, const CString &value, int nChars)
{
    if (pDX->m_bSaveAndValidate) {
        if (value.GetLength() > nChars) {
            char text[64];
            std::snprintf(text, sizeof text, kStringSize, nChars);
            Refuse(pDX, text);
        }
    } else if (pDX->m_hWndLastControl != nullptr && pDX->m_bEditLastControl) {
        ::SendMessageA(pDX->m_hWndLastControl, EM_LIMITTEXT, static_cast<WPARAM>(nChars), 0);
    }
}
