// Streams in memory of their own.
#pragma once

#include "comdecl.h"
#include "storage.h"

// A new, empty stream in memory, open for reading and writing, whose memory is freed when
// its last reference goes. This layer has no global memory handles, so the only handle
// there is to give is NULL (anything else gives E_INVALIDARG); `fDeleteOnRelease` changes
// nothing, since without a handle there is nobody else to free the memory. Its Stat name
// is NULL, as the platform's is.
STDAPI CreateStreamOnHGlobal(HGLOBAL hGlobal, BOOL fDeleteOnRelease, LPSTREAM *ppstm);
