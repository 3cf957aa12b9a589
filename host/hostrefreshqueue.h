// The host's refresh queue: counted entries, each of a kind and with a running and a
// holded period (ms, 0: off), to which variable objects are attached. A clock of its own,
// moved by Advance, says when an entry is due: an entry is refreshed each time its period
// for the target's state has passed since it was last refreshed (or since the period was
// set). Any thread may call it; what is due is handed out, never called under its lock.
#pragma once

#include <atlbase.h>

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

namespace QelHost {

class HostRefreshQueue {
public:
    struct Attachment {
        CComPtr<IUnknown> object;
        LONG parameter;
    };

    // A new entry with one reference; its handle is never 0 and not used again.
    LONG Create(LONG kind, LONG subKind);
    // The first live entry of the kind whose handle is above `after`, with a reference
    // added; 0 when none.
    LONG Next(LONG kind, LONG subKind, LONG after);
    // FALSE for an unknown entry, a mode other than running (3) or holded (2), or a
    // negative period.
    bool GetPeriod(LONG entry, LONG mode, LONG *period) const;
    bool SetPeriod(LONG entry, LONG mode, LONG period);
    bool AddRef(LONG entry);
    // The last release ends the entry and lets its objects go.
    bool Release(LONG entry);
    // An object attached twice to an entry stays once, with the newer parameter.
    bool Attach(LONG entry, IUnknown *object, LONG parameter);
    bool Detach(LONG entry, IUnknown *object);
    // Takes the object out of every entry.
    void DetachEverywhere(IUnknown *object);

    // What a test or the session looks at: the live entries, their references and
    // attachments.
    size_t EntryCount() const;
    LONG References(LONG entry) const;
    std::vector<Attachment> Attachments(LONG entry) const;
    uint64_t Clock() const;

    // Moves the clock on by `ms` in the steps at which entries fall due (periods of the
    // running target when `running`, else the holded ones) and calls `refresh` for each
    // object of each entry due, in order of time.
    void Advance(DWORD ms, bool running, const std::function<void(IUnknown *object)> &refresh);

    // Ends every entry: a host that goes away lets its attached objects go.
    void Clear();

private:
    struct Entry {
        LONG kind;
        LONG subKind;
        LONG references = 1;
        LONG running = 0;
        LONG holded = 0;
        uint64_t last = 0; // clock of the last refresh
        std::vector<Attachment> attachments;
    };

    mutable std::mutex m_lock;
    std::map<LONG, Entry> m_entries;
    LONG m_lastHandle = 0;
    uint64_t m_clock = 0;
};

} // namespace QelHost
