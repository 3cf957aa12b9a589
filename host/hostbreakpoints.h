// The host's breakpoint list, kept from the breakpoint commands that the servers send
// (group CGID_QelHostBreakpoints, first value VT_UI4 2: set 3, enable or disable 5,
// remove 2; then VT_BOOL enabled, the name, and the labels' triples of mode, value and
// third word). A breakpoint is known by the address value of its first label. After each
// change the host tells the symbol server the whole list with its command 16.
#pragma once

#include <variantarray.h>

#include <mutex>
#include <string>
#include <vector>

namespace QelHost {

struct HostBreakpoint {
    DWORD address;
    bool enabled;
    std::string name;
};

class HostBreakpointList {
public:
    enum : DWORD { kCmdRemove = 2, kCmdSet = 3, kCmdEnable = 5 };
    enum : DWORD { kCmdBreakpointsChanged = 16 }; // of the symbol server's group

    // Applies the command; TRUE when it changed the list. Any other command, or one whose
    // values are not of the list's form, changes nothing.
    bool Apply(DWORD id, VARIANT *in);
    std::vector<HostBreakpoint> Entries() const;
    // Command 16's inputs: the count, then the address, the enabled flag (1 or 0) and the
    // name of each breakpoint. CMemoryException when they cannot be made.
    void ChangedInputs(CVariantArray &values) const;

private:
    mutable std::mutex m_lock;
    std::vector<HostBreakpoint> m_entries;
};

} // namespace QelHost
