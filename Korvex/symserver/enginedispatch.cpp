// The dispatcher of CSymbolEngine: each request's handler, inside a transaction of the
// program's database, with the handler's failure turned into the request's status.
#include "symbolengine.h"
#include "symserverids.h"
#include "symserverstrings.h"

#include <diaghelper.h>
#include <qeldbexception.h>
#include <stringtext.h>

#include <new>

namespace {

// Exception texts are cut to fit this buffer, terminator included.
const UINT kErrorTextBuffer = 512;

CString ExceptionText(CException *e)
{
    char text[kErrorTextBuffer] = "";
    if (!e->GetErrorMessage(text, kErrorTextBuffer))
        text[0] = '\0';
    return text;
}

} // namespace

BOOL CSymbolEngine::Dispatch(CSymbolRequest &request)
{
    if (request.m_nCode != RequestCodeIdle)
        IdleSince = 0;
    Handler handler;
    {
        QueueHold hold(m_Lockable);
        auto found = m_Handlers.find(request.m_nCode);
        if (found != m_Handlers.end())
            handler = found->second;
    }
    if (handler)
        RunHandler(handler, request);
    // Whatever its handler met, the stop request ends the worker: Stop waits for that.
    return request.m_nCode != RequestCodeStop;
}

void CSymbolEngine::RunHandler(const Handler &handler, CSymbolRequest &request)
{
    m_ReadModuls.clear();
    m_Transactions.push_back(nullptr);
    try {
        BeginRequestTransaction();
        handler(request);
        EndRequestTransaction(TRUE);
    } catch (CQeldbException *e) {
        CString text = ExceptionText(e);
        e->Delete();
        EndRequestTransaction(FALSE);
        CQelDiagHelper diagnostics(m_pOwner, "QelSymbolEngine", nullptr);
        diagnostics.TraceError("%s", static_cast<LPCSTR>(text));
        Fail(request, StatusDatabaseError, text);
    } catch (CFileException *e) {
        CString text = ExceptionText(e);
        e->Delete();
        EndRequestTransaction(FALSE);
        Fail(request, StatusFileError, text);
    } catch (CMemoryException *e) {
        e->Delete();
        EndRequestTransaction(FALSE);
        Fail(request, StatusOutOfMemory, LoadStringText(IDS_SYMSRV_OUT_OF_MEMORY));
    } catch (const std::bad_alloc &) {
        EndRequestTransaction(FALSE);
        Fail(request, StatusOutOfMemory, LoadStringText(IDS_SYMSRV_OUT_OF_MEMORY));
    } catch (CUserException *e) {
        // Read before anything else can set the thread's last error.
        CString text;
        GetLastErrorText(text);
        e->Delete();
        EndRequestTransaction(FALSE);
        Fail(request, StatusSystemError, text);
    } catch (CException *e) {
        e->Delete();
        EndRequestTransaction(FALSE);
        Fail(request, StatusOtherError, LoadStringText(IDS_SYMSRV_UNKNOWN_ERROR));
    } catch (...) {
        if (IsForeignException()) {
            // The thread is being ended (its forced unwind): its stack must unwind.
            m_Transactions.pop_back();
            throw;
        }
        // Anything else a handler lets through would end the worker and the process.
        EndRequestTransaction(FALSE);
        Fail(request, StatusOtherError, LoadStringText(IDS_SYMSRV_UNKNOWN_ERROR));
    }
    m_Transactions.pop_back();
    m_ReadModuls.clear();
}

void CSymbolEngine::Fail(CSymbolRequest &request, int status, const CString &text)
{
    request.m_nStatus = status;
    request.m_strErrorText = text;
    {
        QueueHold hold(m_Lockable);
        m_strLastError = text;
    }
    AtlSetErrorInfo(CLSID_QelSymbol, CComBSTR(static_cast<LPCSTR>(text)), 0, nullptr, IID_IQelSymbol, 1);
}

void CSymbolEngine::BeginRequestTransaction()
{
    if (m_Transactions.empty() || m_Transactions.back() != nullptr)
        return;
    CQelDatabase *database = GetProgramDatabase();
    if (database == nullptr)
        return;
    database->BeginTrans();
    m_Transactions.back() = database;
}

void CSymbolEngine::CommitRequestTransaction()
{
    if (m_Transactions.empty() || m_Transactions.back() == nullptr)
        return;
    CQelDatabase *database = m_Transactions.back();
    // Cleared first: a commit that fails leaves nothing for the handler's end to commit.
    m_Transactions.back() = nullptr;
    Commit(*database);
    BeginRequestTransaction();
}

void CSymbolEngine::EndRequestTransaction(BOOL commit)
{
    CQelDatabase *database = m_Transactions.back();
    m_Transactions.back() = nullptr;
    if (database == nullptr || !database->IsOpen())
        return;
    if (commit)
        Commit(*database);
    else
        RollBack(*database);
}

void CSymbolEngine::Commit(CQelDatabase &database)
{
    try {
        database.CommitTrans();
    } catch (CQeldbException *) {
        // A commit that fails leaves its transaction open: every later request would run
        // inside it, and what they wrote would go with it at the close.
        RollBack(database);
        throw;
    }
}

void CSymbolEngine::RollBack(CQelDatabase &database)
{
    // Already failing: the request's own error is the one to report.
    try {
        database.Rollback();
    } catch (CQeldbException *e) {
        e->Delete();
    }
}

void CSymbolEngine::GetLastErrorText(CString &text)
{
    LPSTR buffer = nullptr;
    DWORD length = FormatMessage(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, GetLastError(), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                 reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    text = length != 0 && buffer != nullptr ? buffer : "";
    if (buffer != nullptr)
        LocalFree(buffer);
}
