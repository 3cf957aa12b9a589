#include "ftmarshal.h"

#include <atomic>
#include <new>

namespace {

// The marshaler's inner IUnknown. Since it offers no interface of its own beyond
// IUnknown, it never has to delegate to the outer object, and it keeps no pointer to it.
class FreeThreadedMarshaler final : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void **ppvObject) override
    {
        if (!ppvObject)
            return E_POINTER;
        if (riid != IID_IUnknown) {
            *ppvObject = nullptr;
            return E_NOINTERFACE;
        }
        *ppvObject = this;
        AddRef();
        return S_OK;
    }

    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }

    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

private:
    std::atomic<ULONG> references_{1};
};

} // namespace

STDAPI CoCreateFreeThreadedMarshaler(LPUNKNOWN, LPUNKNOWN *ppunkMarshal)
{
    if (!ppunkMarshal)
        return E_INVALIDARG;
    *ppunkMarshal = new (std::nothrow) FreeThreadedMarshaler;
    return *ppunkMarshal ? S_OK : E_OUTOFMEMORY;
}
