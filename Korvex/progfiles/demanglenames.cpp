// Decoding of names: functions and variables with their class and signature, local
// names, constructors, destructors, operators, qualified names and template encodings.

#include "demangledecoder.h"

namespace demangle {

namespace {

struct OperatorName {
    const char *code;
    const char *text;
};

// Operators that can name a function ("__pl" is operator +).
const OperatorName kFunctionOperators[] = {
    {"nw", "new"},    {"dl", "delete"}, {"nwa", "new[]"}, {"dla", "delete[]"}, {"pl", "+"},
    {"mi", "-"},      {"ml", "*"},      {"dv", "/"},      {"md", "%"},        {"er", "^"},
    {"ad", "&"},      {"or", "|"},      {"co", "~"},      {"nt", "!"},        {"as", "="},
    {"lt", "<"},      {"gt", ">"},      {"apl", "+="},    {"ami", "-="},      {"amu", "*="},
    {"adv", "/="},    {"amd", "%="},    {"aer", "^="},    {"aad", "&="},      {"aor", "|="},
    {"ls", "<<"},     {"rs", ">>"},     {"ars", ">>="},   {"als", "<<="},     {"eq", "=="},
    {"ne", "!="},     {"le", "<="},     {"ge", ">="},     {"aa", "&&"},       {"oo", "||"},
    {"pp", "++"},     {"mm", "--"},     {"cm", ","},      {"rm", "->*"},      {"rf", "->"},
    {"cl", "()"},     {"vc", "[]"},
};

// "__pt__", "__tm__" and "__ps__" and "__S", each followed by a length.
bool StartsTemplateEncoding(const char *p, const char *end)
{
    return StartsWith(p, end, "__pt__") || StartsWith(p, end, "__tm__") || StartsWith(p, end, "__ps__") ||
           (StartsWith(p, end, "__S") && end - p > 3 && IsDigit(p[3]));
}

// "__L" block-number "__" enclosing-function.
bool StartsLocalPart(const char *p, const char *end)
{
    return StartsWith(p, end, "__L") && end - p > 3 && IsDigit(p[3]);
}

// "__" followed by the function type or by a class.
bool StartsSignature(const char *p, const char *end)
{
    if (!StartsWith(p, end, "__") || end - p < 3)
        return false;
    char c = p[2];
    return c == 'F' || c == 'Q' || IsDigit(c);
}

} // namespace

const char *FindFunctionOperator(const char *code, size_t length)
{
    for (const OperatorName &op : kFunctionOperators) {
        if (strlen(op.code) == length && memcmp(op.code, code, length) == 0)
            return op.text;
    }
    return nullptr;
}

// A name, optionally followed by "__" and the encodings of its class and signature.
// Returns where it stopped; a data member's class may be followed by "__" and more, which
// is the caller's to judge.
const char *Decoder::DecodeGeneral(const char *p, const char *end)
{
    Nest nest(*this);
    if (!nest.ok)
        return end;
    Piece piece;
    if (!ScanPiece(p, end, kSignatureEnds | kSpecialNames, piece))
        return end;
    const char *q = piece.end;
    if (q == end) {
        PutPiece(piece, nullptr);
        return end;
    }
    if (StartsLocalPart(q, end))
        return DecodeLocal(piece, q, end);
    if (!StartsWith(q, end, "__") || end - q < 3) {
        Fail();
        return end;
    }
    q += 2;

    const char *cls = nullptr;
    ClassInfo info;
    bool isConst = false;
    bool isVolatile = false;
    if (*q != 'F') {
        cls = q;
        {
            Silence silence(*this);
            q = DecodeClass(q, end, &info);
        }
        if (ctl.error)
            return end;
        if (q == end || StartsWith(q, end, "__")) {
            DecodeClass(cls, end, nullptr);
            PutText("::");
            PutPiece(piece, &info);
            return q;
        }
        if (*q == 'S')
            ++q;
        while (q < end && (*q == 'C' || *q == 'V')) {
            (*q == 'C' ? isConst : isVolatile) = true;
            ++q;
        }
    }
    if (!Expect(q, end, 'F'))
        return end;
    if (q < end && *q == 'K')
        ++q;
    const char *args = q;
    {
        Silence silence(*this);
        q = DecodeArgList(args, end);
    }
    if (ctl.error)
        return end;
    if (q < end) { // at "_": the result type
        q = DecodeType(q + 1, end);
        Put(' ');
    }
    if (cls != nullptr) {
        DecodeClass(cls, end, nullptr);
        PutText("::");
    }
    PutPiece(piece, cls != nullptr ? &info : nullptr);
    Put('(');
    DecodeArgList(args, end);
    Put(')');
    if (isConst)
        PutText(" const");
    if (isVolatile)
        PutText(" volatile");
    if (piece.templateArgs != nullptr) {
        PutText(" [with ");
        DecodeTemplateArgs(piece.templateArgs, piece.templateArgsEnd, true);
        Put(']');
    }
    return q;
}

// piece "__L" block "__" enclosing: the enclosing function comes first.
const char *Decoder::DecodeLocal(const Piece &piece, const char *p, const char *end)
{
    const char *q = p + 3;
    UINT block = 0;
    if (!ReadNumber(q, end, block))
        return end;
    if (!StartsWith(q, end, "__")) {
        Fail();
        return end;
    }
    q = DecodeGeneral(q + 2, end);
    if (block != 0) {
        PutText("[block ");
        PutNumber(block);
        Put(']');
    }
    PutText("::");
    PutPiece(piece, nullptr);
    return q;
}

// Finds where a name ends and what it is, without output.
bool Decoder::ScanPiece(const char *p, const char *end, int flags, Piece &piece)
{
    piece = Piece();
    piece.begin = p;
    const char *q = (flags & kSpecialNames) ? ScanSpecialName(p, end, piece) : nullptr;
    if (ctl.error)
        return false;
    if (q == nullptr) {
        // The identifier ends at the first "__" (the last two of a run of underscores)
        // that begins something the name is followed by.
        q = p;
        while (q < end) {
            if (q[0] == '_' && end - q >= 3 && q[1] == '_' && q[2] != '_' &&
                (StartsTemplateEncoding(q, end) || StartsLocalPart(q, end) ||
                 ((flags & kSignatureEnds) && StartsSignature(q, end))))
                break;
            ++q;
        }
        if (!Charge(static_cast<size_t>(q - p)))
            return false;
        if (q == p) {
            Fail();
            return false;
        }
        piece.idEnd = q;
    }
    while (StartsTemplateEncoding(q, end)) {
        bool functionTemplate = StartsWith(q, end, "__tm__");
        q += q[2] == 'S' ? 3 : 6;
        UINT length = 0;
        if (!ReadLength(q, end, length))
            return false;
        if (*q != '_') {
            Fail();
            return false;
        }
        if (functionTemplate && piece.templateArgs == nullptr) {
            piece.templateArgs = q;
            piece.templateArgsEnd = q + length;
        }
        q += length;
    }
    piece.end = q;
    return true;
}

// "__ct", "__dt", "__" operator code or "__op" type, when followed by "__" or the end.
// Returns the end of the special name, or null for an ordinary identifier.
const char *Decoder::ScanSpecialName(const char *p, const char *end, Piece &piece)
{
    if (!StartsWith(p, end, "__"))
        return nullptr;
    const char *q = p + 2;
    auto bounded = [end](const char *r) { return r == end || StartsWith(r, end, "__"); };
    if ((StartsWith(q, end, "ct") || StartsWith(q, end, "dt")) && bounded(q + 2)) {
        piece.kind = *q == 'c' ? kConstructor : kDestructor;
        piece.idEnd = q + 2;
        return q + 2;
    }
    for (size_t length = 2; length <= 3 && static_cast<size_t>(end - q) >= length; ++length) {
        const char *text = FindFunctionOperator(q, length);
        if (text != nullptr && bounded(q + length)) {
            piece.kind = kOperator;
            piece.opText = text;
            piece.idEnd = q + length;
            return piece.idEnd;
        }
    }
    if (StartsWith(q, end, "op")) {
        const char *t = TrySkipType(q + 2, end);
        if (t != nullptr && bounded(t)) {
            piece.kind = kConversion;
            piece.begin = q + 2;
            piece.idEnd = t;
            return t;
        }
    }
    return nullptr;
}

// Reads a type silently; returns its end, or null when the text is no type. Only this
// trial forgives an error, since "__op" may also begin an ordinary identifier; an exceeded
// limit is never forgiven.
const char *Decoder::TrySkipType(const char *p, const char *end)
{
    Silence silence(*this);
    UINT suppress = ctl.suppress;
    const char *t = DecodeTypePart(p, end, kPrefix);
    if (!ctl.error)
        return t;
    if (!limitHit) {
        ctl.error = false;
        ctl.suppress = suppress;
    }
    return nullptr;
}

void Decoder::PutPiece(const Piece &piece, const ClassInfo *cls)
{
    switch (piece.kind) {
    case kPlainName:
        PutSpan(piece.begin, piece.idEnd);
        break;
    case kConstructor:
    case kDestructor:
        if (cls == nullptr) {
            Fail();
            return;
        }
        if (piece.kind == kDestructor)
            Put('~');
        PutSpan(cls->lastBegin, cls->lastEnd);
        break;
    case kOperator:
        PutText("operator ");
        PutText(piece.opText);
        break;
    case kConversion:
        PutText("operator ");
        DecodeType(piece.begin, piece.idEnd);
        break;
    }
    PutTemplateEncodings(piece.idEnd, piece.end);
}

// Each template encoding behind a name prints its argument list in place.
void Decoder::PutTemplateEncodings(const char *p, const char *end)
{
    while (!ctl.error && p < end) {
        p += p[2] == 'S' ? 3 : 6;
        UINT length = 0;
        if (!ReadLength(p, end, length))
            return;
        DecodeTemplateArgs(p, p + length, false);
        p += length;
    }
}

// "_" arguments up to end, as "<" arguments ">", or as the bindings of a function
// template's parameters "T1=int, N2=(int)3".
void Decoder::DecodeTemplateArgs(const char *p, const char *end, bool bindings)
{
    Nest nest(*this);
    if (!nest.ok || !Expect(p, end, '_'))
        return;
    if (!bindings)
        Put('<');
    UINT index = 0;
    while (!ctl.error && p < end) {
        if (index > 0)
            PutText(", ");
        ++index;
        bool isType = *p != 'X';
        if (bindings) {
            PutParameterName(1, index, isType);
            Put('=');
        }
        p = isType ? DecodeType(p, end) : DecodeConstant(p + 1, end);
    }
    if (!bindings)
        Put('>');
}

// A class: a length-prefixed name or a qualified name.
const char *Decoder::DecodeClass(const char *p, const char *end, ClassInfo *info)
{
    if (p < end && IsDigit(*p))
        return DecodeLengthName(p, end, 0, info);
    if (p < end && *p == 'Q')
        return DecodeQualified(p, end, info);
    Fail();
    return end;
}

// digits n, then a name of n characters.
const char *Decoder::DecodeLengthName(const char *p, const char *end, int flags, ClassInfo *info)
{
    UINT length = 0;
    if (!ReadLength(p, end, length))
        return end;
    DecodeNamePiece(p, p + length, flags, info);
    return p + length;
}

// A name that fills the region [p, end): identifier, template encodings, local part.
const char *Decoder::DecodeNamePiece(const char *p, const char *end, int flags, ClassInfo *info)
{
    Nest nest(*this);
    if (!nest.ok)
        return end;
    Piece piece;
    if (!ScanPiece(p, end, flags, piece))
        return end;
    if (info != nullptr) {
        info->lastBegin = piece.begin;
        info->lastEnd = piece.idEnd;
    }
    const char *q = piece.end;
    if (q != end && StartsLocalPart(q, end)) {
        q = DecodeLocal(piece, q, end);
    } else {
        PutPiece(piece, nullptr);
    }
    if (q != end)
        Fail();
    return end;
}

// "Q" count "_" and count length-prefixed names, joined by "::".
const char *Decoder::DecodeQualified(const char *p, const char *end, ClassInfo *info)
{
    Nest nest(*this);
    if (!nest.ok)
        return end;
    const char *q = p + 1;
    UINT count = 0;
    if (!ReadNumber(q, end, count) || !Expect(q, end, '_'))
        return end;
    if (count == 0) {
        Fail();
        return end;
    }
    for (UINT i = 0; i < count && !ctl.error; ++i) {
        if (i > 0)
            PutText("::");
        if (q >= end || !IsDigit(*q)) {
            Fail();
            return end;
        }
        q = DecodeLengthName(q, end, 0, info);
    }
    return q;
}

// "Z" index ["_" level] "Z".
const char *Decoder::DecodeTemplateParameter(const char *p, const char *end, bool isType)
{
    const char *q = p + 1;
    UINT index = 0;
    UINT level = 1;
    if (!ReadNumber(q, end, index))
        return end;
    if (q < end && *q == '_') {
        ++q;
        if (!ReadNumber(q, end, level))
            return end;
    }
    if (!Expect(q, end, 'Z'))
        return end;
    PutParameterName(level, index, isType);
    return q;
}

} // namespace demangle
