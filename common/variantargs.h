// CVariantArgs: one argument or result of a command, a VARIANT that knows whether it
// must free what it holds.
//
// An element owns its value when it holds something to free (a BSTR, an interface, an
// array) that is its own: it frees it when the value is replaced and when the element
// goes. Every value set from outside is copied so: a BSTR or an array is duplicated, an
// interface gains a reference. Other values (numbers, references with VT_BYREF) are
// copied as they stand and own nothing. An element loses its owned mark only when its
// value is handed to someone else (CVariantArray::DetachAll, the write-back of a
// command's results).
#pragma once

#include <afx.h>

class CVariantArgs {
public:
    CVariantArgs() noexcept;
    // A copy owns a copy of the value.
    CVariantArgs(const CVariantArgs &other);
    CVariantArgs &operator=(const CVariantArgs &other);
    // A move hands the value and its ownership over; the source is left VT_EMPTY.
    CVariantArgs(CVariantArgs &&other) noexcept;
    CVariantArgs &operator=(CVariantArgs &&other) noexcept;
    ~CVariantArgs();

    // Replaces the value by a copy of `value` (see above), freeing the old one when it
    // was owned. `value` may be this element's own. CMemoryException when the copy
    // cannot be made (the element is then VT_EMPTY).
    void SetValue(const VARIANT &value);
    // An owned VT_BSTR of the ANSI text (NULL: empty); when memory runs out the element
    // stays as it was.
    void SetString(LPCSTR text);
    // The BSTR value as ANSI text, kept in the element until its next GetString; raises
    // _com_error E_INVALIDARG when the value is not VT_BSTR.
    LPCSTR GetString();
    // The value converted to `vt` into `out` (VariantChangeType; VT_VARIANT copies it as
    // it is). `out` must hold a VARIANT (VT_EMPTY at least), which is freed first and then
    // owned by the caller; on failure it stays as it was. E_POINTER for a NULL `out`.
    HRESULT ChangeType(VARTYPE vt, VARIANT *out);
    // Hands the value out for the caller to free, and leaves the element VT_EMPTY. A value
    // that the element did not own is copied for the caller.
    VARIANT Detach();

    const VARIANT &GetValue() const { return m_value; }
    BOOL IsOwned() const { return m_owned; }

    // For the argument lists: takes `value` over as it stands (owned where it holds
    // something to free) and leaves `value` VT_EMPTY.
    void TakeOver(VARIANT &value);
    // For the argument lists: the value now belongs to someone else, who frees it.
    void Disown() { m_owned = FALSE; }

private:
    void Free();

    VARIANT m_value;
    BOOL m_owned;
    CString m_text;
};
