#include "controllerinfoholder.h"

namespace {

CComPtr<IQelControllerInfo> FindControllerInfo(IUnknown *host)
{
    CComQIPtr<IQelHostHolder> holder(host);
    CComPtr<IUnknown> values;
    if (!holder || FAILED(holder->GetWindowValues(&values)))
        return nullptr;
    CComQIPtr<IQelWindowValues> windowValues(values.p);
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
