#include "hostcommobject.h"

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
