// The message queue of a thread (inside this layer only; not part of windows.h).
//
// Each thread that makes a window or uses a message function gets one queue, made on its
// first use and ended when the thread ends. Other threads post into it and send to it;
// only its own thread takes messages out, runs window procedures and keeps timers.
//
// Locking: each queue has one mutex, `lock_`, which guards everything in it: the posted
// messages, the messages sent from other threads, the timers, the quit flag, and the
// reply state of each message that this queue's thread has sent and waits for. A window
// procedure never runs with any queue's lock held. The only lock taken while a queue's
// lock is held is the window table's (to drop messages of windows that are gone), and
// the window table never takes a queue's lock, so locks are always taken in one order.
// One thread waits on a queue's condition variable: its owner, in GetMessage or while
// its own SendMessage waits for the reply. Every change that may end such a wait counts
// up `changes_` under the lock and notifies.
//
// A thread may also wait on descriptors (the sockets of its DDE conversations): while it
// has any, GetMessage and PeekMessage look at them too, and the owner runs the handler of
// each one that can be read, so the thread reads its own sockets without another thread
// waking it. Its message wait is then a poll on them and on `wakeFd_`, which Changed()
// signals while the owner sleeps there.
#pragma once

#include "basetypes.h"
#include "windowmessages.h"
#include "windowtimers.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <poll.h>
#include <vector>

namespace qelwin {

class MessageQueue;
struct WindowRecord;

// A message sent from another thread. `done` and `result` are guarded by the lock of the
// sender's queue.
struct SentMessage {
    HWND window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::shared_ptr<MessageQueue> sender;
    bool done = false;
    LRESULT result = 0;
};

class MessageQueue {
public:
    explicit MessageQueue(DWORD threadId) : threadId_(threadId) {}
    ~MessageQueue();
    MessageQueue(const MessageQueue &) = delete;
    MessageQueue &operator=(const MessageQueue &) = delete;

    DWORD ThreadId() const { return threadId_; }

    // From any thread.

    // FALSE with the error set when the queue is full (Windows' quota of 10000 posted
    // messages, so a stuck receiver never makes its posters use up memory) or its thread
    // has ended.
    bool Post(const MSG &message);
    // Queues the message for the owner thread; false when that thread has ended.
    bool Send(const std::shared_ptr<SentMessage> &message);
    // Called on the sender's queue when the receiver has handled (or dropped) `message`.
    void Complete(SentMessage &message, LRESULT result);
    // A window of the thread needs painting: a thread that waits for a message looks again.
    void Wake();
    // The owner runs `onReadable` whenever `fd` can be read (or has hung up), from its
    // message retrieval, before it takes posted messages. `fd` must stay open as long as
    // the handler lives: the owner lets go of the handler only after Unwatch, the next
    // time it looks for messages. False when the thread has ended.
    bool Watch(int fd, std::function<void()> onReadable);
    void Unwatch(int fd);

    // From the owner thread only.

    enum class Found { Nothing, Message, Quit };
    // The next message for the filter (GetMessage and PeekMessage): messages sent from
    // other threads are handled first, then posted messages come in order, then WM_QUIT,
    // then WM_PAINT for a window that needs painting (it stays until the window is
    // validated), then the timers that are due. With `wait`, blocks until one is there.
    Found Retrieve(MSG *message, HWND filter, UINT first, UINT last, bool remove, bool wait);
    // Waits for the reply to a message that this thread has sent to another thread, and
    // handles the messages sent to this thread meanwhile, so two threads that send to each
    // other do not wait for ever.
    LRESULT WaitForReply(const std::shared_ptr<SentMessage> &message);
    void PostQuit(int exitCode);

    UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure);
    bool KillTimer(HWND window, UINT_PTR id);
    bool HasTimer(HWND window, UINT_PTR id, TIMERPROC procedure);

    // A window of this thread is gone: its posted messages and timers go, its sent
    // messages are answered 0.
    void ForgetWindow(HWND window);
    // The thread ends: every message sent to it is answered 0, nothing more comes in.
    void Close();

private:
    using Clock = std::chrono::steady_clock;

    struct Timer {
        HWND window;
        UINT_PTR id;
        std::chrono::milliseconds interval;
        TIMERPROC procedure;
        Clock::time_point due;
    };

    struct Watched {
        int fd;
        std::function<void()> onReadable;
    };

    void HandleSentMessages();
    // Owner thread, without lock_: runs the handlers of the watched descriptors that can
    // be read, waiting for one of them or a change of the queue until `deadline` when
    // `sleep` (none: not at all).
    // `seen` is the count of changes that the owner has looked at: a later one ends the
    // wait. A handler never looks for messages itself.
    void PollDescriptors(bool sleep, ULONGLONG seen, Clock::time_point deadline);
    // Called with lock_ held.
    bool IsOwnWindow(HWND window) const;
    void Changed();

    const DWORD threadId_;
    std::mutex lock_;
    std::condition_variable wake_;
    ULONGLONG changes_ = 0;
    std::deque<MSG> posted_;
    std::deque<std::shared_ptr<SentMessage>> sent_;
    std::vector<Timer> timers_;
    UINT_PTR nextThreadTimerId_ = 1;
    bool quit_ = false;
    int quitCode_ = 0;
    bool closed_ = false;
    std::vector<Watched> watched_;
    // Read by the owner without the lock, to skip the descriptors when it has none.
    std::atomic<ULONGLONG> watchChanges_{0};
    int wakeFd_ = -1;
    bool pollSleeping_ = false;
    bool wakeSignalled_ = false;
    // The owner's copy of `watched_` as of `polledChanges_`.
    std::vector<Watched> polled_;
    std::vector<pollfd> pollfds_;
    ULONGLONG polledChanges_ = 0;
};

// The calling thread's queue, made on first use.
std::shared_ptr<MessageQueue> CurrentQueue();

// Runs the window's procedure on the calling thread, which must be the window's own.
LRESULT CallWindowProcedure(const WindowRecord &window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace qelwin
