// The framework's exceptions.
//
// As in the framework, an exception is thrown as a pointer to a heap object
// (`throw new CFileException(...)`, or one of the AfxThrow functions), caught as a pointer
// (`catch (CException *e)`) and ended with `e->Delete()`, which frees it unless it is one
// of the framework's own static objects. The memory exception is such an object: when
// memory has run out, making a new exception object might fail as well.
#pragma once

#include "afxobject.h"
#include "afxstring.h"
#include "basetypes.h"

class CException : public CObject {
    DECLARE_DYNAMIC(CException)
public:
    CException() : m_bAutoDelete(TRUE) {}
    explicit CException(BOOL autoDelete) : m_bAutoDelete(autoDelete) {}

    void Delete();

    // Copies the exception's message into `error` (at most `maxError` - 1 characters and
    // a terminator) and sets the help context to 0. FALSE, with an empty text, when the
    // exception has no message.
    virtual BOOL GetErrorMessage(LPTSTR error, UINT maxError, PUINT helpContext = nullptr);

    BOOL m_bAutoDelete;
};

// An exception whose message is a fixed text.
class CSimpleException : public CException {
    DECLARE_DYNAMIC(CSimpleException)
public:
    explicit CSimpleException(LPCSTR message = nullptr, BOOL autoDelete = TRUE)
        : CException(autoDelete), m_message(message)
    {
    }
    BOOL GetErrorMessage(LPTSTR error, UINT maxError, PUINT helpContext = nullptr) override;

private:
    LPCSTR m_message;
};

class CMemoryException : public CSimpleException {
    DECLARE_DYNAMIC(CMemoryException)
public:
    explicit CMemoryException(BOOL autoDelete = TRUE) : CSimpleException("Out of memory.", autoDelete) {}
};

class CNotSupportedException : public CSimpleException {
    DECLARE_DYNAMIC(CNotSupportedException)
public:
    explicit CNotSupportedException(BOOL autoDelete = TRUE)
        : CSimpleException("An unsupported operation was attempted.", autoDelete)
    {
    }
};

// A window, device context or drawing object could not be made.
class CResourceException : public CSimpleException {
    DECLARE_DYNAMIC(CResourceException)
public:
    explicit CResourceException(BOOL autoDelete = TRUE)
        : CSimpleException("A required resource was unavailable.", autoDelete)
    {
    }
};

// Thrown after the user has been told what went wrong; it carries no message of its own.
class CUserException : public CSimpleException {
    DECLARE_DYNAMIC(CUserException)
public:
    explicit CUserException(BOOL autoDelete = TRUE) : CSimpleException(nullptr, autoDelete) {}
};

class CFileException : public CException {
    DECLARE_DYNAMIC(CFileException)
public:
    enum {
        none,
        generic,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };

    // `osError` is the errno value that caused the exception, -1 when there is none.
    explicit CFileException(int cause = none, LONG osError = -1, LPCSTR fileName = nullptr);

    // The cause that an errno value stands for (generic for one without its own).
    static int ErrnoToException(int errnoValue);
    [[noreturn]] static void ThrowErrno(int errnoValue, LPCSTR fileName = nullptr);

    // A sentence naming the cause and the file.
    BOOL GetErrorMessage(LPTSTR error, UINT maxError, PUINT helpContext = nullptr) override;

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowNotSupportedException();
[[noreturn]] void AfxThrowResourceException();
[[noreturn]] void AfxThrowUserException();
[[noreturn]] void AfxThrowFileException(int cause, LONG osError = -1, LPCSTR fileName = nullptr);
