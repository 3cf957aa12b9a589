#include "animatequeuehelper.h"

#include <comerror.h>
#include <profile.h>
#include <storagewrapper.h>

#include <cstdio>

namespace {

// The entries of the watch window's refreshes.
constexpr LONG kEntryKind = 4;
constexpr LONG kEntrySubKind = 2;
constexpr LONG kPropertyKind = 1;
constexpr LONG kFastAccess = 289;
constexpr LONG kSlowAccess = 278;
const char kSection[] = "AnimateQueue";

LONG ModeOf(AnimatePeriodKind kind)
{
    return kind == ANIMATE_RUNNING ? QEL_PERIOD_RUNNING : QEL_PERIOD_HOLDED;
}

// The interface of the debug server, or NULL when it has none; another failure is raised.
template <class Interface>
Interface *Query(IUnknown *server)
{
    Interface *found = nullptr;
    if (server == nullptr)
        return nullptr;
    HRESULT hr = server->QueryInterface(qel_uuidof<Interface>(), reinterpret_cast<void **>(&found));
    if (hr == E_NOINTERFACE)
        return nullptr;
    if (FAILED(hr))
        _com_issue_error(hr);
    return found;
}

CString ValueName(const char *name, int n)
{
    CString text;
    text.Format("%s%d", name, n);
    return text;
}

} // namespace

CAnimateQueueBaseHelper::CAnimateQueueBaseHelper(IUnknown *debugServer)
{
    SetDebugServer(debugServer);
}

CAnimateQueueBaseHelper::~CAnimateQueueBaseHelper()
{
    if (m_entry != 0 && Queue() != nullptr)
        m_queue->ReleaseEntry(m_entry);
    if (m_queue != nullptr)
        m_queue->Release();
}

void CAnimateQueueBaseHelper::SetDebugServer(IUnknown *debugServer)
{
    if (m_queue != nullptr) {
        m_queue->Release();
        m_queue = nullptr;
    }
    m_debugServer = debugServer;
    if (m_debugServer != nullptr)
        QueryCapabilities();
}

IQelRefreshQueue *CAnimateQueueBaseHelper::Queue()
{
    if (m_queue != nullptr)
        return m_queue;
    IQelRefreshQueueState *state = Query<IQelRefreshQueueState>(m_debugServer);
    BOOL available = FALSE;
    if (state != nullptr) {
        if (FAILED(state->IsQueueAvailable(&available)))
            available = FALSE;
        state->Release();
    }
    if (available)
        m_queue = Query<IQelRefreshQueue>(m_debugServer);
    return m_queue;
}

void CAnimateQueueBaseHelper::QueryCapabilities()
{
    m_fastAccess = m_slowAccess = FALSE;
    IQelMemoryAccess *holder = Query<IQelMemoryAccess>(m_debugServer);
    if (holder == nullptr)
        return;
    IQelMemoryAccessObject *access = nullptr;
    if (SUCCEEDED(holder->GetMemoryAccess(&access)) && access != nullptr) {
        LONG value = 0;
        if (SUCCEEDED(access->GetProperty(kPropertyKind, kFastAccess, &value)) && value != 0)
            m_fastAccess = TRUE;
        else if (SUCCEEDED(access->GetProperty(kPropertyKind, kSlowAccess, &value)) && value != 0)
            m_slowAccess = TRUE;
        access->Release();
    }
    holder->Release();
}

void CAnimateQueueBaseHelper::AttachEntry(LONG entry, BOOL addReference)
{
    IQelRefreshQueue *queue = Queue();
    if (queue != nullptr && addReference && entry != 0)
        queue->AddRefEntry(entry);
    if (queue != nullptr && m_entry != 0)
        queue->ReleaseEntry(m_entry);
    m_entry = entry;
    QueryCapabilities();
    BOOL on = FALSE;
    if (!GetPeriod(ANIMATE_HOLDED, &m_holdedPeriod, &on))
        m_holdedPeriod = 0;
    if (!GetPeriod(ANIMATE_RUNNING, &m_runningPeriod, &on))
        m_runningPeriod = 0;
}

LONG CAnimateQueueBaseHelper::ForgetEntry()
{
    LONG entry = m_entry;
    m_entry = 0;
    return entry;
}

BOOL CAnimateQueueBaseHelper::GetPeriod(AnimatePeriodKind kind, LONG *period, BOOL *on, LONG entry)
{
    if (period == nullptr || on == nullptr)
        return FALSE;
    IQelRefreshQueue *queue = Queue();
    if (queue == nullptr) {
        *period = kind == ANIMATE_RUNNING ? m_runningPeriod : m_holdedPeriod;
        *on = *period != 0;
        return TRUE;
    }
    LONG read = 0;
    if (FAILED(queue->GetPeriod(entry != 0 ? entry : m_entry, ModeOf(kind), &read)))
        return FALSE;
    *period = read;
    *on = read != 0;
    return TRUE;
}

CAnimateQueueHelper::CAnimateQueueHelper(IUnknown *debugServer) : CAnimateQueueBaseHelper(debugServer)
{
    if (m_fastAccess)
        m_firstBound = 25;
}

BOOL CAnimateQueueHelper::SetPeriods(LONG running, LONG holded)
{
    m_requestedRunning = running;
    m_requestedHolded = holded;
    m_runningOn = running != 0;
    m_holdedOn = holded != 0;
    return m_runningOn || m_holdedOn;
}

BOOL CAnimateQueueHelper::Apply()
{
    IQelRefreshQueue *queue = Queue();
    if (!m_runningOn && !m_holdedOn) {
        if (queue != nullptr && m_entry != 0)
            queue->ReleaseEntry(m_entry);
        m_entry = 0;
        return FALSE;
    }
    if (queue == nullptr)
        return FALSE;
    QueryCapabilities();
    const LONG running = m_runningOn ? m_requestedRunning : 0;
    const LONG holded = m_holdedOn ? m_requestedHolded : 0;
    LONG candidate = 0;
    while (queue->NextEntry(kEntryKind, kEntrySubKind, candidate, &candidate) == S_OK && candidate != 0) {
        LONG first = -1, second = -1;
        if (SUCCEEDED(queue->GetPeriod(candidate, QEL_PERIOD_RUNNING, &first)) &&
            SUCCEEDED(queue->GetPeriod(candidate, QEL_PERIOD_HOLDED, &second)) && first == running &&
            second == holded) {
            AttachEntry(candidate, FALSE); // with the enumeration's reference
            return TRUE;
        }
        queue->ReleaseEntry(candidate);
    }
    LONG made = 0;
    if (FAILED(queue->CreateEntry(kEntryKind, kEntrySubKind, &made)) || made == 0)
        return FALSE;
    HRESULT hr = queue->SetPeriod(made, QEL_PERIOD_HOLDED, holded);
    if (SUCCEEDED(hr) && (m_fastAccess || m_slowAccess))
        hr = queue->SetPeriod(made, QEL_PERIOD_RUNNING, running);
    if (FAILED(hr)) {
        queue->ReleaseEntry(made);
        return FALSE;
    }
    AttachEntry(made, FALSE);
    return TRUE;
}

BOOL CAnimateQueueHelper::ReadRunning(Profile::CProfile &profile)
{
    DWORD value = 0;
    if (!profile.GetLong(kSection, "RunningPeriod", static_cast<DWORD>(-1), &value) || value == static_cast<DWORD>(-1))
        return FALSE;
    m_requestedRunning = static_cast<LONG>(value);
    m_runningOn = m_requestedRunning != 0;
    return TRUE;
}

BOOL CAnimateQueueHelper::TestRunning(Profile::CProfile &profile)
{
    DWORD value = 0;
    return profile.GetLong(kSection, "RunningPeriod", static_cast<DWORD>(-1), &value) &&
           static_cast<LONG>(value) > 0;
}

BOOL CAnimateQueueHelper::ReadHolded(Profile::CProfile &profile)
{
    DWORD value = 0;
    if (!profile.GetLong(kSection, "HoldedPeriod", static_cast<DWORD>(-1), &value) || value == static_cast<DWORD>(-1))
        return FALSE;
    m_requestedHolded = static_cast<LONG>(value);
    m_holdedOn = m_requestedHolded != 0;
    return TRUE;
}

BOOL CAnimateQueueHelper::TestHolded(Profile::CProfile &profile)
{
    DWORD value = 0;
    return profile.GetLong(kSection, "HoldedPeriod", static_cast<DWORD>(-1), &value) && static_cast<LONG>(value) > 0;
}

BOOL CAnimateQueueHelper::WriteRunning(Profile::CProfile &profile)
{
    return profile.WriteLong(kSection, "RunningPeriod", m_requestedRunning, 10);
}

BOOL CAnimateQueueHelper::WriteHolded(Profile::CProfile &profile)
{
    return profile.WriteLong(kSection, "HoldedPeriod", m_requestedHolded, 10);
}

BOOL CAnimateQueueHelper::Clear(Profile::CProfile &profile)
{
    BOOL running = profile.DeleteEntry(kSection, "RunningPeriod");
    BOOL holded = profile.DeleteEntry(kSection, "HoldedPeriod");
    return profile.DeleteSection(kSection) && running && holded;
}

BOOL CAnimateQueueHelper::Store(int n, CStorage &storage)
{
    LONG running = 0, holded = 0;
    BOOL on = FALSE;
    if (!GetPeriod(ANIMATE_HOLDED, &holded, &on))
        return FALSE;
    QueryCapabilities();
    if ((m_fastAccess || m_slowAccess) && !GetPeriod(ANIMATE_RUNNING, &running, &on))
        return FALSE;
    m_requestedRunning = running;
    m_requestedHolded = holded;
    m_runningOn = running != 0;
    m_holdedOn = holded != 0;
    return storage.WriteLong(ValueName("RunningPeriod", n), running) == 0 &&
           storage.WriteLong(ValueName("HoldedPeriod", n), holded) == 0;
}

BOOL CAnimateQueueHelper::Load(int n, CStorage &storage, BOOL noApply)
{
    LONG running = 0, holded = 0;
    if (!storage.ReadBinary(ValueName("RunningPeriod", n), &running, sizeof running) ||
        !storage.ReadBinary(ValueName("HoldedPeriod", n), &holded, sizeof holded) || !SetPeriods(running, holded) ||
        running < 0 || holded < 0)
        return FALSE;
    if (!noApply && Queue() != nullptr)
        Apply();
    return TRUE;
}

void CAnimateQueueHelper::Remove(int n, CStorage &storage)
{
    storage.DestroyElement(ValueName("RunningPeriod", n));
    storage.DestroyElement(ValueName("HoldedPeriod", n));
}

CAnimateObjectHelper::CAnimateObjectHelper(IUnknown *debugServer, IUnknown *object, LONG parameter)
    : CAnimateQueueBaseHelper(debugServer)
{
    SetObject(object, parameter);
}

CAnimateObjectHelper::~CAnimateObjectHelper()
{
    DetachObject();
    if (m_object != nullptr)
        m_object->Release();
}

BOOL CAnimateObjectHelper::SetObject(IUnknown *object, LONG parameter)
{
    if (m_attached)
        return FALSE;
    if (object != nullptr)
        object->AddRef();
    if (m_object != nullptr)
        m_object->Release();
    m_object = object;
    m_parameter = parameter;
    return TRUE;
}

BOOL CAnimateObjectHelper::AttachObject()
{
    IQelRefreshQueue *queue = Queue();
    if (m_attached || m_object == nullptr || m_entry == 0 || queue == nullptr)
        return FALSE;
    m_attached = SUCCEEDED(queue->Attach(m_entry, m_object, m_parameter));
    return m_attached;
}

void CAnimateObjectHelper::DetachObject()
{
    if (!m_attached)
        return;
    if (Queue() != nullptr)
        Queue()->Detach(m_entry, m_object);
    m_attached = FALSE;
}

void CAnimateObjectHelper::AdoptEntry(LONG entry, BOOL addReference, BOOL attach)
{
    DetachObject();
    AttachEntry(entry, addReference);
    if (attach)
        AttachObject();
}

BOOL CAnimateObjectHelper::IsRunning()
{
    LONG period = 0;
    BOOL running = FALSE, holded = FALSE;
    return m_entry != 0 && m_attached &&
           ((GetPeriod(ANIMATE_RUNNING, &period, &running) && running) ||
            (GetPeriod(ANIMATE_HOLDED, &period, &holded) && holded));
}
