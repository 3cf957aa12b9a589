#include "hostmemory.h"

#include <algorithm>
#include <cstring>

namespace QelHost {

namespace {

constexpr uint64_t kSpaceEnd = uint64_t(1) << 32;

} // namespace

bool HostMemory::Map(DWORD start, uint64_t length)
{
    uint64_t begin = start;
    if (length > kSpaceEnd - begin)
        return false;
    if (length == 0)
        return true;
    uint64_t end = begin + length;
    // Joined with every region that overlaps or touches the new one.
    auto first = m_regions.upper_bound(begin);
    if (first != m_regions.begin() && std::prev(first)->second >= begin)
        --first;
    auto last = first;
    while (last != m_regions.end() && last->first <= end) {
        begin = std::min(begin, last->first);
        end = std::max(end, last->second);
        ++last;
    }
    m_regions.erase(first, last);
    m_regions.emplace(begin, end);
    return true;
}

bool HostMemory::IsMapped(DWORD address, uint64_t count) const
{
    if (count == 0)
        return true;
    uint64_t begin = address;
    uint64_t end = begin + count; // at most 2^32 + 2^32: no overflow in 64 bits
    auto region = m_regions.upper_bound(begin);
    if (region == m_regions.begin())
        return false;
    --region;
    return region->first <= begin && end <= region->second;
}

bool HostMemory::Read(DWORD address, DWORD count, BYTE *buffer) const
{
    if (!IsMapped(address, count))
        return false;
    uint64_t at = address;
    uint64_t end = at + count;
    while (at < end) {
        uint64_t offset = at & (kPageSize - 1);
        uint64_t run = std::min(kPageSize - offset, end - at);
        auto page = m_pages.find(static_cast<DWORD>(at >> kPageBits));
        if (page != m_pages.end())
            memcpy(buffer, page->second->data() + offset, run);
        else
            memset(buffer, 0, run);
        buffer += run;
        at += run;
    }
    return true;
}

bool HostMemory::Write(DWORD address, DWORD count, const BYTE *buffer)
{
    if (!IsMapped(address, count))
        return false;
    uint64_t at = address;
    uint64_t end = at + count;
    while (at < end) {
        uint64_t offset = at & (kPageSize - 1);
        uint64_t run = std::min(kPageSize - offset, end - at);
        std::unique_ptr<Page> &page = m_pages[static_cast<DWORD>(at >> kPageBits)];
        if (page == nullptr)
            page = std::make_unique<Page>(Page{});
        memcpy(page->data() + offset, buffer, run);
        buffer += run;
        at += run;
    }
    return true;
}

void HostMemory::Clear()
{
    m_regions.clear();
    m_pages.clear();
}

} // namespace QelHost
