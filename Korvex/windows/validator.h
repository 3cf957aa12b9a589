// CValidator: a text that a user typed as an address or a number, turned into one by
// evaluating it as a watch expression on the target, or read as a plain number when
// there is no target to ask.
#pragma once

#include <afx.h>
#include <atlbase.h>
#include <qelexpr.h>

class CValidator {
public:
    enum { KindULong = 2, KindDouble = 3 };

    CValidator() = default;
    virtual ~CValidator();
    CValidator(const CValidator &) = delete;
    CValidator &operator=(const CValidator &) = delete;

    // Lets go of the expression object held and, with a target, asks it for a new one
    // bound to it (command 205 of the host's commands).
    void SetTarget(IUnknown *target);
    // Kind 2: an unsigned 32-bit number into *(unsigned long *)out; kind 3: a double.
    BOOL Convert(int kind, void *out, LPCSTR text);
    BOOL ToULong(ULONG *out, LPCSTR text) { return Convert(KindULong, out, text); }

private:
    BOOL ConvertByExpression(int kind, void *out, LPCSTR text);
    static BOOL ConvertPlain(int kind, void *out, LPCSTR text);

    CComPtr<IQelExpr> m_expression;
};
