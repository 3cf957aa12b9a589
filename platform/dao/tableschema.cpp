#include "tableschema.h"

#include "daoconst.h"
#include "jeterror.h"
#include "jetnames.h"

#include <cerrno>
#include <cstdlib>
#include <set>

namespace qeldao {

namespace {

const LONG kKnownAttributes = dbFixedField | dbVariableField | dbAutoIncrField;

[[noreturn]] void BadDefault(const FieldSchema &field, const char *source)
{
    ThrowDao(source, JET_INVALID_ARGUMENT,
             "The default value '" + field.defaultValue + "' of field '" + field.name + "' is not supported.");
}

// Jet's default value texts that this engine takes: a whole number for Long, True,
// False, Yes, No or a number for Boolean, a quoted text for Text.
JetValue ParseDefault(const FieldSchema &field, const char *source)
{
    const std::string &text = field.defaultValue;
    if (field.type == dbText) {
        if (text.size() < 2 || (text[0] != '"' && text[0] != '\'') || text.back() != text[0])
            BadDefault(field, source);
        std::string value;
        for (size_t i = 1; i + 1 < text.size(); ++i) {
            if (text[i] == text[0]) {
                if (text[i + 1] != text[0] || i + 2 >= text.size())
                    BadDefault(field, source);
                ++i;
            }
            value += text[i];
        }
        return JetValue::OfText(value);
    }
    if (field.type == dbBoolean) {
        if (SameName(text, "True") || SameName(text, "Yes"))
            return JetValue::OfInteger(-1);
        if (SameName(text, "False") || SameName(text, "No"))
            return JetValue::OfInteger(0);
    }
    if (field.type != dbLong && field.type != dbBoolean)
        BadDefault(field, source);
    char *end = nullptr;
    errno = 0;
    long long number = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || number < -2147483648LL || number > 2147483647LL)
        BadDefault(field, source);
    if (field.type == dbBoolean)
        number = number ? -1 : 0;
    return JetValue::OfInteger(number);
}

std::string SqlLiteral(const JetValue &value)
{
    if (value.kind == JetValue::Integer)
        return std::to_string(value.integer);
    std::string quoted = "'";
    for (char c : value.text) {
        if (c == '\'')
            quoted += '\'';
        quoted += c;
    }
    return quoted + "'";
}

std::string TypeSql(const FieldSchema &field)
{
    switch (field.type) {
    case dbLong:
        return "INTEGER";
    case dbText:
        return "TEXT(" + std::to_string(field.size) + ") COLLATE NOCASE";
    case dbDate:
        return "DATETIME";
    default:
        return "BOOLEAN";
    }
}

std::string SqliteIndexName(const TableSchema &table, const IndexSchema &index, const char *suffix)
{
    return QuoteName(table.name + "." + index.name + suffix);
}

bool HasNullFlag(const IndexSchema &index)
{
    return index.keys.size() > index.fields.size();
}

} // namespace

bool FieldSchema::IsAuto() const
{
    return (attributes & dbAutoIncrField) != 0;
}

int TableSchema::FindField(std::string_view fieldName) const
{
    for (size_t i = 0; i < fields.size(); ++i)
        if (SameName(fields[i].name, fieldName))
            return static_cast<int>(i);
    return -1;
}

int TableSchema::FindIndex(std::string_view indexName) const
{
    for (size_t i = 0; i < indexes.size(); ++i)
        if (SameName(indexes[i].name, indexName))
            return static_cast<int>(i);
    return -1;
}

void TableSchema::Derive(const char *source)
{
    if (!IsValidObjectName(name))
        ThrowJet(source, JET_BAD_NAME, name);
    if (fields.empty())
        ThrowJet(source, JET_NO_FIELDS);
    autoField = -1;
    std::set<std::string> fieldNames;
    for (size_t i = 0; i < fields.size(); ++i) {
        FieldSchema &field = fields[i];
        if (!IsValidFieldName(field.name))
            ThrowJet(source, JET_BAD_NAME, field.name);
        if (!fieldNames.insert(FoldName(field.name)).second)
            ThrowJet(source, JET_FIELD_TWICE);
        switch (field.type) {
        case dbLong:
            field.size = 4;
            break;
        case dbDate:
            field.size = 8;
            break;
        case dbBoolean:
            field.size = 1;
            break;
        case dbText:
            if (field.size <= 0)
                field.size = 50; // Jet's default size
            if (field.size > 255)
                ThrowJet(source, JET_INVALID_ARGUMENT);
            break;
        default:
            ThrowJet(source, JET_BAD_FIELD_TYPE);
        }
        if (field.attributes & ~kKnownAttributes)
            ThrowJet(source, JET_INVALID_ARGUMENT);
        if (field.IsAuto()) {
            if (field.type != dbLong)
                ThrowJet(source, JET_BAD_FIELD_TYPE);
            if (autoField >= 0)
                ThrowDao(source, JET_INVALID_ARGUMENT, "A table can have only one auto-increment field.");
            autoField = static_cast<int>(i);
        }
        field.newValue = JetValue();
        if (!field.defaultValue.empty())
            field.newValue = ParseDefault(field, source);
        else if (field.type == dbBoolean)
            field.newValue = JetValue::OfInteger(0);
        field.notNull = field.required || field.IsAuto() || field.type == dbBoolean;
    }

    std::set<std::string> indexNames;
    bool hasPrimary = false;
    for (IndexSchema &index : indexes) {
        if (!IsValidObjectName(index.name))
            ThrowJet(source, JET_BAD_NAME, index.name);
        if (!indexNames.insert(FoldName(index.name)).second)
            ThrowJet(source, JET_INDEX_EXISTS);
        if (index.fields.empty())
            ThrowJet(source, JET_NO_FIELDS);
        if (index.primary) {
            if (hasPrimary)
                ThrowJet(source, JET_PRIMARY_EXISTS);
            hasPrimary = true;
            index.unique = true;
        }
        if (index.primary || index.required)
            for (int f : index.fields)
                fields[f].notNull = true;
    }

    for (IndexSchema &index : indexes) {
        index.onRowId = index.fields.size() == 1 && index.fields[0] == autoField;
        index.keys.clear();
        index.firstKey.clear();
        index.keyTypes.clear();
        index.filter.clear();
        for (int f : index.fields) {
            const FieldSchema &field = fields[f];
            std::string column = QuoteName(field.name);
            index.firstKey.push_back(index.keys.size());
            if (field.notNull || index.ignoreNulls) {
                index.keys.push_back(column);
                index.keyTypes.push_back(field.type);
                if (!field.notNull)
                    index.filter += (index.filter.empty() ? "" : " AND ") + column + " IS NOT NULL";
            } else {
                index.keys.push_back("(" + column + " IS NOT NULL)");
                index.keyTypes.push_back(dbBoolean);
                index.keys.push_back(field.type == dbText ? "IFNULL(" + column + ", '') COLLATE NOCASE"
                                                          : "IFNULL(" + column + ", 0)");
                index.keyTypes.push_back(field.type);
            }
        }
        index.firstKey.push_back(index.keys.size());
    }
}

std::string TableSchema::CreateTableSql() const
{
    std::string sql = "CREATE TABLE " + QuoteName(name) + "(";
    for (size_t i = 0; i < fields.size(); ++i) {
        const FieldSchema &field = fields[i];
        std::string column = QuoteName(field.name);
        sql += (i ? ", " : "") + column + " " + TypeSql(field);
        if (field.IsAuto())
            sql += " PRIMARY KEY";
        else if (field.notNull)
            sql += " NOT NULL";
        if (field.newValue.kind != JetValue::Null && !field.IsAuto())
            sql += " DEFAULT " + SqlLiteral(field.newValue);
        if (field.type == dbText && !field.allowZeroLength)
            sql += " CONSTRAINT " + column + " CHECK(" + column + " <> '')";
    }
    return sql + ")";
}

std::vector<std::string> TableSchema::CreateIndexSql() const
{
    std::vector<std::string> statements;
    for (size_t i = 0; i < indexes.size(); ++i) {
        std::vector<std::string> made = CreateIndexSql(i);
        statements.insert(statements.end(), made.begin(), made.end());
    }
    return statements;
}

std::vector<std::string> TableSchema::CreateIndexSql(size_t position) const
{
    std::vector<std::string> statements;
    const IndexSchema &index = indexes[position];
    if (index.onRowId)
        return statements;
    std::string keys;
    for (size_t k = 0; k < index.keys.size(); ++k)
        keys += (k ? ", " : "") + index.keys[k];
    std::string on = " ON " + QuoteName(name) + "(";
    std::string columns;
    for (size_t k = 0; k < index.fields.size(); ++k)
        columns += (k ? ", " : "") + QuoteName(fields[index.fields[k]].name);
    if (index.unique && HasNullFlag(index)) {
        statements.push_back("CREATE UNIQUE INDEX " + SqliteIndexName(*this, index, "") + on + columns + ")");
        statements.push_back("CREATE INDEX " + SqliteIndexName(*this, index, ".order") + on + keys + ")");
    } else {
        std::string sql = std::string("CREATE ") + (index.unique ? "UNIQUE " : "") + "INDEX " +
                          SqliteIndexName(*this, index, "") + on + keys + ")";
        if (!index.filter.empty())
            sql += " WHERE " + index.filter;
        statements.push_back(sql);
        // SQL compares the plain columns, which the planner cannot find in keys
        // with the Null flag: "X = ?" would read the whole table.
        if (HasNullFlag(index))
            statements.push_back("CREATE INDEX " + SqliteIndexName(*this, index, ".seek") + on + columns + ")");
    }
    return statements;
}

std::vector<std::string> TableSchema::SqliteIndexNames() const
{
    std::vector<std::string> names;
    for (const IndexSchema &index : indexes) {
        if (index.onRowId)
            continue;
        names.push_back(name + "." + index.name);
        if (index.unique && HasNullFlag(index))
            names.push_back(name + "." + index.name + ".order");
    }
    return names;
}

std::string TableSchema::ColumnList() const
{
    std::string list;
    for (size_t i = 0; i < fields.size(); ++i)
        list += (i ? ", " : "") + QuoteName(fields[i].name);
    return list;
}

} // namespace qeldao
