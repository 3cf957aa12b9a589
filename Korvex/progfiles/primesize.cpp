#include "primesize.h"

namespace {

bool IsOddPrime(DWORD candidate)
{
    for (DWORD divisor = 3; divisor <= candidate / divisor; divisor += 2) {
        if (candidate % divisor == 0)
            return false;
    }
    return true;
}

} // namespace

// Trial division instead of the sieve of 2n + 1 flags that such searches often use: the
// sieve's bound 4n + 3 overflows for large n and its memory grows with n, while the gaps
// between primes stay small, so few candidates are tried.
DWORD GetPrimeAtLeast(DWORD n)
{
    const DWORD largestPrime = 4294967291u;
    if (n <= 3)
        return 3;
    if (n >= largestPrime)
        return largestPrime;
    for (DWORD candidate = n | 1;; candidate += 2) {
        if (IsOddPrime(candidate))
            return candidate;
    }
}
