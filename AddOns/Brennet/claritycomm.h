// CClarityComm: the link to the X32 CASE tool, a pair of DDE conversations. The add-on
// is a client of the tool's service "wxedt" (topic "DEBUGTOPIC"), to which it sends
// positions and breakpoints as execute strings; the tool is a client of the add-on's
// service "xdebug" (topic "XDEBUGTOPIC"), on which it asks for breakpoints, run control
// and watch entries.
//
// The state of the link is the module's, so there is one X32 link per process: while one
// link is connected, another one's Connect answers 0 and changes nothing. The DDE
// callbacks come on the thread that connected, from its message loop.
//
// A tool's request, or the tool's end, may lead to the link being switched off or let go
// before its DDE callback returns: the link is closed at once (its service name gone,
// its state free for the next link), while its DDE instance ends, and Destroy deletes
// the link, from the message loop once the callback has returned.
#pragma once

#include "casetoolcomm.h"

class CClarityComm : public CCaseToolComm {
public:
    CClarityComm() = default;
    ~CClarityComm() override;

    BOOL Connect(LPCSTR toolPath, IUnknown *debugServer, CQelDiagHelper *diagnostics) override;
    void Disconnect() override;
    BOOL ShowPosition(DWORD valid, LPCSTR sourceFile, DWORD line) override;
    BOOL SetBreakpoint(LPCSTR sourceFile, DWORD line, BOOL enabled) override;
    BOOL RemoveAllBreakpoints() override;
    BOOL SetRunState(DWORD state) override;
    BOOL IsConnected() override;
    BOOL ShowValue(LPCSTR name, const VARIANT &value) override;

    // Carries out an execute string from the tool (at most 511 bytes of `data` are read,
    // up to its first zero).
    void Receive(const BYTE *data, DWORD size);

private:
    friend class ClarityCallbacks;
    bool Owns() const;
    BOOL Send(const CString &text);
    void StartTool(LPCSTR toolPath);
};
