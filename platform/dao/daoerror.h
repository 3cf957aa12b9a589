// How the DAO class library reports a failure.
//
// A failing call throws CdbException by value with the HRESULT of the error; its low
// 16 bits are the Jet error number (3045 "file already in use", 3031 "Not a valid
// password.", ...). Before it throws, the library puts the error's source (the kind of
// object that failed, "DAO.Database" and so on) and its description into the thread's
// COM error information, where CdbLastOLEError finds them.
#pragma once

#include <ole2.h>

#include "afxstring.h"

class CdbException {
public:
    explicit CdbException(HRESULT hr) : m_hr(hr) {}
    HRESULT m_hr;
};

// The error information of the thread's last failure. The constructor takes it over
// (COM hands error information out once); without any, both texts are empty.
class CdbLastOLEError {
public:
    CdbLastOLEError();
    ~CdbLastOLEError();
    CdbLastOLEError(const CdbLastOLEError &) = delete;
    CdbLastOLEError &operator=(const CdbLastOLEError &) = delete;

    CString GetSource();
    CString GetDescription();

private:
    IErrorInfo *m_pErrorInfo;
};
