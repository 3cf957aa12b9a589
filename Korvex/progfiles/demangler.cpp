// Decoding of EDG/cfront mangled names: the entry point, the output control and the
// forms of whole identifiers.

#include "demangler.h"

#include "demangledecoder.h"

#include <cstring>

namespace demangle {

namespace {

// Whether a blank must separate a declarator from the text before it ("int [10]", but
// "void (*[10])(int)").
bool EndsName(char c)
{
    return IsDigit(c) || IsLetter(c) || c == '_' || c == '$' || c == '>';
}

} // namespace

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

// ---- Whole identifiers ----------------------------------------------------------------

namespace {

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

} // namespace

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

} // namespace demangle

void DecodeIdentifier(const char *mangled, char *buffer, UINT bufferSize, int *error, int *overflow,
                      UINT *requiredSize)
{
    size_t length = mangled != nullptr ? strlen(mangled) : 0;
    demangle::Decoder decoder(buffer, bufferSize, length);
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
