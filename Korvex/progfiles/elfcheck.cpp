#include "elfcheck.h"

#include "dumpnames.h"
#include "elfformat.h"

namespace {

// Why the first 24 bytes of a file are not accepted, tested in the order of recognition;
// "" when they are.
CString RefusalOf(const BYTE *header, WORD type)
{
    CString reason;
    if (header[0] != 0x7F || header[1] != 'E' || header[2] != 'L' || header[3] != 'F')
        reason = "it is no ELF file (it does not begin with 7Fh 'E' 'L' 'F')";
    else if (header[EI_CLASS] != ELFCLASS32)
        reason.Format("it is an ELF file of class %s; only 32-bit files (ELFCLASS32) are read",
                      static_cast<LPCSTR>(ValueName(g_elfClassNames, header[EI_CLASS])));
    else if (header[EI_DATA] == 0)
        reason = "its ELF header names no data encoding (ELFDATANONE)";
    else if (header[EI_VERSION] != EV_CURRENT)
        reason.Format("its ELF header has version %u, not 1 (EV_CURRENT)", header[EI_VERSION]);
    else if (type != ET_EXEC)
        reason.Format("it is an ELF file of type %s; only executable files (ET_EXEC) are loaded",
                      static_cast<LPCSTR>(ValueName(g_elfTypeNames, type)));
    return reason;
}

} // namespace

int CheckElfHeader(HANDLE file, int *machine, int *encoding, CString *refusal)
{
    if (machine != nullptr)
        *machine = EM_TRICORE;
    BYTE header[24];
    DWORD read = 0;
    if (!ReadFile(file, header, sizeof header, &read, nullptr) || read < sizeof header) {
        if (refusal != nullptr)
            refusal->Format("it is too short for an ELF header (%u bytes)", read);
        return 0;
    }
    bool bigEndian = header[EI_DATA] == ELFDATA2MSB;
    auto half = [&](int at) {
        return bigEndian ? WORD((header[at] << 8) | header[at + 1]) : WORD((header[at + 1] << 8) | header[at]);
    };
    CString reason = RefusalOf(header, half(16));
    if (encoding != nullptr)
        *encoding = header[EI_DATA];
    if (half(18) == EM_ARM && machine != nullptr)
        *machine = EM_ARM;
    if (refusal != nullptr)
        *refusal = reason;
    return reason.IsEmpty() ? 1 : 0;
}
