// Recognition of ELF program files.
#pragma once

#include "targetfile.h"

// Whether the open file, read from its current position, starts as an executable 32-bit
// ELF file: the magic, class 32, a data encoding that is not 0, version 1 and type
// ET_EXEC. *machine (when given) receives EM_ARM for an ARM file and EM_TRICORE for every
// other machine, which the readers treat alike; *encoding (when given) the EI_DATA byte,
// whether or not the file is accepted; *refusal (when given) why a file is not accepted,
// as a clause ("it is ..."). 1 accepted, 0 not.
int CheckElfHeader(HANDLE file, int *machine, int *encoding, CString *refusal = nullptr);

// The recogniser that the loading request asks first.
class CELFCheck : public CQelTargetFile {
public:
    CELFCheck() : CQelTargetFile(1, nullptr) {}
    int IsFileType(HANDLE file) override { return CheckElfHeader(file, nullptr, nullptr); }
};
