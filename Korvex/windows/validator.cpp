#include "validator.h"

#include <numberparse.h>
#include <oletarcmdcaller.h>
#include <qelhostframe.h>

#include <cstdio>

namespace {

const DWORD kNewExpressionCommand = 205;

} // namespace

CValidator::~CValidator()
{
    SetTarget(nullptr);
}

void CValidator::SetTarget(IUnknown *target)
{
    if (m_expression != nullptr) {
        m_expression->SetTarget(nullptr);
        m_expression.Release();
    }
    if (target == nullptr)
        return;
    CComPtr<IUnknown> object;
    if (FAILED(COleTarCmdCaller(target, &CGID_QelHostCommands).ExecForObject(kNewExpressionCommand, &object)) ||
        object == nullptr)
        return;
    if (SUCCEEDED(object->QueryInterface(IID_IQelExpr, reinterpret_cast<void **>(&m_expression))))
        m_expression->SetTarget(target);
}

BOOL CValidator::Convert(int kind, void *out, LPCSTR text)
{
    if (out == nullptr || text == nullptr || (kind != KindULong && kind != KindDouble))
        return FALSE;
    return m_expression != nullptr ? ConvertByExpression(kind, out, text) : ConvertPlain(kind, out, text);
}

BOOL CValidator::ConvertByExpression(int kind, void *out, LPCSTR text)
{
    BSTR expression = COleTarCmdCaller::AnsiToBstr(text, -1);
    if (expression == nullptr)
        return FALSE;
    HRESULT hr = m_expression->SetExpression(expression);
    SysFreeString(expression);
    CComVariant result;
    if (FAILED(hr) || FAILED(m_expression->Evaluate(&result)) || result.vt == VT_EMPTY)
        return FALSE;
    if (kind == KindDouble) {
        CComVariant number;
        if (FAILED(VariantChangeType(&number, &result, 0, VT_R8)))
            return FALSE;
        *static_cast<double *>(out) = number.dblVal;
        return TRUE;
    }
    // The evaluator gives every integer as VT_I4, and a change of type would refuse the
    // negative ones, which are the addresses from 0x80000000 up: their 32 bits are the
    // address.
    if (result.vt == VT_I4) {
        *static_cast<ULONG *>(out) = static_cast<ULONG>(result.lVal);
        return TRUE;
    }
    CComVariant number;
    if (FAILED(VariantChangeType(&number, &result, 0, VT_UI4)))
        return FALSE;
    *static_cast<ULONG *>(out) = number.ulVal;
    return TRUE;
}

BOOL CValidator::ConvertPlain(int kind, void *out, LPCSTR text)
{
    if (kind == KindDouble)
        return std::sscanf(text, "%lf", static_cast<double *>(out)) == 1;
    DWORD value = 0;
    if (!ParseNumber(text, &value, 0))
        return FALSE;
    *static_cast<ULONG *>(out) = value;
    return TRUE;
}
