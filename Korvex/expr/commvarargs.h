// The array arguments of the communication variable object, read into tag records.
//
// They come from outside the object (a tree, the communication queue, a CASE tool), so
// nothing is taken on trust: each array must be a SAFEARRAY of the element type and the
// number of dimensions named below, with every lower bound 0, in a VARIANT of type
// VT_ARRAY | element or in the transfer form of the symbol server's answers (VT_BYREF
// added, the array itself in parray; tagtransfer.h). Anything else is E_INVALIDARG, and
// the records are then left as they were.
#pragma once

#include <afx.h>

#include <symbolprocessing.h>
#include <tagrecords.h>

// Entry `index` of a variable answer: texts (3, n) of VT_BSTR, numbers (9, n) of VT_I4,
// in the order of the answer's transfer. The index must name an entry of the numbers; a
// texts array with fewer entries gives empty texts.
HRESULT ReadVariableEntry(const VARIANT &names, const VARIANT &values, LONG index, VariableTag &record);

// A register map: numbers (2n) of VT_I4, each register's number as the server gives it
// and then its host register index; names (n or fewer) of VT_BSTR, or VT_EMPTY for none.
// A register without a name gets an empty one.
HRESULT ReadRegisterMap(const VARIANT &numbers, const VARIANT &names, CRegisterMapTagArray &map);

// A lifetime or VarEd-mapping answer: numbers (n, 6) of VT_I4, both triples of an entry
// after each other.
HRESULT ReadLifetimes(const VARIANT &numbers, CLifetimeTagArray &lifetimes);

// A member answer: texts (2, n) of VT_BSTR and numbers (6, n) of VT_I4, the same n.
HRESULT ReadMembers(const VARIANT &names, const VARIANT &values, CMemberTagArray &members);
