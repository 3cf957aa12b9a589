// Atomic operations on 32-bit LONGs, chiefly for COM reference counts.
//
// Each is a full barrier, as Win32's are. They are inline over the compiler's atomic
// builtins; the pointer must be aligned to 4 bytes, as Win32 requires too.
#pragma once

#include "basetypes.h"

// Both return the new value.
inline LONG InterlockedIncrement(LONG volatile *addend)
{
    return __atomic_add_fetch(addend, 1, __ATOMIC_SEQ_CST);
}

inline LONG InterlockedDecrement(LONG volatile *addend)
{
    return __atomic_sub_fetch(addend, 1, __ATOMIC_SEQ_CST);
}

// Returns the value that stood before.
inline LONG InterlockedExchange(LONG volatile *target, LONG value)
{
    return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST);
}

// Stores `exchange` only when the value equals `comparand`; returns the value that stood
// before either way, so the store happened exactly when the result equals `comparand`.
inline LONG InterlockedCompareExchange(LONG volatile *destination, LONG exchange, LONG comparand)
{
    __atomic_compare_exchange_n(destination, &comparand, exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
    return comparand;
}
