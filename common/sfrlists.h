// The controller engine's register and block lists, and the derivative they were read for,
// as another module reaches them: by a handle (objecthandles.h) that the pseudo register
// names "_QUICK_HACK_ALL_", "_QUICK_HACK_BLOCKS_" and "_QUICK_HACK_DERIVATIVE_" give. A resolved handle holds the lists it stands for, so they
// stay as they are while it is held, whatever code 3000 loads meanwhile; the caller
// reads them in place (sfrtags.h gives the layout) and never changes or frees them.
#pragma once

#include <windows.h>

#include "sfrtags.h"

typedef CArray<_SpecialFunctionRegisterTag, _SpecialFunctionRegisterTag &> CSfrRegisterList;
typedef CArray<_SpecialFunctionRegisterBlockTag, _SpecialFunctionRegisterBlockTag &> CSfrBlockList;

// The kind tags of the two handles.
const DWORD QEL_HANDLE_SFR_REGISTERS = 0x51534652; // "QSFR"
const DWORD QEL_HANDLE_SFR_BLOCKS = 0x51534642;    // "QSFB"
const DWORD QEL_HANDLE_SFR_DERIVATIVE = 0x51534644; // "QSFD"

// A resolved list handle; empty when the handle stands for no list of that kind (it was
// withdrawn since: a later code 3000 replaced the lists).
template <class List, DWORD Kind>
class CSfrListReference {
public:
    explicit CSfrListReference(DWORD handle) { QelResolveObjectHandle(handle, Kind, &m_resolved); }
    ~CSfrListReference() { QelReleaseResolvedObject(&m_resolved); }
    CSfrListReference(const CSfrListReference &) = delete;
    CSfrListReference &operator=(const CSfrListReference &) = delete;

    const List *Get() const { return static_cast<const List *>(m_resolved.object); }
    const List *operator->() const { return Get(); }
    bool operator!() const { return Get() == nullptr; }

private:
    QEL_RESOLVED_OBJECT m_resolved{};
};

typedef CSfrListReference<CSfrRegisterList, QEL_HANDLE_SFR_REGISTERS> CSfrRegisterListReference;
typedef CSfrListReference<CSfrBlockList, QEL_HANDLE_SFR_BLOCKS> CSfrBlockListReference;
typedef CSfrListReference<CSfrDerivative, QEL_HANDLE_SFR_DERIVATIVE> CSfrDerivativeReference;
