// Registered window messages: numbers that modules agree on by name.
#pragma once

#include "basetypes.h"

// The number of the message of that name, from 0xC000 up: the same name (blind to ASCII
// case) gives the same number to every module and thread of the process, and numbers are
// never given back. 0 with ERROR_INVALID_PARAMETER for no name, an empty one or one
// longer than 255 characters, and with ERROR_NOT_ENOUGH_MEMORY when all 16384 numbers
// are taken.
UINT RegisterWindowMessageA(LPCSTR name);

// The name of an ANSI build, which the system's code uses.
inline UINT RegisterWindowMessage(LPCSTR name)
{
    return RegisterWindowMessageA(name);
}
