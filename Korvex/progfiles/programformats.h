// The program-file formats that a load recognises, in the order in which it asks them:
// the first whose recogniser takes a file is the file's format. An Intel HEX file, which
// is a memory image and has no reader, is recognised by the load itself after them.
#pragma once

#include <qeldatabase.h>

#include "programinfo.h"
#include "targetfile.h"

#include <vector>

struct QelProgramFormat {
    LONG Kind; // QEL_PROGRAM_..., also the type of the program-information object
    // The recogniser: 1 when the file at `path` is of the format.
    int (*IsFileOfFormat)(LPCSTR path);
    // The most derived reader of the format, writing into `database`; `host` is the
    // host's debug-server object, not counted. The caller owns it.
    CQelTargetFile *(*CreateReader)(CQelDatabase &database, DWORD programId, IUnknown *host);
    // The section level alone, which needs no database: what a dump reads. The caller
    // owns it; null when the format has none of its own.
    CQelTargetFile *(*CreateSectionReader)(DWORD programId, IUnknown *host) = nullptr;
};

// The format whose recogniser takes the file at `path`; null when none does.
const QelProgramFormat *FindProgramFormat(LPCSTR path);

const std::vector<QelProgramFormat> &GetProgramFormats();
