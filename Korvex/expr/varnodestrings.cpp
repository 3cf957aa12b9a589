#include "varnodestrings.h"

const QEL_STRING_ENTRY g_VarNodeStrings[] = {
    {IDS_VARNODE_NOT_VALID, "not valid"},
    {IDS_VARNODE_COMPLEX_NOT_VALID, "not valid"},
};

const size_t g_VarNodeStringCount = sizeof g_VarNodeStrings / sizeof g_VarNodeStrings[0];
