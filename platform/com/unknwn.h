// IUnknown and IClassFactory: what every COM object and every class offers.
#pragma once

#include "comdecl.h"
#include "guiddef.h"

interface IUnknown {
    STDMETHOD(QueryInterface)(REFIID riid, void **ppvObject) PURE;
    STDMETHOD_(ULONG, AddRef)() PURE;
    STDMETHOD_(ULONG, Release)() PURE;

    // The platform's typed shorthand: asks for the interface that `pp` points to.
    template <class Q>
    HRESULT QueryInterface(Q **pp)
    {
        return QueryInterface(qel_uuidof<Q>(), reinterpret_cast<void **>(pp));
    }
};
typedef IUnknown *LPUNKNOWN;
QEL_DEFINE_IID(IUnknown, 0x00000000, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

interface IClassFactory : public IUnknown {
    STDMETHOD(CreateInstance)(IUnknown *pUnkOuter, REFIID riid, void **ppvObject) PURE;
    STDMETHOD(LockServer)(BOOL fLock) PURE;
};
typedef IClassFactory *LPCLASSFACTORY;
QEL_DEFINE_IID(IClassFactory, 0x00000001, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
