// CVarEdStatements: the statements of a program's ".VarEd_Info" section, from which the
// debugger's VarEd (RB) feature works.
//
// Each statement ties a function to two global variables:
//
//     function : variable = value_variable ;
//
// one statement per line, the names C identifiers, blanks and tabs around them, comments
// from "#" to the end of the line and between "/*" and "*/". The DWARF 2 globals pass
// resolves the names as it meets the external functions and the global variables, and at
// its end the resolved statements become Symbols rows (SymbolID 17, 15 and 16) that the
// symbol server's VarEd queries read. A statement whose names are not all found writes
// nothing.
#pragma once

#include <afx.h>
#include <diaghelper.h>
#include <symboltables.h>

#include <string>
#include <unordered_map>
#include <vector>

// One statement; -1 marks what is not resolved yet.
struct tagVarEdRecord {
    CString FunctionName;
    LONG FunctionAddress = -1;
    LONG FunctionLength = -1;
    CString VariableName;
    LONG VariableIndex = -1; // SymbolIndex of the variable's Symbols row
    CString ValueName;
    LONG ValueIndex = -1;    // SymbolIndex of the value variable's Symbols row
    // The value variable's address triple: mode, address, third word.
    LONG ValueMode = -1, ValueAddress = -1, ValueExtra = -1;
};

class CVarEdStatements {
public:
    // Parses the section's text in place of the statements held: 1 with every statement,
    // or 0 with none and, in *offendingLine (when given), the line where the text went
    // wrong, tabs as blanks. The text ends at `size` bytes or at a zero byte before.
    int Parse(const BYTE *text, DWORD size, CString *offendingLine);

    BOOL IsEmpty() const { return m_records.empty(); }
    const std::vector<tagVarEdRecord> &GetRecords() const { return m_records; }

    // The external function `name` (case counts): every statement naming it takes its
    // address and length, unless an earlier function of that name gave them.
    void ResolveFunction(LPCSTR name, DWORD address, DWORD length);
    // Whether a statement still waits for the global variable `name`, as its variable
    // or as its value variable; the globals pass fetches the row's SymbolIndex only then.
    BOOL WantsVariable(LPCSTR name) const;
    // The global variable `name`: statements that wait for it as their variable take
    // `symbolIndex`; those that wait for it as their value variable take `symbolIndex`
    // and the address triple (1, address, 0).
    void ResolveVariable(LPCSTR name, LONG symbolIndex, DWORD address);

    // Appends, through `rs` (open or openable), a SymbolID 17 row per resolved statement
    // in statement order, then a SymbolID 15 row per distinct variable index and a
    // SymbolID 16 row per distinct value-variable index, each ascending. A statement left
    // unresolved is traced as a warning through `diag`, one line per name not found. A
    // database error raises CQeldbException.
    void WriteRows(CDBSymbolInfo &rs, CQelDiagHelper &diag) const;

private:
    // The statements (by position) that still wait for a name, by that name. A name
    // resolves every statement that waits for it at once, so it leaves its list then.
    typedef std::unordered_map<std::string, std::vector<size_t>> PendingNames;

    void TraceUnresolved(const tagVarEdRecord &record, CQelDiagHelper &diag) const;

    std::vector<tagVarEdRecord> m_records;
    PendingNames m_pendingFunctions;
    PendingNames m_pendingVariables;
    PendingNames m_pendingValues;
};
