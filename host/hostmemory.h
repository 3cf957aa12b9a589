// The memory of the simulated target: regions mapped in a 32-bit address space, their
// bytes kept in pages that are made only when something other than zeros is put there,
// so that a region as large as the address space costs nothing until it is written.
//
// Not locked: its owner (CHostTarget) holds its lock around every call.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <map>
#include <memory>

namespace QelHost {

class HostMemory {
public:
    // Maps [start, start + length); bytes already mapped keep their value, new ones are
    // 0. FALSE, mapping nothing, when the range leaves the 32-bit space.
    bool Map(DWORD start, uint64_t length);
    // Whether every byte of [address, address + count) is mapped; an empty range is.
    bool IsMapped(DWORD address, uint64_t count) const;
    // FALSE, touching nothing, unless every byte is mapped.
    bool Read(DWORD address, DWORD count, BYTE *buffer) const;
    bool Write(DWORD address, DWORD count, const BYTE *buffer);
    void Clear();

private:
    static constexpr unsigned kPageBits = 12;
    static constexpr uint64_t kPageSize = uint64_t(1) << kPageBits;
    using Page = std::array<BYTE, kPageSize>;

    std::map<uint64_t, uint64_t> m_regions; // start -> end, disjoint and not adjacent
    std::map<DWORD, std::unique_ptr<Page>> m_pages; // page number -> bytes
};

} // namespace QelHost
