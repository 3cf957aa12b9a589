#include "hostvariableservices.h"

#include "hostvaluenotices.h"

#include <qelcommvariable.h>

namespace QelHost {

namespace {

// The memory-access properties of the target's capabilities.
constexpr LONG kPropertyKind = 1;
constexpr LONG kFastAccess = 289;
constexpr LONG kSlowAccess = 278;

HWND WindowOf(LONG window)
{
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(window));
}

uintptr_t IdentityOf(IUnknown *object)
{
    CComPtr<IUnknown> identity;
    if (object == nullptr || FAILED(object->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&identity))))
        return reinterpret_cast<uintptr_t>(object);
    return reinterpret_cast<uintptr_t>(identity.p);
}

} // namespace

STDMETHODIMP CHostMemoryAccess::GetProperty(LONG kind, LONG id, LONG *pValue)
{
    if (pValue == nullptr)
        return E_POINTER;
    if (kind != kPropertyKind || (id != kFastAccess && id != kSlowAccess) || m_target == nullptr)
        return E_INVALIDARG;
    RunningAccess access = m_target->GetRunningAccess();
    // A target that reads fast reads slowly as well.
    *pValue = id == kFastAccess ? access == RunningAccess::Fast : access != RunningAccess::None;
    return S_OK;
}

std::vector<HostVariableCall> CHostVariableServices::Calls() const
{
    std::lock_guard<std::mutex> hold(m_callLock);
    return m_calls;
}

void CHostVariableServices::Record(const HostVariableCall &call)
{
    std::lock_guard<std::mutex> hold(m_callLock);
    m_calls.push_back(call);
}

void CHostVariableServices::Animate(DWORD ms)
{
    m_queue.Advance(ms, m_target->RunState() == kTargetRunning, [this](IUnknown *object) { Update(object, 0, 0); });
}

STDMETHODIMP CHostVariableServices::Update(IUnknown *object, LONG deferred, LONG write)
{
    HostVariableCall call{HostVariableCall::Update, IdentityOf(object), deferred, write, -1, false};
    CComQIPtr<IQelUniCommStub> stub(object);
    if (stub == nullptr) {
        Record(call);
        return object == nullptr ? E_POINTER : E_NOINTERFACE;
    }
    call.refreshed = stub->Refresh(write);
    HWND window = nullptr;
    UINT message = 0;
    if (FindNotifyWindow(object, &window, &message))
        call.notified = PostMessageA(window, message, 0, static_cast<LPARAM>(call.object)) != FALSE;
    Record(call);
    return S_OK;
}

STDMETHODIMP CHostVariableServices::Withdraw(IUnknown *object)
{
    Record({HostVariableCall::Withdraw, IdentityOf(object), 0, 0, -1, false});
    if (object == nullptr)
        return E_POINTER;
    m_queue.DetachEverywhere(object);
    return S_OK;
}

STDMETHODIMP CHostVariableServices::GetTargetState(ULONG *pState)
{
    if (pState == nullptr)
        return E_POINTER;
    *pState = m_target->HostState();
    return S_OK;
}

STDMETHODIMP CHostVariableServices::Register(LONG window, UINT message)
{
    if (!IsWindow(WindowOf(window)))
        return E_INVALIDARG;
    m_target->RegisterRefreshWindow(WindowOf(window), message);
    return S_OK;
}

STDMETHODIMP CHostVariableServices::Unregister(LONG window)
{
    return m_target->UnregisterRefreshWindow(WindowOf(window)) ? S_OK : S_FALSE;
}

STDMETHODIMP CHostVariableServices::CreateEntry(LONG kind, LONG subKind, LONG *pEntry)
{
    if (pEntry == nullptr)
        return E_POINTER;
    *pEntry = m_queue.Create(kind, subKind);
    return S_OK;
}

STDMETHODIMP CHostVariableServices::NextEntry(LONG kind, LONG subKind, LONG after, LONG *pEntry)
{
    if (pEntry == nullptr)
        return E_POINTER;
    *pEntry = m_queue.Next(kind, subKind, after);
    return *pEntry != 0 ? S_OK : S_FALSE;
}

STDMETHODIMP CHostVariableServices::GetPeriod(LONG entry, LONG mode, LONG *pPeriod)
{
    if (pPeriod == nullptr)
        return E_POINTER;
    return m_queue.GetPeriod(entry, mode, pPeriod) ? S_OK : E_INVALIDARG;
}

STDMETHODIMP CHostVariableServices::SetPeriod(LONG entry, LONG mode, LONG period)
{
    return m_queue.SetPeriod(entry, mode, period) ? S_OK : E_INVALIDARG;
}

STDMETHODIMP CHostVariableServices::AddRefEntry(LONG entry)
{
    return m_queue.AddRef(entry) ? S_OK : E_INVALIDARG;
}

STDMETHODIMP CHostVariableServices::ReleaseEntry(LONG entry)
{
    return m_queue.Release(entry) ? S_OK : E_INVALIDARG;
}

STDMETHODIMP CHostVariableServices::Attach(LONG entry, IUnknown *object, LONG parameter)
{
    if (object == nullptr)
        return E_POINTER;
    return m_queue.Attach(entry, object, parameter) ? S_OK : E_INVALIDARG;
}

STDMETHODIMP CHostVariableServices::Detach(LONG entry, IUnknown *object)
{
    if (object == nullptr)
        return E_POINTER;
    return m_queue.Detach(entry, object) ? S_OK : E_INVALIDARG;
}

STDMETHODIMP CHostVariableServices::IsQueueAvailable(BOOL *pAvailable)
{
    if (pAvailable == nullptr)
        return E_POINTER;
    *pAvailable = TRUE;
    return S_OK;
}

STDMETHODIMP CHostVariableServices::GetMemoryAccess(IQelMemoryAccessObject **ppAccess)
{
    if (ppAccess == nullptr)
        return E_POINTER;
    *ppAccess = nullptr;
    CComObject<CHostMemoryAccess> *access = nullptr;
    HRESULT hr = CComObject<CHostMemoryAccess>::CreateInstance(&access);
    if (FAILED(hr))
        return hr;
    access->SetTarget(m_target);
    access->AddRef();
    *ppAccess = access;
    return S_OK;
}

} // namespace QelHost
