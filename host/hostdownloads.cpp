#include "hostdownloads.h"

namespace QelHost {

void HostDownloads::AddAnnouncement(DWORD blockCount, DWORD byteCount, DWORD programId)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_announcements.push_back({blockCount, byteCount, programId});
    m_announced = byteCount;
    m_taken = 0;
    m_inProgress = byteCount != 0;
}

bool HostDownloads::TakesAnotherBlock()
{
    if (!m_refusing)
        return true;
    if (m_stillTaken == 0)
        return false;
    --m_stillTaken;
    return true;
}

HRESULT HostDownloads::AddBlock(DWORD start, DWORD length, const BYTE *data, DWORD kind, DWORD programId)
{
    std::vector<ProgressWindow> windows;
    DWORD taken = 0;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (!TakesAnotherBlock())
            return E_FAIL;
        // A block without bytes reserves its range: the engine sends one for a code
        // section whose contents do not fit it.
        m_blocks.push_back({start, data != nullptr ? std::vector<BYTE>(data, data + length) : std::vector<BYTE>(),
                            kind, programId});
        m_taken = m_taken + length < m_taken ? 0xFFFFFFFF : m_taken + length;
        if (m_taken >= m_announced)
            m_inProgress = false;
        taken = m_taken;
        windows = m_progressWindows;
    }
    // Posted with no lock held; a window that has gone is dropped afterwards.
    for (const ProgressWindow &each : windows) {
        if (!PostMessageA(each.window, each.message, 1, static_cast<LPARAM>(taken)))
            RegisterProgressWindow(each.message, false, each.window);
    }
    return S_OK;
}

void HostDownloads::RegisterProgressWindow(UINT message, bool reg, HWND window)
{
    std::lock_guard<std::mutex> hold(m_lock);
    for (auto it = m_progressWindows.begin(); it != m_progressWindows.end(); ++it) {
        if (it->message == message && it->window == window) {
            if (!reg)
                m_progressWindows.erase(it);
            return;
        }
    }
    if (reg && window != nullptr)
        m_progressWindows.push_back({message, window});
}

size_t HostDownloads::ProgressWindows() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_progressWindows.size();
}

DWORD HostDownloads::DownloadTotal() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_inProgress ? m_announced : 0;
}

void HostDownloads::OfferSecondSource(bool offered)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_secondSource = offered;
}

bool HostDownloads::SecondSourceOffered() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_secondSource;
}

HRESULT HostDownloads::AddMemoryWrite(DWORD start, DWORD target, DWORD length, const BYTE *data, DWORD memoryType,
                                      DWORD programId)
{
    if (data == nullptr && length != 0)
        return E_POINTER;
    std::lock_guard<std::mutex> hold(m_lock);
    if (!TakesAnotherBlock())
        return E_FAIL;
    m_memoryWrites.push_back({start, target, std::vector<BYTE>(data, data + length), memoryType, programId});
    return S_OK;
}

std::vector<HostDownloadAnnouncement> HostDownloads::Announcements() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_announcements;
}

std::vector<HostDownloadBlock> HostDownloads::Blocks() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_blocks;
}

std::vector<HostMemoryWrite> HostDownloads::MemoryWrites() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_memoryWrites;
}

void HostDownloads::RefuseAfter(size_t count)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_refusing = true;
    m_stillTaken = count;
}

void HostDownloads::AddStartAddress(LONG id, DWORD address, DWORD address2, DWORD reserved)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_startAddresses.push_back({id, address, address2, reserved});
}

std::vector<HostStartAddress> HostDownloads::StartAddresses() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_startAddresses;
}

void HostDownloads::AddForgottenSection(LONG id)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_forgottenSections.push_back(id);
}

std::vector<LONG> HostDownloads::ForgottenSections() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_forgottenSections;
}

void HostDownloads::AddEngineStop()
{
    std::lock_guard<std::mutex> hold(m_lock);
    ++m_engineStops;
}

size_t HostDownloads::EngineStops() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_engineStops;
}

} // namespace QelHost
