// CQelRecordset: a recordset whose columns are bound to member variables.
//
// Each derived class names its table or stored query (GetDefaultSQL, bracketed) and
// exchanges its columns with its members in DoFieldExchange, through the DFX_ routines
// below. Moving to a record reads it into the members; Update writes the members into
// the record being added or edited. Every DAO error is thrown as CQeldbException.
#pragma once

#include <afx.h>

#include "dbdao.h"
#include "qelquerydef.h"

#include <memory>
#include <vector>

class CQelRecordset;

// What DoFieldExchange is asked to do: read the current record into the members, or
// write the members into the record being added or edited.
class CQelFieldExchange {
public:
    enum { Read = 0, Write = 1 };

    CQelFieldExchange(UINT mode, CQelRecordset *pSet) : m_nMode(mode), m_pSet(pSet) {}

    // The recordset's field of the next column in exchange order, found by `name`
    // the first time and kept for the life of the open recordset.
    CdbField &NextField(LPCTSTR name, BOOL *autoIncrement);

    UINT m_nMode;

private:
    CQelRecordset *m_pSet;
    size_t m_nColumn = 0;
};

// The exchange of one column ("[Name]" or, from a join, "[Source.Name]"). Reading a
// Null gives 0, FALSE, an empty text or a null date. Writing skips an auto-number
// column: the engine numbers it.
void DFX_Long(CQelFieldExchange *pFX, LPCTSTR name, LONG &value);
void DFX_Bool(CQelFieldExchange *pFX, LPCTSTR name, BOOL &value);
void DFX_Text(CQelFieldExchange *pFX, LPCTSTR name, CString &value);
void DFX_DateTime(CQelFieldExchange *pFX, LPCTSTR name, COleDateTime &value);

class CQelRecordset : public CObject {
    DECLARE_DYNAMIC(CQelRecordset)
public:
    explicit CQelRecordset(CdbDatabase *pDatabase);
    ~CQelRecordset() override;

    // Opens the recordset on a query definition whose parameters are set; a snapshot
    // (dbOpenSnapshot) is always read-only. Keeps a copy of the query definition.
    virtual void OpenQueryDef(CQelQueryDef &queryDef, LONG openType = dbOpenSnapshot, LONG options = 0);
    // Opens `sql` (a table or query name, or SQL), or with NULL the class's own table
    // or query, as `openType` (-1: the class's default type) and reads the first record.
    virtual void Open(LONG openType = -1, LPCTSTR sql = nullptr, LONG options = 0);
    virtual void Close();
    virtual CString GetDefaultDBName();
    virtual CString GetDefaultSQL();
    virtual void DoFieldExchange(CQelFieldExchange *pFX);
    // AddNew and Edit read the record into the members (a new record's defaults and
    // auto-number); Update writes the members and stores the record.
    virtual void AddNew();
    virtual void Edit();
    virtual void Update();
    virtual void CancelUpdate();

    // These open the recordset with its defaults when it is not open. The moves read
    // the record they reach; at either end the members keep the last record read.
    void SetCurrentIndex(LPCTSTR indexName);
    LONG GetRecordCount();
    BOOL IsEOF();
    BOOL IsBOF();
    void MoveFirst();
    void MoveNext();
    void MovePrev();
    void MoveLast();
    // Seeks through the current index with up to three keys; TRUE, with the record
    // read, when one matches.
    BOOL Seek(LPCTSTR comparison, const VARIANT *key1, const VARIANT *key2 = nullptr, const VARIANT *key3 = nullptr);
    // Runs the query again; FALSE when it has no records, else the first is read.
    BOOL Requery();
    void SetBookmark(const VARIANT &bookmark);
    CdbBookmark GetLastModifiedBookmark();

    BOOL IsOpen() const { return m_bOpen; }

protected:
    UINT m_nDefaultType; // dbOpenTable, dbOpenDynaset or dbOpenSnapshot
    UINT m_nFields;
    CdbDatabase *m_pDatabase; // not owned
    CdbRecordset m_Recordset;
    BOOL m_bOpen;
    std::unique_ptr<CQelQueryDef> m_pQueryDef;

private:
    friend class CQelFieldExchange;
    struct BoundColumn {
        CdbField field;
        BOOL autoIncrement;
    };

    void EnsureOpen();
    void Exchange(UINT mode);
    // Reads the record when the recordset stands on one.
    void ReadCurrent();

    std::vector<BoundColumn> m_columns;
};
