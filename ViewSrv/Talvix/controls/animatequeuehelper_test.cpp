// The watch window's refresh helpers on the host's refresh queue and period editor.
#include "animatequeuehelper.h"
#include "watchanimateperioddlg.h"

#include <debugserver.h>
#include <dialogscript.h>
#include <hostperiodeditor.h>
#include <qelcommvariable.h>
#include <stgprofile.h>
#include <storagewrapper.h>
#include <testing/stgtesting.h>

#include <gtest/gtest.h>

namespace {

using QelHost::CHostDebugServer;

// A variable object that counts its refreshes.
class CCountedVariable : public CComObjectRootEx<CComMultiThreadModel>, public IQelUniCommStub {
public:
    BEGIN_COM_MAP(CCountedVariable)
        COM_INTERFACE_ENTRY(IQelUniCommStub)
    END_COM_MAP()

    STDMETHODIMP Refresh(LONG) override
    {
        ++refreshes;
        return 1;
    }
    STDMETHODIMP Detach() override { return S_OK; }
    STDMETHODIMP SetOwner(IUnknown *) override { return S_OK; }

    int refreshes = 0;
};

struct AnimateQueueTest : ::testing::Test {
    void SetUp() override
    {
        ASSERT_EQ(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &server), S_OK);
        host = static_cast<CHostDebugServer *>(static_cast<IQelHostHolder *>(server.p));
    }
    void TearDown() override { host->VariableServices()->Queue().Clear(); }

    QelHost::HostRefreshQueue &Queue() { return host->VariableServices()->Queue(); }
    LONG Period(LONG entry, LONG mode)
    {
        LONG period = -1;
        Queue().GetPeriod(entry, mode, &period);
        return period;
    }
    CComObject<CCountedVariable> *NewVariable(CComPtr<IUnknown> &hold)
    {
        CComObject<CCountedVariable> *variable = nullptr;
        EXPECT_EQ(CComObject<CCountedVariable>::CreateInstance(&variable), S_OK);
        hold = variable->GetUnknown();
        return variable;
    }

    CComPtr<IUnknown> server;
    CHostDebugServer *host = nullptr;
};

TEST_F(AnimateQueueTest, TwoEntriesGivenTheSamePeriodsShareOneQueueEntry)
{
    CAnimateQueueHelper first(server), second(server), other(server);
    EXPECT_TRUE(first.HasFastAccess());
    EXPECT_EQ(first.m_firstBound, 25) << "a target with fast access";
    ASSERT_TRUE(first.SetPeriods(50, 200));
    ASSERT_TRUE(first.Apply());
    ASSERT_TRUE(other.SetPeriods(50, 0));
    ASSERT_TRUE(other.Apply());
    ASSERT_TRUE(second.SetPeriods(50, 200));
    ASSERT_TRUE(second.Apply());
    EXPECT_EQ(second.GetEntry(), first.GetEntry());
    EXPECT_NE(other.GetEntry(), first.GetEntry());
    EXPECT_EQ(Queue().EntryCount(), 2u);
    EXPECT_EQ(Queue().References(first.GetEntry()), 2);
    EXPECT_EQ(Queue().References(other.GetEntry()), 1) << "the entries passed over are released";
    EXPECT_EQ(Period(first.GetEntry(), QEL_PERIOD_RUNNING), 50);
    EXPECT_EQ(Period(first.GetEntry(), QEL_PERIOD_HOLDED), 200);
    LONG period = 0;
    BOOL on = FALSE;
    ASSERT_TRUE(other.GetPeriod(ANIMATE_HOLDED, &period, &on));
    EXPECT_FALSE(on);

    // Neither period on: the entry is let go.
    const LONG entry = second.GetEntry();
    EXPECT_FALSE(second.SetPeriods(0, 0));
    EXPECT_FALSE(second.Apply());
    EXPECT_EQ(second.GetEntry(), 0);
    EXPECT_EQ(Queue().References(entry), 1);
}

TEST_F(AnimateQueueTest, WithoutAnyAccessCapabilityOnlyTheHoldedPeriodIsSetAndStored)
{
    host->Target()->SetRunningAccess(QelHost::RunningAccess::None);
    CAnimateQueueHelper helper(server);
    EXPECT_FALSE(helper.HasFastAccess() || helper.HasSlowAccess());
    EXPECT_EQ(helper.m_firstBound, 500);
    helper.SetPeriods(50, 200);
    ASSERT_TRUE(helper.Apply());
    EXPECT_EQ(Period(helper.GetEntry(), QEL_PERIOD_RUNNING), 0);
    EXPECT_EQ(Period(helper.GetEntry(), QEL_PERIOD_HOLDED), 200);

    CComPtr<IStorage> root;
    root.Attach(NewMemoryStorage());
    CStorage storage(root);
    ASSERT_TRUE(helper.Store(3, storage));
    EXPECT_EQ(storage.ReadLong("RunningPeriod3", -1), 0);
    EXPECT_EQ(storage.ReadLong("HoldedPeriod3", -1), 200);

    host->Target()->SetRunningAccess(QelHost::RunningAccess::Slow);
    CAnimateQueueHelper slow(server);
    EXPECT_TRUE(slow.HasSlowAccess());
    EXPECT_FALSE(slow.HasFastAccess());
}

TEST_F(AnimateQueueTest, StoredPeriodsComeBackAndBothZeroIsNotRestored)
{
    CComPtr<IStorage> root;
    root.Attach(NewMemoryStorage());
    CStorage storage(root);
    CAnimateQueueHelper stored(server);
    stored.SetPeriods(40, 400);
    ASSERT_TRUE(stored.Apply());
    ASSERT_TRUE(stored.Store(1, storage));

    CAnimateQueueHelper restored(server);
    ASSERT_TRUE(restored.Load(1, storage));
    EXPECT_EQ(restored.GetEntry(), stored.GetEntry()) << "applied: the same entry";
    CAnimateQueueHelper unapplied(server);
    ASSERT_TRUE(unapplied.Load(1, storage, TRUE));
    EXPECT_EQ(unapplied.GetEntry(), 0);
    EXPECT_EQ(unapplied.GetRequestedRunning(), 40);

    storage.WriteLong("RunningPeriod2", 0);
    storage.WriteLong("HoldedPeriod2", 0);
    storage.WriteLong("HoldedPeriod4", 100); // its running period is missing
    CAnimateQueueHelper zero(server);
    EXPECT_FALSE(zero.Load(2, storage));
    EXPECT_FALSE(zero.Load(4, storage));
    EXPECT_FALSE(zero.Load(9, storage));
    EXPECT_EQ(zero.GetEntry(), 0);

    CAnimateQueueHelper::Remove(1, storage);
    EXPECT_FALSE(restored.Load(1, storage));
    EXPECT_EQ(ReadStream(root, u"RunningPeriod1"), "<missing>");
}

TEST_F(AnimateQueueTest, TheProfileFormKeepsBothPeriodsInItsSection)
{
    CComPtr<IStorage> root;
    root.Attach(NewMemoryStorage());
    Profile::CStgProfile profile;
    ASSERT_TRUE(profile.Attach(root));
    CAnimateQueueHelper helper(server);
    EXPECT_FALSE(helper.ReadRunning(profile)) << "not set";
    EXPECT_FALSE(helper.TestHolded(profile));
    helper.SetPeriods(0, 150);
    ASSERT_TRUE(helper.WriteRunning(profile));
    ASSERT_TRUE(helper.WriteHolded(profile));
    CAnimateQueueHelper read(server);
    ASSERT_TRUE(read.ReadRunning(profile));
    ASSERT_TRUE(read.ReadHolded(profile));
    EXPECT_EQ(read.GetRequestedRunning(), 0);
    EXPECT_EQ(read.GetRequestedHolded(), 150);
    EXPECT_FALSE(read.TestRunning(profile));
    EXPECT_TRUE(read.TestHolded(profile));
    EXPECT_TRUE(read.Clear(profile));
    EXPECT_FALSE(read.ReadHolded(profile));
    CComPtr<IStorage> section;
    EXPECT_NE(root->OpenStorage(u"AnimateQueue", nullptr, kStgOpenRW, nullptr, 0, &section), S_OK);
    profile.Release();
}

TEST_F(AnimateQueueTest, AnObjectHelperAttachesItsObjectAndLetsItGo)
{
    CComPtr<IUnknown> hold, otherHold;
    NewVariable(hold);
    NewVariable(otherHold);
    CAnimateQueueHelper periods(server);
    periods.SetPeriods(50, 0);
    ASSERT_TRUE(periods.Apply());
    const LONG entry = periods.GetEntry();
    {
        CAnimateObjectHelper helper(server, hold, 0);
        EXPECT_FALSE(helper.AttachObject()) << "no entry yet";
        EXPECT_FALSE(helper.IsRunning());
        helper.AdoptEntry(entry, TRUE, TRUE);
        EXPECT_TRUE(helper.IsAttached());
        EXPECT_TRUE(helper.IsRunning());
        EXPECT_EQ(Queue().References(entry), 2);
        ASSERT_EQ(Queue().Attachments(entry).size(), 1u);
        EXPECT_FALSE(helper.SetObject(otherHold, 0)) << "refused while attached";
        helper.DetachObject();
        EXPECT_TRUE(Queue().Attachments(entry).empty());
        EXPECT_TRUE(helper.SetObject(otherHold, 3));
        EXPECT_TRUE(helper.AttachObject());
        EXPECT_EQ(Queue().Attachments(entry).at(0).parameter, 3);
    }
    EXPECT_TRUE(Queue().Attachments(entry).empty()) << "a helper that goes detaches";
    EXPECT_EQ(Queue().References(entry), 1);
}

TEST_F(AnimateQueueTest, ThePeriodDialogAttachesTwoEntriesToOneQueueEntryThatAnimateRefreshes)
{
    DWORD cookie = 0;
    ASSERT_EQ(QelHost::RegisterPeriodEditor(&cookie), S_OK);
    QelHost::DialogScript script;
    script.Install();
    CComPtr<IUnknown> firstHold, secondHold;
    CComObject<CCountedVariable> *first = NewVariable(firstHold);
    CComObject<CCountedVariable> *second = NewVariable(secondHold);
    CAnimateObjectHelper firstHelper(server, firstHold, 0), secondHelper(server, secondHold, 0);
    std::string error;
    for (CAnimateObjectHelper *helper : {&firstHelper, &secondHelper}) {
        ASSERT_TRUE(script.Queue({"292", "prop:1045=4:50", "prop:1045=5:200", "ok"}, &error)) << error;
        CWatchAnimatePeriodDlg dialog(helper);
        EXPECT_EQ(dialog.DoModal(), IDOK);
    }
    EXPECT_TRUE(script.TakeFailures().empty());
    ASSERT_NE(firstHelper.GetEntry(), 0);
    EXPECT_EQ(secondHelper.GetEntry(), firstHelper.GetEntry());
    EXPECT_EQ(Queue().EntryCount(), 1u);
    EXPECT_EQ(Queue().Attachments(firstHelper.GetEntry()).size(), 2u);
    EXPECT_EQ(Queue().References(firstHelper.GetEntry()), 2) << "the editors' references are gone";

    host->Target()->Run();
    host->VariableServices()->Animate(200);
    EXPECT_EQ(first->refreshes, 4);
    EXPECT_EQ(second->refreshes, 4);
    host->Target()->Stop(0x68);
    host->VariableServices()->Animate(200);
    EXPECT_EQ(first->refreshes, 5) << "the holded period while stopped";

    // Opened again on an entry it has, the editor shows that entry's periods; cancelled,
    // the entry stays.
    ASSERT_TRUE(script.Queue({"292", "expect:1=OK", "cancel"}, &error)) << error;
    CWatchAnimatePeriodDlg again(&firstHelper);
    EXPECT_EQ(again.DoModal(), IDCANCEL);
    EXPECT_TRUE(firstHelper.IsRunning());

    // An editor without a queue raises its exception: the helper is left with no entry.
    CAnimateObjectHelper lost(nullptr, firstHold, 0);
    ASSERT_TRUE(script.Queue({"292", "ok"}, &error)) << error;
    CWatchAnimatePeriodDlg failing(&lost);
    EXPECT_EQ(failing.DoModal(), IDOK);
    EXPECT_EQ(lost.GetEntry(), 0);
    EXPECT_FALSE(lost.IsAttached());
    EXPECT_TRUE(script.TakeFailures().empty());
    script.Uninstall();
    CoRevokeClassObject(cookie);
}

} // namespace
