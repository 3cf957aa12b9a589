#include "daoaccess.h"
#include "jeterror.h"
#include "jetnames.h"
#include "resultset.h"
#include "tablecursor.h"

using namespace qeldao;

namespace {

DatabaseImpl &Open(const std::shared_ptr<DatabaseImpl> &database, const char *source)
{
    if (!database)
        ThrowJet(source, JET_OBJECT_CLOSED);
    database->Handle(source);
    return *database;
}

} // namespace

CString CdbDatabase::GetName()
{
    return CString(Open(m_pDatabase, SRC_DATABASE).Path().c_str());
}

VOID CdbDatabase::Close()
{
    if (m_pDatabase)
        m_pDatabase->Close();
}

CdbRecordset CdbDatabase::OpenRecordset(LPCTSTR pstrSource, LONG lType, LONG lOptions, LONG)
{
    DatabaseImpl &db = Open(m_pDatabase, SRC_DATABASE);
    if (lType != -1 && lType != dbOpenTable && lType != dbOpenDynaset && lType != dbOpenSnapshot)
        ThrowJet(SRC_DATABASE, JET_INVALID_ARGUMENT);
    bool readOnly = IsReadOnlyOption(lOptions, SRC_DATABASE);
    std::string source = pstrSource ? pstrSource : "";

    std::shared_ptr<QueryDefImpl> query;
    if (std::shared_ptr<const TableSchema> table = db.FindTable(source)) {
        if (lType == -1 || lType == dbOpenTable)
            return DaoAccess::Recordset(std::make_shared<TableCursor>(m_pDatabase, table, readOnly));
        query = std::make_shared<QueryDefImpl>(m_pDatabase, std::string(), "SELECT * FROM [" + table->name + "]");
    } else {
        if (lType == dbOpenTable)
            ThrowJet(SRC_DATABASE, JET_INVALID_OPERATION); // only a table opens as a table
        std::string storedName, sql;
        if (db.FindQuery(source, &storedName, &sql))
            query = std::make_shared<QueryDefImpl>(m_pDatabase, storedName, sql);
        else if (!source.empty() && source.find_first_of(" \t\r\n") == std::string::npos)
            ThrowJet(SRC_DATABASE, JET_NO_SUCH_INPUT, source); // a name, not SQL
        else
            query = std::make_shared<QueryDefImpl>(m_pDatabase, std::string(), source);
    }
    query->Open(SRC_DATABASE);
    auto recordset = std::make_shared<ResultSet>(query, lType != dbOpenSnapshot, readOnly);
    db.Adopt(query);
    return DaoAccess::Recordset(recordset);
}

CdbQueryDef CdbDatabase::CreateQueryDef(LPCTSTR pstrName, LPCTSTR pstrSQL)
{
    DatabaseImpl &db = Open(m_pDatabase, SRC_DATABASE);
    std::string name = pstrName ? pstrName : "";
    std::string sql = pstrSQL ? pstrSQL : "";
    auto query = std::make_shared<QueryDefImpl>(m_pDatabase, name, sql);
    if (name.empty())
        query->Open(SRC_QUERYDEF);
    else
        db.StoreQuery(name, sql, SRC_DATABASE);
    return DaoAccess::QueryDef(query);
}

CdbTableDef CdbDatabase::CreateTableDef(LPCTSTR pstrName, LONG lAttributes, LPCTSTR pstrSource, LPCTSTR pstrConnect)
{
    Open(m_pDatabase, SRC_DATABASE);
    if ((lAttributes != -1 && lAttributes != 0) || (pstrSource && *pstrSource) || (pstrConnect && *pstrConnect))
        ThrowJet(SRC_DATABASE, JET_INVALID_ARGUMENT);
    auto table = std::make_shared<TableDefImpl>();
    table->db = m_pDatabase;
    table->name = pstrName ? pstrName : "";
    return DaoAccess::TableDef(table);
}

CdbQueryDef CdbQueryDefs::operator[](LPCTSTR pstrName)
{
    DatabaseImpl &db = Open(m_pDatabase, SRC_DATABASE);
    std::string storedName, sql;
    if (!db.FindQuery(StripBrackets(pstrName ? pstrName : ""), &storedName, &sql))
        ThrowJet(SRC_DATABASE, JET_ITEM_NOT_FOUND);
    auto query = std::make_shared<QueryDefImpl>(m_pDatabase, storedName, sql);
    query->Open(SRC_QUERYDEF);
    return DaoAccess::QueryDef(query);
}
