// The number readers of the framework, for numbers typed by users or stored as text.
//
// There are three, with different rules, and each caller uses a particular one: their
// differences are part of the stored formats (registry texts, profile texts, profile key
// defaults, address fields), so none may be changed to agree with another. All of them
// compute in 32 bits, as on the platform the texts were written on.
#pragma once

#include <afx.h>

// The value of digit `c` in `radix`: '0'-'9' give 0-9, for radix 16 'A'-'F' and 'a'-'f'
// give 10-15; everything else gives 0.
int DigitValue(char c, int radix);

// Whether `c` is a digit of the radix code `radix` (ParseNumber's: 0 any, 1 binary,
// 2 decimal, 3 hexadecimal), and its value into *value (when given). Only the low 12 bits
// of `radix` count.
BOOL DigitOfRadix(char c, DWORD *value, int radix);

// Registry texts: hexadecimal after a "0x"/"0X" prefix or before an h/H at the end (both
// are taken off), decimal otherwise; no sign. A character that is no digit counts as the
// digit 0, so "12a" is 120. NULL and "" give 0.
LONG ParseNumberText(LPCSTR text);

// Profile texts and address fields. `radix` is a code: 1 binary, 2 decimal,
// 3 hexadecimal, 0 chosen from the text ("0x"/"0X" after the sign, or an h/H at the end:
// hexadecimal; a b/B at the end: binary; else decimal). One leading '+' or '-' is
// allowed; the prefix or suffix that marks the radix is taken off. The digits are added
// from the last one on; a character that is no digit stops the reading with FALSE, but
// the value of the digits after it (to its right) is still stored. FALSE without storing
// for NULL or empty texts, a text that is only a sign or a radix mark, a NULL `out` and an
// unknown radix code.
BOOL ParseNumber(LPCSTR text, DWORD *out, int radix);

// Profile key defaults. After leading white space, blind to case: a "0x" prefix selects
// hexadecimal; else, in a text of more than one character, these suffixes are taken off
// in turn: H (16; without it `defaultRadix` stands), O (8), D (10, but only when no
// letter A-F stands before it, so that in "1AD" the D is a digit) and Z (10). A radix
// other than 16, 10 and 8 lets the text choose as strtoul does ("0x" hexadecimal, a
// leading 0 octal, else decimal). The rest is read as strtoul reads it, sign included,
// in 32 bits (a value beyond them gives 0xFFFFFFFF). The value is stored (when `out` is
// given) and TRUE returned when the rest is not empty and was read to its end.
BOOL ParseRadixNumber(LPCSTR text, DWORD *out, int defaultRadix);

// The C library's reading of a floating-point number (atof, in the C locale that the
// system runs in); 0 for NULL.
double TextToDouble(LPCSTR text);
