// The values of a command's list as the add-on reads them: a value of another type than
// the one asked for raises E_INVALIDARG as COM error information and counts as 0, or as
// an empty text.
#pragma once

#include <afx.h>
#include <variantarray.h>

class CCommandValues {
public:
    explicit CCommandValues(CVariantArray *values) : m_values(values) {}
    int Count() const { return m_values != nullptr ? m_values->GetSize() : 0; }
    DWORD UI4(int index) const { return static_cast<DWORD>(Number(index, VT_UI4)); }
    LONG I4(int index) const { return Number(index, VT_I4); }
    CString Text(int index) const;
    const VARIANT &Value(int index) const { return (*m_values)[index].GetValue(); }

private:
    LONG Number(int index, VARTYPE vt) const;

    CVariantArray *m_values;
};

// A number of 32 bits of type `vt` (VT_I4, VT_UI4) or a VT_BOOL (1 for true) into `argument`.
void SetCommandNumber(CVariantArgs &argument, VARTYPE vt, LONG value);
