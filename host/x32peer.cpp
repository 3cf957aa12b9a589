#include "x32peer.h"

#include <ddeml.h>

#include <cstdlib>
#include <cstring>

namespace {

CX32Peer *g_peer = nullptr;

bool StartsWith(const std::string &line, const char *word)
{
    size_t length = strlen(word);
    return line.compare(0, length, word) == 0 && (line.size() == length || line[length] == ' ');
}

} // namespace

class X32PeerCallbacks {
public:
    static HDDEDATA CALLBACK Dde(UINT type, UINT, HCONV conversation, HSZ string1, HSZ string2, HDDEDATA data,
                                 ULONG_PTR, ULONG_PTR)
    {
        CX32Peer *peer = g_peer;
        if (peer == nullptr)
            return nullptr;
        switch (type) {
        case XTYP_CONNECT:
            return reinterpret_cast<HDDEDATA>(DdeCmpStringHandles(string1, peer->topic_) == 0 &&
                                              DdeCmpStringHandles(string2, peer->service_) == 0);
        case XTYP_CONNECT_CONFIRM:
            ++peer->served_;
            peer->everServed_ = true;
            return nullptr;
        case XTYP_DISCONNECT:
            if (conversation == peer->toAddOn_)
                peer->toAddOn_ = nullptr;
            else if (peer->served_ > 0)
                --peer->served_;
            return nullptr;
        case XTYP_EXECUTE: {
            if (peer->failAt_ != 0 && ++peer->executes_ == peer->failAt_) {
                peer->failAt_ = 0;
                return nullptr;
            }
            DWORD size = DdeGetData(data, nullptr, 0, 0);
            std::string text(size, '\0');
            DdeGetData(data, reinterpret_cast<LPBYTE>(text.data()), size, 0);
            text.resize(strnlen(text.c_str(), text.size()));
            peer->log_(text);
            return reinterpret_cast<HDDEDATA>(DDE_FACK);
        }
        default:
            return nullptr;
        }
    }
};

CX32Peer::CX32Peer(std::function<void(const std::string &)> log) : log_(std::move(log)) {}

CX32Peer::~CX32Peer()
{
    Stop();
}

bool CX32Peer::Start()
{
    if (g_peer != nullptr)
        return false;
    if (DdeInitializeA(&instance_, &X32PeerCallbacks::Dde, CBF_FAIL_ADVISES | CBF_FAIL_POKES | CBF_FAIL_REQUESTS, 0) !=
        DMLERR_NO_ERROR)
        return false;
    g_peer = this;
    service_ = DdeCreateStringHandleA(instance_, "wxedt", CP_WINANSI);
    topic_ = DdeCreateStringHandleA(instance_, "DEBUGTOPIC", CP_WINANSI);
    addOnService_ = DdeCreateStringHandleA(instance_, "xdebug", CP_WINANSI);
    addOnTopic_ = DdeCreateStringHandleA(instance_, "XDEBUGTOPIC", CP_WINANSI);
    if (DdeNameService(instance_, service_, nullptr, DNS_REGISTER) == nullptr) {
        Stop();
        return false;
    }
    return true;
}

bool CX32Peer::Run(const std::string &line)
{
    if (line == "exit")
        return false;
    if (line == "drop") {
        if (toAddOn_ != nullptr)
            DdeDisconnect(toAddOn_);
        toAddOn_ = nullptr;
        return true;
    }
    if (StartsWith(line, "sleep")) {
        Wait(static_cast<DWORD>(strtoul(line.c_str() + 5, nullptr, 10)));
        return true;
    }
    if (StartsWith(line, "fail")) {
        failAt_ = strtol(line.c_str() + 4, nullptr, 10);
        executes_ = 0;
        return true;
    }
    if (toAddOn_ == nullptr) {
        CONVCONTEXT context = {sizeof(CONVCONTEXT), 0, 0, CP_WINANSI, 0, 0, {}};
        toAddOn_ = DdeConnect(instance_, addOnService_, addOnTopic_, &context);
    }
    if (toAddOn_ != nullptr) {
        DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char *>(line.c_str())),
                             static_cast<DWORD>(line.size() + 1), toAddOn_, nullptr, 0, XTYP_EXECUTE, 2000, nullptr);
    }
    return true;
}

void CX32Peer::Wait(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    // The timer ends the wait when no message comes.
    UINT_PTR tick = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, nullptr);
    MSG message;
    while (GetTickCount() - start < milliseconds && GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    KillTimer(nullptr, tick);
}

bool CX32Peer::Abandoned() const
{
    return everServed_ && served_ == 0;
}

void CX32Peer::Stop()
{
    if (g_peer != this)
        return;
    if (toAddOn_ != nullptr)
        DdeDisconnect(toAddOn_);
    DdeNameService(instance_, nullptr, nullptr, DNS_UNREGISTER);
    for (HSZ string : {service_, topic_, addOnService_, addOnTopic_}) {
        if (string != nullptr)
            DdeFreeStringHandle(instance_, string);
    }
    DdeUninitialize(instance_);
    instance_ = 0;
    toAddOn_ = nullptr;
    service_ = topic_ = addOnService_ = addOnTopic_ = nullptr;
    g_peer = nullptr;
}

CX32PeerThread::CX32PeerThread()
{
    thread_ = std::thread([this] { Main(); });
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [this] { return ready_; });
}

CX32PeerThread::~CX32PeerThread()
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        stop_ = true;
    }
    thread_.join();
}

void CX32PeerThread::Run(const std::string &line)
{
    std::lock_guard<std::mutex> hold(lock_);
    lines_.push_back(line);
}

bool CX32PeerThread::Idle()
{
    std::lock_guard<std::mutex> hold(lock_);
    return lines_.empty() && !busy_;
}

std::vector<std::string> CX32PeerThread::Log()
{
    std::lock_guard<std::mutex> hold(lock_);
    return log_;
}

void CX32PeerThread::Main()
{
    CX32Peer peer([this](const std::string &line) {
        std::lock_guard<std::mutex> hold(lock_);
        log_.push_back(line);
    });
    {
        std::lock_guard<std::mutex> hold(lock_);
        started_ = peer.Start();
        ready_ = true;
    }
    changed_.notify_all();
    // The timer makes the loop look at the queue between messages.
    UINT_PTR tick = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, nullptr);
    for (;;) {
        std::string line;
        {
            std::lock_guard<std::mutex> hold(lock_);
            if (stop_)
                break;
            if (!lines_.empty()) {
                line = lines_.front();
                lines_.pop_front();
                busy_ = true;
            }
        }
        if (busy_) {
            peer.Run(line);
            std::lock_guard<std::mutex> hold(lock_);
            busy_ = false;
            continue;
        }
        MSG message;
        if (GetMessageA(&message, nullptr, 0, 0) <= 0)
            break;
        DispatchMessageA(&message);
    }
    KillTimer(nullptr, tick);
    peer.Stop();
}
