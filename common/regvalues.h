// Typed reads and writes of registry values on an open key, shared by the registry
// wrappers. Each read checks the value's type and size and reports failure rather than
// handing out a value it cannot stand behind.
#pragma once

#include <afx.h>

// A REG_SZ value into `buffer` of `size` bytes, always terminated: a text stored without
// its terminating zero gets one when there is room. FALSE for a missing value, another
// type, or a text that does not fit with its terminator; the buffer's contents are then
// unspecified.
BOOL ReadRegText(HKEY key, LPCSTR name, LPSTR buffer, DWORD size);

// A REG_DWORD value of four bytes.
BOOL ReadRegDword(HKEY key, LPCSTR name, DWORD *value);

// A REG_BINARY value of at most `size` bytes into `buffer`.
BOOL ReadRegBinary(HKEY key, LPCSTR name, void *buffer, DWORD size);

// REG_SZ with its terminating zero, REG_DWORD, REG_BINARY; the registry's result.
LONG WriteRegText(HKEY key, LPCSTR name, LPCSTR text);
LONG WriteRegDword(HKEY key, LPCSTR name, DWORD value);
LONG WriteRegBinary(HKEY key, LPCSTR name, const void *data, DWORD size);
