// The values of the expression evaluator and the arithmetic on them.
//
// A value is a 32-bit integer, signed or unsigned, or a double. Integer arithmetic is
// done on the 32 bits as unsigned numbers, so that no operation overflows in C++'s
// sense; the kind only decides how a result is read (division, remainder, right shift,
// comparisons, conversions to double).
#pragma once

#include <afx.h>

enum ExprValueKind : LONG {
    kValueNone = 0,
    kValueSigned = 1,
    kValueUnsigned = 2,
    kValueFloating = 3,
};

struct ExprValue {
    LONG kind = kValueNone;
    DWORD bits = 0;   // the integer of kinds 1 and 2
    double real = 0.0; // the number of kind 3

    bool IsInteger() const { return kind == kValueSigned || kind == kValueUnsigned; }
    // The value as a condition: not 0, or not 0.0.
    bool IsTrue() const { return kind == kValueFloating ? real != 0.0 : bits != 0; }

    static ExprValue Integer(LONG kind, DWORD bits);
    static ExprValue Floating(double real);
};

// The value kind of a type: a type class (with or without the typedef flag 0x40000000)
// and, for base types, the base-type code.
LONG ValueKindOfType(LONG typeClass, LONG baseCode);

// Both values brought to their common kind: signed with unsigned gives unsigned, an
// integer with a double gives a double (converted by its own kind). FALSE when either
// has no kind.
BOOL Balance(ExprValue &left, ExprValue &right);

// An integer or double value converted to `kind`: between the integer kinds the bits
// stay (a cast does not truncate); an integer becomes a double by its own kind; a double
// becomes an integer toward zero, saturating at the kind's range, NaN giving 0. Kind 0
// gives no value.
ExprValue ConvertValue(const ExprValue &value, LONG kind);

// What a binary operator gives for two values.
enum class ExprOutcome {
    Value,    // *result holds the value
    NoValue,  // no value and no error (a zero divisor)
    BadType,  // "Bad type": an operand that must be an integer is not
    NoCommon, // "Can not convert type": no common kind
};

// `op` is the operator's token code: '+', '-', '*', '/', '%', '&', '|', '^', LEFT_OP,
// RIGHT_OP, AND_OP, OR_OP, '<', '>', LE_OP, GE_OP, EQ_OP, NE_OP.
ExprOutcome ApplyBinary(int op, ExprValue left, ExprValue right, ExprValue *result);

// Unary '-', '+', '!' and '~'. '~' of a double is BadType, of no kind NoCommon.
ExprOutcome ApplyUnary(int op, const ExprValue &operand, ExprValue *result);
