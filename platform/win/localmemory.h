// Local memory, as far as the system meets it: the buffers that the layer allocates for a
// caller (FormatMessageA with FORMAT_MESSAGE_ALLOCATE_BUFFER) and that the caller hands
// back to LocalFree.
#pragma once

#include "basetypes.h"

// Frees a block that this layer allocated for the caller. NULL on success (also for
// NULL); a pointer that is not such a live block is left alone and given back, with
// ERROR_INVALID_HANDLE, so that a stray or double free never reaches the heap.
HLOCAL LocalFree(HLOCAL memory);

namespace qelwin {

// A block of `bytes` for a caller to free with LocalFree; NULL when memory is short.
HLOCAL AllocateLocal(SIZE_T bytes);

} // namespace qelwin
