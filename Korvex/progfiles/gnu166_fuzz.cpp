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
#include "progfilestrings.h"

#include <hostinterfaces.h>
#include <symdbstrings.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        abort();
}

// A target-pattern interface that reads every byte it is given.
class CFuzzHost : public IQelTargetPattern {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void **ppv) override
    {
        if (iid == qel_uuidof<IQelTargetPattern>() || iid == IID_IUnknown) {
            *ppv = static_cast<IQelTargetPattern *>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP DownloadBlock(DWORD, DWORD length, const BYTE *data, DWORD, DWORD) override
    {
        BYTE sum = 0;
        for (DWORD i = 0; i < length; ++i)
            sum ^= data[i];
        m_sum ^= sum;
        return S_OK;
    }
    STDMETHODIMP AnnounceDownload(DWORD, DWORD, DWORD) override { return S_OK; }
    STDMETHODIMP Slot05() override { return E_NOTIMPL; }
    STDMETHODIMP ForgetCodeSection(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP EngineStopped() override { return S_OK; }
    STDMETHODIMP Slot08() override { return E_NOTIMPL; }
    STDMETHODIMP Slot09() override { return E_NOTIMPL; }
    STDMETHODIMP Slot10() override { return E_NOTIMPL; }
    STDMETHODIMP Slot11() override { return E_NOTIMPL; }
    STDMETHODIMP Slot12() override { return E_NOTIMPL; }
    STDMETHODIMP Slot13() override { return E_NOTIMPL; }
    STDMETHODIMP Slot14() override { return E_NOTIMPL; }
    STDMETHODIMP AnnounceStartAddress(LONG, DWORD, DWORD, DWORD) override { return E_NOTIMPL; }

private:
    BYTE m_sum = 0;
};

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

// A path for mkstemp in the temporary folder ($TMPDIR, else /tmp): a folder in memory
// there makes the database's journal cheap.
std::string TempPattern(const char *name)
{
    const char *folder = getenv("TMPDIR");
    return std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/" + name + "XXXXXX";
}

// One empty symbol database per process, removed at its end.
struct ScratchDatabase {
    std::string path = TempPattern("qelgnufuzzdb");
    CQelDatabase database;
    ScratchDatabase()
    {
        int fd = mkstemp(path.data());
        Check(fd >= 0);
        close(fd);
        unlink(path.c_str());
        Check(database.Create(path.c_str()));
    }
    ~ScratchDatabase()
    {
        database.Close(FALSE);
        unlink(path.c_str());
    }
};

} // namespace

QEL_DEFINE_MODULE_RESOURCES(FuzzResources())

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The reader opens files by name: one scratch file per process, removed at its end.
    static struct ScratchFile {
        std::string path = TempPattern("qelgnufuzz");
        int fd = mkstemp(path.data());
        ~ScratchFile()
        {
            if (fd >= 0) {
                close(fd);
                unlink(path.c_str());
            }
        }
    } scratch;
    if (scratch.fd < 0 || ftruncate(scratch.fd, 0) != 0 ||
        pwrite(scratch.fd, data, size, 0) != static_cast<ssize_t>(size))
        return 0;
    const char *path = scratch.path.c_str();
    CGNU166Check check;
    const int recognised = check.IsFileOfType(path);
    static CFuzzHost host;
    static ScratchDatabase scratchDatabase;
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
