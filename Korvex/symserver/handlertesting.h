// Test support of the query handlers: an engine with a program database that the test
// fills through the record layer, and the handlers run on it directly, on the test's
// thread (the engine's worker never starts, so nothing else touches the database).
#pragma once

#include "controllerengine.h"

#include <symboltables.h>
#include <symdbtesting.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace handlertest {

class HandlerTest : public symdbtest::FolderTest {
protected:
    void SetUp() override
    {
        symdbtest::FolderTest::SetUp();
        m_engine = std::make_unique<CControllerSymbolEngine>(nullptr);
        CQelDatabase *database = new CQelDatabase;
        m_engine->m_Databases.Add(database);
        ASSERT_TRUE(database->Create(PathOf("prog.mdb")));
        m_engine->ProgramCount = 1;
        m_engine->DatabaseLoaded = 1;
        m_types = std::make_unique<CDBTypeInfo>(Database());
        m_symbols = std::make_unique<CDBSymbolInfo>(Database());
    }
    void TearDown() override
    {
        m_types.reset();
        m_symbols.reset();
        m_engine.reset();
        symdbtest::FolderTest::TearDown();
    }

    CdbDatabase *Database() const { return m_engine->GetProgramDatabase()->GetDatabase(); }

    // The records that `handler` answers to a request whose first parameter is `param`.
    template <class Record>
    std::vector<Record> Run(void (CSymbolEngine::*handler)(CSymbolRequest &), const CComVariant &param)
    {
        CSymbolRequest request(RequesterSynchronous);
        EXPECT_EQ(VariantCopy(&request.Param1, &param), S_OK);
        (m_engine.get()->*handler)(request);
        std::vector<Record> records;
        auto *result = static_cast<CArray<Record, Record &> *>(request.m_pResult);
        EXPECT_NE(result, nullptr);
        for (int i = 0; result != nullptr && i < result->GetSize(); ++i)
            records.push_back((*result)[i]);
        return records;
    }

    std::unique_ptr<CControllerSymbolEngine> m_engine;
    std::unique_ptr<CDBTypeInfo> m_types;     // for the writers of Types rows
    std::unique_ptr<CDBSymbolInfo> m_symbols; // and of Symbols rows
};

} // namespace handlertest
