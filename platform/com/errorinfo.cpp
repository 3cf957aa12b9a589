#include "errorinfo.h"

#include <atomic>
#include <new>

namespace {

// The error object of CreateErrorInfo: filled through ICreateErrorInfo, read through
// IErrorInfo. It is filled by one thread before it is handed on, so its fields need no
// lock; only its reference count is shared.
class ErrorObject final : public ICreateErrorInfo, public IErrorInfo {
public:
    ~ErrorObject()
    {
        SysFreeString(source_);
        SysFreeString(description_);
        SysFreeString(helpFile_);
    }

    STDMETHODIMP QueryInterface(REFIID riid, void **ppvObject) override
    {
        if (!ppvObject)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_ICreateErrorInfo)
            *ppvObject = static_cast<ICreateErrorInfo *>(this);
        else if (riid == IID_IErrorInfo)
            *ppvObject = static_cast<IErrorInfo *>(this);
        else {
            *ppvObject = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }

    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }

    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    STDMETHODIMP SetGUID(REFGUID rguid) override
    {
        guid_ = rguid;
        return S_OK;
    }
    STDMETHODIMP SetSource(LPOLESTR szSource) override { return Set(&source_, szSource); }
    STDMETHODIMP SetDescription(LPOLESTR szDescription) override { return Set(&description_, szDescription); }
    STDMETHODIMP SetHelpFile(LPOLESTR szHelpFile) override { return Set(&helpFile_, szHelpFile); }
    STDMETHODIMP SetHelpContext(DWORD dwHelpContext) override
    {
        helpContext_ = dwHelpContext;
        return S_OK;
    }

    STDMETHODIMP GetGUID(GUID *pGUID) override
    {
        if (!pGUID)
            return E_INVALIDARG;
        *pGUID = guid_;
        return S_OK;
    }
    STDMETHODIMP GetSource(BSTR *pBstrSource) override { return Get(source_, pBstrSource); }
    STDMETHODIMP GetDescription(BSTR *pBstrDescription) override { return Get(description_, pBstrDescription); }
    STDMETHODIMP GetHelpFile(BSTR *pBstrHelpFile) override { return Get(helpFile_, pBstrHelpFile); }
    STDMETHODIMP GetHelpContext(DWORD *pdwHelpContext) override
    {
        if (!pdwHelpContext)
            return E_INVALIDARG;
        *pdwHelpContext = helpContext_;
        return S_OK;
    }

private:
    static HRESULT Set(BSTR *field, LPOLESTR text)
    {
        BSTR copy = SysAllocString(text);
        if (text && !copy)
            return E_OUTOFMEMORY;
        SysFreeString(*field);
        *field = copy;
        return S_OK;
    }

    static HRESULT Get(BSTR field, BSTR *out)
    {
        if (!out)
            return E_INVALIDARG;
        *out = field ? SysAllocStringLen(field, SysStringLen(field)) : nullptr;
        return field && !*out ? E_OUTOFMEMORY : S_OK;
    }

    std::atomic<ULONG> references_{1};
    GUID guid_ = GUID_NULL;
    BSTR source_ = nullptr;
    BSTR description_ = nullptr;
    BSTR helpFile_ = nullptr;
    DWORD helpContext_ = 0;
};

// The thread's error slot; what it holds when the thread ends is released.
struct ErrorSlot {
    IErrorInfo *info = nullptr;

    ~ErrorSlot()
    {
        if (info)
            info->Release();
    }
};

thread_local ErrorSlot slot;

} // namespace

STDAPI CreateErrorInfo(ICreateErrorInfo **pperrinfo)
{
    if (!pperrinfo)
        return E_INVALIDARG;
    *pperrinfo = new (std::nothrow) ErrorObject;
    return *pperrinfo ? S_OK : E_OUTOFMEMORY;
}

STDAPI SetErrorInfo(ULONG dwReserved, IErrorInfo *perrinfo)
{
    if (dwReserved != 0)
        return E_INVALIDARG;
    if (perrinfo)
        perrinfo->AddRef();
    IErrorInfo *old = slot.info;
    slot.info = perrinfo;
    if (old)
        old->Release();
    return S_OK;
}

STDAPI GetErrorInfo(ULONG dwReserved, IErrorInfo **pperrinfo)
{
    if (dwReserved != 0 || !pperrinfo)
        return E_INVALIDARG;
    *pperrinfo = slot.info;
    slot.info = nullptr;
    return *pperrinfo ? S_OK : S_FALSE;
}
