// The decoder behind DecodeIdentifier; only the demangler's own sources include this.
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
// in characters read and in decoding steps (a back-reference that repeats a long argument
// type costs its length again). A name that exceeds either limit is reported as not
// mangled.
#pragma once

#include "basetypes.h"

#include <cstddef>
#include <cstring>

namespace demangle {

// Nesting of names, types, argument lists and expressions. Real names nest a few levels.
const UINT kMaxDepth = 128;
// Work allowed per character of the identifier, plus a base for short names. Real names
// re-read each character a few times; only back-reference bombs come near this.
const size_t kWorkPerChar = 128;
const size_t kWorkBase = 16384;
// Up to nine argument types can be named by the one-digit back-references T and N.
const UINT kRememberedArguments = 9;

inline bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

inline bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

inline bool StartsWith(const char *p, const char *end, const char *s)
{
    size_t n = strlen(s);
    return static_cast<size_t>(end - p) >= n && memcmp(p, s, n) == 0;
}

// The text of the operator with the given code ("pl" is "+"), or null.
const char *FindFunctionOperator(const char *code, size_t length);

// Output control of one decoding.
struct OutputControl {
    char *buffer;
    UINT produced; // characters produced, counted also beyond the buffer
    UINT bufferSize;
    bool error;
    bool overflow;
    UINT suppress; // while above 0 nothing is written or counted
};

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

// The two parts in which a type is written around its declarator.
enum TypePart { kPrefix, kSuffix };

class Decoder {
public:
    Decoder(char *buffer, UINT bufferSize, size_t inputLength);

    // Each Decode function reads the construct at p, which must end by end, writes its
    // text and returns the position behind it. After an error it returns end, and all
    // further output is suppressed.
    const char *DecodeWhole(const char *p, const char *end);
    void Fail();
    bool Failed() const { return ctl.error; }
    void Finish(int *error, int *overflow, UINT *requiredSize);

private:
    friend class Nest;
    friend class Silence;

    // Output and reading primitives.
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

    // Whole identifiers, names and classes.
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

    // Types. The part functions return the type's end when they write the prefix; the
    // suffix is written only after the prefix, whose caller knows the end already.
    const char *DecodeType(const char *p, const char *end);
    const char *DecodeTypePart(const char *p, const char *end, TypePart part);
    const char *DecodeNamedType(const char *p, const char *end, TypePart part, bool isConst, bool isVolatile);
    const char *DecodePointer(const char *p, const char *end, TypePart part, bool isConst, bool isVolatile);
    const char *DecodeMemberPointer(const char *p, const char *end, TypePart part, bool isConst,
                                    bool isVolatile);
    const char *DecodeArray(const char *p, const char *end, TypePart part, bool isConst, bool isVolatile);
    const char *DecodeFunctionType(const char *p, const char *end, TypePart part, bool isConst,
                                   bool isVolatile);
    const char *DecodeArgList(const char *p, const char *end);

    // Constants of template arguments.
    const char *DecodeConstant(const char *p, const char *end);
    const char *DecodeLiteral(const char *p, const char *end);
    const char *DecodeMemberConstant(const char *p, const char *end);
    const char *DecodeExpression(const char *p, const char *end);

    OutputControl ctl;
    size_t work;           // units of work left
    UINT depth = 0;        // current nesting
    bool limitHit = false; // the error came from a limit, not from the text
    char last = '\0';      // last character produced, for the blank before declarators
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

} // namespace demangle
