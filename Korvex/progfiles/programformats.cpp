#include "programformats.h"

#include "elfcheck.h"
#include "elffile.h"
#include "gnu166check.h"
#include "gnu166file.h"

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
        {QEL_PROGRAM_ELF, IsElfFile, CreateElfReader},
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
