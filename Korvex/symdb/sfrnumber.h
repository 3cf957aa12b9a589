// The numbers of a controller database's texts (a register's ResetValue) and of a
// controller description: decimal, or hexadecimal after "0x", of 32 bits.
#pragma once

#include <afx.h>

// TRUE with the value when the whole of `text`, blanks at either end aside, is such a
// number; FALSE for anything else (empty, a sign, a stray character, more than 32 bits).
BOOL ParseSfrNumber(LPCSTR text, DWORD &value);
