// DDE instances: their table, the reading of their sockets, their hidden window and the
// events that it delivers to the callback.
#include "ddeinstance.h"

#include "messagequeue.h"
#include "processthreads.h"
#include "windowclass.h"
#include "windowcreate.h"
#include "windowmessages.h"
#include "windowtimers.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <sys/socket.h>
#include <unistd.h>

namespace qelwin::dde {

namespace {

// The tables and their lock are never destroyed: a program that ends without
// DdeUninitialize leaves threads with instances that still use them while the program's
// static objects go.

constexpr UINT kEventMessage = WM_USER + 1;
constexpr UINT kWakeMessage = WM_USER + 2;
constexpr char kWindowClass[] = "QelDdeInstance";
constexpr DWORD kKnownFlags = APPCMD_CLIENTONLY | 0x003FF000 | 0x7F000000;

std::map<DWORD, std::shared_ptr<Instance>> &Instances()
{
    static auto *instances = new std::map<DWORD, std::shared_ptr<Instance>>;
    return *instances;
}

std::map<uintptr_t, std::shared_ptr<Conversation>> &Conversations()
{
    static auto *conversations = new std::map<uintptr_t, std::shared_ptr<Conversation>>;
    return *conversations;
}

std::map<uintptr_t, std::vector<uint8_t>> &DataHandles()
{
    static auto *data = new std::map<uintptr_t, std::vector<uint8_t>>;
    return *data;
}

void Post(Instance &instance, UINT message)
{
    // A thread that has ended takes nothing; its instance is gone with it.
    PostMessageA(instance.window, message, instance.id, 0);
}

void PushEvent(Instance &instance, Event event)
{
    instance.inbox.push_back(std::move(event));
    Post(instance, kEventMessage);
}

// With Lock() held, on the instance's thread: the partner has ended, or broke the rules.
void EndFromPartner(Instance &instance, const std::shared_ptr<Conversation> &conversation)
{
    if (conversation->closedHere || conversation->state == Conversation::State::Ended)
        return;
    conversation->state = Conversation::State::Ended;
    shutdown(conversation->fd, SHUT_RDWR);
    Unwatch(instance, conversation->fd);
    PushEvent(instance, Event{Event::Kind::Ended, conversation, Frame()});
}

// With Lock() held: false when the frame has no place on this conversation.
bool TakeFrame(Instance &instance, const std::shared_ptr<Conversation> &conversation, Frame frame)
{
    Conversation &c = *conversation;
    if (c.client) {
        if (frame.kind == FrameKind::ConnectReply && !c.answered) {
            c.answered = true;
            c.accepted = frame.accepted;
            Post(instance, kWakeMessage);
            return true;
        }
        if (frame.kind == FrameKind::ExecuteReply && c.state == Conversation::State::Connected) {
            // An answer that comes after its time-out has no one waiting for it.
            if (c.waiting.count(frame.transaction) != 0) {
                c.replies[frame.transaction] = frame.flags;
                Post(instance, kWakeMessage);
            }
            return true;
        }
        return false;
    }
    if (frame.kind == FrameKind::Connect && c.state == Conversation::State::Pending && !c.connectRequested) {
        c.connectRequested = true;
        PushEvent(instance, Event{Event::Kind::ConnectRequest, conversation, std::move(frame)});
        return true;
    }
    if (frame.kind == FrameKind::Execute && c.state == Conversation::State::Connected) {
        PushEvent(instance, Event{Event::Kind::Execute, conversation, std::move(frame)});
        return true;
    }
    return false;
}

void ReadConversation(DWORD id, const std::shared_ptr<Conversation> &conversation)
{
    uint8_t buffer[16384];
    ssize_t got = recv(conversation->fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (got < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    std::lock_guard<std::mutex> hold(Lock());
    std::shared_ptr<Instance> instance = FindInstance(id);
    if (instance == nullptr || conversation->closedHere || conversation->state == Conversation::State::Ended)
        return;
    if (got <= 0) {
        EndFromPartner(*instance, conversation);
        return;
    }
    conversation->reader.Append(buffer, static_cast<size_t>(got));
    for (;;) {
        Frame frame;
        FrameReader::Status status = conversation->reader.Next(&frame);
        if (status == FrameReader::Status::NeedMore)
            return;
        if (status == FrameReader::Status::Malformed || !TakeFrame(*instance, conversation, std::move(frame))) {
            EndFromPartner(*instance, conversation);
            return;
        }
    }
}

void Accept(DWORD id, const Service &service)
{
    int fd = accept4(service.listener.fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    LimitSendWait(fd);
    auto conversation = std::make_shared<Conversation>(fd);
    conversation->instance = id;
    std::lock_guard<std::mutex> hold(Lock());
    std::shared_ptr<Instance> instance = FindInstance(id);
    if (instance != nullptr && !instance->stopping && WatchConversation(*instance, conversation))
        instance->conversations.push_back(conversation);
}

void SendReply(const std::shared_ptr<Conversation> &conversation, Frame reply)
{
    // A partner that is gone is told nothing; its end arrives as an event of its own.
    SendAll(conversation->fd, EncodeFrame(reply));
}

void DeliverConnect(Instance &instance, const std::shared_ptr<Conversation> &conversation, const Frame &request)
{
    bool same = request.processId == static_cast<uint32_t>(getpid()) && request.instance == instance.id;
    bool offered = false;
    HSZ topic = nullptr, service = nullptr;
    {
        std::lock_guard<std::mutex> hold(Lock());
        for (const auto &own : instance.services)
            offered = offered || SameText(own->name, request.service);
        if (offered) {
            topic = UseString(instance.id, request.topic);
            service = UseString(instance.id, request.service);
        }
    }
    bool accepted = false;
    if (offered && topic != nullptr && service != nullptr && (instance.flags & CBF_FAIL_CONNECTIONS) == 0 &&
        !(same && (instance.flags & CBF_FAIL_SELFCONNECTIONS) != 0)) {
        CONVCONTEXT context = request.context;
        ULONG_PTR contextArgument = request.hasContext ? reinterpret_cast<ULONG_PTR>(&context) : 0;
        accepted = instance.callback(XTYP_CONNECT, 0, nullptr, topic, service, nullptr, contextArgument, same) !=
                   nullptr;
    }
    HCONV handle = nullptr;
    {
        std::lock_guard<std::mutex> hold(Lock());
        if (accepted && !instance.stopping && conversation->state == Conversation::State::Pending) {
            conversation->state = Conversation::State::Connected;
            conversation->service = request.service;
            conversation->topic = request.topic;
            conversation->sameInstance = same;
            handle = AddConversationHandle(conversation);
        }
    }
    Frame reply;
    reply.kind = FrameKind::ConnectReply;
    reply.accepted = handle != nullptr;
    SendReply(conversation, reply);
    if (handle != nullptr && (instance.flags & CBF_SKIP_CONNECT_CONFIRMS) == 0)
        instance.callback(XTYP_CONNECT_CONFIRM, 0, handle, topic, service, nullptr, 0, same);
    std::lock_guard<std::mutex> hold(Lock());
    if (handle == nullptr)
        CloseHere(instance, conversation);
    if (topic != nullptr)
        DropString(instance.id, topic);
    if (service != nullptr)
        DropString(instance.id, service);
}

void DeliverExecute(Instance &instance, const std::shared_ptr<Conversation> &conversation, Frame &request)
{
    HCONV handle = nullptr;
    HSZ topic = nullptr;
    HDDEDATA data = nullptr;
    {
        std::lock_guard<std::mutex> hold(Lock());
        if (conversation->state != Conversation::State::Connected || conversation->handle == nullptr)
            return;
        handle = conversation->handle;
        if ((instance.flags & CBF_FAIL_EXECUTES) == 0) {
            topic = UseString(instance.id, conversation->topic);
            data = AddData(std::move(request.data));
        }
    }
    Frame reply;
    reply.kind = FrameKind::ExecuteReply;
    reply.transaction = request.transaction;
    if (data != nullptr) {
        HDDEDATA answer = instance.callback(XTYP_EXECUTE, 0, handle, topic, nullptr, data, 0, 0);
        reply.flags = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(answer)) & 0xFFFF;
    }
    {
        std::lock_guard<std::mutex> hold(Lock());
        DropData(data);
        if (topic != nullptr)
            DropString(instance.id, topic);
    }
    SendReply(conversation, reply);
}

void DeliverEnd(Instance &instance, const std::shared_ptr<Conversation> &conversation)
{
    HCONV handle = nullptr;
    {
        std::lock_guard<std::mutex> hold(Lock());
        if (!conversation->closedHere)
            handle = conversation->handle;
        auto &list = instance.conversations;
        list.erase(std::remove(list.begin(), list.end(), conversation), list.end());
    }
    // The handle is still valid in the callback, as the partner's last word.
    if (handle != nullptr && (instance.flags & CBF_SKIP_DISCONNECTS) == 0)
        instance.callback(XTYP_DISCONNECT, 0, handle, nullptr, nullptr, nullptr, 0, conversation->sameInstance);
    std::lock_guard<std::mutex> hold(Lock());
    RemoveConversationHandle(*conversation);
}

void DeliverNextEvent(DWORD id)
{
    std::shared_ptr<Instance> instance;
    Event event;
    {
        std::lock_guard<std::mutex> hold(Lock());
        instance = FindInstance(id);
        if (instance == nullptr || instance->inbox.empty())
            return;
        event = std::move(instance->inbox.front());
        instance->inbox.pop_front();
    }
    switch (event.kind) {
    case Event::Kind::ConnectRequest:
        DeliverConnect(*instance, event.conversation, event.frame);
        break;
    case Event::Kind::Execute:
        DeliverExecute(*instance, event.conversation, event.frame);
        break;
    case Event::Kind::Ended:
        DeliverEnd(*instance, event.conversation);
        break;
    }
}

LRESULT CALLBACK InstanceWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kEventMessage) {
        DeliverNextEvent(static_cast<DWORD>(wParam));
        return 0;
    }
    if (message == kWakeMessage)
        return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterInstanceClass()
{
    static const bool registered = [] {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = &InstanceWindowProc;
        windowClass.lpszClassName = kWindowClass;
        return RegisterClassA(&windowClass) != 0;
    }();
    return registered;
}

} // namespace

std::mutex &Lock()
{
    static auto *lock = new std::mutex;
    return *lock;
}

Conversation::~Conversation()
{
    close(fd);
}

Service::~Service()
{
    close(listener.fd);
}

std::shared_ptr<Instance> FindInstance(DWORD id)
{
    auto found = Instances().find(id);
    return found != Instances().end() ? found->second : nullptr;
}

std::shared_ptr<Conversation> FindConversation(HCONV handle)
{
    auto found = Conversations().find(reinterpret_cast<uintptr_t>(handle));
    return found != Conversations().end() ? found->second : nullptr;
}

HCONV AddConversationHandle(const std::shared_ptr<Conversation> &conversation)
{
    static uintptr_t nextId = 1;
    uintptr_t id = nextId++;
    Conversations()[id] = conversation;
    conversation->handle = reinterpret_cast<HCONV>(id);
    return conversation->handle;
}

void RemoveConversationHandle(Conversation &conversation)
{
    if (conversation.handle != nullptr)
        Conversations().erase(reinterpret_cast<uintptr_t>(conversation.handle));
    conversation.handle = nullptr;
}

void CloseHere(Instance &instance, const std::shared_ptr<Conversation> &conversation)
{
    conversation->closedHere = true;
    conversation->state = Conversation::State::Ended;
    shutdown(conversation->fd, SHUT_RDWR);
    RemoveConversationHandle(*conversation);
    auto &list = instance.conversations;
    list.erase(std::remove(list.begin(), list.end(), conversation), list.end());
    Unwatch(instance, conversation->fd);
}

bool WatchConversation(Instance &instance, const std::shared_ptr<Conversation> &conversation)
{
    return instance.queue->Watch(conversation->fd,
                                 [id = instance.id, conversation] { ReadConversation(id, conversation); });
}

bool WatchService(Instance &instance, const std::shared_ptr<Service> &service)
{
    return instance.queue->Watch(service->listener.fd, [id = instance.id, service] { Accept(id, *service); });
}

void Unwatch(Instance &instance, int fd)
{
    instance.queue->Unwatch(fd);
}

void SetError(DWORD id, UINT error)
{
    if (std::shared_ptr<Instance> instance = FindInstance(id))
        instance->lastError = error;
}

HDDEDATA AddData(std::vector<uint8_t> data)
{
    // Apart from the value 1, which a transaction answers for success.
    static uintptr_t nextId = 0x10000;
    uintptr_t id = nextId++;
    DataHandles()[id] = std::move(data);
    return reinterpret_cast<HDDEDATA>(id);
}

void DropData(HDDEDATA data)
{
    DataHandles().erase(reinterpret_cast<uintptr_t>(data));
}

const std::vector<uint8_t> *FindData(HDDEDATA data)
{
    auto found = DataHandles().find(reinterpret_cast<uintptr_t>(data));
    return found != DataHandles().end() ? &found->second : nullptr;
}

bool WaitOnOwnThread(Instance &instance, DWORD milliseconds, const std::function<bool()> &done)
{
    using Clock = std::chrono::steady_clock;
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    // The timer only wakes the wait when nothing else comes.
    UINT_PTR timer = 0;
    {
        std::lock_guard<std::mutex> hold(Lock());
        timer = instance.nextWaitTimer++;
    }
    SetTimer(instance.window, timer, std::max<DWORD>(milliseconds, 1), nullptr);
    bool finished = false;
    for (;;) {
        {
            std::lock_guard<std::mutex> hold(Lock());
            if (done()) {
                finished = true;
                break;
            }
        }
        if (Clock::now() >= deadline)
            break;
        MSG message;
        BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got < 0)
            break;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    KillTimer(instance.window, timer);
    return finished;
}

size_t LiveDdeObjects()
{
    std::lock_guard<std::mutex> hold(Lock());
    return Instances().size() + Conversations().size() + LiveStrings() + DataHandles().size();
}

} // namespace qelwin::dde

using namespace qelwin::dde;

UINT DdeInitializeA(LPDWORD instanceId, PFNCALLBACK callback, DWORD flags, DWORD reserved)
{
    if (instanceId == nullptr || *instanceId != 0 || callback == nullptr || reserved != 0 ||
        (flags & ~kKnownFlags) != 0)
        return DMLERR_INVALIDPARAMETER;
    if (DdeFolder().empty() || !RegisterInstanceClass())
        return DMLERR_SYS_ERROR;
    auto instance = std::make_shared<Instance>();
    instance->window = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    if (instance->window == nullptr)
        return DMLERR_SYS_ERROR;
    instance->queue = qelwin::CurrentQueue();
    instance->thread = GetCurrentThreadId();
    instance->callback = callback;
    instance->flags = flags;
    {
        static DWORD nextId = 1;
        std::lock_guard<std::mutex> hold(Lock());
        instance->id = nextId++;
        Instances()[instance->id] = instance;
    }
    *instanceId = instance->id;
    return DMLERR_NO_ERROR;
}

BOOL DdeUninitialize(DWORD id)
{
    std::shared_ptr<Instance> instance;
    {
        std::lock_guard<std::mutex> hold(Lock());
        instance = FindInstance(id);
        if (instance == nullptr)
            return FALSE;
        Instances().erase(id);
        instance->stopping = true;
        for (auto conversation : std::vector<std::shared_ptr<Conversation>>(instance->conversations))
            CloseHere(*instance, conversation);
        for (const auto &service : instance->services) {
            unlink(service->listener.path.c_str());
            Unwatch(*instance, service->listener.fd);
        }
        instance->services.clear();
        instance->inbox.clear();
        DropAllStrings(id);
    }
    DestroyWindow(instance->window);
    return TRUE;
}

UINT DdeGetLastError(DWORD id)
{
    std::lock_guard<std::mutex> hold(Lock());
    std::shared_ptr<Instance> instance = FindInstance(id);
    if (instance == nullptr)
        return DMLERR_DLL_NOT_INITIALIZED;
    UINT error = instance->lastError;
    instance->lastError = DMLERR_NO_ERROR;
    return error;
}
