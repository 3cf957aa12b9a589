#include "daoaccess.h"
#include "jeterror.h"
#include "resultset.h"

using namespace qeldao;

namespace {

QueryDefImpl &Open(const std::shared_ptr<QueryDefImpl> &queryDef)
{
    if (!queryDef)
        ThrowJet(SRC_QUERYDEF, JET_OBJECT_CLOSED);
    return *queryDef;
}

} // namespace

CString CdbQueryDef::GetName()
{
    return CString(Open(m_pQueryDef).Name().c_str());
}

CString CdbQueryDef::GetSQL()
{
    const std::string &sql = Open(m_pQueryDef).JetSql();
    return CString(sql.data(), static_cast<int>(sql.size()));
}

VOID CdbQueryDef::SetParamValue(LPCTSTR pstrName, const VARIANT &value)
{
    Open(m_pQueryDef).SetParameter(pstrName ? pstrName : "", value);
}

CdbRecordset CdbQueryDef::OpenRecordset(LONG lType, LONG lOptions, LONG)
{
    QueryDefImpl &query = Open(m_pQueryDef);
    if (lType == dbOpenTable)
        ThrowJet(SRC_QUERYDEF, JET_INVALID_OPERATION); // a query is no table
    if (lType != -1 && lType != dbOpenDynaset && lType != dbOpenSnapshot)
        ThrowJet(SRC_QUERYDEF, JET_INVALID_ARGUMENT);
    query.Open(SRC_QUERYDEF);
    auto recordset = std::make_shared<ResultSet>(m_pQueryDef, lType != dbOpenSnapshot,
                                                   IsReadOnlyOption(lOptions, SRC_QUERYDEF));
    return DaoAccess::Recordset(recordset);
}

VOID CdbQueryDef::Execute(LONG lOptions)
{
    Open(m_pQueryDef).Execute(lOptions);
}
