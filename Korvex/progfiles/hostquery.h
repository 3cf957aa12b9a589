// Interfaces of the host that the readers use where the host offers them.
#pragma once

#include <atlbase.h>
#include <comerror.h>

// The interface of `object`, null when it has none; a query that fails otherwise is
// raised as a COM error.
template <class Interface>
CComPtr<Interface> QueryOptional(IUnknown *object)
{
    CComPtr<Interface> result;
    HRESULT hr = object->QueryInterface(qel_uuidof<Interface>(), reinterpret_cast<void **>(&result));
    if (FAILED(hr) && hr != E_NOINTERFACE)
        _com_issue_error(hr);
    return result;
}
