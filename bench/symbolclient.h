// A requester of the symbol server, as the debugger is one: libKorvex.so registered and
// its symbol server carried by a host debug-server object, started in the host's order,
// a program loaded through IQelSymbol::LoadFile, then requests through IQelSymbol and
// their answers fetched with the Get methods and unpacked as the server's clients unpack
// them. A request is synchronous (requester 0) or answered by the "QELSYMBOLREQUEST"
// message posted to a window of the calling thread, which waits for it in its message
// loop.
//
// Every call is made on the thread that started the client.
#pragma once

#include <debugserver.h>
#include <qelsymbol.h>
#include <tagrecords.h>

#include "qelhostsession.h"

#include <memory>
#include <string>

namespace qelbench {

enum class Requester { Synchronous, Window };

class SymbolClient {
public:
    SymbolClient() = default;
    ~SymbolClient();
    SymbolClient(const SymbolClient &) = delete;
    SymbolClient &operator=(const SymbolClient &) = delete;

    // Starts the symbol server and loads `program` as program 1 synchronously; false,
    // with the reason in failure(), when either fails. The symbol database that the load
    // built or reused in databasePath().
    bool Start(const std::string &program);
    const std::string &failure() const { return m_failure; }
    const std::string &databasePath() const { return m_databasePath; }

    // The records of one request, fetched and unpacked; -1, with the reason in failure(),
    // when the request, its fetch or its unpacking fails.
    int FunctionByAddress(Requester requester, LONG mode, LONG value, CArray<FunctionTag, FunctionTag &> &records);
    int SourceLineRangesByAddress(Requester requester, LONG mode, LONG value,
                                  CArray<SourceLineTag, SourceLineTag &> &records);
    int MembersOfType(Requester requester, LONG typeIndex, CArray<MemberTag, MemberTag &> &records);
    int LocalsInScope(Requester requester, LONG mode, LONG value, const char *name,
                      CArray<VariableTag, VariableTag &> &records);
    int VariablesInScope(Requester requester, LONG mode, LONG value, const char *name,
                         CArray<VariableTag, VariableTag &> &records);
    int BreakpointDescription(Requester requester, LONG mode, LONG value, CArray<LabelTag, LabelTag &> &records);
    int BreakpointAddresses(Requester requester, const std::string &descriptor,
                            CArray<LabelTag, LabelTag &> &records);
    // One location, which always comes when the request succeeds: 1, or -1.
    int Location(Requester requester, LONG mode, LONG value, LocationTag &location);

private:
    bool Fail(const std::string &what, HRESULT hr);
    // The requester value for `requester`.
    int RequesterValue(Requester requester) const;
    // After a request method: waits for the window's notice when the request went to the
    // window; false when the request was refused.
    bool Submitted(const char *method, HRESULT hr, Requester requester, int request);
    // After a request method: waits for the answer as Submitted does, then fetches it
    // with the Get method `get` and unpacks it into `records`, as Get methods pass them.
    template <class Get, class Records>
    int Fetch(const char *method, HRESULT submitted, Requester requester, int request, Get get, Records &records);
    void Stop();

    std::string m_failure;
    std::string m_databasePath;
    bool m_comStarted = false;
    std::unique_ptr<QelHost::HostServices> m_services;
    void *m_library = nullptr;
    std::shared_ptr<QelHost::HostReports> m_reports;
    QelHost::Debugger m_debugger{"QelSymbol", nullptr, nullptr};
    bool m_debuggerMade = false;
    CComPtr<IStorage> m_workspace;
    CComPtr<IUnknown> m_guiServer;
    CComPtr<IQelSymbol> m_symbol;
    HWND m_window = nullptr;
};

} // namespace qelbench
