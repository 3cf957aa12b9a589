// Decoding of the constants of template arguments: literals, addresses, member-pointer
// constants, template parameters and expressions.

#include "demangledecoder.h"

namespace demangle {

// A literal, "&" name, a member-pointer constant, a template parameter or an expression.
const char *Decoder::DecodeConstant(const char *p, const char *end)
{
    Nest nest(*this);
    if (!nest.ok)
        return end;
    if (p >= end) {
        Fail();
        return end;
    }
    switch (*p) {
    case 'C':
        return DecodeLiteral(p + 1, end);
    case 'L':
        return DecodeMemberConstant(p, end);
    case 'Z':
        return DecodeTemplateParameter(p, end, false);
    case 'O':
        return DecodeExpression(p + 1, end);
    default:
        break;
    }
    if (!IsDigit(*p)) {
        Fail();
        return end;
    }
    UINT length = 0;
    if (!ReadLength(p, end, length))
        return end;
    Put('&');
    const char *nameEnd = p + length;
    if (DecodeGeneral(p, nameEnd) != nameEnd)
        Fail();
    return nameEnd;
}

// type "L" length characters: "(" type ")" and the text with 'd', 'n' and 'p' as '.', '-'
// and '+'; a bool is "true" or "false".
const char *Decoder::DecodeLiteral(const char *p, const char *end)
{
    const char *t = p;
    while (t < end && (*t == 'C' || *t == 'V'))
        ++t;
    bool isBool = t < end && *t == 'b';
    if (isBool) {
        Silence silence(*this);
        t = DecodeType(p, end);
    } else {
        Put('(');
        t = DecodeType(p, end);
        Put(')');
    }
    UINT length = 0;
    if (ctl.error || !Expect(t, end, 'L') || !ReadLiteralLength(t, end, length))
        return end;
    const char *textEnd = t + length;
    if (!Charge(length))
        return end;
    if (isBool) {
        bool set = false;
        for (const char *c = t; c < textEnd; ++c)
            set = set || *c != '0';
        PutText(set ? "true" : "false");
        return textEnd;
    }
    for (const char *c = t; c < textEnd; ++c)
        Put(*c == 'd' ? '.' : *c == 'n' ? '-' : *c == 'p' ? '+' : *c);
    return textEnd;
}

// "LM" member-pointer-type "_" and "0" (null), "V" index "_" (a virtual function) or a
// length-prefixed member name.
const char *Decoder::DecodeMemberConstant(const char *p, const char *end)
{
    if (!StartsWith(p, end, "LM")) {
        Fail();
        return end;
    }
    const char *type = p + 2;
    const char *q;
    {
        Silence silence(*this);
        q = DecodeType(type, end);
    }
    if (ctl.error || !Expect(q, end, '_'))
        return end;
    if (q < end && *q == '0') {
        Put('(');
        DecodeType(type, end);
        PutText(")0");
        return q + 1;
    }
    const char *cls = type;
    while (cls < end && (*cls == 'C' || *cls == 'V'))
        ++cls;
    if (cls >= end || *cls != 'M' || q >= end) {
        Fail();
        return end;
    }
    ++cls;
    if (*q == 'V') {
        ++q;
        UINT index = 0;
        if (!ReadNumber(q, end, index) || !Expect(q, end, '_'))
            return end;
        Put('&');
        DecodeClass(cls, end, nullptr);
        PutText("::virtual-function-");
        PutNumber(index);
        return q;
    }
    if (!IsDigit(*q)) {
        Fail();
        return end;
    }
    Put('&');
    DecodeClass(cls, end, nullptr);
    PutText("::");
    return DecodeLengthName(q, end, kSpecialNames, nullptr);
}

namespace {

enum ExpressionKind { kOperatorExpression, kCast, kSizeof, kAlignof, kConditional };

struct ExpressionCode {
    const char *code;
    ExpressionKind kind;
};

// Codes that appear only in expressions.
const ExpressionCode kExpressionCodes[] = {
    {"cs", kCast}, {"sz", kSizeof}, {"af", kAlignof}, {"qu", kConditional},
};

bool CodeIs(const char *code, size_t length, const char *name)
{
    return strlen(name) == length && memcmp(name, code, length) == 0;
}

} // namespace

// operator count operands "O": "(" operand operator operand ")" or "(" operator operand
// ")", a cast "(" type ")" operand, "sizeof(" type ")", "__ALIGNOF__(" type ")", or the
// conditional "(" a "?" b ":" c ")".
const char *Decoder::DecodeExpression(const char *p, const char *end)
{
    const char *code = p;
    while (p < end && *p >= 'a' && *p <= 'z')
        ++p;
    size_t codeLength = static_cast<size_t>(p - code);
    ExpressionKind kind = kOperatorExpression;
    const char *text = FindFunctionOperator(code, codeLength);
    for (const ExpressionCode &op : kExpressionCodes) {
        if (CodeIs(code, codeLength, op.code))
            kind = op.kind;
    }
    if ((text == nullptr && kind == kOperatorExpression) || p >= end || !IsDigit(*p)) {
        Fail();
        return end;
    }
    UINT count = static_cast<UINT>(*p++ - '0');
    UINT wanted = kind == kCast ? 2 : kind == kSizeof || kind == kAlignof ? 1 : kind == kConditional ? 3 : count;
    if (count != wanted || count == 0 || count > 3) {
        Fail();
        return end;
    }
    switch (kind) {
    case kCast:
        Put('(');
        p = DecodeType(p, end);
        Put(')');
        p = DecodeConstant(p, end);
        break;
    case kSizeof:
    case kAlignof:
        PutText(kind == kSizeof ? "sizeof(" : "__ALIGNOF__(");
        p = DecodeType(p, end);
        Put(')');
        break;
    case kConditional:
        Put('(');
        p = DecodeConstant(p, end);
        Put('?');
        p = DecodeConstant(p, end);
        Put(':');
        p = DecodeConstant(p, end);
        Put(')');
        break;
    case kOperatorExpression:
        Put('(');
        if (count == 1) {
            PutText(text);
            p = DecodeConstant(p, end);
        } else if (count == 2) {
            p = DecodeConstant(p, end);
            PutText(text);
            p = DecodeConstant(p, end);
        } else {
            Fail();
            return end;
        }
        Put(')');
        break;
    }
    if (ctl.error || !Expect(p, end, 'O'))
        return end;
    return p;
}

} // namespace demangle
