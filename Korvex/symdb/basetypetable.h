// The base types that the record layer knows, by name and size, with the internal code
// that tells what a value of the type is (1 signed 8 bits, 2 unsigned 8 bits, 3/4 short,
// 5/6 long, 7 float, 8 double, 9/10 16-bit int, 11/12 32-bit int, 13 bit, 100-106 the
// fixed-point and packed types, 107/108 64 bits), whatever the compiler calls it.
#pragma once

#include <afx.h>

// The code of the first row whose name equals `name` blind to case and whose size is
// `bits`; FALSE when no row matches (a name with a size the table lacks is no base type).
BOOL FindBaseTypeCode(LPCSTR name, LONG bits, LONG *code);

// The code of the unsigned type of the same size as the type of `code` (2 for 1, 4 for 3,
// and so on); a code that holds no sign already, or that names no integer, stays.
LONG UnsignedBaseTypeCode(LONG code);
