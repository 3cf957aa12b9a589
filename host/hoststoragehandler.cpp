#include "hoststoragehandler.h"

namespace QelHost {

namespace {

// Calls `visit` with each element's STATSTG; the storage's error when it cannot be
// enumerated.
template <typename Visit>
HRESULT ForEachElement(IStorage *storage, Visit visit)
{
    if (storage == nullptr)
        return E_UNEXPECTED;
    CComPtr<IEnumSTATSTG> elements;
    HRESULT hr = storage->EnumElements(0, nullptr, 0, &elements);
    if (FAILED(hr))
        return hr;
    STATSTG element;
    while (elements->Next(1, &element, nullptr) == S_OK) {
        visit(element);
        CoTaskMemFree(element.pwcsName);
    }
    return S_OK;
}

class CHostStorageHandlerFactory : public CComObjectRootEx<CComMultiThreadModel>, public IClassFactory {
public:
    BEGIN_COM_MAP(CHostStorageHandlerFactory)
        COM_INTERFACE_ENTRY(IClassFactory)
    END_COM_MAP()

    STDMETHODIMP CreateInstance(IUnknown *pUnkOuter, REFIID riid, void **ppvObject) override
    {
        if (ppvObject == nullptr)
            return E_POINTER;
        *ppvObject = nullptr;
        if (pUnkOuter != nullptr)
            return CLASS_E_NOAGGREGATION;
        CComObject<CHostStorageHandler> *handler = nullptr;
        HRESULT hr = CComObject<CHostStorageHandler>::CreateInstance(&handler);
        if (FAILED(hr))
            return hr;
        handler->AddRef();
        hr = handler->QueryInterface(riid, ppvObject);
        handler->Release();
        return hr;
    }
    // Nothing to keep loaded: the class lives in the host itself.
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

} // namespace

STDMETHODIMP CHostStorageElements::GetCount(LONG *pCount)
{
    if (pCount == nullptr)
        return E_POINTER;
    LONG count = 0;
    HRESULT hr = ForEachElement(m_storage, [&count](const STATSTG &) { ++count; });
    if (SUCCEEDED(hr))
        *pCount = count;
    return hr;
}

STDMETHODIMP CHostStorageElements::GetName(BSTR *pbstrName)
{
    if (pbstrName == nullptr)
        return E_POINTER;
    *pbstrName = nullptr;
    if (m_storage == nullptr)
        return E_UNEXPECTED;
    STATSTG stat;
    HRESULT hr = m_storage->Stat(&stat, STATFLAG_DEFAULT);
    if (FAILED(hr))
        return hr;
    *pbstrName = SysAllocString(stat.pwcsName != nullptr ? stat.pwcsName : u"");
    CoTaskMemFree(stat.pwcsName);
    return *pbstrName != nullptr ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CHostStorageHandler::GetStorageElements(IStorage *storage, LONG, LONG, IQelStorageElements **ppElements)
{
    if (ppElements == nullptr)
        return E_POINTER;
    *ppElements = nullptr;
    if (storage == nullptr)
        return E_INVALIDARG;
    CComObject<CHostStorageElements> *elements = nullptr;
    HRESULT hr = CComObject<CHostStorageElements>::CreateInstance(&elements);
    if (FAILED(hr))
        return hr;
    elements->SetStorage(storage);
    elements->AddRef();
    *ppElements = elements;
    return S_OK;
}

HRESULT CHostStorageEnum::TakeNames(IStorage *storage)
{
    m_names.clear();
    return ForEachElement(storage, [this](const STATSTG &element) { m_names.emplace_back(element.pwcsName); });
}

STDMETHODIMP CHostStorageEnum::GetName(LONG position, BSTR *pbstrName)
{
    if (pbstrName == nullptr)
        return E_POINTER;
    *pbstrName = nullptr;
    if (position < 0 || static_cast<size_t>(position) >= m_names.size())
        return S_FALSE;
    return m_names[static_cast<size_t>(position)].CopyTo(pbstrName);
}

HRESULT RegisterStorageHandlerClass(DWORD *pCookie)
{
    if (pCookie == nullptr)
        return E_POINTER;
    *pCookie = 0;
    CComObject<CHostStorageHandlerFactory> *factory = nullptr;
    HRESULT hr = CComObject<CHostStorageHandlerFactory>::CreateInstance(&factory);
    if (FAILED(hr))
        return hr;
    factory->AddRef();
    DWORD cookie = 0;
    hr = CoRegisterClassObject(CLSID_QelHostStorageHandler, static_cast<IClassFactory *>(factory),
                               CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
    factory->Release(); // the class table holds it now
    if (FAILED(hr))
        return hr;
    hr = QelSetClassObjectProgID(cookie, u"QEL.QELStorageHandler");
    if (FAILED(hr)) {
        CoRevokeClassObject(cookie);
        return hr;
    }
    *pCookie = cookie;
    return S_OK;
}

} // namespace QelHost
