// CTaskingOutGlobals: the globals level of the Tasking ".out" reader.
//
// It writes the program-wide part of the symbol database: the Program row when the file
// is opened, a Sections row per section record, and in the globals pass, one walk over
// the name table, the modules, source files and their relations, the functions, the
// global and static variables (already at their final addresses: a variable is right
// before its module is read), the global assembler symbols and labels, and the register
// map. A database whose Program row an earlier load marked analysed is left as it is.
//
// Names pass through the C++ demangler: a record's text is shown decoded when the
// demangler makes something of it.
//
// Records the pass cannot use (a source-file number never defined, a scope nested
// deeper than kTaskingScopeDepth) write nothing and leave a notice; the pass goes on.
//
// The record fields that the globals pass reads (the module pass's are in
// taskingfile.h; testdata/tasking/FORMAT.md has both):
//
//   kind  descriptor          value         extra    effect
//   0x02  -                   -             -        the current file has lines (Type 1000)
//   0x04  0                   -             -        Moduls row (text: its name)
//   0x08  bit 2 extern; call  -             -        Scope and CallType of the open function
//         type bits 4, 3, 5
//   0x09  -                   -             -        a block opens (scope of statics)
//   0x0F  -                   -             -        the innermost block closes
//   0x11  -                   function end  -        the open function's Functions row
//   0x16  type                address       -        Symbols 5
//   0x1D  file number         -             -        SourceFiles row (text: its path)
//   0x1F  type                address       -        Symbols 3 in a function, else 4
//   0x25  return type         start         section  a function begins (text: its name)
//   0x56  file number         -             -        the current source file
//   0x5C  -                   -             section  section's relations to file and module
//   0x5D  -                   -             section  section's relation to the file
//
//   Global assembler symbols: class bits (2-5) 12, 16, 20, 24 with bits 6-7 set give
//   Symbols 6 with the data-type code 14, 15, 13, 17; 28, 32, 36 give Symbols 13 with
//   the call type 2, 1, 3. Variables and bit symbols below 4096 lie at bit addresses.
#pragma once

#include <qeldatabase.h>
#include <symboltables.h>

#include "keyedseek.h"
#include "taskingsections.h"

#include <map>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

// The deepest nesting of blocks inside a function that the passes follow.
const size_t kTaskingScopeDepth = 256;

// The record kinds of the name table.
enum : DWORD {
    TASKING_LINE = 0x02,
    TASKING_MODULE = 0x04,
    TASKING_ARRAY_BEGIN = 0x05,
    TASKING_LOCAL = 0x06,
    TASKING_BIT_TYPE = 0x07,
    TASKING_FUNCTION_ATTRIBUTES = 0x08,
    TASKING_BLOCK_BEGIN = 0x09,
    TASKING_TYPEDEF = 0x0D,
    TASKING_ENUM_BEGIN = 0x0E,
    TASKING_BLOCK_END = 0x0F,
    TASKING_ENUM_END = 0x10,
    TASKING_FUNCTION_END = 0x11,
    TASKING_STRUCT_END = 0x12,
    TASKING_GLOBAL = 0x16,
    TASKING_MEMBER = 0x17,
    TASKING_UNION_END = 0x1A,
    TASKING_LABEL = 0x1B,
    TASKING_SOURCE_FILE = 0x1D,
    TASKING_STATIC = 0x1F,
    TASKING_ENUM_MEMBER = 0x21,
    TASKING_PARAMETER = 0x22,
    TASKING_FUNCTION_BEGIN = 0x25,
    TASKING_POINTER = 0x26,
    TASKING_STRUCT_BEGIN = 0x28,
    TASKING_BASE_TYPE = 0x2D,
    TASKING_ARRAY_END = 0x31,
    TASKING_FUNCTION_TYPE = 0x37,
    TASKING_UNION_BEGIN = 0x3B,
    TASKING_REGISTER = 0x40,
    TASKING_CURRENT_FILE = 0x56,
    TASKING_SECTION_BEGIN = 0x5C,
    TASKING_SECTION_END = 0x5D,
    TASKING_ADDRESS_ROW = 0x5F,
    TASKING_STACK_ADJUST = 0x60,
    TASKING_LIFETIME_LOCAL = 0x62,
    TASKING_LIFETIME_PARAMETER = 0x63,
    TASKING_LIFE_REGISTER = 0x64,
    TASKING_LIFE_STACK = 0x65,
    TASKING_LIFE_DEAD = 0x66,
};

// The address triple of a variable at `address`: below 4096 a bit address, else absolute.
void TaskingVariableAddress(DWORD address, LONG *triple);

class CTaskingOutGlobals : public CTaskingOutSections {
public:
    // The recordsets work on `database`, which must stay open while the reader lives.
    CTaskingOutGlobals(CQelDatabase &database, DWORD programId, IUnknown *owner);
    ~CTaskingOutGlobals() override;

    // The base's Open, then the Program row, unless the database holds an analysed one.
    BOOL Open(LPCSTR path, LPCSTR dumpTarget) override;
    // The sections pass, then the download of what it collected (alignment 2).
    int ReadSections(HWND progressWindow) override;
    // The globals pass; 1.
    int ReadGlobals(HWND progressWindow) override;
    // The decoded text of the current record when the demangler makes one, else the text.
    CString GetString() override;
    // Writes the Sections row (nothing when the program is analysed).
    int AddSection(int index, SectionTag *record) override;

    BOOL IsAnalyzed() const { return m_bAnalyzed; }

protected:
    CQelDatabase &GetDatabase() const { return m_database; }
    // Positions `rs` on the row whose index `key` equals the keys; FALSE when none.
    BOOL SeekKey(CQelRecordset &rs, UINT key, const CdbVariant &first, const CdbVariant *second = nullptr);
    // The SourceFiles row of `path`, found or added; its index.
    LONG RegisterSourceFile(LPCSTR path);
    // After a rollback: the rows that a pass added may be gone again.
    void ForgetSourceFileCount() { m_nSourceFileRows = -1; }
    // The assembler symbols and labels a record carries in its class bits (global ones
    // from the globals pass, static ones from the module pass).
    void WriteAssemblerSymbol(const TaskingNameRecord &record, LONG modul, BOOL global);

    CDBModuls m_moduls;
    CDBSymbolInfo m_symbols;
    CDBSourceFiles m_sourceFiles;

private:
    struct PendingFunction;

    void Dispatch(DWORD index, const TaskingNameRecord &record);
    void BeginModule(DWORD index);
    void BeginFunction(DWORD index, const TaskingNameRecord &record);
    void EndFunction(DWORD end);
    void MarkSourceLines();
    void DefineSourceFile(const TaskingNameRecord &record);
    void SelectSourceFile(WORD number);
    void RelateSection(WORD section, BOOL withModule);
    void WriteVariable(DWORD index, const TaskingNameRecord &record, BOOL global);
    void WriteRegisterMap();
    void MarkAnalyzed();

    CQelDatabase &m_database;
    CDBProgram m_program;
    CDBFunctions m_functions;
    CDBSectionsBinary m_sections;
    CDBModulSourceFileRel m_modulSourceFiles;
    CDBModulSectionRel m_modulSections;
    CDBSectionSourceFileRel m_sectionSourceFiles;
    // The SourceFiles rows by their index, for marking them: m_sourceFiles seeks by path,
    // and a recordset that changed its index at every module would read its first row
    // each time.
    CDBSourceFiles m_markedSourceFiles;
    BOOL m_bAnalyzed = FALSE;
    CKeyedSeek m_seek;

    // The walk's state.
    LONG m_nModulRows = 0;
    LONG m_nFunctionRows = 0;
    // The SourceFiles rows, counted once when the first file is added (-1: not yet), since
    // the table counts them anew each time it is asked.
    LONG m_nSourceFileRows = -1;
    LONG m_nModul = 0;
    DWORD m_nModulRecord = 0; // the name record of the module
    std::unordered_map<WORD, LONG> m_fileIndexes; // the file's numbers -> SourceFiles
    LONG m_nCurrentFile = 0;                      // 0: unknown
    LONG m_nMarkedFile = 0;                       // the last file marked as having lines
    // The rows that this globals pass has already found or written, which it need not
    // seek again: it runs in one transaction, and nothing else changes them meanwhile.
    std::unordered_set<LONG> m_markedFiles;                 // SourceFiles marked as having lines
    std::set<std::pair<LONG, LONG>> m_sectionFileRows;      // SectionSourceFileRelation
    std::set<std::pair<LONG, LONG>> m_modulSectionRows;     // ModulSectionRelation
    std::unordered_map<LONG, bool> m_modulSectionAllowed;   // a Sections row, not the vectors
    std::unique_ptr<PendingFunction> m_pFunction;
    std::vector<DWORD> m_scopes; // the record numbers of the open blocks
    size_t m_nDepth = 0;         // the nesting, also beyond what m_scopes follows
    std::vector<char> m_decoded; // the demangler's buffer
};
