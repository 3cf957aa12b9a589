#include "programformats.h"

#include "elfcheck.h"
#include "elffile.h"
#include "taskingfile.h"
#include "eomfcheck.h"
#include "eomffile.h"

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

int IsEomfFile(LPCSTR path)
{
    CEOMFCheck check;
    return check.IsFileOfType(path);
}

CQelTargetFile *CreateEomfReader(CQelDatabase &database, DWORD programId, IUnknown *host)
{
    return new CEOMFFile(database, programId, host);
}

} // namespace

const std::vector<QelProgramFormat> &GetProgramFormats()
{
    static const std::vector<QelProgramFormat> formats = {
        {QEL_PROGRAM_TASKING_OUT, IsTaskingOutFile, CreateTaskingOutReader},
        {QEL_PROGRAM_ELF, IsElfFile, CreateElfReader},
        {QEL_PROGRAM_EOMF, IsEomfFile, CreateEomfReader},
    };
    return formats;
}
