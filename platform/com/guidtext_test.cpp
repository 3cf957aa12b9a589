#include "ole2.h"
#include "testing/comallocbalance.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The symbol server's class: {EF0E9413-D9B2-11D1-BC34-006097125629}.
DEFINE_GUID(kSymbolClass, 0xEF0E9413, 0xD9B2, 0x11D1, 0xBC, 0x34, 0x00, 0x60, 0x97, 0x12, 0x56, 0x29);
constexpr const char16_t *kSymbolClassText = u"{EF0E9413-D9B2-11D1-BC34-006097125629}";

class GuidText : public ComAllocBalance {};

TEST_F(GuidText, ReadsTheBraceFormInEitherCase)
{
    CLSID clsid;
    ASSERT_EQ(CLSIDFromString(kSymbolClassText, &clsid), S_OK);
    EXPECT_EQ(clsid, kSymbolClass);
    ASSERT_EQ(CLSIDFromString(u"{ef0e9413-d9b2-11d1-bc34-006097125629}", &clsid), S_OK);
    EXPECT_EQ(clsid, kSymbolClass);
    IID iid;
    ASSERT_EQ(IIDFromString(u"{00020400-0000-0000-C000-000000000046}", &iid), S_OK);
    EXPECT_TRUE(IsEqualIID(iid, IID_IDispatch));
}

TEST_F(GuidText, RefusesMalformedTextAndKeepsTheResult)
{
    const char16_t *malformed[] = {
        u"",
        u"EF0E9413-D9B2-11D1-BC34-006097125629",   // no braces
        u"{EF0E9413-D9B2-11D1-BC34-00609712562}",  // one digit short
        u"{EF0E9413-D9B2-11D1-BC34-006097125629",  // no closing brace
        u"{EF0E9413-D9B2-11D1-BC34-006097125629}x", // text after it
        u"{EF0E9413-D9B2-11D1-BC34_006097125629}", // wrong separator
        u"{EF0E9413-D9B2-11D1-BC34-00609712562G}", // not a hex digit
        u"{EF0E941-3D9B2-11D1-BC34-006097125629}", // dash out of place
        u"QEL.QelSymbol",                          // a ProgID is not a CLSID text
    };
    for (const char16_t *text : malformed) {
        CLSID clsid = kSymbolClass;
        EXPECT_EQ(CLSIDFromString(text, &clsid), CO_E_CLASSSTRING) << std::u16string(text).size();
        EXPECT_EQ(clsid, kSymbolClass);
        IID iid = kSymbolClass;
        EXPECT_EQ(IIDFromString(text, &iid), E_INVALIDARG);
        EXPECT_EQ(iid, kSymbolClass);
    }
}

TEST_F(GuidText, NullTextIsTheNullGuid)
{
    CLSID clsid = kSymbolClass;
    EXPECT_EQ(CLSIDFromString(nullptr, &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_NULL);
}

TEST_F(GuidText, StringFromCLSIDWritesUpperCaseBracesInTaskMemory)
{
    LPOLESTR text = nullptr;
    ASSERT_EQ(StringFromCLSID(kSymbolClass, &text), S_OK);
    EXPECT_EQ(std::u16string(text), kSymbolClassText);
    EXPECT_EQ(QelGetComAllocCounts().taskMemBlocks, Before().taskMemBlocks + 1);
    CoTaskMemFree(text);

    ASSERT_EQ(StringFromIID(IID_IUnknown, &text), S_OK);
    EXPECT_EQ(std::u16string(text), u"{00000000-0000-0000-C000-000000000046}");
    CoTaskMemFree(text);
}

TEST_F(GuidText, TextRoundTrips)
{
    GUID guid = {0x01234567, 0x89AB, 0xCDEF, {0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10}};
    OLECHAR text[39];
    ASSERT_EQ(StringFromGUID2(guid, text, 39), 39);
    GUID back;
    ASSERT_EQ(CLSIDFromString(text, &back), S_OK);
    EXPECT_EQ(back, guid);
}

TEST_F(GuidText, StringFromGUID2CountsTheTerminatorAndNeedsRoomForIt)
{
    OLECHAR text[40];
    EXPECT_EQ(StringFromGUID2(kSymbolClass, text, 40), 39);
    EXPECT_EQ(std::u16string(text), kSymbolClassText);
    text[0] = u'#';
    EXPECT_EQ(StringFromGUID2(kSymbolClass, text, 38), 0);
    EXPECT_EQ(text[0], u'#');
}

TEST(Guid, ComparesByValue)
{
    GUID copy = kSymbolClass;
    EXPECT_TRUE(copy == kSymbolClass);
    EXPECT_TRUE(IsEqualGUID(copy, kSymbolClass));
    copy.Data4[7] ^= 1;
    EXPECT_TRUE(copy != kSymbolClass);
    EXPECT_FALSE(IsEqualCLSID(copy, kSymbolClass));
    EXPECT_NE(GUID_NULL, kSymbolClass);
}

TEST(Guid, InterfaceIdentifiersAreReachableByType)
{
    static_assert(qel_uuidof<IUnknown>() == IID_IUnknown);
    EXPECT_EQ(qel_uuidof<IDispatch>(), IID_IDispatch);
    EXPECT_EQ(qel_uuidof<IClassFactory>(), IID_IClassFactory);
    EXPECT_EQ(qel_uuidof<IErrorInfo>(), IID_IErrorInfo);
}

} // namespace
