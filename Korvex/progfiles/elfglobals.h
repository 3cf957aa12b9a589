// CELFGlobals: the globals level of the ELF reader.
//
// It writes the program-wide part of the symbol database: the Program row when the file
// is opened, a Sections row for every section record of the sections pass, and, in the
// globals pass, the rows of the debugging information's reader, the labels and
// assembler data of the ELF symbol table, the start-up labels and the register map. A
// database that an earlier load filled (its Program row analysed) is left as it is: only
// the memory image is downloaded again.
//
// It also downloads the memory image itself, because a TriCore target has a PCP whose
// code and data go to the PCP debugger's debug server: a block whose target address lies
// in the PCP's code or data window is written there.
#pragma once

#include <qeldatabase.h>
#include <map>
#include <string>
#include <unordered_map>
#include <symboltables.h>

#include "dwarf1values.h"
#include "dwarf2entries.h"
#include "dwarf2entryvalues.h"
#include "dwarf2unitglobals.h"
#include "elfsections.h"
#include "keyedseek.h"
#include "varedstatements.h"

class CELFGlobals : public CELFSections {
public:
    // The recordsets work on `database`, which must stay open while the reader lives.
    // `host` is the host's debug-server object, not counted.
    CELFGlobals(CQelDatabase &database, DWORD programId, IUnknown *host);
    ~CELFGlobals() override;

    // The sections level's Open, then the Program row, unless the database holds an
    // analysed one. A database error raises CQeldbException.
    BOOL Open(LPCSTR path, LPCSTR dumpTarget) override;
    // The globals pass: 1, or the answer of the debugging information's reader that
    // failed. Sets the Program row analysed at its end.
    int ReadGlobals(HWND progressWindow) override;
    // The module level reads modules; this one has none to read.
    int ReadModules(int moduleIndex, int flag) override;
    // The download split between the main core and the PCP (see above). FALSE, with the
    // failure set, when a block was refused.
    BOOL DownloadPattern(HWND progressWindow, DWORD alignment) override;
    // Writes the Sections row (nothing when the program is analysed); a record in the
    // PCP's code or data window gets the PCP's section type.
    int AddSection(int index, SectionTag *record) override;

    // For the debugging information's readers. Makes the source file `name` of
    // `directory` known (a SourceFiles row, found by its path or added; `hasLines`: the
    // file is named by a line-number program) and related to the module being read (the
    // last Moduls row), and makes it the current source file. A name that gives no path
    // (the directory's own) changes nothing.
    void RegisterSourceFile(LPCSTR name, BOOL hasLines, LPCSTR directory);
    // Relates the module being read and the current source file to the section that
    // holds `address`, once per section change.
    void RecordRelations(const CAddressValue &address);

    // The globals pass of DWARF 2 debugging information: a Moduls row per unit, its
    // source files and relations, Functions rows and the variables at fixed addresses.
    // `position` is the progress position, advanced by the units' sizes. A unit that
    // cannot be read whole leaves no rows and is named in a notice; the pass goes on.
    int ReadDwarf2Globals(HWND progressWindow, DWORD *position);

    // The globals pass of DWARF 1.1 debugging information (".debug"): a Moduls row per
    // compilation unit, its source files and relations, Functions rows and the variables
    // at fixed addresses, the declared globals last. `position` is the progress position,
    // advanced by the entries' offsets.
    int ReadDwarf1Globals(HWND progressWindow, DWORD *position);

    // Whether the database held an analysed Program row when the file was opened.
    BOOL IsAnalyzed() const { return m_bAnalyzed; }
    // The largest start of a section record in the PCP's code window, -1 when none.
    DWORD GetPcpEntryAddress() const { return m_nPcpEntry; }

protected:
    CQelDatabase &GetDatabase() const { return m_database; }
    Dwarf2Sections GetDwarf2Sections() const;
    // Whether the file has DWARF 2 debugging information, and no DWARF 1 besides.
    BOOL HasDwarf2Only() const;
    // Whether the file has DWARF 1.1 debugging information, which is read whatever else
    // the file carries.
    BOOL HasDwarf1() const;
    Dwarf1Sections GetDwarf1Sections() const;
    // The compilation units of ".debug", found once.
    const std::vector<Dwarf1Unit> &GetDwarf1Units();
    // Whether a unit of that name is a PCP module: a PCP debugger was known at the load
    // and the name ends in ".pcp" (within its last five characters).
    BOOL IsDwarf1PcpUnit(LPCSTR name) const;
    // The byte address of a PCP code word address.
    DWORD PcpCodeAddress(DWORD word) const;
    // The SourceFiles row of `name` in `directory` that RegisterSourceFile made, found
    // whichever form of the path it chose then (the files on disk may have changed
    // since); -1 when there is none.
    LONG FindSourceFile(LPCSTR name, LPCSTR directory);
    // The section record that holds `address` (mode 1), -1 when none does.
    int FindSectionIndex(DWORD address);

    // Positions `rs` on the first row whose index `key` equals the keys; FALSE when there
    // is none.
    BOOL SeekKey(CQelRecordset &rs, UINT key, const CdbVariant &first, const CdbVariant *second = nullptr);

    CDBModuls m_moduls;
    CDBSymbolInfo m_symbols;
    CDBSourceFiles m_sourceFiles;

private:
    // One download block: ranges [first, last) of the sorted list.
    struct Block;

    // The rows of one unit that the globals pass has read.
    void WriteDwarf2Unit(const Dwarf2UnitGlobals &unit);
    // Relates the module being read and the current source file to section record
    // `section`, once per section change.
    void RecordSectionRelation(int section);

    // The statements of the program's VarEd section, when the host has the feature on.
    void CheckVarEd();
    // After a global variable's row: the statements that name it learn its SymbolIndex.
    void ResolveVarEdVariable(LPCSTR name, DWORD address);

    // The DWARF 1.1 globals pass's parts (dwarf1globals.cpp).
    struct Dwarf1GlobalsState;
    void ReadDwarf1Unit(const Dwarf1EntryValues &unit, Dwarf1GlobalsState &state);
    void RecordDwarf1LineRelations(DWORD table, DWORD first, DWORD until, BOOL pcp);
    void ReadDwarf1Subroutine(const Dwarf1EntryValues &entry, Dwarf1GlobalsState &state);
    CString Dwarf1MemberFunctionName(const Dwarf1EntryValues &entry, const CString &name,
                                     const Dwarf1GlobalsState &state);
    void ReadDwarf1Variable(const Dwarf1EntryValues &entry, Dwarf1GlobalsState &state);
    // The address of a defined symbol of the ELF symbol table by its name (demangled with
    // `demangled`); FALSE when none has it.
    BOOL FindSymbolAddress(const CString &name, BOOL demangled, DWORD *address);

    void ReadSymbolTable(HWND progressWindow, DWORD *position);
    void WriteStartupLabels();
    void WriteRegisterMap();
    void MarkAnalyzed();

    // The PCP's code and data windows, when a PCP debugger's debug server is known.
    BOOL HasPcp() const;
    BOOL IsPcpCode(DWORD address) const;
    BOOL IsPcpData(DWORD address) const;
    // Whether the PCP debugger's debug server is the host object itself (a stand-alone
    // PCP debugger loads its own program).
    BOOL IsPcpTheHost() const;
    BOOL WriteBlock(DWORD start, DWORD target, DWORD length, const BYTE *data, DWORD memoryType);
    static BOOL WriteTo(IUnknown *server, DWORD start, DWORD target, DWORD length, const BYTE *data,
                        DWORD memoryType, DWORD programId, BOOL pcp);

    CQelDatabase &m_database;
    CDBProgram m_program;
    CDBFunctions m_functions;
    CVarEdStatements m_varEd;
    CDBModulSourceFileRel m_modulSourceFiles;
    CDBModulSectionRel m_modulSections;
    CDBSectionSourceFileRel m_sectionSourceFiles;
    CDBSectionsBinary m_sections;
    BOOL m_bAnalyzed = FALSE;
    DWORD m_nPcpEntry = 0xFFFFFFFF;
    int m_nCurrentSection = -1;
    LONG m_nCurrentSourceFile = 0;
    CString m_strCurrentSourcePath; // the path of the current source file
    int m_nLastSectionFound = -1;
    CKeyedSeek m_seek;
    std::vector<Dwarf1Unit> m_dwarf1Units;
    BOOL m_bDwarf1UnitsFound = FALSE;
    // The ELF symbol table's defined names, as written and demangled, filled when a
    // declaration first asks.
    std::unordered_map<std::string, DWORD> m_symbolAddresses[2];
    BOOL m_bSymbolAddressesRead[2] = {FALSE, FALSE};
};
