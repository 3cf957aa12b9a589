// IQelControllerEngine: the symbol server's controller engine, as the host's controller
// information drives it.
//
// It has IQelControllerInfo's slots under an identifier of this project's own, so that
// IQelSymbol's controller slots, which answer E_NOTIMPL, stay as they are. QelSymbol
// offers it through QueryInterface only; it is in no type library. Slots:
//  7 LoadSFRegisters: request 3000 for a derivative name or a database path, run
//    synchronously; S_OK with registers, S_FALSE when none were found, the request's
//    status as (status + 0x4000) | 0x80040000 when it failed.
// 13 SFRegisterAddress: the value of the register's first address of mode 1, or for
//    "_QUICK_HACK_ALL_" and "_QUICK_HACK_BLOCKS_" the handle (objecthandles.h) of the
//    register or block list (sfrlists.h); 0xFFFFFFFF when unknown or nothing is loaded.
// 14 SFRegisterName, 15 SFRegisterBit: the register at an address of a space (space 1
//    mode 8, else mode 7), and the name "REGISTER.FIELD" of its one-bit field at a bit
//    (the last such field wins); S_FALSE and an empty name when there is none.
// 16 CreateICRegisterList: VT_ARRAY | VT_UI4, three words for each register of Type 13
//    or 14 that has an address of mode 1, in table order: that address, NamedBitMask AND
//    NOT ReadOnlyMask, and ResetValue read as "0x" hexadecimal or decimal (0 when it is
//    neither).
// 21 SFRBlocks: VT_ARRAY | VT_BSTR, two texts per block: its name and description.
// 23 SFRegisterRR: the bounds of a C16x register area by index; the start is also its
//    answer in *pnStart (0xFFFFFFFF for an area that does not exist).
// Every other slot answers E_NOTIMPL.
#pragma once

#include "qelcontrollerinfo.h"

interface IQelControllerEngine : public IQelControllerInfo {
};
QEL_DEFINE_IID(IQelControllerEngine, 0x7C1E5A30, 0x4B2D, 0x4E8F, 0x9A, 0x61, 0x3D, 0x27, 0xB0, 0x5C, 0x81, 0x4E);
