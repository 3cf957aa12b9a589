// The scope text of a variable: where it lives, as a client shows it beside the name and
// hands it back to find the variable again (code 406). A parameter names its function
// ("{f}", or "[\"module\"]:{f}" when the function tells its module), a block's local or
// static its file and function ("[board.c]:{f}"), a module static its file, a global
// "(global)".
#pragma once

#include "queryrows.h"

#include <tagreaders.h>

class CScopeTexts {
public:
    explicit CScopeTexts(CSymbolEngine &engine);
    CString Of(const _VariableTag &variable);

private:
    // Each table is opened on its first lookup; FALSE when the key is not there.
    BOOL FindFunction(LONG functionIndex);
    BOOL FindModul(LONG modulIndex);
    BOOL FindSourceFile(LONG sourceFileIndex);
    // "[file]" for a source file, else "[\"module\"]" for the module of the packed type
    // index, else "".
    CString FileOrModul(const _VariableTag &variable);

    CDBFunctions m_functions;
    CDBModuls m_moduls;
    CDBSourceFiles m_files;
};
