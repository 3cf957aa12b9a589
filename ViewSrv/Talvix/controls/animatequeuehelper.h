// The watch window's side of the host's refresh queue (hostinterfaces.h): helpers that
// hold a queue entry with one reference, find or make the entry of two periods, keep an
// entry's periods in the workspace or a profile, and attach a variable object to an entry.
//
// Every operation answers false or 0 without error when the debug server lacks an
// interface; a failed query other than E_NOINTERFACE raises the COM error.
#pragma once

#include <afx.h>
#include <hostinterfaces.h>

class CStorage;
namespace Profile {
class CProfile;
}

// The kind of the periods: the running one is used while the target runs, the holded one
// while it is stopped.
enum AnimatePeriodKind { ANIMATE_RUNNING, ANIMATE_HOLDED };

class CAnimateQueueBaseHelper {
public:
    // With a debug server the target's capabilities are asked at once.
    explicit CAnimateQueueBaseHelper(IUnknown *debugServer = nullptr);
    // Releases the entry held.
    virtual ~CAnimateQueueBaseHelper();
    CAnimateQueueBaseHelper(const CAnimateQueueBaseHelper &) = delete;
    CAnimateQueueBaseHelper &operator=(const CAnimateQueueBaseHelper &) = delete;

    // Holds `entry` in place of the one held before (which is released), asks the
    // capabilities and caches the entry's periods; `addReference`: a reference of its own
    // is added, else the caller's is taken over.
    virtual void AttachEntry(LONG entry, BOOL addReference);
    // The entry, forgotten without a release.
    virtual LONG ForgetEntry();
    virtual void SetDebugServer(IUnknown *debugServer);
    // Fast access: the memory-access object answers property 289 with a value not 0;
    // otherwise slow access when it answers so for 278.
    virtual void QueryCapabilities();

    // The period of that kind of `entry` (0: the one held) from the queue, on when it is
    // not 0; the cached one when the queue is not available. FALSE when it cannot be read.
    BOOL GetPeriod(AnimatePeriodKind kind, LONG *period, BOOL *on, LONG entry = 0);

    LONG GetEntry() const { return m_entry; }
    // The periods cached when the entry was attached.
    LONG GetCachedRunning() const { return m_runningPeriod; }
    LONG GetCachedHolded() const { return m_holdedPeriod; }
    IUnknown *GetDebugServer() const { return m_debugServer; }
    BOOL HasFastAccess() const { return m_fastAccess; }
    BOOL HasSlowAccess() const { return m_slowAccess; }

protected:
    // The queue, when the debug server offers it and says it is available.
    IQelRefreshQueue *Queue();

    IUnknown *m_debugServer = nullptr; // the window's, which outlives the helper
    LONG m_entry = 0;
    BOOL m_fastAccess = FALSE;
    BOOL m_slowAccess = FALSE;
    LONG m_runningPeriod = 0;
    LONG m_holdedPeriod = 0;

private:
    IQelRefreshQueue *m_queue = nullptr;
};

// The entry of a pair of periods, found among the queue's entries or made.
class CAnimateQueueHelper : public CAnimateQueueBaseHelper {
public:
    explicit CAnimateQueueHelper(IUnknown *debugServer = nullptr);

    // Each period is on when it is not 0; TRUE when one at least is.
    BOOL SetPeriods(LONG running, LONG holded);
    LONG GetRequestedRunning() const { return m_requestedRunning; }
    LONG GetRequestedHolded() const { return m_requestedHolded; }

    // Holds the entry of the requested periods: an entry of the queue that has them (a
    // period that is off compares as 0), else a new one with the holded period and, when
    // the target reads memory while it runs, the running one. With neither period on the
    // entry is let go. FALSE when no entry is held then.
    virtual BOOL Apply();

    // The profile form, in section "AnimateQueue": "RunningPeriod" and "HoldedPeriod" as
    // decimal numbers. A read fails for a value that is not set; a test answers whether
    // the stored value is above 0; Clear deletes both and then the section.
    virtual BOOL ReadRunning(Profile::CProfile &profile);
    virtual BOOL TestRunning(Profile::CProfile &profile);
    virtual BOOL ReadHolded(Profile::CProfile &profile);
    virtual BOOL TestHolded(Profile::CProfile &profile);
    virtual BOOL WriteRunning(Profile::CProfile &profile);
    virtual BOOL WriteHolded(Profile::CProfile &profile);
    virtual BOOL Clear(Profile::CProfile &profile);

    // The workspace form: the 4-byte values "RunningPeriod%d" and "HoldedPeriod%d" of
    // entry n. Store writes the held entry's periods as the queue has them (running 0 for
    // a target without access while running); Load takes them when both are there and one
    // is not 0, and applies them unless told not to, when the queue is available; Remove
    // destroys both.
    BOOL Store(int n, CStorage &storage);
    BOOL Load(int n, CStorage &storage, BOOL noApply = FALSE);
    static void Remove(int n, CStorage &storage);

    // Bounds kept with the helper for the editor; the window reads none of them.
    LONG m_firstBound = 500;
    LONG m_secondBound = 100;
    LONG m_thirdBound = 60000;

private:
    LONG m_requestedRunning = 25;
    LONG m_requestedHolded = 100;
    BOOL m_runningOn = FALSE;
    BOOL m_holdedOn = FALSE;
};

// One variable object refreshed through an entry.
class CAnimateObjectHelper : public CAnimateQueueBaseHelper {
public:
    CAnimateObjectHelper(IUnknown *debugServer, IUnknown *object, LONG parameter);
    ~CAnimateObjectHelper() override;

    // Refused (FALSE) while attached.
    BOOL SetObject(IUnknown *object, LONG parameter);
    IUnknown *GetObject() const { return m_object; }
    BOOL AttachObject();
    void DetachObject();
    // Detaches, holds `entry` and, with `attach`, attaches the object again.
    void AdoptEntry(LONG entry, BOOL addReference, BOOL attach);
    BOOL IsAttached() const { return m_attached; }
    // Attached to an entry whose running or holded period is on.
    BOOL IsRunning();

private:
    IUnknown *m_object = nullptr; // one reference
    BOOL m_attached = FALSE;
    LONG m_parameter = 0;
};
