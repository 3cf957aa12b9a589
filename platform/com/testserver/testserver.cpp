// A small in-process server for the tests of the class table and of library loading.
// It is built and linked as the system's servers are, and serves CLSID_TestCounter.
#include "testcounter.h"

#include <atomic>
#include <new>

namespace {

// Objects alive and server locks held: DllCanUnloadNow answers S_OK only at zero.
std::atomic<LONG> liveObjects{0};
std::atomic<LONG> serverLocks{0};
// Counts since the library was loaded, so a test sees whether it was loaded afresh.
std::atomic<LONG> instancesMade{0};

class Counter final : public ITestCounter {
public:
    Counter() { liveObjects++; }
    ~Counter() { liveObjects--; }

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (riid != IID_IUnknown && riid != IID_ITestCounter) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = static_cast<ITestCounter *>(this);
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

    STDMETHODIMP Increment(LONG *count) override
    {
        if (!count)
            return E_POINTER;
        *count = ++count_;
        return S_OK;
    }
    STDMETHODIMP GetName(BSTR *name) override
    {
        if (!name)
            return E_POINTER;
        *name = SysAllocString(u"TestCounter");
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP GetInstancesMade(LONG *count) override
    {
        if (!count)
            return E_POINTER;
        *count = instancesMade.load();
        return S_OK;
    }

private:
    std::atomic<ULONG> references_{1};
    LONG count_ = 0;
};

// The factory is static: it lives as long as the library and does not keep it loaded.
class Factory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (riid != IID_IUnknown && riid != IID_IClassFactory) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = static_cast<IClassFactory *>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP CreateInstance(IUnknown *outer, REFIID riid, void **ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        Counter *counter = new (std::nothrow) Counter;
        if (!counter)
            return E_OUTOFMEMORY;
        instancesMade++;
        HRESULT hr = counter->QueryInterface(riid, ppv);
        counter->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL lock) override
    {
        serverLocks += lock ? 1 : -1;
        return S_OK;
    }
};

Factory factory;

} // namespace

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID *ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (rclsid != CLSID_TestCounter)
        return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(riid, ppv);
}

STDAPI DllCanUnloadNow()
{
    return liveObjects == 0 && serverLocks == 0 ? S_OK : S_FALSE;
}
