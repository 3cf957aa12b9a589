// The plain converters of the conversion table (valueconv.h), each for one base type and
// display format. They work on 8-byte value slots.
#pragma once

#include "valueconv.h"

void QelSignedByteDecimal(LONG *op, CString &text, void *a, void *b);
void QelByteDecimal(LONG *op, CString &text, void *a, void *b);
void QelByteHex(LONG *op, CString &text, void *a, void *b);
void QelByteAscii(LONG *op, CString &text, void *a, void *b);
void QelShortDecimal(LONG *op, CString &text, void *a, void *b);
void QelUShortDecimal(LONG *op, CString &text, void *a, void *b);
void QelShortHex(LONG *op, CString &text, void *a, void *b);
void QelLongDecimal(LONG *op, CString &text, void *a, void *b);
void QelULongDecimal(LONG *op, CString &text, void *a, void *b);
void QelInt64Decimal(LONG *op, CString &text, void *a, void *b);
void QelUInt64Decimal(LONG *op, CString &text, void *a, void *b);
void QelInt64Hex(LONG *op, CString &text, void *a, void *b);
void QelFloatCompact(LONG *op, CString &text, void *a, void *b);
void QelFloatExponential(LONG *op, CString &text, void *a, void *b);
void QelDoubleCompact(LONG *op, CString &text, void *a, void *b);
void QelDoubleExponential(LONG *op, CString &text, void *a, void *b);

// The node converters: bit fields, single bits.
void QelBitFieldDecimal(LONG *op, CString &text, void *a, void *b, CQelBasicVarNode *node);
void QelBitFieldHex(LONG *op, CString &text, void *a, void *b, CQelBasicVarNode *node);
void QelBitState(LONG *op, CString &text, void *a, void *b, CQelBasicVarNode *node);
