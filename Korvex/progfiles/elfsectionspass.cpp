// The sections pass of the ELF reader: the loadable sections become section records and
// download ranges.
//
// A section lies in the target where its segment is loaded; when a segment's load
// (physical) and run (virtual) addresses differ, its pieces are downloaded to the load
// address (SYAM_VIRTUAL, with the run address in the third word) and recorded at the run
// address, which is where the debugger meets them. Code sections are cut at the
// boundaries of the compilation units that lie in them, so that each piece carries its
// unit's name, and on ARM where ARM and Thumb code change.

#include "elfsections.h"

#include "sectionlist.h"
#include "symbolcodes.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace {

// How a segment's load addresses map to run addresses. Kept in 64 bits, so that a run
// address past the 32-bit address space shows as such instead of wrapping.
struct LoadOffset {
    bool present = false;
    bool add = true;
    DWORD distance = 0;

    uint64_t ToRun(uint64_t load) const { return !present ? load : add ? load + distance : load - distance; }
};

// Whether [start, start + length) lies in the 32-bit address space. The target has no
// address above it: a range past it would reach the host wrapped, at address 0 on.
bool FitsAddressSpace(uint64_t start, uint64_t length)
{
    return start <= 0x100000000ull && length <= 0x100000000ull - start;
}

// The PCP code or data image, as the sections ".pcptext" and "[.pcptext]" (or the data
// ones) give it.
struct PcpImage {
    bool haveRun = false;
    DWORD runAddress = 0;
    DWORD size = 0;
    DWORD loadAddress = 0;
    bool isVirtual = false;

    // The offset of a segment loaded at `paddr` with `memsz` bytes when it is this image.
    bool Matches(DWORD paddr, DWORD memsz, LoadOffset *offset) const
    {
        if (!isVirtual || paddr != loadAddress || memsz != size)
            return false;
        offset->present = true;
        offset->add = runAddress >= paddr;
        offset->distance = offset->add ? runAddress - paddr : paddr - runAddress;
        return true;
    }
};

bool HasPrefix(LPCSTR name, LPCSTR prefix)
{
    return strncmp(name, prefix, strlen(prefix)) == 0;
}

// The unit ranges of absolute mode by start address, with the furthest end reached up to
// each, so that every section finds its units by binary search however many the program
// has.
class UnitIndex {
public:
    struct Unit {
        uint64_t start;
        uint64_t end;
        size_t order; // its place in the unit list: the first that holds an address names it
    };

    explicit UnitIndex(const std::vector<SectionTag> &units)
    {
        for (size_t u = 0; u < units.size(); ++u) {
            if (units[u].AddressMode == SYAM_ABSOLUTE)
                m_units.push_back({units[u].AddressValue, uint64_t(units[u].AddressValue) + units[u].Length, u});
        }
        std::sort(m_units.begin(), m_units.end(), [](const Unit &a, const Unit &b) { return a.start < b.start; });
        uint64_t reach = 0;
        for (const Unit &unit : m_units)
            m_reach.push_back(reach = std::max(reach, unit.end));
    }

    bool IsEmpty() const { return m_units.empty(); }

    // Whether one unit holds all of [start, end).
    bool Holds(uint64_t start, uint64_t end) const
    {
        auto after = std::upper_bound(m_units.begin(), m_units.end(), start,
                                      [](uint64_t value, const Unit &unit) { return value < unit.start; });
        return after != m_units.begin() && m_reach[after - m_units.begin() - 1] >= end;
    }

    // The units that lie wholly inside [start, end), by start.
    std::vector<Unit> Inside(uint64_t start, uint64_t end) const
    {
        std::vector<Unit> inside;
        auto first = std::lower_bound(m_units.begin(), m_units.end(), start,
                                      [](const Unit &unit, uint64_t value) { return unit.start < value; });
        for (auto unit = first; unit != m_units.end() && unit->start < end; ++unit) {
            if (unit->end <= end)
                inside.push_back(*unit);
        }
        return inside;
    }

private:
    std::vector<Unit> m_units;
    std::vector<uint64_t> m_reach;
};

// The PCP code and data images, from the sections that name their run and load
// addresses ("[.pcptext]" only counts behind ".pcptext").
void FindPcpImages(const CElfImage &image, PcpImage *code, PcpImage *data)
{
    for (UINT n = 0; n < image.GetSectionCount(); ++n) {
        ELF_SECTION_HEADER section;
        image.GetSectionHeader(n, &section);
        LPCSTR name = image.GetString(section.sh_name, -1);
        if (name == nullptr)
            continue;
        const struct {
            LPCSTR run, load;
            PcpImage *image;
        } pcpNames[] = {{".pcptext", "[.pcptext]", code}, {".pcpdata", "[.pcpdata]", data}};
        for (const auto &pcp : pcpNames) {
            if (strcmp(name, pcp.run) == 0) {
                pcp.image->haveRun = true;
                pcp.image->runAddress = section.sh_addr;
                pcp.image->size = section.sh_size;
            } else if (strcmp(name, pcp.load) == 0 && pcp.image->haveRun && section.sh_size == pcp.image->size) {
                pcp.image->loadAddress = section.sh_addr;
                pcp.image->isVirtual = true;
            }
        }
    }
}

// How the segment's load addresses map to its run addresses.
LoadOffset SegmentOffset(const ELF_PROGRAM_HEADER &segment, const PcpImage &pcpCode, const PcpImage &pcpData)
{
    LoadOffset offset;
    if (segment.p_paddr != 0 && segment.p_vaddr != 0 && segment.p_paddr != segment.p_vaddr) {
        offset.present = true;
        offset.add = segment.p_vaddr >= segment.p_paddr;
        offset.distance = offset.add ? segment.p_vaddr - segment.p_paddr : segment.p_paddr - segment.p_vaddr;
    } else if (segment.p_paddr != 0 && segment.p_vaddr == 0) {
        pcpCode.Matches(segment.p_paddr, segment.p_memsz, &offset);
        pcpData.Matches(segment.p_paddr, segment.p_memsz, &offset);
    }
    return offset;
}

} // namespace

// A loadable section with contents, placed in the segment that loads it.
struct ElfPlacedSection {
    ELF_SECTION_HEADER header;
    LPCSTR name;
    const BYTE *contents;
    ELF_PROGRAM_HEADER segment;
    DWORD loadStart; // the load address of its first byte
    LoadOffset offset;
};

BOOL CELFSections::PlaceSections(std::vector<ElfPlacedSection> *placed)
{
    const CElfImage &image = GetImage();
    PcpImage pcpCode, pcpData;
    FindPcpImages(image, &pcpCode, &pcpData);

    // The loadable segments with contents, each of which must lie in the address space
    // where it is loaded and where it runs.
    std::vector<ELF_PROGRAM_HEADER> loads;
    for (UINT p = 0; p < image.GetProgramHeaderCount(); ++p) {
        ELF_PROGRAM_HEADER segment;
        image.GetProgramHeader(p, &segment);
        if (segment.p_type != PT_LOAD || segment.p_filesz == 0)
            continue;
        for (DWORD start : {segment.p_paddr, segment.p_vaddr}) {
            if (!FitsAddressSpace(start, segment.p_memsz)) {
                SetFailure(QEL_LOAD_READER_FAILED,
                           "ELF segment %u (%u bytes at %08Xh) runs past the end of the 32-bit address space.", p,
                           segment.p_memsz, start);
                return FALSE;
            }
        }
        loads.push_back(segment);
    }

    for (UINT n = 0; n < image.GetSectionCount(); ++n) {
        ElfPlacedSection section;
        image.GetSectionHeader(n, &section.header);
        const ELF_SECTION_HEADER &header = section.header;
        if ((header.sh_flags & SHF_ALLOC) == 0 || header.sh_type == SHT_NOBITS || header.sh_size == 0)
            continue;
        section.name = image.GetString(header.sh_name, -1);
        section.contents = image.GetSectionData(n);
        if (section.name == nullptr || section.contents == nullptr)
            continue;

        const uint64_t address = header.sh_addr;
        auto holding = std::find_if(loads.begin(), loads.end(), [&](const ELF_PROGRAM_HEADER &segment) {
            return ((segment.p_paddr <= address && address < uint64_t(segment.p_paddr) + segment.p_memsz) ||
                     (segment.p_vaddr <= address && address < uint64_t(segment.p_vaddr) + segment.p_memsz)) &&
                   segment.p_offset <= header.sh_offset &&
                   header.sh_offset < uint64_t(segment.p_offset) + segment.p_memsz;
        });
        if (holding == loads.end())
            continue;
        section.segment = *holding;
        section.offset = SegmentOffset(*holding, pcpCode, pcpData);
        const uint64_t loadBase = holding->p_paddr != 0 ? holding->p_paddr : holding->p_vaddr;
        const uint64_t loadStart = loadBase + (header.sh_offset - holding->p_offset);
        const uint64_t runStart = section.offset.ToRun(loadStart);
        // A section may reach beyond its segment's size, which is checked already.
        if (!FitsAddressSpace(loadStart, header.sh_size) || !FitsAddressSpace(runStart, header.sh_size)) {
            SetFailure(QEL_LOAD_READER_FAILED,
                       "ELF section %u (%s, %u bytes loaded at %08llXh, run at %08llXh) runs past the end of the "
                       "32-bit address space.",
                       n, section.name, header.sh_size, static_cast<unsigned long long>(loadStart),
                       static_cast<unsigned long long>(runStart));
            return FALSE;
        }
        section.loadStart = static_cast<DWORD>(loadStart);
        placed->push_back(section);
    }
    return TRUE;
}

int CELFSections::ReadSections(HWND progressWindow)
{
    int scanned = ScanSections();
    DumpPrintf("\nDownload pattern\n");
    if (scanned != 1)
        return 0;
    // Every range is checked before any of them reaches the host.
    std::vector<ElfPlacedSection> placed;
    if (!PlaceSections(&placed))
        return 0;
    const BOOL fromImageFile = !GetImageFileName().IsEmpty();
    if (fromImageFile && !DownloadImageFile(progressWindow))
        return 0;
    if (!fromImageFile && GetImage().GetSectionCount() == 0)
        SetNotice("The ELF file has no section header table, and the download is made of its sections: nothing is "
                  "downloaded.");

    const UnitIndex units(m_sectionRecords);
    std::vector<SectionTag> records;
    int recordIndex = 0;
    for (const ElfPlacedSection &placement : placed) {
        const ELF_SECTION_HEADER &section = placement.header;
        const ELF_PROGRAM_HEADER &segment = placement.segment;
        LPCSTR sectionName = placement.name;
        const BYTE *contents = placement.contents;
        const LoadOffset &offset = placement.offset;
        const uint64_t address = section.sh_addr;
        LONG type = (segment.p_flags & PF_W) == 0 ? TYSE_CODE
                    : (segment.p_flags & PF_X) != 0 || (section.sh_flags & SHF_EXECINSTR) != 0 ? TYSE_CODE
                                                                                                : TYSE_DATA;
        if (HasPrefix(sectionName, ".text") || HasPrefix(sectionName, ".code") || HasPrefix(sectionName, ".pcptext"))
            type = TYSE_CODE;
        if (HasPrefix(sectionName, ".pcpdata"))
            type = TYSE_DATA;
        if (HasPrefix(sectionName, ".rodata"))
            type = TYSE_CONST;
        if (HasPrefix(sectionName, ".bss") || HasPrefix(sectionName, ".zdata"))
            type = TYSE_BSS;
        // Data that a compilation unit covers is code (assembler code in a data section):
        // the section's own run range is what the unit ranges are compared with, with the
        // answer FindUnitRange gives (which also finds a range that holds the entry point).
        const uint64_t runEnd = address + section.sh_size;
        if (type == TYSE_DATA &&
            (units.Holds(address, runEnd) ||
             (!units.IsEmpty() && m_entry.AddressMode == SYAM_ABSOLUTE && address <= m_entry.AddressValue &&
              m_entry.AddressValue < runEnd)))
            type = TYSE_CODE;

        const DWORD sectionStart = placement.loadStart;
        const uint64_t sectionEnd = uint64_t(sectionStart) + section.sh_size;

        // The units inside a code section, moved to load addresses, and every start and end
        // of one, which cut it.
        std::vector<UnitIndex::Unit> picked;
        std::vector<uint64_t> boundaries;
        if (type == TYSE_CODE) {
            const uint64_t runStart = offset.ToRun(sectionStart);
            picked = units.Inside(runStart, runStart + section.sh_size);
            for (UnitIndex::Unit &unit : picked) {
                unit.start = unit.start - runStart + sectionStart;
                unit.end = unit.end - runStart + sectionStart;
                boundaries.push_back(unit.start);
                boundaries.push_back(unit.end);
            }
            std::sort(boundaries.begin(), boundaries.end());
        }

        // The units that hold the current address, swept forward with it: by their place
        // in the unit list (the first names the pieces) and by their end.
        std::set<std::pair<size_t, size_t>> holdingByOrder;
        std::set<std::pair<uint64_t, size_t>> holdingByEnd;
        size_t nextPicked = 0;
        uint64_t current = sectionStart;
        while (current < sectionEnd) {
            auto boundary = std::upper_bound(boundaries.begin(), boundaries.end(), current);
            const uint64_t end = boundary != boundaries.end() && *boundary < sectionEnd ? *boundary : sectionEnd;
            for (; nextPicked < picked.size() && picked[nextPicked].start <= current; ++nextPicked) {
                holdingByOrder.insert({picked[nextPicked].order, nextPicked});
                holdingByEnd.insert({picked[nextPicked].end, nextPicked});
            }
            while (!holdingByEnd.empty() && holdingByEnd.begin()->first <= current) {
                size_t gone = holdingByEnd.begin()->second;
                holdingByOrder.erase({picked[gone].order, gone});
                holdingByEnd.erase(holdingByEnd.begin());
            }
            LPCSTR pieceName = sectionName;
            if (!holdingByOrder.empty()) {
                const CString &unitName = m_sectionRecords[picked[holdingByOrder.begin()->second].order].Name;
                if (!unitName.IsEmpty())
                    pieceName = unitName;
            }

            while (current < end) {
                const DWORD load = static_cast<DWORD>(current);
                const DWORD run = static_cast<DWORD>(offset.ToRun(load));
                DWORD length = static_cast<DWORD>(end - current);
                LONG pieceType = type;
                // The symbols that tell ARM from Thumb code stand at run addresses.
                if (type == TYSE_CODE) {
                    length = GetArmCodeLength(run, length);
                    if (IsThumbCode(run))
                        pieceType = TYSE_CODE_THUMB16;
                }
                CAddressValue address = offset.present ? CAddressValue(load, SYAM_VIRTUAL, run)
                                                       : CAddressValue(load, SYAM_ABSOLUTE, 0);
                if (!fromImageFile) {
                    AddDownloadRange(address, length, static_cast<DWORD>(pieceType), contents + (load - sectionStart));
                    DWORD mode = address.AddressMode, shownType = static_cast<DWORD>(pieceType);
                    DumpPrintf("Mode: %s, Address1: %8.8X, Address2: %8.8X, Length: %5.5X, Type: %s\n",
                               LookupSyamName(&mode), address.AddressValue, address.AddressExtra, length,
                               LookupTyseName(&shownType));
                }
                SectionTag record;
                record.Type = pieceType == LONG(TYSE_CODE_THUMB16) ? LONG(TYSE_CODE) : pieceType;
                record.AddressMode = SYAM_ABSOLUTE;
                record.AddressValue = run;
                record.AddressExtra = 0;
                record.Length = length;
                record.Name.Format("%s@%d", pieceName, recordIndex);
                if (AddSection(recordIndex, &record) == 0)
                    AfxThrowUserException();
                records.push_back(record);
                ++recordIndex;
                current += length;
            }
            current = end;
        }
    }

    m_sectionRecords.swap(records);
    return DownloadPattern(progressWindow, 4) ? 1 : 0;
}

BOOL CELFSections::DownloadImageFile(HWND progressWindow)
{
    SectionList::CSectionList image;
    DWORD result = image.ReadIntelHexFile(GetImageFileName(), TRUE, 1);
    if (result != SectionList::SLR_SUCCESS) {
        SetFailure(QEL_LOAD_FILE_ERROR, "The memory image %s cannot be read (error %u in line %u).",
                   static_cast<LPCSTR>(GetImageFileName()), result, image.GetLineCount());
        return FALSE;
    }
    for (SectionList::CSection *section = image.First(); section != nullptr; section = image.Next())
        AddDownloadRange(CAddressValue(section->GetStart(), SYAM_ABSOLUTE, 0), section->GetLength(), TYSE_CODE,
                         section->GetData());
    return DownloadPattern(progressWindow, 4);
}
