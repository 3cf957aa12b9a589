// Runs ELF recognition, the structural check, the sections pass, the globals pass and
// the module pass of every module on arbitrary bytes, with a host that takes every
// download block and a scratch symbol database, and checks what the loader relies on:
// nothing is read outside the file (the sanitizers see to that), every record has a
// length, the records of one section stay inside it, every block the host receives is
// readable to its last byte, the passes end without a database error, and a module read
// is read for good (a second read finds it analysed). Each input's rows are rolled back.
//
// fuzz-seeds: testdata/*/*.elf
#include "elfcheck.h"
#include "elffile.h"
#include "readerfuzzing.h"

#include <cstdio>

namespace {

// Every accessor over every index the file names, and a few past it.
void WalkImage(const CElfImage &image)
{
    for (UINT n = 0; n <= image.GetSectionCount(); ++n) {
        ELF_SECTION_HEADER section;
        image.GetSectionHeader(n, &section);
        DWORD size = 0;
        const BYTE *data = image.GetSectionData(n, &size);
        Check((data == nullptr) == (size == 0));
        image.GetSectionName(n);
        for (DWORD s = 0; s < image.GetSymbolCount(n); ++s) {
            ELF_SYMBOL symbol;
            Check(image.GetSymbol(n, s, &symbol));
            image.GetSymbolName(n, symbol);
        }
    }
    for (UINT n = 0; n <= image.GetProgramHeaderCount(); ++n) {
        DWORD size = 0;
        image.GetSegmentData(n, &size);
    }
}

} // namespace

QEL_DEFINE_MODULE_RESOURCES(FuzzResources())

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    CElfImage image;
    if (image.Attach(data, size))
        WalkImage(image);

    // The reader opens files by name.
    static ScratchFile scratch("qelelffuzz");
    if (!scratch.Hold(data, size))
        return 0;
    const char *path = scratch.path.c_str();
    CELFCheck check;
    int recognised = check.IsFileOfType(path);
    static CFuzzHost host;
    static ScratchDatabase scratchDatabase("qelelffuzzdb");
    CQelDatabase &database = scratchDatabase.database;
    database.BeginTrans();
    {
        CELFFile reader(database, 1, &host);
        if (reader.Open(path, nullptr)) {
            Check(recognised == 1);
            if (reader.ReadSections(nullptr) == 1) {
                for (const SectionTag &record : reader.GetSectionRecords())
                    Check(record.Length != 0 && record.AddressMode == 1);
                Check(reader.ReadGlobals(nullptr) == 1);
                const LONG modules = CDBModuls(database.GetDatabase()).GetRecordCount();
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
