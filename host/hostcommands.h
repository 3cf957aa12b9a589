// The commands that the host's debug-server object receives at its IOleCommandTarget,
// each with a copy of its input and, once it has run, its result, in the order they
// came.
//
// One record may be shared by several debug-server objects. Tests and qelhost look at it;
// all of it may be used from any thread.
#pragma once

#include <atlbase.h>

#include <cstdint>
#include <deque>
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
    // How many of the commands numbered `first` to before `last` (at most the end) have
    // that group and id, without copying them: a caller that waits for commands counts
    // each once.
    size_t CountOf(const GUID &group, DWORD id, size_t first = 0, size_t last = SIZE_MAX) const;

private:
    mutable std::mutex m_lock;
    // A deque, so that the record grows without copying what it holds: a CComVariant
    // moves only by a deep copy, and the inputs hold whole arrays.
    std::deque<HostCommand> m_commands;
};

} // namespace QelHost
