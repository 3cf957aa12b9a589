#include "atldispatch.h"

#include "atlconvertedargs.h"

using QelAtlInternal::ConvertedArgs;

namespace {

OLECHAR Lower(OLECHAR c)
{
    return c >= u'A' && c <= u'Z' ? static_cast<OLECHAR>(c - u'A' + u'a') : c;
}

bool SameName(LPCOLESTR a, LPCOLESTR b)
{
    for (; *a != 0 && *b != 0; a++, b++) {
        if (Lower(*a) != Lower(*b))
            return false;
    }
    return *a == *b;
}

const _ATL_DISPATCH_ENTRY *FindMember(const _ATL_DISPATCH_ENTRY *table, DISPID dispid)
{
    for (; table->name != nullptr; table++) {
        if (table->dispid == dispid)
            return table;
    }
    return nullptr;
}

// What a failed method leaves for a script: its HRESULT, and the text and source of the
// error information it set.
void FillException(EXCEPINFO *info, HRESULT methodResult)
{
    *info = EXCEPINFO{};
    info->scode = methodResult;
    IErrorInfo *error = nullptr;
    if (GetErrorInfo(0, &error) == S_OK && error != nullptr) {
        error->GetSource(&info->bstrSource);
        error->GetDescription(&info->bstrDescription);
        error->GetHelpFile(&info->bstrHelpFile);
        error->GetHelpContext(&info->dwHelpContext);
        error->Release();
    }
}

} // namespace

HRESULT QelDispatchIdsOfNames(const _ATL_DISPATCH_ENTRY *table, REFIID riid, LPOLESTR *rgszNames, UINT cNames,
                              DISPID *rgDispId)
{
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    if (cNames == 0)
        return S_OK;
    if (rgszNames == nullptr || rgDispId == nullptr)
        return E_POINTER;
    // Only members are named: the arguments have no names here.
    for (UINT i = 0; i < cNames; i++)
        rgDispId[i] = DISPID_UNKNOWN;
    if (rgszNames[0] == nullptr)
        return DISP_E_UNKNOWNNAME;
    for (; table->name != nullptr; table++) {
        if (SameName(table->name, rgszNames[0])) {
            rgDispId[0] = table->dispid;
            return cNames == 1 ? S_OK : DISP_E_UNKNOWNNAME;
        }
    }
    return DISP_E_UNKNOWNNAME;
}

HRESULT QelInvokeDispatchTable(const _ATL_DISPATCH_ENTRY *table, void *itf, DISPID dispid, REFIID riid, WORD wFlags,
                               DISPPARAMS *pDispParams, VARIANT *pVarResult, EXCEPINFO *pExcepInfo, UINT *puArgErr)
{
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    const _ATL_DISPATCH_ENTRY *entry = FindMember(table, dispid);
    if (entry == nullptr || (wFlags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) == 0)
        return DISP_E_MEMBERNOTFOUND;
    if (pDispParams == nullptr)
        return E_INVALIDARG;
    if (pDispParams->cNamedArgs != 0)
        return DISP_E_NONAMEDARGS;
    const _ATL_FUNC_INFO &info = *entry->pInfo;
    UINT count = static_cast<UINT>(info.nParams);
    if (pDispParams->cArgs != count)
        return DISP_E_BADPARAMCOUNT;
    if (count != 0 && pDispParams->rgvarg == nullptr)
        return E_INVALIDARG;
    ConvertedArgs args;
    for (UINT i = 0; i < count; i++) {
        if (!args.Take(i, pDispParams->rgvarg[count - 1 - i], info.pVarTypes[i])) {
            if (puArgErr != nullptr)
                *puArgErr = count - 1 - i;
            return DISP_E_TYPEMISMATCH;
        }
    }
    UINT badArg = 0;
    HRESULT methodResult = S_OK;
    HRESULT hr = entry->pfnCall(itf, args.Data(), count, pVarResult, &badArg, &methodResult);
    if (hr == DISP_E_TYPEMISMATCH && puArgErr != nullptr)
        *puArgErr = count - 1 - badArg;
    if (FAILED(hr))
        return hr;
    if (FAILED(methodResult)) {
        if (pExcepInfo != nullptr)
            FillException(pExcepInfo, methodResult);
        return DISP_E_EXCEPTION;
    }
    return S_OK;
}
