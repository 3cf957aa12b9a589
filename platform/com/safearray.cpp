#include "safearray.h"

#include "internal/liveset.h"
#include "internal/vartypes.h"
#include "unknwn.h"

#include <climits>
#include <cstdint>
#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace {

// The descriptor is preceded by a hidden prefix whose last four bytes hold the element
// type, where the platform keeps it too; 16 bytes keep the descriptor aligned.
constexpr size_t kPrefix = 16;

// No array holds more data than this: a size that comes from outside cannot make the
// process ask for unbounded memory.
constexpr size_t kMaxDataBytes = 0x7FFFFFFF;

char *BlockOf(SAFEARRAY *psa)
{
    return reinterpret_cast<char *>(psa) - kPrefix;
}

VARTYPE StoredVartype(const SAFEARRAY *psa)
{
    DWORD vt;
    std::memcpy(&vt, reinterpret_cast<const char *>(psa) - sizeof vt, sizeof vt);
    return static_cast<VARTYPE>(vt);
}

USHORT FeaturesOf(VARTYPE vt)
{
    switch (vt) {
    case VT_BSTR:
        return FADF_HAVEVARTYPE | FADF_BSTR;
    case VT_UNKNOWN:
        return FADF_HAVEVARTYPE | FADF_UNKNOWN;
    case VT_DISPATCH:
        return FADF_HAVEVARTYPE | FADF_DISPATCH;
    case VT_VARIANT:
        return FADF_HAVEVARTYPE | FADF_VARIANT;
    default:
        return FADF_HAVEVARTYPE;
    }
}

// The element count of dimensions bounds[from..cDims-1]; false when the data would
// exceed kMaxDataBytes.
bool CountElements(const SAFEARRAYBOUND *bounds, UINT from, UINT cDims, ULONG cbElements, size_t *count)
{
    size_t n = 1;
    for (UINT i = from; i < cDims; i++) {
        if (bounds[i].cElements == 0) {
            *count = 0;
            return true;
        }
        if (n > kMaxDataBytes / cbElements / bounds[i].cElements)
            return false;
        n *= bounds[i].cElements;
    }
    *count = n;
    return true;
}

size_t TotalElements(const SAFEARRAY *psa)
{
    size_t count = 0;
    CountElements(psa->rgsabound, 0, psa->cDims, psa->cbElements, &count);
    return count;
}

// The upper bound lLbound + cElements - 1 must be a LONG.
bool BoundFits(const SAFEARRAYBOUND &bound)
{
    return static_cast<LONGLONG>(bound.lLbound) + bound.cElements - 1 <= INT32_MAX;
}

// A descriptor with the element type and count of dimensions set, bounds zero, no data.
SAFEARRAY *NewDescriptor(VARTYPE vt, UINT cDims)
{
    size_t size = kPrefix + offsetof(SAFEARRAY, rgsabound) + cDims * sizeof(SAFEARRAYBOUND);
    char *block = static_cast<char *>(std::calloc(1, size));
    if (!block)
        return nullptr;
    SAFEARRAY *psa = reinterpret_cast<SAFEARRAY *>(block + kPrefix);
    DWORD storedVt = vt;
    std::memcpy(block + kPrefix - sizeof storedVt, &storedVt, sizeof storedVt);
    psa->cDims = static_cast<USHORT>(cDims);
    psa->fFeatures = FeaturesOf(vt);
    psa->cbElements = qelcom::ElementSize(vt);
    return psa;
}

void ClearElements(VARTYPE vt, void *data, size_t from, size_t count)
{
    for (size_t i = from; i < from + count; i++) {
        if (vt == VT_BSTR) {
            BSTR &element = static_cast<BSTR *>(data)[i];
            SysFreeString(element);
            element = nullptr;
        } else if (vt == VT_VARIANT) {
            VariantClear(&static_cast<VARIANT *>(data)[i]);
        } else if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
            IUnknown *&element = static_cast<IUnknown **>(data)[i];
            if (element)
                element->Release();
            element = nullptr;
        }
    }
}

// Copies `count` elements into zeroed memory; on failure what was copied is freed again.
HRESULT CopyElements(VARTYPE vt, const void *from, void *to, size_t count, ULONG cbElements)
{
    for (size_t i = 0; i < count; i++) {
        if (vt == VT_BSTR) {
            BSTR text = static_cast<BSTR const *>(from)[i];
            if (!text)
                continue;
            BSTR copy = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(text), SysStringByteLen(text));
            if (!copy) {
                ClearElements(vt, to, 0, i);
                return E_OUTOFMEMORY;
            }
            static_cast<BSTR *>(to)[i] = copy;
        } else if (vt == VT_VARIANT) {
            HRESULT hr = VariantCopy(&static_cast<VARIANT *>(to)[i], &static_cast<const VARIANT *>(from)[i]);
            if (FAILED(hr)) {
                ClearElements(vt, to, 0, i);
                return hr;
            }
        } else if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
            IUnknown *object = static_cast<IUnknown *const *>(from)[i];
            if (object)
                object->AddRef();
            static_cast<IUnknown **>(to)[i] = object;
        } else {
            std::memcpy(to, from, count * cbElements);
            return S_OK;
        }
    }
    return S_OK;
}

// Zeroed data for `count` elements. An array without elements has a data block too, as
// on the platform, so that accessing its data gives a pointer like any other array's.
void *NewData(size_t count, ULONG cbElements)
{
    return std::calloc(count ? count : 1, cbElements);
}

void FreeArray(SAFEARRAY *psa)
{
    std::free(psa->pvData);
    std::free(BlockOf(psa));
}

// Enters a finished array in the set of live arrays; NULL (and the array freed) when
// that fails.
SAFEARRAY *Publish(SAFEARRAY *psa)
{
    if (!qelcom::LiveSafeArrays().Add(psa)) {
        ClearElements(StoredVartype(psa), psa->pvData, 0, TotalElements(psa));
        FreeArray(psa);
        return nullptr;
    }
    return psa;
}

// The element at `rgIndices` (dimension 1 first, varying fastest); NULL when an index
// lies outside its bounds.
void *ElementAt(SAFEARRAY *psa, const LONG *rgIndices)
{
    size_t cell = 0;
    size_t stride = 1;
    for (UINT d = 0; d < psa->cDims; d++) {
        const SAFEARRAYBOUND &bound = psa->rgsabound[psa->cDims - 1 - d];
        LONGLONG offset = static_cast<LONGLONG>(rgIndices[d]) - bound.lLbound;
        if (offset < 0 || offset >= static_cast<LONGLONG>(bound.cElements))
            return nullptr;
        cell += static_cast<size_t>(offset) * stride;
        stride *= bound.cElements;
    }
    return static_cast<char *>(psa->pvData) + cell * psa->cbElements;
}

} // namespace

STDAPI_(SAFEARRAY *) SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND *rgsabound)
{
    ULONG cbElements = qelcom::ElementSize(vt);
    if (!rgsabound || cDims == 0 || cDims > USHRT_MAX || cbElements == 0)
        return nullptr;
    for (UINT i = 0; i < cDims; i++) {
        if (!BoundFits(rgsabound[i]))
            return nullptr;
    }
    size_t count;
    if (!CountElements(rgsabound, 0, cDims, cbElements, &count))
        return nullptr;
    SAFEARRAY *psa = NewDescriptor(vt, cDims);
    if (!psa)
        return nullptr;
    for (UINT i = 0; i < cDims; i++)
        psa->rgsabound[cDims - 1 - i] = rgsabound[i];
    psa->pvData = NewData(count, cbElements);
    if (!psa->pvData) {
        FreeArray(psa);
        return nullptr;
    }
    return Publish(psa);
}

STDAPI_(SAFEARRAY *) SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements)
{
    SAFEARRAYBOUND bound = {cElements, lLbound};
    return SafeArrayCreate(vt, 1, &bound);
}

STDAPI SafeArrayDestroy(SAFEARRAY *psa)
{
    if (!psa)
        return S_OK;
    qelcom::LiveSet &live = qelcom::LiveSafeArrays();
    // Nothing of the descriptor is read before it is known to be alive.
    if (!live.Contains(psa)) {
        qelcom::NoteInvalidFree();
        return E_INVALIDARG;
    }
    if (__atomic_load_n(&psa->cLocks, __ATOMIC_SEQ_CST) > 0)
        return DISP_E_ARRAYISLOCKED;
    if (!live.Remove(psa))
        return E_INVALIDARG;
    ClearElements(StoredVartype(psa), psa->pvData, 0, TotalElements(psa));
    FreeArray(psa);
    return S_OK;
}

STDAPI SafeArrayRedim(SAFEARRAY *psa, SAFEARRAYBOUND *psaboundNew)
{
    if (!psa || !psaboundNew || !BoundFits(*psaboundNew))
        return E_INVALIDARG;
    if (__atomic_load_n(&psa->cLocks, __ATOMIC_SEQ_CST) > 0)
        return DISP_E_ARRAYISLOCKED;
    size_t inner = 0;
    CountElements(psa->rgsabound, 1, psa->cDims, psa->cbElements, &inner);
    size_t oldCount = TotalElements(psa);
    SAFEARRAYBOUND newBounds[1] = {*psaboundNew};
    size_t last;
    if (!CountElements(newBounds, 0, 1, psa->cbElements, &last) || (last && inner > kMaxDataBytes / psa->cbElements / last))
        return E_OUTOFMEMORY;
    size_t newCount = inner * last;
    if (newCount < oldCount) {
        ClearElements(StoredVartype(psa), psa->pvData, newCount, oldCount - newCount);
        // Shrinking cannot fail: when the smaller block is refused the larger one stays.
        size_t keep = (newCount ? newCount : 1) * psa->cbElements;
        if (void *smaller = std::realloc(psa->pvData, keep))
            psa->pvData = smaller;
    } else if (newCount > oldCount) {
        void *larger = std::realloc(psa->pvData, newCount * psa->cbElements);
        if (!larger)
            return E_OUTOFMEMORY;
        std::memset(static_cast<char *>(larger) + oldCount * psa->cbElements, 0,
                    (newCount - oldCount) * psa->cbElements);
        psa->pvData = larger;
    }
    psa->rgsabound[0] = *psaboundNew;
    return S_OK;
}

STDAPI_(UINT) SafeArrayGetDim(SAFEARRAY *psa)
{
    return psa ? psa->cDims : 0;
}

STDAPI_(UINT) SafeArrayGetElemsize(SAFEARRAY *psa)
{
    return psa ? psa->cbElements : 0;
}

STDAPI SafeArrayGetLBound(SAFEARRAY *psa, UINT nDim, LONG *plLbound)
{
    if (!psa || !plLbound)
        return E_INVALIDARG;
    if (nDim < 1 || nDim > psa->cDims)
        return DISP_E_BADINDEX;
    *plLbound = psa->rgsabound[psa->cDims - nDim].lLbound;
    return S_OK;
}

STDAPI SafeArrayGetUBound(SAFEARRAY *psa, UINT nDim, LONG *plUbound)
{
    if (!psa || !plUbound)
        return E_INVALIDARG;
    if (nDim < 1 || nDim > psa->cDims)
        return DISP_E_BADINDEX;
    const SAFEARRAYBOUND &bound = psa->rgsabound[psa->cDims - nDim];
    *plUbound = static_cast<LONG>(static_cast<LONGLONG>(bound.lLbound) + bound.cElements - 1);
    return S_OK;
}

STDAPI SafeArrayAccessData(SAFEARRAY *psa, void **ppvData)
{
    if (!psa || !ppvData)
        return E_INVALIDARG;
    // The platform keeps the lock count below 65536; the count is changed atomically
    // because threads may share an array.
    ULONG locks = __atomic_load_n(&psa->cLocks, __ATOMIC_SEQ_CST);
    do {
        if (locks >= 0xFFFF)
            return E_UNEXPECTED;
    } while (!__atomic_compare_exchange_n(&psa->cLocks, &locks, locks + 1, false, __ATOMIC_SEQ_CST,
                                          __ATOMIC_SEQ_CST));
    *ppvData = psa->pvData;
    return S_OK;
}

STDAPI SafeArrayUnaccessData(SAFEARRAY *psa)
{
    if (!psa)
        return E_INVALIDARG;
    ULONG locks = __atomic_load_n(&psa->cLocks, __ATOMIC_SEQ_CST);
    do {
        if (locks == 0)
            return E_UNEXPECTED;
    } while (!__atomic_compare_exchange_n(&psa->cLocks, &locks, locks - 1, false, __ATOMIC_SEQ_CST,
                                          __ATOMIC_SEQ_CST));
    return S_OK;
}

STDAPI SafeArrayGetElement(SAFEARRAY *psa, LONG *rgIndices, void *pv)
{
    if (!psa || !rgIndices || !pv)
        return E_INVALIDARG;
    void *element = ElementAt(psa, rgIndices);
    if (!element)
        return DISP_E_BADINDEX;
    VARTYPE vt = StoredVartype(psa);
    if (vt == VT_VARIANT) {
        // The destination is an out value: what it held before is not freed.
        VariantInit(static_cast<VARIANT *>(pv));
        return VariantCopy(static_cast<VARIANT *>(pv), static_cast<VARIANT *>(element));
    }
    VARIANT copy;
    VariantInit(&copy);
    HRESULT hr = CopyElements(vt, element, &copy.llVal, 1, psa->cbElements);
    if (SUCCEEDED(hr))
        std::memcpy(pv, &copy.llVal, psa->cbElements);
    return hr;
}

STDAPI SafeArrayPutElement(SAFEARRAY *psa, LONG *rgIndices, void *pv)
{
    if (!psa || !rgIndices)
        return E_INVALIDARG;
    void *element = ElementAt(psa, rgIndices);
    if (!element)
        return DISP_E_BADINDEX;
    VARTYPE vt = StoredVartype(psa);
    if (vt == VT_VARIANT) {
        if (!pv)
            return E_INVALIDARG;
        return VariantCopy(static_cast<VARIANT *>(element), static_cast<VARIANT *>(pv));
    }
    if (vt == VT_BSTR || vt == VT_UNKNOWN || vt == VT_DISPATCH) {
        // `pv` is the value itself. The copy is made before the old value goes, since
        // they may be the same.
        void *value = pv;
        void *copy = nullptr;
        HRESULT hr = CopyElements(vt, &value, &copy, 1, psa->cbElements);
        if (FAILED(hr))
            return hr;
        ClearElements(vt, element, 0, 1);
        std::memcpy(element, &copy, sizeof copy);
        return S_OK;
    }
    if (!pv)
        return E_INVALIDARG;
    std::memcpy(element, pv, psa->cbElements);
    return S_OK;
}

STDAPI SafeArrayGetVartype(SAFEARRAY *psa, VARTYPE *pvt)
{
    if (!psa || !pvt)
        return E_INVALIDARG;
    *pvt = StoredVartype(psa);
    return S_OK;
}

STDAPI SafeArrayCopy(SAFEARRAY *psa, SAFEARRAY **ppsaOut)
{
    if (!ppsaOut)
        return E_INVALIDARG;
    *ppsaOut = nullptr;
    if (!psa)
        return S_OK;
    VARTYPE vt = StoredVartype(psa);
    SAFEARRAY *copy = NewDescriptor(vt, psa->cDims);
    if (!copy)
        return E_OUTOFMEMORY;
    std::memcpy(copy->rgsabound, psa->rgsabound, psa->cDims * sizeof(SAFEARRAYBOUND));
    size_t count = TotalElements(psa);
    copy->pvData = NewData(count, copy->cbElements);
    if (!copy->pvData) {
        FreeArray(copy);
        return E_OUTOFMEMORY;
    }
    HRESULT hr = CopyElements(vt, psa->pvData, copy->pvData, count, copy->cbElements);
    if (FAILED(hr)) {
        FreeArray(copy);
        return hr;
    }
    *ppsaOut = Publish(copy);
    return *ppsaOut ? S_OK : E_OUTOFMEMORY;
}
