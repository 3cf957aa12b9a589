// What the VARIANT and SAFEARRAY code of this library knows about type words.
// Internal to the library.
#pragma once

#include "variant.h"

namespace qelcom {

// Whether a VARIANT may carry the type word `vt` (with VT_ARRAY and VT_BYREF forms).
__attribute__((visibility("hidden"))) bool IsVariantType(VARTYPE vt);

// The size of one value of the base type `vt` as a SAFEARRAY element or behind a
// VT_BYREF pointer; 0 for a type that cannot be an element.
__attribute__((visibility("hidden"))) ULONG ElementSize(VARTYPE vt);

} // namespace qelcom
