// The address modes (SYAM_) and section types (TYSE_) that the readers write into address
// triples and section rows, and their names as the dumps print them.
#pragma once

#include "valuenames.h"

// The AddressMode word of an address triple.
enum : DWORD {
    SYAM_NOT_VALID = 0xFFFFFFFFu,
    SYAM_VALUE = 0,
    SYAM_ABSOLUTE = 1,
    SYAM_STACK = 2,
    SYAM_REGISTER = 3,
    SYAM_REGISTER2 = 4,
    SYAM_LIFETIME = 5,
    SYAM_LIFETIMEDEAD = 6,
    SYAM_SFRSHORTADDRESSC16X = 7,
    SYAM_ESFRSHORTADDRESSC16X = 8,
    SYAM_SOURCE = 9,
    SYAM_VIRTUAL = 10, // the value is a load address, the third word the run address
    SYAM_VALUE_BIT = 0x40000000u,
    SYAM_ABSOLUTE_BIT = 0x40000001u,
    SYAM_STACK_BIT = 0x40000002u,
    SYAM_REGISTER_BIT = 0x40000003u,
};

// The Type of a section.
enum : DWORD {
    TYSE_UNKNOWN = 0,
    TYSE_CODE = 1,
    TYSE_CONST = 2,
    TYSE_DATA = 3,
    TYSE_BSS = 4,
    TYSE_CODE_PCP = 5,
    TYSE_CONST_PCP = 6,
    TYSE_DATA_PCP = 7,
    TYSE_CODE_THUMB16 = 8,
    TYSE_CODE_BIG = 9,
    TYSE_CODE_BIG_THUMB16 = 10,
    TYSE_WITH_GAPS = 0x40000000u, // added to a type whose range has holes
    TYSE_CODE_WITH_GAPS = 0x40000001u,
    TYSE_DATA_WITH_GAPS = 0x40000003u,
    TYSE_BSS_WITH_GAPS = 0x40000004u,
};

LPCSTR LookupSyamName(const DWORD *mode);
LPCSTR LookupTyseName(const DWORD *type);
