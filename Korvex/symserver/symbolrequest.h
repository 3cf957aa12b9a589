// CSymbolRequest: one question to the symbol server, from its submission to its fetch.
//
// An IQelSymbol method fills a request (code and parameters) and submits it; the engine
// queues a copy, runs the copy's handler on its worker thread and tells the requester that
// it is done. The requester then fetches the answer by the request's id, which removes the
// request. A request's group is its code rounded down to its hundred; the group decides
// which Get method answers it.
#pragma once

#include <afx.h>
#include <atlbase.h>

#include <tagrecords.h>

// Who is told that a request is done. Any other value is a window handle, to which the
// registered message "QELSYMBOLREQUEST" is posted.
enum : DWORD {
    RequesterSynchronous = 0, // the submitting thread waits until the request has run
    RequesterEvent = 0xFFFFFFFF, // the request-ready event is fired
};

// Request statuses, as the Get methods report them.
enum : int {
    StatusSuccess = 0,
    StatusNotAccepted = 1,    // no id could be given, or the request went before it ran
    StatusSystemError = 2,
    StatusDatabaseError = 3,
    StatusFileError = 4,
    StatusOutOfMemory = 5,
    StatusNoProgram = 6,      // the request needs a loaded program and none is loaded
    StatusNotSupported = 7,   // format not supported, or the reader failed
    StatusCodeRefused = 9,    // the host refused a code section's contents
    StatusOtherError = -1,
};

// The request codes that the engine itself looks at.
enum : int {
    RequestCodeBreakpointDescription = 703,
    RequestCodeBreakpointAddresses = 704,
    RequestCodeLoadFile = 2000,
    RequestCodeUnloadFile = 2001,
    RequestCodeDefineCodeSection = 2002,
    RequestCodeUndefineCodeSection = 2003,
    RequestCodeControllerRegisters = 3000,
    RequestCodeStop = 0x7FFFFFFC, // internal: the worker's last request
    RequestCodeIsDatabase = 0x7FFFFFFD, // internal: whether a program is loaded
    RequestCodeIdle = 0x7FFFFFFE, // internal: run when the worker has waited a second
    RequestCodeNone = 0x7FFFFFFF, // a request that has not been given a code
};

// A thread that waits for its synchronous request (the engine's own record).
struct CSymbolRequestWaiter;

class CSymbolRequest : public CObject {
    DECLARE_DYNAMIC(CSymbolRequest)
public:
    explicit CSymbolRequest(DWORD requester);
    // Frees whatever result the request holds, whatever its status.
    ~CSymbolRequest() override;

    // Makes this request a copy of `other` as it is submitted: requester, id, done flag,
    // code, status and the three parameters (as VARIANT copies). Results are not copied:
    // a request owns its own. FAILED when a parameter cannot be copied; the parameters
    // are then left empty.
    HRESULT CopyFrom(const CSymbolRequest &other);

    // The id that the engine gives: bit 31 is added for a synchronous request.
    void SetId(int id);
    BOOL IsSynchronous() const { return m_nRequester == RequesterSynchronous; }
    // TRUE for the synchronous and the event requester, else while the window lives.
    BOOL IsRequesterAlive() const;
    HWND GetRequesterWindow() const;
    int GetGroup() const { return m_nCode / 100 * 100; }
    BOOL IsGroup(int group) const { return GetGroup() == group; }
    // TRUE when the request can only run against a loaded program: codes below 2000
    // outside group 0, except BreakpointDescription and BreakpointAddresses. Sections,
    // program loading, the controller request, Location and the internal codes never
    // need one.
    BOOL NeedsDatabase() const;

    DWORD m_nRequester;
    int m_nId;
    DWORD m_bDone; // 1 once the worker has run it
    int m_nCode;
    int m_nStatus;
    VARIANT Param1;
    VARIANT Param2;
    VARIANT Param3;

    // The handler's answer; null (or 0) until it gives one. The request owns it and
    // frees it when it goes, so a Get method that hands an answer on takes it out first.
    // Which member a handler fills depends on its group:
    CObject *m_pResult;           // groups 0 to 900 and 3000: an array of records
    LocationTag *m_pLocation;     // group 4000
    CComPtr<IUnknown> m_pProgramInfo; // LoadFile: the program-information object
    DWORD m_nResult;              // a plain number: UnloadFile, UndefineCodeSection, ...
    // Why the request failed, as the engine's last error text gives it; the Get method
    // that fetches a failed request hands it to the symbol server's GetErrorInfo.
    CString m_strErrorText;

private:
    friend class CSymbolEngine;
    friend struct CSymbolEngineTestPeer;

    // The engine's bookkeeping, guarded by its queue lock.
    CSymbolRequestWaiter *m_pWaiter; // the thread that waits for this synchronous request
    BOOL m_bRunning;               // its handler runs now
    BOOL m_bRemoved;               // deleted while it ran: freed when the handler returns
};
