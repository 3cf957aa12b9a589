#include "basetypetable.h"

namespace {

struct BaseType {
    const char *name;
    LONG bits;
    LONG code;
};

// The first match wins; the order is part of the table.
const BaseType kBaseTypes[] = {
    {"void", 0, 0},
    {"char", 8, 1},
    {"signed char", 8, 1},
    {"unsigned char", 8, 2},
    {"short", 16, 3},
    {"short int", 16, 3},
    {"unsigned short", 16, 4},
    {"short unsigned int", 16, 4},
    {"long", 32, 5},
    {"long int", 32, 5},
    {"long long int", 32, 5},
    {"unsigned long", 32, 6},
    {"long unsigned int", 32, 6},
    {"long long unsigned int", 32, 6},
    {"float", 32, 7},
    {"double", 64, 8},
    {"long double", 64, 8},
    {"int", 16, 9},
    {"unsigned int", 16, 10},
    {"bit", 1, 13},
    {"signed char", 8, 1},
    {"signed short", 16, 3},
    {"int", 32, 11},
    {"unsigned int", 32, 12},
    {"signed int", 32, 11},
    {"signed long", 32, 5},
    {"signed", 8, 1},
    {"unsigned", 8, 2},
    {"signed", 16, 9},
    {"unsigned", 16, 10},
    {"signed", 32, 11},
    {"unsigned", 32, 12},
    {"signed", 64, 107},
    {"unsigned", 64, 108},
    {"_sfract", 16, 100},
    {"_fract", 32, 101},
    {"_accum", 64, 102},
    {"_packb", 32, 103},
    {"unsigned _packb", 32, 104},
    {"_packhw", 32, 105},
    {"unsigned _packhw", 32, 106},
    {"long long int", 64, 107},
    {"long long unsigned int", 64, 108},
    {"long long", 64, 107},
    {"unsigned long long", 64, 108},
    {"_bit", 8, 13},
};
static_assert(sizeof kBaseTypes / sizeof kBaseTypes[0] == 46, "the table has 46 rows");

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Blind to ASCII case only, whatever the C library's locale.
bool SameName(const char *a, const char *b)
{
    for (; Lower(*a) == Lower(*b); ++a, ++b)
        if (*a == '\0')
            return true;
    return false;
}

} // namespace

BOOL FindBaseTypeCode(LPCSTR name, LONG bits, LONG *code)
{
    if (!name)
        return FALSE;
    for (const BaseType &row : kBaseTypes) {
        if (row.bits == bits && SameName(row.name, name)) {
            *code = row.code;
            return TRUE;
        }
    }
    return FALSE;
}

LONG UnsignedBaseTypeCode(LONG code)
{
    switch (code) {
    case 1: return 2;
    case 3: return 4;
    case 5: return 6;
    case 9: return 10;
    case 11: return 12;
    case 107: return 108;
    default: return code;
    }
}
