// What every kind of recordset shares: its columns, the edit buffer of AddNew and
// Edit, and DAO's current-record rules. Internal to the library.
//
// BOF and EOF follow DAO: both are true in an empty recordset; moving past the last
// record sets EOF and leaves no current record, moving again raises 3021; MovePrevious
// from there comes back to the last record. Moving while an edit is open drops the
// edit, as DAO does.
#pragma once

#include "databaseimpl.h"

#include <memory>
#include <string>
#include <vector>

namespace qeldao {

struct ColumnInfo {
    std::string name;
    short type = 0; // dbLong, dbText, dbDate, dbBoolean, or 0 for a computed value
    LONG size = 0;
    LONG attributes = 0;
};

class RecordsetImpl : public DatabaseChild {
public:
    RecordsetImpl(std::shared_ptr<DatabaseImpl> db, bool readOnly) : m_db(std::move(db)), m_readOnly(readOnly) {}

    const std::shared_ptr<DatabaseImpl> &Database() const { return m_db; }

    int ColumnCount() const { return static_cast<int>(m_columns.size()); }
    const ColumnInfo &Column(int column) const { return m_columns[column]; }
    // The column of that name, blind to case, with or without brackets; 3265 if none.
    int FindColumn(std::string_view name);

    void GetValue(int column, VARIANT *out);
    // The value as it is held, for readers that want it without a VARIANT: the text of
    // a Text or computed column that holds text (valid until the recordset moves or its
    // edit changes), or the number of a Long or computed column that a Long shows as it
    // stands. NULL or false for any other value, which GetValue converts.
    const std::string *HeldText(int column);
    bool HeldLong(int column, LONG *value);
    void SetValue(int column, const VARIANT &value);
    // SetValue of the text as a VT_BSTR.
    void SetText(int column, std::string_view text);

    virtual void AddNew() = 0;
    virtual void Edit() = 0;
    virtual void Update() = 0;
    void CancelUpdate();

    virtual void MoveFirst() = 0;
    virtual void MoveLast() = 0;
    virtual void MoveNext() = 0;
    virtual void MovePrevious() = 0;
    bool IsEOF() const;
    bool IsBOF() const;
    virtual LONG RecordCount() = 0;

    virtual void SetIndex(std::string_view name);
    virtual void Seek(const char *comparison, int keyCount, const VARIANT *const *keys);
    virtual bool NoMatch() const;

    virtual void GetBookmark(VARIANT *out) = 0;
    virtual void SetBookmark(const VARIANT &bookmark) = 0;
    virtual void GetLastModified(VARIANT *out) = 0;
    virtual void Requery();

    void Close();
    void Detach() override;

protected:
    enum EditMode { NoEdit, Editing, Adding };

    // The record that the fields show; raises 3021 when there is none.
    virtual const JetRow &CurrentRow() = 0;
    // Whether SetValue may change the column of an open edit.
    virtual bool IsUpdatable(int column) const;
    virtual void DropStatements() = 0;

    void CheckOpen() const;
    // The column of an open edit that may be set; raises 3020 or 3164 otherwise.
    const ColumnInfo &ColumnToSet(int column);
    void CheckWritable() const;
    bool HasCurrent() const { return !m_eof && !m_bof; }

    std::shared_ptr<DatabaseImpl> m_db;
    bool m_readOnly;
    bool m_open = true;
    std::vector<ColumnInfo> m_columns;
    size_t m_hint = 0; // where the next name lookup starts: fields are mostly asked in turn
    EditMode m_mode = NoEdit;
    JetRow m_buffer;
    bool m_eof = true;
    bool m_bof = true;
};

// Whether the options of OpenRecordset ask for a read-only recordset (-1: none given).
// The options that lock others out or choose between Jet's update strategies (deny
// write, deny read, inconsistent, consistent, forward only, see changes) mean nothing
// more for a file that one connection holds alone, and are taken; others raise 3001.
bool IsReadOnlyOption(LONG options, const char *source);

// Bookmarks: an 8-byte number in a VT_ARRAY | VT_UI1 array.
void MakeBookmark(int64_t id, VARIANT *out);
int64_t ReadBookmark(const VARIANT &bookmark, const char *source);

} // namespace qeldao
