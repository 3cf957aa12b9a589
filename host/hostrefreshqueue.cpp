#include "hostrefreshqueue.h"

#include <hostinterfaces.h>

#include <algorithm>

namespace QelHost {

namespace {

bool IsSameObject(IUnknown *a, IUnknown *b)
{
    CComPtr<IUnknown> first, second;
    if (a == nullptr || b == nullptr || FAILED(a->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&first))) ||
        FAILED(b->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&second))))
        return a == b;
    return first == second;
}

} // namespace

LONG HostRefreshQueue::Create(LONG kind, LONG subKind)
{
    std::lock_guard<std::mutex> hold(m_lock);
    // Handles wrap long after any session ends; a live one is skipped.
    do {
        m_lastHandle = m_lastHandle == 0x7FFFFFFF ? 1 : m_lastHandle + 1;
    } while (m_entries.count(m_lastHandle) != 0);
    Entry entry;
    entry.kind = kind;
    entry.subKind = subKind;
    entry.last = m_clock;
    m_entries.emplace(m_lastHandle, std::move(entry));
    return m_lastHandle;
}

LONG HostRefreshQueue::Next(LONG kind, LONG subKind, LONG after)
{
    std::lock_guard<std::mutex> hold(m_lock);
    for (auto it = m_entries.upper_bound(after); it != m_entries.end(); ++it) {
        if (it->second.kind == kind && it->second.subKind == subKind) {
            it->second.references++;
            return it->first;
        }
    }
    return 0;
}

bool HostRefreshQueue::GetPeriod(LONG entry, LONG mode, LONG *period) const
{
    std::lock_guard<std::mutex> hold(m_lock);
    auto it = m_entries.find(entry);
    if (it == m_entries.end() || period == nullptr || (mode != QEL_PERIOD_RUNNING && mode != QEL_PERIOD_HOLDED))
        return false;
    *period = mode == QEL_PERIOD_RUNNING ? it->second.running : it->second.holded;
    return true;
}

bool HostRefreshQueue::SetPeriod(LONG entry, LONG mode, LONG period)
{
    std::lock_guard<std::mutex> hold(m_lock);
    auto it = m_entries.find(entry);
    if (it == m_entries.end() || period < 0 || (mode != QEL_PERIOD_RUNNING && mode != QEL_PERIOD_HOLDED))
        return false;
    (mode == QEL_PERIOD_RUNNING ? it->second.running : it->second.holded) = period;
    it->second.last = m_clock;
    return true;
}

bool HostRefreshQueue::AddRef(LONG entry)
{
    std::lock_guard<std::mutex> hold(m_lock);
    auto it = m_entries.find(entry);
    if (it == m_entries.end())
        return false;
    it->second.references++;
    return true;
}

bool HostRefreshQueue::Release(LONG entry)
{
    std::vector<Attachment> gone; // released after the lock is left: an object may call back
    std::lock_guard<std::mutex> hold(m_lock);
    auto it = m_entries.find(entry);
    if (it == m_entries.end())
        return false;
    if (--it->second.references == 0) {
        gone = std::move(it->second.attachments);
        m_entries.erase(it);
    }
    return true;
}

bool HostRefreshQueue::Attach(LONG entry, IUnknown *object, LONG parameter)
{
    if (object == nullptr)
        return false;
    std::lock_guard<std::mutex> hold(m_lock);
    auto it = m_entries.find(entry);
    if (it == m_entries.end())
        return false;
    for (Attachment &attachment : it->second.attachments) {
        if (IsSameObject(attachment.object, object)) {
            attachment.parameter = parameter;
            return true;
        }
    }
    it->second.attachments.push_back({object, parameter});
    return true;
}

bool HostRefreshQueue::Detach(LONG entry, IUnknown *object)
{
    CComPtr<IUnknown> gone;
    std::lock_guard<std::mutex> hold(m_lock);
    auto it = m_entries.find(entry);
    if (it == m_entries.end())
        return false;
    auto &attachments = it->second.attachments;
    for (auto attachment = attachments.begin(); attachment != attachments.end(); ++attachment) {
        if (IsSameObject(attachment->object, object)) {
            gone = attachment->object;
            attachments.erase(attachment);
            return true;
        }
    }
    return false;
}

void HostRefreshQueue::DetachEverywhere(IUnknown *object)
{
    std::vector<CComPtr<IUnknown>> gone;
    std::lock_guard<std::mutex> hold(m_lock);
    for (auto &[handle, entry] : m_entries) {
        auto &attachments = entry.attachments;
        for (auto attachment = attachments.begin(); attachment != attachments.end();) {
            if (IsSameObject(attachment->object, object)) {
                gone.push_back(attachment->object);
                attachment = attachments.erase(attachment);
            } else {
                ++attachment;
            }
        }
    }
}

size_t HostRefreshQueue::EntryCount() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_entries.size();
}

LONG HostRefreshQueue::References(LONG entry) const
{
    std::lock_guard<std::mutex> hold(m_lock);
    auto it = m_entries.find(entry);
    return it == m_entries.end() ? 0 : it->second.references;
}

std::vector<HostRefreshQueue::Attachment> HostRefreshQueue::Attachments(LONG entry) const
{
    std::lock_guard<std::mutex> hold(m_lock);
    auto it = m_entries.find(entry);
    return it == m_entries.end() ? std::vector<Attachment>() : it->second.attachments;
}

uint64_t HostRefreshQueue::Clock() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_clock;
}

void HostRefreshQueue::Advance(DWORD ms, bool running, const std::function<void(IUnknown *object)> &refresh)
{
    uint64_t end;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        end = m_clock + ms;
    }
    for (;;) {
        std::vector<CComPtr<IUnknown>> due;
        {
            std::lock_guard<std::mutex> hold(m_lock);
            uint64_t next = end + 1;
            for (const auto &[handle, entry] : m_entries) {
                LONG period = running ? entry.running : entry.holded;
                if (period > 0)
                    next = std::min(next, entry.last + static_cast<uint64_t>(period));
            }
            if (next > end) {
                m_clock = end;
                // An entry without a period for this state waits for nothing: its period
                // for the other state counts from here.
                for (auto &[handle, entry] : m_entries) {
                    if ((running ? entry.running : entry.holded) <= 0)
                        entry.last = end;
                }
                return;
            }
            m_clock = next;
            for (auto &[handle, entry] : m_entries) {
                LONG period = running ? entry.running : entry.holded;
                if (period > 0 && entry.last + static_cast<uint64_t>(period) == next) {
                    entry.last = next;
                    for (const Attachment &attachment : entry.attachments)
                        due.push_back(attachment.object);
                }
            }
        }
        for (IUnknown *object : due)
            refresh(object);
    }
}

void HostRefreshQueue::Clear()
{
    std::map<LONG, Entry> gone;
    std::lock_guard<std::mutex> hold(m_lock);
    gone.swap(m_entries);
}

} // namespace QelHost
