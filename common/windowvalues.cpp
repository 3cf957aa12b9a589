#include "windowvalues.h"

CComPtr<IQelWindowValues> QueryWindowValues(IUnknown *debugServer)
{
    CComQIPtr<IQelHostHolder> holder(debugServer);
    CComPtr<IUnknown> valueObject;
    if (!holder || FAILED(holder->GetWindowValues(&valueObject)) || valueObject == nullptr)
        return nullptr;
    CComQIPtr<IQelWindowValues> values(valueObject.p);
    return values;
}
