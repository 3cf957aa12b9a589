#include "ole2.h"
#include "testing/countedobject.h"

#include <gtest/gtest.h>

namespace {

// Host interfaces are known by identifier and slot only, so a caller may reach a method
// through its slot: IUnknown's take 0 to 2 and IDispatch's 3 to 6, with no slot for a
// destructor.
TEST(InterfaceLayout, VirtualFunctionsStandInSlotOrder)
{
    CountedObject object;
    IDispatch *dispatch = &object;
    void **slots = *reinterpret_cast<void ***>(dispatch);

    using AddRefSlot = ULONG (*)(IDispatch *);
    EXPECT_EQ(reinterpret_cast<AddRefSlot>(slots[1])(dispatch), 2u);
    using ReleaseSlot = ULONG (*)(IDispatch *);
    EXPECT_EQ(reinterpret_cast<ReleaseSlot>(slots[2])(dispatch), 1u);

    using GetTypeInfoCountSlot = HRESULT (*)(IDispatch *, UINT *);
    UINT count = 7;
    EXPECT_EQ(reinterpret_cast<GetTypeInfoCountSlot>(slots[3])(dispatch, &count), S_OK);
    EXPECT_EQ(count, 0u);

    using InvokeSlot = HRESULT (*)(IDispatch *, DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *, UINT *);
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(reinterpret_cast<InvokeSlot>(slots[6])(dispatch, DISPID_VALUE, IID_NULL, 0x400, DISPATCH_METHOD, &none,
                                                     nullptr, nullptr, nullptr),
              E_NOTIMPL);
}

} // namespace
