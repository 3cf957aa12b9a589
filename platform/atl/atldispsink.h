// Event sinks of dispatch interfaces: a class receives the events of a source through a
// sink map, which turns each event's dispatch id into a call of one of its members.
//
//     class CMySink : public IDispEventImpl<0, CMySink, &DIID__Events, &LIBID_Lib, 1, 0> {
//         BEGIN_SINK_MAP(CMySink)
//             SINK_ENTRY_EX(0, DIID__Events, 1, OnReady)            // types from OnReady
//             SINK_ENTRY_INFO(0, DIID__Events, 2, OnState, &info)    // types from `info`
//         END_SINK_MAP()
//         void __stdcall OnReady(LONG request);
//         HRESULT __stdcall OnState(ULONG oldState, ULONG newState);
//     };
//
// There is no type library: an entry's argument types are the static table of its
// _ATL_FUNC_INFO, or, with SINK_ENTRY_EX, the types of the handler's parameters. Invoke
// checks a call against the table: a wrong count gives DISP_E_BADPARAMCOUNT, named
// arguments DISP_E_NONAMEDARGS, and an argument that does not convert to its type
// (VariantChangeType, as the platform's sinks convert) DISP_E_TYPEMISMATCH with the
// argument's index in *puArgErr; the handler is not called then. Arguments passed by
// reference (VT_BYREF) must come with exactly the table's type. A handler's parameters
// must fit the table (LONG for VT_I4 or VT_INT, ULONG for VT_UI4 or VT_UINT, SHORT for
// VT_I2 or VT_BOOL, BSTR, IDispatch*, IUnknown*, VARIANT for VT_VARIANT, pointers for
// VT_BYREF, ...); when they do not, the call is refused with DISP_E_TYPEMISMATCH. A
// handler's return value goes to pVarResult, when the source asks for one; Invoke
// itself answers S_OK once the handler ran, and S_OK for events the map does not name.
//
// The sink's IDispatch is an object inside the sink base, not the class itself: a class
// that also has a COM map keeps its own QueryInterface, and the sink its own. Advise it
// with DispEventAdvise, or pass QelSinkUnknown() to AtlAdvise; casting `this` to
// IUnknown* does not give the sink. Like the platform's, the sink counts no references:
// it lives as long as the object it is part of, which must unadvise before it goes.
#pragma once

#include <ole2.h>

#include <cstddef>
#include <type_traits>
#include <utility>

#include "atlconnect.h"

typedef enum tagCALLCONV {
    CC_CDECL = 1,
    CC_STDCALL = 4,
} CALLCONV;

#define _ATL_MAX_VARTYPES 8

// The types of one event: its result and its arguments, in the order the handler takes
// them (the first argument first; DISPPARAMS holds them the other way round).
struct _ATL_FUNC_INFO {
    CALLCONV cc;
    VARTYPE vtReturn;
    SHORT nParams;
    VARTYPE pVarTypes[_ATL_MAX_VARTYPES];
};

// Calls one handler with arguments converted to its table's types, first argument first.
// *badArg gets the index of an argument the handler cannot take.
typedef HRESULT (*_ATL_SINK_CALL)(void *self, VARIANT *args, UINT count, VARIANT *result, UINT *badArg);

// One entry of a sink map. A null `piid` ends the map.
struct _ATL_EVENT_ENTRY {
    UINT nControlID;
    const IID *piid;
    DISPID dispid;
    const _ATL_FUNC_INFO *pInfo;
    _ATL_SINK_CALL pfnCall;
};

// Dispatches one Invoke through a sink map (atldispsink.cpp).
HRESULT QelInvokeSinkMap(const _ATL_EVENT_ENTRY *map, UINT nID, const IID &diid, void *self, DISPID dispid,
                         REFIID riid, DISPPARAMS *pDispParams, VARIANT *pVarResult, UINT *puArgErr);

// How a handler's parameter of type A is taken from a VARIANT: the VARIANT type that the
// table of SINK_ENTRY_EX gives it, the types it accepts, and the reading.
template <class A>
struct QelSinkArg;

#define QEL_SINK_ARG(type, vtMain, vtOther, member)                                               \
    template <>                                                                                   \
    struct QelSinkArg<type> {                                                                     \
        static constexpr VARTYPE vt = vtMain;                                                     \
        static bool Accepts(VARTYPE v) { return v == (vtMain) || v == (vtOther); }                \
        static type Get(const VARIANT &v) { return v.member; }                                    \
        static void Put(VARIANT *v, type value)                                                   \
        {                                                                                         \
            v->vt = vtMain;                                                                       \
            v->member = value;                                                                    \
        }                                                                                         \
    };                                                                                            \
    template <>                                                                                   \
    struct QelSinkArg<type *> {                                                                   \
        static constexpr VARTYPE vt = VT_BYREF | (vtMain);                                        \
        static bool Accepts(VARTYPE v) { return v == (VT_BYREF | (vtMain)) || v == (VT_BYREF | (vtOther)); } \
        static type *Get(const VARIANT &v) { return reinterpret_cast<type *>(v.byref); }          \
    }

QEL_SINK_ARG(CHAR, VT_I1, VT_I1, cVal);
QEL_SINK_ARG(BYTE, VT_UI1, VT_UI1, bVal);
QEL_SINK_ARG(SHORT, VT_I2, VT_BOOL, iVal);
QEL_SINK_ARG(USHORT, VT_UI2, VT_UI2, uiVal);
QEL_SINK_ARG(LONG, VT_I4, VT_INT, lVal);
QEL_SINK_ARG(ULONG, VT_UI4, VT_UINT, ulVal);
QEL_SINK_ARG(LONGLONG, VT_I8, VT_I8, llVal);
QEL_SINK_ARG(ULONGLONG, VT_UI8, VT_UI8, ullVal);
QEL_SINK_ARG(FLOAT, VT_R4, VT_R4, fltVal);
QEL_SINK_ARG(DOUBLE, VT_R8, VT_DATE, dblVal);
QEL_SINK_ARG(BSTR, VT_BSTR, VT_BSTR, bstrVal);
QEL_SINK_ARG(IUnknown *, VT_UNKNOWN, VT_UNKNOWN, punkVal);
QEL_SINK_ARG(IDispatch *, VT_DISPATCH, VT_DISPATCH, pdispVal);

#undef QEL_SINK_ARG

// A VARIANT parameter takes any argument as it came (not a copy that it owns).
template <>
struct QelSinkArg<VARIANT> {
    static constexpr VARTYPE vt = VT_VARIANT;
    static bool Accepts(VARTYPE) { return true; }
    static VARIANT Get(const VARIANT &v) { return v; }
};

template <>
struct QelSinkArg<VARIANT *> {
    static constexpr VARTYPE vt = VT_BYREF | VT_VARIANT;
    static bool Accepts(VARTYPE v) { return v == (VT_BYREF | VT_VARIANT); }
    static VARIANT *Get(const VARIANT &v) { return v.pvarVal; }
};

template <class R>
struct QelSinkResult {
    static constexpr VARTYPE vt = QelSinkArg<R>::vt;
};

template <>
struct QelSinkResult<void> {
    static constexpr VARTYPE vt = VT_EMPTY;
};

// The call of one handler `f`, a member of T or of a base of T.
template <class T, auto f, class Signature = decltype(f)>
struct QelSinkCall;

template <class T, auto f, class C, class R, class... A>
struct QelSinkCall<T, f, R (C::*)(A...)> {
    static_assert(sizeof...(A) <= _ATL_MAX_VARTYPES, "an event handler takes at most eight arguments");

    // The table of SINK_ENTRY_EX: the handler's own types.
    static constexpr _ATL_FUNC_INFO info = {CC_STDCALL, QelSinkResult<R>::vt, SHORT(sizeof...(A)),
                                            {QelSinkArg<A>::vt...}};

    static HRESULT Call(void *self, VARIANT *args, UINT count, VARIANT *result, UINT *badArg)
    {
        return Dispatch(static_cast<T *>(self), args, count, result, badArg, std::index_sequence_for<A...>());
    }

private:
    template <size_t... I>
    static HRESULT Dispatch(T *self, VARIANT *args, UINT count, VARIANT *result, UINT *badArg,
                            std::index_sequence<I...>)
    {
        (void)args;
        if (count != sizeof...(A))
            return DISP_E_BADPARAMCOUNT;
        bool fits[] = {true, QelSinkArg<A>::Accepts(args[I].vt)...};
        for (size_t i = 1; i < sizeof fits / sizeof fits[0]; i++) {
            if (!fits[i]) {
                *badArg = static_cast<UINT>(i - 1);
                return DISP_E_TYPEMISMATCH;
            }
        }
        if constexpr (std::is_void_v<R>) {
            (self->*f)(QelSinkArg<A>::Get(args[I])...);
        } else {
            R value = (self->*f)(QelSinkArg<A>::Get(args[I])...);
            if (result) {
                VariantClear(result);
                QelSinkArg<R>::Put(result, value);
            }
        }
        return S_OK;
    }
};

#define BEGIN_SINK_MAP(_class)                        \
    typedef _class _atl_event_classtype;              \
    static const _ATL_EVENT_ENTRY *_GetSinkMap()      \
    {                                                 \
        static const _ATL_EVENT_ENTRY _entries[] = {

#define SINK_ENTRY_INFO(id, iid, dispid, fn, info) \
    {id, &(iid), dispid, info, &QelSinkCall<_atl_event_classtype, &_atl_event_classtype::fn>::Call},

#define SINK_ENTRY_EX(id, iid, dispid, fn)                                               \
    {id, &(iid), dispid, &QelSinkCall<_atl_event_classtype, &_atl_event_classtype::fn>::info, \
     &QelSinkCall<_atl_event_classtype, &_atl_event_classtype::fn>::Call},

#define END_SINK_MAP()                    \
    {0, nullptr, 0, nullptr, nullptr}     \
    }                                     \
    ;                                     \
    return _entries;                      \
    }

// What every dispatch sink holds, in the platform's order: the type library and event
// interface it stands for, with the library's version, and its connection cookie
// (0xFEFEFEFE while it is not advised).
class _IDispEvent {
public:
    _IDispEvent() : m_libid(GUID_NULL), m_iid(IID_NULL), m_wMajorVerNum(0), m_wMinorVerNum(0), m_dwEventCookie(0xFEFEFEFE)
    {
    }

    GUID m_libid;
    IID m_iid;
    unsigned short m_wMajorVerNum;
    unsigned short m_wMinorVerNum;
    DWORD m_dwEventCookie;
};

// The sink of the events *pdiid for the entries of T's sink map whose id is nID.
template <UINT nID, class T, const IID *pdiid = &IID_NULL>
class IDispEventSimpleImpl : public _IDispEvent {
public:
    IDispEventSimpleImpl() : m_sink(this) { m_iid = *pdiid; }
    IDispEventSimpleImpl(const IDispEventSimpleImpl &) = delete;
    IDispEventSimpleImpl &operator=(const IDispEventSimpleImpl &) = delete;

    // The sink's own IUnknown, to hand to AtlAdvise.
    IUnknown *QelSinkUnknown() { return &m_sink; }

    // Connects the sink to the source `pUnk`, keeping the cookie; on failure the cookie
    // stays 0xFEFEFEFE.
    HRESULT DispEventAdvise(IUnknown *pUnk, const IID *piid = pdiid)
    {
        HRESULT hr = AtlAdvise(pUnk, &m_sink, *piid, &m_dwEventCookie);
        if (FAILED(hr))
            m_dwEventCookie = 0xFEFEFEFE;
        return hr;
    }

    // The cookie is 0xFEFEFEFE afterwards, also when the source refused.
    HRESULT DispEventUnadvise(IUnknown *pUnk, const IID *piid = pdiid)
    {
        HRESULT hr = AtlUnadvise(pUnk, *piid, m_dwEventCookie);
        m_dwEventCookie = 0xFEFEFEFE;
        return hr;
    }

private:
    class Sink final : public IDispatch {
    public:
        explicit Sink(IDispEventSimpleImpl *owner) : m_owner(owner) {}

        STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
        {
            if (!ppv)
                return E_POINTER;
            if (riid == IID_IUnknown || riid == IID_IDispatch || (riid == *pdiid && riid != IID_NULL)) {
                *ppv = static_cast<IDispatch *>(this);
                return S_OK;
            }
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        STDMETHODIMP_(ULONG) AddRef() override { return 1; }
        STDMETHODIMP_(ULONG) Release() override { return 1; }
        STDMETHODIMP GetTypeInfoCount(UINT *pctinfo) override
        {
            if (!pctinfo)
                return E_POINTER;
            *pctinfo = 0;
            return S_OK;
        }
        STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **ppTInfo) override
        {
            if (ppTInfo)
                *ppTInfo = nullptr;
            return E_NOTIMPL;
        }
        STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
        STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD, DISPPARAMS *pDispParams,
                            VARIANT *pVarResult, EXCEPINFO *, UINT *puArgErr) override
        {
            return QelInvokeSinkMap(T::_GetSinkMap(), nID, *pdiid, static_cast<T *>(m_owner), dispIdMember, riid,
                                    pDispParams, pVarResult, puArgErr);
        }

    private:
        IDispEventSimpleImpl *m_owner;
    };

    Sink m_sink;
};

// The same, naming the type library that describes the events. Nothing reads it here:
// the types come from the sink map.
template <UINT nID, class T, const IID *pdiid = &IID_NULL, const GUID *plibid = &GUID_NULL, WORD wMajor = 0,
          WORD wMinor = 0>
class IDispEventImpl : public IDispEventSimpleImpl<nID, T, pdiid> {
public:
    IDispEventImpl()
    {
        this->m_libid = *plibid;
        this->m_wMajorVerNum = wMajor;
        this->m_wMinorVerNum = wMinor;
    }
};
