#include "querydefimpl.h"

#include "daoconst.h"
#include "jeterror.h"
#include "jetnames.h"

namespace qeldao {

QueryDefImpl::QueryDefImpl(std::shared_ptr<DatabaseImpl> db, std::string name, std::string jetSql)
    : m_db(std::move(db)), m_name(std::move(name)), m_sql(std::move(jetSql))
{
}

void QueryDefImpl::CheckOpen(const char *source) const
{
    if (m_detached || !m_db->IsOpen())
        ThrowJet(source, JET_OBJECT_CLOSED);
}

const TranslatedQuery &QueryDefImpl::Translation(const char *source)
{
    CheckOpen(source);
    if (!m_translated) {
        m_translation = TranslateJetSql(m_sql, m_name, m_db->Catalog(), source);
        m_values.assign(m_translation.parameters.size(), JetValue());
        m_isSet.assign(m_translation.parameters.size(), false);
        m_translated = true;
    }
    return m_translation;
}

void QueryDefImpl::Open(const char *source)
{
    Translation(source);
    if (!m_plain)
        m_plain = m_db->Prepare(m_translation.sql, source);
}

void QueryDefImpl::SetParameter(std::string_view name, const VARIANT &value)
{
    const TranslatedQuery &translation = Translation(SRC_QUERYDEF);
    name = StripBrackets(name);
    for (size_t i = 0; i < translation.parameters.size(); ++i) {
        if (SameName(translation.parameters[i].name, name)) {
            m_values[i] = ValueFromVariant(value, translation.parameters[i].type, SRC_QUERYDEF);
            m_isSet[i] = true;
            return;
        }
    }
    ThrowJet(SRC_QUERYDEF, JET_ITEM_NOT_FOUND);
}

Statement QueryDefImpl::Take(bool keyed, const char *source)
{
    Open(source);
    if (!keyed)
        return std::move(m_plain);
    if (m_translation.keyedSql.empty())
        return Statement();
    if (!m_keyed)
        m_keyed = m_db->Prepare(m_translation.keyedSql, source);
    return std::move(m_keyed);
}

void QueryDefImpl::GiveBack(bool keyed, Statement statement)
{
    Statement &slot = keyed ? m_keyed : m_plain;
    if (m_detached || slot || !statement)
        return;
    sqlite3_reset(statement.get());
    sqlite3_clear_bindings(statement.get());
    slot = std::move(statement);
}

void QueryDefImpl::Bind(sqlite3_stmt *statement, const char *source)
{
    Translation(source);
    size_t unset = 0;
    for (bool isSet : m_isSet)
        unset += isSet ? 0 : 1;
    if (unset)
        ThrowJet(source, JET_TOO_FEW_PARAMETERS, std::to_string(unset));
    sqlite3_reset(statement);
    int count = sqlite3_bind_parameter_count(statement);
    for (size_t i = 0; i < m_values.size() && static_cast<int>(i) < count; ++i) {
        int rc = BindValue(statement, static_cast<int>(i + 1), m_values[i]);
        if (rc != SQLITE_OK)
            m_db->Fail(rc, source);
    }
}

void QueryDefImpl::Execute(LONG options)
{
    // Besides dbFailOnError, deny write (1), inconsistent (16), consistent (32) and see
    // changes (512) mean nothing more for a file one connection holds alone.
    const LONG kTaken = 1 | 16 | 32 | dbFailOnError | 512;
    if (options != -1 && (options < 0 || (options & ~kTaken)))
        ThrowJet(SRC_QUERYDEF, JET_INVALID_ARGUMENT);
    Statement taken = Take(false, SRC_QUERYDEF);
    sqlite3_stmt *statement = taken.get();
    Bind(statement, SRC_QUERYDEF);
    if (sqlite3_stmt_readonly(statement))
        ThrowJet(SRC_QUERYDEF, JET_EXECUTE_SELECT);
    m_db->BeforeChange();
    // Every statement of SQLite is atomic: a failure leaves the tables as they were,
    // which is what dbFailOnError asks for.
    int rc;
    do
        rc = sqlite3_step(statement);
    while (rc == SQLITE_ROW);
    m_db->ForgetCounts();
    if (rc != SQLITE_DONE) {
        struct Reset {
            sqlite3_stmt *s;
            ~Reset() { sqlite3_reset(s); }
        } reset{statement};
        m_db->Fail(rc, SRC_QUERYDEF);
    }
    GiveBack(false, std::move(taken));
}

void QueryDefImpl::Detach()
{
    m_plain = Statement();
    m_keyed = Statement();
    m_detached = true;
}

} // namespace qeldao
