#include "sectionlist.h"

#include "intelhexreader.h"
#include "intelhexwriter.h"

#include <iterator>
#include <new>

namespace SectionList {

CSectionList::~CSectionList()
{
    for (auto &entry : m_sections)
        delete entry.second;
}

CSection *CSectionList::CreateSection(DWORD start, DWORD length, const void *data)
{
    if (length == 0 || length > m_nMaxSectionLength) {
        m_nLastResult = SLR_BAD_LENGTH;
        return nullptr;
    }
    CSection *section = new (std::nothrow) CSection();
    if (section == nullptr) {
        m_nLastResult = SLR_NO_MEMORY;
        return nullptr;
    }
    DWORD result = section->Set(start, length, data);
    if (result != SLR_SUCCESS) {
        delete section;
        m_nLastResult = result;
        return nullptr;
    }
    return section;
}

DWORD CSectionList::AddRange(DWORD start, DWORD length, const void *data, int mode)
{
    if (length == 0 || length > m_nMaxSectionLength || !IsValidRange(start, length))
        return m_nLastResult = SLR_BAD_LENGTH;
    DWORD end = start + (length - 1);

    // The sections are disjoint and ascending, so their ends ascend too: the ones that
    // overlap the range are those just before the first section that begins above its end.
    SectionMap::iterator above = m_sections.upper_bound(end);
    SectionMap::iterator first = above;
    while (first != m_sections.begin() && std::prev(first)->second->GetEnd() >= start)
        --first;

    if (first != above) {
        if (mode != SLAM_JOIN_OVERLAPPING)
            return m_nLastResult = SLR_OVERLAP;
        return m_nLastResult = Merge(first, above, start, length, data, first->second->GetFlag());
    }
    if (mode == SLAM_PLAIN)
        return m_nLastResult = InsertNew(start, length, data);

    // Joining adjacent sections: each join is made only while the result stays within the
    // maximum section length, which bounds what one section may allocate.
    DWORD joined = length;
    SectionMap::iterator before = above == m_sections.begin() ? m_sections.end() : std::prev(above);
    BOOL joinBefore = before != m_sections.end() && start > 0 && before->second->GetEnd() == start - 1 &&
                      before->second->GetLength() <= m_nMaxSectionLength - joined;
    if (joinBefore)
        joined += before->second->GetLength();
    BOOL joinAfter = above != m_sections.end() && end < 0xFFFFFFFF && above->first == end + 1 &&
                     above->second->GetLength() <= m_nMaxSectionLength - joined;
    if (!joinBefore && !joinAfter)
        return m_nLastResult = InsertNew(start, length, data);
    return m_nLastResult = Merge(joinBefore ? before : above, joinAfter ? std::next(above) : above, start,
                                 length, data, joinBefore ? before->second->GetFlag() : 0);
}

DWORD CSectionList::InsertNew(DWORD start, DWORD length, const void *data)
{
    CSection *section = CreateSection(start, length, data);
    if (section == nullptr)
        return m_nLastResult;
    try {
        m_cursor = m_sections.emplace(start, section).first;
    } catch (const std::bad_alloc &) {
        delete section;
        return SLR_NO_MEMORY;
    }
    return SLR_SUCCESS;
}

// Replaces the sections [first, last), which together with the new range cover one
// contiguous range, by one section of that range that holds their bytes and then the new
// ones. The replacement is made complete before the list changes, so a failure leaves the
// list as it was.
DWORD CSectionList::Merge(SectionMap::iterator first, SectionMap::iterator last, DWORD start, DWORD length,
                          const void *data, DWORD flag)
{
    DWORD end = start + (length - 1);
    DWORD mergedStart = first->first < start ? first->first : start;
    DWORD lastEnd = std::prev(last)->second->GetEnd();
    DWORD mergedEnd = lastEnd > end ? lastEnd : end;
    if (mergedEnd - mergedStart >= m_nMaxSectionLength)
        return SLR_BAD_LENGTH;
    CSection *merged = CreateSection(mergedStart, mergedEnd - mergedStart + 1, nullptr);
    if (merged == nullptr)
        return m_nLastResult;
    DWORD result = SLR_SUCCESS;
    for (SectionMap::iterator it = first; it != last && result == SLR_SUCCESS; ++it) {
        if (it->second->HasData())
            result = merged->Write(it->first, it->second->GetLength(), it->second->GetData(), nullptr);
    }
    if (result == SLR_SUCCESS && data != nullptr)
        result = merged->Write(start, length, data, nullptr);
    if (result != SLR_SUCCESS) {
        delete merged;
        return result;
    }
    merged->SetFlag(flag);

    // The first replaced node is reused for the merged section, so nothing is allocated
    // once the old sections start to go.
    SectionMap::node_type node = m_sections.extract(first++);
    delete node.mapped();
    while (first != last) {
        delete first->second;
        first = m_sections.erase(first);
    }
    node.key() = mergedStart;
    node.mapped() = merged;
    m_cursor = m_sections.insert(std::move(node)).position;
    return SLR_SUCCESS;
}

DWORD CSectionList::Write(DWORD address, DWORD count, const void *data, DWORD *written)
{
    if (written != nullptr)
        *written = 0;
    SectionMap::iterator it = m_sections.upper_bound(address);
    if (it == m_sections.begin() || std::prev(it)->second->Compare(address) != 0)
        return SLR_NOT_IN_SECTION;
    --it;
    const BYTE *bytes = static_cast<const BYTE *>(data);
    DWORD total = 0;
    for (;;) {
        DWORD n = 0;
        DWORD result = it->second->Write(address, count - total, bytes + total, &n);
        if (result != SLR_SUCCESS)
            return result;
        total += n;
        if (written != nullptr)
            *written = total;
        BOOL lastAddress = it->second->GetEnd() == 0xFFFFFFFF;
        address += n;
        if (total == count || lastAddress || ++it == m_sections.end() || it->first != address)
            return SLR_SUCCESS;
    }
}

CSection *CSectionList::Skip(BOOL flaggedOnly, BOOL forward)
{
    while (m_cursor != m_sections.end() && flaggedOnly && m_cursor->second->GetFlag() == 0) {
        if (forward)
            ++m_cursor;
        else if (m_cursor == m_sections.begin())
            m_cursor = m_sections.end();
        else
            --m_cursor;
    }
    return Current();
}

CSection *CSectionList::First(BOOL flaggedOnly)
{
    m_cursor = m_sections.begin();
    return Skip(flaggedOnly, TRUE);
}

CSection *CSectionList::Next(BOOL flaggedOnly)
{
    if (m_cursor == m_sections.end())
        return nullptr;
    ++m_cursor;
    return Skip(flaggedOnly, TRUE);
}

CSection *CSectionList::Previous(BOOL flaggedOnly)
{
    if (m_cursor == m_sections.end())
        return nullptr;
    if (m_cursor == m_sections.begin()) {
        m_cursor = m_sections.end();
        return nullptr;
    }
    --m_cursor;
    return Skip(flaggedOnly, FALSE);
}

CSection *CSectionList::Current() const
{
    return m_cursor == m_sections.end() ? nullptr : m_cursor->second;
}

DWORD CSectionList::GetStartAddress() const
{
    if (m_sections.empty())
        return 0xFFFFFFFF;
    if (m_nStartAddress != 0xFFFFFFFF)
        return m_nStartAddress;
    return m_sections.begin()->first;
}

DWORD CSectionList::ReadIntelHexFile(LPCSTR name, BOOL fillData, int flag)
{
    CIntelHexReader reader;
    m_nLastResult = reader.ReadFile(*this, name, fillData, flag);
    m_nLineCount = reader.GetLineCount();
    return m_nLastResult;
}

DWORD CSectionList::ReadIntelHexResource(HMODULE module, LPCSTR name, LPCSTR type, BOOL fillData)
{
    CIntelHexReader reader;
    m_nLastResult = reader.ReadResource(*this, module, name, type, fillData, 1);
    m_nLineCount = reader.GetLineCount();
    return m_nLastResult;
}

DWORD CSectionList::WriteIntelHexFile(LPCSTR name)
{
    CIntelHexWriter writer;
    m_nLastResult = writer.WriteFile(*this, name);
    return m_nLastResult;
}

} // namespace SectionList
