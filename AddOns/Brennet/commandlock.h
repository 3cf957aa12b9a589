// The component's command lock: one thread at a time runs a guarded method, and a
// command sequence (BeginCmdSequence to EndCmdSequence) keeps the lock between the host's
// calls.
//
// The lock knows its owner thread and how often the owner entered it, and how many of
// those entries are open sequences. Ending a sequence that the calling thread did not
// begin is refused and leaves the lock as it is: leaving a lock that one's own thread did
// not enter would free it under another thread's feet.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

class CComponentCommandLock {
public:
    // Waits until no other thread holds the lock; the owner enters again at once.
    void Enter();
    // Leaves one entry of the calling thread, which must hold the lock.
    void Leave();
    // Called by the owner inside a guarded method: one more entry, kept as a sequence.
    void BeginSequence();
    // Leaves the entry of the caller's last open sequence; false, leaving nothing, when
    // the calling thread has none open.
    bool EndSequence();

private:
    std::mutex m_state;
    std::condition_variable m_free;
    std::thread::id m_owner;
    unsigned m_depth = 0;
    unsigned m_sequences = 0;
};

// Holds one entry of the lock for its scope.
class CComponentLockHold {
public:
    explicit CComponentLockHold(CComponentCommandLock &lock) : m_lock(lock) { m_lock.Enter(); }
    ~CComponentLockHold() { m_lock.Leave(); }
    CComponentLockHold(const CComponentLockHold &) = delete;
    CComponentLockHold &operator=(const CComponentLockHold &) = delete;

private:
    CComponentCommandLock &m_lock;
};
