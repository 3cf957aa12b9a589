// The stream object: one open stream element of a tree.
#include "internal/liveobject.h"
#include "internal/stgobjects.h"
#include "internal/streambytes.h"

#include <atomic>
#include <new>

namespace qelcom {

namespace {

class StreamObject final : public IStream, StgElement, LiveObject {
public:
    StreamObject(const std::shared_ptr<StgDocument> &doc, StgNode *node, DWORD mode) : StgElement(doc, node, mode, 0)
    {
    }

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
        if (count == 0) {
            {
                std::lock_guard<std::mutex> lock(doc->mutex);
                if (node)
                    node->open = nullptr;
            }
            delete this;
        }
        return count;
    }

    STDMETHODIMP Read(void *pv, ULONG cb, ULONG *pcbRead) override
    {
        std::lock_guard<std::mutex> lock(doc->mutex);
        if (!node) {
            if (pcbRead)
                *pcbRead = 0;
            return STG_E_REVERTED;
        }
        return ReadStreamBytes(node->data, position_, pv, cb, pcbRead);
    }

    STDMETHODIMP Write(const void *pv, ULONG cb, ULONG *pcbWritten) override
    {
        if (pcbWritten)
            *pcbWritten = 0;
        std::lock_guard<std::mutex> lock(doc->mutex);
        if (!node)
            return STG_E_REVERTED;
        if (!Writable())
            return STG_E_ACCESSDENIED;
        uint64_t before = node->data.size();
        HRESULT hr = WriteStreamBytes(node->data, position_, pv, cb, pcbWritten, GrowthLimit());
        Account(before);
        if (SUCCEEDED(hr) && cb != 0)
            doc->dirty = true;
        return hr;
    }

    STDMETHODIMP Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER *plibNewPosition) override
    {
        std::lock_guard<std::mutex> lock(doc->mutex);
        if (!node)
            return STG_E_REVERTED;
        return SeekStreamBytes(node->data.size(), position_, dlibMove, dwOrigin, plibNewPosition);
    }

    STDMETHODIMP SetSize(ULARGE_INTEGER libNewSize) override
    {
        std::lock_guard<std::mutex> lock(doc->mutex);
        if (!node)
            return STG_E_REVERTED;
        if (!Writable())
            return STG_E_ACCESSDENIED;
        uint64_t before = node->data.size();
        HRESULT hr = ResizeStreamBytes(node->data, libNewSize.QuadPart, GrowthLimit());
        Account(before);
        return hr;
    }

    STDMETHODIMP CopyTo(IStream *, ULARGE_INTEGER, ULARGE_INTEGER *, ULARGE_INTEGER *) override { return E_NOTIMPL; }

    STDMETHODIMP Commit(DWORD) override { return Unreverted(); }
    STDMETHODIMP Revert() override { return Unreverted(); }
    STDMETHODIMP LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    STDMETHODIMP UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }

    STDMETHODIMP Stat(STATSTG *pstatstg, DWORD grfStatFlag) override
    {
        if (!pstatstg)
            return STG_E_INVALIDPOINTER;
        if (grfStatFlag != STATFLAG_DEFAULT && grfStatFlag != STATFLAG_NONAME)
            return STG_E_INVALIDFLAG;
        std::lock_guard<std::mutex> lock(doc->mutex);
        if (!node)
            return STG_E_REVERTED;
        return FillStat(pstatstg, grfStatFlag == STATFLAG_DEFAULT ? &node->name : nullptr, STGTY_STREAM,
                        node->data.size(), mode);
    }

    STDMETHODIMP Clone(IStream **ppstm) override
    {
        if (ppstm)
            *ppstm = nullptr;
        return E_NOTIMPL;
    }

private:
    HRESULT Unreverted()
    {
        std::lock_guard<std::mutex> lock(doc->mutex);
        return node ? S_OK : STG_E_REVERTED;
    }

    // How large this stream may grow: all streams of the tree stay within
    // kMaxDocumentBytes, so that whatever is written can also be read back.
    uint64_t GrowthLimit() const { return node->data.size() + (kMaxDocumentBytes - doc->dataBytes); }

    void Account(uint64_t sizeBefore)
    {
        uint64_t after = node->data.size();
        if (after != sizeBefore) {
            doc->dataBytes = doc->dataBytes - sizeBefore + after;
            doc->dirty = true;
        }
    }

    std::atomic<ULONG> refs_{1};
    uint64_t position_ = 0;
};

} // namespace

HRESULT MakeStreamObject(const std::shared_ptr<StgDocument> &doc, StgNode *node, DWORD mode, IStream **out)
{
    *out = new (std::nothrow) StreamObject(doc, node, mode);
    return *out ? S_OK : STG_E_INSUFFICIENTMEMORY;
}

} // namespace qelcom
