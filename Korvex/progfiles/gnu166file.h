// CGNU166File: the module level of the GNU C166 reader, the object that a load makes
// for a GNU C166 program file.
//
// It reads one module's stabs when the symbol engine asks: its types (each stabs type
// string parsed by CQelDBXParser), blocks, parameters, locals and their lifetimes. A
// module's symbols run from its ".text" marker to the next module's. A module pass runs
// inside a savepoint: one that fails leaves none of its rows and the module unread.
#pragma once

#include "dbxparser.h"
#include "gnu166globals.h"

#include <map>
#include <set>
#include <vector>

class CGNU166File : public CGNU166Globals {
public:
    CGNU166File(CQelDatabase &database, DWORD programId, IUnknown *host);
    ~CGNU166File() override;

    // Reads module `moduleIndex` (its Moduls row number): 1 when it is read now or was
    // read before, 0 when there is no such module or its pass failed.
    int ReadModules(int moduleIndex, int flag) override;

private:
    struct Local {
        LONG List;
        LONG Mode;
        LONG Value;
    };
    struct Block {
        LONG Number;     // 0 for the function's own
        LONG Scope;      // the packed index that its rows and locals carry
        DWORD Start;     // address
        DWORD Offset;    // from the function's start
        std::vector<Local> Locals;
    };

    BOOL ReadModule(LONG modul, DWORD offset);
    BOOL HandleSymbol(const Gnu166Symbol &symbol, const CString &name);
    void BeginFunction();
    BOOL EndBlock(DWORD offset);
    void WriteLifetimes(const Block &block, DWORD end);
    // Writes the lifetimes that no N_RBRAC wrote, when the function ends.
    void FlushBlocks();
    void AddLocal(const CString &name, LONG type, LONG mode, LONG value, BOOL listed);
    void AddParameter(const CString &name, LONG type, LONG mode, LONG value);
    // The FunctionIndex of the module's first function; 1 when it has none.
    LONG FirstFunctionOf(LONG modul);

    // Types (gnu166types.cpp).
    void ParseTypes(const CString &typePart, const CString &name);
    // Writes the definition `node` (a typeinfo node) and those nested in it; `name` is
    // the definition's for its root. The stabs number the node stands for, -1 for none.
    LONG WriteType(const CQelDBXNode *node, const CString &name);
    // Whether a row of stabs number `number` may be written: not yet written in the
    // module, and below the running numbers (else a notice).
    BOOL TakeTypeNumber(LONG number);
    LONG TakeRunningNumber() { return m_nRunningType++; }
    void WriteRange(LONG number, const CQelDBXNode *range, const CString &name);
    void WriteCompound(LONG number, const CQelDBXNode *info, const CString &name, BOOL isUnion);
    void WriteEnum(LONG number, const CQelDBXNode *info, const CString &name);
    LONG PointerKind(LONG op, const CQelDBXNode *target, LONG targetNumber) const;

    CDBTypeInfo m_types;
    CQelDBXParser m_parser;

    LONG m_nModul = 0;
    LONG m_nRunningType = 0;
    LONG m_nFunctionCounter = 0;
    LONG m_nFunctionIndex = 0; // of the function being read, 0 before the first
    LONG m_nFunctionScope = 0;
    DWORD m_nFunctionStart = 0;
    DWORD m_nFunctionLength = 0;
    LONG m_nBlockNumber = 0;
    LONG m_nScopeCounter = 0;
    LONG m_nLifetimeList = 0;
    std::vector<Block> m_blocks; // [0] the function's own, then one per open N_LBRAC
    std::set<LONG> m_writtenTypes;
    std::set<LONG> m_functionTypes;
    std::map<LONG, LONG> m_firstFunctions; // module -> its first FunctionIndex
    LONG m_nIntType = -1;
    LONG m_nUnsignedType = -1;
};
