#include "messagequeue.h"

#include "lasterror.h"
#include "processstart.h"
#include "processthreads.h"
#include "tickcount.h"
#include "windowpaint.h"
#include "windowtable.h"
#include "winerror.h"

#include <algorithm>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace qelwin {

namespace {

const size_t kPostedQuota = 10000;
const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));

bool Matches(HWND window, UINT message, HWND filter, UINT first, UINT last)
{
    if (filter == kThreadMessagesOnly) {
        if (window != nullptr)
            return false;
    } else if (filter != nullptr && window != filter) {
        return false;
    }
    return (first == 0 && last == 0) || (message >= first && message <= last);
}

// Answers a sent message when it goes out of scope, also when its window procedure
// throws, so that its sender is never left waiting.
struct Reply {
    std::shared_ptr<SentMessage> message;
    LRESULT result = 0;

    ~Reply()
    {
        if (message != nullptr)
            message->sender->Complete(*message, result);
    }
};

// A thread's queue lives as long as the thread. When the thread ends, its windows go
// without messages (their procedures may belong to thread-local state that is already
// gone) and whatever was sent to it is answered.
struct QueueHolder {
    std::shared_ptr<MessageQueue> queue;

    ~QueueHolder()
    {
        if (queue == nullptr)
            return;
        for (HWND window : WindowsOfThread(queue->ThreadId()))
            RemoveWindow(window);
        queue->Close();
    }
};

thread_local QueueHolder currentQueue;

} // namespace

std::shared_ptr<MessageQueue> CurrentQueue()
{
    if (currentQueue.queue == nullptr)
        currentQueue.queue = std::make_shared<MessageQueue>(GetCurrentThreadId());
    return currentQueue.queue;
}

LRESULT CallWindowProcedure(const WindowRecord &window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC procedure;
    {
        std::lock_guard<std::mutex> hold(window.lock);
        procedure = window.procedure;
    }
    if (procedure == nullptr)
        return 0;
    return procedure(window.handle, message, wParam, lParam);
}

MessageQueue::~MessageQueue()
{
    if (wakeFd_ >= 0)
        close(wakeFd_);
}

void MessageQueue::Wake()
{
    std::lock_guard<std::mutex> hold(lock_);
    Changed();
}

void MessageQueue::Changed()
{
    ++changes_;
    wake_.notify_all();
    if (pollSleeping_ && !wakeSignalled_) {
        wakeSignalled_ = true;
        uint64_t one = 1;
        [[maybe_unused]] ssize_t written = write(wakeFd_, &one, sizeof one);
    }
}

bool MessageQueue::Watch(int fd, std::function<void()> onReadable)
{
    std::lock_guard<std::mutex> hold(lock_);
    if (closed_)
        return false;
    if (wakeFd_ < 0 && (wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) < 0)
        return false;
    watched_.push_back({fd, std::move(onReadable)});
    ++watchChanges_;
    Changed();
    return true;
}

void MessageQueue::Unwatch(int fd)
{
    std::vector<Watched> dropped;
    std::lock_guard<std::mutex> hold(lock_);
    for (auto watched = watched_.begin(); watched != watched_.end();) {
        if (watched->fd == fd) {
            dropped.push_back(std::move(*watched));
            watched = watched_.erase(watched);
        } else {
            ++watched;
        }
    }
    ++watchChanges_;
    Changed();
    // `dropped` goes after the lock: a handler may hold the last reference to its socket.
}

void MessageQueue::PollDescriptors(bool sleep, ULONGLONG seen, Clock::time_point deadline)
{
    if (watchChanges_.load() == polledChanges_ && polled_.empty())
        return;
    std::vector<Watched> dropped;
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (watchChanges_.load() != polledChanges_) {
            dropped.swap(polled_);
            polled_ = watched_;
            polledChanges_ = watchChanges_.load();
            pollfds_.assign(1, pollfd{wakeFd_, POLLIN, 0});
            for (const Watched &watched : polled_)
                pollfds_.push_back({watched.fd, POLLIN, 0});
        }
        if (polled_.empty()) {
            // Nothing left to watch: the thread waits as any other, and holds no
            // descriptor for it.
            if (wakeFd_ >= 0)
                close(wakeFd_);
            wakeFd_ = -1;
            return;
        }
        if (sleep && changes_ != seen)
            sleep = false;
        pollSleeping_ = sleep;
    }
    timespec timeout = {0, 0};
    if (sleep && deadline != Clock::time_point::max()) {
        auto left = std::max(deadline - Clock::now(), Clock::duration::zero());
        auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
        timeout.tv_sec = static_cast<time_t>(seconds.count());
        timeout.tv_nsec = static_cast<long>(std::chrono::duration_cast<std::chrono::nanoseconds>(left - seconds).count());
    }
    bool unlimited = sleep && deadline == Clock::time_point::max();
    int ready = ppoll(pollfds_.data(), pollfds_.size(), unlimited ? nullptr : &timeout, nullptr);
    if (sleep) {
        std::lock_guard<std::mutex> hold(lock_);
        pollSleeping_ = false;
        if (wakeSignalled_) {
            uint64_t count = 0;
            [[maybe_unused]] ssize_t got = read(wakeFd_, &count, sizeof count);
            wakeSignalled_ = false;
        }
    }
    for (size_t i = 0; ready > 0 && i < polled_.size(); ++i) {
        if (pollfds_[i + 1].revents == 0)
            continue;
        // A handler that changed what is watched has made this list stale; the rest are
        // still readable at the next look.
        if (watchChanges_.load() != polledChanges_)
            break;
        polled_[i].onReadable();
    }
}

bool MessageQueue::IsOwnWindow(HWND window) const
{
    std::shared_ptr<WindowRecord> record = LookUpWindow(window);
    return record != nullptr && record->queue.get() == this;
}

bool MessageQueue::Post(const MSG &message)
{
    std::lock_guard<std::mutex> hold(lock_);
    if (closed_) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    if (posted_.size() >= kPostedQuota) {
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return false;
    }
    posted_.push_back(message);
    Changed();
    return true;
}

bool MessageQueue::Send(const std::shared_ptr<SentMessage> &message)
{
    std::lock_guard<std::mutex> hold(lock_);
    if (closed_)
        return false;
    sent_.push_back(message);
    Changed();
    return true;
}

void MessageQueue::Complete(SentMessage &message, LRESULT result)
{
    std::lock_guard<std::mutex> hold(lock_);
    message.done = true;
    message.result = result;
    Changed();
}

void MessageQueue::HandleSentMessages()
{
    for (;;) {
        Reply reply;
        {
            std::lock_guard<std::mutex> hold(lock_);
            if (sent_.empty())
                return;
            reply.message = std::move(sent_.front());
            sent_.pop_front();
        }
        // The window may have gone since the message was sent; then it is answered 0.
        std::shared_ptr<WindowRecord> window = LookUpWindow(reply.message->window);
        if (window != nullptr && window->queue.get() == this) {
            SentMessage &message = *reply.message;
            reply.result = CallWindowProcedure(*window, message.message, message.wParam, message.lParam);
        }
    }
}

MessageQueue::Found MessageQueue::Retrieve(MSG *message, HWND filter, UINT first, UINT last, bool remove, bool wait)
{
    bool justPolled = false;
    for (;;) {
        HandleSentMessages();
        if (!justPolled)
            PollDescriptors(false, 0, Clock::time_point());
        justPolled = false;
        std::unique_lock<std::mutex> hold(lock_);
        if (!sent_.empty())
            continue; // sent while we looked: handled before anything is taken

        for (auto posted = posted_.begin(); posted != posted_.end();) {
            if (!Matches(posted->hwnd, posted->message, filter, first, last)) {
                ++posted;
                continue;
            }
            // Posted just before its window went: dropped.
            if (posted->hwnd != nullptr && !IsOwnWindow(posted->hwnd)) {
                posted = posted_.erase(posted);
                continue;
            }
            *message = *posted;
            if (remove)
                posted_.erase(posted);
            return Found::Message;
        }

        if (quit_) {
            *message = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(quitCode_), 0, GetTickCount(), {0, 0}};
            if (remove)
                quit_ = false;
            return Found::Quit;
        }

        if (filter != kThreadMessagesOnly && Matches(nullptr, WM_PAINT, nullptr, first, last)) {
            // Window records are looked at without this queue's lock, as everywhere.
            hold.unlock();
            HWND paint = WindowToPaint(*this);
            if (paint != nullptr && (filter == nullptr || filter == paint)) {
                *message = MSG{paint, WM_PAINT, 0, 0, GetTickCount(), {0, 0}};
                return Found::Message;
            }
            hold.lock();
            if (!sent_.empty() || !posted_.empty())
                continue;
        }

        Clock::time_point now = Clock::now();
        Timer *due = nullptr;
        Clock::time_point nextDue = Clock::time_point::max();
        for (Timer &timer : timers_) {
            if (!Matches(timer.window, WM_TIMER, filter, first, last))
                continue;
            if (timer.due <= now && (due == nullptr || timer.due < due->due))
                due = &timer;
            nextDue = std::min(nextDue, timer.due);
        }
        if (due != nullptr) {
            *message = MSG{due->window, WM_TIMER, due->id, reinterpret_cast<LPARAM>(due->procedure), GetTickCount(),
                           {0, 0}};
            // A timer that fell behind is due once, not once for every interval missed.
            if (remove)
                due->due = now + due->interval;
            return Found::Message;
        }

        if (!wait)
            return Found::Nothing;
        ReportInputIdle();
        ULONGLONG seen = changes_;
        if (!polled_.empty() || watchChanges_.load() != polledChanges_) {
            hold.unlock();
            PollDescriptors(true, seen, nextDue);
            justPolled = true;
            continue;
        }
        auto changed = [this, seen] { return changes_ != seen; };
        if (nextDue == Clock::time_point::max())
            wake_.wait(hold, changed);
        else
            wake_.wait_until(hold, nextDue, changed);
    }
}

LRESULT MessageQueue::WaitForReply(const std::shared_ptr<SentMessage> &message)
{
    for (;;) {
        HandleSentMessages();
        std::unique_lock<std::mutex> hold(lock_);
        wake_.wait(hold, [this, &message] { return message->done || !sent_.empty(); });
        if (message->done)
            return message->result;
    }
}

void MessageQueue::PostQuit(int exitCode)
{
    std::lock_guard<std::mutex> hold(lock_);
    quit_ = true;
    quitCode_ = exitCode;
    Changed();
}

UINT_PTR MessageQueue::SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure)
{
    std::lock_guard<std::mutex> hold(lock_);
    auto find = [this, window](UINT_PTR wanted) {
        return std::find_if(timers_.begin(), timers_.end(),
                            [window, wanted](const Timer &timer) { return timer.window == window && timer.id == wanted; });
    };
    if (window == nullptr && (id == 0 || find(id) == timers_.end())) {
        // A thread timer keeps the identifier it was given only when that names one of
        // the thread's timers; otherwise it gets a new one.
        do {
            id = nextThreadTimerId_++;
        } while (id == 0 || find(id) != timers_.end());
    }
    std::chrono::milliseconds interval(elapse);
    Clock::time_point due = Clock::now() + interval;
    auto existing = find(id);
    if (existing != timers_.end()) {
        existing->interval = interval;
        existing->procedure = procedure;
        existing->due = due;
    } else {
        timers_.push_back({window, id, interval, procedure, due});
    }
    Changed();
    // Windows answers any non-zero value for a window's timer: the identifier itself
    // unless that is 0.
    return id != 0 ? id : 1;
}

bool MessageQueue::KillTimer(HWND window, UINT_PTR id)
{
    std::lock_guard<std::mutex> hold(lock_);
    auto existing = std::find_if(timers_.begin(), timers_.end(),
                                 [window, id](const Timer &timer) { return timer.window == window && timer.id == id; });
    if (existing == timers_.end())
        return false;
    timers_.erase(existing);
    return true;
}

bool MessageQueue::HasTimer(HWND window, UINT_PTR id, TIMERPROC procedure)
{
    std::lock_guard<std::mutex> hold(lock_);
    return std::any_of(timers_.begin(), timers_.end(), [=](const Timer &timer) {
        return timer.window == window && timer.id == id && timer.procedure == procedure;
    });
}

void MessageQueue::ForgetWindow(HWND window)
{
    std::vector<std::shared_ptr<SentMessage>> unanswered;
    {
        std::lock_guard<std::mutex> hold(lock_);
        posted_.erase(std::remove_if(posted_.begin(), posted_.end(),
                                     [window](const MSG &message) { return message.hwnd == window; }),
                      posted_.end());
        timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                                     [window](const Timer &timer) { return timer.window == window; }),
                      timers_.end());
        for (auto sent = sent_.begin(); sent != sent_.end();) {
            if ((*sent)->window == window) {
                unanswered.push_back(std::move(*sent));
                sent = sent_.erase(sent);
            } else {
                ++sent;
            }
        }
    }
    // Answered outside this lock: the sender's queue has a lock of its own.
    for (const std::shared_ptr<SentMessage> &message : unanswered)
        message->sender->Complete(*message, 0);
}

void MessageQueue::Close()
{
    std::deque<std::shared_ptr<SentMessage>> unanswered;
    std::vector<Watched> dropped;
    {
        std::lock_guard<std::mutex> hold(lock_);
        closed_ = true;
        unanswered.swap(sent_);
        posted_.clear();
        timers_.clear();
        dropped.swap(watched_);
        ++watchChanges_;
        if (wakeFd_ >= 0)
            close(wakeFd_);
        wakeFd_ = -1;
    }
    // On the owner thread, which polls no more.
    polled_.clear();
    pollfds_.clear();
    polledChanges_ = watchChanges_.load();
    for (const std::shared_ptr<SentMessage> &message : unanswered)
        message->sender->Complete(*message, 0);
}

} // namespace qelwin
