// DDE services, conversations and execute transactions as a client starts them.
#include "ddeinstance.h"

#include "processthreads.h"

#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace qelwin::dde {

namespace {

// A server whose thread is busy (starting up, or in a long command) answers late, but
// one that never answers must not hold the client for ever.
constexpr DWORD kConnectWait = 30000;
constexpr DWORD kTimeoutAsync = 0xFFFFFFFF;

// With Lock() held: the instance, when the calling thread is its own.
std::shared_ptr<Instance> OwnInstance(DWORD id)
{
    std::shared_ptr<Instance> instance = FindInstance(id);
    if (instance != nullptr && instance->thread != GetCurrentThreadId()) {
        instance->lastError = DMLERR_DLL_USAGE;
        return nullptr;
    }
    return instance;
}

HCONV TryService(const std::shared_ptr<Instance> &instance, const std::string &path, const Frame &request)
{
    int fd = ConnectToSocket(path);
    if (fd < 0)
        return nullptr;
    auto conversation = std::make_shared<Conversation>(fd);
    conversation->instance = instance->id;
    conversation->client = true;
    conversation->service = request.service;
    conversation->topic = request.topic;
    bool watched = false;
    {
        std::lock_guard<std::mutex> hold(Lock());
        watched = WatchConversation(*instance, conversation);
        instance->conversations.push_back(conversation);
    }
    if (watched && SendAll(fd, EncodeFrame(request))) {
        WaitOnOwnThread(*instance, kConnectWait, [&] {
            return conversation->answered || conversation->state == Conversation::State::Ended;
        });
    }
    std::lock_guard<std::mutex> hold(Lock());
    if (conversation->answered && conversation->accepted && conversation->state == Conversation::State::Pending &&
        !instance->stopping) {
        conversation->state = Conversation::State::Connected;
        return AddConversationHandle(conversation);
    }
    CloseHere(*instance, conversation);
    return nullptr;
}

} // namespace

} // namespace qelwin::dde

using namespace qelwin::dde;

HDDEDATA DdeNameService(DWORD id, HSZ service, HSZ reserved, UINT command)
{
    std::lock_guard<std::mutex> hold(Lock());
    std::shared_ptr<Instance> instance = OwnInstance(id);
    if (instance == nullptr)
        return nullptr;
    if ((instance->flags & APPCMD_CLIENTONLY) != 0) {
        instance->lastError = DMLERR_DLL_USAGE;
        return nullptr;
    }
    std::string name;
    bool named = service != nullptr && StringText(service, &name);
    if (reserved != nullptr || (command & ~(DNS_REGISTER | DNS_UNREGISTER | DNS_FILTERON | DNS_FILTEROFF)) != 0 ||
        ((command & DNS_REGISTER) != 0 && (command & DNS_UNREGISTER) != 0) ||
        ((command & (DNS_REGISTER | DNS_UNREGISTER)) != 0 && service != nullptr && !named) ||
        ((command & DNS_REGISTER) != 0 && !named)) {
        instance->lastError = DMLERR_INVALIDPARAMETER;
        return nullptr;
    }
    if ((command & DNS_REGISTER) != 0) {
        Listener listener = ListenForService(name);
        if (listener.fd < 0) {
            instance->lastError = DMLERR_SYS_ERROR;
            return nullptr;
        }
        auto registered = std::make_shared<Service>(name, listener);
        if (!WatchService(*instance, registered)) {
            unlink(listener.path.c_str());
            instance->lastError = DMLERR_SYS_ERROR;
            return nullptr;
        }
        instance->services.push_back(registered);
    }
    if ((command & DNS_UNREGISTER) != 0) {
        auto &services = instance->services;
        for (auto own = services.begin(); own != services.end();) {
            if (named && !SameText((*own)->name, name)) {
                ++own;
                continue;
            }
            // Unreachable at once; the socket closes when the thread's queue lets go of it.
            unlink((*own)->listener.path.c_str());
            Unwatch(*instance, (*own)->listener.fd);
            own = services.erase(own);
        }
    }
    return reinterpret_cast<HDDEDATA>(1);
}

HCONV DdeConnect(DWORD id, HSZ service, HSZ topic, PCONVCONTEXT context)
{
    std::shared_ptr<Instance> instance;
    Frame request;
    request.kind = FrameKind::Connect;
    {
        std::lock_guard<std::mutex> hold(Lock());
        instance = OwnInstance(id);
        if (instance == nullptr)
            return nullptr;
        if (!StringText(service, &request.service) || !StringText(topic, &request.topic)) {
            instance->lastError = DMLERR_INVALIDPARAMETER;
            return nullptr;
        }
    }
    request.processId = static_cast<uint32_t>(getpid());
    request.instance = id;
    if (context != nullptr) {
        request.hasContext = true;
        request.context = *context;
    }
    for (const std::string &path : ServiceSockets(request.service)) {
        if (HCONV conversation = TryService(instance, path, request))
            return conversation;
    }
    std::lock_guard<std::mutex> hold(Lock());
    instance->lastError = DMLERR_NO_CONV_ESTABLISHED;
    return nullptr;
}

BOOL DdeDisconnect(HCONV handle)
{
    std::lock_guard<std::mutex> hold(Lock());
    std::shared_ptr<Conversation> conversation = FindConversation(handle);
    std::shared_ptr<Instance> instance = conversation != nullptr ? FindInstance(conversation->instance) : nullptr;
    if (instance == nullptr)
        return FALSE;
    CloseHere(*instance, conversation);
    return TRUE;
}

HDDEDATA DdeClientTransaction(LPBYTE data, DWORD size, HCONV handle, HSZ item, UINT format, UINT type,
                              DWORD timeout, LPDWORD result)
{
    if (result != nullptr)
        *result = 0;
    std::shared_ptr<Conversation> conversation;
    std::shared_ptr<Instance> instance;
    Frame request;
    request.kind = FrameKind::Execute;
    {
        std::lock_guard<std::mutex> hold(Lock());
        conversation = FindConversation(handle);
        instance = conversation != nullptr ? OwnInstance(conversation->instance) : nullptr;
        if (instance == nullptr)
            return nullptr;
        // Only what this layer's callers do: execute strings, synchronously.
        if (!conversation->client || type != XTYP_EXECUTE || item != nullptr || format != 0 ||
            timeout == kTimeoutAsync || (data == nullptr && size != 0) || size > kMaxExecuteData) {
            instance->lastError = DMLERR_INVALIDPARAMETER;
            return nullptr;
        }
        if (conversation->state != Conversation::State::Connected) {
            instance->lastError = DMLERR_NO_CONV_ESTABLISHED;
            return nullptr;
        }
        request.transaction = conversation->nextTransaction++;
        conversation->waiting.insert(request.transaction);
    }
    request.data.assign(data, data + size);
    uint32_t transaction = request.transaction;
    bool sent = SendAll(conversation->fd, EncodeFrame(request));
    if (sent) {
        WaitOnOwnThread(*instance, timeout, [&] {
            return conversation->replies.count(transaction) != 0 ||
                   conversation->state != Conversation::State::Connected;
        });
    }
    std::lock_guard<std::mutex> hold(Lock());
    conversation->waiting.erase(transaction);
    auto reply = conversation->replies.find(transaction);
    if (reply == conversation->replies.end()) {
        instance->lastError = !sent || conversation->state != Conversation::State::Connected
                                  ? DMLERR_NO_CONV_ESTABLISHED
                                  : DMLERR_EXECACKTIMEOUT;
        return nullptr;
    }
    uint32_t flags = reply->second;
    conversation->replies.erase(reply);
    if (result != nullptr)
        *result = flags;
    if ((flags & DDE_FACK) == 0) {
        instance->lastError = DMLERR_NOTPROCESSED;
        return nullptr;
    }
    return reinterpret_cast<HDDEDATA>(1);
}

DWORD DdeGetData(HDDEDATA handle, LPBYTE destination, DWORD size, DWORD offset)
{
    std::lock_guard<std::mutex> hold(Lock());
    const std::vector<uint8_t> *data = FindData(handle);
    if (data == nullptr)
        return 0;
    if (destination == nullptr)
        return static_cast<DWORD>(data->size());
    if (offset >= data->size())
        return 0;
    size_t copied = std::min<size_t>(size, data->size() - offset);
    memcpy(destination, data->data() + offset, copied);
    return static_cast<DWORD>(copied);
}
