#include "ddeml.h"
#include "windows.h"

#include "testing/buildpaths.h"
#include "testing/ddetesting.h"
#include "testing/messagepump.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// What the server's callback saw, one line per transaction.
struct ServerLog {
    std::mutex lock;
    std::vector<std::string> lines;
    DWORD instance = 0;
    HSZ service = nullptr;
    HSZ topic = nullptr;

    void Add(const std::string &line)
    {
        std::lock_guard<std::mutex> hold(lock);
        lines.push_back(line);
    }
    std::vector<std::string> Lines()
    {
        std::lock_guard<std::mutex> hold(lock);
        return lines;
    }
    bool Has(const std::string &line)
    {
        std::lock_guard<std::mutex> hold(lock);
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
};

ServerLog g_server;
std::atomic<int> g_clientDisconnects{0};

HDDEDATA CALLBACK ServerCallback(UINT type, UINT, HCONV, HSZ string1, HSZ string2, HDDEDATA data, ULONG_PTR data1,
                                 ULONG_PTR data2)
{
    switch (type) {
    case XTYP_CONNECT: {
        bool ours = DdeCmpStringHandles(string1, g_server.topic) == 0 &&
                    DdeCmpStringHandles(string2, g_server.service) == 0;
        g_server.Add(std::string("connect ") + (ours ? "ours" : "other") + (data1 != 0 ? " context" : "") +
                     (data2 != 0 ? " same" : ""));
        return ours ? reinterpret_cast<HDDEDATA>(1) : nullptr;
    }
    case XTYP_CONNECT_CONFIRM:
        g_server.Add("confirm");
        return nullptr;
    case XTYP_EXECUTE: {
        char text[600] = {};
        DWORD size = DdeGetData(data, nullptr, 0, 0);
        DdeGetData(data, reinterpret_cast<LPBYTE>(text), sizeof text - 1, 0);
        g_server.Add("execute " + std::string(text) + " " + std::to_string(size));
        return strcmp(text, "refuse") == 0 ? nullptr : reinterpret_cast<HDDEDATA>(DDE_FACK);
    }
    case XTYP_DISCONNECT:
        g_server.Add("disconnect");
        return nullptr;
    default:
        return nullptr;
    }
}

HDDEDATA CALLBACK ClientCallback(UINT type, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    if (type == XTYP_DISCONNECT)
        ++g_clientDisconnects;
    return nullptr;
}

void StartServer(DWORD flags)
{
    g_server.lines.clear();
    g_server.instance = 0;
    ASSERT_EQ(DdeInitializeA(&g_server.instance, &ServerCallback, flags, 0), DMLERR_NO_ERROR);
    g_server.service = DdeCreateStringHandleA(g_server.instance, "TestService", CP_WINANSI);
    g_server.topic = DdeCreateStringHandleA(g_server.instance, "TestTopic", CP_WINANSI);
    ASSERT_NE(DdeNameService(g_server.instance, g_server.service, nullptr, DNS_REGISTER | DNS_FILTERON), nullptr);
}

void StopServer()
{
    DdeNameService(g_server.instance, g_server.service, nullptr, DNS_UNREGISTER);
    DdeFreeStringHandle(g_server.instance, g_server.service);
    DdeFreeStringHandle(g_server.instance, g_server.topic);
    DdeUninitialize(g_server.instance);
}

// The server, on a thread of its own that runs its message loop.
class ServerThread {
public:
    ServerThread()
    {
        thread_ = std::thread([this] {
            StartServer(0);
            started_ = true;
            QelPumpMessagesUntil([this] { return stop_.load(); }, 60000);
            StopServer();
        });
        while (!started_)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~ServerThread()
    {
        stop_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> started_{false};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class Client {
public:
    Client() { EXPECT_EQ(DdeInitializeA(&instance_, &ClientCallback, APPCMD_CLIENTONLY, 0), DMLERR_NO_ERROR); }
    ~Client()
    {
        for (HSZ string : strings_)
            DdeFreeStringHandle(instance_, string);
        DdeUninitialize(instance_);
    }
    DWORD Id() const { return instance_; }
    HSZ String(const char *text)
    {
        strings_.push_back(DdeCreateStringHandleA(instance_, text, CP_WINANSI));
        return strings_.back();
    }
    HCONV Connect(const char *service, const char *topic, bool withContext = true)
    {
        CONVCONTEXT context = {sizeof(CONVCONTEXT), 0, 0, CP_WINANSI, 0, 0, {}};
        return DdeConnect(instance_, String(service), String(topic), withContext ? &context : nullptr);
    }
    static bool Execute(HCONV conversation, const std::string &text, DWORD timeout = 2000, DWORD *flags = nullptr)
    {
        DWORD result = 0;
        HDDEDATA answer =
            DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char *>(text.c_str())),
                                 static_cast<DWORD>(text.size() + 1), conversation, nullptr, 0, XTYP_EXECUTE, timeout,
                                 &result);
        if (flags != nullptr)
            *flags = result;
        return answer != nullptr;
    }

private:
    DWORD instance_ = 0;
    std::vector<HSZ> strings_;
};

class DdeConversation : public ::testing::Test {
protected:
    void SetUp() override
    {
        descriptors_ = QelOpenDescriptors();
        g_clientDisconnects = 0;
    }
    void TearDown() override
    {
        EXPECT_EQ(qelwin::dde::LiveDdeObjects(), 0u);
        // The threads' queues let go of their sockets once the instances are gone.
        EXPECT_TRUE(QelPumpMessagesUntil([this] { return QelOpenDescriptors() == descriptors_; }, 2000));
        EXPECT_EQ(QelUnreapedChildren(), "");
    }

    // The DDE peer program serving "PeerService", connected.
    HCONV StartPeer(Client &client, PROCESS_INFORMATION *process)
    {
        setenv("QEL_DDEPEER_MODE", "serve", 1);
        STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
        EXPECT_TRUE(CreateProcessA(kQelDdePeerPath, nullptr, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                                   nullptr, nullptr, &startup, process));
        EXPECT_EQ(WaitForInputIdle(process->hProcess, 10000), 0u);
        return client.Connect("peerSERVICE", "PeerTopic");
    }
    static void EndPeer(PROCESS_INFORMATION &process)
    {
        EXPECT_EQ(WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }

    QelPrivateDdeFolder folder_;
    int descriptors_ = 0;
};

} // namespace

TEST_F(DdeConversation, CarriesExecutesBetweenThreadsWithNamesBlindToCase)
{
    {
        ServerThread server;
        Client client;
        EXPECT_EQ(client.Connect("NoSuchService", "TestTopic"), nullptr);
        EXPECT_EQ(DdeGetLastError(client.Id()), static_cast<UINT>(DMLERR_NO_CONV_ESTABLISHED));
        EXPECT_EQ(client.Connect("TestService", "OtherTopic"), nullptr);
        HCONV conversation = client.Connect("TESTSERVICE", "testtopic");
        ASSERT_NE(conversation, nullptr);

        std::string long512(511, 'x');
        EXPECT_TRUE(Client::Execute(conversation, "Debug -d main.c 29"));
        EXPECT_TRUE(Client::Execute(conversation, long512));
        DWORD flags = 1;
        EXPECT_FALSE(Client::Execute(conversation, "refuse", 2000, &flags));
        EXPECT_EQ(flags, 0u);
        EXPECT_EQ(DdeGetLastError(client.Id()), static_cast<UINT>(DMLERR_NOTPROCESSED));
        EXPECT_TRUE(DdeDisconnect(conversation));
        EXPECT_FALSE(DdeDisconnect(conversation));
        EXPECT_FALSE(Client::Execute(conversation, "after"));
        ASSERT_TRUE(QelPumpMessagesUntil([] { return g_server.Has("disconnect"); }));
        EXPECT_EQ(g_server.Lines(),
                  (std::vector<std::string>{"connect other context", "connect ours context", "confirm",
                                            "execute Debug -d main.c 29 19", "execute " + long512 + " 512",
                                            "execute refuse 7", "disconnect"}));
        EXPECT_EQ(g_clientDisconnects, 0);
    }
}

TEST_F(DdeConversation, AnswersAClientOnTheServersOwnThread)
{
    StartServer(0);
    {
        Client client;
        HCONV conversation = client.Connect("testservice", "TestTopic", false);
        ASSERT_NE(conversation, nullptr);
        EXPECT_TRUE(Client::Execute(conversation, "same thread"));
        // The server's own instance talking to itself is told so.
        HSZ service = DdeCreateStringHandleA(g_server.instance, "TestService", CP_WINANSI);
        HCONV self = DdeConnect(g_server.instance, service, g_server.topic, nullptr);
        EXPECT_NE(self, nullptr);
        DdeDisconnect(self);
        DdeFreeStringHandle(g_server.instance, service);
    }
    ASSERT_TRUE(QelPumpMessagesUntil([] { return g_server.Lines().size() >= 7; }));
    EXPECT_EQ(g_server.Lines(), (std::vector<std::string>{"connect ours", "confirm", "execute same thread 12",
                                                          "connect ours same", "confirm", "disconnect",
                                                          "disconnect"}));
    StopServer();

    // Refused before the callback is asked.
    StartServer(CBF_FAIL_SELFCONNECTIONS);
    HCONV self = DdeConnect(g_server.instance, g_server.service, g_server.topic, nullptr);
    EXPECT_EQ(self, nullptr);
    EXPECT_EQ(g_server.Lines(), std::vector<std::string>{});
    StopServer();
}

TEST_F(DdeConversation, ReachesAnotherProcessAndTimesOut)
{
    Client client;
    PROCESS_INFORMATION process = {};
    HCONV conversation = StartPeer(client, &process);
    ASSERT_NE(conversation, nullptr);
    EXPECT_TRUE(Client::Execute(conversation, "hello"));

    auto begin = std::chrono::steady_clock::now();
    EXPECT_FALSE(Client::Execute(conversation, "sleep 3000", 2000));
    auto waited = std::chrono::steady_clock::now() - begin;
    EXPECT_EQ(DdeGetLastError(client.Id()), static_cast<UINT>(DMLERR_EXECACKTIMEOUT));
    EXPECT_GE(waited, std::chrono::milliseconds(1900));
    EXPECT_LT(waited, std::chrono::milliseconds(2900));

    // The late answer to the sleep is no answer to what comes next.
    EXPECT_TRUE(Client::Execute(conversation, "quit", 5000));
    EXPECT_TRUE(QelPumpMessagesUntil([] { return g_clientDisconnects == 1; }));
    EXPECT_FALSE(Client::Execute(conversation, "gone"));
    EndPeer(process);
}

TEST_F(DdeConversation, TellsTheClientWhenItsPeerIsKilled)
{
    Client client;
    PROCESS_INFORMATION process = {};
    HCONV conversation = StartPeer(client, &process);
    ASSERT_NE(conversation, nullptr);
    kill(static_cast<pid_t>(process.dwProcessId), SIGKILL);
    EXPECT_TRUE(QelPumpMessagesUntil([] { return g_clientDisconnects == 1; }));
    EXPECT_FALSE(Client::Execute(conversation, "gone"));
    EndPeer(process);
    // Its socket is left behind; the next look for the service clears it away.
    EXPECT_EQ(client.Connect("PeerService", "PeerTopic"), nullptr);
    EXPECT_TRUE(qelwin::dde::ServiceSockets("PeerService").empty());
}

TEST_F(DdeConversation, EndsAConversationWhoseFrameIsMalformed)
{
    StartServer(0);
    std::vector<std::string> sockets = qelwin::dde::ServiceSockets("testservice");
    ASSERT_EQ(sockets.size(), 1u);
    for (std::vector<uint8_t> bytes : {std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x7F}, std::vector<uint8_t>{1, 0, 0, 0, 42},
                                       std::vector<uint8_t>{5, 0, 0, 0, 3, 1, 0, 0, 0}}) {
        int fd = qelwin::dde::ConnectToSocket(sockets[0]);
        ASSERT_GE(fd, 0);
        ASSERT_TRUE(qelwin::dde::SendAll(fd, bytes));
        // The server hangs up.
        EXPECT_TRUE(QelPumpMessagesUntil([fd] {
            pollfd polled = {fd, POLLIN, 0};
            char byte;
            return poll(&polled, 1, 0) == 1 && recv(fd, &byte, 1, MSG_DONTWAIT) == 0;
        }));
        close(fd);
    }
    EXPECT_EQ(g_server.Lines(), std::vector<std::string>{});
    StopServer();
}

TEST_F(DdeConversation, RefusesAFolderThatOthersMayEnter)
{
    std::string folder = testing::TempDir() + "qeldde-open-XXXXXX";
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    chmod(folder.c_str(), 0755);
    setenv("QEL_DDE_DIR", folder.c_str(), 1);
    DWORD instance = 0;
    EXPECT_EQ(DdeInitializeA(&instance, &ClientCallback, 0, 0), static_cast<UINT>(DMLERR_SYS_ERROR));
    chmod(folder.c_str(), 0700);
    EXPECT_EQ(DdeInitializeA(&instance, &ClientCallback, 0, 0), static_cast<UINT>(DMLERR_NO_ERROR));
    DdeUninitialize(instance);
    unsetenv("QEL_DDE_DIR");
    rmdir(folder.c_str());
}
