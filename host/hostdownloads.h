// What the host's target-pattern interface receives: the announcements of downloads and
// every block, with a copy of its bytes, and the symbol engine's notices that it stopped.
//
// One record may be shared by several debug-server objects. Tests look at it, and may
// make the host refuse blocks, as a host does whose target will not take them. All of it
// may be used from any thread.
#pragma once

#include <ole2.h>

#include <mutex>
#include <vector>

namespace QelHost {

struct HostDownloadAnnouncement {
    DWORD blockCount;
    DWORD byteCount;
    DWORD programId;
};

struct HostDownloadBlock {
    DWORD start;
    std::vector<BYTE> bytes;
    DWORD kind;
    DWORD programId;
};

class HostDownloads {
public:
    void AddAnnouncement(DWORD blockCount, DWORD byteCount, DWORD programId);
    // Records the block and answers S_OK, or E_FAIL (and records nothing) for a block
    // that the host refuses.
    HRESULT AddBlock(DWORD start, DWORD length, const BYTE *data, DWORD kind, DWORD programId);

    std::vector<HostDownloadAnnouncement> Announcements() const;
    std::vector<HostDownloadBlock> Blocks() const;

    // From now on the host takes `count` more blocks and refuses every one after them.
    void RefuseAfter(size_t count);

    // A symbol engine told the host that it has stopped (slot 7).
    void AddEngineStop();
    size_t EngineStops() const;

private:
    mutable std::mutex m_lock;
    std::vector<HostDownloadAnnouncement> m_announcements;
    std::vector<HostDownloadBlock> m_blocks;
    bool m_refusing = false;
    size_t m_stillTaken = 0;
    size_t m_engineStops = 0;
};

} // namespace QelHost
