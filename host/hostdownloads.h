// What the host's target-pattern and extended memory interfaces receive: the
// announcements of downloads and every block, with a copy of its bytes, the start
// addresses announced, the code sections forgotten, and the symbol engine's notices that
// it stopped.
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

struct HostMemoryWrite {
    DWORD start;
    DWORD target;
    std::vector<BYTE> bytes;
    DWORD memoryType;
    DWORD programId;
};

struct HostStartAddress {
    LONG id;
    DWORD address;
    DWORD address2;
    DWORD reserved;
};

class HostDownloads {
public:
    void AddAnnouncement(DWORD blockCount, DWORD byteCount, DWORD programId);
    // Records the block and answers S_OK, or E_FAIL (and records nothing) for a block
    // that the host refuses. A block without data reserves its range: no bytes.
    HRESULT AddBlock(DWORD start, DWORD length, const BYTE *data, DWORD kind, DWORD programId);

    // A block written through the extended memory interface, answered as AddBlock; its
    // data must be given (E_POINTER).
    HRESULT AddMemoryWrite(DWORD start, DWORD target, DWORD length, const BYTE *data, DWORD memoryType,
                           DWORD programId);

    std::vector<HostDownloadAnnouncement> Announcements() const;
    std::vector<HostDownloadBlock> Blocks() const;
    std::vector<HostMemoryWrite> MemoryWrites() const;

    // From now on the host takes `count` more blocks, whichever way they are written, and
    // refuses every one after them.
    void RefuseAfter(size_t count);

    void AddStartAddress(LONG id, DWORD address, DWORD address2, DWORD reserved);
    std::vector<HostStartAddress> StartAddresses() const;
    // The ids of the code sections forgotten (slot 6), in order.
    void AddForgottenSection(LONG id);
    std::vector<LONG> ForgottenSections() const;

    // A symbol engine told the host that it has stopped (slot 7).
    void AddEngineStop();
    size_t EngineStops() const;

    // Progress windows (slot 11): after each block of slot 3 that the host takes, every
    // registered window is posted its message with code 1 and the bytes taken since the
    // last announcement; a window that has gone is dropped. A window registers once per
    // message.
    void RegisterProgressWindow(UINT message, bool reg, HWND window);
    size_t ProgressWindows() const;
    // The bytes announced for the download in progress (slot 14); 0 when none is.
    DWORD DownloadTotal() const;
    // Whether the debug-server object names a second source of its downloads (slot 13):
    // a test's switch.
    void OfferSecondSource(bool offered);
    bool SecondSourceOffered() const;

private:
    // Whether the host takes one more block, which then counts; under m_lock.
    bool TakesAnotherBlock();

    mutable std::mutex m_lock;
    std::vector<HostDownloadAnnouncement> m_announcements;
    std::vector<HostDownloadBlock> m_blocks;
    std::vector<HostMemoryWrite> m_memoryWrites;
    std::vector<HostStartAddress> m_startAddresses;
    std::vector<LONG> m_forgottenSections;
    bool m_refusing = false;
    size_t m_stillTaken = 0;
    size_t m_engineStops = 0;
    struct ProgressWindow {
        UINT message;
        HWND window;
    };
    std::vector<ProgressWindow> m_progressWindows;
    DWORD m_announced = 0;
    DWORD m_taken = 0;
    bool m_inProgress = false;
    bool m_secondSource = false;
};

} // namespace QelHost
