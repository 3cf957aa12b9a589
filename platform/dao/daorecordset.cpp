#include "daoaccess.h"
#include "jeterror.h"

using namespace qeldao;

namespace {

RecordsetImpl &Open(const std::shared_ptr<RecordsetImpl> &recordset)
{
    if (!recordset)
        ThrowJet(SRC_RECORDSET, JET_OBJECT_CLOSED);
    return *recordset;
}

} // namespace

VOID CdbRecordset::Close()
{
    if (m_pRecordset)
        m_pRecordset->Close();
}

VOID CdbRecordset::AddNew()
{
    Open(m_pRecordset).AddNew();
}

VOID CdbRecordset::Edit()
{
    Open(m_pRecordset).Edit();
}

VOID CdbRecordset::Update(LONG lType, BOOL)
{
    // bForce has nothing to force: no other connection can have changed the record.
    if (lType != dbUpdateRegular)
        ThrowJet(SRC_RECORDSET, JET_NOT_SUPPORTED);
    Open(m_pRecordset).Update();
}

VOID CdbRecordset::CancelUpdate(LONG lType)
{
    if (lType != dbUpdateRegular)
        ThrowJet(SRC_RECORDSET, JET_NOT_SUPPORTED);
    Open(m_pRecordset).CancelUpdate();
}

VOID CdbRecordset::MoveFirst()
{
    Open(m_pRecordset).MoveFirst();
}

VOID CdbRecordset::MoveLast()
{
    Open(m_pRecordset).MoveLast();
}

VOID CdbRecordset::MoveNext()
{
    Open(m_pRecordset).MoveNext();
}

VOID CdbRecordset::MovePrevious()
{
    Open(m_pRecordset).MovePrevious();
}

BOOL CdbRecordset::IsEOF()
{
    return Open(m_pRecordset).IsEOF();
}

BOOL CdbRecordset::IsBOF()
{
    return Open(m_pRecordset).IsBOF();
}

LONG CdbRecordset::GetRecordCount()
{
    return Open(m_pRecordset).RecordCount();
}

VOID CdbRecordset::SetIndex(LPCTSTR pstrIndex)
{
    Open(m_pRecordset).SetIndex(pstrIndex ? pstrIndex : "");
}

VOID CdbRecordset::Seek(LPCTSTR pstrComparison, LONG lNumFields, const VARIANT *pKey1, const VARIANT *pKey2,
                        const VARIANT *pKey3)
{
    const VARIANT *keys[] = {pKey1, pKey2, pKey3};
    Open(m_pRecordset).Seek(pstrComparison, lNumFields, keys);
}

BOOL CdbRecordset::GetNoMatch()
{
    return Open(m_pRecordset).NoMatch();
}

CdbBookmark CdbRecordset::GetBookmark()
{
    CdbBookmark bookmark;
    Open(m_pRecordset).GetBookmark(&bookmark);
    return bookmark;
}

VOID CdbRecordset::SetBookmark(const VARIANT &bookmark)
{
    Open(m_pRecordset).SetBookmark(bookmark);
}

CdbBookmark CdbRecordset::GetLastModified()
{
    CdbBookmark bookmark;
    Open(m_pRecordset).GetLastModified(&bookmark);
    return bookmark;
}

VOID CdbRecordset::Requery()
{
    Open(m_pRecordset).Requery();
}

CdbVariant CdbRecordset::GetField(LPCTSTR pstrName)
{
    RecordsetImpl &recordset = Open(m_pRecordset);
    CdbVariant value;
    recordset.GetValue(recordset.FindColumn(pstrName ? pstrName : ""), &value);
    return value;
}

VOID CdbRecordset::SetField(LPCTSTR pstrName, const VARIANT *pValue)
{
    RecordsetImpl &recordset = Open(m_pRecordset);
    int column = recordset.FindColumn(pstrName ? pstrName : "");
    if (!pValue)
        ThrowJet(SRC_FIELD, JET_INVALID_ARGUMENT);
    recordset.SetValue(column, *pValue);
}
