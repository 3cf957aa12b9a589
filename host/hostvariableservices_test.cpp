#include "debugserver.h"
#include "hostvariableservices.h"

#include <hostcmdgroups.h>
#include <oletarcmdcaller.h>
#include <qelcommvariable.h>

#include <gtest/gtest.h>

namespace {

using QelHost::CHostDebugServer;
using QelHost::HostVariableCall;

// A variable object as the symbol server's is to the host: it refreshes itself and passes
// the value-notice query on to the inner object that its owner gave it.
class CScriptedVariable : public CComObjectRootEx<CComMultiThreadModel>, public IQelUniCommStub {
public:
    BEGIN_COM_MAP(CScriptedVariable)
        COM_INTERFACE_ENTRY(IQelUniCommStub)
        COM_INTERFACE_ENTRY_AGGREGATE(qel_uuidof<IQelValueNotices>(), m_inner)
    END_COM_MAP()

    STDMETHODIMP Refresh(LONG write) override
    {
        writes.push_back(write);
        return 1;
    }
    STDMETHODIMP Detach() override { return S_OK; }
    STDMETHODIMP SetOwner(IUnknown *owner) override
    {
        COleTarCmdCaller caller(owner, &CGID_QelHostCommands);
        m_inner.Release();
        return caller.RequestCommVariable(7, nullptr, &m_inner);
    }

    std::vector<LONG> writes;

private:
    CComPtr<IUnknown> m_inner;
};

LRESULT CALLBACK QuietProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND NewWindow()
{
    static const bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = QuietProc;
        windowClass.lpszClassName = "VariableServicesTest";
        return RegisterClassA(&windowClass) != 0;
    }();
    return registered ? CreateWindowExA(0, "VariableServicesTest", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                        nullptr, nullptr)
                      : nullptr;
}

// The registered messages posted to `window`, as (message, lParam).
std::vector<std::pair<UINT, LPARAM>> Posted(HWND window)
{
    std::vector<std::pair<UINT, LPARAM>> messages;
    MSG msg;
    while (PeekMessageA(&msg, window, 0xC000, 0xFFFF, PM_REMOVE))
        messages.emplace_back(msg.message, msg.lParam);
    return messages;
}

struct VariableServicesTest : ::testing::Test {
    void SetUp() override
    {
        ASSERT_EQ(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &server), S_OK);
        host = static_cast<CHostDebugServer *>(static_cast<IQelHostHolder *>(server.p));
        window = NewWindow();
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override { DestroyWindow(window); }

    CComObject<CScriptedVariable> *NewVariable(CComPtr<IUnknown> &hold)
    {
        CComObject<CScriptedVariable> *variable = nullptr;
        EXPECT_EQ(CComObject<CScriptedVariable>::CreateInstance(&variable), S_OK);
        hold = variable->GetUnknown();
        EXPECT_EQ(variable->SetOwner(server), S_OK);
        return variable;
    }

    CComPtr<IUnknown> server;
    CHostDebugServer *host = nullptr;
    HWND window = nullptr;
};

LONG WindowNumber(HWND window)
{
    return static_cast<LONG>(reinterpret_cast<LONG_PTR>(window));
}

TEST_F(VariableServicesTest, AnUpdateRefreshesTheObjectAndPostsItsNoticeWithItsIdentity)
{
    CComPtr<IUnknown> hold, quietHold;
    CComObject<CScriptedVariable> *variable = NewVariable(hold);
    CComObject<CScriptedVariable> *quiet = NewVariable(quietHold);
    // The window is set through the variable object, as a tree sets it.
    CComQIPtr<IQelValueNotices> notices(hold);
    ASSERT_NE(notices, nullptr);
    ASSERT_EQ(notices->SetNotifyWindow(WindowNumber(window), 0xC123), S_OK);

    CComQIPtr<IQelVariableUpdate> update(server);
    ASSERT_NE(update, nullptr);
    EXPECT_EQ(update->Update(hold, 0, 1), S_OK);
    EXPECT_EQ(update->Update(quietHold, 1, 0), S_OK); // no window: refreshed, no notice
    EXPECT_EQ(variable->writes, std::vector<LONG>{1});
    EXPECT_EQ(quiet->writes, std::vector<LONG>{0});
    const LPARAM identity = reinterpret_cast<LPARAM>(hold.p);
    EXPECT_EQ(Posted(window), (std::vector<std::pair<UINT, LPARAM>>{{0xC123, identity}}));

    // An object that cannot be refreshed is refused, and recorded as asked.
    EXPECT_EQ(update->Update(nullptr, 0, 0), E_POINTER);
    EXPECT_EQ(update->Withdraw(hold), S_OK);
    std::vector<HostVariableCall> calls = host->VariableServices()->Calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].object, static_cast<uintptr_t>(identity));
    EXPECT_EQ(calls[0].write, 1);
    EXPECT_EQ(calls[0].refreshed, 1);
    EXPECT_TRUE(calls[0].notified);
    EXPECT_EQ(calls[1].deferred, 1);
    EXPECT_FALSE(calls[1].notified);
    EXPECT_EQ(calls[2].refreshed, -1);
    EXPECT_EQ(calls[3].kind, HostVariableCall::Withdraw);

    // Window 0 ends the notices.
    ASSERT_EQ(notices->SetNotifyWindow(0, 0xC123), S_OK);
    EXPECT_EQ(update->Update(hold, 0, 0), S_OK);
    EXPECT_TRUE(Posted(window).empty());
}

TEST_F(VariableServicesTest, EveryRegisteredWindowHearsOfEachStopAndTheStateFollowsTheTarget)
{
    HWND second = NewWindow();
    CComQIPtr<IQelRefreshWindows> windows(server);
    CComQIPtr<IQelTargetState> state(server);
    ASSERT_NE(windows, nullptr);
    ASSERT_NE(state, nullptr);
    ULONG now = 0;
    ASSERT_EQ(state->GetTargetState(&now), S_OK);
    EXPECT_EQ(now, static_cast<ULONG>(QEL_TARGET_NONE)) << "the target stands nowhere yet";

    EXPECT_EQ(windows->Register(WindowNumber(window), 0xC200), S_OK);
    EXPECT_EQ(windows->Register(WindowNumber(second), 0xC300), S_OK);
    EXPECT_EQ(windows->Register(WindowNumber(second), 0xC301), S_OK) << "the message replaced";
    EXPECT_EQ(windows->Register(0x7FFF0000, 0xC400), E_INVALIDARG) << "no such window";
    host->Target()->Run();
    ASSERT_EQ(state->GetTargetState(&now), S_OK);
    EXPECT_EQ(now, static_cast<ULONG>(QEL_TARGET_RUNNING));
    EXPECT_TRUE(Posted(window).empty()) << "running is no stop";
    host->Target()->Stop(0x68);
    ASSERT_EQ(state->GetTargetState(&now), S_OK);
    EXPECT_EQ(now, static_cast<ULONG>(QEL_TARGET_STOPPED));
    EXPECT_EQ(Posted(window), (std::vector<std::pair<UINT, LPARAM>>{{0xC200, 0}}));
    EXPECT_EQ(Posted(second), (std::vector<std::pair<UINT, LPARAM>>{{0xC301, 0}}));

    EXPECT_EQ(windows->Unregister(WindowNumber(second)), S_OK);
    EXPECT_EQ(windows->Unregister(WindowNumber(second)), S_FALSE);
    host->Target()->Stop(0x6C);
    EXPECT_EQ(Posted(window).size(), 1u);
    EXPECT_TRUE(Posted(second).empty());
    DestroyWindow(second);
}

TEST_F(VariableServicesTest, QueueEntriesAreCountedEnumeratedByKindAndEndWithTheirLastReference)
{
    CComQIPtr<IQelRefreshQueue> queue(server);
    CComQIPtr<IQelRefreshQueueState> available(server);
    ASSERT_NE(queue, nullptr);
    BOOL on = FALSE;
    ASSERT_EQ(available->IsQueueAvailable(&on), S_OK);
    EXPECT_TRUE(on);

    LONG first = 0, other = 0, second = 0;
    ASSERT_EQ(queue->CreateEntry(4, 2, &first), S_OK);
    ASSERT_EQ(queue->CreateEntry(4, 3, &other), S_OK);
    ASSERT_EQ(queue->CreateEntry(4, 2, &second), S_OK);
    EXPECT_NE(first, 0);
    EXPECT_NE(first, second);
    EXPECT_EQ(queue->SetPeriod(first, QEL_PERIOD_RUNNING, 25), S_OK);
    EXPECT_EQ(queue->SetPeriod(first, QEL_PERIOD_HOLDED, 100), S_OK);
    EXPECT_EQ(queue->SetPeriod(first, 4, 100), E_INVALIDARG);
    EXPECT_EQ(queue->SetPeriod(first, QEL_PERIOD_HOLDED, -1), E_INVALIDARG);
    LONG period = 0;
    ASSERT_EQ(queue->GetPeriod(first, QEL_PERIOD_RUNNING, &period), S_OK);
    EXPECT_EQ(period, 25);
    ASSERT_EQ(queue->GetPeriod(second, QEL_PERIOD_HOLDED, &period), S_OK);
    EXPECT_EQ(period, 0) << "a new entry refreshes nothing";

    // Of kind (4, 2) only, each with a reference for the caller.
    LONG found = 0;
    ASSERT_EQ(queue->NextEntry(4, 2, 0, &found), S_OK);
    EXPECT_EQ(found, first);
    ASSERT_EQ(queue->NextEntry(4, 2, found, &found), S_OK);
    EXPECT_EQ(found, second);
    EXPECT_EQ(queue->NextEntry(4, 2, found, &found), S_FALSE);
    EXPECT_EQ(found, 0);
    QelHost::HostRefreshQueue &record = host->VariableServices()->Queue();
    EXPECT_EQ(record.References(first), 2);
    EXPECT_EQ(queue->ReleaseEntry(first), S_OK);

    // The last release ends the entry and lets its objects go.
    CComPtr<IUnknown> hold;
    NewVariable(hold);
    EXPECT_EQ(queue->Attach(first, hold, 7), S_OK);
    EXPECT_EQ(queue->Attach(first, hold, 8), S_OK) << "attached once, with the newer parameter";
    ASSERT_EQ(record.Attachments(first).size(), 1u);
    EXPECT_EQ(record.Attachments(first)[0].parameter, 8);
    EXPECT_EQ(queue->AddRefEntry(first), S_OK);
    EXPECT_EQ(queue->ReleaseEntry(first), S_OK);
    EXPECT_EQ(record.Attachments(first).size(), 1u);
    EXPECT_EQ(queue->ReleaseEntry(first), S_OK);
    EXPECT_EQ(record.References(first), 0);
    EXPECT_EQ(queue->ReleaseEntry(first), E_INVALIDARG);
    EXPECT_EQ(queue->Attach(first, hold, 0), E_INVALIDARG);
    EXPECT_EQ(queue->GetPeriod(first, QEL_PERIOD_RUNNING, &period), E_INVALIDARG);
    EXPECT_EQ(record.EntryCount(), 2u);
    LONG fresh = 0;
    ASSERT_EQ(queue->CreateEntry(4, 2, &fresh), S_OK);
    EXPECT_NE(fresh, first) << "a handle is not used again";
}

TEST_F(VariableServicesTest, AnimateUpdatesEachAttachedObjectAtThePeriodOfTheTargetsState)
{
    CComQIPtr<IQelRefreshQueue> queue(server);
    CComPtr<IUnknown> fastHold, slowHold, gone;
    CComObject<CScriptedVariable> *fast = NewVariable(fastHold);
    CComObject<CScriptedVariable> *slow = NewVariable(slowHold);
    CComObject<CScriptedVariable> *withdrawn = NewVariable(gone);
    LONG shared = 0, holdedOnly = 0;
    ASSERT_EQ(queue->CreateEntry(4, 2, &shared), S_OK);
    ASSERT_EQ(queue->SetPeriod(shared, QEL_PERIOD_RUNNING, 50), S_OK);
    ASSERT_EQ(queue->SetPeriod(shared, QEL_PERIOD_HOLDED, 200), S_OK);
    ASSERT_EQ(queue->CreateEntry(4, 2, &holdedOnly), S_OK);
    ASSERT_EQ(queue->SetPeriod(holdedOnly, QEL_PERIOD_HOLDED, 30), S_OK);
    ASSERT_EQ(queue->Attach(shared, fastHold, 0), S_OK);
    ASSERT_EQ(queue->Attach(shared, gone, 0), S_OK);
    ASSERT_EQ(queue->Attach(holdedOnly, slowHold, 0), S_OK);
    CComQIPtr<IQelVariableUpdate> update(server);
    ASSERT_EQ(update->Withdraw(gone), S_OK); // a withdrawn object is refreshed no more

    host->Target()->Run();
    host->VariableServices()->Animate(220);
    EXPECT_EQ(fast->writes.size(), 4u) << "at 50, 100, 150 and 200 ms";
    EXPECT_TRUE(slow->writes.empty()) << "it has no running period";
    EXPECT_TRUE(withdrawn->writes.empty());

    host->Target()->Stop(0x68);
    host->VariableServices()->Animate(190);
    EXPECT_EQ(fast->writes.size(), 5u) << "the holded period, 200 ms after the last at 200";
    EXPECT_EQ(slow->writes.size(), 6u) << "every 30 ms of 410";
    EXPECT_EQ(fast->writes, std::vector<LONG>(5, 0)) << "updates read";
    EXPECT_EQ(host->VariableServices()->Queue().Clock(), 410u);
    ASSERT_EQ(queue->Detach(shared, fastHold), S_OK);
    EXPECT_EQ(queue->Detach(shared, fastHold), E_INVALIDARG);
}

TEST_F(VariableServicesTest, TheMemoryAccessObjectAnswersTheTargetsAccessWhileRunning)
{
    CComQIPtr<IQelMemoryAccess> holder(server);
    ASSERT_NE(holder, nullptr);
    CComPtr<IQelMemoryAccessObject> access;
    ASSERT_EQ(holder->GetMemoryAccess(&access), S_OK);
    const std::pair<QelHost::RunningAccess, std::pair<LONG, LONG>> cases[] = {
        {QelHost::RunningAccess::Fast, {1, 1}},
        {QelHost::RunningAccess::Slow, {0, 1}},
        {QelHost::RunningAccess::None, {0, 0}}};
    for (const auto &[mode, expected] : cases) {
        host->Target()->SetRunningAccess(mode);
        LONG fast = -1, slow = -1;
        ASSERT_EQ(access->GetProperty(1, 289, &fast), S_OK);
        ASSERT_EQ(access->GetProperty(1, 278, &slow), S_OK);
        EXPECT_EQ(std::make_pair(fast, slow), expected);
    }
    LONG value = 0;
    EXPECT_EQ(access->GetProperty(2, 289, &value), E_INVALIDARG);
    EXPECT_EQ(access->GetProperty(1, 300, &value), E_INVALIDARG);
    EXPECT_EQ(access->GetProperty(1, 289, nullptr), E_POINTER);
}

} // namespace
