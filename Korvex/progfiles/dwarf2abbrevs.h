// The abbreviation tables of DWARF 2 units, which give each entry its tag and the forms
// of its attributes, and the cache that builds each table of a ".debug_abbrev" once.
#pragma once

#include <afx.h>

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

// One abbreviation: the entry's tag, whether children follow it, and where its
// (attribute, form) pairs stand in ".debug_abbrev".
struct Dwarf2Abbreviation {
    DWORD tag;
    bool hasChildren;
    size_t attributesOffset;
};

// The abbreviations of one unit by code. The table ends at a code of 0, or at a code
// below the one before it, as producers write codes in ascending order; of a code given
// twice the first counts.
class CDwarf2AbbrevTable {
public:
    // False when the table does not start inside the section or an abbreviation of it
    // runs past the section's end; the abbreviations read before stay usable.
    bool Build(const BYTE *abbrev, size_t size, DWORD offset, bool bigEndian);
    // What the last Build answered.
    bool IsComplete() const { return m_bComplete; }
    const Dwarf2Abbreviation *Find(uint64_t code) const;
    size_t GetCount() const { return m_abbreviations.size(); }

    // The abbreviation `code` of the table at `offset` when it stands among the table's
    // first `limit` abbreviations, found as Build and Find would find it but without
    // building the table: a unit's first entry, which is all that some passes read,
    // mostly has the first abbreviation of a table that no other unit shares.
    static bool FindEarly(const BYTE *abbrev, size_t size, DWORD offset, bool bigEndian, uint64_t code, size_t limit,
                          Dwarf2Abbreviation *found);

private:
    // By ascending code, as they are read.
    std::vector<std::pair<uint64_t, Dwarf2Abbreviation>> m_abbreviations;
    bool m_bComplete = false;
};

// Units share tables (producers and linkers that merge them, and every unit that more
// than one pass reads), and the DWARF readers walk many units, so a table once built is
// kept for the next unit that names its offset. A damaged file may name another bogus
// offset in every unit, each giving a table of whatever bytes stand there; so the tables
// kept hold at most about a quarter as many abbreviations as the section has bytes (a
// well-formed table takes at least five bytes per abbreviation, so a file's own tables
// all fit), and the table used longest ago goes first.
class CDwarf2AbbrevCache {
public:
    CDwarf2AbbrevCache(const BYTE *abbrev, size_t size, bool bigEndian);

    // The table at `offset` of the section, as CDwarf2AbbrevTable::Build makes it. It
    // stays valid for as long as the caller holds it, whatever the cache lets go.
    std::shared_ptr<const CDwarf2AbbrevTable> Get(DWORD offset);

private:
    struct Entry {
        DWORD offset;
        std::shared_ptr<const CDwarf2AbbrevTable> table;
        size_t cost; // its abbreviations, and one for the table itself
    };

    const BYTE *m_pAbbrev;
    size_t m_nSize;
    bool m_bBigEndian;
    size_t m_nBudget;
    size_t m_nHeld = 0;
    std::list<Entry> m_recent; // the last used first
    std::unordered_map<DWORD, std::list<Entry>::iterator> m_byOffset;
};
