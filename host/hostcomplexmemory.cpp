#include "hostcomplexmemory.h"

#include "hosttarget.h"

namespace QelHost {

void CHostComplexMemory::SetTarget(CHostTarget *target)
{
    m_targetHold = target;
    m_target = target;
}

STDMETHODIMP CHostComplexMemory::SetUser(IUnknown *user)
{
    m_user = user;
    return S_OK;
}

STDMETHODIMP CHostComplexMemory::WriteMemory(DWORD address, DWORD size, BYTE *buffer)
{
    if (m_target == nullptr)
        return E_FAIL;
    return m_target->WriteMemory(MemoryPort::ComplexMemory, address, size, buffer) ? S_OK : E_FAIL;
}

STDMETHODIMP CHostComplexMemory::ReadMemory(DWORD address, DWORD size, BYTE *buffer)
{
    if (m_target == nullptr)
        return E_FAIL;
    return m_target->ReadMemory(MemoryPort::ComplexMemory, address, size, buffer) ? S_OK : E_FAIL;
}

} // namespace QelHost
