// CMemComplexIntf: target memory through the complex-memory interface of a
// communication object's inner object, which the communication variable objects use.
#pragma once

#include "memaccess.h"

#include <atlbase.h>
#include <hostinterfaces.h>

class CMemComplexIntf : public IMemAccess {
public:
    CMemComplexIntf() = default;
    CMemComplexIntf(const CMemComplexIntf &) = delete;
    CMemComplexIntf &operator=(const CMemComplexIntf &) = delete;
    ~CMemComplexIntf() override;

    // Lets go of the interface held and asks `object` for the complex-memory interface;
    // TRUE when one is held afterwards.
    BOOL Attach(IUnknown *object);
    BOOL IsAttached() const { return m_pMemory != nullptr; }

    // FALSE without an interface (nothing is called) or when the host answers a
    // negative HRESULT.
    BOOL Read(DWORD address, DWORD count, BYTE *buffer) override;
    BOOL Write(DWORD address, DWORD count, BYTE *buffer) override;

private:
    IQelComplexMemory *m_pMemory = nullptr;
};
