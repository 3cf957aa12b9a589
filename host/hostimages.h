// What the simulated target takes from a program file and from a core file, read and
// checked whole before the target changes, so that a file that is refused changes
// nothing. The images point into the caller's bytes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace QelHost {

// One range of target memory: `fileSize` bytes at `bytes` (null for none), then zeros up
// to `size`.
struct HostMemoryBlock {
    DWORD address;
    DWORD size;
    const BYTE *bytes;
    DWORD fileSize;
};

// The allocated sections of a 32-bit ELF program at their run addresses.
struct HostProgramImage {
    WORD machine = 0;
    DWORD entry = 0;
    std::vector<HostMemoryBlock> blocks;
};

// A core file of an ARM target: its first thread's R0-R15 and CPSR, and its memory.
struct HostCoreImage {
    static constexpr size_t kRegisterCount = 17;
    ULONG registers[kRegisterCount] = {};
    std::vector<HostMemoryBlock> blocks;
};

// FALSE, with the reason in *reason, for bytes that are no such file.
bool ReadHostProgram(const BYTE *data, size_t size, HostProgramImage *image, std::string *reason);
bool ReadHostCore(const BYTE *data, size_t size, HostCoreImage *image, std::string *reason);

// The whole file; FALSE, with the reason, when it cannot be read.
bool ReadHostFile(const char *path, std::vector<BYTE> *bytes, std::string *reason);

} // namespace QelHost
