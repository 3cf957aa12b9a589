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

// How a segment's load addresses map to run addresses.
struct LoadOffset {
    bool present = false;
    bool add = true;
    DWORD distance = 0;

    DWORD ToRun(DWORD load) const { return !present ? load : add ? load + distance : load - distance; }
    DWORD ToLoad(DWORD run) const { return !present ? run : add ? run - distance : run + distance; }
};

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

// A unit range that lies in a code section, in load addresses.
struct PickedUnit {
    size_t order; // its place in the unit list: the first that holds an address names it
    uint64_t start;
    uint64_t end;
    CString name;
};

} // namespace

int CELFSections::ReadSections(HWND progressWindow)
{
    int scanned = ScanSections();
    DumpPrintf("\nDownload pattern\n");
    if (scanned != 1)
        return 0;
    const BOOL fromImageFile = !GetImageFileName().IsEmpty();
    if (fromImageFile && !DownloadImageFile(progressWindow))
        return 0;

    const CElfImage &image = GetImage();
    PcpImage pcpCode, pcpData;
    for (UINT n = 0; n < image.GetSectionCount(); ++n) {
        ELF_SECTION_HEADER section;
        image.GetSectionHeader(n, &section);
        LPCSTR name = image.GetString(section.sh_name, -1);
        if (name == nullptr)
            continue;
        const struct {
            LPCSTR run, load;
            PcpImage *image;
        } pcpNames[] = {{".pcptext", "[.pcptext]", &pcpCode}, {".pcpdata", "[.pcpdata]", &pcpData}};
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

    std::vector<SectionTag> records;
    int recordIndex = 0;
    for (UINT n = 0; n < image.GetSectionCount(); ++n) {
        ELF_SECTION_HEADER section;
        image.GetSectionHeader(n, &section);
        if ((section.sh_flags & SHF_ALLOC) == 0 || section.sh_type == SHT_NOBITS || section.sh_size == 0)
            continue;
        LPCSTR sectionName = image.GetString(section.sh_name, -1);
        const BYTE *contents = image.GetSectionData(n);
        if (sectionName == nullptr || contents == nullptr)
            continue;

        ELF_PROGRAM_HEADER segment;
        bool found = false;
        for (UINT p = 0; p < image.GetProgramHeaderCount() && !found; ++p) {
            image.GetProgramHeader(p, &segment);
            uint64_t address = section.sh_addr;
            found = segment.p_type == PT_LOAD && segment.p_filesz != 0 &&
                    ((segment.p_paddr <= address && address < uint64_t(segment.p_paddr) + segment.p_memsz) ||
                     (segment.p_vaddr <= address && address < uint64_t(segment.p_vaddr) + segment.p_memsz)) &&
                    segment.p_offset <= section.sh_offset &&
                    section.sh_offset < uint64_t(segment.p_offset) + segment.p_memsz;
        }
        if (!found)
            continue;

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
        // the section's own run range is what the unit ranges are compared with.
        if (type == TYSE_DATA && FindUnitRange(CAddressValue(section.sh_addr, 1, 0), section.sh_size) >= 0)
            type = TYSE_CODE;

        DWORD loadBase = segment.p_paddr != 0 ? segment.p_paddr : segment.p_vaddr;
        LoadOffset offset;
        if (segment.p_paddr != 0 && segment.p_vaddr != 0 && segment.p_paddr != segment.p_vaddr) {
            offset.present = true;
            offset.add = segment.p_vaddr >= segment.p_paddr;
            offset.distance = offset.add ? segment.p_vaddr - segment.p_paddr : segment.p_paddr - segment.p_vaddr;
        } else if (segment.p_paddr != 0 && segment.p_vaddr == 0) {
            pcpCode.Matches(segment.p_paddr, segment.p_memsz, &offset);
            pcpData.Matches(segment.p_paddr, segment.p_memsz, &offset);
        }
        const DWORD sectionStart = loadBase - segment.p_offset + section.sh_offset;
        const uint64_t sectionEnd = uint64_t(sectionStart) + section.sh_size;

        // The units inside a code section, and every start and end of one, which cut it.
        std::vector<PickedUnit> picked;
        std::vector<uint64_t> boundaries;
        if (type == TYSE_CODE) {
            for (size_t u = 0; u < m_sectionRecords.size(); ++u) {
                const SectionTag &unit = m_sectionRecords[u];
                if (unit.AddressMode != SYAM_ABSOLUTE)
                    continue;
                uint64_t start = offset.ToLoad(unit.AddressValue);
                uint64_t end = start + unit.Length;
                if (start >= sectionStart && end <= sectionEnd) {
                    picked.push_back({u, start, end, unit.Name});
                    boundaries.push_back(start);
                    boundaries.push_back(end);
                }
            }
            std::sort(picked.begin(), picked.end(),
                      [](const PickedUnit &a, const PickedUnit &b) { return a.start < b.start; });
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
            if (!holdingByOrder.empty() && !picked[holdingByOrder.begin()->second].name.IsEmpty())
                pieceName = picked[holdingByOrder.begin()->second].name;

            while (current < end) {
                const DWORD load = static_cast<DWORD>(current);
                const DWORD run = offset.ToRun(load);
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
