// Fuzz target of the per-program workspace settings: every routine, reading and writing,
// on a workspace that the storage reader builds from the input must end cleanly and in
// bounded time, whatever counts, names and values the storage holds; so must the
// position history's Load and Save.
//
// Raw bytes rarely carry right check sums, so the input is resealed first: the magic,
// version 1, its true body length and both sums made right (the header of
// platform/com/internal/stgformat.h).
// fuzz-seeds: testdata/workspace/*.stg
#include "history.h"
#include "workspacesettings.h"

#include <atlbase.h>
#include <qelsymbsrv.h>
#include <stgprofile.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// A symbol server as the routines reach it: its master debugger (itself unless set) and
// its own storage, and a command target that takes every command.
class CFuzzServer : public IQelSymbSrv, public IOleCommandTarget {
public:
    CFuzzServer(IStorage *storage, IUnknown *master) : m_storage(storage), m_master(master) {}

    STDMETHODIMP QueryInterface(REFIID iid, void **ppv) override
    {
        if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, IID_IQelSymbSrv) || IsEqualGUID(iid, IID_IDispatch))
            *ppv = static_cast<IQelSymbSrv *>(this);
        else if (IsEqualGUID(iid, IID_IOleCommandTarget))
            *ppv = static_cast<IOleCommandTarget *>(this);
        else
            return *ppv = nullptr, E_NOINTERFACE;
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT *) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *, UINT *) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP GetVersion(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP GetErrorInfo(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP Init(IUnknown *, IUnknown *) override { return E_NOTIMPL; }
    STDMETHODIMP RestoreSettings() override { return E_NOTIMPL; }
    STDMETHODIMP Cleanup() override { return E_NOTIMPL; }
    STDMETHODIMP StoreSettings() override { return E_NOTIMPL; }
    STDMETHODIMP Synchronize(tagSynchronizeFunction function, IUnknown **ppUnknown) override
    {
        if (function == SYF_GET_MASTER_DEBUGGER)
            *ppUnknown = m_master ? m_master : static_cast<IQelSymbSrv *>(this);
        else if (function == SYF_GET_OWN_STORAGE)
            *ppUnknown = m_storage;
        return S_OK;
    }
    STDMETHODIMP QueryStatus(const GUID *, ULONG, OLECMD *, OLECMDTEXT *) override { return E_NOTIMPL; }
    STDMETHODIMP Exec(const GUID *, DWORD, DWORD, VARIANT *, VARIANT *) override { return S_OK; }

private:
    IStorage *m_storage;
    IUnknown *m_master;
};

constexpr size_t kHeaderSize = 24;

// The storage file's check sum: CRC-32 as zlib computes it.
uint32_t Crc32(const unsigned char *bytes, size_t size)
{
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = 0; i < size; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

void Put32(unsigned char *at, uint32_t value)
{
    for (int i = 0; i < 4; i++)
        at[i] = static_cast<unsigned char>(value >> (8 * i));
}

// One file per process that holds the current input, removed at its end.
struct ScratchFile {
    std::string path;
    int fd;
    ScratchFile() : path(std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + "/wspXXXXXX"), fd(mkstemp(path.data())) {}
    ~ScratchFile()
    {
        if (fd >= 0) {
            close(fd);
            unlink(path.c_str());
        }
    }
};

void RunRoutines(IStorage *root)
{
    CFuzzServer master(root, nullptr);
    CFuzzServer second(nullptr, static_cast<IQelSymbSrv *>(&master));
    IUnknown *servers[] = {static_cast<IQelSymbSrv *>(&master), static_cast<IQelSymbSrv *>(&second)};
    for (IUnknown *server : servers) {
        for (int id : {1, 2}) {
            int value = id;
            CString path;
            ProgramSettings(QEL_WSP_READ_PATH, server, value, path);
            for (int code : {QEL_WSP_FIND_ALIAS, QEL_WSP_FIND_ENTRY}) {
                CString entry = "main.c", where = "/src/util.c";
                SourceAliases(code, server, id, entry, where);
            }
            HRESULT hr = S_OK;
            RestoreBreakpoints(root, QEL_WSP_BREAKPOINTS, server, id, &hr);
            RestoreBreakpoints(root, QEL_WSP_COBREAKPOINTS, server, id, &hr);
        }
        CString entry = "util.c", where = "/new/util.c", none;
        SourceAliases(QEL_WSP_STORE_ALIAS, server, 1, entry, where);
        SourceAliases(QEL_WSP_STORE_ALIAS, server, 1, entry, none);
        int value = 0;
        CString path = "/work/prog.elf";
        ProgramSettings(QEL_WSP_STORE_PATH, server, value, path);
        CVariantArray in(3);
        CComVariant number;
        number.vt = VT_UI4;
        number.ulVal = 1;
        in[0].SetValue(number);
        number.ulVal = 2;
        in[1].SetValue(number);
        SAFEARRAY *names = SafeArrayCreateVector(VT_BSTR, 0, 2);
        if (!names)
            continue;
        BSTR *data = nullptr;
        SafeArrayAccessData(names, reinterpret_cast<void **>(&data));
        data[0] = SysAllocString(u"a.c 1");
        data[1] = SysAllocString(u"a.c 1");
        SafeArrayUnaccessData(names);
        CComVariant array;
        array.vt = VT_ARRAY | VT_BSTR;
        array.parray = names;
        in[2].SetValue(array);
        StoreBreakpoints(server, &in);
    }
    // The position dialog's history, which stands at the root beside the settings.
    Profile::CStgProfile profile(root);
    CHistory history("PosHistory");
    history.Load(profile);
    history.Add("main");
    history.Save(profile);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static ScratchFile scratch;
    static const unsigned char magic[] = {0x89, 'Q', 'S', 'T', 'G', 0x0D, 0x0A, 0x1A};
    if (scratch.fd < 0 || size < kHeaderSize)
        return 0;
    std::vector<unsigned char> sealed(data, data + size);
    std::memcpy(sealed.data(), magic, sizeof magic);
    size_t body = size - kHeaderSize;
    Put32(&sealed[8], 1);
    Put32(&sealed[12], static_cast<uint32_t>(body));
    Put32(&sealed[16], Crc32(sealed.data() + kHeaderSize, body));
    Put32(&sealed[20], Crc32(sealed.data(), 20));
    if (ftruncate(scratch.fd, 0) != 0 ||
        pwrite(scratch.fd, sealed.data(), sealed.size(), 0) != static_cast<ssize_t>(sealed.size()))
        return 0;
    CComBSTR name(scratch.path.c_str());
    IStorage *root = nullptr;
    if (FAILED(StgOpenStorage(name, nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, nullptr, 0, &root)))
        return 0;
    RunRoutines(root);
    root->Release();
    return 0;
}
