// A query: a stored one taken by name, or a text. Internal to the library.
//
// A query is translated from Jet SQL and prepared when it is opened (taken from
// QueryDefs, or made without a name), not when it is stored, since a schema stores its
// queries before the last of their tables exist. Its statements are prepared once and
// run again with the parameters as they stand at each run.
#pragma once

#include "databaseimpl.h"

#include <memory>
#include <string>
#include <vector>

namespace qeldao {

class QueryDefImpl final : public DatabaseChild {
public:
    QueryDefImpl(std::shared_ptr<DatabaseImpl> db, std::string name, std::string jetSql);

    const std::string &Name() const { return m_name; }
    const std::string &JetSql() const { return m_sql; }
    const std::shared_ptr<DatabaseImpl> &Database() const { return m_db; }

    // Translates the query and prepares its statement, raising what is wrong with it.
    void Open(const char *source);

    // By name, blind to case, with or without brackets; the value takes the declared
    // type of the parameter.
    void SetParameter(std::string_view name, const VARIANT &value);

    // The statement of the query as written, or (keyed) with the row id of its one
    // table in front, which is empty for a query that is no plain SELECT of one table.
    // It is lent: a recordset steps through it for as long as it reads and gives it
    // back, so that the next one needs no new one; a reader meanwhile gets its own.
    Statement Take(bool keyed, const char *source);
    void GiveBack(bool keyed, Statement statement);
    // Binds every parameter as it stands now, raising 3061 while one is unset.
    void Bind(sqlite3_stmt *statement, const char *source);
    const TranslatedQuery &Translation(const char *source);

    // Runs an action query.
    void Execute(LONG options);

    void Detach() override;

private:
    void CheckOpen(const char *source) const;

    std::shared_ptr<DatabaseImpl> m_db;
    std::string m_name;
    std::string m_sql;
    bool m_translated = false;
    bool m_detached = false;
    TranslatedQuery m_translation;
    std::vector<JetValue> m_values;
    std::vector<bool> m_isSet;
    Statement m_plain;
    Statement m_keyed;
};

} // namespace qeldao
