// Runs GNU C166 recognition, the sections pass with the globals rows, the special-symbol
// lookup and the module pass of every module on arbitrary bytes, with a host that takes
// every download block and a scratch symbol database, and checks what the loader relies
// on: nothing is read outside the file (the sanitizers see to that), a pass that stops
// says why, the passes end without a database error, and a module read is read for good
// (a second read finds it analysed). Each input's rows are rolled back.
//
// fuzz-seeds: testdata/gnu166/*.a166
#include "gnu166check.h"
#include "gnu166file.h"
#include "readerfuzzing.h"

#include <cstdio>

QEL_DEFINE_MODULE_RESOURCES(FuzzResources())

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The reader opens files by name.
    static ScratchFile scratch("qelgnufuzz");
    if (!scratch.Hold(data, size))
        return 0;
    const char *path = scratch.path.c_str();
    CGNU166Check check;
    const int recognised = check.IsFileOfType(path);
    static CFuzzHost host;
    static ScratchDatabase scratchDatabase("qelgnufuzzdb");
    CQelDatabase &database = scratchDatabase.database;
    database.BeginTrans();
    {
        CGNU166File reader(database, 1, &host);
        if (reader.Open(path, nullptr)) {
            Check(recognised == 1);
            if (reader.ReadSections(nullptr) == 1) {
                Check(reader.IsAnalyzed());
                Check(reader.ReadGlobals(nullptr) == 1);
                const LONG modules = CDBModuls(database.GetDatabase()).GetRecordCount();
                for (LONG modul = 1; modul <= modules; ++modul) {
                    if (reader.ReadModules(modul, 0) == 1)
                        Check(reader.ReadModules(modul, 0) == 1);
                }
                Check(reader.ReadModules(modules + 1, 0) == 0);
            } else {
                Check(reader.GetFailureStatus() == 7 && !reader.GetFailureText().IsEmpty());
            }
        } else {
            Check(recognised != 1);
        }
    }
    database.Rollback();
    return 0;
}
