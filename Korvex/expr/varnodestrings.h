// The variable nodes' entries of Korvex's string table.
//
// Korvex's module binds them, with its other strings, through its one
// QEL_DEFINE_MODULE_RESOURCES; a program that links this library binds them itself.
#pragma once

#include <afx.h>

enum : UINT {
    IDS_VARNODE_NOT_VALID = 2513,         // "not valid": a variable without a location
    IDS_VARNODE_COMPLEX_NOT_VALID = 2514, // "not valid": a named expression that is none
};

extern const QEL_STRING_ENTRY g_VarNodeStrings[];
extern const size_t g_VarNodeStringCount;
