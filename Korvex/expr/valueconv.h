// Value conversions: how a variable node turns the bytes of its value into display text
// and back, compares a new value with the one before, and merges a new value into the
// storage that holds it.
//
// A static table gives each kind of value (type class, and base type for class 0) up to
// four named display formats with one converter each; the display format a user picks
// is an index into that row. Converters of kind 1 also take the node, for what only the
// node knows (a bit field's layout, a bit's number, the size of a block).
#pragma once

#include <afx.h>

class CQelBasicVarNode;

// Operation codes of a converter call.
enum : LONG {
    QELCONV_FORMAT = 0,         // a -> text
    QELCONV_FORMAT_SWAPPED = 1, // a, held with its 16-bit words reversed -> text
    QELCONV_PARSE = 2,          // text -> a
    QELCONV_PARSE_SWAPPED = 3,  // text -> a, stored with its 16-bit words reversed
    QELCONV_COMPARE = 4,        // *(void **)a against *(void **)b; becomes 5 when they differ
    QELCONV_DIFFERS = 5,
    QELCONV_MERGE = 6,          // the value's bits of a into b
    // A parse whose text could not be read (nothing was stored), or a value the converter
    // cannot hold (a bit field wider than its 8 bytes): the caller keeps what it had.
    QELCONV_REFUSED = -1,
};

typedef void (*QELPLAINCONVERTER)(LONG *pOperation, CString &text, void *a, void *b);
typedef void (*QELNODECONVERTER)(LONG *pOperation, CString &text, void *a, void *b, CQelBasicVarNode *node);

// One row of the conversion table.
struct QelConversionRow {
    DWORD typeClass;
    LONG baseType;                // compared for class 0 only
    LPCSTR names[4];              // NULL: no such format
    DWORD kind;                   // 1: the node converters
    QELPLAINCONVERTER plain[4];
    QELNODECONVERTER node[4];
};

enum { QELCONV_TABLE_ROWS = 32 };
extern const QelConversionRow g_QelConversionTable[QELCONV_TABLE_ROWS];

// The first row for that class (the bit 0x40000000 ignored) and, for class 0, base type;
// NULL when none matches.
const QelConversionRow *QelFindConversionRow(DWORD typeClass, LONG baseType);

// The converter that compares blocks byte for byte, which a node without a row of its own
// (structures, arrays, functions) takes for its format 0.
void QelCompareMemory(LONG *pOperation, CString &text, void *a, void *b, CQelBasicVarNode *node);

// Converters that other callers name.
void QelFormatHex32(LONG *pOperation, CString &text, void *a, void *b);

// Whether a user format holds exactly one conversion that a value can be printed with:
// its first '%' is followed at once by one of i E G X c d e f g o u x, and no '%'
// follows. Widths, flags and length letters are refused.
BOOL QelIsUserFormat(LPCSTR format);
// An accepted user format filled with a value of result type 1 (signed 32 bits), 2
// (unsigned 32 bits) or 3 (double) held in `value`: d i o u x X c take 32 bits (a double
// truncated), e E f g G a double (an integer converted by its kind). At most 100
// characters.
CString QelFormatUser(LPCSTR format, LONG resultType, const BYTE value[8]);
