// SAFEARRAY, the self-describing array of OLE Automation, in its documented layout.
//
// Dimension 1 is the leftmost as the bounds are given to SafeArrayCreate, and its index
// varies fastest in memory; the descriptor keeps the bounds in reverse, so
// rgsabound[0] is the last (rightmost) dimension, the one that SafeArrayRedim changes.
// An index vector passed to the element functions is in dimension order: rgIndices[0]
// is the index of dimension 1. The element data are zeroed when made.
//
// BSTR, VARIANT, IUnknown and IDispatch elements are owned by the array: destroying,
// shrinking or overwriting frees or releases them. Every array is counted while it
// lives (allocstats.h); destroying one twice frees nothing and is counted.
#pragma once

#include "comdecl.h"
#include "variant.h"

typedef struct tagSAFEARRAYBOUND {
    ULONG cElements;
    LONG lLbound;
} SAFEARRAYBOUND, *LPSAFEARRAYBOUND;

typedef struct tagSAFEARRAY {
    USHORT cDims;
    USHORT fFeatures;
    ULONG cbElements;
    ULONG cLocks;
    PVOID pvData;
    SAFEARRAYBOUND rgsabound[1];
} SAFEARRAY, *LPSAFEARRAY;

// fFeatures: what the elements are and that the element type is kept with the array.
#define FADF_HAVEVARTYPE 0x0080
#define FADF_BSTR 0x0100
#define FADF_UNKNOWN 0x0200
#define FADF_DISPATCH 0x0400
#define FADF_VARIANT 0x0800

// Element types: VT_I1, VT_UI1, VT_I2, VT_UI2, VT_BOOL, VT_I4, VT_UI4, VT_INT, VT_UINT,
// VT_R4, VT_ERROR, VT_I8, VT_UI8, VT_R8, VT_CY, VT_DATE, VT_BSTR, VT_UNKNOWN,
// VT_DISPATCH and VT_VARIANT. NULL for another type, no dimensions, or more than 2 GB
// of data.
STDAPI_(SAFEARRAY *) SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND *rgsabound);
STDAPI_(SAFEARRAY *) SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements);

// Frees the elements and the array. NULL is allowed. DISP_E_ARRAYISLOCKED while the
// data are accessed; E_INVALIDARG for an array that is not (or no longer) alive.
STDAPI SafeArrayDestroy(SAFEARRAY *psa);

// Gives the last dimension (rgsabound[0]) the new bounds; elements past the new end are
// freed, new ones are zero. DISP_E_ARRAYISLOCKED while the data are accessed.
STDAPI SafeArrayRedim(SAFEARRAY *psa, SAFEARRAYBOUND *psaboundNew);

STDAPI_(UINT) SafeArrayGetDim(SAFEARRAY *psa);
STDAPI_(UINT) SafeArrayGetElemsize(SAFEARRAY *psa);

// `nDim` counts from 1; DISP_E_BADINDEX outside 1 to the dimension count.
STDAPI SafeArrayGetLBound(SAFEARRAY *psa, UINT nDim, LONG *plLbound);
STDAPI SafeArrayGetUBound(SAFEARRAY *psa, UINT nDim, LONG *plUbound);

// Locks the array (it cannot be destroyed or resized meanwhile) and gives its data;
// each AccessData needs its UnaccessData (E_UNEXPECTED when there is none to undo).
STDAPI SafeArrayAccessData(SAFEARRAY *psa, void **ppvData);
STDAPI SafeArrayUnaccessData(SAFEARRAY *psa);

// Copy one element out or in; DISP_E_BADINDEX for an index outside the bounds.
// GetElement hands out a copy the caller owns (a new BSTR, a VARIANT copy, an interface
// with a reference added); `pv` receives it. PutElement stores a copy of the value and
// frees the element's old value; for VT_BSTR, VT_UNKNOWN and VT_DISPATCH `pv` is the
// BSTR or interface pointer itself, for every other type it points to the value.
STDAPI SafeArrayGetElement(SAFEARRAY *psa, LONG *rgIndices, void *pv);
STDAPI SafeArrayPutElement(SAFEARRAY *psa, LONG *rgIndices, void *pv);

STDAPI SafeArrayGetVartype(SAFEARRAY *psa, VARTYPE *pvt);

// A deep copy with the same bounds and type, not locked; a NULL `psa` copies to NULL.
STDAPI SafeArrayCopy(SAFEARRAY *psa, SAFEARRAY **ppsaOut);
