#include "hostcommobject.h"

#include "hostcomplexmemory.h"
#include "hosttarget.h"
#include "hostvaluenotices.h"

#include <qelcommvariable.h>

namespace QelHost {

namespace {

HRESULT HandOut(IUnknown *object, void **ppv)
{
    if (object == nullptr)
        return E_NOINTERFACE;
    object->AddRef();
    *ppv = object;
    return S_OK;
}

} // namespace

HRESULT CHostIdleObject::QueryOwn(void *self, REFIID iid, void **ppv)
{
    auto *object = static_cast<CHostIdleObject *>(self);
    if (iid != object->m_iid)
        return E_NOINTERFACE;
    return HandOut(object->GetUnknown(), ppv);
}

HRESULT CHostCommObject::Init(CHostTarget *target)
{
    if (target == nullptr)
        return E_POINTER;
    HRESULT hr = target->CreateComplexMemory(&m_memory);
    if (SUCCEEDED(hr)) {
        m_target = target;
        target->AddCommObject(this);
    }
    CComObject<CHostIdleObject> *idle = nullptr;
    if (SUCCEEDED(hr))
        hr = CComObject<CHostIdleObject>::CreateInstance(&idle);
    if (SUCCEEDED(hr)) {
        idle->SetInterface(IID_QelCommObject28CDD976);
        m_idle = idle->GetUnknown();
    }
    CComObject<CHostValueNotices> *notices = nullptr;
    if (SUCCEEDED(hr))
        hr = CComObject<CHostValueNotices>::CreateInstance(&notices);
    if (SUCCEEDED(hr))
        m_notices = static_cast<IQelValueNotices *>(notices);
    return hr;
}

void CHostCommObject::FinalRelease()
{
    // The complex memory holds the target, so it is there still.
    if (m_target != nullptr)
        m_target->RemoveCommObject(this);
}

bool CHostCommObject::TryAddRef()
{
    LONG count = 1; // a guess; each exchange that fails tells the count that stands
    for (;;) {
        if (count <= 0)
            return false; // its last reference has gone
        LONG before = CComMultiThreadModel::CompareExchange(&m_dwRef, count + 1, count);
        if (before == count)
            return true;
        count = before;
    }
}

bool CHostCommObject::HasSink()
{
    ObjectLock hold(this);
    for (IUnknown **sink = m_vec.begin(); sink < m_vec.end(); ++sink) {
        if (*sink != nullptr)
            return true;
    }
    return false;
}

void CHostCommObject::OnStop()
{
    IUnknown *user = m_memory != nullptr ? static_cast<CHostComplexMemory *>(m_memory.p)->User() : nullptr;
    if (user == nullptr || !HasSink())
        return;
    CComQIPtr<IQelUniCommStub> stub(user);
    if (stub == nullptr)
        return;
    stub->Refresh(0);
    ++m_refreshes;
    CComVariant object(user);
    CComVariant count;
    count.vt = VT_UI4;
    count.ulVal = m_refreshes;
    CComVariant flag;
    flag.vt = VT_BOOL;
    flag.boolVal = VARIANT_TRUE;
    FireEvent(DISPID_COMMOBJECT_FIRST, {object, count, flag});
}

HRESULT CHostCommObject::QueryParts(void *self, REFIID iid, void **ppv)
{
    auto *object = static_cast<CHostCommObject *>(self);
    if (iid == qel_uuidof<IQelComplexMemory>())
        return HandOut(object->m_memory, ppv);
    if (iid == qel_uuidof<IQelValueNotices>())
        return HandOut(object->m_notices, ppv);
    if (iid == IID_QelCommObject28CDD976)
        return HandOut(object->m_idle, ppv);
    return E_NOINTERFACE;
}

HRESULT CreateCommObject(CHostTarget *target, IUnknown **ppObject)
{
    if (ppObject == nullptr)
        return E_POINTER;
    *ppObject = nullptr;
    CComObject<CHostCommObject> *object = nullptr;
    HRESULT hr = CComObject<CHostCommObject>::CreateInstance(&object);
    if (FAILED(hr))
        return hr;
    CComPtr<IUnknown> hold(object->GetUnknown());
    hr = object->Init(target);
    if (FAILED(hr))
        return hr;
    *ppObject = hold.Detach();
    return S_OK;
}

} // namespace QelHost
