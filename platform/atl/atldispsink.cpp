#include "atldispsink.h"

#include "atlconvertedargs.h"

using QelAtlInternal::ConvertedArgs;

HRESULT QelInvokeSinkMap(const _ATL_EVENT_ENTRY *map, UINT nID, const IID &diid, void *self, DISPID dispid,
                         REFIID riid, DISPPARAMS *pDispParams, VARIANT *pVarResult, UINT *puArgErr)
{
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    const _ATL_EVENT_ENTRY *entry = map;
    while (entry->piid && !(entry->nControlID == nID && entry->dispid == dispid && *entry->piid == diid))
        entry++;
    // An event that the sink does not handle is not an error: sources fire all their
    // events to every sink.
    if (!entry->piid)
        return S_OK;
    if (!pDispParams)
        return E_INVALIDARG;
    if (pDispParams->cNamedArgs != 0)
        return DISP_E_NONAMEDARGS;
    const _ATL_FUNC_INFO &info = *entry->pInfo;
    if (info.nParams < 0 || info.nParams > _ATL_MAX_VARTYPES)
        return E_UNEXPECTED;
    UINT count = static_cast<UINT>(info.nParams);
    if (pDispParams->cArgs != count)
        return DISP_E_BADPARAMCOUNT;
    if (count != 0 && !pDispParams->rgvarg)
        return E_INVALIDARG;
    ConvertedArgs args;
    for (UINT i = 0; i < count; i++) {
        if (!args.Take(i, pDispParams->rgvarg[count - 1 - i], info.pVarTypes[i])) {
            if (puArgErr)
                *puArgErr = count - 1 - i;
            return DISP_E_TYPEMISMATCH;
        }
    }
    UINT badArg = 0;
    HRESULT hr = entry->pfnCall(self, args.Data(), count, pVarResult, &badArg);
    if (hr == DISP_E_TYPEMISMATCH && puArgErr)
        *puArgErr = count - 1 - badArg;
    return hr;
}
