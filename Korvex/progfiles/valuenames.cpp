#include "valuenames.h"

#include <cstdio>

LPCSTR LookupValueName(const QEL_VALUE_NAME *table, const DWORD *value)
{
    for (const QEL_VALUE_NAME *row = table; row->name != nullptr; ++row) {
        if (row->value == *value)
            return row->name;
    }
    // The system shares one static buffer; one per thread keeps a dump on one thread from
    // overwriting the text another is printing.
    static thread_local char unknown[32];
    snprintf(unknown, sizeof unknown, "Value(?): %#8.8hx", static_cast<unsigned short>(*value));
    return unknown;
}
