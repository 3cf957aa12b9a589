#include "commandlock.h"

void CComponentCommandLock::Enter()
{
    std::unique_lock<std::mutex> hold(m_state);
    std::thread::id self = std::this_thread::get_id();
    m_free.wait(hold, [&] { return m_depth == 0 || m_owner == self; });
    m_owner = self;
    ++m_depth;
}

void CComponentCommandLock::Leave()
{
    std::lock_guard<std::mutex> hold(m_state);
    if (m_depth == 0 || m_owner != std::this_thread::get_id())
        return;
    if (--m_depth == 0) {
        m_owner = std::thread::id();
        m_free.notify_all();
    }
}

void CComponentCommandLock::BeginSequence()
{
    std::lock_guard<std::mutex> hold(m_state);
    ++m_depth;
    ++m_sequences;
}

bool CComponentCommandLock::EndSequence()
{
    std::lock_guard<std::mutex> hold(m_state);
    // The caller holds the lock through its guard, so a sequence open now is its own.
    if (m_sequences == 0 || m_owner != std::this_thread::get_id() || m_depth < 2)
        return false;
    --m_sequences;
    --m_depth;
    return true;
}
