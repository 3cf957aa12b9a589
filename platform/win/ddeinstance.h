// DDE instances and conversations (inside this layer only; not part of ddeml.h).
//
// Locking: one mutex, Lock(), guards every table and every field below that more than one
// thread touches. Callbacks, socket writes and waits run without it. It may be held while
// a message queue's lock is taken, never the other way round.
//
// The thread that initialised an instance reads the instance's sockets itself: its
// message queue watches the listening socket of each service and the socket of each
// conversation, so GetMessage and PeekMessage on that thread accept conversations and read
// frames. Requests of a partner (connect, execute) and a partner's end become events in
// the instance's inbox, each announced by a message posted to the instance's hidden
// window, so that the callback runs when the thread's message loop dispatches it. Answers
// to the instance's own requests are stored on their conversation, and a message ends the
// GetMessage of the wait for them.
//
// A socket is closed only when the last reference to its conversation or service goes,
// and the queue holds one as long as it may poll the socket, so it never polls a number
// that has been closed and reused.
#pragma once

#include "ddeframes.h"
#include "ddeml.h"
#include "ddetransport.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace qelwin {
class MessageQueue;
}

namespace qelwin::dde {

std::mutex &Lock();

struct Conversation {
    explicit Conversation(int socket) : fd(socket) {}
    ~Conversation();
    Conversation(const Conversation &) = delete;
    Conversation &operator=(const Conversation &) = delete;

    const int fd;
    DWORD instance = 0;
    bool client = false;
    HCONV handle = nullptr; // once connected, until it is gone
    std::string service;
    std::string topic;
    bool sameInstance = false;
    enum class State { Pending, Connected, Ended } state = State::Pending;
    // Ended by this side (DdeDisconnect, a refusal, DdeUninitialize): no XTYP_DISCONNECT.
    bool closedHere = false;
    bool connectRequested = false;
    // The client's side: the partner's answers.
    bool answered = false;
    bool accepted = false;
    uint32_t nextTransaction = 1;
    std::set<uint32_t> waiting;
    std::map<uint32_t, uint32_t> replies;
    FrameReader reader; // the instance's thread's only
};

struct Service {
    Service(std::string serviceName, Listener socket) : name(std::move(serviceName)), listener(std::move(socket)) {}
    ~Service();
    Service(const Service &) = delete;
    Service &operator=(const Service &) = delete;
    const std::string name;
    const Listener listener;
};

struct Event {
    enum class Kind { ConnectRequest, Execute, Ended } kind;
    std::shared_ptr<Conversation> conversation;
    Frame frame;
};

struct Instance {
    DWORD id = 0;
    DWORD thread = 0;
    PFNCALLBACK callback = nullptr;
    DWORD flags = 0;
    HWND window = nullptr;
    std::shared_ptr<MessageQueue> queue; // the thread's
    UINT lastError = DMLERR_NO_ERROR;
    bool stopping = false;
    std::vector<std::shared_ptr<Service>> services;
    std::vector<std::shared_ptr<Conversation>> conversations;
    std::deque<Event> inbox;
    UINT_PTR nextWaitTimer = 1;
};

// With Lock() held.
std::shared_ptr<Instance> FindInstance(DWORD id);
std::shared_ptr<Conversation> FindConversation(HCONV handle);
HCONV AddConversationHandle(const std::shared_ptr<Conversation> &conversation);
void RemoveConversationHandle(Conversation &conversation);
// Ends the conversation from this side: the partner reads its end.
void CloseHere(Instance &instance, const std::shared_ptr<Conversation> &conversation);
// The instance's thread reads the conversation's frames, or accepts conversations with the
// service, from its message retrieval; false when the thread has ended.
bool WatchConversation(Instance &instance, const std::shared_ptr<Conversation> &conversation);
bool WatchService(Instance &instance, const std::shared_ptr<Service> &service);
void Unwatch(Instance &instance, int fd);
void SetError(DWORD instance, UINT error);

// String handles (with Lock() held).
HSZ UseString(DWORD instance, const std::string &text);
bool DropString(DWORD instance, HSZ string);
void DropAllStrings(DWORD instance);
bool StringText(HSZ string, std::string *text);
bool SameText(const std::string &a, const std::string &b);
size_t LiveStrings();

// Data handles of execute data (with Lock() held).
HDDEDATA AddData(std::vector<uint8_t> data);
void DropData(HDDEDATA data);
const std::vector<uint8_t> *FindData(HDDEDATA data);

// On the instance's own thread: handles its messages until `done` (asked with Lock()
// held) answers true or `milliseconds` have passed. False on time-out, or when the
// thread's message loop is asked to end (the request is kept for the loop).
bool WaitOnOwnThread(Instance &instance, DWORD milliseconds, const std::function<bool()> &done);

// Instances, conversations, string and data handles alive in the process, so tests can
// check that everything was given back.
size_t LiveDdeObjects();

} // namespace qelwin::dde
