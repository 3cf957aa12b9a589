#include "ole2.h"
#include "testing/countedobject.h"

#include <gtest/gtest.h>

namespace {

TEST(FreeThreadedMarshaler, IsAnInnerObjectThatOffersNoMarshalling)
{
    CountedObject outer;
    IUnknown *marshaler = nullptr;
    ASSERT_EQ(CoCreateFreeThreadedMarshaler(&outer, &marshaler), S_OK);
    ASSERT_NE(marshaler, nullptr);
    void *marshal = reinterpret_cast<void *>(1);
    EXPECT_EQ(marshaler->QueryInterface(IID_IMarshal, &marshal), E_NOINTERFACE);
    EXPECT_EQ(marshal, nullptr);
    IUnknown *self = nullptr;
    ASSERT_EQ(marshaler->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&self)), S_OK);
    EXPECT_EQ(self, marshaler);
    EXPECT_EQ(self->Release(), 1u);
    EXPECT_EQ(marshaler->Release(), 0u);
    EXPECT_EQ(outer.References(), 1u);
    EXPECT_EQ(CoCreateFreeThreadedMarshaler(&outer, nullptr), E_INVALIDARG);
}

} // namespace
