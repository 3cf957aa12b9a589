// The columns of each table, in the exchange order of its class.
#include "symboltables.h"

IMPLEMENT_DYNAMIC(CDBVersion, CQelRecordset)
IMPLEMENT_DYNAMIC(CDBWriters, CQelRecordset)
IMPLEMENT_DYNAMIC(CDBProgram, CQelRecordset)
IMPLEMENT_DYNAMIC(CDBSections, CQelRecordset)
IMPLEMENT_DYNAMIC(CDBSectionsBinary, CQelRecordset)
IMPLEMENT_DYNAMIC(CDBModuls, CQelRecordset)
IMPLEMENT_DYNAMIC(CDBModulSectionRel, CQelRecordset)
IMPLEMENT_DYNAMIC(CDBModulSourceFileRel, CQelRecordset)
IMPLEMENT_DYNAMIC(CDBSectionSourceFileRel, CQelRecordset)
IMPLEMENT_DYNAMIC(CDBSourceFiles, CQelRecordset)
IMPLEMENT_DYNAMIC(CDBSourceLines, CQelRecordset)
IMPLEMENT_DYNAMIC(CDBFunctions, CQelRecordset)
IMPLEMENT_DYNAMIC(CDBTypeInfo, CQelRecordset)
IMPLEMENT_DYNAMIC(CDBSymbolInfo, CQelRecordset)
IMPLEMENT_DYNAMIC(CDBRegisterMap, CQelRecordset)

CDBVersion::CDBVersion(CdbDatabase *pDatabase)
    : CQelRecordset(pDatabase), m_Version(0)
{
    m_nFields = 2;
    m_nDefaultType = dbOpenTable;
}

CString CDBVersion::GetDefaultSQL()
{
    return "[Version]";
}

void CDBVersion::DoFieldExchange(CQelFieldExchange *pFX)
{
    DFX_Long(pFX, "[Version]", m_Version);
    DFX_DateTime(pFX, "[CreationTime]", m_CreationTime);
}

CDBWriters::CDBWriters(CdbDatabase *pDatabase)
    : CQelRecordset(pDatabase), m_Schema(0), m_Readers(0)
{
    m_nFields = 2;
    m_nDefaultType = dbOpenTable;
}

CString CDBWriters::GetDefaultSQL()
{
    return "[Writers]";
}

void CDBWriters::DoFieldExchange(CQelFieldExchange *pFX)
{
    DFX_Long(pFX, "[Schema]", m_Schema);
    DFX_Long(pFX, "[Readers]", m_Readers);
}

CDBProgram::CDBProgram(CdbDatabase *pDatabase)
    : CQelRecordset(pDatabase), m_ProgramIndex(0), m_Type(0), m_Analyzed(FALSE)
{
    m_nFields = 10;
    m_nDefaultType = dbOpenTable;
}

CString CDBProgram::GetDefaultSQL()
{
    return "[Program]";
}

void CDBProgram::DoFieldExchange(CQelFieldExchange *pFX)
{
    DFX_Long(pFX, "[ProgramIndex]", m_ProgramIndex);
    DFX_Text(pFX, "[Name]", m_Name);
    DFX_Long(pFX, "[Type]", m_Type);
    DFX_Text(pFX, "[Source]", m_Source);
    DFX_DateTime(pFX, "[ModifiedTime]", m_ModifiedTime);
    DFX_Bool(pFX, "[Analyzed]", m_Analyzed);
    DFX_Text(pFX, "[AlternateEntryPoint]", m_AlternateEntryPoint);
    DFX_Text(pFX, "[AlternateMainFunction]", m_AlternateMainFunction);
    DFX_Text(pFX, "[EntryPoint]", m_EntryPoint);
    DFX_Text(pFX, "[MainFunction]", m_MainFunction);
}

CDBSections::CDBSections(CdbDatabase *pDatabase)
    : CQelRecordset(pDatabase), m_Type(0), m_Length(0), m_SectionIndex(0), m_AddressMode(0), m_AddressValue(0)
{
    m_nFields = 6;
    m_nDefaultType = dbOpenTable;
}

CString CDBSections::GetDefaultSQL()
{
    return "[Sections]";
}

void CDBSections::DoFieldExchange(CQelFieldExchange *pFX)
{
    DFX_Long(pFX, "[Type]", m_Type);
    DFX_Long(pFX, "[Length]", m_Length);
    DFX_Long(pFX, "[SectionIndex]", m_SectionIndex);
    DFX_Text(pFX, "[Name]", m_Name);
    DFX_Long(pFX, "[AddressMode]", m_AddressMode);
    DFX_Long(pFX, "[AddressValue]", m_AddressValue);
}

CDBSectionsBinary::CDBSectionsBinary(CdbDatabase *pDatabase)
    : CQelRecordset(pDatabase), m_SectionIndex(0), m_Type(0), m_Length(0), m_AddressMode(0), m_AddressValue(0)
{
    m_nFields = 6;
    m_nDefaultType = dbOpenTable;
}

CString CDBSectionsBinary::GetDefaultSQL()
{
    return "[Sections]";
}

void CDBSectionsBinary::DoFieldExchange(CQelFieldExchange *pFX)
{
    DFX_Long(pFX, "[SectionIndex]", m_SectionIndex);
    DFX_Text(pFX, "[Name]", m_Name);
    DFX_Long(pFX, "[Type]", m_Type);
    DFX_Long(pFX, "[Length]", m_Length);
    DFX_Long(pFX, "[AddressMode]", m_AddressMode);
    DFX_Long(pFX, "[AddressValue]", m_AddressValue);
}

CDBModuls::CDBModuls(CdbDatabase *pDatabase)
    : CQelRecordset(pDatabase), m_ModulIndex(0), m_Analyzed(FALSE), m_Offset(0)
{
    m_nFields = 4;
    m_nDefaultType = dbOpenTable;
}

CString CDBModuls::GetDefaultSQL()
{
    return "[Moduls]";
}

void CDBModuls::DoFieldExchange(CQelFieldExchange *pFX)
{
    DFX_Long(pFX, "[ModulIndex]", m_ModulIndex);
    DFX_Text(pFX, "[Name]", m_Name);
    DFX_Bool(pFX, "[Analyzed]", m_Analyzed);
    DFX_Long(pFX, "[Offset]", m_Offset);
}

CDBModulSectionRel::CDBModulSectionRel(CdbDatabase *pDatabase)
    : CQelRecordset(pDatabase), m_ModulIndex(0), m_SectionIndex(0)
{
    m_nFields = 2;
    m_nDefaultType = dbOpenTable;
}

CString CDBModulSectionRel::GetDefaultSQL()
{
    return "[ModulSectionRelation]";
}

void CDBModulSectionRel::DoFieldExchange(CQelFieldExchange *pFX)
{
    DFX_Long(pFX, "[ModulIndex]", m_ModulIndex);
    DFX_Long(pFX, "[SectionIndex]", m_SectionIndex);
}

CDBModulSourceFileRel::CDBModulSourceFileRel(CdbDatabase *pDatabase)
    : CQelRecordset(pDatabase), m_ModulIndex(0), m_SourceFileIndex(0)
{
    m_nFields = 2;
    m_nDefaultType = dbOpenTable;
}

CString CDBModulSourceFileRel::GetDefaultSQL()
{
    return "[ModulSourceFileRelation]";
}

void CDBModulSourceFileRel::DoFieldExchange(CQelFieldExchange *pFX)
{
    DFX_Long(pFX, "[ModulIndex]", m_ModulIndex);
    DFX_Long(pFX, "[SourceFileIndex]", m_SourceFileIndex);
}

CDBSectionSourceFileRel::CDBSectionSourceFileRel(CdbDatabase *pDatabase)
    : CQelRecordset(pDatabase), m_SectionIndex(0), m_SourceFileIndex(0)
{
    m_nFields = 2;
    m_nDefaultType = dbOpenTable;
}

CString CDBSectionSourceFileRel::GetDefaultSQL()
{
    return "[SectionSourceFileRelation]";
}

void CDBSectionSourceFileRel::DoFieldExchange(CQelFieldExchange *pFX)
{
    DFX_Long(pFX, "[SectionIndex]", m_SectionIndex);
    DFX_Long(pFX, "[SourceFileIndex]", m_SourceFileIndex);
}

CDBSourceFiles::CDBSourceFiles(CdbDatabase *pDatabase)
    : CQelRecordset(pDatabase), m_Type(0), m_SourceFileIndex(0), m_Analyzed(FALSE)
{
    m_nFields = 5;
    m_nDefaultType = dbOpenTable;
}

CString CDBSourceFiles::GetDefaultSQL()
{
    return "[SourceFiles]";
}

void CDBSourceFiles::DoFieldExchange(CQelFieldExchange *pFX)
{
    DFX_Long(pFX, "[Type]", m_Type);
    DFX_Text(pFX, "[Name]", m_Name);
    DFX_Text(pFX, "[EntryInFile]", m_EntryInFile);
    DFX_Long(pFX, "[SourceFileIndex]", m_SourceFileIndex);
    DFX_Bool(pFX, "[Analyzed]", m_Analyzed);
}

CDBSourceLines::CDBSourceLines(CdbDatabase *pDatabase)
    : CQelRecordset(pDatabase), m_SourceLineIndex(0), m_SourceLine(0), m_SectionIndex(0), m_SourceFileIndex(0),
      m_AddressMode(0), m_AddressValue(0), m_Length(0)
{
    m_nFields = 7;
    m_nDefaultType = dbOpenTable;
}

CString CDBSourceLines::GetDefaultSQL()
{
    return "[SourceLines]";
}

void CDBSourceLines::DoFieldExchange(CQelFieldExchange *pFX)
{
    DFX_Long(pFX, "[SourceLineIndex]", m_SourceLineIndex);
    DFX_Long(pFX, "[SourceLine]", m_SourceLine);
    DFX_Long(pFX, "[SectionIndex]", m_SectionIndex);
    DFX_Long(pFX, "[SourceFileIndex]", m_SourceFileIndex);
    DFX_Long(pFX, "[AddressMode]", m_AddressMode);
    DFX_Long(pFX, "[AddressValue]", m_AddressValue);
    DFX_Long(pFX, "[Length]", m_Length);
}

CDBFunctions::CDBFunctions(CdbDatabase *pDatabase)
    : CQelRecordset(pDatabase), m_FunctionIndex(0), m_Length(0), m_SectionIndex(0), m_CallType(0),
      m_ReturnType(0), m_AddressMode(0), m_AddressValue(0), m_Scope(0)
{
    m_nFields = 10;
    m_nDefaultType = dbOpenTable;
}

CString CDBFunctions::GetDefaultSQL()
{
    return "[Functions]";
}

void CDBFunctions::DoFieldExchange(CQelFieldExchange *pFX)
{
    DFX_Long(pFX, "[FunctionIndex]", m_FunctionIndex);
    DFX_Text(pFX, "[Name]", m_Name);
    DFX_Text(pFX, "[NameString]", m_NameString);
    DFX_Long(pFX, "[Length]", m_Length);
    DFX_Long(pFX, "[SectionIndex]", m_SectionIndex);
    DFX_Long(pFX, "[CallType]", m_CallType);
    DFX_Long(pFX, "[ReturnType]", m_ReturnType);
    DFX_Long(pFX, "[AddressMode]", m_AddressMode);
    DFX_Long(pFX, "[AddressValue]", m_AddressValue);
    DFX_Long(pFX, "[Scope]", m_Scope);
}

CDBTypeInfo::CDBTypeInfo(CdbDatabase *pDatabase)
    : CQelRecordset(pDatabase), m_TypeID(0), m_Data_1(0), m_Data_2(0), m_Data_3(0), m_Data_4(0),
      m_ModulIndex(0), m_TypeIndex(0)
{
    m_nFields = 8;
    m_nDefaultType = dbOpenTable;
}

CString CDBTypeInfo::GetDefaultSQL()
{
    return "[Types]";
}

void CDBTypeInfo::DoFieldExchange(CQelFieldExchange *pFX)
{
    DFX_Long(pFX, "[TypeID]", m_TypeID);
    DFX_Text(pFX, "[Name]", m_Name);
    DFX_Long(pFX, "[Data_1]", m_Data_1);
    DFX_Long(pFX, "[Data_2]", m_Data_2);
    DFX_Long(pFX, "[Data_3]", m_Data_3);
    DFX_Long(pFX, "[Data_4]", m_Data_4);
    DFX_Long(pFX, "[ModulIndex]", m_ModulIndex);
    DFX_Long(pFX, "[TypeIndex]", m_TypeIndex);
}

CDBSymbolInfo::CDBSymbolInfo(CdbDatabase *pDatabase)
    : CQelRecordset(pDatabase), m_SymbolID(0), m_ScopeIndex(0), m_Data_1(0), m_Data_2(0), m_Data_3(0),
      m_Data_4(0), m_Data_5(0), m_Data_6(0), m_ModulIndex(0), m_SymbolIndex(0)
{
    m_nFields = 12;
    m_nDefaultType = dbOpenTable;
}

CString CDBSymbolInfo::GetDefaultSQL()
{
    return "[Symbols]";
}

void CDBSymbolInfo::DoFieldExchange(CQelFieldExchange *pFX)
{
    DFX_Long(pFX, "[SymbolID]", m_SymbolID);
    DFX_Long(pFX, "[ScopeIndex]", m_ScopeIndex);
    DFX_Text(pFX, "[Name]", m_Name);
    DFX_Long(pFX, "[Data_1]", m_Data_1);
    DFX_Long(pFX, "[Data_2]", m_Data_2);
    DFX_Long(pFX, "[Data_3]", m_Data_3);
    DFX_Long(pFX, "[Data_4]", m_Data_4);
    DFX_Long(pFX, "[Data_5]", m_Data_5);
    DFX_Long(pFX, "[Data_6]", m_Data_6);
    DFX_Long(pFX, "[ModulIndex]", m_ModulIndex);
    DFX_Text(pFX, "[NameString]", m_NameString);
    DFX_Long(pFX, "[SymbolIndex]", m_SymbolIndex);
}

CDBRegisterMap::CDBRegisterMap(CdbDatabase *pDatabase)
    : CQelRecordset(pDatabase), m_Number(0)
{
    m_nFields = 2;
    m_nDefaultType = dbOpenTable;
}

CString CDBRegisterMap::GetDefaultSQL()
{
    return "[RegisterMap]";
}

void CDBRegisterMap::DoFieldExchange(CQelFieldExchange *pFX)
{
    DFX_Text(pFX, "[Name]", m_Name);
    DFX_Long(pFX, "[Number]", m_Number);
}
