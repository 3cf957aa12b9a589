// Dual interfaces: IDispatch over the interface's own methods, from a static table.
//
// There is no type library: the header that declares a dual interface also gives its
// dispatch table, once, for every class that implements it:
//
//     BEGIN_DISPATCH_TABLE(IMine)
//         DISPATCH_METHOD_ENTRY(1, u"Start", &IMine::Start)            // all in-arguments
//         DISPATCH_RETVAL_ENTRY(2, u"GetName", &IMine::GetName)        // last is [out, retval]
//     END_DISPATCH_TABLE()
//
// and a class derives from IDispatchImpl<IMine, &IID_IMine, &LIBID_Lib> in place of IMine.
// GetIDsOfNames finds members by name blind to ASCII case. Invoke converts the arguments
// to the method's types as the sinks do (atldispsink.h: VariantChangeType, VT_BYREF
// arguments of exactly their type, DISP_E_TYPEMISMATCH with the index in *puArgErr,
// DISP_E_BADPARAMCOUNT, DISP_E_NONAMEDARGS); an [out, retval] value goes to pVarResult,
// or is freed when the caller asks for none. A method that fails makes Invoke answer
// DISP_E_EXCEPTION with the method's HRESULT in the EXCEPINFO and the text and source of
// the thread's error information, as the platform's type information does; a method that
// succeeds makes it answer S_OK. Every member
// answers DISPATCH_METHOD and DISPATCH_PROPERTYGET. There is no type information:
// GetTypeInfoCount gives 0.
#pragma once

#include <ole2.h>

#include <tuple>
#include <type_traits>
#include <utility>

#include "atldispsink.h"

// An enumeration travels as a 32-bit number.
template <class A>
    requires std::is_enum_v<A>
struct QelSinkArg<A> {
    static constexpr VARTYPE vt = VT_I4;
    static bool Accepts(VARTYPE v) { return v == VT_I4 || v == VT_INT; }
    static A Get(const VARIANT &v) { return static_cast<A>(v.lVal); }
};

// Calls one member of a dispatch table on the interface `itf`.
typedef HRESULT (*_ATL_DISPATCH_CALL)(void *itf, VARIANT *args, UINT count, VARIANT *result, UINT *badArg,
                                      HRESULT *methodResult);

// One member of a dispatch interface. A null `name` ends the table.
struct _ATL_DISPATCH_ENTRY {
    DISPID dispid;
    LPCOLESTR name;
    const _ATL_FUNC_INFO *pInfo; // the in-arguments' types, first argument first
    _ATL_DISPATCH_CALL pfnCall;
};

// Invoke and GetIDsOfNames over a table (atldispatch.cpp).
HRESULT QelInvokeDispatchTable(const _ATL_DISPATCH_ENTRY *table, void *itf, DISPID dispid, REFIID riid, WORD wFlags,
                               DISPPARAMS *pDispParams, VARIANT *pVarResult, EXCEPINFO *pExcepInfo, UINT *puArgErr);
HRESULT QelDispatchIdsOfNames(const _ATL_DISPATCH_ENTRY *table, REFIID riid, LPOLESTR *rgszNames, UINT cNames,
                              DISPID *rgDispId);

// The table of the dual interface I, given by BEGIN_DISPATCH_TABLE.
template <class I>
struct QelDispatchTable;

// The call of the member `f` of I, whose parameters are A...; with `retval` the last
// parameter is the [out, retval] pointer.
template <class I, auto f, bool retval, class Signature = decltype(f)>
struct QelDispatchCall;

template <class I, auto f, bool retval, class C, class... A>
struct QelDispatchCall<I, f, retval, HRESULT (C::*)(A...)> {
    static constexpr size_t kIn = sizeof...(A) - (retval ? 1 : 0);
    static_assert(!retval || sizeof...(A) >= 1, "a retval member has its result pointer last");
    static_assert(kIn <= _ATL_MAX_VARTYPES, "a dispatch member takes at most eight arguments");

    template <size_t... K>
    static constexpr _ATL_FUNC_INFO MakeInfo(std::index_sequence<K...>)
    {
        return {CC_STDCALL, VT_EMPTY, SHORT(kIn), {QelSinkArg<std::tuple_element_t<K, std::tuple<A...>>>::vt...}};
    }
    static constexpr _ATL_FUNC_INFO info = MakeInfo(std::make_index_sequence<kIn>());

    static HRESULT Call(void *itf, VARIANT *args, UINT count, VARIANT *result, UINT *badArg, HRESULT *methodResult)
    {
        if (count != kIn)
            return DISP_E_BADPARAMCOUNT;
        return Dispatch(static_cast<I *>(itf), args, result, badArg, methodResult, std::make_index_sequence<kIn>());
    }

private:
    template <size_t K>
    using Arg = std::tuple_element_t<K, std::tuple<A...>>;

    template <size_t... K>
    static HRESULT Dispatch(I *itf, VARIANT *args, VARIANT *result, UINT *badArg, HRESULT *methodResult,
                            std::index_sequence<K...>)
    {
        (void)args;
        bool fits[] = {true, QelSinkArg<Arg<K>>::Accepts(args[K].vt)...};
        for (size_t i = 1; i < sizeof fits / sizeof fits[0]; i++) {
            if (!fits[i]) {
                *badArg = static_cast<UINT>(i - 1);
                return DISP_E_TYPEMISMATCH;
            }
        }
        if constexpr (!retval) {
            *methodResult = (itf->*f)(QelSinkArg<Arg<K>>::Get(args[K])...);
            (void)result;
        } else {
            typedef std::remove_pointer_t<Arg<kIn>> R;
            VARIANT out;
            VariantInit(&out);
            if constexpr (std::is_same_v<R, VARIANT>) {
                *methodResult = (itf->*f)(QelSinkArg<Arg<K>>::Get(args[K])..., &out);
            } else {
                R value{};
                *methodResult = (itf->*f)(QelSinkArg<Arg<K>>::Get(args[K])..., &value);
                if (SUCCEEDED(*methodResult))
                    QelSinkArg<R>::Put(&out, value);
            }
            if (SUCCEEDED(*methodResult) && result != nullptr) {
                VariantClear(result);
                *result = out;
            } else {
                VariantClear(&out);
            }
        }
        return S_OK;
    }
};

#define BEGIN_DISPATCH_TABLE(itf)                                  \
    template <>                                                    \
    struct QelDispatchTable<itf> {                                 \
        typedef itf _atl_dispatch_itf;                             \
        static const _ATL_DISPATCH_ENTRY *Entries()                \
        {                                                          \
            static const _ATL_DISPATCH_ENTRY _entries[] = {

#define QEL_DISPATCH_ENTRY(dispid, name, fn, retval)                                          \
    {dispid, name, &QelDispatchCall<_atl_dispatch_itf, fn, retval>::info,                    \
     &QelDispatchCall<_atl_dispatch_itf, fn, retval>::Call},
#define DISPATCH_METHOD_ENTRY(dispid, name, fn) QEL_DISPATCH_ENTRY(dispid, name, fn, false)
#define DISPATCH_RETVAL_ENTRY(dispid, name, fn) QEL_DISPATCH_ENTRY(dispid, name, fn, true)

#define END_DISPATCH_TABLE()             \
    {0, nullptr, nullptr, nullptr}       \
    }                                    \
    ;                                    \
    return _entries;                     \
    }                                    \
    }                                    \
    ;

// The dual interface T (with its table) as a base of a class; the type library it would
// stand in is named and not read.
template <class T, const IID *piid, const GUID *plibid = &GUID_NULL, WORD wMajor = 1, WORD wMinor = 0>
class IDispatchImpl : public T {
public:
    STDMETHOD(GetTypeInfoCount)(UINT *pctinfo) override
    {
        if (pctinfo == nullptr)
            return E_POINTER;
        *pctinfo = 0;
        return S_OK;
    }
    STDMETHOD(GetTypeInfo)(UINT, LCID, ITypeInfo **ppTInfo) override
    {
        if (ppTInfo == nullptr)
            return E_POINTER;
        *ppTInfo = nullptr;
        return DISP_E_BADINDEX;
    }
    STDMETHOD(GetIDsOfNames)(REFIID riid, LPOLESTR *rgszNames, UINT cNames, LCID, DISPID *rgDispId) override
    {
        return QelDispatchIdsOfNames(QelDispatchTable<T>::Entries(), riid, rgszNames, cNames, rgDispId);
    }
    STDMETHOD(Invoke)(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags, DISPPARAMS *pDispParams,
                      VARIANT *pVarResult, EXCEPINFO *pExcepInfo, UINT *puArgErr) override
    {
        return QelInvokeDispatchTable(QelDispatchTable<T>::Entries(), static_cast<T *>(this), dispIdMember, riid,
                                      wFlags, pDispParams, pVarResult, pExcepInfo, puArgErr);
    }
};
