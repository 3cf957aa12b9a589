// CEOMFGlobals: the globals level of the EOMF reader.
//
// It fills the program-wide part of the symbol database while the section level walks
// the records: the Program row when the file is opened; then Sections, Moduls,
// SourceFiles and their relations, global and module-static symbols, Functions, the
// types they use and the register map. A database whose Program row is analysed is left
// as it is: the walk then only collects the download data and the sections.
//
// EOMF types are program-wide: their rows carry module 0 and the EOMF type index, and the
// rows a descriptor needs beyond its own (members, parameter links, further array
// dimensions) take numbers from 0x20000 up. A type is written the first time a symbol
// uses it, with the types it names, through a work list rather than recursion, so that a
// long chain of types cannot exhaust the stack.
//
// A procedure's FunctionIndex is 1 + the number of named procedure blocks before it in
// the file; a procedure without a Functions row (its section has no line numbers) leaves
// a hole, so that the module level finds the same numbers.
#pragma once

#include <qeldatabase.h>
#include <symboltables.h>

#include "eomflayouts.h"
#include "eomfsections.h"
#include "keyedseek.h"

#include <map>
#include <vector>

class CEOMFGlobals : public CEOMFSections {
public:
    // The recordsets work on `database`, which must stay open while the reader lives.
    CEOMFGlobals(CQelDatabase &database, DWORD programId, IUnknown *host);
    ~CEOMFGlobals() override;

    // The section level's Open, then the Program row, unless the database holds one.
    BOOL Open(LPCSTR path, LPCSTR dumpTarget) override;
    // The walk: with the globals pass unless the program is analysed.
    int ReadSections(HWND progressWindow) override;
    // 1 at once when the program is analysed (as after ReadSections); otherwise the base
    // types, the walk, the register map and the analysed flag.
    int ReadGlobals(HWND progressWindow) override;
    int AddSection(int index, SectionTag *section) override;
    int ProcessRecord(const EomfRecord &record, HWND progressWindow) override;

    BOOL IsAnalyzed() const { return m_bAnalyzed; }

protected:
    // Positions `rs` on the first row whose index `key` equals the keys.
    BOOL SeekKey(CQelRecordset &rs, UINT key, const CdbVariant &first, const CdbVariant *second = nullptr);
    CQelDatabase &GetDatabase() const { return m_database; }

    // COMMENT of class "Input file": the source file becomes current (found or added);
    // with `relate` the module is related to it.
    void EnterSourceFile(const CString &text, BOOL relate);
    // The section that holds the range becomes current, related to the module and the
    // source file; -1 when no section holds it.
    int RelateRange(DWORD address, DWORD length);
    // The translator comment and the memory model of MODINF.
    void ReadTranslator(const EomfRecord &record);
    void ReadMemoryModel(const EomfRecord &record);

    // Writes type `type` (128 and up) and what it names, unless it is written or stored.
    void WriteTypeOnDemand(DWORD type);
    // The size in bytes of a value of type `type`.
    DWORD TypeSize(DWORD type);
    // The call type of a label's type (near 1, far 2), else the module default.
    LONG LabelCallType(DWORD type) const;
    // The descriptor of type `type`; FALSE when it has none that can be read.
    BOOL ReadType(DWORD type, EomfTypeDescriptor *descriptor) const;

    CDBModuls m_moduls;
    CDBSymbolInfo m_symbols;
    CDBSourceFiles m_sourceFiles;
    CDBTypeInfo m_types;

    // The module being read.
    LONG m_nModul = 0;
    LONG m_nSourceFile = 0;
    int m_nSection = -1;
    BOOL m_bCModule = FALSE;
    LONG m_nDefaultCall = 2;

private:
    struct Function {
        LONG Number; // the FunctionIndex, -1 for a label
        CString Name;
        DWORD Address;
        DWORD Length;
        LONG ReturnType;
        LONG Scope;
        LONG CallType;
    };

    void BeginModule(const EomfRecord &record);
    void FlushFunctions();
    void AddProcedure(const EomfRecord &record);
    void AddLabelFunction(const CString &name, DWORD address, LONG scope);
    void WriteGlobals(const EomfRecord &record);
    void WriteStatics(const EomfRecord &record);
    void WriteLines(const EomfRecord &record);
    CString FindDependencyPath(const CString &text);
    void WriteBaseTypes();
    void WriteRegisterMap();
    void MarkAnalyzed();
    // One descriptor's rows; the types it names go to the work list.
    void WriteTypeRows(DWORD type, const EomfTypeDescriptor &descriptor, std::vector<DWORD> *pending);
    // The members or parameter links of component list `list` with owner `owner`; their
    // count (0 when `list` is no component list).
    LONG WriteComponents(DWORD list, DWORD owner, std::vector<DWORD> *pending);
    LONG TakeTypeNumber();

    CQelDatabase &m_database;
    CDBProgram m_program;
    CDBFunctions m_functions;
    CDBModulSourceFileRel m_modulSourceFiles;
    CDBModulSectionRel m_modulSections;
    CDBSectionSourceFileRel m_sectionSourceFiles;
    CDBSectionsBinary m_sectionRows;
    BOOL m_bAnalyzed = FALSE;
    std::vector<Function> m_functionList;
    std::vector<BYTE> m_lineSections; // 1: the section holds lines of the module
    LONG m_nLinedSourceFile = 0;      // the source file last flagged as holding lines
    LONG m_nDepth = 0;                // blocks open below the current procedure
    LONG m_nProcedureBlock = 0;       // the block number of the current procedure
    LONG m_nProcedureIndex = 0;       // its FunctionIndex
    BOOL m_bInProcedure = FALSE;      // a procedure's block is open, not only one at module level
    LONG m_nNextTypeNumber = 0x20000;
    std::vector<BYTE> m_typeMarks; // by type index - 128: written or being written
    CKeyedSeek m_seek;
};
