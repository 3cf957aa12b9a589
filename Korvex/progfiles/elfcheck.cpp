#include "elfcheck.h"

#include "elfformat.h"

int CheckElfHeader(HANDLE file, int *machine, int *encoding)
{
    if (machine != nullptr)
        *machine = EM_TRICORE;
    BYTE header[24];
    DWORD read = 0;
    if (!ReadFile(file, header, sizeof header, &read, nullptr) || read < sizeof header)
        return 0;
    bool bigEndian = header[EI_DATA] == ELFDATA2MSB;
    auto half = [&](int at) {
        return bigEndian ? WORD((header[at] << 8) | header[at + 1]) : WORD((header[at + 1] << 8) | header[at]);
    };
    bool accepted = header[0] == 0x7F && header[1] == 'E' && header[2] == 'L' && header[3] == 'F' &&
                    header[EI_CLASS] == ELFCLASS32 && header[EI_DATA] != 0 && header[EI_VERSION] == EV_CURRENT &&
                    half(16) == ET_EXEC;
    if (encoding != nullptr)
        *encoding = header[EI_DATA];
    if (half(18) == EM_ARM && machine != nullptr)
        *machine = EM_ARM;
    return accepted ? 1 : 0;
}
