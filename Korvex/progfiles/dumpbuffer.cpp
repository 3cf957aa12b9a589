#include "dumpbuffer.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iterator>
#include <mutex>
#include <new>
#include <thread>
#include <unistd.h>

// One buffer as the crash handler sees it. Its owner and the handler take turns through
// `state`: only whoever turned an idle slot into a writing one writes it out or changes
// `written`, and gives it back. The owner appends behind `committed` at any time, so the
// handler, which writes only up to `committed`, never sees a line half made. `fd` and
// `data` are set before the slot first becomes idle and are read only during a turn.
struct DumpSlot {
    std::atomic<int> state{0};
    int fd = -1;
    char *data = nullptr;
    std::atomic<size_t> written{0};   // bytes of `data` written out already
    std::atomic<size_t> committed{0}; // bytes of complete lines in `data`
};

namespace {

enum : int { SLOT_FREE, SLOT_TAKEN, SLOT_IDLE, SLOT_WRITING };

const size_t kCapacity = 64 * 1024;
const size_t kLineLimit = 8192; // a line is cut at 8191 characters
// How long the crash handler waits for an owner that is writing its slot out: it runs on
// another thread and finishes soon, unless it is the thread that crashed.
const long kHandlerPatienceNs = 200 * 1000 * 1000;
const int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};

static_assert(std::atomic<int>::is_always_lock_free && std::atomic<size_t>::is_always_lock_free,
              "the crash handler relies on lock-free atomics");

DumpSlot g_slots[64];
struct sigaction g_previous[std::size(kFatalSignals)];
std::once_flag g_handlerInstalled;

// Writes the complete lines of the slot that are not written yet; false when write(2)
// failed, errno saying why. Safe in a signal handler.
bool WriteOut(DumpSlot &slot)
{
    size_t end = slot.committed.load(std::memory_order_acquire);
    size_t done = slot.written.load(std::memory_order_relaxed);
    while (done < end) {
        ssize_t n = write(slot.fd, slot.data + done, end - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += static_cast<size_t>(n);
        slot.written.store(done, std::memory_order_relaxed);
    }
    return true;
}

long NanosecondsSince(const timespec &start)
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (now.tv_sec - start.tv_sec) * 1000000000L + (now.tv_nsec - start.tv_nsec);
}

// The signal's course as it would have been without this handler.
void PassOn(int signal, siginfo_t *info, void *context)
{
    size_t index = 0;
    while (index < std::size(kFatalSignals) && kFatalSignals[index] != signal)
        ++index;
    if (index == std::size(kFatalSignals))
        return;
    const struct sigaction &previous = g_previous[index];
    if ((previous.sa_flags & SA_SIGINFO) != 0 && previous.sa_sigaction != nullptr) {
        previous.sa_sigaction(signal, info, context);
        return;
    }
    if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
        return;
    }
    // The signal stays blocked until this handler returns, and then ends the process;
    // a fault would also come back when its instruction runs again.
    sigaction(signal, &previous, nullptr);
    raise(signal);
}

void FlushDumpsOnCrash(int signal, siginfo_t *info, void *context)
{
    int savedErrno = errno;
    for (DumpSlot &slot : g_slots) {
        timespec start;
        clock_gettime(CLOCK_MONOTONIC, &start);
        for (;;) {
            int expected = SLOT_IDLE;
            if (slot.state.compare_exchange_strong(expected, SLOT_WRITING, std::memory_order_acquire)) {
                WriteOut(slot);
                slot.state.store(SLOT_IDLE, std::memory_order_release);
                break;
            }
            if (expected != SLOT_WRITING || NanosecondsSince(start) > kHandlerPatienceNs)
                break;
        }
    }
    errno = savedErrno;
    PassOn(signal, info, context);
}

void InstallCrashHandler()
{
    struct sigaction action = {};
    action.sa_sigaction = FlushDumpsOnCrash;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    // The previous action is kept before this one is installed, so that a signal that
    // comes at once finds it.
    for (size_t i = 0; i < std::size(kFatalSignals); ++i) {
        sigaction(kFatalSignals[i], nullptr, &g_previous[i]);
        sigaction(kFatalSignals[i], &action, nullptr);
    }
}

// The owner's turn. Only the crash handler can hold the slot meanwhile, and not for long.
void TakeOwnersTurn(DumpSlot &slot)
{
    for (int expected = SLOT_IDLE;
         !slot.state.compare_exchange_weak(expected, SLOT_WRITING, std::memory_order_acquire); expected = SLOT_IDLE)
        std::this_thread::yield();
}

DumpSlot *TakeFreeSlot()
{
    for (DumpSlot &slot : g_slots) {
        int expected = SLOT_FREE;
        if (slot.state.compare_exchange_strong(expected, SLOT_TAKEN, std::memory_order_acquire))
            return &slot;
    }
    return nullptr;
}

} // namespace

CDumpBuffer::~CDumpBuffer()
{
    Detach();
}

BOOL CDumpBuffer::Attach(int fd)
{
    Detach();
    m_nError = 0;
    std::call_once(g_handlerInstalled, InstallCrashHandler);
    m_pData = new (std::nothrow) char[kCapacity];
    DumpSlot *slot = m_pData != nullptr ? TakeFreeSlot() : nullptr;
    if (m_pData != nullptr && slot == nullptr)
        slot = m_ownSlot = new (std::nothrow) DumpSlot;
    if (slot == nullptr) {
        delete[] m_pData;
        m_pData = nullptr;
        m_nError = ENOMEM;
        return FALSE;
    }
    slot->fd = fd;
    slot->data = m_pData;
    slot->written.store(0, std::memory_order_relaxed);
    slot->committed.store(0, std::memory_order_relaxed);
    slot->state.store(SLOT_IDLE, std::memory_order_release);
    m_slot = slot;
    return TRUE;
}

void CDumpBuffer::WriteOutInOwnersTurn()
{
    TakeOwnersTurn(*m_slot);
    if (m_nError == 0 && !WriteOut(*m_slot))
        m_nError = errno;
}

void CDumpBuffer::Detach()
{
    if (m_slot == nullptr)
        return;
    WriteOutInOwnersTurn();
    m_slot->fd = -1;
    m_slot->data = nullptr;
    m_slot->state.store(SLOT_FREE, std::memory_order_release);
    m_slot = nullptr;
    delete m_ownSlot;
    m_ownSlot = nullptr;
    delete[] m_pData;
    m_pData = nullptr;
}

void CDumpBuffer::Flush()
{
    if (m_slot == nullptr)
        return;
    WriteOutInOwnersTurn();
    m_slot->written.store(0, std::memory_order_relaxed);
    m_slot->committed.store(0, std::memory_order_relaxed);
    m_slot->state.store(SLOT_IDLE, std::memory_order_release);
}

char *CDumpBuffer::LineSpace()
{
    if (m_slot == nullptr || m_nError != 0)
        return nullptr;
    size_t used = m_slot->committed.load(std::memory_order_relaxed);
    if (kCapacity - used < kLineLimit) {
        Flush();
        if (m_nError != 0)
            return nullptr;
        used = 0;
    }
    return m_pData + used;
}

void CDumpBuffer::CommitLine(size_t length)
{
    // Only this thread changes `committed`; the release makes the line's bytes visible
    // to a crash handler on another thread before the new end is.
    size_t used = m_slot->committed.load(std::memory_order_relaxed);
    m_slot->committed.store(used + length, std::memory_order_release);
    if (m_slot == m_ownSlot)
        Flush();
}

void CDumpBuffer::AppendV(LPCSTR format, va_list args)
{
    char *line = LineSpace();
    if (line == nullptr)
        return;
    int length = vsnprintf(line, kLineLimit, format, args);
    if (length <= 0)
        return;
    // The line ends at its first zero byte, as a C string does.
    CommitLine(strnlen(line, std::min<size_t>(static_cast<size_t>(length), kLineLimit - 1)));
}

void CDumpBuffer::Append(const char *text, size_t length)
{
    char *line = LineSpace();
    if (line == nullptr || length == 0)
        return;
    length = std::min(length, kLineLimit - 1);
    memcpy(line, text, length);
    CommitLine(length);
}
