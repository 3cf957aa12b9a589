// Test support: a temporary folder for database files, and small helpers.
#pragma once

#include "dbdao.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace qeldaotest {

// A fresh folder per test, removed with everything in it afterwards.
class DaoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "qeldao-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

    std::string PathOf(const char *name) const { return (m_folder / name).string(); }

    CdbWorkspace Workspace() { return m_engine.CreateWorkspace("ws", "admin", ""); }

    // A new database, open exclusively.
    CdbDatabase NewDatabase(const char *name = "test.mdb", const char *connect = dbLangGeneral)
    {
        return Workspace().CreateDatabase(PathOf(name).c_str(), connect, dbEncrypt);
    }

    CdbDBEngine m_engine;
    std::filesystem::path m_folder;
};

// The Jet error number of a call that must fail.
template <class Call>
LONG JetErrorOf(Call call)
{
    try {
        call();
    } catch (const CdbException &e) {
        return e.m_hr & 0xFFFF;
    }
    return 0;
}

inline LONG LongOf(const VARIANT &value)
{
    EXPECT_EQ(value.vt, VT_I4);
    return value.lVal;
}

inline std::string TextOf(const VARIANT &value)
{
    EXPECT_EQ(value.vt, VT_BSTR);
    if (value.vt != VT_BSTR)
        return std::string();
    return std::string(CString(static_cast<LPCWSTR>(value.bstrVal)));
}

inline CdbField AddField(CdbTableDef &table, const char *name, LONG type, LONG attributes = 0, BOOL required = FALSE,
                         BOOL allowZeroLength = TRUE)
{
    CdbField field = table.CreateField(name, type, type == dbText ? 255 : -1);
    field.SetAttributes(attributes);
    field.SetRequired(required);
    field.SetAllowZeroLength(allowZeroLength);
    table.Fields.Append(field);
    return field;
}

inline void AddIndex(CdbTableDef &table, const char *name, std::initializer_list<const char *> fields,
                     BOOL primary = FALSE, BOOL unique = FALSE)
{
    CdbIndex index = table.CreateIndex(name);
    for (const char *fieldName : fields) {
        CdbField field = index.CreateField(fieldName);
        index.Fields.Append(field);
    }
    index.SetPrimary(primary);
    index.SetUnique(unique);
    table.Indexes.Append(index);
}

// Sets the fields of the record being added or edited.
inline void Set(CdbRecordset &rs, const char *field, LONG value)
{
    CdbVariant v(value);
    rs.SetField(field, &v);
}

inline void Set(CdbRecordset &rs, const char *field, const char *value)
{
    CdbVariant v(value);
    rs.SetField(field, &v);
}

} // namespace qeldaotest
