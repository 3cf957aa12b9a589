#include "memcomplexintf.h"

CMemComplexIntf::~CMemComplexIntf()
{
    Attach(nullptr);
}

BOOL CMemComplexIntf::Attach(IUnknown *object)
{
    // The new interface first, then the old one goes: `object` may be held only through
    // the interface being replaced.
    IQelComplexMemory *memory = nullptr;
    if (object != nullptr && FAILED(object->QueryInterface(IID_IQelComplexMemory, reinterpret_cast<void **>(&memory))))
        memory = nullptr;
    if (m_pMemory != nullptr)
        m_pMemory->Release();
    m_pMemory = memory;
    return m_pMemory != nullptr;
}

BOOL CMemComplexIntf::Read(DWORD address, DWORD count, BYTE *buffer)
{
    if (m_pMemory == nullptr)
        return FALSE;
    return SUCCEEDED(m_pMemory->ReadMemory(address, count, buffer));
}

BOOL CMemComplexIntf::Write(DWORD address, DWORD count, BYTE *buffer)
{
    if (m_pMemory == nullptr)
        return FALSE;
    return SUCCEEDED(m_pMemory->WriteMemory(address, count, buffer));
}
