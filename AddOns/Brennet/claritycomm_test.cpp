// The X32 link against the X32 peer on a thread of its own, with the host's debug-server
// object recording the commands that the tool's requests become.
#include "claritycomm.h"
#include "x32request.h"

#include <debugserver.h>
#include <hostcmdgroups.h>
#include <x32peer.h>

#include <ddeml.h>
#include <testing/ddetesting.h>
#include <testing/messagepump.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

// A debug-server object that runs an action inside each command it is sent.
class CActingHost : public CComObjectRootEx<CComSingleThreadModel>, public IOleCommandTarget {
public:
    BEGIN_COM_MAP(CActingHost)
        COM_INTERFACE_ENTRY(IOleCommandTarget)
    END_COM_MAP()

    STDMETHODIMP QueryStatus(const GUID *, ULONG, OLECMD[], OLECMDTEXT *) override { return E_NOTIMPL; }
    STDMETHODIMP Exec(const GUID *, DWORD id, DWORD, VARIANT *, VARIANT *) override
    {
        if (onCommand)
            onCommand(id);
        return S_OK;
    }

    std::function<void(DWORD)> onCommand;
};

// A link that counts its deletion.
class CountedLink : public CClarityComm {
public:
    explicit CountedLink(int *deleted) : m_deleted(deleted) {}
    ~CountedLink() override { ++*m_deleted; }

private:
    int *m_deleted;
};

// The tool's side of the add-on's service, on the test's own thread: its requests are
// answered while it waits for them.
class ToolRequests {
public:
    ToolRequests()
    {
        DdeInitializeA(&instance_, [](UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) -> HDDEDATA {
            return nullptr;
        }, APPCMD_CLIENTONLY, 0);
        service_ = DdeCreateStringHandleA(instance_, "xdebug", CP_WINANSI);
        topic_ = DdeCreateStringHandleA(instance_, "XDEBUGTOPIC", CP_WINANSI);
        CONVCONTEXT context = {sizeof context, 0, 0, CP_WINANSI, 0, 0, {}};
        conversation_ = DdeConnect(instance_, service_, topic_, &context);
    }
    ~ToolRequests()
    {
        Drop();
        DdeFreeStringHandle(instance_, service_);
        DdeFreeStringHandle(instance_, topic_);
        DdeUninitialize(instance_);
    }
    bool Connected() const { return conversation_ != nullptr; }
    // Whether the add-on acknowledged it.
    bool Execute(const char *text)
    {
        return DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char *>(text)),
                                    static_cast<DWORD>(strlen(text) + 1), conversation_, nullptr, 0, XTYP_EXECUTE,
                                    2000, nullptr) != nullptr;
    }
    void Drop()
    {
        if (conversation_ != nullptr)
            DdeDisconnect(conversation_);
        conversation_ = nullptr;
    }

private:
    DWORD instance_ = 0;
    HSZ service_ = nullptr;
    HSZ topic_ = nullptr;
    HCONV conversation_ = nullptr;
};

void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

class ClarityComm : public ::testing::Test {
protected:
    void SetUp() override
    {
        descriptors_ = QelOpenDescriptors();
        ASSERT_EQ(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &host_,
                                             std::make_shared<QelHost::HostReports>()),
                  S_OK);
    }
    void TearDown() override
    {
        link_.Disconnect();
        peer_.reset();
        host_.Release();
        EXPECT_EQ(qelwin::dde::LiveDdeObjects(), 0u);
        EXPECT_TRUE(QelPumpMessagesUntil([this] { return QelOpenDescriptors() == descriptors_; }, 2000));
        EXPECT_TRUE(QelPumpMessagesUntil([] { return QelUnreapedChildren().empty(); }, 5000));
    }

    void StartPeer()
    {
        peer_ = std::make_unique<CX32PeerThread>();
        ASSERT_TRUE(peer_->Started());
    }
    // Lets the peer carry out `lines` while this thread answers it.
    void PeerRuns(const std::vector<std::string> &lines)
    {
        for (const std::string &line : lines)
            peer_->Run(line);
        ASSERT_TRUE(QelPumpMessagesUntil([this] { return peer_->Idle(); }));
    }
    // The commands of the host's debug command group, by number.
    std::vector<DWORD> HostCommands() const
    {
        auto *host = static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(host_.p));
        std::vector<DWORD> ids;
        for (const QelHost::HostCommand &command : host->Commands()->Commands()) {
            if (IsEqualGUID(command.group, CGID_QelHostBreakpoints))
                ids.push_back(command.id);
        }
        return ids;
    }

    QelPrivateDdeFolder folder_;
    CComPtr<IUnknown> host_;
    std::unique_ptr<CX32PeerThread> peer_;
    CClarityComm link_;
    int descriptors_ = 0;
};

} // namespace

TEST(X32Request, ReadsTheToolsTextsAsWritten)
{
    EXPECT_EQ(X32Request::Parse("XDebug -g").letter, 'g');
    for (const char *nothing : {"XDebug -gx", "xdebug -g", "XDebug", "", " XDebug -g", "XDebug g", "XDebug\n-g"})
        EXPECT_EQ(X32Request::Parse(nothing).letter, 0) << nothing;
    // A line end is part of the token it ends.
    EXPECT_EQ(X32Request::Parse("XDebug -g\r\n").letter, 0);
    X32Request windows = X32Request::Parse("XDebug -s C:\\src\\main.c 42");
    EXPECT_EQ(windows.letter, 's');
    EXPECT_STREQ(windows.LineText(), "main.c 42");
    EXPECT_STREQ(X32Request::Parse("XDebug\t-r  main.c\t42").LineText(), "main.c 42");
    EXPECT_STREQ(X32Request::Parse("XDebug -t /src/lib/util.c 7\r\n").LineText(), "util.c 7\r\n");
    EXPECT_STREQ(X32Request::Parse("XDebug -s main.c").LineText(), "");
    X32Request watch = X32Request::Parse("XDebug -v a b #count and more");
    EXPECT_EQ(watch.letter, 'v');
    EXPECT_STREQ(watch.arguments[2], "#count");
}

TEST_F(ClarityComm, SendsPositionsAndBreakpointsToTheTool)
{
    StartPeer();
    ASSERT_TRUE(link_.Connect("", host_, nullptr));
    EXPECT_TRUE(link_.IsConnected());
    EXPECT_TRUE(link_.ShowPosition(1, "main.c", 29));
    EXPECT_FALSE(link_.ShowPosition(0, "main.c", 29));
    EXPECT_FALSE(link_.ShowPosition(1, "main.c", 0));
    EXPECT_FALSE(link_.SetBreakpoint("main.c", 12, FALSE));
    EXPECT_FALSE(link_.SetBreakpoint("main.c", 0, TRUE));
    EXPECT_TRUE(link_.SetBreakpoint("main.c", 12, TRUE));
    EXPECT_TRUE(link_.SetBreakpoint("util.c", 5, TRUE));
    EXPECT_TRUE(link_.RemoveAllBreakpoints());
    // An empty list sends nothing.
    EXPECT_TRUE(link_.RemoveAllBreakpoints());
    EXPECT_TRUE(link_.SetRunState(1));
    EXPECT_EQ(peer_->Log(), (std::vector<std::string>{"Debug -d main.c 29", "Debug -s main.c 12", "Debug -s util.c 5",
                                                      "Debug -r main.c 12", "Debug -r util.c 5", "Debug -c"}));
}

TEST_F(ClarityComm, StopsRemovingAtTheFailingTransactionAndEmptiesTheList)
{
    StartPeer();
    ASSERT_TRUE(link_.Connect("", host_, nullptr));
    for (DWORD line : {10u, 20u, 30u})
        ASSERT_TRUE(link_.SetBreakpoint("main.c", line, TRUE));
    PeerRuns({"fail 2"});
    EXPECT_FALSE(link_.RemoveAllBreakpoints());
    EXPECT_TRUE(link_.RemoveAllBreakpoints());
    EXPECT_EQ(peer_->Log(), (std::vector<std::string>{"Debug -s main.c 10", "Debug -s main.c 20",
                                                      "Debug -s main.c 30", "Debug -r main.c 10", "Debug -c"}));
}

TEST_F(ClarityComm, TurnsTheToolsRequestsIntoHostCommands)
{
    StartPeer();
    ASSERT_TRUE(link_.Connect("", host_, nullptr));
    PeerRuns({"XDebug -g", "XDebug -gx", "xdebug -g", "XDebug -b", "XDebug -i", "XDebug -o", "XDebug -g\r",
              "XDebug -q", "XDebug -s main.c"});
    EXPECT_EQ(HostCommands(), (std::vector<DWORD>{7, 801, 10, 9}));

    // 512 bytes without a zero: read as 511 and ended, never past their end.
    std::vector<BYTE> full(512, ' ');
    memcpy(full.data(), "XDebug -g", 9);
    link_.Receive(full.data(), static_cast<DWORD>(full.size()));
    std::string longest = "XDebug -i" + std::string(502, ' ');
    PeerRuns({longest});
    EXPECT_EQ(HostCommands(), (std::vector<DWORD>{7, 801, 10, 9, 7, 10}));
}

TEST_F(ClarityComm, TakesOnlyTheToolsConversation)
{
    StartPeer();
    ASSERT_TRUE(link_.Connect("", host_, nullptr));
    DWORD client = 0;
    ASSERT_EQ(DdeInitializeA(&client, [](UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) -> HDDEDATA {
        return nullptr;
    }, APPCMD_CLIENTONLY, 0), static_cast<UINT>(DMLERR_NO_ERROR));
    HSZ service = DdeCreateStringHandleA(client, "XDEBUG", CP_WINANSI);
    HSZ topic = DdeCreateStringHandleA(client, "XDebugTopic", CP_WINANSI);
    HSZ other = DdeCreateStringHandleA(client, "DEBUGTOPIC", CP_WINANSI);
    CONVCONTEXT context = {sizeof context, 0, 0, CP_WINANSI, 0, 0, {}};
    EXPECT_EQ(DdeConnect(client, service, topic, nullptr), nullptr);
    EXPECT_EQ(DdeConnect(client, service, other, &context), nullptr);
    HCONV taken = DdeConnect(client, service, topic, &context);
    ASSERT_NE(taken, nullptr);
    // Ending that conversation ends the link, once its callback has returned.
    DdeDisconnect(taken);
    EXPECT_TRUE(QelPumpMessagesUntil([this] { return !link_.IsConnected(); }));
    for (HSZ string : {service, topic, other})
        DdeFreeStringHandle(client, string);
    DdeUninitialize(client);
}

TEST_F(ClarityComm, EndsWhenTheToolDropsItsConversationAndConnectsAgain)
{
    StartPeer();
    ASSERT_TRUE(link_.Connect("", host_, nullptr));
    PeerRuns({"XDebug -g", "drop"});
    EXPECT_TRUE(QelPumpMessagesUntil([this] { return !link_.IsConnected(); }));
    EXPECT_FALSE(link_.ShowPosition(1, "main.c", 3));
    ASSERT_TRUE(link_.Connect("", host_, nullptr));
    EXPECT_TRUE(link_.ShowPosition(1, "main.c", 3));
    EXPECT_EQ(peer_->Log(), std::vector<std::string>{"Debug -d main.c 3"});
}

TEST_F(ClarityComm, KeepsOneLinkPerProcess)
{
    StartPeer();
    ASSERT_TRUE(link_.Connect("", host_, nullptr));
    {
        CClarityComm second;
        EXPECT_FALSE(second.Connect("", host_, nullptr));
        EXPECT_FALSE(second.IsConnected());
        EXPECT_FALSE(second.ShowPosition(1, "main.c", 1));
        second.Disconnect();
    }
    EXPECT_TRUE(link_.ShowPosition(1, "main.c", 2));
    EXPECT_EQ(peer_->Log(), std::vector<std::string>{"Debug -d main.c 2"});
}

TEST_F(ClarityComm, StartsNothingThatIsMissingAndWaitsForNoToolThatEnds)
{
    EXPECT_FALSE(link_.Connect("/nonexistent/x32", host_, nullptr));
    EXPECT_EQ(QelUnreapedChildren(), "");
    EXPECT_FALSE(link_.Connect("/bin/true", host_, nullptr));
    EXPECT_FALSE(link_.IsConnected());
    EXPECT_EQ(qelwin::dde::LiveDdeObjects(), 0u);
}

TEST_F(ClarityComm, ALinkLetGoOrClosedInsideTheToolsRequestEndsItsInstanceAndItselfAfterTheCallback)
{
    // The tool's "XDebug -g" leads the host to switch the link off, perhaps running a
    // message loop afterwards (a dialog, say); or the tool's end arrives, and is acted on,
    // while the link carries out the request, before or without the link being let go.
    struct Case {
        const char *name;
        bool toolEndsFirst;
        bool letGo;
        bool loopAfter;
    } cases[] = {
        {"let go", false, true, false},
        {"let go, then a message loop", false, true, true},
        {"the tool ends, then let go", true, true, false},
        {"the tool ends", true, false, true},
    };
    StartPeer();
    CComObject<CActingHost> *acting = nullptr;
    ASSERT_EQ(CComObject<CActingHost>::CreateInstance(&acting), S_OK);
    CComPtr<IUnknown> host(acting->GetUnknown());
    // The peer's own.
    const size_t ddeObjects = qelwin::dde::LiveDdeObjects();
    for (const Case &c : cases) {
        int deleted = 0;
        auto *link = new CountedLink(&deleted);
        ASSERT_TRUE(link->Connect("", host, nullptr)) << c.name;
        const LONG locks = _pAtlModule->GetLockCount();
        {
            ToolRequests tool;
            ASSERT_TRUE(tool.Connected()) << c.name;
            bool acted = false;
            acting->onCommand = [&](DWORD id) {
                if (id != 7 || acted)
                    return;
                acted = true;
                if (c.toolEndsFirst) {
                    tool.Drop();
                    EXPECT_TRUE(QelPumpMessagesUntil([&] { return !link->IsConnected(); })) << c.name;
                    PumpMessages();
                }
                if (c.letGo)
                    link->Destroy();
                if (c.loopAfter)
                    PumpMessages();
                EXPECT_EQ(deleted, 0) << c.name << ": the request has not been answered yet";
            };
            bool answered = tool.Execute("XDebug -g");
            acting->onCommand = nullptr;
            ASSERT_TRUE(acted) << c.name;
            if (!c.toolEndsFirst) {
                EXPECT_TRUE(answered) << c.name << ": the request that ended the link is acknowledged";
            }
        }
        PumpMessages();
        EXPECT_EQ(deleted, c.letGo ? 1 : 0) << c.name;
        if (!c.letGo) {
            EXPECT_FALSE(link->IsConnected()) << c.name;
            delete link;
        }
        EXPECT_TRUE(QelPumpMessagesUntil([&] { return qelwin::dde::LiveDdeObjects() == ddeObjects; }, 2000))
            << c.name << ": " << qelwin::dde::LiveDdeObjects() << " DDE objects, not " << ddeObjects;
        EXPECT_EQ(_pAtlModule->GetLockCount(), locks) << c.name;
        // The X32 link is free for the next one.
        ASSERT_TRUE(link_.Connect("", host_, nullptr)) << c.name;
        EXPECT_TRUE(link_.ShowPosition(1, "main.c", 4)) << c.name;
        link_.Disconnect();
    }
    EXPECT_EQ(peer_->Log(), (std::vector<std::string>(4, "Debug -d main.c 4")));
}
