// The kernel's comparison of ANSI texts for people: lstrcmpA and lstrcmpiA.
//
// Windows compares these "word sort" style, in the user's locale, not byte by byte. The
// system sorts names that users see with them, so the order must be the one a Windows
// user knows: letters compare blind to case and accents first, so "a" < "b" < "B" < "c";
// only between texts equal so far do accents and then case decide, lower case first
// ("a" < "A", "e" < "é"). Symbols come before digits and digits before letters, and
// the hyphen and the apostrophe count only when all else is equal ("coop" < "co-op" <
// "cop").
//
// This layer knows one locale, English on code page 1252, and approximates Windows' table
// in two places: symbols compare among themselves by byte value, and texts that Windows
// would call equal (differing only in characters it ignores) are ordered by their bytes,
// so only identical texts compare equal (equal blind to case, for lstrcmpiA). Æ, Œ and ß
// sort as "AE", "OE" and "ss"; Þ sorts after Z.
//
// Both take NULL as the lowest of all texts and return below 0, 0 or above 0.
#pragma once

#include "basetypes.h"

int lstrcmpA(LPCSTR a, LPCSTR b);
int lstrcmpiA(LPCSTR a, LPCSTR b);
