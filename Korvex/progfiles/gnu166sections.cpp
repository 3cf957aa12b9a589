#include "gnu166sections.h"

#include "c16xinfo.h"
#include "dumpnames.h"
#include "gnu166check.h"
#include "symbolcodes.h"

struct CGNU166Sections::OpenModule {
    SectionTag Entry; // Name: the ".text" marker's
    CString Stem;     // the name without ".text"
    DWORD FileOffset;
    BOOL Open;
};

CGNU166Sections::CGNU166Sections(DWORD programId, IUnknown *host) : CQelTargetFile(programId, host) {}

CGNU166Sections::~CGNU166Sections() = default;

int CGNU166Sections::IsFileType(HANDLE file)
{
    CString refusal;
    const int result = CheckGnu166Header(file, &refusal);
    if (result != 1)
        RefuseFileType(refusal);
    return result;
}

int CGNU166Sections::ProcessSymbol(const Gnu166Symbol &, const CString &, DWORD)
{
    return 1;
}

int CGNU166Sections::AddModule(int, DWORD, const SectionTag &)
{
    return 1;
}

int CGNU166Sections::AddSection(int, SectionTag *)
{
    return 1;
}

int CGNU166Sections::EndModule(int)
{
    return 1;
}

int CGNU166Sections::ReadSections(HWND progressWindow)
{
    m_sections.clear();
    m_modules.clear();
    // The header is dumped before the layout is checked, so that a damaged file's dump
    // shows the sizes that do not fit.
    if (GetView() == nullptr || GetViewSize() < GNU166_HEADER_SIZE) {
        SetFailure(QEL_LOAD_READER_FAILED, "The file is too short for a GNU C166 program.");
        return 0;
    }
    m_header = ReadGnu166Header(GetView());
    DumpHeader();
    if (!CheckLayout() || !ReadSectionTable() || !WalkSymbols(progressWindow))
        return 0;
    FlushDump();
    return DownloadPattern(progressWindow, 2) ? 1 : 0;
}

BOOL CGNU166Sections::CheckLayout()
{
    const BYTE *view = GetView();
    const uint64_t size = GetViewSize();
    const uint64_t symbols = uint64_t(GNU166_HEADER_SIZE) + m_header.Text + m_header.Data;
    const uint64_t strings = symbols + m_header.Symbols;
    if (m_header.Symbols % GNU166_ENTRY_SIZE != 0) {
        SetFailure(QEL_LOAD_READER_FAILED, "The symbol table's size %u is not a multiple of 12.", m_header.Symbols);
        return FALSE;
    }
    if (strings + 8 > size) {
        SetFailure(QEL_LOAD_READER_FAILED,
                   "The text, data and symbols (%u, %u and %u bytes) do not fit in the file of %llu bytes.",
                   m_header.Text, m_header.Data, m_header.Symbols, static_cast<unsigned long long>(size));
        return FALSE;
    }
    // The section table's entries run from T + 4 to the end of the file, or to the word
    // of T and the one after it: no file tells which, so whichever fits whole is taken.
    const uint64_t table = ReadGnu166Word(view + size - 8);
    uint64_t entriesEnd = 0;
    if (table >= strings && table + 4 <= size && (size - table - 4) % GNU166_ENTRY_SIZE == 0)
        entriesEnd = size;
    else if (table >= strings && table + 12 <= size && (size - table - 12) % GNU166_ENTRY_SIZE == 0)
        entriesEnd = size - 8;
    else {
        SetFailure(QEL_LOAD_READER_FAILED, "The section table's offset %llu does not fit the file of %llu bytes.",
                   static_cast<unsigned long long>(table), static_cast<unsigned long long>(size));
        return FALSE;
    }
    m_nSymbolTable = static_cast<DWORD>(symbols);
    m_nSymbolCount = m_header.Symbols / GNU166_ENTRY_SIZE;
    m_nStrings = static_cast<DWORD>(strings);
    m_nStringsEnd = static_cast<DWORD>(table);
    m_nEntries = static_cast<DWORD>(table + 4);
    m_nEntryCount = static_cast<DWORD>((entriesEnd - table - 4) / GNU166_ENTRY_SIZE);
    return TRUE;
}

void CGNU166Sections::DumpHeader()
{
    if (CGNUC16xInfo *info = dynamic_cast<CGNUC16xInfo *>(GetProgramInfo())) {
        info->m_nGnuValue1 = m_header.Model;
        info->m_nGnuValue2 = m_header.Code;
    }
    if (!IsDumping())
        return;
    DumpPrintf("GNU166 magic:%*Xh\n", 16, m_header.Magic);
    DumpPrintf("Code:%*s\n", 25, static_cast<LPCSTR>(ValueName(g_gnu166CodeNames, m_header.Code)));
    DumpPrintf("Model:%*s\n", 24, static_cast<LPCSTR>(ValueName(g_gnu166ModelNames, m_header.Model)));
    DumpPrintf("Text:%*u\n", 25, m_header.Text);
    DumpPrintf("Data:%*u\n", 25, m_header.Data);
    DumpPrintf("BSS:%*u\n", 26, m_header.Bss);
    DumpPrintf("Symbols:%*u\n", 22, m_header.Symbols);
    DumpPrintf("Start address:%*Xh\n", 15, m_header.Start);
    DumpPrintf("Reloc info (text):%*u\n", 12, m_header.TextRelocations);
    DumpPrintf("Reloc info (data):%*u\n", 12, m_header.DataRelocations);
}

BOOL CGNU166Sections::ReadSectionTable()
{
    const BYTE *view = GetView();
    uint64_t text = GNU166_HEADER_SIZE;
    const uint64_t textEnd = text + m_header.Text;
    uint64_t data = textEnd;
    const uint64_t dataEnd = data + m_header.Data;
    // The run of special-jump entries that follow each other without a gap.
    SectionTag jumps;
    BOOL jumpsOpen = FALSE;

    DumpPrintf("\nSections:\n");
    for (DWORD i = 0; i < m_nEntryCount; ++i) {
        const BYTE *entry = view + m_nEntries + uint64_t(i) * GNU166_ENTRY_SIZE;
        const DWORD type = ReadGnu166Word(entry);
        const DWORD length = ReadGnu166Word(entry + 4);
        const DWORD address = ReadGnu166Word(entry + 8);
        const DWORD number = i + 1;
        DumpPrintf("\nNumber:%*u\n", 13, number);
        DumpPrintf("Typ:%*s\n", 16, static_cast<LPCSTR>(ValueName(g_gnu166SectionTypeNames, type)));
        DumpPrintf("Length:%*u\n", 13, length);
        DumpPrintf("Address:%*Xh\n\n", 11, address);
        if (type == GNU166_SECTION_CODE || type == GNU166_SECTION_DATA) {
            const BOOL code = type == GNU166_SECTION_CODE;
            uint64_t &running = code ? text : data;
            if (running + length > (code ? textEnd : dataEnd)) {
                SetFailure(QEL_LOAD_READER_FAILED, "Section %u (%u bytes) runs past the end of the %s image.", number,
                           length, code ? "text" : "data");
                return FALSE;
            }
            if (uint64_t(address) + length > 0x100000000ull) {
                SetFailure(QEL_LOAD_READER_FAILED, "Section %u runs past the end of the address space.", number);
                return FALSE;
            }
            const BYTE *bytes = view + running;
            running += length;
            DumpHex(address, bytes, length);
            AddDownloadRange(CAddressValue(address, SYAM_ABSOLUTE, 0), length, code ? 1 : 3, bytes);
            SectionTag section;
            section.Type = code ? TYSE_CODE : TYSE_DATA;
            section.AddressValue = address;
            section.Length = length;
            section.Name.Format(code ? "text@%u" : "data@%u", number);
            m_sections.push_back(section);
        } else if (type == GNU166_SECTION_SPECIAL_JUMPS) {
            // The entry's length word is the code itself: a jump of 4 bytes.
            DumpHex(address, entry + 4, 4);
            AddDownloadRange(CAddressValue(address, SYAM_ABSOLUTE, 0), 4, 1, entry + 4);
            if (jumpsOpen && uint64_t(jumps.AddressValue) + jumps.Length == address) {
                jumps.Length += 4;
                continue;
            }
            if (jumpsOpen) {
                jumps.Name.Format("text@%u", number);
                m_sections.push_back(jumps);
            }
            jumps = SectionTag();
            jumps.Type = TYSE_CODE;
            jumps.AddressValue = address;
            jumps.Length = 4;
            jumpsOpen = TRUE;
        }
    }
    if (jumpsOpen) {
        jumps.Name.Format("text@%u", m_nEntryCount + 1);
        m_sections.push_back(jumps);
    }
    FlushDump();
    return TRUE;
}

BOOL CGNU166Sections::GetSymbolName(DWORD offset, CString *name) const
{
    name->Empty();
    if (offset == 0)
        return TRUE;
    const uint64_t start = uint64_t(m_nStrings) + offset;
    if (start >= m_nStringsEnd)
        return FALSE;
    const char *text = reinterpret_cast<const char *>(GetView() + start);
    const size_t room = static_cast<size_t>(m_nStringsEnd - start);
    const size_t length = strnlen(text, room);
    if (length == room)
        return FALSE;
    *name = CString(text, static_cast<int>(length));
    return TRUE;
}

Gnu166Symbol CGNU166Sections::ReadSymbol(DWORD fileOffset) const
{
    return ReadGnu166Symbol(GetView() + fileOffset);
}

BOOL CGNU166Sections::IsModuleMarker(const Gnu166Symbol &symbol, const CString &name, LPCSTR suffix)
{
    if (symbol.Type != GNU166_N_TEXT)
        return FALSE;
    const int dot = name.ReverseFind('.');
    return dot >= 0 && name.Mid(dot) == suffix;
}

BOOL CGNU166Sections::FindCodeSectionEnd(DWORD address, DWORD *end) const
{
    for (const SectionTag &section : m_sections) {
        if (section.Type == TYSE_CODE && address >= section.AddressValue &&
            uint64_t(address) < uint64_t(section.AddressValue) + section.Length) {
            *end = section.AddressValue + section.Length;
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CGNU166Sections::WalkSymbols(HWND progressWindow)
{
    DumpPrintf("\nSymbol table:\n");
    PostProgressStart(progressWindow, m_nSymbolCount);
    for (DWORD i = 0; i < m_nSymbolCount; ++i) {
        const DWORD fileOffset = m_nSymbolTable + i * GNU166_ENTRY_SIZE;
        const Gnu166Symbol symbol = ReadSymbol(fileOffset);
        CString name;
        if (!GetSymbolName(symbol.NameOffset, &name)) {
            SetFailure(QEL_LOAD_READER_FAILED, "The name of symbol %u (offset %u) lies outside the string table.",
                       i + 1, symbol.NameOffset);
            return FALSE;
        }
        if (IsDumping()) {
            DumpPrintf("\n<%u>\n", i + 1);
            DumpPrintf("\"%s\"\n", static_cast<LPCSTR>(name));
            DumpPrintf("TypeInfo:%*s\n", 11, static_cast<LPCSTR>(ValueName(g_gnu166SymbolTypeNames, symbol.Type & 0x1F)));
            if (symbol.Type > 31)
                DumpPrintf("DebugInfo:%*s\n", 10, static_cast<LPCSTR>(ValueName(g_gnu166StabNames, symbol.Type)));
            DumpPrintf("Other:%*x\n", 14, symbol.Other);
            DumpPrintf("Description:%*Xh\n", 7, symbol.Description);
            DumpPrintf("Value:%*Xh\n", 13, symbol.Value);
        }
        PostProgressPosition(progressWindow, i + 1);

        if (IsModuleMarker(symbol, name, ".text")) {
            OpenModule module;
            module.Entry.Type = TYSE_CODE;
            module.Entry.AddressValue = symbol.Value;
            module.Entry.Name = name;
            module.Stem = name.Left(name.GetLength() - 5);
            module.FileOffset = fileOffset;
            module.Open = TRUE;
            m_modules.push_back(module);
            if (AddModule(static_cast<int>(m_modules.size()), fileOffset, module.Entry) != 1)
                return FALSE;
            continue;
        }
        if (IsModuleMarker(symbol, name, ".end")) {
            // "x.end" closes the open module "x".
            const CString stem = name.Left(name.GetLength() - 4);
            for (size_t m = 0; m < m_modules.size(); ++m) {
                if (!m_modules[m].Open || m_modules[m].Stem != stem)
                    continue;
                if (symbol.Value < m_modules[m].Entry.AddressValue) {
                    SetFailure(QEL_LOAD_READER_FAILED, "The end of module %s (%Xh) lies below its start (%Xh).",
                               static_cast<LPCSTR>(stem), symbol.Value, m_modules[m].Entry.AddressValue);
                    return FALSE;
                }
                if (!CloseModule(m, symbol.Value - m_modules[m].Entry.AddressValue))
                    return FALSE;
                break;
            }
            continue;
        }
        if (IsModuleMarker(symbol, name, ".data") || IsModuleMarker(symbol, name, ".obj") ||
            IsModuleMarker(symbol, name, ".o"))
            continue;
        if (ProcessSymbol(symbol, name, fileOffset) != 1)
            return FALSE;
    }
    // A module without its ".end" ends with the code section that holds its start.
    for (size_t m = 0; m < m_modules.size(); ++m) {
        if (!m_modules[m].Open)
            continue;
        DWORD end = m_modules[m].Entry.AddressValue;
        FindCodeSectionEnd(m_modules[m].Entry.AddressValue, &end);
        if (!CloseModule(m, end - m_modules[m].Entry.AddressValue))
            return FALSE;
    }
    int number = static_cast<int>(m_modules.size());
    for (SectionTag &section : m_sections) {
        if (!section.Name.IsEmpty() && AddSection(++number, &section) != 1)
            return FALSE;
    }
    FlushDump();
    return TRUE;
}

BOOL CGNU166Sections::CloseModule(size_t index, DWORD length)
{
    OpenModule &module = m_modules[index];
    module.Open = FALSE;
    module.Entry.Length = length;
    // The section that is the module's whole code is named by the module.
    for (SectionTag &section : m_sections) {
        if (section.Type == module.Entry.Type && section.AddressMode == module.Entry.AddressMode &&
            section.AddressValue == module.Entry.AddressValue && section.Length == length)
            section.Name.Empty();
    }
    const int number = static_cast<int>(index + 1);
    return AddSection(number, &module.Entry) == 1 && EndModule(number) == 1;
}
