// Test support of the symbol-database tests: a fresh folder per test.
#pragma once

#include <afx.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace symdbtest {

class FolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "symdb-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

    CString PathOf(const char *name) const { return CString((m_folder / name).string().c_str()); }

    static void WriteFile(const CString &path, const std::string &contents)
    {
        std::ofstream out(static_cast<LPCTSTR>(path), std::ios::binary | std::ios::trunc);
        out << contents;
    }

    static bool Exists(const CString &path) { return std::filesystem::exists(static_cast<LPCTSTR>(path)); }

    std::filesystem::path m_folder;
};

} // namespace symdbtest

#include "qeldatabase.h"

namespace symdbtest {

// A new, empty symbol database, open for the test.
class SymbolDatabaseTest : public FolderTest {
protected:
    void SetUp() override
    {
        FolderTest::SetUp();
        ASSERT_TRUE(m_database.Create(PathOf("prog.mdb")));
        m_db = m_database.GetDatabase();
    }
    void TearDown() override
    {
        m_database.Close(FALSE);
        FolderTest::TearDown();
    }

    CQelDatabase m_database;
    CdbDatabase *m_db = nullptr;
};

} // namespace symdbtest
