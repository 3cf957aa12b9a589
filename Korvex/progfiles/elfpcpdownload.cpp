// The download of the ELF globals level: the memory image split between the main core
// and the PCP.
//
// A TriCore program carries the PCP's code and data with its own. Their blocks go to
// the PCP debugger's debug server, which knows the PCP's memories by its code and data
// windows, and are then written through the main debugger as plain contents at their
// load address as well, where the main core's start-up code copies them from. A
// stand-alone PCP debugger (whose PCP debug server is the host object itself) loads
// only the PCP's part of a program.

#include "elfglobals.h"

#include <hostinterfaces.h>

#include "hostquery.h"
#include "symbolcodes.h"

namespace {

// The memory a block is written to, as the host's download interfaces name it.
DWORD MemoryTypeOf(DWORD kind)
{
    if (kind == TYSE_CODE_THUMB16)
        return 4;
    return kind == TYSE_CODE || kind == TYSE_CODE_PCP ? 0 : 2;
}

} // namespace

BOOL CELFGlobals::HasPcp() const
{
    return GetDebugServer() != nullptr;
}

BOOL CELFGlobals::IsPcpCode(DWORD address) const
{
    const TargetWindow &code = GetCodeWindow();
    return HasPcp() && code.Read == 1 && code.Base <= address && address <= code.End;
}

BOOL CELFGlobals::IsPcpData(DWORD address) const
{
    const TargetWindow &data = GetDataWindow();
    return HasPcp() && data.Read == 1 && data.Base <= address && address <= data.End;
}

BOOL CELFGlobals::IsPcpTheHost() const
{
    if (!HasPcp() || GetHostObject() == nullptr)
        return FALSE;
    CComPtr<IUnknown> pcp = QueryOptional<IUnknown>(GetDebugServer());
    CComPtr<IUnknown> host = QueryOptional<IUnknown>(GetHostObject());
    return pcp != nullptr && pcp == host;
}

BOOL CELFGlobals::DownloadPattern(HWND progressWindow, DWORD alignment)
{
    std::vector<DownloadRange> ranges;
    if (!TakeDownloadRanges(&ranges))
        return FALSE;
    if (ranges.empty())
        return TRUE;
    const std::vector<DownloadBlock> blocks = MergeDownloadRanges(ranges, alignment, FALSE);

    // Where each block goes: a stand-alone PCP debugger leaves the main core's blocks out.
    const BOOL pcpIsHost = IsPcpTheHost();
    std::vector<const DownloadBlock *> written;
    uint64_t mainBytes = 0, pcpBytes = 0;
    DWORD mainBlocks = 0, pcpBlocks = 0;
    for (const DownloadBlock &block : blocks) {
        const DownloadRange &head = ranges[block.First];
        const DWORD target = head.AddressMode == SYAM_VIRTUAL ? head.AddressExtra : head.AddressValue;
        if (IsPcpCode(target) || IsPcpData(target)) {
            ++pcpBlocks;
            pcpBytes += block.Length;
        } else if (pcpIsHost) {
            continue;
        } else {
            ++mainBlocks;
            mainBytes += block.Length;
        }
        written.push_back(&block);
    }

    PostProgressStart(progressWindow, static_cast<DWORD>(mainBytes + pcpBytes));
    if (!pcpIsHost)
        AnnouncePattern(mainBlocks, static_cast<DWORD>(mainBytes));
    if (HasPcp() && GetProgramId() != 0) {
        CComPtr<IQelTargetPattern> pcpPattern = QueryOptional<IQelTargetPattern>(GetDebugServer());
        if (pcpPattern != nullptr)
            pcpPattern->AnnounceDownload(pcpBlocks, static_cast<DWORD>(pcpBytes), GetProgramId());
    }

    std::vector<BYTE> buffer;
    for (const DownloadBlock *block : written) {
        const DownloadRange &head = ranges[block->First];
        if (!FillDownloadBlock(ranges, *block, &buffer))
            return FALSE;
        const DWORD target = head.AddressMode == SYAM_VIRTUAL ? head.AddressExtra : head.AddressValue;
        if (!WriteBlock(head.AddressValue, target, static_cast<DWORD>(block->Length), buffer.data(),
                        MemoryTypeOf(head.Kind))) {
            SetFailure(QEL_LOAD_CONTENTS_REFUSED, "The host refused the download block of %u bytes at %08Xh.",
                       static_cast<unsigned>(block->Length), target);
            return FALSE;
        }
    }
    return TRUE;
}

BOOL CELFGlobals::WriteBlock(DWORD start, DWORD target, DWORD length, const BYTE *data, DWORD memoryType)
{
    const DWORD programId = GetProgramId();
    if (!IsPcpCode(target) && !IsPcpData(target))
        return WriteTo(GetHostObject(), start, target, length, data, memoryType, programId, FALSE);
    if (!WriteTo(GetDebugServer(), start, target, length, data, memoryType, programId, TRUE))
        return FALSE;
    return IsPcpTheHost() || WriteTo(GetHostObject(), start, start, length, data, 2, programId, FALSE);
}

BOOL CELFGlobals::WriteTo(IUnknown *server, DWORD start, DWORD target, DWORD length, const BYTE *data,
                          DWORD memoryType, DWORD programId, BOOL pcp)
{
    // Without a program, or without an interface to take it, there is nobody to hand a
    // block to, which is no refusal.
    if (programId == 0 || server == nullptr)
        return TRUE;
    if (CComPtr<IQelExtendedMemory> memory = QueryOptional<IQelExtendedMemory>(server))
        return memory->WriteMemory(pcp ? 0xFFFFFFFF : start, target, length, data, memoryType, programId) == S_OK;
    if (CComPtr<IQelTargetPattern> pattern = QueryOptional<IQelTargetPattern>(server))
        return pattern->DownloadBlock(start, length, data, memoryType, programId) == S_OK;
    return TRUE;
}
