// The address triple: how the system names a place in the target.
//
// AddressMode says what kind of place it is (0 a plain value, 1 absolute, 2 stack, 3
// register, and further modes up to 10, virtual), AddressValue where it is in that mode,
// and AddressExtra is a third word whose meaning the holder gives: the length of a code
// range in a lifetime or breakpoint record, a register's further word, and so on. A new
// triple is an absolute address 0.
//
// The triple is also the key of the controller engine's register-by-address map, so it
// brings the HashKey that the framework's CMap needs for it.
#pragma once

#include <afx.h>

class CAddressValue {
public:
    CAddressValue() : AddressMode(1), AddressValue(0), AddressExtra(0) {}
    // The value comes first here, although the fields stand mode first: the program-file
    // readers build their triples this way.
    CAddressValue(DWORD value, DWORD mode, DWORD extra) : AddressMode(mode), AddressValue(value), AddressExtra(extra) {}

    bool operator==(const CAddressValue &) const = default;

    DWORD AddressMode;
    DWORD AddressValue;
    DWORD AddressExtra;
};

// Mode, value and (when not 0) the third word, each shifted in by four bits and folded as
// the text hash folds, so that equal triples meet in one bucket.
template <>
UINT AFXAPI HashKey<CAddressValue &>(CAddressValue &key);
