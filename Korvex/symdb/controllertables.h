// The recordsets of a controller database, the separately supplied database of a
// controller's special function registers. Its tables and queries come with it; only
// the columns bound here are required of them.
#pragma once

#include "qelrecordset.h"

class CDBDerivative : public CQelRecordset {
    DECLARE_DYNAMIC(CDBDerivative)
public:
    explicit CDBDerivative(CdbDatabase *pDatabase);
    CString GetDefaultSQL() override;
    void DoFieldExchange(CQelFieldExchange *pFX) override;

    CString m_Name;
    LONG m_AddressSpace;
    LONG m_CoreType;
    LONG m_IRAMSize;
    LONG m_Version;
    LONG m_WordSize;
    CString m_CoreRegisters;
};

class CDBSFRSet : public CQelRecordset {
    DECLARE_DYNAMIC(CDBSFRSet)
public:
    explicit CDBSFRSet(CdbDatabase *pDatabase);
    CString GetDefaultSQL() override;
    void DoFieldExchange(CQelFieldExchange *pFX) override;

    LONG m_SFRIndex;
    CString m_Name;
    LONG m_Type;
    LONG m_Width;
    LONG m_NamedBitMask;
    LONG m_ReadOnlyMask;
    CString m_ResetValue;
    CString m_Manual;
    LONG m_Page;
    CString m_Description;
    LONG m_HWModBitMask;
    LONG m_SFRBlockIndex;
};

class CDBSFRAddresses : public CQelRecordset {
    DECLARE_DYNAMIC(CDBSFRAddresses)
public:
    explicit CDBSFRAddresses(CdbDatabase *pDatabase);
    CString GetDefaultSQL() override;
    void DoFieldExchange(CQelFieldExchange *pFX) override;

    LONG m_SFRIndex;
    LONG m_AddressMode;
    LONG m_AddressValue;
};

class CDBSFRFields : public CQelRecordset {
    DECLARE_DYNAMIC(CDBSFRFields)
public:
    explicit CDBSFRFields(CdbDatabase *pDatabase);
    CString GetDefaultSQL() override;
    void DoFieldExchange(CQelFieldExchange *pFX) override;

    LONG m_SFRFieldIndex;
    CString m_Name;
    LONG m_Offset;
    LONG m_Width;
    CString m_Description;
    CString m_Manual;
    LONG m_Page;
    LONG m_SFRIndex;
};

class CDBSFRBlocks : public CQelRecordset {
    DECLARE_DYNAMIC(CDBSFRBlocks)
public:
    explicit CDBSFRBlocks(CdbDatabase *pDatabase);
    CString GetDefaultSQL() override;
    void DoFieldExchange(CQelFieldExchange *pFX) override;

    LONG m_SFRBlockIndex;
    CString m_Name;
    CString m_Description;
};

// Its default SQL is plain SQL in brackets, which a default open runs as it stands.
class CDBSFRFieldValues : public CQelRecordset {
    DECLARE_DYNAMIC(CDBSFRFieldValues)
public:
    explicit CDBSFRFieldValues(CdbDatabase *pDatabase);
    CString GetDefaultSQL() override;
    void DoFieldExchange(CQelFieldExchange *pFX) override;

    LONG m_SFRFieldValuesIndex;
    CString m_Name;
    LONG m_Value;
    LONG m_SFRFieldIndex;
};
