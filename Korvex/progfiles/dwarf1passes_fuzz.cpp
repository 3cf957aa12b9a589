// Runs the DWARF 1.1 globals pass and the module pass of every module on damaged
// debugging information: the input takes the place of ".line", ".debug_srcinfo",
// ".debug_sfnames", ".debug_loc_ext" (each after a 16-bit size at the input's start) and
// ".debug" (the rest) in testdata/elf/dwarf1-units.elf, whose sections, symbols and code
// stay, so that every input reaches the passes instead of failing as an ELF file. A PCP
// debugger with a code window is known every other input, for the PCP modules' rules.
// Checked: the passes end without a database error, a module read is read for good, and
// nothing is read outside the input (the sanitizers see to that). Each input's rows are
// rolled back.
//
// fuzz-seeds: testdata/elf/dwarf1-units.seed
#include "elffile.h"
#include "progfilestrings.h"

#include <debugserver.h>
#include <hostsymbolpartners.h>
#include <symdbstrings.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <unistd.h>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        abort();
}

const char *const REPLACED[] = {".line", ".debug_srcinfo", ".debug_sfnames", ".debug_loc_ext", ".debug"};

const std::vector<BYTE> &Template()
{
    static const std::vector<BYTE> bytes = [] {
        std::ifstream in(std::string(QEL_SOURCE_DIR) + "/testdata/elf/dwarf1-units.elf", std::ios::binary);
        return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }();
    Check(bytes.size() > 52);
    return bytes;
}

DWORD Word(const std::vector<BYTE> &b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<DWORD>(b[at + 3]) << 24;
}

void PutWord(std::vector<BYTE> &b, size_t at, DWORD value)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<BYTE>(value >> (8 * i));
}

// The template with the sections of REPLACED holding the input's parts, appended at the
// end of the file.
std::vector<BYTE> Build(const uint8_t *data, size_t size)
{
    std::vector<BYTE> file = Template();
    const DWORD shoff = Word(file, 32);
    const WORD count = file[48] | file[49] << 8, names = file[50] | file[51] << 8;
    const DWORD nameTable = Word(file, shoff + 40 * names + 16);
    size_t offset = 8;
    for (size_t part = 0; part < 5; ++part) {
        size_t length = size > offset ? size - offset : 0;
        if (part < 4) {
            const size_t wanted = 2 * part + 1 < size ? (data[2 * part] | data[2 * part + 1] << 8) : 0;
            length = wanted < length ? wanted : length;
        }
        for (WORD n = 1; n < count; ++n) {
            const size_t header = shoff + 40 * n;
            const char *name = reinterpret_cast<const char *>(&file[nameTable + Word(file, header)]);
            if (strcmp(name, REPLACED[part]) != 0)
                continue;
            PutWord(file, header + 16, static_cast<DWORD>(file.size()));
            PutWord(file, header + 20, static_cast<DWORD>(length));
        }
        if (length > 0)
            file.insert(file.end(), data + offset, data + offset + length);
        offset += length;
    }
    return file;
}

const QEL_MODULE_RESOURCES &FuzzResources()
{
    static const std::vector<QEL_STRING_ENTRY> strings = [] {
        std::vector<QEL_STRING_ENTRY> all(g_SymdbStrings, g_SymdbStrings + g_SymdbStringCount);
        all.insert(all.end(), g_ProgfilesStrings, g_ProgfilesStrings + g_ProgfilesStringCount);
        return all;
    }();
    static const QEL_MODULE_RESOURCES resources = {strings.data(), strings.size(), nullptr, 0};
    return resources;
}

struct Scratch {
    char file[32] = "/tmp/qeld1fuzzXXXXXX";
    char databasePath[32] = "/tmp/qeld1fuzzdbXXXXXX";
    int fd = mkstemp(file);
    CQelDatabase database;
    Scratch()
    {
        int dbfd = mkstemp(databasePath);
        Check(fd >= 0 && dbfd >= 0);
        close(dbfd);
        unlink(databasePath);
        Check(database.Create(databasePath));
    }
    ~Scratch()
    {
        database.Close(FALSE);
        unlink(databasePath);
        close(fd);
        unlink(file);
    }
};

// The host with and without a PCP debugger whose code window holds ".pcptext".
struct Hosts {
    CComPtr<IUnknown> plain, withPcp, keepPcp;
    CComPtr<IQelSymbSrv> partners;
    CComPtr<IQelWindowValues> values;
    Hosts()
    {
        CComObject<QelHost::CHostDebugServer> *server = nullptr, *pcp = nullptr, *main = nullptr;
        Check(CComObject<QelHost::CHostDebugServer>::CreateInstance(&server) == S_OK);
        plain = static_cast<IQelHostHolder *>(server);
        Check(CComObject<QelHost::CHostDebugServer>::CreateInstance(&main) == S_OK);
        withPcp = static_cast<IQelHostHolder *>(main);
        Check(CComObject<QelHost::CHostDebugServer>::CreateInstance(&pcp) == S_OK);
        keepPcp = static_cast<IQelHostHolder *>(pcp);
        CComObject<QelHost::CHostWindowValues> *windows = nullptr;
        Check(CComObject<QelHost::CHostWindowValues>::CreateInstance(&windows) == S_OK);
        values = windows;
        windows->SetValue(u"CodeBaseAddr", 0x8000);
        windows->SetValue(u"CodeEndAddr", 0x803F);
        pcp->SetWindowValues(windows);
        CComObject<QelHost::CHostSymbolPartners> *symbolPartners = nullptr;
        Check(CComObject<QelHost::CHostSymbolPartners>::CreateInstance(&symbolPartners) == S_OK);
        partners = symbolPartners;
        symbolPartners->SetForeignDebugServer(keepPcp);
        main->SetSymbolServer(partners);
    }
};

} // namespace

QEL_DEFINE_MODULE_RESOURCES(FuzzResources())

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Scratch scratch;
    static Hosts hosts;
    static unsigned runs = 0;
    const std::vector<BYTE> file = Build(data, size);
    if (ftruncate(scratch.fd, 0) != 0 ||
        pwrite(scratch.fd, file.data(), file.size(), 0) != static_cast<ssize_t>(file.size()))
        return 0;
    CQelDatabase &database = scratch.database;
    database.BeginTrans();
    {
        CELFFile reader(database, 1, ++runs % 2 == 0 ? hosts.withPcp : hosts.plain);
        Check(reader.Open(scratch.file, nullptr));
        if (reader.ReadSections(nullptr) != 1) {
            database.Rollback();
            return 0;
        }
        Check(reader.ReadGlobals(nullptr) == 1);
        const LONG modules = CDBModuls(database.GetDatabase()).GetRecordCount();
        for (LONG modul = 1; modul <= modules; ++modul) {
            if (reader.ReadModules(modul, 0) == 1)
                Check(reader.ReadModules(modul, 0) == 1);
        }
        Check(reader.ReadModules(modules + 1, 0) == 0);
    }
    database.Rollback();
    return 0;
}
