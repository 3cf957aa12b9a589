// CControllerSymbolEngine: the engine that the symbol server creates. It adds to the
// requests of CSymbolEngine the special function registers of the target controller,
// read from its controller database by request 3000.
//
// Request 3000 runs on the worker like every request; the lookups are called from any
// thread. So what a request reads becomes a set of tables that never changes
// (sfrtables.h), put in place of the one before under a lock of its own: a lookup works
// on the set that was current when it began, however soon the next request replaces it.
#pragma once

#include "sfrtables.h"
#include "symbolengine.h"

#include <mutex>

class CControllerSymbolEngine : public CSymbolEngine {
public:
    explicit CControllerSymbolEngine(IUnknown *owner);
    // Stops the worker before this part goes, since the worker calls into it.
    ~CControllerSymbolEngine() override;

    // Request 3000: Param1 is a derivative name or the path of a controller database.
    // The result is the register table (a CArray of _SpecialFunctionRegisterTag), empty
    // when nothing was found, which also empties the engine's tables.
    void LoadControllerRegisters(CSymbolRequest &request) override;

    // The current set of tables, held for the caller; an empty set before the first
    // request.
    CSfrTablesRef GetTables() const;

    // The lookups of the current set; each answers "not found" while no register is
    // loaded (see CSfrTables).
    int FindRegisterByAddress(DWORD value, LONG space) const;
    BOOL GetRegisterNameByAddress(DWORD value, LONG space, CString &name) const;
    BOOL GetBitName(DWORD value, LONG bit, LONG space, CString &name) const;
    BOOL GetRegisterNameByAbsoluteAddress(DWORD value, CString &name) const;
    DWORD GetRegisterAddress(LPCSTR name) const;
    DWORD GetRegisterArea(LONG index, DWORD &start, DWORD &end) const;
    HRESULT GetRegisterBlocks(VARIANT *blocks) const;
    HRESULT GetInterruptControlList(VARIANT *list) const;

private:
    // Puts `tables` in place of the current set, whose list handles are withdrawn.
    void ReplaceTables(CSfrTablesRef tables);

    mutable std::mutex m_TablesLock;
    CSfrTablesRef m_Tables; // never empty
};
