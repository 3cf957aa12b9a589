// Formatting into fixed buffers, with the C run-time forms of Windows.
//
// Formats are those of the C library in the C locale. `%ld` means 64 bits on Linux, so
// the system's code formats its 32-bit LONGs and DWORDs with `%d`, `%u` and `%X`; the
// format attributes let the compiler catch a slip.
#pragma once

#include "basetypes.h"

#include <cstdarg>

// Windows' own truncation rule, unlike C's vsnprintf:
//  - the text is shorter than `count`: it is written with its terminating zero and its
//    length returned;
//  - the text is exactly `count` long: it is written WITHOUT a terminating zero and
//    `count` returned;
//  - the text is longer: its first `count` characters are written, WITHOUT a terminating
//    zero, and -1 returned.
// So a caller that may fill the buffer passes one less than its size and terminates the
// last byte itself, as the system's callers do.
int _vsnprintf(char *buffer, size_t count, const char *format, va_list args) __attribute__((format(printf, 3, 0)));
int _snprintf(char *buffer, size_t count, const char *format, ...) __attribute__((format(printf, 3, 4)));

// Writes at most 1024 bytes including the terminating zero, as Win32 does (the caller's
// buffer is trusted to be that large or the text shorter); a longer text is cut to 1023
// characters. Returns the count of characters written, without the terminating zero.
// Win32's version knows no floating-point formats; this one does, and the system's code
// uses sprintf for doubles anyway.
int wsprintfA(LPSTR buffer, LPCSTR format, ...) __attribute__((format(printf, 2, 3)));
