// CSymbolProcessing: the client through which every requester asks the symbol server.
//
// The server answers asynchronously: a query method of IQelSymbol queues a request and
// gives its id at once; when the server's worker has finished it, the server posts the
// registered message "QELSYMBOLREQUEST" to the window the requester named, or, for a
// request marked for events, fires _SymProcEvents::FireSymbolProcReadyState. The client
// hides this: the caller issues a request, registers a callback for its id, and the
// client fetches the result when the notice comes, unpacks it into tag records and calls
// the callback, always on the thread that owns the client (the one its hidden request
// window belongs to).
//
// Ready events come on the server's worker thread. The client's sink only posts each one
// to the request window, so the pending requests are touched on the client's own thread
// alone. A notice that comes before the caller has registered its callback is kept, and
// the registration then delivers at once. The client knows the ids it was given: notices
// of other clients' requests (every client in event mode hears all of them) are left
// alone, and Detach deletes at the server every request of its own whose result nobody
// fetched, so nothing is left behind there. Detach ends the event connection before it
// lets anything go, waiting for a ready event that the worker is delivering at that moment,
// so a client may be destroyed while the server fires.
//
// The caller's context travels as a pointer-sized value, as callers pass their objects.
#pragma once

#include <afx.h>
#include <atlbase.h>

#include "controllerinfoholder.h"
#include "qelsymbol.h"
#include "symprocrdysink.h"
#include "tagrecords.h"

#include <memory>
#include <mutex>
#include <set>
#include <vector>

typedef CArray<SectionTag, SectionTag &> CSectionTagArray;
typedef CArray<SourceFileTag, SourceFileTag &> CSourceFileTagArray;
typedef CArray<FunctionTag, FunctionTag &> CFunctionTagArray;
typedef CArray<SourceLineTag, SourceLineTag &> CSourceLineTagArray;
typedef CArray<VariableTag, VariableTag &> CVariableTagArray;
typedef CArray<MemberTag, MemberTag &> CMemberTagArray;
typedef CArray<LifetimeTag, LifetimeTag &> CLifetimeTagArray;
typedef CArray<LabelTag, LabelTag &> CLabelTagArray;
typedef CArray<RegisterMapTag, RegisterMapTag &> CRegisterMapTagArray;
typedef CArray<VarEdTag, VarEdTag &> CVarEdTagArray;

// What a load request (LoadFile) delivers: the program path and id that the load was
// asked for, and its status, 0 when the program was loaded, kLoadFailed when not.
struct ProgramLoadResult {
    static constexpr LONG kLoadFailed = 5;
    CString Path;
    LONG ProgramId = 0;
    LONG Status = 0;
};

// The result kinds, the request groups of the server.
enum SymbolResultKind : UINT {
    kSymbolSections = 0,
    kSymbolSourceFiles = 100,
    kSymbolFunctions = 200,
    kSymbolSourceLines = 300,
    kSymbolVariables = 400,
    kSymbolMembers = 500,
    kSymbolLifetime = 600,
    kSymbolLabels = 700,
    kSymbolRegisterMap = 800,
    kSymbolVarEdVariables = 900,
    kSymbolProgramInfo = 2000,
    kSymbolLocation = 4000,
};

// How a callback is called: with the result; with the request id and the result; with
// the raw transfer VARIANTs; with the id and the raw VARIANTs.
enum SymbolCallbackStyle : UINT {
    kCallResult = 0,
    kCallIdResult = 1,
    kCallRaw = 2,
    kCallIdRaw = 3,
};

typedef void (*SymbolRequestCallback)();

// A pending request: its kind, its callback (of the type that Kind and Style give) and
// the caller's context.
struct SymbolRequestTag {
    UINT Kind = 0;
    SymbolRequestCallback Callback = nullptr;
    UINT Style = kCallResult;
    DWORD_PTR Context = 0;
};

class CSymbolProcessing;

// The hidden 1-by-1 pop-up window that receives the notices.
class CRequestWindow : public CWnd {
public:
    explicit CRequestWindow(CSymbolProcessing *owner) : m_pOwner(owner) {}

    // The number of "QELSYMBOLREQUEST", which the message map reads; set from the owner.
    static UINT s_nRequestMessage;

protected:
    LRESULT OnRequestMessage(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    CSymbolProcessing *m_pOwner;
};

class CSymbolProcessing : public CSymProcRdySink {
public:
    // The requester value that lets the client choose: its request window, or in event
    // mode the server's ready event.
    static constexpr int kDefaultRequester = -1;

    explicit CSymbolProcessing(BOOL eventMode = FALSE);
    CSymbolProcessing(IUnknown *server, BOOL createWindowNow, BOOL eventMode);
    ~CSymbolProcessing() override;
    CSymbolProcessing(const CSymbolProcessing &) = delete;
    CSymbolProcessing &operator=(const CSymbolProcessing &) = delete;

    // Binds the client to the host's debug-server object, which must offer IQelSymbol
    // and lead to the controller information; a client already bound accepts only the
    // object it is bound to. TRUE when both interfaces are there.
    BOOL Attach(IUnknown *server);
    // Lets the server go: deletes there every request of this client that has not been
    // delivered, drops them here, ends the event connection and destroys the window. A
    // later Attach may bind the client to another object.
    void Detach();

    typedef void (*ErrorCallback)(DWORD_PTR context);
    void SetErrorCallback(ErrorCallback callback, DWORD_PTR context);

    // 0, the status of the last server call that failed ((HRESULT & 0xFFFF) - 0x4000), or
    // -1 when no call could be made (no server, no requester).
    int GetLastError() const { return m_nLastError; }
    UINT GetRequestMessage() const { return m_nRequestMessage; }
    IQelSymbol *GetSymbolInterface() const { return m_pSymbol; }
    IQelControllerInfo *GetControllerInfo() const { return m_controllerInfo; }
    BOOL IsEventMode() const { return m_bEventMode; }

    // The in-value of a request's id argument for `requester`: a requester other than
    // kDefaultRequester as it is; else the request window, or -1 (the ready event) when
    // there is none. In event mode the value is always -1 and the sink is advised on the
    // server first; FALSE when that cannot be done.
    BOOL ResolveRequester(int requester, int *value);

    // Requests. Each answers the request id, 0 when none was made (see GetLastError).
    // Texts left out (NULL) go to the server as "*" where a pattern is taken, else as "".
    int LoadFile(LPCSTR path, LONG programId, HWND progressWindow, int requester = kDefaultRequester);
    int RequestSections(int requester = kDefaultRequester);
    int RequestSectionByAddress(LONG addressMode, LONG addressValue, int requester = kDefaultRequester);
    int RequestSourceFiles(int requester = kDefaultRequester);
    int RequestSourceFileByAddress(LONG addressMode, LONG addressValue, int requester = kDefaultRequester);
    int RequestSourceFileLines(LONG addressMode, LONG addressValue, LONG length, int requester = kDefaultRequester);
    int RequestLocation(LONG addressMode, LONG addressValue, int requester = kDefaultRequester);
    int RequestFunctions(int requester = kDefaultRequester);
    int RequestFunctionByAddress(LONG addressMode, LONG addressValue, int requester = kDefaultRequester);
    int RequestSourceLinesOfSourceFile(LPCSTR path, int requester = kDefaultRequester);
    int RequestSourceLineRangesByAddress(LONG addressMode, LONG addressValue, int requester = kDefaultRequester);
    int RequestGlobals(LPCSTR name, LPCSTR path, int requester = kDefaultRequester);
    int RequestStatics(LPCSTR name, LPCSTR path, int requester = kDefaultRequester);
    int RequestVariablesInScope(LONG addressMode, LONG addressValue, LPCSTR name, int requester = kDefaultRequester);
    int RequestLocalsInScope(LONG addressMode, LONG addressValue, LPCSTR name, int requester = kDefaultRequester);
    int RequestVariableWithScope(LPCSTR name, int requester = kDefaultRequester);
    int RequestParameters(LONG addressMode, LONG addressValue, int requester = kDefaultRequester);
    int RequestVariableByIndex(LONG symbolIndex, int requester = kDefaultRequester);
    int RequestCodeLabel(LPCSTR name, int requester = kDefaultRequester);
    int RequestDataLabel(LPCSTR name, int requester = kDefaultRequester);
    int RequestStartupLabels(LONG programId, LPCSTR mainFunction, LPCSTR entryPoint,
                             int requester = kDefaultRequester);
    int RequestBreakpointDescription(LONG addressMode, LONG addressValue, int requester = kDefaultRequester);
    // The code addresses that a breakpoint descriptor names; answered as labels.
    int RequestBreakpointAddresses(LPCSTR descriptor, LONG flag, int requester = kDefaultRequester);
    int RequestRegisterMap(int requester = kDefaultRequester);
    int RequestMembersOfType(LONG typeIndex, int requester = kDefaultRequester);
    int RequestType(LPCSTR name, int requester = kDefaultRequester);
    int RequestLifetime(LONG symbolIndex, int requester = kDefaultRequester);
    int RequestVarEdMapping(LONG symbolIndex, int requester = kDefaultRequester);
    int RequestVarEdVariables(int requester = kDefaultRequester);

    // TRUE when the server has a program's database loaded.
    BOOL IsDatabase();
    // Deletes at the server every request of this client that is still open and forgets
    // them all.
    void CancelAllRequests();

    // The controller, through the host's controller information; FALSE on error.
    BOOL GetWordSize(LONG *bits);
    BOOL GetCoreRegisters(CStringArray &names);
    // The address of the special function register `name`; FALSE when it is not known
    // (the address 0xFFFFFFFF is written then all the same).
    BOOL GetSFRegisterAddress(LPCSTR name, ULONG *address);

    // Fetching a finished request (which deletes it at the server). TRUE when it came;
    // on failure the array is left as it was, or empty when the answer was malformed.
    BOOL GetProgramInfo(int requestId, IUnknown **programInfo);
    BOOL GetSections(int requestId, CSectionTagArray &records);
    BOOL GetSourceFiles(int requestId, CSourceFileTagArray &records);
    BOOL GetFunctions(int requestId, CFunctionTagArray &records);
    BOOL GetSourceLines(int requestId, CSourceLineTagArray &records);
    BOOL GetVariables(int requestId, CVariableTagArray &records);
    BOOL GetMembers(int requestId, CMemberTagArray &records);
    BOOL GetLifetime(int requestId, CLifetimeTagArray &records);
    BOOL GetLabels(int requestId, CLabelTagArray &records);
    BOOL GetRegisterMap(int requestId, CRegisterMapTagArray &records);
    BOOL GetVarEdVariables(int requestId, CVarEdTagArray &records);
    BOOL GetLocation(int requestId, LocationTag &location);

    // Callbacks. Each registers `callback` for the request id (0 registers nothing and
    // answers FALSE); a request that is already finished (a synchronous one, or one whose
    // notice came first) is delivered before the call returns.
    template <class Records>
    using ResultCallback = void (*)(Records *records, DWORD_PTR context);
    template <class Records>
    using IdResultCallback = void (*)(int requestId, Records *records, DWORD_PTR context);
    typedef void (*RawCallback)(VARIANT *names, VARIANT *numbers, DWORD_PTR context, int reserved);
    typedef void (*IdRawCallback)(int requestId, VARIANT *names, VARIANT *numbers, DWORD_PTR context, int reserved);
    typedef void (*RawNumbersCallback)(VARIANT *numbers, DWORD_PTR context);
    typedef void (*IdRawNumbersCallback)(int requestId, VARIANT *numbers, DWORD_PTR context);

    BOOL RegisterProgramInfoCallback(int id, ResultCallback<const ProgramLoadResult> cb, DWORD_PTR context);
    BOOL RegisterProgramInfoCallbackWithId(int id, IdResultCallback<const ProgramLoadResult> cb, DWORD_PTR context);
    BOOL RegisterSectionsCallback(int id, ResultCallback<CSectionTagArray> cb, DWORD_PTR context);
    BOOL RegisterSectionsCallbackWithId(int id, IdResultCallback<CSectionTagArray> cb, DWORD_PTR context);
    BOOL RegisterSourceFilesCallback(int id, ResultCallback<CSourceFileTagArray> cb, DWORD_PTR context);
    BOOL RegisterSourceFilesCallbackWithId(int id, IdResultCallback<CSourceFileTagArray> cb, DWORD_PTR context);
    BOOL RegisterFunctionsCallback(int id, ResultCallback<CFunctionTagArray> cb, DWORD_PTR context);
    BOOL RegisterFunctionsCallbackWithId(int id, IdResultCallback<CFunctionTagArray> cb, DWORD_PTR context);
    BOOL RegisterSourceLinesCallback(int id, ResultCallback<CSourceLineTagArray> cb, DWORD_PTR context);
    BOOL RegisterSourceLinesCallbackWithId(int id, IdResultCallback<CSourceLineTagArray> cb, DWORD_PTR context);
    BOOL RegisterVariablesCallback(int id, ResultCallback<CVariableTagArray> cb, DWORD_PTR context);
    BOOL RegisterVariablesCallbackWithId(int id, IdResultCallback<CVariableTagArray> cb, DWORD_PTR context);
    BOOL RegisterVariablesRawCallback(int id, RawCallback cb, DWORD_PTR context);
    BOOL RegisterVariablesRawCallbackWithId(int id, IdRawCallback cb, DWORD_PTR context);
    BOOL RegisterMembersCallback(int id, ResultCallback<CMemberTagArray> cb, DWORD_PTR context);
    BOOL RegisterMembersCallbackWithId(int id, IdResultCallback<CMemberTagArray> cb, DWORD_PTR context);
    BOOL RegisterMembersRawCallback(int id, RawCallback cb, DWORD_PTR context);
    BOOL RegisterMembersRawCallbackWithId(int id, IdRawCallback cb, DWORD_PTR context);
    BOOL RegisterLifetimeCallback(int id, ResultCallback<CLifetimeTagArray> cb, DWORD_PTR context);
    BOOL RegisterLifetimeCallbackWithId(int id, IdResultCallback<CLifetimeTagArray> cb, DWORD_PTR context);
    BOOL RegisterLifetimeRawCallback(int id, RawNumbersCallback cb, DWORD_PTR context);
    BOOL RegisterLifetimeRawCallbackWithId(int id, IdRawNumbersCallback cb, DWORD_PTR context);
    BOOL RegisterLabelsCallback(int id, ResultCallback<CLabelTagArray> cb, DWORD_PTR context);
    BOOL RegisterLabelsCallbackWithId(int id, IdResultCallback<CLabelTagArray> cb, DWORD_PTR context);
    BOOL RegisterRegisterMapCallback(int id, ResultCallback<CRegisterMapTagArray> cb, DWORD_PTR context);
    BOOL RegisterRegisterMapCallbackWithId(int id, IdResultCallback<CRegisterMapTagArray> cb, DWORD_PTR context);
    BOOL RegisterVarEdVariablesCallback(int id, ResultCallback<CVarEdTagArray> cb, DWORD_PTR context);
    BOOL RegisterVarEdVariablesCallbackWithId(int id, IdResultCallback<CVarEdTagArray> cb, DWORD_PTR context);
    BOOL RegisterLocationCallback(int id, ResultCallback<LocationTag> cb, DWORD_PTR context);
    BOOL RegisterLocationCallbackWithId(int id, IdResultCallback<LocationTag> cb, DWORD_PTR context);

    // Stores the tag under the id, replacing an earlier one, and delivers at once when the
    // request is already finished. FALSE for the id 0.
    BOOL AddRequest(int requestId, const SymbolRequestTag &tag);

    // A notice of the request window: delivers request `requestId` when it is pending,
    // keeps the notice when the request is this client's and not registered yet.
    LRESULT OnRequestMessage(WPARAM wParam, LPARAM lParam);

    // Location texts, installation and help.

    // The display text of a location descriptor; answers what ParseLocationDescriptor
    // answers, and leaves `text` empty when that is FALSE.
    static int FormatLocationText(LPCSTR descriptor, CString &text);
    // The "Path" and "HelpPath" values of the host's key under HKEY_LOCAL_MACHINE; the
    // help path falls back to the installation path's "Help" folder.
    static BOOL GetInstallPath(CString &path);
    static BOOL GetHelpPath(CString &path);
    // The help file of the calling module: the module's path with the extension "HLP",
    // beside the module or in the help folder; FALSE when there is none.
    static BOOL FindHelpFile(CString &path);
    // Opens the module's help at `contextId`, or its contents for -1 or when the context
    // is not found. NULL owner: the calling thread's active window, the one the user works
    // in (the foreground window may be another thread's).
    static BOOL ShowHelp(int contextId, HWND owner = nullptr);

protected:
    // The ready event, on the server's thread: handed over to the request window.
    void OnSymbolProcReadyState(int requestId) override;

private:
    template <class Method, class... Args>
    int Submit(Method method, int requester, Args... args);
    void KeepResult(HRESULT hr);
    void NoCallPossible() { m_nLastError = -1; }
    HWND EnsureRequestWindow();
    void DestroyRequestWindow();
    void ProcessRequest(int requestId);
    void ForgetFetched(int requestId, HRESULT hr);
    void Deliver(int requestId, const SymbolRequestTag &tag);
    void DeliverLoad(int requestId, const SymbolRequestTag &tag);
    void DeliverRaw(int requestId, const SymbolRequestTag &tag);
    template <class Records>
    void DeliverRecords(int requestId, const SymbolRequestTag &tag, BOOL (CSymbolProcessing::*fetch)(int, Records &));
    template <class Records>
    BOOL FetchRecords(int requestId, Records &records, HRESULT (STDMETHODCALLTYPE IQelSymbol::*get)(int, VARIANT *, VARIANT *));
    template <class Records>
    BOOL FetchNumbers(int requestId, Records &records, HRESULT (STDMETHODCALLTYPE IQelSymbol::*get)(int, VARIANT *));

    CComPtr<IQelSymbol> m_pSymbol;
    CControllerInfoHolder m_controllerInfo;
    UINT m_nRequestMessage;
    CMap<int, int, SymbolRequestTag, SymbolRequestTag &> m_requests;
    CComPtr<IUnknown> m_pServerObject;
    int m_nLastError = 0;
    BOOL m_bEventMode;
    CRequestWindow *m_pRequestWindow = nullptr;
    ErrorCallback m_pErrorCallback = nullptr;
    DWORD_PTR m_errorContext = 0;

    // The ids the server gave this client and that are not delivered yet, the notices
    // that came before their registration, and what each load was asked for.
    std::set<int> m_issued;
    std::set<int> m_notified;
    CMap<int, int, ProgramLoadResult, ProgramLoadResult &> m_loads;

    // What a delivery needs after its callback, which may destroy the client: whether
    // the client lives on, how many deliveries are under way, and the request windows
    // destroyed meanwhile, whose objects wait for the last delivery to end (their
    // handlers are among them). Each delivery holds it, so it outlives the client.
    struct DeliveryState {
        bool clientAlive = true;
        int delivering = 0;
        std::vector<CRequestWindow *> retiredWindows;
    };
    std::shared_ptr<DeliveryState> m_delivery = std::make_shared<DeliveryState>();

    // The window the ready events are posted to; read on the server's thread.
    std::mutex m_noticeLock;
    HWND m_hNoticeWindow = nullptr;
};
