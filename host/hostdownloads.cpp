#include "hostdownloads.h"

namespace QelHost {

void HostDownloads::AddAnnouncement(DWORD blockCount, DWORD byteCount, DWORD programId)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_announcements.push_back({blockCount, byteCount, programId});
}

HRESULT HostDownloads::AddBlock(DWORD start, DWORD length, const BYTE *data, DWORD kind, DWORD programId)
{
    if (data == nullptr && length != 0)
        return E_POINTER;
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_refusing) {
        if (m_stillTaken == 0)
            return E_FAIL;
        --m_stillTaken;
    }
    m_blocks.push_back({start, std::vector<BYTE>(data, data + length), kind, programId});
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

void HostDownloads::RefuseAfter(size_t count)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_refusing = true;
    m_stillTaken = count;
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
