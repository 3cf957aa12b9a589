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
    if (m_pMemory != nullptr) {
        m_pMemory->Release();
        m_pMemory = nullptr;
    }
    if (object != nullptr && FAILED(object->QueryInterface(IID_IQelTargetMemory, reinterpret_cast<void **>(&m_pMemory))))
        m_pMemory = nullptr;
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
