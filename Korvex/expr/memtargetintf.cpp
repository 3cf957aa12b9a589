#include "memtargetintf.h"

namespace {

// The memory space that the system names in every block call.
constexpr DWORD kTargetMemorySpace = 3;

} // namespace

CMemTargetIntf::~CMemTargetIntf()
{
    Attach(nullptr);
}

void CMemTargetIntf::Attach(IUnknown *object)
{
    // The new interface first, then the old one goes: `object` may be held only through
    // the interface being replaced.
    IQelTargetMemory *memory = nullptr;
    if (object != nullptr && FAILED(object->QueryInterface(IID_IQelTargetMemory, reinterpret_cast<void **>(&memory))))
        memory = nullptr;
    if (m_pMemory != nullptr)
        m_pMemory->Release();
    m_pMemory = memory;
}

BOOL CMemTargetIntf::Read(DWORD address, DWORD count, BYTE *buffer)
{
    if (m_pMemory == nullptr)
        return FALSE;
    return SUCCEEDED(m_pMemory->ReadBlock(kTargetMemorySpace, address, count, buffer, 0));
}

BOOL CMemTargetIntf::Write(DWORD address, DWORD count, BYTE *buffer)
{
    if (m_pMemory == nullptr)
        return FALSE;
    return SUCCEEDED(m_pMemory->WriteBlock(kTargetMemorySpace, address, count, buffer, 0));
}
