#include "eventsinkadvise.h"
#include "qelcommobjsink.h"
#include "qelpatternsink.h"
#include "tarstateeventsink.h"

#include <hosteventsources.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using QelHost::CHostCommObjectSource;
using QelHost::CHostPatternSource;
using QelHost::CHostTargetStateSource;
using QelHost::CreateEventSource;

class CStateFollower : public CTarStateEventSink {
public:
    void OnTargetStateChange(ULONG oldState, ULONG newState) override
    {
        log.push_back("change " + std::to_string(oldState) + " " + std::to_string(newState));
    }
    void OnTargetStateNotify(ULONG first, ULONG second) override
    {
        log.push_back("notify " + std::to_string(first) + " " + std::to_string(second));
    }
    void OnTargetStateEvent() override { log.push_back("event"); }
    std::vector<std::string> log;
};

class CPatternFollower : public CQelPatternSink {
public:
    void OnPatternBegin(ULONG pattern) override
    {
        log.push_back("begin " + std::to_string(pattern) + " active " + std::to_string(IsPatternActive()));
    }
    void OnPatternEnd(ULONG first, ULONG second) override
    {
        log.push_back("end " + std::to_string(first) + " " + std::to_string(second) + " active " +
                      std::to_string(IsPatternActive()) + " pattern " + std::to_string(GetPattern()));
    }
    HRESULT OnPatternRange(ULONG kind, ULONG, ULONG) override { return kind == 0 ? E_FAIL : S_OK; }
    void OnPatternMode(INT mode, BYTE second) override
    {
        log.push_back("mode " + std::to_string(mode) + " " + std::to_string(second));
    }
    std::vector<std::string> log;
};

class CCommFollower : public CQelCommObjSink {
public:
    void OnCommObjectEvent(IUnknown *object, ULONG number, BOOL flag) override
    {
        from = object;
        log.push_back("first " + std::to_string(number) + " " + std::to_string(flag));
    }
    void OnCommObjectEvent2(IUnknown *, ULONG number) override { log.push_back("second " + std::to_string(number)); }
    IUnknown *from = nullptr;
    std::vector<std::string> log;
};

template <class Source>
CComPtr<Source> MakeSource()
{
    Source *source = nullptr;
    EXPECT_EQ(CreateEventSource(&source), S_OK);
    CComPtr<Source> held;
    held.Attach(source);
    return held;
}

TEST(HostSinks, TargetStateEventsReachTheHandlers)
{
    auto source = MakeSource<CHostTargetStateSource>();
    CStateFollower sink;
    ASSERT_TRUE(sink.Advise(source->GetUnknown()));
    source->FireStateChange(3, 2);
    source->FireStateNotify(7, 8);
    source->FireStateEvent();
    EXPECT_EQ(sink.log, (std::vector<std::string>{"change 3 2", "notify 7 8", "event"}));
    EXPECT_TRUE(sink.Unadvise());
    source->FireStateChange(2, 3);
    EXPECT_EQ(sink.log.size(), 3u);
}

TEST(HostSinks, UnadviseWithoutConnectionAsksNoSource)
{
    CStateFollower sink;
    EXPECT_FALSE(sink.IsAdvised());
    EXPECT_TRUE(sink.Unadvise());
    EXPECT_FALSE(sink.Advise(nullptr));
}

TEST(HostSinks, AdvisingAgainMovesTheSinkToTheSecondSource)
{
    auto first = MakeSource<CHostTargetStateSource>();
    auto second = MakeSource<CHostTargetStateSource>();
    CStateFollower sink;
    ASSERT_TRUE(sink.Advise(first->GetUnknown()));
    ASSERT_TRUE(sink.Advise(second->GetUnknown()));
    first->FireStateEvent();
    EXPECT_TRUE(sink.log.empty());
    second->FireStateEvent();
    EXPECT_EQ(sink.log.size(), 1u);
}

TEST(HostSinks, SinkKeepsItsSourceSoUnadvisingLateIsSafe)
{
    CStateFollower sink;
    {
        auto source = MakeSource<CHostTargetStateSource>();
        ASSERT_TRUE(sink.Advise(source->GetUnknown()));
    }
    // Everyone else has let the source go; it is still there for the sink to leave.
    EXPECT_TRUE(sink.Unadvise());
    EXPECT_EQ(sink.GetEventSource(), nullptr);
}

TEST(HostSinks, PatternEndRunsWhileThePatternIsStillActive)
{
    auto source = MakeSource<CHostPatternSource>();
    CPatternFollower sink;
    EXPECT_EQ(sink.GetPattern(), -1);
    EXPECT_EQ(sink.GetPatternMode(), 5);
    ASSERT_TRUE(sink.Advise(source->GetUnknown()));
    source->FirePatternBegin(4);
    EXPECT_TRUE(sink.IsPatternActive());
    source->FirePatternEnd(1, 2);
    EXPECT_FALSE(sink.IsPatternActive());
    EXPECT_EQ(sink.GetPattern(), -1);
    source->FirePatternMode(-3, 200);
    EXPECT_EQ(sink.GetPatternMode(), -3);
    EXPECT_EQ(sink.GetSecondPatternMode(), 200);
    EXPECT_EQ(sink.log, (std::vector<std::string>{"begin 4 active 1", "end 1 2 active 1 pattern 4", "mode -3 200"}));
    EXPECT_EQ(source->FirePatternRange(0, 0x100, 16), E_FAIL) << "the handler's answer goes back to the host";
    EXPECT_EQ(source->FirePatternRange(1, 0x100, 16), S_OK);
}

TEST(HostSinks, CommunicationObjectEventsCarryTheObject)
{
    auto source = MakeSource<CHostCommObjectSource>();
    CCommFollower sink;
    ASSERT_TRUE(sink.Advise(source->GetUnknown()));
    source->FireFirst(9, TRUE);
    source->FireSecond(10);
    EXPECT_EQ(sink.log, (std::vector<std::string>{"first 9 1", "second 10"}));
    EXPECT_EQ(sink.from, source->GetUnknown());
}

TEST(HostSinks, AdviseHelpersLeaveTheCookieUnconnectedOnFailure)
{
    auto source = MakeSource<CHostTargetStateSource>();
    CCommFollower sink;
    DWORD cookie = 1;
    // The source has no point of those events.
    EXPECT_TRUE(FAILED(AdviseEventSink(source->GetUnknown(), DIID__QelCommObjectEvents, sink.QelSinkUnknown(), &cookie)));
    EXPECT_EQ(cookie, kSinkNotConnected);
    CStateFollower follower;
    ASSERT_EQ(AdviseEventSink(source->GetUnknown(), DIID__TargetStateEvents, follower.QelSinkUnknown(), &cookie), S_OK);
    EXPECT_NE(cookie, kSinkNotConnected);
    EXPECT_EQ(UnadviseEventSink(source->GetUnknown(), DIID__TargetStateEvents, &cookie), S_OK);
    EXPECT_EQ(cookie, kSinkNotConnected);
}

} // namespace
