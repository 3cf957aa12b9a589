// Test support of the query handler tests: an engine with a program of testdata loaded
// into a database in a folder of the test's own, and synchronous queries whose result
// records come back as a vector.
#pragma once

#include "enginetesting.h"

#include <hostcfgprofile.h>
#include <symboltables.h>
#include <testing/buildpaths.h>

#include <filesystem>
#include <initializer_list>
#include <vector>

namespace querytest {

namespace fs = std::filesystem;

// A request parameter: a number (taken as its 32 bits, VT_I4) or a text.
struct Param {
    Param(long long number)
    {
        value.vt = VT_I4;
        value.lVal = static_cast<LONG>(number);
    }
    Param(const char *text) : value(text) {}
    Param(const CString &text) : value(static_cast<LPCSTR>(text)) {}
    CComVariant value;
};

class QueryTest : public enginetest::EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        std::string pattern = (fs::temp_directory_path() / "qelquery-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
        ASSERT_EQ(QelHost::CreateCfgProfile(&m_profile), S_OK);
        m_keepProfile.Attach(static_cast<IQelCfgProfile2 *>(m_profile));
        m_host->SetProfile(m_keepProfile);
        // Tests read and change the database between requests, which an idle pass at a
        // time of its own would race; those that want one submit it.
        m_engine->SetIdleWait(INFINITE);
    }
    void TearDown() override
    {
        EngineTest::TearDown();
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }

    // The finished synchronous load of `program` with this id.
    std::unique_ptr<CSymbolRequest> LoadRequest(const fs::path &program, LONG programId)
    {
        CSymbolRequest request(RequesterSynchronous);
        request.m_nCode = RequestCodeLoadFile;
        request.Param1.vt = VT_BSTR;
        request.Param1.bstrVal = CString(program.c_str()).AllocSysString();
        request.Param2.vt = VT_I4;
        request.Param2.lVal = 0;
        request.Param3.vt = VT_I4;
        request.Param3.lVal = programId;
        return std::unique_ptr<CSymbolRequest>(m_engine->TakeRequest(m_engine->Submit(request), RequestCodeLoadFile));
    }

    // Loads a copy of testdata/`relative` (its database beside the copy); the status.
    int Load(const std::string &relative)
    {
        const fs::path program = m_folder / fs::path(relative).filename();
        fs::copy_file(fs::path(kQelSourceDir) / "testdata" / relative, program, fs::copy_options::overwrite_existing);
        std::unique_ptr<CSymbolRequest> done = LoadRequest(program, 1);
        return done ? done->m_nStatus : -1;
    }

    // The records of a synchronous request of `code` with these parameters (texts are
    // passed as they are: a name that the database holds encoded must be given so).
    template <class Record>
    std::vector<Record> Query(int code, std::initializer_list<Param> parameters = {})
    {
        CSymbolRequest request(RequesterSynchronous);
        request.m_nCode = code;
        VARIANT *slots[] = {&request.Param1, &request.Param2, &request.Param3};
        int index = 0;
        for (const Param &parameter : parameters)
            VariantCopy(slots[index++], &parameter.value);
        std::unique_ptr<CSymbolRequest> done(m_engine->TakeRequest(m_engine->Submit(request), code / 100 * 100));
        std::vector<Record> records;
        EXPECT_TRUE(done != nullptr) << "request " << code;
        if (!done)
            return records;
        EXPECT_EQ(done->m_nStatus, StatusSuccess) << "request " << code << ": " << done->m_strErrorText;
        auto *array = dynamic_cast<CArray<Record, Record &> *>(done->m_pResult);
        EXPECT_TRUE(array != nullptr || done->m_nStatus != StatusSuccess) << "request " << code;
        for (int i = 0; array != nullptr && i < array->GetSize(); ++i)
            records.push_back((*array)[i]);
        return records;
    }

    // The program's database, for reading and filling between requests (the worker
    // touches it only while a request runs).
    CdbDatabase *Database() { return m_engine->GetProgramDatabase()->GetDatabase(); }

    // Changes the program's database as a damaged or foreign file could have it.
    void Execute(LPCSTR sql)
    {
        CQelQueryDef change(Database());
        change.Create(nullptr, sql);
        change.Execute();
    }

    fs::path m_folder;
    CComObject<QelHost::CHostCfgProfile> *m_profile = nullptr;
    CComPtr<IUnknown> m_keepProfile;
};

} // namespace querytest
