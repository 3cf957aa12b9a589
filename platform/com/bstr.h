// BSTR, the string of OLE Automation, in its documented layout.
//
// A BSTR points to its first character. The 32 bits before it hold the length in bytes;
// after the last byte stands a 16-bit zero (three zero bytes when the byte length is odd,
// so that the character after the last whole one is zero too). Zeros inside the text
// are kept: the length, not a terminator, says where it ends. A NULL BSTR is the empty
// string for every function that reads a length.
//
// Every BSTR is counted while it lives (allocstats.h). Freeing one twice, or freeing a
// pointer that this layer did not make, frees nothing and is counted, so a test sees it.
#pragma once

#include "comdecl.h"

typedef OLECHAR *BSTR;
typedef BSTR *LPBSTR;

// A copy of the zero-terminated `psz`; NULL for a NULL `psz` or when memory runs out.
STDAPI_(BSTR) SysAllocString(const OLECHAR *psz);
// `ui` characters from `strIn`, which may hold zeros; with a NULL `strIn` the
// characters are zeros. NULL when memory runs out.
STDAPI_(BSTR) SysAllocStringLen(const OLECHAR *strIn, UINT ui);
// `len` bytes from `psz`, taken as they stand (no conversion): the system keeps byte
// strings in BSTRs this way. With a NULL `psz` the bytes are zeros.
STDAPI_(BSTR) SysAllocStringByteLen(LPCSTR psz, UINT len);

// Both replace *pbstr by a new BSTR of the text (which may lie inside the old one) and
// free the old one; TRUE on success, FALSE (and *pbstr unchanged) when `pbstr` is NULL
// or memory runs out. SysReAllocString with a NULL text leaves the NULL BSTR.
STDAPI_(INT) SysReAllocString(BSTR *pbstr, const OLECHAR *psz);
STDAPI_(INT) SysReAllocStringLen(BSTR *pbstr, const OLECHAR *psz, UINT len);

STDAPI_(void) SysFreeString(BSTR bstrString);

// Characters: the byte length divided by two, rounded down.
STDAPI_(UINT) SysStringLen(BSTR bstr);
STDAPI_(UINT) SysStringByteLen(BSTR bstr);
