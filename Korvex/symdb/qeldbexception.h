// CQeldbException: the one exception of the symbol-database layer.
//
// Every DAO error raised in the layer is caught there and thrown again as a
// CQeldbException, so that callers above the layer catch one type. It is thrown by
// pointer, as the framework's exceptions are: the catcher ends it with Delete().
#pragma once

#include <afx.h>

#include "dbdao.h"

class CQeldbException : public CException {
    DECLARE_DYNAMIC(CQeldbException)
public:
    CQeldbException(UINT errorCode, LPCSTR source, LPCSTR description);

    // "source\ndescription"; only the description, cut to fit, when both do not fit.
    // FALSE, writing nothing, when there is no description or no room at all.
    BOOL GetErrorMessage(LPTSTR error, UINT maxError, PUINT helpContext = nullptr) override;

    UINT m_nErrorCode;        // the Jet error number (the low 16 bits of the HRESULT)
    CString m_strSource;      // the object that failed, as DAO names it
    CString m_strDescription;
};

// Throws the DAO error `e` as a CQeldbException, with the source and description of
// the thread's last error information.
[[noreturn]] void ThrowQeldbException(const CdbException &e);

// Throws an error of the layer's own.
[[noreturn]] void ThrowQeldbException(UINT errorCode, LPCSTR source, LPCSTR description);

// Runs `call`, turning a DAO error into a CQeldbException.
template <class Call>
decltype(auto) QeldbCall(Call &&call)
{
    try {
        return call();
    } catch (const CdbException &e) {
        ThrowQeldbException(e);
    }
}
