// What the fuzz targets of the program readers share: a host that takes every download
// block, the string resources that the readers and the database layer load, a scratch
// symbol database and a scratch file for the input, which the readers open by name.
// Included by one fuzz target per program.
#pragma once

#include "progfilestrings.h"

#include <hostinterfaces.h>
#include <qeldatabase.h>
#include <symdbstrings.h>

#include <cstdint>
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

// A target-pattern interface that reads every byte it is given, so that the sanitizers
// see a block that points outside its buffer.
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
    STDMETHODIMP RegisterProgressWindow(UINT, LONG, LONG) override { return E_NOTIMPL; }
    STDMETHODIMP Slot12() override { return E_NOTIMPL; }
    STDMETHODIMP GetDownloadSource(LONG, IUnknown **) override { return E_NOTIMPL; }
    STDMETHODIMP GetDownloadTotal(DWORD *) override { return E_NOTIMPL; }
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
    std::string path;
    CQelDatabase database;
    explicit ScratchDatabase(const char *name) : path(TempPattern(name))
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

// One file per process that holds the current input, removed at its end.
struct ScratchFile {
    std::string path;
    int fd;
    explicit ScratchFile(const char *name) : path(TempPattern(name)), fd(mkstemp(path.data())) {}
    ~ScratchFile()
    {
        if (fd >= 0) {
            close(fd);
            unlink(path.c_str());
        }
    }
    // FALSE when the input cannot be written, which tells nothing about the reader.
    bool Hold(const uint8_t *data, size_t size)
    {
        return fd >= 0 && ftruncate(fd, 0) == 0 && pwrite(fd, data, size, 0) == static_cast<ssize_t>(size);
    }
};

} // namespace
