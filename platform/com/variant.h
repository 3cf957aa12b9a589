// VARIANT, the tagged value of OLE Automation, with its types and life cycle.
//
// The type word `vt` says which member of the union is valid. VT_ARRAY marks a SAFEARRAY
// of the named element type in `parray`; VT_BYREF marks a pointer to a value of the
// named type, which the VARIANT does not own.
#pragma once

#include "bstr.h"
#include "comdecl.h"

interface IUnknown;
interface IDispatch;
struct tagSAFEARRAY;

typedef unsigned short VARTYPE;

// The types that a VARIANT holds here. Currency and dates are kept and copied but not
// converted; decimals, records and the type-description-only types are not offered.
enum VARENUM {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0FFF,
};

typedef short VARIANT_BOOL;
#define VARIANT_TRUE ((VARIANT_BOOL)-1)
#define VARIANT_FALSE ((VARIANT_BOOL)0)

// Days since 30 December 1899, the fraction giving the time of day.
typedef double DATE;

// Currency: a 64-bit integer scaled by 10000.
typedef union tagCY {
    struct {
        ULONG Lo;
        LONG Hi;
    };
    LONGLONG int64;
} CY;

typedef struct tagVARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        FLOAT fltVal;
        DOUBLE dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        CY cyVal;
        DATE date;
        BSTR bstrVal;
        IUnknown *punkVal;
        IDispatch *pdispVal;
        struct tagSAFEARRAY *parray;
        BYTE *pbVal;
        SHORT *piVal;
        LONG *plVal;
        LONGLONG *pllVal;
        FLOAT *pfltVal;
        DOUBLE *pdblVal;
        VARIANT_BOOL *pboolVal;
        SCODE *pscode;
        CY *pcyVal;
        DATE *pdate;
        BSTR *pbstrVal;
        IUnknown **ppunkVal;
        IDispatch **ppdispVal;
        struct tagSAFEARRAY **pparray;
        struct tagVARIANT *pvarVal;
        PVOID byref;
        CHAR cVal;
        USHORT uiVal;
        ULONG ulVal;
        ULONGLONG ullVal;
        INT intVal;
        UINT uintVal;
        CHAR *pcVal;
        USHORT *puiVal;
        ULONG *pulVal;
        ULONGLONG *pullVal;
        INT *pintVal;
        UINT *puintVal;
        // Records are not offered; the member keeps the platform's size of a VARIANT
        // (24 bytes), which SAFEARRAYs of VARIANT and VARIANT arrays in memory follow.
        struct {
            PVOID pvRecord;
            struct IRecordInfo *pRecInfo;
        } brecVal;
    };
} VARIANT;

static_assert(sizeof(VARIANT) == 8 + 2 * sizeof(void *), "the platform's VARIANT layout");

typedef VARIANT VARIANTARG;
typedef VARIANT *LPVARIANT;
typedef VARIANT *LPVARIANTARG;

#define V_VT(X) ((X)->vt)
#define V_ISBYREF(X) (V_VT(X) & VT_BYREF)
#define V_ISARRAY(X) (V_VT(X) & VT_ARRAY)
#define V_UI1(X) ((X)->bVal)
#define V_UI1REF(X) ((X)->pbVal)
#define V_I1(X) ((X)->cVal)
#define V_I1REF(X) ((X)->pcVal)
#define V_I2(X) ((X)->iVal)
#define V_I2REF(X) ((X)->piVal)
#define V_UI2(X) ((X)->uiVal)
#define V_UI2REF(X) ((X)->puiVal)
#define V_I4(X) ((X)->lVal)
#define V_I4REF(X) ((X)->plVal)
#define V_UI4(X) ((X)->ulVal)
#define V_UI4REF(X) ((X)->pulVal)
#define V_I8(X) ((X)->llVal)
#define V_I8REF(X) ((X)->pllVal)
#define V_UI8(X) ((X)->ullVal)
#define V_UI8REF(X) ((X)->pullVal)
#define V_INT(X) ((X)->intVal)
#define V_INTREF(X) ((X)->pintVal)
#define V_UINT(X) ((X)->uintVal)
#define V_UINTREF(X) ((X)->puintVal)
#define V_R4(X) ((X)->fltVal)
#define V_R4REF(X) ((X)->pfltVal)
#define V_R8(X) ((X)->dblVal)
#define V_R8REF(X) ((X)->pdblVal)
#define V_BOOL(X) ((X)->boolVal)
#define V_BOOLREF(X) ((X)->pboolVal)
#define V_ERROR(X) ((X)->scode)
#define V_ERRORREF(X) ((X)->pscode)
#define V_CY(X) ((X)->cyVal)
#define V_CYREF(X) ((X)->pcyVal)
#define V_DATE(X) ((X)->date)
#define V_DATEREF(X) ((X)->pdate)
#define V_BSTR(X) ((X)->bstrVal)
#define V_BSTRREF(X) ((X)->pbstrVal)
#define V_UNKNOWN(X) ((X)->punkVal)
#define V_UNKNOWNREF(X) ((X)->ppunkVal)
#define V_DISPATCH(X) ((X)->pdispVal)
#define V_DISPATCHREF(X) ((X)->ppdispVal)
#define V_ARRAY(X) ((X)->parray)
#define V_ARRAYREF(X) ((X)->pparray)
#define V_VARIANTREF(X) ((X)->pvarVal)
#define V_BYREF(X) ((X)->byref)

// Sets VT_EMPTY; what the VARIANT held before is not freed.
STDAPI_(void) VariantInit(VARIANTARG *pvarg);

// Frees what the VARIANT owns (a BSTR, an array with its elements; an interface is
// released) and leaves it VT_EMPTY. What a VT_BYREF value points to is not touched.
// DISP_E_BADVARTYPE for a type word that a VARIANT cannot hold, DISP_E_ARRAYISLOCKED for
// an array that is accessed; the VARIANT then stays as it is.
STDAPI VariantClear(VARIANTARG *pvarg);

// Clears `pvargDest`, then makes it a copy of `pvargSrc`: BSTRs and arrays are copied
// deeply, interfaces gain a reference, VT_BYREF pointers are copied as they stand.
STDAPI VariantCopy(VARIANTARG *pvargDest, const VARIANTARG *pvargSrc);

// VariantCopy, except that a VT_BYREF source is followed: the copy holds (a deep copy
// of) the value pointed to. `pvarDest` may be `pvargSrc`.
STDAPI VariantCopyInd(VARIANT *pvarDest, const VARIANTARG *pvargSrc);
