// The EasyCODE link against the EasyCODE double, with the host's debug-server object
// recording the commands that the tool's events become and the link's trace lines.
#include "easycodecomm.h"

#include <debugserver.h>
#include <hostcmdgroups.h>
#include <hostecdebug.h>
#include <qelhostscript.h>

#include <testing/comallocbalance.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Lines;

// A link that counts its deletion.
class CountedLink : public CEasyCodeComm {
public:
    explicit CountedLink(int *deleted) : m_deleted(deleted) {}
    ~CountedLink() override { ++*m_deleted; }

private:
    int *m_deleted;
};

void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

CComVariant I4(LONG value)
{
    CComVariant v;
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

class EasyCodeComm : public ComAllocBalance {
protected:
    void SetUp() override
    {
        ComAllocBalance::SetUp();
        reports_ = std::make_shared<QelHost::HostReports>();
        ASSERT_EQ(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &host_, reports_), S_OK);
        reports_->SetLevel(10);
    }
    void TearDown() override
    {
        link_.reset();
        tool_.OnCall(nullptr);
        PumpMessages();
        tool_.Off();
        tool_.TakeCalls();
        host_.Release();
        ComAllocBalance::TearDown();
    }
    QelHost::CHostDebugServer *Host() const
    {
        return static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(host_.p));
    }
    // Connected with EasyCODE there; its Init and slot 17 taken.
    void Connect()
    {
        ASSERT_EQ(tool_.On(true), S_OK);
        ASSERT_TRUE(link_->Connect("EasyCODE Debug Interface", host_, nullptr));
        ASSERT_EQ(Calls(), (Lines{"21 bstr:\"QEL Debugee\"", "17"}));
    }
    // The calls EasyCODE received since the last look: "[2:]SLOT VALUE...".
    Lines Calls()
    {
        Lines lines;
        for (const QelHost::EcDebugCall &call : tool_.TakeCalls())
            lines.push_back(QelHost::FormatEcDebugCall(call));
        return lines;
    }
    // The host's breakpoint-group commands since the last look: "ID VALUE...".
    Lines HostCommands()
    {
        Lines lines;
        std::vector<QelHost::HostCommand> commands = Host()->Commands()->Commands();
        for (size_t i = commandsSeen_; i < commands.size(); ++i) {
            if (!IsEqualGUID(commands[i].group, CGID_QelHostBreakpoints))
                continue;
            std::string line = std::to_string(commands[i].id);
            CVariantArray values(&commands[i].input, FALSE);
            for (int v = 0; commands[i].input.vt != VT_EMPTY && v < values.GetSize(); ++v)
                line += " " + QelHost::FormatValue(values[v].GetValue());
            lines.push_back(line);
        }
        commandsSeen_ = commands.size();
        return lines;
    }
    Lines Traces()
    {
        Lines lines;
        std::vector<QelHost::HostTraceLine> all = reports_->TraceLines();
        for (size_t i = tracesSeen_; i < all.size(); ++i) {
            const QelHost::HostTraceLine &line = all[i];
            EXPECT_EQ(line.kind, 2);
            EXPECT_EQ(line.source, "EasyCode Add-on");
            lines.push_back(line.text.substr(0, line.text.find(", Time:")));
        }
        tracesSeen_ = all.size();
        return lines;
    }
    HRESULT Fire(int iface, DISPID dispid, std::vector<CComVariant> args = {}, std::vector<CComVariant> *outs = nullptr)
    {
        HRESULT answer = E_UNEXPECTED;
        EXPECT_TRUE(tool_.Fire(iface, dispid, args, &answer, outs));
        return answer;
    }

    std::shared_ptr<QelHost::HostReports> reports_;
    CComPtr<IUnknown> host_;
    QelHost::EcDebugDouble tool_;
    std::unique_ptr<CEasyCodeComm> link_ = std::make_unique<CEasyCodeComm>();
    size_t commandsSeen_ = 0;
    size_t tracesSeen_ = 0;
};

TEST_F(EasyCodeComm, PositionsFollowTheStepEventsAndRunStatesTheirSlots)
{
    Connect();
    EXPECT_EQ(link_->ToolSink().FirstCookie() != 0xFEFEFEFE && link_->ToolSink().SecondCookie() != 0xFEFEFEFE, true);
    EXPECT_TRUE(link_->ShowPosition(1, "main.c", 29));
    EXPECT_FALSE(link_->ShowPosition(0, "main.c", 29));
    EXPECT_FALSE(link_->ShowPosition(1, "main.c", 0));
    EXPECT_EQ(Fire(1, 5), S_OK);
    EXPECT_TRUE(link_->ShowPosition(1, "main.c", 30));
    EXPECT_TRUE(link_->ShowPosition(1, "main.c", 31));
    EXPECT_EQ(Fire(1, 6), S_OK);
    EXPECT_TRUE(link_->ShowPosition(1, "util.c", 4));
    EXPECT_EQ(Fire(1, 7), S_OK);
    EXPECT_TRUE(link_->ShowPosition(1, "util.c", 5));
    EXPECT_EQ(Calls(), (Lines{"9 bstr:main.c i4:29", "12 bstr:main.c i4:30", "9 bstr:main.c i4:31",
                              "13 bstr:util.c i4:4", "14 bstr:util.c i4:5"}));
    EXPECT_EQ(HostCommands(), (Lines{"9", "10", "11"}));

    // The run mode: none yet, 1 once the link was asked whether it stands, 2 while the
    // program runs; event 8 of the second interface passes it on.
    EXPECT_EQ(link_->RunMode(), 0u);
    EXPECT_EQ(Fire(2, 8), S_OK);
    EXPECT_TRUE(link_->IsConnected());
    EXPECT_EQ(Fire(2, 8), S_OK);
    EXPECT_TRUE(link_->SetRunState(3));
    EXPECT_EQ(Fire(2, 8), S_OK);
    EXPECT_TRUE(link_->SetRunState(0));
    EXPECT_EQ(Calls(), (Lines{"2:10 i4:0", "2:10 i4:1", "10", "2:10 i4:2", "17"}));
    // Event 7 shows the stored position, event 4 resets it after host command 12.
    EXPECT_EQ(Fire(2, 7), S_OK);
    EXPECT_EQ(Fire(2, 4), S_OK);
    EXPECT_EQ(Fire(2, 7), S_OK);
    EXPECT_EQ(Calls(), (Lines{"9 bstr:util.c i4:5", "9 bstr:\"\" i4:1", "9 bstr:\"\" i4:1"}));
    EXPECT_EQ(HostCommands(), (Lines{"12"}));
}

TEST_F(EasyCodeComm, EveryEventSendsItsHostCommandOrSlot)
{
    Connect();
    struct Case {
        DISPID dispid;
        std::vector<CComVariant> args;
        HRESULT answer;
        Lines host, calls;
    } cases[] = {
        {8, {}, S_OK, {}, {"15"}},
        {9, {}, S_OK, {}, {"10"}},
        {10, {}, S_OK, {"7"}, {}},
        {11, {}, S_OK, {"801"}, {}},
        {12, {}, S_OK, {"801"}, {}},
        {16, {}, S_OK, {}, {}},
        {17, {CComVariant("Other")}, S_OK, {}, {"21 bstr:Other"}},
        {18, {}, S_OK, {"798 bool:false"}, {}},
        {20, {}, S_OK, {"5 u4:8 bool:1"}, {}},
        {22, {}, S_OK, {"5 u4:8 bool:false"}, {}},
        // Without a symbol server no lookup can be made, and no watch without a name.
        {1, {CComVariant("main.c"), I4(3)}, E_FAIL, {}, {}},
        {13, {CComVariant("")}, E_FAIL, {}, {}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Fire(1, c.dispid, c.args), c.answer) << c.dispid;
        EXPECT_EQ(HostCommands(), c.host) << c.dispid;
        EXPECT_EQ(Calls(), c.calls) << c.dispid;
    }
    EXPECT_EQ(Traces(), Lines{"Function 'Go to selection' not implemented"});

    // The two questions of the second interface get no answer, and no garbage: the out
    // text comes back null and the number 0.
    std::vector<CComVariant> outs;
    EXPECT_EQ(Fire(2, 1, {CComVariant("main.c"), I4(3), CComVariant("x"), I4(4)}), E_FAIL);
    EXPECT_EQ(Fire(2, 2, {CComVariant("main.c"), I4(3), CComVariant("garbage"), I4(77)}, &outs), E_FAIL);
    ASSERT_EQ(outs.size(), 2u);
    EXPECT_EQ(outs[0].vt, VT_BSTR);
    EXPECT_EQ(outs[0].bstrVal, nullptr);
    EXPECT_EQ(outs[1].lVal, 0);
}

TEST_F(EasyCodeComm, StoredBreakpointsGoAgainByFileInAnyCaseAndStopAtTheFirstFailure)
{
    Connect();
    EXPECT_TRUE(link_->SetBreakpoint("main.c", 12, TRUE));
    EXPECT_TRUE(link_->SetBreakpoint("util.c", 5, FALSE));
    EXPECT_TRUE(link_->SetBreakpoint("MAIN.C", 30, TRUE));
    EXPECT_FALSE(link_->SetBreakpoint("main.c", 0, TRUE));
    EXPECT_EQ(Calls(), (Lines{"26 bstr:main.c i4:12 i4:1 i4:1", "26 bstr:util.c i4:5 i4:0 i4:1",
                              "26 bstr:MAIN.C i4:30 i4:1 i4:1"}));
    EXPECT_EQ(Fire(2, 6, {CComVariant("Main.C")}), S_OK);
    EXPECT_EQ(Calls(), (Lines{"26 bstr:main.c i4:12 i4:1 i4:1", "26 bstr:MAIN.C i4:30 i4:1 i4:1"}));
    EXPECT_EQ(Fire(2, 6, {CComVariant("other.c")}), E_FAIL);
    EXPECT_EQ(Fire(2, 5), S_OK);
    EXPECT_EQ(Calls().size(), 3u);
    tool_.SetFailure(1, 26, E_FAIL);
    EXPECT_EQ(Fire(2, 5), E_FAIL);
    EXPECT_EQ(Calls(), Lines{"26 bstr:main.c i4:12 i4:1 i4:1"});
    EXPECT_FALSE(link_->SetBreakpoint("main.c", 40, TRUE));
    // A file with none sends nothing.
    EXPECT_EQ(Fire(1, 19, {CComVariant("none.c")}), E_FAIL);
    EXPECT_EQ(HostCommands(), Lines{});
    EXPECT_TRUE(link_->RemoveAllBreakpoints());
    EXPECT_EQ(Calls(), (Lines{"26 bstr:main.c i4:40 i4:1 i4:1", "32 i4:1"}));
    EXPECT_EQ(Fire(2, 5), S_OK);
    EXPECT_EQ(Calls(), Lines{});
}

TEST_F(EasyCodeComm, WithoutEasyCodeOrItsSecondInterfaceTheLinkTracesWhyAndAnswersZero)
{
    EXPECT_FALSE(link_->Connect("EasyCODE Debug Interface", host_, nullptr));
    EXPECT_FALSE(link_->IsConnected());
    EXPECT_EQ(Traces(), Lines{"CEcDebugClient():\nError creating EasyCODE Debug object:\nhResult = "
                              "m_ptrEcDebug.CoCreateInstance(CLSID_EcDebug);\nhResult==80040154"});

    ASSERT_EQ(tool_.On(false), S_OK);
    Traces();
    link_ = std::make_unique<CEasyCodeComm>();
    EXPECT_FALSE(link_->Connect("EasyCODE Debug Interface", host_, nullptr));
    EXPECT_FALSE(link_->ShowPosition(1, "main.c", 3));
    EXPECT_FALSE(link_->SetBreakpoint("main.c", 3, TRUE));
    EXPECT_FALSE(link_->SetRunState(0));
    EXPECT_FALSE(link_->ShowValue("x", CComVariant(1)));
    EXPECT_FALSE(link_->IsConnected());
    const char *unable = "The CEcDebugClient object could not be initialized correctly and is unable to work!";
    EXPECT_EQ(Traces(), (Lines{"CEcDebugClient():\nError retrieving pointer to second debug interface IEcDebug2",
                               unable, unable, unable, unable, unable}));
    EXPECT_EQ(Calls(), Lines{});

    // Init refused: its HRESULT told, the link not made.
    ASSERT_EQ(tool_.On(true), S_OK);
    tool_.SetFailure(1, 21, E_ACCESSDENIED);
    Traces();
    link_ = std::make_unique<CEasyCodeComm>();
    EXPECT_FALSE(link_->Connect("EasyCODE Debug Interface", host_, nullptr));
    EXPECT_EQ(Traces(), Lines{"Init():\nFehler bei hr = m_ptrEcDebug->Init(...);\nhr==80070005"});
}

TEST_F(EasyCodeComm, DisconnectEndsTheToolsEventsAndTheLinksEndTellsTheTool)
{
    Connect();
    EXPECT_EQ(tool_.Sinks(1), 1);
    EXPECT_EQ(tool_.Sinks(2), 1);
    link_->Disconnect();
    EXPECT_EQ(tool_.Sinks(1), 0) << "no event may reach a link that has no host any more";
    EXPECT_EQ(tool_.Sinks(2), 0);
    EXPECT_EQ(link_->ToolSink().FirstCookie(), 0xFEFEFEFEu);
    link_.reset();
    EXPECT_EQ(Calls(), Lines{"15"});
}

TEST_F(EasyCodeComm, ALinkLetGoInsideTheToolsCallEndsTheToolAtOnceAndIsDeletedAfterTheEvent)
{
    // Each event, and the call of the tool in which the add-on lets the link go (the tool
    // pumps its messages while it is called, say, and the user switches the link off).
    struct Case {
        int iface;
        DISPID dispid;
        std::vector<CComVariant> args;
        std::string during;
    } cases[] = {
        {1, 9, {}, "10"},
        {1, 17, {CComVariant("Other")}, "21 bstr:Other"},
        {2, 4, {}, "9 bstr:\"\" i4:1"},
        {2, 5, {}, "26 bstr:main.c i4:12 i4:1 i4:1"},
        {2, 6, {CComVariant("MAIN.C")}, "26 bstr:main.c i4:12 i4:1 i4:1"},
        {2, 7, {}, "9 bstr:main.c i4:3"},
        {2, 8, {}, "2:10 i4:0"},
    };
    for (const Case &c : cases) {
        int deleted = 0;
        link_ = std::make_unique<CountedLink>(&deleted);
        Connect();
        ASSERT_TRUE(link_->ShowPosition(1, "main.c", 3));
        ASSERT_TRUE(link_->SetBreakpoint("main.c", 12, TRUE));
        ASSERT_TRUE(link_->SetBreakpoint("Main.c", 14, TRUE));
        Calls();
        bool letGo = false;
        tool_.OnCall([&](const QelHost::EcDebugCall &call) {
            if (!letGo && QelHost::FormatEcDebugCall(call) == c.during) {
                letGo = true;
                link_.release()->Destroy();
            }
        });
        Fire(c.iface, c.dispid, c.args);
        tool_.OnCall(nullptr);
        ASSERT_TRUE(letGo) << c.dispid;
        // The tool hears that debugging ends, and nothing after it.
        EXPECT_EQ(Calls(), (Lines{c.during, "15"})) << c.iface << ":" << c.dispid;
        EXPECT_EQ(tool_.Sinks(1) + tool_.Sinks(2), 0) << c.dispid;
        EXPECT_EQ(deleted, 0) << "the tool's call into the sink has not returned yet";
        PumpMessages();
        EXPECT_EQ(deleted, 1) << c.dispid;
        EXPECT_EQ(Calls(), Lines{}) << c.dispid;
    }
}

TEST_F(EasyCodeComm, ADisconnectDuringAnEventLeavesTheLinkToConnectAgainAndTheOldToolUnheard)
{
    Connect();
    tool_.OnCall([&](const QelHost::EcDebugCall &call) {
        if (call.slot == 10)
            link_->Disconnect();
    });
    EXPECT_EQ(Fire(1, 9), S_OK);
    tool_.OnCall(nullptr);
    EXPECT_EQ(tool_.Sinks(1) + tool_.Sinks(2), 0);
    EXPECT_EQ(Fire(1, 10), S_OK) << "no sink is left to answer";
    EXPECT_EQ(HostCommands(), Lines{});

    // A new link makes a new object of the tool, advised once; the old one stays unheard.
    link_->Connect("EasyCODE Debug Interface", host_, nullptr);
    EXPECT_EQ(Calls(), (Lines{"10", "21 bstr:\"QEL Debugee\"", "17"}));
    EXPECT_EQ(tool_.Sinks(1), 1);
    EXPECT_EQ(Fire(1, 10), S_OK);
    EXPECT_EQ(HostCommands(), Lines{"7"});

    // Events after the link is gone, from a tool that is still there, reach nothing.
    CComPtr<IEcDebug> stays = tool_.Newest();
    link_.reset();
    EXPECT_EQ(Calls(), Lines{"15"});
    for (DISPID dispid : {5, 8, 10, 13})
        EXPECT_EQ(Fire(1, dispid, dispid == 13 ? std::vector<CComVariant>{CComVariant("x")} : std::vector<CComVariant>{}),
                  S_OK);
    EXPECT_EQ(Fire(2, 4), S_OK);
    EXPECT_EQ(Calls(), Lines{});
    EXPECT_EQ(HostCommands(), Lines{});
}

TEST_F(EasyCodeComm, AToolThatFailsEverySlotGetsEachCallOnceAndEveryAnswerIsAFailure)
{
    Connect();
    ASSERT_TRUE(link_->SetBreakpoint("main.c", 12, TRUE));
    Calls();
    for (int slot = 3; slot <= 32; ++slot)
        tool_.SetFailure(1, slot, E_FAIL);
    tool_.SetFailure(2, 10, E_FAIL);
    EXPECT_FALSE(link_->SetBreakpoint("main.c", 13, TRUE));
    EXPECT_FALSE(link_->RemoveAllBreakpoints());
    EXPECT_FALSE(link_->SetRunState(0));
    EXPECT_FALSE(link_->SetRunState(1));
    EXPECT_FALSE(link_->ShowValue("x", CComVariant(1)));
    EXPECT_EQ(Calls(), (Lines{"26 bstr:main.c i4:13 i4:1 i4:1", "32 i4:1", "17", "10", "18 bstr:x i4:1"}));
    EXPECT_FALSE(link_->SetBreakpoint("main.c", 14, TRUE)) << "kept, though the tool refused it";
    Calls();
    struct Case {
        int iface;
        DISPID dispid;
        std::vector<CComVariant> args;
        Lines calls;
    } cases[] = {
        {1, 8, {}, {"15"}},
        {1, 9, {}, {"10"}},
        {1, 17, {CComVariant("Other")}, {"21 bstr:Other"}},
        {2, 5, {}, {"26 bstr:main.c i4:14 i4:1 i4:1"}},
        {2, 6, {CComVariant("main.c")}, {"26 bstr:main.c i4:14 i4:1 i4:1"}},
        {2, 7, {}, {"9 bstr:\"\" i4:1"}},
        {2, 8, {}, {"2:10 i4:2"}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Fire(c.iface, c.dispid, c.args), E_FAIL) << c.iface << ":" << c.dispid;
        EXPECT_EQ(Calls(), c.calls) << c.iface << ":" << c.dispid;
    }
    EXPECT_EQ(Traces(), Lines{});
    // A link that cannot even start is not made.
    link_ = std::make_unique<CEasyCodeComm>();
    EXPECT_FALSE(link_->Connect("EasyCODE Debug Interface", host_, nullptr));
    EXPECT_EQ(Calls(), (Lines{"15", "21 bstr:\"QEL Debugee\""}));
    EXPECT_EQ(Traces(), Lines{"Init():\nFehler bei hr = m_ptrEcDebug->Init(...);\nhr==80004005"});
}

} // namespace
