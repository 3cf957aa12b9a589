// Conversion between "ANSI" text and UTF-16.
//
// The system is an ANSI program: its texts are bytes of Windows code page 1252, and only
// COM (BSTR, OLECHAR) speaks UTF-16. The ANSI code page here is always 1252, whatever
// the Linux locale says, so that a byte string means the same on every machine. The five
// bytes that 1252 leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1
// controls of the same number, so that every byte string survives the trip to UTF-16 and
// back unchanged. The other way, a UTF-16 character that 1252 cannot hold becomes the
// default character; there is no "best fit" mapping (Windows turns U+0100 into 'A', this
// layer into '?'), because a silent look-alike is worse than a visible question mark.
//
// Both functions follow Win32's conventions: a length of -1 means "up to and including
// the terminating zero", and the count then includes it; an output size of 0 asks for
// the size needed and writes nothing; a short buffer gives 0 with
// ERROR_INSUFFICIENT_BUFFER (what fitted has been written); bad arguments give 0 with
// ERROR_INVALID_PARAMETER, unknown flags 0 with ERROR_INVALID_FLAGS.
#pragma once

#include "basetypes.h"

#define CP_ACP 0
#define CP_OEMCP 1        // no OEM code page of its own: the same as CP_ACP
#define CP_THREAD_ACP 3   // no per-thread code page: the same as CP_ACP

#define MB_PRECOMPOSED 0x00000001 // 1252 has no combining characters: accepted, changes nothing

// `codePage` is one of the CP_ values above; `flags` 0 or MB_PRECOMPOSED.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByteStr, int multiByteLength, LPWSTR wideCharStr,
                        int wideCharLength);

// `flags` must be 0. `defaultChar`, when given, supplies the byte written for characters
// that 1252 cannot hold ('?' otherwise); `usedDefaultChar`, when given, is set to whether
// that happened, also by a size query. A surrogate pair is one character and gives one
// default byte; a lone surrogate gives one too.
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideCharStr, int wideCharLength, LPSTR multiByteStr,
                        int multiByteLength, LPCSTR defaultChar, LPBOOL usedDefaultChar);
