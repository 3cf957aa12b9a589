// Runs ELF recognition, the structural check and the sections pass on arbitrary bytes,
// with a host that takes every download block, and checks what the loader relies on:
// nothing is read outside the file (the sanitizers see to that), every record has a
// length, the records of one section stay inside it, and every block the host receives
// is readable to its last byte.
//
// fuzz-seeds: testdata/*/*.elf
#include "elfcheck.h"
#include "elfsections.h"

#include <hostinterfaces.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

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
    STDMETHODIMP Slot06() override { return E_NOTIMPL; }
    STDMETHODIMP EngineStopped() override { return S_OK; }

private:
    BYTE m_sum = 0;
};

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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    CElfImage image;
    if (image.Attach(data, size))
        WalkImage(image);

    // The reader opens files by name: one scratch file per process, removed at its end.
    static struct ScratchFile {
        char path[32] = "/tmp/qelelffuzzXXXXXX";
        int fd = mkstemp(path);
        ~ScratchFile()
        {
            if (fd >= 0) {
                close(fd);
                unlink(path);
            }
        }
    } scratch;
    if (scratch.fd < 0 || ftruncate(scratch.fd, 0) != 0 ||
        pwrite(scratch.fd, data, size, 0) != static_cast<ssize_t>(size))
        return 0;
    const char *path = scratch.path;
    CELFCheck check;
    int recognised = check.IsFileOfType(path);
    static CFuzzHost host;
    CELFSections reader(1, &host);
    if (reader.Open(path, nullptr)) {
        Check(recognised == 1);
        if (reader.ReadSections(nullptr) == 1) {
            for (const SectionTag &record : reader.GetSectionRecords())
                Check(record.Length != 0 && record.AddressMode == 1);
        } else {
            Check(!reader.GetFailureText().IsEmpty());
        }
    }
    return 0;
}
