#include "atlbase.h"

#include <gtest/gtest.h>

namespace {

// An IUnknown that only counts, so that the smart pointers' reference traffic is visible.
class CountedUnknown : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void **ppv) override
    {
        if (iid == IID_IUnknown) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs); }
    LONG refs = 0;
};

TEST(ComPtr, HoldsOneReferenceForEachCopy)
{
    CountedUnknown object;
    {
        CComPtr<IUnknown> a(&object);
        EXPECT_EQ(object.refs, 1);
        CComPtr<IUnknown> b = a;
        EXPECT_EQ(object.refs, 2);
        CComPtr<IUnknown> c = std::move(b);
        EXPECT_EQ(object.refs, 2);
        EXPECT_EQ(b.p, nullptr);
    }
    EXPECT_EQ(object.refs, 0);
}

TEST(ComPtr, SelfAssignmentKeepsTheReference)
{
    CountedUnknown object;
    CComPtr<IUnknown> a(&object);
    a = a.p;
    EXPECT_EQ(object.refs, 1);
    EXPECT_EQ(a.p, &object);
}

TEST(ComPtr, AttachAndDetachMoveOwnershipWithoutCounting)
{
    CountedUnknown object;
    object.AddRef();
    CComPtr<IUnknown> a;
    a.Attach(&object);
    EXPECT_EQ(object.refs, 1);
    IUnknown *raw = a.Detach();
    EXPECT_EQ(raw, &object);
    EXPECT_EQ(object.refs, 1);
    raw->Release();
}

TEST(ComPtr, AddressOfReleasesWhatItHeld)
{
    CountedUnknown first, second;
    CComPtr<IUnknown> a(&first);
    IUnknown **out = &a;
    EXPECT_EQ(first.refs, 0);
    second.QueryInterface(IID_IUnknown, reinterpret_cast<void **>(out));
    EXPECT_EQ(a.p, &second);
}

TEST(ComPtr, QIPtrIsEmptyWhenTheInterfaceIsMissing)
{
    CountedUnknown object;
    CComQIPtr<IClassFactory> factory(static_cast<IUnknown *>(&object));
    EXPECT_TRUE(!factory);
    EXPECT_EQ(object.refs, 0);
}

TEST(ComPtr, CopyToGivesTheCallerItsOwnReference)
{
    CountedUnknown object;
    CComPtr<IUnknown> a(&object);
    IUnknown *copy = nullptr;
    EXPECT_EQ(a.CopyTo(&copy), S_OK);
    EXPECT_EQ(object.refs, 2);
    copy->Release();
    EXPECT_EQ(a.CopyTo(nullptr), E_POINTER);
}

} // namespace
