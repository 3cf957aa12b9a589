// The values that DAO takes and gives: field values, parameters, keys and bookmarks.
//
// CdbVariant is a VARIANT that owns what it holds. Every DAO call takes its values as
// VARIANTs, so any VARIANT-derived class serves as an argument.
#pragma once

#include <ole2.h>

class CdbVariant : public tagVARIANT {
public:
    CdbVariant() { VariantInit(this); }
    CdbVariant(const VARIANT &other);
    CdbVariant(const CdbVariant &other) : CdbVariant(static_cast<const VARIANT &>(other)) {}
    CdbVariant(CdbVariant &&other) noexcept;
    explicit CdbVariant(LONG value);
    // Code page 1252 text, held as a BSTR; NULL gives the empty text.
    explicit CdbVariant(LPCSTR text);
    ~CdbVariant() { VariantClear(this); }

    CdbVariant &operator=(const VARIANT &other);
    CdbVariant &operator=(const CdbVariant &other) { return *this = static_cast<const VARIANT &>(other); }
    CdbVariant &operator=(CdbVariant &&other) noexcept;
};

// A record's bookmark: eight bytes in a VT_ARRAY | VT_UI1 array, as DAO's bookmarks are
// byte arrays. It is only good for the recordset that gave it.
class CdbBookmark : public CdbVariant {
public:
    CdbBookmark() = default;
    CdbBookmark(const VARIANT &other) : CdbVariant(other) {}
};
