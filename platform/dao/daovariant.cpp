#include "daovariant.h"

#include "afxstring.h"

#include <cstring>
#include <new>

CdbVariant::CdbVariant(const VARIANT &other)
{
    VariantInit(this);
    // A type that a VARIANT cannot hold leaves the copy empty; only a lack of memory
    // is worth an exception.
    if (VariantCopy(this, &other) == E_OUTOFMEMORY)
        throw std::bad_alloc();
}

CdbVariant::CdbVariant(CdbVariant &&other) noexcept
{
    std::memcpy(static_cast<VARIANT *>(this), static_cast<VARIANT *>(&other), sizeof(VARIANT));
    VariantInit(&other);
}

CdbVariant::CdbVariant(LONG value)
{
    VariantInit(this);
    vt = VT_I4;
    lVal = value;
}

CdbVariant::CdbVariant(LPCSTR text)
{
    VariantInit(this);
    bstrVal = CString(text).AllocSysString();
    if (!bstrVal)
        throw std::bad_alloc();
    vt = VT_BSTR;
}

CdbVariant &CdbVariant::operator=(const VARIANT &other)
{
    if (this != &other && VariantCopy(this, &other) == E_OUTOFMEMORY)
        throw std::bad_alloc();
    return *this;
}

CdbVariant &CdbVariant::operator=(CdbVariant &&other) noexcept
{
    if (this != &other) {
        VariantClear(this);
        std::memcpy(static_cast<VARIANT *>(this), static_cast<VARIANT *>(&other), sizeof(VARIANT));
        VariantInit(&other);
    }
    return *this;
}
