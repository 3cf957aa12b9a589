// The columns of each query, in the exchange order of its class. A qualified name
// ("[Source.Name]") picks the column of that source from a query that joins several.
#include "queryrecordsets.h"

IMPLEMENT_DYNAMIC(CDBSourceLineByAddress, CQelRecordset)
IMPLEMENT_DYNAMIC(CDBBlockByIndex, CQelRecordset)
IMPLEMENT_DYNAMIC(CDBBreakpointDescription, CQelRecordset)
IMPLEMENT_DYNAMIC(CDBLabelDescription, CQelRecordset)
IMPLEMENT_DYNAMIC(CDBLocation, CQelRecordset)

CDBSourceLineByAddress::CDBSourceLineByAddress(CdbDatabase *pDatabase)
    : CQelRecordset(pDatabase), m_Type(0), m_SourceLine(0), m_AddressMode(0), m_AddressValue(0),
      m_SourceFileIndex(0), m_Analyzed(FALSE), m_Length(0)
{
    m_nFields = 9;
    m_nDefaultType = dbOpenDynaset;
}

CString CDBSourceLineByAddress::GetDefaultSQL()
{
    return "[SourceLineByAddress]";
}

void CDBSourceLineByAddress::DoFieldExchange(CQelFieldExchange *pFX)
{
    DFX_Text(pFX, "[Name]", m_Name);
    DFX_Long(pFX, "[Type]", m_Type);
    DFX_Text(pFX, "[EntryInFile]", m_EntryInFile);
    DFX_Long(pFX, "[SourceLine]", m_SourceLine);
    DFX_Long(pFX, "[AddressMode]", m_AddressMode);
    DFX_Long(pFX, "[AddressValue]", m_AddressValue);
    DFX_Long(pFX, "[SourceFileIndex]", m_SourceFileIndex);
    DFX_Bool(pFX, "[Analyzed]", m_Analyzed);
    DFX_Long(pFX, "[Length]", m_Length);
}

CDBBlockByIndex::CDBBlockByIndex(CdbDatabase *pDatabase)
    : CQelRecordset(pDatabase), m_Data_1(0), m_Scope(0)
{
    m_nFields = 3;
    m_nDefaultType = dbOpenSnapshot;
}

CString CDBBlockByIndex::GetDefaultSQL()
{
    return "[$BlockByIndex]";
}

void CDBBlockByIndex::DoFieldExchange(CQelFieldExchange *pFX)
{
    DFX_Text(pFX, "[Name]", m_Name);
    DFX_Long(pFX, "[Data_1]", m_Data_1);
    DFX_Long(pFX, "[Scope]", m_Scope);
}

CDBBreakpointDescription::CDBBreakpointDescription(CdbDatabase *pDatabase)
    : CQelRecordset(pDatabase), m_SourceLine(0), m_AddressMode(0), m_AddressValue(0), m_Length(0),
      m_FunctionSourceLine(0), m_Analyzed(FALSE)
{
    m_nFields = 10;
    m_nDefaultType = dbOpenSnapshot;
}

CString CDBBreakpointDescription::GetDefaultSQL()
{
    return "[BreakpointDescription]";
}

void CDBBreakpointDescription::DoFieldExchange(CQelFieldExchange *pFX)
{
    DFX_Text(pFX, "[SourceFiles.Name]", m_Name);
    DFX_Text(pFX, "[EntryInFile]", m_EntryInFile);
    DFX_Long(pFX, "[SourceLines.SourceLine]", m_SourceLine);
    DFX_Long(pFX, "[AddressMode]", m_AddressMode);
    DFX_Long(pFX, "[AddressValue]", m_AddressValue);
    DFX_Long(pFX, "[Length]", m_Length);
    DFX_Text(pFX, "[$SourceLineOfFunctionByAddress.Name]", m_FunctionName);
    DFX_Long(pFX, "[$SourceLineOfFunctionByAddress.SourceLine]", m_FunctionSourceLine);
    DFX_Bool(pFX, "[Analyzed]", m_Analyzed);
    DFX_Text(pFX, "[$ModulByAddress.Name]", m_ModulName);
}

CDBLabelDescription::CDBLabelDescription(CdbDatabase *pDatabase)
    : CQelRecordset(pDatabase), m_Data_2(0), m_Data_3(0)
{
    m_nFields = 4;
    m_nDefaultType = dbOpenSnapshot;
}

CString CDBLabelDescription::GetDefaultSQL()
{
    return "[NearestLabelByAddress]";
}

void CDBLabelDescription::DoFieldExchange(CQelFieldExchange *pFX)
{
    DFX_Text(pFX, "[$ModulByAddress.Name]", m_ModulName);
    DFX_Text(pFX, "[Symbols.Name]", m_Name);
    DFX_Long(pFX, "[Data_2]", m_Data_2);
    DFX_Long(pFX, "[Data_3]", m_Data_3);
}

CDBLocation::CDBLocation(CdbDatabase *pDatabase)
    : CQelRecordset(pDatabase), m_Type(0), m_Analyzed(FALSE), m_SourceLine(0), m_AddressMode(0),
      m_AddressValue(0), m_Length(0), m_SectionType(0), m_SectionAddressMode(0), m_SectionAddressValue(0),
      m_SectionLength(0)
{
    m_nFields = 13;
    m_nDefaultType = dbOpenSnapshot;
}

CString CDBLocation::GetDefaultSQL()
{
    return "[LocationByAddress]";
}

void CDBLocation::DoFieldExchange(CQelFieldExchange *pFX)
{
    DFX_Text(pFX, "[$SourceFileForLocation.Name]", m_Name);
    DFX_Long(pFX, "[$SourceFileForLocation.Type]", m_Type);
    DFX_Text(pFX, "[EntryInFile]", m_EntryInFile);
    DFX_Bool(pFX, "[Analyzed]", m_Analyzed);
    DFX_Long(pFX, "[SourceLine]", m_SourceLine);
    DFX_Long(pFX, "[$SourceFileForLocation.AddressMode]", m_AddressMode);
    DFX_Long(pFX, "[$SourceFileForLocation.AddressValue]", m_AddressValue);
    DFX_Long(pFX, "[$SourceFileForLocation.Length]", m_Length);
    DFX_Text(pFX, "[SectionByAddress.Name]", m_SectionName);
    DFX_Long(pFX, "[SectionByAddress.Type]", m_SectionType);
    DFX_Long(pFX, "[SectionByAddress.AddressMode]", m_SectionAddressMode);
    DFX_Long(pFX, "[SectionByAddress.AddressValue]", m_SectionAddressValue);
    DFX_Long(pFX, "[SectionByAddress.Length]", m_SectionLength);
}
