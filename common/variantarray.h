// CVariantArray: the argument or result list of a command.
//
// Commands between the servers and the host are IOleCommandTarget::Exec calls whose
// input and output are single VARIANTs. The system's convention: no argument passes a
// NULL VARIANT pointer, one argument passes that argument itself, two or more pass a
// one-dimensional SAFEARRAY of VARIANT (VT_ARRAY | VT_VARIANT). A list is built from such
// a VARIANT by the receiver of a command, or turned into one by COleTarCmdCaller to make
// a call.
//
// Who frees what:
// - The input VARIANT and everything in it stay the caller's. A receiver reads copies.
// - The output VARIANT's first contents are the caller's too. A receiver writes its
//   results over them without freeing them, and hands the results to the caller. A value
//   that it leaves as it was (the same type and the same BSTR, array or interface) is
//   the caller's own, unchanged, and carries no new reference.
// - With hand-over (options bit 31 or 30, COleTarCmdCaller::ExecHandOver) a receiver that
//   succeeds owns the input and the output's first contents as well; what the output
//   holds when the call returns is the caller's, given back or new.
// A receiver builds CVariantArray(pvaIn, FALSE) to read its arguments and
// CVariantArray(pvaOut, TRUE) to answer: that list writes its elements back into the
// caller's VARIANT when it is destroyed, by this convention.
#pragma once

#include "variantargs.h"

class CVariantArray : public CArray<CVariantArgs, CVariantArgs &> {
public:
    // `count` VT_EMPTY elements, attached to nothing.
    explicit CVariantArray(int count = 0);
    // The elements of `source` (NULL: none), copied; with `writeBack` they return into
    // `source` when the list is destroyed: into its array, resized to the list, when it
    // holds a one-dimensional SAFEARRAY of VARIANT, else as its single value (the first
    // element; an empty list leaves `source` as it was).
    CVariantArray(VARIANT *source, BOOL writeBack);
    ~CVariantArray() override;
    CVariantArray(const CVariantArray &) = delete;
    CVariantArray &operator=(const CVariantArray &) = delete;

    // Replaces the elements by those of `v`: none for NULL, one element per entry of a
    // one-dimensional SAFEARRAY of VARIANT, else one element of the value. Without
    // `takeOver` the values are copied and `v` stays as it is. With it they are taken
    // over as they stand: the array is moved out of `v`, whose type becomes 0, and
    // destroyed after its entries have been taken; a single value is taken and `v` left
    // VT_EMPTY. The new count.
    int FromVariant(VARIANT *v, BOOL takeOver);

    // The values now belong to someone else: the elements forget them and the list
    // becomes empty, freeing nothing.
    void DetachAll();

    // The value of element `index`, which must be of the named type; otherwise (or for
    // an index outside the list) the call raises _com_error E_INVALIDARG. BSTRs and
    // interfaces stay the element's: no copy is made and no reference added.
    DWORD GetUI4(int index) const;
    LONG GetI4(int index) const;
    VARIANT_BOOL GetBool(int index) const;
    BSTR GetBSTR(int index) const;
    IUnknown *GetUnknown(int index) const;

private:
    const VARIANT &Typed(int index, VARTYPE vt) const;
    void WriteBackIntoArray();
    void WriteBackAsValue();

    BOOL m_attached = FALSE;
    BOOL m_writeBack = FALSE;
    BOOL m_arrayMode = FALSE;
    VARIANT *m_source = nullptr;
};

// Whether two values are the same value: the same type and the same bits, so that a
// BSTR, an array or an interface is the very same one.
BOOL IsSameVariantValue(const VARIANT &a, const VARIANT &b);
