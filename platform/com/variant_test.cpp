#include "ole2.h"
#include "testing/comallocbalance.h"
#include "testing/countedobject.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class Variant : public ComAllocBalance {};

VARIANT BstrVariant(const char16_t *text, UINT length)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocStringLen(text, length);
    return v;
}

TEST_F(Variant, UnionMembersAndMacrosNameTheSameValue)
{
    VARIANT v;
    VariantInit(&v);
    EXPECT_EQ(V_VT(&v), VT_EMPTY);
    v.vt = VT_I4;
    v.lVal = -5;
    EXPECT_EQ(V_I4(&v), -5);
    V_UI4(&v) = 0xFFFFFFFEu;
    EXPECT_EQ(v.lVal, -2);
    v.boolVal = VARIANT_TRUE;
    EXPECT_EQ(V_BOOL(&v), -1);
    EXPECT_EQ(sizeof(VARIANT), 24u);
}

TEST_F(Variant, ClearFreesTheBstr)
{
    VARIANT v = BstrVariant(u"text", 4);
    EXPECT_EQ(QelGetComAllocCounts().bstrs, Before().bstrs + 1);
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(v.vt, VT_EMPTY);
}

TEST_F(Variant, ClearReleasesTheInterface)
{
    CountedObject object;
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = &object;
    object.AddRef();
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(object.References(), 1u);
    v.vt = VT_UNKNOWN;
    v.punkVal = nullptr;
    EXPECT_EQ(VariantClear(&v), S_OK);
}

TEST_F(Variant, ClearDestroysTheArrayWithItsElements)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_ARRAY | VT_BSTR;
    v.parray = SafeArrayCreateVector(VT_BSTR, 0, 2);
    LONG index = 1;
    BSTR text = SysAllocString(u"element");
    SafeArrayPutElement(v.parray, &index, text);
    SysFreeString(text);
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(v.vt, VT_EMPTY);
}

TEST_F(Variant, ClearLeavesWhatAReferencePointsTo)
{
    BSTR text = SysAllocString(u"owned elsewhere");
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BYREF | VT_BSTR;
    v.pbstrVal = &text;
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(v.vt, VT_EMPTY);
    EXPECT_EQ(std::u16string(text), u"owned elsewhere");
    SysFreeString(text);
}

TEST_F(Variant, ClearRefusesATypeWordThatMeansNothing)
{
    VARIANT v;
    VariantInit(&v);
    const VARTYPE bad[] = {15, VT_VARIANT, VT_BYREF | VT_EMPTY, VT_ARRAY | VT_NULL, 0x0FFF, 0x8003};
    for (VARTYPE vt : bad) {
        v.vt = vt;
        EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE) << vt;
        EXPECT_EQ(v.vt, vt);
    }
}

TEST_F(Variant, ClearOfALockedArrayFailsAndKeepsIt)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_ARRAY | VT_I4;
    v.parray = SafeArrayCreateVector(VT_I4, 0, 1);
    void *data;
    SafeArrayAccessData(v.parray, &data);
    EXPECT_EQ(VariantClear(&v), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(v.vt, VT_ARRAY | VT_I4);
    SafeArrayUnaccessData(v.parray);
    EXPECT_EQ(VariantClear(&v), S_OK);
}

TEST_F(Variant, CopyDuplicatesTheBstrWithItsZeros)
{
    const char16_t chars[] = {u'x', 0, u'y'};
    VARIANT src = BstrVariant(chars, 3);
    VARIANT dst;
    VariantInit(&dst);
    ASSERT_EQ(VariantCopy(&dst, &src), S_OK);
    EXPECT_EQ(dst.vt, VT_BSTR);
    EXPECT_NE(dst.bstrVal, src.bstrVal);
    ASSERT_EQ(SysStringLen(dst.bstrVal), 3u);
    EXPECT_EQ(std::memcmp(dst.bstrVal, chars, sizeof chars), 0);
    VariantClear(&src);
    EXPECT_EQ(dst.bstrVal[2], u'y');
    VariantClear(&dst);
}

TEST_F(Variant, CopyDuplicatesTheArray)
{
    VARIANT src;
    VariantInit(&src);
    src.vt = VT_ARRAY | VT_VARIANT;
    src.parray = SafeArrayCreateVector(VT_VARIANT, 0, 1);
    VARIANT element = BstrVariant(u"inner", 5);
    LONG index = 0;
    SafeArrayPutElement(src.parray, &index, &element);
    VariantClear(&element);

    VARIANT dst;
    VariantInit(&dst);
    ASSERT_EQ(VariantCopy(&dst, &src), S_OK);
    EXPECT_NE(dst.parray, src.parray);
    VariantClear(&src);
    VARIANT read;
    ASSERT_EQ(SafeArrayGetElement(dst.parray, &index, &read), S_OK);
    EXPECT_EQ(std::u16string(read.bstrVal), u"inner");
    VariantClear(&read);
    VariantClear(&dst);
}

TEST_F(Variant, CopyAddsAReferenceToTheInterface)
{
    CountedObject object;
    VARIANT src;
    VariantInit(&src);
    src.vt = VT_UNKNOWN;
    src.punkVal = &object;
    VARIANT dst;
    VariantInit(&dst);
    ASSERT_EQ(VariantCopy(&dst, &src), S_OK);
    EXPECT_EQ(object.References(), 2u);
    VariantClear(&dst);
    EXPECT_EQ(object.References(), 1u);
}

TEST_F(Variant, CopyFreesWhatTheDestinationHeld)
{
    VARIANT dst = BstrVariant(u"old", 3);
    VARIANT src;
    VariantInit(&src);
    src.vt = VT_I4;
    src.lVal = 7;
    ASSERT_EQ(VariantCopy(&dst, &src), S_OK);
    EXPECT_EQ(dst.vt, VT_I4);
    EXPECT_EQ(dst.lVal, 7);
    EXPECT_EQ(QelGetComAllocCounts().bstrs, Before().bstrs);
}

TEST_F(Variant, CopyOfAReferenceCopiesThePointer)
{
    LONG value = 3;
    VARIANT src;
    VariantInit(&src);
    src.vt = VT_BYREF | VT_I4;
    src.plVal = &value;
    VARIANT dst;
    VariantInit(&dst);
    ASSERT_EQ(VariantCopy(&dst, &src), S_OK);
    EXPECT_EQ(dst.vt, VT_BYREF | VT_I4);
    EXPECT_EQ(dst.plVal, &value);
}

TEST_F(Variant, CopyOntoItselfChangesNothing)
{
    VARIANT v = BstrVariant(u"same", 4);
    BSTR before = v.bstrVal;
    EXPECT_EQ(VariantCopy(&v, &v), S_OK);
    EXPECT_EQ(v.bstrVal, before);
    VariantClear(&v);
}

TEST_F(Variant, CopyIndFollowsTheReference)
{
    LONG number = 42;
    VARIANT src;
    VariantInit(&src);
    src.vt = VT_BYREF | VT_I4;
    src.plVal = &number;
    VARIANT dst;
    VariantInit(&dst);
    ASSERT_EQ(VariantCopyInd(&dst, &src), S_OK);
    EXPECT_EQ(dst.vt, VT_I4);
    EXPECT_EQ(dst.lVal, 42);

    BSTR text = SysAllocString(u"by reference");
    src.vt = VT_BYREF | VT_BSTR;
    src.pbstrVal = &text;
    ASSERT_EQ(VariantCopyInd(&dst, &src), S_OK);
    EXPECT_EQ(dst.vt, VT_BSTR);
    EXPECT_NE(dst.bstrVal, text);
    EXPECT_EQ(std::u16string(dst.bstrVal), u"by reference");
    VariantClear(&dst);
    SysFreeString(text);
}

TEST_F(Variant, CopyIndFollowsAVariantAndAnArrayReference)
{
    VARIANT inner;
    VariantInit(&inner);
    inner.vt = VT_R8;
    inner.dblVal = 2.5;
    VARIANT src;
    VariantInit(&src);
    src.vt = VT_BYREF | VT_VARIANT;
    src.pvarVal = &inner;
    // In place: the reference becomes the value.
    ASSERT_EQ(VariantCopyInd(&src, &src), S_OK);
    EXPECT_EQ(src.vt, VT_R8);
    EXPECT_EQ(src.dblVal, 2.5);

    SAFEARRAY *array = SafeArrayCreateVector(VT_I4, 0, 3);
    src.vt = VT_BYREF | VT_ARRAY | VT_I4;
    src.pparray = &array;
    VARIANT dst;
    VariantInit(&dst);
    ASSERT_EQ(VariantCopyInd(&dst, &src), S_OK);
    EXPECT_EQ(dst.vt, VT_ARRAY | VT_I4);
    EXPECT_NE(dst.parray, array);
    VariantClear(&dst);
    SafeArrayDestroy(array);
}

TEST_F(Variant, CopyIndRefusesAReferenceToAReference)
{
    LONG number = 1;
    VARIANT inner;
    VariantInit(&inner);
    inner.vt = VT_BYREF | VT_I4;
    inner.plVal = &number;
    VARIANT src;
    VariantInit(&src);
    src.vt = VT_BYREF | VT_VARIANT;
    src.pvarVal = &inner;
    VARIANT dst;
    VariantInit(&dst);
    EXPECT_EQ(VariantCopyInd(&dst, &src), E_INVALIDARG);
    EXPECT_EQ(dst.vt, VT_EMPTY);
}

} // namespace
