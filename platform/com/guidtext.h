// GUIDs as text: the registry form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#pragma once

#include "comdecl.h"
#include "guiddef.h"

// Both read exactly the 38-character brace form, hexadecimal digits in either case, and
// nothing around it. A null text gives GUID_NULL. Malformed text gives CO_E_CLASSSTRING
// (CLSIDFromString) or E_INVALIDARG (IIDFromString) and leaves the result alone. Unlike
// the platform's, CLSIDFromString does not look ProgIDs up: that is CLSIDFromProgID.
STDAPI CLSIDFromString(LPCOLESTR text, LPCLSID clsid);
STDAPI IIDFromString(LPCOLESTR text, LPIID iid);

// Both hand out the brace form, upper-case, in a block of CoTaskMemAlloc.
STDAPI StringFromCLSID(REFCLSID clsid, LPOLESTR *text);
STDAPI StringFromIID(REFIID iid, LPOLESTR *text);

// Writes the brace form and its terminating zero into `text`; returns the count of
// characters written including the zero (39), or 0 when `count` is too small.
STDAPI_(int) StringFromGUID2(REFGUID guid, LPOLESTR text, int count);
