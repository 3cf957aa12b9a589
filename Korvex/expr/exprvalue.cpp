#include "exprvalue.h"

#include "watchtokens.h"

#include <cmath>
#include <cstdint>

ExprValue ExprValue::Integer(LONG kind, DWORD bits)
{
    ExprValue value;
    value.kind = kind;
    value.bits = bits;
    return value;
}

ExprValue ExprValue::Floating(double real)
{
    ExprValue value;
    value.kind = kValueFloating;
    value.real = real;
    return value;
}

LONG ValueKindOfType(LONG typeClass, LONG baseCode)
{
    // A typedef keeps the class of the type it names.
    switch (typeClass & ~0x40000000) {
    case 0:
        switch (baseCode) {
        case 0: case 1: case 3: case 5: case 9: case 11:
            return kValueSigned;
        // 13 is a single bit; 17 is unsigned as 15 is.
        case 2: case 4: case 6: case 10: case 12: case 13: case 14: case 15: case 16: case 17:
            return kValueUnsigned;
        case 7: case 8:
            return kValueFloating;
        default:
            return kValueNone;
        }
    case 2: case 3: case 7:
        return kValueUnsigned;
    default:
        return kValueNone;
    }
}

namespace {

double ToDouble(const ExprValue &value)
{
    if (value.kind == kValueFloating)
        return value.real;
    if (value.kind == kValueSigned)
        return static_cast<double>(static_cast<int32_t>(value.bits));
    return static_cast<double>(value.bits);
}

// Toward zero, saturating; NaN is 0.
DWORD ToInteger(double real, LONG kind)
{
    if (std::isnan(real))
        return 0;
    if (kind == kValueSigned) {
        if (real <= -2147483648.0)
            return 0x80000000u;
        if (real >= 2147483647.0)
            return 0x7FFFFFFFu;
        return static_cast<DWORD>(static_cast<int32_t>(real));
    }
    if (real <= 0.0)
        return 0;
    if (real >= 4294967295.0)
        return 0xFFFFFFFFu;
    return static_cast<DWORD>(real);
}

int32_t Signed(DWORD bits)
{
    return static_cast<int32_t>(bits);
}

} // namespace

BOOL Balance(ExprValue &left, ExprValue &right)
{
    if (left.kind == kValueNone || right.kind == kValueNone)
        return FALSE;
    if (left.kind == right.kind)
        return TRUE;
    if (left.kind == kValueFloating || right.kind == kValueFloating) {
        left = ExprValue::Floating(ToDouble(left));
        right = ExprValue::Floating(ToDouble(right));
        return TRUE;
    }
    left.kind = right.kind = kValueUnsigned;
    return TRUE;
}

ExprValue ConvertValue(const ExprValue &value, LONG kind)
{
    if (kind == kValueNone || value.kind == kValueNone)
        return ExprValue();
    if (kind == kValueFloating)
        return ExprValue::Floating(ToDouble(value));
    if (value.kind == kValueFloating)
        return ExprValue::Integer(kind, ToInteger(value.real, kind));
    return ExprValue::Integer(kind, value.bits);
}

namespace {

ExprOutcome Compare(int op, const ExprValue &left, const ExprValue &right, ExprValue *result)
{
    int order; // -1, 0, 1; 2 when unordered (a NaN)
    if (left.kind == kValueFloating) {
        order = left.real < right.real ? -1 : left.real > right.real ? 1 : left.real == right.real ? 0 : 2;
    } else if (left.kind == kValueSigned) {
        order = Signed(left.bits) < Signed(right.bits) ? -1 : Signed(left.bits) > Signed(right.bits) ? 1 : 0;
    } else {
        order = left.bits < right.bits ? -1 : left.bits > right.bits ? 1 : 0;
    }
    bool holds = false;
    switch (op) {
    case '<': holds = order == -1; break;
    case '>': holds = order == 1; break;
    case LE_OP: holds = order == -1 || order == 0; break;
    case GE_OP: holds = order == 1 || order == 0; break;
    case EQ_OP: holds = order == 0; break;
    case NE_OP: holds = order != 0; break;
    default: break;
    }
    *result = ExprValue::Integer(left.kind == kValueSigned ? kValueSigned : kValueUnsigned, holds ? 1 : 0);
    return ExprOutcome::Value;
}

ExprOutcome Arithmetic(int op, const ExprValue &left, const ExprValue &right, ExprValue *result)
{
    if (left.kind == kValueFloating) {
        switch (op) {
        case '+': *result = ExprValue::Floating(left.real + right.real); break;
        case '-': *result = ExprValue::Floating(left.real - right.real); break;
        case '*': *result = ExprValue::Floating(left.real * right.real); break;
        default:
            if (right.real == 0.0)
                return ExprOutcome::NoValue;
            *result = ExprValue::Floating(left.real / right.real);
            break;
        }
        return ExprOutcome::Value;
    }
    const DWORD a = left.bits, b = right.bits;
    DWORD bits = 0;
    switch (op) {
    case '+': bits = a + b; break;
    case '-': bits = a - b; break;
    case '*': bits = a * b; break;
    default:
        if (b == 0)
            return ExprOutcome::NoValue;
        if (left.kind == kValueUnsigned)
            bits = op == '/' ? a / b : a % b;
        else if (Signed(b) == -1) // INT_MIN / -1 would trap
            bits = op == '/' ? 0u - a : 0u;
        else
            bits = static_cast<DWORD>(op == '/' ? Signed(a) / Signed(b) : Signed(a) % Signed(b));
        break;
    }
    *result = ExprValue::Integer(left.kind, bits);
    return ExprOutcome::Value;
}

} // namespace

ExprOutcome ApplyBinary(int op, ExprValue left, ExprValue right, ExprValue *result)
{
    switch (op) {
    case LEFT_OP:
    case RIGHT_OP: {
        if (!left.IsInteger() || !right.IsInteger())
            return ExprOutcome::BadType;
        const unsigned count = right.bits % 32;
        DWORD bits;
        if (op == LEFT_OP)
            bits = left.bits << count;
        else if (left.kind == kValueSigned)
            bits = static_cast<DWORD>(Signed(left.bits) >> count);
        else
            bits = left.bits >> count;
        *result = ExprValue::Integer(left.kind, bits);
        return ExprOutcome::Value;
    }
    case '%':
    case '&':
    case '|':
    case '^':
        if (!left.IsInteger() || !right.IsInteger())
            return ExprOutcome::BadType;
        break;
    default:
        break;
    }
    if (!Balance(left, right))
        return ExprOutcome::NoCommon;
    switch (op) {
    case AND_OP:
    case OR_OP: {
        const bool holds = op == AND_OP ? left.IsTrue() && right.IsTrue() : left.IsTrue() || right.IsTrue();
        *result = left.kind == kValueFloating ? ExprValue::Floating(holds ? 1.0 : 0.0)
                                              : ExprValue::Integer(left.kind, holds ? 1 : 0);
        return ExprOutcome::Value;
    }
    case '<': case '>': case LE_OP: case GE_OP: case EQ_OP: case NE_OP:
        return Compare(op, left, right, result);
    case '&': *result = ExprValue::Integer(left.kind, left.bits & right.bits); return ExprOutcome::Value;
    case '|': *result = ExprValue::Integer(left.kind, left.bits | right.bits); return ExprOutcome::Value;
    case '^': *result = ExprValue::Integer(left.kind, left.bits ^ right.bits); return ExprOutcome::Value;
    case '+': case '-': case '*': case '/': case '%':
        return Arithmetic(op, left, right, result);
    default:
        return ExprOutcome::BadType;
    }
}

ExprOutcome ApplyUnary(int op, const ExprValue &operand, ExprValue *result)
{
    if (op == '+') {
        *result = operand;
        return operand.kind == kValueNone ? ExprOutcome::NoValue : ExprOutcome::Value;
    }
    if (operand.kind == kValueNone)
        return ExprOutcome::NoCommon;
    switch (op) {
    case '-':
        *result = operand.kind == kValueFloating ? ExprValue::Floating(-operand.real)
                                                 : ExprValue::Integer(operand.kind, 0u - operand.bits);
        return ExprOutcome::Value;
    case '!':
        *result = operand.kind == kValueFloating ? ExprValue::Floating(operand.real == 0.0 ? 1.0 : 0.0)
                                                 : ExprValue::Integer(operand.kind, operand.bits == 0 ? 1 : 0);
        return ExprOutcome::Value;
    case '~':
        if (operand.kind == kValueFloating)
            return ExprOutcome::BadType;
        *result = ExprValue::Integer(operand.kind, ~operand.bits);
        return ExprOutcome::Value;
    default:
        return ExprOutcome::BadType;
    }
}
