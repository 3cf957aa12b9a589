// A COM object for tests that shows its reference count. It lives on the test's stack, so
// the count is read after the last Release too; it offers IUnknown and, when asked to,
// IDispatch, whose methods all answer E_NOTIMPL but GetTypeInfoCount (0 type infos).
#pragma once

#include "ole2.h"

class CountedObject final : public IDispatch {
public:
    explicit CountedObject(bool offersDispatch = true) : offersDispatch_(offersDispatch) {}

    ULONG References() const { return references_; }

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (riid == IID_IUnknown || (offersDispatch_ && riid == IID_IDispatch)) {
            *ppv = static_cast<IDispatch *>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override { return --references_; }

    STDMETHODIMP GetTypeInfoCount(UINT *pctinfo) override
    {
        *pctinfo = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *, UINT *) override
    {
        return E_NOTIMPL;
    }

private:
    bool offersDispatch_;
    ULONG references_ = 1; // the creator's
};
