// The recordsets of the stored queries whose rows join several tables. The query
// handlers open them on a CQelQueryDef whose parameters they have set (OpenQueryDef).
#pragma once

#include "qelrecordset.h"

// A source file with one of its lines: the rows of SourceFileByPath and
// SourceFileByAddress, and the first nine columns of $SourceLinesInRange. Its default
// SQL names no stored query: a default open fails with "no such table or query".
class CDBSourceLineByAddress : public CQelRecordset {
    DECLARE_DYNAMIC(CDBSourceLineByAddress)
public:
    explicit CDBSourceLineByAddress(CdbDatabase *pDatabase);
    CString GetDefaultSQL() override;
    void DoFieldExchange(CQelFieldExchange *pFX) override;

    CString m_Name;
    LONG m_Type;
    CString m_EntryInFile;
    LONG m_SourceLine;
    LONG m_AddressMode;
    LONG m_AddressValue;
    LONG m_SourceFileIndex;
    BOOL m_Analyzed;
    LONG m_Length;
};

// $BlockByIndex: the function of a block.
class CDBBlockByIndex : public CQelRecordset {
    DECLARE_DYNAMIC(CDBBlockByIndex)
public:
    explicit CDBBlockByIndex(CdbDatabase *pDatabase);
    CString GetDefaultSQL() override;
    void DoFieldExchange(CQelFieldExchange *pFX) override;

    CString m_Name; // the function's
    LONG m_Data_1;  // the block's
    LONG m_Scope;   // the function's
};

// BreakpointDescription: module, file, line and function of an address.
class CDBBreakpointDescription : public CQelRecordset {
    DECLARE_DYNAMIC(CDBBreakpointDescription)
public:
    explicit CDBBreakpointDescription(CdbDatabase *pDatabase);
    CString GetDefaultSQL() override;
    void DoFieldExchange(CQelFieldExchange *pFX) override;

    CString m_Name; // the source file's
    CString m_EntryInFile;
    LONG m_SourceLine;
    LONG m_AddressMode;
    LONG m_AddressValue;
    LONG m_Length;
    CString m_FunctionName;
    LONG m_FunctionSourceLine; // the function's first line
    BOOL m_Analyzed;
    CString m_ModulName;
};

// NearestLabelByAddress: the nearest label at or below an address, with its module.
class CDBLabelDescription : public CQelRecordset {
    DECLARE_DYNAMIC(CDBLabelDescription)
public:
    explicit CDBLabelDescription(CdbDatabase *pDatabase);
    CString GetDefaultSQL() override;
    void DoFieldExchange(CQelFieldExchange *pFX) override;

    CString m_ModulName;
    CString m_Name; // the label's
    LONG m_Data_2;  // address mode
    LONG m_Data_3;  // address value
};

// LocationByAddress: the file and line of an address, when it has them, and the section
// that holds it.
class CDBLocation : public CQelRecordset {
    DECLARE_DYNAMIC(CDBLocation)
public:
    explicit CDBLocation(CdbDatabase *pDatabase);
    CString GetDefaultSQL() override;
    void DoFieldExchange(CQelFieldExchange *pFX) override;

    CString m_Name; // the source file's
    LONG m_Type;
    CString m_EntryInFile;
    BOOL m_Analyzed;
    LONG m_SourceLine;
    LONG m_AddressMode;
    LONG m_AddressValue;
    LONG m_Length;
    CString m_SectionName;
    LONG m_SectionType;
    LONG m_SectionAddressMode;
    LONG m_SectionAddressValue;
    LONG m_SectionLength;
};
