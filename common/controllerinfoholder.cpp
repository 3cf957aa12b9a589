#include "controllerinfoholder.h"

#include "windowvalues.h"

namespace {

CComPtr<IQelControllerInfo> FindControllerInfo(IUnknown *host)
{
    CComPtr<IQelWindowValues> windowValues = QueryWindowValues(host);
    CComPtr<IQelTargetObject> target;
    if (!windowValues || FAILED(windowValues->GetTargetObject(&target)) || !target)
        return nullptr;
    CComPtr<IUnknown> controller;
    if (FAILED(target->GetControllerObject(&controller)))
        return nullptr;
    CComQIPtr<IQelControllerInfo> info(controller.p);
    return info;
}

} // namespace

CControllerInfoHolder &CControllerInfoHolder::operator=(IUnknown *host)
{
    // Found before the old interface goes, so that a host handed in through that very
    // interface stays alive for the walk.
    CComPtr<IQelControllerInfo> found = FindControllerInfo(host);
    m_info = found;
    return *this;
}
