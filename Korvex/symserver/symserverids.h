// The identifiers of Korvex's COM classes and type library. The classes (the symbol
// servers' and the property page's) stand with IQelSymbol (qelsymbol.h), under which the
// symbol server reports its errors.
#pragma once

#include <ole2.h>
#include <qelsymbol.h>

DEFINE_GUID(LIBID_KORVEXLib, 0xEF0E9403, 0xD9B2, 0x11D1, 0xBC, 0x34, 0x00, 0x60, 0x97, 0x12, 0x56, 0x29);
