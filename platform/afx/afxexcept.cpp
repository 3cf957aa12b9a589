#include "afxexcept.h"

#include "lstring.h"

#include <cerrno>
#include <climits>

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CSimpleException, CException)
IMPLEMENT_DYNAMIC(CMemoryException, CSimpleException)
IMPLEMENT_DYNAMIC(CNotSupportedException, CSimpleException)
IMPLEMENT_DYNAMIC(CResourceException, CSimpleException)
IMPLEMENT_DYNAMIC(CUserException, CSimpleException)
IMPLEMENT_DYNAMIC(CFileException, CException)

namespace {

BOOL CopyMessage(LPCSTR message, LPTSTR error, UINT maxError, PUINT helpContext)
{
    if (helpContext != nullptr)
        *helpContext = 0;
    if (error != nullptr && maxError > 0)
        lstrcpynA(error, message != nullptr ? message : "", maxError > INT_MAX ? INT_MAX : static_cast<int>(maxError));
    return message != nullptr;
}

} // namespace

void CException::Delete()
{
    if (m_bAutoDelete)
        delete this;
}

BOOL CException::GetErrorMessage(LPTSTR error, UINT maxError, PUINT helpContext)
{
    return CopyMessage(nullptr, error, maxError, helpContext);
}

BOOL CSimpleException::GetErrorMessage(LPTSTR error, UINT maxError, PUINT helpContext)
{
    return CopyMessage(m_message, error, maxError, helpContext);
}

CFileException::CFileException(int cause, LONG osError, LPCSTR fileName)
    : m_cause(cause), m_lOsError(osError), m_strFileName(fileName)
{
}

int CFileException::ErrnoToException(int errnoValue)
{
    switch (errnoValue) {
    case 0:
        return none;
    case ENOENT:
        return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return badPath;
    case EMFILE:
    case ENFILE:
        return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EEXIST:
        return accessDenied;
    case EBADF:
        return invalidFile;
    case ESPIPE:
        return badSeek;
    case EIO:
        return hardIO;
    case ETXTBSY:
        return sharingViolation;
    case EDEADLK:
    case ENOLCK:
        return lockViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return diskFull;
    default:
        return generic;
    }
}

void CFileException::ThrowErrno(int errnoValue, LPCSTR fileName)
{
    AfxThrowFileException(ErrnoToException(errnoValue), errnoValue, fileName);
}

BOOL CFileException::GetErrorMessage(LPTSTR error, UINT maxError, PUINT helpContext)
{
    static const char *const kTexts[] = {
        "No error occurred while accessing %s.",
        "An unexpected error occurred while accessing %s.",
        "%s was not found.",
        "%s contains an invalid path.",
        "%s could not be opened because there are too many open files.",
        "Access to %s was denied.",
        "An invalid file handle was associated with %s.",
        "%s could not be removed because it is the current directory.",
        "%s could not be created because the directory is full.",
        "Seek failed on %s.",
        "A hardware I/O error was reported while accessing %s.",
        "A sharing violation occurred while accessing %s.",
        "A locking violation occurred while accessing %s.",
        "Disk full while accessing %s.",
        "An attempt was made to access %s past its end.",
    };
    int cause = m_cause >= none && m_cause <= endOfFile ? m_cause : generic;
    CString text;
    text.Format(kTexts[cause], m_strFileName.IsEmpty() ? "an unnamed file" : static_cast<LPCSTR>(m_strFileName));
    return CopyMessage(text, error, maxError, helpContext);
}

void AfxThrowMemoryException()
{
    static CMemoryException memoryException(FALSE);
    throw &memoryException;
}

void AfxThrowNotSupportedException() { throw new CNotSupportedException; }

void AfxThrowResourceException() { throw new CResourceException; }

void AfxThrowUserException() { throw new CUserException; }

void AfxThrowFileException(int cause, LONG osError, LPCSTR fileName)
{
    throw new CFileException(cause, osError, fileName);
}
