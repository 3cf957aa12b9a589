// The symbol-table pass of the ELF globals level: the labels and the assembler data of
// the ELF symbol table, and the start-up labels.
//
// The debugging information describes what the compiler made; the symbol table adds
// what only the assembler and the linker know: assembler routines and their data, and
// the labels a user sets breakpoints on. Data symbols are kept only in the sizes a
// watch can show as one value.

#include "elfglobals.h"

#include <stringtext.h>
#include <symbolwriters.h>

#include "progfilestrings.h"
#include "symbolcodes.h"

#include <cctype>
#include <cstring>

namespace {

// The Data_1 of an assembler data symbol by its size; 0 for a size that is not kept.
LONG DataSizeCode(DWORD size)
{
    switch (size) {
    case 1:
        return 14;
    case 2:
        return 15;
    case 4:
        return 16;
    default:
        return 0;
    }
}

// The ARM mapping symbols "$a", "$t", "$d" and their numbered forms ("$a.1") mark where
// ARM code, Thumb code and data begin; they name nothing a user looks for.
bool IsArmMappingSymbol(LPCSTR name)
{
    return name[0] == '$' && strchr("atd", name[1]) != nullptr && name[1] != '\0' &&
           (name[2] == '\0' || name[2] == '.');
}

bool EndsWith(LPCSTR name, LPCSTR suffix)
{
    size_t length = strlen(name), suffixLength = strlen(suffix);
    return length >= suffixLength && strcmp(name + length - suffixLength, suffix) == 0;
}

// The local code labels that compilers leave behind: their markers, their numbered jump
// targets "L_<digits>" and the ends of their functions.
bool IsCompilerLabel(LPCSTR name)
{
    if (strcmp(name, "gcc2_compiled.") == 0 || strcmp(name, "__gnu_compiled_c") == 0 ||
        EndsWith(name, "_function_end"))
        return true;
    if (strncmp(name, "L_", 2) != 0)
        return false;
    for (LPCSTR c = name + 2; *c != '\0'; ++c) {
        if (!isdigit(static_cast<unsigned char>(*c)))
            return false;
    }
    return true;
}

SymbolRecordTag LabelRecord(LPCSTR name, LONG data1, DWORD address)
{
    SymbolRecordTag record;
    record.Modul = -1;
    record.Name = name;
    record.ScopeIndex = -1;
    record.Data[0] = data1;
    record.Data[1] = SYAM_ABSOLUTE;
    record.Data[2] = static_cast<LONG>(address);
    record.Data[3] = -1;
    return record;
}

} // namespace

void CELFGlobals::ReadSymbolTable(HWND progressWindow, DWORD *position)
{
    const int table = GetDebugSection(ELF_SYMTAB);
    if (table < 0)
        return;
    const CElfImage &image = GetImage();
    const DWORD count = image.GetSymbolCount(static_cast<UINT>(table));
    for (DWORD i = 0; i < count; ++i) {
        PostProgressPosition(progressWindow, ++*position);
        ELF_SYMBOL symbol;
        if (!image.GetSymbol(static_cast<UINT>(table), i, &symbol))
            continue;
        LPCSTR name = image.GetSymbolName(static_cast<UINT>(table), symbol);
        if (name == nullptr || *name == '\0' || symbol.st_shndx == SHN_UNDEF)
            continue;
        if (IsArm() && IsArmMappingSymbol(name))
            continue;

        const int type = ElfSymbolType(symbol.st_info);
        BOOL code = type == STT_FUNC;
        if (type != STT_FUNC && type != STT_OBJECT) {
            ELF_SECTION_HEADER section;
            if (symbol.st_shndx == SHN_ABS || !GetSectionHeader(symbol.st_shndx, &section))
                continue;
            code = (section.sh_flags & SHF_EXECINSTR) != 0;
        }
        const LONG data1 = code ? 0 : DataSizeCode(symbol.st_size);
        if (!code && data1 == 0)
            continue;
        // An EABI Thumb function's value has bit 0 set to say that it is Thumb code;
        // its address is the value without it.
        const DWORD address = code && IsArm() ? symbol.st_value & ~1u : symbol.st_value;
        const SymbolRecordTag record = LabelRecord(name, data1, address);
        if (ElfSymbolBinding(symbol.st_info) == STB_GLOBAL) {
            if (code)
                WriteGlobalLabelSymbol(record, m_symbols);
            else
                WriteGlobalAsmSymbol(record, m_symbols);
        } else if (!code) {
            WriteStaticAsmSymbol(record, m_symbols);
        } else if (!IsCompilerLabel(name)) {
            WriteStaticLabelSymbol(record, m_symbols);
        }
    }
}

void CELFGlobals::WriteStartupLabels()
{
    const CAddressValue &entry = GetEntryPoint();
    const BOOL pcpEntryKnown = m_nPcpEntry != 0xFFFFFFFF;
    BOOL entryKnown = entry.AddressMode == SYAM_ABSOLUTE;
    DWORD entryAddress = IsArm() ? entry.AddressValue & ~1u : entry.AddressValue;
    // A stand-alone PCP debugger starts its program where the PCP's code begins.
    if (IsPcpTheHost() && pcpEntryKnown) {
        entryKnown = TRUE;
        entryAddress = m_nPcpEntry;
    }
    if (entryKnown)
        WriteGlobalLabelSymbol(LabelRecord(LoadStringText(IDS_ELF_ENTRY_POINT), 0, entryAddress), m_symbols);
    if (pcpEntryKnown)
        WriteGlobalLabelSymbol(LabelRecord(LoadStringText(IDS_PCP_ENTRY_POINT), 0, m_nPcpEntry), m_symbols);
}
