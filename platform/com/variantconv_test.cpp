#include "ole2.h"
#include "testing/comallocbalance.h"
#include "testing/countedobject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {

class VariantConversion : public ComAllocBalance {
protected:
    void TearDown() override
    {
        VariantClear(&result_);
        ComAllocBalance::TearDown();
    }

    // Converts `src` into the fixture's result; the result's old value is freed.
    HRESULT Convert(const VARIANT &src, VARTYPE vt, USHORT flags = 0)
    {
        return VariantChangeType(&result_, &src, flags, vt);
    }

    HRESULT FromText(const char16_t *text, VARTYPE vt, USHORT flags = 0)
    {
        VARIANT src = Text(text);
        HRESULT hr = Convert(src, vt, flags);
        VariantClear(&src);
        return hr;
    }

    std::u16string ResultText() const { return std::u16string(result_.bstrVal, SysStringLen(result_.bstrVal)); }

    static VARIANT Text(const char16_t *text)
    {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocString(text);
        return v;
    }

    static VARIANT I4(LONG value)
    {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = value;
        return v;
    }

    static VARIANT R8(double value)
    {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_R8;
        v.dblVal = value;
        return v;
    }

    static VARIANT Bool(VARIANT_BOOL value)
    {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_BOOL;
        v.boolVal = value;
        return v;
    }

    VARIANT result_{};
};

TEST_F(VariantConversion, NumbersBecomeTextInTheCLocale)
{
    ASSERT_EQ(Convert(I4(-1234), VT_BSTR), S_OK);
    EXPECT_EQ(result_.vt, VT_BSTR);
    EXPECT_EQ(ResultText(), u"-1234");
    ASSERT_EQ(Convert(R8(0.1), VT_BSTR), S_OK);
    EXPECT_EQ(ResultText(), u"0.1");
    ASSERT_EQ(Convert(R8(1.0 / 3.0), VT_BSTR), S_OK);
    EXPECT_EQ(ResultText(), u"0.333333333333333");
    ASSERT_EQ(Convert(R8(1e20), VT_BSTR), S_OK);
    EXPECT_EQ(ResultText(), u"1E+20");
    VARIANT single;
    VariantInit(&single);
    single.vt = VT_R4;
    single.fltVal = 1.1f;
    ASSERT_EQ(Convert(single, VT_BSTR), S_OK);
    EXPECT_EQ(ResultText(), u"1.1");
    VARIANT unsignedValue;
    VariantInit(&unsignedValue);
    unsignedValue.vt = VT_UI4;
    unsignedValue.ulVal = 4294967295u;
    ASSERT_EQ(Convert(unsignedValue, VT_BSTR), S_OK);
    EXPECT_EQ(ResultText(), u"4294967295");
}

TEST_F(VariantConversion, TextBecomesNumbers)
{
    ASSERT_EQ(FromText(u"  42 ", VT_I4), S_OK);
    EXPECT_EQ(result_.vt, VT_I4);
    EXPECT_EQ(result_.lVal, 42);
    ASSERT_EQ(FromText(u"+7", VT_I2), S_OK);
    EXPECT_EQ(result_.iVal, 7);
    ASSERT_EQ(FromText(u"-3", VT_I1), S_OK);
    EXPECT_EQ(result_.cVal, -3);
    ASSERT_EQ(FromText(u"1e3", VT_UI4), S_OK);
    EXPECT_EQ(result_.ulVal, 1000u);
    ASSERT_EQ(FromText(u"4294967295", VT_UI4), S_OK);
    EXPECT_EQ(result_.ulVal, 4294967295u);
    ASSERT_EQ(FromText(u"-0.25", VT_R8), S_OK);
    EXPECT_EQ(result_.dblVal, -0.25);
    ASSERT_EQ(FromText(u".5", VT_R4), S_OK);
    EXPECT_EQ(result_.fltVal, 0.5f);
}

TEST_F(VariantConversion, TextThatIsNoNumberIsATypeMismatch)
{
    for (const char16_t *text : {u"", u"   ", u"abc", u"12abc", u"1e", u"--1", u"0x10", u"inf", u"nan", u"1 2",
                                 u"\u00e9"}) {
        EXPECT_EQ(FromText(text, VT_I4), DISP_E_TYPEMISMATCH) << std::u16string(text).size();
        EXPECT_EQ(result_.vt, VT_EMPTY);
    }
}

TEST_F(VariantConversion, FractionsRoundHalfToEven)
{
    ASSERT_EQ(Convert(R8(2.5), VT_I4), S_OK);
    EXPECT_EQ(result_.lVal, 2);
    ASSERT_EQ(Convert(R8(3.5), VT_I4), S_OK);
    EXPECT_EQ(result_.lVal, 4);
    ASSERT_EQ(Convert(R8(-2.5), VT_I4), S_OK);
    EXPECT_EQ(result_.lVal, -2);
    ASSERT_EQ(Convert(R8(2.6), VT_I4), S_OK);
    EXPECT_EQ(result_.lVal, 3);
    ASSERT_EQ(FromText(u"2.5", VT_UI1), S_OK);
    EXPECT_EQ(result_.bVal, 2);
}

TEST_F(VariantConversion, ValuesOutsideTheTargetOverflow)
{
    EXPECT_EQ(Convert(I4(300), VT_UI1), DISP_E_OVERFLOW);
    EXPECT_EQ(Convert(I4(-1), VT_UI4), DISP_E_OVERFLOW);
    EXPECT_EQ(Convert(I4(128), VT_I1), DISP_E_OVERFLOW);
    EXPECT_EQ(Convert(I4(40000), VT_I2), DISP_E_OVERFLOW);
    EXPECT_EQ(Convert(R8(2147483648.0), VT_I4), DISP_E_OVERFLOW);
    EXPECT_EQ(Convert(R8(std::nan("")), VT_I4), DISP_E_OVERFLOW);
    EXPECT_EQ(Convert(R8(1e40), VT_R4), DISP_E_OVERFLOW);
    EXPECT_EQ(FromText(u"99999999999", VT_I4), DISP_E_OVERFLOW);
    EXPECT_EQ(FromText(u"123456789012345678901234567890", VT_UI4), DISP_E_OVERFLOW);
    EXPECT_EQ(FromText(u"1e999", VT_R8), DISP_E_OVERFLOW);
    EXPECT_EQ(result_.vt, VT_EMPTY);
    ASSERT_EQ(Convert(I4(255), VT_UI1), S_OK);
    EXPECT_EQ(result_.bVal, 255);
}

TEST_F(VariantConversion, SixtyFourBitIntegersConvertBothWays)
{
    ASSERT_EQ(Convert(I4(-2), VT_I8), S_OK);
    EXPECT_EQ(result_.llVal, -2);
    ASSERT_EQ(FromText(u"9223372036854775807", VT_I8), S_OK);
    EXPECT_EQ(result_.llVal, INT64_MAX);
    ASSERT_EQ(Convert(R8(4294967296.0), VT_UI8), S_OK);
    EXPECT_EQ(result_.ullVal, 4294967296ull);
    EXPECT_EQ(Convert(I4(-1), VT_UI8), DISP_E_OVERFLOW);
    EXPECT_EQ(Convert(R8(9223372036854775808.0), VT_I8), DISP_E_OVERFLOW);
    VARIANT wide;
    VariantInit(&wide);
    wide.vt = VT_UI8;
    wide.ullVal = ~0ull;
    ASSERT_EQ(Convert(wide, VT_BSTR), S_OK);
    EXPECT_EQ(ResultText(), u"18446744073709551615");
    EXPECT_EQ(Convert(wide, VT_I4), DISP_E_OVERFLOW);
    wide.ullVal = 7;
    ASSERT_EQ(Convert(wide, VT_I4), S_OK);
    EXPECT_EQ(result_.lVal, 7);
}

TEST_F(VariantConversion, BoolBecomesTrueOrFalseOnlyWhenAskedForWords)
{
    ASSERT_EQ(Convert(Bool(VARIANT_TRUE), VT_BSTR, VARIANT_ALPHABOOL), S_OK);
    EXPECT_EQ(ResultText(), u"True");
    ASSERT_EQ(Convert(Bool(VARIANT_FALSE), VT_BSTR, VARIANT_ALPHABOOL), S_OK);
    EXPECT_EQ(ResultText(), u"False");
    ASSERT_EQ(Convert(Bool(VARIANT_TRUE), VT_BSTR), S_OK);
    EXPECT_EQ(ResultText(), u"-1");
    ASSERT_EQ(Convert(Bool(VARIANT_FALSE), VT_BSTR), S_OK);
    EXPECT_EQ(ResultText(), u"0");
    // A VT_BOOL holding 1 (not VARIANT_TRUE) still counts as true.
    ASSERT_EQ(Convert(Bool(1), VT_BSTR, VARIANT_ALPHABOOL), S_OK);
    EXPECT_EQ(ResultText(), u"True");
}

TEST_F(VariantConversion, TextBecomesBoolFromWordsOrNumbers)
{
    for (USHORT flags : {USHORT(0), USHORT(VARIANT_ALPHABOOL)}) {
        ASSERT_EQ(FromText(u"True", VT_BOOL, flags), S_OK);
        EXPECT_EQ(result_.vt, VT_BOOL);
        EXPECT_EQ(result_.boolVal, VARIANT_TRUE);
        ASSERT_EQ(FromText(u" fAlSe ", VT_BOOL, flags), S_OK);
        EXPECT_EQ(result_.boolVal, VARIANT_FALSE);
        ASSERT_EQ(FromText(u"0", VT_BOOL, flags), S_OK);
        EXPECT_EQ(result_.boolVal, VARIANT_FALSE);
        ASSERT_EQ(FromText(u"-5", VT_BOOL, flags), S_OK);
        EXPECT_EQ(result_.boolVal, VARIANT_TRUE);
        EXPECT_EQ(FromText(u"yes", VT_BOOL, flags), DISP_E_TYPEMISMATCH);
    }
}

TEST_F(VariantConversion, TrueIsMinusOneAndKeepsItsBitsInUnsignedTypes)
{
    ASSERT_EQ(Convert(Bool(VARIANT_TRUE), VT_I2), S_OK);
    EXPECT_EQ(result_.iVal, -1);
    ASSERT_EQ(Convert(Bool(VARIANT_TRUE), VT_UI1), S_OK);
    EXPECT_EQ(result_.bVal, 0xFF);
    ASSERT_EQ(Convert(Bool(VARIANT_TRUE), VT_UI4), S_OK);
    EXPECT_EQ(result_.ulVal, 0xFFFFFFFFu);
    ASSERT_EQ(Convert(Bool(VARIANT_TRUE), VT_R8), S_OK);
    EXPECT_EQ(result_.dblVal, -1.0);
    ASSERT_EQ(Convert(I4(2), VT_BOOL), S_OK);
    EXPECT_EQ(result_.boolVal, VARIANT_TRUE);
    ASSERT_EQ(Convert(R8(0.0), VT_BOOL), S_OK);
    EXPECT_EQ(result_.boolVal, VARIANT_FALSE);
}

TEST_F(VariantConversion, EmptyIsZeroEmptyTextOrFalse)
{
    VARIANT empty;
    VariantInit(&empty);
    ASSERT_EQ(Convert(empty, VT_I4), S_OK);
    EXPECT_EQ(result_.vt, VT_I4);
    EXPECT_EQ(result_.lVal, 0);
    ASSERT_EQ(Convert(empty, VT_BSTR), S_OK);
    EXPECT_EQ(result_.vt, VT_BSTR);
    EXPECT_EQ(SysStringLen(result_.bstrVal), 0u);
    ASSERT_EQ(Convert(empty, VT_BOOL), S_OK);
    EXPECT_EQ(result_.boolVal, VARIANT_FALSE);
    ASSERT_EQ(Convert(I4(5), VT_EMPTY), S_OK);
    EXPECT_EQ(result_.vt, VT_EMPTY);
}

TEST_F(VariantConversion, NullConvertsToNoValue)
{
    VARIANT null;
    VariantInit(&null);
    null.vt = VT_NULL;
    EXPECT_EQ(Convert(null, VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Convert(null, VT_BSTR), DISP_E_TYPEMISMATCH);
}

TEST_F(VariantConversion, ConvertsInPlaceFreeingTheOldValue)
{
    VARIANT v = Text(u"17");
    ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_UI2), S_OK);
    EXPECT_EQ(v.vt, VT_UI2);
    EXPECT_EQ(v.uiVal, 17);
    EXPECT_EQ(QelGetComAllocCounts().bstrs, Before().bstrs);
}

TEST_F(VariantConversion, FailureLeavesTheDestinationAsItWas)
{
    VARIANT v = Text(u"not a number");
    BSTR before = v.bstrVal;
    EXPECT_EQ(VariantChangeType(&v, &v, 0, VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(v.vt, VT_BSTR);
    EXPECT_EQ(v.bstrVal, before);
    VariantClear(&v);
}

TEST_F(VariantConversion, FollowsAReferenceSource)
{
    LONG number = 12;
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = VT_BYREF | VT_I4;
    ref.plVal = &number;
    ASSERT_EQ(Convert(ref, VT_BSTR), S_OK);
    EXPECT_EQ(ResultText(), u"12");
    ASSERT_EQ(Convert(ref, VT_I4), S_OK);
    EXPECT_EQ(result_.vt, VT_I4);
    EXPECT_EQ(result_.lVal, 12);
}

TEST_F(VariantConversion, InterfacesAreAskedForTheOtherInterface)
{
    CountedObject object;
    VARIANT unknown;
    VariantInit(&unknown);
    unknown.vt = VT_UNKNOWN;
    unknown.punkVal = &object;
    ASSERT_EQ(Convert(unknown, VT_DISPATCH), S_OK);
    EXPECT_EQ(result_.vt, VT_DISPATCH);
    EXPECT_EQ(result_.pdispVal, static_cast<IDispatch *>(&object));
    EXPECT_EQ(object.References(), 2u);
    VariantClear(&result_);
    EXPECT_EQ(object.References(), 1u);

    CountedObject plain(false);
    unknown.punkVal = &plain;
    EXPECT_EQ(Convert(unknown, VT_DISPATCH), E_NOINTERFACE);
    EXPECT_EQ(plain.References(), 1u);
    EXPECT_EQ(Convert(unknown, VT_I4), DISP_E_TYPEMISMATCH);
}

TEST_F(VariantConversion, ByteArraysAndBstrsConvertByteForByte)
{
    VARIANT bytes;
    VariantInit(&bytes);
    bytes.vt = VT_ARRAY | VT_UI1;
    bytes.parray = SafeArrayCreateVector(VT_UI1, 0, 3);
    std::memcpy(bytes.parray->pvData, "abc", 3);
    ASSERT_EQ(Convert(bytes, VT_BSTR), S_OK);
    ASSERT_EQ(SysStringByteLen(result_.bstrVal), 3u);
    EXPECT_EQ(std::memcmp(result_.bstrVal, "abc", 3), 0);

    VARIANT back;
    VariantInit(&back);
    ASSERT_EQ(VariantChangeType(&back, &result_, 0, VT_ARRAY | VT_UI1), S_OK);
    LONG upper;
    SafeArrayGetUBound(back.parray, 1, &upper);
    EXPECT_EQ(upper, 2);
    EXPECT_EQ(std::memcmp(back.parray->pvData, "abc", 3), 0);
    VariantClear(&back);
    VariantClear(&bytes);
}

TEST_F(VariantConversion, ArraysConvertOnlyToTheirOwnType)
{
    VARIANT numbers;
    VariantInit(&numbers);
    numbers.vt = VT_ARRAY | VT_I4;
    numbers.parray = SafeArrayCreateVector(VT_I4, 0, 2);
    ASSERT_EQ(Convert(numbers, VT_ARRAY | VT_I4), S_OK);
    EXPECT_NE(result_.parray, numbers.parray);
    EXPECT_EQ(Convert(numbers, VT_ARRAY | VT_BSTR), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Convert(numbers, VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Convert(I4(1), VT_ARRAY | VT_I4), DISP_E_TYPEMISMATCH);
    VariantClear(&numbers);
}

TEST_F(VariantConversion, VariantTargetCopiesTheValue)
{
    VARIANT text = Text(u"kept");
    ASSERT_EQ(Convert(text, VT_VARIANT), S_OK);
    EXPECT_EQ(result_.vt, VT_BSTR);
    EXPECT_NE(result_.bstrVal, text.bstrVal);
    EXPECT_EQ(ResultText(), u"kept");
    VariantClear(&text);
}

TEST_F(VariantConversion, TypeWordsThatMeanNothingAreRefused)
{
    EXPECT_EQ(Convert(I4(1), VT_BYREF | VT_I4), DISP_E_BADVARTYPE);
    EXPECT_EQ(Convert(I4(1), 15), DISP_E_BADVARTYPE);
    VARIANT bad;
    VariantInit(&bad);
    bad.vt = 0x7FF;
    EXPECT_EQ(Convert(bad, VT_I4), DISP_E_BADVARTYPE);
    EXPECT_EQ(Convert(I4(1), VT_DATE), DISP_E_TYPEMISMATCH);
}

} // namespace
