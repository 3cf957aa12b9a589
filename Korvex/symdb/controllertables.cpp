// The columns of the controller database's tables and queries, in the exchange order
// of each class.
#include "controllertables.h"

IMPLEMENT_DYNAMIC(CDBDerivative, CQelRecordset)
IMPLEMENT_DYNAMIC(CDBSFRSet, CQelRecordset)
IMPLEMENT_DYNAMIC(CDBSFRAddresses, CQelRecordset)
IMPLEMENT_DYNAMIC(CDBSFRFields, CQelRecordset)
IMPLEMENT_DYNAMIC(CDBSFRBlocks, CQelRecordset)
IMPLEMENT_DYNAMIC(CDBSFRFieldValues, CQelRecordset)

CDBDerivative::CDBDerivative(CdbDatabase *pDatabase)
    : CQelRecordset(pDatabase), m_AddressSpace(0), m_CoreType(0), m_IRAMSize(0), m_Version(0), m_WordSize(0)
{
    m_nFields = 7;
    m_nDefaultType = dbOpenTable;
}

CString CDBDerivative::GetDefaultSQL()
{
    return "[Derivative]";
}

void CDBDerivative::DoFieldExchange(CQelFieldExchange *pFX)
{
    DFX_Text(pFX, "[Name]", m_Name);
    DFX_Long(pFX, "[AddressSpace]", m_AddressSpace);
    DFX_Long(pFX, "[CoreType]", m_CoreType);
    DFX_Long(pFX, "[IRAMSize]", m_IRAMSize);
    DFX_Long(pFX, "[Version]", m_Version);
    DFX_Long(pFX, "[WordSize]", m_WordSize);
    DFX_Text(pFX, "[CoreRegisters]", m_CoreRegisters);
}

CDBSFRSet::CDBSFRSet(CdbDatabase *pDatabase)
    : CQelRecordset(pDatabase), m_SFRIndex(0), m_Type(0), m_Width(0), m_NamedBitMask(0), m_ReadOnlyMask(0),
      m_Page(0), m_HWModBitMask(0), m_SFRBlockIndex(0)
{
    m_nFields = 12;
    m_nDefaultType = dbOpenSnapshot;
}

CString CDBSFRSet::GetDefaultSQL()
{
    return "[SFRSelect]";
}

void CDBSFRSet::DoFieldExchange(CQelFieldExchange *pFX)
{
    DFX_Long(pFX, "[SFRIndex]", m_SFRIndex);
    DFX_Text(pFX, "[Name]", m_Name);
    DFX_Long(pFX, "[Type]", m_Type);
    DFX_Long(pFX, "[Width]", m_Width);
    DFX_Long(pFX, "[NamedBitMask]", m_NamedBitMask);
    DFX_Long(pFX, "[ReadOnlyMask]", m_ReadOnlyMask);
    DFX_Text(pFX, "[ResetValue]", m_ResetValue);
    DFX_Text(pFX, "[Manual]", m_Manual);
    DFX_Long(pFX, "[Page]", m_Page);
    DFX_Text(pFX, "[Description]", m_Description);
    DFX_Long(pFX, "[HWModBitMask]", m_HWModBitMask);
    DFX_Long(pFX, "[SFRBlockIndex]", m_SFRBlockIndex);
}

CDBSFRAddresses::CDBSFRAddresses(CdbDatabase *pDatabase)
    : CQelRecordset(pDatabase), m_SFRIndex(0), m_AddressMode(0), m_AddressValue(0)
{
    m_nFields = 3;
    m_nDefaultType = dbOpenSnapshot;
}

CString CDBSFRAddresses::GetDefaultSQL()
{
    return "[SFRAddressSelect]";
}

void CDBSFRAddresses::DoFieldExchange(CQelFieldExchange *pFX)
{
    DFX_Long(pFX, "[SFRIndex]", m_SFRIndex);
    DFX_Long(pFX, "[AddressMode]", m_AddressMode);
    DFX_Long(pFX, "[AddressValue]", m_AddressValue);
}

CDBSFRFields::CDBSFRFields(CdbDatabase *pDatabase)
    : CQelRecordset(pDatabase), m_SFRFieldIndex(0), m_Offset(0), m_Width(0), m_Page(0), m_SFRIndex(0)
{
    m_nFields = 8;
    m_nDefaultType = dbOpenSnapshot;
}

CString CDBSFRFields::GetDefaultSQL()
{
    return "[SFRFieldSelect]";
}

void CDBSFRFields::DoFieldExchange(CQelFieldExchange *pFX)
{
    DFX_Long(pFX, "[SFRFieldIndex]", m_SFRFieldIndex);
    DFX_Text(pFX, "[Name]", m_Name);
    DFX_Long(pFX, "[Offset]", m_Offset);
    DFX_Long(pFX, "[Width]", m_Width);
    DFX_Text(pFX, "[Description]", m_Description);
    DFX_Text(pFX, "[Manual]", m_Manual);
    DFX_Long(pFX, "[Page]", m_Page);
    DFX_Long(pFX, "[SFRIndex]", m_SFRIndex);
}

CDBSFRBlocks::CDBSFRBlocks(CdbDatabase *pDatabase)
    : CQelRecordset(pDatabase), m_SFRBlockIndex(0)
{
    m_nFields = 3;
    m_nDefaultType = dbOpenSnapshot;
}

CString CDBSFRBlocks::GetDefaultSQL()
{
    return "[SFRBlockSelect]";
}

void CDBSFRBlocks::DoFieldExchange(CQelFieldExchange *pFX)
{
    DFX_Long(pFX, "[SFRBlockIndex]", m_SFRBlockIndex);
    DFX_Text(pFX, "[Name]", m_Name);
    DFX_Text(pFX, "[Description]", m_Description);
}

CDBSFRFieldValues::CDBSFRFieldValues(CdbDatabase *pDatabase)
    : CQelRecordset(pDatabase), m_SFRFieldValuesIndex(0), m_Value(0), m_SFRFieldIndex(0)
{
    m_nFields = 4;
    m_nDefaultType = dbOpenSnapshot;
}

CString CDBSFRFieldValues::GetDefaultSQL()
{
    return "[SELECT * FROM SFRFieldValues ORDER BY SFRFieldIndex]";
}

void CDBSFRFieldValues::DoFieldExchange(CQelFieldExchange *pFX)
{
    DFX_Long(pFX, "[SFRFieldValuesIndex]", m_SFRFieldValuesIndex);
    DFX_Text(pFX, "[Name]", m_Name);
    DFX_Long(pFX, "[Value]", m_Value);
    DFX_Long(pFX, "[SFRFieldIndex]", m_SFRFieldIndex);
}
