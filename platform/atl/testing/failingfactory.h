// Test support: a class factory whose every creation fails, as one out of memory would,
// to put in the class table in place of a class that code under test creates.
#pragma once

#include "../atlbase.h"

class CFailingClassFactory : public CComObjectRootEx<CComMultiThreadModel>, public IClassFactory {
public:
    BEGIN_COM_MAP(CFailingClassFactory)
        COM_INTERFACE_ENTRY(IClassFactory)
    END_COM_MAP()
    STDMETHODIMP CreateInstance(IUnknown *, REFIID, void **ppv) override
    {
        *ppv = nullptr;
        return E_OUTOFMEMORY;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};
