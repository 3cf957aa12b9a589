#include "recordsetimpl.h"

#include "daoconst.h"
#include "daovariant.h"
#include "jeterror.h"
#include "jetnames.h"

#include <cstring>
#include <limits>
#include <new>

namespace qeldao {

int RecordsetImpl::FindColumn(std::string_view name)
{
    CheckOpen();
    name = StripBrackets(name);
    const size_t count = m_columns.size();
    size_t column = m_hint < count ? m_hint : 0;
    for (size_t k = 0; k < count; ++k) {
        if (SameName(m_columns[column].name, name)) {
            m_hint = column + 1;
            return static_cast<int>(column);
        }
        column = column + 1 == count ? 0 : column + 1;
    }
    ThrowJet(SRC_RECORDSET, JET_ITEM_NOT_FOUND);
}

void RecordsetImpl::GetValue(int column, VARIANT *out)
{
    CheckOpen();
    const JetRow &row = m_mode != NoEdit ? m_buffer : CurrentRow();
    ValueToVariant(row[column], m_columns[column].type, out, SRC_FIELD);
}

const std::string *RecordsetImpl::HeldText(int column)
{
    CheckOpen();
    const short type = m_columns[column].type;
    const JetValue &value = (m_mode != NoEdit ? m_buffer : CurrentRow())[column];
    return (type == dbText || type == 0) && value.kind == JetValue::Text ? &value.text : nullptr;
}

bool RecordsetImpl::HeldLong(int column, LONG *out)
{
    CheckOpen();
    const short type = m_columns[column].type;
    const JetValue &value = (m_mode != NoEdit ? m_buffer : CurrentRow())[column];
    if ((type != dbLong && type != 0) || value.kind != JetValue::Integer ||
        value.integer < std::numeric_limits<LONG>::min() || value.integer > std::numeric_limits<LONG>::max())
        return false;
    *out = static_cast<LONG>(value.integer);
    return true;
}

const ColumnInfo &RecordsetImpl::ColumnToSet(int column)
{
    CheckOpen();
    if (m_mode == NoEdit)
        ThrowJet(SRC_FIELD, JET_UPDATE_WITHOUT_EDIT);
    const ColumnInfo &info = m_columns[column];
    if ((info.attributes & dbAutoIncrField) || !IsUpdatable(column))
        ThrowJet(SRC_FIELD, JET_NOT_UPDATABLE, info.name);
    return info;
}

void RecordsetImpl::SetValue(int column, const VARIANT &value)
{
    const ColumnInfo &info = ColumnToSet(column);
    if (!StorePlainValue(value, info.type, &m_buffer[column]))
        m_buffer[column] = ValueFromVariant(value, info.type, SRC_FIELD);
}

void RecordsetImpl::SetText(int column, std::string_view text)
{
    if (ColumnToSet(column).type != dbText) {
        // Another type converts the text as it converts a BSTR.
        SetValue(column, CdbVariant(std::string(text).c_str()));
        return;
    }
    // Every byte of code page 1252 comes back from UTF-16 as it went: the text is stored
    // as it stands.
    JetValue &held = m_buffer[column];
    held.kind = JetValue::Text;
    held.integer = 0;
    held.real = 0;
    held.text.assign(text.data(), text.size());
}

bool RecordsetImpl::IsUpdatable(int) const
{
    return true;
}

void RecordsetImpl::CancelUpdate()
{
    CheckOpen();
    if (m_mode == NoEdit)
        ThrowJet(SRC_RECORDSET, JET_UPDATE_WITHOUT_EDIT);
    m_mode = NoEdit;
}

bool RecordsetImpl::IsEOF() const
{
    CheckOpen();
    return m_eof;
}

bool RecordsetImpl::IsBOF() const
{
    CheckOpen();
    return m_bof;
}

void RecordsetImpl::SetIndex(std::string_view)
{
    CheckOpen();
    ThrowJet(SRC_RECORDSET, JET_NOT_SUPPORTED);
}

void RecordsetImpl::Seek(const char *, int, const VARIANT *const *)
{
    CheckOpen();
    ThrowJet(SRC_RECORDSET, JET_NOT_SUPPORTED);
}

bool RecordsetImpl::NoMatch() const
{
    CheckOpen();
    return false;
}

void RecordsetImpl::Requery()
{
    CheckOpen();
    ThrowJet(SRC_RECORDSET, JET_NOT_SUPPORTED);
}

void RecordsetImpl::Close()
{
    if (!m_open)
        return;
    DropStatements();
    m_open = false;
    m_mode = NoEdit;
}

void RecordsetImpl::Detach()
{
    Close();
}

void RecordsetImpl::CheckOpen() const
{
    if (!m_open || !m_db->IsOpen())
        ThrowJet(SRC_RECORDSET, JET_OBJECT_CLOSED);
}

void RecordsetImpl::CheckWritable() const
{
    CheckOpen();
    if (m_readOnly || m_db->IsReadOnly())
        ThrowJet(SRC_RECORDSET, JET_READ_ONLY);
}

bool IsReadOnlyOption(LONG options, const char *source)
{
    const LONG kTaken = 1 | 2 | dbReadOnly | 16 | 32 | 256 | 512;
    if (options == -1)
        return false;
    if (options < 0 || (options & ~kTaken))
        ThrowJet(source, JET_INVALID_ARGUMENT);
    return (options & dbReadOnly) != 0;
}

void MakeBookmark(int64_t id, VARIANT *out)
{
    SAFEARRAY *bytes = SafeArrayCreateVector(VT_UI1, 0, sizeof id);
    if (!bytes)
        throw std::bad_alloc();
    void *data = nullptr;
    SafeArrayAccessData(bytes, &data);
    for (size_t i = 0; i < sizeof id; ++i)
        static_cast<BYTE *>(data)[i] = static_cast<BYTE>(static_cast<uint64_t>(id) >> (8 * i));
    SafeArrayUnaccessData(bytes);
    out->parray = bytes;
    out->vt = VT_ARRAY | VT_UI1;
}

int64_t ReadBookmark(const VARIANT &bookmark, const char *source)
{
    const VARIANT *value = &bookmark;
    if (value->vt == (VT_BYREF | VT_VARIANT) && value->pvarVal)
        value = value->pvarVal;
    SAFEARRAY *bytes = nullptr;
    if (value->vt == (VT_ARRAY | VT_UI1))
        bytes = value->parray;
    else if (value->vt == (VT_BYREF | VT_ARRAY | VT_UI1) && value->pparray)
        bytes = *value->pparray;
    LONG lower = 0, upper = -1;
    if (!bytes || SafeArrayGetDim(bytes) != 1 || SafeArrayGetElemsize(bytes) != 1 ||
        FAILED(SafeArrayGetLBound(bytes, 1, &lower)) || FAILED(SafeArrayGetUBound(bytes, 1, &upper)) ||
        upper - lower + 1 != 8)
        ThrowJet(source, JET_BAD_BOOKMARK);
    void *data = nullptr;
    if (FAILED(SafeArrayAccessData(bytes, &data)))
        ThrowJet(source, JET_BAD_BOOKMARK);
    uint64_t id = 0;
    for (size_t i = 0; i < 8; ++i)
        id |= static_cast<uint64_t>(static_cast<const BYTE *>(data)[i]) << (8 * i);
    SafeArrayUnaccessData(bytes);
    return static_cast<int64_t>(id);
}

} // namespace qeldao
