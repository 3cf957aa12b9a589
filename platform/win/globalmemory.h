// Global memory: the blocks that carry data between the system's parts, such as the
// text of a drop. A handle is the block's address (fixed and movable blocks alike, since
// nothing here moves), and every handle that comes in is checked against the live
// blocks: a stray or freed one fails with ERROR_INVALID_HANDLE instead of reaching the
// heap.
#pragma once

#include "basetypes.h"

#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)

// A block of `bytes` (zeroed with GMEM_ZEROINIT); NULL when memory is short.
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
// The block's memory, its lock count raised; NULL for a handle that is no live block.
LPVOID GlobalLock(HGLOBAL memory);
// Lowers the lock count: TRUE while the block stays locked, FALSE when it is unlocked
// (error ERROR_SUCCESS) or the handle is no live block.
BOOL GlobalUnlock(HGLOBAL memory);
// The size asked for; 0 for a handle that is no live block.
SIZE_T GlobalSize(HGLOBAL memory);
// NULL when the block is freed (also for NULL); the handle itself when it is no live
// block.
HGLOBAL GlobalFree(HGLOBAL memory);
