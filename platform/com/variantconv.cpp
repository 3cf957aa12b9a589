#include "variantconv.h"

#include "dispatch.h"
#include "internal/vartypes.h"
#include "safearray.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

namespace {

// A number read from a VARIANT: exact when it was an integer, else a double.
struct Number {
    bool isFloat;
    LONGLONG integer;
    double real;

    double AsDouble() const { return isFloat ? real : static_cast<double>(integer); }
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The text of a BSTR as ASCII without the blanks around it; false when it holds a
// character beyond ASCII (no number or truth value does).
bool AsciiText(BSTR text, std::string *out)
{
    UINT length = SysStringLen(text);
    std::string s;
    s.reserve(length);
    for (UINT i = 0; i < length; i++) {
        if (text[i] == 0 || text[i] > 0x7F)
            return false;
        s.push_back(static_cast<char>(text[i]));
    }
    size_t first = 0;
    while (first < s.size() && IsBlank(s[first]))
        first++;
    size_t last = s.size();
    while (last > first && IsBlank(s[last - 1]))
        last--;
    *out = s.substr(first, last - first);
    return true;
}

bool EqualsNoCase(const std::string &a, const char *b)
{
    size_t n = std::strlen(b);
    if (a.size() != n)
        return false;
    for (size_t i = 0; i < n; i++) {
        char x = a[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        char y = b[i];
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

// Reads [sign] digits [. digits] [e [sign] digits], at least one digit before the
// exponent, in the C locale.
HRESULT ParseNumber(const std::string &text, Number *out)
{
    size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';
    size_t start = pos;
    size_t digits = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
        pos++, digits++;
    bool isFloat = false;
    if (pos < text.size() && text[pos] == '.') {
        isFloat = true;
        pos++;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
            pos++, digits++;
    }
    if (digits == 0)
        return DISP_E_TYPEMISMATCH;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        isFloat = true;
        pos++;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
            pos++;
        size_t exponentDigits = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
            pos++, exponentDigits++;
        if (exponentDigits == 0)
            return DISP_E_TYPEMISMATCH;
    }
    if (pos != text.size())
        return DISP_E_TYPEMISMATCH;

    // from_chars takes a minus sign but no plus, so the sign is put back by hand.
    std::string body = (negative ? "-" : "") + text.substr(start);
    const char *first = body.data();
    const char *last = first + body.size();
    if (!isFloat) {
        LONGLONG value;
        auto result = std::from_chars(first, last, value);
        if (result.ec == std::errc() && result.ptr == last) {
            *out = {false, value, 0.0};
            return S_OK;
        }
        // Too long for 64 bits: still a number, too large for any integer type.
    }
    double value;
    auto result = std::from_chars(first, last, value);
    if (result.ec == std::errc::result_out_of_range)
        return DISP_E_OVERFLOW;
    if (result.ec != std::errc() || result.ptr != last)
        return DISP_E_TYPEMISMATCH;
    *out = {true, 0, value};
    return S_OK;
}

HRESULT ReadNumber(const VARIANT &src, Number *out)
{
    switch (src.vt) {
    case VT_EMPTY:
        *out = {false, 0, 0.0};
        return S_OK;
    case VT_BOOL:
        *out = {false, src.boolVal ? -1 : 0, 0.0};
        return S_OK;
    case VT_I1:
        *out = {false, src.cVal, 0.0};
        return S_OK;
    case VT_I2:
        *out = {false, src.iVal, 0.0};
        return S_OK;
    case VT_I4:
        *out = {false, src.lVal, 0.0};
        return S_OK;
    case VT_INT:
        *out = {false, src.intVal, 0.0};
        return S_OK;
    case VT_UI1:
        *out = {false, src.bVal, 0.0};
        return S_OK;
    case VT_UI2:
        *out = {false, src.uiVal, 0.0};
        return S_OK;
    case VT_UI4:
        *out = {false, src.ulVal, 0.0};
        return S_OK;
    case VT_UINT:
        *out = {false, src.uintVal, 0.0};
        return S_OK;
    case VT_I8:
        *out = {false, src.llVal, 0.0};
        return S_OK;
    case VT_UI8:
        // Above the signed range only as a real, which the integer stores refuse.
        if (src.ullVal > static_cast<ULONGLONG>(INT64_MAX))
            *out = {true, 0, static_cast<double>(src.ullVal)};
        else
            *out = {false, static_cast<LONGLONG>(src.ullVal), 0.0};
        return S_OK;
    case VT_R4:
        *out = {true, 0, src.fltVal};
        return S_OK;
    case VT_R8:
        *out = {true, 0, src.dblVal};
        return S_OK;
    case VT_BSTR: {
        std::string text;
        if (!AsciiText(src.bstrVal, &text))
            return DISP_E_TYPEMISMATCH;
        return ParseNumber(text, out);
    }
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

// Nearest integer, halves to the even one, as the platform rounds.
double RoundHalfEven(double value)
{
    double floor = std::floor(value);
    double fraction = value - floor;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0))
        floor += 1.0;
    return floor;
}

HRESULT ToInteger(const Number &n, LONGLONG low, LONGLONG high, LONGLONG *out)
{
    if (n.isFloat) {
        if (std::isnan(n.real))
            return DISP_E_OVERFLOW;
        double rounded = RoundHalfEven(n.real);
        // 2^63 is the first double that no 64-bit integer holds.
        if (rounded < static_cast<double>(low) || rounded > static_cast<double>(high) || rounded >= 0x1p63)
            return DISP_E_OVERFLOW;
        *out = static_cast<LONGLONG>(rounded);
        return S_OK;
    }
    if (n.integer < low || n.integer > high)
        return DISP_E_OVERFLOW;
    *out = n.integer;
    return S_OK;
}

bool IsIntegerType(VARTYPE vt)
{
    switch (vt) {
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_INT:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UINT:
    case VT_I8:
    case VT_UI8:
        return true;
    default:
        return false;
    }
}

HRESULT StoreInteger(const VARIANT &src, VARTYPE vt, VARIANT *result)
{
    // VARIANT_TRUE is -1, and the platform keeps its bits: all ones in unsigned types.
    if (src.vt == VT_BOOL) {
        LONGLONG bits = src.boolVal ? -1 : 0;
        result->llVal = 0;
        switch (vt) {
        case VT_I1:
            result->cVal = static_cast<CHAR>(bits);
            break;
        case VT_UI1:
            result->bVal = static_cast<BYTE>(bits);
            break;
        case VT_I2:
            result->iVal = static_cast<SHORT>(bits);
            break;
        case VT_UI2:
            result->uiVal = static_cast<USHORT>(bits);
            break;
        case VT_I8:
        case VT_UI8:
            result->llVal = bits;
            break;
        default:
            result->lVal = static_cast<LONG>(bits);
            break;
        }
        return S_OK;
    }
    Number n{};
    HRESULT hr = ReadNumber(src, &n);
    if (FAILED(hr))
        return hr;
    LONGLONG value = 0;
    switch (vt) {
    case VT_I1:
        hr = ToInteger(n, -128, 127, &value);
        result->cVal = static_cast<CHAR>(value);
        break;
    case VT_UI1:
        hr = ToInteger(n, 0, 255, &value);
        result->bVal = static_cast<BYTE>(value);
        break;
    case VT_I2:
        hr = ToInteger(n, -32768, 32767, &value);
        result->iVal = static_cast<SHORT>(value);
        break;
    case VT_UI2:
        hr = ToInteger(n, 0, 65535, &value);
        result->uiVal = static_cast<USHORT>(value);
        break;
    case VT_I4:
    case VT_INT:
        hr = ToInteger(n, INT32_MIN, INT32_MAX, &value);
        result->lVal = static_cast<LONG>(value);
        break;
    case VT_I8:
        hr = ToInteger(n, INT64_MIN, INT64_MAX, &value);
        result->llVal = value;
        break;
    case VT_UI8:
        hr = ToInteger(n, 0, INT64_MAX, &value);
        result->ullVal = static_cast<ULONGLONG>(value);
        break;
    default: // VT_UI4, VT_UINT
        hr = ToInteger(n, 0, UINT32_MAX, &value);
        result->ulVal = static_cast<ULONG>(value);
        break;
    }
    return hr;
}

HRESULT StoreBool(const VARIANT &src, VARIANT *result)
{
    if (src.vt == VT_BSTR) {
        std::string text;
        if (!AsciiText(src.bstrVal, &text))
            return DISP_E_TYPEMISMATCH;
        if (EqualsNoCase(text, "true") || EqualsNoCase(text, "false")) {
            result->boolVal = EqualsNoCase(text, "true") ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        }
    }
    Number n{};
    HRESULT hr = ReadNumber(src, &n);
    if (FAILED(hr))
        return hr;
    bool isTrue = n.isFloat ? n.real != 0.0 : n.integer != 0;
    result->boolVal = isTrue ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

std::string FormatFloat(double value, int significantDigits)
{
    char buffer[64];
    auto out = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, significantDigits);
    std::string text(buffer, out.ptr);
    // The platform writes the exponent mark (and "INF", "NAN") in capitals.
    for (char &c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

HRESULT StoreText(const VARIANT &src, USHORT wFlags, VARIANT *result)
{
    std::string text;
    switch (src.vt) {
    case VT_EMPTY:
        break;
    case VT_BOOL:
        if (wFlags & VARIANT_ALPHABOOL)
            text = src.boolVal ? "True" : "False";
        else
            text = src.boolVal ? "-1" : "0";
        break;
    case VT_R4:
        text = FormatFloat(src.fltVal, 7);
        break;
    case VT_R8:
        text = FormatFloat(src.dblVal, 15);
        break;
    case VT_UI8:
        text = std::to_string(src.ullVal);
        break;
    default: {
        if (!IsIntegerType(src.vt))
            return DISP_E_TYPEMISMATCH;
        Number n{};
        ReadNumber(src, &n);
        text = std::to_string(n.integer);
        break;
    }
    }
    std::u16string wide(text.begin(), text.end());
    result->bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    return result->bstrVal ? S_OK : E_OUTOFMEMORY;
}

HRESULT StoreInterface(const VARIANT &src, VARTYPE vt, VARIANT *result)
{
    if (src.vt == VT_EMPTY) {
        result->punkVal = nullptr;
        return S_OK;
    }
    if (src.vt != VT_UNKNOWN && src.vt != VT_DISPATCH)
        return DISP_E_TYPEMISMATCH;
    result->punkVal = nullptr;
    if (!src.punkVal)
        return S_OK;
    // VT_UNKNOWN to VT_UNKNOWN was a plain copy, so this asks for the other interface.
    const IID &iid = vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown;
    return src.punkVal->QueryInterface(iid, reinterpret_cast<void **>(&result->punkVal));
}

HRESULT CoerceScalar(const VARIANT &src, USHORT wFlags, VARTYPE vt, VARIANT *result)
{
    if (vt == VT_EMPTY)
        return S_OK;
    if (src.vt == VT_NULL)
        return DISP_E_TYPEMISMATCH;
    HRESULT hr;
    if (IsIntegerType(vt)) {
        hr = StoreInteger(src, vt, result);
    } else if (vt == VT_BOOL) {
        hr = StoreBool(src, result);
    } else if (vt == VT_R4 || vt == VT_R8) {
        Number n{};
        hr = ReadNumber(src, &n);
        if (SUCCEEDED(hr)) {
            double value = n.AsDouble();
            if (vt == VT_R8)
                result->dblVal = value;
            else if (!std::isnan(value) && std::fabs(value) > FLT_MAX)
                hr = DISP_E_OVERFLOW;
            else
                result->fltVal = static_cast<FLOAT>(value);
        }
    } else if (vt == VT_BSTR) {
        hr = StoreText(src, wFlags, result);
    } else if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
        hr = StoreInterface(src, vt, result);
    } else {
        return DISP_E_TYPEMISMATCH;
    }
    if (SUCCEEDED(hr))
        result->vt = vt;
    return hr;
}

// Arrays convert to their own type, and byte arrays and BSTRs into one another.
HRESULT CoerceArray(const VARIANT &src, VARTYPE vt, VARIANT *result)
{
    if (src.vt == (VT_ARRAY | VT_UI1) && vt == VT_BSTR) {
        SAFEARRAY *bytes = src.parray;
        if (!bytes || SafeArrayGetDim(bytes) != 1)
            return DISP_E_TYPEMISMATCH;
        result->bstrVal = SysAllocStringByteLen(static_cast<LPCSTR>(bytes->pvData), bytes->rgsabound[0].cElements);
        if (!result->bstrVal)
            return E_OUTOFMEMORY;
        result->vt = VT_BSTR;
        return S_OK;
    }
    if (src.vt == VT_BSTR && vt == (VT_ARRAY | VT_UI1)) {
        UINT length = SysStringByteLen(src.bstrVal);
        SAFEARRAY *bytes = SafeArrayCreateVector(VT_UI1, 0, length);
        if (!bytes)
            return E_OUTOFMEMORY;
        if (length)
            std::memcpy(bytes->pvData, src.bstrVal, length);
        result->parray = bytes;
        result->vt = vt;
        return S_OK;
    }
    return DISP_E_TYPEMISMATCH;
}

bool IsConvertible(VARTYPE base)
{
    switch (base) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_BOOL:
    case VT_R4:
    case VT_R8:
    case VT_BSTR:
    case VT_UNKNOWN:
    case VT_DISPATCH:
        return true;
    default:
        return IsIntegerType(base);
    }
}

} // namespace

STDAPI VariantChangeTypeEx(VARIANTARG *pvargDest, const VARIANTARG *pvarSrc, LCID, USHORT wFlags, VARTYPE vt)
{
    if (!pvargDest || !pvarSrc)
        return E_INVALIDARG;
    if (!qelcom::IsVariantType(pvarSrc->vt))
        return DISP_E_BADVARTYPE;
    // VT_VARIANT asks for no particular type: the value stays as it is.
    bool keepType = vt == VT_VARIANT;
    if (!keepType && (!qelcom::IsVariantType(vt) || (vt & VT_BYREF)))
        return DISP_E_BADVARTYPE;

    // A reference is followed into a copy of its own; otherwise the source is only read.
    VARIANT dereferenced;
    VariantInit(&dereferenced);
    const VARIANT *src = pvarSrc;
    if (pvarSrc->vt & VT_BYREF) {
        HRESULT hr = VariantCopyInd(&dereferenced, pvarSrc);
        if (FAILED(hr))
            return hr;
        src = &dereferenced;
    }

    VARIANT result;
    VariantInit(&result);
    HRESULT hr;
    if (keepType || src->vt == vt)
        hr = VariantCopy(&result, src);
    else if ((src->vt & VT_ARRAY) || (vt & VT_ARRAY))
        hr = CoerceArray(*src, vt, &result);
    else if (!IsConvertible(src->vt) || !IsConvertible(vt))
        hr = DISP_E_TYPEMISMATCH;
    else
        hr = CoerceScalar(*src, wFlags, vt, &result);
    VariantClear(&dereferenced);
    if (FAILED(hr))
        return hr;

    // The result is complete before the destination, which may be the source, is cleared.
    hr = VariantClear(pvargDest);
    if (FAILED(hr)) {
        VariantClear(&result);
        return hr;
    }
    *pvargDest = result;
    return S_OK;
}

STDAPI VariantChangeType(VARIANTARG *pvargDest, const VARIANTARG *pvarSrc, USHORT wFlags, VARTYPE vt)
{
    return VariantChangeTypeEx(pvargDest, pvarSrc, 0, wFlags, vt);
}
