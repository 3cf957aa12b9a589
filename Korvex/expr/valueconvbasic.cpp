// The converters of the base types: integers of 8, 16, 32 and 64 bits in decimal, hex
// and as a character, and floats and doubles.
//
// The formats are those of 32-bit Windows ("%ld" and "%lX" are 32 bits there), written
// here with the C library's fixed-width forms. A parse reads into a temporary of the
// format's width and stores that in the value slot; the caller keeps the node's bytes.
#include "valueconvbasic.h"

#include "valueconvscan.h"

#include <cinttypes>

using namespace QelConv;

namespace QelConv {

CString HexScanText(LPCSTR text)
{
    CString scan(text);
    if (scan.GetLength() > 2 && scan[0] == '0' && scan[1] == 'X')
        scan.SetAt(1, 'x');
    if (scan.Left(2) != "0x")
        scan = "0x" + scan;
    return scan;
}

void ReverseWords(BYTE *bytes, int count)
{
    for (int low = 0, high = count - 1; low < high; ++low, --high) {
        for (int i = 0; i < 2; ++i) {
            BYTE keep = bytes[2 * low + i];
            bytes[2 * low + i] = bytes[2 * high + i];
            bytes[2 * high + i] = keep;
        }
    }
}

} // namespace QelConv

namespace {

// Compare and merge of a value of `bytes` bytes in the slot: merge copies the value into
// b (b's higher bytes kept) and clears a above the value.
void CompareOrMerge(LONG *op, void *a, void *b, int bytes)
{
    if (*op == QELCONV_COMPARE) {
        const void *left = *static_cast<void **>(a);
        const void *right = *static_cast<void **>(b);
        if (std::memcmp(left, right, bytes) != 0)
            *op = QELCONV_DIFFERS;
    } else if (*op == QELCONV_MERGE) {
        std::memcpy(b, a, bytes);
        std::memset(static_cast<BYTE *>(a) + bytes, 0, 8 - bytes);
    }
}

// Stores `value` when the scan read the text, else marks the parse refused.
template <class T>
void Parsed(LONG *op, BOOL read, void *a, T value)
{
    if (read)
        Store(a, value);
    else
        *op = QELCONV_REFUSED;
}

template <class T>
void ParseDecimal(LONG *op, const CString &text, void *a, LPCSTR format)
{
    T value = 0;
    BOOL read = ScanWhole(text, format, &value);
    Parsed(op, read, a, value);
}

template <class T>
void ParseHex(LONG *op, const CString &text, void *a, LPCSTR format)
{
    T value = 0;
    BOOL read = ScanWhole(HexScanText(text), format, &value);
    Parsed(op, read, a, value);
}

} // namespace

void QelSignedByteDecimal(LONG *op, CString &text, void *a, void *b)
{
    if (*op == QELCONV_FORMAT)
        text.Format("%hd", static_cast<short>(Load<int8_t>(a)));
    else if (*op == QELCONV_PARSE)
        ParseDecimal<short>(op, text, a, "%hd%n");
    else
        CompareOrMerge(op, a, b, 1);
}

void QelByteDecimal(LONG *op, CString &text, void *a, void *b)
{
    if (*op == QELCONV_FORMAT)
        text.Format("%hu", static_cast<unsigned short>(Load<uint8_t>(a)));
    else if (*op == QELCONV_PARSE)
        ParseDecimal<unsigned short>(op, text, a, "%hu%n");
    else
        CompareOrMerge(op, a, b, 1);
}

void QelByteHex(LONG *op, CString &text, void *a, void *b)
{
    if (*op == QELCONV_FORMAT)
        text.Format("0x%hX", static_cast<unsigned short>(Load<uint8_t>(a)));
    else if (*op == QELCONV_PARSE)
        ParseHex<unsigned short>(op, text, a, "0x%hx%n"); // the slot's low byte is the value
    else
        CompareOrMerge(op, a, b, 1);
}

void QelByteAscii(LONG *op, CString &text, void *a, void *b)
{
    if (*op == QELCONV_FORMAT) {
        text.Format("'%c'", Load<char>(a));
    } else if (*op == QELCONV_PARSE) {
        char value = 0;
        BOOL read = ScanWhole(text, "'%c'%n", &value);
        Parsed(op, read, a, value);
    } else {
        CompareOrMerge(op, a, b, 1);
    }
}

void QelShortDecimal(LONG *op, CString &text, void *a, void *b)
{
    if (*op == QELCONV_FORMAT)
        text.Format("%hd", Load<short>(a));
    else if (*op == QELCONV_PARSE)
        ParseDecimal<short>(op, text, a, "%hd%n");
    else
        CompareOrMerge(op, a, b, 2);
}

void QelUShortDecimal(LONG *op, CString &text, void *a, void *b)
{
    if (*op == QELCONV_FORMAT)
        text.Format("%hu", Load<unsigned short>(a));
    else if (*op == QELCONV_PARSE)
        ParseDecimal<unsigned short>(op, text, a, "%hu%n");
    else
        CompareOrMerge(op, a, b, 2);
}

void QelShortHex(LONG *op, CString &text, void *a, void *b)
{
    if (*op == QELCONV_FORMAT)
        text.Format("0x%hX", Load<unsigned short>(a));
    else if (*op == QELCONV_PARSE)
        ParseHex<unsigned short>(op, text, a, "0x%hx%n");
    else
        CompareOrMerge(op, a, b, 2);
}

void QelLongDecimal(LONG *op, CString &text, void *a, void *b)
{
    if (*op == QELCONV_FORMAT)
        text.Format("%d", Load<int32_t>(a));
    else if (*op == QELCONV_PARSE)
        ParseDecimal<int32_t>(op, text, a, "%d%n");
    else
        CompareOrMerge(op, a, b, 4);
}

void QelULongDecimal(LONG *op, CString &text, void *a, void *b)
{
    if (*op == QELCONV_FORMAT)
        text.Format("%u", Load<uint32_t>(a));
    else if (*op == QELCONV_PARSE)
        ParseDecimal<uint32_t>(op, text, a, "%u%n");
    else
        CompareOrMerge(op, a, b, 4);
}

void QelFormatHex32(LONG *op, CString &text, void *a, void *b)
{
    if (*op == QELCONV_FORMAT)
        text.Format("0x%X", Load<uint32_t>(a));
    else if (*op == QELCONV_PARSE)
        ParseHex<uint32_t>(op, text, a, "0x%X%n");
    else
        CompareOrMerge(op, a, b, 4);
}

void QelInt64Decimal(LONG *op, CString &text, void *a, void *b)
{
    if (*op == QELCONV_FORMAT)
        text.Format("%" PRId64, Load<int64_t>(a));
    else if (*op == QELCONV_PARSE)
        ParseDecimal<int64_t>(op, text, a, "%" SCNd64 "%n");
    else
        CompareOrMerge(op, a, b, 8);
}

void QelUInt64Decimal(LONG *op, CString &text, void *a, void *b)
{
    if (*op == QELCONV_FORMAT)
        text.Format("%" PRIu64, Load<uint64_t>(a));
    else if (*op == QELCONV_PARSE)
        ParseDecimal<uint64_t>(op, text, a, "%" SCNu64 "%n");
    else
        CompareOrMerge(op, a, b, 8);
}

void QelInt64Hex(LONG *op, CString &text, void *a, void *b)
{
    if (*op == QELCONV_FORMAT)
        text.Format("0x%" PRIX64, Load<uint64_t>(a));
    else if (*op == QELCONV_PARSE)
        ParseHex<uint64_t>(op, text, a, "0x%" SCNx64 "%n");
    else
        CompareOrMerge(op, a, b, 8);
}

namespace {

// Floating point: `Number` float or double; operations 1 and 3 hold the value with its
// 16-bit words reversed.
template <class Number>
void Floating(LONG *op, CString &text, void *a, void *b, LPCSTR print, LPCSTR scan)
{
    constexpr int bytes = sizeof(Number);
    if (*op == QELCONV_FORMAT || *op == QELCONV_FORMAT_SWAPPED) {
        BYTE value[bytes];
        std::memcpy(value, a, bytes);
        if (*op == QELCONV_FORMAT_SWAPPED)
            ReverseWords(value, bytes / 2);
        text.Format(print, static_cast<double>(Load<Number>(value)));
    } else if (*op == QELCONV_PARSE || *op == QELCONV_PARSE_SWAPPED) {
        Number number = 0;
        if (!ScanWhole(text, scan, &number)) {
            *op = QELCONV_REFUSED;
            return;
        }
        BYTE value[bytes];
        std::memcpy(value, &number, bytes);
        if (*op == QELCONV_PARSE_SWAPPED)
            ReverseWords(value, bytes / 2);
        std::memcpy(a, value, bytes);
    } else {
        CompareOrMerge(op, a, b, bytes);
    }
}

} // namespace

void QelFloatCompact(LONG *op, CString &text, void *a, void *b)
{
    Floating<float>(op, text, a, b, "%g", "%g%n");
}

void QelFloatExponential(LONG *op, CString &text, void *a, void *b)
{
    Floating<float>(op, text, a, b, "%e", "%e%n");
}

void QelDoubleCompact(LONG *op, CString &text, void *a, void *b)
{
    Floating<double>(op, text, a, b, "%g", "%lG%n");
}

void QelDoubleExponential(LONG *op, CString &text, void *a, void *b)
{
    Floating<double>(op, text, a, b, "%e", "%le%n");
}
