// Packed type and symbol indexes: a module-relative number packed with its module,
// ((module & 0x1FFF) << 18) | (number & 0x3FFFF). Module 0 holds the types that all
// modules share.
#pragma once

#include "qeldbexception.h"

const LONG kMaxPackedModul = 0x1FFF;
const LONG kMaxPackedNumber = 0x3FFFF;

// Packs as the format says, cutting both parts to their bits (module 0x2001 with number
// 0x40001 gives module 1, number 1). Writers check the ranges first (PackIndexChecked).
LONG PackTypeIndex(LONG modul, LONG number);
LONG GetModulOfIndex(LONG index);

// A number that a packed index cannot hold. Thrown by the writers before they write
// anything; a reader that catches it gives up the module, not the load.
class CQelIndexRangeException : public CQeldbException {
    DECLARE_DYNAMIC(CQelIndexRangeException)
public:
    CQelIndexRangeException(LONG modul, LONG number);

    LONG m_nModul;
    LONG m_nNumber;
};

// What the readers give for no type or no owner, and what is stored for it.
const LONG kNoIndex = -1;

// The packed index of `number` in `modul`, or in module 0 when `sharedTypes` is TRUE;
// kNoIndex stays kNoIndex, whatever the module. Throws CQelIndexRangeException when a
// part does not fit (the module only counts when it is packed).
LONG PackIndexChecked(LONG modul, LONG number, BOOL sharedTypes);
