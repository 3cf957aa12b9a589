// Decoding of EDG/cfront mangled names.
//
// The decoder writes the declaration strictly from left to right into the caller's buffer,
// while the encoding does not come in that order: a function's result type is encoded after
// its arguments, a class before the name it qualifies, the type a pointer points to after
// the pointer. So the decoder reads some parts twice: once silently (output suppressed) to
// find where they end, and again where their text belongs. Types are written in two parts,
// the prefix up to the declarator and the suffix behind it, so that "PFi_v" comes out as
// "void (*)(int)".
//
// Every position handed around is bounded by the end of the region being read (the whole
// identifier, a length-prefixed name or a template argument list), so nothing is ever read
// past it. The input comes from program files, so a hostile name must not be able to run
// the decoder out of stack or time: nesting is limited, and so is the total work, counted
// in characters read (a back-reference that repeats a long argument type costs its length
// again). A name that exceeds either limit is reported as not mangled.

#include "demangler.h"

#include <cstring>

namespace {

// Nesting of names, types, argument lists and expressions. Real names nest a few levels.
const UINT kMaxDepth = 128;
// Work allowed per character of the identifier, plus a base for short names. Real names
// re-read each character a few times; only back-reference bombs come near this.
const size_t kWorkPerChar = 128;
const size_t kWorkBase = 16384;
// Up to nine argument types can be named by the one-digit back-references T and N.
const UINT kRememberedArguments = 9;

// Output control of one decoding.
struct OutputControl {
    char *buffer;
    UINT produced; // characters produced, counted also beyond the buffer
    UINT bufferSize;
    bool error;
    bool overflow;
    UINT suppress; // while above 0 nothing is written or counted
};

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

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Whether a blank must separate a declarator from the text before it ("int [10]", but
// "void (*[10])(int)").
bool EndsName(char c)
{
    return IsDigit(c) || IsLetter(c) || c == '_' || c == '$' || c == '>';
}

bool StartsWith(const char *p, const char *end, const char *s)
{
    size_t n = strlen(s);
    return static_cast<size_t>(end - p) >= n && memcmp(p, s, n) == 0;
}

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

// What ends an identifier inside a name: its template encodings, a local part, and in a
// function or variable name also the signature.
enum NameFlags {
    kSignatureEnds = 1,
    kSpecialNames = 2, // constructors, destructors, operators and conversions
};

enum PieceKind { kPlainName, kConstructor, kDestructor, kOperator, kConversion };

// One name: an identifier (or a special name) and its template encodings.
struct Piece {
    PieceKind kind = kPlainName;
    const char *begin = nullptr; // the identifier, or the type of a conversion
    const char *idEnd = nullptr;
    const char *opText = nullptr;
    const char *end = nullptr; // behind the template encodings
    // The argument list ("_" ...) of a function template, whose bindings follow a function.
    const char *templateArgs = nullptr;
    const char *templateArgsEnd = nullptr;
};

// The identifier of a class's last part, which names its constructors and destructor.
struct ClassInfo {
    const char *lastBegin = nullptr;
    const char *lastEnd = nullptr;
};

enum TypePart { kPrefix = 1, kSuffix = 2, kWhole = 3 };

class Decoder {
public:
    Decoder(char *buffer, UINT bufferSize, size_t inputLength);

    const char *DecodeWhole(const char *p, const char *end);
    void Fail();
    void Finish(int *error, int *overflow, UINT *requiredSize);
    bool Failed() const { return ctl.error; }

private:
    friend class Nest;
    friend class Silence;

    bool Charge(size_t units);
    void Put(char c);
    void PutText(const char *text);
    void PutSpan(const char *begin, const char *end);
    void PutNumber(UINT n);
    void PutParameterName(UINT level, UINT index, bool isType);
    void Separator();
    bool Expect(const char *&p, const char *end, char c);
    bool ReadNumber(const char *&p, const char *end, UINT &n);
    bool ReadLength(const char *&p, const char *end, UINT &n);
    bool ReadLiteralLength(const char *&p, const char *end, UINT &n);

    const char *DecodeVirtualTable(const char *p, const char *end);
    const char *DecodeGeneral(const char *p, const char *end);
    const char *DecodeLocal(const Piece &piece, const char *p, const char *end);
    bool ScanPiece(const char *p, const char *end, int flags, Piece &piece);
    const char *ScanSpecialName(const char *p, const char *end, Piece &piece);
    const char *TrySkipType(const char *p, const char *end);
    void PutPiece(const Piece &piece, const ClassInfo *cls);
    void PutTemplateEncodings(const char *p, const char *end);
    void DecodeTemplateArgs(const char *p, const char *end, bool bindings);
    const char *DecodeClass(const char *p, const char *end, ClassInfo *info);
    const char *DecodeLengthName(const char *p, const char *end, int flags, ClassInfo *info);
    const char *DecodeNamePiece(const char *p, const char *end, int flags, ClassInfo *info);
    const char *DecodeQualified(const char *p, const char *end, ClassInfo *info);
    const char *DecodeTemplateParameter(const char *p, const char *end, bool isType);

    const char *DecodeType(const char *p, const char *end);
    const char *DecodeTypePart(const char *p, const char *end, int part);
    const char *DecodeNamedType(const char *p, const char *end, int part, bool isConst, bool isVolatile);
    const char *DecodePointer(const char *p, const char *end, int part, bool isConst, bool isVolatile);
    const char *DecodeMemberPointer(const char *p, const char *end, int part, bool isConst, bool isVolatile);
    const char *DecodeArray(const char *p, const char *end, int part, bool isConst, bool isVolatile);
    const char *DecodeFunctionType(const char *p, const char *end, int part, bool isConst, bool isVolatile);
    const char *DecodeArgList(const char *p, const char *end);

    const char *DecodeConstant(const char *p, const char *end);
    const char *DecodeLiteral(const char *p, const char *end);
    const char *DecodeMemberConstant(const char *p, const char *end);
    const char *DecodeExpression(const char *p, const char *end);

    OutputControl ctl;
    size_t work;            // units of work left
    UINT depth = 0;         // current nesting
    bool limitHit = false;  // the error came from a limit, not from the text
    char last = '\0';       // last character produced, for the blank before declarators
};

// Counts one level of nesting and one unit of work for the time a decoding function runs.
class Nest {
public:
    explicit Nest(Decoder &d) : d(d)
    {
        ++d.depth;
        if (d.ctl.error) {
            ok = false;
        } else if (d.depth > kMaxDepth) {
            d.limitHit = true;
            d.Fail();
            ok = false;
        } else {
            ok = d.Charge(1);
        }
    }
    ~Nest() { --d.depth; }
    Nest(const Nest &) = delete;
    Nest &operator=(const Nest &) = delete;
    bool ok;

private:
    Decoder &d;
};

// Suppresses output for the time a part is read only to find its end.
class Silence {
public:
    explicit Silence(Decoder &d) : c(d.ctl) { ++c.suppress; }
    ~Silence() { --c.suppress; }
    Silence(const Silence &) = delete;
    Silence &operator=(const Silence &) = delete;

private:
    OutputControl &c;
};

Decoder::Decoder(char *buffer, UINT bufferSize, size_t inputLength)
    : ctl{buffer, 0, buffer != nullptr ? bufferSize : 0, false, false, 0},
      work(kWorkPerChar * inputLength + kWorkBase)
{
}

// Only the first error counts; it stops all output.
void Decoder::Fail()
{
    if (!ctl.error) {
        ctl.error = true;
        ++ctl.suppress;
    }
}

bool Decoder::Charge(size_t units)
{
    if (ctl.error)
        return false;
    if (work < units) {
        limitHit = true;
        Fail();
        return false;
    }
    work -= units;
    return true;
}

void Decoder::Put(char c)
{
    if (ctl.suppress > 0)
        return;
    // The count must stay representable as the required size.
    if (ctl.produced >= 0xFFFFFFFEu) {
        limitHit = true;
        Fail();
        return;
    }
    last = c;
    if (!ctl.overflow) {
        if (ctl.bufferSize > 0 && ctl.produced < ctl.bufferSize - 1) {
            ctl.buffer[ctl.produced] = c;
        } else {
            ctl.overflow = true;
            if (ctl.bufferSize > 0)
                ctl.buffer[ctl.bufferSize - 1] = '\0';
        }
    }
    ++ctl.produced;
}

void Decoder::PutText(const char *text)
{
    while (*text != '\0')
        Put(*text++);
}

void Decoder::PutSpan(const char *begin, const char *end)
{
    if (!Charge(static_cast<size_t>(end - begin)))
        return;
    while (begin < end)
        Put(*begin++);
}

void Decoder::PutNumber(UINT n)
{
    char digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n != 0);
    while (count > 0)
        Put(digits[--count]);
}

// Template parameters of levels 1 to 3 are T, U and V (types) or N, O and P (constants)
// and their index; deeper levels spell out both numbers.
void Decoder::PutParameterName(UINT level, UINT index, bool isType)
{
    if (level >= 1 && level <= 3) {
        Put((isType ? "TUV" : "NOP")[level - 1]);
    } else {
        Put(isType ? 'T' : 'N');
        Put('_');
        PutNumber(level);
        Put('_');
    }
    PutNumber(index);
}

void Decoder::Separator()
{
    if (EndsName(last))
        Put(' ');
}

bool Decoder::Expect(const char *&p, const char *end, char c)
{
    if (p >= end || *p != c) {
        Fail();
        return false;
    }
    ++p;
    return true;
}

bool Decoder::ReadNumber(const char *&p, const char *end, UINT &n)
{
    if (p >= end || !IsDigit(*p)) {
        Fail();
        return false;
    }
    UINT value = 0;
    while (p < end && IsDigit(*p)) {
        UINT digit = static_cast<UINT>(*p - '0');
        if (value > (0xFFFFFFFFu - digit) / 10) {
            Fail();
            return false;
        }
        value = value * 10 + digit;
        ++p;
    }
    n = value;
    return true;
}

// A length prefix, which must lie within the region being read.
bool Decoder::ReadLength(const char *&p, const char *end, UINT &n)
{
    if (!ReadNumber(p, end, n))
        return false;
    if (n == 0 || n > static_cast<size_t>(end - p)) {
        Fail();
        return false;
    }
    return true;
}

// The length of a literal's text: one digit, two digits and "_", or "_" digits "_".
bool Decoder::ReadLiteralLength(const char *&p, const char *end, UINT &n)
{
    if (p < end && *p == '_') {
        ++p;
        if (!ReadNumber(p, end, n) || !Expect(p, end, '_'))
            return false;
    } else if (p < end && IsDigit(*p)) {
        if (end - p >= 3 && IsDigit(p[1]) && p[2] == '_') {
            n = static_cast<UINT>((p[0] - '0') * 10 + (p[1] - '0'));
            p += 3;
        } else {
            n = static_cast<UINT>(p[0] - '0');
            ++p;
        }
    } else {
        Fail();
        return false;
    }
    if (n == 0 || n > static_cast<size_t>(end - p)) {
        Fail();
        return false;
    }
    return true;
}

// ---- Whole identifiers and names ------------------------------------------------------

struct FlagForm {
    const char *prefix;
    const char *text;
};

const FlagForm kFlagForms[] = {
    {"__CBI__", "can-be-instantiated flag for "},
    {"__DNI__", "do-not-instantiate flag for "},
    {"__TIR__", "template-instantiation-request flag for "},
    {"__LSG__", "initialization guard variable for "},
};

const char *Decoder::DecodeWhole(const char *p, const char *end)
{
    if (StartsWith(p, end, "__vtbl__"))
        return DecodeVirtualTable(p + 8, end);
    for (const FlagForm &form : kFlagForms) {
        if (StartsWith(p, end, form.prefix)) {
            PutText(form.text);
            return DecodeGeneral(p + strlen(form.prefix), end);
        }
    }
    if (StartsWith(p, end, "__TID_")) {
        PutText("type identifier for ");
        return DecodeType(p + 6, end);
    }
    if (StartsWith(p, end, "__T_")) {
        PutText("typeinfo for ");
        return DecodeType(p + 4, end);
    }
    if (StartsWith(p, end, "__VFE__")) {
        PutText("surrogate in class ");
        const char *q = DecodeType(p + 7, end);
        if (ctl.error || !StartsWith(q, end, "__")) {
            Fail();
            return end;
        }
        PutText(" for ");
        return DecodeGeneral(q + 2, end);
    }
    if (StartsWith(p, end, "__Q"))
        return DecodeQualified(p + 2, end, nullptr);
    if (StartsWith(p, end, "__STV__")) {
        // Only the variable's own name is shown; what follows it makes it unique.
        const char *q = p + 7;
        const char *r = q;
        while (r < end && !StartsWith(r, end, "__"))
            ++r;
        PutSpan(q, r);
        return end;
    }
    if (StartsWith(p, end, "__STF__"))
        return DecodeGeneral(p + 7, end);
    if (StartsWith(p, end, "__") && end - p > 2) {
        const char *q = p + 2;
        if (IsDigit(*q)) {
            while (q < end && IsDigit(*q))
                ++q;
            if (q < end && IsLetter(*q)) {
                PutSpan(q, end);
                return end;
            }
        } else if (*q == '_' && end - q > 1 && IsDigit(q[1])) {
            ++q;
            while (q < end && IsDigit(*q))
                ++q;
            if (q < end && *q == '_') {
                PutSpan(q + 1, end);
                return end;
            }
        }
    }
    return DecodeGeneral(p, end);
}

// "__vtbl__" class ["__A"] and up to two further "__" class parts.
const char *Decoder::DecodeVirtualTable(const char *p, const char *end)
{
    PutText("virtual function table for ");
    const char *q = DecodeClass(p, end, nullptr);
    bool ambiguous = false;
    int further = 0;
    while (!ctl.error && StartsWith(q, end, "__")) {
        if (!ambiguous && end - q > 2 && q[2] == 'A' && (end - q == 3 || StartsWith(q + 3, end, "__"))) {
            PutText(" (ambiguous)");
            ambiguous = true;
            q += 3;
            continue;
        }
        if (further == 2)
            break; // left over: the caller reports it
        PutText(" in ");
        q = DecodeClass(q + 2, end, nullptr);
        ++further;
    }
    return q;
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
    for (const OperatorName &op : kFunctionOperators) {
        if (StartsWith(q, end, op.code) && bounded(q + strlen(op.code))) {
            piece.kind = kOperator;
            piece.opText = op.text;
            piece.idEnd = q + strlen(op.code);
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

// ---- Types ----------------------------------------------------------------------------

bool IsFunctionOrArray(const char *p, const char *end)
{
    while (p < end && (*p == 'C' || *p == 'V'))
        ++p;
    return p < end && (*p == 'F' || *p == 'A');
}

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

// Writes the prefix or the suffix of the type at p, or both; returns the type's end
// whichever part is written.
const char *Decoder::DecodeTypePart(const char *p, const char *end, int part)
{
    Nest nest(*this);
    if (!nest.ok)
        return end;
    // Silent reading needs only the end, which the prefix part finds.
    if (ctl.suppress > 0)
        part = kPrefix;
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
const char *Decoder::DecodeNamedType(const char *p, const char *end, int part, bool isConst, bool isVolatile)
{
    if (!(part & kPrefix)) {
        Silence silence(*this);
        return DecodeNamedType(p, end, kPrefix, isConst, isVolatile);
    }
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
const char *Decoder::DecodePointer(const char *p, const char *end, int part, bool isConst, bool isVolatile)
{
    char declarator = *p == 'P' ? '*' : '&';
    const char *inner = p + 1;
    bool paren = IsFunctionOrArray(inner, end);
    const char *q = end;
    if (part & kPrefix) {
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
    }
    if (part & kSuffix) {
        if (paren)
            Put(')');
        q = DecodeTypePart(inner, end, kSuffix);
    }
    return q;
}

// "M" class type: a pointer to a member of class.
const char *Decoder::DecodeMemberPointer(const char *p, const char *end, int part, bool isConst, bool isVolatile)
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
    if (part & kPrefix) {
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
    }
    if (part & kSuffix) {
        if (paren)
            Put(')');
        q = DecodeTypePart(inner, end, kSuffix);
    }
    return q;
}

// "A" n "_", "A_" expression "_" or "A0_", then the element type.
const char *Decoder::DecodeArray(const char *p, const char *end, int part, bool isConst, bool isVolatile)
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
    if (part & kPrefix) {
        if (isConst)
            PutText("const ");
        if (isVolatile)
            PutText("volatile ");
        q = DecodeTypePart(element, end, kPrefix);
    }
    if (part & kSuffix) {
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
const char *Decoder::DecodeFunctionType(const char *p, const char *end, int part, bool isConst, bool isVolatile)
{
    const char *args = p + 1;
    if (args < end && *args == 'K')
        ++args;
    const char *q = end;
    if (part & kPrefix) {
        {
            Silence silence(*this);
            q = DecodeArgList(args, end);
        }
        if (!Expect(q, end, '_'))
            return end;
        q = DecodeTypePart(q, end, kPrefix);
    }
    if (part & kSuffix) {
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

// ---- Constants of template arguments -------------------------------------------------

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
    const char *text = nullptr;
    for (const OperatorName &op : kFunctionOperators) {
        if (CodeIs(code, codeLength, op.code))
            text = op.text;
    }
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

// ---- Result ---------------------------------------------------------------------------

void Decoder::Finish(int *error, int *overflow, UINT *requiredSize)
{
    if (ctl.error) {
        // Callers show the identifier itself when the text is empty.
        if (ctl.bufferSize > 0)
            ctl.buffer[0] = '\0';
        *error = 1;
        *overflow = 0;
        *requiredSize = 1;
        return;
    }
    if (ctl.bufferSize == 0)
        ctl.overflow = true; // not even the NUL fits
    if (!ctl.overflow)
        ctl.buffer[ctl.produced] = '\0';
    *error = 0;
    *overflow = ctl.overflow ? 1 : 0;
    *requiredSize = ctl.produced + 1;
}

} // namespace

void DecodeIdentifier(const char *mangled, char *buffer, UINT bufferSize, int *error, int *overflow,
                      UINT *requiredSize)
{
    size_t length = mangled != nullptr ? strlen(mangled) : 0;
    Decoder decoder(buffer, bufferSize, length);
    if (length == 0 || length >= 0xFFFFFFFFu) {
        decoder.Fail();
    } else {
        const char *end = mangled + length;
        const char *q = decoder.DecodeWhole(mangled, end);
        if (!decoder.Failed() && q != end)
            decoder.Fail();
    }
    decoder.Finish(error, overflow, requiredSize);
}
