// For tests of the symbol-request client: a symbol server of the tests' own that keeps
// the server's protocol. A query gives its request id at once; a request with a window
// requester is finished by the double's worker thread, which posts "QELSYMBOLREQUEST"
// (wParam the group, lParam the id); one marked for events (requester -1) is finished
// there too and fires FireSymbolProcReadyState to every connected sink on that thread; a
// synchronous one (requester 0) is finished before the call returns and its id has bit
// 31 set. A Get method hands out the finished request of its group in the transfer
// arrays and deletes it. The double is also the host's debug-server object as far as the
// client sees it: its holder interface leads to the controller information, and once a
// test sets the VarEd state (SetVarEdState) it answers IQelSymbSrv::Synchronize for it.
//
// A test answers either with fixed records per group (Answers) or, for tests of code that
// asks by name or scope, through an answerer (SetAnswerer) that gets each request's code
// and arguments and gives the records of that request alone.
#pragma once

#include <atlbase.h>
#include <debugserver.h>
#include <qelsymbol.h>
#include <qelsymbsrv.h>
#include <tagtransfer.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The records that the double answers with, per group; the status a code finishes with.
struct TestSymbolAnswers {
    CArray<SectionTag, SectionTag &> sections;
    CArray<SourceFileTag, SourceFileTag &> sourceFiles;
    CArray<FunctionTag, FunctionTag &> functions;
    CArray<VariableTag, VariableTag &> variables;
    CArray<MemberTag, MemberTag &> members;
    CArray<LifetimeTag, LifetimeTag &> lifetimes;
    CArray<LabelTag, LabelTag &> labels;
    CArray<RegisterMapTag, RegisterMapTag &> registerMap;
    CArray<VarEdTag, VarEdTag &> varEd;
    LocationTag location;
    std::map<int, LONG> statusByCode; // 0 when not named
};

// Fills `answers` with the records of one request: its code and the arguments of its
// method as texts, in the method's order, as Calls() shows them (an address is one
// argument "mode:value"). Called on the thread that finishes the request, under the
// double's lock: it must not call the double.
using TestSymbolAnswerer =
    std::function<void(int code, const std::vector<std::string> &arguments, TestSymbolAnswers &answers)>;

#define QEL_TEST_NOTIMPL(name, ...) \
    STDMETHODIMP name(__VA_ARGS__) override { return E_NOTIMPL; }

class CTestSymbolServer : public CComObjectRootEx<CComMultiThreadModel>,
                          public IQelSymbol,
                          public IQelSymbSrv,
                          public IConnectionPointContainerImpl<CTestSymbolServer>,
                          public IConnectionPointImpl<CTestSymbolServer, &DIID__SymProcEvents> {
public:
    BEGIN_COM_MAP(CTestSymbolServer)
        COM_INTERFACE_ENTRY(IQelSymbol)
        COM_INTERFACE_ENTRY(IConnectionPointContainer)
        {&IID_IQelHostHolder, &CTestSymbolServer::QueryHost},
        {&IID_IQelSymbSrv, &CTestSymbolServer::QuerySymbSrv},
    END_COM_MAP()
    BEGIN_CONNECTION_POINT_MAP(CTestSymbolServer)
        CONNECTION_POINT_ENTRY(DIID__SymProcEvents)
    END_CONNECTION_POINT_MAP()

    HRESULT FinalConstruct()
    {
        m_worker = std::thread([this] { Work(); });
        return S_OK;
    }
    void FinalRelease()
    {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_stop = true;
        }
        m_wake.notify_all();
        m_worker.join();
        for (auto &entry : m_finished)
            entry.second.Free();
    }

    // From now on IQelSymbSrv is offered, and Synchronize (SYF_GET_VARED) answers `on`.
    void SetVarEdState(bool on)
    {
        m_offersSymbSrv = true;
        m_varEd = on;
    }
    // The host object behind the holder interface; none: the client finds no controller.
    void SetHost(IUnknown *host) { m_host = host; }
    TestSymbolAnswers &Answers() { return m_answers; }
    // Requests made after this are answered by `answerer` instead (none: by Answers()).
    void SetAnswerer(TestSymbolAnswerer answerer)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_answerer = std::move(answerer);
    }
    // The next query answers `hr` and makes no request.
    void FailNextQuery(HRESULT hr) { m_failNext = hr; }
    // The worker waits before it finishes anything until Release is called.
    void HoldWorker(bool hold)
    {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_held = hold;
        }
        m_wake.notify_all();
    }
    // Waits until the worker has finished (and announced) everything queued.
    bool WaitUntilIdle()
    {
        std::unique_lock<std::mutex> lock(m_lock);
        return m_idle.wait_for(lock, std::chrono::seconds(5), [this] { return m_queue.empty() && !m_busy; });
    }
    // Requests queued or finished and not fetched or deleted. A request being announced is
    // already among the finished ones, so the announcement itself counts for nothing.
    size_t Outstanding()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_queue.size() + m_finished.size();
    }
    std::vector<std::string> Calls()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_calls;
    }
    // Forgets the calls made so far (a long-running user would collect them without end).
    void ClearCalls()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_calls.clear();
    }
    std::thread::id WorkerThread() const { return m_worker.get_id(); }
    // The program-information object that a successful load hands out.
    void SetProgramInfo(IUnknown *info) { m_programInfo = info; }

    // IDispatch and IQelControllerInfo: the symbol server serves none of them.
    QEL_TEST_NOTIMPL(GetTypeInfoCount, UINT *)
    QEL_TEST_NOTIMPL(GetTypeInfo, UINT, LCID, ITypeInfo **)
    QEL_TEST_NOTIMPL(GetIDsOfNames, REFIID, LPOLESTR *, UINT, LCID, DISPID *)
    QEL_TEST_NOTIMPL(Invoke, DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *, UINT *)
    QEL_TEST_NOTIMPL(LoadSFRegisters, BSTR)
    QEL_TEST_NOTIMPL(UnloadSFRegisters)
    QEL_TEST_NOTIMPL(ControllerName, BSTR *)
    QEL_TEST_NOTIMPL(ControllerDatabase, BSTR *)
    QEL_TEST_NOTIMPL(SFRegisters, VARIANT *)
    QEL_TEST_NOTIMPL(SFRegister, BSTR, VARIANT *)
    QEL_TEST_NOTIMPL(SFRegisterAddress, BSTR, ULONG *)
    QEL_TEST_NOTIMPL(SFRegisterName, ULONG, LONG, BSTR *)
    QEL_TEST_NOTIMPL(SFRegisterBit, ULONG, LONG, LONG, BSTR *)
    QEL_TEST_NOTIMPL(CreateICRegisterList, VARIANT *)
    QEL_TEST_NOTIMPL(WordSize, LONG *)
    QEL_TEST_NOTIMPL(MaxAddressMask, ULONG *)
    QEL_TEST_NOTIMPL(CoreType, LONG *)
    QEL_TEST_NOTIMPL(CoreRegisters, VARIANT *)
    QEL_TEST_NOTIMPL(SFRBlocks, VARIANT *)
    QEL_TEST_NOTIMPL(SFRsByBlock, BSTR, VARIANT *)
    QEL_TEST_NOTIMPL(SFRegisterRR, LONG, ULONG *, ULONG *)
    QEL_TEST_NOTIMPL(SystemStackBounds, ULONG *, ULONG *)
    QEL_TEST_NOTIMPL(DefaultSystemPage, LONG *)

    // IQelSymbSrv: only the VarEd state.
    QEL_TEST_NOTIMPL(GetVersion, BSTR *)
    QEL_TEST_NOTIMPL(GetErrorInfo, BSTR *)
    QEL_TEST_NOTIMPL(Init, IUnknown *, IUnknown *)
    QEL_TEST_NOTIMPL(RestoreSettings)
    QEL_TEST_NOTIMPL(Cleanup)
    QEL_TEST_NOTIMPL(StoreSettings)
    STDMETHODIMP Synchronize(tagSynchronizeFunction function, IUnknown **value) override
    {
        if (value == nullptr)
            return E_POINTER;
        if (function != SYF_GET_VARED)
            return E_NOTIMPL;
        // A number, as the symbol server gives it: no interface.
        *value = reinterpret_cast<IUnknown *>(static_cast<INT_PTR>(m_varEd ? 1 : 0));
        return S_OK;
    }

    // The queries the tests use; the others are not offered.
    STDMETHODIMP LoadFile(BSTR bsFile, LONG nProgramID, LONG, int *pnRequest) override
    {
        return Query(2000, "LoadFile", {Text(bsFile), std::to_string(nProgramID)}, pnRequest);
    }
    STDMETHODIMP GetProgramInfo(int nRequest, IUnknown **ppUnkProgramInfo) override
    {
        *ppUnkProgramInfo = nullptr;
        Finished done;
        HRESULT hr = Take(nRequest, 2000, done);
        if (hr == S_OK) {
            *ppUnkProgramInfo = done.info.Detach();
        }
        return hr;
    }
    QEL_TEST_NOTIMPL(UnloadFile, LONG, int *)
    QEL_TEST_NOTIMPL(GetState, int, LONG *)
    QEL_TEST_NOTIMPL(DefineCodeSection, BSTR, VARIANT *, int *)
    QEL_TEST_NOTIMPL(UndefineCodeSection, BSTR, int *)
    STDMETHODIMP Sections(int *pnRequest) override { return Query(0, "Sections", {}, pnRequest); }
    QEL_TEST_NOTIMPL(SectionByName, BSTR, int *)
    STDMETHODIMP SectionByAddress(LONG mode, LONG value, int *pnRequest) override
    {
        return Query(2, "SectionByAddress", {Address(mode, value)}, pnRequest);
    }
    STDMETHODIMP GetSections(int nRequest, VARIANT *vsNames, VARIANT *vnValues) override
    {
        return Fetch(nRequest, 0, vsNames, vnValues);
    }
    STDMETHODIMP SourceFiles(int *pnRequest) override { return Query(100, "SourceFiles", {}, pnRequest); }
    QEL_TEST_NOTIMPL(SourceFileByPath, BSTR, int *)
    QEL_TEST_NOTIMPL(SourceFileByAddress, LONG, LONG, int *)
    QEL_TEST_NOTIMPL(SourceLineRangesByAddress, LONG, LONG, int *)
    STDMETHODIMP GetSourceFiles(int nRequest, VARIANT *vsNames, VARIANT *vnValues) override
    {
        return Fetch(nRequest, 100, vsNames, vnValues);
    }
    STDMETHODIMP Functions(int *pnRequest) override { return Query(200, "Functions", {}, pnRequest); }
    QEL_TEST_NOTIMPL(FunctionByName, BSTR, int *)
    STDMETHODIMP FunctionByAddress(LONG mode, LONG value, int *pnRequest) override
    {
        return Query(202, "FunctionByAddress", {Address(mode, value)}, pnRequest);
    }
    QEL_TEST_NOTIMPL(FunctionsOfSourceFile, BSTR, int *)
    STDMETHODIMP GetFunctions(int nRequest, VARIANT *vsNames, VARIANT *vnValues) override
    {
        return Fetch(nRequest, 200, vsNames, vnValues);
    }
    QEL_TEST_NOTIMPL(SourceLinesOfSourceFile, BSTR, int *)
    QEL_TEST_NOTIMPL(GetSourceLines, int, VARIANT *)
    STDMETHODIMP Globals(BSTR bsName, BSTR bsPathName, int *pnRequest) override
    {
        return Query(401, "Globals", {Text(bsName), Text(bsPathName)}, pnRequest);
    }
    QEL_TEST_NOTIMPL(GlobalsInScope, LONG, LONG, BSTR, int *)
    STDMETHODIMP Statics(BSTR bsName, BSTR bsPathName, int *pnRequest) override
    {
        return Query(403, "Statics", {Text(bsName), Text(bsPathName)}, pnRequest);
    }
    QEL_TEST_NOTIMPL(StaticsInScope, LONG, LONG, BSTR, int *)
    STDMETHODIMP LocalsInScope(LONG mode, LONG value, BSTR bsName, int *pnRequest) override
    {
        return Query(405, "LocalsInScope", {Address(mode, value), Text(bsName)}, pnRequest);
    }
    STDMETHODIMP VariableWithScope(BSTR bsName, int *pnRequest) override
    {
        return Query(406, "VariableWithScope", {Text(bsName)}, pnRequest);
    }
    QEL_TEST_NOTIMPL(Parameters, LONG, LONG, int *)
    STDMETHODIMP VariableByIndex(LONG nIndex, int *pnRequest) override
    {
        return Query(408, "VariableByIndex", {std::to_string(nIndex)}, pnRequest);
    }
    STDMETHODIMP GetVariables(int nRequest, VARIANT *vsNames, VARIANT *vnValues) override
    {
        return Fetch(nRequest, 400, vsNames, vnValues);
    }
    STDMETHODIMP MembersOfType(LONG nTypeIndex, int *pnRequest) override
    {
        return Query(501, "MembersOfType", {std::to_string(nTypeIndex)}, pnRequest);
    }
    STDMETHODIMP Type(BSTR bsName, int *pnRequest) override { return Query(500, "Type", {Text(bsName)}, pnRequest); }
    STDMETHODIMP GetMembers(int nRequest, VARIANT *vsNames, VARIANT *vnValues) override
    {
        return Fetch(nRequest, 500, vsNames, vnValues);
    }
    STDMETHODIMP Lifetime(LONG nSymbolIndex, int *pnRequest) override
    {
        return Query(600, "Lifetime", {std::to_string(nSymbolIndex)}, pnRequest);
    }
    STDMETHODIMP GetLifetime(int nRequest, VARIANT *vnValues) override { return Fetch(nRequest, 600, nullptr, vnValues); }
    STDMETHODIMP DataLabel(BSTR bsName, int *pnRequest) override
    {
        return Query(701, "DataLabel", {Text(bsName)}, pnRequest);
    }
    STDMETHODIMP CodeLabel(BSTR bsName, int *pnRequest) override
    {
        return Query(700, "CodeLabel", {Text(bsName)}, pnRequest);
    }
    STDMETHODIMP StartupLabels(LONG nID, BSTR bsMain, BSTR bsEntry, int *pnRequest) override
    {
        return Query(702, "StartupLabels", {std::to_string(nID), Text(bsMain), Text(bsEntry)}, pnRequest);
    }
    STDMETHODIMP BreakpointDescription(LONG mode, LONG value, int *pnRequest) override
    {
        return Query(703, "BreakpointDescription", {Address(mode, value)}, pnRequest);
    }
    STDMETHODIMP BreakpointAddresses(LONG nID, BSTR bsDescription, int *pnRequest) override
    {
        return Query(704, "BreakpointAddresses", {std::to_string(nID), Text(bsDescription)}, pnRequest);
    }
    STDMETHODIMP GetLabels(int nRequest, VARIANT *vsNames, VARIANT *vnValues) override
    {
        return Fetch(nRequest, 700, vsNames, vnValues);
    }
    STDMETHODIMP RegisterMap(int *pnRequest) override { return Query(800, "RegisterMap", {}, pnRequest); }
    STDMETHODIMP GetRegisterMap(int nRequest, VARIANT *vsNames, VARIANT *vnValues) override
    {
        return Fetch(nRequest, 800, vsNames, vnValues);
    }
    STDMETHODIMP IsDatabase(LONG *pbResult) override
    {
        *pbResult = m_database;
        return S_OK;
    }
    STDMETHODIMP DeleteRequest(int nRequest) override
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_calls.push_back("DeleteRequest(" + std::to_string(nRequest) + ")");
        for (auto queued = m_queue.begin(); queued != m_queue.end(); ++queued) {
            if (queued->id == nRequest) {
                m_queue.erase(queued);
                return S_OK;
            }
        }
        auto found = m_finished.find(nRequest);
        if (found == m_finished.end())
            return 0x80044001;
        found->second.Free();
        m_finished.erase(found);
        return S_OK;
    }
    STDMETHODIMP FireRequestReady(int nRequest) override
    {
        CComVariant id(nRequest);
        DISPPARAMS params = {&id, nullptr, 1, 0};
        std::vector<IDispatch *> sinks;
        Lock();
        for (IUnknown **sink = m_vec.begin(); sink < m_vec.end(); sink++) {
            if (*sink != nullptr) {
                (*sink)->AddRef();
                sinks.push_back(reinterpret_cast<IDispatch *>(*sink));
            }
        }
        Unlock();
        for (IDispatch *sink : sinks) {
            sink->Invoke(DISPID_SYMPROC_READYSTATE, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
            sink->Release();
        }
        return S_OK;
    }
    STDMETHODIMP Location(LONG mode, LONG value, int *pnRequest) override
    {
        return Query(4000, "Location", {Address(mode, value)}, pnRequest);
    }
    STDMETHODIMP GetLocation(int nRequest, VARIANT *vsNames, VARIANT *vnValues) override
    {
        return Fetch(nRequest, 4000, vsNames, vnValues);
    }
    STDMETHODIMP VariablesInScope(LONG mode, LONG value, BSTR bsName, int *pnRequest) override
    {
        return Query(409, "VariablesInScope", {Address(mode, value), Text(bsName)}, pnRequest);
    }
    QEL_TEST_NOTIMPL(FirePatternWindowState, LONG, LONG, LONG)
    QEL_TEST_NOTIMPL(SourceFileLines, LONG, LONG, LONG, int *)
    QEL_TEST_NOTIMPL(VarEdMapping, LONG, int *)
    STDMETHODIMP VarEdVariables(int *pnRequest) override { return Query(900, "VarEdVariables", {}, pnRequest); }
    STDMETHODIMP GetVarEdVariables(int nRequest, VARIANT *vnValues) override
    {
        return Fetch(nRequest, 900, nullptr, vnValues);
    }

    LONG m_database = 1;

private:
    struct Queued {
        int id;
        int code;
        int requester;
        std::vector<std::string> arguments;
    };
    struct Finished {
        int group = 0;
        LONG status = 0;
        VARIANT names{};
        VARIANT numbers{};
        CComPtr<IUnknown> info;
        void Free()
        {
            FreeTransferVariant(&names);
            FreeTransferVariant(&numbers);
            info.Release();
        }
    };

    static std::string Text(BSTR text)
    {
        std::string out;
        for (UINT i = 0; i < SysStringLen(text); ++i)
            out += static_cast<char>(text[i]);
        return out;
    }
    static std::string Address(LONG mode, LONG value) { return std::to_string(mode) + ":" + std::to_string(value); }

    static HRESULT QuerySymbSrv(void *self, REFIID, void **ppv)
    {
        CTestSymbolServer *server = static_cast<CTestSymbolServer *>(self);
        *ppv = nullptr;
        if (!server->m_offersSymbSrv)
            return E_NOINTERFACE;
        IQelSymbSrv *symbSrv = server;
        symbSrv->AddRef();
        *ppv = symbSrv;
        return S_OK;
    }
    static HRESULT QueryHost(void *self, REFIID iid, void **ppv)
    {
        CTestSymbolServer *server = static_cast<CTestSymbolServer *>(self);
        *ppv = nullptr;
        return server->m_host ? server->m_host->QueryInterface(iid, ppv) : E_NOINTERFACE;
    }

    HRESULT Query(int code, const char *method, std::vector<std::string> arguments, int *pnRequest)
    {
        int requester = *pnRequest;
        std::string call = std::string(method) + "(";
        for (size_t i = 0; i < arguments.size(); ++i)
            call += (i > 0 ? "," : "") + arguments[i];
        std::unique_lock<std::mutex> lock(m_lock);
        m_calls.push_back(call + ") requester " + std::to_string(requester));
        if (m_failNext != S_OK) {
            HRESULT hr = m_failNext;
            m_failNext = S_OK;
            return hr;
        }
        int id = ++m_lastId;
        if (requester == 0) {
            *pnRequest = id | static_cast<int>(0x80000000u);
            m_finished[*pnRequest] = Finish(code, arguments);
            return S_OK;
        }
        m_queue.push_back({id, code, requester, std::move(arguments)});
        *pnRequest = id;
        lock.unlock();
        m_wake.notify_all();
        return S_OK;
    }

    // Runs under the lock.
    Finished Finish(int code, const std::vector<std::string> &arguments)
    {
        if (!m_answerer)
            return Finish(code, m_answers);
        TestSymbolAnswers answers;
        m_answerer(code, arguments, answers);
        return Finish(code, answers);
    }
    Finished Finish(int code, const TestSymbolAnswers &given)
    {
        Finished done;
        done.group = code / 100 * 100;
        auto status = given.statusByCode.find(code);
        done.status = status != given.statusByCode.end() ? status->second : 0;
        VariantInit(&done.names);
        VariantInit(&done.numbers);
        if (done.status != 0)
            return done;
        switch (done.group) {
        case 0: PackTagRecords(given.sections, &done.names, &done.numbers); break;
        case 100: PackTagRecords(given.sourceFiles, &done.names, &done.numbers); break;
        case 200: PackTagRecords(given.functions, &done.names, &done.numbers); break;
        case 400: PackTagRecords(given.variables, &done.names, &done.numbers); break;
        case 500: PackTagRecords(given.members, &done.names, &done.numbers); break;
        case 600: PackTagRecords(given.lifetimes, &done.numbers); break;
        case 700: PackTagRecords(given.labels, &done.names, &done.numbers); break;
        case 800: PackTagRecords(given.registerMap, &done.names, &done.numbers); break;
        case 900: PackTagRecords(given.varEd, &done.numbers); break;
        case 4000: PackTagRecords(given.location, &done.names, &done.numbers); break;
        case 2000: done.info = m_programInfo; break;
        default: break;
        }
        return done;
    }

    HRESULT Take(int id, int group, Finished &done)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        auto found = m_finished.find(id);
        if (found == m_finished.end() || found->second.group != group)
            return 0x80044001;
        done = found->second;
        m_finished.erase(found);
        if (done.status != 0) {
            HRESULT hr = static_cast<HRESULT>((done.status + 0x4000) | 0x80040000);
            done.Free();
            return hr;
        }
        return S_OK;
    }

    HRESULT Fetch(int id, int group, VARIANT *names, VARIANT *numbers)
    {
        if (names != nullptr)
            VariantInit(names);
        VariantInit(numbers);
        Finished done;
        HRESULT hr = Take(id, group, done);
        if (hr != S_OK)
            return hr;
        if (names != nullptr)
            *names = done.names;
        else
            FreeTransferVariant(&done.names);
        *numbers = done.numbers;
        return S_OK;
    }

    void Work()
    {
        UINT message = RegisterWindowMessage("QELSYMBOLREQUEST");
        std::unique_lock<std::mutex> lock(m_lock);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stop || (!m_held && !m_queue.empty()); });
            if (m_stop)
                return;
            Queued next = m_queue.front();
            m_queue.pop_front();
            m_busy = true;
            m_finished[next.id] = Finish(next.code, next.arguments);
            lock.unlock();
            if (next.requester == -1)
                FireRequestReady(next.id);
            else
                PostMessage(reinterpret_cast<HWND>(static_cast<INT_PTR>(next.requester)), message,
                            static_cast<WPARAM>(next.code / 100 * 100), static_cast<LPARAM>(next.id));
            lock.lock();
            m_busy = false;
            m_idle.notify_all();
        }
    }

    CComPtr<IUnknown> m_host;
    CComPtr<IUnknown> m_programInfo;
    TestSymbolAnswers m_answers;
    TestSymbolAnswerer m_answerer;
    HRESULT m_failNext = S_OK;
    bool m_offersSymbSrv = false;
    bool m_varEd = false;
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Queued> m_queue;
    std::map<int, Finished> m_finished;
    std::vector<std::string> m_calls;
    int m_lastId = 0;
    bool m_busy = false;
    bool m_held = false;
    bool m_stop = false;
    std::thread m_worker;
};

#undef QEL_TEST_NOTIMPL
