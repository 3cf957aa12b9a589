// CSafeArrayVariant: a one-dimensional SAFEARRAY in a VARIANT of type VT_ARRAY | element
// type, as command arguments travel when there are two or more.
//
// The wrapper either owns its array or borrows one that belongs to someone else, which it
// never destroys. An owned array of VARIANTs holds bitwise copies of values owned
// elsewhere (the elements of an argument list), so its entries are forgotten, not freed,
// when it is destroyed.
#pragma once

#include <afx.h>

class CVariantArray;

class CSafeArrayVariant {
public:
    // An owned array of `count` elements of `elementType`; none yet for 0.
    CSafeArrayVariant(VARTYPE elementType, int count);
    // The array that `v` holds (when it holds one), with VARIANT elements: borrowed in
    // place, or moved out of `v`, whose type and array become 0, and owned.
    CSafeArrayVariant(VARIANT *v, BOOL borrow);
    ~CSafeArrayVariant();
    CSafeArrayVariant(const CSafeArrayVariant &) = delete;
    CSafeArrayVariant &operator=(const CSafeArrayVariant &) = delete;

    // The type is VT_ARRAY | the element type and a one-dimensional array is there.
    BOOL IsValid() const;
    // Upper bound - lower bound + 1; 0 when not valid.
    int GetCount() const;
    // To `count` elements with lower bound 0: the array is resized, or made when there is
    // none. Elements past a new end are freed by the array.
    BOOL Resize(int count);
    // The locked data, NULL on failure; each AccessData needs its UnaccessData.
    void *AccessData();
    void UnaccessData();

    // Sizes the array to the list and fills it with bitwise copies of the elements'
    // values, which stay the list's. FALSE when that cannot be done.
    BOOL FromArray(const CVariantArray &args);
    // The entries, copied into the list (which is resized to them); their count.
    int ToArray(CVariantArray &args);

    // The VARIANT that holds the array, to be passed on.
    VARIANT *GetVariant() { return &m_variant; }
    SAFEARRAY *GetArray() const { return (m_variant.vt & VT_ARRAY) ? m_variant.parray : nullptr; }
    // The array now belongs to someone else: the wrapper forgets it.
    void Forget();

private:
    VARIANT m_variant;
    VARTYPE m_elementType;
    int m_accesses = 0; // AccessData calls not yet undone
    BOOL m_borrowed;
};
