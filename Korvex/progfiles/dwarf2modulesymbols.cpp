// The code and data of the DWARF 2 module pass: blocks, parameters, locals, labels,
// their lifetimes, and the source lines.
//
// A variable that lives in different places over its function's code (a ".debug_loc"
// list, or an offset from a frame base that itself moves) gets a lifetime list: one
// Symbols row per range with the place that holds from its begin address on, closed by
// an end row; the variable's own row then names the list (mode 5).
#include "elffile.h"

#include <packedindex.h>
#include <stringtext.h>
#include <symbolwriters.h>
#include <symdbstrings.h>

#include "dwarf2codes.h"
#include "dwarfcallframes.h"
#include "dwarf2modulescope.h"
#include "dwarf2unitglobals.h"

#include <algorithm>
#include <unordered_map>

namespace {

const DWORD FRAME_BASE = 0xFFFFFFFF; // the register word of DW_OP_fbreg's place
const LONG MODE_ABSOLUTE = 1;
const LONG MODE_REGISTER_OFFSET = 2;
const LONG MODE_REGISTER = 3;
const LONG MODE_LIFETIME_LIST = 5;
const LONG MODE_LIST_END = 6;

} // namespace

// The frame base of a function given as one expression: in a register, or a register
// plus an offset (what gcc gives leaf functions at -O1), over the function's code; or the
// canonical frame address (DWARF 3), a register plus an offset over each piece of the
// code, from the call-frame information.
std::vector<Dwarf2LocationListEntry> CELFFile::FrameBaseOf(const Dwarf2EntryValues &entry, BYTE addressSize)
{
    if (entry.hasFrameBaseList)
        return entry.frameBaseList;
    std::vector<Dwarf2LocationListEntry> frameBase;
    if (!entry.hasFrameBase || !entry.frameBase.complete || !entry.hasLow || !entry.hasHigh)
        return frameBase;
    const CAddressValue &place = entry.frameBase.place;
    if (place.AddressMode == MODE_REGISTER ||
        (place.AddressMode == MODE_REGISTER_OFFSET && place.AddressExtra != FRAME_BASE)) {
        frameBase.push_back(Dwarf2LocationListEntry{entry.low, entry.high, entry.frameBase});
    } else if (entry.frameBase.lastOperator == DW_OP_call_frame_cfa) {
        DWORD size = 0;
        const BYTE *frames = GetDebugSectionData(ELF_DEBUG_FRAME, &size);
        for (const DwarfCfaRule &rule :
             ReadDwarfCfaRules(frames, size, GetEncoding() == ELFDATA2MSB, addressSize, entry.low, entry.high)) {
            Dwarf2Location cfa;
            cfa.place = CAddressValue(static_cast<DWORD>(rule.offset), MODE_REGISTER_OFFSET, rule.registerNumber);
            frameBase.push_back(Dwarf2LocationListEntry{rule.begin, rule.end, cfa});
        }
        if (frameBase.empty())
            SetNotice("No call-frame information gives the frame base of function %s at 0x%X: its variables at "
                      "the frame base are left out.",
                      static_cast<LPCSTR>(entry.name), static_cast<unsigned>(entry.low));
    }
    return frameBase;
}

void CELFFile::BeginBlock(const Dwarf2EntryValues &entry, BYTE addressSize, ModuleScope *inner)
{
    const BOOL function = entry.tag == DW_TAG_subprogram || entry.tag == DW_TAG_inlined_subroutine;
    if (entry.tag == DW_TAG_subprogram)
        inner->frameBase = std::make_shared<const std::vector<Dwarf2LocationListEntry>>(FrameBaseOf(entry, addressSize));
    LONG blockNumber = 0;
    if (function) {
        inner->blockCounter = std::make_shared<LONG>(0);
        // Counted exactly as the globals pass gives Functions rows.
        if (!entry.hasLow || entry.name.IsEmpty())
            return;
        inner->functionIndex = ++m_nFunctionCounter;
    }
    if (!entry.hasLow || !entry.hasHigh || entry.high == 0)
        return;
    if (!function && inner->blockCounter)
        blockNumber = ++*inner->blockCounter;
    inner->scope = PackIndexChecked(m_nModul, static_cast<LONG>(entry.offset), FALSE);
    UnnamedSymbolRecordTag block;
    block.Modul = m_nModul;
    block.ScopeIndex = inner->scope;
    block.Data[0] = blockNumber;
    block.Data[1] = MODE_ABSOLUTE;
    block.Data[2] = static_cast<LONG>(entry.low);
    block.Data[3] = 0;
    block.Data[4] = static_cast<LONG>(entry.high - entry.low);
    WriteBlockSymbol(block, m_symbols);
}

void CELFFile::WriteVariable(const Dwarf2EntryValues &entry, const ModuleScope &around, BOOL parameter)
{
    if (entry.name.IsEmpty() || !entry.hasType)
        return;
    LONG triple[3];
    if (parameter && entry.hasConstValue && entry.constValueForm == DW_FORM_addr) {
        triple[0] = MODE_ABSOLUTE;
        triple[1] = static_cast<LONG>(entry.constValue);
        triple[2] = 0;
    } else if (!PlaceVariable(entry, around, triple)) {
        // No place, or a fixed address, which the globals pass has written.
        return;
    }
    SymbolRecordTag record;
    record.Modul = m_nModul;
    record.Name = entry.name;
    record.Data[0] = static_cast<LONG>(entry.type);
    std::copy(triple, triple + 3, record.Data + 1);
    if (parameter) {
        record.ScopeIndex = around.functionIndex;
        WriteParameterSymbol(record, m_symbols, FALSE);
    } else {
        record.ScopeIndex = around.scope;
        WriteLocalSymbol(record, m_symbols, FALSE);
    }
}

BOOL CELFFile::PlaceVariable(const Dwarf2EntryValues &entry, const ModuleScope &around, LONG *triple)
{
    static const std::vector<Dwarf2LocationListEntry> noFrameBase;
    const std::vector<Dwarf2LocationListEntry> &frameBase = around.frameBase ? *around.frameBase : noFrameBase;
    const LONG list = m_nLifetimeList;
    BOOL any = FALSE;
    DWORD end = 0;
    // A place relative to the frame base, from `begin` on, for each frame-base range.
    auto writeFrameRelative = [&](LONG offset, DWORD begin, DWORD until) {
        for (const Dwarf2LocationListEntry &base : frameBase) {
            if (base.begin >= until || begin >= base.end)
                continue;
            const CAddressValue &place = base.location.place;
            const DWORD start = std::max(begin, base.begin);
            if (place.AddressMode == MODE_REGISTER_OFFSET && place.AddressExtra != FRAME_BASE)
                WriteLifetime(list, start, MODE_REGISTER_OFFSET, offset + static_cast<LONG>(place.AddressValue),
                              static_cast<LONG>(place.AddressExtra));
            else if (place.AddressMode == MODE_REGISTER)
                WriteLifetime(list, start, MODE_REGISTER_OFFSET, offset, static_cast<LONG>(place.AddressValue));
            else
                continue;
            any = TRUE;
            end = std::min(until, base.end);
        }
    };

    if (entry.hasLocationList) {
        for (const Dwarf2LocationListEntry &range : entry.locationList) {
            if (range.begin >= range.end || !range.location.complete)
                continue;
            const CAddressValue &place = range.location.place;
            if (place.AddressMode == MODE_REGISTER) {
                WriteLifetime(list, range.begin, MODE_REGISTER, static_cast<LONG>(place.AddressValue),
                              static_cast<LONG>(place.AddressExtra));
            } else if (place.AddressMode == MODE_REGISTER_OFFSET && place.AddressExtra != FRAME_BASE) {
                WriteLifetime(list, range.begin, MODE_REGISTER_OFFSET, static_cast<LONG>(place.AddressValue),
                              static_cast<LONG>(place.AddressExtra));
            } else if (place.AddressMode == MODE_REGISTER_OFFSET) {
                writeFrameRelative(static_cast<LONG>(place.AddressValue), range.begin, range.end);
                continue;
            } else {
                continue;
            }
            any = TRUE;
            end = range.end;
        }
    } else if (entry.hasLocation && entry.location.complete) {
        const CAddressValue &place = entry.location.place;
        if (place.AddressMode == MODE_REGISTER) {
            triple[0] = MODE_REGISTER;
            triple[1] = static_cast<LONG>(place.AddressValue);
            triple[2] = 0;
            return TRUE;
        }
        if (place.AddressMode == MODE_REGISTER_OFFSET && place.AddressExtra == FRAME_BASE)
            writeFrameRelative(static_cast<LONG>(place.AddressValue), 0, 0xFFFFFFFF);
    }
    if (!any)
        return FALSE;
    WriteLifetime(list, end, MODE_LIST_END, -1, -1);
    ++m_nLifetimeList;
    triple[0] = MODE_LIFETIME_LIST;
    triple[1] = list;
    triple[2] = 1;
    return TRUE;
}

void CELFFile::WriteLifetime(LONG list, DWORD begin, LONG mode, LONG value, LONG extra)
{
    SymbolRecordTag row;
    row.Modul = m_nModul;
    row.ScopeIndex = list;
    row.Data[0] = static_cast<LONG>(begin);
    row.Data[1] = mode;
    row.Data[2] = value;
    row.Data[3] = extra;
    WriteLifetimeSymbol(row, m_symbols);
}

void CELFFile::WriteSourceLines(const Dwarf2EntryValues &unit)
{
    DWORD size = 0;
    const BYTE *lines = GetDebugSectionData(ELF_DEBUG_LINE, &size);
    CDwarfLineProgram program;
    if (!unit.hasStatementList || lines == nullptr ||
        program.Read(lines, size, unit.statementList, GetEncoding() == ELFDATA2MSB) != CDwarfLineProgram::LINE_OK)
        return;

    // The PCP starts at its code window's base with a jump over the word behind it; a
    // line table that begins behind the jump gets the jump's line too.
    const TargetWindow &pcpCode = GetCodeWindow();
    const BOOL pcp = pcpCode.Read == 1;
    BOOL pcpStarted = FALSE;
    std::unordered_map<DWORD, LONG> files;
    DWORD previousFile = 0;
    LONG file = -1;
    if (!m_sourceLines.IsOpen())
        m_sourceLines.Open();
    auto addLine = [&](DWORD line, int section, DWORD address) {
        m_sourceLines.AddNew();
        m_sourceLines.m_SourceLine = static_cast<LONG>(line);
        m_sourceLines.m_SectionIndex = section;
        m_sourceLines.m_SourceFileIndex = file;
        m_sourceLines.m_AddressMode = MODE_ABSOLUTE;
        m_sourceLines.m_AddressValue = static_cast<LONG>(address);
        m_sourceLines.m_Length = -1;
        m_sourceLines.Update();
    };
    for (const DwarfLineRow &row : program.GetRows()) {
        // The address of an end of sequence is the first behind the code: another
        // module's, or none.
        if (row.endSequence)
            continue;
        if (row.file != previousFile) {
            previousFile = row.file;
            auto known = files.find(row.file);
            if (known == files.end())
                known = files.emplace(row.file, FindSourceFile(program.GetFileName(row.file),
                                                               Dwarf2LineFileDirectory(program, row.file,
                                                                                       unit.compilationDirectory)))
                            .first;
            file = known->second;
        }
        // A row of a file the globals pass did not register belongs to no file.
        if (file < 0 || row.line == 0)
            continue;
        const int section = FindSectionIndex(row.address);
        if (section < 0)
            continue;
        if (pcp && !pcpStarted && row.address == pcpCode.Base + 4) {
            addLine(row.line, section, pcpCode.Base);
            pcpStarted = TRUE;
        }
        if (pcp && row.address == pcpCode.Base)
            pcpStarted = TRUE;
        addLine(row.line, section, row.address);
        m_linedSourceFiles.insert(file);
    }
}

void CELFFile::ClearAnalyzedSourceFiles()
{
    // A header's inline function has lines in several modules: a file analysed before
    // this module added its lines must be analysed again.
    for (LONG file : m_linedSourceFiles) {
        if (SeekKey(m_sourceFiles, IDS_DB_SOURCEFILEINDEXKEY, CdbVariant(file)) && m_sourceFiles.m_Analyzed) {
            m_sourceFiles.Edit();
            m_sourceFiles.m_Analyzed = FALSE;
            m_sourceFiles.Update();
        }
    }
}
