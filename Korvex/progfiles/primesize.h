// Sizes of hash tables.
#pragma once

#include <windows.h>

// The smallest odd prime that is not smaller than `n`: 3 for every n up to 3. No prime
// of 32 bits lies above 4294967291, which is the answer for every larger `n`.
DWORD GetPrimeAtLeast(DWORD n);
