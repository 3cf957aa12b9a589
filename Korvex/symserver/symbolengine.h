// CSymbolEngine: the symbol server's request queue and its one worker thread.
//
// Any thread submits, finds and deletes requests; the worker takes them one at a time,
// synchronous ones first, runs each through the handler of its code and tells the
// requester: by posting "QELSYMBOLREQUEST" to its window (wParam the request group,
// lParam the id), through the ready hook for the event requester, or by waking the
// thread that waits for a synchronous request. A finished request stays queued until its
// requester fetches it (FindRequest, then DeleteRequest) or its window is gone.
//
// The worker is the only thread that touches a symbol database, a reader or the caches:
// the members under "worker state" below belong to the handlers. Each handler runs inside
// a transaction of the program's database when one is open, committed when the handler
// returns and rolled back when it raises, so what a request writes is in the database
// whole or not at all.
//
// The engine goes through Destroy. From any thread but its worker that stops and joins
// the worker. Its own worker cannot wait for itself, yet it may be the thread that lets
// the symbol server go: a host may drop its last reference inside a ready event, or while
// a handler holds one. Then the worker is left to finish what it runs and to free the
// engine itself; the module stays loaded while a worker runs its code.
#pragma once

#include <afx.h>

#include <programformats.h>
#include <qeldatabase.h>
#include <qelquerydef.h>
#include <qelsymbsrv.h>
#include <sectionlist.h>
#include <symboltables.h>
#include <tagrecords.h>
#include <targetfile.h>

#include "symbolrequest.h"

#include <condition_variable>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

// Cuts what the section [sectionFirst, sectionLast] covers out of the range [first,
// last]: 0 no overlap, 1 covered (the range becomes 0, 0), 2 its end cut, 3 split (the
// part behind the section in [secondFirst, secondLast]), 4 its start cut. The second
// piece is 0, 0 unless split.
int ClipRange(DWORD sectionFirst, DWORD sectionLast, DWORD &first, DWORD &last, DWORD &secondFirst,
              DWORD &secondLast);

class CSymbolEngine {
public:
    // Runs one request on the worker thread. A handler reports failure by raising a
    // framework exception, which the engine turns into the request's status.
    typedef std::function<void(CSymbolRequest &request)> Handler;
    // Told, on the worker thread, the id of each finished request of the event requester.
    typedef std::function<void(int id)> ReadyHook;

    // `owner` is the symbol-server object's owner (not counted); diagnostics go to it.
    explicit CSymbolEngine(IUnknown *owner);
    // Stops and joins the worker before anything it could use is freed. Not on the
    // worker: Destroy is the way from there.
    virtual ~CSymbolEngine();
    // Deletes `engine`, from any thread. On its worker it refuses further requests, lets
    // go of its owner and its ready hook at once and runs the stop request (deferred to
    // the end of the handler that runs, which may no longer reach the owner), and the
    // worker frees the engine once it is back from what it runs; a synchronous caller
    // still waiting is answered 0.
    static void Destroy(CSymbolEngine *engine);
    CSymbolEngine(const CSymbolEngine &) = delete;
    CSymbolEngine &operator=(const CSymbolEngine &) = delete;

    // Queues a copy of `request` and answers its id; a synchronous request (requester 0)
    // answers once it has run. 0 when the request was not accepted, with the reason in
    // `request`'s status: the id counter gave 0 (an asynchronous request is then not
    // queued at all), the engine is stopping or its worker has ended, the code is the
    // engine's own stop request, the copy or the worker could not be made, or a
    // synchronous request was deleted before it finished. A synchronous request
    // submitted on the worker thread (from a handler or a notice) runs at once.
    int Submit(CSymbolRequest &request);
    // The first finished request with exactly this id, still queued; null when there is
    // none, or when the request has not finished yet. The requester that asks must not
    // delete it from another thread while it reads it.
    CSymbolRequest *FindRequest(int id);
    // Takes the first request with this id out of the queue, when it has finished and is
    // of `group`; the caller owns it from then on, so nobody else can delete it while it
    // is read. Null when there is none, and the request left where it is when it has not
    // finished; a finished request of another group is deleted, and null answered.
    CSymbolRequest *TakeRequest(int id, int group);
    // Removes and deletes the first request with this id; nothing when there is none. A
    // request that runs is freed when its handler returns, and gets no notice; a
    // synchronous request's waiter is woken with StatusNotAccepted.
    void DeleteRequest(int id);
    // Removes and deletes every request whose id differs, except those that run: a
    // handler that empties the queue (unloading a program) keeps its own request, and
    // the one that asked for it through a synchronous request keeps its own too. The
    // engine's pending stop request stays as well.
    void DeleteRequestsExcept(int id);
    // Runs the stop request ahead of everything queued, waits for the worker to end and
    // deletes what is left. Later submissions are refused. The engine's destruction
    // stops it; a second call does nothing.
    void Stop();

    // The handler of `code`, in place of the one there (an empty handler removes it).
    // Codes without a handler do nothing.
    void SetHandler(int code, Handler handler);
    // The symbol-server object sets the hook that fires its request-ready event, to its
    // own sinks and to those of the partner debugger's symbol server.
    void SetReadyHook(ReadyHook hook);

    // The clock of the idle pass, in milliseconds: GetTickCount unless a test gives a
    // simulated one. Only differences of two readings count, so its wrap does no harm.
    typedef std::function<DWORD()> TickSource;
    void SetTickSource(TickSource ticks);
    // How long the worker waits for a request before it runs the idle pass (a second).
    void SetIdleWait(DWORD ms);

    // The text of the last handler failure.
    CString GetLastErrorMessage();
    // The system's text for the calling thread's last error.
    static void GetLastErrorText(CString &text);

    // Request 3000: the controller's register table. Nothing here; the engine that the
    // symbol server creates reads it.
    virtual void LoadControllerRegisters(CSymbolRequest &request);

    // Program loading (requests 2000 to 2003). LoadFile recognises the program file,
    // unloads the program loaded before, opens or builds the program's symbol database
    // and runs the reader's sections and globals passes; an Intel HEX file is loaded as
    // a memory image, whose ranges become defined code sections. A load that fails
    // leaves nothing of itself behind: no reader, no database, no database file it made.
    void OnLoadFile(CSymbolRequest &request);
    void OnUnloadFile(CSymbolRequest &request);
    // Code sections defined from outside a program file ("name (1000h - 1FFFh)"), whose
    // contents the host's target-pattern interface takes.
    void OnDefineCodeSection(CSymbolRequest &request);
    void OnUndefineCodeSection(CSymbolRequest &request);
    // Defines a code section of every range of `image` and hands the ranges to the host;
    // the block and byte counts, the image's start address and the status of the first
    // definition that failed (the host refused its contents) in the out values. The
    // program id.
    DWORD LoadMemoryImage(SectionList::CSectionList &image, LPCSTR path, DWORD programId, HWND progressWindow,
                          ULONG *blockCount, ULONG *byteCount, ULONG *startAddress, int *status);
    // A range [First, Last] of target addresses.
    struct CodeRange {
        DWORD First;
        DWORD Last;
    };
    // The pieces of [first, last] that no defined code section covers (nor, with a
    // program loaded, a row of its Sections table).
    std::vector<CodeRange> SplitCodeRange(DWORD first, DWORD last);
    // The index of the defined code section named exactly `description`, -1 when none.
    int FindCodeSection(const CString &description) const;
    // The index of the first defined code section of mode `mode` that holds `value`, -1
    // when none.
    int FindCodeSectionByAddress(DWORD mode, DWORD value, DWORD extra) const;

    // The query handlers. Each reads its parameters from the request and leaves an array
    // of tag records as its result, empty when nothing is found; a database or file
    // error leaves the handler as an exception. Codes 0 to 2: sections.
    void OnSections(CSymbolRequest &request);
    void OnSectionByName(CSymbolRequest &request);
    void OnSectionByAddress(CSymbolRequest &request);
    // Codes 100 to 103: source files, with a line each where an address or range asks.
    void OnSourceFiles(CSymbolRequest &request);
    void OnSourceFileByPath(CSymbolRequest &request);
    void OnSourceFileByAddress(CSymbolRequest &request);
    void OnSourceFileLines(CSymbolRequest &request);
    // Codes 200 to 203: functions.
    void OnFunctions(CSymbolRequest &request);
    void OnFunctionByName(CSymbolRequest &request);
    void OnFunctionByAddress(CSymbolRequest &request);
    void OnFunctionsOfSourceFile(CSymbolRequest &request);
    // Codes 301 and 302: the lines of a file, the ranges of the line at an address.
    void OnSourceLinesOfSourceFile(CSymbolRequest &request);
    void OnSourceLineRangesByAddress(CSymbolRequest &request);
    // Codes 500 and 501: a type by name, the members of a type.
    void OnType(CSymbolRequest &request);
    void OnMembersOfType(CSymbolRequest &request);
    // Codes 600 and 601: where a variable lives over its lifetime; its VarEd mapping.
    void OnLifetime(CSymbolRequest &request);
    void OnVarEdMapping(CSymbolRequest &request);

    // Codes 401 to 409: variables by name, by scope and by index.
    void OnGlobals(CSymbolRequest &request);
    void OnGlobalsInScope(CSymbolRequest &request);
    void OnStatics(CSymbolRequest &request);
    void OnStaticsInScope(CSymbolRequest &request);
    void OnLocalsInScope(CSymbolRequest &request);
    void OnVariableWithScope(CSymbolRequest &request);
    void OnParameters(CSymbolRequest &request);
    void OnVariableByIndex(CSymbolRequest &request);
    void OnVariablesInScope(CSymbolRequest &request);
    // Codes 700 to 704: labels, start-up labels, and the descriptor of a breakpoint
    // address and its way back.
    void OnCodeLabel(CSymbolRequest &request);
    void OnDataLabel(CSymbolRequest &request);
    void OnStartupLabels(CSymbolRequest &request);
    void OnBreakpointDescription(CSymbolRequest &request);
    void OnBreakpointAddresses(CSymbolRequest &request);
    // Code 800: the register map; 900: the VarEd variables; 4000: where an address lies.
    void OnRegisterMap(CSymbolRequest &request);
    void OnVarEdVariables(CSymbolRequest &request);
    void OnLocation(CSymbolRequest &request);

    // Code 0x7FFFFFFE, run by the worker after each second without a request. It tells
    // the host on every pass while the program file on disk differs from the one
    // loaded, and once no request has come for more than 30 seconds it does one step
    // every fifth pass: the list of all statics, then of all globals, then the next
    // module, each kept as it is done; after the last module it closes the program file.
    void OnIdle(CSymbolRequest &request);

    // Modules are read when a query first needs them (or when the engine is idle). Each
    // of these reads the modules that a query yields and that are not read yet, unless
    // no reader is open or the idle pass has passed them already. A module that cannot
    // be read costs only itself: the query answers from what the database holds.
    // At an address: the module of the function that holds it when the address's section
    // relates to several modules, and every one of them where no function holds it.
    void EnsureModulAt(const VARIANT &mode, const VARIANT &value);
    // The name of the module whose code holds the address, chosen as EnsureModulAt
    // chooses it ("" when the address's section relates to no module).
    CString ModulNameAt(const VARIANT &mode, const VARIANT &value);
    void EnsureModulsInRange(const VARIANT &mode, const VARIANT &value, const VARIANT &length);
    // The module's Analyzed flag as it was found, 0 when there is no such module.
    BOOL EnsureModulByIndex(LONG modulIndex);
    void EnsureModulByPath(const VARIANT &path);
    // Stores the lengths of the lines of the file that `file` stands on, when it is not
    // analysed yet, and marks it analysed; given a request, its result becomes the file's
    // lines that have code, by line number.
    void AnalyseSourceFile(CSymbolRequest *request, CDBSourceFiles &file);
    // Reads the modules of the file with this EntryInFile text and analyses it; TRUE
    // when it analysed it.
    BOOL EnsureSourceFileAnalysed(const VARIANT &path);
    // The type text, type code, size and pointer class of the packed type index; the
    // type index word becomes the index that the client asks members of. `bitInfo` comes
    // in as what a bit field's offset counts from (0, or a member's offset) and leaves as
    // the bit layout of a bit field; `pointerClass` comes in as the class of the pointer
    // whose target is described (0 for none), which sizes a function.
    void TypeDescription(LONG &typeIndex, LONG &typeCode, CString &typeText, LONG &sizeInBits, LONG &bitInfo,
                         LONG &pointerClass);

    // Reads module `modul` with the current reader, which must be open. A module that
    // cannot be read costs only itself: it is traced and passed over, its own rows
    // rolled back by the reader.
    void ReadModulOrTrace(LONG modul);

    // For handlers, on the worker thread only. The last open database of m_Databases.
    CQelDatabase *GetProgramDatabase() const;
    // Starts the running request's transaction on the program database when it has none
    // (a handler that has just opened the database calls it, so that the rest of its
    // work is kept whole).
    void BeginRequestTransaction();
    // Commits what the running request has written so far and goes on in a new
    // transaction: the idle pass keeps each module it has read, whatever befalls the
    // next one.
    void CommitRequestTransaction();
    // Closes the database with its objects; what the running request wrote to it and
    // did not commit is rolled back. Handlers close databases only so.
    void CloseDatabase(CQelDatabase &database);
    void FreeVariableCaches();
    // The stored query `nameId` of the program's database (which must be open), kept
    // while the database stays open: its text is translated and prepared once, not at
    // every request. The caller sets every parameter it uses each time.
    CQelQueryDef &StoredQuery(UINT nameId);

    // Worker state: touched by handlers only, on the worker thread.
    CArray<CQelDatabase *, CQelDatabase *> m_Databases; // owned, one per loaded program
    DWORD DatabaseLoaded;  // 1 while a program is loaded
    DWORD IdleSince;       // tick count since which no request came; 0 after each request
    DWORD IdlePasses;      // idle passes run while the engine lives
    int ModulCount;
    int NextModulToRead;
    IUnknown *m_pOwner;    // not counted
    CQelTargetFile *CurrentReader; // the loaded program's reader, owned
    CObject *StaticsCache;  // result arrays of the statics and globals requests, owned
    CObject *GlobalsCache;
    CArray<SectionTag, SectionTag &> CodeSections; // defined from outside a program file
    CArray<int, int> m_CodeSectionIds;              // parallel to CodeSections
    int ProgramCount;      // the loaded programs: the next free index of m_Databases
    int LastCodeSectionId; // the last id given to a code section defined without one
    // The formats a load recognises, in the order in which they are asked; a test may
    // put its own in.
    std::vector<QelProgramFormat> ProgramFormats;

protected:
    // Code 0x7FFFFFFD: whether a program is loaded, 0 or 1 in the request's m_nResult.
    void OnIsDatabase(CSymbolRequest &request);
    // Code 0x7FFFFFFC: what the worker lets go of before it ends; the host is told
    // through slot 7 of its target-pattern interface.
    void OnStop(CSymbolRequest &request);
    // Sets the request's status, and the text as the engine's last error, the request's
    // error text and the thread's COM error information.
    void Fail(CSymbolRequest &request, int status, const CString &text);

private:
    friend struct CSymbolEngineTestPeer;

    // The queue lock as a lockable for the condition variables. It is a critical
    // section, re-entrant for its owner.
    struct QueueLockable {
        CCriticalSection &section;
        void lock() { section.Lock(); }
        void unlock() { section.Unlock(); }
    };
    typedef std::unique_lock<QueueLockable> QueueHold;

    // What the worker tells a requester once it has left the lock.
    struct Notice {
        BOOL send = FALSE;
        DWORD requester = 0;
        int group = 0;
        int id = 0;
    };

    // Inside a catch-all: TRUE when what was caught is no C++ exception, such as the
    // forced unwind of a thread that is ended; it must be thrown on.
    static BOOL IsForeignException() { return !std::current_exception(); }

    static UINT WorkerProc(LPVOID engine);
    void RunWorker();
    // Destroy on the worker, and what the worker does once it is back in its loop.
    void LeaveToWorker();
    void FreeOnWorker();
    void RunStop();
    // However the worker ends: later submissions are refused and every synchronous
    // caller still waiting is woken.
    void OnWorkerEnded();
    // Under the lock.
    BOOL StartWorker();
    BOOL IsWorkerThread() const;
    CSymbolRequest *TakeNextRequest();
    void Remove(POSITION position);
    // After the worker has ended: every request goes, whatever it is, and every
    // synchronous caller is woken; answers once the last of them has left the engine.
    void RemoveAllRequests();
    // Queues `copy` (owned from here on) on the caller's behalf; `internal` lets the
    // stop request through.
    int Queue(CSymbolRequest *copy, CSymbolRequest &caller, BOOL internal);
    // Runs a request marked as running and finishes it; the keep-running answer.
    BOOL RunRequest(CSymbolRequest *request, Notice &notice, BOOL &removed);
    void SendNotice(const Notice &notice);
    void NotifyRequestReady(int id);

    // Runs the request's handler; FALSE after the stop request.
    BOOL Dispatch(CSymbolRequest &request);
    void RunHandler(const Handler &handler, CSymbolRequest &request);
    // The kind of the file at `path` (QEL_PROGRAM_...), -1 when none; an Intel HEX file's
    // image is read into `image`.
    LONG RecogniseProgramFile(LPCSTR path, SectionList::CSectionList &image);
    // For an Intel HEX image with AUTOLOADELF set: the ELF file beside it, or the one the
    // user picks; "" when there is none.
    CString FindCorrespondingElfFile(LPCSTR hexPath);
    // Where the program's symbol database is made: beside the program file, or in the
    // configured database directory.
    CString DatabaseBasePath(LPCSTR path);
    // The idle pass's parts: the host told that the program file changed on disk
    // (`change` is what CheckFileChanged answered), and the list of every variable that
    // request `code` (401 or 403) gives, null when that request has no handler.
    void NoticeProgramChanged(int change);
    CObject *ListAllVariables(int code);
    // The tick source's reading, on the worker.
    DWORD IdleTicks();
    // The partner debugger's debug server that Synchronize names, null when none.
    CComPtr<IUnknown> QueryDebugServer(tagSynchronizeFunction which);
    // After a failed load: the new program's reader (null: none yet) and database are let
    // go, and the database file too when the load made it.
    void DropFailedLoad(CQelTargetFile *reader);
    void EndRequestTransaction(BOOL commit);
    void Commit(CQelDatabase &database);
    void RollBack(CQelDatabase &database);

    CString m_strLastError;
    int m_nNextId;
    CList<CSymbolRequest *, CSymbolRequest *> m_Queue; // owns the requests
    CCriticalSection m_QueueLock;
    QueueLockable m_Lockable;
    std::condition_variable_any m_Wake;     // a request was queued
    std::condition_variable_any m_SyncDone; // a synchronous request finished or went
    int m_nWaiting;                          // synchronous callers inside Submit
    std::condition_variable_any m_WaitersGone;
    BOOL m_bWake;
    BOOL m_bStopped;
    BOOL m_bWorkerEnded;
    BOOL m_bLeftToWorker;  // Destroy was called on the worker, which frees the engine
    BOOL m_bStopDeferred;  // the worker runs the stop request once its handler is over
    CWinThread *m_pThread; // owned; null until the first submission
    DWORD m_nWorkerThreadId;
    UINT m_nMessageId;
    std::map<int, Handler> m_Handlers;
    TickSource m_TickSource;
    DWORD m_nIdleWaitMs;
    ReadyHook m_ReadyHook;
    // The databases of the transactions of the running requests, innermost last (a
    // synchronous request submitted by a handler runs inside its own); null where a
    // request has none.
    std::vector<CQelDatabase *> m_Transactions;
    // The modules that the running requests found read, in the database m_pReadModulsOf:
    // a request that describes the types of many members of one module seeks its row
    // once. Forgotten as each request starts and ends, so that a request rolled back
    // leaves no module taken as read that its rollback took out again.
    std::set<LONG> m_ReadModuls;
    CQelDatabase *m_pReadModulsOf = nullptr;
    // StoredQuery's, all of the database m_pStoredQueriesOf.
    std::map<UINT, std::unique_ptr<CQelQueryDef>> m_StoredQueries;
    CQelDatabase *m_pStoredQueriesOf;
};
