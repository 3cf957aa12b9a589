#include "symbolwriters.h"

#include "nameencoding.h"
#include "packedindex.h"

namespace {

struct SymbolRow {
    LONG SymbolID;
    LONG ModulIndex;
    LONG ScopeIndex;
    LPCSTR Name;
    LONG Data[6];
};

void AppendSymbol(CDBSymbolInfo &rs, const SymbolRow &row)
{
    rs.AddNew();
    rs.m_SymbolID = row.SymbolID;
    rs.m_ModulIndex = row.ModulIndex;
    rs.m_ScopeIndex = row.ScopeIndex;
    rs.m_Name = row.Name;
    EncodeNameString(row.Name, rs.m_NameString);
    rs.m_Data_1 = row.Data[0];
    rs.m_Data_2 = row.Data[1];
    rs.m_Data_3 = row.Data[2];
    rs.m_Data_4 = row.Data[3];
    rs.m_Data_5 = row.Data[4];
    rs.m_Data_6 = row.Data[5];
    rs.Update();
}

// A variable: its type packed, then `words` further data words; the rest -1.
void WriteVariable(LONG symbolID, const SymbolRecordTag &record, CDBSymbolInfo &rs, BOOL sharedTypes, int words)
{
    SymbolRow row{symbolID, record.Modul, record.ScopeIndex, record.Name, {-1, -1, -1, -1, -1, -1}};
    row.Data[0] = PackIndexChecked(record.Modul, record.Data[0], sharedTypes);
    for (int i = 1; i <= words; ++i)
        row.Data[i] = record.Data[i];
    AppendSymbol(rs, row);
}

// A named row whose Data_1 to Data_4 are the record's first four data words.
void WriteNamed(LONG symbolID, const SymbolRecordTag &record, CDBSymbolInfo &rs)
{
    const LONG *d = record.Data;
    AppendSymbol(rs, SymbolRow{symbolID, record.Modul, record.ScopeIndex, record.Name, {d[0], d[1], d[2], d[3], -1, -1}});
}

void WriteUnnamed(LONG symbolID, const UnnamedSymbolRecordTag &record, CDBSymbolInfo &rs, LONG data4)
{
    const LONG *d = record.Data;
    AppendSymbol(rs, SymbolRow{symbolID, record.Modul, record.ScopeIndex, "", {d[0], d[1], d[2], data4, -1, -1}});
}

} // namespace

void WriteParameterSymbol(const SymbolRecordTag &record, CDBSymbolInfo &rs, BOOL sharedTypes)
{
    WriteVariable(1, record, rs, sharedTypes, 3);
}

void WriteLocalSymbol(const SymbolRecordTag &record, CDBSymbolInfo &rs, BOOL sharedTypes)
{
    WriteVariable(2, record, rs, sharedTypes, 3);
}

void WriteLocalStaticSymbol(const SymbolRecordTag &record, CDBSymbolInfo &rs, BOOL sharedTypes)
{
    WriteVariable(3, record, rs, sharedTypes, 5);
}

void WriteModulStaticSymbol(const SymbolRecordTag &record, CDBSymbolInfo &rs, BOOL sharedTypes)
{
    WriteVariable(4, record, rs, sharedTypes, 4);
}

void WriteGlobalSymbol(const SymbolRecordTag &record, CDBSymbolInfo &rs, BOOL sharedTypes)
{
    WriteVariable(5, record, rs, sharedTypes, 3);
}

void WriteGlobalAsmSymbol(const SymbolRecordTag &record, CDBSymbolInfo &rs)
{
    WriteNamed(6, record, rs);
}

void WriteStaticAsmSymbol(const SymbolRecordTag &record, CDBSymbolInfo &rs)
{
    WriteNamed(7, record, rs);
}

void WriteLabelSymbol9(const SymbolRecordTag &record, CDBSymbolInfo &rs)
{
    const LONG *d = record.Data;
    AppendSymbol(rs, SymbolRow{9, record.Modul, record.ScopeIndex, record.Name, {-1, d[0], d[1], -1, -1, -1}});
}

void WriteLifetimeSymbol(const SymbolRecordTag &record, CDBSymbolInfo &rs)
{
    WriteNamed(12, record, rs);
}

void WriteGlobalLabelSymbol(const SymbolRecordTag &record, CDBSymbolInfo &rs)
{
    WriteNamed(13, record, rs);
}

void WriteStaticLabelSymbol(const SymbolRecordTag &record, CDBSymbolInfo &rs)
{
    WriteNamed(14, record, rs);
}

void WriteBlockSymbol(const UnnamedSymbolRecordTag &record, CDBSymbolInfo &rs)
{
    // The record holds the block's start as an address triple; its length follows
    // the triple's third word, which a block row does not keep.
    WriteUnnamed(8, record, rs, record.Data[4]);
}

void WriteSymbol10(const UnnamedSymbolRecordTag &record, CDBSymbolInfo &rs)
{
    WriteUnnamed(10, record, rs, record.Data[3]);
}

void WriteStackAdjustSymbol(const UnnamedSymbolRecordTag &record, CDBSymbolInfo &rs)
{
    WriteUnnamed(11, record, rs, record.Data[3]);
}
