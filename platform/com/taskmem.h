// The task allocator: memory that COM hands from one party to another (texts of
// StringFromCLSID, names in STATSTG, ...), freed by whoever receives it.
#pragma once

#include "comdecl.h"

// A request for 0 bytes gives a valid block of its own. Failure gives NULL.
STDAPI_(LPVOID) CoTaskMemAlloc(SIZE_T cb);

// NULL `pv` allocates; a size of 0 frees `pv` and gives NULL. On failure `pv` stays valid.
// A block that this allocator did not hand out is left alone and gives NULL.
STDAPI_(LPVOID) CoTaskMemRealloc(LPVOID pv, SIZE_T cb);

// NULL is allowed. Freeing a block twice, or one that this allocator did not hand out,
// frees nothing and is counted (allocstats.h).
STDAPI_(void) CoTaskMemFree(LPVOID pv);
