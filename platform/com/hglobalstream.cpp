// Streams in memory of their own (CreateStreamOnHGlobal).
#include "hglobalstream.h"

#include "internal/liveobject.h"
#include "internal/stgobjects.h"
#include "internal/streambytes.h"

#include <atomic>
#include <mutex>
#include <new>

namespace qelcom {

namespace {

class MemoryStream final : public IStream, LiveObject {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_ISequentialStream || riid == IID_IStream) {
            *ppv = static_cast<IStream *>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG count = --refs_;
        if (count == 0)
            delete this;
        return count;
    }

    STDMETHODIMP Read(void *pv, ULONG cb, ULONG *pcbRead) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return ReadStreamBytes(data_, position_, pv, cb, pcbRead);
    }
    STDMETHODIMP Write(const void *pv, ULONG cb, ULONG *pcbWritten) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return WriteStreamBytes(data_, position_, pv, cb, pcbWritten, kMaxDocumentBytes);
    }
    STDMETHODIMP Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER *plibNewPosition) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return SeekStreamBytes(data_.size(), position_, dlibMove, dwOrigin, plibNewPosition);
    }
    STDMETHODIMP SetSize(ULARGE_INTEGER libNewSize) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return ResizeStreamBytes(data_, libNewSize.QuadPart, kMaxDocumentBytes);
    }
    STDMETHODIMP CopyTo(IStream *, ULARGE_INTEGER, ULARGE_INTEGER *, ULARGE_INTEGER *) override { return E_NOTIMPL; }
    STDMETHODIMP Commit(DWORD) override { return S_OK; }
    STDMETHODIMP Revert() override { return S_OK; }
    STDMETHODIMP LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    STDMETHODIMP UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    STDMETHODIMP Stat(STATSTG *pstatstg, DWORD grfStatFlag) override
    {
        if (!pstatstg)
            return STG_E_INVALIDPOINTER;
        if (grfStatFlag != STATFLAG_DEFAULT && grfStatFlag != STATFLAG_NONAME)
            return STG_E_INVALIDFLAG;
        std::lock_guard<std::mutex> lock(mutex_);
        return FillStat(pstatstg, nullptr, STGTY_STREAM, data_.size(), STGM_READWRITE);
    }
    STDMETHODIMP Clone(IStream **ppstm) override
    {
        if (ppstm)
            *ppstm = nullptr;
        return E_NOTIMPL;
    }

private:
    std::atomic<ULONG> refs_{1};
    std::mutex mutex_;
    StreamBytes data_;
    uint64_t position_ = 0;
};

} // namespace

} // namespace qelcom

STDAPI CreateStreamOnHGlobal(HGLOBAL hGlobal, BOOL, LPSTREAM *ppstm)
{
    if (!ppstm)
        return E_INVALIDARG;
    *ppstm = nullptr;
    if (hGlobal != nullptr)
        return E_INVALIDARG;
    *ppstm = new (std::nothrow) qelcom::MemoryStream;
    return *ppstm ? S_OK : E_OUTOFMEMORY;
}
