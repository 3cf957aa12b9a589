// The one keyboard layout of the stand-in: a US keyboard (inside this layer only).
#pragma once

namespace qelwin {

// The character the key types on a US keyboard with or without Shift, 0 for none.
char UsCharacterOf(int virtualKey, bool shift);

} // namespace qelwin
