#include "hostowner.h"

#include "hostreports.h"

#include <variantarray.h>

namespace QelHost {

STDMETHODIMP CHostOwner::GetServerState(LONG *pState)
{
    if (!pState)
        return E_POINTER;
    *pState = m_state;
    return S_OK;
}

STDMETHODIMP CHostOwner::QueryStatus(const GUID *, ULONG, OLECMD *, OLECMDTEXT *)
{
    return E_NOTIMPL;
}

STDMETHODIMP CHostOwner::Exec(const GUID *group, DWORD id, DWORD, VARIANT *in, VARIANT *out)
{
    if (!group || !IsEqualGUID(*group, CGID_QelHostCommands))
        return OLECMDERR_E_UNKNOWNGROUP;
    if (id != QEL_HOSTCMD_DOCUMENT)
        return OLECMDERR_E_NOTSUPPORTED;
    try {
        CVariantArray arguments(in, FALSE);
        CVariantArray results(out, TRUE);
        if (arguments.GetSize() != 1 || results.GetSize() < 1)
            return E_INVALIDARG;
        std::string file = AnsiText(arguments.GetBSTR(0));
        CComObject<CHostDocument> *document = nullptr;
        HRESULT hr = CComObject<CHostDocument>::CreateInstance(&document);
        if (FAILED(hr))
            return hr;
        CComPtr<IUnknown> held;
        document->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&held));
        document->SetFile(file);
        m_files.push_back(file);
        m_documents.push_back(held);
        VARIANT answer;
        VariantInit(&answer);
        answer.vt = VT_UNKNOWN;
        answer.punkVal = held;
        results[0].SetValue(answer);
        return S_OK;
    } catch (const _com_error &e) {
        return e.Error();
    } catch (CException *e) {
        e->Delete();
        return E_OUTOFMEMORY;
    }
}

} // namespace QelHost
