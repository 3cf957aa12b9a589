#include "debugserver.h"

namespace QelHost {

namespace {

// The object's first reference goes to the caller.
template <class Object>
HRESULT Create(CComObject<Object> **object)
{
    HRESULT hr = CComObject<Object>::CreateInstance(object);
    if (SUCCEEDED(hr))
        (*object)->AddRef();
    return hr;
}

HRESULT HandOut(IUnknown *object, IUnknown **pp)
{
    if (pp == nullptr)
        return E_POINTER;
    *pp = object;
    if (object == nullptr)
        return E_FAIL;
    object->AddRef();
    return S_OK;
}

} // namespace

STDMETHODIMP CHostTargetObject::GetControllerObject(IUnknown **ppController)
{
    return HandOut(m_controller, ppController);
}

STDMETHODIMP CHostWindowValues::GetTargetObject(IQelTargetObject **ppTarget)
{
    if (ppTarget == nullptr)
        return E_POINTER;
    *ppTarget = m_target;
    if (m_target == nullptr)
        return E_FAIL;
    m_target->AddRef();
    return S_OK;
}

STDMETHODIMP CHostDebugServer::GetWindowValues(IUnknown **ppWindowValues)
{
    return HandOut(m_windowValues, ppWindowValues);
}

HRESULT CreateDebugServer(const ControllerConfig &config, IUnknown **ppServer)
{
    if (ppServer == nullptr)
        return E_POINTER;
    *ppServer = nullptr;
    CComObject<CHostControllerInfo> *controller = nullptr;
    CComObject<CHostTargetObject> *target = nullptr;
    CComObject<CHostWindowValues> *windowValues = nullptr;
    CComObject<CHostDebugServer> *server = nullptr;
    HRESULT hr = Create(&controller);
    if (SUCCEEDED(hr))
        hr = Create(&target);
    if (SUCCEEDED(hr))
        hr = Create(&windowValues);
    if (SUCCEEDED(hr))
        hr = Create(&server);
    if (SUCCEEDED(hr)) {
        controller->Configure(config);
        target->SetController(static_cast<IQelControllerInfo *>(controller));
        windowValues->SetTarget(target);
        server->SetWindowValues(static_cast<IQelWindowValues *>(windowValues));
        *ppServer = static_cast<IQelHostHolder *>(server);
        server = nullptr; // the caller's reference now
    }
    // Each object of the chain is held by the one before it.
    if (server != nullptr)
        server->Release();
    if (windowValues != nullptr)
        windowValues->Release();
    if (target != nullptr)
        target->Release();
    if (controller != nullptr)
        controller->Release();
    return hr;
}

} // namespace QelHost
