#include "ole2.h"
#include "testing/comallocbalance.h"
#include "testing/countedobject.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class SafeArray : public ComAllocBalance {};

TEST_F(SafeArray, KnowsItsBoundsPerDimension)
{
    SAFEARRAYBOUND bounds[2] = {{3, 1}, {4, -2}};
    SAFEARRAY *psa = SafeArrayCreate(VT_I4, 2, bounds);
    ASSERT_NE(psa, nullptr);
    EXPECT_EQ(SafeArrayGetDim(psa), 2u);
    LONG bound;
    ASSERT_EQ(SafeArrayGetLBound(psa, 1, &bound), S_OK);
    EXPECT_EQ(bound, 1);
    ASSERT_EQ(SafeArrayGetUBound(psa, 1, &bound), S_OK);
    EXPECT_EQ(bound, 3);
    ASSERT_EQ(SafeArrayGetLBound(psa, 2, &bound), S_OK);
    EXPECT_EQ(bound, -2);
    ASSERT_EQ(SafeArrayGetUBound(psa, 2, &bound), S_OK);
    EXPECT_EQ(bound, 1);
    EXPECT_EQ(SafeArrayGetUBound(psa, 0, &bound), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayGetLBound(psa, 3, &bound), DISP_E_BADINDEX);
    // The descriptor keeps the bounds in reverse: the last dimension first.
    EXPECT_EQ(psa->rgsabound[0].cElements, 4u);
    EXPECT_EQ(psa->rgsabound[1].cElements, 3u);
    EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
}

TEST_F(SafeArray, AnEmptyVectorHasUpperBoundBelowItsLowerBound)
{
    SAFEARRAY *psa = SafeArrayCreateVector(VT_BSTR, 0, 0);
    ASSERT_NE(psa, nullptr);
    LONG upper;
    ASSERT_EQ(SafeArrayGetUBound(psa, 1, &upper), S_OK);
    EXPECT_EQ(upper, -1);
    void *data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(psa, &data), S_OK);
    EXPECT_NE(data, nullptr);
    SafeArrayUnaccessData(psa);
    SafeArrayDestroy(psa);
}

TEST_F(SafeArray, ElementSizeAndTypeFollowTheElementType)
{
    struct {
        VARTYPE vt;
        UINT size;
    } cases[] = {{VT_UI1, 1}, {VT_I2, 2}, {VT_BOOL, 2}, {VT_I4, 4}, {VT_UI4, 4}, {VT_R4, 4}, {VT_R8, 8},
                 {VT_I8, 8}, {VT_BSTR, sizeof(BSTR)}, {VT_UNKNOWN, sizeof(void *)}, {VT_VARIANT, sizeof(VARIANT)}};
    for (auto c : cases) {
        SAFEARRAY *psa = SafeArrayCreateVector(c.vt, 0, 1);
        ASSERT_NE(psa, nullptr) << c.vt;
        EXPECT_EQ(SafeArrayGetElemsize(psa), c.size);
        VARTYPE vt = 0;
        ASSERT_EQ(SafeArrayGetVartype(psa, &vt), S_OK);
        EXPECT_EQ(vt, c.vt);
        SafeArrayDestroy(psa);
    }
}

TEST_F(SafeArray, RefusesTypesThatCannotBeElementsAndImpossibleSizes)
{
    SAFEARRAYBOUND bound = {1, 0};
    EXPECT_EQ(SafeArrayCreate(VT_EMPTY, 1, &bound), nullptr);
    EXPECT_EQ(SafeArrayCreate(VT_NULL, 1, &bound), nullptr);
    EXPECT_EQ(SafeArrayCreate(VT_I4 | VT_BYREF, 1, &bound), nullptr);
    EXPECT_EQ(SafeArrayCreate(VT_I4, 0, &bound), nullptr);
    EXPECT_EQ(SafeArrayCreate(VT_I4, 1, nullptr), nullptr);
    EXPECT_EQ(SafeArrayCreateVector(VT_R8, 0, 0xFFFFFFFFu), nullptr);
    SAFEARRAYBOUND huge[2] = {{0x10000, 0}, {0x10000, 0}};
    EXPECT_EQ(SafeArrayCreate(VT_I4, 2, huge), nullptr);
    // The upper bound would not fit a LONG.
    EXPECT_EQ(SafeArrayCreateVector(VT_UI1, 0x7FFFFFFF, 2), nullptr);
}

// Dimension 1 is the leftmost as created, and its index varies fastest in memory: a
// (3, 2) array of strings holds each group of three next to each other.
TEST_F(SafeArray, LeftmostIndexVariesFastestInMemory)
{
    SAFEARRAYBOUND bounds[2] = {{3, 0}, {2, 0}};
    SAFEARRAY *psa = SafeArrayCreate(VT_I4, 2, bounds);
    for (LONG j = 0; j < 2; j++) {
        for (LONG i = 0; i < 3; i++) {
            LONG index[2] = {i, j};
            LONG value = 10 * j + i;
            ASSERT_EQ(SafeArrayPutElement(psa, index, &value), S_OK);
        }
    }
    LONG *data;
    ASSERT_EQ(SafeArrayAccessData(psa, reinterpret_cast<void **>(&data)), S_OK);
    const LONG expected[6] = {0, 1, 2, 10, 11, 12};
    for (int k = 0; k < 6; k++)
        EXPECT_EQ(data[k], expected[k]) << k;
    SafeArrayUnaccessData(psa);
    SafeArrayDestroy(psa);
}

TEST_F(SafeArray, LowerBoundsShiftTheIndices)
{
    SAFEARRAYBOUND bounds[2] = {{2, 5}, {2, -1}};
    SAFEARRAY *psa = SafeArrayCreate(VT_I2, 2, bounds);
    LONG index[2] = {6, 0};
    SHORT value = 99;
    ASSERT_EQ(SafeArrayPutElement(psa, index, &value), S_OK);
    // (6 - 5) + 2 * (0 - -1) = element 3.
    EXPECT_EQ(static_cast<SHORT *>(psa->pvData)[3], 99);
    SafeArrayDestroy(psa);
}

TEST_F(SafeArray, IndicesOutsideTheBoundsAreRefused)
{
    SAFEARRAY *psa = SafeArrayCreateVector(VT_I4, 1, 2);
    LONG value = 1;
    for (LONG bad : {0, 3, -1, 0x7FFFFFFF}) {
        LONG index = bad;
        EXPECT_EQ(SafeArrayPutElement(psa, &index, &value), DISP_E_BADINDEX) << bad;
        EXPECT_EQ(SafeArrayGetElement(psa, &index, &value), DISP_E_BADINDEX) << bad;
    }
    SafeArrayDestroy(psa);
}

TEST_F(SafeArray, StringElementsAreCopiedInAndOutAndFreedWithTheArray)
{
    SAFEARRAY *psa = SafeArrayCreateVector(VT_BSTR, 0, 2);
    BSTR text = SysAllocString(u"name");
    LONG index = 1;
    ASSERT_EQ(SafeArrayPutElement(psa, &index, text), S_OK);
    EXPECT_NE(static_cast<BSTR *>(psa->pvData)[1], text);
    SysFreeString(text);

    BSTR read = nullptr;
    ASSERT_EQ(SafeArrayGetElement(psa, &index, &read), S_OK);
    EXPECT_EQ(std::u16string(read), u"name");
    EXPECT_NE(read, static_cast<BSTR *>(psa->pvData)[1]);
    SysFreeString(read);

    // Overwriting frees the old element.
    BSTR other = SysAllocString(u"other");
    ASSERT_EQ(SafeArrayPutElement(psa, &index, other), S_OK);
    SysFreeString(other);
    EXPECT_EQ(QelGetComAllocCounts().bstrs, Before().bstrs + 1);
    EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
}

TEST_F(SafeArray, VariantElementsAreCopiedDeeply)
{
    SAFEARRAY *psa = SafeArrayCreateVector(VT_VARIANT, 0, 1);
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(u"deep");
    LONG index = 0;
    ASSERT_EQ(SafeArrayPutElement(psa, &index, &value), S_OK);
    VariantClear(&value);
    VARIANT read;
    ASSERT_EQ(SafeArrayGetElement(psa, &index, &read), S_OK);
    EXPECT_EQ(read.vt, VT_BSTR);
    EXPECT_EQ(std::u16string(read.bstrVal), u"deep");
    VariantClear(&read);
    SafeArrayDestroy(psa);
}

TEST_F(SafeArray, InterfaceElementsHoldAReference)
{
    CountedObject first;
    CountedObject second;
    SAFEARRAY *psa = SafeArrayCreateVector(VT_UNKNOWN, 0, 1);
    LONG index = 0;
    ASSERT_EQ(SafeArrayPutElement(psa, &index, static_cast<IUnknown *>(&first)), S_OK);
    EXPECT_EQ(first.References(), 2u);
    IUnknown *read = nullptr;
    ASSERT_EQ(SafeArrayGetElement(psa, &index, &read), S_OK);
    EXPECT_EQ(read, static_cast<IUnknown *>(&first));
    EXPECT_EQ(first.References(), 3u);
    read->Release();
    ASSERT_EQ(SafeArrayPutElement(psa, &index, static_cast<IUnknown *>(&second)), S_OK);
    EXPECT_EQ(first.References(), 1u);
    EXPECT_EQ(second.References(), 2u);
    SafeArrayDestroy(psa);
    EXPECT_EQ(second.References(), 1u);
}

TEST_F(SafeArray, RedimGrowsWithZeroedElementsAndKeepsTheOldOnes)
{
    SAFEARRAY *psa = SafeArrayCreateVector(VT_I4, 0, 2);
    LONG index = 1;
    LONG value = 7;
    SafeArrayPutElement(psa, &index, &value);
    SAFEARRAYBOUND larger = {5, 0};
    ASSERT_EQ(SafeArrayRedim(psa, &larger), S_OK);
    LONG upper;
    SafeArrayGetUBound(psa, 1, &upper);
    EXPECT_EQ(upper, 4);
    const LONG *data = static_cast<const LONG *>(psa->pvData);
    EXPECT_EQ(data[1], 7);
    EXPECT_EQ(data[4], 0);
    SafeArrayDestroy(psa);
}

TEST_F(SafeArray, RedimShrinkingFreesTheElementsCut)
{
    SAFEARRAY *psa = SafeArrayCreateVector(VT_BSTR, 0, 3);
    for (LONG i = 0; i < 3; i++) {
        BSTR text = SysAllocString(u"x");
        SafeArrayPutElement(psa, &i, text);
        SysFreeString(text);
    }
    SAFEARRAYBOUND smaller = {1, 0};
    ASSERT_EQ(SafeArrayRedim(psa, &smaller), S_OK);
    EXPECT_EQ(QelGetComAllocCounts().bstrs, Before().bstrs + 1);
    SAFEARRAYBOUND none = {0, 0};
    ASSERT_EQ(SafeArrayRedim(psa, &none), S_OK);
    EXPECT_EQ(QelGetComAllocCounts().bstrs, Before().bstrs);
    SafeArrayDestroy(psa);
}

TEST_F(SafeArray, RedimChangesTheRightmostDimension)
{
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
    SAFEARRAY *psa = SafeArrayCreate(VT_I4, 2, bounds);
    LONG index[2] = {1, 1};
    LONG value = 5;
    SafeArrayPutElement(psa, index, &value);
    SAFEARRAYBOUND more = {3, 1};
    ASSERT_EQ(SafeArrayRedim(psa, &more), S_OK);
    LONG bound;
    SafeArrayGetUBound(psa, 1, &bound);
    EXPECT_EQ(bound, 1);
    SafeArrayGetLBound(psa, 2, &bound);
    EXPECT_EQ(bound, 1);
    SafeArrayGetUBound(psa, 2, &bound);
    EXPECT_EQ(bound, 3);
    // The data stay where they were; the old index (1, 1) is now (1, 2).
    LONG moved[2] = {1, 2};
    LONG read = 0;
    ASSERT_EQ(SafeArrayGetElement(psa, moved, &read), S_OK);
    EXPECT_EQ(read, 5);
    SafeArrayDestroy(psa);
}

TEST_F(SafeArray, AnAccessedArrayCannotBeDestroyedOrResized)
{
    SAFEARRAY *psa = SafeArrayCreateVector(VT_I4, 0, 1);
    void *data;
    ASSERT_EQ(SafeArrayAccessData(psa, &data), S_OK);
    EXPECT_EQ(data, psa->pvData);
    EXPECT_EQ(psa->cLocks, 1u);
    EXPECT_EQ(SafeArrayDestroy(psa), DISP_E_ARRAYISLOCKED);
    SAFEARRAYBOUND bound = {2, 0};
    EXPECT_EQ(SafeArrayRedim(psa, &bound), DISP_E_ARRAYISLOCKED);
    ASSERT_EQ(SafeArrayUnaccessData(psa), S_OK);
    EXPECT_EQ(SafeArrayUnaccessData(psa), E_UNEXPECTED);
    EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
}

TEST_F(SafeArray, DestroyingTwiceIsRefusedAndCounted)
{
    SAFEARRAY *psa = SafeArrayCreateVector(VT_I4, 0, 1);
    EXPECT_EQ(QelGetComAllocCounts().safeArrays, Before().safeArrays + 1);
    EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
    EXPECT_EQ(SafeArrayDestroy(psa), E_INVALIDARG);
    EXPECT_EQ(SafeArrayDestroy(nullptr), S_OK);
    ExpectInvalidFrees(1);
}

TEST_F(SafeArray, CopyIsDeep)
{
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {1, 3}};
    SAFEARRAY *psa = SafeArrayCreate(VT_BSTR, 2, bounds);
    LONG index[2] = {1, 3};
    BSTR text = SysAllocString(u"copied");
    SafeArrayPutElement(psa, index, text);
    SysFreeString(text);
    SAFEARRAY *copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(psa, &copy), S_OK);
    SafeArrayDestroy(psa);
    EXPECT_EQ(SafeArrayGetDim(copy), 2u);
    LONG lower;
    SafeArrayGetLBound(copy, 2, &lower);
    EXPECT_EQ(lower, 3);
    BSTR read = nullptr;
    ASSERT_EQ(SafeArrayGetElement(copy, index, &read), S_OK);
    EXPECT_EQ(std::u16string(read), u"copied");
    SysFreeString(read);
    SafeArrayDestroy(copy);

    ASSERT_EQ(SafeArrayCopy(nullptr, &copy), S_OK);
    EXPECT_EQ(copy, nullptr);
}

} // namespace
