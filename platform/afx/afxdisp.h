// The framework's automation exceptions and the argument codes of CWnd::InvokeHelper.
//
// COleException carries the HRESULT of a failed COM call; COleDispatchException the
// exception that an automation object raised (IDispatch::Invoke answering
// DISP_E_EXCEPTION), with its description, help context and code.
#pragma once

#include "afxexcept.h"

#include <ole2.h>

class COleException : public CException {
    DECLARE_DYNAMIC(COleException)
public:
    explicit COleException(SCODE sc) : m_sc(sc) {}
    // "COM error 0x%08X".
    BOOL GetErrorMessage(LPTSTR error, UINT maxError, PUINT helpContext = nullptr) override;

    SCODE m_sc;
};

class COleDispatchException : public CException {
    DECLARE_DYNAMIC(COleDispatchException)
public:
    COleDispatchException(LPCTSTR description, UINT helpContext, WORD code)
        : m_wCode(code), m_strDescription(description != nullptr ? description : ""), m_dwHelpContext(helpContext)
    {
    }
    // The description; FALSE when it is empty.
    BOOL GetErrorMessage(LPTSTR error, UINT maxError, PUINT helpContext = nullptr) override;

    WORD m_wCode;
    CString m_strDescription;
    DWORD m_dwHelpContext;
    CString m_strSource;
    // The object's HRESULT, when it gave one in place of a code.
    SCODE m_scError = S_OK;
};

[[noreturn]] void AfxThrowOleException(SCODE sc);
[[noreturn]] void AfxThrowOleDispatchException(WORD code, LPCTSTR description, UINT helpContext = 0);

// The types of InvokeHelper's arguments, one byte each, as its parameter-information
// string lists them; the arguments follow in that order, each of the C type that its code
// names: VTS_I2 a short, VTS_I4 a LONG (32 bits: a long literal is 64 here), VTS_R8 a
// double, VTS_BOOL a BOOL, VTS_BSTR an LPCSTR, VTS_DISPATCH and VTS_UNKNOWN pointers.
#define VTS_NONE ""
#define VTS_I2 "\x02"
#define VTS_I4 "\x03"
#define VTS_R8 "\x05"
#define VTS_BSTR "\x08"
#define VTS_DISPATCH "\x09"
#define VTS_BOOL "\x0B"
#define VTS_UNKNOWN "\x0D"
#define VTS_COLOR VTS_I4
#define VTS_FONT VTS_DISPATCH
