#include "qeldbexception.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CQeldbException, CException)

CQeldbException::CQeldbException(UINT errorCode, LPCSTR source, LPCSTR description)
    : m_nErrorCode(errorCode), m_strSource(source), m_strDescription(description)
{
}

BOOL CQeldbException::GetErrorMessage(LPTSTR error, UINT maxError, PUINT helpContext)
{
    if (!error || maxError == 0)
        return FALSE;
    if (m_strDescription.IsEmpty()) {
        error[0] = '\0';
        return FALSE;
    }
    if (helpContext)
        *helpContext = 0;
    UINT sourceLength = m_strSource.GetLength();
    UINT descriptionLength = m_strDescription.GetLength();
    if (sourceLength + descriptionLength + 3 > maxError) {
        UINT count = descriptionLength < maxError - 1 ? descriptionLength : maxError - 1;
        std::memcpy(error, static_cast<LPCTSTR>(m_strDescription), count);
        error[count] = '\0';
    } else {
        CString message = m_strSource + "\n" + m_strDescription;
        std::memcpy(error, static_cast<LPCTSTR>(message), message.GetLength() + 1);
    }
    return TRUE;
}

void ThrowQeldbException(const CdbException &e)
{
    CdbLastOLEError info;
    throw new CQeldbException(static_cast<UINT>(e.m_hr) & 0xFFFF, info.GetSource(), info.GetDescription());
}

void ThrowQeldbException(UINT errorCode, LPCSTR source, LPCSTR description)
{
    throw new CQeldbException(errorCode, source, description);
}
