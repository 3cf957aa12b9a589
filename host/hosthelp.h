// The host's help viewer: it takes the WinHelp calls of the process and records them, so
// tests see which help file and topic a server asked for.
#pragma once

#include <windows.h>

#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace QelHost {

struct HelpCall {
    HWND owner;
    std::string helpFile;
    UINT command;
    ULONG_PTR data;
};

// While an object lives it is the process's help viewer. A context topic is shown only
// when its id was made known (AddContext); the contents always are.
class HostHelp {
public:
    HostHelp();
    ~HostHelp();
    HostHelp(const HostHelp &) = delete;
    HostHelp &operator=(const HostHelp &) = delete;

    void AddContext(ULONG_PTR contextId);
    std::vector<HelpCall> Calls() const;

private:
    static BOOL Show(HWND owner, LPCSTR helpFile, UINT command, ULONG_PTR data);

    mutable std::mutex m_lock;
    std::set<ULONG_PTR> m_contexts;
    std::vector<HelpCall> m_calls;
};

} // namespace QelHost
