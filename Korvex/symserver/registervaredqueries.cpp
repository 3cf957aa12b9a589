// Code 800: the register map, which names the registers that location expressions
// number; code 900: the variables and mapping entries of the VarEd set.
#include "queryrows.h"

#include <symdbstrings.h>

void CSymbolEngine::OnRegisterMap(CSymbolRequest &request)
{
    CArray<RegisterMapTag, RegisterMapTag &> &registers = NewResult<RegisterMapTag>(request);
    CDBRegisterMap rs(ProgramDatabase(*this));
    rs.Open();
    // The index into the client's own register list is the client's to fill.
    CollectRows(rs, registers, [](RegisterMapTag &entry, CDBRegisterMap &row) {
        entry.Name = row.m_Name;
        entry.Number = row.m_Number;
        entry.RegisterIndex = -1;
    });
}

void CSymbolEngine::OnVarEdVariables(CSymbolRequest &request)
{
    CArray<VarEdTag, VarEdTag &> &entries = NewResult<VarEdTag>(request);
    CStoredQuery query(*this, IDS_Q_VAREDVARIABLES);
    CDBSymbolInfo rs(ProgramDatabase(*this));
    rs.OpenQueryDef(query);
    CollectRows(rs, entries, [](VarEdTag &entry, CDBSymbolInfo &row) {
        entry.Kind = row.m_SymbolID;
        entry.Data = row.m_Data_1;
    });
}
