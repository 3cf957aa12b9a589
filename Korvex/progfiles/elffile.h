// CELFFile: the module level of the ELF reader, the object that a load makes for an ELF
// program file.
//
// It reads one module's debugging information into the database when the symbol engine
// asks for it: the module's types, blocks, parameters, locals, labels, lifetimes and
// source lines. The globals level has written the module's row, its functions and its
// variables at fixed addresses before.
//
// A module pass runs inside a savepoint and marks the module analysed at its end: a
// pass that fails (an entry it cannot read, a number the database cannot pack, a
// database error) leaves none of its rows and the module unread, and the load goes on.
#pragma once

#include "elfglobals.h"

#include <set>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class CELFFile : public CELFGlobals {
public:
    CELFFile(CQelDatabase &database, DWORD programId, IUnknown *host);
    ~CELFFile() override;

    // Reads module `moduleIndex` (its Moduls row number): 1 when it is read now or was
    // read before, 0 when there is no such module or its pass failed. The flag is not
    // used.
    int ReadModules(int moduleIndex, int flag) override;

    // The module pass of DWARF 2.
    int ReadDwarf2Module(LONG modul);
    // The module pass of DWARF 1.1 (".debug").
    int ReadDwarf1Module(LONG modul);

private:
    struct ModuleScope;
    struct Dwarf1ModuleState;

    // The module start: the function counter goes on from the module's first function.
    void BeginModule(LONG modul);
    // The FunctionIndex of the module's first function.
    LONG FirstFunctionOf(LONG modul);
    BOOL ReadDwarf2ModuleUnit(CDwarf2EntryReader &reader, LONG modul);
    void HandleEntry(CDwarf2EntryReader &reader, ModuleScope &around, ModuleScope *inner);
    void CloseScope(ModuleScope &scope);

    // Types.
    void WriteBaseType(const Dwarf2EntryValues &entry);
    void WriteTypeReference(const Dwarf2EntryValues &entry);
    void AddDimension(const Dwarf2EntryValues &entry, ModuleScope &array);
    void WriteArray(ModuleScope &array);
    void WriteEnumerator(const Dwarf2EntryValues &entry, ModuleScope &enumeration);
    void WriteMember(const Dwarf2EntryValues &entry, ModuleScope &compound);
    LONG TakeSyntheticNumber();
    BOOL IsSignedType(DWORD type) const;

    // Code and data.
    void BeginBlock(const Dwarf2EntryValues &entry, BYTE addressSize, ModuleScope *inner);
    std::vector<Dwarf2LocationListEntry> FrameBaseOf(const Dwarf2EntryValues &entry, BYTE addressSize);
    void WriteVariable(const Dwarf2EntryValues &entry, const ModuleScope &around, BOOL parameter);
    BOOL PlaceVariable(const Dwarf2EntryValues &entry, const ModuleScope &around, LONG *triple);
    void WriteLifetime(LONG list, DWORD begin, LONG mode, LONG value, LONG extra);
    void WriteSourceLines(const Dwarf2EntryValues &unit);
    void ClearAnalyzedSourceFiles();

    // The DWARF 1.1 module pass (dwarf1module.cpp, dwarf1moduletypes.cpp).
    BOOL ReadDwarf1ModuleUnit(Dwarf1ModuleState &state);
    void HandleDwarf1Entry(const Dwarf1EntryValues &entry, Dwarf1ModuleState &state);
    void CloseDwarf1Construct(Dwarf1ModuleState &state);
    void WriteDwarf1FundamentalTypes();
    LONG Dwarf1ModuleType(const Dwarf1Type &type, DWORD entryOffset, const Dwarf1ModuleState &state);
    void WriteDwarf1TypeEntry(const Dwarf1EntryValues &entry, Dwarf1ModuleState &state);
    void WriteDwarf1Array(const Dwarf1EntryValues &entry, const Dwarf1ModuleState &state);
    void WriteDwarf1Enumeration(const Dwarf1EntryValues &entry, const Dwarf1ModuleState &state);
    void WriteDwarf1Member(const Dwarf1EntryValues &entry, Dwarf1ModuleState &state);
    bool IsDwarf1SignedMember(const Dwarf1Type &type, const Dwarf1ModuleState &state) const;
    void BeginDwarf1Scope(const Dwarf1EntryValues &entry, Dwarf1ModuleState &state);
    void WriteDwarf1Variable(const Dwarf1EntryValues &entry, Dwarf1ModuleState &state);
    BOOL PlaceDwarf1Variable(const Dwarf1EntryValues &entry, const Dwarf1ModuleState &state, LONG *triple);
    void ReadDwarf1SourceLines(const Dwarf1EntryValues &unit, Dwarf1ModuleState &state);
    void AddDwarf1FunctionLines(const Dwarf1ModuleState &state);

    CDBTypeInfo m_types;
    CDBSourceLines m_sourceLines;

    // The module being read.
    LONG m_nModul = 0;
    LONG m_nFunctionCounter = 0;
    LONG m_nSyntheticType = 0;
    LONG m_nLowestSynthetic = 0; // synthetic numbers must stay above the unit's entries
    LONG m_nLifetimeList = 1;
    std::unordered_map<DWORD, DWORD> m_baseEncodings; // base type entry -> encoding
    std::unordered_set<DWORD> m_signedEnumerations;   // enumerations with a negative value
    std::unordered_map<DWORD, DWORD> m_typeAliases;   // typedef, const, volatile -> type
    std::set<LONG> m_linedSourceFiles;
    std::unordered_map<LONG, LONG> m_firstFunctions; // module -> its first FunctionIndex
};
