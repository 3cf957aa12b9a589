// The recordsets of the symbol database's tables: one class per table, its columns
// bound to members named after them. All open as table-type recordsets by default, so
// that the readers can seek through the tables' indexes and append rows.
#pragma once

#include "qelrecordset.h"

class CDBVersion : public CQelRecordset {
    DECLARE_DYNAMIC(CDBVersion)
public:
    explicit CDBVersion(CdbDatabase *pDatabase);
    CString GetDefaultSQL() override;
    void DoFieldExchange(CQelFieldExchange *pFX) override;

    LONG m_Version;
    COleDateTime m_CreationTime;
};

// Which schema and which readers of program files wrote a database: values of this
// system's own, beside the Version row that the schema gives (which no reader's change
// ever raised), so that a file that an older build filled is rebuilt, not reused
// without the rows, keys or indexes that this build writes.
class CDBWriters : public CQelRecordset {
    DECLARE_DYNAMIC(CDBWriters)
public:
    explicit CDBWriters(CdbDatabase *pDatabase);
    CString GetDefaultSQL() override;
    void DoFieldExchange(CQelFieldExchange *pFX) override;

    LONG m_Schema;
    LONG m_Readers;
};

class CDBProgram : public CQelRecordset {
    DECLARE_DYNAMIC(CDBProgram)
public:
    explicit CDBProgram(CdbDatabase *pDatabase);
    CString GetDefaultSQL() override;
    void DoFieldExchange(CQelFieldExchange *pFX) override;

    LONG m_ProgramIndex;
    CString m_Name; // the program file's full path
    LONG m_Type;
    CString m_Source;
    COleDateTime m_ModifiedTime;
    BOOL m_Analyzed;
    CString m_AlternateEntryPoint;
    CString m_AlternateMainFunction;
    CString m_EntryPoint;
    CString m_MainFunction;
};

// The readers' view of Sections.
class CDBSections : public CQelRecordset {
    DECLARE_DYNAMIC(CDBSections)
public:
    explicit CDBSections(CdbDatabase *pDatabase);
    CString GetDefaultSQL() override;
    void DoFieldExchange(CQelFieldExchange *pFX) override;

    LONG m_Type;
    LONG m_Length;
    LONG m_SectionIndex;
    CString m_Name;
    LONG m_AddressMode;
    LONG m_AddressValue;
};

// The writers' view of Sections (WriteSectionRecord).
class CDBSectionsBinary : public CQelRecordset {
    DECLARE_DYNAMIC(CDBSectionsBinary)
public:
    explicit CDBSectionsBinary(CdbDatabase *pDatabase);
    CString GetDefaultSQL() override;
    void DoFieldExchange(CQelFieldExchange *pFX) override;

    LONG m_SectionIndex;
    CString m_Name;
    LONG m_Type;
    LONG m_Length;
    LONG m_AddressMode;
    LONG m_AddressValue;
};

class CDBModuls : public CQelRecordset {
    DECLARE_DYNAMIC(CDBModuls)
public:
    explicit CDBModuls(CdbDatabase *pDatabase);
    CString GetDefaultSQL() override;
    void DoFieldExchange(CQelFieldExchange *pFX) override;

    LONG m_ModulIndex;
    CString m_Name;
    BOOL m_Analyzed; // the module's symbols have been read
    LONG m_Offset;
};

class CDBModulSectionRel : public CQelRecordset {
    DECLARE_DYNAMIC(CDBModulSectionRel)
public:
    explicit CDBModulSectionRel(CdbDatabase *pDatabase);
    CString GetDefaultSQL() override;
    void DoFieldExchange(CQelFieldExchange *pFX) override;

    LONG m_ModulIndex;
    LONG m_SectionIndex;
};

class CDBModulSourceFileRel : public CQelRecordset {
    DECLARE_DYNAMIC(CDBModulSourceFileRel)
public:
    explicit CDBModulSourceFileRel(CdbDatabase *pDatabase);
    CString GetDefaultSQL() override;
    void DoFieldExchange(CQelFieldExchange *pFX) override;

    LONG m_ModulIndex;
    LONG m_SourceFileIndex;
};

class CDBSectionSourceFileRel : public CQelRecordset {
    DECLARE_DYNAMIC(CDBSectionSourceFileRel)
public:
    explicit CDBSectionSourceFileRel(CdbDatabase *pDatabase);
    CString GetDefaultSQL() override;
    void DoFieldExchange(CQelFieldExchange *pFX) override;

    LONG m_SectionIndex;
    LONG m_SourceFileIndex;
};

class CDBSourceFiles : public CQelRecordset {
    DECLARE_DYNAMIC(CDBSourceFiles)
public:
    explicit CDBSourceFiles(CdbDatabase *pDatabase);
    CString GetDefaultSQL() override;
    void DoFieldExchange(CQelFieldExchange *pFX) override;

    LONG m_Type; // 1000 or more: the file has line information
    CString m_Name;
    CString m_EntryInFile;
    LONG m_SourceFileIndex;
    BOOL m_Analyzed;
};

class CDBSourceLines : public CQelRecordset {
    DECLARE_DYNAMIC(CDBSourceLines)
public:
    explicit CDBSourceLines(CdbDatabase *pDatabase);
    CString GetDefaultSQL() override;
    void DoFieldExchange(CQelFieldExchange *pFX) override;

    LONG m_SourceLineIndex; // numbered by the engine
    LONG m_SourceLine;
    LONG m_SectionIndex;
    LONG m_SourceFileIndex;
    LONG m_AddressMode;
    LONG m_AddressValue;
    LONG m_Length; // -1: a line without code
};

class CDBFunctions : public CQelRecordset {
    DECLARE_DYNAMIC(CDBFunctions)
public:
    explicit CDBFunctions(CdbDatabase *pDatabase);
    CString GetDefaultSQL() override;
    void DoFieldExchange(CQelFieldExchange *pFX) override;

    LONG m_FunctionIndex;
    CString m_Name; // required, and never empty
    CString m_NameString; // the name encoded (EncodeNameString)
    LONG m_Length;
    LONG m_SectionIndex;
    LONG m_CallType;
    LONG m_ReturnType; // packed type index
    LONG m_AddressMode;
    LONG m_AddressValue;
    LONG m_Scope; // the module, with either sign
};

class CDBTypeInfo : public CQelRecordset {
    DECLARE_DYNAMIC(CDBTypeInfo)
public:
    explicit CDBTypeInfo(CdbDatabase *pDatabase);
    CString GetDefaultSQL() override;
    void DoFieldExchange(CQelFieldExchange *pFX) override;

    LONG m_TypeID;
    CString m_Name;
    LONG m_Data_1;
    LONG m_Data_2;
    LONG m_Data_3;
    LONG m_Data_4;
    LONG m_ModulIndex;
    LONG m_TypeIndex; // packed
};

class CDBSymbolInfo : public CQelRecordset {
    DECLARE_DYNAMIC(CDBSymbolInfo)
public:
    explicit CDBSymbolInfo(CdbDatabase *pDatabase);
    CString GetDefaultSQL() override;
    void DoFieldExchange(CQelFieldExchange *pFX) override;

    LONG m_SymbolID;
    LONG m_ScopeIndex;
    CString m_Name;
    LONG m_Data_1;
    LONG m_Data_2;
    LONG m_Data_3;
    LONG m_Data_4;
    LONG m_Data_5;
    LONG m_Data_6;
    LONG m_ModulIndex;
    CString m_NameString; // the name encoded (EncodeNameString)
    LONG m_SymbolIndex;   // numbered by the engine
};

class CDBRegisterMap : public CQelRecordset {
    DECLARE_DYNAMIC(CDBRegisterMap)
public:
    explicit CDBRegisterMap(CdbDatabase *pDatabase);
    CString GetDefaultSQL() override;
    void DoFieldExchange(CQelFieldExchange *pFX) override;

    CString m_Name;
    LONG m_Number;
};
