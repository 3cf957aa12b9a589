#include "jetvalue.h"

#include "daoconst.h"
#include "jeterror.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <new>

namespace qeldao {

namespace {

// A VARIANT that frees what it holds.
struct TempVariant : VARIANT {
    TempVariant() { VariantInit(this); }
    ~TempVariant() { VariantClear(this); }
};

[[noreturn]] void ConversionFailed(HRESULT hr, const char *source)
{
    if (hr == E_OUTOFMEMORY)
        throw std::bad_alloc();
    ThrowJet(source, hr == DISP_E_OVERFLOW ? JET_NUMERIC_OVERFLOW : JET_CONVERSION);
}

void ChangeType(TempVariant *to, const VARIANT &from, VARTYPE type, const char *source)
{
    HRESULT hr = VariantChangeType(to, &from, 0, type);
    if (FAILED(hr))
        ConversionFailed(hr, source);
}

JetValue OfReal(double value)
{
    JetValue v;
    v.kind = JetValue::Real;
    v.real = value;
    return v;
}

JetValue AsGiven(const VARIANT &value, const char *source)
{
    switch (value.vt) {
    case VT_EMPTY:
    case VT_NULL:
        return JetValue();
    case VT_BOOL:
        return JetValue::OfInteger(value.boolVal ? -1 : 0);
    case VT_I1:
        return JetValue::OfInteger(value.cVal);
    case VT_I2:
        return JetValue::OfInteger(value.iVal);
    case VT_I4:
        return JetValue::OfInteger(value.lVal);
    case VT_INT:
        return JetValue::OfInteger(value.intVal);
    case VT_UI1:
        return JetValue::OfInteger(value.bVal);
    case VT_UI2:
        return JetValue::OfInteger(value.uiVal);
    case VT_UI4:
        return JetValue::OfInteger(static_cast<LONG>(value.ulVal));
    case VT_UINT:
        return JetValue::OfInteger(static_cast<LONG>(value.uintVal));
    case VT_I8:
        return JetValue::OfInteger(value.llVal);
    case VT_UI8:
        if (value.ullVal > static_cast<ULONGLONG>(std::numeric_limits<int64_t>::max()))
            ThrowJet(source, JET_NUMERIC_OVERFLOW);
        return JetValue::OfInteger(static_cast<int64_t>(value.ullVal));
    case VT_R4:
        return OfReal(value.fltVal);
    case VT_R8:
        return OfReal(value.dblVal);
    case VT_DATE:
        return OfReal(value.date);
    case VT_BSTR:
        return JetValue::OfText(BstrToAnsi(value.bstrVal));
    default:
        ThrowJet(source, JET_CONVERSION);
    }
}

JetValue FromDirect(const VARIANT &value, short type, const char *source)
{
    if (value.vt == VT_NULL)
        return type == dbBoolean ? JetValue::OfInteger(0) : JetValue(); // Jet's Yes/No is never Null
    // Only a value that needs converting pays for a temporary VARIANT.
    switch (type) {
    case dbLong:
        if (value.vt == VT_UI4)
            return JetValue::OfInteger(static_cast<LONG>(value.ulVal));
        if (value.vt == VT_UINT)
            return JetValue::OfInteger(static_cast<LONG>(value.uintVal));
        if (value.vt == VT_I4)
            return JetValue::OfInteger(value.lVal);
        if (value.vt == VT_I8 || value.vt == VT_UI8) {
            bool fits = value.vt == VT_I8 ? value.llVal >= std::numeric_limits<LONG>::min() &&
                                                value.llVal <= std::numeric_limits<LONG>::max()
                                          : value.ullVal <= static_cast<ULONGLONG>(std::numeric_limits<LONG>::max());
            if (!fits)
                ThrowJet(source, JET_NUMERIC_OVERFLOW);
            return JetValue::OfInteger(value.vt == VT_I8 ? value.llVal : static_cast<int64_t>(value.ullVal));
        }
        {
            TempVariant converted;
            ChangeType(&converted, value, VT_I4, source);
            return JetValue::OfInteger(converted.lVal);
        }
    case dbText:
        if (value.vt == VT_BSTR)
            return JetValue::OfText(BstrToAnsi(value.bstrVal));
        {
            TempVariant converted;
            ChangeType(&converted, value, VT_BSTR, source);
            return JetValue::OfText(BstrToAnsi(converted.bstrVal));
        }
    case dbDate:
        if (value.vt == VT_DATE)
            return OfReal(value.date);
        if (value.vt == VT_BSTR)
            ThrowJet(source, JET_CONVERSION); // no date parsing: dates travel as dates
        {
            TempVariant converted;
            ChangeType(&converted, value, VT_R8, source);
            return OfReal(converted.dblVal);
        }
    case dbBoolean: {
        TempVariant converted;
        ChangeType(&converted, value, VT_BOOL, source);
        return JetValue::OfInteger(converted.boolVal ? -1 : 0);
    }
    default:
        return AsGiven(value, source);
    }
}

std::string NumberText(const JetValue &value)
{
    if (value.kind == JetValue::Integer)
        return std::to_string(value.integer);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", value.real);
    return buffer;
}

void SetBstr(VARIANT *out, const std::string &text)
{
    out->bstrVal = AnsiToBstr(text);
    out->vt = VT_BSTR;
}

} // namespace

BSTR AnsiToBstr(const std::string &text)
{
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(text.size()));
    if (!result)
        throw std::bad_alloc();
    if (!text.empty())
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result,
                            static_cast<int>(text.size()));
    return result;
}

std::string BstrToAnsi(BSTR text)
{
    UINT length = SysStringLen(text);
    std::string result(length, '\0');
    if (length)
        WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), result.data(), static_cast<int>(length),
                            nullptr, nullptr);
    return result;
}

JetValue ValueFromVariant(const VARIANT &value, short type, const char *source)
{
    if (value.vt & VT_BYREF) {
        TempVariant direct;
        HRESULT hr = VariantCopyInd(&direct, &value);
        if (FAILED(hr))
            ConversionFailed(hr, source);
        return FromDirect(direct, type, source);
    }
    return FromDirect(value, type, source);
}

bool StorePlainValue(const VARIANT &value, short type, JetValue *into)
{
    if (type == dbLong && value.vt == VT_I4) {
        into->kind = JetValue::Integer;
        into->integer = value.lVal;
        into->real = 0;
        into->text.clear();
        return true;
    }
    if (type == dbText && value.vt == VT_BSTR) {
        UINT length = SysStringLen(value.bstrVal);
        into->kind = JetValue::Text;
        into->integer = 0;
        into->real = 0;
        // As in BstrToAnsi: what a surrogate pair leaves unwritten stays NUL.
        into->text.assign(length, '\0');
        if (length)
            WideCharToMultiByte(CP_ACP, 0, value.bstrVal, static_cast<int>(length), into->text.data(),
                                static_cast<int>(length), nullptr, nullptr);
        return true;
    }
    return false;
}

void ValueToVariant(const JetValue &value, short type, VARIANT *out, const char *source)
{
    if (value.kind == JetValue::Null) {
        out->vt = VT_NULL;
        return;
    }
    bool isText = value.kind == JetValue::Text;
    switch (type) {
    case dbLong:
        if (isText)
            ThrowJet(source, JET_CONVERSION);
        if (value.kind == JetValue::Real) {
            if (!(value.real >= -2147483648.0 && value.real <= 2147483647.0) || value.real != std::floor(value.real))
                ThrowJet(source, JET_NUMERIC_OVERFLOW);
            out->lVal = static_cast<LONG>(value.real);
        } else {
            if (value.integer < std::numeric_limits<LONG>::min() || value.integer > std::numeric_limits<LONG>::max())
                ThrowJet(source, JET_NUMERIC_OVERFLOW);
            out->lVal = static_cast<LONG>(value.integer);
        }
        out->vt = VT_I4;
        return;
    case dbText:
        SetBstr(out, isText ? value.text : NumberText(value));
        return;
    case dbDate:
        if (isText)
            ThrowJet(source, JET_CONVERSION);
        out->date = value.kind == JetValue::Real ? value.real : static_cast<double>(value.integer);
        out->vt = VT_DATE;
        return;
    case dbBoolean:
        if (isText)
            ThrowJet(source, JET_CONVERSION);
        out->boolVal = (value.kind == JetValue::Real ? value.real != 0 : value.integer != 0) ? VARIANT_TRUE : VARIANT_FALSE;
        out->vt = VT_BOOL;
        return;
    default:
        if (isText) {
            SetBstr(out, value.text);
        } else if (value.kind == JetValue::Integer && value.integer >= std::numeric_limits<LONG>::min() &&
                   value.integer <= std::numeric_limits<LONG>::max()) {
            out->lVal = static_cast<LONG>(value.integer);
            out->vt = VT_I4;
        } else {
            // Jet gives a Double where a Long does not hold the result.
            out->dblVal = value.kind == JetValue::Real ? value.real : static_cast<double>(value.integer);
            out->vt = VT_R8;
        }
        return;
    }
}

JetValue ReadColumn(sqlite3_stmt *statement, int column)
{
    JetValue value;
    ReadColumnInto(statement, column, &value);
    return value;
}

void ReadColumnInto(sqlite3_stmt *statement, int column, JetValue *into)
{
    // The value ends as a fresh one would; clear() keeps the text's buffer.
    into->integer = 0;
    into->real = 0;
    into->text.clear();
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        into->kind = JetValue::Integer;
        into->integer = sqlite3_column_int64(statement, column);
        return;
    case SQLITE_FLOAT:
        into->kind = JetValue::Real;
        into->real = sqlite3_column_double(statement, column);
        return;
    case SQLITE_NULL:
        into->kind = JetValue::Null;
        return;
    default: {
        // Text, or a blob a damaged or foreign file may hold: its bytes are the text.
        const void *bytes = sqlite3_column_blob(statement, column);
        int length = sqlite3_column_bytes(statement, column);
        if (!bytes && length > 0)
            throw std::bad_alloc();
        into->kind = JetValue::Text;
        into->text.assign(bytes ? static_cast<const char *>(bytes) : "", static_cast<size_t>(length));
        return;
    }
    }
}

namespace {

int Bind(sqlite3_stmt *statement, int parameter, const JetValue &value, sqlite3_destructor_type textLife)
{
    switch (value.kind) {
    case JetValue::Integer:
        return sqlite3_bind_int64(statement, parameter, value.integer);
    case JetValue::Real:
        return sqlite3_bind_double(statement, parameter, value.real);
    case JetValue::Text:
        return sqlite3_bind_text(statement, parameter, value.text.data(), static_cast<int>(value.text.size()),
                                 textLife);
    default:
        return sqlite3_bind_null(statement, parameter);
    }
}

} // namespace

int BindValue(sqlite3_stmt *statement, int parameter, const JetValue &value)
{
    return Bind(statement, parameter, value, SQLITE_TRANSIENT);
}

int BindHeldValue(sqlite3_stmt *statement, int parameter, const JetValue &value)
{
    return Bind(statement, parameter, value, SQLITE_STATIC);
}

} // namespace qeldao
