#include "dumpnames.h"

CString ValueName(const QEL_VALUE_NAME *table, DWORD value)
{
    // The lookup's text for an unknown value lives only until its next one; the copy is
    // the caller's for good.
    return CString(LookupValueName(table, &value));
}

const QEL_VALUE_NAME g_memoryKindNames[] = {
    {0, "BIT"},
    {1, "DATA"},
    {2, "CODE"},
    {3, "CONST"},
    {0, nullptr},
};
