// ElfHashKey: the text hash of the system's text-keyed maps and of the symbol database's
// password.
//
// It is the PJW hash of the ELF symbol tables, with one difference that the stored
// passwords depend on: each byte is added as a signed char, so a byte above 0x7F adds a
// negative amount. It must stay so, or databases written earlier no longer open.
#pragma once

#include <afx.h>

// The hash of `text` up to its terminating zero; 0 for the empty text and for NULL.
UINT ElfHashKey(LPCSTR text);

// CMaps keyed by CString hash their keys with ElfHashKey.
template <>
UINT AFXAPI HashKey<CString &>(CString &key);
