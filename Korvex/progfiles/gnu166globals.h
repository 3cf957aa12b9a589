// CGNU166Globals: the globals level of the GNU C166 reader.
//
// It writes the program-wide rows while the sections pass walks the symbols: a Moduls
// row at each module's ".text" marker (the symbols up to the next marker are the
// module's), its Sections row and relation when it closes, source files, functions,
// source lines, global and static variables at fixed addresses, global labels and the
// register map. A database that an earlier load filled (its Program row analysed) gets
// no row: the walk still builds the lists and the download.
//
// The C globals: an N_GSYM gives a global's name and type but no address; the address
// comes later with the linker's N_DATA|N_EXT or N_BSS|N_EXT symbol of the same name
// with its leading '_', which then writes the row.
#pragma once

#include <loaderrecords.h>
#include <qeldatabase.h>
#include <symboltables.h>

#include "gnu166sections.h"
#include "keyedseek.h"

#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

class CGNU166Globals : public CGNU166Sections {
public:
    // The recordsets work on `database`, which must stay open while the reader lives.
    CGNU166Globals(CQelDatabase &database, DWORD programId, IUnknown *host);
    ~CGNU166Globals() override;

    // The sections level's Open, then the Program row, unless the database holds one.
    BOOL Open(LPCSTR path, LPCSTR dumpTarget) override;
    // The sections pass; on a database not yet analysed it is the globals pass.
    int ReadSections(HWND progressWindow) override;
    // On an analysed database only the special symbols are looked up; otherwise the
    // sections pass with the rows, the register map, and the Program row analysed. The
    // pass's result.
    int ReadGlobals(HWND progressWindow) override;
    int ReadModules(int moduleIndex, int flag) override;

    int ProcessSymbol(const Gnu166Symbol &symbol, const CString &name, DWORD fileOffset) override;
    int AddModule(int number, DWORD fileOffset, const SectionTag &entry) override;
    int AddSection(int number, SectionTag *entry) override;
    int EndModule(int number) override;

    BOOL IsAnalyzed() const { return m_bAnalyzed; }

protected:
    CQelDatabase &GetDatabase() const { return m_database; }
    // Positions `rs` on the first row whose index `key` equals the keys; FALSE when none.
    BOOL SeekKey(CQelRecordset &rs, UINT key, const CdbVariant &first, const CdbVariant *second = nullptr);
    // The packed type of a module's stabs type number; kNoIndex when either is out of
    // the database's range.
    static LONG PackedType(LONG modul, LONG number);

    CDBModuls m_moduls;
    CDBSymbolInfo m_symbols;
    CDBFunctions m_functions;

private:
    struct PendingGlobal {
        CString Name;
        LONG Type;
        LONG Modul;
    };

    // A function's row waits until the next N_FUN gives its length.
    struct PendingFunction {
        LONG Index;
        CString Name;
        DWORD Address;
        LONG Length;
        LONG Section;
        LONG ReturnType;
        LONG Scope;
    };
    // A SourceFiles row of this pass, written at its end.
    struct NewSourceFile {
        LONG Index;
        CString Path;
        BOOL HasLines;
    };

    void AddSourceFile(const CString &name);
    void WriteSourceFiles();
    void AddFunction(const CString &text, DWORD address);
    void WritePendingFunction();
    void AddSourceLine(WORD line, DWORD address);
    // Counts the scope of the function block that a block or local opens before the
    // module's first function, as the module pass does.
    void BeginScopeBeforeFunction();
    void AddStaticVariable(const CString &text, DWORD address);
    void AddExternalData(const Gnu166Symbol &symbol, const CString &name);
    void AddModuleData(const Gnu166Symbol &symbol, const CString &name);
    // The row of a bit (0x4711) or word (0x4712) symbol; FALSE for other descriptions.
    BOOL BitOrWordRecord(const Gnu166Symbol &symbol, const CString &name, SymbolRecordTag *record) const;
    void WriteRegisterMap();
    void MarkAnalyzed();
    void LookUpSpecialSymbols();
    BOOL FindGlobalLabel(LPCSTR name, DWORD *address);

    CQelDatabase &m_database;
    CDBProgram m_program;
    CDBSectionsBinary m_sections;
    CDBSourceFiles m_sourceFiles;
    CDBSourceLines m_sourceLines;
    CDBModulSourceFileRel m_modulSourceFiles;
    CDBModulSectionRel m_modulSections;
    CDBSectionSourceFileRel m_sectionSourceFiles;
    CKeyedSeek m_seek;
    BOOL m_bAnalyzed = FALSE;

    // The walk's state.
    LONG m_nModul = 0;
    LONG m_nSection = -1;
    LONG m_nSourceFile = 0;
    CString m_strDirectory;
    LONG m_nFunctionCount = 0;
    LONG m_nFunction = 0;     // the last function's FunctionIndex, 0 before the first
    PendingFunction m_pendingFunction;
    BOOL m_bFunctionPending = FALSE;
    int m_nBlockDepth = 0;
    // The module pass numbers the scopes of a module's function blocks and inner blocks
    // as they come; counted here alike, so that a function's local static carries the
    // ScopeIndex of the function's block, which the scope queries match.
    LONG m_nScopeCounter = 0;
    BOOL m_bScopeBegun = FALSE; // the module's first function block has been counted
    LONG m_nFunctionBlockScope = 0;
    std::vector<NewSourceFile> m_newSourceFiles;
    std::map<std::string, LONG> m_sourceFileIndexes; // upper-case path -> index
    // The relation rows of this pass, by key name and pair: the tables need no seek.
    std::set<std::tuple<UINT, LONG, LONG>> m_relations;
    std::map<std::string, PendingGlobal> m_pendingGlobals;
};
