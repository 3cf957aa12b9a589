#include "programformats.h"

#include "elfcheck.h"
#include "elffile.h"
#include "eomfcheck.h"
#include "eomffile.h"
#include "gnu166check.h"
#include "gnu166file.h"
#include "taskingfile.h"

namespace {

int IsElfFile(LPCSTR path)
{
    CELFCheck check;
    return check.IsFileOfType(path);
}

CQelTargetFile *CreateElfReader(CQelDatabase &database, DWORD programId, IUnknown *host)
{
    return new CELFFile(database, programId, host);
}

int IsTaskingOutFile(LPCSTR path)
{
    CTaskingOutCheck check;
    return check.IsFileOfType(path);
}

CQelTargetFile *CreateTaskingOutReader(CQelDatabase &database, DWORD programId, IUnknown *host)
{
    return new CTaskingOutFile(database, programId, host);
}

CQelTargetFile *CreateTaskingOutSectionReader(DWORD programId, IUnknown *host)
{
    return new CTaskingOutSections(programId, host);
}

int IsEomfFile(LPCSTR path)
{
    CEOMFCheck check;
    return check.IsFileOfType(path);
}

CQelTargetFile *CreateEomfReader(CQelDatabase &database, DWORD programId, IUnknown *host)
{
    return new CEOMFFile(database, programId, host);
}

CQelTargetFile *CreateEomfSectionReader(DWORD programId, IUnknown *host)
{
    return new CEOMFSections(programId, host);
}

int IsGnu166File(LPCSTR path)
{
    CGNU166Check check;
    return check.IsFileOfType(path);
}

CQelTargetFile *CreateGnu166Reader(CQelDatabase &database, DWORD programId, IUnknown *host)
{
    return new CGNU166File(database, programId, host);
}

CQelTargetFile *CreateGnu166SectionReader(DWORD programId, IUnknown *host)
{
    return new CGNU166Sections(programId, host);
}

} // namespace

const std::vector<QelProgramFormat> &GetProgramFormats()
{
    static const std::vector<QelProgramFormat> formats = {
        {QEL_PROGRAM_TASKING_OUT, IsTaskingOutFile, CreateTaskingOutReader, CreateTaskingOutSectionReader},
        {QEL_PROGRAM_ELF, IsElfFile, CreateElfReader},
        {QEL_PROGRAM_EOMF, IsEomfFile, CreateEomfReader, CreateEomfSectionReader},
        {QEL_PROGRAM_GNU166, IsGnu166File, CreateGnu166Reader, CreateGnu166SectionReader},
    };
    return formats;
}

const QelProgramFormat *FindProgramFormat(LPCSTR path)
{
    for (const QelProgramFormat &format : GetProgramFormats()) {
        if (format.IsFileOfFormat(path) == 1)
            return &format;
    }
    return nullptr;
}
