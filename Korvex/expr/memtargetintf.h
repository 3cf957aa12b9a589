// CMemTargetIntf: target memory through the host's target-memory interface, the
// debugger's own view of the target.
#pragma once

#include "memaccess.h"

#include <atlbase.h>
#include <hostinterfaces.h>

class CMemTargetIntf : public IMemAccess {
public:
    CMemTargetIntf() = default;
    CMemTargetIntf(const CMemTargetIntf &) = delete;
    CMemTargetIntf &operator=(const CMemTargetIntf &) = delete;
    // The interface goes with the object, so that an owner that never attaches NULL
    // does not keep the host's object alive.
    ~CMemTargetIntf() override;

    // Lets go of the interface held and asks `object` for the target-memory interface;
    // NULL (or an object without it) leaves this one empty.
    void Attach(IUnknown *object);
    BOOL IsAttached() const { return m_pMemory != nullptr; }

    // FALSE without an interface (nothing is called) or when the host answers a
    // negative HRESULT.
    BOOL Read(DWORD address, DWORD count, BYTE *buffer) override;
    BOOL Write(DWORD address, DWORD count, BYTE *buffer) override;

private:
    IQelTargetMemory *m_pMemory = nullptr;
};
