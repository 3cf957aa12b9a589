// Classes that COM creates by class identifier: creators, class factories and the
// CComCoClass base that gives a class both.
//
//     class CMine : public CComObjectRootEx<CComMultiThreadModel>,
//                   public CComCoClass<CMine, &CLSID_Mine>, public IMine {
//         DECLARE_REGISTRY_RESOURCEID(101)
//         BEGIN_COM_MAP(CMine) ... END_COM_MAP()
//     };
//
// and OBJECT_ENTRY(CLSID_Mine, CMine) in the module's object map (atlmodule.h). A class
// is aggregatable unless it says DECLARE_NOT_AGGREGATABLE or DECLARE_ONLY_AGGREGATABLE.
#pragma once

#include <ole2.h>

#include "atlcomobject.h"
#include "atlerrorinfo.h"

// Makes an object for `pv` (the outer object, or null) and asks it for `riid`; *ppv is
// null on failure.
typedef HRESULT(_ATL_CREATORFUNC)(void *pv, REFIID riid, LPVOID *ppv);

// Creates a T1 (a CComObject or CComAggObject) with `pv` as its construction argument.
template <class T1>
class CComCreator {
public:
    static HRESULT CreateInstance(void *pv, REFIID riid, LPVOID *ppv)
    {
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        T1 *object = new (std::nothrow) T1(pv);
        if (object == nullptr)
            return E_OUTOFMEMORY;
        object->SetVoid(pv);
        object->InternalFinalConstructAddRef();
        HRESULT hr = object->FinalConstruct();
        object->InternalFinalConstructRelease();
        if (SUCCEEDED(hr))
            hr = object->QueryInterface(riid, ppv);
        // An object that came to life and answered nothing is freed with the count at
        // zero, as its last Release would.
        if (FAILED(hr))
            delete object;
        return hr;
    }
};

// T1 without an outer object, T2 with one.
template <class T1, class T2>
class CComCreator2 {
public:
    static HRESULT CreateInstance(void *pv, REFIID riid, LPVOID *ppv)
    {
        return pv == nullptr ? T1::CreateInstance(nullptr, riid, ppv) : T2::CreateInstance(pv, riid, ppv);
    }
};

// Creates nothing and answers `hr`.
template <HRESULT hr>
class CComFailCreator {
public:
    static HRESULT CreateInstance(void *, REFIID, LPVOID *ppv)
    {
        if (ppv != nullptr)
            *ppv = nullptr;
        return hr;
    }
};

// The class factory of one class of the object map: it creates through the creator that
// the module gives it with SetVoid. LockServer holds the module's lock.
class CComClassFactory : public CComObjectRootEx<CComGlobalsThreadModel>, public IClassFactory {
public:
    BEGIN_COM_MAP(CComClassFactory)
        COM_INTERFACE_ENTRY(IClassFactory)
    END_COM_MAP()

    void SetVoid(void *pv) { m_pfnCreateInstance = reinterpret_cast<_ATL_CREATORFUNC *>(pv); }

    // An aggregating caller must ask for IUnknown (the inner object's), as COM requires.
    STDMETHODIMP CreateInstance(IUnknown *pUnkOuter, REFIID riid, void **ppvObj) override
    {
        if (ppvObj == nullptr)
            return E_POINTER;
        *ppvObj = nullptr;
        if (m_pfnCreateInstance == nullptr)
            return E_UNEXPECTED;
        if (pUnkOuter != nullptr && riid != IID_IUnknown)
            return CLASS_E_NOAGGREGATION;
        return m_pfnCreateInstance(pUnkOuter, riid, ppvObj);
    }
    STDMETHODIMP LockServer(BOOL fLock) override
    {
        if (fLock)
            QelAtlLockModule();
        else
            QelAtlUnlockModule();
        return S_OK;
    }

private:
    _ATL_CREATORFUNC *m_pfnCreateInstance = nullptr;
};

#define DECLARE_CLASSFACTORY_EX(cf) typedef CComCreator<CComObjectNoLock<cf>> _ClassFactoryCreatorClass;
#define DECLARE_CLASSFACTORY() DECLARE_CLASSFACTORY_EX(CComClassFactory)

#define DECLARE_AGGREGATABLE(x) \
public:                         \
    typedef CComCreator2<CComCreator<CComObject<x>>, CComCreator<CComAggObject<x>>> _CreatorClass;
#define DECLARE_NOT_AGGREGATABLE(x) \
public:                             \
    typedef CComCreator2<CComCreator<CComObject<x>>, CComFailCreator<CLASS_E_NOAGGREGATION>> _CreatorClass;
#define DECLARE_ONLY_AGGREGATABLE(x) \
public:                              \
    typedef CComCreator2<CComFailCreator<E_FAIL>, CComCreator<CComAggObject<x>>> _CreatorClass;

// The class of the object map that has no registry script.
#define DECLARE_NO_REGISTRY()                       \
    static HRESULT UpdateRegistry(BOOL) { return S_OK; }

// The class's registry script is the module's resource "REGISTRY" `x` (atlmodule.h).
#define DECLARE_REGISTRY_RESOURCEID(x)                                  \
    static HRESULT UpdateRegistry(BOOL bRegister)                       \
    {                                                                   \
        return QelAtlUpdateRegistryFromResource(x, bRegister);          \
    }

// Runs the module's registry script `id` (atlmodule.cpp).
HRESULT QelAtlUpdateRegistryFromResource(UINT id, BOOL bRegister);

// The base of a creatable class: its class identifier, its factory and its creators, and
// the error information that its methods leave for their callers.
template <class T, const CLSID *pclsid>
class CComCoClass {
public:
    DECLARE_CLASSFACTORY()
    DECLARE_AGGREGATABLE(T)

    static const CLSID &GetObjectCLSID() { return *pclsid; }

    // The calling thread's error information with the text `lpszDesc` for the interface
    // `iid`; answers `hRes`, or DISP_E_EXCEPTION for 0.
    static HRESULT Error(LPCOLESTR lpszDesc, const IID &iid = GUID_NULL, HRESULT hRes = 0)
    {
        return AtlSetErrorInfo(*pclsid, lpszDesc, 0, nullptr, iid, hRes);
    }
    // The same for an ANSI text (code page 1252).
    static HRESULT Error(LPCSTR lpszDesc, const IID &iid = GUID_NULL, HRESULT hRes = 0);
};

template <class T, const CLSID *pclsid>
HRESULT CComCoClass<T, pclsid>::Error(LPCSTR lpszDesc, const IID &iid, HRESULT hRes)
{
    if (lpszDesc == nullptr)
        return Error(static_cast<LPCOLESTR>(nullptr), iid, hRes);
    int length = MultiByteToWideChar(CP_ACP, 0, lpszDesc, -1, nullptr, 0);
    BSTR text = length > 0 ? SysAllocStringLen(nullptr, static_cast<UINT>(length - 1)) : nullptr;
    if (text == nullptr)
        return hRes != 0 ? hRes : DISP_E_EXCEPTION;
    MultiByteToWideChar(CP_ACP, 0, lpszDesc, -1, text, length);
    HRESULT hr = Error(text, iid, hRes);
    SysFreeString(text);
    return hr;
}
