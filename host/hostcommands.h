// The commands that the host's debug-server object receives at its IOleCommandTarget,
// each with a copy of its input and, once it has run, its result, in the order they
// came.
//
// One record may be shared by several debug-server objects. Tests and qelhost look at it;
// all of it may be used from any thread.
#pragma once

#include <atlbase.h>

#include <mutex>
#include <vector>

namespace QelHost {

struct HostCommand {
    GUID group; // GUID_NULL when the command came without one
    DWORD id;
    // A deep copy: arrays and their VARIANTs copied, references followed. VT_EMPTY when
    // no input came; VT_ERROR with the failure when the input could not be copied.
    CComVariant input;
    // The command's answer, once `answered`.
    HRESULT result = S_OK;
    bool answered = false;
};

class HostCommands {
public:
    // The record's number, for SetResult.
    size_t Add(const GUID *group, DWORD id, const VARIANT *input);
    void SetResult(size_t number, HRESULT result);
    std::vector<HostCommand> Commands() const;
    // How many came, without copying them.
    size_t Count() const;

private:
    mutable std::mutex m_lock;
    std::vector<HostCommand> m_commands;
};

} // namespace QelHost
