// Element names of structured storage: what a name may be, and how names compare.
// Internal to the library.
#pragma once

#include "basetypes.h"

#include <string>

namespace qelcom {

// The longest name, in UTF-16 units, without its terminator.
constexpr size_t kMaxElementName = 31;

// S_OK when `name` may name an element; STG_E_INVALIDPOINTER for NULL,
// STG_E_INVALIDNAME when it is empty, longer than kMaxElementName or holds '/', '\', ':'
// or '!'. The name is read up to its terminator or one unit past the longest name.
__attribute__((visibility("hidden"))) LONG CheckElementName(const char16_t *name);

// The same for a name of known length, as a file holds it (a zero unit is refused too).
__attribute__((visibility("hidden"))) bool IsValidElementName(const std::u16string &name);

// The upper-case form of one unit: ASCII and the Latin letters of U+00E0-U+017F and
// U+0192, which cover every letter that code page 1252 holds. Other units stay.
__attribute__((visibility("hidden"))) char16_t UpperElementChar(char16_t c);

// The platform's order of names: the shorter first, then unit by unit of the upper-case
// forms. Names that differ only in case are equal.
struct ElementNameLess {
    __attribute__((visibility("hidden"))) bool operator()(const std::u16string &a, const std::u16string &b) const;
};

} // namespace qelcom
