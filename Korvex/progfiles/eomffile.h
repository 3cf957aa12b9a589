// CEOMFFile: the module level of the EOMF reader, the object that a load keeps for an
// EOMF program file.
//
// It reads one module's local information when the symbol engine asks for it: source
// lines, blocks, parameters and locals with their lifetimes, labels, register bits and
// assembler statics, walking the module's records from the one after its THEADR up to
// its MODEND. A pass runs inside a savepoint and marks the module read at its end: a
// database error leaves none of its rows and the module unread.
#pragma once

#include "eomfglobals.h"

#include <vector>

class CEOMFFile : public CEOMFGlobals {
public:
    CEOMFFile(CQelDatabase &database, DWORD programId, IUnknown *host);
    ~CEOMFFile() override;

    // Reads module `moduleIndex` (its Moduls row): 1 when it is read now or was read
    // before, 0 when there is no such module or its pass failed. The flag is not used.
    int ReadModules(int moduleIndex, int flag) override;

private:
    struct Location {
        LONG Mode = -1;
        LONG Value = -1;
        LONG Extra = -1;
    };
    struct Parameter {
        LONG Lifetime;
        Location Place;
    };
    struct Block {
        LONG Number = 0;
        BOOL Procedure = FALSE;
        LONG FunctionIndex = 0;  // of the procedure the block lies in
        LONG ProcedureBlock = 0; // that procedure's block number
        DWORD Start = 0;
        DWORD End = 0;
        BOOL Open = TRUE;
        std::vector<Parameter> Parameters;
    };

    void ReadModuleRecords(DWORD start);
    void ReadLines(const EomfRecord &record);
    void BeginBlock(const EomfRecord &record);
    void EndBlock();
    void ReadSymbols(const EomfRecord &record);
    // The block that symbols of the record belong to; null outside every block.
    Block *FindBlock(const EomfSymbols &symbols);
    // Where a register variable lives, by the size of its type.
    Location PlaceRegister(const EomfSymbol &symbol);
    void WriteVariable(const EomfSymbol &symbol, LONG type, const Location &place, Block &block);
    void WriteLifetimes(LONG lifetime, const Location &place, DWORD start, DWORD end);

    CDBSourceLines m_sourceLines;
    std::vector<Block> m_blocks; // by block number - 1
    std::vector<size_t> m_openBlocks;
    LONG m_nFunctionCounter = 0;
    LONG m_nLifetime = 0;
    BOOL m_bDebugRecord = FALSE; // the record being read is a DEBSYM
};
