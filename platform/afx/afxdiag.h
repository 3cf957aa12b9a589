// Diagnostics of the framework: ASSERT, VERIFY, TRACE and the index check of the
// containers.
//
// As in the framework's debug build, ASSERT stops the program when its condition fails,
// and in a release build (NDEBUG) it is nothing; VERIFY always evaluates its expression.
// An index outside a string or an array is a different matter: reading or writing there
// would touch memory that the container does not own, so that is stopped in every build.
#pragma once

#include "basetypes.h"

// The framework's calling-convention markers; the compiler's default on Linux.
#define AFXAPI
#define AFX_CDECL

[[noreturn]] void AfxAssertFailedLine(LPCSTR fileName, int line, LPCSTR expression);

#ifdef NDEBUG
#define ASSERT(f) ((void)0)
#define VERIFY(f) ((void)(f))
#else
#define ASSERT(f) ((f) ? (void)0 : AfxAssertFailedLine(__FILE__, __LINE__, #f))
#define VERIFY(f) ASSERT(f)
#endif

// Stops the program when `holds` is false: a caller broke a rule that, broken, would make
// the framework touch memory it does not own.
inline void AfxCheck(bool holds, LPCSTR rule)
{
    if (!holds)
        AfxAssertFailedLine(__FILE__, __LINE__, rule);
}

// The caller asked for an element that is not there.
inline void AfxCheckIndex(bool inRange) { AfxCheck(inRange, "index within bounds"); }

// The system's trace lines go nowhere: there is no debugger output to receive them. The
// format and its arguments are still checked by the compiler, but never evaluated.
inline void AfxTrace(LPCSTR, ...) __attribute__((format(printf, 1, 2)));
inline void AfxTrace(LPCSTR, ...) {}
#define TRACE 1 ? (void)0 : ::AfxTrace
