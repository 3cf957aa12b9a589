#include "variablescope.h"

#include <packedindex.h>
#include <stringtext.h>
#include <symdbstrings.h>

namespace {

BOOL SeekIndex(CQelRecordset &table, UINT indexId, LONG key)
{
    if (!table.IsOpen()) {
        table.Open(dbOpenTable);
        table.SetCurrentIndex(LoadStringText(indexId));
    }
    CdbVariant value(key);
    return table.Seek("=", &value);
}

} // namespace

CScopeTexts::CScopeTexts(CSymbolEngine &engine)
    : m_functions(ProgramDatabase(engine)), m_moduls(ProgramDatabase(engine)), m_files(ProgramDatabase(engine))
{
}

BOOL CScopeTexts::FindFunction(LONG functionIndex)
{
    return SeekIndex(m_functions, IDS_DB_FUNCTIONINDEXKEY, functionIndex);
}

BOOL CScopeTexts::FindModul(LONG modulIndex)
{
    return SeekIndex(m_moduls, IDS_DB_MODULINDEXKEY, modulIndex);
}

BOOL CScopeTexts::FindSourceFile(LONG sourceFileIndex)
{
    return SeekIndex(m_files, IDS_DB_SOURCEFILEINDEXKEY, sourceFileIndex);
}

CString CScopeTexts::FileOrModul(const _VariableTag &variable)
{
    CString text;
    if (FindSourceFile(variable.Data_5))
        text.Format("[%s]", static_cast<LPCSTR>(m_files.m_Name));
    else if (FindModul(GetModulOfIndex(variable.TypeIndex)))
        text.Format("[\"%s\"]", static_cast<LPCSTR>(m_moduls.m_Name));
    return text;
}

CString CScopeTexts::Of(const _VariableTag &variable)
{
    CString text;
    switch (variable.SymbolID) {
    case 1: // parameter: its ScopeIndex is the function
        if (!FindFunction(variable.ScopeIndex))
            return "(parameter)";
        if (m_functions.m_Scope > 0 && FindModul(m_functions.m_Scope))
            text.Format("[\"%s\"]:{%s}", static_cast<LPCSTR>(m_moduls.m_Name), static_cast<LPCSTR>(m_functions.m_Name));
        else
            text.Format("{%s}", static_cast<LPCSTR>(m_functions.m_Name));
        return text;
    case 2: // local of a block
    case 3: // static of a block or function
        text = FileOrModul(variable);
        if (FindFunction(variable.Data_6))
            text += (text.IsEmpty() ? "{" : ":{") + m_functions.m_Name + "}";
        if (text.IsEmpty())
            text = variable.SymbolID == 2 ? "(local)" : "(static)";
        return text;
    case 4: // module static
    case 7: // assembler static
        text = FileOrModul(variable);
        return text.IsEmpty() ? CString("(static)") : text;
    case 5: // global
    case 6: // assembler global
        return "(global)";
    default:
        return text;
    }
}
