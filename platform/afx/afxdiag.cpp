#include "afxdiag.h"

#include <cstdio>
#include <cstdlib>

void AfxAssertFailedLine(LPCSTR fileName, int line, LPCSTR expression)
{
    fprintf(stderr, "%s:%d: framework assertion failed: %s\n", fileName, line, expression);
    fflush(stderr);
    abort();
}
