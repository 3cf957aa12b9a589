// Runs EOMF recognition, both record walks (the sections pass and the globals pass inside
// it), the dump and the module pass of every module on arbitrary bytes, with a host that
// takes every download block and a scratch symbol database, and checks what the loader
// relies on: nothing is read outside the file (the sanitizers see to that), a refused
// file says why, every section found lies in address mode 1 and has its place, the passes
// end without a database error, and a module read is read for good (a second read finds
// it analysed). Each input's rows are rolled back.
//
// fuzz-seeds: testdata/eomf/*.obj
#include "eomfcheck.h"
#include "eomffile.h"
#include "readerfuzzing.h"

#include <cstdio>

QEL_DEFINE_MODULE_RESOURCES(FuzzResources())

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The reader opens files by name.
    static ScratchFile scratch("qeleomffuzz");
    if (!scratch.Hold(data, size))
        return 0;
    const char *path = scratch.path.c_str();
    CEOMFCheck check;
    const int recognised = check.IsFileOfType(path);

    // The dump, to a file that is thrown away, through the section level alone.
    {
        CEOMFSections sections(1, nullptr);
        if (sections.Open(path, "/dev/null")) {
            Check(recognised == 1);
            if (sections.ReadSections(nullptr) != 1)
                Check(!sections.GetFailureText().IsEmpty());
        }
    }

    static CFuzzHost host;
    static ScratchDatabase scratchDatabase("qeleomffuzzdb");
    CQelDatabase &database = scratchDatabase.database;
    if (recognised != 1) {
        // Refused before anything is written: no transaction to pay for.
        CEOMFFile reader(database, 1, &host);
        Check(!reader.Open(path, nullptr));
        return 0;
    }
    database.BeginTrans();
    {
        CEOMFFile reader(database, 1, &host);
        if (reader.Open(path, nullptr)) {
            if (reader.ReadSections(nullptr) == 1) {
                for (int index = 0; index < reader.GetSectionCount(); ++index) {
                    const SectionTag &section = reader.GetSection(index);
                    Check(section.AddressMode == 1);
                    Check(section.Length == 0 || reader.FindSection(1, section.AddressValue, 0) >= 0);
                }
                Check(reader.ReadGlobals(nullptr) == 1);
                const LONG modules = CDBModuls(database.GetDatabase()).GetRecordCount();
                Check(modules == reader.GetModuleCount());
                for (LONG modul = 1; modul <= modules; ++modul) {
                    if (reader.ReadModules(modul, 0) == 1)
                        Check(reader.ReadModules(modul, 0) == 1);
                }
                Check(reader.ReadModules(modules + 1, 0) == 0);
            } else {
                Check(!reader.GetFailureText().IsEmpty());
            }
        }
    }
    database.Rollback();
    return 0;
}
