// CGNU166Sections: the section level of the GNU C166 reader.
//
// It checks where the parts of the file lie (every size, offset and count against the
// file, sums in 64 bits), dumps the header, reads the section table into the download
// and the section list, and walks the symbol table: the module markers ("x.text" opens
// module "x", "x.end" closes it) make the module list, every other symbol goes to
// ProcessSymbol. The globals level derives from it and writes the rows in the hooks.
#pragma once

#include <tagrecords.h>

#include "gnu166format.h"
#include "targetfile.h"

#include <vector>

class CGNU166Sections : public CQelTargetFile {
public:
    CGNU166Sections(DWORD programId, IUnknown *host);
    ~CGNU166Sections() override;

    int IsFileType(HANDLE file) override;
    // The sections pass: header dump, section table, symbol walk, then the download. 1
    // to go on; 0, with status 7 and the reason, when the file is damaged or a hook
    // failed, or with the download's failure.
    int ReadSections(HWND progressWindow) override;

    // The name at `offset` of the string table ("" for 0); FALSE when it does not lie
    // whole in the table.
    BOOL GetSymbolName(DWORD offset, CString *name) const;

    // The hooks of the symbol walk; this level answers 1 (go on), 0 stops the pass (the
    // hook sets the failure). `fileOffset` is the symbol's place in the file.
    virtual int ProcessSymbol(const Gnu166Symbol &symbol, const CString &name, DWORD fileOffset);
    // A module opens at its ".text" marker: `number` counts modules from 1, `entry` is
    // its code section as far as known (Length not yet), `fileOffset` its marker's.
    virtual int AddModule(int number, DWORD fileOffset, const SectionTag &entry);
    // A Sections row: each module's under its number when the module closes, then the
    // sections that no module names.
    virtual int AddSection(int number, SectionTag *entry);
    // After the module's own AddSection.
    virtual int EndModule(int number);

    const Gnu166Header &GetHeader() const { return m_header; }
    // The symbol table: where it starts in the file and its count.
    DWORD GetSymbolTableOffset() const { return m_nSymbolTable; }
    DWORD GetSymbolCount() const { return m_nSymbolCount; }
    // The symbol at `fileOffset`, which must be one of the table's.
    Gnu166Symbol ReadSymbol(DWORD fileOffset) const;
    // Whether a symbol is a module marker with the suffix `suffix` (".text", ".end").
    static BOOL IsModuleMarker(const Gnu166Symbol &symbol, const CString &name, LPCSTR suffix);
    // The end of the code section that holds `address`; FALSE when none does.
    BOOL FindCodeSectionEnd(DWORD address, DWORD *end) const;

private:
    struct OpenModule;

    BOOL CheckLayout();
    void DumpHeader();
    BOOL ReadSectionTable();
    BOOL WalkSymbols(HWND progressWindow);
    BOOL CloseModule(size_t index, DWORD length);

    Gnu166Header m_header = {};
    DWORD m_nSymbolTable = 0;
    DWORD m_nSymbolCount = 0;
    DWORD m_nStrings = 0;    // the string table's start
    DWORD m_nStringsEnd = 0; // T
    DWORD m_nEntries = 0;    // the section table's first entry
    DWORD m_nEntryCount = 0;
    std::vector<SectionTag> m_sections;
    std::vector<OpenModule> m_modules;
};
