// Value-to-name tables, by which the readers' dumps print a number as its name.
//
// A table is an array of rows ended by a row whose name is NULL. A lookup of a value that
// is not in the table gives "Value(?): %#8.8hx" of its low 16 bits instead, formatted into
// one buffer that every lookup of the calling thread shares: that text is valid until the
// thread's next lookup of an unknown value.
#pragma once

#include <windows.h>

struct QEL_VALUE_NAME {
    DWORD value;
    LPCSTR name;
};

// The name of the first row of `table` with the value *value.
LPCSTR LookupValueName(const QEL_VALUE_NAME *table, const DWORD *value);
