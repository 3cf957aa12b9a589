// How the library's classes reach one another's insides. Internal to the library.
#pragma once

#include "dbdao.h"

#include "querydefimpl.h"
#include "recordsetimpl.h"
#include "tabledefimpl.h"

namespace qeldao {

class WorkspaceImpl;

struct DaoAccess {
    static CdbField BoundField(const std::shared_ptr<RecordsetImpl> &recordset, int column)
    {
        CdbField field;
        field.m_pRecordset = recordset;
        field.m_nColumn = column;
        return field;
    }
    static CdbField DefinedField(std::shared_ptr<FieldDef> def)
    {
        CdbField field;
        field.m_pDef = std::move(def);
        return field;
    }
    static const std::shared_ptr<FieldDef> &Def(const CdbField &field) { return field.m_pDef; }

    static CdbRecordset Recordset(const std::shared_ptr<RecordsetImpl> &impl)
    {
        CdbRecordset recordset;
        recordset.m_pRecordset = impl;
        recordset.Fields.m_pRecordset = impl;
        impl->Database()->Adopt(impl);
        return recordset;
    }
    static CdbQueryDef QueryDef(const std::shared_ptr<QueryDefImpl> &impl)
    {
        CdbQueryDef queryDef;
        queryDef.m_pQueryDef = impl;
        impl->Database()->Adopt(impl);
        return queryDef;
    }
    static const std::shared_ptr<QueryDefImpl> &Impl(const CdbQueryDef &queryDef) { return queryDef.m_pQueryDef; }

    static CdbTableDef TableDef(std::shared_ptr<TableDefImpl> impl)
    {
        CdbTableDef tableDef;
        tableDef.Fields.m_pTableDef = impl;
        tableDef.Indexes.m_pTableDef = impl;
        tableDef.m_pTableDef = std::move(impl);
        return tableDef;
    }
    static const std::shared_ptr<TableDefImpl> &Impl(const CdbTableDef &tableDef) { return tableDef.m_pTableDef; }

    static CdbIndex Index(std::shared_ptr<IndexDef> impl)
    {
        CdbIndex index;
        index.Fields.m_pIndex = impl;
        index.m_pIndex = std::move(impl);
        return index;
    }
    static const std::shared_ptr<IndexDef> &Impl(const CdbIndex &index) { return index.m_pIndex; }

    static CdbDatabase Database(const std::shared_ptr<DatabaseImpl> &impl)
    {
        CdbDatabase database;
        database.m_pDatabase = impl;
        database.TableDefs.m_pDatabase = impl;
        database.QueryDefs.m_pDatabase = impl;
        return database;
    }

    static CdbWorkspace Workspace(std::shared_ptr<WorkspaceImpl> impl)
    {
        CdbWorkspace workspace;
        workspace.m_pWorkspace = std::move(impl);
        return workspace;
    }
};

} // namespace qeldao
