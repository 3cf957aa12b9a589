// Conversion of a VARIANT from one type to another.
//
// Offered between VT_EMPTY, VT_BOOL, VT_I1, VT_I2, VT_I4, VT_UI1, VT_UI2, VT_UI4, VT_INT,
// VT_UINT, VT_R4, VT_R8, VT_BSTR, VT_UNKNOWN and VT_DISPATCH, as the platform converts:
// - to integers, fractions round to the nearest integer, halves to the even one; a value
//   outside the target's range gives DISP_E_OVERFLOW;
// - VARIANT_TRUE is -1, so it becomes all ones in an unsigned type; any number but 0
//   becomes VARIANT_TRUE;
// - text is read and written in the C locale, whatever the locale id says: an optional
//   sign, digits, an optional fraction and exponent, blanks around; floats are written
//   with 7 (VT_R4) or 15 (VT_R8) significant digits;
// - VT_BOOL becomes "True" or "False" with VARIANT_ALPHABOOL, else "-1" or "0"; text
//   becomes VT_BOOL from "True" or "False" in any case, or from a number;
// - VT_EMPTY is 0, "" or VARIANT_FALSE; VT_NULL converts to nothing but VT_EMPTY;
// - between VT_UNKNOWN and VT_DISPATCH the interface is asked for (its failure is the
//   result); a null interface stays null;
// - an array converts to its own type (a deep copy); VT_ARRAY | VT_UI1 and VT_BSTR
//   convert into one another byte for byte.
// VT_VARIANT as the target asks for no particular type and copies the value. Anything
// else gives DISP_E_TYPEMISMATCH, a type word that means nothing DISP_E_BADVARTYPE. A
// VT_BYREF source is followed first. `pvargDest` may be `pvarSrc`; on failure the
// destination is left as it was.
#pragma once

#include "comdecl.h"
#include "variant.h"

#define VARIANT_ALPHABOOL 0x02

STDAPI VariantChangeType(VARIANTARG *pvargDest, const VARIANTARG *pvarSrc, USHORT wFlags, VARTYPE vt);
STDAPI VariantChangeTypeEx(VARIANTARG *pvargDest, const VARIANTARG *pvarSrc, LCID lcid, USHORT wFlags, VARTYPE vt);
