#include "dbschema.h"

#include "qeldbexception.h"
#include "qelquerydef.h"
#include "qeltabledef.h"
#include "symboltables.h"
#include "symdbstrings.h"

#include <cstdlib>

namespace {

enum : BYTE { REQ = 1, AZL = 2, AUTO = 4 };

struct FieldDefinition {
    UINT name;
    SHORT type;
    BYTE flags;
};

struct IndexDefinition {
    UINT name;
    UINT fields[3];
    SHORT fieldCount;
    BOOL primary;
    BOOL unique;
    // An index that only SQL uses leaves Null keys out: every comparison of a column
    // implies that it is not Null, so the planner takes such an index as well, and it
    // needs no second order that places the Nulls.
    BOOL ignoreNulls = FALSE;
    // Only the stored queries use it, and the load of a program fills its table: a
    // database built for a load gets it once the load's rows are in, since SQLite makes
    // an index from the sorted rows several times faster than it keeps one up as rows
    // come one by one.
    BOOL afterLoad = FALSE;
};

const BOOL AFTER_LOAD = TRUE;

struct TableDefinition {
    UINT name;
    const FieldDefinition *fields;
    size_t fieldCount;
    const IndexDefinition *indexes;
    size_t indexCount;
};

const SHORT L = dbLong, T = dbText, D = dbDate, B = dbBoolean;

const FieldDefinition kVersionFields[] = {{IDS_DB_VERSION, L, REQ}, {IDS_DB_CREATIONTIME, D, REQ}};

const FieldDefinition kProgramFields[] = {
    {IDS_DB_PROGRAMINDEX, L, REQ},      {IDS_DB_NAME, T, AZL},          {IDS_DB_TYPE, L, REQ},
    {IDS_DB_MODIFIEDTIME, D, REQ},      {IDS_DB_SOURCE, T, REQ},        {IDS_DB_ENTRYPOINT, T, AZL},
    {IDS_DB_MAINFUNCTION, T, AZL},      {IDS_DB_ALTERNATEENTRYPOINT, T, AZL},
    {IDS_DB_ALTERNATEMAINFUNCTION, T, AZL}, {IDS_DB_ANALYZED, B, REQ}};
const IndexDefinition kProgramIndexes[] = {{IDS_DB_PROGRAMINDEXKEY, {IDS_DB_PROGRAMINDEX}, 1, TRUE, TRUE}};

const FieldDefinition kSectionFields[] = {{IDS_DB_SECTIONINDEX, L, REQ}, {IDS_DB_NAME, T, AZL},
                                    {IDS_DB_TYPE, L, 0},           {IDS_DB_ADDRESSMODE, L, 0},
                                    {IDS_DB_ADDRESSVALUE, L, 0},   {IDS_DB_LENGTH, L, 0}};
// The section of an address is a seek on its start, bounded below by the longest
// section (the translation of the stored queries bounds "v < start + length" so).
const IndexDefinition kSectionIndexes[] = {
    {IDS_DB_SECTIONINDEXKEY, {IDS_DB_SECTIONINDEX}, 1, TRUE, TRUE},
    {IDS_DB_SECTIONADDRESSKEY, {IDS_DB_ADDRESSMODE, IDS_DB_ADDRESSVALUE}, 2, FALSE, FALSE, TRUE, AFTER_LOAD},
    {IDS_DB_SECTIONLENGTHKEY, {IDS_DB_LENGTH}, 1, FALSE, FALSE, TRUE, AFTER_LOAD}};

const FieldDefinition kModulFields[] = {{IDS_DB_MODULINDEX, L, REQ},
                                  {IDS_DB_NAME, T, AZL},
                                  {IDS_DB_OFFSET, L, 0},
                                  {IDS_DB_ANALYZED, B, REQ}};
// A breakpoint's function and a label are found by the name of their module: without
// the second key each such request reads every module.
const IndexDefinition kModulIndexes[] = {{IDS_DB_MODULINDEXKEY, {IDS_DB_MODULINDEX}, 1, TRUE, TRUE},
                                         {IDS_DB_MODULNAMEKEY, {IDS_DB_NAME}, 1, FALSE, FALSE}};

const FieldDefinition kSourceFileFields[] = {{IDS_DB_SOURCEFILEINDEX, L, REQ},
                                       {IDS_DB_TYPE, L, 0},
                                       {IDS_DB_NAME, T, REQ | AZL},
                                       {IDS_DB_ENTRYINFILE, T, REQ},
                                       {IDS_DB_ANALYZED, B, REQ}};
// A file is asked for by its name or its entry text, and the modules of a file by the
// file (the modules to read before a breakpoint's line is found): without the name key
// and the relation's second key each such request reads every file and relation.
const IndexDefinition kSourceFileIndexes[] = {{IDS_DB_SOURCEFILEINDEXKEY, {IDS_DB_SOURCEFILEINDEX}, 1, TRUE, TRUE},
                                        {IDS_DB_ENTRYINFILEKEY, {IDS_DB_ENTRYINFILE}, 1, FALSE, TRUE},
                                        {IDS_DB_SOURCEFILENAMEKEY, {IDS_DB_NAME}, 1, FALSE, FALSE}};

const FieldDefinition kSourceLineFields[] = {{IDS_DB_SOURCELINEINDEX, L, REQ | AUTO}, {IDS_DB_SOURCELINE, L, REQ},
                                       {IDS_DB_ADDRESSMODE, L, REQ},            {IDS_DB_ADDRESSVALUE, L, REQ},
                                       {IDS_DB_LENGTH, L, REQ},                 {IDS_DB_SECTIONINDEX, L, REQ},
                                       {IDS_DB_SOURCEFILEINDEX, L, REQ}};
// The line at an address is looked for by section and address, and a line's ranges by
// file and line number: without the last two keys each such query reads the whole
// table, whose size grows with every module read.
const IndexDefinition kSourceLineIndexes[] = {
    {IDS_DB_SOURCELINEINDEXKEY, {IDS_DB_SOURCELINEINDEX}, 1, TRUE, TRUE},
    {IDS_DB_SECTIONINDEXKEY, {IDS_DB_SECTIONINDEX}, 1, FALSE, FALSE},
    {IDS_DB_LINEADDRESSKEY, {IDS_DB_SECTIONINDEX, IDS_DB_ADDRESSVALUE}, 2, FALSE, FALSE},
    {IDS_DB_LINENUMBERKEY, {IDS_DB_SOURCEFILEINDEX, IDS_DB_SOURCELINE}, 2, FALSE, FALSE},
    {IDS_DB_LINEMODEADDRESSKEY, {IDS_DB_ADDRESSMODE, IDS_DB_ADDRESSVALUE}, 2, FALSE, FALSE}};

const FieldDefinition kFunctionFields[] = {{IDS_DB_FUNCTIONINDEX, L, REQ}, {IDS_DB_NAME, T, REQ},
                                     {IDS_DB_NAMESTRING, T, AZL},    {IDS_DB_ADDRESSMODE, L, REQ},
                                     {IDS_DB_ADDRESSVALUE, L, REQ},  {IDS_DB_LENGTH, L, REQ},
                                     {IDS_DB_SECTIONINDEX, L, REQ},  {IDS_DB_RETURNTYPE, L, 0},
                                     {IDS_DB_SCOPE, L, 0},           {IDS_DB_CALLTYPE, L, 0}};
// The function of an address, as the section of an address; a breakpoint's function
// by its name in a module.
const IndexDefinition kFunctionIndexes[] = {
    {IDS_DB_FUNCTIONINDEXKEY, {IDS_DB_FUNCTIONINDEX}, 1, TRUE, TRUE},
    {IDS_DB_FUNCTIONADDRESSKEY, {IDS_DB_ADDRESSMODE, IDS_DB_ADDRESSVALUE}, 2, FALSE, FALSE, FALSE, AFTER_LOAD},
    {IDS_DB_FUNCTIONLENGTHKEY, {IDS_DB_LENGTH}, 1, FALSE, FALSE, FALSE, AFTER_LOAD},
    {IDS_DB_FUNCTIONBYNAMEKEY, {IDS_DB_NAME}, 1, FALSE, FALSE, FALSE, AFTER_LOAD}};

const FieldDefinition kTypeFields[] = {{IDS_DB_TYPEINDEX, L, REQ}, {IDS_DB_MODULINDEX, L, REQ}, {IDS_DB_TYPEID, L, REQ},
                                 {IDS_DB_NAME, T, AZL},     {IDS_DB_DATA_1, L, REQ},     {IDS_DB_DATA_2, L, 0},
                                 {IDS_DB_DATA_3, L, 0},     {IDS_DB_DATA_4, L, 0}};
// A module read anew deletes its types first.
const IndexDefinition kTypeIndexes[] = {{IDS_DB_TYPEINDEXKEY, {IDS_DB_TYPEINDEX}, 1, TRUE, TRUE},
                                  {IDS_DB_DATA_4KEY, {IDS_DB_DATA_4}, 1, FALSE, FALSE},
                                  {IDS_DB_TYPEMODULKEY, {IDS_DB_MODULINDEX}, 1, FALSE, FALSE}};

const FieldDefinition kSymbolFields[] = {{IDS_DB_SYMBOLINDEX, L, REQ | AUTO}, {IDS_DB_MODULINDEX, L, REQ},
                                   {IDS_DB_SYMBOLID, L, REQ},          {IDS_DB_SCOPEINDEX, L, REQ},
                                   {IDS_DB_NAME, T, AZL},              {IDS_DB_NAMESTRING, T, AZL},
                                   {IDS_DB_DATA_1, L, REQ},            {IDS_DB_DATA_2, L, 0},
                                   {IDS_DB_DATA_3, L, 0},              {IDS_DB_DATA_4, L, 0},
                                   {IDS_DB_DATA_5, L, 0},              {IDS_DB_DATA_6, L, 0}};
// Every query of Symbols names the kinds it wants, and then a scope (the variables of a
// function or block), an address (labels, blocks; a block's length in Data_4 bounds the
// blocks at an address, as a function's does) or a module (a module's symbols, its
// lifetimes and stack adjustments): without these the table, which grows with every
// module read, is read whole by each request at a stop. (A key by kind and name would
// spare the globals in scope their sort, but without statistics the planner then takes
// it for the parameters of the function at an address too, reading every parameter of
// the program in name order instead of seeking the function's.)
const IndexDefinition kSymbolIndexes[] = {
    {IDS_DB_SYMBOLINDEXKEY, {IDS_DB_SYMBOLINDEX}, 1, TRUE, TRUE},
    {IDS_DB_SYMBOLSCOPEKEY, {IDS_DB_SYMBOLID, IDS_DB_SCOPEINDEX}, 2, FALSE, FALSE, FALSE, AFTER_LOAD},
    {IDS_DB_SYMBOLADDRESSKEY, {IDS_DB_SYMBOLID, IDS_DB_DATA_2, IDS_DB_DATA_3}, 3, FALSE, FALSE, TRUE, AFTER_LOAD},
    {IDS_DB_SYMBOLLENGTHKEY, {IDS_DB_SYMBOLID, IDS_DB_DATA_4}, 2, FALSE, FALSE, TRUE, AFTER_LOAD},
    {IDS_DB_SYMBOLMODULKEY, {IDS_DB_MODULINDEX, IDS_DB_SYMBOLID, IDS_DB_SCOPEINDEX}, 3, FALSE, FALSE, FALSE, AFTER_LOAD}};

const FieldDefinition kModulSectionFields[] = {{IDS_DB_MODULINDEX, L, REQ}, {IDS_DB_SECTIONINDEX, L, REQ}};
// The module of an address is found from its section: without the second key every
// query that joins the module of an address reads the whole relation once per row.
const IndexDefinition kModulSectionIndexes[] = {
    {IDS_DB_MODULSECTIONKEY, {IDS_DB_MODULINDEX, IDS_DB_SECTIONINDEX}, 2, TRUE, TRUE},
    {IDS_DB_SECTIONMODULKEY, {IDS_DB_SECTIONINDEX}, 1, FALSE, FALSE, FALSE, AFTER_LOAD}};

const FieldDefinition kModulSourceFileFields[] = {{IDS_DB_MODULINDEX, L, REQ}, {IDS_DB_SOURCEFILEINDEX, L, REQ}};
const IndexDefinition kModulSourceFileIndexes[] = {
    {IDS_DB_MODULSOURCEFILEKEY, {IDS_DB_MODULINDEX, IDS_DB_SOURCEFILEINDEX}, 2, TRUE, TRUE},
    {IDS_DB_SOURCEFILEMODULKEY, {IDS_DB_SOURCEFILEINDEX}, 1, FALSE, FALSE}};

const FieldDefinition kSectionSourceFileFields[] = {{IDS_DB_SECTIONINDEX, L, REQ}, {IDS_DB_SOURCEFILEINDEX, L, REQ}};
const IndexDefinition kSectionSourceFileIndexes[] = {
    {IDS_DB_SECTIONSOURCEFILEKEY, {IDS_DB_SECTIONINDEX, IDS_DB_SOURCEFILEINDEX}, 2, TRUE, TRUE}};

const FieldDefinition kRegisterMapFields[] = {{IDS_DB_NAME, T, REQ}, {IDS_DB_NUMBER, L, REQ}};

const FieldDefinition kWritersFields[] = {{IDS_DB_SCHEMA, L, REQ}, {IDS_DB_READERS, L, REQ}};

#define TABLE(id, fields) {id, fields, sizeof fields / sizeof fields[0], nullptr, 0}
#define INDEXED_TABLE(id, fields, indexes) \
    {id, fields, sizeof fields / sizeof fields[0], indexes, sizeof indexes / sizeof indexes[0]}

// The tables made before the stored queries, in their order; then the ones after.
const TableDefinition kTablesBeforeQueries[] = {
    TABLE(IDS_DB_VERSION, kVersionFields),
    INDEXED_TABLE(IDS_DB_PROGRAM, kProgramFields, kProgramIndexes),
    INDEXED_TABLE(IDS_DB_SECTIONS, kSectionFields, kSectionIndexes),
    INDEXED_TABLE(IDS_DB_MODULS, kModulFields, kModulIndexes),
    INDEXED_TABLE(IDS_DB_SOURCEFILES, kSourceFileFields, kSourceFileIndexes),
    INDEXED_TABLE(IDS_DB_SOURCELINES, kSourceLineFields, kSourceLineIndexes),
    INDEXED_TABLE(IDS_DB_FUNCTIONS, kFunctionFields, kFunctionIndexes),
    INDEXED_TABLE(IDS_DB_MODULSECTIONRELATION, kModulSectionFields, kModulSectionIndexes),
    INDEXED_TABLE(IDS_DB_MODULSOURCEFILERELATION, kModulSourceFileFields, kModulSourceFileIndexes),
    INDEXED_TABLE(IDS_DB_SECTIONSOURCEFILERELATION, kSectionSourceFileFields, kSectionSourceFileIndexes),
};
const TableDefinition kTablesAfterQueries[] = {
    TABLE(IDS_DB_REGISTERMAP, kRegisterMapFields),
    INDEXED_TABLE(IDS_DB_SYMBOLS, kSymbolFields, kSymbolIndexes),
    INDEXED_TABLE(IDS_DB_TYPES, kTypeFields, kTypeIndexes),
};
// Made last, and no table of the schema that the queries know.
const TableDefinition kWritersTable = TABLE(IDS_DB_WRITERS, kWritersFields);

#undef TABLE
#undef INDEXED_TABLE

CString LoadText(UINT id)
{
    CString text;
    if (!text.LoadString(id)) {
        CString message;
        message.Format("The string table lacks entry %u of the symbol database's schema.", id);
        ThrowQeldbException(3265, "Korvex.SymbolDatabase", message);
    }
    return text;
}

LONG SizeOf(SHORT type)
{
    switch (type) {
    case dbText:
        return 255;
    case dbDate:
        return 8;
    case dbBoolean:
        return 1;
    default:
        return 4;
    }
}

CQelIndexInfo IndexInfo(const IndexDefinition &x, CString (&fieldNames)[3])
{
    for (SHORT k = 0; k < x.fieldCount; ++k)
        fieldNames[k] = LoadText(x.fields[k]);
    CQelIndexInfo info;
    info.m_strName = LoadText(x.name);
    info.m_pFieldNames = fieldNames;
    info.m_nFields = x.fieldCount;
    info.m_bPrimary = x.primary;
    info.m_bUnique = x.unique;
    info.m_bIgnoreNulls = x.ignoreNulls;
    return info;
}

// Makes the table with its indexes, but for those made after the load when
// `indexesAfterLoad` holds.
void CreateTable(CdbDatabase *pDatabase, const TableDefinition &definition, BOOL indexesAfterLoad)
{
    CQelTableDef table(pDatabase);
    table.Create(LoadText(definition.name));
    for (size_t i = 0; i < definition.fieldCount; ++i) {
        const FieldDefinition &f = definition.fields[i];
        CQelFieldInfo info;
        info.m_strName = LoadText(f.name);
        info.m_nType = f.type;
        info.m_lSize = SizeOf(f.type);
        info.m_lAttributes = (f.flags & AUTO) ? dbAutoIncrField : 0;
        info.m_nOrdinalPosition = static_cast<SHORT>(i + 1);
        info.m_bRequired = (f.flags & REQ) != 0;
        info.m_bAllowZeroLength = (f.flags & AZL) != 0;
        table.AddField(info);
    }
    for (size_t i = 0; i < definition.indexCount; ++i) {
        const IndexDefinition &x = definition.indexes[i];
        if (x.afterLoad && indexesAfterLoad)
            continue;
        CString fieldNames[3];
        table.AddIndex(IndexInfo(x, fieldNames));
    }
    table.Append();
}

// Calls `visit(name, sql)` for each query of the string table, in ascending id order, in
// groups of the size that string IDS_DB_QUERY_GROUP gives: a missing name ends its group,
// an empty group ends the list. FALSE when the group size is missing, a name has no SQL,
// there is no query, or `visit` answers FALSE (which ends the walk).
template <class Visit>
BOOL ForEachStoredQuery(const StringSource &strings, Visit visit)
{
    CString groupText;
    if (!strings(IDS_DB_QUERY_GROUP, groupText))
        return FALSE;
    UINT group = static_cast<UINT>(std::strtoul(groupText, nullptr, 10));
    if (group == 0)
        return FALSE;
    BOOL complete = FALSE;
    UINT id = 1000 + group;
    while (id < IDS_DB_QUERY_END) {
        CString name, sql;
        if (!strings(id, name)) {
            if (id % group == 0)
                break; // an empty group ends the list
            id = (id / group + 1) * group;
            continue;
        }
        if (!strings(id + 1, sql) || !visit(name, sql))
            return FALSE;
        complete = TRUE;
        id += 2;
    }
    return complete;
}

} // namespace

std::vector<SymbolDatabaseTable> GetSymbolDatabaseTables()
{
    std::vector<SymbolDatabaseTable> tables;
    auto add = [&tables](const TableDefinition &definition) {
        SymbolDatabaseTable table{LoadText(definition.name), ""};
        for (size_t i = 0; i < definition.indexCount; ++i) {
            if (definition.indexes[i].primary)
                table.PrimaryIndex = LoadText(definition.indexes[i].name);
        }
        tables.push_back(table);
    };
    for (const TableDefinition &definition : kTablesBeforeQueries)
        add(definition);
    for (const TableDefinition &definition : kTablesAfterQueries)
        add(definition);
    return tables;
}

BOOL CreateStoredQueries(CdbDatabase *pDatabase)
{
    return CreateStoredQueries(pDatabase, [](UINT id, CString &text) { return text.LoadString(id); });
}

BOOL CreateStoredQueries(CdbDatabase *pDatabase, const StringSource &strings)
{
    return ForEachStoredQuery(strings, [&](const CString &name, const CString &sql) {
        CQelQueryDef query(pDatabase);
        query.Create(name, sql);
        return TRUE;
    });
}

BOOL HasStoredQueries(CdbDatabase *pDatabase)
{
    return ForEachStoredQuery([](UINT id, CString &text) { return text.LoadString(id); },
                              [&](const CString &name, const CString &sql) {
                                  CQelQueryDef query(pDatabase);
                                  query.Open(name);
                                  CString stored;
                                  QeldbCall([&] { stored = query.m_QueryDef.GetSQL(); });
                                  return stored == sql;
                              });
}

void CreateSymbolDatabaseSchema(CdbDatabase *pDatabase, const COleDateTime &creationTime, BOOL indexesAfterLoad)
{
    for (const TableDefinition &definition : kTablesBeforeQueries) {
        CreateTable(pDatabase, definition, indexesAfterLoad);
        if (definition.name == IDS_DB_VERSION) {
            CDBVersion version(pDatabase);
            version.AddNew();
            version.m_Version = kSymbolDatabaseVersion;
            version.m_CreationTime = creationTime;
            version.Update();
        }
    }
    if (!CreateStoredQueries(pDatabase))
        ThrowQeldbException(3265, "Korvex.SymbolDatabase", "The string table lacks stored queries of the symbol database.");
    for (const TableDefinition &definition : kTablesAfterQueries)
        CreateTable(pDatabase, definition, indexesAfterLoad);
    CreateTable(pDatabase, kWritersTable, indexesAfterLoad);
    CDBWriters writers(pDatabase);
    writers.AddNew();
    // A database that still lacks indexes is of no schema that a build makes whole.
    writers.m_Schema = indexesAfterLoad ? kSymbolDatabaseSchemaUnfinished : kSymbolDatabaseSchema;
    writers.m_Readers = kSymbolDatabaseReaders;
    writers.Update();
}

void CreateSymbolDatabaseLoadIndexes(CdbDatabase *pDatabase)
{
    auto addTo = [pDatabase](const TableDefinition &definition) {
        CQelTableDef table(pDatabase);
        BOOL opened = FALSE;
        for (size_t i = 0; i < definition.indexCount; ++i) {
            const IndexDefinition &x = definition.indexes[i];
            if (!x.afterLoad)
                continue;
            if (!opened)
                table.Open(LoadText(definition.name));
            opened = TRUE;
            CString fieldNames[3];
            table.AddIndex(IndexInfo(x, fieldNames));
        }
    };
    for (const TableDefinition &definition : kTablesBeforeQueries)
        addTo(definition);
    for (const TableDefinition &definition : kTablesAfterQueries)
        addTo(definition);
    CDBWriters writers(pDatabase);
    writers.Open();
    writers.Edit();
    writers.m_Schema = kSymbolDatabaseSchema;
    writers.Update();
}
