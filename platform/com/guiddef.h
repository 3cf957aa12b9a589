// GUIDs, and the identifiers of interfaces and classes made of them.
//
// An identifier is defined once, in a header, with DEFINE_GUID; an interface's identifier
// with QEL_DEFINE_IID, which also makes it reachable from the interface's type, for
// templates: qel_uuidof<IFoo>() is IID_IFoo. (The platform's compiler does this with
// __uuidof, which is not defined here.) Identifiers are inline constants, so every module
// carries its own copy; compare them by value (IsEqualGUID or ==), never by address.
#pragma once

#include "basetypes.h"

typedef struct _GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
} GUID;

typedef GUID IID;
typedef GUID CLSID;
typedef GUID *LPGUID;
typedef const GUID *LPCGUID;
typedef IID *LPIID;
typedef CLSID *LPCLSID;
typedef const GUID &REFGUID;
typedef const IID &REFIID;
typedef const CLSID &REFCLSID;

#define DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
    inline constexpr GUID name = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}

constexpr bool operator==(const GUID &a, const GUID &b)
{
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
        return false;
    for (int i = 0; i < 8; i++) {
        if (a.Data4[i] != b.Data4[i])
            return false;
    }
    return true;
}

constexpr bool operator!=(const GUID &a, const GUID &b)
{
    return !(a == b);
}

inline BOOL IsEqualGUID(REFGUID a, REFGUID b)
{
    return a == b;
}

inline BOOL IsEqualIID(REFIID a, REFIID b)
{
    return a == b;
}

inline BOOL IsEqualCLSID(REFCLSID a, REFCLSID b)
{
    return a == b;
}

DEFINE_GUID(GUID_NULL, 0x00000000, 0x0000, 0x0000, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00);
inline constexpr IID IID_NULL = GUID_NULL;
inline constexpr CLSID CLSID_NULL = GUID_NULL;

// The identifier of an interface type. There is no general definition: using an
// interface whose identifier was never given with QEL_DEFINE_IID fails to compile.
template <class Interface>
struct QelInterfaceId;

template <class Interface>
constexpr const IID &qel_uuidof()
{
    return QelInterfaceId<Interface>::iid;
}

// Defines IID_<itf> and binds it to the type `itf`, which must be declared before (it
// may still be incomplete). Use at global scope.
#define QEL_DEFINE_IID(itf, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
    DEFINE_GUID(IID_##itf, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8);  \
    template <>                                                        \
    struct QelInterfaceId<itf> {                                       \
        static constexpr const IID &iid = IID_##itf;                   \
    }
