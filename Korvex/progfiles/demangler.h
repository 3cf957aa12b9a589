// The C++ name demangler of the program file readers.
//
// The target compilers give external C++ names in the Edison Design Group front end's
// extension of the cfront mangling scheme: a name, "__", then encodings of its class,
// template arguments and function signature ("f__1AFPc" is A::f(char*)). The readers show
// the decoded declaration as the symbol's name.
#pragma once

#include "basetypes.h"

// Decodes the whole identifier `mangled` into `buffer`, which holds `bufferSize` bytes;
// nothing is allocated.
//
// *requiredSize receives the length of the whole declaration plus one. When that is more
// than bufferSize, *overflow is set and the buffer holds as much of the text as fits,
// terminated with NUL.
//
// When the identifier is not a mangled name (malformed, or nested deeper or costing more
// work than any real name would), *error is set, *overflow is clear, *requiredSize is 1 and
// the buffer is left empty, so that a caller that looks at the first character shows the
// identifier as it stands. An identifier without encodings ("main") is copied unchanged.
void DecodeIdentifier(const char *mangled, char *buffer, UINT bufferSize, int *error, int *overflow,
                      UINT *requiredSize);
