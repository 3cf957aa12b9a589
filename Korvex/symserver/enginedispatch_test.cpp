// What a handler's failure leaves, and the database transaction around each handler.
#include "symbolengine.h"

#include "enginetesting.h"
#include "symserverids.h"

#include <qeldbexception.h>
#include <symdbtesting.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <new>
#include <string>

namespace {

using enginetest::CountedReader;
using enginetest::CountedResult;
using enginetest::EngineTest;

// A code whose handler reads the worker's COM error information into its request.
const int kErrorProbe = 1;

struct Failure {
    const char *name;
    std::function<void()> raise;
    int status;
    std::string text;
};

std::string MessageOf(CException *e)
{
    char text[512] = "";
    e->GetErrorMessage(text, sizeof text);
    e->Delete();
    return text;
}

class DispatchTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        Handle(kErrorProbe, [this](CSymbolRequest &) {
            m_errorText.clear();
            m_errorInterface = GUID_NULL;
            CComPtr<IErrorInfo> info;
            if (GetErrorInfo(0, &info) != S_OK || info == nullptr)
                return;
            CComBSTR description;
            info->GetDescription(&description);
            m_errorText = static_cast<LPCSTR>(CString(description));
            info->GetGUID(&m_errorInterface);
        });
    }

    std::string m_errorText;
    GUID m_errorInterface = GUID_NULL;
};

TEST_F(DispatchTest, EachKindOfFailureGivesItsStatusAndText)
{
    std::string longText(600, 'x');
    const Failure failures[] = {
        {"database", [] { ThrowQeldbException(3022, "DAO.Recordset", "Duplicate key."); }, StatusDatabaseError,
         MessageOf(new CQeldbException(3022, "DAO.Recordset", "Duplicate key."))},
        {"long database text", [&] { ThrowQeldbException(3000, "DAO", longText.c_str()); }, StatusDatabaseError,
         std::string(511, 'x')},
        {"file", [] { AfxThrowFileException(CFileException::fileNotFound, ENOENT, "/work/prog.elf"); },
         StatusFileError, MessageOf(new CFileException(CFileException::fileNotFound, ENOENT, "/work/prog.elf"))},
        {"memory", [] { AfxThrowMemoryException(); }, StatusOutOfMemory, "Out of memory or memory insufficient."},
        {"allocation", [] { throw std::bad_alloc(); }, StatusOutOfMemory, "Out of memory or memory insufficient."},
        {"user",
         [] {
             SetLastError(ERROR_FILE_NOT_FOUND);
             AfxThrowUserException();
         },
         StatusSystemError, "The system cannot find the file specified.\r\n"},
        {"other framework", [] { AfxThrowNotSupportedException(); }, StatusOtherError, "Unknown error occurred."},
        {"foreign", [] { throw 42; }, StatusOtherError, "Unknown error occurred."},
    };
    for (const Failure &failure : failures) {
        SCOPED_TRACE(failure.name);
        Handle(0, [&failure](CSymbolRequest &request) {
            request.m_pResult = new CountedResult; // freed with the failed request
            failure.raise();
        });
        int id = Submit(0, RequesterSynchronous);
        ASSERT_NE(id, 0);
        EXPECT_EQ(FetchStatus(id), failure.status);
        EXPECT_EQ(CountedResult::live, 0);
        EXPECT_EQ(std::string(m_engine->GetLastErrorMessage()), failure.text);
        // The worker goes on, and the text stands as its COM error information.
        EXPECT_EQ(FetchStatus(Submit(kErrorProbe, RequesterSynchronous)), StatusSuccess);
        EXPECT_EQ(m_errorText, failure.text);
        EXPECT_TRUE(IsEqualGUID(m_errorInterface, IID_IQelSymbol));
    }
}

TEST_F(DispatchTest, ADatabaseFailureIsAlsoTracedToTheHost)
{
    Handle(0, [](CSymbolRequest &) { ThrowQeldbException(3022, "DAO.Recordset", "Duplicate key."); });
    EXPECT_EQ(FetchStatus(Submit(0, RequesterSynchronous)), StatusDatabaseError);
    std::vector<QelHost::HostTraceLine> lines = m_reports->TraceLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].kind, 0);
    EXPECT_EQ(lines[0].source, "QelSymbolEngine");
    EXPECT_EQ(lines[0].text, std::string(m_engine->GetLastErrorMessage()));
}

TEST_F(DispatchTest, AnAsynchronousFailureIsAnnouncedLikeASuccess)
{
    Handle(0, [](CSymbolRequest &) { AfxThrowMemoryException(); });
    enginetest::RequesterWindow window;
    int id = Submit(0, window.Requester());
    ASSERT_TRUE(window.WaitForNotices(1));
    EXPECT_EQ(window.Notices()[0].id, id);
    EXPECT_EQ(FetchStatus(id), StatusOutOfMemory);
}

// Handlers on a symbol database of their own, in a folder of the test.
class TransactionTest : public symdbtest::FolderTest {
protected:
    void SetUp() override
    {
        symdbtest::FolderTest::SetUp();
        ASSERT_EQ(CComObject<QelHost::CHostDebugServer>::CreateInstance(&m_host), S_OK);
        m_owner = static_cast<IQelHostHolder *>(m_host);
        m_engine = std::make_unique<CControllerSymbolEngine>(m_owner);
        m_path = PathOf("prog.mdb");
        // The test's load: the database is opened inside the handler, which then keeps
        // what it writes whole from there on.
        m_engine->SetHandler(2000, [this](CSymbolRequest &request) {
            CQelDatabase *database = new CQelDatabase;
            m_engine->m_Databases.Add(database);
            database->Create(m_path);
            m_engine->DatabaseLoaded = 1;
            m_engine->BeginRequestTransaction();
            AddSection(request.Param1.lVal);
        });
    }
    void TearDown() override
    {
        m_engine.reset();
        symdbtest::FolderTest::TearDown();
    }

    void AddSection(LONG index)
    {
        CdbRecordset sections = m_engine->GetProgramDatabase()->GetDatabase()->OpenRecordset("Sections", dbOpenTable);
        sections.AddNew();
        CComVariant value(index);
        sections.SetField("SectionIndex", &value);
        sections.Update();
        sections.Close();
    }
    int Run(int code, LONG param)
    {
        CSymbolRequest request(RequesterSynchronous);
        request.m_nCode = code;
        request.Param1.vt = VT_I4;
        request.Param1.lVal = param;
        int id = m_engine->Submit(request);
        CSymbolRequest *done = m_engine->FindRequest(id);
        if (done == nullptr)
            return -100;
        int status = done->m_nStatus;
        m_engine->DeleteRequest(id);
        return status;
    }
    // The section indexes in the file, once the engine has let go of it.
    std::vector<LONG> SectionsOnDisk()
    {
        CQelDatabase database;
        EXPECT_TRUE(database.Open(m_path, FALSE, TRUE));
        std::vector<LONG> found;
        CdbRecordset sections = database.GetDatabase()->OpenRecordset("Sections", dbOpenTable);
        for (; !sections.IsEOF(); sections.MoveNext())
            found.push_back(sections.GetField("SectionIndex").lVal);
        sections.Close();
        database.Close(FALSE);
        std::sort(found.begin(), found.end());
        return found;
    }

    CComObject<QelHost::CHostDebugServer> *m_host = nullptr;
    CComPtr<IUnknown> m_owner;
    std::unique_ptr<CControllerSymbolEngine> m_engine;
    CString m_path;
};

TEST_F(TransactionTest, AHandlersWritesAreKeptWhenItReturnsAndUndoneWhenItFails)
{
    m_engine->SetHandler(100, [this](CSymbolRequest &request) { AddSection(request.Param1.lVal); });
    m_engine->SetHandler(101, [this](CSymbolRequest &request) {
        AddSection(request.Param1.lVal);
        ThrowQeldbException(3022, "DAO.Recordset", "Duplicate key.");
    });
    m_engine->SetHandler(102, [this](CSymbolRequest &request) {
        AddSection(request.Param1.lVal);
        AfxThrowMemoryException();
    });
    ASSERT_EQ(Run(2000, 1), StatusSuccess);
    EXPECT_EQ(Run(100, 2), StatusSuccess);
    EXPECT_EQ(Run(101, 3), StatusDatabaseError);
    EXPECT_EQ(Run(102, 4), StatusOutOfMemory);
    EXPECT_EQ(Run(100, 5), StatusSuccess);
    m_engine->Stop();
    EXPECT_EQ(SectionsOnDisk(), (std::vector<LONG>{1, 2, 5}));
    EXPECT_EQ(m_host->Downloads()->EngineStops(), 1u);
}

TEST_F(TransactionTest, WhatAHandlerHasCommittedOnTheWaySurvivesItsFailure)
{
    // As the idle pass keeps each module it has read.
    m_engine->SetHandler(0x7FFFFFFE, [](CSymbolRequest &) {});
    m_engine->SetHandler(100, [this](CSymbolRequest &request) {
        AddSection(request.Param1.lVal);
        m_engine->CommitRequestTransaction();
        AddSection(request.Param1.lVal + 1);
        m_engine->CommitRequestTransaction();
        AddSection(request.Param1.lVal + 2);
        ThrowQeldbException(3026, "DAO.Database", "Not enough space on disk.");
    });
    ASSERT_EQ(Run(2000, 1), StatusSuccess);
    EXPECT_EQ(Run(100, 10), StatusDatabaseError);
    m_engine->Stop();
    EXPECT_EQ(SectionsOnDisk(), (std::vector<LONG>{1, 10, 11}));
}

TEST_F(TransactionTest, ARequestMadeOnTheWorkerHasATransactionOfItsOwn)
{
    m_engine->SetHandler(101, [this](CSymbolRequest &request) {
        AddSection(request.Param1.lVal);
        ThrowQeldbException(3022, "DAO.Recordset", "Duplicate key.");
    });
    m_engine->SetHandler(100, [this](CSymbolRequest &request) {
        AddSection(request.Param1.lVal);
        EXPECT_EQ(Run(101, request.Param1.lVal + 1), StatusDatabaseError);
    });
    ASSERT_EQ(Run(2000, 1), StatusSuccess);
    EXPECT_EQ(Run(100, 20), StatusSuccess);
    m_engine->Stop();
    EXPECT_EQ(SectionsOnDisk(), (std::vector<LONG>{1, 20}));
}

TEST_F(TransactionTest, StoppingClosesTheDatabaseAndLetsGoOfTheReader)
{
    ASSERT_EQ(Run(2000, 1), StatusSuccess);
    m_engine->SetHandler(100, [this](CSymbolRequest &) {
        m_engine->CurrentReader = new CountedReader;
        m_engine->ModulCount = 4;
        m_engine->NextModulToRead = 2;
    });
    ASSERT_EQ(Run(100, 0), StatusSuccess);
    m_engine->Stop();
    EXPECT_EQ(CountedResult::live, 0);
    EXPECT_EQ(m_engine->CurrentReader, nullptr);
    EXPECT_EQ(m_engine->ModulCount, 0);
    EXPECT_EQ(m_engine->NextModulToRead, 0);
    EXPECT_FALSE(m_engine->GetProgramDatabase());
    // The file is free for another connection.
    EXPECT_EQ(SectionsOnDisk(), (std::vector<LONG>{1}));
}

} // namespace
