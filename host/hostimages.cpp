#include "hostimages.h"

#include <elfimage.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace QelHost {

namespace {

constexpr uint64_t kSpaceEnd = uint64_t(1) << 32;
constexpr WORD kCoreType = 4; // ET_CORE
constexpr DWORD kNoteSegment = 4; // PT_NOTE
constexpr DWORD kProcessStatusNote = 1; // NT_PRSTATUS
// The ARM Linux process status: the general registers, 18 words, stand at offset 72.
constexpr DWORD kProcessStatusSize = 148;
constexpr DWORD kRegistersOffset = 72;

bool Refuse(std::string *reason, const std::string &text)
{
    *reason = text;
    return false;
}

std::string Hex(DWORD value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}

bool Attach(CElfImage &elf, const BYTE *data, size_t size, std::string *reason)
{
    if (elf.Attach(data, size))
        return true;
    return Refuse(reason, static_cast<LPCSTR>(elf.GetError()));
}

bool InSpace(DWORD address, DWORD size)
{
    return uint64_t(address) + size <= kSpaceEnd;
}

} // namespace

bool ReadHostProgram(const BYTE *data, size_t size, HostProgramImage *image, std::string *reason)
{
    CElfImage elf;
    if (!Attach(elf, data, size, reason))
        return false;
    HostProgramImage read;
    read.machine = elf.GetElfHeader().e_machine;
    read.entry = elf.GetElfHeader().e_entry;
    for (UINT n = 0; n < elf.GetSectionCount(); ++n) {
        ELF_SECTION_HEADER section;
        elf.GetSectionHeader(n, &section);
        if ((section.sh_flags & SHF_ALLOC) == 0 || section.sh_size == 0)
            continue;
        if (!InSpace(section.sh_addr, section.sh_size))
            return Refuse(reason, "Section " + std::to_string(n) + " at " + Hex(section.sh_addr) +
                                      " leaves the 32-bit address space.");
        DWORD fileSize = 0;
        const BYTE *bytes = elf.GetSectionData(n, &fileSize);
        read.blocks.push_back({section.sh_addr, section.sh_size, bytes, fileSize});
    }
    *image = std::move(read);
    return true;
}

bool ReadHostCore(const BYTE *data, size_t size, HostCoreImage *image, std::string *reason)
{
    // Said before the header is read in that order, which would find some other fault.
    if (size > EI_DATA && memcmp(data, "\x7F" "ELF", 4) == 0 && data[EI_DATA] == ELFDATA2MSB)
        return Refuse(reason, "The core file is big-endian; only little-endian targets are simulated.");
    CElfImage elf;
    if (!Attach(elf, data, size, reason))
        return false;
    const ELF_HEADER &header = elf.GetElfHeader();
    if (header.e_type != kCoreType)
        return Refuse(reason, "The file is no core file (ELF type " + std::to_string(header.e_type) + ").");
    if (header.e_machine != EM_ARM)
        return Refuse(reason, "The core file is not of an ARM target (machine " + std::to_string(header.e_machine) + ").");
    HostCoreImage read;
    bool registers = false;
    for (UINT n = 0; n < elf.GetProgramHeaderCount(); ++n) {
        ELF_PROGRAM_HEADER segment;
        elf.GetProgramHeader(n, &segment);
        DWORD length = 0;
        const BYTE *bytes = elf.GetSegmentData(n, &length);
        if (segment.p_type == PT_LOAD) {
            if (segment.p_filesz > segment.p_memsz)
                return Refuse(reason, "Segment " + std::to_string(n) + " has more bytes in the file than in memory.");
            if (!InSpace(segment.p_vaddr, segment.p_memsz))
                return Refuse(reason, "Segment " + std::to_string(n) + " at " + Hex(segment.p_vaddr) +
                                          " leaves the 32-bit address space.");
            read.blocks.push_back({segment.p_vaddr, segment.p_memsz, bytes, length});
            continue;
        }
        if (segment.p_type != kNoteSegment)
            continue;
        // Notes: name size, descriptor size, type, then name and descriptor, each
        // padded to four bytes.
        uint64_t at = 0;
        while (at < length) {
            if (length - at < 12)
                return Refuse(reason, "A note of segment " + std::to_string(n) + " is truncated.");
            DWORD nameSize = elf.ReadWord(bytes + at);
            DWORD descSize = elf.ReadWord(bytes + at + 4);
            DWORD type = elf.ReadWord(bytes + at + 8);
            uint64_t desc = at + 12 + ((uint64_t(nameSize) + 3) & ~uint64_t(3));
            uint64_t next = desc + ((uint64_t(descSize) + 3) & ~uint64_t(3));
            if (desc + descSize > length)
                return Refuse(reason, "A note of segment " + std::to_string(n) + " is truncated.");
            if (type == kProcessStatusNote && !registers) {
                if (descSize != kProcessStatusSize)
                    return Refuse(reason, "The process status note has " + std::to_string(descSize) +
                                              " bytes, not the 148 of an ARM core.");
                for (size_t r = 0; r < HostCoreImage::kRegisterCount; ++r)
                    read.registers[r] = elf.ReadWord(bytes + desc + kRegistersOffset + 4 * r);
                registers = true;
            }
            at = next;
        }
    }
    if (!registers)
        return Refuse(reason, "The core file holds no process status note with the registers.");
    *image = std::move(read);
    return true;
}

bool ReadHostFile(const char *path, std::vector<BYTE> *bytes, std::string *reason)
{
    FILE *file = std::fopen(path, "rb");
    if (file == nullptr)
        return Refuse(reason, std::string("The file ") + path + " cannot be opened: " + std::strerror(errno) + ".");
    std::vector<BYTE> read;
    BYTE chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        read.insert(read.end(), chunk, chunk + got);
    bool failed = std::ferror(file) != 0;
    int error = errno;
    std::fclose(file);
    if (failed)
        return Refuse(reason, std::string("The file ") + path + " cannot be read: " + std::strerror(error) + ".");
    *bytes = std::move(read);
    return true;
}

} // namespace QelHost
