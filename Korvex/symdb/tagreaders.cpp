#include "tagreaders.h"

namespace {

DWORD Word(LONG value)
{
    return static_cast<DWORD>(value);
}

} // namespace

void _VariableTag::CopyTo(VariableTag &out) const
{
    out = *this;
    out.SizeInBits = 0;
}

void FromRecord(_SectionTag &tag, CDBSections &rs)
{
    tag.Type = rs.m_Type;
    tag.AddressMode = Word(rs.m_AddressMode);
    tag.AddressValue = Word(rs.m_AddressValue);
    tag.Length = Word(rs.m_Length);
    tag.Name = rs.m_Name;
    tag.SectionIndex = rs.m_SectionIndex;
}

void FromRecord(SourceFileTag &tag, CDBSourceFiles &rs)
{
    tag.Name = rs.m_Name;
    tag.Type = rs.m_Type;
    tag.EntryInFile = rs.m_EntryInFile;
    tag.SourceLine = -1;
    tag.AddressMode = Word(-1);
    tag.AddressValue = Word(-1);
    tag.AddressExtra = Word(-1);
    tag.Length = Word(-1);
}

void FromLineRecord(SourceFileTag &tag, CDBSourceLineByAddress &rs)
{
    tag.Name = rs.m_Name;
    tag.Type = rs.m_Type;
    tag.EntryInFile = rs.m_EntryInFile;
    tag.SourceLine = rs.m_SourceLine;
    tag.AddressMode = Word(rs.m_AddressMode);
    tag.AddressValue = Word(rs.m_AddressValue);
    tag.Length = Word(rs.m_Length);
}

void FromRecord(LocationTag &tag, CDBLocation &rs)
{
    tag.Type = rs.m_Type;
    tag.EntryInFile = rs.m_EntryInFile;
    tag.SourceLine = rs.m_SourceLine;
    tag.AddressMode = Word(rs.m_AddressMode);
    tag.AddressValue = Word(rs.m_AddressValue);
    tag.Length = Word(rs.m_Length);
    tag.SectionName = rs.m_SectionName;
    tag.SectionType = rs.m_SectionType;
    tag.SectionAddressMode = Word(rs.m_SectionAddressMode);
    tag.SectionAddressValue = Word(rs.m_SectionAddressValue);
    tag.SectionLength = Word(rs.m_SectionLength);
}

void FromRecord(_SourceLineTag &tag, CDBSourceLines &rs)
{
    tag.SourceLine = rs.m_SourceLine;
    tag.AddressMode = Word(rs.m_AddressMode);
    tag.AddressValue = Word(rs.m_AddressValue);
    tag.Length = Word(rs.m_Length);
    tag.SectionIndex = rs.m_SectionIndex;
}

void ToRecord(const _SourceLineTag &tag, CDBSourceLines &rs)
{
    rs.m_SourceLine = tag.SourceLine;
    rs.m_AddressMode = static_cast<LONG>(tag.AddressMode);
    rs.m_AddressValue = static_cast<LONG>(tag.AddressValue);
    rs.m_Length = static_cast<LONG>(tag.Length);
    rs.m_SectionIndex = tag.SectionIndex;
}

void FromRecord(FunctionTag &tag, CDBFunctions &rs)
{
    tag.Name = rs.m_Name;
    tag.AddressMode = Word(rs.m_AddressMode);
    tag.AddressValue = Word(rs.m_AddressValue);
    tag.Length = Word(rs.m_Length);
    tag.ReturnType = rs.m_ReturnType;
    tag.Scope = rs.m_Scope;
    tag.CallType = rs.m_CallType;
}

void FromRecord(_VariableTag &tag, CDBSymbolInfo &rs)
{
    tag.Name = rs.m_Name;
    tag.SymbolID = rs.m_SymbolID;
    tag.SymbolIndex = rs.m_SymbolIndex;
    tag.TypeIndex = rs.m_Data_1;
    tag.AddressMode = Word(rs.m_Data_2);
    tag.AddressValue = Word(rs.m_Data_3);
    tag.AddressExtra = Word(rs.m_Data_4);
    tag.ScopeIndex = rs.m_ScopeIndex;
    tag.Data_5 = rs.m_Data_5;
    tag.Data_6 = rs.m_Data_6;
}

void FromRecord(LabelTag &tag, CDBSymbolInfo &rs)
{
    tag.Name = rs.m_Name;
    tag.AddressMode = Word(rs.m_Data_2);
    tag.AddressValue = Word(rs.m_Data_3);
    tag.AddressExtra = Word(rs.m_Data_4);
    tag.Size = rs.m_Data_1;
}

void FromRecord(_SpecialFunctionRegisterTag &tag, CDBSFRSet &rs)
{
    tag.Name = rs.m_Name;
    tag.Type = Word(rs.m_Type);
    tag.Description = rs.m_Description;
    tag.ResetValue = rs.m_ResetValue;
    tag.Manual = rs.m_Manual;
    tag.Page = Word(rs.m_Page);
    tag.Width = Word(rs.m_Width);
    tag.NamedBitMask = Word(rs.m_NamedBitMask);
    tag.ReadOnlyMask = Word(rs.m_ReadOnlyMask);
    tag.HWModBitMask = Word(rs.m_HWModBitMask);
    tag.SFRBlockIndex = Word(rs.m_SFRBlockIndex);
}

void ReadSfrBlockRecord(SpecialFunctionRegisterBlockTag &tag, CDBSFRBlocks &rs)
{
    tag.SFRBlockIndex = Word(rs.m_SFRBlockIndex);
    tag.Name = rs.m_Name;
    tag.Description = rs.m_Description;
}
