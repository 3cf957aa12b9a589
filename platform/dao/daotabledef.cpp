#include "daoaccess.h"
#include "jeterror.h"
#include "jetnames.h"

#include <algorithm>

using namespace qeldao;

namespace {

IndexDef &Definition(const std::shared_ptr<IndexDef> &index)
{
    if (!index)
        ThrowJet(SRC_INDEX, JET_OBJECT_CLOSED);
    if (index->appended)
        ThrowJet(SRC_INDEX, JET_NOT_SUPPORTED);
    return *index;
}

TableDefImpl &Definition(const std::shared_ptr<TableDefImpl> &table)
{
    if (!table)
        ThrowJet(SRC_TABLEDEF, JET_OBJECT_CLOSED);
    return *table;
}

} // namespace

CString CdbIndex::GetName()
{
    if (!m_pIndex)
        ThrowJet(SRC_INDEX, JET_OBJECT_CLOSED);
    return CString(m_pIndex->name.c_str());
}

CdbField CdbIndex::CreateField(LPCTSTR pstrName, LONG, LONG)
{
    Definition(m_pIndex);
    auto def = std::make_shared<FieldDef>();
    def->schema.name = pstrName ? pstrName : "";
    return DaoAccess::DefinedField(def);
}

VOID CdbIndex::SetPrimary(BOOL bPrimary)
{
    Definition(m_pIndex).primary = bPrimary != FALSE;
}

VOID CdbIndex::SetUnique(BOOL bUnique)
{
    Definition(m_pIndex).unique = bUnique != FALSE;
}

VOID CdbIndex::SetClustered(BOOL)
{
    Definition(m_pIndex);
}

VOID CdbIndex::SetIgnoreNulls(BOOL bIgnoreNulls)
{
    Definition(m_pIndex).ignoreNulls = bIgnoreNulls != FALSE;
}

VOID CdbIndex::SetRequired(BOOL bRequired)
{
    Definition(m_pIndex).required = bRequired != FALSE;
}

VOID CdbIndexes::Append(CdbIndex &index)
{
    TableDefImpl &table = Definition(m_pTableDef);
    const std::shared_ptr<IndexDef> &def = DaoAccess::Impl(index);
    if (!def || def->appended || std::find(table.indexes.begin(), table.indexes.end(), def) != table.indexes.end())
        ThrowJet(SRC_TABLEDEF, JET_INVALID_OPERATION);
    if (!IsValidObjectName(def->name))
        ThrowJet(SRC_TABLEDEF, JET_BAD_NAME, def->name);
    if (table.appended) {
        // The table exists: the index is made at once, over the rows it holds.
        IndexSchema schema;
        schema.name = def->name;
        schema.primary = def->primary;
        schema.unique = def->unique;
        schema.ignoreNulls = def->ignoreNulls;
        schema.required = def->required;
        table.db->AppendIndex(table.name, std::move(schema), def->fields, SRC_TABLEDEF);
        def->appended = true;
        return;
    }
    for (const std::shared_ptr<IndexDef> &other : table.indexes)
        if (SameName(other->name, def->name))
            ThrowJet(SRC_TABLEDEF, JET_INDEX_EXISTS);
    table.indexes.push_back(def);
}

CString CdbTableDef::GetName()
{
    return CString(Definition(m_pTableDef).name.c_str());
}

CdbField CdbTableDef::CreateField(LPCTSTR pstrName, LONG lType, LONG lSize)
{
    Definition(m_pTableDef);
    auto def = std::make_shared<FieldDef>();
    def->schema.name = pstrName ? pstrName : "";
    def->schema.type = static_cast<short>(lType);
    def->schema.size = lSize;
    if (lType != dbLong && lType != dbText && lType != dbDate && lType != dbBoolean)
        ThrowJet(SRC_TABLEDEF, JET_BAD_FIELD_TYPE);
    return DaoAccess::DefinedField(def);
}

CdbIndex CdbTableDef::CreateIndex(LPCTSTR pstrName)
{
    Definition(m_pTableDef);
    auto def = std::make_shared<IndexDef>();
    def->name = pstrName ? pstrName : "";
    return DaoAccess::Index(def);
}

CdbTableDef CdbTableDefs::operator[](LPCTSTR pstrName)
{
    if (!m_pDatabase)
        ThrowJet(SRC_DATABASE, JET_OBJECT_CLOSED);
    m_pDatabase->Handle(SRC_DATABASE);
    std::shared_ptr<const TableSchema> schema = m_pDatabase->FindTable(StripBrackets(pstrName ? pstrName : ""));
    if (!schema)
        ThrowJet(SRC_DATABASE, JET_ITEM_NOT_FOUND);
    auto table = std::make_shared<TableDefImpl>();
    table->db = m_pDatabase;
    table->name = schema->name;
    table->appended = true;
    return DaoAccess::TableDef(table);
}

VOID CdbTableDefs::Append(CdbTableDef &tableDef)
{
    const std::shared_ptr<TableDefImpl> &impl = DaoAccess::Impl(tableDef);
    TableDefImpl &table = Definition(impl);
    if (!m_pDatabase || table.db != m_pDatabase)
        ThrowJet(SRC_TABLEDEF, JET_INVALID_OPERATION);
    if (table.appended)
        ThrowJet(SRC_TABLEDEF, JET_TABLE_EXISTS, table.name);

    // Columns stand in ordinal order; fields of the same position in the order they
    // were appended.
    std::vector<std::shared_ptr<FieldDef>> fields = table.fields;
    std::stable_sort(fields.begin(), fields.end(),
                     [](const std::shared_ptr<FieldDef> &a, const std::shared_ptr<FieldDef> &b) {
                         return a->ordinal < b->ordinal;
                     });
    TableSchema schema;
    schema.name = table.name;
    for (const std::shared_ptr<FieldDef> &field : fields)
        schema.fields.push_back(field->schema);
    for (const std::shared_ptr<IndexDef> &def : table.indexes) {
        IndexSchema index;
        index.name = def->name;
        index.primary = def->primary;
        index.unique = def->unique;
        index.ignoreNulls = def->ignoreNulls;
        index.required = def->required;
        for (const std::string &name : def->fields) {
            int field = schema.FindField(name);
            if (field < 0)
                ThrowDao(SRC_TABLEDEF, JET_ITEM_NOT_FOUND,
                         "The index '" + def->name + "' names the field '" + name + "', which the table does not have.");
            index.fields.push_back(field);
        }
        schema.indexes.push_back(index);
    }
    m_pDatabase->AppendTable(std::move(schema), SRC_TABLEDEF);
    table.appended = true;
    for (const std::shared_ptr<FieldDef> &field : table.fields)
        field->frozen = true;
    for (const std::shared_ptr<IndexDef> &index : table.indexes)
        index->appended = true;
}
