// Decoding of types and function argument lists.

#include "demangledecoder.h"

namespace demangle {

namespace {

// A declarator that applies to a function or an array needs parentheses: "void (*)(int)".
bool IsFunctionOrArray(const char *p, const char *end)
{
    while (p < end && (*p == 'C' || *p == 'V'))
        ++p;
    return p < end && (*p == 'F' || *p == 'A');
}

} // namespace

const char *Decoder::DecodeType(const char *p, const char *end)
{
    if (ctl.suppress > 0)
        return DecodeTypePart(p, end, kPrefix);
    const char *q = DecodeTypePart(p, end, kPrefix);
    if (IsFunctionOrArray(p, end))
        Separator();
    DecodeTypePart(p, end, kSuffix);
    return q;
}

// Writes the prefix or the suffix of the type at p. Returns the type's end from the prefix.
const char *Decoder::DecodeTypePart(const char *p, const char *end, TypePart part)
{
    Nest nest(*this);
    if (!nest.ok)
        return end;
    // A suffix read silently would only repeat what its prefix found.
    if (part == kSuffix && ctl.suppress > 0)
        return end;
    const char *start = p;
    bool isConst = false;
    bool isVolatile = false;
    while (p < end && (*p == 'C' || *p == 'V')) {
        (*p == 'C' ? isConst : isVolatile) = true;
        ++p;
    }
    if (!Charge(static_cast<size_t>(p - start)))
        return end;
    if (p >= end) {
        Fail();
        return end;
    }
    switch (*p) {
    case 'P':
    case 'R':
        return DecodePointer(p, end, part, isConst, isVolatile);
    case 'M':
        return DecodeMemberPointer(p, end, part, isConst, isVolatile);
    case 'A':
        return DecodeArray(p, end, part, isConst, isVolatile);
    case 'F':
        return DecodeFunctionType(p, end, part, isConst, isVolatile);
    default:
        return DecodeNamedType(p, end, part, isConst, isVolatile);
    }
}

// A base type, a class or a template parameter: all prefix, no suffix.
const char *Decoder::DecodeNamedType(const char *p, const char *end, TypePart part, bool isConst, bool isVolatile)
{
    if (part == kSuffix)
        return end;
    if (isConst)
        PutText("const ");
    if (isVolatile)
        PutText("volatile ");
    bool sign = *p == 'S' || *p == 'U';
    if (sign) {
        PutText(*p == 'S' ? "signed " : "unsigned ");
        ++p;
        if (p >= end) {
            Fail();
            return end;
        }
    }
    const char *text = nullptr;
    switch (*p) {
    case 'c': text = "char"; break;
    case 's': text = "short"; break;
    case 'i': text = "int"; break;
    case 'l': text = "long"; break;
    case 'L': text = "long long"; break;
    case 'f': text = "float"; break;
    case 'd': text = "double"; break;
    case 'r': text = "long double"; break;
    case 'b': text = "bool"; break;
    case 'w': text = "wchar_t"; break;
    case 'v': text = "void"; break;
    default: break;
    }
    bool integral = *p == 'c' || *p == 's' || *p == 'i' || *p == 'l' || *p == 'L';
    if (sign && !integral) {
        Fail();
        return end;
    }
    if (text != nullptr) {
        PutText(text);
        return p + 1;
    }
    if (IsDigit(*p) || *p == 'Q')
        return DecodeClass(p, end, nullptr);
    if (*p == 'Z')
        return DecodeTemplateParameter(p, end, true);
    Fail();
    return end;
}

// "P" or "R" and the type pointed to; qualifiers apply to the pointer itself.
const char *Decoder::DecodePointer(const char *p, const char *end, TypePart part, bool isConst, bool isVolatile)
{
    char declarator = *p == 'P' ? '*' : '&';
    const char *inner = p + 1;
    bool paren = IsFunctionOrArray(inner, end);
    const char *q = end;
    if (part == kPrefix) {
        q = DecodeTypePart(inner, end, kPrefix);
        if (paren) {
            Separator();
            Put('(');
        }
        Put(declarator);
        if (isConst)
            PutText(" const");
        if (isVolatile)
            PutText(" volatile");
    } else {
        if (paren)
            Put(')');
        q = DecodeTypePart(inner, end, kSuffix);
    }
    return q;
}

// "M" class type: a pointer to a member of class.
const char *Decoder::DecodeMemberPointer(const char *p, const char *end, TypePart part, bool isConst, bool isVolatile)
{
    const char *cls = p + 1;
    const char *inner;
    {
        Silence silence(*this);
        inner = DecodeClass(cls, end, nullptr);
    }
    if (ctl.error)
        return end;
    bool paren = IsFunctionOrArray(inner, end);
    const char *q = end;
    if (part == kPrefix) {
        q = DecodeTypePart(inner, end, kPrefix);
        Separator();
        if (paren)
            Put('(');
        DecodeClass(cls, end, nullptr);
        PutText("::*");
        if (isConst)
            PutText(" const");
        if (isVolatile)
            PutText(" volatile");
    } else {
        if (paren)
            Put(')');
        q = DecodeTypePart(inner, end, kSuffix);
    }
    return q;
}

// "A" n "_", "A_" expression "_" or "A0_", then the element type.
const char *Decoder::DecodeArray(const char *p, const char *end, TypePart part, bool isConst, bool isVolatile)
{
    const char *q = p + 1;
    const char *expression = nullptr;
    UINT bound = 0;
    if (q < end && *q == '_') {
        expression = ++q;
        Silence silence(*this);
        q = DecodeConstant(q, end);
    } else {
        ReadNumber(q, end, bound);
    }
    if (ctl.error || !Expect(q, end, '_'))
        return end;
    const char *element = q;
    if (part == kPrefix) {
        if (isConst)
            PutText("const ");
        if (isVolatile)
            PutText("volatile ");
        q = DecodeTypePart(element, end, kPrefix);
    } else {
        Put('[');
        if (expression != nullptr)
            DecodeConstant(expression, end);
        else if (bound != 0)
            PutNumber(bound);
        Put(']');
        q = DecodeTypePart(element, end, kSuffix);
    }
    return q;
}

// "F" ["K"] arguments "_" result; qualifiers in front of F belong to a member function.
const char *Decoder::DecodeFunctionType(const char *p, const char *end, TypePart part, bool isConst, bool isVolatile)
{
    const char *args = p + 1;
    if (args < end && *args == 'K')
        ++args;
    const char *q = end;
    if (part == kPrefix) {
        {
            Silence silence(*this);
            q = DecodeArgList(args, end);
        }
        if (!Expect(q, end, '_'))
            return end;
        q = DecodeTypePart(q, end, kPrefix);
    } else {
        Put('(');
        q = DecodeArgList(args, end);
        Put(')');
        if (isConst)
            PutText(" const");
        if (isVolatile)
            PutText(" volatile");
        if (!Expect(q, end, '_'))
            return end;
        q = DecodeTypePart(q, end, kSuffix);
    }
    return q;
}

// A function's argument types up to "_" or the end of the region; returns where it
// stopped. "T" d repeats argument d, "N" c d repeats it c times.
const char *Decoder::DecodeArgList(const char *p, const char *end)
{
    Nest nest(*this);
    if (!nest.ok)
        return end;
    struct Span {
        const char *begin;
        const char *end;
    } remembered[kRememberedArguments];
    UINT count = 0;
    auto remember = [&](const Span &span) {
        if (count < kRememberedArguments)
            remembered[count] = span;
        ++count;
    };
    if (p >= end || *p == '_') {
        Fail();
        return end;
    }
    if (*p == 'v' && (p + 1 == end || p[1] == '_'))
        return p + 1;
    bool first = true;
    while (p < end && *p != '_' && !ctl.error) {
        if (!Charge(1))
            return end;
        if (!first)
            PutText(", ");
        first = false;
        if (*p == 'e') {
            PutText("...");
            ++p;
            if (p < end && *p != '_')
                Fail();
            break;
        }
        if (*p == 'T' || *p == 'N') {
            const char *q = p + 1;
            UINT copies = 1;
            if (*p == 'N') {
                if (q >= end || !IsDigit(*q) || *q == '0') {
                    Fail();
                    return end;
                }
                copies = static_cast<UINT>(*q++ - '0');
            }
            if (q >= end || !IsDigit(*q) || *q == '0' || static_cast<UINT>(*q - '0') > count) {
                Fail();
                return end;
            }
            Span span = remembered[*q++ - '1'];
            for (UINT i = 0; i < copies && !ctl.error; ++i) {
                if (i > 0)
                    PutText(", ");
                // A silent reading skips the repetition: the type was checked when it
                // was first read.
                if (ctl.suppress == 0 && Charge(static_cast<size_t>(span.end - span.begin)))
                    DecodeType(span.begin, span.end);
                remember(span);
            }
            p = q;
            continue;
        }
        const char *q = DecodeType(p, end);
        remember(Span{p, q});
        p = q;
    }
    return p;
}

} // namespace demangle
