#include "atldispsink.h"

namespace {

// The arguments of one call, converted to the table's types, first argument first.
// Those that conversion made are owned here and cleared at the end; the others are the
// caller's, lent as they stand.
class ConvertedArgs {
public:
    ConvertedArgs()
    {
        for (VARIANT &arg : args_)
            VariantInit(&arg);
    }
    ~ConvertedArgs()
    {
        for (UINT i = 0; i < _ATL_MAX_VARTYPES; i++) {
            if (owned_[i])
                VariantClear(&args_[i]);
        }
    }
    ConvertedArgs(const ConvertedArgs &) = delete;
    ConvertedArgs &operator=(const ConvertedArgs &) = delete;

    // Takes `arg` as argument `i` of the type `want`.
    bool Take(UINT i, const VARIANT &arg, VARTYPE want)
    {
        if (want == VT_VARIANT || arg.vt == want) {
            args_[i] = arg;
            return true;
        }
        if (want & VT_BYREF)
            return false;
        if (FAILED(VariantChangeType(&args_[i], &arg, 0, want)))
            return false;
        owned_[i] = true;
        return true;
    }

    VARIANT *Data() { return args_; }

private:
    VARIANT args_[_ATL_MAX_VARTYPES];
    bool owned_[_ATL_MAX_VARTYPES] = {};
};

} // namespace

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
