// The system's message texts for Win32 error codes: FormatMessageA.
#pragma once

#include "basetypes.h"

#include <cstdarg>

#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_STRING 0x00000400
#define FORMAT_MESSAGE_FROM_HMODULE 0x00000800
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define FORMAT_MESSAGE_ARGUMENT_ARRAY 0x00002000
#define FORMAT_MESSAGE_MAX_WIDTH_MASK 0x000000FF

#define LANG_NEUTRAL 0x00
#define LANG_ENGLISH 0x09
#define SUBLANG_DEFAULT 0x01
#define MAKELANGID(primary, sub) ((WORD)((((WORD)(sub)) << 10) | (WORD)(primary)))
#define PRIMARYLANGID(lang) ((WORD)(lang) & 0x3FF)

// The text of the Win32 error code `messageId` from the system's table
// (FORMAT_MESSAGE_FROM_SYSTEM), ending in "\r\n" as Windows' texts do, for every code
// that this layer sets. The texts are English; any neutral or English language (0 among
// them) finds them, another fails with ERROR_RESOURCE_LANG_NOT_FOUND, an unknown code with
// ERROR_MR_MID_NOT_FOUND.
//
// With FORMAT_MESSAGE_ALLOCATE_BUFFER `buffer` is taken as an LPSTR* that receives a new
// block of at least `size` characters (at most 64K, else
// ERROR_INVALID_PARAMETER), which the caller frees with LocalFree; without it
// the text goes into `buffer` of `size` characters, or the call fails with
// ERROR_INSUFFICIENT_BUFFER when it does not fit with its terminator. Answers the
// length of the text without the terminator; 0 on failure.
//
// None of the texts has inserts, so FORMAT_MESSAGE_IGNORE_INSERTS changes nothing and
// `arguments` is not read. Texts from strings or modules, argument arrays and line
// widths are not offered: such flags fail with ERROR_NOT_SUPPORTED.
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer, DWORD size,
                     va_list *arguments);

// The name of an ANSI build, which the system's code uses.
inline DWORD FormatMessage(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer,
                           DWORD size, va_list *arguments)
{
    return FormatMessageA(flags, source, messageId, languageId, buffer, size, arguments);
}
