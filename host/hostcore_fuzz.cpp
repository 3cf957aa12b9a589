// Core files for the simulated target: any bytes are taken or refused with a reason,
// and a refused core changes nothing of the target.
// fuzz-seeds: testdata/elf/*.core
#include "hosttarget.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    CComObject<QelHost::CHostTarget> *target = nullptr;
    if (FAILED(CComObject<QelHost::CHostTarget>::CreateInstance(&target)))
        return 0;
    CComPtr<IQelTargetAccess> hold(target);
    target->MapMemory(0x1000, 16);
    const BYTE marker[4] = {1, 2, 3, 4};
    target->WriteMemory(QelHost::MemoryPort::Host, 0x1000, 4, marker);
    std::string reason;
    if (target->LoadCoreBytes(data, size, &reason)) {
        ULONG pc = 0;
        if (!target->GetPc(&pc))
            std::abort();
        return 0;
    }
    BYTE kept[4] = {};
    ULONG pc = 0;
    if (reason.empty() || target->GetPc(&pc) || !target->ReadMemory(QelHost::MemoryPort::Host, 0x1000, 4, kept) ||
        kept[0] != 1 || kept[3] != 4)
        std::abort();
    return 0;
}
