// How the system's code spells COM interfaces and API functions.
//
// An interface is a struct of pure virtual functions, declared in slot order; the
// compiler's vtable then has the slot layout that COM callers rely on (0 to 2 IUnknown,
// 3 to 6 IDispatch where derived). Interfaces therefore have no virtual destructor: it
// would take a slot. Calling conventions are the compiler's default.
#pragma once

#include "basetypes.h"
#include "winerror.h"

#define interface struct
#define PURE = 0

#define STDMETHOD(method) virtual HRESULT STDMETHODCALLTYPE method
#define STDMETHOD_(type, method) virtual type STDMETHODCALLTYPE method
#define STDMETHODIMP HRESULT STDMETHODCALLTYPE
#define STDMETHODIMP_(type) type STDMETHODCALLTYPE

// API functions have C linkage and default visibility. The visibility matters for the
// servers: they are compiled with hidden visibility, and the entry points that they
// define with STDAPI (DllGetClassObject and its kin) must reach the dynamic symbol
// table, where the servers' version script then keeps those four and hides the rest.
#define STDAPI extern "C" __attribute__((visibility("default"))) HRESULT STDAPICALLTYPE
#define STDAPI_(type) extern "C" __attribute__((visibility("default"))) type STDAPICALLTYPE
