// CCommVarLocator: where a variable object's root lies at the target's current position,
// and the text that says how that place was found (the item's location string).
//
// The symbol information gives a variable's place as an address triple whose mode says
// how to read it: memory and bits of memory stand as they are; a place relative to a
// register becomes memory at the register's value plus the offset; registers and
// register pairs stay registers, which the nodes read through the register map; a place
// that depends on the program position is looked up in the lifetime list by the current
// instruction pointer. While the VarEd state is on, a lifetime list (the VarEd mapping
// of a watch entry) overrides the place wherever one of its ranges holds the pointer.
#pragma once

#include <afx.h>

#include <hostinterfaces.h>
#include <symbolprocessing.h>

class CCommVarLocator {
public:
    // The place modes of an address triple that the locator tells apart.
    static constexpr DWORD kNone = 0xFFFFFFFF;
    static constexpr DWORD kMemory = 1;
    static constexpr DWORD kRegisterRelative = 2;
    static constexpr DWORD kRegister = 3;
    static constexpr DWORD kRegisterPair = 4;
    static constexpr DWORD kByPosition = 5;
    static constexpr DWORD kNotLive = 6;
    static constexpr DWORD kMemoryBit = 0x40000001;
    static constexpr DWORD kRegisterBit = 0x40000003;

    // None of them is owned; all must outlive the locator. `access` may be NULL.
    CCommVarLocator(IQelTargetAccess *access, const CRegisterMapTagArray &registers,
                    const CLifetimeTagArray &lifetimes)
        : m_access(access), m_registers(registers), m_lifetimes(lifetimes)
    {
    }

    // The place of a variable whose symbol information gives `symbol`, and its text.
    // FALSE, with both left alone, when it cannot be found now: no target access, a
    // register the map does not give, or a register or the instruction pointer that
    // cannot be read. A variable that lives nowhere at this position is (-1, -1, -1).
    BOOL Resolve(const CAddressValue &symbol, BOOL varEd, CAddressValue *place, CString *text);

private:
    // The first lifetime range that holds `pc`, start <= pc < start + length, and whose
    // place is not "not live"; NULL when none does.
    const LifetimeTag *RangeAt(DWORD pc) const;
    // The map's entry of the register the server numbers `number`, with a host index.
    const RegisterMapTag *Register(DWORD number) const;
    BOOL ResolvePlace(const CAddressValue &from, CAddressValue *place, CString *text);

    IQelTargetAccess *m_access;
    const CRegisterMapTagArray &m_registers;
    const CLifetimeTagArray &m_lifetimes;
};

// Whether the VarEd state of `owner`'s symbol server is on (Synchronize with
// SYF_GET_VARED answers 1); FALSE without an owner or a symbol server.
BOOL IsVarEdOn(IUnknown *owner);
