#include "dwarf2abbrevs.h"

#include "datacursor.h"

#include <algorithm>

namespace {

// Walks the table at `offset` and hands `visit` each abbreviation whose code is new, until
// `visit` answers false (then the walk answers true) or the table ends; the answer is
// what Build answers for the table.
template <class Visit>
bool WalkTable(const BYTE *abbrev, size_t size, DWORD offset, bool bigEndian, bool *complete, Visit visit)
{
    *complete = false;
    CDataCursor cursor(abbrev, size, bigEndian);
    if (!cursor.Seek(offset) || cursor.AtEnd())
        return false;
    uint64_t previous = 0;
    for (;;) {
        uint64_t code = cursor.ReadULEB128();
        if (!cursor)
            return false;
        if (code == 0 || code < previous) {
            *complete = true;
            return true;
        }
        Dwarf2Abbreviation abbreviation;
        abbreviation.tag = static_cast<DWORD>(cursor.ReadULEB128());
        abbreviation.hasChildren = cursor.ReadU8() != 0;
        abbreviation.attributesOffset = cursor.GetOffset();
        for (;;) {
            uint64_t name = cursor.ReadULEB128();
            uint64_t form = cursor.ReadULEB128();
            if (!cursor)
                return false;
            if (name == 0 && form == 0)
                break;
        }
        if (code != previous && !visit(code, abbreviation))
            return true;
        previous = code;
    }
}

} // namespace

bool CDwarf2AbbrevTable::Build(const BYTE *abbrev, size_t size, DWORD offset, bool bigEndian)
{
    m_abbreviations.clear();
    return WalkTable(abbrev, size, offset, bigEndian, &m_bComplete, [this](uint64_t code, const Dwarf2Abbreviation &a) {
        m_abbreviations.emplace_back(code, a);
        return true;
    });
}

bool CDwarf2AbbrevTable::FindEarly(const BYTE *abbrev, size_t size, DWORD offset, bool bigEndian, uint64_t code,
                                   size_t limit, Dwarf2Abbreviation *found)
{
    bool complete = false, hit = false;
    size_t seen = 0;
    WalkTable(abbrev, size, offset, bigEndian, &complete, [&](uint64_t each, const Dwarf2Abbreviation &a) {
        hit = each == code;
        if (hit)
            *found = a;
        return !hit && ++seen < limit;
    });
    return hit;
}

const Dwarf2Abbreviation *CDwarf2AbbrevTable::Find(uint64_t code) const
{
    auto found = std::lower_bound(m_abbreviations.begin(), m_abbreviations.end(), code,
                                  [](const auto &entry, uint64_t wanted) { return entry.first < wanted; });
    return found != m_abbreviations.end() && found->first == code ? &found->second : nullptr;
}

CDwarf2AbbrevCache::CDwarf2AbbrevCache(const BYTE *abbrev, size_t size, bool bigEndian)
    : m_pAbbrev(abbrev), m_nSize(size), m_bBigEndian(bigEndian), m_nBudget(size / 4 + 256)
{
}

std::shared_ptr<const CDwarf2AbbrevTable> CDwarf2AbbrevCache::Get(DWORD offset)
{
    auto found = m_byOffset.find(offset);
    if (found != m_byOffset.end()) {
        m_recent.splice(m_recent.begin(), m_recent, found->second);
        return found->second->table;
    }
    auto table = std::make_shared<CDwarf2AbbrevTable>();
    table->Build(m_pAbbrev, m_nSize, offset, m_bBigEndian);
    size_t cost = table->GetCount() + 1;
    while (!m_recent.empty() && m_nHeld + cost > m_nBudget) {
        m_nHeld -= m_recent.back().cost;
        m_byOffset.erase(m_recent.back().offset);
        m_recent.pop_back();
    }
    m_recent.push_front({offset, table, cost});
    m_byOffset.emplace(offset, m_recent.begin());
    m_nHeld += cost;
    return table;
}
